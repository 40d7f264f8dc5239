#include "FileReplacement.h"

#include "FilePermissions.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileReplacement {

namespace {

const QString Marker = QStringLiteral(".replacing.");
// What a file name may hold on the file systems the tablet writes to (bytes).
constexpr int NameMax = 255;

QMutex observerMutex;
std::function<void(const QString&)> syncObserver;
std::function<int(int)> syncCall;

#ifndef Q_OS_WIN
// Marks an open copy as being written: a lock that lasts as long as the copy is open, in this
// process or, after a fork, nowhere else (the descriptor closes on exec). The kernel drops it
// when the writer dies, which is how a sweep tells a stray from a copy still on its way.
bool markBeingWritten(int descriptor)
{
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
}

// What tells a copy of this program from a file of the user's that has a name of that form: the
// sticky bit, which means nothing for a file and which nobody gives one. A new copy carries it
// from its making until it has its target's name (FilePermissions::setFileMode keeps it).
constexpr mode_t CopyMark = S_ISVTX;
#endif

void notifyObserver(const QString& path)
{
    std::function<void(const QString&)> observer;
    {
        QMutexLocker locker(&observerMutex);
        observer = syncObserver;
    }
    if (observer)
        observer(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString newCopyTemplate(const QString& target)
{
    const QFileInfo info(target);
    QString name = info.fileName();
    // The hidden name must fit where the target's name fits: a long name gives up its end.
    const int room = NameMax - 1 - Marker.size() - 6;
    while (!name.isEmpty() && QFile::encodeName(name).size() > room)
        name.chop(name.at(name.size() - 1).isLowSurrogate() && name.size() > 1 ? 2 : 1);
    return info.absolutePath() + QStringLiteral("/.") + name + Marker + QStringLiteral("XXXXXX");
}

bool isNewCopyName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.replacing\\.[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

std::unique_ptr<QTemporaryFile> createNewCopy(const QString& target, QString* errorText)
{
    // A sweep that found the copy between its creation and its mark removes it: then another.
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto copy = std::make_unique<QTemporaryFile>(newCopyTemplate(target));
        if (!copy->open()) {
            if (errorText)
                *errorText = copy->errorString();
            return nullptr;
        }
        // Qt may open it unnamed at first; the name is given to it here, before it is marked.
        if (copy->fileName().isEmpty()) {
            if (errorText)
                *errorText = QStringLiteral("the new copy has no name");
            return nullptr;
        }
#ifndef Q_OS_WIN
        const int descriptor = copy->handle();
        const bool marked = markBeingWritten(descriptor);
        struct stat info {};
        if ((!marked && errno == EWOULDBLOCK) || (::fstat(descriptor, &info) == 0 && info.st_nlink == 0)) {
            // Swept already: its name may be another's by now.
            copy->setAutoRemove(false);
            continue;
        }
        // Where the file system keeps no modes the copy goes unmarked, and no sweep takes it.
        ::fchmod(descriptor, S_IRUSR | S_IWUSR | CopyMark);
#endif
        return copy;
    }
    if (errorText)
        *errorText = QStringLiteral("the new copy was removed as it was made");
    return nullptr;
}

int sweepStrayCopies(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    QDir dir(folder);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setNameFilters({QStringLiteral(".*.replacing.??????")});
    int removed = 0;
    const QStringList names = dir.entryList();
    for (const QString& name : names) {
        if (!isNewCopyName(name))
            continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
#ifdef Q_OS_WIN
        if (QFile::remove(QFile::decodeName(path)))
            ++removed;
#else
        // Never blocks (a pipe of that name) and never follows a link.
        const int descriptor = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        // Only a copy this program made (its owner and its mark), that no writer holds and that
        // still has this name goes: a file of the user's of that name stays, open or not.
        if (::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) && (opened.st_mode & CopyMark)
            && opened.st_uid == ::geteuid() && markBeingWritten(descriptor)
            && ::lstat(path.constData(), &named) == 0 && named.st_ino == opened.st_ino
            && named.st_dev == opened.st_dev && ::unlink(path.constData()) == 0)
            ++removed;
        ::close(descriptor);
#endif
    }
    return removed;
}

void dropCopyMark(QFileDevice& copy)
{
#ifndef Q_OS_WIN
    struct stat info {};
    const int descriptor = copy.handle();
    if (descriptor >= 0 && ::fstat(descriptor, &info) == 0 && (info.st_mode & CopyMark))
        ::fchmod(descriptor, info.st_mode & 07777 & ~CopyMark);
#else
    (void)copy;
#endif
}

bool syncToDisk(QFileDevice& copy)
{
    if (!copy.flush())
        return false;
    notifyObserver(copy.fileName());
    const int descriptor = copy.handle();
    if (descriptor < 0)
        return false;
    std::function<int(int)> call;
    {
        QMutexLocker locker(&observerMutex);
        call = syncCall;
    }
    if (call)
        return call(descriptor) == 0;
#if defined(Q_OS_WIN)
    return ::_commit(descriptor) == 0;
#elif defined(Q_OS_LINUX)
    // The content and what reading it back needs (its size), without the times a full sync
    // would write as well.
    return ::fdatasync(descriptor) == 0;
#else
    return ::fsync(descriptor) == 0;
#endif
}

WriteFailure writeFailure(const QFileDevice& file)
{
    const int error = errno;
    WriteFailure failure;
    failure.diskFull = error == ENOSPC || file.error() == QFileDevice::ResourceError;
#ifdef EDQUOT
    failure.diskFull = failure.diskFull || error == EDQUOT;
#endif
    failure.reason = error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
    return failure;
}

bool replaceFileWith(const QString& newCopy, const QString& target)
{
    // QFile::rename never replaces an existing name, and where it cannot rename it copies into
    // the target, through a link standing there; rename(2) replaces the name itself, atomically.
    return std::rename(QFile::encodeName(newCopy).constData(), QFile::encodeName(target).constData()) == 0;
}

bool renameWithoutReplacing(const QString& newCopy, const QString& target)
{
    const QByteArray from = QFile::encodeName(newCopy);
    const QByteArray to = QFile::encodeName(target);
#if defined(Q_OS_LINUX) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
#endif
#ifndef Q_OS_WIN
    // A second name is made only where none is: then the first one goes.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno == EEXIST)
        return false;
    // A file system without links (a FAT card): look, then rename.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
#else
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        errno = EEXIST;
        return false;
    }
#endif
    return std::rename(from.constData(), to.constData()) == 0;
}

std::optional<QFileDevice::Permissions> modeToKeep(const QString& target)
{
    const QFileInfo info(target);
    if (!info.isFile() || info.isSymLink())
        return std::nullopt;
    return info.permissions();
}

bool syncFolder(const QString& folder)
{
    notifyObserver(folder);
#ifdef Q_OS_WIN
    // Windows makes a rename durable with the file system's own journal.
    return true;
#else
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
#endif
}

bool writeWholeFile(const QString& target, const std::function<bool(QFileDevice&)>& writeContent, QString* errorText)
{
    const auto fail = [errorText](const QString& reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    sweepStrayCopies(folder);
    QString error;
    std::unique_ptr<QTemporaryFile> copy = createNewCopy(target, &error);
    if (!copy)
        return fail(QStringLiteral("cannot make a new copy: %1").arg(error));
    if (!writeContent(*copy) || !copy->flush())
        return fail(QStringLiteral("cannot write the new copy: %1").arg(copy->errorString()));
    const QFileDevice::Permissions mode = modeToKeep(target).value_or(FilePermissions::newFileDefault());
    if (FilePermissions::setFileMode(*copy, mode, &error) == FilePermissions::ModeResult::Failed)
        return fail(QStringLiteral("cannot set the file's mode: %1").arg(error));
    if (!syncToDisk(*copy))
        return fail(QStringLiteral("cannot write the file to the disk: %1").arg(writeFailure(*copy).reason));
    if (!replaceFileWith(copy->fileName(), target))
        return fail(QStringLiteral("cannot give the file its name: %1").arg(systemError()));
    dropCopyMark(*copy);
    copy->setAutoRemove(false);
    copy->close();
    // The new content holds the name already: a folder that cannot be synced does not undo that.
    syncFolder(folder);
    return true;
}

void setSyncObserver(std::function<void(const QString& copyPath)> observer)
{
    QMutexLocker locker(&observerMutex);
    syncObserver = std::move(observer);
}

void setSyncCall(std::function<int(int descriptor)> call)
{
    QMutexLocker locker(&observerMutex);
    syncCall = std::move(call);
}

} // namespace FileReplacement
