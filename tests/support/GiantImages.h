// Small, valid image files whose headers claim a giant size, as a damaged card or a hostile
// download may hold them. Header only; a test includes "support/GiantImages.h".
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <zlib.h>

namespace GiantImages {

// A progressive greyscale JPEG of a few hundred bytes whose frame header claims width x
// height: a decoder sets aside (and clears) its coefficients for the whole claimed size
// before it reads a single scan.
inline QByteArray jpeg(int width, int height)
{
    QImage small(16, 16, QImage::Format_Grayscale8);
    small.fill(128);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    if (!writer.write(small))
        return QByteArray();
    QByteArray data = buffer.data();
    // SOF2: marker, length (2), precision (1), height (2), width (2).
    const int sof = data.indexOf("\xFF\xC2");
    if (sof < 0)
        return QByteArray();
    qToBigEndian<quint16>(quint16(height), data.data() + sof + 5);
    qToBigEndian<quint16>(quint16(width), data.data() + sof + 7);
    return data;
}

namespace detail {

inline void appendChunk(QByteArray& png, const char* type, const QByteArray& body)
{
    char length[4];
    qToBigEndian<quint32>(quint32(body.size()), length);
    png.append(length, 4);
    const QByteArray typed = QByteArray(type, 4) + body;
    png.append(typed);
    char crc[4];
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))),
                          crc);
    png.append(crc, 4);
}

} // namespace detail

// A complete black 8-bit RGB PNG of width x height, every row there: one compressed block of
// rows, flushed so that the compressor starts afresh, repeated for the whole picture. About
// a thousandth of what it decodes into.
inline QByteArray png(int width, int height)
{
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    detail::appendChunk(png, "IHDR", header);

    const int rowsPerBlock = 100;
    const QByteArray block(rowsPerBlock * (1 + 3 * qint64(width)), '\0');
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray compressedBlock(int(deflateBound(&stream, uLong(block.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.constData()));
    stream.avail_in = uInt(block.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressedBlock.data());
    stream.avail_out = uInt(compressedBlock.size());
    deflate(&stream, Z_FULL_FLUSH);
    compressedBlock.resize(int(stream.total_out));
    deflateEnd(&stream);

    // zlib header, the blocks, an empty final stored block and the checksum of all rows.
    QByteArray idat("\x78\xDA", 2);
    uLong adler = adler32(0, nullptr, 0);
    const uLong blockAdler = adler32(1, reinterpret_cast<const Bytef*>(block.constData()), uInt(block.size()));
    for (int row = 0; row < height; row += rowsPerBlock) {
        idat.append(compressedBlock);
        adler = adler32_combine(adler, blockAdler, z_off_t(block.size()));
    }
    idat.append("\x01\x00\x00\xFF\xFF", 5);
    char checksum[4];
    qToBigEndian<quint32>(quint32(adler), checksum);
    idat.append(checksum, 4);
    detail::appendChunk(png, "IDAT", idat);
    detail::appendChunk(png, "IEND", QByteArray());
    return png;
}

inline bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return !data.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace GiantImages
