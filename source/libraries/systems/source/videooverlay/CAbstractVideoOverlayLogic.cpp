#include "videooverlay/CAbstractVideoOverlayLogic.h"

namespace Ulx {
namespace VideoOverlay {

CAbstractVideoOverlayLogic::CAbstractVideoOverlayLogic()
    : QObject(nullptr)
{
}

CAbstractVideoOverlayLogic::~CAbstractVideoOverlayLogic() = default;

} // namespace VideoOverlay
} // namespace Ulx
