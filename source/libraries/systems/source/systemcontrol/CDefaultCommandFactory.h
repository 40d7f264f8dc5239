#pragma once

#include "systemcontrol/CAbstractCommandFactory.h"

namespace Ulx {
namespace SystemControl {

// The factory in use while no family has installed its own: every command does nothing, so a
// control write changes nothing and the facades keep showing what the storage holds.
class CDefaultCommandFactory : public CAbstractCommandFactory
{
public:
    ~CDefaultCommandFactory() override;

    std::unique_ptr<CControlCommand> createSetDistanceLaserEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetCameraDistanceMeasurementEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetAutoFocusEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureStabilizerEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureEnhancementEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetDefogModeEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetPictureFlipEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetLightBoosterEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetDigitalZoomEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetAEAutoModeEnabledCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetCameraPowerOnlineCommand(bool value) override;
    std::unique_ptr<CControlCommand> createSetFocusSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetZoomSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createSetLightIntensityCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraTiltSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraPanSpeedCommand(qint8 value) override;
    std::unique_ptr<CControlCommand> createSetCameraTiltPositionCommand(qint16 value) override;
    std::unique_ptr<CControlCommand> createSetCameraPanPositionCommand(qint16 value) override;
    std::unique_ptr<CControlCommand> createSetActiveCameraCommand(Ulx::SystemTypes::Camera value) override;
    std::unique_ptr<CControlCommand> createSetShutterPositionCommand(int value) override;
    std::unique_ptr<CControlCommand> createStopMovementCommand() override;
    std::unique_ptr<CControlCommand> createRequestErrorLogCommand() override;
    std::unique_ptr<CControlCommand> createSetDistanceCounterCommand(double value) override;
    std::unique_ptr<CControlCommand> createSetLocatorStateCommand(Ulx::SystemTypes::LocatorState value) override;
};

} // namespace SystemControl
} // namespace Ulx
