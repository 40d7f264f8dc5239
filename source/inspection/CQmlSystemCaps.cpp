#include "inspection/CQmlSystemCaps.h"

#include "inspection/QmlFacadeWrapping.h"
#include "systemcontrol/CSystemCaps.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::SystemControl::CSystemCaps;

CQmlSystemCaps::CQmlSystemCaps(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlSystemCaps::~CQmlSystemCaps() = default;

Ulx::SystemTypes::LightControlType CQmlSystemCaps::cameraLightControlType() const
{
    return read(m_facade, &Facade::cameraLightControlType);
}

double CQmlSystemCaps::cameraDistanceMeasurementRange() const
{
    return read(m_facade, &Facade::cameraDistanceMeasurementRange);
}

double CQmlSystemCaps::laserDistanceMeasurementRange() const
{
    return read(m_facade, &Facade::laserDistanceMeasurementRange);
}

bool CQmlSystemCaps::cameraTiltAvailable() const
{
    return read(m_facade, &Facade::cameraTiltAvailable);
}

bool CQmlSystemCaps::cameraPanAvailable() const
{
    return read(m_facade, &Facade::cameraPanAvailable);
}

bool CQmlSystemCaps::inclinationSensorAvailable() const
{
    return read(m_facade, &Facade::inclinationSensorAvailable);
}

bool CQmlSystemCaps::camera1Available() const
{
    return read(m_facade, &Facade::camera1Available);
}

bool CQmlSystemCaps::camera2Available() const
{
    return read(m_facade, &Facade::camera2Available);
}

bool CQmlSystemCaps::distanceLaserAvailable() const
{
    return read(m_facade, &Facade::distanceLaserAvailable);
}

bool CQmlSystemCaps::cameraDistanceMeasurementAvailable() const
{
    return read(m_facade, &Facade::cameraDistanceMeasurementAvailable);
}

bool CQmlSystemCaps::cameraLightBoostAvailable() const
{
    return read(m_facade, &Facade::cameraLightBoostAvailable);
}

bool CQmlSystemCaps::errorLoggingAvailable() const
{
    return read(m_facade, &Facade::errorLoggingAvailable);
}

bool CQmlSystemCaps::pictureEnhancementAvailable() const
{
    return read(m_facade, &Facade::pictureEnhancementAvailable);
}

bool CQmlSystemCaps::pictureDefogModeAvailable() const
{
    return read(m_facade, &Facade::pictureDefogModeAvailable);
}

bool CQmlSystemCaps::pictureFlipAvailable() const
{
    return read(m_facade, &Facade::pictureFlipAvailable);
}

bool CQmlSystemCaps::shutterAvailable() const
{
    return read(m_facade, &Facade::shutterAvailable);
}

bool CQmlSystemCaps::distanceCounterAvailable() const
{
    return read(m_facade, &Facade::distanceCounterAvailable);
}

bool CQmlSystemCaps::locator512HzAvailable() const
{
    return read(m_facade, &Facade::locator512HzAvailable);
}

bool CQmlSystemCaps::locator640HzAvailable() const
{
    return read(m_facade, &Facade::locator640HzAvailable);
}

bool CQmlSystemCaps::locator33kHzAvailable() const
{
    return read(m_facade, &Facade::locator33kHzAvailable);
}

bool CQmlSystemCaps::cameraZoomAvailable() const
{
    return read(m_facade, &Facade::cameraZoomAvailable);
}

bool CQmlSystemCaps::remoteShutdownAvailable() const
{
    return read(m_facade, &Facade::remoteShutdownAvailable);
}
