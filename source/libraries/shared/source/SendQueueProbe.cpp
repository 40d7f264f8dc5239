#include "SendQueueProbe.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QtEndian>

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#endif

namespace Tovrin {
namespace Shared {

#ifdef Q_OS_LINUX
namespace {

// The sockets among this process's open descriptors, by inode.
QHash<quint64, int> ownSocketInodes()
{
    QHash<quint64, int> inodes;
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
            inodes.insert(std::strtoull(target + 8, nullptr, 10), std::atoi(entry->d_name));
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

struct Connection
{
    quint64 inode;
    qint64 sendQueue;
    qint64 receiveQueue;
};

// Calls visit for each of the table's connections that are this process's, to the port and one
// of the addresses; false when the table is unreadable.
template <typename Visit>
bool visitConnections(const char* table, const QHash<quint64, int>& inodes, quint16 port,
                      const QList<QHostAddress>& addresses, Visit visit)
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
        const QList<QByteArray> queues = fields.at(4).split(':');
        visit(Connection{fields.at(9).toULongLong(), qint64(queues.value(0).toULongLong(nullptr, 16)),
                         qint64(queues.value(1).toULongLong(nullptr, 16))});
    }
    return true;
}

} // namespace

qint64 SendQueueProbe::unacknowledgedBytes(quint16 remotePort, const QList<QHostAddress>& remoteAddresses)
{
    const QHash<quint64, int> inodes = ownSocketInodes();
    if (inodes.isEmpty())
        return -1;
    qint64 total = 0;
    bool found = false;
    auto add = [&](const Connection& connection) {
        found = true;
        total += connection.sendQueue;
    };
    const bool readable = visitConnections("/proc/self/net/tcp", inodes, remotePort, remoteAddresses, add);
    const bool readable6 = visitConnections("/proc/self/net/tcp6", inodes, remotePort, remoteAddresses, add);
    return (readable || readable6) && found ? total : -1;
}

int SendQueueProbe::endUnreadConnections(quint16 remotePort, const QList<QHostAddress>& remoteAddresses)
{
    const QHash<quint64, int> inodes = ownSocketInodes();
    QList<Connection> unread;
    auto take = [&unread](const Connection& connection) {
        if (connection.receiveQueue > 0)
            unread.append(connection);
    };
    visitConnections("/proc/self/net/tcp", inodes, remotePort, remoteAddresses, take);
    visitConnections("/proc/self/net/tcp6", inodes, remotePort, remoteAddresses, take);
    int ended = 0;
    for (const Connection& connection : qAsConst(unread)) {
        const int descriptor = inodes.value(connection.inode);
        // The descriptor may have been closed and reused since the listing.
        struct stat status;
        if (::fstat(descriptor, &status) != 0 || !S_ISSOCK(status.st_mode) || quint64(status.st_ino) != connection.inode)
            continue;
        // Connecting a TCP socket to AF_UNSPEC resets the connection and drops what it holds; the
        // descriptor stays its owner's, whose next read fails.
        struct sockaddr unspecified;
        std::memset(&unspecified, 0, sizeof unspecified);
        unspecified.sa_family = AF_UNSPEC;
        if (::connect(descriptor, &unspecified, sizeof unspecified) == 0)
            ++ended;
    }
    return ended;
}

#else

qint64 SendQueueProbe::unacknowledgedBytes(quint16, const QList<QHostAddress>&)
{
    return -1;
}

int SendQueueProbe::endUnreadConnections(quint16, const QList<QHostAddress>&)
{
    return 0;
}

#endif

} // namespace Shared
} // namespace Tovrin
