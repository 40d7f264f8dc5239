#include "rvq/CSetCameraTiltPositionCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraTiltPositionCommand::CSetCameraTiltPositionCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, qint16 position)
    : CRVQControlCommand(sender, storageProvider)
    , m_position(position)
{
}

CSetCameraTiltPositionCommand::~CSetCameraTiltPositionCommand() = default;

void CSetCameraTiltPositionCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraTiltPosition() == m_position)
        return;
    send(createRVQTiltPositionMessage(static_cast<quint16>(m_position)), 0);
    data->setCameraTiltPosition(m_position);
}

} // namespace SystemControl
} // namespace Ulx
