#include "systemcontrol/CSystemDataStorage.h"

#include "systemcontrol/StorageValueCompare.h"

namespace Ulx {
namespace SystemControl {

CSystemDataStorage::CSystemDataStorage()
    : QObject(nullptr)
{
}

CSystemDataStorage::~CSystemDataStorage() = default;

void CSystemDataStorage::setErrorRecordList(const Ulx::SystemTypes::ErrorRecordList& errorRecordList)
{
    // Signalled on every call: each reply to an error-log request must reach the screen, even
    // when it carries the list already held.
    if (!m_errorRecordList.isSharedWith(errorRecordList))
        m_errorRecordList = errorRecordList;
    emit errorRecordListChanged();
}

void CSystemDataStorage::setSoftwareVersion(const QString& softwareVersion)
{
    if (sameStoredValue(m_softwareVersion, softwareVersion))
        return;
    m_softwareVersion = softwareVersion;
    emit softwareVersionChanged();
}

void CSystemDataStorage::setHardwareId(const QString& hardwareId)
{
    if (sameStoredValue(m_hardwareId, hardwareId))
        return;
    m_hardwareId = hardwareId;
    emit hardwareIdChanged();
}

void CSystemDataStorage::setFocusSpeed(qint8 focusSpeed)
{
    if (sameStoredValue(m_focusSpeed, focusSpeed))
        return;
    m_focusSpeed = focusSpeed;
    emit focusSpeedChanged();
}

void CSystemDataStorage::setZoomSpeed(qint8 zoomSpeed)
{
    if (sameStoredValue(m_zoomSpeed, zoomSpeed))
        return;
    m_zoomSpeed = zoomSpeed;
    emit zoomSpeedChanged();
}

void CSystemDataStorage::setZoomPosition(quint8 zoomPosition)
{
    if (sameStoredValue(m_zoomPosition, zoomPosition))
        return;
    m_zoomPosition = zoomPosition;
    emit zoomPositionChanged();
}

void CSystemDataStorage::setZoomFactor(float zoomFactor)
{
    if (sameStoredValue(m_zoomFactor, zoomFactor))
        return;
    m_zoomFactor = zoomFactor;
    emit zoomFactorChanged();
}

void CSystemDataStorage::setShutterPosition(int shutterPosition)
{
    if (sameStoredValue(m_shutterPosition, shutterPosition))
        return;
    m_shutterPosition = shutterPosition;
    emit shutterPositionChanged();
}

void CSystemDataStorage::setCameraTiltSpeed(qint8 cameraTiltSpeed)
{
    if (sameStoredValue(m_cameraTiltSpeed, cameraTiltSpeed))
        return;
    m_cameraTiltSpeed = cameraTiltSpeed;
    emit cameraTiltSpeedChanged();
}

void CSystemDataStorage::setCameraPanSpeed(qint8 cameraPanSpeed)
{
    if (sameStoredValue(m_cameraPanSpeed, cameraPanSpeed))
        return;
    m_cameraPanSpeed = cameraPanSpeed;
    emit cameraPanSpeedChanged();
}

void CSystemDataStorage::setLightIntensity(quint8 lightIntensity)
{
    if (sameStoredValue(m_lightIntensity, lightIntensity))
        return;
    m_lightIntensity = lightIntensity;
    emit lightIntensityChanged();
}

void CSystemDataStorage::setCameraTemperature(qint16 cameraTemperature)
{
    if (sameStoredValue(m_cameraTemperature, cameraTemperature))
        return;
    m_cameraTemperature = cameraTemperature;
    emit cameraTemperatureChanged();
}

void CSystemDataStorage::setCameraHumidity(qint32 cameraHumidity)
{
    if (sameStoredValue(m_cameraHumidity, cameraHumidity))
        return;
    m_cameraHumidity = cameraHumidity;
    emit cameraHumidityChanged();
}

void CSystemDataStorage::setCameraPressure(quint16 cameraPressure)
{
    if (sameStoredValue(m_cameraPressure, cameraPressure))
        return;
    m_cameraPressure = cameraPressure;
    emit cameraPressureChanged();
}

void CSystemDataStorage::setBatteryPower(quint8 batteryPower)
{
    if (sameStoredValue(m_batteryPower, batteryPower))
        return;
    m_batteryPower = batteryPower;
    emit batteryPowerChanged();
}

void CSystemDataStorage::setCameraTiltMotorCurrent(qint32 cameraTiltMotorCurrent)
{
    if (sameStoredValue(m_cameraTiltMotorCurrent, cameraTiltMotorCurrent))
        return;
    m_cameraTiltMotorCurrent = cameraTiltMotorCurrent;
    emit cameraTiltMotorCurrentChanged();
}

void CSystemDataStorage::setCameraPanMotorCurrent(qint32 cameraPanMotorCurrent)
{
    if (sameStoredValue(m_cameraPanMotorCurrent, cameraPanMotorCurrent))
        return;
    m_cameraPanMotorCurrent = cameraPanMotorCurrent;
    emit cameraPanMotorCurrentChanged();
}

void CSystemDataStorage::setActiveCamera(Ulx::SystemTypes::Camera activeCamera)
{
    if (sameStoredValue(m_activeCamera, activeCamera))
        return;
    m_activeCamera = activeCamera;
    emit activeCameraChanged();
}

void CSystemDataStorage::setCameraTiltPosition(qint16 cameraTiltPosition)
{
    if (sameStoredValue(m_cameraTiltPosition, cameraTiltPosition))
        return;
    m_cameraTiltPosition = cameraTiltPosition;
    emit cameraTiltPositionChanged();
}

void CSystemDataStorage::setCameraPanPosition(qint16 cameraPanPosition)
{
    if (sameStoredValue(m_cameraPanPosition, cameraPanPosition))
        return;
    m_cameraPanPosition = cameraPanPosition;
    emit cameraPanPositionChanged();
}

void CSystemDataStorage::setHourCounter(double hourCounter)
{
    if (sameStoredValue(m_hourCounter, hourCounter))
        return;
    m_hourCounter = hourCounter;
    emit hourCounterChanged();
}

void CSystemDataStorage::setInclination(float inclination)
{
    if (sameStoredValue(m_inclination, inclination))
        return;
    m_inclination = inclination;
    emit inclinationChanged();
}

void CSystemDataStorage::setDistanceCounter(double distanceCounter)
{
    if (sameStoredValue(m_distanceCounter, distanceCounter))
        return;
    m_distanceCounter = distanceCounter;
    emit distanceCounterChanged();
}

void CSystemDataStorage::setDistanceLaserReadout(double distanceLaserReadout)
{
    if (sameStoredValue(m_distanceLaserReadout, distanceLaserReadout))
        return;
    m_distanceLaserReadout = distanceLaserReadout;
    emit distanceLaserReadoutChanged();
}

void CSystemDataStorage::setRawFocusPosition(quint16 rawFocusPosition)
{
    if (sameStoredValue(m_rawFocusPosition, rawFocusPosition))
        return;
    m_rawFocusPosition = rawFocusPosition;
    emit rawFocusPositionChanged();
}

void CSystemDataStorage::setRawZoomPosition(quint16 rawZoomPosition)
{
    if (sameStoredValue(m_rawZoomPosition, rawZoomPosition))
        return;
    m_rawZoomPosition = rawZoomPosition;
    emit rawZoomPositionChanged();
}

void CSystemDataStorage::setPendingRawZoomPosition(quint16 pendingRawZoomPosition)
{
    if (sameStoredValue(m_pendingRawZoomPosition, pendingRawZoomPosition))
        return;
    m_pendingRawZoomPosition = pendingRawZoomPosition;
    emit pendingRawZoomPositionChanged();
}

void CSystemDataStorage::setCameraLowerDistanceRange(double cameraLowerDistanceRange)
{
    if (sameStoredValue(m_cameraLowerDistanceRange, cameraLowerDistanceRange))
        return;
    m_cameraLowerDistanceRange = cameraLowerDistanceRange;
    emit cameraLowerDistanceRangeChanged();
}

void CSystemDataStorage::setCameraUpperDistanceRange(double cameraUpperDistanceRange)
{
    if (sameStoredValue(m_cameraUpperDistanceRange, cameraUpperDistanceRange))
        return;
    m_cameraUpperDistanceRange = cameraUpperDistanceRange;
    emit cameraUpperDistanceRangeChanged();
}

void CSystemDataStorage::setCameraDistanceRangesValid(bool cameraDistanceRangesValid)
{
    if (sameStoredValue(m_cameraDistanceRangesValid, cameraDistanceRangesValid))
        return;
    m_cameraDistanceRangesValid = cameraDistanceRangesValid;
    emit cameraDistanceRangesValidChanged();
}

void CSystemDataStorage::setCameraPowerOnline(bool cameraPowerOnline)
{
    if (sameStoredValue(m_cameraPowerOnline, cameraPowerOnline))
        return;
    m_cameraPowerOnline = cameraPowerOnline;
    emit cameraPowerOnlineChanged();
}

void CSystemDataStorage::setDigitalZoomEnabled(bool digitalZoomEnabled)
{
    if (sameStoredValue(m_digitalZoomEnabled, digitalZoomEnabled))
        return;
    m_digitalZoomEnabled = digitalZoomEnabled;
    emit digitalZoomEnabledChanged();
}

void CSystemDataStorage::setAeAutoModeEnabled(bool aeAutoModeEnabled)
{
    if (sameStoredValue(m_aeAutoModeEnabled, aeAutoModeEnabled))
        return;
    m_aeAutoModeEnabled = aeAutoModeEnabled;
    emit aeAutoModeEnabledChanged();
}

void CSystemDataStorage::setDefogModeEnabled(bool defogModeEnabled)
{
    if (sameStoredValue(m_defogModeEnabled, defogModeEnabled))
        return;
    m_defogModeEnabled = defogModeEnabled;
    emit defogModeEnabledChanged();
}

void CSystemDataStorage::setPictureFlipEnabled(bool pictureFlipEnabled)
{
    if (sameStoredValue(m_pictureFlipEnabled, pictureFlipEnabled))
        return;
    m_pictureFlipEnabled = pictureFlipEnabled;
    emit pictureFlipEnabledChanged();
}

void CSystemDataStorage::setPictureStabilizerEnabled(bool pictureStabilizerEnabled)
{
    if (sameStoredValue(m_pictureStabilizerEnabled, pictureStabilizerEnabled))
        return;
    m_pictureStabilizerEnabled = pictureStabilizerEnabled;
    emit pictureStabilizerEnabledChanged();
}

void CSystemDataStorage::setLightBoosterEnabled(bool lightBoosterEnabled)
{
    if (sameStoredValue(m_lightBoosterEnabled, lightBoosterEnabled))
        return;
    m_lightBoosterEnabled = lightBoosterEnabled;
    emit lightBoosterEnabledChanged();
}

void CSystemDataStorage::setAutoFocusEnabled(bool autoFocusEnabled)
{
    if (sameStoredValue(m_autoFocusEnabled, autoFocusEnabled))
        return;
    m_autoFocusEnabled = autoFocusEnabled;
    emit autoFocusEnabledChanged();
}

void CSystemDataStorage::setPictureEnhancementEnabled(bool pictureEnhancementEnabled)
{
    if (sameStoredValue(m_pictureEnhancementEnabled, pictureEnhancementEnabled))
        return;
    m_pictureEnhancementEnabled = pictureEnhancementEnabled;
    emit pictureEnhancementEnabledChanged();
}

void CSystemDataStorage::setLightBoosterAvailable(bool lightBoosterAvailable)
{
    if (sameStoredValue(m_lightBoosterAvailable, lightBoosterAvailable))
        return;
    m_lightBoosterAvailable = lightBoosterAvailable;
    emit lightBoosterAvailableChanged();
}

void CSystemDataStorage::setZoomControlAvailable(bool zoomControlAvailable)
{
    if (sameStoredValue(m_zoomControlAvailable, zoomControlAvailable))
        return;
    m_zoomControlAvailable = zoomControlAvailable;
    emit zoomControlAvailableChanged();
}

void CSystemDataStorage::setCameraDistanceMeasurementEnabled(bool cameraDistanceMeasurementEnabled)
{
    if (sameStoredValue(m_cameraDistanceMeasurementEnabled, cameraDistanceMeasurementEnabled))
        return;
    m_cameraDistanceMeasurementEnabled = cameraDistanceMeasurementEnabled;
    emit cameraDistanceMeasurementEnabledChanged();
}

void CSystemDataStorage::setDistanceLaserState(Ulx::SystemTypes::DistanceLaserState distanceLaserState)
{
    if (sameStoredValue(m_distanceLaserState, distanceLaserState))
        return;
    m_distanceLaserState = distanceLaserState;
    emit distanceLaserStateChanged();
}

void CSystemDataStorage::setCameraPressureState(Ulx::SystemTypes::PressureState cameraPressureState)
{
    if (sameStoredValue(m_cameraPressureState, cameraPressureState))
        return;
    m_cameraPressureState = cameraPressureState;
    emit cameraPressureStateChanged();
}

void CSystemDataStorage::setCameraTemperatureState(Ulx::SystemTypes::TemperatureState cameraTemperatureState)
{
    if (sameStoredValue(m_cameraTemperatureState, cameraTemperatureState))
        return;
    m_cameraTemperatureState = cameraTemperatureState;
    emit cameraTemperatureStateChanged();
}

void CSystemDataStorage::setPowerSupplyType(Ulx::SystemTypes::PowerSupplyType powerSupplyType)
{
    if (sameStoredValue(m_powerSupplyType, powerSupplyType))
        return;
    m_powerSupplyType = powerSupplyType;
    emit powerSupplyTypeChanged();
}

void CSystemDataStorage::setLocatorState(Ulx::SystemTypes::LocatorState locatorState)
{
    if (sameStoredValue(m_locatorState, locatorState))
        return;
    m_locatorState = locatorState;
    emit locatorStateChanged();
}

void CSystemDataStorage::reset()
{
    setSoftwareVersion(QString());
    setHardwareId(QString());
    setCameraPowerOnline(false);
    setDigitalZoomEnabled(false);
    setAeAutoModeEnabled(false);
    setDefogModeEnabled(false);
    setPictureFlipEnabled(false);
    setPictureStabilizerEnabled(false);
    setLightBoosterEnabled(false);
    setAutoFocusEnabled(false);
    setPictureEnhancementEnabled(false);
    setLightBoosterAvailable(false);
    setZoomControlAvailable(false);
    setCameraDistanceMeasurementEnabled(false);
    setCameraDistanceRangesValid(false);
    setCameraLowerDistanceRange(0.0);
    setCameraUpperDistanceRange(0.0);
    setDistanceLaserState(Ulx::SystemTypes::DistanceLaserStateOff);
    setZoomSpeed(0);
    setZoomPosition(0);
    setZoomFactor(0.0f);
    setFocusSpeed(0);
    setShutterPosition(0);
    setCameraTiltSpeed(0);
    setCameraPanSpeed(0);
    setCameraTiltMotorCurrent(0);
    setCameraPanMotorCurrent(0);
    setCameraTiltPosition(0);
    setCameraPanPosition(0);
    setLightIntensity(0);
    setCameraTemperature(0);
    setCameraHumidity(0);
    setCameraPressure(0);
    setBatteryPower(0);
    setHourCounter(0.0);
    setInclination(0.0f);
    setDistanceCounter(0.0);
    setDistanceLaserReadout(0.0);
    setRawFocusPosition(0);
    setRawZoomPosition(0);
    // Always signalled: the zoom handling must learn that no move is pending any more.
    m_pendingRawZoomPosition = NoPendingRawZoomPosition;
    emit pendingRawZoomPositionChanged();
    setCameraPressureState(Ulx::SystemTypes::PressureStateNotAvailable);
    setCameraTemperatureState(Ulx::SystemTypes::TemperatureStateNotAvailable);
    setPowerSupplyType(Ulx::SystemTypes::PowerSupplyTypeUnknown);
    setLocatorState(Ulx::SystemTypes::LocatorStateOff);
    setActiveCamera(Ulx::SystemTypes::Camera1);
    setErrorRecordList(Ulx::SystemTypes::ErrorRecordList());
}

} // namespace SystemControl
} // namespace Ulx
