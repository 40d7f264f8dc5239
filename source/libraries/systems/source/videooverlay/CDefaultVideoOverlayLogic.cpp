#include "videooverlay/CDefaultVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

CDefaultVideoOverlayLogic::CDefaultVideoOverlayLogic() = default;

CDefaultVideoOverlayLogic::~CDefaultVideoOverlayLogic() = default;

void CDefaultVideoOverlayLogic::initialize()
{
}

void CDefaultVideoOverlayLogic::shutdown()
{
}

void CDefaultVideoOverlayLogic::beginUpdate()
{
}

void CDefaultVideoOverlayLogic::endUpdate()
{
}

void CDefaultVideoOverlayLogic::drawImage(const CVideoOverlayImage& image)
{
    Q_UNUSED(image)
}

void CDefaultVideoOverlayLogic::drawText(const CVideoOverlayText& text)
{
    Q_UNUSED(text)
}

void CDefaultVideoOverlayLogic::setVideoOverlayEnabled(bool enabled)
{
    Q_UNUSED(enabled)
}

void CDefaultVideoOverlayLogic::clearVideoOverlay()
{
}

void CDefaultVideoOverlayLogic::setScript(Ulx::VideoOverlayTypes::Script script)
{
    Q_UNUSED(script)
}

} // namespace VideoOverlay
} // namespace Ulx
