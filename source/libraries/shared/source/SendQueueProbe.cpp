#include "SendQueueProbe.h"

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QtEndian>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

namespace Tovrin {
namespace Shared {

#ifdef Q_OS_LINUX
namespace {

// Inodes of the sockets among this process's open descriptors.
QSet<quint64> ownSocketInodes()
{
    QSet<quint64> inodes;
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return inodes;
    char path[300];
    char target[64];
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        std::snprintf(path, sizeof path, "/proc/self/fd/%s", entry->d_name);
        const ssize_t length = ::readlink(path, target, sizeof target - 1);
        if (length <= 0)
            continue;
        target[length] = '\0';
        // "socket:[12345]"
        if (std::strncmp(target, "socket:[", 8) == 0)
            inodes.insert(std::strtoull(target + 8, nullptr, 10));
    }
    ::closedir(folder);
    return inodes;
}

// "0100007F" (IPv4) or 32 hex digits (IPv6): the address as the kernel prints it, word by word
// in the machine's byte order.
QHostAddress addressFromKernel(const QByteArray& hex)
{
    if (hex.size() != 8 && hex.size() != 32)
        return QHostAddress();
    quint8 bytes[16];
    for (int word = 0; word < hex.size() / 8; ++word) {
        bool ok = false;
        const quint32 value = hex.mid(word * 8, 8).toUInt(&ok, 16);
        if (!ok)
            return QHostAddress();
        std::memcpy(bytes + word * 4, &value, 4);
    }
    if (hex.size() == 8) {
        quint32 networkOrder = 0;
        std::memcpy(&networkOrder, bytes, 4);
        return QHostAddress(qFromBigEndian(networkOrder));
    }
    return QHostAddress(bytes);
}

bool addressMatches(const QHostAddress& address, const QList<QHostAddress>& wanted)
{
    if (wanted.isEmpty())
        return true;
    for (const QHostAddress& candidate : wanted) {
        if (candidate.isEqual(address, QHostAddress::ConvertV4MappedToIPv4))
            return true;
    }
    return false;
}

// Adds the send queues of the table's matching connections; false when the table is unreadable.
bool addQueues(const char* table, const QSet<quint64>& inodes, quint16 port, const QList<QHostAddress>& addresses,
               qint64* total, bool* found)
{
    QFile file(QString::fromLatin1(table));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.readLine(); // the column names
    while (!file.atEnd()) {
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ...
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() < 10 || fields.at(3) == "0A") // a listening socket
            continue;
        const QList<QByteArray> remote = fields.at(2).split(':');
        if (remote.size() != 2 || remote.at(1).toUInt(nullptr, 16) != port)
            continue;
        if (!inodes.contains(fields.at(9).toULongLong()) || !addressMatches(addressFromKernel(remote.at(0)), addresses))
            continue;
        *found = true;
        *total += qint64(fields.at(4).split(':').value(0).toULongLong(nullptr, 16));
    }
    return true;
}

} // namespace

qint64 SendQueueProbe::unacknowledgedBytes(quint16 remotePort, const QList<QHostAddress>& remoteAddresses)
{
    const QSet<quint64> inodes = ownSocketInodes();
    if (inodes.isEmpty())
        return -1;
    qint64 total = 0;
    bool found = false;
    const bool readable = addQueues("/proc/self/net/tcp", inodes, remotePort, remoteAddresses, &total, &found);
    const bool readable6 = addQueues("/proc/self/net/tcp6", inodes, remotePort, remoteAddresses, &total, &found);
    return (readable || readable6) && found ? total : -1;
}

#else

qint64 SendQueueProbe::unacknowledgedBytes(quint16, const QList<QHostAddress>&)
{
    return -1;
}

#endif

} // namespace Shared
} // namespace Tovrin
