#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace SystemControl {
class CSystemControl;
} // namespace SystemControl
} // namespace Ulx

// The control settings of the connected system, for QML. Writes go to the facade, which runs a
// command; the value changes when the system reports it. Holds only the (not owned) facade; the
// namespace object that made it deletes it. GUI thread.
class CQmlSystemControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::SystemTypes::Camera activeCamera READ activeCamera WRITE setActiveCamera NOTIFY activeCameraChanged)
    Q_PROPERTY(double distanceCounter READ distanceCounter WRITE setDistanceCounter NOTIFY distanceCounterChanged)
    Q_PROPERTY(int zoomSpeed READ zoomSpeed WRITE setZoomSpeed NOTIFY zoomSpeedChanged)
    Q_PROPERTY(int focusSpeed READ focusSpeed WRITE setFocusSpeed NOTIFY focusSpeedChanged)
    Q_PROPERTY(int cameraTiltSpeed READ cameraTiltSpeed WRITE setCameraTiltSpeed NOTIFY cameraTiltSpeedChanged)
    Q_PROPERTY(int cameraPanSpeed READ cameraPanSpeed WRITE setCameraPanSpeed NOTIFY cameraPanSpeedChanged)
    Q_PROPERTY(int lightIntensity READ lightIntensity WRITE setLightIntensity NOTIFY lightIntensityChanged)
    Q_PROPERTY(int zoomPosition READ zoomPosition WRITE setZoomPosition NOTIFY zoomPositionChanged)
    Q_PROPERTY(int shutterPosition READ shutterPosition WRITE setShutterPosition NOTIFY shutterPositionChanged)
    Q_PROPERTY(
        int cameraTiltPosition READ cameraTiltPosition WRITE setCameraTiltPosition NOTIFY cameraTiltPositionChanged)
    Q_PROPERTY(int cameraPanPosition READ cameraPanPosition WRITE setCameraPanPosition NOTIFY cameraPanPositionChanged)
    Q_PROPERTY(bool distanceLaserEnabled READ distanceLaserEnabled WRITE setDistanceLaserEnabled NOTIFY
            distanceLaserEnabledChanged)
    Q_PROPERTY(bool cameraDistanceMeasurementEnabled READ cameraDistanceMeasurementEnabled WRITE
            setCameraDistanceMeasurementEnabled NOTIFY cameraDistanceMeasurementEnabledChanged)
    Q_PROPERTY(bool autoFocusEnabled READ autoFocusEnabled WRITE setAutoFocusEnabled NOTIFY autoFocusEnabledChanged)
    Q_PROPERTY(bool cameraPowerOnline READ cameraPowerOnline WRITE setCameraPowerOnline NOTIFY cameraPowerOnlineChanged)
    Q_PROPERTY(
        bool pictureFlipEnabled READ pictureFlipEnabled WRITE setPictureFlipEnabled NOTIFY pictureFlipEnabledChanged)
    Q_PROPERTY(bool lightBoosterEnabled READ lightBoosterEnabled WRITE setLightBoosterEnabled NOTIFY
            lightBoosterEnabledChanged)
    Q_PROPERTY(bool pictureStabilizerEnabled READ pictureStabilizerEnabled WRITE setPictureStabilizerEnabled NOTIFY
            pictureStabilizerEnabledChanged)
    Q_PROPERTY(bool pictureEnhancementEnabled READ pictureEnhancementEnabled WRITE setPictureEnhancementEnabled NOTIFY
            pictureEnhancementEnabledChanged)
    Q_PROPERTY(bool defogModeEnabled READ defogModeEnabled WRITE setDefogModeEnabled NOTIFY defogModeEnabledChanged)
    Q_PROPERTY(
        bool digitalZoomEnabled READ digitalZoomEnabled WRITE setDigitalZoomEnabled NOTIFY digitalZoomEnabledChanged)
    Q_PROPERTY(bool aeAutoModeEnabled READ aeAutoModeEnabled WRITE setAEAutoModeEnabled NOTIFY aeAutoModeEnabledChanged)
    Q_PROPERTY(
        Ulx::SystemTypes::LocatorState locatorState READ locatorState WRITE setLocatorState NOTIFY locatorStateChanged)

public:
    explicit CQmlSystemControl(Ulx::SystemControl::CSystemControl* facade);
    ~CQmlSystemControl() override;

    Ulx::SystemTypes::Camera activeCamera() const;
    double distanceCounter() const;
    int zoomSpeed() const;
    int focusSpeed() const;
    int cameraTiltSpeed() const;
    int cameraPanSpeed() const;
    int lightIntensity() const;
    int zoomPosition() const;
    int shutterPosition() const;
    int cameraTiltPosition() const;
    int cameraPanPosition() const;
    bool distanceLaserEnabled() const;
    bool cameraDistanceMeasurementEnabled() const;
    bool autoFocusEnabled() const;
    bool cameraPowerOnline() const;
    bool pictureFlipEnabled() const;
    bool lightBoosterEnabled() const;
    bool pictureStabilizerEnabled() const;
    bool pictureEnhancementEnabled() const;
    bool defogModeEnabled() const;
    bool digitalZoomEnabled() const;
    bool aeAutoModeEnabled() const;
    Ulx::SystemTypes::LocatorState locatorState() const;
    void setActiveCamera(Ulx::SystemTypes::Camera value);
    void setDistanceCounter(double value);
    void setZoomSpeed(int value);
    void setFocusSpeed(int value);
    void setCameraTiltSpeed(int value);
    void setCameraPanSpeed(int value);
    void setLightIntensity(int value);
    void setZoomPosition(int value);
    void setShutterPosition(int value);
    void setCameraTiltPosition(int value);
    void setCameraPanPosition(int value);
    void setDistanceLaserEnabled(bool value);
    void setCameraDistanceMeasurementEnabled(bool value);
    void setAutoFocusEnabled(bool value);
    void setCameraPowerOnline(bool value);
    void setPictureFlipEnabled(bool value);
    void setLightBoosterEnabled(bool value);
    void setPictureStabilizerEnabled(bool value);
    void setPictureEnhancementEnabled(bool value);
    void setDefogModeEnabled(bool value);
    void setDigitalZoomEnabled(bool value);
    void setAEAutoModeEnabled(bool value);
    void setLocatorState(Ulx::SystemTypes::LocatorState value);

    Q_INVOKABLE void stopMovement();

signals:
    void autoFocusEnabledChanged();
    void zoomSpeedChanged();
    void zoomPositionChanged();
    void focusSpeedChanged();
    void cameraTiltSpeedChanged();
    void cameraPanSpeedChanged();
    void lightIntensityChanged();
    void activeCameraChanged();
    void distanceLaserEnabledChanged();
    void cameraDistanceMeasurementEnabledChanged();
    void cameraPowerOnlineChanged();
    void digitalZoomEnabledChanged();
    void aeAutoModeEnabledChanged();
    void defogModeEnabledChanged();
    void pictureFlipEnabledChanged();
    void pictureStabilizerEnabledChanged();
    void pictureEnhancementEnabledChanged();
    void lightBoosterEnabledChanged();
    void shutterPositionChanged();
    void cameraTiltPositionChanged();
    void cameraPanPositionChanged();
    void distanceCounterChanged();
    void locatorStateChanged();

private:
    QPointer<Ulx::SystemControl::CSystemControl> m_facade;
};
