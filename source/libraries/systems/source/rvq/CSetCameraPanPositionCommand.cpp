#include "rvq/CSetCameraPanPositionCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraPanPositionCommand::CSetCameraPanPositionCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint16 position)
    : CRVQControlCommand(sender, storageProvider)
    , m_position(position)
{
}

CSetCameraPanPositionCommand::~CSetCameraPanPositionCommand() = default;

void CSetCameraPanPositionCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraPanPosition() == m_position)
        return;
    send(createRVQPanPositionMessage(static_cast<quint16>(m_position)), 0);
    data->setCameraPanPosition(m_position);
}

} // namespace SystemControl
} // namespace Ulx
