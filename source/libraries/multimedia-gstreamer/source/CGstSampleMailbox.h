#pragma once

#include <QMutex>

#include <gst/gst.h>

#include <atomic>

namespace Ulx {
namespace GStreamer {

// One-slot hand-over of decoded samples from a streaming thread to the GUI thread. A new
// sample replaces the one still waiting (which is released and counted as dropped), so a
// stalled GUI thread holds at most one frame and, once it runs again, sees the newest. At most
// one wake-up is on its way at any time. The mailbox owns the sample it holds; thread-safe.
class CGstSampleMailbox
{
public:
    CGstSampleMailbox() = default;
    CGstSampleMailbox(const CGstSampleMailbox&) = delete;
    CGstSampleMailbox& operator=(const CGstSampleMailbox&) = delete;
    ~CGstSampleMailbox();

    // Streaming thread: takes over the sample's reference. True when the caller has to post a
    // wake-up to the GUI thread (none is pending).
    bool put(GstSample* sample);
    // GUI thread: the newest sample (the reference passes to the caller) or null, and how long
    // it waited in microseconds. Re-arms the wake-up.
    GstSample* take(qint64* waitedUs = nullptr);
    // Releases a held sample without counting it as dropped (tear-down, reset).
    void clear();

    bool isHoldingSample() const;
    quint64 receivedCount() const { return m_received.load(); }
    quint64 droppedCount() const { return m_dropped.load(); }
    void resetCounters();

private:
    mutable QMutex m_mutex;
    GstSample* m_sample = nullptr; // guarded by m_mutex
    qint64 m_arrivedUs = 0;        // guarded by m_mutex; monotonic clock
    bool m_wakeUpPending = false;  // guarded by m_mutex
    std::atomic<quint64> m_received { 0 };
    std::atomic<quint64> m_dropped { 0 };
};

} // namespace GStreamer
} // namespace Ulx
