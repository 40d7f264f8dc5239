#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the picture enhancement on or off; it needs the automatic exposure, which is switched
// on first.
class CSetPictureEnhancementEnabledCommand : public CRVQControlCommand
{
public:
    CSetPictureEnhancementEnabledCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetPictureEnhancementEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
