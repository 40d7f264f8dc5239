#pragma once

#include "ILogicProvider.h"
#include "IStorageProvider.h"
#include "communication/CommunicationTypes.h"

#include <functional>
#include <utility>

namespace Ulx {

namespace Communication {
class CAbstractNetworkManager;
class CAbstractPermissionChecker;
class CAbstractSystemSession;
class CSessionManager;
}
namespace Flavors {
class VendorData;
}
namespace Multimedia {
class CDefaultRemoteMediaCaptureLogic;
class CDefaultRemoteMediaStorageLogic;
class CDefaultVideoStreamConfigLogic;
class CRemoteMediaCapture;
class CRemoteMediaStorage;
class CVideoRecorder;
class CVideoStreamConfig;
class CVideoStreamer;
}
namespace SystemControl {
class CDefaultCommandFactory;
class CSystemCaps;
class CSystemControl;
class CSystemReadouts;
}
namespace VideoOverlay {
class CDefaultVideoOverlayLogic;
class CVideoOverlayCaps;
class CVideoOverlayControl;
}

// The object graph behind CUlxSystemsLibrary, and the library's storage and logic provider.
//
// Ownership: this object owns everything it points to except the installed logics, which the
// online session owns. All of it is created, used and destroyed on the GUI thread. The single
// instance is published through instance() after its own members exist and before the facades
// and the session manager are made, so that their constructors can reach it; it is withdrawn
// only after the facades and the session manager are gone again.
class CUlxSystemsLibraryPrivate : public IStorageProvider, public ILogicProvider
{
public:
    CUlxSystemsLibraryPrivate();
    ~CUlxSystemsLibraryPrivate() override;

    CUlxSystemsLibraryPrivate(const CUlxSystemsLibraryPrivate&) = delete;
    CUlxSystemsLibraryPrivate& operator=(const CUlxSystemsLibraryPrivate&) = delete;

    // The published instance; null before initialisation and after finalisation.
    static CUlxSystemsLibraryPrivate* instance();

    // IStorageProvider
    Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override;
    SystemControl::CSystemCapsStorage* systemCapsStorage() override;
    SystemControl::CSystemDataStorage* systemDataStorage() override;
    VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override;
    VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override;

    // ILogicProvider
    Multimedia::CRTSPVideoRecorderLogic* videoRecorderLogic() override;
    Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic() override;
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() override;
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() override;
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() override;
    SystemControl::CAbstractCommandFactory* commandFactory() override;
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() override;

    Communication::CAbstractNetworkManager* networkManager() const { return m_networkManager; }
    Communication::CAbstractPermissionChecker* permissionChecker() const { return m_permissionChecker; }

    // A new session for the family, owned by the caller; null for an unknown family.
    Communication::CAbstractSystemSession* createSystemSession(CommunicationTypes::SystemFamily family);

    using SessionFactory = std::function<Communication::CAbstractSystemSession*(CommunicationTypes::SystemFamily)>;
    // Replaces the family session factory (simulated systems, tests); an empty one restores it.
    void setSessionFactory(SessionFactory factory) { m_sessionFactory = std::move(factory); }

    // Makes the given logics current (null clears one) and lets the facades that keep
    // connections to their logic re-bind.
    void installLogics(Multimedia::CAbstractRemoteMediaCaptureLogic* captureLogic,
                       Multimedia::CAbstractRemoteMediaStorageLogic* storageLogic,
                       Multimedia::CAbstractVideoStreamConfigLogic* streamConfigLogic,
                       SystemControl::CAbstractCommandFactory* commandFactory,
                       VideoOverlay::CAbstractVideoOverlayLogic* overlayLogic);

    // Every state storage back to its defaults, with their change signals.
    void resetStorages();

private:
    friend class CUlxSystemsLibrary;

    // Called by CUlxSystemsLibrary right after the instance is published.
    void createFacades();

    static void registerMetaTypes();

    // 1. session manager
    Communication::CSessionManager* m_sessionManager = nullptr;
    // 2. facades
    SystemControl::CSystemControl* m_systemControl = nullptr;
    SystemControl::CSystemCaps* m_systemCaps = nullptr;
    SystemControl::CSystemReadouts* m_systemReadouts = nullptr;
    VideoOverlay::CVideoOverlayControl* m_videoOverlayControl = nullptr;
    VideoOverlay::CVideoOverlayCaps* m_videoOverlayCaps = nullptr;
    Multimedia::CVideoStreamer* m_videoStreamer = nullptr;
    Multimedia::CVideoRecorder* m_videoRecorder = nullptr;
    Multimedia::CVideoStreamConfig* m_videoStreamConfig = nullptr;
    Multimedia::CRemoteMediaCapture* m_remoteMediaCapture = nullptr;
    Multimedia::CRemoteMediaStorage* m_remoteMediaStorage = nullptr;
    // 3., 4. platform
    Communication::CAbstractNetworkManager* m_networkManager = nullptr;
    Communication::CAbstractPermissionChecker* m_permissionChecker = nullptr;
    // 5. storages
    Multimedia::CRemoteMediaDataStorage* m_remoteMediaDataStorage = nullptr;
    SystemControl::CSystemDataStorage* m_systemDataStorage = nullptr;
    SystemControl::CSystemCapsStorage* m_systemCapsStorage = nullptr;
    VideoOverlay::CVideoOverlayDataStorage* m_videoOverlayDataStorage = nullptr;
    VideoOverlay::CVideoOverlayCapsStorage* m_videoOverlayCapsStorage = nullptr;
    // 6. default logics
    Multimedia::CDefaultRemoteMediaCaptureLogic* m_defaultRemoteMediaCaptureLogic = nullptr;
    Multimedia::CDefaultRemoteMediaStorageLogic* m_defaultRemoteMediaStorageLogic = nullptr;
    Multimedia::CDefaultVideoStreamConfigLogic* m_defaultVideoStreamConfigLogic = nullptr;
    SystemControl::CDefaultCommandFactory* m_defaultCommandFactory = nullptr;
    VideoOverlay::CDefaultVideoOverlayLogic* m_defaultVideoOverlayLogic = nullptr;
    // 7. installed logics (not owned)
    Multimedia::CAbstractRemoteMediaCaptureLogic* m_installedRemoteMediaCaptureLogic = nullptr;
    Multimedia::CAbstractRemoteMediaStorageLogic* m_installedRemoteMediaStorageLogic = nullptr;
    Multimedia::CAbstractVideoStreamConfigLogic* m_installedVideoStreamConfigLogic = nullptr;
    SystemControl::CAbstractCommandFactory* m_installedCommandFactory = nullptr;
    VideoOverlay::CAbstractVideoOverlayLogic* m_installedVideoOverlayLogic = nullptr;
    // 8. RTSP logics
    Multimedia::CRTSPVideoStreamerLogic* m_videoStreamerLogic = nullptr;
    Multimedia::CRTSPVideoRecorderLogic* m_videoRecorderLogic = nullptr;
    // 9. vendor data
    Flavors::VendorData* m_vendorData = nullptr;

    SessionFactory m_sessionFactory;
};

} // namespace Ulx
