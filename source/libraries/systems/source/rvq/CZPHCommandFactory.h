#pragma once

#include "rvq/CRVQCommandFactory.h"

namespace Ulx {
namespace SystemControl {

// The command factory of the ZPH systems: zoom positions with the ZPH table; no head to stop.
class CZPHCommandFactory : public CRVQCommandFactory
{
public:
    CZPHCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPHCommandFactory() override;

    std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createStopMovementCommand() override;
};

} // namespace SystemControl
} // namespace Ulx
