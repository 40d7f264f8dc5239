#pragma once

#include "CRemoteFileInfo.h"
#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QObject>
#include <QVector>

#include <memory>

namespace Ulx {
namespace Multimedia {

class CAbstractMediaDownload;

// The state of the camera's own media: capture, storage, file list and running download.
// Written by the family logics, read by the remote-media facades; one instance, owned by the
// systems library. Setters signal only a real change, except setRemoteFiles (every call, so a
// repeated listing still reaches the gallery). GUI thread only.
class CRemoteMediaDataStorage : public QObject
{
    Q_OBJECT

public:
    using RecordingTime = Ulx::RemoteMediaTypes::RecordingTime;

    CRemoteMediaDataStorage();
    ~CRemoteMediaDataStorage() override;

    QVector<CRemoteFileInfo> remoteFiles() const { return m_remoteFiles; }
    void setRemoteFiles(const QVector<CRemoteFileInfo>& remoteFiles);

    std::shared_ptr<CAbstractMediaDownload> activeDownload() const { return m_activeDownload; }
    void setActiveDownload(const std::shared_ptr<CAbstractMediaDownload>& activeDownload);

    qint64 availableSize() const { return m_availableSize; }
    void setAvailableSize(qint64 availableSize);

    RecordingTime availableVideoRecordingTime() const { return m_availableVideoRecordingTime; }
    void setAvailableVideoRecordingTime(RecordingTime availableVideoRecordingTime);

    RecordingTime videoRecordingTime() const { return m_videoRecordingTime; }
    void setVideoRecordingTime(RecordingTime videoRecordingTime);

    Ulx::RemoteMediaTypes::MediaStorageState mediaStorageState() const { return m_mediaStorageState; }
    void setMediaStorageState(Ulx::RemoteMediaTypes::MediaStorageState mediaStorageState);

    Ulx::RemoteMediaTypes::FileListState fileListState() const { return m_fileListState; }
    void setFileListState(Ulx::RemoteMediaTypes::FileListState fileListState);

    Ulx::RemoteMediaTypes::CaptureState captureState() const { return m_captureState; }
    void setCaptureState(Ulx::RemoteMediaTypes::CaptureState captureState);

    Ulx::RemoteMediaTypes::CaptureMode captureMode() const { return m_captureMode; }
    void setCaptureMode(Ulx::RemoteMediaTypes::CaptureMode captureMode);

    Ulx::MultimediaTypes::VideoConfig videoCaptureConfig() const { return m_videoCaptureConfig; }
    void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig videoCaptureConfig);

    Ulx::MultimediaTypes::PhotoResolution photoCaptureResolution() const { return m_photoCaptureResolution; }
    void setPhotoCaptureResolution(Ulx::MultimediaTypes::PhotoResolution photoCaptureResolution);

    // Back to the defaults when a session ends, signalling only what changed.
    void reset();

signals:
    void availableSizeChanged();
    void availableVideoRecordingTimeChanged();
    void mediaStorageStateChanged();
    void fileListStateChanged();
    void remoteFilesChanged();
    void captureStateChanged();
    void captureModeChanged();
    void videoRecordingTimeChanged();
    void activeDownloadChanged();
    void videoCaptureConfigChanged();
    void photoCaptureResolutionChanged();

private:
    QVector<CRemoteFileInfo> m_remoteFiles;
    std::shared_ptr<CAbstractMediaDownload> m_activeDownload;
    qint64 m_availableSize = 0;
    RecordingTime m_availableVideoRecordingTime = 0;
    RecordingTime m_videoRecordingTime = 0;
    Ulx::RemoteMediaTypes::MediaStorageState m_mediaStorageState = Ulx::RemoteMediaTypes::MediaStorageNotAvailable;
    Ulx::RemoteMediaTypes::FileListState m_fileListState = Ulx::RemoteMediaTypes::FileListStateReady;
    Ulx::RemoteMediaTypes::CaptureState m_captureState = Ulx::RemoteMediaTypes::CaptureStopped;
    Ulx::RemoteMediaTypes::CaptureMode m_captureMode = Ulx::RemoteMediaTypes::CaptureModeInvalid;
    Ulx::MultimediaTypes::VideoConfig m_videoCaptureConfig = Ulx::MultimediaTypes::VideoConfigInvalid;
    Ulx::MultimediaTypes::PhotoResolution m_photoCaptureResolution = Ulx::MultimediaTypes::PhotoResolutionUnknown;
};

} // namespace Multimedia
} // namespace Ulx
