#include "hx/CSetCameraModeCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetCameraModeCommand::CSetCameraModeCommand(int value)
    : CAbstractSetCommand(SetCameraMode)
    , m_mode(value)
{
}

CSetCameraModeCommand::~CSetCameraModeCommand() = default;

QString CSetCameraModeCommand::requestUrl() const
{
    return setUrl(QStringLiteral("UIMode"), TetronTables::cameraModeNames().name(m_mode));
}

} // namespace Communication
} // namespace Ulx
