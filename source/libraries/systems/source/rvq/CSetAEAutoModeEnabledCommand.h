#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the automatic exposure on or off. Without it there is no defog mode or picture
// enhancement; with it the camera sets the shutter itself.
class CSetAEAutoModeEnabledCommand : public CRVQControlCommand
{
public:
    CSetAEAutoModeEnabledCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetAEAutoModeEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
