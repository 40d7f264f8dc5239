#include "videooverlay/CZPXVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

CZPXVideoOverlayLogic::CZPXVideoOverlayLogic(
    Ulx::IRVQMessageSender* /*sender*/, Ulx::IStorageProvider* /*storageProvider*/)
{
}

CZPXVideoOverlayLogic::~CZPXVideoOverlayLogic() = default;

void CZPXVideoOverlayLogic::initialize() { }
void CZPXVideoOverlayLogic::shutdown() { }
void CZPXVideoOverlayLogic::beginUpdate() { }
void CZPXVideoOverlayLogic::endUpdate() { }
void CZPXVideoOverlayLogic::drawImage(const CVideoOverlayImage& /*image*/) { }
void CZPXVideoOverlayLogic::drawText(const CVideoOverlayText& /*text*/) { }
void CZPXVideoOverlayLogic::setVideoOverlayEnabled(bool /*enabled*/) { }
void CZPXVideoOverlayLogic::clearVideoOverlay() { }
void CZPXVideoOverlayLogic::setScript(Ulx::VideoOverlayTypes::Script /*script*/) { }

} // namespace VideoOverlay
} // namespace Ulx
