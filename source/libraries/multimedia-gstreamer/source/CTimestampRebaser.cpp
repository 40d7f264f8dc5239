#include "CTimestampRebaser.h"

namespace Ulx {
namespace GStreamer {

namespace {

// Used only when a buffer without time stamps must be placed and the pace is not known yet.
constexpr GstClockTime FallbackFrameInterval = GST_SECOND / 30;

bool isNone(GstClockTime value)
{
    return !GST_CLOCK_TIME_IS_VALID(value);
}

} // namespace

CTimestampRebaser::~CTimestampRebaser()
{
    releaseTail();
    releaseHeld();
}

void CTimestampRebaser::process(GstBuffer* buffer, QVector<GstBuffer*>& ready)
{
    if (!buffer)
        return;
    if (isNone(GST_BUFFER_PTS(buffer)) && isNone(GST_BUFFER_DTS(buffer)) && m_state != Paused
        && !startsPicture(buffer)) {
        // Further slices of the picture before: they belong into its buffer.
        GstBuffer** picture = !m_held.isEmpty() ? &m_held.last() : m_tail ? &m_tail : nullptr;
        if (picture) {
            // Only the slices join: repeated delimiters or parameter sets in the middle of a
            // picture would make the parser split it again, into parts without time stamps.
            GstBuffer* slices = slicesOnly(buffer);
            gst_buffer_unref(buffer);
            if (slices)
                *picture = gst_buffer_append(*picture, slices);
            ++m_joinedBuffers;
            return;
        }
    }
    QVector<GstBuffer*> rebased;
    rebaseInto(buffer, rebased);
    if (rebased.isEmpty())
        return;
    if (m_tail)
        ready.append(m_tail);
    m_tail = rebased.takeLast();
    ready += rebased;
}

void CTimestampRebaser::rebaseInto(GstBuffer* buffer, QVector<GstBuffer*>& ready)
{
    if (isNone(GST_BUFFER_PTS(buffer)) && isNone(GST_BUFFER_DTS(buffer))) {
        if (m_state == NotStarted)
            m_state = Running;
        if (m_state == Paused)
            gst_buffer_unref(buffer);
        else
            m_held.append(buffer);
        return;
    }
    const GstClockTime previousPts = m_lastPts;
    const GstClockTime previousDts = m_lastDts;
    if (!rebase(buffer)) {
        if (m_state == Running)
            ++m_droppedBuffers;
        gst_buffer_unref(buffer);
        return;
    }
    placeHeld(previousPts, previousDts, GST_BUFFER_PTS(buffer), GST_BUFFER_DTS(buffer), ready);
    ready.append(buffer);
}

void CTimestampRebaser::flush(QVector<GstBuffer*>& ready)
{
    if (m_tail) {
        ready.append(m_tail);
        m_tail = nullptr;
    }
    if (m_held.isEmpty())
        return;
    const GstClockTime interval = frameInterval();
    const bool haveLast = !isNone(m_lastPts) && !isNone(m_lastDts);
    const GstClockTime span = GstClockTime(m_held.size() + (haveLast ? 1 : 0)) * interval;
    placeHeld(m_lastPts, m_lastDts, (haveLast ? m_lastPts : 0) + span, (haveLast ? m_lastDts : 0) + span, ready);
}

GstBuffer* CTimestampRebaser::slicesOnly(GstBuffer* buffer)
{
    GstMapInfo info = GST_MAP_INFO_INIT;
    if (!gst_buffer_map(buffer, &info, GST_MAP_READ))
        return nullptr;
    QByteArray slices;
    const guint8* data = info.data;
    const gsize size = info.size;
    // Each NAL unit runs from its start code to the next start code (or the end).
    gsize unitStart = size;
    int unitType = -1;
    auto keep = [&](gsize end) {
        if (unitStart < end && unitType >= 1 && unitType <= 5)
            slices.append(reinterpret_cast<const char*>(data + unitStart), int(end - unitStart));
    };
    for (gsize i = 0; i + 3 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        const gsize codeStart = (i > 0 && data[i - 1] == 0) ? i - 1 : i;
        keep(codeStart);
        unitStart = codeStart;
        unitType = data[i + 3] & 0x1f;
        i += 2;
    }
    keep(size);
    gst_buffer_unmap(buffer, &info);
    if (slices.isEmpty())
        return nullptr;
    return gst_buffer_new_memdup(slices.constData(), gsize(slices.size()));
}

bool CTimestampRebaser::startsPicture(GstBuffer* buffer)
{
    GstMapInfo info = GST_MAP_INFO_INIT;
    if (!gst_buffer_map(buffer, &info, GST_MAP_READ))
        return true;
    const bool result = startsPicture(info.data, info.size);
    gst_buffer_unmap(buffer, &info);
    return result;
}

bool CTimestampRebaser::startsPicture(const guint8* data, gsize size)
{
    if (!data)
        return false;
    // Start codes 00 00 01 (the four-byte form ends the same way); the first slice decides.
    for (gsize i = 0; i + 4 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        const int nalType = data[i + 3] & 0x1f;
        if (nalType == 1 || nalType == 5) {
            // first_mb_in_slice is the first Exp-Golomb value of the slice header; it is 0
            // exactly when its first bit is set.
            return (data[i + 4] & 0x80) != 0;
        }
        i += 3;
    }
    return false;
}

void CTimestampRebaser::placeHeld(GstClockTime lastPts, GstClockTime lastDts, GstClockTime nextPts,
                                  GstClockTime nextDts, QVector<GstBuffer*>& ready)
{
    if (m_held.isEmpty())
        return;
    // Spread the held buffers evenly between the last buffer taken and the next one; before
    // any buffer was taken they start at zero and lead up to the next one.
    const bool haveLast = !isNone(lastPts) && !isNone(lastDts);
    const GstClockTime slots = GstClockTime(m_held.size()) + (haveLast ? 1 : 0);
    const GstClockTime fromPts = haveLast ? lastPts : 0;
    const GstClockTime fromDts = haveLast ? lastDts : 0;
    const GstClockTime stepPts = nextPts > fromPts ? (nextPts - fromPts) / slots : 0;
    const GstClockTime stepDts = nextDts > fromDts ? (nextDts - fromDts) / slots : 0;
    const int first = haveLast ? 1 : 0;
    if (stepDts > 0)
        m_lastInterval = stepDts;
    for (int i = 0; i < m_held.size(); ++i) {
        GstBuffer* held = m_held.at(i);
        if (stepPts == 0 || stepDts == 0) {
            // No room between the two: the muxer would refuse repeated time stamps.
            ++m_droppedBuffers;
            gst_buffer_unref(held);
            continue;
        }
        GST_BUFFER_PTS(held) = fromPts + GstClockTime(i + first) * stepPts;
        GST_BUFFER_DTS(held) = fromDts + GstClockTime(i + first) * stepDts;
        ready.append(held);
    }
    m_held.clear();
}

bool CTimestampRebaser::rebase(GstBuffer* buffer)
{
    if (!buffer)
        return false;
    GstClockTime inPts = GST_BUFFER_PTS(buffer);
    GstClockTime inDts = GST_BUFFER_DTS(buffer);

    // Decided per buffer: a stream may lack DTS throughout (no reordering), and single
    // buffers may arrive without a PTS.
    if (isNone(inPts))
        inPts = inDts;
    else if (isNone(inDts))
        inDts = inPts;
    if (isNone(inPts))
        return false;

    if (isNone(m_firstPts)) {
        // Buffers held from before the first time stamp come first, one frame apart.
        const GstClockTime offset = GstClockTime(m_held.size()) * frameInterval();
        m_firstPts = inPts - offset;
        m_firstDts = inDts - offset;
    }
    if (m_state == NotStarted)
        m_state = Running;

    const GstClockTime p = inPts - m_pausedPts - m_firstPts;
    const GstClockTime d = inDts - m_pausedDts - m_firstDts;
    GST_BUFFER_PTS(buffer) = p;
    GST_BUFFER_DTS(buffer) = d;

    if (m_state == Paused && isNone(m_pauseStartPts)) {
        m_pauseStartPts = p;
        m_pauseStartDts = d;
    }

    // A negative or repeated time stamp, or a decoding time running backwards, would make
    // the muxer fail the whole recording; such a buffer is left out instead.
    if (static_cast<gint64>(d) < 0 || static_cast<gint64>(p) < 0 || d == m_lastDts || p == m_lastPts
        || (!isNone(m_lastDts) && static_cast<gint64>(d) < static_cast<gint64>(m_lastDts)))
        return false;
    if (!isNone(m_lastDts))
        m_lastInterval = d - m_lastDts;
    m_lastPts = p;
    m_lastDts = d;
    return m_state == Running;
}

GstClockTime CTimestampRebaser::frameInterval() const
{
    return isNone(m_lastInterval) || m_lastInterval == 0 ? FallbackFrameInterval : m_lastInterval;
}

void CTimestampRebaser::pause()
{
    if (m_state != Running)
        return;
    m_state = Paused;
    // Held buffers belong before the pause; their successor will not come before it ends.
    releaseHeld();
}

void CTimestampRebaser::resume()
{
    if (m_state != Paused)
        return;
    m_state = Running;
    // Without a buffer during the pause there is nothing to cut out; subtracting from an
    // unset pause start would move the timeline backwards.
    if (isNone(m_pauseStartPts) || isNone(m_pauseStartDts))
        return;
    const GstClockTime cutPts = m_lastPts - m_pauseStartPts;
    const GstClockTime cutDts = m_lastDts - m_pauseStartDts;
    m_pausedPts += cutPts;
    m_pausedDts += cutDts;
    // The last values move onto the closed-up timeline, so the next buffer follows them.
    m_lastPts -= cutPts;
    m_lastDts -= cutDts;
    m_pauseStartPts = GST_CLOCK_TIME_NONE;
    m_pauseStartDts = GST_CLOCK_TIME_NONE;
}

void CTimestampRebaser::releaseTail()
{
    if (m_tail)
        gst_buffer_unref(m_tail);
    m_tail = nullptr;
}

void CTimestampRebaser::releaseHeld()
{
    for (GstBuffer* held : qAsConst(m_held))
        gst_buffer_unref(held);
    m_held.clear();
}

void CTimestampRebaser::reset()
{
    releaseTail();
    releaseHeld();
    m_firstPts = m_firstDts = GST_CLOCK_TIME_NONE;
    m_pauseStartPts = m_pauseStartDts = GST_CLOCK_TIME_NONE;
    m_lastPts = m_lastDts = GST_CLOCK_TIME_NONE;
    m_pausedPts = m_pausedDts = 0;
    m_lastInterval = GST_CLOCK_TIME_NONE;
    m_joinedBuffers = 0;
    m_droppedBuffers = 0;
    m_state = NotStarted;
}

} // namespace GStreamer
} // namespace Ulx
