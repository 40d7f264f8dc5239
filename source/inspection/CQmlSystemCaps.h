#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace SystemControl {
class CSystemCaps;
} // namespace SystemControl
} // namespace Ulx

// What the connected system can do, for QML. Holds only the (not owned) facade; the namespace
// object that made it deletes it. GUI thread.
class CQmlSystemCaps : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::SystemTypes::LightControlType cameraLightControlType READ cameraLightControlType NOTIFY
            cameraLightControlTypeChanged)
    Q_PROPERTY(double cameraDistanceMeasurementRange READ cameraDistanceMeasurementRange NOTIFY
            cameraDistanceMeasurementRangeChanged)
    Q_PROPERTY(double laserDistanceMeasurementRange READ laserDistanceMeasurementRange NOTIFY
            laserDistanceMeasurementRangeChanged)
    Q_PROPERTY(bool cameraTiltAvailable READ cameraTiltAvailable NOTIFY cameraTiltAvailableChanged)
    Q_PROPERTY(bool cameraPanAvailable READ cameraPanAvailable NOTIFY cameraPanAvailableChanged)
    Q_PROPERTY(bool inclinationSensorAvailable READ inclinationSensorAvailable NOTIFY inclinationSensorAvailableChanged)
    Q_PROPERTY(bool camera1Available READ camera1Available NOTIFY camera1AvailableChanged)
    Q_PROPERTY(bool camera2Available READ camera2Available NOTIFY camera2AvailableChanged)
    Q_PROPERTY(bool distanceLaserAvailable READ distanceLaserAvailable NOTIFY distanceLaserAvailableChanged)
    Q_PROPERTY(bool cameraDistanceMeasurementAvailable READ cameraDistanceMeasurementAvailable NOTIFY
            cameraDistanceMeasurementAvailableChanged)
    Q_PROPERTY(bool cameraLightBoostAvailable READ cameraLightBoostAvailable NOTIFY cameraLightBoostAvailableChanged)
    Q_PROPERTY(bool errorLoggingAvailable READ errorLoggingAvailable NOTIFY errorLoggingAvailableChanged)
    Q_PROPERTY(
        bool pictureEnhancementAvailable READ pictureEnhancementAvailable NOTIFY pictureEnhancementAvailableChanged)
    Q_PROPERTY(bool pictureDefogModeAvailable READ pictureDefogModeAvailable NOTIFY pictureDefogModeAvailableChanged)
    Q_PROPERTY(bool pictureFlipAvailable READ pictureFlipAvailable NOTIFY pictureFlipAvailableChanged)
    Q_PROPERTY(bool shutterAvailable READ shutterAvailable NOTIFY shutterAvailableChanged)
    Q_PROPERTY(bool distanceCounterAvailable READ distanceCounterAvailable NOTIFY distanceCounterAvailableChanged)
    Q_PROPERTY(bool locator512HzAvailable READ locator512HzAvailable NOTIFY locator512HzAvailableChanged)
    Q_PROPERTY(bool locator640HzAvailable READ locator640HzAvailable NOTIFY locator640HzAvailableChanged)
    Q_PROPERTY(bool locator33kHzAvailable READ locator33kHzAvailable NOTIFY locator33kHzAvailableChanged)
    Q_PROPERTY(bool cameraZoomAvailable READ cameraZoomAvailable NOTIFY cameraZoomAvailableChanged)
    Q_PROPERTY(bool remoteShutdownAvailable READ remoteShutdownAvailable NOTIFY remoteShutdownAvailableChanged)

public:
    explicit CQmlSystemCaps(Ulx::SystemControl::CSystemCaps* facade);
    ~CQmlSystemCaps() override;

    Ulx::SystemTypes::LightControlType cameraLightControlType() const;
    double cameraDistanceMeasurementRange() const;
    double laserDistanceMeasurementRange() const;
    bool cameraTiltAvailable() const;
    bool cameraPanAvailable() const;
    bool inclinationSensorAvailable() const;
    bool camera1Available() const;
    bool camera2Available() const;
    bool distanceLaserAvailable() const;
    bool cameraDistanceMeasurementAvailable() const;
    bool cameraLightBoostAvailable() const;
    bool errorLoggingAvailable() const;
    bool pictureEnhancementAvailable() const;
    bool pictureDefogModeAvailable() const;
    bool pictureFlipAvailable() const;
    bool shutterAvailable() const;
    bool distanceCounterAvailable() const;
    bool locator512HzAvailable() const;
    bool locator640HzAvailable() const;
    bool locator33kHzAvailable() const;
    bool cameraZoomAvailable() const;
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
    void pictureFlipAvailableChanged();
    void shutterAvailableChanged();
    void cameraZoomAvailableChanged();
    void cameraAutoFocusAvailableChanged();
    void cameraManualFocusAvailableChanged();
    void distanceCounterAvailableChanged();
    void locator512HzAvailableChanged();
    void locator640HzAvailableChanged();
    void locator33kHzAvailableChanged();
    void remoteShutdownAvailableChanged();

private:
    QPointer<Ulx::SystemControl::CSystemCaps> m_facade;
};
