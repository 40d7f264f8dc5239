#include "mediaimport/CMediaDownloadHandler.h"

#include "mediaimport/MediaFileReplacement.h"
#include "mediaimport/SafeMediaPaths.h"

#include "application/PathHelpers.h"
#include "helpers/MediaFileTypes.h"
#include "messages/TranslationHelper.h"

#include "CLogger.h"
#include "FileReplacement.h"
#include "CUlxSystemsLibrary.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

using Tovrin::Logging::CLogger;
using Ulx::Multimedia::CAbstractMediaDownload;
using Ulx::Multimedia::CRemoteFileInfo;

namespace {

enum MediaDownloadError
{
    MediaDownloadErrorInternal = 1,
    MediaDownloadErrorInsufficientFreeSpace = 2,
    MediaDownloadErrorOverwriteFileFailed = 3,
    MediaDownloadErrorNoTargetFolder = 6,
    MediaDownloadErrorSameTargetName = 7
};

const QString LogCategory = QStringLiteral("CulvertixApplication");

bool isRemoteMedia(const CRemoteFileInfo& file)
{
    return file.fileType() == Ulx::RemoteMediaTypes::FileTypePhoto
        || file.fileType() == Ulx::RemoteMediaTypes::FileTypeVideo;
}

// Whatever stands at the path, a link to nothing included.
bool pathTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString swappedAsciiCase(QString text)
{
    for (QChar& c : text) {
        const ushort u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(u - 'a' + 'A');
        else if (u >= 'A' && u <= 'Z')
            c = QChar(u - 'A' + 'a');
    }
    return text;
}

// Whether the folder takes names that differ only in letter case for one (a FAT card, a
// case-folding folder): a file made there for the question is looked for under its name in the
// other case. A folder still to be made is asked through its nearest existing parent, which it
// will be made in. Where the question cannot be asked, the safe answer is yes.
bool ignoresLetterCase(const QString& folder)
{
    QString existing = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            return true;
        existing = parent;
    }
    const std::unique_ptr<QTemporaryFile> probe =
        FileReplacement::createNewCopy(existing + QStringLiteral("/case-check"));
    if (!probe)
        return true;
    const QFileInfo made(probe->fileName());
    return QFileInfo::exists(made.absolutePath() + QLatin1Char('/') + swappedAsciiCase(made.fileName()));
}

// The first target that two of the files would share, as its file name; empty when none is.
// Every target is compared with every earlier one: the same name always counts, names differing
// only in letter case where their folder does not tell them apart (asked once per folder).
// Without folders (askFolders false) only the same name counts.
QString sharedTarget(const QStringList& targets, bool askFolders)
{
    QHash<QString, QStringList> spellings;
    QHash<QString, bool> folderIgnoresCase;
    for (const QString& target : targets) {
        QStringList& earlier = spellings[target.toCaseFolded()];
        for (const QString& other : qAsConst(earlier)) {
            if (other == target)
                return fileNameFromPath(target);
            if (!askFolders)
                continue;
            const QString folder = QFileInfo(target).absolutePath();
            auto answer = folderIgnoresCase.constFind(folder);
            if (answer == folderIgnoresCase.constEnd())
                answer = folderIgnoresCase.insert(folder, ignoresLetterCase(folder));
            if (answer.value())
                return fileNameFromPath(target);
        }
        earlier.append(target);
    }
    return QString();
}

// What is to be fetched of files: the listed ones less those left out (each address once), of
// photo or video type.
QVector<CRemoteFileInfo> mediaToFetch(const QVector<CRemoteFileInfo>& files, const QStringList& excludedFiles)
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
    return media;
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

bool CMediaDownloadHandler::lacksFolder(const QString& fileNameOrUrl, const QString& photoFolder,
                                        const QString& videoFolder)
{
    const QString name = fileNameFromUrl(fileNameOrUrl);
    return (isPhotoFile(name) && photoFolder.isEmpty()) || (isVideoFile(name) && videoFolder.isEmpty());
}

QStringList CMediaDownloadHandler::queryExistingFiles(const QStringList& files, const QString& photoFolder,
                                                      const QString& videoFolder) const
{
    QStringList existing;
    for (const QString& file : files) {
        // A link there counts as well, one to nothing included: the download replaces it.
        const QString target = targetPath(file, photoFolder, videoFolder);
        if (!target.isEmpty() && pathTaken(target))
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
    const QVector<CRemoteFileInfo> media = mediaToFetch(files, excludedFiles);
    if (media.isEmpty())
        return nullptr;
    QString name;
    if (const int code = refusalCode(media, photoFolder, videoFolder, false, &name)) {
        reportError(code, name);
        return nullptr;
    }

    Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
    // A running download may be about to rename its hidden copies; it is refused below anyway.
    if (storage && !storage->activeDownload()) {
        removeLeftoverReplacements(photoFolder);
        removeLeftoverReplacements(videoFolder);
    }

    QStringList overwriteTargets;
    for (const QString& file : overwriteFiles)
        overwriteTargets.append(targetPath(file, photoFolder, videoFolder));

    // The camera may list a file without a size it can give: such a file is fetched all the
    // same, and a drive that fills meanwhile is named when it does.
    for (const CRemoteFileInfo& record : qAsConst(media)) {
        if (record.fileSize() == 0)
            CLogger::logMessage(CLogger::LogLevelInfo, LogCategory,
                                QStringLiteral("Camera file of unknown size, its room is not counted:"), {record.fileUrl()});
    }
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
    for (const CRemoteFileInfo& record : qAsConst(media)) {
        const QString target = targetPath(record.fileUrl(), photoFolder, videoFolder);
        // A file the tablet cannot name safely is left on the camera.
        if (target.isEmpty()) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                                QStringLiteral("Camera file left out, its name is not usable:"), {record.fileUrl()});
            continue;
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
    // A file to overwrite replaces what stands at its target (a link too, never followed) once
    // complete and on the disk.
    download->setReplaceableTargets(overwriteTargets);
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

int CMediaDownloadHandler::refusalCode(const QVector<CRemoteFileInfo>& media, const QString& photoFolder,
                                       const QString& videoFolder, bool folderToBeChosen, QString* fileName)
{
    // Refused before anything is asked, removed or fetched: a file without a folder would have
    // no place on the tablet, and of two files bound for one name only the last would stay.
    QStringList targets;
    for (const CRemoteFileInfo& record : media) {
        if (!folderToBeChosen && lacksFolder(record.fileUrl(), photoFolder, videoFolder)) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                                QStringLiteral("Camera download refused, no folder for the file:"), {record.fileUrl()});
            return MediaDownloadErrorNoTargetFolder;
        }
        // Without folders yet, one will take both photos and videos.
        const QString target = folderToBeChosen ? targetPath(record.fileUrl(), QStringLiteral("/"), QStringLiteral("/"))
                                                : targetPath(record.fileUrl(), photoFolder, videoFolder);
        if (!target.isEmpty())
            targets.append(target);
    }
    const QString shared = sharedTarget(targets, !folderToBeChosen);
    if (shared.isEmpty())
        return 0;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                        QStringLiteral("Camera download refused, several files would be saved as:"), {shared});
    *fileName = shared;
    return MediaDownloadErrorSameTargetName;
}

QString CMediaDownloadHandler::refusalMessage(const QVector<CRemoteFileInfo>& files, const QStringList& excludedFiles,
                                              const QString& photoFolder, const QString& videoFolder)
{
    QString name;
    const bool folderToBeChosen = photoFolder.isEmpty() && videoFolder.isEmpty();
    const int code = refusalCode(mediaToFetch(files, excludedFiles), photoFolder, videoFolder, folderToBeChosen, &name);
    return code ? TranslationHelper::mediaDownloadErrorMessage(code, name) : QString();
}

void CMediaDownloadHandler::reportError(int code, const QString& fileName)
{
    QMetaObject::invokeMethod(this, "errorOccurred", Qt::QueuedConnection,
                              Q_ARG(QString, TranslationHelper::mediaDownloadErrorMessage(code, fileName)));
}
