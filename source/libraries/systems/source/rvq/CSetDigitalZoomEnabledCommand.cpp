#include "rvq/CSetDigitalZoomEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetDigitalZoomEnabledCommand::CSetDigitalZoomEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetDigitalZoomEnabledCommand::~CSetDigitalZoomEnabledCommand() = default;

void CSetDigitalZoomEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->digitalZoomEnabled() == m_enabled)
        return;
    send(createRVQDigitalZoomMessage(m_enabled ? 1 : 0), 1);
    data->setDigitalZoomEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
