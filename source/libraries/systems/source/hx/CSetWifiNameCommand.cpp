#include "hx/CSetWifiNameCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetWifiNameCommand::CSetWifiNameCommand(const QString& value)
    : CAbstractSetCommand(SetWifiName)
    , m_name(value)
{
}

CSetWifiNameCommand::~CSetWifiNameCommand() = default;

QString CSetWifiNameCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Net.WIFI_AP.SSID"), percentEncoded(m_name));
}

} // namespace Communication
} // namespace Ulx
