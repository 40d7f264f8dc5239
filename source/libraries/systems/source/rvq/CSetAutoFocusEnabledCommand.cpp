#include "rvq/CSetAutoFocusEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetAutoFocusEnabledCommand::CSetAutoFocusEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetAutoFocusEnabledCommand::~CSetAutoFocusEnabledCommand() = default;

void CSetAutoFocusEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->autoFocusEnabled() == m_enabled)
        return;
    send(createRVQAutoFocusMessage(m_enabled ? 1 : 0), 1);
    data->setAutoFocusEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
