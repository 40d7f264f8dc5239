#pragma once

#include "communication/CAbstractSystemSession.h"

namespace Ulx {

class IStorageProvider;

namespace Communication {

class CAbstractSessionStreamer;
class CRVQConnectionController;

// The session of the systems on the binary command link: ZPH, ZPX, ZPX2 and Gullyrover. It
// owns the RVQ connection controller (created in the constructor) and, once the controller
// knows the system type, the type's command factory, video stream configuration logic and
// video overlay logic, which the session manager installs while the session is online. The
// storage provider and the streamer logic belong to the systems library. GUI thread only.
class CRVQSystemSession : public CAbstractSystemSession
{
    Q_OBJECT

public:
    CRVQSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
        Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider);
    ~CRVQSystemSession() override;

    // Creates the system type's factory and logics, once; none for a type off the link.
    void createLogics() override;
    CAbstractConnectionController* connectionController() const override;
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override;
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override;
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override;
    SystemControl::CAbstractCommandFactory* commandFactory() const override;
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override;

    CRVQConnectionController* rvqConnectionController() const { return m_controller; }

protected:
    // Drives the given streamer (not owned, it must outlive the session) instead of the
    // library's RTSP streamer logic; for sessions that run without live video.
    CRVQSystemSession(CAbstractNetworkManager* networkManager, CAbstractPermissionChecker* permissionChecker,
        Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic, IStorageProvider* storageProvider,
        CAbstractSessionStreamer* streamer);

private:
    IStorageProvider* m_storageProvider = nullptr;                                   // not owned
    Multimedia::CAbstractVideoStreamConfigLogic* m_videoStreamConfigLogic = nullptr; // owned
    SystemControl::CAbstractCommandFactory* m_commandFactory = nullptr;              // owned
    VideoOverlay::CAbstractVideoOverlayLogic* m_videoOverlayLogic = nullptr;         // owned
    CRVQConnectionController* m_controller = nullptr;                                // owned
};

} // namespace Communication
} // namespace Ulx
