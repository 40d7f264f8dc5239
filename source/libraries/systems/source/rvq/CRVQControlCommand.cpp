#include "rvq/CRVQControlCommand.h"

#include "IStorageProvider.h"
#include "rvq/CRVQMessage.h"
#include "rvq/IRVQMessageSender.h"

namespace Ulx {
namespace SystemControl {

CRVQControlCommand::CRVQControlCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : m_sender(sender)
    , m_storageProvider(storageProvider)
{
}

CRVQControlCommand::~CRVQControlCommand() = default;

bool CRVQControlCommand::isReadyToSend() const
{
    return m_sender && m_storageProvider && m_storageProvider->systemDataStorage() && m_sender->isReadyToSend();
}

CSystemDataStorage* CRVQControlCommand::systemDataStorage() const
{
    return m_storageProvider ? m_storageProvider->systemDataStorage() : nullptr;
}

void CRVQControlCommand::send(Ulx::CRVQMessage* message, int priority)
{
    message->setPriority(priority);
    message->setOperatorRequest(true);
    if (!m_sender) {
        delete message;
        return;
    }
    m_sender->sendMessage(message);
}

} // namespace SystemControl
} // namespace Ulx
