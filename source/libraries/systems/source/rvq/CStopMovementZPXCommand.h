#pragma once

#include "rvq/CRVQControlCommand.h"

#include <QtGlobal>

namespace Ulx {
namespace SystemControl {

// Stops the camera head of a ZPX system: its tilt speed goes to 0.
class CStopMovementZPXCommand : public CRVQControlCommand
{
public:
    CStopMovementZPXCommand(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CStopMovementZPXCommand() override;

    void execute() override;
};

} // namespace SystemControl
} // namespace Ulx
