#pragma once

#include "CAbstractAppSink.h"

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
// GUI thread; the streaming thread touches only the atomic key-frame flag and the matcher.
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

    void setAppSinkElement(GstAppSink* element) override;

    // True when the Annex B data holds a sequence parameter set, a picture parameter set and
    // an IDR slice (in any order).
    static bool isKeyFrame(const QByteArrayMatcher& startCodeMatcher, const char* data, int size);

signals:
    void sampleReceived();

public:
    Q_INVOKABLE void asyncNewSample(void* pSample, bool bIsCheckedIDRFrame);
    Q_INVOKABLE void asyncNewPreroll();

    GstFlowReturn newPreroll() override;
    GstFlowReturn newSample() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
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
