#include "hx/CDeleteFileCommand.h"

#include "hx/TetronCameraUrls.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

CDeleteFileCommand::CDeleteFileCommand(const QString& fileUrl)
    : CAbstractSetCommand(DeleteFile)
    , m_fileUrl(fileUrl)
{
}

CDeleteFileCommand::~CDeleteFileCommand() = default;

QString CDeleteFileCommand::requestUrl() const
{
    // The camera names the file by its path with "$" for "/"; a "$" inside a name stays encoded.
    QString property = encodedCameraPath(cameraFilePath(m_fileUrl));
    property.replace(QLatin1Char('/'), QLatin1Char('$'));
    return cameraBaseUrl() + QStringLiteral("/cgi-bin/Config.cgi?action=del&property=") + property;
}

void CDeleteFileCommand::execute(QNetworkAccessManager* manager)
{
    if (!isSafeCameraPath(cameraFilePath(m_fileUrl))) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning,
                                             QStringLiteral("UlxSystemsLibrary"),
                                             QStringLiteral("[DeleteFile] Refused file URL %1.").arg(m_fileUrl));
        setResult(InternalError);
        complete();
        return;
    }
    CAbstractSetCommand::execute(manager);
}

} // namespace Communication
} // namespace Ulx
