#pragma once

#include "CImageMetaData.h"
#include "MultimediaTypes.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

namespace Ulx {
namespace GStreamer {
class CGstVideoSurfaceSink;
class CGstBufferDistributionSink;
class CH264StreamingPipeline;
class IGstBufferProcessor;
} // namespace GStreamer

namespace Multimedia {

class CImageMetaDataWriter;
class CStillWriter;

// The live video of the connected camera system: keeps the stream parameters, builds a fresh
// streaming pipeline at every start from Stopped, retries a failing start a bounded number of
// times, hands the encoded stream to a recorder and writes stills of the shown video.
// One instance per process, on the GUI thread; it owns its two sinks, the metadata writer and
// the current pipeline object (kept after a stop until the next start).
class CRTSPVideoStreamerLogic : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultRetryInterval = 3000;
    static constexpr int MaxRetries = 8;
    static constexpr int DefaultStatisticsInterval = 60000;
    // How long a start (with its retries) or a resume may take to bring the first picture, and
    // how long a running stream may go without one, before the stream is given up as lost.
    static constexpr int DefaultStartDeadline = 40000;
    static constexpr int DefaultPictureDeadline = 10000;

    explicit CRTSPVideoStreamerLogic(QObject* parent = nullptr);
    ~CRTSPVideoStreamerLogic() override;

    void setStreamUrl(const QString& url) { m_streamUrl = url; }
    QString streamUrl() const { return m_streamUrl; }
    void setLatency(uint milliseconds) { m_latency = milliseconds; }
    void setStreamCaps(const QByteArray& caps) { m_streamCaps = caps; }
    void setPreferSoftwareDecoding(bool prefer) { m_preferSoftwareDecoding = prefer; }
    void setRtspOverTcp(bool tcpOnly) { m_rtspOverTcp = tcpOnly; }
    void setStopStreamOnPause(bool stop) { m_stopStreamOnPause = stop; }
    // Time between two attempts while starting; fixed at 3000 ms in the program.
    void setRetryInterval(int milliseconds) { m_retryInterval = milliseconds; }
    int retryCount() const { return m_retryCount; }
    // How often the frame-delivery figures are logged while a stream is up; once a minute in
    // the program.
    void setStatisticsInterval(int milliseconds) { m_statisticsInterval = milliseconds; }
    // Fixed at the defaults above in the program.
    void setPictureDeadlines(int startMilliseconds, int runningMilliseconds)
    {
        m_startDeadline = startMilliseconds;
        m_pictureDeadline = runningMilliseconds;
    }

    Ulx::MultimediaTypes::StreamingState state() const { return m_state; }
    void start();
    void stop();
    void pause();
    void resume();

    Ulx::GStreamer::CGstVideoSurfaceSink* videoSurfaceSink() const { return m_videoSurfaceSink; }
    bool videoOutputEnabled() const;
    void setVideoOutputEnabled(bool enabled);

    // One still at a time: a capture asked for while one is being taken or stored is refused.
    void captureImage(const QString& fileName, const CImageMetaData& metaData);
    void cancelImageCapture() {}
    // From the capture until the still is stored (or has failed).
    bool imageCaptureInProgress() const { return !m_pendingImageFileName.isEmpty(); }
    Ulx::MultimediaTypes::ImageOutputFormat imageOutputFormat() const { return m_imageOutputFormat; }
    void setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat format) { m_imageOutputFormat = format; }

    void setBufferProcessor(Ulx::GStreamer::IGstBufferProcessor* processor);
    QByteArray streamCapsString() const;

    // The current pipeline object, for diagnostics; null before the first start.
    Ulx::GStreamer::CH264StreamingPipeline* pipeline() const { return m_pipeline; }

signals:
    void videoSurfaceSinkChanged();
    void stateChanged();
    void imageCaptured(QString fileName);
    void errorOccurred(Ulx::MultimediaTypes::StreamingError errorCode);
    void videoOutputEnabledChanged();
    void imageCaptureInProgressChanged();

private slots:
    void onSampleReceived();
    void onPipelineStreamEnded();
    void onStreamingPipelineStateChanged(int pipelineState);
    void onStreamingPipelineErrorOccurred(uint errorDomain, int errorCode, QString errorMessage);
    void onImageCaptured(QImage image);
    void onImageCaptureFailed();
    void onImageMetaDataOperationDone();
    void onImageStored(bool stored, const QString& target, const QString& detail);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void setState(Ulx::MultimediaTypes::StreamingState state);
    void createPipeline();
    bool pipelineIsAtNull() const;
    void failImageCapture(Ulx::MultimediaTypes::StreamingError error);
    void setPendingImageFileName(const QString& fileName);
    void logStatistics();
    void watchPictures();
    void giveUp(Ulx::MultimediaTypes::StreamingError error, const QString& reason);

    QString m_streamUrl;
    QString m_pendingImageFileName;
    QByteArray m_streamCaps;
    QBasicTimer m_retryTimer;
    QBasicTimer m_statisticsTimer;
    int m_statisticsInterval = DefaultStatisticsInterval;
    // Runs from a start or resume until the first picture, then ticks while pictures come.
    QBasicTimer m_pictureTimer;
    int m_startDeadline = DefaultStartDeadline;
    int m_pictureDeadline = DefaultPictureDeadline;
    quint64 m_picturesSeen = 0;
    bool m_givenUp = false;
    CImageMetaData m_pendingMetaData;
    Ulx::GStreamer::CGstVideoSurfaceSink* m_videoSurfaceSink = nullptr;
    Ulx::GStreamer::CGstBufferDistributionSink* m_bufferDistributionSink = nullptr;
    Ulx::GStreamer::CH264StreamingPipeline* m_pipeline = nullptr;
    CImageMetaDataWriter* m_metaDataWriter = nullptr;
    CStillWriter* m_stillWriter = nullptr;
    int m_retryCount = 0;
    int m_retryInterval = DefaultRetryInterval;
    uint m_latency = 100;
    Ulx::MultimediaTypes::ImageOutputFormat m_imageOutputFormat = Ulx::MultimediaTypes::ImageOutputFormatPNG;
    Ulx::MultimediaTypes::StreamingState m_state = Ulx::MultimediaTypes::StreamingStopped;
    bool m_preferSoftwareDecoding = false;
    bool m_rtspOverTcp = false;
    bool m_stopStreamOnPause = false;
    bool m_endOfStreamSeen = false;
};

} // namespace Multimedia
} // namespace Ulx
