#include "communication/CPelkomSystemSession.h"

namespace Ulx {
namespace Communication {

CPelkomSystemSession::CPelkomSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                   Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
{
}

CPelkomSystemSession::~CPelkomSystemSession() = default;

void CPelkomSystemSession::createLogics()
{
}

CAbstractConnectionController* CPelkomSystemSession::connectionController() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CPelkomSystemSession::remoteMediaCaptureLogic() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CPelkomSystemSession::remoteMediaStorageLogic() const
{
    return nullptr;
}

Multimedia::CAbstractVideoStreamConfigLogic* CPelkomSystemSession::videoStreamConfigLogic() const
{
    return nullptr;
}

SystemControl::CAbstractCommandFactory* CPelkomSystemSession::commandFactory() const
{
    return nullptr;
}

VideoOverlay::CAbstractVideoOverlayLogic* CPelkomSystemSession::videoOverlayLogic() const
{
    return nullptr;
}

} // namespace Communication
} // namespace Ulx
