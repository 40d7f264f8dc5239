#include "rvq/CZPHCommandFactory.h"

#include "rvq/CSetZoomPositionZPHCommand.h"

namespace Ulx {
namespace SystemControl {

CZPHCommandFactory::CZPHCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQCommandFactory(sender, storageProvider)
{
}

CZPHCommandFactory::~CZPHCommandFactory() = default;

std::unique_ptr<CControlCommand> CZPHCommandFactory::createSetZoomPositionCommand(quint8 value)
{
    return std::make_unique<CSetZoomPositionZPHCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CZPHCommandFactory::createStopMovementCommand()
{
    return std::make_unique<CControlCommand>();
}

} // namespace SystemControl
} // namespace Ulx
