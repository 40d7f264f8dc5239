#include "systemcontrol/CSystemControl.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/ControlCommandRunner.h"

namespace Ulx {
namespace SystemControl {

namespace {

CSystemDataStorage* dataStorage()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->systemDataStorage() : nullptr;
}

bool laserEnabled(SystemTypes::DistanceLaserState state)
{
    return state == SystemTypes::DistanceLaserStateOn || state == SystemTypes::DistanceLaserStatePoweringOn;
}

} // namespace

CSystemControl::CSystemControl()
    : QObject(nullptr)
{
    CSystemDataStorage* storage = dataStorage();
    if (!storage)
        return;
    connect(storage, &CSystemDataStorage::autoFocusEnabledChanged, this, &CSystemControl::autoFocusEnabledChanged);
    connect(storage, &CSystemDataStorage::zoomSpeedChanged, this, &CSystemControl::zoomSpeedChanged);
    connect(storage, &CSystemDataStorage::zoomPositionChanged, this, &CSystemControl::zoomPositionChanged);
    connect(storage, &CSystemDataStorage::focusSpeedChanged, this, &CSystemControl::focusSpeedChanged);
    connect(storage, &CSystemDataStorage::cameraTiltSpeedChanged, this, &CSystemControl::cameraTiltSpeedChanged);
    connect(storage, &CSystemDataStorage::cameraPanSpeedChanged, this, &CSystemControl::cameraPanSpeedChanged);
    connect(storage, &CSystemDataStorage::lightIntensityChanged, this, &CSystemControl::lightIntensityChanged);
    connect(storage, &CSystemDataStorage::activeCameraChanged, this, &CSystemControl::activeCameraChanged);
    connect(storage, &CSystemDataStorage::distanceLaserStateChanged, this, &CSystemControl::distanceLaserEnabledChanged);
    connect(storage, &CSystemDataStorage::cameraDistanceMeasurementEnabledChanged, this, &CSystemControl::cameraDistanceMeasurementEnabledChanged);
    connect(storage, &CSystemDataStorage::cameraPowerOnlineChanged, this, &CSystemControl::cameraPowerOnlineChanged);
    connect(storage, &CSystemDataStorage::digitalZoomEnabledChanged, this, &CSystemControl::digitalZoomEnabledChanged);
    connect(storage, &CSystemDataStorage::aeAutoModeEnabledChanged, this, &CSystemControl::aeAutoModeEnabledChanged);
    connect(storage, &CSystemDataStorage::defogModeEnabledChanged, this, &CSystemControl::defogModeEnabledChanged);
    connect(storage, &CSystemDataStorage::pictureFlipEnabledChanged, this, &CSystemControl::pictureFlipEnabledChanged);
    connect(storage, &CSystemDataStorage::pictureStabilizerEnabledChanged, this, &CSystemControl::pictureStabilizerEnabledChanged);
    connect(storage, &CSystemDataStorage::pictureEnhancementEnabledChanged, this, &CSystemControl::pictureEnhancementEnabledChanged);
    connect(storage, &CSystemDataStorage::lightBoosterEnabledChanged, this, &CSystemControl::lightBoosterEnabledChanged);
    connect(storage, &CSystemDataStorage::shutterPositionChanged, this, &CSystemControl::shutterPositionChanged);
    connect(storage, &CSystemDataStorage::cameraTiltPositionChanged, this, &CSystemControl::cameraTiltPositionChanged);
    connect(storage, &CSystemDataStorage::cameraPanPositionChanged, this, &CSystemControl::cameraPanPositionChanged);
    connect(storage, &CSystemDataStorage::distanceCounterChanged, this, &CSystemControl::distanceCounterChanged);
    connect(storage, &CSystemDataStorage::locatorStateChanged, this, &CSystemControl::locatorStateChanged);
}

CSystemControl::~CSystemControl() = default;

bool CSystemControl::autoFocusEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->autoFocusEnabled() : false;
}

qint8 CSystemControl::zoomSpeed() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->zoomSpeed() : qint8();
}

quint8 CSystemControl::zoomPosition() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->zoomPosition() : quint8();
}

qint8 CSystemControl::focusSpeed() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->focusSpeed() : qint8();
}

qint8 CSystemControl::cameraTiltSpeed() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraTiltSpeed() : qint8();
}

qint8 CSystemControl::cameraPanSpeed() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPanSpeed() : qint8();
}

quint8 CSystemControl::lightIntensity() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->lightIntensity() : quint8();
}

Ulx::SystemTypes::Camera CSystemControl::activeCamera() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->activeCamera() : Ulx::SystemTypes::Camera();
}

bool CSystemControl::distanceLaserEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage && laserEnabled(storage->distanceLaserState());
}

bool CSystemControl::cameraDistanceMeasurementEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraDistanceMeasurementEnabled() : false;
}

bool CSystemControl::cameraPowerOnline() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPowerOnline() : false;
}

bool CSystemControl::digitalZoomEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->digitalZoomEnabled() : false;
}

bool CSystemControl::aeAutoModeEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->aeAutoModeEnabled() : false;
}

bool CSystemControl::defogModeEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->defogModeEnabled() : false;
}

bool CSystemControl::pictureFlipEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->pictureFlipEnabled() : false;
}

bool CSystemControl::pictureStabilizerEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->pictureStabilizerEnabled() : false;
}

bool CSystemControl::pictureEnhancementEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->pictureEnhancementEnabled() : false;
}

bool CSystemControl::lightBoosterEnabled() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->lightBoosterEnabled() : false;
}

int CSystemControl::shutterPosition() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->shutterPosition() : int();
}

qint16 CSystemControl::cameraTiltPosition() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraTiltPosition() : qint16();
}

qint16 CSystemControl::cameraPanPosition() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->cameraPanPosition() : qint16();
}

double CSystemControl::distanceCounter() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->distanceCounter() : 0.0;
}

Ulx::SystemTypes::LocatorState CSystemControl::locatorState() const
{
    const CSystemDataStorage* storage = dataStorage();
    return storage ? storage->locatorState() : Ulx::SystemTypes::LocatorState();
}

void CSystemControl::setAutoFocusEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetAutoFocusEnabledCommand(value); });
}

void CSystemControl::setZoomSpeed(signed char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetZoomSpeedCommand(value); });
}

void CSystemControl::setZoomPosition(unsigned char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetZoomPositionCommand(value); });
}

void CSystemControl::setFocusSpeed(signed char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetFocusSpeedCommand(value); });
}

void CSystemControl::setCameraTiltSpeed(signed char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraTiltSpeedCommand(value); });
}

void CSystemControl::setCameraPanSpeed(signed char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraPanSpeedCommand(value); });
}

void CSystemControl::setLightIntensity(unsigned char value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetLightIntensityCommand(value); });
}

void CSystemControl::setActiveCamera(Ulx::SystemTypes::Camera value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetActiveCameraCommand(value); });
}

void CSystemControl::setDistanceLaserEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetDistanceLaserEnabledCommand(value); });
}

void CSystemControl::setCameraDistanceMeasurementEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraDistanceMeasurementEnabledCommand(value); });
}

void CSystemControl::setCameraPowerOnline(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraPowerOnlineCommand(value); });
}

void CSystemControl::setDigitalZoomEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetDigitalZoomEnabledCommand(value); });
}

void CSystemControl::setAEAutoModeEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetAEAutoModeEnabledCommand(value); });
}

void CSystemControl::setDefogModeEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetDefogModeEnabledCommand(value); });
}

void CSystemControl::setPictureFlipEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetPictureFlipEnabledCommand(value); });
}

void CSystemControl::setPictureStabilizerEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetPictureStabilizerEnabledCommand(value); });
}

void CSystemControl::setPictureEnhancementEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetPictureEnhancementEnabledCommand(value); });
}

void CSystemControl::setLightBoosterEnabled(bool value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetLightBoosterEnabledCommand(value); });
}

void CSystemControl::setShutterPosition(int value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetShutterPositionCommand(value); });
}

void CSystemControl::setCameraTiltPosition(short value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraTiltPositionCommand(value); });
}

void CSystemControl::setCameraPanPosition(short value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetCameraPanPositionCommand(value); });
}

void CSystemControl::setDistanceCounter(double value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetDistanceCounterCommand(value); });
}

void CSystemControl::setLocatorState(Ulx::SystemTypes::LocatorState value)
{
    runControlCommand([value](CAbstractCommandFactory& factory) { return factory.createSetLocatorStateCommand(value); });
}

void CSystemControl::stopMovement()
{
    runControlCommand([](CAbstractCommandFactory& factory) { return factory.createStopMovementCommand(); });
}

} // namespace SystemControl
} // namespace Ulx
