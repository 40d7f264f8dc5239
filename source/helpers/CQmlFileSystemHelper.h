#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

// File-system services of the media screens, published by the UI engine as
// "fileSystemHelper". A photo format argument is CSettings::PhotoFileFormat: 1 means JPEG
// ("jpg"), every other value PNG ("png").
class CQmlFileSystemHelper : public QObject
{
    Q_OBJECT

public:
    explicit CQmlFileSystemHelper(QObject* parent = nullptr);

    Q_INVOKABLE QString createUniquePhotoFileName(const QString& path, int photoFileFormat, bool includePath) const;
    Q_INVOKABLE QString createUniqueVideoFileName(const QString& path, bool includePath) const;
    Q_INVOKABLE QString fileSuffixForPhotoFormat(int photoFileFormat) const;
    Q_INVOKABLE QString sanitizePictureFileName(const QString& fileName, int photoFileFormat) const;
    Q_INVOKABLE QString sanitizeVideoFileName(const QString& fileName) const;
    Q_INVOKABLE QString fileNameFromUrl(const QString& fileUrl) const;
    Q_INVOKABLE QString fileNameFromPath(const QString& fullFileName) const;
    Q_INVOKABLE QString extractFilePath(const QString& fullFileName) const;
    Q_INVOKABLE bool createDirectory(const QString& path) const;
    Q_INVOKABLE QString queryExternalStoragePath() const;
    Q_INVOKABLE QString queryProjectRootPath() const;
    Q_INVOKABLE QString queryBrowsableRootPath() const;
    Q_INVOKABLE QString queryDeprecatedProjectRootPath() const;
    Q_INVOKABLE QString queryDisplayedStoragePath(const QString& path) const;
    Q_INVOKABLE QStringList getPhotosFromFileNames(const QStringList& fileNames) const;
    Q_INVOKABLE QString fileUrlToLocalFile(const QUrl& fileUrl) const;
    Q_INVOKABLE bool fileExists(const QString& absoluteFilePath) const;
    Q_INVOKABLE QString buildFileName(const QString& fileName, const QString& suffix) const;
};
