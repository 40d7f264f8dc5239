#include "rvq/CSetDistanceLaserEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetDistanceLaserEnabledCommand::CSetDistanceLaserEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetDistanceLaserEnabledCommand::~CSetDistanceLaserEnabledCommand() = default;

void CSetDistanceLaserEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (m_enabled) {
        if (data->distanceLaserState() == SystemTypes::DistanceLaserStateOn)
            return;
        send(createRVQDistanceLaserMessage(1), 1);
        data->setDistanceLaserState(SystemTypes::DistanceLaserStatePoweringOn);
    } else {
        if (data->distanceLaserState() == SystemTypes::DistanceLaserStateOff)
            return;
        send(createRVQDistanceLaserMessage(0), 1);
        data->setDistanceLaserState(SystemTypes::DistanceLaserStateOff);
    }
}

} // namespace SystemControl
} // namespace Ulx
