#include "rvq/CRequestErrorLogCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CRequestErrorLogCommand::CRequestErrorLogCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQControlCommand(sender, storageProvider)
{
}

CRequestErrorLogCommand::~CRequestErrorLogCommand() = default;

void CRequestErrorLogCommand::execute()
{
    if (!isReadyToSend())
        return;
    send(createRVQErrorLogQueryMessage(), 0);
}

} // namespace SystemControl
} // namespace Ulx
