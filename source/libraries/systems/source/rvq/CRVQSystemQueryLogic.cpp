#include "rvq/CRVQSystemQueryLogic.h"

#include "IStorageProvider.h"
#include "rvq/CRVQMessage.h"
#include "rvq/IRVQMessageSender.h"
#include "rvq/RVQErrorLog.h"
#include "rvq/RVQMessages.h"
#include "rvq/RVQZoomTables.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include "CLogger.h"

#include <QPointer>
#include <QTimerEvent>

#include <cmath>

namespace Ulx {
namespace SystemControl {

namespace {

// Readings this close to zero are the sensor's noise around zero.
constexpr double DistanceCounterZero = 1e-12;
constexpr double InclinationZero = 1e-5;

void logDroppedValue(quint32 id, const QString& what)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
        QStringLiteral("[processMessage] reply %1: %2 ignored").arg(id).arg(what), {});
}

// A float that is not a number would never compare equal in the storage; it is dropped.
bool readFiniteFloat(const CRVQMessage& message, int position, float& value)
{
    float read = 0.0f;
    if (!message.readFloat(position, read))
        return false;
    if (!std::isfinite(read)) {
        logDroppedValue(message.id(), QStringLiteral("value that is not a finite number"));
        return false;
    }
    value = read;
    return true;
}

} // namespace

CRVQSystemQueryLogic::CRVQSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : QObject(nullptr)
    , m_sender(sender)
    , m_storageProvider(storageProvider)
{
}

CRVQSystemQueryLogic::~CRVQSystemQueryLogic() { m_readyTimer.stop(); }

void CRVQSystemQueryLogic::processMessage(Ulx::CRVQMessage* message)
{
    if (message && !m_stopped)
        processCommonReply(*message);
}

void CRVQSystemQueryLogic::start() { startReadyTimer(m_readyDelay); }

void CRVQSystemQueryLogic::stop()
{
    m_stopped = true;
    m_readyTimer.stop();
}

CSystemDataStorage* CRVQSystemQueryLogic::systemDataStorage() const
{
    return m_storageProvider ? m_storageProvider->systemDataStorage() : nullptr;
}

CSystemCapsStorage* CRVQSystemQueryLogic::systemCapsStorage() const
{
    return m_storageProvider ? m_storageProvider->systemCapsStorage() : nullptr;
}

bool CRVQSystemQueryLogic::isReadyToSend() const { return m_sender && m_sender->isReadyToSend(); }

void CRVQSystemQueryLogic::startReadyTimer(int milliseconds) { m_readyTimer.start(qMax(0, milliseconds), this); }

void CRVQSystemQueryLogic::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_readyTimer.timerId()) {
        m_readyTimer.stop();
        emit logicReady();
        return;
    }
    QObject::timerEvent(event);
}

void CRVQSystemQueryLogic::send(Ulx::CRVQMessage* message, int priority)
{
    message->setPriority(priority);
    if (!m_sender || m_stopped) {
        delete message;
        return;
    }
    m_sender->sendMessage(message);
}

void CRVQSystemQueryLogic::requestCameraPower() { send(createRVQCameraPowerQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestZoomPosition() { send(createRVQZoomPositionQueryMessage(), 0); }
void CRVQSystemQueryLogic::requestDigitalZoom() { send(createRVQDigitalZoomQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestFocusPosition() { send(createRVQFocusPositionQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestAutoFocus() { send(createRVQAutoFocusQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestAEAutoMode() { send(createRVQAEAutoModeQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestShutter() { send(createRVQShutterQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestDefogMode() { send(createRVQDefogModeQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestPictureFlip() { send(createRVQPictureFlipQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestPictureStabilizer() { send(createRVQPictureStabilizerQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestPanPosition() { send(createRVQPanPositionQueryMessage(), 2); }
void CRVQSystemQueryLogic::requestPanMotorCurrent() { send(createRVQPanMotorCurrentQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestTiltPosition() { send(createRVQTiltPositionQueryMessage(), 2); }
void CRVQSystemQueryLogic::requestTiltMotorCurrent() { send(createRVQTiltMotorCurrentQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestLightIntensity() { send(createRVQLightIntensityQueryMessage(), 2); }
void CRVQSystemQueryLogic::requestLightBooster() { send(createRVQLightBoosterQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestClimate() { send(createRVQClimateQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestPressure() { send(createRVQPressureQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestBattery() { send(createRVQBatteryQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestPictureEnhancement() { send(createRVQPictureEnhancementQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestDistanceLaser() { send(createRVQDistanceLaserQueryMessage(), 2); }
void CRVQSystemQueryLogic::requestHourCounter() { send(createRVQHourCounterQueryMessage(), 3); }
void CRVQSystemQueryLogic::requestLightControlType() { send(createRVQLightControlTypeQueryMessage(), 0); }
void CRVQSystemQueryLogic::requestDistanceCounter() { send(createRVQDistanceCounterQueryMessage(), 1); }
void CRVQSystemQueryLogic::requestLocator() { send(createRVQLocatorQueryMessage(), 0); }
void CRVQSystemQueryLogic::requestInclination() { send(createRVQInclinationQueryMessage(), 2); }

void CRVQSystemQueryLogic::processCommonReply(const Ulx::CRVQMessage& message)
{
    CSystemDataStorage* data = systemDataStorage();
    CSystemCapsStorage* caps = systemCapsStorage();
    if (!data || !caps)
        return;
    // Storage signals run synchronously; a receiver may end the link, and with it this logic,
    // before the next value is written. Every write after the first checks first.
    const QPointer<CRVQSystemQueryLogic> self(this);
    const auto stillRunning = [&self]() { return self && !self->m_stopped; };

    quint8 u8 = 0;
    quint16 u16 = 0;
    qint8 i8 = 0;
    float f32 = 0.0f;

    switch (message.id()) {
    case RVQMessageId::CameraPower:
        if (!message.readUInt8(0, u8))
            return;
        data->setCameraPowerOnline(u8 != 0);
        if (stillRunning())
            data->setActiveCamera(u8 == 2 ? SystemTypes::Camera2 : SystemTypes::Camera1);
        return;
    case RVQMessageId::DigitalZoom:
        if (message.readUInt8(0, u8))
            data->setDigitalZoomEnabled(u8 == 1);
        return;
    case RVQMessageId::Focus:
        if (message.readUInt16(0, u16))
            data->setRawFocusPosition(u16);
        return;
    case RVQMessageId::AutoFocus:
        if (message.readUInt8(0, u8))
            data->setAutoFocusEnabled(u8 == 1);
        return;
    case RVQMessageId::AEAutoMode:
        if (!message.readUInt8(0, u8))
            return;
        data->setAeAutoModeEnabled(u8 == 1);
        if (stillRunning() && data->aeAutoModeEnabled())
            data->setShutterPosition(0);
        return;
    case RVQMessageId::Shutter:
        if (message.readUInt8(0, u8))
            data->setShutterPosition(u8);
        return;
    case RVQMessageId::DefogMode:
        if (message.readUInt8(0, u8))
            data->setDefogModeEnabled(u8 == 1);
        return;
    case RVQMessageId::PictureFlip:
        if (message.readUInt8(0, u8))
            data->setPictureFlipEnabled(u8 == 1);
        return;
    case RVQMessageId::PictureStabilizer:
        if (message.readUInt8(0, u8))
            data->setPictureStabilizerEnabled(u8 == 1);
        return;
    case RVQMessageId::PanPosition:
        if (message.readUInt16(0, u16))
            data->setCameraPanPosition(static_cast<qint16>(u16));
        return;
    case RVQMessageId::PanSpeed:
        if (message.readUInt16(0, u16))
            data->setCameraPanMotorCurrent(u16);
        return;
    case RVQMessageId::TiltPosition:
        if (message.readUInt16(0, u16))
            data->setCameraTiltPosition(static_cast<qint16>(u16));
        return;
    case RVQMessageId::TiltSpeed:
        if (message.readUInt16(0, u16))
            data->setCameraTiltMotorCurrent(u16);
        return;
    case RVQMessageId::LightIntensity:
        if (message.readUInt8(0, u8))
            data->setLightIntensity(u8);
        return;
    case RVQMessageId::LightBooster:
        if (message.readUInt8(0, u8))
            data->setLightBoosterEnabled(u8 == 1);
        return;
    case RVQMessageId::Climate: {
        if (!message.readInt8(0, i8))
            return;
        data->setCameraTemperature(i8);
        if (!stillRunning() || !message.readUInt8(1, u8))
            return;
        data->setCameraHumidity(u8);
        quint8 state = 0;
        if (!stillRunning() || !message.readUInt8(2, state))
            return;
        if (state == 1) {
            data->setCameraTemperatureState(SystemTypes::TemperatureStateTooLow);
            if (stillRunning())
                data->setLightBoosterAvailable(true);
        } else if (state == 2) {
            data->setCameraTemperatureState(SystemTypes::TemperatureStateTooHigh);
            if (stillRunning())
                data->setLightBoosterAvailable(false);
            if (stillRunning())
                data->setLightBoosterEnabled(false);
        } else {
            data->setCameraTemperatureState(SystemTypes::TemperatureStateOK);
            if (stillRunning())
                data->setLightBoosterAvailable(true);
        }
        return;
    }
    case RVQMessageId::Pressure:
        if (!message.readUInt16(0, u16))
            return;
        data->setCameraPressure(u16);
        if (!stillRunning() || !message.readUInt8(2, u8))
            return;
        data->setCameraPressureState(u8 == 1 ? SystemTypes::PressureStateTooLow
                : u8 == 2                    ? SystemTypes::PressureStateTooHigh
                                             : SystemTypes::PressureStateOK);
        return;
    case RVQMessageId::Battery:
        if (message.readUInt8(0, u8))
            data->setBatteryPower(u8);
        return;
    case RVQMessageId::PictureEnhancement:
        if (message.readUInt8(0, u8))
            data->setPictureEnhancementEnabled(u8 != 0);
        return;
    case RVQMessageId::DistanceLaser:
        if (!message.readUInt16(0, u16))
            return;
        data->setDistanceLaserReadout(u16 / 100.0);
        if (!stillRunning() || !message.readInt8(2, i8))
            return;
        switch (i8) {
        case -1:
            data->setDistanceLaserState(SystemTypes::DistanceLaserStateNotAvailable);
            break;
        case 1:
            data->setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
            break;
        case 2:
            data->setDistanceLaserState(SystemTypes::DistanceLaserStatePoweringOn);
            break;
        default:
            data->setDistanceLaserState(SystemTypes::DistanceLaserStateOff);
            break;
        }
        return;
    case RVQMessageId::HourCounter:
        if (readFiniteFloat(message, 0, f32))
            data->setHourCounter(f32);
        return;
    case RVQMessageId::LightControlType:
        if (message.readUInt8(0, u8))
            caps->setCameraLightControlType(u8 == 0 ? SystemTypes::LightControlTypeRange
                    : u8 == 1                       ? SystemTypes::LightControlTypeOnOff
                                                    : SystemTypes::LightControlTypeNone);
        return;
    case RVQMessageId::DistanceCounter:
        if (readFiniteFloat(message, 0, f32))
            data->setDistanceCounter(std::fabs(f32) <= DistanceCounterZero ? 0.0 : double(f32));
        return;
    case RVQMessageId::Locator:
        if (!message.readUInt8(0, u8))
            return;
        data->setLocatorState(u8 == 5 ? SystemTypes::LocatorState512Hz
                : u8 == 6             ? SystemTypes::LocatorState640Hz
                : u8 == 33            ? SystemTypes::LocatorState33kHz
                                      : SystemTypes::LocatorStateOff);
        return;
    case RVQMessageId::Inclination:
        if (readFiniteFloat(message, 0, f32))
            data->setInclination(std::fabs(f32) <= InclinationZero ? 0.0f : f32);
        return;
    case RVQMessageId::ErrorLog:
        data->setErrorRecordList(decodeRVQErrorLog(message));
        return;
    default:
        return;
    }
}

void CRVQSystemQueryLogic::processZoomReply(const Ulx::CRVQMessage& message, float (*zoomFactor)(quint16 raw))
{
    CSystemDataStorage* data = systemDataStorage();
    quint16 raw = 0;
    if (!data || m_stopped || !message.readUInt16(0, raw))
        return;
    const QPointer<CRVQSystemQueryLogic> self(this);
    const auto stillRunning = [&self]() { return self && !self->m_stopped; };

    data->setRawZoomPosition(raw);
    if (stillRunning() && raw == data->pendingRawZoomPosition()) {
        // The move ordered by a zoom position command has arrived.
        data->setPendingRawZoomPosition(CSystemDataStorage::NoPendingRawZoomPosition);
        if (stillRunning())
            data->setZoomControlAvailable(true);
    }
    // A position beyond the end of the digital zoom is shown as its end.
    if (stillRunning())
        data->setZoomPosition(static_cast<quint8>(qBound(0, zoomPercentFromRaw(raw), 100)));
    if (stillRunning())
        data->setZoomFactor(zoomFactor(raw));
}

} // namespace SystemControl
} // namespace Ulx
