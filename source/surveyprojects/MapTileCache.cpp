#include "surveyprojects/MapTileCache.h"

#include "CLogger.h"
#include "helpers/BoundedImageReader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

using Tovrin::Logging::CLogger;

namespace MapTileCache {

namespace {

const QString LogCategory = QStringLiteral("MapTiles");

} // namespace

QString rootFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/map-tiles/");
}

QString serverKey(const QString& serverUrl)
{
    return QString::fromLatin1(QCryptographicHash::hash(serverUrl.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

QString tileId(const QString& serverKey, int z, int x, int y)
{
    return QStringLiteral("%1/%2/%3/%4").arg(serverKey).arg(z).arg(x).arg(y);
}

QString tilePath(const QString& root, const QString& id)
{
    static const QRegularExpression Id(QStringLiteral("^[0-9a-f]{16}/\\d{1,2}/\\d{1,7}/\\d{1,7}$"));
    return Id.match(id).hasMatch() ? root + id : QString();
}

bool decodeTile(QIODevice* device, QImage* image, QString* cause)
{
    QImageReader reader(device);
    const QString refusal = BoundedImageReader::refusal(reader);
    if (!refusal.isEmpty()) {
        *cause = refusal;
        return false;
    }
    const QSize size = reader.size();
    if (!size.isValid() || size.width() != size.height() || size.width() > MaxTilePixels) {
        *cause = QStringLiteral("a tile of %1 x %2 pixels").arg(size.width()).arg(size.height());
        return false;
    }
    if (!reader.read(image)) {
        *cause = reader.errorString();
        return false;
    }
    return true;
}

bool storeTile(const QByteArray& bytes, const QString& path, const QString& url)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImage image;
    QString cause;
    if (!decodeTile(&buffer, &image, &cause)) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Map tile refused.", {url, cause});
        return false;
    }
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Map tile not cached.", {path, file.errorString()});
        return false;
    }
    return true;
}

void trim(const QString& root, qint64 maxBytes)
{
    std::vector<QFileInfo> files;
    qint64 total = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.push_back(it.fileInfo());
        total += it.fileInfo().size();
    }
    if (total <= maxBytes)
        return;
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() < b.lastModified(); });
    for (const QFileInfo& file : files) {
        if (total <= maxBytes)
            break;
        if (QFile::remove(file.filePath()))
            total -= file.size();
    }
}

} // namespace MapTileCache
