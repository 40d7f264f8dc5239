#include "rvq/CSetPictureStabilizerEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetPictureStabilizerEnabledCommand::CSetPictureStabilizerEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetPictureStabilizerEnabledCommand::~CSetPictureStabilizerEnabledCommand() = default;

void CSetPictureStabilizerEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->pictureStabilizerEnabled() == m_enabled)
        return;
    send(createRVQPictureStabilizerMessage(m_enabled ? 1 : 0), 1);
    data->setPictureStabilizerEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
