#pragma once

#include "rvq/CRVQControlCommand.h"
#include "systemcontrol/SystemTypes.h"

namespace Ulx {
namespace SystemControl {

// Switches the sonde locator to a frequency or off.
class CSetLocatorStateCommand : public CRVQControlCommand
{
public:
    CSetLocatorStateCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, Ulx::SystemTypes::LocatorState state);
    ~CSetLocatorStateCommand() override;

    void execute() override;

private:
    Ulx::SystemTypes::LocatorState m_state;
};

} // namespace SystemControl
} // namespace Ulx
