#include "rvq/CStopMovementZPXCommand.h"

#include "rvq/CSetCameraTiltSpeedCommand.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CStopMovementZPXCommand::CStopMovementZPXCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQControlCommand(sender, storageProvider)
{
}

CStopMovementZPXCommand::~CStopMovementZPXCommand() = default;

void CStopMovementZPXCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSetCameraTiltSpeedCommand stopTilt(sender(), storageProvider(), 0);
    stopTilt.execute();
}

} // namespace SystemControl
} // namespace Ulx
