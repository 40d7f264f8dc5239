#pragma once

#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"

#include <QVector>

namespace Ulx {

class IStorageProvider;

namespace Communication {
class CAbstractTetronCommand;
class ITetronCommandRunner;
}

namespace Multimedia {

class CHXRemoteMediaStorageLogic;
class CRemoteMediaDataStorage;
class CRTSPVideoStreamerLogic;

// Records videos and takes photos on the Hoselux camera's own memory card, and changes its
// video resolution. Each request becomes a short sequence of camera commands run one by one,
// with the live stream paused while it runs. Pending commands are owned here until they are
// handed to the runner. Created and owned by the HX session; the provider, runner, streamer
// logic and storage logic are not owned. GUI thread only.
class CHXRemoteMediaCaptureLogic : public CAbstractRemoteMediaCaptureLogic
{
    Q_OBJECT

public:
    enum Operation
    {
        OperationNone = 0,
        OperationSetVideoCaptureConfig = 1,
        OperationStartVideoRecording = 2,
        OperationStopVideoRecording = 3,
        OperationCapturePhoto = 4
    };

    // The pause the camera needs around mode changes.
    static constexpr int StepDelayMs = 200;

    CHXRemoteMediaCaptureLogic(IStorageProvider* storageProvider, Communication::ITetronCommandRunner* commandRunner,
                               CRTSPVideoStreamerLogic* videoStreamerLogic, CHXRemoteMediaStorageLogic* storageLogic);
    ~CHXRemoteMediaCaptureLogic() override;

    bool configChangeInProgress() const override { return m_configChangeInProgress; }
    void setVideoCaptureConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    void startVideoRecording() override;
    void stopVideoRecording() override;
    void capturePhoto() override;

    Operation operation() const { return m_operation; }
    // Tests shorten the camera's pauses.
    void setStepDelay(int milliseconds) { m_stepDelay = milliseconds; }

private slots:
    void onCommandFinished();

private:
    CRemoteMediaDataStorage* storage() const;
    void addCommand(Communication::CAbstractTetronCommand* command);
    void addDelay();
    void addModeSteps(Ulx::RemoteMediaTypes::CaptureMode mode);
    void addPhotoResolutionSteps(Ulx::MultimediaTypes::PhotoResolution resolution);
    void startOperation(Operation operation);
    void runNextCommand();
    void clearCommands();
    void setConfigChangeInProgress(bool inProgress);
    void pauseStream();
    void resumeStream();
    bool handleConfigStep(Communication::CAbstractTetronCommand* command);
    bool handleStartStep(Communication::CAbstractTetronCommand* command);
    bool handleStopStep(Communication::CAbstractTetronCommand* command);
    bool handlePhotoStep(Communication::CAbstractTetronCommand* command);
    void failCapture(Communication::CAbstractTetronCommand* command);
    static QString lastFileName(Communication::CAbstractTetronCommand* command);

    IStorageProvider* m_storageProvider = nullptr;
    Communication::ITetronCommandRunner* m_commandRunner = nullptr;
    CRTSPVideoStreamerLogic* m_videoStreamerLogic = nullptr;
    CHXRemoteMediaStorageLogic* m_storageLogic = nullptr;
    // A stack: commands are added in reverse order of execution, the last runs next.
    QVector<Communication::CAbstractTetronCommand*> m_pendingCommands;
    Operation m_operation = OperationNone;
    bool m_configChangeInProgress = false;
    int m_stepDelay = StepDelayMs;
};

} // namespace Multimedia
} // namespace Ulx
