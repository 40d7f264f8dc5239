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
    // What each of the connections has handed to its reader so far (what it received, less what
    // waits unread), by descriptor. The counts move while they are looked at: at least
    // atLeast by the end of the look, and no more than atMost at its start.
    struct TakenIn
    {
        qint64 atLeast = 0;
        qint64 atMost = 0;
    };
    static QHash<int, TakenIn> bytesTakenIn(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
    // The one way to end a connection below its library: when exactly one of the process's
    // connections to the peer is among the descriptors given (all where none is given), shuts it
    // down and resets it (whatever thread reads it sees the end, and what it holds unread is
    // dropped); the descriptor stays its owner's. Where there are more, it cannot be told which is
    // whose, and none is touched. Returns whether one ended.
    static bool endSoleConnection(quint16 remotePort, const QList<QHostAddress>& remoteAddresses,
                                  const QList<int>& among = {});
    // The most bytes that any one of the connections has received so far (0 without one).
    static qint64 mostBytesReceived(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
};

} // namespace Shared
} // namespace Tovrin
