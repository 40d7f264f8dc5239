#include "inspection/CQmlSystemReadouts.h"

#include "inspection/QmlFacadeWrapping.h"
#include "systemcontrol/CSystemReadouts.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::SystemControl::CSystemReadouts;

CQmlSystemReadouts::CQmlSystemReadouts(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlSystemReadouts::~CQmlSystemReadouts() = default;

QString CQmlSystemReadouts::softwareVersion() const
{
    return read(m_facade, &Facade::softwareVersion);
}

QString CQmlSystemReadouts::hardwareId() const
{
    return read(m_facade, &Facade::hardwareId);
}

bool CQmlSystemReadouts::cameraDistanceRangesValid() const
{
    return read(m_facade, &Facade::cameraDistanceRangesValid);
}

double CQmlSystemReadouts::cameraLowerDistanceRange() const
{
    return read(m_facade, &Facade::cameraLowerDistanceRange);
}

double CQmlSystemReadouts::cameraUpperDistanceRange() const
{
    return read(m_facade, &Facade::cameraUpperDistanceRange);
}

double CQmlSystemReadouts::laserDistance() const
{
    return read(m_facade, &Facade::laserDistance);
}

Ulx::SystemTypes::DistanceLaserState CQmlSystemReadouts::distanceLaserState() const
{
    return read(m_facade, &Facade::distanceLaserState);
}

int CQmlSystemReadouts::cameraHumidity() const
{
    return read(m_facade, &Facade::cameraHumidity);
}

double CQmlSystemReadouts::hourCounter() const
{
    return read(m_facade, &Facade::hourCounter);
}

int CQmlSystemReadouts::cameraTiltMotorCurrent() const
{
    return read(m_facade, &Facade::cameraTiltMotorCurrent);
}

int CQmlSystemReadouts::cameraPanMotorCurrent() const
{
    return read(m_facade, &Facade::cameraPanMotorCurrent);
}

bool CQmlSystemReadouts::lightBoosterAvailable() const
{
    return read(m_facade, &Facade::lightBoosterAvailable);
}

Ulx::SystemTypes::PowerSupplyType CQmlSystemReadouts::powerSupplyType() const
{
    return read(m_facade, &Facade::powerSupplyType);
}

bool CQmlSystemReadouts::zoomControlAvailable() const
{
    return read(m_facade, &Facade::zoomControlAvailable);
}

float CQmlSystemReadouts::zoomFactor() const
{
    return read(m_facade, &Facade::zoomFactor);
}

int CQmlSystemReadouts::batteryPower() const
{
    return read(m_facade, &Facade::batteryPower);
}

Ulx::SystemTypes::PressureState CQmlSystemReadouts::cameraPressureState() const
{
    return read(m_facade, &Facade::cameraPressureState);
}

int CQmlSystemReadouts::cameraPressure() const
{
    return read(m_facade, &Facade::cameraPressure);
}

Ulx::SystemTypes::TemperatureState CQmlSystemReadouts::cameraTemperatureState() const
{
    return read(m_facade, &Facade::cameraTemperatureState);
}

int CQmlSystemReadouts::cameraTemperature() const
{
    return read(m_facade, &Facade::cameraTemperature);
}

Ulx::SystemTypes::PressureState CQmlSystemReadouts::systemPressureState() const
{
    return read(m_facade, &Facade::systemPressureState);
}

Ulx::SystemTypes::TemperatureState CQmlSystemReadouts::systemTemperatureState() const
{
    return read(m_facade, &Facade::systemTemperatureState);
}

float CQmlSystemReadouts::inclination() const
{
    return read(m_facade, &Facade::inclination);
}

Ulx::SystemTypes::ErrorRecordList CQmlSystemReadouts::errorLogData() const
{
    return read(m_facade, &Facade::errorLogData);
}
