#include "PeerConnections.h"

#include <QtGlobal>

#include <functional>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <dirent.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#endif

namespace Tovrin {
namespace Shared {

#ifdef Q_OS_LINUX
namespace {

bool connectedTo(int descriptor, quint16 port, const QList<QHostAddress>& addresses)
{
    int type = 0;
    socklen_t typeLength = sizeof type;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_STREAM)
        return false;
    sockaddr_storage peer {};
    socklen_t length = sizeof peer;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return false;
    QHostAddress address;
    quint16 peerPort = 0;
    if (peer.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&peer);
        address.setAddress(ntohl(in->sin_addr.s_addr));
        peerPort = ntohs(in->sin_port);
    } else if (peer.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&peer);
        address.setAddress(in6->sin6_addr.s6_addr);
        peerPort = ntohs(in6->sin6_port);
    } else {
        return false;
    }
    if (peerPort != port)
        return false;
    if (addresses.isEmpty())
        return true;
    for (const QHostAddress& candidate : addresses) {
        if (candidate.isEqual(address, QHostAddress::TolerantConversion))
            return true;
    }
    return false;
}

// Calls visit with each of this process's descriptors that is a TCP connection to the peer;
// false when the descriptors cannot be listed. Each is looked at the moment it is visited, so
// a descriptor closed and reused since the listing is seen as what it is now.
bool forEachConnection(quint16 port, const QList<QHostAddress>& addresses, const std::function<void(int)>& visit)
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return false;
    const int own = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const int descriptor = std::atoi(entry->d_name);
        if (descriptor != own && connectedTo(descriptor, port, addresses))
            visit(descriptor);
    }
    ::closedir(folder);
    return true;
}

} // namespace

qint64 PeerConnections::unacknowledgedBytes(quint16 remotePort, const QList<QHostAddress>& remoteAddresses)
{
    qint64 total = 0;
    bool found = false;
    forEachConnection(remotePort, remoteAddresses, [&](int descriptor) {
        int queued = 0;
        if (::ioctl(descriptor, SIOCOUTQ, &queued) != 0)
            return;
        found = true;
        total += queued;
    });
    return found ? total : -1;
}

QHash<int, PeerConnections::TakenIn> PeerConnections::bytesTakenIn(quint16 remotePort,
                                                                   const QList<QHostAddress>& remoteAddresses)
{
    QHash<int, TakenIn> taken;
    forEachConnection(remotePort, remoteAddresses, [&taken](int descriptor) {
        // Received counts up only; what is unread before and after the received count bounds
        // what had been taken in at either end of the look.
        int unreadBefore = 0;
        int unreadAfter = 0;
        tcp_info info {};
        socklen_t length = sizeof info;
        if (::ioctl(descriptor, SIOCINQ, &unreadBefore) != 0
            || ::getsockopt(descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) != 0
            || ::ioctl(descriptor, SIOCINQ, &unreadAfter) != 0)
            return;
        const qint64 received = qint64(info.tcpi_bytes_received);
        taken.insert(descriptor, TakenIn{received - unreadAfter, received - unreadBefore});
    });
    return taken;
}

bool PeerConnections::endSoleConnection(quint16 remotePort, const QList<QHostAddress>& remoteAddresses,
                                        const QList<int>& among)
{
    QList<int> found;
    forEachConnection(remotePort, remoteAddresses, [&found, &among](int descriptor) {
        if (among.isEmpty() || among.contains(descriptor))
            found.append(descriptor);
    });
    if (found.size() != 1)
        return false;
    const int descriptor = found.first();
    // The shutdown wakes a reader blocked on it; connecting a TCP socket to AF_UNSPEC then resets
    // it and drops what it holds, so that nothing more is taken in.
    const bool shut = ::shutdown(descriptor, SHUT_RDWR) == 0;
    sockaddr unspecified {};
    unspecified.sa_family = AF_UNSPEC;
    return ::connect(descriptor, &unspecified, sizeof unspecified) == 0 || shut;
}

qint64 PeerConnections::mostBytesReceived(quint16 remotePort, const QList<QHostAddress>& remoteAddresses)
{
    qint64 most = 0;
    forEachConnection(remotePort, remoteAddresses, [&most](int descriptor) {
        tcp_info info {};
        socklen_t length = sizeof info;
        if (::getsockopt(descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) == 0)
            most = qMax(most, qint64(info.tcpi_bytes_received));
    });
    return most;
}

#else

qint64 PeerConnections::unacknowledgedBytes(quint16, const QList<QHostAddress>&)
{
    return -1;
}

QHash<int, PeerConnections::TakenIn> PeerConnections::bytesTakenIn(quint16, const QList<QHostAddress>&)
{
    return {};
}

bool PeerConnections::endSoleConnection(quint16, const QList<QHostAddress>&, const QList<int>&)
{
    return false;
}

qint64 PeerConnections::mostBytesReceived(quint16, const QList<QHostAddress>&)
{
    return 0;
}

#endif

} // namespace Shared
} // namespace Tovrin
