#include "hx/CSetTimestampingStateCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetTimestampingStateCommand::CSetTimestampingStateCommand(int value)
    : CAbstractSetCommand(SetTimestampingState)
    , m_state(value)
{
}

CSetTimestampingStateCommand::~CSetTimestampingStateCommand() = default;

QString CSetTimestampingStateCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Camera.Timestamp.Enable"), TetronTables::onOffNames().name(m_state));
}

} // namespace Communication
} // namespace Ulx
