#include "videooverlay/CVideoOverlayControl.h"

namespace Ulx {
namespace VideoOverlay {

CVideoOverlayControl::CVideoOverlayControl()
    : QObject(nullptr)
{
}

CVideoOverlayControl::~CVideoOverlayControl() = default;

} // namespace VideoOverlay
} // namespace Ulx
