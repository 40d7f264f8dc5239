#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {

class IStorageProvider;

namespace Communication {

// The session of the Hoselux camera (HTTP-CGI).
// Placeholder until the family sessions land.
class CHXSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
          Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider);
    ~CHXSystemSession() override;

    void createLogics() override;
    CAbstractConnectionController* connectionController() const override;
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override;
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override;
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override;
    SystemControl::CAbstractCommandFactory* commandFactory() const override;
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override;
};

} // namespace Communication
} // namespace Ulx
