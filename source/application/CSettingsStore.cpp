#include "CSettingsStore.h"

#include "CLogger.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace {

const QString Category = QStringLiteral("CulvertixApplication");
// A store holds a few kilobytes; a file far beyond that is no store of this program's.
const qint64 MaxStoreBytes = 4 * 1024 * 1024;
const char CopyName[] = "store.conf";
const QLatin1String CopyInfix(".saving.");

QMutex observerMutex;
std::function<void(CSettingsStore::DiskStep, const QString&)> diskObserver;

void observe(CSettingsStore::DiskStep step, const QString& copyPath)
{
    std::function<void(CSettingsStore::DiskStep, const QString&)> observer;
    {
        QMutexLocker locker(&observerMutex);
        observer = diskObserver;
    }
    if (observer)
        observer(step, copyPath);
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void logRefusal(const QString& text, const QStringList& details)
{
    QVariantList arguments;
    for (const QString& detail : details)
        arguments.append(detail);
    CLogger::logMessage(CLogger::LogLevelError, Category, text, arguments);
}

CSettingsStore::Result resultOfError(int error)
{
    switch (error) {
    case EROFS:
    case EACCES:
    case EPERM:
        return CSettingsStore::ReadOnlyFolder;
    case ENOSPC:
    case EDQUOT:
        return CSettingsStore::DiskFull;
    default:
        return CSettingsStore::WriteFailed;
    }
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Where a save puts its new copy: the folder and the name of the file that was checked.
struct Target
{
    QByteArray folder;
    QByteArray name;
    bool viaLink = false;
};

// The folder's own folder is made on the first save; when it cannot be, the nearest folder
// that exists says why.
CSettingsStore::Result makeFolder(const QString& folder)
{
    if (QDir().mkpath(folder))
        return CSettingsStore::Written;
    QString existing = folder;
    while (!existing.isEmpty() && !QFileInfo(existing).isDir())
        existing = QFileInfo(existing).path();
    struct statvfs volume {};
    const QByteArray encoded = QFile::encodeName(existing);
    const bool readOnly = (::statvfs(encoded.constData(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
        || ::access(encoded.constData(), W_OK) != 0;
    logRefusal(QStringLiteral("The folder of the settings store could not be made; the settings are not saved"),
               {folder, existing});
    return readOnly ? CSettingsStore::ReadOnlyFolder : CSettingsStore::WriteFailed;
}

// Resolves the store's name once: a link to the plain file it finally names, else the name.
CSettingsStore::Result resolveTarget(const QString& path, Target& target)
{
    const QFileInfo info(path);
    const CSettingsStore::Result folder = makeFolder(info.absolutePath());
    if (folder != CSettingsStore::Written)
        return folder;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat entry {};
    if (::lstat(encoded.constData(), &entry) != 0 && errno != ENOENT) {
        const int error = errno;
        logRefusal(QStringLiteral("The settings store could not be examined; the settings are not saved"),
                   {path, systemText(error)});
        return CSettingsStore::WriteFailed;
    }
    if (S_ISLNK(entry.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(encoded.constData(), resolved)) {
            logRefusal(QStringLiteral("The settings store is a link to nothing; the settings and the remembered "
                                      "password are not written through it"),
                       {path, systemText(errno)});
            return CSettingsStore::LinkToNothing;
        }
        const QFileInfo real(QFile::decodeName(resolved));
        target.folder = QFile::encodeName(real.path());
        target.name = QFile::encodeName(real.fileName());
        target.viaLink = true;
        return CSettingsStore::Written;
    }
    target.folder = QFile::encodeName(info.absolutePath());
    target.name = QFile::encodeName(info.fileName());
    return CSettingsStore::Written;
}

// The store as it is now, checked in its folder without following a link; empty when there is
// none yet. old is its status, left zeroed then.
CSettingsStore::Result readCheckedStore(int folder, const Target& target, const QString& shown, QByteArray& content,
                                        struct stat& old, int looksLeft = 8)
{
    if (::fstatat(folder, target.name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        old = {};
        if (error == ENOENT && !target.viaLink)
            return CSettingsStore::Written;
        logRefusal(error == ENOENT ? QStringLiteral("The file the settings store links to is gone; nothing is written")
                                   : QStringLiteral("The settings store could not be examined; nothing is written"),
                   {shown, systemText(error)});
        return error == ENOENT ? CSettingsStore::LinkToNothing : CSettingsStore::WriteFailed;
    }
    if (!S_ISREG(old.st_mode)) {
        logRefusal(QStringLiteral("The settings store is not a plain file; nothing is written to it"), {shown});
        return CSettingsStore::NotAPlainFile;
    }
    if (old.st_uid != ::geteuid()) {
        logRefusal(QStringLiteral("The settings store is another user's file; the settings and the remembered "
                                  "password are not written to it"),
                   {shown});
        return CSettingsStore::OtherUsersFile;
    }
    const FileDescriptor file(
        ::openat(folder, target.name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat opened {};
    const bool examined = file.valid() && ::fstat(file.get(), &opened) == 0;
    // Another instance of the program saved in the meantime: its new store is looked at anew.
    if (examined && S_ISREG(opened.st_mode) && opened.st_ino != old.st_ino && looksLeft > 0)
        return readCheckedStore(folder, target, shown, content, old, looksLeft - 1);
    if (!examined || opened.st_dev != old.st_dev || opened.st_ino != old.st_ino || opened.st_size > MaxStoreBytes) {
        const int error = file.valid() ? 0 : errno;
        logRefusal(QStringLiteral("The settings store could not be read; nothing is written to it"),
                   {shown, error != 0 ? systemText(error) : QStringLiteral("changed while read, or too large")});
        return error == ELOOP ? CSettingsStore::NotAPlainFile : CSettingsStore::WriteFailed;
    }
    content.resize(int(opened.st_size));
    qint64 done = 0;
    while (done < opened.st_size) {
        const ssize_t step = ::read(file.get(), content.data() + done, size_t(opened.st_size - done));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            break;
        done += step;
    }
    content.truncate(int(done));
    return CSettingsStore::Written;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t step = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (step < 0 && errno == EINTR)
            continue;
        if (step < 0)
            return false;
        done += step;
    }
    return true;
}

// QSettings only says that it could not write; whether a store-sized file still fits on the
// drive tells a full disk from anything else.
CSettingsStore::Result causeOfFailedCopy(int scratch, qint64 bytes)
{
    const char probeName[] = "room";
    const FileDescriptor probe(::openat(scratch, probeName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!probe.valid())
        return resultOfError(errno);
    const int error = ::posix_fallocate(probe.get(), 0, bytes);
    ::unlinkat(scratch, probeName, 0);
    if (error != 0)
        return resultOfError(error);
    struct statvfs volume {};
    if (::fstatvfs(scratch, &volume) == 0 && (volume.f_flag & ST_RDONLY))
        return CSettingsStore::ReadOnlyFolder;
    return CSettingsStore::WriteFailed;
}

// Whether fd is still the folder at path: its save may have ended and removed it meanwhile.
bool stillNamed(int fd, const QByteArray& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

// The hidden folder of one save's new copy: private from its creation, removed with all it
// holds unless the copy was renamed out of it. It is locked (flock) for as long as the save
// lasts, so that a sweep, in this process or another instance of the program, leaves it alone;
// the kernel drops the lock when the save's process dies, which is how a sweep knows a stray.
class CopyFolder
{
public:
    CopyFolder(const Target& target)
    {
        QByteArray pattern = target.folder + "/." + target.name + CopyInfix.latin1() + "XXXXXX";
        if (::mkdtemp(pattern.data())) {
            m_path = QFile::decodeName(pattern);
            m_fd = ::open(pattern.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        m_error = m_fd >= 0 ? 0 : errno;
        // Taken before anything is written into it: a sweep that got it first only looks
        // inside, and leaves a folder that is still empty. (A drive without locks keeps it
        // unlocked, as saves were before.)
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~CopyFolder()
    {
        // Removed before the lock goes, so that no sweep ever finds it unlocked.
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CopyFolder(const CopyFolder&) = delete;
    CopyFolder& operator=(const CopyFolder&) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }
    QString filePath() const { return m_path + QLatin1Char('/') + QLatin1String(CopyName); }

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
};

qint64 milliseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

void sweepFolder(const QString& folder, const QString& storeName)
{
    const QString prefix = QLatin1Char('.') + storeName + CopyInfix;
    const QStringList names = QDir(folder).entryList({prefix + QStringLiteral("??????")},
                                                     QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        struct stat entry {};
        // Only a folder of this user's own that a save made: never a link, never another's.
        const QByteArray encoded = QFile::encodeName(path);
        if (::lstat(encoded.constData(), &entry) != 0 || !S_ISDIR(entry.st_mode) || entry.st_uid != ::geteuid())
            continue;
        // A save still running, here or in another instance of the program, holds its folder
        // locked until the folder is gone; one that has only just made it has written nothing
        // into it yet.
        const FileDescriptor held(::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!held.valid() || ::flock(held.get(), LOCK_EX | LOCK_NB) != 0 || !stillNamed(held.get(), encoded)
            || QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            continue;
        if (QDir(path).removeRecursively())
            CLogger::logMessage(CLogger::LogLevelWarning, Category,
                                QStringLiteral("Removed the copy of the settings store that an interrupted save left"),
                                {path});
    }
}

} // namespace

QString CSettingsStore::fileName()
{
    // Where QSettings keeps the organisation's and application's store, found without opening it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tovrin/Culvertix.conf");
}

QString CSettingsStore::copyFolderPattern(const QString& storeName)
{
    return QLatin1Char('.') + storeName + CopyInfix + QStringLiteral("XXXXXX");
}

bool CSettingsStore::mayBeRead(const QString& path)
{
    struct stat entry {};
    if (::stat(QFile::encodeName(path).constData(), &entry) != 0 || S_ISREG(entry.st_mode))
        return true;
    logRefusal(QStringLiteral("The settings store is not a plain file; it is not read, and the program goes on "
                              "with its default settings"),
               {path});
    return false;
}

void CSettingsStore::sweepAbandonedCopies()
{
    const QFileInfo store(fileName());
    sweepFolder(store.absolutePath(), store.fileName());
    if (!store.isSymLink())
        return;
    const QFileInfo real(store.canonicalFilePath());
    if (!real.fileName().isEmpty())
        sweepFolder(real.absolutePath(), real.fileName());
}

CSettingsStore::Result CSettingsStore::writeGroup(const QString& group, const Values& values)
{
    sweepAbandonedCopies();
    const QString path = fileName();
    Target target;
    Result result = resolveTarget(path, target);
    if (result != Written)
        return result;
    const QString shown = QFile::decodeName(target.folder + '/' + target.name);
    // Every later step works on this folder and this name: a link put in the store's place
    // meanwhile is replaced, never followed.
    const FileDescriptor folder(::open(target.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        const int error = errno;
        logRefusal(QStringLiteral("The folder of the settings store could not be opened; nothing is written"),
                   {shown, systemText(error)});
        return error == ENOENT && target.viaLink ? LinkToNothing : resultOfError(error);
    }
    QByteArray content;
    struct stat old {};
    result = readCheckedStore(folder.get(), target, shown, content, old);
    if (result != Written)
        return result;

    const CopyFolder copy(target);
    if (copy.fd() < 0) {
        logRefusal(QStringLiteral("No new copy of the settings store could be made beside it; nothing is written"),
                   {shown, systemText(copy.error())});
        return resultOfError(copy.error());
    }
    {
        const FileDescriptor file(
            ::openat(copy.fd(), CopyName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.valid() || !writeAll(file.get(), content)) {
            const int error = errno;
            logRefusal(QStringLiteral("The new copy of the settings store could not be written; nothing is written"),
                       {shown, systemText(error)});
            return resultOfError(error);
        }
    }
    observe(DiskStep::Sync, copy.filePath());
    {
        QSettings store(copy.filePath(), QSettings::IniFormat);
        store.beginGroup(group);
        store.remove(QString());
        store.setValue(QStringLiteral("Version"), 1);
        for (const auto& value : values)
            store.setValue(value.first, value.second);
        store.endGroup();
        store.sync();
        if (store.status() == QSettings::AccessError) {
            result = causeOfFailedCopy(copy.fd(), content.size() + 64 * 1024);
            logRefusal(QStringLiteral("The new copy of the settings store could not be written; nothing is written"),
                       {shown, result == DiskFull ? QStringLiteral("no room on the drive") : QString()});
            return result;
        }
    }
    // QSettings wrote the copy through QSaveFile, which synced its data to the disk.
    const FileDescriptor file(::openat(copy.fd(), CopyName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat written {};
    if (!file.valid() || ::fstat(file.get(), &written) != 0 || !S_ISREG(written.st_mode)
        || ::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0) {
        const int error = errno;
        logRefusal(QStringLiteral("The new copy of the settings store could not be completed; nothing is written"),
                   {shown, systemText(error)});
        return resultOfError(error);
    }
    // QSettings takes a file as unchanged when its size and its time to the millisecond are:
    // the new copy must not look like the one it replaces.
    if (old.st_ino != 0 && written.st_size == old.st_size
        && milliseconds(written.st_mtim) <= milliseconds(old.st_mtim)) {
        const qint64 later = milliseconds(old.st_mtim) + 1;
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(later / 1000), long(later % 1000) * 1000000}};
        ::futimens(file.get(), times);
    }
    observe(DiskStep::Rename, copy.filePath());
    if (::renameat(copy.fd(), CopyName, folder.get(), target.name.constData()) != 0) {
        const int error = errno;
        logRefusal(QStringLiteral("The new copy of the settings store could not take its place; nothing is written"),
                   {shown, systemText(error)});
        return error == EISDIR || error == ENOTEMPTY ? NotAPlainFile : resultOfError(error);
    }
    // The new name lasts a power cut only once the folder is on the disk as well.
    ::fsync(folder.get());
    return Written;
}

void CSettingsStore::setDiskObserver(std::function<void(DiskStep step, const QString& copyPath)> observer)
{
    QMutexLocker locker(&observerMutex);
    diskObserver = std::move(observer);
}

bool CSettingsStore::secure(const QString& fileName, bool create)
{
    QByteArray path = QFile::encodeName(fileName);
    if (create)
        QDir().mkpath(QFileInfo(fileName).absolutePath());
    // A link, as dotfile managers set the store up, is followed to a plain file of this user's
    // own only: anything else would put the password where the link's maker chose.
    struct stat entry {};
    const bool link = ::lstat(path.constData(), &entry) == 0 && S_ISLNK(entry.st_mode);
    if (link) {
        char resolved[PATH_MAX];
        if (!::realpath(path.constData(), resolved)) {
            logRefusal(QStringLiteral("The settings store is a link to nothing; the settings and the remembered "
                                      "password are not written through it"),
                       {fileName, systemText(errno)});
            return false;
        }
        path = resolved;
    }
    // The last step is no link (realpath resolved every one), a special file neither blocks nor
    // is created, and a link is never made to create its target.
    const int fd = ::open(path.constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create && !link ? O_CREAT : 0),
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT && !create)
            return true;
        logRefusal(QStringLiteral("The settings store could not be opened to make it private"),
                   {fileName, QString::fromLocal8Bit(path), systemText(error)});
        return false;
    }
    struct stat info {};
    bool secured = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!secured) {
        logRefusal(QStringLiteral("The settings store is not a plain file; nothing is written to it"),
                   {fileName, QString::fromLocal8Bit(path)});
    } else if (info.st_uid != ::geteuid()) {
        secured = false;
        logRefusal(QStringLiteral("The settings store is another user's file; the settings and the remembered "
                                  "password are not written to it"),
                   {fileName, QString::fromLocal8Bit(path)});
    } else if ((info.st_mode & 07777) != (S_IRUSR | S_IWUSR) && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        secured = false;
        logRefusal(QStringLiteral("The settings store could not be made private; nothing is written to it"),
                   {fileName, QString::fromLocal8Bit(path), systemText(errno)});
    }
    ::close(fd);
    return secured;
}
