#include "rvq/CRVQCommandFactory.h"

#include "rvq/CRequestErrorLogCommand.h"
#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/CSetActiveCameraCommand.h"
#include "rvq/CSetAutoFocusEnabledCommand.h"
#include "rvq/CSetCameraDistanceMeasurementEnabledCommand.h"
#include "rvq/CSetCameraPanPositionCommand.h"
#include "rvq/CSetCameraPanSpeedCommand.h"
#include "rvq/CSetCameraPowerOnlineCommand.h"
#include "rvq/CSetCameraTiltPositionCommand.h"
#include "rvq/CSetCameraTiltSpeedCommand.h"
#include "rvq/CSetDefogModeEnabledCommand.h"
#include "rvq/CSetDigitalZoomEnabledCommand.h"
#include "rvq/CSetDistanceCounterCommand.h"
#include "rvq/CSetDistanceLaserEnabledCommand.h"
#include "rvq/CSetFocusSpeedCommand.h"
#include "rvq/CSetLightBoosterEnabledCommand.h"
#include "rvq/CSetLightIntensityCommand.h"
#include "rvq/CSetLocatorStateCommand.h"
#include "rvq/CSetPictureEnhancementEnabledCommand.h"
#include "rvq/CSetPictureFlipEnabledCommand.h"
#include "rvq/CSetPictureStabilizerEnabledCommand.h"
#include "rvq/CSetShutterPositionCommand.h"
#include "rvq/CSetZoomSpeedCommand.h"

namespace Ulx {
namespace SystemControl {

CRVQCommandFactory::CRVQCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : m_sender(sender)
    , m_storageProvider(storageProvider)
{
}

CRVQCommandFactory::~CRVQCommandFactory() = default;

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetDistanceLaserEnabledCommand(bool value)
{
    return std::make_unique<CSetDistanceLaserEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraDistanceMeasurementEnabledCommand(bool value)
{
    return std::make_unique<CSetCameraDistanceMeasurementEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetAutoFocusEnabledCommand(bool value)
{
    return std::make_unique<CSetAutoFocusEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetPictureStabilizerEnabledCommand(bool value)
{
    return std::make_unique<CSetPictureStabilizerEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetPictureEnhancementEnabledCommand(bool value)
{
    return std::make_unique<CSetPictureEnhancementEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetDefogModeEnabledCommand(bool value)
{
    return std::make_unique<CSetDefogModeEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetPictureFlipEnabledCommand(bool value)
{
    return std::make_unique<CSetPictureFlipEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetLightBoosterEnabledCommand(bool value)
{
    return std::make_unique<CSetLightBoosterEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetDigitalZoomEnabledCommand(bool value)
{
    return std::make_unique<CSetDigitalZoomEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetAEAutoModeEnabledCommand(bool value)
{
    return std::make_unique<CSetAEAutoModeEnabledCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraPowerOnlineCommand(bool value)
{
    return std::make_unique<CSetCameraPowerOnlineCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetFocusSpeedCommand(qint8 value)
{
    return std::make_unique<CSetFocusSpeedCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetZoomSpeedCommand(qint8 value)
{
    return std::make_unique<CSetZoomSpeedCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetZoomPositionCommand(quint8 value)
{
    Q_UNUSED(value)
    // Not every system type has it; the subclasses that do return their own command.
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetLightIntensityCommand(quint8 value)
{
    return std::make_unique<CSetLightIntensityCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraTiltSpeedCommand(qint8 value)
{
    return std::make_unique<CSetCameraTiltSpeedCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraPanSpeedCommand(qint8 value)
{
    return std::make_unique<CSetCameraPanSpeedCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraTiltPositionCommand(qint16 value)
{
    return std::make_unique<CSetCameraTiltPositionCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetCameraPanPositionCommand(qint16 value)
{
    return std::make_unique<CSetCameraPanPositionCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetActiveCameraCommand(Ulx::SystemTypes::Camera value)
{
    return std::make_unique<CSetActiveCameraCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetShutterPositionCommand(int value)
{
    return std::make_unique<CSetShutterPositionCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createStopMovementCommand()
{
    // Not every system type has it; the subclasses that do return their own command.
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createRequestErrorLogCommand()
{
    return std::make_unique<CRequestErrorLogCommand>(m_sender, m_storageProvider);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetDistanceCounterCommand(double value)
{
    return std::make_unique<CSetDistanceCounterCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CRVQCommandFactory::createSetLocatorStateCommand(Ulx::SystemTypes::LocatorState value)
{
    return std::make_unique<CSetLocatorStateCommand>(m_sender, m_storageProvider, value);
}

} // namespace SystemControl
} // namespace Ulx
