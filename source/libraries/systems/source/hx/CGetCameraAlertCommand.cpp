#include "hx/CGetCameraAlertCommand.h"

#include "hx/TetronCameraUrls.h"

namespace Ulx {
namespace Communication {

CGetCameraAlertCommand::CGetCameraAlertCommand()
    : CAbstractGetCommand(GetCameraAlert)
{
}

CGetCameraAlertCommand::~CGetCameraAlertCommand() = default;

QString CGetCameraAlertCommand::requestUrl() const
{
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/Alert.cgi?action=get&property=Camera.Menu.Alert");
}

void CGetCameraAlertCommand::processNetworkReply(QNetworkReply* reply)
{
    QList<QByteArray> lines;
    setResult(readStatusLines(reply, &lines));
    if (result() == Success && lines.size() > 2) {
        const QList<QByteArray> parts = lines.at(2).split('=');
        if (parts.size() == 2) {
            bool ok = false;
            const int value = parts.at(1).toInt(&ok, 10);
            m_alert = ok ? value : 0;
            m_hasAlert = ok;
        }
    }
    complete();
}

} // namespace Communication
} // namespace Ulx
