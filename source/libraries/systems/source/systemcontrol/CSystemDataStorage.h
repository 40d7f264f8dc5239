#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace SystemControl {

// The control values and readouts of the connected system. Written by the family logics and
// commands, read by the facades; one instance, owned by the systems library, lives as long as
// the library. GUI thread only.
class CSystemDataStorage : public QObject
{
    Q_OBJECT

public:
    // pendingRawZoomPosition when no zoom move is pending.
    static constexpr quint16 NoPendingRawZoomPosition = 0xFFFF;

    CSystemDataStorage();
    ~CSystemDataStorage() override;

    Ulx::SystemTypes::ErrorRecordList errorRecordList() const { return m_errorRecordList; }
    QString softwareVersion() const { return m_softwareVersion; }
    QString hardwareId() const { return m_hardwareId; }
    qint8 focusSpeed() const { return m_focusSpeed; }
    qint8 zoomSpeed() const { return m_zoomSpeed; }
    quint8 zoomPosition() const { return m_zoomPosition; }
    float zoomFactor() const { return m_zoomFactor; }
    int shutterPosition() const { return m_shutterPosition; }
    qint8 cameraTiltSpeed() const { return m_cameraTiltSpeed; }
    qint8 cameraPanSpeed() const { return m_cameraPanSpeed; }
    quint8 lightIntensity() const { return m_lightIntensity; }
    qint16 cameraTemperature() const { return m_cameraTemperature; }
    qint32 cameraHumidity() const { return m_cameraHumidity; }
    quint16 cameraPressure() const { return m_cameraPressure; }
    quint8 batteryPower() const { return m_batteryPower; }
    qint32 cameraTiltMotorCurrent() const { return m_cameraTiltMotorCurrent; }
    qint32 cameraPanMotorCurrent() const { return m_cameraPanMotorCurrent; }
    Ulx::SystemTypes::Camera activeCamera() const { return m_activeCamera; }
    qint16 cameraTiltPosition() const { return m_cameraTiltPosition; }
    qint16 cameraPanPosition() const { return m_cameraPanPosition; }
    double hourCounter() const { return m_hourCounter; }
    float inclination() const { return m_inclination; }
    double distanceCounter() const { return m_distanceCounter; }
    double distanceLaserReadout() const { return m_distanceLaserReadout; }
    quint16 rawFocusPosition() const { return m_rawFocusPosition; }
    quint16 rawZoomPosition() const { return m_rawZoomPosition; }
    quint16 pendingRawZoomPosition() const { return m_pendingRawZoomPosition; }
    double cameraLowerDistanceRange() const { return m_cameraLowerDistanceRange; }
    double cameraUpperDistanceRange() const { return m_cameraUpperDistanceRange; }
    bool cameraDistanceRangesValid() const { return m_cameraDistanceRangesValid; }
    bool cameraPowerOnline() const { return m_cameraPowerOnline; }
    bool digitalZoomEnabled() const { return m_digitalZoomEnabled; }
    bool aeAutoModeEnabled() const { return m_aeAutoModeEnabled; }
    bool defogModeEnabled() const { return m_defogModeEnabled; }
    bool pictureFlipEnabled() const { return m_pictureFlipEnabled; }
    bool pictureStabilizerEnabled() const { return m_pictureStabilizerEnabled; }
    bool lightBoosterEnabled() const { return m_lightBoosterEnabled; }
    bool autoFocusEnabled() const { return m_autoFocusEnabled; }
    bool pictureEnhancementEnabled() const { return m_pictureEnhancementEnabled; }
    bool lightBoosterAvailable() const { return m_lightBoosterAvailable; }
    bool zoomControlAvailable() const { return m_zoomControlAvailable; }
    bool cameraDistanceMeasurementEnabled() const { return m_cameraDistanceMeasurementEnabled; }
    Ulx::SystemTypes::DistanceLaserState distanceLaserState() const { return m_distanceLaserState; }
    Ulx::SystemTypes::PressureState cameraPressureState() const { return m_cameraPressureState; }
    Ulx::SystemTypes::TemperatureState cameraTemperatureState() const { return m_cameraTemperatureState; }
    Ulx::SystemTypes::PowerSupplyType powerSupplyType() const { return m_powerSupplyType; }
    Ulx::SystemTypes::LocatorState locatorState() const { return m_locatorState; }

    void setErrorRecordList(const Ulx::SystemTypes::ErrorRecordList& errorRecordList);
    void setSoftwareVersion(const QString& softwareVersion);
    void setHardwareId(const QString& hardwareId);
    void setFocusSpeed(qint8 focusSpeed);
    void setZoomSpeed(qint8 zoomSpeed);
    void setZoomPosition(quint8 zoomPosition);
    void setZoomFactor(float zoomFactor);
    void setShutterPosition(int shutterPosition);
    void setCameraTiltSpeed(qint8 cameraTiltSpeed);
    void setCameraPanSpeed(qint8 cameraPanSpeed);
    void setLightIntensity(quint8 lightIntensity);
    void setCameraTemperature(qint16 cameraTemperature);
    void setCameraHumidity(qint32 cameraHumidity);
    void setCameraPressure(quint16 cameraPressure);
    void setBatteryPower(quint8 batteryPower);
    void setCameraTiltMotorCurrent(qint32 cameraTiltMotorCurrent);
    void setCameraPanMotorCurrent(qint32 cameraPanMotorCurrent);
    void setActiveCamera(Ulx::SystemTypes::Camera activeCamera);
    void setCameraTiltPosition(qint16 cameraTiltPosition);
    void setCameraPanPosition(qint16 cameraPanPosition);
    void setHourCounter(double hourCounter);
    void setInclination(float inclination);
    void setDistanceCounter(double distanceCounter);
    void setDistanceLaserReadout(double distanceLaserReadout);
    void setRawFocusPosition(quint16 rawFocusPosition);
    void setRawZoomPosition(quint16 rawZoomPosition);
    void setPendingRawZoomPosition(quint16 pendingRawZoomPosition);
    void setCameraLowerDistanceRange(double cameraLowerDistanceRange);
    void setCameraUpperDistanceRange(double cameraUpperDistanceRange);
    void setCameraDistanceRangesValid(bool cameraDistanceRangesValid);
    void setCameraPowerOnline(bool cameraPowerOnline);
    void setDigitalZoomEnabled(bool digitalZoomEnabled);
    void setAeAutoModeEnabled(bool aeAutoModeEnabled);
    void setDefogModeEnabled(bool defogModeEnabled);
    void setPictureFlipEnabled(bool pictureFlipEnabled);
    void setPictureStabilizerEnabled(bool pictureStabilizerEnabled);
    void setLightBoosterEnabled(bool lightBoosterEnabled);
    void setAutoFocusEnabled(bool autoFocusEnabled);
    void setPictureEnhancementEnabled(bool pictureEnhancementEnabled);
    void setLightBoosterAvailable(bool lightBoosterAvailable);
    void setZoomControlAvailable(bool zoomControlAvailable);
    void setCameraDistanceMeasurementEnabled(bool cameraDistanceMeasurementEnabled);
    void setDistanceLaserState(Ulx::SystemTypes::DistanceLaserState distanceLaserState);
    void setCameraPressureState(Ulx::SystemTypes::PressureState cameraPressureState);
    void setCameraTemperatureState(Ulx::SystemTypes::TemperatureState cameraTemperatureState);
    void setPowerSupplyType(Ulx::SystemTypes::PowerSupplyType powerSupplyType);
    void setLocatorState(Ulx::SystemTypes::LocatorState locatorState);

    // Every value back to its default, in a fixed order, signalling where a value changed.
    void reset();

signals:
    void softwareVersionChanged();
    void hardwareIdChanged();
    void cameraPowerOnlineChanged();
    void digitalZoomEnabledChanged();
    void aeAutoModeEnabledChanged();
    void defogModeEnabledChanged();
    void pictureFlipEnabledChanged();
    void pictureStabilizerEnabledChanged();
    void pictureEnhancementEnabledChanged();
    void lightBoosterEnabledChanged();
    void autoFocusEnabledChanged();
    void zoomSpeedChanged();
    void zoomPositionChanged();
    void zoomFactorChanged();
    void focusSpeedChanged();
    void shutterPositionChanged();
    void cameraTiltSpeedChanged();
    void cameraPanSpeedChanged();
    void cameraTiltMotorCurrentChanged();
    void cameraPanMotorCurrentChanged();
    void cameraTiltPositionChanged();
    void cameraPanPositionChanged();
    void lightIntensityChanged();
    void cameraTemperatureChanged();
    void cameraHumidityChanged();
    void cameraPressureChanged();
    void batteryPowerChanged();
    void hourCounterChanged();
    void inclinationChanged();
    void distanceCounterChanged();
    void cameraPressureStateChanged();
    void cameraTemperatureStateChanged();
    void lightBoosterAvailableChanged();
    void zoomControlAvailableChanged();
    void activeCameraChanged();
    void powerSupplyTypeChanged();
    void rawFocusPositionChanged();
    void rawZoomPositionChanged();
    void pendingRawZoomPositionChanged();
    void distanceLaserStateChanged();
    void distanceLaserReadoutChanged();
    void cameraDistanceMeasurementEnabledChanged();
    void cameraDistanceRangesValidChanged();
    void cameraLowerDistanceRangeChanged();
    void cameraUpperDistanceRangeChanged();
    void errorRecordListChanged();
    void locatorStateChanged();

private:
    Ulx::SystemTypes::ErrorRecordList m_errorRecordList = Ulx::SystemTypes::ErrorRecordList();
    QString m_softwareVersion = QString();
    QString m_hardwareId = QString();
    qint8 m_focusSpeed = 0;
    qint8 m_zoomSpeed = 0;
    quint8 m_zoomPosition = 0;
    float m_zoomFactor = 0.0f;
    int m_shutterPosition = 0;
    qint8 m_cameraTiltSpeed = 0;
    qint8 m_cameraPanSpeed = 0;
    quint8 m_lightIntensity = 0;
    qint16 m_cameraTemperature = 0;
    qint32 m_cameraHumidity = 0;
    quint16 m_cameraPressure = 0;
    quint8 m_batteryPower = 0;
    qint32 m_cameraTiltMotorCurrent = 0;
    qint32 m_cameraPanMotorCurrent = 0;
    Ulx::SystemTypes::Camera m_activeCamera = Ulx::SystemTypes::Camera1;
    qint16 m_cameraTiltPosition = 0;
    qint16 m_cameraPanPosition = 0;
    double m_hourCounter = 0.0;
    float m_inclination = 0.0f;
    double m_distanceCounter = 0.0;
    double m_distanceLaserReadout = 0.0;
    quint16 m_rawFocusPosition = 0;
    quint16 m_rawZoomPosition = 0;
    quint16 m_pendingRawZoomPosition = NoPendingRawZoomPosition;
    double m_cameraLowerDistanceRange = 0.0;
    double m_cameraUpperDistanceRange = 0.0;
    bool m_cameraDistanceRangesValid = false;
    bool m_cameraPowerOnline = false;
    bool m_digitalZoomEnabled = false;
    bool m_aeAutoModeEnabled = false;
    bool m_defogModeEnabled = false;
    bool m_pictureFlipEnabled = false;
    bool m_pictureStabilizerEnabled = false;
    bool m_lightBoosterEnabled = false;
    bool m_autoFocusEnabled = false;
    bool m_pictureEnhancementEnabled = false;
    bool m_lightBoosterAvailable = false;
    bool m_zoomControlAvailable = false;
    bool m_cameraDistanceMeasurementEnabled = false;
    Ulx::SystemTypes::DistanceLaserState m_distanceLaserState = Ulx::SystemTypes::DistanceLaserStateOff;
    Ulx::SystemTypes::PressureState m_cameraPressureState = Ulx::SystemTypes::PressureStateNotAvailable;
    Ulx::SystemTypes::TemperatureState m_cameraTemperatureState = Ulx::SystemTypes::TemperatureStateNotAvailable;
    Ulx::SystemTypes::PowerSupplyType m_powerSupplyType = Ulx::SystemTypes::PowerSupplyTypeUnknown;
    Ulx::SystemTypes::LocatorState m_locatorState = Ulx::SystemTypes::LocatorStateOff;
};

} // namespace SystemControl
} // namespace Ulx
