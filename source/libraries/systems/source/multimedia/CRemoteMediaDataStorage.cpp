#include "multimedia/CRemoteMediaDataStorage.h"

#include "multimedia/CAbstractMediaDownload.h"

namespace Ulx {
namespace Multimedia {

CRemoteMediaDataStorage::CRemoteMediaDataStorage()
    : QObject(nullptr)
{
}

CRemoteMediaDataStorage::~CRemoteMediaDataStorage() = default;

void CRemoteMediaDataStorage::setRemoteFiles(const QVector<CRemoteFileInfo>& remoteFiles)
{
    if (!m_remoteFiles.isSharedWith(remoteFiles))
        m_remoteFiles = remoteFiles;
    emit remoteFilesChanged();
}

void CRemoteMediaDataStorage::setActiveDownload(const std::shared_ptr<CAbstractMediaDownload>& activeDownload)
{
    if (m_activeDownload == activeDownload)
        return;
    m_activeDownload = activeDownload;
    emit activeDownloadChanged();
}

void CRemoteMediaDataStorage::setAvailableSize(qint64 availableSize)
{
    if (m_availableSize == availableSize)
        return;
    m_availableSize = availableSize;
    emit availableSizeChanged();
}

void CRemoteMediaDataStorage::setAvailableVideoRecordingTime(RecordingTime availableVideoRecordingTime)
{
    if (m_availableVideoRecordingTime == availableVideoRecordingTime)
        return;
    m_availableVideoRecordingTime = availableVideoRecordingTime;
    emit availableVideoRecordingTimeChanged();
}

void CRemoteMediaDataStorage::setVideoRecordingTime(RecordingTime videoRecordingTime)
{
    if (m_videoRecordingTime == videoRecordingTime)
        return;
    m_videoRecordingTime = videoRecordingTime;
    emit videoRecordingTimeChanged();
}

void CRemoteMediaDataStorage::setMediaStorageState(Ulx::RemoteMediaTypes::MediaStorageState mediaStorageState)
{
    if (m_mediaStorageState == mediaStorageState)
        return;
    m_mediaStorageState = mediaStorageState;
    emit mediaStorageStateChanged();
}

void CRemoteMediaDataStorage::setFileListState(Ulx::RemoteMediaTypes::FileListState fileListState)
{
    if (m_fileListState == fileListState)
        return;
    m_fileListState = fileListState;
    emit fileListStateChanged();
}

void CRemoteMediaDataStorage::setCaptureState(Ulx::RemoteMediaTypes::CaptureState captureState)
{
    if (m_captureState == captureState)
        return;
    m_captureState = captureState;
    emit captureStateChanged();
}

void CRemoteMediaDataStorage::setCaptureMode(Ulx::RemoteMediaTypes::CaptureMode captureMode)
{
    if (m_captureMode == captureMode)
        return;
    m_captureMode = captureMode;
    emit captureModeChanged();
}

void CRemoteMediaDataStorage::setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig videoCaptureConfig)
{
    if (m_videoCaptureConfig == videoCaptureConfig)
        return;
    m_videoCaptureConfig = videoCaptureConfig;
    emit videoCaptureConfigChanged();
}

void CRemoteMediaDataStorage::setPhotoCaptureResolution(Ulx::MultimediaTypes::PhotoResolution photoCaptureResolution)
{
    if (m_photoCaptureResolution == photoCaptureResolution)
        return;
    m_photoCaptureResolution = photoCaptureResolution;
    emit photoCaptureResolutionChanged();
}

void CRemoteMediaDataStorage::reset()
{
    setActiveDownload(nullptr);
    if (!m_remoteFiles.isEmpty()) {
        m_remoteFiles.clear();
        emit remoteFilesChanged();
    }
    setFileListState(Ulx::RemoteMediaTypes::FileListStateReady);
    setMediaStorageState(Ulx::RemoteMediaTypes::MediaStorageNotAvailable);
    setCaptureState(Ulx::RemoteMediaTypes::CaptureStopped);
    setCaptureMode(Ulx::RemoteMediaTypes::CaptureModeInvalid);
    setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfigInvalid);
    setPhotoCaptureResolution(Ulx::MultimediaTypes::PhotoResolutionUnknown);
    setVideoRecordingTime(0);
    setAvailableVideoRecordingTime(0);
    setAvailableSize(0);
}

} // namespace Multimedia
} // namespace Ulx
