#include "hx/CAbstractSetCommand.h"

#include "hx/TetronCameraUrls.h"

namespace Ulx {
namespace Communication {

CAbstractSetCommand::CAbstractSetCommand(Type type)
    : CAbstractTetronCommand(type)
{
}

CAbstractSetCommand::~CAbstractSetCommand() = default;

void CAbstractSetCommand::processNetworkReply(QNetworkReply* reply)
{
    QList<QByteArray> lines;
    setResult(readStatusLines(reply, &lines));
    complete();
}

void CAbstractSetCommand::execute(QNetworkAccessManager* manager)
{
    sendRequest(manager, requestUrl());
}

QString CAbstractSetCommand::setUrl(const QString& property, const QString& value)
{
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/Config.cgi?action=set&property=") + property
           + QStringLiteral("&value=") + value;
}

} // namespace Communication
} // namespace Ulx
