#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace Ulx {
namespace SystemControl {
class CSystemReadouts;
} // namespace SystemControl
} // namespace Ulx

// What the connected system reports, for QML. Holds only the (not owned) facade; the namespace
// object that made it deletes it. GUI thread.
class CQmlSystemReadouts : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString softwareVersion READ softwareVersion NOTIFY softwareVersionChanged)
    Q_PROPERTY(QString hardwareId READ hardwareId NOTIFY hardwareIdChanged)
    Q_PROPERTY(bool cameraDistanceRangesValid READ cameraDistanceRangesValid NOTIFY cameraDistanceRangesValidChanged)
    Q_PROPERTY(double cameraLowerDistanceRange READ cameraLowerDistanceRange NOTIFY cameraLowerDistanceRangeChanged)
    Q_PROPERTY(double cameraUpperDistanceRange READ cameraUpperDistanceRange NOTIFY cameraUpperDistanceRangeChanged)
    Q_PROPERTY(double laserDistance READ laserDistance NOTIFY laserDistanceChanged)
    Q_PROPERTY(Ulx::SystemTypes::DistanceLaserState distanceLaserState READ distanceLaserState NOTIFY
            distanceLaserStateChanged)
    Q_PROPERTY(int cameraHumidity READ cameraHumidity NOTIFY cameraHumidityChanged)
    Q_PROPERTY(double hourCounter READ hourCounter NOTIFY hourCounterChanged)
    Q_PROPERTY(int cameraTiltMotorCurrent READ cameraTiltMotorCurrent NOTIFY cameraTiltMotorCurrentChanged)
    Q_PROPERTY(int cameraPanMotorCurrent READ cameraPanMotorCurrent NOTIFY cameraPanMotorCurrentChanged)
    Q_PROPERTY(bool lightBoosterAvailable READ lightBoosterAvailable NOTIFY lightBoosterAvailableChanged)
    Q_PROPERTY(Ulx::SystemTypes::PowerSupplyType powerSupplyType READ powerSupplyType NOTIFY powerSupplyTypeChanged)
    Q_PROPERTY(bool zoomControlAvailable READ zoomControlAvailable NOTIFY zoomControlAvailableChanged)
    Q_PROPERTY(float zoomFactor READ zoomFactor NOTIFY zoomFactorChanged)
    Q_PROPERTY(int batteryPower READ batteryPower NOTIFY batteryPowerChanged)
    Q_PROPERTY(
        Ulx::SystemTypes::PressureState cameraPressureState READ cameraPressureState NOTIFY cameraPressureStateChanged)
    Q_PROPERTY(int cameraPressure READ cameraPressure NOTIFY cameraPressureChanged)
    Q_PROPERTY(Ulx::SystemTypes::TemperatureState cameraTemperatureState READ cameraTemperatureState NOTIFY
            cameraTemperatureStateChanged)
    Q_PROPERTY(int cameraTemperature READ cameraTemperature NOTIFY cameraTemperatureChanged)
    Q_PROPERTY(
        Ulx::SystemTypes::PressureState systemPressureState READ systemPressureState NOTIFY systemPressureStateChanged)
    Q_PROPERTY(Ulx::SystemTypes::TemperatureState systemTemperatureState READ systemTemperatureState NOTIFY
            systemTemperatureStateChanged)
    Q_PROPERTY(float inclination READ inclination NOTIFY inclinationChanged)
    Q_PROPERTY(Ulx::SystemTypes::ErrorRecordList errorLogData READ errorLogData NOTIFY errorLogDataChanged)

public:
    explicit CQmlSystemReadouts(Ulx::SystemControl::CSystemReadouts* facade);
    ~CQmlSystemReadouts() override;

    QString softwareVersion() const;
    QString hardwareId() const;
    bool cameraDistanceRangesValid() const;
    double cameraLowerDistanceRange() const;
    double cameraUpperDistanceRange() const;
    double laserDistance() const;
    Ulx::SystemTypes::DistanceLaserState distanceLaserState() const;
    int cameraHumidity() const;
    double hourCounter() const;
    int cameraTiltMotorCurrent() const;
    int cameraPanMotorCurrent() const;
    bool lightBoosterAvailable() const;
    Ulx::SystemTypes::PowerSupplyType powerSupplyType() const;
    bool zoomControlAvailable() const;
    float zoomFactor() const;
    int batteryPower() const;
    Ulx::SystemTypes::PressureState cameraPressureState() const;
    int cameraPressure() const;
    Ulx::SystemTypes::TemperatureState cameraTemperatureState() const;
    int cameraTemperature() const;
    Ulx::SystemTypes::PressureState systemPressureState() const;
    Ulx::SystemTypes::TemperatureState systemTemperatureState() const;
    float inclination() const;
    Ulx::SystemTypes::ErrorRecordList errorLogData() const;

signals:
    void softwareVersionChanged();
    void hardwareIdChanged();
    void cameraDistanceRangesValidChanged();
    void cameraLowerDistanceRangeChanged();
    void cameraUpperDistanceRangeChanged();
    void laserDistanceChanged();
    void distanceLaserStateChanged();
    void cameraHumidityChanged();
    void hourCounterChanged();
    void cameraTiltMotorCurrentChanged();
    void cameraPanMotorCurrentChanged();
    void lightBoosterAvailableChanged();
    void zoomFactorChanged();
    void cameraTemperatureChanged();
    void cameraPressureChanged();
    void batteryPowerChanged();
    void inclinationChanged();
    void cameraPressureStateChanged();
    void cameraTemperatureStateChanged();
    void zoomControlAvailableChanged();
    void powerSupplyTypeChanged();
    void systemPressureStateChanged();
    void systemTemperatureStateChanged();
    void errorLogDataChanged();

private:
    QPointer<Ulx::SystemControl::CSystemReadouts> m_facade;
};
