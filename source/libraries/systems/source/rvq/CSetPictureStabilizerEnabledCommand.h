#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Switches the picture stabilizer on or off.
class CSetPictureStabilizerEnabledCommand : public CRVQControlCommand
{
public:
    CSetPictureStabilizerEnabledCommand(
        Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetPictureStabilizerEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
