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

} // namespace

void CRVQSendQueue::push(std::unique_ptr<CRVQMessage> message, quint16* sequenceCounter)
{
    const int waiting = replaceable(*message);
    if (waiting >= 0) {
        replace(size_t(waiting), std::move(message), sequenceCounter);
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
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CRVQMessage& waiting = *m_entries[i].message;
        if (waiting.id() == message.id() && waiting.kind() == message.kind())
            return int(i);
    }
    return -1;
}

bool CRVQSendQueue::waitsForEarlier(int index) const
{
    const CRVQMessage& message = *m_entries[size_t(index)].message;
    for (int i = 0; i < index; ++i) {
        const CRVQMessage& earlier = *m_entries[size_t(i)].message;
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

std::unique_ptr<CRVQMessage> CRVQSendQueue::takeNext()
{
    std::array<int, LaneCount> head;
    head.fill(-1);
    quint64 overlayWaitingSince = std::numeric_limits<quint64>::max();
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        const qint32 priority = entry.message->priority();
        if (priority >= NeverSentPriority)
            continue;
        if (entry.lane == LaneOverlay)
            overlayWaitingSince = qMin(overlayWaitingSince, entry.queuedAt);
        int& laneHead = head[size_t(entry.lane)];
        // Only what would become its lane's head is checked for what it must wait for: a long
        // shutter move is not scanned step by step.
        if ((laneHead < 0 || priority < m_entries[size_t(laneHead)].message->priority()) && !waitsForEarlier(i))
            laneHead = i;
    }

    int chosen = -1;
    if (head[LaneOverlay] >= 0
        && m_taken - qMax(overlayWaitingSince, m_servedAt[LaneOverlay]) >= OverlayStarvedMessages) {
        chosen = LaneOverlay;
    } else {
        for (int lane = 0; lane < LaneCount; ++lane) {
            if (head[size_t(lane)] >= 0 && (chosen < 0 || goesBefore(lane, chosen, head)))
                chosen = lane;
        }
    }
    if (chosen < 0)
        return nullptr;

    m_servedAt[size_t(chosen)] = ++m_taken;
    const auto position = m_entries.begin() + head[size_t(chosen)];
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
