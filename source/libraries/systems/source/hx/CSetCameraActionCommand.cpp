#include "hx/CSetCameraActionCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetCameraActionCommand::CSetCameraActionCommand(int value)
    : CAbstractSetCommand(SetCameraAction)
    , m_action(value)
{
}

CSetCameraActionCommand::~CSetCameraActionCommand() = default;

QString CSetCameraActionCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Video"), TetronTables::cameraActionNames().name(m_action));
}

} // namespace Communication
} // namespace Ulx
