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
    bool overtakes = false;
    for (size_t i = waiting + 1; i < m_entries.size() && !overtakes; ++i)
        overtakes = isRVQOrderedAfter(*message, *m_entries[i].message);
    if (!overtakes) {
        m_entries[waiting].message = std::move(message);
        return;
    }
    Entry moved = std::move(m_entries[waiting]);
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(waiting));
    moved.message = std::move(message);
    m_entries.push_back(std::move(moved));
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
                m_entries[i].queuedAt = qMin(m_entries[i].queuedAt, m_entries[size_t(index)].queuedAt);
                m_entries.erase(m_entries.begin() + index);
                break;
            }
            if (isRVQOrderedAfter(later, older))
                break;
        }
    }
}

bool CRVQSendQueue::waitsForEarlier(int index) const
{
    const CRVQMessage& message = *m_entries[size_t(index)].message;
    for (int i = 0; i < index; ++i) {
        const CRVQMessage& earlier = *m_entries[size_t(i)].message;
        // An older value of the same setting goes first, however urgent the newer one is.
        if (isSameSetting(message, earlier))
            return true;
        // A less urgent message that it follows does not hold it up: what waits behind, say, a
        // status query would otherwise wait as long as that query.
        if (earlier.priority() <= message.priority() && isRVQOrderedAfter(message, earlier))
            return true;
    }
    return false;
}

bool CRVQSendQueue::goesBefore(int lane, int other, const std::array<int, LaneCount>& head) const
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

int CRVQSendQueue::classOf(const Entry& entry)
{
    return int(entry.lane) * UrgencyCount + qBound(0, int(entry.message->priority()), UrgencyCount - 1);
}

int CRVQSendQueue::lateHead(const std::array<int, ClassCount>& head,
                            const std::array<quint64, ClassCount>& waitingSince) const
{
    // Of those that have waited their bound, the most urgent, then the one that waited longest,
    // then the one nearer the head.
    int late = -1;
    quint64 longest = 0;
    for (int c = 0; c < ClassCount; ++c) {
        if (head[size_t(c)] < 0)
            continue;
        const quint64 waited = m_taken - qMax(waitingSince[size_t(c)], m_classServedAt[size_t(c)]);
        if (waited < StarvedMessages)
            continue;
        bool better = late < 0;
        if (!better) {
            const qint32 priority = m_entries[size_t(head[size_t(c)])].message->priority();
            const qint32 latePriority = m_entries[size_t(head[size_t(late)])].message->priority();
            better = priority != latePriority ? priority < latePriority
                     : waited != longest      ? waited > longest
                                              : head[size_t(c)] < head[size_t(late)];
        }
        if (better) {
            late = c;
            longest = waited;
        }
    }
    return late < 0 ? -1 : head[size_t(late)];
}

int CRVQSendQueue::turnHead(const std::array<int, ClassCount>& head) const
{
    // Each lane's most urgent head (one priority is one class of its lane), then the lanes take
    // their turns.
    std::array<int, LaneCount> laneHead;
    laneHead.fill(-1);
    const auto priorityAt = [this](int index) { return m_entries[size_t(index)].message->priority(); };
    for (int c = 0; c < ClassCount; ++c) {
        const int candidate = head[size_t(c)];
        int& best = laneHead[size_t(c / UrgencyCount)];
        if (candidate >= 0 && (best < 0 || priorityAt(candidate) < priorityAt(best)))
            best = candidate;
    }
    int chosen = -1;
    for (int lane = 0; lane < LaneCount; ++lane) {
        if (laneHead[size_t(lane)] >= 0 && (chosen < 0 || goesBefore(lane, chosen, laneHead)))
            chosen = lane;
    }
    return chosen < 0 ? -1 : laneHead[size_t(chosen)];
}

std::unique_ptr<CRVQMessage> CRVQSendQueue::takeNext()
{
    // The head of each lane and urgency: its most urgent message that waits for nothing ahead.
    std::array<int, ClassCount> head;
    head.fill(-1);
    std::array<quint64, ClassCount> waitingSince;
    waitingSince.fill(std::numeric_limits<quint64>::max());
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        const qint32 priority = entry.message->priority();
        if (priority >= NeverSentPriority)
            continue;
        const size_t c = size_t(classOf(entry));
        waitingSince[c] = qMin(waitingSince[c], entry.queuedAt);
        // Only what would become the head is checked for what it must wait for: a long
        // shutter move is not scanned step by step.
        if ((head[c] < 0 || priority < m_entries[size_t(head[c])].message->priority()) && !waitsForEarlier(i))
            head[c] = i;
    }

    // Late turns keep their distance, so that the urgent traffic keeps most turns.
    const bool lateTurnDue = m_lateTurnAt == 0 || m_taken + 1 - m_lateTurnAt >= LateTurnSpacing;
    int index = lateTurnDue ? lateHead(head, waitingSince) : -1;
    if (index >= 0)
        m_lateTurnAt = m_taken + 1;
    else
        index = turnHead(head);
    if (index < 0)
        return nullptr;

    const auto position = m_entries.begin() + index;
    ++m_taken;
    m_servedAt[size_t(position->lane)] = m_taken;
    m_classServedAt[size_t(classOf(*position))] = m_taken;
    std::unique_ptr<CRVQMessage> message = std::move(position->message);
    m_entries.erase(position);
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
