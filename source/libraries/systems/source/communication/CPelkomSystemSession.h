#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {
namespace Communication {

// The session of Pelkom systems (video only).
// Placeholder until the family sessions land.
class CPelkomSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CPelkomSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
          Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic);
    ~CPelkomSystemSession() override;

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
