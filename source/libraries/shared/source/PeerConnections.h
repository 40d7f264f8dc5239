#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QtGlobal>

namespace Tovrin {
namespace Shared {

// This process's TCP connections to a peer, found among its own descriptors (Linux), for
// libraries that hide their sockets: Qt's network access manager, GStreamer's RTSP source. A
// peer is a port and one of the addresses; any address when none is given (a host name that
// resolves anew at every lookup would otherwise match none).
class PeerConnections
{
public:
    // The bytes written to those connections that the peer has not acknowledged yet; -1 when no
    // such connection can be seen (another system, a proxy between).
    static qint64 unacknowledgedBytes(quint16 remotePort, const QList<QHostAddress>& remoteAddresses = {});
    // Resets those of the connections that hold bytes the process has not read, at once, whatever
    // thread is reading them; returns how many.
    static int endUnreadConnections(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
    // The same among the given descriptors only.
    static int endUnreadConnections(quint16 remotePort, const QList<QHostAddress>& remoteAddresses,
                                    const QList<int>& among);
    // What each of the connections has handed to its reader so far (what it received, less what
    // waits unread), by descriptor. The counts move while they are looked at: at least
    // atLeast by the end of the look, and no more than atMost at its start.
    struct TakenIn
    {
        qint64 atLeast = 0;
        qint64 atMost = 0;
    };
    static QHash<int, TakenIn> bytesTakenIn(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
    // Shuts every one of the connections down: their owners, whatever thread reads them, see the
    // end of the stream. Returns how many.
    static int shutDown(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
    // The most bytes that any one of the connections has received so far (0 without one).
    static qint64 mostBytesReceived(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
};

} // namespace Shared
} // namespace Tovrin
