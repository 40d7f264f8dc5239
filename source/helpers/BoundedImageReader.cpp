#include "helpers/BoundedImageReader.h"

#include <QImageReader>
#include <QIODevice>
#include <QPixelFormat>
#include <QtEndian>

namespace BoundedImageReader {

namespace {

QByteArray formatOf(const QByteArray& head)
{
    if (head.startsWith(QByteArray("\x89PNG\r\n\x1A\n", 8)))
        return QByteArrayLiteral("png");
    if (head.startsWith(QByteArray("\xFF\xD8\xFF", 3)))
        return QByteArrayLiteral("jpeg");
    return QByteArray();
}

// Bytes a sample the JPEG decoder holds beside its image: a progressive JPEG, or one whose first
// scan carries only some of its components, is decoded from the coefficients of the whole
// image, two bytes a sample. -1 when no frame and scan header are found.
int jpegCoefficientBytes(QIODevice* device)
{
    const qint64 start = device->pos();
    qint64 at = start + 2;
    int components = 0;
    bool multiScan = false;
    int result = -1;
    for (int segment = 0; segment < 512 && at + 4 <= device->size() && device->seek(at); ++segment) {
        const QByteArray head = device->read(10);
        if (head.size() < 4 || uchar(head[0]) != 0xFF)
            break;
        const uchar marker = uchar(head[1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at += 2;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && head.size() >= 10) {
            components = uchar(head[9]);
            multiScan = (marker & 0x03) == 0x02; // progressive frames: C2, C6, CA, CE
        } else if (marker == 0xDA) {
            if (components > 0 && head.size() >= 5)
                result = multiScan || uchar(head[4]) < components ? 2 * components : 0;
            break;
        }
        at += 2 + qFromBigEndian<quint16>(head.constData() + 2);
    }
    device->seek(start);
    return result;
}

} // namespace

QString refusal(QImageReader& reader)
{
    // Nothing to read is nothing to decode: reading fails, and the caller says so.
    QIODevice* device = reader.device();
    if (!device || (!device->isOpen() && !device->open(QIODevice::ReadOnly)))
        return QString();
    const QByteArray format = formatOf(device->peek(8));
    if (format.isEmpty())
        return QStringLiteral("it is not a PNG or JPEG image");
    // That format's decoder only, whatever the name says or another plugin would take it for.
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    reader.setFormat(format);
    const int coefficientBytes = format == "jpeg" ? jpegCoefficientBytes(device) : 0;
    const QSize size = reader.size();
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    if (size.isEmpty() || bits <= 0 || coefficientBytes < 0)
        return QStringLiteral("its %1 header tells no size or depth").arg(QString::fromLatin1(format.toUpper()));
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > MaximumPixels)
        return QStringLiteral("it claims %1 x %2 pixels, more than the %3 megapixels an image may have")
            .arg(size.width())
            .arg(size.height())
            .arg(MaximumPixels / 1000000);
    const qint64 bytes = pixels * bits / 8 + pixels * coefficientBytes;
    if (bytes > MaximumBytes)
        return QStringLiteral("it claims %1 x %2 pixels that decode into %3 MB, more than the %4 MB an image may take")
            .arg(size.width())
            .arg(size.height())
            .arg(bytes / 1000000)
            .arg(MaximumBytes / 1000000);
    return QString();
}

QImage read(const QString& fileName, QString* error)
{
    QImageReader reader(fileName);
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
    const QString reason = refusal(reader);
    if (error)
        *error = reason;
    return reason.isEmpty() ? reader.size() : QSize();
}

} // namespace BoundedImageReader
