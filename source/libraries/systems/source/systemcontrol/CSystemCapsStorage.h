#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace SystemControl {

// What the connected system can do. Written by the family logics, read by the facades; one
// instance, owned by the systems library, lives as long as the library. GUI thread only.
class CSystemCapsStorage : public QObject
{
    Q_OBJECT

public:
    CSystemCapsStorage();
    ~CSystemCapsStorage() override;

    double cameraDistanceMeasurementRange() const { return m_cameraDistanceMeasurementRange; }
    double laserDistanceMeasurementRange() const { return m_laserDistanceMeasurementRange; }
    Ulx::SystemTypes::LightControlType cameraLightControlType() const { return m_cameraLightControlType; }
    bool cameraPanAvailable() const { return m_cameraPanAvailable; }
    bool cameraTiltAvailable() const { return m_cameraTiltAvailable; }
    bool inclinationSensorAvailable() const { return m_inclinationSensorAvailable; }
    bool camera1Available() const { return m_camera1Available; }
    bool camera2Available() const { return m_camera2Available; }
    bool distanceLaserAvailable() const { return m_distanceLaserAvailable; }
    bool cameraDistanceMeasurementAvailable() const { return m_cameraDistanceMeasurementAvailable; }
    bool cameraLightBoostAvailable() const { return m_cameraLightBoostAvailable; }
    bool errorLoggingAvailable() const { return m_errorLoggingAvailable; }
    bool pictureEnhancementAvailable() const { return m_pictureEnhancementAvailable; }
    bool pictureDefogModeAvailable() const { return m_pictureDefogModeAvailable; }
    bool pictureFlipAvailable() const { return m_pictureFlipAvailable; }
    bool shutterAvailable() const { return m_shutterAvailable; }
    bool cameraZoomAvailable() const { return m_cameraZoomAvailable; }
    bool cameraAutoFocusAvailable() const { return m_cameraAutoFocusAvailable; }
    bool cameraManualFocusAvailable() const { return m_cameraManualFocusAvailable; }
    bool distanceCounterAvailable() const { return m_distanceCounterAvailable; }
    bool locator512HzAvailable() const { return m_locator512HzAvailable; }
    bool locator640HzAvailable() const { return m_locator640HzAvailable; }
    bool locator33kHzAvailable() const { return m_locator33kHzAvailable; }
    bool remoteShutdownAvailable() const { return m_remoteShutdownAvailable; }

    void setCameraDistanceMeasurementRange(double cameraDistanceMeasurementRange);
    void setLaserDistanceMeasurementRange(double laserDistanceMeasurementRange);
    void setCameraLightControlType(Ulx::SystemTypes::LightControlType cameraLightControlType);
    void setCameraPanAvailable(bool cameraPanAvailable);
    void setCameraTiltAvailable(bool cameraTiltAvailable);
    void setInclinationSensorAvailable(bool inclinationSensorAvailable);
    void setCamera1Available(bool camera1Available);
    void setCamera2Available(bool camera2Available);
    void setDistanceLaserAvailable(bool distanceLaserAvailable);
    void setCameraDistanceMeasurementAvailable(bool cameraDistanceMeasurementAvailable);
    void setCameraLightBoostAvailable(bool cameraLightBoostAvailable);
    void setErrorLoggingAvailable(bool errorLoggingAvailable);
    void setPictureEnhancementAvailable(bool pictureEnhancementAvailable);
    void setPictureDefogModeAvailable(bool pictureDefogModeAvailable);
    void setPictureFlipAvailable(bool pictureFlipAvailable);
    void setShutterAvailable(bool shutterAvailable);
    void setCameraZoomAvailable(bool cameraZoomAvailable);
    void setCameraAutoFocusAvailable(bool cameraAutoFocusAvailable);
    void setCameraManualFocusAvailable(bool cameraManualFocusAvailable);
    void setDistanceCounterAvailable(bool distanceCounterAvailable);
    void setLocator512HzAvailable(bool locator512HzAvailable);
    void setLocator640HzAvailable(bool locator640HzAvailable);
    void setLocator33kHzAvailable(bool locator33kHzAvailable);
    void setRemoteShutdownAvailable(bool remoteShutdownAvailable);

    // Every value back to its default, in a fixed order, signalling where a value changed.
    void reset();

signals:
    void cameraTiltAvailableChanged();
    void cameraPanAvailableChanged();
    void cameraLightControlTypeChanged();
    void inclinationSensorAvailableChanged();
    void camera1AvailableChanged();
    void camera2AvailableChanged();
    void distanceLaserAvailableChanged();
    void cameraDistanceMeasurementAvailableChanged();
    void cameraDistanceMeasurementRangeChanged();
    void laserDistanceMeasurementRangeChanged();
    void cameraLightBoostAvailableChanged();
    void errorLoggingAvailableChanged();
    void pictureEnhancementAvailableChanged();
    void pictureDefogModeAvailableChanged();
    void distanceCounterAvailableChanged();
    void locator512HzAvailableChanged();
    void locator640HzAvailableChanged();
    void locator33kHzAvailableChanged();
    void pictureFlipAvailableChanged();
    void shutterAvailableChanged();
    void cameraZoomAvailableChanged();
    void cameraAutoFocusAvailableChanged();
    void cameraManualFocusAvailableChanged();
    void remoteShutdownAvailableChanged();

private:
    double m_cameraDistanceMeasurementRange = 0.0;
    double m_laserDistanceMeasurementRange = 0.0;
    Ulx::SystemTypes::LightControlType m_cameraLightControlType = Ulx::SystemTypes::LightControlTypeNone;
    bool m_cameraPanAvailable = false;
    bool m_cameraTiltAvailable = false;
    bool m_inclinationSensorAvailable = false;
    bool m_camera1Available = false;
    bool m_camera2Available = false;
    bool m_distanceLaserAvailable = false;
    bool m_cameraDistanceMeasurementAvailable = false;
    bool m_cameraLightBoostAvailable = false;
    bool m_errorLoggingAvailable = false;
    bool m_pictureEnhancementAvailable = false;
    bool m_pictureDefogModeAvailable = false;
    bool m_pictureFlipAvailable = false;
    bool m_shutterAvailable = false;
    bool m_cameraZoomAvailable = false;
    bool m_cameraAutoFocusAvailable = false;
    bool m_cameraManualFocusAvailable = false;
    bool m_distanceCounterAvailable = false;
    bool m_locator512HzAvailable = false;
    bool m_locator640HzAvailable = false;
    bool m_locator33kHzAvailable = false;
    bool m_remoteShutdownAvailable = false;
};

} // namespace SystemControl
} // namespace Ulx
