#include "rvq/CRVQSendQueue.h"

#include "rvq/RVQMessages.h"

#include <limits>

namespace Ulx {
namespace Communication {

namespace {

// Priorities from this value on are never sent.
constexpr qint32 NeverSentPriority = 255;

bool isShutterStep(const CRVQMessage& message)
{
    return message.id() == RVQMessageId::Shutter && message.kind() == CRVQMessage::KindCommand;
}

int overlayRow(const CRVQMessage& message)
{
    return message.payload().isEmpty() ? -1 : int(quint8(message.payload().at(0)));
}

} // namespace

void CRVQSendQueue::push(std::unique_ptr<CRVQMessage> message, quint64 tick, quint16* sequenceCounter)
{
    if (Entry* waiting = replaceable(*message)) {
        // The replacement takes over the waiting message's place, age and sequence number, so
        // that the numbers on the wire keep running without a gap.
        if (sequenceCounter) {
            message->setHasTrailer(true);
            message->setTrailer(waiting->message->hasTrailer() ? waiting->message->trailer() : (*sequenceCounter)++);
        }
        waiting->message = std::move(message);
        return;
    }
    if (sequenceCounter) {
        message->setHasTrailer(true);
        message->setTrailer((*sequenceCounter)++);
    }
    Entry entry;
    entry.lane = laneOf(*message);
    entry.queuedAt = tick;
    entry.message = std::move(message);
    m_entries.push_back(std::move(entry));
}

CRVQSendQueue::Entry* CRVQSendQueue::replaceable(const CRVQMessage& message)
{
    if (isRVQOverlayLineMessage(message.id())) {
        // Only the row's newest text or placement counts, but never across a clear: what was
        // written before the clear is wiped by it, what comes after it must stay.
        const int row = overlayRow(message);
        for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
            const CRVQMessage& waiting = *it->message;
            if (waiting.id() == RVQMessageId::OverlayClear)
                return nullptr;
            if (waiting.id() == message.id() && waiting.kind() == message.kind() && overlayRow(waiting) == row)
                return &*it;
        }
        return nullptr;
    }
    if (isRVQCoalescingExcluded(message.id()))
        return nullptr;
    for (Entry& entry : m_entries) {
        if (entry.message->id() == message.id() && entry.message->kind() == message.kind())
            return &entry;
    }
    return nullptr;
}

std::unique_ptr<CRVQMessage> CRVQSendQueue::takeNext(quint64 tick)
{
    std::array<int, LaneCount> head;
    head.fill(-1);
    std::array<qint32, LaneCount> headPriority{};
    // Shutter steps and the setters the exposure depends on keep their order among each other:
    // the lowest priority of each kind queued so far.
    qint32 earliestStep = std::numeric_limits<qint32>::max();
    qint32 earliestExposure = std::numeric_limits<qint32>::max();

    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& entry = m_entries[size_t(i)];
        const qint32 priority = entry.message->priority();
        bool blocked = false;
        if (entry.lane == LaneShutterStep) {
            blocked = earliestExposure <= priority;
            earliestStep = qMin(earliestStep, priority);
        } else if (isRVQExposureMessage(entry.message->id())) {
            blocked = earliestStep <= priority;
            earliestExposure = qMin(earliestExposure, priority);
        }
        if (blocked)
            continue;
        const qint32 effective = effectivePriority(entry, tick);
        if (effective >= NeverSentPriority)
            continue;
        if (head[entry.lane] < 0 || effective < headPriority[entry.lane]) {
            head[entry.lane] = i;
            headPriority[entry.lane] = effective;
        }
    }

    int chosen = -1;
    for (int lane = 0; lane < LaneCount; ++lane) {
        if (head[lane] < 0)
            continue;
        if (chosen < 0) {
            chosen = lane;
            continue;
        }
        if (headPriority[lane] != headPriority[chosen]) {
            if (headPriority[lane] < headPriority[chosen])
                chosen = lane;
            continue;
        }
        // Equals take turns: the lane served longest ago, then the one nearer the head.
        if (m_servedAt[lane] != m_servedAt[chosen] ? m_servedAt[lane] < m_servedAt[chosen]
                                                   : head[lane] < head[chosen])
            chosen = lane;
    }
    if (chosen < 0)
        return nullptr;

    m_servedAt[chosen] = ++m_taken;
    if (chosen == LaneOverlay)
        m_overlayServedAtTick = tick;
    const auto position = m_entries.begin() + head[chosen];
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
    if (isShutterStep(message))
        return LaneShutterStep;
    if (isRVQOverlayMessage(message.id()))
        return LaneOverlay;
    return LaneOrdinary;
}

qint32 CRVQSendQueue::effectivePriority(const Entry& entry, quint64 tick) const
{
    const qint32 priority = entry.message->priority();
    if (entry.lane != LaneOverlay || priority >= NeverSentPriority)
        return priority;
    const quint64 waitingSince = qMax(entry.queuedAt, m_overlayServedAtTick);
    if (tick - waitingSince < OverlayStarvedTicks)
        return priority;
    return qMin(priority, SetterPriority);
}

} // namespace Communication
} // namespace Ulx
