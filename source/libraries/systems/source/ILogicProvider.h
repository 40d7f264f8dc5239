#pragma once

namespace Ulx {

namespace Multimedia {
class CRTSPVideoRecorderLogic;
class CRTSPVideoStreamerLogic;
class CAbstractRemoteMediaCaptureLogic;
class CAbstractRemoteMediaStorageLogic;
class CAbstractVideoStreamConfigLogic;
}
namespace SystemControl {
class CAbstractCommandFactory;
}
namespace VideoOverlay {
class CAbstractVideoOverlayLogic;
}

// How facades reach the current logics of the systems library: the RTSP streamer and recorder
// logics, and the logics that the online session installed. The installed-logic accessors
// never return null: without an installed logic they answer with the do-nothing default.
// Nothing returned is owned by the caller.
class ILogicProvider
{
public:
    virtual Multimedia::CRTSPVideoRecorderLogic* videoRecorderLogic() = 0;
    virtual Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic() = 0;
    virtual Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() = 0;
    virtual Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() = 0;
    virtual Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() = 0;
    virtual SystemControl::CAbstractCommandFactory* commandFactory() = 0;
    virtual VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() = 0;
    virtual ~ILogicProvider() = default;
};

} // namespace Ulx
