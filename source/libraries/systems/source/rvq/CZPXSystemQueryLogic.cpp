#include "rvq/CZPXSystemQueryLogic.h"

#include "rvq/CRVQMessage.h"
#include "rvq/RVQMessages.h"
#include "rvq/RVQZoomTables.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include <QPointer>
#include <QTimerEvent>

namespace Ulx {
namespace SystemControl {

CZPXSystemQueryLogic::CZPXSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQSystemQueryLogic(sender, storageProvider)
{
    if (CSystemDataStorage* data = systemDataStorage()) {
        connect(
            data, &CSystemDataStorage::rawFocusPositionChanged, this, &CZPXSystemQueryLogic::updateCameraDistanceRange);
        connect(
            data, &CSystemDataStorage::rawZoomPositionChanged, this, &CZPXSystemQueryLogic::updateCameraDistanceRange);
        connect(data, &CSystemDataStorage::cameraDistanceMeasurementEnabledChanged, this,
            &CZPXSystemQueryLogic::updateCameraDistanceRange);
    }
}

CZPXSystemQueryLogic::~CZPXSystemQueryLogic()
{
    m_fastTimer.stop();
    m_slowTimer.stop();
}

void CZPXSystemQueryLogic::processMessage(Ulx::CRVQMessage* message)
{
    if (!message || isStopped())
        return;
    if (message->id() == RVQMessageId::Zoom)
        processZoomReply(*message, &zoomFactorZPX);
    else
        processCommonReply(*message);
}

void CZPXSystemQueryLogic::start()
{
    if (CSystemCapsStorage* caps = systemCapsStorage()) {
        caps->setRemoteShutdownAvailable(true);
        caps->setCameraZoomAvailable(true);
        caps->setCameraManualFocusAvailable(true);
        caps->setCameraAutoFocusAvailable(true);
        caps->setCameraTiltAvailable(true);
        caps->setCameraLightBoostAvailable(true);
        caps->setInclinationSensorAvailable(true);
        caps->setErrorLoggingAvailable(true);
        caps->setPictureEnhancementAvailable(true);
        caps->setPictureDefogModeAvailable(true);
        caps->setPictureFlipAvailable(true);
        caps->setShutterAvailable(true);
        caps->setDistanceLaserAvailable(true);
        caps->setCameraDistanceMeasurementAvailable(true);
        caps->setCameraDistanceMeasurementRange(CameraDistanceMeasurementRange);
        caps->setLaserDistanceMeasurementRange(LaserDistanceMeasurementRange);
        caps->setCameraLightControlType(SystemTypes::LightControlTypeRange);
    }
    requestBattery();
    requestAutoFocus();
    requestPressure();
    requestZoomPosition();
    requestPictureFlip();
    requestLightIntensity();
    requestDigitalZoom();
    requestAEAutoMode();
    requestCameraPower();
    requestFocusPosition();
    requestLightBooster();
    requestPictureStabilizer();
    requestInclination();
    requestPictureEnhancement();
    requestDefogMode();
    requestClimate();
    requestTiltMotorCurrent();
    requestShutter();
    requestDistanceLaser();
    requestTiltPosition();
    if (CSystemDataStorage* data = systemDataStorage()) {
        data->setZoomControlAvailable(true);
        data->setCameraDistanceMeasurementEnabled(false);
    }

    m_fastTimer.start(qMax(1, pollIntervals().fast), this);
    m_slowTimer.start(qMax(1, pollIntervals().slow), this);
    CRVQSystemQueryLogic::start();
}

void CZPXSystemQueryLogic::stop()
{
    m_fastTimer.stop();
    m_slowTimer.stop();
    CRVQSystemQueryLogic::stop();
}

void CZPXSystemQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_fastTimer.timerId()) {
        fastPoll();
        return;
    }
    if (event->timerId() == m_slowTimer.timerId()) {
        slowPoll();
        return;
    }
    CRVQSystemQueryLogic::timerEvent(event);
}

void CZPXSystemQueryLogic::fastPoll()
{
    const CSystemDataStorage* data = systemDataStorage();
    if (!data)
        return;
    if (data->zoomSpeed() != 0 || !data->zoomControlAvailable()) {
        requestZoomPosition();
        requestFocusPosition();
    }
    if (data->focusSpeed() != 0)
        requestFocusPosition();
    if (data->cameraTiltSpeed() != 0)
        requestTiltPosition();
}

void CZPXSystemQueryLogic::slowPoll()
{
    requestClimate();
    requestBattery();
    requestHourCounter();
    requestTiltMotorCurrent();
    requestPressure();
    requestInclination();
    const CSystemDataStorage* data = systemDataStorage();
    if (!data)
        return;
    if (data->distanceLaserState() == SystemTypes::DistanceLaserStateOn
        || data->distanceLaserState() == SystemTypes::DistanceLaserStatePoweringOn)
        requestDistanceLaser();
    if (data->cameraDistanceMeasurementEnabled() && data->autoFocusEnabled())
        requestFocusPosition();
}

void CZPXSystemQueryLogic::updateCameraDistanceRange()
{
    CSystemDataStorage* data = systemDataStorage();
    if (!data || isStopped())
        return;
    const QPointer<CZPXSystemQueryLogic> self(this);
    const auto stillRunning = [&self]() { return self && !self->isStopped(); };

    int lower = 0;
    int upper = 0;
    const bool valid = data->cameraDistanceMeasurementEnabled()
        && cameraDistanceRange(data->rawZoomPosition(), data->rawFocusPosition(), lower, upper);
    if (valid) {
        data->setCameraLowerDistanceRange(lower);
        if (stillRunning())
            data->setCameraUpperDistanceRange(upper);
        if (stillRunning())
            data->setCameraDistanceRangesValid(true);
        return;
    }
    data->setCameraDistanceRangesValid(false);
    if (stillRunning())
        data->setCameraLowerDistanceRange(lower);
    if (stillRunning())
        data->setCameraUpperDistanceRange(upper);
}

} // namespace SystemControl
} // namespace Ulx
