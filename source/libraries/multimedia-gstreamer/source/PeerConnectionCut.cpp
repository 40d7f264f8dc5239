#include "PeerConnectionCut.h"

#include "PeerConnections.h"

#include <QHostAddress>
#include <QUrl>

using Tovrin::Shared::PeerConnections;

namespace Ulx {
namespace GStreamer {

namespace {

const quint16 DefaultRtspPort = 554;

quint16 portOf(const QString& rtspLocation)
{
    return quint16(QUrl(rtspLocation).port(DefaultRtspPort));
}

// A name rather than an address in the location: the port alone tells the RTSP connection.
QList<QHostAddress> addressesOf(const QString& rtspLocation)
{
    const QHostAddress host(QUrl(rtspLocation).host());
    return host.isNull() ? QList<QHostAddress>() : QList<QHostAddress>{host};
}

} // namespace

int cutPeerConnections(const QString& rtspLocation)
{
    return PeerConnections::shutDown(portOf(rtspLocation), addressesOf(rtspLocation));
}

qint64 bytesReceivedFromPeer(const QString& rtspLocation)
{
    return PeerConnections::mostBytesReceived(portOf(rtspLocation), addressesOf(rtspLocation));
}

} // namespace GStreamer
} // namespace Ulx
