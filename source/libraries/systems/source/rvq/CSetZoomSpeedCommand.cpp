#include "rvq/CSetZoomSpeedCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetZoomSpeedCommand::CSetZoomSpeedCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint8 speed)
    : CRVQControlCommand(sender, storageProvider)
    , m_speed(speed)
{
}

CSetZoomSpeedCommand::~CSetZoomSpeedCommand() = default;

void CSetZoomSpeedCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (!data->zoomControlAvailable())
        return;
    const qint8 speed = static_cast<qint8>(qBound(-MaximumSpeed, int(m_speed), MaximumSpeed));
    if (data->zoomSpeed() == speed)
        return;
    send(createRVQZoomSpeedMessage(speed), 0);
    if (speed == 0)
        send(createRVQZoomPositionQueryMessage(), 0);
    data->setZoomSpeed(speed);
}

} // namespace SystemControl
} // namespace Ulx
