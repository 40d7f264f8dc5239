#pragma once

#include "multimedia/CAbstractRemoteMediaStorageLogic.h"

#include <QVector>

namespace Ulx {

class IStorageProvider;

namespace Communication {
class ITetronCommandRunner;
}

namespace Multimedia {

class CRemoteMediaDataStorage;

// The Hoselux camera's memory card as the media screens see it: the file list, thumbnails,
// deletions and downloads, with the list and its state kept in the remote media data storage.
// Created and owned by the HX session; the runner and the provider are not owned. GUI thread.
class CHXRemoteMediaStorageLogic : public CAbstractRemoteMediaStorageLogic
{
    Q_OBJECT

public:
    CHXRemoteMediaStorageLogic(IStorageProvider* storageProvider, Communication::ITetronCommandRunner* commandRunner);
    ~CHXRemoteMediaStorageLogic() override;

    void requestFileList() override;
    void requestFileThumbnail(const QString& fileUrl) override;
    std::shared_ptr<CAbstractMediaDownload> downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                          const QVector<QString>& targetPaths) override;
    bool deleteFiles(const QStringList& fileUrls) override;

    // The camera has new files: the next list request reads the list again.
    void markFileListOutdated() { m_fileListOutdated = true; }
    bool fileListOutdated() const { return m_fileListOutdated; }

private slots:
    void onFileCountCommandFinished();
    void onFileInfoCommandFinished();
    void onThumbnailCommandFinished();
    void onDeleteFileCommandFinished();
    void onDownloadFinished();

private:
    CRemoteMediaDataStorage* storage() const;
    // Whether the card is free for the operator's download or deletion; logs why not.
    bool mayUseTheCard(const QString& what) const;

    IStorageProvider* m_storageProvider = nullptr;
    Communication::ITetronCommandRunner* m_commandRunner = nullptr;
    QVector<CRemoteFileInfo> m_workingFileList;
    int m_pendingDeletions = 0;
    bool m_fileListOutdated = true;
};

} // namespace Multimedia
} // namespace Ulx
