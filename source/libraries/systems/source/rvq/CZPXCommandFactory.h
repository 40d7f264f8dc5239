#pragma once

#include "rvq/CRVQCommandFactory.h"

namespace Ulx {
namespace SystemControl {

// The command factory of the ZPX and ZPX2 systems: zoom positions with the ZPX table; stopping
// the movement stops the tilting head.
class CZPXCommandFactory : public CRVQCommandFactory
{
public:
    CZPXCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPXCommandFactory() override;

    std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createStopMovementCommand() override;
};

} // namespace SystemControl
} // namespace Ulx
