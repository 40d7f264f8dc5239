#pragma once

#include <QHostAddress>
#include <QList>
#include <QtGlobal>

namespace Tovrin {
namespace Shared {

// What the kernel still holds of the bytes this process has written to its TCP connections
// towards a peer: written but not yet acknowledged by the peer. Qt's network access manager
// hides its sockets, so the connections are found by what the kernel lists of them (Linux:
// /proc/net/tcp and tcp6, for the sockets among this process's own descriptors).
class SendQueueProbe
{
public:
    // The sum over this process's connections to the port (and to one of the addresses, when
    // any are given); -1 when no such connection can be seen (another system, a proxy between).
    static qint64 unacknowledgedBytes(quint16 remotePort, const QList<QHostAddress>& remoteAddresses = {});
    // Resets this process's connections to the port and one of the addresses that hold bytes the
    // process has not read, at once, whatever thread is reading them; returns how many.
    static int endUnreadConnections(quint16 remotePort, const QList<QHostAddress>& remoteAddresses);
};

} // namespace Shared
} // namespace Tovrin
