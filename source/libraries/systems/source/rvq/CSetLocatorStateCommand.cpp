#include "rvq/CSetLocatorStateCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetLocatorStateCommand::CSetLocatorStateCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, Ulx::SystemTypes::LocatorState state)
    : CRVQControlCommand(sender, storageProvider)
    , m_state(state)
{
}

CSetLocatorStateCommand::~CSetLocatorStateCommand() = default;

void CSetLocatorStateCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->locatorState() == m_state)
        return;
    quint8 mode = 0;
    switch (m_state) {
    case SystemTypes::LocatorState512Hz:
        mode = 5;
        break;
    case SystemTypes::LocatorState640Hz:
        mode = 6;
        break;
    case SystemTypes::LocatorState33kHz:
        mode = 33;
        break;
    default:
        mode = 0;
        break;
    }
    send(createRVQLocatorMessage(mode), 1);
    data->setLocatorState(m_state);
}

} // namespace SystemControl
} // namespace Ulx
