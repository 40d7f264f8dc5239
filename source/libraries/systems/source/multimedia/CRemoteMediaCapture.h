#pragma once

#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace Multimedia {

class CAbstractRemoteMediaCaptureLogic;
class CRemoteMediaDataStorage;

// The facade of capture on the camera's own storage: state from the library's remote media
// data storage, actions to the capture logic that the library provides now (the connected
// session's, else the do-nothing default). Owned by the systems library; GUI thread only.
// Every relay is queued, so a facade signal arrives one turn after the change that caused it.
class CRemoteMediaCapture : public QObject
{
    Q_OBJECT

public:
    using RecordingTime = Ulx::RemoteMediaTypes::RecordingTime;

    CRemoteMediaCapture();
    ~CRemoteMediaCapture() override;

    Ulx::RemoteMediaTypes::CaptureState captureState() const;
    Ulx::RemoteMediaTypes::CaptureMode captureMode() const;
    RecordingTime videoRecordingTime() const;
    Ulx::MultimediaTypes::VideoConfig videoCaptureConfig() const;
    bool configChangeInProgress() const;

    void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config);
    void startVideoRecording();
    void stopVideoRecording();
    void capturePhoto();

    // Connects the capture logic that the library provides now (connections to earlier logics
    // stay) and tells readers to fetch its change-in-progress flag.
    void connectLogic();

signals:
    void captureStateChanged();
    void captureErrorOccurred(Ulx::RemoteMediaTypes::CaptureError error);
    void captureModeChanged();
    void videoRecordingTimeChanged();
    void videoCaptureConfigChanged();
    void configChangeInProgressChanged();
    void videoRecordingStarted(QString fileName);
    void videoRecordingStopped();
    void photoCaptured(QString fileName);

private:
    static CAbstractRemoteMediaCaptureLogic* logic();
    static CRemoteMediaDataStorage* storage();
};

} // namespace Multimedia
} // namespace Ulx
