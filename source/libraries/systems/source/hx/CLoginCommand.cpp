#include "hx/CLoginCommand.h"

#include "hx/TetronCameraUrls.h"

#include <QNetworkReply>

namespace Ulx {
namespace Communication {

namespace {
// The camera's fixed credentials, the same for every camera of the family.
const char* const kUserName = "admin";
const char* const kPassword = "tovel";
} // namespace

CLoginCommand::CLoginCommand()
    : CAbstractTetronCommand(Login)
{
}

CLoginCommand::~CLoginCommand() = default;

QString CLoginCommand::requestUrl()
{
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/User.cgi?action=login&user=") + QLatin1String(kUserName)
           + QStringLiteral("&pass=") + QLatin1String(kPassword);
}

void CLoginCommand::processNetworkReply(QNetworkReply* reply)
{
    if (reply->error() == QNetworkReply::ContentNotFoundError) {
        setResult(LoginNotAvailable);
    } else {
        QList<QByteArray> lines;
        setResult(readStatusLines(reply, &lines));
    }
    complete();
}

void CLoginCommand::execute(QNetworkAccessManager* manager)
{
    // A stale session cookie must not go with a fresh log-in.
    sendRequest(manager, requestUrl(), true);
}

} // namespace Communication
} // namespace Ulx
