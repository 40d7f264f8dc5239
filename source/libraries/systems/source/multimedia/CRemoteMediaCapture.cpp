#include "multimedia/CRemoteMediaCapture.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"
#include "multimedia/CRemoteMediaDataStorage.h"

namespace Ulx {
namespace Multimedia {

CRemoteMediaCapture::CRemoteMediaCapture()
    : QObject(nullptr)
{
    if (CRemoteMediaDataStorage* data = storage()) {
        connect(data, &CRemoteMediaDataStorage::captureModeChanged, this, &CRemoteMediaCapture::captureModeChanged,
                Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::captureStateChanged, this, &CRemoteMediaCapture::captureStateChanged,
                Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::videoRecordingTimeChanged, this,
                &CRemoteMediaCapture::videoRecordingTimeChanged, Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::videoCaptureConfigChanged, this,
                &CRemoteMediaCapture::videoCaptureConfigChanged, Qt::QueuedConnection);
    }
    connectLogic();
}

CRemoteMediaCapture::~CRemoteMediaCapture() = default;

CAbstractRemoteMediaCaptureLogic* CRemoteMediaCapture::logic()
{
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->remoteMediaCaptureLogic() : nullptr;
}

CRemoteMediaDataStorage* CRemoteMediaCapture::storage()
{
    IStorageProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->remoteMediaDataStorage() : nullptr;
}

Ulx::RemoteMediaTypes::CaptureState CRemoteMediaCapture::captureState() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->captureState() : Ulx::RemoteMediaTypes::CaptureStopped;
}

Ulx::RemoteMediaTypes::CaptureMode CRemoteMediaCapture::captureMode() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->captureMode() : Ulx::RemoteMediaTypes::CaptureModeInvalid;
}

CRemoteMediaCapture::RecordingTime CRemoteMediaCapture::videoRecordingTime() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->videoRecordingTime() : 0;
}

Ulx::MultimediaTypes::VideoConfig CRemoteMediaCapture::videoCaptureConfig() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->videoCaptureConfig() : Ulx::MultimediaTypes::VideoConfigInvalid;
}

bool CRemoteMediaCapture::configChangeInProgress() const
{
    const CAbstractRemoteMediaCaptureLogic* current = logic();
    return current && current->configChangeInProgress();
}

void CRemoteMediaCapture::setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config)
{
    if (CAbstractRemoteMediaCaptureLogic* current = logic())
        current->setVideoCaptureConfig(config);
}

void CRemoteMediaCapture::startVideoRecording()
{
    if (CAbstractRemoteMediaCaptureLogic* current = logic())
        current->startVideoRecording();
}

void CRemoteMediaCapture::stopVideoRecording()
{
    if (CAbstractRemoteMediaCaptureLogic* current = logic())
        current->stopVideoRecording();
}

void CRemoteMediaCapture::capturePhoto()
{
    if (CAbstractRemoteMediaCaptureLogic* current = logic())
        current->capturePhoto();
}

void CRemoteMediaCapture::connectLogic()
{
    CAbstractRemoteMediaCaptureLogic* current = logic();
    if (current) {
        const auto type = static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
        connect(current, &CAbstractRemoteMediaCaptureLogic::errorOccurred, this,
                &CRemoteMediaCapture::captureErrorOccurred, type);
        connect(current, &CAbstractRemoteMediaCaptureLogic::videoRecordingStarted, this,
                &CRemoteMediaCapture::videoRecordingStarted, type);
        connect(current, &CAbstractRemoteMediaCaptureLogic::videoRecordingStopped, this,
                &CRemoteMediaCapture::videoRecordingStopped, type);
        connect(current, &CAbstractRemoteMediaCaptureLogic::photoCaptured, this, &CRemoteMediaCapture::photoCaptured,
                type);
        connect(current, &CAbstractRemoteMediaCaptureLogic::configChangeInProgressChanged, this,
                &CRemoteMediaCapture::configChangeInProgressChanged, type);
    }
    // Readers fetch the new logic's flag.
    emit configChangeInProgressChanged();
}

} // namespace Multimedia
} // namespace Ulx
