#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the defog mode on or off; it needs the automatic exposure, which is switched on
// first.
class CSetDefogModeEnabledCommand : public CRVQControlCommand
{
public:
    CSetDefogModeEnabledCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetDefogModeEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
