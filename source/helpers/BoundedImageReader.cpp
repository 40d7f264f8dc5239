#include "helpers/BoundedImageReader.h"

#include <QImageReader>

namespace BoundedImageReader {

QString refusal(QImageReader& reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() <= MaximumPixels)
        return QString();
    return QStringLiteral("it claims %1 x %2 pixels, more than the %3 megapixels an image may have")
        .arg(size.width())
        .arg(size.height())
        .arg(MaximumPixels / 1000000);
}

QImage read(const QString& fileName, QString* error)
{
    QImageReader reader(fileName);
    reader.setDecideFormatFromContent(true);
    QString reason = refusal(reader);
    QImage image;
    if (reason.isEmpty()) {
        image = reader.read();
        if (image.isNull())
            reason = reader.errorString();
    }
    if (error)
        *error = reason;
    return image;
}

QSize claimedSize(const QString& fileName, QString* error)
{
    QImageReader reader(fileName);
    reader.setDecideFormatFromContent(true);
    const QString reason = refusal(reader);
    if (error)
        *error = reason;
    return reason.isEmpty() ? reader.size() : QSize();
}

} // namespace BoundedImageReader
