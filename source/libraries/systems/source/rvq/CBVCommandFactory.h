#pragma once

#include "rvq/CRVQCommandFactory.h"

namespace Ulx {
namespace SystemControl {

// The command factory of the Gullyrover: its camera has no zoom positions and no head to stop.
class CBVCommandFactory : public CRVQCommandFactory
{
public:
    CBVCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CBVCommandFactory() override;

    std::unique_ptr<CControlCommand> createSetZoomPositionCommand(quint8 value) override;
    std::unique_ptr<CControlCommand> createStopMovementCommand() override;
};

} // namespace SystemControl
} // namespace Ulx
