#include "rvq/CSetPictureFlipEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetPictureFlipEnabledCommand::CSetPictureFlipEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetPictureFlipEnabledCommand::~CSetPictureFlipEnabledCommand() = default;

void CSetPictureFlipEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->pictureFlipEnabled() == m_enabled)
        return;
    send(createRVQPictureFlipMessage(m_enabled ? 1 : 0), 1);
    data->setPictureFlipEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
