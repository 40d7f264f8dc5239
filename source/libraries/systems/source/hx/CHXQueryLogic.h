#pragma once

#include <QBasicTimer>
#include <QObject>

namespace Ulx {

class IStorageProvider;

namespace Communication {

class CAbstractTetronCommand;
class CGetCameraInfoCommand;
class ITetronCommandRunner;

// Logs in to the Hoselux camera, reads its state, sets its clock, brings it into a supported
// capture configuration and then polls it; while the camera records it counts the recording
// time. What it reads goes to the readout and remote media storages. Created and owned by the
// HX connection controller; the runner and the provider are not owned. GUI thread only.
class CHXQueryLogic : public QObject
{
    Q_OBJECT

public:
    enum Error
    {
        None = 0,
        Internal = 1,
        Network = 2,
        LoginNotAvailable = 3
    };
    Q_ENUM(Error)

    enum State
    {
        StateIdle = 0,
        StateConnecting = 1,
        StateReady = 2,
        StateStopping = 3
    };

    static constexpr int PollIntervalMs = 10000;
    static constexpr int RecordingTickMs = 1000;

    CHXQueryLogic(ITetronCommandRunner* commandRunner, IStorageProvider* storageProvider);
    ~CHXQueryLogic() override;

    void start();
    void stop(bool immediately);

    int state() const { return m_state; }
    bool alertQueryPending() const { return m_alertQueryPending; }
    bool infoQueryPending() const { return m_infoQueryPending; }

    // Tests shorten the poll and the recording-time step.
    void setPollInterval(int milliseconds) { m_pollInterval = milliseconds; }
    void setRecordingTick(int milliseconds) { m_recordingTick = milliseconds; }

    // One poll step, as the poll timer runs it (tests call it instead of waiting).
    void poll();
    bool pollTimerActive() const { return m_pollTimer.isActive(); }
    bool recordingTimerActive() const { return m_recordingTimer.isActive(); }

    // Milliseconds of recording that the free bytes allow at the given bitrate class.
    static quint32 availableRecordingTime(qint64 availableBytes, bool is1440p30);

signals:
    void logicReady();
    void logicShutdown();
    void errorOccurred(Ulx::Communication::CHXQueryLogic::Error error);

public slots:
    void onCommandFinished();
    void onCaptureStateChanged();
    void onVideoCaptureConfigChanged();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void enqueue(CAbstractTetronCommand* command);
    void handleConnecting(CAbstractTetronCommand* command);
    void handleReady(CAbstractTetronCommand* command);
    void reportFailure(CAbstractTetronCommand* command);
    void checkCameraConfiguration();
    void applyCameraInfo(CGetCameraInfoCommand* command);
    void applyAlert(int alert);
    void updateAvailableRecordingTime();
    void becomeIdle();

    ITetronCommandRunner* m_commandRunner = nullptr;
    IStorageProvider* m_storageProvider = nullptr;
    QBasicTimer m_pollTimer;
    QBasicTimer m_recordingTimer;
    int m_state = StateIdle;
    bool m_alertQueryPending = false;
    bool m_infoQueryPending = false;
    bool m_settingsReported = true;
    int m_pollInterval = PollIntervalMs;
    int m_recordingTick = RecordingTickMs;
};

} // namespace Communication
} // namespace Ulx
