#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>

namespace Ulx {
namespace SystemControl {

// What the connected system can do, read from the capability storage on every call. Holds no
// state; its signals relay the storage's. Made and owned by the systems library.
class CSystemCaps : public QObject
{
    Q_OBJECT

public:
    CSystemCaps();
    ~CSystemCaps() override;

    bool cameraTiltAvailable() const;
    bool cameraPanAvailable() const;
    Ulx::SystemTypes::LightControlType cameraLightControlType() const;
    bool inclinationSensorAvailable() const;
    bool camera1Available() const;
    bool camera2Available() const;
    bool distanceLaserAvailable() const;
    bool cameraDistanceMeasurementAvailable() const;
    double cameraDistanceMeasurementRange() const;
    double laserDistanceMeasurementRange() const;
    bool cameraLightBoostAvailable() const;
    bool errorLoggingAvailable() const;
    bool pictureEnhancementAvailable() const;
    bool pictureDefogModeAvailable() const;
    bool pictureFlipAvailable() const;
    bool shutterAvailable() const;
    bool cameraZoomAvailable() const;
    bool cameraAutoFocusAvailable() const;
    bool cameraManualFocusAvailable() const;
    bool distanceCounterAvailable() const;
    bool locator512HzAvailable() const;
    bool locator640HzAvailable() const;
    bool locator33kHzAvailable() const;
    bool remoteShutdownAvailable() const;

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
};

} // namespace SystemControl
} // namespace Ulx
