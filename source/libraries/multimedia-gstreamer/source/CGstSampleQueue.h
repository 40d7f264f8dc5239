#pragma once

#include <QMutex>
#include <QVector>

#include <gst/gst.h>

#include <atomic>

namespace Ulx {
namespace GStreamer {

// First-in first-out hand-over of every encoded sample from a streaming thread to the GUI
// thread, bounded in bytes. Nothing is dropped while the queue stays under its limit; a sample
// that would take it past the limit releases everything queued (and itself) and marks an
// overflow, which the GUI side reports once. At most one wake-up is on its way at any time.
// The queue owns the samples it holds; thread-safe.
class CGstSampleQueue
{
public:
    static constexpr qint64 DefaultLimitBytes = 64 * 1024 * 1024;

    struct Entry
    {
        GstSample* sample = nullptr;
        bool keyFrame = false;
    };

    CGstSampleQueue() = default;
    CGstSampleQueue(const CGstSampleQueue&) = delete;
    CGstSampleQueue& operator=(const CGstSampleQueue&) = delete;
    ~CGstSampleQueue();

    void setLimitBytes(qint64 bytes) { m_limitBytes.store(bytes); }
    qint64 limitBytes() const { return m_limitBytes.load(); }

    // Streaming thread: takes over the sample's reference. True when the caller has to post a
    // wake-up to the GUI thread (none is pending).
    bool push(GstSample* sample, bool keyFrame);
    // GUI thread: everything queued, oldest first (the references pass to the caller), and
    // whether the queue overflowed since the last call. Re-arms the wake-up.
    QVector<Entry> takeAll(bool* overflowed);
    // Releases every queued sample (tear-down).
    void clear();

    int queuedCount() const;
    qint64 queuedBytes() const;
    qint64 peakBytes() const { return m_peakBytes.load(); }
    quint64 droppedCount() const { return m_dropped.load(); }
    void resetCounters();

private:
    static qint64 sampleBytes(GstSample* sample);

    mutable QMutex m_mutex;
    QVector<Entry> m_entries;     // guarded by m_mutex
    qint64 m_bytes = 0;           // guarded by m_mutex
    bool m_overflowed = false;    // guarded by m_mutex
    bool m_wakeUpPending = false; // guarded by m_mutex
    std::atomic<qint64> m_limitBytes { DefaultLimitBytes };
    std::atomic<qint64> m_peakBytes { 0 };
    std::atomic<quint64> m_dropped { 0 };
};

} // namespace GStreamer
} // namespace Ulx
