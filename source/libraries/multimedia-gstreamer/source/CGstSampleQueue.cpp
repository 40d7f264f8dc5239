#include "CGstSampleQueue.h"

#include <QMutexLocker>

namespace Ulx {
namespace GStreamer {

CGstSampleQueue::~CGstSampleQueue()
{
    clear();
}

qint64 CGstSampleQueue::sampleBytes(GstSample* sample)
{
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    return buffer ? qint64(gst_buffer_get_size(buffer)) : 0;
}

bool CGstSampleQueue::push(GstSample* sample, bool keyFrame)
{
    if (!sample)
        return false;
    const qint64 bytes = sampleBytes(sample);
    QVector<Entry> released;
    bool postWakeUp = false;
    {
        QMutexLocker lock(&m_mutex);
        if (m_bytes + bytes > m_limitBytes.load()) {
            // Past the limit the stream towards the processor has a hole anyway: let go of all of
            // it at once instead of growing, and let the GUI side end what depends on it.
            released.swap(m_entries);
            released.append({ sample, keyFrame });
            m_bytes = 0;
            m_overflowed = true;
        } else {
            m_entries.append({ sample, keyFrame });
            m_bytes += bytes;
            if (m_bytes > m_peakBytes.load())
                m_peakBytes.store(m_bytes);
        }
        postWakeUp = !m_wakeUpPending;
        m_wakeUpPending = true;
    }
    m_dropped.fetch_add(quint64(released.size()));
    for (const Entry& entry : released)
        gst_sample_unref(entry.sample);
    return postWakeUp;
}

QVector<CGstSampleQueue::Entry> CGstSampleQueue::takeAll(bool* overflowed)
{
    QVector<Entry> entries;
    QMutexLocker lock(&m_mutex);
    entries.swap(m_entries);
    m_bytes = 0;
    if (overflowed)
        *overflowed = m_overflowed;
    m_overflowed = false;
    m_wakeUpPending = false;
    return entries;
}

void CGstSampleQueue::clear()
{
    QVector<Entry> entries;
    {
        QMutexLocker lock(&m_mutex);
        entries.swap(m_entries);
        m_bytes = 0;
    }
    for (const Entry& entry : entries)
        gst_sample_unref(entry.sample);
}

int CGstSampleQueue::queuedCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.size();
}

qint64 CGstSampleQueue::queuedBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_bytes;
}

void CGstSampleQueue::resetCounters()
{
    m_peakBytes.store(0);
    m_dropped.store(0);
}

} // namespace GStreamer
} // namespace Ulx
