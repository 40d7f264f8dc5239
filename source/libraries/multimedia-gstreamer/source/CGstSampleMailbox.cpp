#include "CGstSampleMailbox.h"

#include <QMutexLocker>

namespace Ulx {
namespace GStreamer {

CGstSampleMailbox::~CGstSampleMailbox()
{
    clear();
}

bool CGstSampleMailbox::put(GstSample* sample)
{
    if (!sample)
        return false;
    m_received.fetch_add(1);
    GstSample* replaced = nullptr;
    bool postWakeUp = false;
    {
        QMutexLocker lock(&m_mutex);
        replaced = m_sample;
        m_sample = sample;
        m_arrivedUs = g_get_monotonic_time();
        postWakeUp = !m_wakeUpPending;
        m_wakeUpPending = true;
    }
    // Released outside the lock: the last reference may free a whole decoded frame.
    if (replaced) {
        m_dropped.fetch_add(1);
        gst_sample_unref(replaced);
    }
    return postWakeUp;
}

GstSample* CGstSampleMailbox::take(qint64* waitedUs)
{
    QMutexLocker lock(&m_mutex);
    GstSample* sample = m_sample;
    m_sample = nullptr;
    m_wakeUpPending = false;
    if (waitedUs)
        *waitedUs = sample ? g_get_monotonic_time() - m_arrivedUs : 0;
    return sample;
}

void CGstSampleMailbox::clear()
{
    GstSample* sample = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        sample = m_sample;
        m_sample = nullptr;
    }
    if (sample)
        gst_sample_unref(sample);
}

bool CGstSampleMailbox::isHoldingSample() const
{
    QMutexLocker lock(&m_mutex);
    return m_sample != nullptr;
}

void CGstSampleMailbox::resetCounters()
{
    m_received.store(0);
    m_dropped.store(0);
}

} // namespace GStreamer
} // namespace Ulx
