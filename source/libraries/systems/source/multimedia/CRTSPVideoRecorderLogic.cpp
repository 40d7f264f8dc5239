#include "multimedia/CRTSPVideoRecorderLogic.h"

#include "CH264VideoRecordingPipeline.h"
#include "CRTSPVideoStreamerLogic.h"
#include "GstErrorMapping.h"

#include <CLogger.h>

#include <QTimerEvent>

using Tovrin::Logging::CLogger;
using Ulx::GStreamer::CH264VideoRecordingPipeline;
using Ulx::MultimediaTypes;

namespace Ulx {
namespace Multimedia {

namespace {

const char LogCategory[] = "RTSPVideoRecorderLogic";

} // namespace

CRTSPVideoRecorderLogic::CRTSPVideoRecorderLogic(CRTSPVideoStreamerLogic* streamerLogic)
    : QObject(nullptr)
    , m_streamerLogic(streamerLogic)
{
    if (m_streamerLogic)
        connect(m_streamerLogic, &CRTSPVideoStreamerLogic::stateChanged, this,
                &CRTSPVideoRecorderLogic::onVideoStreamerStateChanged);
}

CRTSPVideoRecorderLogic::~CRTSPVideoRecorderLogic()
{
    if (!m_pipeline)
        return;
    if (m_streamerLogic)
        m_streamerLogic->setBufferProcessor(nullptr);
    // At program exit no event loop turns any more: finish the file here, within a bounded
    // wait, instead of dropping the pipeline with the file unfinished.
    if (m_pipeline->isActive()) {
        if (m_pipeline->hasPictures()) {
            if (!m_pipeline->finishBlocking(m_finishTimeout))
                CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Recording not finished at exit",
                                    { m_pipeline->fileName() });
        } else {
            m_pipeline->discard();
        }
    }
    delete m_pipeline;
    m_pipeline = nullptr;
}

void CRTSPVideoRecorderLogic::setFileName(const QString& fileName)
{
    if (fileName == m_fileName)
        return;
    m_fileName = fileName;
    emit fileNameChanged();
}

void CRTSPVideoRecorderLogic::start()
{
    if (m_state != MultimediaTypes::RecordingStopped || m_fileName.isEmpty())
        return;
    setState(MultimediaTypes::RecordingStarting);
    m_errorReported = false;
    if (m_pipeline) {
        if (m_streamerLogic)
            m_streamerLogic->setBufferProcessor(nullptr);
        // Its release waits for its streaming thread, which a slow disk may hold.
        disconnect(m_pipeline, nullptr, this, nullptr);
        Ulx::GStreamer::CAbstractPipeline::retire(m_pipeline);
        m_pipeline = nullptr;
    }
    m_pipeline = new CH264VideoRecordingPipeline(this);
    if (m_streamerLogic)
        m_pipeline->setStreamCaps(m_streamerLogic->streamCapsString());
    connect(m_pipeline, &CH264VideoRecordingPipeline::stateChanged, this,
            &CRTSPVideoRecorderLogic::onVideoRecordingPipelineStateChanged);
    connect(m_pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred, this,
            &CRTSPVideoRecorderLogic::onVideoRecordingPipelineErrorOccurred);
    if (!m_pipeline->start(m_fileName)) {
        // The pipeline reports its error itself (at once when it cannot be built, through the
        // bus when the file cannot be opened); with nothing running, no state report would
        // ever end the recording.
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Recording pipeline did not start", { m_fileName });
        setState(MultimediaTypes::RecordingStopped);
        return;
    }
    if (m_streamerLogic)
        m_streamerLogic->setBufferProcessor(m_pipeline);
}

void CRTSPVideoRecorderLogic::stop()
{
    if (m_state != MultimediaTypes::RecordingStarting && m_state != MultimediaTypes::RecordingRunning
        && m_state != MultimediaTypes::RecordingPaused)
        return;
    endRecording();
}

void CRTSPVideoRecorderLogic::pause()
{
    if (m_state != MultimediaTypes::RecordingRunning)
        return;
    setState(MultimediaTypes::RecordingPaused);
    if (m_pipeline)
        m_pipeline->pause();
}

void CRTSPVideoRecorderLogic::resume()
{
    if (m_state != MultimediaTypes::RecordingPaused)
        return;
    setState(MultimediaTypes::RecordingRunning);
    if (m_pipeline)
        m_pipeline->resume();
}

void CRTSPVideoRecorderLogic::endRecording()
{
    setState(MultimediaTypes::RecordingEnding);
    if (m_streamerLogic)
        m_streamerLogic->setBufferProcessor(nullptr);
    if (!m_pipeline)
        return;
    if (!m_pipeline->hasPictures()) {
        discardEmptyRecording();
        return;
    }
    m_pipeline->stop();
    m_finishTimer.start(m_finishTimeout, this);
}

// Without a single access unit from a key frame on, the muxer would finish an MP4 of a few
// hundred bytes that no player opens: no such file is left behind and the recording fails.
void CRTSPVideoRecorderLogic::discardEmptyRecording()
{
    m_finishTimer.stop();
    const QString fileName = m_pipeline->fileName();
    m_pipeline->discard();
    CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Recording ended before the first key frame",
                        { fileName });
    m_stopwatch.stop();
    reportError(MultimediaTypes::RecordingErrorInternal);
    setState(MultimediaTypes::RecordingStopped);
}

void CRTSPVideoRecorderLogic::onVideoStreamerStateChanged()
{
    if (!m_streamerLogic || m_streamerLogic->state() != MultimediaTypes::StreamingStopped)
        return;
    if (m_state == MultimediaTypes::RecordingStarting || m_state == MultimediaTypes::RecordingRunning
        || m_state == MultimediaTypes::RecordingPaused)
        endRecording();
}

void CRTSPVideoRecorderLogic::onVideoRecordingPipelineStateChanged(int pipelineState)
{
    switch (pipelineState) {
    case GST_STATE_PAUSED:
        m_stopwatch.pause();
        break;
    case GST_STATE_PLAYING:
        // A late PLAYING report while the file is being finished must not bring the
        // recording back to life.
        if (m_state == MultimediaTypes::RecordingStarting || m_state == MultimediaTypes::RecordingPaused) {
            m_stopwatch.start();
            setState(MultimediaTypes::RecordingRunning);
        }
        break;
    case GST_STATE_NULL:
        m_finishTimer.stop();
        m_stopwatch.stop();
        setState(MultimediaTypes::RecordingStopped);
        break;
    default:
        break;
    }
}

void CRTSPVideoRecorderLogic::onVideoRecordingPipelineErrorOccurred(uint errorDomain, int errorCode,
                                                                    QString errorMessage)
{
    CLogger::logMessage(CLogger::LogLevelError, "onVideoRecordingPipelineErrorOccurred", "Error",
                        { QString::number(errorDomain), QString::number(errorCode), errorMessage });
    if (m_streamerLogic && m_state != MultimediaTypes::RecordingStopped)
        m_streamerLogic->setBufferProcessor(nullptr);
    // A failing write brings the file sink's error and the muxer's after it: one recording, one
    // message to the operator.
    reportError(Ulx::GStreamer::recordingErrorFromGstError(errorDomain, errorCode));
}

void CRTSPVideoRecorderLogic::reportError(MultimediaTypes::RecordingError error)
{
    if (m_errorReported) {
        CLogger::logMessage(CLogger::LogLevelInfo, LogCategory, "Further error of the recording not told",
                            { m_fileName, int(error) });
        return;
    }
    m_errorReported = true;
    emit errorOccurred(error);
}

void CRTSPVideoRecorderLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_finishTimer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_finishTimer.stop();
    if (m_state != MultimediaTypes::RecordingEnding || !m_pipeline)
        return;
    CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Recording not finished in time",
                        { m_pipeline->fileName() });
    m_pipeline->abort();
    m_stopwatch.stop();
    reportError(MultimediaTypes::RecordingErrorInternal);
    setState(MultimediaTypes::RecordingStopped);
}

void CRTSPVideoRecorderLogic::setState(MultimediaTypes::RecordingState state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

} // namespace Multimedia
} // namespace Ulx
