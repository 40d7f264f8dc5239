#include "hx/CSetVideoClipLengthCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetVideoClipLengthCommand::CSetVideoClipLengthCommand(int value)
    : CAbstractSetCommand(SetVideoClipLength)
    , m_clipTime(value)
{
}

CSetVideoClipLengthCommand::~CSetVideoClipLengthCommand() = default;

QString CSetVideoClipLengthCommand::requestUrl() const
{
    return setUrl(QStringLiteral("VideoClipTime"), TetronTables::videoClipTimeNames().name(m_clipTime));
}

} // namespace Communication
} // namespace Ulx
