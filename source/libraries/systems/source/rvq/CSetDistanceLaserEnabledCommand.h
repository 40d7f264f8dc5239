#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the distance laser on or off.
class CSetDistanceLaserEnabledCommand : public CRVQControlCommand
{
public:
    CSetDistanceLaserEnabledCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetDistanceLaserEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
