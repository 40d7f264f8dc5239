#include "rvq/CSetLightIntensityCommand.h"

#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemDataStorage.h"

namespace Ulx {
namespace SystemControl {

CSetLightIntensityCommand::CSetLightIntensityCommand(
    Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 intensity)
    : CRVQControlCommand(sender, storageProvider)
    , m_intensity(intensity)
{
}

CSetLightIntensityCommand::~CSetLightIntensityCommand() = default;

void CSetLightIntensityCommand::execute()
{
    if (!isReadyToSend())
        return;
    CSystemDataStorage* data = systemDataStorage();
    if (data->lightIntensity() == m_intensity)
        return;
    const bool booster = m_intensity == FullIntensity;
    if (booster != data->lightBoosterEnabled()) {
        send(createRVQLightBoosterMessage(booster ? 1 : 0), 1);
        data->setLightBoosterEnabled(booster);
    }
    send(createRVQLightIntensityMessage(static_cast<qint8>(m_intensity)), 1);
    data->setLightIntensity(m_intensity);
}

} // namespace SystemControl
} // namespace Ulx
