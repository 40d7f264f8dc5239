#include "rvq/CSetDefogModeEnabledCommand.h"

#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetDefogModeEnabledCommand::CSetDefogModeEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetDefogModeEnabledCommand::~CSetDefogModeEnabledCommand() = default;

void CSetDefogModeEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->defogModeEnabled() == m_enabled)
        return;
    if (m_enabled && !data->aeAutoModeEnabled()) {
        CSetAEAutoModeEnabledCommand aeOn(sender(), storageProvider(), true);
        aeOn.execute();
    }
    send(createRVQDefogModeMessage(m_enabled ? 1 : 0), 1);
    data->setDefogModeEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
