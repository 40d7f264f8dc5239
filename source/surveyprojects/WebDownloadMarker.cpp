#include "surveyprojects/WebDownloadMarker.h"

#include "surveyprojects/ProjectFiles.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace WebDownloadMarker {

namespace {

const QString LogCategory = QStringLiteral("Projects");
// A mark lists at most a project's media files; anything far larger is no mark of ours.
const qint64 MaxMarkBytes = 16 * 1024 * 1024;

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

// A folder that a download made and that nothing was written into yet.
bool isEmptySkeleton(const QString& projectPath)
{
    const QDir folder(projectPath);
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QFileInfo info(folder.filePath(entry));
        const bool mediaFolder = entry == QLatin1String("Photos") || entry == QLatin1String("Videos");
        if (!mediaFolder || info.isSymLink() || !info.isDir()
            || !QDir(info.filePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty())
            return false;
    }
    return true;
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
        return !lines.isEmpty() && !source.isEmpty() && lines.first() == source ? Leftover::SameDownload
                                                                               : Leftover::OtherDownload;
    }
    if (entryExists(folder.filePath(QLatin1String(ProjectFiles::ProjectDownloadFileName)))
        || entryExists(folder.filePath(QLatin1String(ProjectFiles::ManholeDownloadFileName))) || isEmptySkeleton(projectPath))
        return Leftover::Unmarked;
    return Leftover::None;
}

bool mark(const QString& projectPath, const QString& source)
{
    return writeMark(projectPath, source.toUtf8() + '\n', O_TRUNC);
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

} // namespace WebDownloadMarker
