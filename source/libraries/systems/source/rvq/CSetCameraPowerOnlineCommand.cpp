#include "rvq/CSetCameraPowerOnlineCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraPowerOnlineCommand::CSetCameraPowerOnlineCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool online)
    : CRVQControlCommand(sender, storageProvider)
    , m_online(online)
{
}

CSetCameraPowerOnlineCommand::~CSetCameraPowerOnlineCommand() = default;

void CSetCameraPowerOnlineCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraPowerOnline() == m_online)
        return;
    send(createRVQCameraPowerMessage(m_online ? 1 : 0), 1);
    if (m_online)
        data->setActiveCamera(SystemTypes::Camera1);
    data->setCameraPowerOnline(m_online);
}

} // namespace SystemControl
} // namespace Ulx
