#include "rvq/CRVQSendQueue.h"

#include "rvq/RVQMessages.h"

#include <limits>

namespace Ulx {
namespace Communication {

namespace {

// Priorities from this value on are never sent.
constexpr qint32 NeverSentPriority = 255;

int overlayRow(const CRVQMessage& message)
{
    return message.payload().isEmpty() ? -1 : int(quint8(message.payload().at(0)));
}

// Messages the queue merges: only the newest of them counts.
bool isSameSetting(const CRVQMessage& message, const CRVQMessage& other)
{
    return message.id() == other.id() && message.kind() == other.kind() && !isRVQCoalescingExcluded(message.id());
}

} // namespace

void CRVQSendQueue::push(std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter)
{
    const int waiting = replaceable(*message);
    if (waiting >= 0) {
        replace(size_t(waiting), std::move(message), sequenceCounter);
        // The replaced value may have been all that kept an older one of its kind, or of
        // another kind, waiting.
        dropSuperseded();
        return;
    }
    if (sequenceCounter) {
        message->setHasTrailer(true);
        message->setTrailer((*sequenceCounter)++);
    }
    Entry entry;
    entry.lane = laneOf(*message);
    entry.queuedAt = m_taken;
    entry.message = std::move(message);
    m_entries.push_back(std::move(entry));
}

void CRVQSendQueue::replace(size_t waiting, std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter)
{
    // The replacement takes over the waiting message's sequence number, so that the numbers on
    // the wire keep running without a gap.
    if (sequenceCounter) {
        const CRVQMessage& old = *m_entries[waiting].message;
        message->setHasTrailer(true);
        message->setTrailer(old.hasTrailer() ? old.trailer() : (*sequenceCounter)++);
    }
    Entry entry;
    entry.lane = m_entries[waiting].lane;
    entry.queuedAt = m_taken;
    entry.message = std::move(message);
    absorb(entry, m_entries[waiting]);
    bool overtakes = false;
    for (size_t i = waiting + 1; i < m_entries.size() && !overtakes; ++i)
        overtakes = isRVQOrderedAfter(*entry.message, *m_entries[i].message);
    if (!overtakes) {
        m_entries[waiting] = std::move(entry);
        return;
    }
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(waiting));
    m_entries.push_back(std::move(entry));
}

void CRVQSendQueue::absorb(Entry& survivor, const Entry& merged)
{
    // The operator's wait begins with the operator's oldest value: a poll's wait never makes a
    // value of the operator's late, and the operator's request stays one when a poll takes its
    // place.
    survivor.queuedAt = qMin(survivor.queuedAt, merged.queuedAt);
    if (merged.message->isOperatorRequest()) {
        survivor.passedBy = survivor.message->isOperatorRequest() ? qMax(survivor.passedBy, merged.passedBy)
                                                                  : merged.passedBy;
        survivor.message->setOperatorRequest(true);
    }
}

int CRVQSendQueue::replaceable(const CRVQMessage& message) const
{
    if (isRVQOverlayLineMessage(message.id())) {
        // Only the row's newest text or placement counts, but never across a clear: what was
        // written before the clear is wiped by it, what comes after it must stay.
        const int row = overlayRow(message);
        for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
            const CRVQMessage& waiting = *m_entries[size_t(i)].message;
            if (waiting.id() == RVQMessageId::OverlayClear)
                return -1;
            if (waiting.id() == message.id() && waiting.kind() == message.kind() && overlayRow(waiting) == row)
                return i;
        }
        return -1;
    }
    if (isRVQCoalescingExcluded(message.id()))
        return -1;
    // The newest value waiting, so that an older one that something needs stays before it; and
    // not even that one when something behind it needs it: the new value then waits at the end.
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (isSameSetting(*m_entries[size_t(i)].message, message))
            return isFollowed(size_t(i)) ? -1 : i;
    }
    return -1;
}

bool CRVQSendQueue::isFollowed(size_t index) const
{
    const CRVQMessage& message = *m_entries[index].message;
    for (size_t i = index + 1; i < m_entries.size(); ++i) {
        if (isRVQOrderedAfter(*m_entries[i].message, message))
            return true;
    }
    return false;
}

void CRVQSendQueue::dropSuperseded()
{
    // From the back: dropping one can free an older one ahead of it, never one behind it.
    for (int index = int(m_entries.size()) - 2; index >= 0; --index) {
        const CRVQMessage& older = *m_entries[size_t(index)].message;
        if (isRVQCoalescingExcluded(older.id()))
            continue;
        for (size_t i = size_t(index) + 1; i < m_entries.size(); ++i) {
            const CRVQMessage& later = *m_entries[i].message;
            if (isSameSetting(later, older)) {
                // The newer value has waited as long as the older one.
                absorb(m_entries[i], m_entries[size_t(index)]);
                m_entries.erase(m_entries.begin() + index);
                break;
            }
            if (isRVQOrderedAfter(later, older))
                break;
        }
    }
}

int CRVQSendQueue::blockerOf(int index) const
{
    const CRVQMessage& message = *m_entries[size_t(index)].message;
    for (int i = 0; i < index; ++i) {
        const CRVQMessage& earlier = *m_entries[size_t(i)].message;
        // An older value of the same setting goes first, however urgent the newer one is.
        if (isSameSetting(message, earlier))
            return i;
        // A less urgent message that it follows does not hold it up: what waits behind, say, a
        // status query would otherwise wait as long as that query.
        if (earlier.priority() <= message.priority() && isRVQOrderedAfter(message, earlier))
            return i;
    }
    return -1;
}

bool CRVQSendQueue::goesBefore(int lane, int other, const LaneIndexes& head) const
{
    const qint32 priority = m_entries[size_t(head[size_t(lane)])].message->priority();
    const qint32 otherPriority = m_entries[size_t(head[size_t(other)])].message->priority();
    // The repeated zoom query takes turns with the setters, however urgent either is.
    const bool zoomQueryWithSetter = (lane == LaneZoomQuery || other == LaneZoomQuery)
                                     && priority <= SetterPriority && otherPriority <= SetterPriority;
    if (priority != otherPriority && !zoomQueryWithSetter)
        return priority < otherPriority;
    // Equals take turns: the lane served longest ago, then the one nearer the head.
    if (m_servedAt[size_t(lane)] != m_servedAt[size_t(other)])
        return m_servedAt[size_t(lane)] < m_servedAt[size_t(other)];
    return head[size_t(lane)] < head[size_t(other)];
}

int CRVQSendQueue::lateTurn(const LaneIndexes& head, const LaneCounts& waitingSince) const
{
    int chosen = -1;
    quint64 longest = 0;
    const auto consider = [&](int index, quint64 waited) {
        if (waited < LateAfterMessages)
            return;
        if (chosen < 0 || waited > longest || (waited == longest && index < chosen)) {
            chosen = index;
            longest = waited;
        }
    };
    // The overlay and a shutter move are late as lanes: their next message waits from the
    // lane's last turn.
    if (head[LaneOverlay] >= 0)
        consider(head[LaneOverlay], m_taken - qMax(waitingSince[LaneOverlay], m_servedAt[LaneOverlay]));
    const int step = head[LaneShutterStep];
    if (step >= 0 && m_entries[size_t(step)].message->isOperatorRequest())
        consider(step, m_taken - qMax(waitingSince[LaneShutterStep], m_servedAt[LaneShutterStep]));
    // Every other message of the operator's on its own.
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        if (entry.lane == LaneShutterStep || entry.lane == LaneOverlay || !entry.message->isOperatorRequest()
            || entry.message->priority() >= NeverSentPriority || entry.passedBy < LateAfterMessages)
            continue;
        // What it must follow goes in its turn, but never a step ahead of the move's pace.
        int next = i;
        for (int blocker; (blocker = blockerOf(next)) >= 0;)
            next = blocker;
        const Entry& going = m_entries[size_t(next)];
        if (going.lane != LaneShutterStep && going.message->priority() < NeverSentPriority)
            consider(next, entry.passedBy);
    }
    return chosen;
}

std::unique_ptr<CRVQMessage> CRVQSendQueue::takeNext()
{
    // The head of each lane: its most urgent message that waits for nothing ahead.
    LaneIndexes head;
    head.fill(-1);
    LaneCounts waitingSince;
    waitingSince.fill(std::numeric_limits<quint64>::max());
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        const qint32 priority = entry.message->priority();
        if (priority >= NeverSentPriority)
            continue;
        const size_t lane = size_t(entry.lane);
        waitingSince[lane] = qMin(waitingSince[lane], entry.queuedAt);
        // Only what would become its lane's head is checked for what it must wait for: a long
        // shutter move is not scanned step by step.
        if ((head[lane] < 0 || priority < m_entries[size_t(head[lane])].message->priority()) && blockerOf(i) < 0)
            head[lane] = i;
    }

    int index = -1;
    if (m_lateTurnAt == 0 || m_taken + 1 - m_lateTurnAt >= LateTurnSpacing) {
        index = lateTurn(head, waitingSince);
        if (index >= 0)
            m_lateTurnAt = m_taken + 1;
    }
    if (index < 0) {
        int chosen = -1;
        for (int lane = 0; lane < LaneCount; ++lane) {
            if (head[size_t(lane)] >= 0 && (chosen < 0 || goesBefore(lane, chosen, head)))
                chosen = lane;
        }
        if (chosen < 0)
            return nullptr;
        index = head[size_t(chosen)];
    }

    const auto position = m_entries.begin() + index;
    m_servedAt[size_t(position->lane)] = ++m_taken;
    std::unique_ptr<CRVQMessage> message = std::move(position->message);
    m_entries.erase(position);
    for (Entry& entry : m_entries) {
        if (entry.message->isOperatorRequest() && message->priority() < entry.message->priority())
            ++entry.passedBy;
    }
    return message;
}

void CRVQSendQueue::clear()
{
    m_entries.clear();
}

CRVQSendQueue::Lane CRVQSendQueue::laneOf(const CRVQMessage& message)
{
    if (isRVQShutterStep(message))
        return LaneShutterStep;
    if (isRVQZoomPositionQuery(message))
        return LaneZoomQuery;
    if (isRVQOverlayMessage(message.id()))
        return LaneOverlay;
    return LaneOrdinary;
}

} // namespace Communication
} // namespace Ulx
