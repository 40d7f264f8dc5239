#include "inspection/CQmlSystemControl.h"

#include "inspection/QmlFacadeWrapping.h"
#include "systemcontrol/CSystemControl.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::SystemControl::CSystemControl;

CQmlSystemControl::CQmlSystemControl(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlSystemControl::~CQmlSystemControl() = default;

Ulx::SystemTypes::Camera CQmlSystemControl::activeCamera() const
{
    return read(m_facade, &Facade::activeCamera);
}

double CQmlSystemControl::distanceCounter() const
{
    return read(m_facade, &Facade::distanceCounter);
}

int CQmlSystemControl::zoomSpeed() const
{
    return read(m_facade, &Facade::zoomSpeed);
}

int CQmlSystemControl::focusSpeed() const
{
    return read(m_facade, &Facade::focusSpeed);
}

int CQmlSystemControl::cameraTiltSpeed() const
{
    return read(m_facade, &Facade::cameraTiltSpeed);
}

int CQmlSystemControl::cameraPanSpeed() const
{
    return read(m_facade, &Facade::cameraPanSpeed);
}

int CQmlSystemControl::lightIntensity() const
{
    return read(m_facade, &Facade::lightIntensity);
}

int CQmlSystemControl::zoomPosition() const
{
    return read(m_facade, &Facade::zoomPosition);
}

int CQmlSystemControl::shutterPosition() const
{
    return read(m_facade, &Facade::shutterPosition);
}

int CQmlSystemControl::cameraTiltPosition() const
{
    return read(m_facade, &Facade::cameraTiltPosition);
}

int CQmlSystemControl::cameraPanPosition() const
{
    return read(m_facade, &Facade::cameraPanPosition);
}

bool CQmlSystemControl::distanceLaserEnabled() const
{
    return read(m_facade, &Facade::distanceLaserEnabled);
}

bool CQmlSystemControl::cameraDistanceMeasurementEnabled() const
{
    return read(m_facade, &Facade::cameraDistanceMeasurementEnabled);
}

bool CQmlSystemControl::autoFocusEnabled() const
{
    return read(m_facade, &Facade::autoFocusEnabled);
}

bool CQmlSystemControl::cameraPowerOnline() const
{
    return read(m_facade, &Facade::cameraPowerOnline);
}

bool CQmlSystemControl::pictureFlipEnabled() const
{
    return read(m_facade, &Facade::pictureFlipEnabled);
}

bool CQmlSystemControl::lightBoosterEnabled() const
{
    return read(m_facade, &Facade::lightBoosterEnabled);
}

bool CQmlSystemControl::pictureStabilizerEnabled() const
{
    return read(m_facade, &Facade::pictureStabilizerEnabled);
}

bool CQmlSystemControl::pictureEnhancementEnabled() const
{
    return read(m_facade, &Facade::pictureEnhancementEnabled);
}

bool CQmlSystemControl::defogModeEnabled() const
{
    return read(m_facade, &Facade::defogModeEnabled);
}

bool CQmlSystemControl::digitalZoomEnabled() const
{
    return read(m_facade, &Facade::digitalZoomEnabled);
}

bool CQmlSystemControl::aeAutoModeEnabled() const
{
    return read(m_facade, &Facade::aeAutoModeEnabled);
}

Ulx::SystemTypes::LocatorState CQmlSystemControl::locatorState() const
{
    return read(m_facade, &Facade::locatorState);
}

void CQmlSystemControl::setActiveCamera(Ulx::SystemTypes::Camera value)
{
    write(m_facade, &Facade::setActiveCamera, value);
}

void CQmlSystemControl::setDistanceCounter(double value)
{
    write(m_facade, &Facade::setDistanceCounter, value);
}

void CQmlSystemControl::setZoomSpeed(int value)
{
    write(m_facade, &Facade::setZoomSpeed, clampTo<qint8>(value));
}

void CQmlSystemControl::setFocusSpeed(int value)
{
    write(m_facade, &Facade::setFocusSpeed, clampTo<qint8>(value));
}

void CQmlSystemControl::setCameraTiltSpeed(int value)
{
    write(m_facade, &Facade::setCameraTiltSpeed, clampTo<qint8>(value));
}

void CQmlSystemControl::setCameraPanSpeed(int value)
{
    write(m_facade, &Facade::setCameraPanSpeed, clampTo<qint8>(value));
}

void CQmlSystemControl::setLightIntensity(int value)
{
    write(m_facade, &Facade::setLightIntensity, clampTo<quint8>(value));
}

void CQmlSystemControl::setZoomPosition(int value)
{
    write(m_facade, &Facade::setZoomPosition, clampTo<quint8>(value));
}

void CQmlSystemControl::setShutterPosition(int value)
{
    write(m_facade, &Facade::setShutterPosition, value);
}

void CQmlSystemControl::setCameraTiltPosition(int value)
{
    write(m_facade, &Facade::setCameraTiltPosition, clampTo<qint16>(value));
}

void CQmlSystemControl::setCameraPanPosition(int value)
{
    write(m_facade, &Facade::setCameraPanPosition, clampTo<qint16>(value));
}

void CQmlSystemControl::setDistanceLaserEnabled(bool value)
{
    write(m_facade, &Facade::setDistanceLaserEnabled, value);
}

void CQmlSystemControl::setCameraDistanceMeasurementEnabled(bool value)
{
    write(m_facade, &Facade::setCameraDistanceMeasurementEnabled, value);
}

void CQmlSystemControl::setAutoFocusEnabled(bool value)
{
    write(m_facade, &Facade::setAutoFocusEnabled, value);
}

void CQmlSystemControl::setCameraPowerOnline(bool value)
{
    write(m_facade, &Facade::setCameraPowerOnline, value);
}

void CQmlSystemControl::setPictureFlipEnabled(bool value)
{
    write(m_facade, &Facade::setPictureFlipEnabled, value);
}

void CQmlSystemControl::setLightBoosterEnabled(bool value)
{
    write(m_facade, &Facade::setLightBoosterEnabled, value);
}

void CQmlSystemControl::setPictureStabilizerEnabled(bool value)
{
    write(m_facade, &Facade::setPictureStabilizerEnabled, value);
}

void CQmlSystemControl::setPictureEnhancementEnabled(bool value)
{
    write(m_facade, &Facade::setPictureEnhancementEnabled, value);
}

void CQmlSystemControl::setDefogModeEnabled(bool value)
{
    write(m_facade, &Facade::setDefogModeEnabled, value);
}

void CQmlSystemControl::setDigitalZoomEnabled(bool value)
{
    write(m_facade, &Facade::setDigitalZoomEnabled, value);
}

void CQmlSystemControl::setAEAutoModeEnabled(bool value)
{
    write(m_facade, &Facade::setAEAutoModeEnabled, value);
}

void CQmlSystemControl::setLocatorState(Ulx::SystemTypes::LocatorState value)
{
    write(m_facade, &Facade::setLocatorState, value);
}

void CQmlSystemControl::stopMovement()
{
    if (m_facade)
        m_facade->stopMovement();
}
