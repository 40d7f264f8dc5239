#include "mediaimport/CMediaDownloadHandler.h"

#include "mediaimport/CMediaDownloadReplacements.h"
#include "mediaimport/MediaFileReplacement.h"
#include "mediaimport/SafeMediaPaths.h"

#include "application/PathHelpers.h"
#include "helpers/MediaFileTypes.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "CUlxSystemsLibrary.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

using Tovrin::Logging::CLogger;
using Ulx::Multimedia::CAbstractMediaDownload;
using Ulx::Multimedia::CRemoteFileInfo;

namespace {

enum MediaDownloadError
{
    MediaDownloadErrorInternal = 1,
    MediaDownloadErrorInsufficientFreeSpace = 2,
    MediaDownloadErrorOverwriteFileFailed = 3
};

bool isRemoteMedia(const CRemoteFileInfo& file)
{
    return file.fileType() == Ulx::RemoteMediaTypes::FileTypePhoto
        || file.fileType() == Ulx::RemoteMediaTypes::FileTypeVideo;
}

} // namespace

CMediaDownloadHandler::CMediaDownloadHandler()
    : QObject(nullptr)
{
}

CMediaDownloadHandler::~CMediaDownloadHandler() = default;

QString CMediaDownloadHandler::targetPath(const QString& fileNameOrUrl, const QString& photoFolder,
                                          const QString& videoFolder)
{
    const QString name = fileNameFromUrl(fileNameOrUrl);
    // A camera name such as ".." or one hiding a separator never becomes a path.
    if (!isSafeFileName(name))
        return QString();
    if (isPhotoFile(name))
        return buildFilePath(photoFolder, name);
    if (isVideoFile(name))
        return buildFilePath(videoFolder, name);
    return QString();
}

QStringList CMediaDownloadHandler::queryExistingFiles(const QStringList& files, const QString& photoFolder,
                                                      const QString& videoFolder) const
{
    QStringList existing;
    for (const QString& file : files) {
        const QString target = targetPath(file, photoFolder, videoFolder);
        if (!target.isEmpty() && QFile::exists(target))
            existing.append(file);
    }
    return existing;
}

bool CMediaDownloadHandler::hasEnoughFreeSpace(const QVector<CRemoteFileInfo>& files,
                                               const QStringList& overwriteTargets, const QString& photoFolder,
                                               const QString& videoFolder)
{
    QVector<PlannedFile> planned;
    planned.reserve(files.size());
    for (const CRemoteFileInfo& file : files) {
        const QString target = targetPath(file.fileUrl(), photoFolder, videoFolder);
        if (!target.isEmpty())
            planned.append({target, file.fileSize(), overwriteTargets.contains(target)});
    }
    return hasEnoughStorageSpace(planned);
}

std::shared_ptr<CAbstractMediaDownload>
CMediaDownloadHandler::startDownload(const QVector<CRemoteFileInfo>& files, const QStringList& overwriteFiles,
                                     const QStringList& excludedFiles, const QString& photoFolder,
                                     const QString& videoFolder)
{
    QVector<CRemoteFileInfo> records = files;
    for (const QString& excluded : excludedFiles) {
        for (int i = 0; i < records.size(); ++i) {
            if (records.at(i).fileUrl() == excluded) {
                records.remove(i);
                break;
            }
        }
    }
    QVector<CRemoteFileInfo> media;
    for (const CRemoteFileInfo& record : qAsConst(records)) {
        if (isRemoteMedia(record))
            media.append(record);
    }
    if (media.isEmpty())
        return nullptr;

    Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
    // A running download may be about to rename its hidden copies; it is refused below anyway.
    if (storage && !storage->activeDownload()) {
        removeLeftoverReplacements(photoFolder);
        removeLeftoverReplacements(videoFolder);
    }

    QStringList overwriteTargets;
    for (const QString& file : overwriteFiles)
        overwriteTargets.append(targetPath(file, photoFolder, videoFolder));

    if (!hasEnoughFreeSpace(media, overwriteTargets, photoFolder, videoFolder)) {
        reportError(MediaDownloadErrorInsufficientFreeSpace);
        return nullptr;
    }
    // The old copies stay until their new ones are complete; only make sure each can be replaced.
    for (const QString& target : qAsConst(overwriteTargets)) {
        if (!canReplaceFile(target)) {
            reportError(MediaDownloadErrorOverwriteFileFailed, fileNameFromPath(target));
            return nullptr;
        }
    }

    QVector<QString> targets;
    QVector<CRemoteFileInfo> fetched;
    QHash<QString, QString> replacements;
    QSet<QString> replacementNames;
    for (const CRemoteFileInfo& record : qAsConst(media)) {
        QString target = targetPath(record.fileUrl(), photoFolder, videoFolder);
        // A file the tablet cannot name safely is left on the camera.
        if (target.isEmpty()) {
            CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("CulvertixApplication"),
                                QStringLiteral("Camera file left out, its name is not usable: \"%1\""),
                                {record.fileUrl()});
            continue;
        }
        // A file to overwrite is fetched under a name of its own and replaces the old copy
        // once complete. Two camera files of one name each get their own.
        if (overwriteTargets.contains(target) && QFileInfo::exists(target)) {
            const QString replacement = replacementPathFor(target, replacementNames);
            replacementNames.insert(replacement);
            replacements.insert(replacement, target);
            target = replacement;
        }
        fetched.append(record);
        targets.append(target);
    }

    std::shared_ptr<CAbstractMediaDownload> download =
        storage && !fetched.isEmpty() ? storage->downloadFiles(fetched, targets) : nullptr;
    if (!download) {
        reportError(MediaDownloadErrorInternal);
        return nullptr;
    }
    CMediaDownloadReplacements::attach(download, replacements);
    QMetaObject::invokeMethod(this, "downloadStarted", Qt::QueuedConnection);
    return download;
}

std::shared_ptr<CAbstractMediaDownload>
CMediaDownloadHandler::startDownload(const QString& fileName, const QStringList& overwriteFiles,
                                     const QStringList& excludedFiles, const QString& photoFolder,
                                     const QString& videoFolder)
{
    QVector<CRemoteFileInfo> records;
    Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
    const QVector<CRemoteFileInfo> listed = storage ? storage->fileList() : QVector<CRemoteFileInfo>();
    for (const CRemoteFileInfo& record : listed) {
        if (record.fileName() == fileName) {
            records.append(record);
            break;
        }
    }
    return startDownload(records, overwriteFiles, excludedFiles, photoFolder, videoFolder);
}

void CMediaDownloadHandler::reportError(int code, const QString& fileName)
{
    QMetaObject::invokeMethod(this, "errorOccurred", Qt::QueuedConnection,
                              Q_ARG(QString, TranslationHelper::mediaDownloadErrorMessage(code, fileName)));
}
