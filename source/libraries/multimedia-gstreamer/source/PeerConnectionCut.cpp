#include "PeerConnectionCut.h"

#include <QDir>
#include <QHostAddress>
#include <QUrl>

#include <arpa/inet.h>
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

int cutPeerConnections(const QString& rtspLocation)
{
    const QUrl url(rtspLocation);
    const quint16 port = quint16(url.port(DefaultRtspPort));
    const QHostAddress host(url.host());
    int cut = 0;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const int fd = name.toInt(&isNumber);
        if (!isNumber)
            continue;
        int type = 0;
        socklen_t typeLength = sizeof(type);
        if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_STREAM)
            continue;
        if (connectedTo(fd, host, port) && ::shutdown(fd, SHUT_RDWR) == 0)
            ++cut;
    }
    return cut;
}

} // namespace GStreamer
} // namespace Ulx
