#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Flips the picture or turns it back.
class CSetPictureFlipEnabledCommand : public CRVQControlCommand
{
public:
    CSetPictureFlipEnabledCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetPictureFlipEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
