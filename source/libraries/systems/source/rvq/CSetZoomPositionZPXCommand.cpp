#include "rvq/CSetZoomPositionZPXCommand.h"

#include "rvq/RVQMessages.h"
#include "rvq/RVQZoomTables.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetZoomPositionZPXCommand::CSetZoomPositionZPXCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 position)
    : CRVQControlCommand(sender, storageProvider)
    , m_position(position)
{
}

CSetZoomPositionZPXCommand::~CSetZoomPositionZPXCommand() = default;

void CSetZoomPositionZPXCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (!data->zoomControlAvailable() || data->zoomPosition() == m_position)
        return;
    const int raw = zoomPositionToRawZPX(m_position, data->digitalZoomEnabled());
    send(createRVQZoomPositionMessage(static_cast<quint16>(raw)), 1);
    data->setZoomControlAvailable(false);
    data->setZoomSpeed(0);
    data->setPendingRawZoomPosition(static_cast<quint16>(raw));
}

} // namespace SystemControl
} // namespace Ulx
