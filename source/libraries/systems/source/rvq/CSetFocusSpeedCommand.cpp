#include "rvq/CSetFocusSpeedCommand.h"

#include "rvq/CSetAutoFocusEnabledCommand.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetFocusSpeedCommand::CSetFocusSpeedCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed)
    : CRVQControlCommand(sender, storageProvider)
    , m_speed(speed)
{
}

CSetFocusSpeedCommand::~CSetFocusSpeedCommand() = default;

void CSetFocusSpeedCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    const qint8 speed = static_cast<qint8>(qBound(-MaximumSpeed, int(m_speed), MaximumSpeed));
    if (data->focusSpeed() == speed)
        return;
    if (data->autoFocusEnabled()) {
        CSetAutoFocusEnabledCommand autoFocusOff(sender(), storageProvider(), false);
        autoFocusOff.execute();
    }
    send(createRVQFocusSpeedMessage(speed), 1);
    data->setFocusSpeed(speed);
}

} // namespace SystemControl
} // namespace Ulx
