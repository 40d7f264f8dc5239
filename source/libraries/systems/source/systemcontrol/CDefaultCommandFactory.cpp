#include "systemcontrol/CDefaultCommandFactory.h"

namespace Ulx {
namespace SystemControl {

CDefaultCommandFactory::~CDefaultCommandFactory() = default;

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetDistanceLaserEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraDistanceMeasurementEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetAutoFocusEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetPictureStabilizerEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetPictureEnhancementEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetDefogModeEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetPictureFlipEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetLightBoosterEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetDigitalZoomEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetAEAutoModeEnabledCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraPowerOnlineCommand(bool value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetFocusSpeedCommand(qint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetZoomSpeedCommand(qint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetZoomPositionCommand(quint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetLightIntensityCommand(quint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraTiltSpeedCommand(qint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraPanSpeedCommand(qint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraTiltPositionCommand(qint16 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetCameraPanPositionCommand(qint16 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetActiveCameraCommand(Ulx::SystemTypes::Camera value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetShutterPositionCommand(int value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createStopMovementCommand()
{
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createRequestErrorLogCommand()
{
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetDistanceCounterCommand(double value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CDefaultCommandFactory::createSetLocatorStateCommand(Ulx::SystemTypes::LocatorState value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

} // namespace SystemControl
} // namespace Ulx
