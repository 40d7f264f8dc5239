#pragma once

#include "CRecordingStopwatch.h"
#include "MultimediaTypes.h"

#include <QBasicTimer>
#include <QObject>
#include <QString>

namespace Ulx {
namespace GStreamer {
class CH264VideoRecordingPipeline;
}

namespace Multimedia {

class CRTSPVideoStreamerLogic;

// Records the streamer logic's live stream into a local MP4 file: one recording pipeline per
// recording, attached as the streamer's buffer processor, a recording state machine and a
// stopwatch for the running duration (which includes paused time; the file omits it).
// Created once by the systems library, on the GUI thread, with the streamer logic, which must
// outlive it. It owns the current recording pipeline (kept until the next start).
class CRTSPVideoRecorderLogic : public QObject
{
    Q_OBJECT

public:
    // Longest wait for the muxer to finish a file, after a stop and at destruction.
    static constexpr int DefaultFinishTimeout = 10000;

    explicit CRTSPVideoRecorderLogic(CRTSPVideoStreamerLogic* streamerLogic);
    ~CRTSPVideoRecorderLogic() override;

    Ulx::MultimediaTypes::RecordingState state() const { return m_state; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName);
    // Milliseconds since the recording started, paused time included; 0 when stopped.
    int duration() const { return m_stopwatch.elapsed(); }

    void start();
    void stop();
    void pause();
    void resume();

    void setFinishTimeout(int milliseconds) { m_finishTimeout = milliseconds; }
    // The pipeline of the current or last recording; null before the first start.
    Ulx::GStreamer::CH264VideoRecordingPipeline* recordingPipeline() const { return m_pipeline; }

signals:
    void stateChanged();
    void fileNameChanged();
    void errorOccurred(Ulx::MultimediaTypes::RecordingError errorCode);

public slots:
    void onVideoStreamerStateChanged();
    void onVideoRecordingPipelineStateChanged(int pipelineState);
    void onVideoRecordingPipelineErrorOccurred(uint errorDomain, int errorCode, QString errorMessage);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void setState(Ulx::MultimediaTypes::RecordingState state);
    void endRecording();
    void discardEmptyRecording();
    // Emits the first error of a recording only.
    void reportError(Ulx::MultimediaTypes::RecordingError error);

    CRTSPVideoStreamerLogic* m_streamerLogic = nullptr;
    QString m_fileName;
    Ulx::GStreamer::CH264VideoRecordingPipeline* m_pipeline = nullptr;
    CRecordingStopwatch m_stopwatch;
    QBasicTimer m_finishTimer;
    int m_finishTimeout = DefaultFinishTimeout;
    Ulx::MultimediaTypes::RecordingState m_state = Ulx::MultimediaTypes::RecordingStopped;
    bool m_errorReported = false;
};

} // namespace Multimedia
} // namespace Ulx
