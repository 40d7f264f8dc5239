#include "surveyprojects/CMapTileImageProvider.h"

#include "surveyprojects/MapTileCache.h"

#include "CLogger.h"

#include <QFile>

using Tovrin::Logging::CLogger;

CMapTileImageProvider::CMapTileImageProvider(const QString& cacheRoot)
    : QQuickImageProvider(QQuickImageProvider::Image, QQmlImageProviderBase::ForceAsynchronousImageLoading)
    , m_cacheRoot(cacheRoot)
{
}

QImage CMapTileImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const QString path = MapTileCache::tilePath(m_cacheRoot, id);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QImage();
    QImage image;
    QString cause;
    if (!MapTileCache::decodeTile(&file, &image, &cause)) {
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("MapTiles"), "Cached map tile removed.", {path, cause});
        file.close();
        QFile::remove(path);
        return QImage();
    }
    if (size)
        *size = image.size();
    if (requestedSize.isValid() && requestedSize != image.size())
        image = image.scaled(requestedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}
