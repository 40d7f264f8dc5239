#include "hx/CGetThumbnailCommand.h"

#include "hx/TetronCameraUrls.h"

#include "CLogger.h"

#include <QNetworkReply>

namespace Ulx {
namespace Communication {

CGetThumbnailCommand::CGetThumbnailCommand(const QString& fileUrl)
    : CAbstractGetCommand(GetThumbnail)
    , m_fileUrl(fileUrl)
{
}

CGetThumbnailCommand::~CGetThumbnailCommand() = default;

QString CGetThumbnailCommand::requestUrl() const
{
    return cameraBaseUrl() + QStringLiteral("/thumb") + encodedCameraPath(cameraFilePath(m_fileUrl));
}

void CGetThumbnailCommand::processNetworkReply(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        setResult(NetworkError);
    } else {
        m_image = QImage::fromData(reply->readAll(), "JPEG");
        setResult(m_image.isNull() ? InternalError : Success);
    }
    complete();
}

void CGetThumbnailCommand::execute(QNetworkAccessManager* manager)
{
    if (!isSafeCameraPath(cameraFilePath(m_fileUrl))) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning,
                                             QStringLiteral("UlxSystemsLibrary"),
                                             QStringLiteral("[GetThumbnail] Refused file URL %1.").arg(m_fileUrl));
        setResult(InternalError);
        complete();
        return;
    }
    CAbstractGetCommand::execute(manager);
}

} // namespace Communication
} // namespace Ulx
