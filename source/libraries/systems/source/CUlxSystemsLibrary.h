#pragma once

namespace Ulx {

namespace Communication {
class CSessionManager;
}
namespace Flavors {
class VendorData;
}
namespace Multimedia {
class CRemoteMediaCapture;
class CRemoteMediaStorage;
class CVideoRecorder;
class CVideoStreamConfig;
class CVideoStreamer;
}
namespace SystemControl {
class CSystemCaps;
class CSystemControl;
class CSystemReadouts;
}
namespace VideoOverlay {
class CVideoOverlayCaps;
class CVideoOverlayControl;
}

// The static entry to the inspection-systems library. The application calls initialize() once
// at start-up and finalize() at exit, on the GUI thread; in between every accessor returns the
// one process-wide object it names. Before initialize() and after finalize() the accessors
// return null.
class CUlxSystemsLibrary
{
public:
    // Creates the object graph; a second call while initialised does nothing.
    static void initialize();
    // Deletes the object graph; nothing happens when it does not exist.
    static void finalize();
    // Nothing to prepare on this platform.
    static void platformInit(void* platformData);

    static Communication::CSessionManager* sessionManager();
    static Multimedia::CRemoteMediaCapture* remoteMediaCapture();
    static Multimedia::CRemoteMediaStorage* remoteMediaStorage();
    static Multimedia::CVideoStreamConfig* videoStreamConfig();
    static Multimedia::CVideoStreamer* videoStreamer();
    static Multimedia::CVideoRecorder* videoRecorder();
    static SystemControl::CSystemCaps* systemCaps();
    static SystemControl::CSystemControl* systemControl();
    static SystemControl::CSystemReadouts* systemReadouts();
    static VideoOverlay::CVideoOverlayCaps* videoOverlayCaps();
    static VideoOverlay::CVideoOverlayControl* videoOverlayControl();
    static Flavors::VendorData* vendorData();

private:
    CUlxSystemsLibrary() = delete;
};

} // namespace Ulx
