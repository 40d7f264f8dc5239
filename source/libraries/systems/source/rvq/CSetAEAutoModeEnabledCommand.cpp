#include "rvq/CSetAEAutoModeEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetAEAutoModeEnabledCommand::CSetAEAutoModeEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetAEAutoModeEnabledCommand::~CSetAEAutoModeEnabledCommand() = default;

void CSetAEAutoModeEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->aeAutoModeEnabled() == m_enabled)
        return;
    send(createRVQAEAutoModeMessage(m_enabled ? 1 : 0), 1);
    if (m_enabled) {
        data->setShutterPosition(0);
    } else {
        data->setDefogModeEnabled(false);
        data->setPictureEnhancementEnabled(false);
    }
    data->setAeAutoModeEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
