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
// an overlay clear waits after it. It replaces the newest waiting one of its kind, and only when
// nothing queued behind that one must follow it (isRVQOrderedAfter): a defog that needs the
// automatic exposure on keeps the exposure's "on" ahead of it, and the newer "off" waits at the
// end. The replacement keeps the waiting message's place, age and sequence number, unless a
// message that it must follow waits behind that place: then it goes to the end instead, so that
// it never overtakes what was queued before it. A waiting message that a newer one of its kind
// follows, with nothing between them that needs it, is dropped: the queue keeps the newest
// value of each setting however the operator's commands interleave.
//
// The next message is the one of the lowest priority, the head first among equals, with four
// lanes that take turns when their heads tie: ordinary messages, the steps of a shutter move
// (so that the operator's setters go between its steps), the repeated zoom-position query
// (which ties with any setter, so that it neither takes every turn nor waits for all of them)
// and the camera overlay. Whatever lane each takes, a message never passes one queued before it
// that it must follow and that is at least as urgent, nor an older value of its own setting:
// one command's messages reach the link in the command's order, and the operator's last value
// is the one the system ends with.
//
// Nothing that the operator asked for (CRVQMessage::isOperatorRequest) waits for ever behind
// more urgent traffic, say a steady stream of pan and tilt speeds: once LateAfterMessages more
// urgent messages have gone ahead of it, it goes next, whatever waits (among messages of its own
// urgency it waits its turn in any case). A value that took the place of an older one counts
// what went ahead of the older one. When it must follow a message queued before it, that
// message goes in its turn, so that a command's second message is not held up by a first one
// queued later; a shutter move keeps its own pace, though: its next step is late once
// LateAfterMessages messages have left since the step before it. The overlay is late alike once
// its lane has had no turn for as many messages. Of the late ones the one that waited longest
// goes first, and late turns keep LateTurnSpacing messages apart, so that the steering keeps the
// other turns. The program's own polls get no late turn: they wait while the operator steers
// and catch up when the link has room.
//
// Counts messages, not time: how fast the link answers changes nothing in the order. Owns
// every message it holds. GUI thread only (the communicator's).
class CRVQSendQueue
{
public:
    // Queues the message, or lets it replace a waiting one. With sequence numbers a new
    // message takes the next number from the counter.
    void push(std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter);
    // The message to send now, or null when nothing can go.
    std::unique_ptr<CRVQMessage> takeNext();
    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    void clear();

private:
    // How many messages may go ahead of a waiting message of the operator's (more urgent ones),
    // or leave while a shutter move or the overlay waits, before it goes next.
    static constexpr quint64 LateAfterMessages = 10;
    // At most one late turn in this many messages.
    static constexpr quint64 LateTurnSpacing = 2;
    // The operator's setters go at this priority or a more urgent one.
    static constexpr qint32 SetterPriority = 1;

    enum Lane
    {
        LaneOrdinary = 0,
        LaneShutterStep = 1,
        LaneZoomQuery = 2,
        LaneOverlay = 3,
        LaneCount = 4
    };
    using LaneIndexes = std::array<int, LaneCount>;
    using LaneCounts = std::array<quint64, LaneCount>;

    struct Entry
    {
        std::unique_ptr<CRVQMessage> message;
        // Messages taken when this one (or the oldest value that it took over) was queued.
        quint64 queuedAt = 0;
        // For a message of the operator's: how many more urgent messages went ahead of it, or of
        // the operator's oldest value that it took over.
        quint64 passedBy = 0;
        Lane lane = LaneOrdinary;
    };

    static Lane laneOf(const CRVQMessage& message);
    // Lets the survivor of a merge carry what the merged one had waited and been asked for.
    static void absorb(Entry& survivor, const Entry& merged);
    // The first message queued before this one that it must follow, or -1.
    int blockerOf(int index) const;
    bool isFollowed(size_t index) const;
    bool goesBefore(int lane, int other, const LaneIndexes& head) const;
    int lateTurn(const LaneIndexes& head, const LaneCounts& waitingSince) const;
    void replace(size_t waiting, std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter);
    int replaceable(const CRVQMessage& message) const;
    void dropSuperseded();

    std::vector<Entry> m_entries;
    // When each lane was last served, counted in messages taken.
    LaneCounts m_servedAt{};
    quint64 m_taken = 0;
    // The message count of the last late turn (0: none yet).
    quint64 m_lateTurnAt = 0;
};

} // namespace Communication
} // namespace Ulx
