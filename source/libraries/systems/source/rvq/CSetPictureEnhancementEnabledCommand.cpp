#include "rvq/CSetPictureEnhancementEnabledCommand.h"

#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetPictureEnhancementEnabledCommand::CSetPictureEnhancementEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetPictureEnhancementEnabledCommand::~CSetPictureEnhancementEnabledCommand() = default;

void CSetPictureEnhancementEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->pictureEnhancementEnabled() == m_enabled)
        return;
    if (m_enabled) {
        CSetAEAutoModeEnabledCommand aeOn(sender(), storageProvider(), true);
        aeOn.execute();
    }
    send(createRVQPictureEnhancementMessage(m_enabled ? 1 : 0), 1);
    data->setPictureEnhancementEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
