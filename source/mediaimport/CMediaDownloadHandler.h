#pragma once

#include "CRemoteFileInfo.h"

#include <QObject>
#include <QStringList>
#include <QVector>

#include <memory>

namespace Ulx {
namespace Multimedia {
class CAbstractMediaDownload;
}
} // namespace Ulx

// Starts the download of camera files into the photo and the video folder of the tablet: picks
// the files, works out each local path (the camera's file name, checked to be one plain name),
// refuses files without a folder and files that would share one local name, checks the free
// space of every volume involved and that the files to be overwritten can be replaced, and
// hands the list to the remote media storage. A file to overwrite keeps its old copy until its
// new one is complete and on the disk, which then takes its place.
// Keeps no state between calls; the owner deletes it. GUI thread only.
class CMediaDownloadHandler : public QObject
{
    Q_OBJECT

public:
    CMediaDownloadHandler();
    ~CMediaDownloadHandler() override;

    // The running download, or null when nothing was started (errorOccurred tells why, except
    // when no file was left to fetch).
    std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload>
    startDownload(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files, const QStringList& overwriteFiles,
                  const QStringList& excludedFiles, const QString& photoFolder, const QString& videoFolder);
    std::shared_ptr<Ulx::Multimedia::CAbstractMediaDownload>
    startDownload(const QString& fileName, const QStringList& overwriteFiles, const QStringList& excludedFiles,
                  const QString& photoFolder, const QString& videoFolder);

    // Why startDownload would refuse these files before fetching any (no folder for one of them,
    // several bound for one name), as the operator's message; empty when it would not. With
    // both folders empty (one is still to be chosen for all) only names that are one already
    // count. Writes the refusal's log line. Asked before any question about the files.
    static QString refusalMessage(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files,
                                  const QStringList& excludedFiles, const QString& photoFolder,
                                  const QString& videoFolder);

    // The entries (names or addresses) whose local path exists already, in their order.
    QStringList queryExistingFiles(const QStringList& files, const QString& photoFolder, const QString& videoFolder) const;

    // The local path of a camera file name or address; empty for other types and unsafe names.
    static QString targetPath(const QString& fileNameOrUrl, const QString& photoFolder, const QString& videoFolder);
    // Whether a photo or video has no folder to go to (its folder is empty).
    static bool lacksFolder(const QString& fileNameOrUrl, const QString& photoFolder, const QString& videoFolder);

    // Whether every volume has room for the files in their order, where each file to overwrite
    // gives up its old copy's room only once its new copy is complete (hasEnoughStorageSpace).
    static bool hasEnoughFreeSpace(const QVector<Ulx::Multimedia::CRemoteFileInfo>& files,
                                   const QStringList& overwriteTargets, const QString& photoFolder,
                                   const QString& videoFolder);

signals:
    void downloadStarted();
    void errorOccurred(QString errorMessage);

private:
    static int refusalCode(const QVector<Ulx::Multimedia::CRemoteFileInfo>& media, const QString& photoFolder,
                           const QString& videoFolder, bool folderToBeChosen, QString* fileName);
    void reportError(int code, const QString& fileName = QString());
};
