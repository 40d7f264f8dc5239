#include "rvq/CSetShutterPositionCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetShutterPositionCommand::CSetShutterPositionCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, int position)
    : CRVQControlCommand(sender, storageProvider)
    , m_position(position)
{
}

CSetShutterPositionCommand::~CSetShutterPositionCommand() = default;

void CSetShutterPositionCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    const int stored = data->shutterPosition();
    const qint64 delta = qint64(m_position) - qint64(stored);
    if (delta == 0)
        return;
    const int steps = int(qMin<qint64>(delta > 0 ? delta : -delta, MaximumSteps));
    for (int i = 0; i < steps; ++i)
        send(createRVQShutterStepMessage(delta > 0 ? RVQShutterStepUp : RVQShutterStepDown), 1);
    data->setShutterPosition(delta > 0 ? stored + steps : stored - steps);
}

} // namespace SystemControl
} // namespace Ulx
