#pragma once

#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace Multimedia {
class CRemoteMediaCapture;
} // namespace Multimedia
} // namespace Ulx

// Capture on the camera's own storage, for QML. Recording time in milliseconds. Holds only the (not
// owned) facade; the namespace object that made it deletes it. GUI thread.
class CQmlRemoteMediaCapture : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::RemoteMediaTypes::CaptureState captureState READ captureState NOTIFY captureStateChanged)
    Q_PROPERTY(Ulx::RemoteMediaTypes::CaptureMode captureMode READ captureMode NOTIFY captureModeChanged)
    Q_PROPERTY(quint32 videoRecordingTime READ videoRecordingTime NOTIFY videoRecordingTimeChanged)
    Q_PROPERTY(Ulx::MultimediaTypes::VideoConfig videoCaptureConfig READ videoCaptureConfig WRITE setVideoCaptureConfig
            NOTIFY videoCaptureConfigChanged)
    Q_PROPERTY(bool configChangeInProgress READ configChangeInProgress NOTIFY configChangeInProgressChanged)

public:
    explicit CQmlRemoteMediaCapture(Ulx::Multimedia::CRemoteMediaCapture* facade);
    ~CQmlRemoteMediaCapture() override;

    Ulx::RemoteMediaTypes::CaptureState captureState() const;
    Ulx::RemoteMediaTypes::CaptureMode captureMode() const;
    quint32 videoRecordingTime() const;
    Ulx::MultimediaTypes::VideoConfig videoCaptureConfig() const;
    bool configChangeInProgress() const;
    void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig value);

signals:
    void captureStateChanged();
    void captureModeChanged();
    void videoRecordingTimeChanged();
    void videoCaptureConfigChanged();
    void configChangeInProgressChanged();

private:
    QPointer<Ulx::Multimedia::CRemoteMediaCapture> m_facade;
};
