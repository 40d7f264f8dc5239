#include "hx/CSetBuzzerVolumeCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetBuzzerVolumeCommand::CSetBuzzerVolumeCommand(int value)
    : CAbstractSetCommand(SetBuzzerVolume)
    , m_volume(value)
{
}

CSetBuzzerVolumeCommand::~CSetBuzzerVolumeCommand() = default;

QString CSetBuzzerVolumeCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Buzzer"), QString::number(m_volume));
}

} // namespace Communication
} // namespace Ulx
