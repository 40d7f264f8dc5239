#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"

namespace Ulx {
namespace Multimedia {

CAbstractRemoteMediaCaptureLogic::CAbstractRemoteMediaCaptureLogic()
    : QObject(nullptr)
{
}

CAbstractRemoteMediaCaptureLogic::~CAbstractRemoteMediaCaptureLogic() = default;

} // namespace Multimedia
} // namespace Ulx
