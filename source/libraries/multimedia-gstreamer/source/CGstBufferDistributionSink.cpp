#include "CGstBufferDistributionSink.h"

#include "IGstBufferProcessor.h"

#include <CLogger.h>

#include <QMetaObject>
#include <QTimerEvent>

using Tovrin::Logging::CLogger;

namespace Ulx {
namespace GStreamer {

namespace {

const char AnnexBStartCode[] = { 0, 0, 0, 1 };

} // namespace

CGstBufferDistributionSink::CGstBufferDistributionSink(QObject* parent)
    : CAbstractAppSink(parent)
    , m_startCodeMatcher(QByteArray(AnnexBStartCode, sizeof(AnnexBStartCode)))
{
}

CGstBufferDistributionSink::~CGstBufferDistributionSink()
{
    setAppSinkElement(nullptr);
    // A wake-up still queued for this object dies with it; the samples it announced must not.
    m_queue.clear();
}

void CGstBufferDistributionSink::setBufferProcessor(IGstBufferProcessor* processor)
{
    m_bufferProcessor = processor;
    m_forwardingState = processor ? 1 : 0;
    m_checkKeyFrame.store(processor != nullptr);
}

void CGstBufferDistributionSink::reset()
{
    m_sampleRateTimer.stop();
    m_capsString.clear();
    m_sampleCounter = 0;
    m_measuredSampleRate = 0;
    m_queue.clear();
    m_queue.resetCounters();
}

void CGstBufferDistributionSink::setAppSinkElement(GstAppSink* element)
{
    CAbstractAppSink::setAppSinkElement(element);
    if (!element) {
        m_queue.clear();
        return;
    }
    gst_base_sink_set_sync(GST_BASE_SINK(element), FALSE);
    g_object_set(G_OBJECT(element), "enable-last-sample", FALSE, "max-buffers", 16, "sync", FALSE, nullptr);
}

bool CGstBufferDistributionSink::isKeyFrame(const QByteArrayMatcher& startCodeMatcher, const char* data, int size)
{
    if (!data || size <= 0)
        return false;
    bool sequenceParameterSet = false;
    bool pictureParameterSet = false;
    bool idrSlice = false;
    const int startCodeLength = startCodeMatcher.pattern().size();
    int from = 0;
    while (true) {
        const int hit = startCodeMatcher.indexIn(data, size, from);
        if (hit < 0)
            return false;
        const int typeIndex = hit + startCodeLength;
        if (typeIndex >= size)
            return false;
        const int nalType = static_cast<uchar>(data[typeIndex]) & 0x1f;
        if (nalType == 7)
            sequenceParameterSet = true;
        else if (nalType == 8)
            pictureParameterSet = true;
        else if (nalType == 5)
            idrSlice = true;
        if (idrSlice && sequenceParameterSet && pictureParameterSet)
            return true;
        from = typeIndex + 1;
    }
}

// Streaming thread: only the appsink, the matcher and the atomic flag are touched here.
GstFlowReturn CGstBufferDistributionSink::newSample()
{
    GstAppSink* sink = m_appSink.load();
    if (!sink)
        return GST_FLOW_OK;
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    bool keyFrame = false;
    if (m_checkKeyFrame.load()) {
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo info = GST_MAP_INFO_INIT;
        if (buffer && gst_buffer_map(buffer, &info, GST_MAP_READ)) {
            keyFrame = isKeyFrame(m_startCodeMatcher, reinterpret_cast<const char*>(info.data),
                                  static_cast<int>(info.size));
            gst_buffer_unmap(buffer, &info);
        }
        m_checkKeyFrame.store(!keyFrame);
    }
    if (m_queue.push(sample, keyFrame))
        QMetaObject::invokeMethod(this, "asyncProcessQueue", Qt::QueuedConnection);
    return GST_FLOW_OK;
}

GstFlowReturn CGstBufferDistributionSink::newPreroll()
{
    QMetaObject::invokeMethod(this, "asyncNewPreroll", Qt::QueuedConnection);
    return GST_FLOW_OK;
}

void CGstBufferDistributionSink::asyncNewPreroll()
{
    m_sampleRateTimer.start(m_measurementInterval, this);
}

void CGstBufferDistributionSink::asyncProcessQueue()
{
    bool overflowed = false;
    const QVector<CGstSampleQueue::Entry> entries = m_queue.takeAll(&overflowed);
    if (overflowed) {
        CLogger::logMessage(CLogger::LogLevelError, "GstBufferDistributionSink", "Sample queue over its limit",
                            { QString::number(m_queue.limitBytes()), QString::number(m_queue.droppedCount()) });
        if (m_forwardingState == 2 && m_bufferProcessor) {
            // The processor has missed buffers: it ends what it has. If it stays attached it
            // starts again from a key frame rather than from a broken reference chain.
            m_forwardingState = 1;
            m_checkKeyFrame.store(true);
            m_bufferProcessor->bufferQueueOverflowed();
        }
    }
    for (const CGstSampleQueue::Entry& entry : entries)
        asyncNewSample(entry.sample, entry.keyFrame);
}

void CGstBufferDistributionSink::asyncNewSample(void* pSample, bool bIsCheckedIDRFrame)
{
    auto* sample = static_cast<GstSample*>(pSample);
    if (!sample)
        return;
    ++m_sampleCounter;
    if (m_capsString.isEmpty()) {
        if (GstCaps* caps = gst_sample_get_caps(sample)) {
            gchar* text = gst_caps_to_string(caps);
            m_capsString = QByteArray(text, static_cast<int>(qstrlen(text)) + 1);
            g_free(text);
        }
    }
    if (m_forwardingState == 1 && bIsCheckedIDRFrame)
        m_forwardingState = 2;
    if (m_forwardingState == 2 && m_bufferProcessor) {
        if (GstBuffer* buffer = gst_sample_get_buffer(sample))
            m_bufferProcessor->processBuffer(gst_buffer_copy(buffer));
    }
    gst_sample_unref(sample);
    emit sampleReceived();
}

void CGstBufferDistributionSink::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_sampleRateTimer.timerId()) {
        CAbstractAppSink::timerEvent(event);
        return;
    }
    m_measuredSampleRate = m_sampleCounter;
    m_sampleCounter = 0;
}

} // namespace GStreamer
} // namespace Ulx
