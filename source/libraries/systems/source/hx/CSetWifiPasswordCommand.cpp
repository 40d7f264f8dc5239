#include "hx/CSetWifiPasswordCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetWifiPasswordCommand::CSetWifiPasswordCommand(const QString& value)
    : CAbstractSetCommand(SetWifiPassword)
    , m_key(value)
{
}

CSetWifiPasswordCommand::~CSetWifiPasswordCommand() = default;

QString CSetWifiPasswordCommand::requestUrl() const
{
    return setUrl(QStringLiteral("Net.WIFI_AP.CryptoKey"), percentEncoded(m_key));
}

} // namespace Communication
} // namespace Ulx
