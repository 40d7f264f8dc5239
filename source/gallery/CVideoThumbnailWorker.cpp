#include "gallery/CVideoThumbnailWorker.h"

#include "CLogger.h"

#include <QUrl>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("CulvertixApplication");

// playbin's "flags": decode the video only, so no audio device is opened.
constexpr guint PlayFlagVideo = 0x1;

// Copies an RGB frame row by row: GStreamer pads each row to its stride (a multiple of 4),
// which differs from width * 3 whenever the width is not a multiple of 4.
QImage imageFromSample(GstSample* sample)
{
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps)
        || GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_RGB)
        return QImage();
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return QImage();
    const int width = GST_VIDEO_FRAME_WIDTH(&frame);
    const int height = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* pixels = static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    QImage image(width, height, QImage::Format_RGB888);
    if (!image.isNull()) {
        for (int y = 0; y < height; ++y)
            memcpy(image.scanLine(y), pixels + static_cast<qsizetype>(y) * stride, static_cast<size_t>(width) * 3);
    }
    gst_video_frame_unmap(&frame);
    return image;
}

} // namespace

CVideoThumbnailWorker::CVideoThumbnailWorker(int maxWidth, int maxHeight, QObject* parent)
    : QObject(parent)
    , m_maxWidth(maxWidth)
    , m_maxHeight(maxHeight)
{
}

CVideoThumbnailWorker::~CVideoThumbnailWorker()
{
    releasePipeline();
}

void CVideoThumbnailWorker::cancel()
{
    m_cancelled.storeRelaxed(1);
}

bool CVideoThumbnailWorker::isCancelled() const
{
    return m_cancelled.loadRelaxed() != 0;
}

void CVideoThumbnailWorker::init()
{
    if (m_pipeline)
        return;
    if (!gst_is_initialized()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Video thumbnails unavailable: GStreamer is not initialised."));
        return;
    }
    // pipeline ( playbin video-sink=appsink0 caps=video/x-raw,format=RGB )
    m_pipeline = gst_pipeline_new("pipeline");
    m_playbin = gst_element_factory_make("playbin", nullptr);
    m_appSink = gst_element_factory_make("appsink", "appsink0");
    if (!m_pipeline || !m_playbin || !m_appSink) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory,
                            QStringLiteral("Video thumbnails unavailable: playbin or appsink missing."));
        if (m_pipeline)
            gst_object_unref(m_pipeline);
        if (m_playbin)
            gst_object_unref(m_playbin);
        if (m_appSink)
            gst_object_unref(m_appSink);
        m_pipeline = m_playbin = m_appSink = nullptr;
        return;
    }
    // The bin takes the floating references; hold our own so that releasePipeline is uniform.
    gst_object_ref_sink(m_playbin);
    gst_object_ref_sink(m_appSink);
    gst_bin_add(GST_BIN(m_pipeline), m_playbin);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGB", nullptr);
    g_object_set(m_appSink, "caps", caps, "sync", FALSE, nullptr);
    gst_caps_unref(caps);
    g_object_set(m_playbin, "video-sink", m_appSink, "flags", PlayFlagVideo, nullptr);
}

void CVideoThumbnailWorker::releasePipeline()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_appSink);
    gst_object_unref(m_playbin);
    gst_object_unref(m_pipeline);
    m_pipeline = m_playbin = m_appSink = nullptr;
}

QImage CVideoThumbnailWorker::grabFrame(const QString& fileUrl)
{
    const QByteArray uri = QUrl(fileUrl).toEncoded(QUrl::FullyEncoded);
    g_object_set(m_playbin, "uri", uri.constData(), nullptr);

    const GstStateChangeReturn change = gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE || change == GST_STATE_CHANGE_NO_PREROLL)
        return QImage();
    if (gst_element_get_state(m_pipeline, nullptr, nullptr, PrerollTimeoutNs) != GST_STATE_CHANGE_SUCCESS)
        return QImage();
    if (!gst_element_seek_simple(m_pipeline, GST_FORMAT_TIME,
                                 static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                                 FramePositionNs))
        return QImage();
    // A flushing seek pre-rolls again; the sample waits at most as long as the first pre-roll.
    GstSample* sample = gst_app_sink_try_pull_preroll(GST_APP_SINK(m_appSink), PrerollTimeoutNs);
    if (!sample)
        return QImage();
    QImage image = imageFromSample(sample);
    gst_sample_unref(sample);
    if (!image.isNull() && (image.width() > m_maxWidth || image.height() > m_maxHeight))
        image = image.scaled(m_maxWidth, m_maxHeight, Qt::KeepAspectRatio, Qt::FastTransformation);
    return image;
}

void CVideoThumbnailWorker::generateThumbnail(QString fileUrl)
{
    if (!m_pipeline || isCancelled()) {
        emit thumbnailCreationFailed(fileUrl);
        return;
    }
    const QImage image = grabFrame(fileUrl);
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    if (image.isNull()) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, QStringLiteral("No thumbnail for video %1."),
                            {fileUrl});
        emit thumbnailCreationFailed(fileUrl);
        return;
    }
    emit thumbnailReady(fileUrl, image);
}
