#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Allows or forbids the digital zoom range.
class CSetDigitalZoomEnabledCommand : public CRVQControlCommand
{
public:
    CSetDigitalZoomEnabledCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider, bool enabled);
    ~CSetDigitalZoomEnabledCommand() override;

    void execute() override;

private:
    bool m_enabled;
};

} // namespace SystemControl
} // namespace Ulx
