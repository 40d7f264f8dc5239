#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QObject>

namespace Ulx {
namespace SystemControl {

// The control settings of the connected system. Getters read the data storage on every call;
// setters run a command of the current family factory and never write the storage themselves,
// so a value changes only when the family reports it. Made and owned by the systems library.
class CSystemControl : public QObject
{
    Q_OBJECT

public:
    CSystemControl();
    ~CSystemControl() override;

    bool autoFocusEnabled() const;
    qint8 zoomSpeed() const;
    quint8 zoomPosition() const;
    qint8 focusSpeed() const;
    qint8 cameraTiltSpeed() const;
    qint8 cameraPanSpeed() const;
    quint8 lightIntensity() const;
    Ulx::SystemTypes::Camera activeCamera() const;
    bool distanceLaserEnabled() const;
    bool cameraDistanceMeasurementEnabled() const;
    bool cameraPowerOnline() const;
    bool digitalZoomEnabled() const;
    bool aeAutoModeEnabled() const;
    bool defogModeEnabled() const;
    bool pictureFlipEnabled() const;
    bool pictureStabilizerEnabled() const;
    bool pictureEnhancementEnabled() const;
    bool lightBoosterEnabled() const;
    int shutterPosition() const;
    qint16 cameraTiltPosition() const;
    qint16 cameraPanPosition() const;
    double distanceCounter() const;
    Ulx::SystemTypes::LocatorState locatorState() const;

    void setAutoFocusEnabled(bool value);
    void setZoomSpeed(signed char value);
    void setZoomPosition(unsigned char value);
    void setFocusSpeed(signed char value);
    void setCameraTiltSpeed(signed char value);
    void setCameraPanSpeed(signed char value);
    void setLightIntensity(unsigned char value);
    void setActiveCamera(Ulx::SystemTypes::Camera value);
    void setDistanceLaserEnabled(bool value);
    void setCameraDistanceMeasurementEnabled(bool value);
    void setCameraPowerOnline(bool value);
    void setDigitalZoomEnabled(bool value);
    void setAEAutoModeEnabled(bool value);
    void setDefogModeEnabled(bool value);
    void setPictureFlipEnabled(bool value);
    void setPictureStabilizerEnabled(bool value);
    void setPictureEnhancementEnabled(bool value);
    void setLightBoosterEnabled(bool value);
    void setShutterPosition(int value);
    void setCameraTiltPosition(short value);
    void setCameraPanPosition(short value);
    void setDistanceCounter(double value);
    void setLocatorState(Ulx::SystemTypes::LocatorState value);
    void stopMovement();

signals:
    void autoFocusEnabledChanged();
    void zoomSpeedChanged();
    void zoomPositionChanged();
    void focusSpeedChanged();
    void cameraTiltSpeedChanged();
    void cameraPanSpeedChanged();
    void cameraTiltPositionChanged();
    void cameraPanPositionChanged();
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
    void distanceCounterChanged();
    void locatorStateChanged();
};

} // namespace SystemControl
} // namespace Ulx
