#pragma once

#include "CRemoteFileInfo.h"
#include "RemoteMediaTypes.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

namespace Ulx {
namespace Multimedia {

class CAbstractMediaDownload;
class CAbstractRemoteMediaStorageLogic;
class CRemoteMediaDataStorage;

// The facade of the camera's own media storage: state from the library's remote media data
// storage, requests to the storage logic that the library provides now (the connected
// session's, else the default that answers without a system). Owned by the systems library;
// GUI thread only. Every relay is queued.
class CRemoteMediaStorage : public QObject
{
    Q_OBJECT

public:
    using RecordingTime = Ulx::RemoteMediaTypes::RecordingTime;

    CRemoteMediaStorage();
    ~CRemoteMediaStorage() override;

    Ulx::RemoteMediaTypes::MediaStorageState storageState() const;
    qint64 remainingSize() const;
    RecordingTime remainingVideoRecordingTime() const;
    Ulx::RemoteMediaTypes::FileListState fileListState() const;
    QVector<CRemoteFileInfo> fileList() const;
    std::shared_ptr<CAbstractMediaDownload> activeDownload() const;

    void requestFileList();
    void requestFileThumbnail(const QString& fileUrl);
    // Null when nothing was started; targetPaths holds one local path per file, in order.
    std::shared_ptr<CAbstractMediaDownload> downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                          const QVector<QString>& targetPaths);
    bool deleteFiles(const QStringList& fileUrls);

    // Connects the thumbnail signals of the storage logic that the library provides now;
    // connections to earlier logics stay.
    void connectLogic();

signals:
    void storageStateChanged();
    void remainingSizeChanged();
    void remainingVideoRecordingTimeChanged();
    void fileListStateChanged();
    void fileListChanged();
    void activeDownloadChanged();
    void thumbnailReady(QString fileUrl, QImage image);
    void thumbnailRequestFailed(QString fileUrl);

private:
    static CAbstractRemoteMediaStorageLogic* logic();
    static CRemoteMediaDataStorage* storage();
};

} // namespace Multimedia
} // namespace Ulx
