#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace SystemControl {

// What the connected system reports, read from the data storage on every call, and the error
// log. Holds no state; its signals relay the storage's. Made and owned by the systems library.
class CSystemReadouts : public QObject
{
    Q_OBJECT

public:
    CSystemReadouts();
    ~CSystemReadouts() override;

    QString softwareVersion() const;
    QString hardwareId() const;
    double cameraLowerDistanceRange() const;
    double cameraUpperDistanceRange() const;
    bool cameraDistanceRangesValid() const;
    Ulx::SystemTypes::DistanceLaserState distanceLaserState() const;
    double laserDistance() const;
    qint32 cameraHumidity() const;
    double hourCounter() const;
    qint32 cameraTiltMotorCurrent() const;
    qint32 cameraPanMotorCurrent() const;
    bool lightBoosterAvailable() const;
    float zoomFactor() const;
    qint16 cameraTemperature() const;
    quint16 cameraPressure() const;
    quint8 batteryPower() const;
    float inclination() const;
    Ulx::SystemTypes::PressureState cameraPressureState() const;
    Ulx::SystemTypes::TemperatureState cameraTemperatureState() const;
    bool zoomControlAvailable() const;
    Ulx::SystemTypes::PowerSupplyType powerSupplyType() const;
    Ulx::SystemTypes::ErrorRecordList errorLogData() const;
    // The system-wide states are not reported by any family: always "not available".
    Ulx::SystemTypes::PressureState systemPressureState() const;
    Ulx::SystemTypes::TemperatureState systemTemperatureState() const;

    // The log arrives later through errorLogDataChanged(), when the family has read it.
    void requestErrorLog();

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
};

} // namespace SystemControl
} // namespace Ulx
