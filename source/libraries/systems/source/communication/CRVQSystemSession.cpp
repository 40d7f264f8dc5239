#include "communication/CRVQSystemSession.h"

namespace Ulx {
namespace Communication {

CRVQSystemSession::CRVQSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                   Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider)
    : CAbstractSystemSession(networkManager, permissionChecker, videoStreamerLogic)
{
    Q_UNUSED(storageProvider)
}

CRVQSystemSession::~CRVQSystemSession() = default;

void CRVQSystemSession::createLogics()
{
}

CAbstractConnectionController* CRVQSystemSession::connectionController() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaCaptureLogic* CRVQSystemSession::remoteMediaCaptureLogic() const
{
    return nullptr;
}

Multimedia::CAbstractRemoteMediaStorageLogic* CRVQSystemSession::remoteMediaStorageLogic() const
{
    return nullptr;
}

Multimedia::CAbstractVideoStreamConfigLogic* CRVQSystemSession::videoStreamConfigLogic() const
{
    return nullptr;
}

SystemControl::CAbstractCommandFactory* CRVQSystemSession::commandFactory() const
{
    return nullptr;
}

VideoOverlay::CAbstractVideoOverlayLogic* CRVQSystemSession::videoOverlayLogic() const
{
    return nullptr;
}

} // namespace Communication
} // namespace Ulx
