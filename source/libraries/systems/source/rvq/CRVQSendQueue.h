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
// sequence number, unless a message that it must follow waits behind that place: then it goes
// to the end instead, so that it never overtakes what was queued before it.
//
// The next message is the one of the lowest priority, the head first among equals, with four
// lanes that take turns when their heads tie: ordinary messages, the steps of a shutter move
// (so that the operator's setters go between its steps), the repeated zoom-position query
// (which ties with any setter, so that it neither takes every turn nor waits for all of them)
// and the camera overlay. The overlay waits behind the setters; only when OverlayStarvedMessages
// messages have left since it last had a turn (or since its oldest message was queued) does its
// head go next, whatever waits, so a row never waits longer than that and rows that wait
// behind it leave as many messages to others between them. Whatever lane each takes, a message
// never passes one queued before it that it must follow (isRVQOrderedAfter) and that is at
// least as urgent: one command's messages reach the link in the command's order.
//
// Counts messages, not time: how fast the link answers changes nothing in the order. Owns
// every message it holds. GUI thread only (the communicator's).
class CRVQSendQueue
{
public:
    // How many messages may leave while an overlay message waits before it goes next.
    static constexpr quint64 OverlayStarvedMessages = 10;
    // The operator's setters go at this priority or a more urgent one.
    static constexpr qint32 SetterPriority = 1;

    // Queues the message, or lets it replace a waiting one. With sequence numbers a new
    // message takes the next number from the counter.
    void push(std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter);
    // The message to send now, or null when nothing can go.
    std::unique_ptr<CRVQMessage> takeNext();
    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    void clear();

private:
    enum Lane
    {
        LaneOrdinary = 0,
        LaneShutterStep = 1,
        LaneZoomQuery = 2,
        LaneOverlay = 3,
        LaneCount = 4
    };

    struct Entry
    {
        std::unique_ptr<CRVQMessage> message;
        // Messages taken when this one was queued.
        quint64 queuedAt = 0;
        Lane lane = LaneOrdinary;
    };

    static Lane laneOf(const CRVQMessage& message);
    bool waitsForEarlier(int index) const;
    bool goesBefore(int lane, int other, const std::array<int, LaneCount>& head) const;
    void replace(size_t waiting, std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter);
    int replaceable(const CRVQMessage& message) const;

    std::vector<Entry> m_entries;
    // When each lane was last served, counted in messages taken.
    std::array<quint64, LaneCount> m_servedAt{};
    quint64 m_taken = 0;
};

} // namespace Communication
} // namespace Ulx
