#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Sets the light intensity (100 = full); full light goes with the booster, any other value
// without it.
class CSetLightIntensityCommand : public CRVQControlCommand
{
public:
    static constexpr quint8 FullIntensity = 100;

    CSetLightIntensityCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, quint8 intensity);
    ~CSetLightIntensityCommand() override;

    void execute() override;

private:
    quint8 m_intensity;
};

} // namespace SystemControl
} // namespace Ulx
