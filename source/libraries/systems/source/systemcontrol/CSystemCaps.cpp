#include "systemcontrol/CSystemCaps.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "systemcontrol/CSystemCapsStorage.h"

namespace Ulx {
namespace SystemControl {

namespace {

CSystemCapsStorage* capsStorage()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->systemCapsStorage() : nullptr;
}

} // namespace

CSystemCaps::CSystemCaps()
    : QObject(nullptr)
{
    CSystemCapsStorage* storage = capsStorage();
    if (!storage)
        return;
    connect(storage, &CSystemCapsStorage::cameraTiltAvailableChanged, this, &CSystemCaps::cameraTiltAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraPanAvailableChanged, this, &CSystemCaps::cameraPanAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraLightControlTypeChanged, this, &CSystemCaps::cameraLightControlTypeChanged);
    connect(storage, &CSystemCapsStorage::inclinationSensorAvailableChanged, this, &CSystemCaps::inclinationSensorAvailableChanged);
    connect(storage, &CSystemCapsStorage::camera1AvailableChanged, this, &CSystemCaps::camera1AvailableChanged);
    connect(storage, &CSystemCapsStorage::camera2AvailableChanged, this, &CSystemCaps::camera2AvailableChanged);
    connect(storage, &CSystemCapsStorage::distanceLaserAvailableChanged, this, &CSystemCaps::distanceLaserAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraDistanceMeasurementAvailableChanged, this, &CSystemCaps::cameraDistanceMeasurementAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraDistanceMeasurementRangeChanged, this, &CSystemCaps::cameraDistanceMeasurementRangeChanged);
    connect(storage, &CSystemCapsStorage::laserDistanceMeasurementRangeChanged, this, &CSystemCaps::laserDistanceMeasurementRangeChanged);
    connect(storage, &CSystemCapsStorage::cameraLightBoostAvailableChanged, this, &CSystemCaps::cameraLightBoostAvailableChanged);
    connect(storage, &CSystemCapsStorage::errorLoggingAvailableChanged, this, &CSystemCaps::errorLoggingAvailableChanged);
    connect(storage, &CSystemCapsStorage::pictureEnhancementAvailableChanged, this, &CSystemCaps::pictureEnhancementAvailableChanged);
    connect(storage, &CSystemCapsStorage::pictureDefogModeAvailableChanged, this, &CSystemCaps::pictureDefogModeAvailableChanged);
    connect(storage, &CSystemCapsStorage::pictureFlipAvailableChanged, this, &CSystemCaps::pictureFlipAvailableChanged);
    connect(storage, &CSystemCapsStorage::shutterAvailableChanged, this, &CSystemCaps::shutterAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraZoomAvailableChanged, this, &CSystemCaps::cameraZoomAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraAutoFocusAvailableChanged, this, &CSystemCaps::cameraAutoFocusAvailableChanged);
    connect(storage, &CSystemCapsStorage::cameraManualFocusAvailableChanged, this, &CSystemCaps::cameraManualFocusAvailableChanged);
    connect(storage, &CSystemCapsStorage::distanceCounterAvailableChanged, this, &CSystemCaps::distanceCounterAvailableChanged);
    connect(storage, &CSystemCapsStorage::locator512HzAvailableChanged, this, &CSystemCaps::locator512HzAvailableChanged);
    connect(storage, &CSystemCapsStorage::locator640HzAvailableChanged, this, &CSystemCaps::locator640HzAvailableChanged);
    connect(storage, &CSystemCapsStorage::locator33kHzAvailableChanged, this, &CSystemCaps::locator33kHzAvailableChanged);
    connect(storage, &CSystemCapsStorage::remoteShutdownAvailableChanged, this, &CSystemCaps::remoteShutdownAvailableChanged);
}

CSystemCaps::~CSystemCaps() = default;

bool CSystemCaps::cameraTiltAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraTiltAvailable() : false;
}

bool CSystemCaps::cameraPanAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraPanAvailable() : false;
}

Ulx::SystemTypes::LightControlType CSystemCaps::cameraLightControlType() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraLightControlType() : Ulx::SystemTypes::LightControlType();
}

bool CSystemCaps::inclinationSensorAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->inclinationSensorAvailable() : false;
}

bool CSystemCaps::camera1Available() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->camera1Available() : false;
}

bool CSystemCaps::camera2Available() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->camera2Available() : false;
}

bool CSystemCaps::distanceLaserAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->distanceLaserAvailable() : false;
}

bool CSystemCaps::cameraDistanceMeasurementAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraDistanceMeasurementAvailable() : false;
}

double CSystemCaps::cameraDistanceMeasurementRange() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraDistanceMeasurementRange() : 0.0;
}

double CSystemCaps::laserDistanceMeasurementRange() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->laserDistanceMeasurementRange() : 0.0;
}

bool CSystemCaps::cameraLightBoostAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraLightBoostAvailable() : false;
}

bool CSystemCaps::errorLoggingAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->errorLoggingAvailable() : false;
}

bool CSystemCaps::pictureEnhancementAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->pictureEnhancementAvailable() : false;
}

bool CSystemCaps::pictureDefogModeAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->pictureDefogModeAvailable() : false;
}

bool CSystemCaps::pictureFlipAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->pictureFlipAvailable() : false;
}

bool CSystemCaps::shutterAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->shutterAvailable() : false;
}

bool CSystemCaps::cameraZoomAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraZoomAvailable() : false;
}

bool CSystemCaps::cameraAutoFocusAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraAutoFocusAvailable() : false;
}

bool CSystemCaps::cameraManualFocusAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->cameraManualFocusAvailable() : false;
}

bool CSystemCaps::distanceCounterAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->distanceCounterAvailable() : false;
}

bool CSystemCaps::locator512HzAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->locator512HzAvailable() : false;
}

bool CSystemCaps::locator640HzAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->locator640HzAvailable() : false;
}

bool CSystemCaps::locator33kHzAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->locator33kHzAvailable() : false;
}

bool CSystemCaps::remoteShutdownAvailable() const
{
    const CSystemCapsStorage* storage = capsStorage();
    return storage ? storage->remoteShutdownAvailable() : false;
}

} // namespace SystemControl
} // namespace Ulx
