#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {

namespace Multimedia {
class CPelkomVideoStreamConfigLogic;
}

namespace Communication {

class CPelkomConnectionController;

// The session of Pelkom systems, which offer live video only: a controller that is connected
// at once and a fixed stream configuration; no control commands, remote media or overlay.
// Owns its controller and stream configuration logic. Made by the session factory; GUI thread.
class CPelkomSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CPelkomSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                         Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic);
    // Drives another session streamer (not owned) instead of one over the streamer logic.
    CPelkomSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                         Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, CAbstractSessionStreamer* sessionStreamer);
    ~CPelkomSystemSession() override;

    void createLogics() override;
    CAbstractConnectionController* connectionController() const override;
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override;
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override;
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override;
    SystemControl::CAbstractCommandFactory* commandFactory() const override;
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override;

private:
    CPelkomConnectionController* m_controller = nullptr;
    Multimedia::CPelkomVideoStreamConfigLogic* m_videoStreamConfigLogic = nullptr;
};

} // namespace Communication
} // namespace Ulx
