#pragma once

#include "CAbstractAppSink.h"
#include "CGstSampleQueue.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QByteArrayMatcher>

#include <atomic>

namespace Ulx {
namespace GStreamer {

class IGstBufferProcessor;

// Receives the encoded H.264 access units of the streaming pipeline and, once a processor is
// attached, hands it copies of the buffers from the first complete key frame on (parameter
// sets and an IDR slice), so a recording never starts on an undecodable frame. Lives on the
// GUI thread; the streaming thread touches only the atomic key-frame flag, the matcher and
// the sample queue. The queue keeps every sample (a recording must not lose frames) up to a
// byte limit; past it the processor is told and the wait for a key frame starts again.
class CGstBufferDistributionSink : public CAbstractAppSink
{
    Q_OBJECT

public:
    explicit CGstBufferDistributionSink(QObject* parent = nullptr);
    ~CGstBufferDistributionSink() override;

    void setBufferProcessor(IGstBufferProcessor* processor);
    IGstBufferProcessor* bufferProcessor() const { return m_bufferProcessor; }
    // The caps of the first sample as text, terminating zero byte included.
    QByteArray capsString() const { return m_capsString; }
    uint measuredSampleRate() const { return m_measuredSampleRate; }
    void setMeasurementInterval(int milliseconds) { m_measurementInterval = milliseconds; }
    void reset();

    // The byte limit of the queue towards the GUI thread; 64 MiB in the program.
    void setQueueLimit(qint64 bytes) { m_queue.setLimitBytes(bytes); }
    qint64 queuedBytes() const { return m_queue.queuedBytes(); }
    qint64 peakQueuedBytes() const { return m_queue.peakBytes(); }
    // Samples released unprocessed because the queue went past its limit.
    quint64 droppedSampleCount() const { return m_queue.droppedCount(); }

    void setAppSinkElement(GstAppSink* element) override;

    // True when the Annex B data holds a sequence parameter set, a picture parameter set and
    // an IDR slice (in any order).
    static bool isKeyFrame(const QByteArrayMatcher& startCodeMatcher, const char* data, int size);

signals:
    void sampleReceived();

public:
    Q_INVOKABLE void asyncNewSample(void* pSample, bool bIsCheckedIDRFrame);
    Q_INVOKABLE void asyncNewPreroll();
    // The wake-up posted by the streaming thread: processes everything queued, oldest first.
    Q_INVOKABLE void asyncProcessQueue();

    GstFlowReturn newPreroll() override;
    GstFlowReturn newSample() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    CGstSampleQueue m_queue;
    QByteArray m_capsString;
    QByteArrayMatcher m_startCodeMatcher;
    IGstBufferProcessor* m_bufferProcessor = nullptr;
    QBasicTimer m_sampleRateTimer;
    uint m_sampleCounter = 0;
    uint m_measuredSampleRate = 0;
    int m_measurementInterval = 1000;
    int m_forwardingState = 0;
    std::atomic<bool> m_checkKeyFrame { false };
};

} // namespace GStreamer
} // namespace Ulx
