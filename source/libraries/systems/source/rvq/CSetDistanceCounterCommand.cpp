#include "rvq/CSetDistanceCounterCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetDistanceCounterCommand::CSetDistanceCounterCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, double distance)
    : CRVQControlCommand(sender, storageProvider)
    , m_distance(distance)
{
}

CSetDistanceCounterCommand::~CSetDistanceCounterCommand() = default;

void CSetDistanceCounterCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->distanceCounter() == m_distance)
        return;
    send(createRVQDistanceCounterMessage(static_cast<float>(m_distance)), 1);
    data->setDistanceCounter(m_distance);
}

} // namespace SystemControl
} // namespace Ulx
