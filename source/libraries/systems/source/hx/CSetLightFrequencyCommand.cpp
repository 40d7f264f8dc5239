#include "hx/CSetLightFrequencyCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetLightFrequencyCommand::CSetLightFrequencyCommand(int value)
    : CAbstractSetCommand(SetLightFrequency)
    , m_flicker(value)
{
}

CSetLightFrequencyCommand::~CSetLightFrequencyCommand() = default;

QString CSetLightFrequencyCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Flicker"), TetronTables::flickerNames().name(m_flicker));
}

} // namespace Communication
} // namespace Ulx
