#include "rvq/CSetLightBoosterEnabledCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetLightBoosterEnabledCommand::CSetLightBoosterEnabledCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled)
    : CRVQControlCommand(sender, storageProvider)
    , m_enabled(enabled)
{
}

CSetLightBoosterEnabledCommand::~CSetLightBoosterEnabledCommand() = default;

void CSetLightBoosterEnabledCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->lightBoosterEnabled() == m_enabled)
        return;
    if (m_enabled && data->lightIntensity() != FullIntensity) {
        send(createRVQLightIntensityMessage(static_cast<qint8>(FullIntensity)), 1);
        data->setLightIntensity(FullIntensity);
    }
    send(createRVQLightBoosterMessage(m_enabled ? 1 : 0), 1);
    data->setLightBoosterEnabled(m_enabled);
}

} // namespace SystemControl
} // namespace Ulx
