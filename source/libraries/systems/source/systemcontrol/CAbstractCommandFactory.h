#pragma once

#include "systemcontrol/CControlCommand.h"
#include "systemcontrol/SystemTypes.h"

#include <memory>

namespace Ulx {
namespace SystemControl {

// Turns every control write of the facades into a command of the connected family. A create
// operation never returns null; the caller executes the command at once and destroys it.
// Factories are owned by the session that offers them, or by the systems library (the default).
class CAbstractCommandFactory
{
public:
    virtual ~CAbstractCommandFactory();

    virtual std::unique_ptr<CControlCommand> createSetDistanceLaserEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraDistanceMeasurementEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetAutoFocusEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetPictureStabilizerEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetPictureEnhancementEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetDefogModeEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetPictureFlipEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetLightBoosterEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetDigitalZoomEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetAEAutoModeEnabledCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraPowerOnlineCommand(bool value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetFocusSpeedCommand(qint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetZoomSpeedCommand(qint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetLightIntensityCommand(quint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraTiltSpeedCommand(qint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraPanSpeedCommand(qint8 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraTiltPositionCommand(qint16 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetCameraPanPositionCommand(qint16 value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetActiveCameraCommand(Ulx::SystemTypes::Camera value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetShutterPositionCommand(int value) = 0;
    virtual std::unique_ptr<CControlCommand> createStopMovementCommand() = 0;
    virtual std::unique_ptr<CControlCommand> createRequestErrorLogCommand() = 0;
    virtual std::unique_ptr<CControlCommand> createSetDistanceCounterCommand(double value) = 0;
    virtual std::unique_ptr<CControlCommand> createSetLocatorStateCommand(Ulx::SystemTypes::LocatorState value) = 0;
};

} // namespace SystemControl
} // namespace Ulx
