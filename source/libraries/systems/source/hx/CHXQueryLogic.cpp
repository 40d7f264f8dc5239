#include "hx/CHXQueryLogic.h"

#include "IStorageProvider.h"
#include "hx/CGetCameraAlertCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CLoginCommand.h"
#include "hx/CLogoutCommand.h"
#include "hx/CSetCameraModeCommand.h"
#include "hx/CSetDateTimeCommand.h"
#include "hx/CSetPhotoResolutionCommand.h"
#include "hx/CSetVideoResolutionCommand.h"
#include "hx/ITetronCommandRunner.h"
#include "hx/TetronValueTables.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include "CLogger.h"

#include <QDateTime>
#include <QTimerEvent>

#include <cmath>

namespace Ulx {
namespace Communication {

namespace {

using namespace TetronTables;

const QVector<int>& statusList()
{
    static const QVector<int> ids = {ParameterRecordTotal, ParameterMBytesRemaining, ParameterUIMode,
                                     ParameterMenuAlert, ParameterBatteryLevel};
    return ids;
}

const QVector<int>& versionList()
{
    static const QVector<int> ids = {ParameterFirmwareVersion};
    return ids;
}

const QVector<int>& settingsList()
{
    static const QVector<int> ids = {ParameterFlicker,      ParameterVideoRes, ParameterLoopingVideo,
                                     ParameterImageRes,     ParameterVideoClipTime, ParameterTimelapse,
                                     ParameterBuzzer,       ParameterTimestampEnable};
    return ids;
}

bool reportsSettings(const CGetCameraInfoCommand* command)
{
    // An answer cut at a line's end leaves the settings after the cut unreported; the connect
    // check must not correct the camera from the defaults left in their place. A camera may also
    // leave a value out, so this is no failure.
    const QHash<int, QVariant> values = command->values();
    for (const int id : {ParameterUIMode, ParameterVideoRes, ParameterImageRes}) {
        if (command->parameterIds().contains(id) && !values.contains(id)) {
            Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
                                                 QStringLiteral("Camera status answer without a value for; its settings are left as they are"),
                                                 {TetronTables::cameraParameterNames().name(id)});
            return false;
        }
    }
    return true;
}

constexpr int kCameraModeVideo = 1;
constexpr int kVideoResolution1440P30 = 1;
constexpr int kPhotoResolution3MP = 3;

} // namespace

CHXQueryLogic::CHXQueryLogic(ITetronCommandRunner* commandRunner, IStorageProvider* storageProvider)
    : QObject(nullptr)
    , m_commandRunner(commandRunner)
    , m_storageProvider(storageProvider)
{
    Multimedia::CRemoteMediaDataStorage* storage = m_storageProvider->remoteMediaDataStorage();
    connect(storage, &Multimedia::CRemoteMediaDataStorage::captureStateChanged, this,
            &CHXQueryLogic::onCaptureStateChanged);
    connect(storage, &Multimedia::CRemoteMediaDataStorage::videoCaptureConfigChanged, this,
            &CHXQueryLogic::onVideoCaptureConfigChanged);
}

CHXQueryLogic::~CHXQueryLogic()
{
    m_pollTimer.stop();
    m_recordingTimer.stop();
}

void CHXQueryLogic::enqueue(CAbstractTetronCommand* command)
{
    connect(command, &CAbstractTetronCommand::finished, this, &CHXQueryLogic::onCommandFinished);
    m_commandRunner->enqueueCommand(command);
}

void CHXQueryLogic::start()
{
    if (m_state != StateIdle)
        return;
    m_state = StateConnecting;
    m_settingsReported = true;
    enqueue(new CLogoutCommand());
    enqueue(new CLoginCommand());
    enqueue(new CGetCameraAlertCommand());
    enqueue(new CGetCameraInfoCommand(statusList()));
    enqueue(new CGetCameraInfoCommand(versionList()));
    enqueue(new CGetCameraInfoCommand(settingsList()));
    enqueue(new CSetDateTimeCommand(QDateTime::currentDateTime()));
}

void CHXQueryLogic::becomeIdle()
{
    m_pollTimer.stop();
    m_state = StateIdle;
    m_alertQueryPending = false;
    m_infoQueryPending = false;
    emit logicShutdown();
}

void CHXQueryLogic::stop(bool immediately)
{
    if (m_state == StateIdle)
        return;
    if (immediately) {
        becomeIdle();
        return;
    }
    if (m_state == StateStopping)
        return;
    m_state = StateStopping;
    m_pollTimer.stop();
    enqueue(new CLogoutCommand());
}

void CHXQueryLogic::onCommandFinished()
{
    auto* command = qobject_cast<CAbstractTetronCommand*>(sender());
    if (!command)
        return;
    switch (m_state) {
    case StateConnecting:
        handleConnecting(command);
        break;
    case StateReady:
        handleReady(command);
        break;
    case StateStopping:
        if (command->type() == CAbstractTetronCommand::Logout)
            becomeIdle();
        break;
    default:
        break;
    }
}

void CHXQueryLogic::reportFailure(CAbstractTetronCommand* command)
{
    emit errorOccurred(command->result() == CAbstractTetronCommand::NetworkError ? Network : Internal);
}

void CHXQueryLogic::handleConnecting(CAbstractTetronCommand* command)
{
    const CAbstractTetronCommand::Result result = command->result();
    switch (command->type()) {
    case CAbstractTetronCommand::Login:
        if (result == CAbstractTetronCommand::LoginNotAvailable)
            emit errorOccurred(LoginNotAvailable);
        else if (result == CAbstractTetronCommand::NetworkError)
            emit errorOccurred(Network);
        else if (result != CAbstractTetronCommand::Success && result != CAbstractTetronCommand::Aborted)
            emit errorOccurred(Internal);
        return;
    case CAbstractTetronCommand::GetCameraInfo:
    case CAbstractTetronCommand::GetCameraAlert:
    case CAbstractTetronCommand::SetDateTime:
    case CAbstractTetronCommand::SetCameraMode:
    case CAbstractTetronCommand::SetVideoResolution:
    case CAbstractTetronCommand::SetPhotoResolution:
        break;
    default:
        return;
    }
    // An aborted command was never answered: nothing it would carry is known, and the sequence
    // is being torn down (no corrections may be queued behind the abort).
    if (result == CAbstractTetronCommand::Aborted)
        return;
    if (result != CAbstractTetronCommand::Success) {
        reportFailure(command);
        return;
    }
    Multimedia::CRemoteMediaDataStorage* storage = m_storageProvider->remoteMediaDataStorage();
    switch (command->type()) {
    case CAbstractTetronCommand::GetCameraInfo:
        m_settingsReported = reportsSettings(static_cast<CGetCameraInfoCommand*>(command)) && m_settingsReported;
        applyCameraInfo(static_cast<CGetCameraInfoCommand*>(command));
        break;
    case CAbstractTetronCommand::GetCameraAlert:
        applyAlert(static_cast<CGetCameraAlertCommand*>(command)->alert());
        break;
    case CAbstractTetronCommand::SetDateTime:
        checkCameraConfiguration();
        break;
    case CAbstractTetronCommand::SetCameraMode:
        storage->setCaptureMode(cameraModeToCaptureMode(static_cast<CSetCameraModeCommand*>(command)->mode()));
        checkCameraConfiguration();
        break;
    case CAbstractTetronCommand::SetVideoResolution:
        storage->setVideoCaptureConfig(
            cameraVideoResolutionToVideoConfig(static_cast<CSetVideoResolutionCommand*>(command)->resolution()));
        checkCameraConfiguration();
        break;
    case CAbstractTetronCommand::SetPhotoResolution:
        storage->setPhotoCaptureResolution(
            cameraPhotoResolutionToPhotoResolution(static_cast<CSetPhotoResolutionCommand*>(command)->resolution()));
        checkCameraConfiguration();
        break;
    default:
        break;
    }
}

void CHXQueryLogic::checkCameraConfiguration()
{
    Multimedia::CRemoteMediaDataStorage* storage = m_storageProvider->remoteMediaDataStorage();
    if (m_settingsReported) {
        switch (storage->captureMode()) {
        case RemoteMediaTypes::CaptureModeVideo: {
            const MultimediaTypes::VideoConfig config = storage->videoCaptureConfig();
            if (config != MultimediaTypes::VideoConfig720P30FPS && config != MultimediaTypes::VideoConfig1080P30FPS
                && config != MultimediaTypes::VideoConfig1440P30FPS) {
                enqueue(new CSetVideoResolutionCommand(kVideoResolution1440P30));
                return;
            }
            break;
        }
        case RemoteMediaTypes::CaptureModePhoto:
            if (storage->photoCaptureResolution() != MultimediaTypes::PhotoResolution3MP) {
                enqueue(new CSetPhotoResolutionCommand(kPhotoResolution3MP));
                return;
            }
            break;
        default:
            enqueue(new CSetCameraModeCommand(kCameraModeVideo));
            return;
        }
    }
    m_pollTimer.start(m_pollInterval, this);
    m_state = StateReady;
    emit logicReady();
}

void CHXQueryLogic::handleReady(CAbstractTetronCommand* command)
{
    const CAbstractTetronCommand::Result result = command->result();
    if (result != CAbstractTetronCommand::Success && result != CAbstractTetronCommand::Aborted) {
        reportFailure(command);
        return;
    }
    if (command->type() == CAbstractTetronCommand::GetCameraInfo) {
        m_infoQueryPending = false;
        if (result == CAbstractTetronCommand::Success)
            applyCameraInfo(static_cast<CGetCameraInfoCommand*>(command));
    } else if (command->type() == CAbstractTetronCommand::GetCameraAlert) {
        m_alertQueryPending = false;
        // An aborted query read no alert: applying its 0 would claim a ready, cool camera.
        if (result == CAbstractTetronCommand::Success)
            applyAlert(static_cast<CGetCameraAlertCommand*>(command)->alert());
    }
}

void CHXQueryLogic::applyCameraInfo(CGetCameraInfoCommand* command)
{
    Multimedia::CRemoteMediaDataStorage* media = m_storageProvider->remoteMediaDataStorage();
    SystemControl::CSystemDataStorage* readouts = m_storageProvider->systemDataStorage();
    const QHash<int, QVariant> values = command->values();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        switch (it.key()) {
        case ParameterBatteryLevel:
            readouts->setBatteryPower(static_cast<quint8>(it.value().toInt()));
            break;
        case ParameterMenuAlert:
            applyAlert(it.value().toInt());
            break;
        case ParameterRecordTotal:
            media->setVideoRecordingTime(static_cast<Multimedia::CRemoteMediaDataStorage::RecordingTime>(it.value().toInt()));
            break;
        case ParameterMBytesRemaining: {
            const qint64 megabytes = std::max<qint64>(0, it.value().toLongLong());
            media->setAvailableSize(megabytes * 1048576);
            updateAvailableRecordingTime();
            break;
        }
        case ParameterFirmwareVersion:
            readouts->setSoftwareVersion(it.value().toString());
            break;
        case ParameterImageRes:
            media->setPhotoCaptureResolution(cameraPhotoResolutionToPhotoResolution(it.value().toInt()));
            break;
        case ParameterUIMode:
            media->setCaptureMode(cameraModeToCaptureMode(it.value().toInt()));
            break;
        case ParameterVideoRes:
            media->setVideoCaptureConfig(cameraVideoResolutionToVideoConfig(it.value().toInt()));
            break;
        default:
            break;
        }
    }
}

void CHXQueryLogic::applyAlert(int alert)
{
    Multimedia::CRemoteMediaDataStorage* media = m_storageProvider->remoteMediaDataStorage();
    RemoteMediaTypes::MediaStorageState storageState = RemoteMediaTypes::MediaStorageReady;
    if (alert & 0x10)
        storageState = RemoteMediaTypes::MediaStorageNotAvailable;
    else if (alert & 0x01)
        storageState = RemoteMediaTypes::MediaStorageFull;
    else if (alert & 0x20)
        storageState = RemoteMediaTypes::MediaStorageAlmostFull;
    else if (alert & 0x40)
        storageState = RemoteMediaTypes::MediaStorageError;
    if (storageState != media->mediaStorageState())
        enqueue(new CGetCameraInfoCommand({ParameterMBytesRemaining}));
    media->setMediaStorageState(storageState);

    m_storageProvider->systemDataStorage()->setCameraTemperatureState((alert & 0x02) ? SystemTypes::TemperatureStateTooHigh
                                                                                       : SystemTypes::TemperatureStateOK);
    if (alert & 0x08) {
        media->setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
        media->setCaptureState(RemoteMediaTypes::CaptureRunning);
    }
}

quint32 CHXQueryLogic::availableRecordingTime(qint64 availableBytes, bool is1440p30)
{
    const double bytesPerSecond = is1440p30 ? 2027000.0 : 1522700.0;
    const long long seconds = std::llround(static_cast<double>(std::max<qint64>(0, availableBytes)) / bytesPerSecond);
    return static_cast<quint32>(seconds * 1000);
}

void CHXQueryLogic::updateAvailableRecordingTime()
{
    Multimedia::CRemoteMediaDataStorage* media = m_storageProvider->remoteMediaDataStorage();
    media->setAvailableVideoRecordingTime(availableRecordingTime(
        media->availableSize(), media->videoCaptureConfig() == MultimediaTypes::VideoConfig1440P30FPS));
}

void CHXQueryLogic::onVideoCaptureConfigChanged()
{
    updateAvailableRecordingTime();
}

void CHXQueryLogic::onCaptureStateChanged()
{
    Multimedia::CRemoteMediaDataStorage* media = m_storageProvider->remoteMediaDataStorage();
    if (media->captureMode() != RemoteMediaTypes::CaptureModeVideo)
        return;
    if (media->captureState() == RemoteMediaTypes::CaptureStopped) {
        m_recordingTimer.stop();
        media->setVideoRecordingTime(0);
    } else if (media->captureState() == RemoteMediaTypes::CaptureRunning) {
        m_recordingTimer.start(m_recordingTick, this);
    }
}

void CHXQueryLogic::poll()
{
    if (m_state != StateReady)
        return;
    if (!m_alertQueryPending) {
        m_alertQueryPending = true;
        enqueue(new CGetCameraAlertCommand());
    }
    if (!m_infoQueryPending) {
        m_infoQueryPending = true;
        QVector<int> ids = {ParameterBatteryLevel};
        if (m_storageProvider->remoteMediaDataStorage()->captureState() != RemoteMediaTypes::CaptureStopped)
            ids.append(ParameterMBytesRemaining);
        enqueue(new CGetCameraInfoCommand(ids));
    }
}

void CHXQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_pollTimer.timerId()) {
        if (m_state == StateReady)
            poll();
    } else if (event->timerId() == m_recordingTimer.timerId()) {
        Multimedia::CRemoteMediaDataStorage* media = m_storageProvider->remoteMediaDataStorage();
        media->setVideoRecordingTime(media->videoRecordingTime() + 1000);
    } else {
        QObject::timerEvent(event);
    }
}

} // namespace Communication
} // namespace Ulx
