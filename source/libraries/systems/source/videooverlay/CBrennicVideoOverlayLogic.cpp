#include "videooverlay/CBrennicVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

CBrennicVideoOverlayLogic::CBrennicVideoOverlayLogic(
    Ulx::Multimedia::CBrennicVideoStreamConfigLogic* /*streamConfigLogic*/, Ulx::IStorageProvider* /*storageProvider*/)
{
}

CBrennicVideoOverlayLogic::~CBrennicVideoOverlayLogic() = default;

void CBrennicVideoOverlayLogic::initialize() { }
void CBrennicVideoOverlayLogic::shutdown() { }
void CBrennicVideoOverlayLogic::beginUpdate() { }
void CBrennicVideoOverlayLogic::endUpdate() { }
void CBrennicVideoOverlayLogic::drawImage(const CVideoOverlayImage& /*image*/) { }
void CBrennicVideoOverlayLogic::drawText(const CVideoOverlayText& /*text*/) { }
void CBrennicVideoOverlayLogic::setVideoOverlayEnabled(bool /*enabled*/) { }
void CBrennicVideoOverlayLogic::clearVideoOverlay() { }
void CBrennicVideoOverlayLogic::setScript(Ulx::VideoOverlayTypes::Script /*script*/) { }

} // namespace VideoOverlay
} // namespace Ulx
