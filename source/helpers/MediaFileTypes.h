#pragma once

#include <QString>
#include <QStringList>

// Which files count as photos or videos, by their suffix (compared ignoring case).
enum MediaFileType
{
    MediaFileTypeOther = 0,
    MediaFileTypePNG = 1,
    MediaFileTypeJPEG = 2,
    MediaFileTypeMP4 = 3
};

MediaFileType mediaFileType(const QString& filePath);
bool isPhotoFile(const QString& filePath);
bool isVideoFile(const QString& filePath);
QString mediaFileSuffix(MediaFileType type);
// "*.jpg", "*.jpeg", "*.png" with photos, then "*.mp4" with videos.
QStringList mediaFileNameFilters(bool photos, bool videos);
