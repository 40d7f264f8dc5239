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
    const int target = qBound(MinimumPosition, m_position, MaximumPosition);
    const int stored = data->shutterPosition();
    if (target == stored)
        return;
    // The shutter cannot stand outside its range: a stored value there (never reported by the
    // system) counts from the nearest end, so the steps stay within the range's width.
    const int from = qBound(MinimumPosition, stored, MaximumPosition);
    const int delta = target - from;
    const quint8 step = delta > 0 ? RVQShutterStepUp : RVQShutterStepDown;
    for (int i = 0; i < qAbs(delta); ++i)
        send(createRVQShutterStepMessage(step), 1);
    data->setShutterPosition(target);
}

} // namespace SystemControl
} // namespace Ulx
