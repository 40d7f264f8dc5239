#pragma once

#include <QVector>

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

// Rewrites the time stamps of a live encoded stream for a recording: the first buffer starts
// the file at zero and the stretches cut out by pauses close up. Missing time stamps are
// decided per buffer: a missing DTS or PTS is taken from the other one; a buffer without any
// time stamp (low-latency encoders leave some) that starts a new picture is held until the
// next time-stamped buffer and placed between the two, and one that only carries further
// slices of the picture before it joins that picture's buffer. So no part of the stream is
// lost and every buffer in the file is one picture. The last ready buffer is kept back until
// the next one, for such slices to join it.
// Owns the buffers it holds; used on the GUI thread only.
class CTimestampRebaser
{
public:
    enum State { NotStarted = 0, Running = 1, Paused = 2 };

    CTimestampRebaser() = default;
    ~CTimestampRebaser();
    CTimestampRebaser(const CTimestampRebaser&) = delete;
    CTimestampRebaser& operator=(const CTimestampRebaser&) = delete;

    // Takes the buffer (writable) and appends the buffers that are ready for the file, in
    // order and with their new time stamps, to ready (the caller takes them). Buffers seen
    // while paused move the timeline on but are not taken.
    void process(GstBuffer* buffer, QVector<GstBuffer*>& ready);
    // At the end of the stream: places the buffers still held after the last one.
    void flush(QVector<GstBuffer*>& ready);
    // Buffers that joined the picture before them instead of standing on their own.
    int joinedBufferCount() const { return m_joinedBuffers; }
    // Buffers left out while recording because their time stamps could not be placed.
    int droppedBufferCount() const { return m_droppedBuffers; }

    // Whether Annex B data holds the first slice of a picture (a slice with first_mb_in_slice 0).
    static bool startsPicture(const guint8* data, gsize size);

    // One buffer with at least one time stamp: rewrites it and tells whether it belongs in the
    // file.
    bool rebase(GstBuffer* buffer);

    void pause();
    void resume();
    void reset();

    State state() const { return m_state; }
    GstClockTime pausedPts() const { return m_pausedPts; }
    GstClockTime pausedDts() const { return m_pausedDts; }
    int heldBufferCount() const { return m_held.size() + (m_tail ? 1 : 0); }

private:
    GstClockTime frameInterval() const;
    void releaseHeld();
    void releaseTail();
    void placeHeld(GstClockTime lastPts, GstClockTime lastDts, GstClockTime nextPts, GstClockTime nextDts,
                   QVector<GstBuffer*>& ready);

    void rebaseInto(GstBuffer* buffer, QVector<GstBuffer*>& ready);
    static bool startsPicture(GstBuffer* buffer);
    // A new buffer with only the slice NAL units of the given one; null when it has none.
    static GstBuffer* slicesOnly(GstBuffer* buffer);

    QVector<GstBuffer*> m_held;
    GstBuffer* m_tail = nullptr;
    int m_joinedBuffers = 0;
    int m_droppedBuffers = 0;
    GstClockTime m_firstPts = GST_CLOCK_TIME_NONE;
    GstClockTime m_firstDts = GST_CLOCK_TIME_NONE;
    GstClockTime m_pauseStartPts = GST_CLOCK_TIME_NONE;
    GstClockTime m_pauseStartDts = GST_CLOCK_TIME_NONE;
    GstClockTime m_lastPts = GST_CLOCK_TIME_NONE;
    GstClockTime m_lastDts = GST_CLOCK_TIME_NONE;
    GstClockTime m_pausedPts = 0;
    GstClockTime m_pausedDts = 0;
    // Distance between the last two buffers, to place buffers held at the end of the stream.
    GstClockTime m_lastInterval = GST_CLOCK_TIME_NONE;
    State m_state = NotStarted;
};

} // namespace GStreamer
} // namespace Ulx
