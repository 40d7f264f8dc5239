#include "inspection/CVideoPlayer.h"

#include "CGstVideoSurfaceSink.h"
#include "CStillWriter.h"
#include "misc/CVideoRenderer.h"

#include <CLogger.h>

#include <QMetaObject>

using Tovrin::Logging::CLogger;
using Ulx::GStreamer::CGstVideoSurfaceSink;
using Ulx::GStreamer::CVideoRenderer;
using Ulx::MultimediaTypes;

namespace {

const char LogCategory[] = "VideoPlayer";

MultimediaTypes::PlaybackState playbackStateFromPlayer(GstPlayerState state)
{
    switch (state) {
    case GST_PLAYER_STATE_BUFFERING:
        return MultimediaTypes::PlaybackBuffering;
    case GST_PLAYER_STATE_PAUSED:
        return MultimediaTypes::PlaybackPaused;
    case GST_PLAYER_STATE_PLAYING:
        return MultimediaTypes::PlaybackRunning;
    default:
        return MultimediaTypes::PlaybackStopped;
    }
}

} // namespace

CVideoPlayer::CVideoPlayer(QObject* parent)
    : QObject(parent)
    , m_stillWriter(new Ulx::Multimedia::CStillWriter(this))
{
    connect(m_stillWriter, &Ulx::Multimedia::CStillWriter::finished, this, &CVideoPlayer::onImageStored);
    m_videoSurfaceSink = new CGstVideoSurfaceSink();
    m_videoSurfaceSink->setSyncToClock(true);
    m_videoRenderer = new CVideoRenderer();
    m_videoSurfaceSink->setAppSinkElement(GST_APP_SINK(m_videoRenderer->videoSink()));

    m_player = gst_player_new(m_videoRenderer->renderer(), nullptr);
    gst_player_set_audio_track_enabled(m_player, FALSE);
    gst_player_set_subtitle_track_enabled(m_player, FALSE);
    g_object_connect(m_player, "swapped-signal::state-changed", G_CALLBACK(&CVideoPlayer::onPlayerStateChanged), this,
                     "swapped-signal::position-updated", G_CALLBACK(&CVideoPlayer::onPlayerPositionUpdated), this,
                     "swapped-signal::duration-changed", G_CALLBACK(&CVideoPlayer::onPlayerDurationChanged), this,
                     nullptr);

    connect(m_videoSurfaceSink, &CGstVideoSurfaceSink::imageCaptured, this, &CVideoPlayer::onImageCaptured);
    connect(m_videoSurfaceSink, &CGstVideoSurfaceSink::imageCaptureFailed, this, &CVideoPlayer::onImageCaptureFailed);
}

CVideoPlayer::~CVideoPlayer()
{
    g_signal_handlers_disconnect_matched(m_player, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    gst_player_stop(m_player);
    // Releasing the player joins its thread and takes its pipeline down, so no callback of the
    // appsink runs afterwards.
    g_object_unref(m_player);
    m_player = nullptr;
    // The sink lets go of the appsink before the renderer, which holds it, goes.
    m_videoSurfaceSink->setAppSinkElement(nullptr);
    delete m_videoRenderer;
    delete m_videoSurfaceSink;
}

QObject* CVideoPlayer::videoSurfaceSink() const
{
    return m_videoSurfaceSink;
}

qlonglong CVideoPlayer::millisecondsFromClockTime(GstClockTime time)
{
    // GStreamer's "none" (all bits set) would otherwise turn into an enormous time.
    if (!GST_CLOCK_TIME_IS_VALID(time))
        return UnknownTime;
    return static_cast<qlonglong>(time / GST_MSECOND);
}

void CVideoPlayer::setSourceUrl(const QUrl& url)
{
    if (url == m_sourceUrl)
        return;
    m_sourceUrl = url;
    emit sourceUrlChanged();
    if (m_position != 0) {
        m_position = 0;
        emit positionChanged(0);
    }
    if (m_duration != 0) {
        m_duration = 0;
        emit durationChanged();
    }
    gst_player_set_uri(m_player, url.isEmpty() ? nullptr : url.toEncoded().constData());
}

void CVideoPlayer::setState(MultimediaTypes::PlaybackState state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void CVideoPlayer::setPosition(qlonglong position)
{
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(position);
}

void CVideoPlayer::setDuration(qlonglong duration)
{
    if (duration == m_duration)
        return;
    m_duration = duration;
    emit durationChanged();
}

void CVideoPlayer::play()
{
    if (!m_sourceUrl.isEmpty())
        gst_player_play(m_player);
}

void CVideoPlayer::stop()
{
    if (!m_sourceUrl.isEmpty())
        gst_player_stop(m_player);
}

void CVideoPlayer::pause()
{
    if (!m_sourceUrl.isEmpty())
        gst_player_pause(m_player);
}

void CVideoPlayer::seek(qlonglong pos)
{
    if (m_sourceUrl.isEmpty() || pos < 0)
        return;
    gst_player_seek(m_player, static_cast<GstClockTime>(pos) * GST_MSECOND);
}

void CVideoPlayer::captureImage(QString fileName)
{
    if (!m_pendingImageFileName.isEmpty()) {
        // The screen shows the photo button busy until the still is stored.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Capture refused, a still is being stored",
                            { fileName, m_pendingImageFileName });
        return;
    }
    if (m_state != MultimediaTypes::PlaybackRunning && m_state != MultimediaTypes::PlaybackPaused) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Capture refused, no video shown", { fileName });
        return;
    }
    if (!m_videoSurfaceSink->hasFrame()) {
        // The sink answers only when it holds a frame; without one the capture would stay
        // pending for good and refuse every later capture.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "No frame to capture", { fileName });
        emit errorOccurred(MultimediaTypes::PlaybackErrorImageCaptureInternal);
        return;
    }
    setPendingImageFileName(fileName);
    m_videoSurfaceSink->captureImage();
}

void CVideoPlayer::cancelImageCapture()
{
    m_videoSurfaceSink->cancelImageCapture();
}

void CVideoPlayer::onImageCaptured(QImage image)
{
    if (m_pendingImageFileName.isEmpty())
        return;
    QString error;
    if (!m_stillWriter->write(image, m_pendingImageFileName,
                              m_imageOutputFormat == MultimediaTypes::ImageOutputFormatJPEG ? 100 : -1, QString(),
                              &error)) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot write captured image",
                            { m_pendingImageFileName, error });
        emit errorOccurred(MultimediaTypes::PlaybackErrorImageCaptureFileAccess);
        setPendingImageFileName(QString());
    }
}

void CVideoPlayer::onImageStored(bool stored, const QString& target, const QString& detail)
{
    if (target != m_pendingImageFileName)
        return;
    setPendingImageFileName(QString());
    if (!stored) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot store captured image", { target, detail });
        emit errorOccurred(MultimediaTypes::PlaybackErrorImageCaptureFileAccess);
        return;
    }
    if (!detail.isEmpty())
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Captured image", { target, detail });
    emit imageCaptured(target);
}

void CVideoPlayer::onImageCaptureFailed()
{
    if (m_pendingImageFileName.isEmpty())
        return;
    emit errorOccurred(MultimediaTypes::PlaybackErrorImageCaptureInternal);
    setPendingImageFileName(QString());
}

void CVideoPlayer::setPendingImageFileName(const QString& fileName)
{
    const bool wasInProgress = imageCaptureInProgress();
    m_pendingImageFileName = fileName;
    if (imageCaptureInProgress() != wasInProgress)
        emit imageCaptureInProgressChanged();
}

// Player thread: only queued calls.
void CVideoPlayer::onPlayerStateChanged(gpointer userData, GstPlayerState state, GstPlayer* player)
{
    Q_UNUSED(player)
    auto* self = static_cast<CVideoPlayer*>(userData);
    const MultimediaTypes::PlaybackState mapped = playbackStateFromPlayer(state);
    QMetaObject::invokeMethod(self, "setState", Qt::QueuedConnection,
                              Q_ARG(Ulx::MultimediaTypes::PlaybackState, mapped));
    if (mapped == MultimediaTypes::PlaybackStopped)
        QMetaObject::invokeMethod(self->m_videoSurfaceSink, "reset", Qt::QueuedConnection);
}

void CVideoPlayer::onPlayerPositionUpdated(gpointer userData, GstClockTime position, GstPlayer* player)
{
    Q_UNUSED(player)
    QMetaObject::invokeMethod(static_cast<CVideoPlayer*>(userData), "setPosition", Qt::QueuedConnection,
                              Q_ARG(qlonglong, millisecondsFromClockTime(position)));
}

void CVideoPlayer::onPlayerDurationChanged(gpointer userData, GstClockTime duration, GstPlayer* player)
{
    Q_UNUSED(player)
    QMetaObject::invokeMethod(static_cast<CVideoPlayer*>(userData), "setDuration", Qt::QueuedConnection,
                              Q_ARG(qlonglong, millisecondsFromClockTime(duration)));
}
