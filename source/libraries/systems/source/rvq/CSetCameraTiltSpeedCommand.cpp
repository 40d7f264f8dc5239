#include "rvq/CSetCameraTiltSpeedCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraTiltSpeedCommand::CSetCameraTiltSpeedCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed)
    : CRVQControlCommand(sender, storageProvider)
    , m_speed(speed)
{
}

CSetCameraTiltSpeedCommand::~CSetCameraTiltSpeedCommand() = default;

void CSetCameraTiltSpeedCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraTiltSpeed() == m_speed)
        return;
    send(createRVQTiltSpeedMessage(m_speed), 0);
    data->setCameraTiltSpeed(m_speed);
}

} // namespace SystemControl
} // namespace Ulx
