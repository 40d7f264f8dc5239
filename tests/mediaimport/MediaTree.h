#pragma once

// Media trees generated at test time: noise photos, short H.264 MP4 videos from GStreamer (one
// with a rotated track), files of given sizes, sparse files. Every wait is bounded.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QtEndian>

namespace MediaTree {

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Byte-for-byte equality without holding either file whole.
inline bool sameContent(const QString& left, const QString& right)
{
    QFile a(left);
    QFile b(right);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(1 << 20) != b.read(1 << 20))
            return false;
    }
    return true;
}

inline QByteArray noise(qint64 size, quint32 seed)
{
    QByteArray bytes(static_cast<int>(size), Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), static_cast<qsizetype>(size / 4));
    return bytes;
}

// A small image of random pixels in the format its suffix names.
inline bool writePhoto(const QString& path, quint32 seed)
{
    QImage image(64, 48, QImage::Format_RGB32);
    QRandomGenerator generator(seed);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, generator.generate());
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString suffix = QFileInfo(path).suffix().toLower();
    return image.save(path, suffix == QLatin1String("png") ? "PNG" : "JPEG");
}

// A ten-frame H.264 MP4; false when GStreamer's tools are missing.
inline bool writeVideo(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        return false;
    QProcess process;
    process.start(launcher, {QStringLiteral("-q"), QStringLiteral("videotestsrc"), QStringLiteral("num-buffers=10"),
                             QStringLiteral("!"), QStringLiteral("video/x-raw,width=160,height=120"),
                             QStringLiteral("!"), QStringLiteral("x264enc"), QStringLiteral("!"),
                             QStringLiteral("mp4mux"), QStringLiteral("!"), QStringLiteral("filesink"),
                             QStringLiteral("location=") + path});
    return process.waitForFinished(60000) && process.exitCode() == 0 && QFileInfo(path).size() > 0;
}

// Offset of the first track header's matrix, -1 when there is none.
inline qint64 matrixOffset(const QByteArray& bytes)
{
    const int at = bytes.indexOf("tkhd");
    if (at < 0 || at + 5 >= bytes.size())
        return -1;
    return at + 4 + (bytes.at(at + 4) == 0 ? 40 : 52);
}

inline QVector<qint32> trackMatrix(const QString& path)
{
    const QByteArray bytes = readBytes(path);
    const qint64 offset = matrixOffset(bytes);
    QVector<qint32> values;
    if (offset < 0 || offset + 36 > bytes.size())
        return values;
    for (int i = 0; i < 9; ++i)
        values.append(qFromBigEndian<qint32>(bytes.constData() + offset + 4 * i));
    return values;
}

inline QVector<qint32> identityMatrix()
{
    return {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
}

// Turns the first track by 90 degrees, as some cameras record.
inline bool rotateVideo(const QString& path)
{
    QByteArray bytes = readBytes(path);
    const qint64 offset = matrixOffset(bytes);
    if (offset < 0)
        return false;
    const qint32 rotated[9] = {0, 0x10000, 0, -0x10000, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i)
        qToBigEndian<qint32>(rotated[i], bytes.data() + offset + 4 * i);
    return writeBytes(path, bytes);
}

inline bool writeSparse(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

// Names of temporary leftovers ("name.XXXXXX") below a folder.
inline QStringList temporaryLeftovers(const QString& folder)
{
    QStringList found;
    QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            found += temporaryLeftovers(entry.absoluteFilePath());
        else if (entry.fileName().contains(QRegularExpression(QStringLiteral("\\.[^.]+\\.[A-Za-z0-9]{6}$"))))
            found.append(entry.absoluteFilePath());
    }
    return found;
}

} // namespace MediaTree
