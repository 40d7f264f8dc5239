#include "helpers/CQmlFileSystemHelper.h"

#include "application/PathHelpers.h"
#include "helpers/MediaFileTypes.h"

#include <QDir>

namespace {

QString photoSuffix(int photoFileFormat)
{
    // 1 is CSettings::PhotoFileFormatJPEG; anything else, unknown values included, is PNG.
    return mediaFileSuffix(photoFileFormat == 1 ? MediaFileTypeJPEG : MediaFileTypePNG);
}

QString sanitizedName(const QString& fileName, const QString& suffix)
{
    const QString trimmed = fileName.trimmed();
    if (trimmed.isEmpty())
        return QString();
    return ::buildFileName(trimmed, suffix);
}

} // namespace

CQmlFileSystemHelper::CQmlFileSystemHelper(QObject* parent)
    : QObject(parent)
{
}

QString CQmlFileSystemHelper::createUniquePhotoFileName(const QString& path, int photoFileFormat, bool includePath) const
{
    return ::createUniqueFileName(path, photoSuffix(photoFileFormat), includePath);
}

QString CQmlFileSystemHelper::createUniqueVideoFileName(const QString& path, bool includePath) const
{
    return ::createUniqueFileName(path, mediaFileSuffix(MediaFileTypeMP4), includePath);
}

QString CQmlFileSystemHelper::fileSuffixForPhotoFormat(int photoFileFormat) const
{
    return photoSuffix(photoFileFormat);
}

QString CQmlFileSystemHelper::sanitizePictureFileName(const QString& fileName, int photoFileFormat) const
{
    return sanitizedName(fileName, photoSuffix(photoFileFormat));
}

QString CQmlFileSystemHelper::sanitizeVideoFileName(const QString& fileName) const
{
    return sanitizedName(fileName, mediaFileSuffix(MediaFileTypeMP4));
}

QString CQmlFileSystemHelper::fileNameFromUrl(const QString& fileUrl) const
{
    return ::fileNameFromUrl(fileUrl);
}

QString CQmlFileSystemHelper::fileNameFromPath(const QString& fullFileName) const
{
    return ::fileNameFromPath(fullFileName);
}

QString CQmlFileSystemHelper::extractFilePath(const QString& fullFileName) const
{
    return ::extractFilePath(fullFileName);
}

bool CQmlFileSystemHelper::createDirectory(const QString& path) const
{
    if (path.isEmpty())
        return false;
    return QDir().mkpath(path);
}

QString CQmlFileSystemHelper::queryExternalStoragePath() const
{
    return ::queryExternalStoragePath();
}

QString CQmlFileSystemHelper::queryProjectRootPath() const
{
    return ::queryProjectRootPath();
}

QString CQmlFileSystemHelper::queryBrowsableRootPath() const
{
    // The file dialogs take an empty root as "the whole file system".
    return QString();
}

QString CQmlFileSystemHelper::queryDeprecatedProjectRootPath() const
{
    return QString();
}

QString CQmlFileSystemHelper::queryDisplayedStoragePath(const QString& path) const
{
    return path;
}

QStringList CQmlFileSystemHelper::getPhotosFromFileNames(const QStringList& fileNames) const
{
    QStringList photos;
    for (const QString& name : fileNames) {
        if (isPhotoFile(name))
            photos.append(name);
    }
    return photos;
}

QString CQmlFileSystemHelper::fileUrlToLocalFile(const QUrl& fileUrl) const
{
    return fileUrl.toLocalFile();
}

bool CQmlFileSystemHelper::fileExists(const QString& absoluteFilePath) const
{
    return ::fileExists(absoluteFilePath);
}

QString CQmlFileSystemHelper::buildFileName(const QString& fileName, const QString& suffix) const
{
    return ::buildFileName(fileName, suffix);
}
