#include "rvq/CBVCommandFactory.h"

namespace Ulx {
namespace SystemControl {

CBVCommandFactory::CBVCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQCommandFactory(sender, storageProvider)
{
}

CBVCommandFactory::~CBVCommandFactory() = default;

std::unique_ptr<CControlCommand> CBVCommandFactory::createSetZoomPositionCommand(quint8 value)
{
    Q_UNUSED(value)
    return std::make_unique<CControlCommand>();
}

std::unique_ptr<CControlCommand> CBVCommandFactory::createStopMovementCommand()
{
    return std::make_unique<CControlCommand>();
}

} // namespace SystemControl
} // namespace Ulx
