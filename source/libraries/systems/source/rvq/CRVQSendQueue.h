#pragma once

#include "rvq/CRVQMessage.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

namespace Ulx {
namespace Communication {

// The link's outgoing messages that wait for their turn, and the rules of that turn.
//
// A newer message replaces a waiting one where only the newest counts: a command, query or set
// of the same id and kind (except the ids that are each sent: shutter steps, control-state and
// identification messages, the overlay's switches), and an overlay line of the same row unless
// an overlay clear waits after it. The replacement keeps the waiting message's place, age and
// sequence number.
//
// The next message is the one of the lowest priority, the head first among equals, with three
// lanes that take turns when their heads tie: ordinary messages, the steps of a shutter move
// (so that the operator's setters go between its steps) and the camera overlay. The overlay
// waits behind the setters; only when it has had no turn for OverlayStarvedTicks does its head
// go with them, so it is never starved and still never makes a setter wait while the link has
// room (its own backlog of rows, merged per row, does not count). A setter whose effect
// depends on the exposure keeps its place behind shutter steps queued before it.
//
// Owns every message it holds. GUI thread only (the communicator's).
class CRVQSendQueue
{
public:
    // Ticks the overlay may wait without a turn before its head is sent as one of the setters.
    static constexpr quint64 OverlayStarvedTicks = 10;
    // The priority of the operator's setters, which a starved overlay message takes.
    static constexpr qint32 SetterPriority = 1;

    // Queues the message, or lets it replace a waiting one; `tick` is the link's tick count
    // now. With sequence numbers a new message takes the next number from the counter.
    void push(std::unique_ptr<CRVQMessage> message, quint64 tick, quint16* sequenceCounter);
    // The message to send now, or null when nothing can go.
    std::unique_ptr<CRVQMessage> takeNext(quint64 tick);
    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    void clear();

private:
    enum Lane
    {
        LaneOrdinary = 0,
        LaneShutterStep = 1,
        LaneOverlay = 2,
        LaneCount = 3
    };

    struct Entry
    {
        std::unique_ptr<CRVQMessage> message;
        quint64 queuedAt = 0;
        Lane lane = LaneOrdinary;
    };

    static Lane laneOf(const CRVQMessage& message);
    qint32 effectivePriority(const Entry& entry, quint64 tick) const;
    Entry* replaceable(const CRVQMessage& message);

    std::vector<Entry> m_entries;
    // When each lane was last served, counted in messages taken.
    std::array<quint64, LaneCount> m_servedAt{};
    quint64 m_taken = 0;
    // The tick at which the overlay lane last had its turn.
    quint64 m_overlayServedAtTick = 0;
};

} // namespace Communication
} // namespace Ulx
