#include "hx/CSetVideoResolutionCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetVideoResolutionCommand::CSetVideoResolutionCommand(int value)
    : CAbstractSetCommand(SetVideoResolution)
    , m_resolution(value)
{
}

CSetVideoResolutionCommand::~CSetVideoResolutionCommand() = default;

QString CSetVideoResolutionCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Videores"), TetronTables::videoResolutionNames().name(m_resolution));
}

} // namespace Communication
} // namespace Ulx
