#include "hx/CLogoutCommand.h"

#include "hx/TetronCameraUrls.h"

namespace Ulx {
namespace Communication {

CLogoutCommand::CLogoutCommand()
    : CAbstractSetCommand(Logout)
{
}

CLogoutCommand::~CLogoutCommand() = default;

QString CLogoutCommand::requestUrl() const
{
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/User.cgi?action=logout");
}

} // namespace Communication
} // namespace Ulx
