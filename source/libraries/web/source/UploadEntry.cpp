#include "UploadEntry.h"

#include <QStringList>

namespace Tovrin {
namespace Web {

namespace {
const QStringList kVideoTypes = {QStringLiteral("mpg"), QStringLiteral("avi"), QStringLiteral("mp2"),
                                 QStringLiteral("wmv"), QStringLiteral("mp4"), QStringLiteral("mov")};
const QStringList kPictureTypes = {QStringLiteral("bmp"),  QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                   QStringLiteral("tiff"), QStringLiteral("emf"), QStringLiteral("exif"),
                                   QStringLiteral("png"),  QStringLiteral("wmf")};
} // namespace

UploadEntry::UploadEntry(const QString& filePath, const QString& relativePath, const QDateTime& lastModified, qint64 size)
    : filePath(filePath)
    , relativePath(relativePath)
    , lastModified(lastModified)
    , size(size)
{
    const QString extension = relativePath.section(QLatin1Char('.'), -1).toLower();
    isVideo = kVideoTypes.contains(extension);
    isPicture = kPictureTypes.contains(extension);
}

QString UploadEntry::fileName() const
{
    return relativePath.section(QLatin1Char('/'), -1);
}

} // namespace Web
} // namespace Tovrin
