#pragma once

#include "MultimediaTypes.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QUrl>

#include <gst/player/player.h>

namespace Ulx {
namespace GStreamer {
class CGstVideoSurfaceSink;
class CVideoRenderer;
} // namespace GStreamer
namespace Multimedia {
class CStillWriter;
} // namespace Multimedia
} // namespace Ulx

// Plays a video file from the tablet in the QML video output (GStreamer's player library with
// the player video renderer and a video surface sink) and saves the shown frame as a photo.
// One instance, created and deleted by the application on the GUI thread; it owns the player,
// the renderer and the surface sink. The player's callbacks run on its own thread and only
// queue calls of the invokable setters.
class CVideoPlayer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::MultimediaTypes::PlaybackState state READ state NOTIFY stateChanged)
    Q_PROPERTY(QObject* videoSurfaceSink READ videoSurfaceSink CONSTANT)
    Q_PROPERTY(qlonglong position READ position NOTIFY positionChanged)
    Q_PROPERTY(qlonglong duration READ duration NOTIFY durationChanged)
    Q_PROPERTY(QUrl sourceUrl READ sourceUrl WRITE setSourceUrl NOTIFY sourceUrlChanged)
    // A photo is being taken from the video and stored: the photo button waits for it.
    Q_PROPERTY(bool imageCaptureInProgress READ imageCaptureInProgress NOTIFY imageCaptureInProgressChanged)

public:
    // Position or duration that the player does not know (yet).
    static constexpr qlonglong UnknownTime = -1;

    explicit CVideoPlayer(QObject* parent = nullptr);
    ~CVideoPlayer() override;

    Ulx::MultimediaTypes::PlaybackState state() const { return m_state; }
    QObject* videoSurfaceSink() const;
    Ulx::GStreamer::CGstVideoSurfaceSink* surfaceSink() const { return m_videoSurfaceSink; }
    // Milliseconds; UnknownTime when the player cannot tell.
    qlonglong position() const { return m_position; }
    qlonglong duration() const { return m_duration; }
    QUrl sourceUrl() const { return m_sourceUrl; }
    void setSourceUrl(const QUrl& url);
    bool imageCaptureInProgress() const { return !m_pendingImageFileName.isEmpty(); }

    Ulx::MultimediaTypes::ImageOutputFormat imageOutputFormat() const { return m_imageOutputFormat; }
    void setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat format) { m_imageOutputFormat = format; }

    // Turns a time of the player (nanoseconds, or GStreamer's "none") into milliseconds.
    static qlonglong millisecondsFromClockTime(GstClockTime time);

signals:
    void stateChanged();
    void positionChanged(qlonglong position);
    void durationChanged();
    void sourceUrlChanged();
    void imageCaptured(QString fileName);
    void errorOccurred(Ulx::MultimediaTypes::PlaybackError errorCode);
    void imageCaptureInProgressChanged();

public slots:
    void onImageCaptured(QImage image);
    void onImageCaptureFailed();
    void onImageStored(bool stored, const QString& target, const QString& detail);

public:
    Q_INVOKABLE void setState(Ulx::MultimediaTypes::PlaybackState state);
    Q_INVOKABLE void setPosition(qlonglong position);
    Q_INVOKABLE void setDuration(qlonglong duration);
    Q_INVOKABLE void play();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void pause();
    Q_INVOKABLE void seek(qlonglong pos);
    Q_INVOKABLE void captureImage(QString fileName);
    Q_INVOKABLE void cancelImageCapture();

private:
    static void onPlayerStateChanged(gpointer userData, GstPlayerState state, GstPlayer* player);
    static void onPlayerPositionUpdated(gpointer userData, GstClockTime position, GstPlayer* player);
    static void onPlayerDurationChanged(gpointer userData, GstClockTime duration, GstPlayer* player);
    void setPendingImageFileName(const QString& fileName);

    QUrl m_sourceUrl;
    QString m_pendingImageFileName;
    Ulx::Multimedia::CStillWriter* m_stillWriter = nullptr;
    GstPlayer* m_player = nullptr;
    Ulx::GStreamer::CGstVideoSurfaceSink* m_videoSurfaceSink = nullptr;
    Ulx::GStreamer::CVideoRenderer* m_videoRenderer = nullptr;
    qlonglong m_duration = 0;
    qlonglong m_position = 0;
    Ulx::MultimediaTypes::ImageOutputFormat m_imageOutputFormat = Ulx::MultimediaTypes::ImageOutputFormatPNG;
    Ulx::MultimediaTypes::PlaybackState m_state = Ulx::MultimediaTypes::PlaybackStopped;
};
