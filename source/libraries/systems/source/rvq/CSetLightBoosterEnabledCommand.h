#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the light booster on or off; the booster runs at full light only, so switching it on
// sets the light to full first.
class CSetLightBoosterEnabledCommand : public CRVQControlCommand
{
public:
    static constexpr quint8 FullIntensity = 100;

    CSetLightBoosterEnabledCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetLightBoosterEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
