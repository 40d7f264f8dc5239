#include "multimedia/CRemoteMediaStorage.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CAbstractRemoteMediaStorageLogic.h"
#include "multimedia/CRemoteMediaDataStorage.h"

namespace Ulx {
namespace Multimedia {

CRemoteMediaStorage::CRemoteMediaStorage()
    : QObject(nullptr)
{
    if (CRemoteMediaDataStorage* data = storage()) {
        connect(data, &CRemoteMediaDataStorage::mediaStorageStateChanged, this,
                &CRemoteMediaStorage::storageStateChanged, Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::availableSizeChanged, this, &CRemoteMediaStorage::remainingSizeChanged,
                Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::availableVideoRecordingTimeChanged, this,
                &CRemoteMediaStorage::remainingVideoRecordingTimeChanged, Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::fileListStateChanged, this, &CRemoteMediaStorage::fileListStateChanged,
                Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::remoteFilesChanged, this, &CRemoteMediaStorage::fileListChanged,
                Qt::QueuedConnection);
        connect(data, &CRemoteMediaDataStorage::activeDownloadChanged, this,
                &CRemoteMediaStorage::activeDownloadChanged, Qt::QueuedConnection);
    }
    connectLogic();
}

CRemoteMediaStorage::~CRemoteMediaStorage() = default;

CAbstractRemoteMediaStorageLogic* CRemoteMediaStorage::logic()
{
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->remoteMediaStorageLogic() : nullptr;
}

CRemoteMediaDataStorage* CRemoteMediaStorage::storage()
{
    IStorageProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->remoteMediaDataStorage() : nullptr;
}

Ulx::RemoteMediaTypes::MediaStorageState CRemoteMediaStorage::storageState() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->mediaStorageState() : Ulx::RemoteMediaTypes::MediaStorageNotAvailable;
}

qint64 CRemoteMediaStorage::remainingSize() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->availableSize() : 0;
}

CRemoteMediaStorage::RecordingTime CRemoteMediaStorage::remainingVideoRecordingTime() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->availableVideoRecordingTime() : 0;
}

Ulx::RemoteMediaTypes::FileListState CRemoteMediaStorage::fileListState() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->fileListState() : Ulx::RemoteMediaTypes::FileListStateReady;
}

QVector<CRemoteFileInfo> CRemoteMediaStorage::fileList() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->remoteFiles() : QVector<CRemoteFileInfo>();
}

std::shared_ptr<CAbstractMediaDownload> CRemoteMediaStorage::activeDownload() const
{
    const CRemoteMediaDataStorage* data = storage();
    return data ? data->activeDownload() : nullptr;
}

void CRemoteMediaStorage::requestFileList()
{
    if (CAbstractRemoteMediaStorageLogic* current = logic())
        current->requestFileList();
}

void CRemoteMediaStorage::requestFileThumbnail(const QString& fileUrl)
{
    if (CAbstractRemoteMediaStorageLogic* current = logic())
        current->requestFileThumbnail(fileUrl);
}

std::shared_ptr<CAbstractMediaDownload> CRemoteMediaStorage::downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                                           const QVector<QString>& targetPaths)
{
    CAbstractRemoteMediaStorageLogic* current = logic();
    return current ? current->downloadFiles(files, targetPaths) : nullptr;
}

bool CRemoteMediaStorage::deleteFiles(const QStringList& fileUrls)
{
    CAbstractRemoteMediaStorageLogic* current = logic();
    return current && current->deleteFiles(fileUrls);
}

void CRemoteMediaStorage::connectLogic()
{
    CAbstractRemoteMediaStorageLogic* current = logic();
    if (!current)
        return;
    const auto type = static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(current, &CAbstractRemoteMediaStorageLogic::thumbnailReady, this, &CRemoteMediaStorage::thumbnailReady,
            type);
    connect(current, &CAbstractRemoteMediaStorageLogic::thumbnailRequestFailed, this,
            &CRemoteMediaStorage::thumbnailRequestFailed, type);
}

} // namespace Multimedia
} // namespace Ulx
