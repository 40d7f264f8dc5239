#include "FilePermissions.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#endif

namespace FilePermissions {

namespace {

QMutex modeCallMutex;
std::function<int(int, unsigned)> modeCall;

// The umask as the kernel reports it; reading it with umask() would change it for a moment
// under every other thread. 022 where the report is missing.
unsigned processUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    // A /proc file reports a size of 0: it is read whole, not up to its size.
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray& line : lines) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mask & 0777;
            }
        }
    }
    return 022;
}

} // namespace

QFileDevice::Permissions newFileDefault()
{
    const unsigned mode = 0666 & ~processUmask();
    QFileDevice::Permissions permissions;
    if (mode & 0400)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & 0200)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & 0040)
        permissions |= QFileDevice::ReadGroup;
    if (mode & 0020)
        permissions |= QFileDevice::WriteGroup;
    if (mode & 0004)
        permissions |= QFileDevice::ReadOther;
    if (mode & 0002)
        permissions |= QFileDevice::WriteOther;
    return permissions;
}

ModeResult setFileMode(QFileDevice& file, QFileDevice::Permissions permissions, QString* errorText)
{
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd < 0) {
        if (errorText)
            *errorText = QStringLiteral("the file is not open");
        return ModeResult::Failed;
    }
    mode_t mode = 0;
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR},  {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
        {QFileDevice::ReadGroup, S_IRGRP},  {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH},  {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH}};
    for (const auto& bit : bits) {
        if (permissions.testFlag(bit.first))
            mode |= bit.second;
    }
    // A new copy keeps the mark of one until it has its name (FileReplacement::dropCopyMark).
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        mode |= info.st_mode & S_ISVTX;
    std::function<int(int, unsigned)> call;
    {
        QMutexLocker locker(&modeCallMutex);
        call = modeCall;
    }
    if ((call ? call(fd, mode) : ::fchmod(fd, mode)) == 0)
        return ModeResult::Set;
    const int error = errno;
    if (errorText)
        *errorText = QString::fromLocal8Bit(std::strerror(error));
    // What a file system without modes answers: FUSE for a call it does not implement, the
    // kernel's FAT for a mode it cannot represent, others that they do not support it.
    const bool notKept = error == ENOSYS || error == EPERM || error == EOPNOTSUPP
#if defined(ENOTSUP) && ENOTSUP != EOPNOTSUPP
        || error == ENOTSUP
#endif
        ;
    return notKept ? ModeResult::NotKept : ModeResult::Failed;
#else
    if (file.setPermissions(permissions))
        return ModeResult::Set;
    if (errorText)
        *errorText = file.errorString();
    return ModeResult::Failed;
#endif
}

void setModeCall(std::function<int(int descriptor, unsigned mode)> call)
{
    QMutexLocker locker(&modeCallMutex);
    modeCall = std::move(call);
}

} // namespace FilePermissions
