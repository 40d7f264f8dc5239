#pragma once

#include <QString>

namespace Ulx {
namespace GStreamer {

// Ends the reading of every TCP connection of this process to the host and port of an RTSP
// address, by shutting the sockets down (they stay open for their owner, who sees the end of
// the stream). The RTSP source reads a peer's answer on a task thread of its own and, while it
// reads one that never ends, neither its flush nor its time-outs stop it; only the end of the
// connection does. Returns how many connections were cut. Linux only (reads /proc/self/fd).
int cutPeerConnections(const QString& rtspLocation);

// The most bytes that any one of those connections has received so far (0 without one).
qint64 bytesReceivedFromPeer(const QString& rtspLocation);

} // namespace GStreamer
} // namespace Ulx
