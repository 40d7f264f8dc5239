#include "hx/CHXRemoteMediaCaptureLogic.h"

#include "CRTSPVideoStreamerLogic.h"
#include "IStorageProvider.h"
#include "hx/CDelayCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CSetCameraActionCommand.h"
#include "hx/CSetCameraModeCommand.h"
#include "hx/CSetPhotoResolutionCommand.h"
#include "hx/CSetVideoResolutionCommand.h"
#include "hx/ITetronCommandRunner.h"
#include "hx/TetronValueTables.h"
#include "multimedia/CRemoteMediaDataStorage.h"

namespace Ulx {
namespace Multimedia {

using Communication::CAbstractTetronCommand;
using RemoteMediaTypes = Ulx::RemoteMediaTypes;

namespace {
constexpr int kActionRecordStart = 1;
constexpr int kActionRecordStop = 2;
constexpr int kActionCapture = 3;
} // namespace

CHXRemoteMediaCaptureLogic::CHXRemoteMediaCaptureLogic(IStorageProvider* storageProvider,
                                                       Communication::ITetronCommandRunner* commandRunner,
                                                       CRTSPVideoStreamerLogic* videoStreamerLogic,
                                                       CHXRemoteMediaStorageLogic* storageLogic)
    : m_storageProvider(storageProvider)
    , m_commandRunner(commandRunner)
    , m_videoStreamerLogic(videoStreamerLogic)
    , m_storageLogic(storageLogic)
{
}

CHXRemoteMediaCaptureLogic::~CHXRemoteMediaCaptureLogic()
{
    qDeleteAll(m_pendingCommands);
}

CRemoteMediaDataStorage* CHXRemoteMediaCaptureLogic::storage() const
{
    return m_storageProvider->remoteMediaDataStorage();
}

void CHXRemoteMediaCaptureLogic::addCommand(CAbstractTetronCommand* command)
{
    connect(command, &CAbstractTetronCommand::finished, this, &CHXRemoteMediaCaptureLogic::onCommandFinished);
    m_pendingCommands.append(command);
}

void CHXRemoteMediaCaptureLogic::addDelay()
{
    addCommand(new Communication::CDelayCommand(m_stepDelay));
}

void CHXRemoteMediaCaptureLogic::addModeSteps(RemoteMediaTypes::CaptureMode mode)
{
    const int cameraMode = Communication::captureModeToCameraMode(mode);
    if (cameraMode == 0)
        return;
    addDelay();
    addCommand(new Communication::CSetCameraModeCommand(cameraMode));
    addDelay();
}

void CHXRemoteMediaCaptureLogic::addPhotoResolutionSteps(MultimediaTypes::PhotoResolution resolution)
{
    if (storage()->photoCaptureResolution() == resolution)
        return;
    const int id = Communication::photoResolutionToCameraPhotoResolution(resolution);
    if (id == 0)
        return;
    addDelay();
    addCommand(new Communication::CSetPhotoResolutionCommand(id));
}

void CHXRemoteMediaCaptureLogic::startOperation(Operation operation)
{
    if (m_pendingCommands.isEmpty())
        return;
    m_operation = operation;
    runNextCommand();
}

void CHXRemoteMediaCaptureLogic::runNextCommand()
{
    CAbstractTetronCommand* command = m_pendingCommands.takeLast();
    m_commandRunner->enqueueCommand(command);
}

void CHXRemoteMediaCaptureLogic::clearCommands()
{
    const QVector<CAbstractTetronCommand*> pending = m_pendingCommands;
    m_pendingCommands.clear();
    qDeleteAll(pending);
    m_operation = OperationNone;
}

void CHXRemoteMediaCaptureLogic::setConfigChangeInProgress(bool inProgress)
{
    if (m_configChangeInProgress == inProgress)
        return;
    m_configChangeInProgress = inProgress;
    emit configChangeInProgressChanged();
}

void CHXRemoteMediaCaptureLogic::pauseStream()
{
    if (m_videoStreamerLogic)
        m_videoStreamerLogic->pause();
}

void CHXRemoteMediaCaptureLogic::resumeStream()
{
    if (m_videoStreamerLogic)
        m_videoStreamerLogic->resume();
}

void CHXRemoteMediaCaptureLogic::setVideoCaptureConfig(MultimediaTypes::VideoConfig config)
{
    if (storage()->captureState() != RemoteMediaTypes::CaptureStopped || storage()->videoCaptureConfig() == config
        || m_operation != OperationNone || !m_pendingCommands.isEmpty())
        return;
    const int id = Communication::videoConfigToCameraVideoResolution(config);
    if (id == 0)
        return;
    setConfigChangeInProgress(true);
    const RemoteMediaTypes::CaptureMode previousMode = storage()->captureMode();
    storage()->setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
    pauseStream();
    addCommand(new Communication::CSetVideoResolutionCommand(id));
    if (previousMode == RemoteMediaTypes::CaptureModeVideo)
        addDelay();
    else
        addModeSteps(RemoteMediaTypes::CaptureModeVideo);
    startOperation(OperationSetVideoCaptureConfig);
}

void CHXRemoteMediaCaptureLogic::startVideoRecording()
{
    if (storage()->captureState() != RemoteMediaTypes::CaptureStopped || m_operation != OperationNone
        || !m_pendingCommands.isEmpty())
        return;
    const RemoteMediaTypes::CaptureMode previousMode = storage()->captureMode();
    storage()->setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
    storage()->setCaptureState(RemoteMediaTypes::CaptureStarting);
    pauseStream();
    addCommand(new Communication::CGetCameraInfoCommand({Communication::TetronTables::ParameterLastFileName}));
    addDelay();
    addCommand(new Communication::CSetCameraActionCommand(kActionRecordStart));
    if (previousMode != RemoteMediaTypes::CaptureModeVideo)
        addModeSteps(RemoteMediaTypes::CaptureModeVideo);
    startOperation(OperationStartVideoRecording);
}

void CHXRemoteMediaCaptureLogic::stopVideoRecording()
{
    if (storage()->captureMode() != RemoteMediaTypes::CaptureModeVideo
        || storage()->captureState() != RemoteMediaTypes::CaptureRunning)
        return;
    storage()->setCaptureState(RemoteMediaTypes::CaptureStopping);
    addCommand(new Communication::CSetCameraActionCommand(kActionRecordStop));
    startOperation(OperationStopVideoRecording);
}

void CHXRemoteMediaCaptureLogic::capturePhoto()
{
    if (storage()->captureState() != RemoteMediaTypes::CaptureStopped || m_operation != OperationNone
        || !m_pendingCommands.isEmpty())
        return;
    const RemoteMediaTypes::CaptureMode previousMode = storage()->captureMode();
    storage()->setCaptureMode(RemoteMediaTypes::CaptureModePhoto);
    storage()->setCaptureState(RemoteMediaTypes::CaptureStarting);
    pauseStream();
    addCommand(new Communication::CGetCameraInfoCommand({Communication::TetronTables::ParameterLastFileName}));
    addDelay();
    addCommand(new Communication::CSetCameraActionCommand(kActionCapture));
    addPhotoResolutionSteps(MultimediaTypes::PhotoResolution3MP);
    if (previousMode != RemoteMediaTypes::CaptureModePhoto)
        addModeSteps(RemoteMediaTypes::CaptureModePhoto);
    startOperation(OperationCapturePhoto);
}

QString CHXRemoteMediaCaptureLogic::lastFileName(CAbstractTetronCommand* command)
{
    auto* info = qobject_cast<Communication::CGetCameraInfoCommand*>(command);
    if (!info)
        return QString();
    const QString name = info->values().value(Communication::TetronTables::ParameterLastFileName).toString();
    const int slash = name.indexOf(QLatin1Char('/'));
    return slash < 0 ? name : name.mid(slash + 1);
}

void CHXRemoteMediaCaptureLogic::failCapture(CAbstractTetronCommand* command)
{
    const RemoteMediaTypes::CaptureError error = command->result() == CAbstractTetronCommand::NetworkError
                                                         || command->result() == CAbstractTetronCommand::Aborted
                                                     ? RemoteMediaTypes::CaptureErrorNetwork
                                                     : RemoteMediaTypes::CaptureErrorInternal;
    if (command->type() == CAbstractTetronCommand::SetCameraMode)
        storage()->setCaptureMode(RemoteMediaTypes::CaptureModeInvalid);
    storage()->setCaptureState(RemoteMediaTypes::CaptureStopped);
    emit errorOccurred(error);
}

bool CHXRemoteMediaCaptureLogic::handleConfigStep(CAbstractTetronCommand* command)
{
    if (command->result() == CAbstractTetronCommand::Success) {
        if (auto* resolution = qobject_cast<Communication::CSetVideoResolutionCommand*>(command)) {
            storage()->setVideoCaptureConfig(Communication::cameraVideoResolutionToVideoConfig(resolution->resolution()));
            setConfigChangeInProgress(false);
        }
        return true;
    }
    if (command->type() == CAbstractTetronCommand::SetCameraMode)
        storage()->setCaptureMode(RemoteMediaTypes::CaptureModeInvalid);
    setConfigChangeInProgress(false);
    return false;
}

bool CHXRemoteMediaCaptureLogic::handleStartStep(CAbstractTetronCommand* command)
{
    if (command->type() == CAbstractTetronCommand::GetCameraInfo) {
        // record_start has succeeded: the camera records, whether or not it names the file.
        m_storageLogic->markFileListOutdated();
        storage()->setCaptureState(RemoteMediaTypes::CaptureRunning);
        emit videoRecordingStarted(lastFileName(command));
        return true;
    }
    // An aborted step means the connection ended before the camera started recording: that is
    // a failure, not a recording.
    if (command->result() == CAbstractTetronCommand::Success)
        return true;
    failCapture(command);
    return false;
}

bool CHXRemoteMediaCaptureLogic::handleStopStep(CAbstractTetronCommand* command)
{
    if (command->result() == CAbstractTetronCommand::Success || command->result() == CAbstractTetronCommand::Aborted) {
        storage()->setCaptureState(RemoteMediaTypes::CaptureStopped);
        emit videoRecordingStopped();
        return true;
    }
    // The camera is taken to be still recording.
    storage()->setCaptureState(RemoteMediaTypes::CaptureRunning);
    return false;
}

bool CHXRemoteMediaCaptureLogic::handlePhotoStep(CAbstractTetronCommand* command)
{
    if (command->type() == CAbstractTetronCommand::GetCameraInfo) {
        // The capture itself has succeeded; the name is what the camera could tell.
        m_storageLogic->markFileListOutdated();
        storage()->setCaptureState(RemoteMediaTypes::CaptureStopped);
        emit photoCaptured(lastFileName(command));
        return true;
    }
    if (command->result() == CAbstractTetronCommand::Success) {
        if (auto* resolution = qobject_cast<Communication::CSetPhotoResolutionCommand*>(command)) {
            storage()->setPhotoCaptureResolution(
                Communication::cameraPhotoResolutionToPhotoResolution(resolution->resolution()));
        }
        return true;
    }
    // As for recordings: an aborted step took no photo.
    failCapture(command);
    return false;
}

void CHXRemoteMediaCaptureLogic::onCommandFinished()
{
    auto* command = qobject_cast<CAbstractTetronCommand*>(sender());
    if (!command)
        return;
    bool goOn = false;
    switch (m_operation) {
    case OperationSetVideoCaptureConfig:
        goOn = handleConfigStep(command);
        break;
    case OperationStartVideoRecording:
        goOn = handleStartStep(command);
        break;
    case OperationStopVideoRecording:
        goOn = handleStopStep(command);
        break;
    case OperationCapturePhoto:
        goOn = handlePhotoStep(command);
        break;
    case OperationNone:
        break;
    }
    if (goOn && !m_pendingCommands.isEmpty()) {
        runNextCommand();
        return;
    }
    resumeStream();
    clearCommands();
}

} // namespace Multimedia
} // namespace Ulx
