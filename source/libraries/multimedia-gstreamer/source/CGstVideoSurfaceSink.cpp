#include "CGstVideoSurfaceSink.h"

#include "CGstSampleBuffer.h"

#include <QMetaObject>
#include <QTimerEvent>

#include <gst/video/video.h>

#include <algorithm>

namespace Ulx {
namespace GStreamer {

CGstVideoSurfaceSink::CGstVideoSurfaceSink(QObject* parent)
    : CAbstractAppSink(parent)
{
}

CGstVideoSurfaceSink::~CGstVideoSurfaceSink()
{
    setAppSinkElement(nullptr);
    // A wake-up still queued for this object dies with it; the frame it announced must not.
    m_mailbox.clear();
}

QAbstractVideoSurface* CGstVideoSurfaceSink::videoSurface() const
{
    return m_videoSurface.data();
}

void CGstVideoSurfaceSink::setVideoSurface(QAbstractVideoSurface* surface)
{
    if (m_videoSurface && m_videoSurface != surface && m_videoSurface->isActive())
        m_videoSurface->stop();
    m_videoSurface = surface;
    if (m_videoSurface && m_surfaceFormat.isValid() && m_videoOutputEnabled)
        startSurface();
}

void CGstVideoSurfaceSink::setVideoOutputEnabled(bool enabled)
{
    if (enabled == m_videoOutputEnabled)
        return;
    m_videoOutputEnabled = enabled;
    emit videoOutputEnabledChanged();
    if (m_videoOutputEnabled && m_videoSurface && m_surfaceFormat.isValid())
        startSurface();
}

QSize CGstVideoSurfaceSink::frameSize() const
{
    return m_surfaceFormat.frameSize();
}

void CGstVideoSurfaceSink::captureImage()
{
    if (!m_lastFrame.isValid())
        return;
    const QImage image = imageFromVideoFrame(m_lastFrame, m_uOffset, m_vOffset, m_yStride, m_uStride, m_vStride);
    if (image.isNull())
        emit imageCaptureFailed();
    else
        emit imageCaptured(image);
}

void CGstVideoSurfaceSink::clear()
{
    m_lastFrame = QVideoFrame();
    m_surfaceFormat = QVideoSurfaceFormat();
    m_bytesPerLine = 0;
    m_uOffset = m_vOffset = 0;
    m_yStride = m_uStride = m_vStride = 0;
    m_frameCounter = 0;
    m_measuredFrameRate = 0;
    m_formatDirty = true;
    m_framesShown = 0;
    m_deliveryDelayUs = 0;
    m_mailbox.resetCounters();
}

CGstVideoSurfaceSink::DeliveryStatistics CGstVideoSurfaceSink::deliveryStatistics() const
{
    DeliveryStatistics statistics;
    statistics.received = m_mailbox.receivedCount();
    statistics.dropped = m_mailbox.droppedCount();
    statistics.shown = m_framesShown;
    statistics.deliveryDelayUs = m_deliveryDelayUs;
    return statistics;
}

void CGstVideoSurfaceSink::reset()
{
    if (m_videoSurface && m_videoSurface->isActive())
        m_videoSurface->stop();
    m_frameRateTimer.stop();
    // A frame of the stream that has just ended is not shown after the reset.
    m_mailbox.clear();
    clear();
}

void CGstVideoSurfaceSink::setAppSinkElement(GstAppSink* element)
{
    CAbstractAppSink::setAppSinkElement(element);
    if (!element) {
        m_mailbox.clear();
        return;
    }
    gst_base_sink_set_sync(GST_BASE_SINK(element), m_syncToClock);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", nullptr);
    g_object_set(G_OBJECT(element), "enable-last-sample", FALSE, "max-buffers", 8, "drop", TRUE, "caps", caps,
                 nullptr);
    gst_caps_unref(caps);
}

// Streaming thread: post only.
GstFlowReturn CGstVideoSurfaceSink::newPreroll()
{
    QMetaObject::invokeMethod(this, "asyncNewPreroll", Qt::QueuedConnection);
    return GST_FLOW_OK;
}

// Streaming thread: the sample goes into the mailbox (replacing one the GUI thread has not
// taken yet) and at most one wake-up is queued, so a stalled GUI thread never collects frames.
GstFlowReturn CGstVideoSurfaceSink::newSample()
{
    GstAppSink* sink = m_appSink.load();
    if (!sink)
        return GST_FLOW_OK;
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (sample && m_mailbox.put(sample))
        QMetaObject::invokeMethod(this, "asyncTakePendingSample", Qt::QueuedConnection);
    return GST_FLOW_OK;
}

// Streaming thread: post only.
void CGstVideoSurfaceSink::notifyEndOfStream()
{
    QMetaObject::invokeMethod(this, "asyncNotifyEndOfStream", Qt::QueuedConnection);
}

void CGstVideoSurfaceSink::asyncNotifyEndOfStream()
{
    reset();
}

void CGstVideoSurfaceSink::asyncNewPreroll()
{
    m_formatDirty = true;
    m_frameRateTimer.start(m_measurementInterval, this);
}

void CGstVideoSurfaceSink::asyncTakePendingSample()
{
    qint64 waitedUs = 0;
    GstSample* sample = m_mailbox.take(&waitedUs);
    if (!sample)
        return;
    m_deliveryDelayUs = waitedUs;
    asyncNewSample(sample);
}

void CGstVideoSurfaceSink::asyncNewSample(void* pSample)
{
    auto* sample = static_cast<GstSample*>(pSample);
    if (!sample)
        return;
    if (!m_videoSurface || !m_videoOutputEnabled) {
        gst_sample_unref(sample);
        return;
    }
    if (m_formatDirty) {
        GstVideoInfo info;
        GstCaps* caps = gst_sample_get_caps(sample);
        if (!caps || !gst_video_info_from_caps(&info, caps)) {
            gst_sample_unref(sample);
            return;
        }
        m_bytesPerLine = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
        m_uOffset = static_cast<int>(GST_VIDEO_INFO_PLANE_OFFSET(&info, 1));
        m_vOffset = static_cast<int>(GST_VIDEO_INFO_PLANE_OFFSET(&info, 2));
        m_yStride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
        m_uStride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 1);
        m_vStride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 2);
        QVideoSurfaceFormat format(QSize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info)),
                                   QVideoFrame::Format_YUV420P, QAbstractVideoBuffer::NoHandle);
        format.setYCbCrColorSpace(QVideoSurfaceFormat::YCbCr_BT601);
        m_surfaceFormat = format;
        m_formatDirty = false;
        emit frameSizeChanged();
        startSurface();
        // The slot above may have changed the surface or the output.
        if (!m_videoSurface || !m_videoOutputEnabled) {
            gst_sample_unref(sample);
            return;
        }
    }
    ++m_frameCounter;
    ++m_framesShown;
    QVideoFrame frame(new CGstSampleBuffer(sample, m_bytesPerLine), m_surfaceFormat.frameSize(),
                      m_surfaceFormat.pixelFormat());
    m_videoSurface->present(frame);
    m_lastFrame = frame;
}

void CGstVideoSurfaceSink::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_frameRateTimer.timerId()) {
        CAbstractAppSink::timerEvent(event);
        return;
    }
    m_measuredFrameRate = m_frameCounter;
    m_frameCounter = 0;
}

void CGstVideoSurfaceSink::startSurface()
{
    if (!m_videoSurface)
        return;
    if (m_videoSurface->isActive())
        m_videoSurface->stop();
    m_videoSurface->start(m_surfaceFormat);
}

namespace {

inline uchar clampToByte(int value)
{
    return static_cast<uchar>(std::clamp(value, 0, 255));
}

} // namespace

QImage CGstVideoSurfaceSink::imageFromVideoFrame(const QVideoFrame& frame, int uOffset, int vOffset, int yStride,
                                                 int uStride, int vStride)
{
    if (frame.pixelFormat() != QVideoFrame::Format_YUV420P)
        return QImage();
    QVideoFrame mapped(frame);
    if (!mapped.map(QAbstractVideoBuffer::ReadOnly))
        return QImage();
    const int width = mapped.width();
    const int height = mapped.height();
    const uchar* data = mapped.bits();
    const int size = mapped.mappedBytes();
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    // A layout that does not fit the mapped data would read past the buffer: refuse it.
    const bool layoutFits = data && width > 0 && height > 0 && yStride >= width && uStride >= chromaWidth
                            && vStride >= chromaWidth && uOffset >= 0 && vOffset >= 0
                            && qint64(yStride) * height <= size
                            && qint64(uOffset) + qint64(uStride) * (chromaHeight - 1) + chromaWidth <= size
                            && qint64(vOffset) + qint64(vStride) * (chromaHeight - 1) + chromaWidth <= size;
    if (!layoutFits) {
        mapped.unmap();
        return QImage();
    }
    QImage image(width, height, QImage::Format_RGB888);
    for (int row = 0; row < height; ++row) {
        const uchar* yLine = data + qint64(row) * yStride;
        const uchar* uLine = data + uOffset + qint64(row / 2) * uStride;
        const uchar* vLine = data + vOffset + qint64(row / 2) * vStride;
        uchar* out = image.scanLine(row);
        for (int column = 0; column < width; ++column) {
            const int y = yLine[column] - 16;
            const int u = uLine[column / 2] - 128;
            const int v = vLine[column / 2] - 128;
            *out++ = clampToByte((298 * y + 409 * v + 128) >> 8);
            *out++ = clampToByte((298 * y - 100 * u - 208 * v + 128) >> 8);
            *out++ = clampToByte((298 * y + 516 * u + 128) >> 8);
        }
    }
    mapped.unmap();
    return image;
}

} // namespace GStreamer
} // namespace Ulx
