#include "rvq/CSetCameraPanSpeedCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraPanSpeedCommand::CSetCameraPanSpeedCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed)
    : CRVQControlCommand(sender, storageProvider)
    , m_speed(speed)
{
}

CSetCameraPanSpeedCommand::~CSetCameraPanSpeedCommand() = default;

void CSetCameraPanSpeedCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraPanSpeed() == m_speed)
        return;
    send(createRVQPanSpeedMessage(m_speed), 0);
    data->setCameraPanSpeed(m_speed);
}

} // namespace SystemControl
} // namespace Ulx
