#include "hx/CSetTimelapseIntervalCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetTimelapseIntervalCommand::CSetTimelapseIntervalCommand(int value)
    : CAbstractSetCommand(SetTimelapseInterval)
    , m_interval(value)
{
}

CSetTimelapseIntervalCommand::~CSetTimelapseIntervalCommand() = default;

QString CSetTimelapseIntervalCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Timelapse"), TetronTables::timelapseIntervalNames().name(m_interval));
}

} // namespace Communication
} // namespace Ulx
