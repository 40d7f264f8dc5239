#include "videooverlay/CZPHVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

CZPHVideoOverlayLogic::CZPHVideoOverlayLogic(
    Ulx::IRVQMessageSender* /*sender*/, Ulx::IStorageProvider* /*storageProvider*/)
{
}

CZPHVideoOverlayLogic::~CZPHVideoOverlayLogic() = default;

void CZPHVideoOverlayLogic::initialize() { }
void CZPHVideoOverlayLogic::shutdown() { }
void CZPHVideoOverlayLogic::beginUpdate() { }
void CZPHVideoOverlayLogic::endUpdate() { }
void CZPHVideoOverlayLogic::drawImage(const CVideoOverlayImage& /*image*/) { }
void CZPHVideoOverlayLogic::drawText(const CVideoOverlayText& /*text*/) { }
void CZPHVideoOverlayLogic::setVideoOverlayEnabled(bool /*enabled*/) { }
void CZPHVideoOverlayLogic::clearVideoOverlay() { }
void CZPHVideoOverlayLogic::setScript(Ulx::VideoOverlayTypes::Script /*script*/) { }

} // namespace VideoOverlay
} // namespace Ulx
