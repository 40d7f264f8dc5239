// Small, valid image files whose headers claim a giant size, as a damaged card or a hostile
// download may hold them. Header only; a test includes "support/GiantImages.h".
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMap>
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

// A complete black RGB PNG of width x height with 8 or 16 bits a sample, every row there: one
// compressed block of rows, flushed so that the compressor starts afresh, repeated for the
// whole picture. About a thousandth of what it decodes into.
inline QByteArray png(int width, int height, int bits = 8)
{
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(width), header.data());
    qToBigEndian<quint32>(quint32(height), header.data() + 4);
    header[8] = char(bits);
    header[9] = 2;  // RGB
    detail::appendChunk(png, "IHDR", header);

    const int rowsPerBlock = 100;
    const QByteArray block(rowsPerBlock * (1 + 3 * bits / 8 * qint64(width)), '\0');
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

// An icon (or with type 2 a cursor) file whose one entry says 256 x 256 and holds the image.
inline QByteArray ico(const QByteArray& image, quint16 type = 1)
{
    QByteArray ico(22, '\0');
    qToLittleEndian<quint16>(type, ico.data() + 2);
    qToLittleEndian<quint16>(1, ico.data() + 4);  // entries
    qToLittleEndian<quint16>(1, ico.data() + 10); // planes
    qToLittleEndian<quint16>(32, ico.data() + 12); // bits
    qToLittleEndian<quint32>(quint32(image.size()), ico.data() + 14);
    qToLittleEndian<quint32>(22, ico.data() + 18);
    return ico + image;
}

// The header of a top-down (negative height) 24-bit bitmap of width x height, and one row.
inline QByteArray topDownBmp(int width, int height)
{
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(quint32(bmp.size() + 3 * width), bmp.data() + 2);
    qToLittleEndian<quint32>(54, bmp.data() + 10);
    qToLittleEndian<quint32>(40, bmp.data() + 14);
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(-height, bmp.data() + 22);
    qToLittleEndian<quint16>(1, bmp.data() + 26);
    qToLittleEndian<quint16>(24, bmp.data() + 28);
    return bmp + QByteArray(3 * width, '\0');
}

// A gzip stream of the bytes, as a .svgz holds its drawing.
inline QByteArray gzip(const QByteArray& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Files of every format Qt's readers here take, each claiming size x size pixels (a PNG or
// JPEG inside an icon or a cursor, a bitmap top-down, a drawing, the text formats), keyed by
// the format; the icon also under a photo's names. With a 16-bit PNG of 8,000 x 8,000, which
// decodes into eight bytes a pixel.
inline QMap<QString, QByteArray> containers(int size = 30000)
{
    const QByteArray side = QByteArray::number(size);
    const QByteArray giantPng = png(size, size);
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + side + "\" height=\"" + side
        + "\"><rect width=\"10\" height=\"10\"/></svg>";
    QByteArray gif("GIF89a", 6);
    gif.append(char(size & 0xFF)).append(char(size >> 8)).append(char(size & 0xFF)).append(char(size >> 8));
    gif.append(QByteArray("\0\0\0,\0\0\0\0", 8)).append(char(size & 0xFF)).append(char(size >> 8));
    gif.append(char(size & 0xFF)).append(char(size >> 8)).append(QByteArray("\0\x02\x02\x44\x01\0;", 8));
    return {
        {QStringLiteral("ico-png.png"), ico(giantPng)},
        {QStringLiteral("ico-png.jpg"), ico(giantPng)},
        {QStringLiteral("ico-jpeg.jpg"), ico(jpeg(size, size))},
        {QStringLiteral("cur-png.png"), ico(giantPng, 2)},
        {QStringLiteral("bmp-top-down.png"), topDownBmp(size, size)},
        {QStringLiteral("png-16-bit.png"), png(8000, 8000, 16)},
        {QStringLiteral("gif.jpg"), gif},
        {QStringLiteral("svg.png"), svg},
        {QStringLiteral("svgz.png"), gzip(svg)},
        {QStringLiteral("pbm.png"), "P4\n" + side + " " + side + "\n"},
        {QStringLiteral("pgm.png"), "P5\n" + side + " " + side + "\n255\n"},
        {QStringLiteral("ppm.jpg"), "P6\n" + side + " " + side + "\n255\n"},
        {QStringLiteral("xbm.png"),
         "#define g_width " + side + "\n#define g_height " + side + "\nstatic char g_bits[] = {0x00};\n"},
        {QStringLiteral("xpm.jpg"),
         "/* XPM */\nstatic char *g[] = {\n\"" + side + " " + side + " 1 1\",\n\"  c #000000\",\n\"  \"};\n"},
    };
}

inline bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return !data.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace GiantImages
