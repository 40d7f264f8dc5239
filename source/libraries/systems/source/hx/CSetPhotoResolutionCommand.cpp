#include "hx/CSetPhotoResolutionCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetPhotoResolutionCommand::CSetPhotoResolutionCommand(int value)
    : CAbstractSetCommand(SetPhotoResolution)
    , m_resolution(value)
{
}

CSetPhotoResolutionCommand::~CSetPhotoResolutionCommand() = default;

QString CSetPhotoResolutionCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Imageres"), TetronTables::photoResolutionNames().name(m_resolution));
}

} // namespace Communication
} // namespace Ulx
