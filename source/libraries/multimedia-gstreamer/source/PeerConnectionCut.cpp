#include "PeerConnectionCut.h"

#include <QDir>
#include <QHostAddress>
#include <QUrl>

#include <functional>

#include <arpa/inet.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace Ulx {
namespace GStreamer {

namespace {

const quint16 DefaultRtspPort = 554;

bool connectedTo(int fd, const QHostAddress& host, quint16 port)
{
    sockaddr_storage peer {};
    socklen_t length = sizeof(peer);
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
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
    // A name rather than an address in the location: the port alone tells the RTSP connection.
    return peerPort == port && (host.isNull() || address.isEqual(host, QHostAddress::TolerantConversion));
}

} // namespace

// Calls the function with every TCP socket of this process connected to the address's host
// and port.
static void forEachPeerConnection(const QString& rtspLocation, const std::function<void(int)>& function)
{
    const QUrl url(rtspLocation);
    const quint16 port = quint16(url.port(DefaultRtspPort));
    const QHostAddress host(url.host());
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const int fd = name.toInt(&isNumber);
        int type = 0;
        socklen_t typeLength = sizeof(type);
        if (isNumber && ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) == 0 && type == SOCK_STREAM
            && connectedTo(fd, host, port))
            function(fd);
    }
}

int cutPeerConnections(const QString& rtspLocation)
{
    int cut = 0;
    forEachPeerConnection(rtspLocation, [&cut](int fd) {
        if (::shutdown(fd, SHUT_RDWR) == 0)
            ++cut;
    });
    return cut;
}

qint64 bytesReceivedFromPeer(const QString& rtspLocation)
{
    qint64 most = 0;
    forEachPeerConnection(rtspLocation, [&most](int fd) {
        tcp_info info {};
        socklen_t length = sizeof(info);
        if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0)
            most = qMax(most, qint64(info.tcpi_bytes_received));
    });
    return most;
}

} // namespace GStreamer
} // namespace Ulx
