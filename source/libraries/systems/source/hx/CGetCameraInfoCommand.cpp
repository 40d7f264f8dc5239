#include "hx/CGetCameraInfoCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CGetCameraInfoCommand::CGetCameraInfoCommand(const QVector<int>& parameterIds)
    : CAbstractGetCommand(GetCameraInfo)
    , m_parameterIds(parameterIds)
{
}

CGetCameraInfoCommand::~CGetCameraInfoCommand() = default;

QString CGetCameraInfoCommand::requestUrl() const
{
    QString url = cameraBaseUrl() + QStringLiteral("/cgi-bin/Config.cgi?action=get");
    for (const int id : m_parameterIds) {
        const QString name = TetronTables::cameraParameterNames().name(id);
        if (!name.isEmpty())
            url += QStringLiteral("&property=") + name;
    }
    return url;
}

void CGetCameraInfoCommand::processNetworkReply(QNetworkReply* reply)
{
    QList<QByteArray> lines;
    setResult(readStatusLines(reply, &lines));
    if (result() == Success) {
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> parts = lines.at(i).split('=');
            if (parts.size() != 2)
                continue;
            const int id = TetronTables::cameraParameterNames().id(QString::fromLatin1(parts.at(0)));
            if (id == 0)
                continue;
            const QVariant value = TetronTables::convertParameterValue(id, parts.at(1));
            if (value.isValid())
                m_values.insert(id, value);
        }
    }
    complete();
}

} // namespace Communication
} // namespace Ulx
