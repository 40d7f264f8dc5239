#pragma once

#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace Multimedia {

// Base of the per-family logics that record videos and take photos on the camera's storage.
class CAbstractRemoteMediaCaptureLogic : public QObject
{
    Q_OBJECT

public:
    CAbstractRemoteMediaCaptureLogic();
    ~CAbstractRemoteMediaCaptureLogic() override;

    virtual bool configChangeInProgress() const = 0;
    virtual void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config) = 0;
    virtual void startVideoRecording() = 0;
    virtual void stopVideoRecording() = 0;
    virtual void capturePhoto() = 0;

signals:
    void errorOccurred(Ulx::RemoteMediaTypes::CaptureError error);
    void configChangeInProgressChanged();
    void videoRecordingStarted(QString fileName);
    void videoRecordingStopped();
    void photoCaptured(QString fileName);
};

} // namespace Multimedia
} // namespace Ulx
