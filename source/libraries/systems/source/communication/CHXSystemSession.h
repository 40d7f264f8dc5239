#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {

class IStorageProvider;

namespace Multimedia {
class CHXRemoteMediaCaptureLogic;
class CHXRemoteMediaStorageLogic;
class CHXVideoStreamConfigLogic;
}

namespace Communication {

class CHXConnectionController;

// The session of the Hoselux camera, controlled over its HTTP-CGI interface. Creates its
// connection controller at once and, once the controller has connected, the camera's stream
// configuration, media storage and media capture logics; owns all four. The family offers no
// control commands and no camera overlay. Made by the session factory; GUI thread only.
class CHXSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                     Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider);
    // Drives another session streamer (not owned) instead of one over the streamer logic.
    CHXSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
                     Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider,
                     CAbstractSessionStreamer* sessionStreamer);
    ~CHXSystemSession() override;

    void createLogics() override;
    CAbstractConnectionController* connectionController() const override;
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override;
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override;
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override;
    SystemControl::CAbstractCommandFactory* commandFactory() const override;
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override;

    CHXConnectionController* hxController() const { return m_controller; }

private:
    IStorageProvider* m_storageProvider = nullptr; // not owned
    CHXConnectionController* m_controller = nullptr;
    Multimedia::CHXVideoStreamConfigLogic* m_videoStreamConfigLogic = nullptr;
    Multimedia::CHXRemoteMediaCaptureLogic* m_remoteMediaCaptureLogic = nullptr;
    Multimedia::CHXRemoteMediaStorageLogic* m_remoteMediaStorageLogic = nullptr;
};

} // namespace Communication
} // namespace Ulx
