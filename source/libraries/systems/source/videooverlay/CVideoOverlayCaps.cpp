#include "videooverlay/CVideoOverlayCaps.h"

namespace Ulx {
namespace VideoOverlay {

CVideoOverlayCaps::CVideoOverlayCaps()
    : QObject(nullptr)
{
}

CVideoOverlayCaps::~CVideoOverlayCaps() = default;

} // namespace VideoOverlay
} // namespace Ulx
