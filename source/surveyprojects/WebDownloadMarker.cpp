#include "surveyprojects/WebDownloadMarker.h"

#include "surveyprojects/ProjectFiles.h"

#include "application/PathHelpers.h"

#include "CLogger.h"

#include "FileReplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace WebDownloadMarker {

namespace {

const QString LogCategory = QStringLiteral("Projects");
// A mark lists at most a project's media files; anything far larger is no mark of ours.
const qint64 MaxMarkBytes = 16 * 1024 * 1024;
// Media folders a download makes lie a few levels down at most.
const int MaxFolderDepth = 16;

QString markPath(const QString& projectPath)
{
    return QDir(projectPath).filePath(QLatin1String(ProjectFiles::WebDownloadMarkFileName));
}

bool entryExists(const QString& path)
{
    struct stat entry {};
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0;
}

// The mark's lines that were written whole; empty without a mark (never read through a link).
QStringList markLines(const QString& projectPath)
{
    const int fd = ::open(QFile::encodeName(markPath(projectPath)).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    QFile file;
    struct stat info {};
    QByteArray bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxMarkBytes
        && file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        bytes = file.read(MaxMarkBytes);
    ::close(fd);
    // A line cut by a crash in its middle is not taken for another name.
    const int end = bytes.lastIndexOf('\n');
    bytes.truncate(end < 0 ? 0 : end);
    return bytes.isEmpty() ? QStringList() : QString::fromUtf8(bytes).split(QLatin1Char('\n'));
}

bool writeMark(const QString& projectPath, const QByteArray& bytes, int flags)
{
    const QString path = markPath(projectPath);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | flags, 0644);
    bool written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    const int error = errno;
    if (fd >= 0)
        written = ::close(fd) == 0 && written;
    if (!written)
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Could not write the download mark"),
                            {path, QString::fromLocal8Bit(std::strerror(error))});
    return written;
}

// Paths relative to a project folder of the files a download wrote there, and the name start of
// each one's new copies (FileReplacement) on their way to it.
struct DownloadFiles
{
    QSet<QString> files;
    QSet<QString> copyStarts;

    void add(const QString& projectPath, const QString& relativePath)
    {
        files.insert(relativePath);
        addCopiesOf(projectPath, relativePath);
    }

    void addCopiesOf(const QString& projectPath, const QString& relativePath)
    {
        const int slash = relativePath.lastIndexOf(QLatin1Char('/'));
        const QString copyName = QFileInfo(FileReplacement::newCopyTemplate(projectPath + relativePath)).fileName();
        copyStarts.insert(relativePath.left(slash + 1) + copyName.chopped(6));
    }

    bool holds(const QString& relativePath) const
    {
        if (files.contains(relativePath))
            return true;
        const int slash = relativePath.lastIndexOf(QLatin1Char('/'));
        return FileReplacement::isNewCopyName(relativePath.mid(slash + 1))
            && copyStarts.contains(relativePath.chopped(6));
    }
};

// Whether everything below projectPath + relative is a download's: its files and folders holding
// nothing else. A folder that cannot be listed holds what cannot be shown to be the download's.
// found, when given, receives the files, and the folders after what they hold.
bool holdsOnly(const QString& projectPath, const QString& relative, const DownloadFiles& ours, int depth,
               QStringList* found = nullptr)
{
    DIR* folder = ::opendir(QFile::encodeName(projectPath + relative).constData());
    if (!folder)
        return false;
    bool only = true;
    while (only) {
        const dirent* entry = ::readdir(folder);
        if (!entry)
            break;
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const QString path = relative + name;
        struct stat info {};
        if (::lstat(QFile::encodeName(projectPath + path).constData(), &info) != 0)
            continue; // gone meanwhile (a copy of a stopped transfer)
        // A folder where a file of the download goes is none of the download's.
        if (S_ISDIR(info.st_mode))
            only = depth < MaxFolderDepth && !ours.files.contains(path)
                && path != QLatin1String(ProjectFiles::ProjectFileName)
                && holdsOnly(projectPath, path + QLatin1Char('/'), ours, depth + 1, found);
        else
            only = S_ISREG(info.st_mode) && ours.holds(path);
        if (only && found)
            found->append(S_ISDIR(info.st_mode) ? path + QLatin1Char('/') : path);
    }
    ::closedir(folder);
    return only;
}

// Until a download has finished its data files bear their download names only; the mark's new
// copies are its too (a kill at the mark's rename leaves one).
DownloadFiles unfinishedDataFiles(const QString& projectPath)
{
    DownloadFiles ours;
    for (const char* name : {ProjectFiles::ProjectDownloadFileName, ProjectFiles::ManholeDownloadFileName})
        ours.add(projectPath, QLatin1String(name));
    ours.addCopiesOf(projectPath, QLatin1String(ProjectFiles::WebDownloadMarkFileName));
    return ours;
}

} // namespace

Leftover leftoverIn(const QString& projectPath, const QString& source)
{
    const QDir folder(projectPath);
    if (entryExists(folder.filePath(QLatin1String(ProjectFiles::ProjectFileName)))
        || entryExists(folder.filePath(QLatin1String(ProjectFiles::ProjectBackupFileName))))
        return Leftover::None;
    if (entryExists(markPath(projectPath))) {
        const QStringList lines = markLines(projectPath);
        if (lines.isEmpty())
            return Leftover::UnreadableMark;
        return !source.isEmpty() && lines.first() == source ? Leftover::SameDownload : Leftover::OtherDownload;
    }
    // Without a mark, a manholes.xml is the operator's: a download names it so only as it finishes.
    return holdsOnly(ensureTrailingSlash(projectPath), QString(), unfinishedDataFiles(ensureTrailingSlash(projectPath)), 0)
        ? Leftover::Unmarked
        : Leftover::None;
}

bool mark(const QString& projectPath, const QString& source, int* systemError)
{
    // Whole or not at all, and on the disk with its name before anything else of the download:
    // a power cut must not leave the download's files under an empty mark.
    int error = 0;
    QString reason;
    const bool written = FileReplacement::writeWholeFile(markPath(projectPath),
                                                         [&source, &error](QFileDevice& copy) {
                                                             const QByteArray line = source.toUtf8() + '\n';
                                                             if (copy.write(line) == line.size() && copy.flush())
                                                                 return true;
                                                             error = errno;
                                                             return false;
                                                         },
                                                         &reason)
        // The folder's own name in the projects root: it was just made.
        && FileReplacement::syncFolder(QFileInfo(QDir::cleanPath(projectPath)).absolutePath());
    if (written)
        return true;
    if (error == 0)
        error = errno;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Could not write the download mark"),
                        {markPath(projectPath),
                         reason.isEmpty() ? QString::fromLocal8Bit(std::strerror(error)) : reason});
    if (systemError)
        *systemError = error;
    return false;
}

QSet<QString> completedFiles(const QString& projectPath)
{
    QStringList lines = markLines(projectPath);
    if (lines.isEmpty())
        return {};
    lines.removeFirst();
    return QSet<QString>(lines.cbegin(), lines.cend());
}

bool addCompletedFile(const QString& projectPath, const QString& relativePath)
{
    if (relativePath.isEmpty() || relativePath.contains(QLatin1Char('\n')))
        return false;
    // One write of one whole line.
    return writeMark(projectPath, relativePath.toUtf8() + '\n', O_APPEND);
}

bool unmark(const QString& projectPath)
{
    const QString path = markPath(projectPath);
    if (!entryExists(path) || QFile::remove(path))
        return true;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, QStringLiteral("Could not remove the download mark"), {path});
    return false;
}

Removal removeDownloadFolder(const QString& projectPath, const QString& inFlight)
{
    const QString folder = ensureTrailingSlash(projectPath);
    QStringList lines = markLines(folder);
    if (lines.isEmpty())
        return Removal::Kept;
    DownloadFiles ours = unfinishedDataFiles(folder);
    const QString mark = QLatin1String(ProjectFiles::WebDownloadMarkFileName);
    ours.add(folder, mark);
    lines.removeFirst();
    // Media lie in sub-folders: a listed name beside the project's own files is none of them,
    // but for manholes.xml, listed once the download has given it its name (a mark without the
    // line, older ones too, leaves it the operator's).
    for (const QString& line : qAsConst(lines)) {
        if (line.contains(QLatin1Char('/')) || line == QLatin1String(ProjectFiles::ManholeFileName))
            ours.add(folder, line);
    }
    const QString inFlightPath = QDir(folder).relativeFilePath(inFlight);
    // Of a transfer just stopped, only its copies: what holds its name the mark does not list.
    if (!inFlight.isEmpty() && !inFlightPath.startsWith(QLatin1String("../")))
        ours.addCopiesOf(folder, inFlightPath);
    QStringList found;
    if (!holdsOnly(folder, QString(), ours, 0, &found))
        return Removal::Kept;
    // One by one, never a whole tree: what arrives meanwhile stays. The mark goes last, so that a
    // removal stopped halfway is still known as the download's when it is tried again.
    for (const QString& path : qAsConst(found)) {
        const QByteArray name = QFile::encodeName(folder + path);
        if (path.endsWith(QLatin1Char('/')))
            ::rmdir(name.constData());
        else if (path != mark)
            ::unlink(name.constData());
    }
    const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (left != QStringList{mark})
        return Removal::Unfinished;
    return ::unlink(QFile::encodeName(markPath(folder)).constData()) == 0
            && ::rmdir(QFile::encodeName(QDir::cleanPath(folder)).constData()) == 0
        ? Removal::Removed
        : Removal::Unfinished;
}

} // namespace WebDownloadMarker
