#include "rvq/CSetCameraDistanceMeasurementEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetCameraDistanceMeasurementEnabledCommand::CSetCameraDistanceMeasurementEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetCameraDistanceMeasurementEnabledCommand::~CSetCameraDistanceMeasurementEnabledCommand() = default;

void CSetCameraDistanceMeasurementEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->cameraDistanceMeasurementEnabled() == m_enabled)
        return;
    if (m_enabled)
        send(createRVQFocusPositionQueryMessage(), 0);
    data->setCameraDistanceMeasurementEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
