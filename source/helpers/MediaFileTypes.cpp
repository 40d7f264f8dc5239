#include "helpers/MediaFileTypes.h"

#include <QStringRef>

namespace {

const QString PngSuffix = QStringLiteral("png");
const QString JpgSuffix = QStringLiteral("jpg");
const QString JpegSuffix = QStringLiteral("jpeg");
const QString Mp4Suffix = QStringLiteral("mp4");
const QString FilterPrefix = QStringLiteral("*.");

} // namespace

MediaFileType mediaFileType(const QString& filePath)
{
    // The file name's part behind its last dot, as QFileInfo::suffix() has it, without making
    // a QFileInfo: the media scan asks this of every file in a tree.
    const int dot = filePath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || filePath.indexOf(QLatin1Char('/'), dot) >= 0)
        return MediaFileTypeOther;
    const QStringRef suffix = filePath.midRef(dot + 1);
    if (suffix.compare(PngSuffix, Qt::CaseInsensitive) == 0)
        return MediaFileTypePNG;
    if (suffix.compare(JpgSuffix, Qt::CaseInsensitive) == 0 || suffix.compare(JpegSuffix, Qt::CaseInsensitive) == 0)
        return MediaFileTypeJPEG;
    if (suffix.compare(Mp4Suffix, Qt::CaseInsensitive) == 0)
        return MediaFileTypeMP4;
    return MediaFileTypeOther;
}

bool isPhotoFile(const QString& filePath)
{
    const MediaFileType type = mediaFileType(filePath);
    return type == MediaFileTypePNG || type == MediaFileTypeJPEG;
}

bool isVideoFile(const QString& filePath)
{
    return mediaFileType(filePath) == MediaFileTypeMP4;
}

QString mediaFileSuffix(MediaFileType type)
{
    switch (type) {
    case MediaFileTypePNG:
        return PngSuffix;
    case MediaFileTypeJPEG:
        return JpgSuffix;
    case MediaFileTypeMP4:
        return Mp4Suffix;
    case MediaFileTypeOther:
        break;
    }
    return QString();
}

QStringList mediaFileNameFilters(bool photos, bool videos)
{
    QStringList filters;
    if (photos)
        filters << FilterPrefix + JpgSuffix << FilterPrefix + JpegSuffix << FilterPrefix + PngSuffix;
    if (videos)
        filters << FilterPrefix + Mp4Suffix;
    return filters;
}
