#include "rvq/CSetZoomPositionZPHCommand.h"

#include "rvq/RVQMessages.h"
#include "rvq/RVQZoomTables.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetZoomPositionZPHCommand::CSetZoomPositionZPHCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 position)
    : CRVQControlCommand(sender, storageProvider)
    , m_position(position)
{
}

CSetZoomPositionZPHCommand::~CSetZoomPositionZPHCommand() = default;

void CSetZoomPositionZPHCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (!data->zoomControlAvailable() || data->zoomPosition() == m_position)
        return;
    const int raw = zoomPositionToRawZPH(m_position, data->digitalZoomEnabled());
    send(createRVQZoomPositionMessage(static_cast<quint16>(raw)), 1);
    data->setZoomControlAvailable(false);
    data->setZoomSpeed(0);
    data->setPendingRawZoomPosition(static_cast<quint16>(raw));
}

} // namespace SystemControl
} // namespace Ulx
