#include "systemcontrol/CSystemCapsStorage.h"

#include "systemcontrol/StorageValueCompare.h"

namespace Ulx {
namespace SystemControl {

CSystemCapsStorage::CSystemCapsStorage()
    : QObject(nullptr)
{
}

CSystemCapsStorage::~CSystemCapsStorage() = default;

void CSystemCapsStorage::setCameraDistanceMeasurementRange(double cameraDistanceMeasurementRange)
{
    if (sameStoredValue(m_cameraDistanceMeasurementRange, cameraDistanceMeasurementRange))
        return;
    m_cameraDistanceMeasurementRange = cameraDistanceMeasurementRange;
    emit cameraDistanceMeasurementRangeChanged();
}

void CSystemCapsStorage::setLaserDistanceMeasurementRange(double laserDistanceMeasurementRange)
{
    if (sameStoredValue(m_laserDistanceMeasurementRange, laserDistanceMeasurementRange))
        return;
    m_laserDistanceMeasurementRange = laserDistanceMeasurementRange;
    emit laserDistanceMeasurementRangeChanged();
}

void CSystemCapsStorage::setCameraLightControlType(Ulx::SystemTypes::LightControlType cameraLightControlType)
{
    if (sameStoredValue(m_cameraLightControlType, cameraLightControlType))
        return;
    m_cameraLightControlType = cameraLightControlType;
    emit cameraLightControlTypeChanged();
}

void CSystemCapsStorage::setCameraPanAvailable(bool cameraPanAvailable)
{
    if (sameStoredValue(m_cameraPanAvailable, cameraPanAvailable))
        return;
    m_cameraPanAvailable = cameraPanAvailable;
    emit cameraPanAvailableChanged();
}

void CSystemCapsStorage::setCameraTiltAvailable(bool cameraTiltAvailable)
{
    if (sameStoredValue(m_cameraTiltAvailable, cameraTiltAvailable))
        return;
    m_cameraTiltAvailable = cameraTiltAvailable;
    emit cameraTiltAvailableChanged();
}

void CSystemCapsStorage::setInclinationSensorAvailable(bool inclinationSensorAvailable)
{
    if (sameStoredValue(m_inclinationSensorAvailable, inclinationSensorAvailable))
        return;
    m_inclinationSensorAvailable = inclinationSensorAvailable;
    emit inclinationSensorAvailableChanged();
}

void CSystemCapsStorage::setCamera1Available(bool camera1Available)
{
    if (sameStoredValue(m_camera1Available, camera1Available))
        return;
    m_camera1Available = camera1Available;
    emit camera1AvailableChanged();
}

void CSystemCapsStorage::setCamera2Available(bool camera2Available)
{
    if (sameStoredValue(m_camera2Available, camera2Available))
        return;
    m_camera2Available = camera2Available;
    emit camera2AvailableChanged();
}

void CSystemCapsStorage::setDistanceLaserAvailable(bool distanceLaserAvailable)
{
    if (sameStoredValue(m_distanceLaserAvailable, distanceLaserAvailable))
        return;
    m_distanceLaserAvailable = distanceLaserAvailable;
    emit distanceLaserAvailableChanged();
}

void CSystemCapsStorage::setCameraDistanceMeasurementAvailable(bool cameraDistanceMeasurementAvailable)
{
    if (sameStoredValue(m_cameraDistanceMeasurementAvailable, cameraDistanceMeasurementAvailable))
        return;
    m_cameraDistanceMeasurementAvailable = cameraDistanceMeasurementAvailable;
    emit cameraDistanceMeasurementAvailableChanged();
}

void CSystemCapsStorage::setCameraLightBoostAvailable(bool cameraLightBoostAvailable)
{
    if (sameStoredValue(m_cameraLightBoostAvailable, cameraLightBoostAvailable))
        return;
    m_cameraLightBoostAvailable = cameraLightBoostAvailable;
    emit cameraLightBoostAvailableChanged();
}

void CSystemCapsStorage::setErrorLoggingAvailable(bool errorLoggingAvailable)
{
    if (sameStoredValue(m_errorLoggingAvailable, errorLoggingAvailable))
        return;
    m_errorLoggingAvailable = errorLoggingAvailable;
    emit errorLoggingAvailableChanged();
}

void CSystemCapsStorage::setPictureEnhancementAvailable(bool pictureEnhancementAvailable)
{
    if (sameStoredValue(m_pictureEnhancementAvailable, pictureEnhancementAvailable))
        return;
    m_pictureEnhancementAvailable = pictureEnhancementAvailable;
    emit pictureEnhancementAvailableChanged();
}

void CSystemCapsStorage::setPictureDefogModeAvailable(bool pictureDefogModeAvailable)
{
    if (sameStoredValue(m_pictureDefogModeAvailable, pictureDefogModeAvailable))
        return;
    m_pictureDefogModeAvailable = pictureDefogModeAvailable;
    emit pictureDefogModeAvailableChanged();
}

void CSystemCapsStorage::setPictureFlipAvailable(bool pictureFlipAvailable)
{
    if (sameStoredValue(m_pictureFlipAvailable, pictureFlipAvailable))
        return;
    m_pictureFlipAvailable = pictureFlipAvailable;
    emit pictureFlipAvailableChanged();
}

void CSystemCapsStorage::setShutterAvailable(bool shutterAvailable)
{
    if (sameStoredValue(m_shutterAvailable, shutterAvailable))
        return;
    m_shutterAvailable = shutterAvailable;
    emit shutterAvailableChanged();
}

void CSystemCapsStorage::setCameraZoomAvailable(bool cameraZoomAvailable)
{
    if (sameStoredValue(m_cameraZoomAvailable, cameraZoomAvailable))
        return;
    m_cameraZoomAvailable = cameraZoomAvailable;
    emit cameraZoomAvailableChanged();
}

void CSystemCapsStorage::setCameraAutoFocusAvailable(bool cameraAutoFocusAvailable)
{
    if (sameStoredValue(m_cameraAutoFocusAvailable, cameraAutoFocusAvailable))
        return;
    m_cameraAutoFocusAvailable = cameraAutoFocusAvailable;
    emit cameraAutoFocusAvailableChanged();
}

void CSystemCapsStorage::setCameraManualFocusAvailable(bool cameraManualFocusAvailable)
{
    if (sameStoredValue(m_cameraManualFocusAvailable, cameraManualFocusAvailable))
        return;
    m_cameraManualFocusAvailable = cameraManualFocusAvailable;
    emit cameraManualFocusAvailableChanged();
}

void CSystemCapsStorage::setDistanceCounterAvailable(bool distanceCounterAvailable)
{
    if (sameStoredValue(m_distanceCounterAvailable, distanceCounterAvailable))
        return;
    m_distanceCounterAvailable = distanceCounterAvailable;
    emit distanceCounterAvailableChanged();
}

void CSystemCapsStorage::setLocator512HzAvailable(bool locator512HzAvailable)
{
    if (sameStoredValue(m_locator512HzAvailable, locator512HzAvailable))
        return;
    m_locator512HzAvailable = locator512HzAvailable;
    emit locator512HzAvailableChanged();
}

void CSystemCapsStorage::setLocator640HzAvailable(bool locator640HzAvailable)
{
    if (sameStoredValue(m_locator640HzAvailable, locator640HzAvailable))
        return;
    m_locator640HzAvailable = locator640HzAvailable;
    emit locator640HzAvailableChanged();
}

void CSystemCapsStorage::setLocator33kHzAvailable(bool locator33kHzAvailable)
{
    if (sameStoredValue(m_locator33kHzAvailable, locator33kHzAvailable))
        return;
    m_locator33kHzAvailable = locator33kHzAvailable;
    emit locator33kHzAvailableChanged();
}

void CSystemCapsStorage::setRemoteShutdownAvailable(bool remoteShutdownAvailable)
{
    if (sameStoredValue(m_remoteShutdownAvailable, remoteShutdownAvailable))
        return;
    m_remoteShutdownAvailable = remoteShutdownAvailable;
    emit remoteShutdownAvailableChanged();
}

void CSystemCapsStorage::reset()
{
    setCameraTiltAvailable(false);
    setCameraPanAvailable(false);
    setCameraLightControlType(Ulx::SystemTypes::LightControlTypeNone);
    setInclinationSensorAvailable(false);
    setCamera1Available(false);
    setCamera2Available(false);
    setDistanceLaserAvailable(false);
    setCameraDistanceMeasurementAvailable(false);
    setCameraDistanceMeasurementRange(0.0);
    setLaserDistanceMeasurementRange(0.0);
    setCameraLightBoostAvailable(false);
    setErrorLoggingAvailable(false);
    setPictureEnhancementAvailable(false);
    setPictureDefogModeAvailable(false);
    setPictureFlipAvailable(false);
    setShutterAvailable(false);
    setCameraZoomAvailable(false);
    setCameraAutoFocusAvailable(false);
    setCameraManualFocusAvailable(false);
    setDistanceCounterAvailable(false);
    setLocator33kHzAvailable(false);
    setLocator512HzAvailable(false);
    setLocator640HzAvailable(false);
    setRemoteShutdownAvailable(false);
}

} // namespace SystemControl
} // namespace Ulx
