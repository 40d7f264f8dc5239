#include "communication/CHXSystemSession.h"

namespace Ulx {
namespace Communication {

CHXSystemSession::CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                   Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
{
    Q_UNUSED(storageProvider)
}

CHXSystemSession::~CHXSystemSession() = default;

void CHXSystemSession::createLogics()
{
}

CAbstractConnectionController* CHXSystemSession::connectionController() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CHXSystemSession::remoteMediaCaptureLogic() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CHXSystemSession::remoteMediaStorageLogic() const
{
    return nullptr;
}

Multimedia::CAbstractVideoStreamConfigLogic* CHXSystemSession::videoStreamConfigLogic() const
{
    return nullptr;
}

SystemControl::CAbstractCommandFactory* CHXSystemSession::commandFactory() const
{
    return nullptr;
}

VideoOverlay::CAbstractVideoOverlayLogic* CHXSystemSession::videoOverlayLogic() const
{
    return nullptr;
}

} // namespace Communication
} // namespace Ulx
