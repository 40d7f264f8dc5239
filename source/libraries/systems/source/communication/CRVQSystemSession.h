#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {

class IStorageProvider;

namespace Communication {

// The session of the Zephira and Gullyrover systems (binary command link).
// Placeholder until the family sessions land.
class CRVQSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CRVQSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
          Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider);
    ~CRVQSystemSession() override;

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
