#include "CRTSPVideoStreamerLogic.h"

#include "CGstBufferDistributionSink.h"
#include "CGstVideoSurfaceSink.h"
#include "CH264StreamingPipeline.h"
#include "CImageMetaDataWriter.h"
#include "CStillWriter.h"
#include "GstErrorMapping.h"

#include <CLogger.h>

#include <QTimerEvent>

using Tovrin::Logging::CLogger;
using Ulx::MultimediaTypes;

namespace Ulx {
namespace Multimedia {

namespace {
const char LogCategory[] = "RTSPVideoStreamerLogic";
} // namespace

CRTSPVideoStreamerLogic::CRTSPVideoStreamerLogic(QObject* parent)
    : QObject(parent)
    , m_videoSurfaceSink(new Ulx::GStreamer::CGstVideoSurfaceSink(this))
    , m_bufferDistributionSink(new Ulx::GStreamer::CGstBufferDistributionSink(this))
    , m_metaDataWriter(new CImageMetaDataWriter(this))
    , m_stillWriter(new CStillWriter(this))
{
    connect(m_stillWriter, &CStillWriter::finished, this, &CRTSPVideoStreamerLogic::onImageStored);
    connect(m_metaDataWriter, &CImageMetaDataWriter::metaDataOperationDone, this,
            &CRTSPVideoStreamerLogic::onImageMetaDataOperationDone, Qt::QueuedConnection);
    connect(m_bufferDistributionSink, &Ulx::GStreamer::CGstBufferDistributionSink::sampleReceived, this,
            &CRTSPVideoStreamerLogic::onSampleReceived);
    connect(m_videoSurfaceSink, &Ulx::GStreamer::CGstVideoSurfaceSink::imageCaptured, this,
            &CRTSPVideoStreamerLogic::onImageCaptured);
    connect(m_videoSurfaceSink, &Ulx::GStreamer::CGstVideoSurfaceSink::imageCaptureFailed, this,
            &CRTSPVideoStreamerLogic::onImageCaptureFailed);
    connect(m_videoSurfaceSink, &Ulx::GStreamer::CGstVideoSurfaceSink::videoOutputEnabledChanged, this,
            &CRTSPVideoStreamerLogic::videoOutputEnabledChanged);
}

CRTSPVideoStreamerLogic::~CRTSPVideoStreamerLogic()
{
    // The pipeline goes first: it takes its elements to NULL while the sinks still exist.
    delete m_pipeline;
    m_pipeline = nullptr;
    delete m_videoSurfaceSink;
    delete m_bufferDistributionSink;
    delete m_metaDataWriter;
}

void CRTSPVideoStreamerLogic::start()
{
    if (m_state != MultimediaTypes::StreamingStopped)
        return;
    if (m_streamUrl.isEmpty() || m_streamCaps.isEmpty()) {
        // An unknown system type has no stream: starting would wait forever.
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "start: no stream URL or caps",
                            { m_streamUrl, QString::fromUtf8(m_streamCaps) });
        emit errorOccurred(MultimediaTypes::StreamingErrorInternal);
        return;
    }
    m_retryCount = 0;
    m_retryTimer.stop();
    m_endOfStreamSeen = false;
    createPipeline();
    setState(MultimediaTypes::StreamingStarting);
    m_pictureTimer.start(m_startDeadline, this);
    m_pipeline->start();
}

void CRTSPVideoStreamerLogic::stop()
{
    switch (m_state) {
    case MultimediaTypes::StreamingStarting:
    case MultimediaTypes::StreamingRunning:
    case MultimediaTypes::StreamingPaused:
    case MultimediaTypes::StreamingResuming:
        break;
    default:
        return;
    }
    m_retryTimer.stop();
    m_retryCount = 0;
    // A pipeline already at NULL (paused by stopping, waiting for a retry, never built) sends
    // no NULL report, so its stop is complete at once.
    const bool alreadyAtNull = pipelineIsAtNull();
    setState(MultimediaTypes::StreamingStopping);
    if (m_pipeline)
        m_pipeline->stop();
    if (alreadyAtNull) {
        m_videoSurfaceSink->reset();
        setState(MultimediaTypes::StreamingStopped);
    }
}

void CRTSPVideoStreamerLogic::pause()
{
    switch (m_state) {
    case MultimediaTypes::StreamingStarting:
    case MultimediaTypes::StreamingRunning:
    case MultimediaTypes::StreamingResuming:
        break;
    default:
        return;
    }
    setState(MultimediaTypes::StreamingPaused);
    m_pipeline->pause();
}

void CRTSPVideoStreamerLogic::resume()
{
    if (m_state != MultimediaTypes::StreamingPaused)
        return;
    setState(MultimediaTypes::StreamingResuming);
    m_pictureTimer.start(m_startDeadline, this);
    m_pipeline->resume();
}

bool CRTSPVideoStreamerLogic::videoOutputEnabled() const
{
    return m_videoSurfaceSink->videoOutputEnabled();
}

void CRTSPVideoStreamerLogic::setVideoOutputEnabled(bool enabled)
{
    m_videoSurfaceSink->setVideoOutputEnabled(enabled);
}

void CRTSPVideoStreamerLogic::setBufferProcessor(Ulx::GStreamer::IGstBufferProcessor* processor)
{
    m_bufferDistributionSink->setBufferProcessor(processor);
}

QByteArray CRTSPVideoStreamerLogic::streamCapsString() const
{
    return m_bufferDistributionSink->capsString();
}

void CRTSPVideoStreamerLogic::captureImage(const QString& fileName, const CImageMetaData& metaData)
{
    if (!m_pendingImageFileName.isEmpty()) {
        // The screen shows the photo button busy until the still is stored.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "captureImage: refused, a still is being stored",
                            { fileName, m_pendingImageFileName });
        return;
    }
    if (m_state != MultimediaTypes::StreamingRunning || fileName.isEmpty()) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "captureImage: refused, no running stream or no name",
                            { fileName, QVariant::fromValue(m_state).toString() });
        return;
    }
    if (!m_videoSurfaceSink->hasFrame()) {
        // The sink would answer neither way without a frame; refuse now so that later
        // captures are not blocked by this one.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "captureImage: no frame to capture",
                            { fileName });
        emit errorOccurred(MultimediaTypes::StreamingErrorImageCaptureInternal);
        return;
    }
    m_pendingMetaData = metaData;
    setPendingImageFileName(fileName);
    m_videoSurfaceSink->captureImage();
}

void CRTSPVideoStreamerLogic::onSampleReceived()
{
    if (m_state == MultimediaTypes::StreamingStarting || m_state == MultimediaTypes::StreamingResuming) {
        m_retryCount = 0;
        m_retryTimer.stop();
        setState(MultimediaTypes::StreamingRunning);
        m_picturesSeen = m_videoSurfaceSink->deliveryStatistics().received;
        m_pictureTimer.start(m_pictureDeadline, this);
    }
}

void CRTSPVideoStreamerLogic::onPipelineStreamEnded()
{
    m_endOfStreamSeen = true;
}

void CRTSPVideoStreamerLogic::onStreamingPipelineStateChanged(int pipelineState)
{
    if (sender() != m_pipeline)
        return;
    if (pipelineState == GST_STATE_PLAYING) {
        // Playing says the pipeline runs, not that the camera sends: a live RTSP source plays
        // before its connection fails. Running waits for the first sample.
        if (m_state == MultimediaTypes::StreamingStarting)
            m_endOfStreamSeen = false;
        return;
    }
    if (pipelineState != GST_STATE_NULL)
        return;
    if (m_state == MultimediaTypes::StreamingStopping || m_endOfStreamSeen
        || m_state == MultimediaTypes::StreamingStopped) {
        m_endOfStreamSeen = false;
        m_retryTimer.stop();
        m_videoSurfaceSink->reset();
        setState(MultimediaTypes::StreamingStopped);
    }
}

void CRTSPVideoStreamerLogic::onStreamingPipelineErrorOccurred(uint errorDomain, int errorCode, QString errorMessage)
{
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, "onStreamingPipelineErrorOccurred",
                        { errorDomain, errorCode, errorMessage });
    if (sender() != m_pipeline)
        return;
    if (m_state == MultimediaTypes::StreamingStarting) {
        ++m_retryCount;
        if (m_retryCount <= MaxRetries) {
            m_retryTimer.start(m_retryInterval, Qt::PreciseTimer, this);
            return;
        }
        m_retryCount = 0;
    }
    // Stopped, or stopping after a give-up that was reported already (the cut connection fails).
    if (m_state == MultimediaTypes::StreamingStopped || m_givenUp)
        return;
    m_retryTimer.stop();
    const bool wasStopping = m_state == MultimediaTypes::StreamingStopping;
    setState(MultimediaTypes::StreamingStopping);
    m_givenUp = true;
    emit errorOccurred(Ulx::GStreamer::streamingErrorFromGstError(errorDomain, errorCode));
    // A pipeline that never left NULL (it could not be built) sends no NULL report.
    if (!wasStopping && pipelineIsAtNull()) {
        m_videoSurfaceSink->reset();
        setState(MultimediaTypes::StreamingStopped);
    }
}

void CRTSPVideoStreamerLogic::onImageCaptured(QImage image)
{
    if (m_pendingImageFileName.isEmpty())
        return;
    QString error;
    if (!m_stillWriter->write(image, m_pendingImageFileName,
                              m_imageOutputFormat == MultimediaTypes::ImageOutputFormatJPEG ? 100 : -1,
                              m_pendingMetaData.comment(), &error)) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "onImageCaptured: writing failed",
                            { m_pendingImageFileName, error });
        failImageCapture(MultimediaTypes::StreamingErrorImageCaptureFileAccess);
    }
}

void CRTSPVideoStreamerLogic::onImageStored(bool stored, const QString& target, const QString& detail)
{
    if (target != m_pendingImageFileName)
        return;
    if (!stored) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "onImageStored: storing failed", { target, detail });
        failImageCapture(MultimediaTypes::StreamingErrorImageCaptureFileAccess);
        return;
    }
    if (!detail.isEmpty())
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "onImageStored", { target, detail });
    if (m_imageOutputFormat == MultimediaTypes::ImageOutputFormatJPEG)
        m_metaDataWriter->write(target, m_pendingMetaData);
    else
        onImageMetaDataOperationDone();
}

void CRTSPVideoStreamerLogic::onImageCaptureFailed()
{
    failImageCapture(MultimediaTypes::StreamingErrorImageCaptureInternal);
}

void CRTSPVideoStreamerLogic::onImageMetaDataOperationDone()
{
    if (m_pendingImageFileName.isEmpty())
        return;
    m_pendingMetaData = CImageMetaData();
    const QString fileName = m_pendingImageFileName;
    setPendingImageFileName(QString());
    emit imageCaptured(fileName);
}

void CRTSPVideoStreamerLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_statisticsTimer.timerId()) {
        logStatistics();
        return;
    }
    if (event->timerId() == m_pictureTimer.timerId()) {
        watchPictures();
        return;
    }
    if (event->timerId() != m_retryTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_retryTimer.stop();
    if (m_state == MultimediaTypes::StreamingStarting && m_pipeline)
        m_pipeline->start();
}

void CRTSPVideoStreamerLogic::setState(MultimediaTypes::StreamingState state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_state != MultimediaTypes::StreamingStopping)
        m_givenUp = false;
    if (m_state != MultimediaTypes::StreamingStarting && m_state != MultimediaTypes::StreamingRunning
        && m_state != MultimediaTypes::StreamingResuming)
        m_pictureTimer.stop();
    if (m_state == MultimediaTypes::StreamingStopped)
        m_statisticsTimer.stop();
    else if (!m_statisticsTimer.isActive())
        m_statisticsTimer.start(m_statisticsInterval, this);
    emit stateChanged();
}

// A stream that does not bring its first picture in time, or stops bringing pictures while
// running (a peer that holds the answer, sends without end, or sends what decodes to nothing),
// is given up; the pipeline error of a stuck source would never come.
void CRTSPVideoStreamerLogic::watchPictures()
{
    if (m_state != MultimediaTypes::StreamingRunning) {
        giveUp(MultimediaTypes::StreamingErrorConnection,
               QStringLiteral("No picture within %1 ms of the start").arg(m_startDeadline));
        return;
    }
    const quint64 pictures = m_videoSurfaceSink->deliveryStatistics().received;
    if (pictures == m_picturesSeen) {
        giveUp(MultimediaTypes::StreamingErrorConnection,
               QStringLiteral("No picture for %1 ms while streaming").arg(m_pictureDeadline));
        return;
    }
    m_picturesSeen = pictures;
}

void CRTSPVideoStreamerLogic::giveUp(MultimediaTypes::StreamingError error, const QString& reason)
{
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, reason, { QVariant::fromValue(m_state).toString() });
    const bool alreadyAtNull = pipelineIsAtNull();
    m_retryTimer.stop();
    m_retryCount = 0;
    setState(MultimediaTypes::StreamingStopping);
    m_givenUp = true;
    emit errorOccurred(error);
    if (m_pipeline)
        m_pipeline->stop();
    if (alreadyAtNull) {
        m_videoSurfaceSink->reset();
        setState(MultimediaTypes::StreamingStopped);
    }
}

// Frames received, shown and dropped since the stream started, the delay of the last frame
// between the appsink and the surface, and what waits for the recording.
void CRTSPVideoStreamerLogic::logStatistics()
{
    const Ulx::GStreamer::CGstVideoSurfaceSink::DeliveryStatistics statistics =
        m_videoSurfaceSink->deliveryStatistics();
    CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, "Live video",
                        { QStringLiteral("received %1").arg(statistics.received),
                          QStringLiteral("shown %1").arg(statistics.shown),
                          QStringLiteral("dropped %1").arg(statistics.dropped),
                          QStringLiteral("delay %1 ms").arg(double(statistics.deliveryDelayUs) / 1000.0, 0, 'f', 1),
                          QStringLiteral("recording queue %1 bytes").arg(m_bufferDistributionSink->queuedBytes()) });
}

void CRTSPVideoStreamerLogic::createPipeline()
{
    if (m_pipeline) {
        // The sinks go to the next pipeline: the old one hands them nothing more, and its
        // release, which waits for its streaming threads, runs off the GUI thread.
        disconnect(m_pipeline, nullptr, this, nullptr);
        m_videoSurfaceSink->setAppSinkElement(nullptr);
        m_bufferDistributionSink->setAppSinkElement(nullptr);
        // It may outlive this object (and the sinks) on the teardown thread.
        m_pipeline->setVideoOutputSink(nullptr);
        m_pipeline->setRecordingSink(nullptr);
        Ulx::GStreamer::CAbstractPipeline::retire(m_pipeline);
        m_pipeline = nullptr;
    }
    m_bufferDistributionSink->reset();
    m_pipeline = new Ulx::GStreamer::CH264StreamingPipeline(this);
    m_pipeline->setVideoOutputSink(m_videoSurfaceSink);
    m_pipeline->setRecordingSink(m_bufferDistributionSink);
    m_pipeline->setLocation(m_streamUrl);
    m_pipeline->setStreamCaps(m_streamCaps);
    m_pipeline->setLatency(m_latency);
    m_pipeline->setPreferSoftwareDecoding(m_preferSoftwareDecoding);
    m_pipeline->setRtspOverTcp(m_rtspOverTcp);
    m_pipeline->setStopStreamOnPause(m_stopStreamOnPause);
    connect(m_pipeline, &Ulx::GStreamer::CH264StreamingPipeline::stateChanged, this,
            &CRTSPVideoStreamerLogic::onStreamingPipelineStateChanged);
    connect(m_pipeline, &Ulx::GStreamer::CH264StreamingPipeline::pipelineErrorOccurred, this,
            &CRTSPVideoStreamerLogic::onStreamingPipelineErrorOccurred);
    connect(m_pipeline, &Ulx::GStreamer::CH264StreamingPipeline::streamEnded, this,
            &CRTSPVideoStreamerLogic::onPipelineStreamEnded);
}

bool CRTSPVideoStreamerLogic::pipelineIsAtNull() const
{
    return !m_pipeline || (m_pipeline->state() == GST_STATE_NULL && !m_pipeline->isChangingState());
}

void CRTSPVideoStreamerLogic::failImageCapture(MultimediaTypes::StreamingError error)
{
    m_pendingMetaData = CImageMetaData();
    setPendingImageFileName(QString());
    emit errorOccurred(error);
}

void CRTSPVideoStreamerLogic::setPendingImageFileName(const QString& fileName)
{
    const bool wasInProgress = imageCaptureInProgress();
    m_pendingImageFileName = fileName;
    if (imageCaptureInProgress() != wasInProgress)
        emit imageCaptureInProgressChanged();
}

} // namespace Multimedia
} // namespace Ulx
