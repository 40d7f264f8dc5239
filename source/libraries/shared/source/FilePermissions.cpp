#include "FilePermissions.h"

#include <QFile>

namespace FilePermissions {

namespace {

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

} // namespace FilePermissions
