#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Asks for the system's error log; the reply fills the error record list.
class CRequestErrorLogCommand : public CRVQControlCommand
{
public:
    CRequestErrorLogCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CRequestErrorLogCommand() override;

    void execute() override;
};

} // namespace SystemControl
} // namespace Ulx
