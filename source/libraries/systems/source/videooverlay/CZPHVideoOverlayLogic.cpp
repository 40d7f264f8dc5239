#include "videooverlay/CZPHVideoOverlayLogic.h"

#include "videooverlay/CVideoOverlayCapsStorage.h"

namespace Ulx {
namespace VideoOverlay {

CZPHVideoOverlayLogic::CZPHVideoOverlayLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CCharGridVideoOverlayLogic(sender, storageProvider)
{
}

CZPHVideoOverlayLogic::~CZPHVideoOverlayLogic() = default;

void CZPHVideoOverlayLogic::setupCaps()
{
    CVideoOverlayCapsStorage* caps = capsStorage();
    if (!caps)
        return;
    caps->setMaximumColumnCount(24);
    caps->setMaximumRowCount(11);
    caps->setMaximumTextLength(20);
    caps->setOverlaySupported(true);
}

} // namespace VideoOverlay
} // namespace Ulx
