#include "hx/CGetThumbnailCommand.h"

#include "hx/TetronCameraUrls.h"

#include "CLogger.h"

#include <QBuffer>
#include <QImageReader>
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
        QBuffer buffer;
        buffer.setData(reply->readAll());
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "JPEG");
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > MaximumPixels) {
            Tovrin::Logging::CLogger::logMessage(
                Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
                QStringLiteral("[GetThumbnail] Refused a thumbnail of %1 x %2 pixels.").arg(size.width()).arg(size.height()));
        } else {
            m_image = reader.read();
        }
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
