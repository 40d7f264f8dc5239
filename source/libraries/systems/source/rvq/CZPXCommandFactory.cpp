#include "rvq/CZPXCommandFactory.h"

#include "rvq/CSetZoomPositionZPXCommand.h"
#include "rvq/CStopMovementZPXCommand.h"

namespace Ulx {
namespace SystemControl {

CZPXCommandFactory::CZPXCommandFactory(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider)
    : CRVQCommandFactory(sender, storageProvider)
{
}

CZPXCommandFactory::~CZPXCommandFactory() = default;

std::unique_ptr<CControlCommand> CZPXCommandFactory::createSetZoomPositionCommand(quint8 value)
{
    return std::make_unique<CSetZoomPositionZPXCommand>(m_sender, m_storageProvider, value);
}

std::unique_ptr<CControlCommand> CZPXCommandFactory::createStopMovementCommand()
{
    return std::make_unique<CStopMovementZPXCommand>(m_sender, m_storageProvider);
}

} // namespace SystemControl
} // namespace Ulx
