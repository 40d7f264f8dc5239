#include "videooverlay/CZPXVideoOverlayLogic.h"

#include "videooverlay/CVideoOverlayCapsStorage.h"

namespace Ulx {
namespace VideoOverlay {

CZPXVideoOverlayLogic::CZPXVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CCharGridVideoOverlayLogic(sender, storageProvider)
{
}

CZPXVideoOverlayLogic::~CZPXVideoOverlayLogic() = default;

void CZPXVideoOverlayLogic::setupCaps()
{
    CVideoOverlayCapsStorage* caps = capsStorage();
    if (!caps)
        return;
    caps->setMaximumColumnCount(32);
    caps->setMaximumRowCount(11);
    caps->setMaximumTextLength(20);
    caps->setOverlaySupported(true);
}

} // namespace VideoOverlay
} // namespace Ulx
