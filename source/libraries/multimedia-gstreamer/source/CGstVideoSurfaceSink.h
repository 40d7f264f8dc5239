#pragma once

#include "CAbstractAppSink.h"
#include "CGstSampleMailbox.h"

#include <QAbstractVideoSurface>
#include <QBasicTimer>
#include <QImage>
#include <QPointer>
#include <QSize>
#include <QVideoFrame>
#include <QVideoSurfaceFormat>

namespace Ulx {
namespace GStreamer {

// Presents decoded I420 samples of an appsink to a QAbstractVideoSurface (the QML video
// output) and converts the frame shown last into an image on request. Lives on the GUI
// thread; the surface is not owned. Samples reach the GUI thread through a one-slot mailbox:
// a busy GUI thread skips to the newest frame instead of playing a backlog late.
class CGstVideoSurfaceSink : public CAbstractAppSink
{
    Q_OBJECT
    Q_PROPERTY(QAbstractVideoSurface* videoSurface READ videoSurface WRITE setVideoSurface)

public:
    explicit CGstVideoSurfaceSink(QObject* parent = nullptr);
    ~CGstVideoSurfaceSink() override;

    QAbstractVideoSurface* videoSurface() const;
    void setVideoSurface(QAbstractVideoSurface* surface);

    bool videoOutputEnabled() const { return m_videoOutputEnabled; }
    void setVideoOutputEnabled(bool enabled);
    void setSyncToClock(bool enabled) { m_syncToClock = enabled; }

    QSize frameSize() const;
    uint measuredFrameRate() const { return m_measuredFrameRate; }
    // The frame-rate measurement period; fixed at 1000 ms in the program, shorter in tests.
    void setMeasurementInterval(int milliseconds) { m_measurementInterval = milliseconds; }

    void captureImage();
    void cancelImageCapture() {}
    // True while a frame is held that captureImage() can convert.
    bool hasFrame() const { return m_lastFrame.isValid(); }

    void clear();

    // Frame delivery since the last reset: samples that reached the appsink, frames presented,
    // frames replaced by a newer one before the GUI thread took them, and how long the last
    // presented frame waited between the appsink and the surface.
    struct DeliveryStatistics
    {
        quint64 received = 0;
        quint64 shown = 0;
        quint64 dropped = 0;
        qint64 deliveryDelayUs = 0;
    };
    DeliveryStatistics deliveryStatistics() const;
    // Whether a sample waits in the mailbox for the GUI thread.
    bool hasPendingSample() const { return m_mailbox.isHoldingSample(); }

    void setAppSinkElement(GstAppSink* element) override;

    // The conversion behind captureImage(): integer BT.601 from planar YUV 4:2:0 to RGB888.
    // A null image when the frame is not YUV420P or cannot be mapped.
    static QImage imageFromVideoFrame(const QVideoFrame& frame, int uOffset, int vOffset, int yStride,
                                      int uStride, int vStride);

signals:
    void imageCaptured(QImage image);
    void imageCaptureFailed();
    void frameSizeChanged();
    void videoOutputEnabledChanged();

public:
    Q_INVOKABLE void asyncNotifyEndOfStream();
    Q_INVOKABLE void asyncNewPreroll();
    Q_INVOKABLE void asyncNewSample(void* pSample);
    // The wake-up posted by the streaming thread: presents the newest sample of the mailbox.
    Q_INVOKABLE void asyncTakePendingSample();
    Q_INVOKABLE void reset();

    GstFlowReturn newPreroll() override;
    GstFlowReturn newSample() override;
    void notifyEndOfStream() override;

protected:
    bool handlesEndOfStream() const override { return true; }
    void timerEvent(QTimerEvent* event) override;

private:
    void startSurface();

    CGstSampleMailbox m_mailbox;
    quint64 m_framesShown = 0;
    qint64 m_deliveryDelayUs = 0;
    QVideoSurfaceFormat m_surfaceFormat;
    QVideoFrame m_lastFrame;
    QBasicTimer m_frameRateTimer;
    QPointer<QAbstractVideoSurface> m_videoSurface;
    int m_bytesPerLine = 0;
    int m_uOffset = 0;
    int m_vOffset = 0;
    int m_yStride = 0;
    int m_uStride = 0;
    int m_vStride = 0;
    uint m_frameCounter = 0;
    uint m_measuredFrameRate = 0;
    int m_measurementInterval = 1000;
    bool m_videoOutputEnabled = true;
    bool m_syncToClock = false;
    bool m_formatDirty = true;
};

} // namespace GStreamer
} // namespace Ulx
