#include "PathHelpers.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>
#include <QUuid>

namespace {

const QString kProjectsFolderName = QStringLiteral("Culvertix-Projects/");
const QString kDrawingTemplatesFolderName = QStringLiteral("DrawingTemplates/");
const QString kPhotosFolderName = QStringLiteral("Photos/");
const QString kVideosFolderName = QStringLiteral("Videos/");
const QString kMediaDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kMediaTimeFormat = QStringLiteral("HH-mm");
const QString kMediaSeparator = QStringLiteral("_");
constexpr int kMaxUniqueNameAttempts = 9998;

QString extensionOf(const QString& suffix)
{
    if (suffix.isEmpty() || suffix.startsWith(QLatin1Char('.')))
        return suffix;
    return QLatin1Char('.') + suffix;
}

// Lower-case names of the folder's visible files with the given extension.
QSet<QString> existingNames(const QString& folder, const QString& extension)
{
    QDir dir(folder);
    dir.setNameFilters({QLatin1Char('*') + extension});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Unsorted);
    QSet<QString> names;
    const QStringList entries = dir.entryList();
    for (const QString& name : entries)
        names.insert(name.toLower());
    return names;
}

QString resultName(const QString& folder, const QString& name, bool absolute)
{
    return absolute ? QDir(folder).absoluteFilePath(name) : name;
}

int countEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Drives | QDir::NoDotAndDotDot).size();
}

// The volume of a path that may not exist yet: its nearest existing ancestor decides.
QStorageInfo volumeOf(const QString& path)
{
    QFileInfo info(path);
    QString candidate = info.absoluteFilePath();
    while (!candidate.isEmpty() && !QFileInfo::exists(candidate)) {
        const QString parent = QFileInfo(candidate).absolutePath();
        if (parent == candidate)
            break;
        candidate = parent;
    }
    return QStorageInfo(candidate);
}

struct VolumeKey
{
    QString device;
    QString rootPath;
    bool operator==(const VolumeKey& other) const { return device == other.device && rootPath == other.rootPath; }
};

uint qHash(const VolumeKey& key, uint seed = 0)
{
    return ::qHash(key.device + key.rootPath, seed);
}

VolumeKey keyOf(const QStorageInfo& info)
{
    return {QString::fromLatin1(info.device()), info.rootPath()};
}

} // namespace

QString queryHomePath()
{
    return ensureTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));
}

QString queryProjectRootPath()
{
    return queryHomePath() + kProjectsFolderName;
}

QString deprecatedProjectRootPath()
{
    return queryProjectRootPath();
}

QString queryDrawingTemplatesPath()
{
    return ensureTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        + kDrawingTemplatesFolderName;
}

QString queryExternalStoragePath()
{
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (auto it = volumes.crbegin(); it != volumes.crend(); ++it) {
        if (it->isValid() && it->isReady())
            return ensureTrailingSlash(it->rootPath());
    }
    return queryHomePath();
}

QString ensureTrailingSlash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

QString buildFolderPath(const QString& folder, const QString& subFolder)
{
    if (folder.isEmpty() || subFolder.isEmpty())
        return QString();
    return ensureTrailingSlash(folder) + ensureTrailingSlash(subFolder);
}

QString buildFilePath(const QString& folder, const QString& fileName)
{
    if (folder.isEmpty() || fileName.isEmpty())
        return QString();
    return ensureTrailingSlash(folder) + fileName;
}

QString photosFolderName()
{
    return kPhotosFolderName;
}

QString videosFolderName()
{
    return kVideosFolderName;
}

QString photosFolderPath(const QString& folder)
{
    return buildFolderPath(folder, kPhotosFolderName);
}

QString videosFolderPath(const QString& folder)
{
    return buildFolderPath(folder, kVideosFolderName);
}

QString extractFilePath(const QString& filePath)
{
    return ensureTrailingSlash(QFileInfo(filePath).absolutePath());
}

QString fileNameFromPath(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QStringList fileNamesFromPaths(const QStringList& paths)
{
    QStringList names;
    names.reserve(paths.size());
    for (const QString& path : paths)
        names.append(fileNameFromPath(path));
    return names;
}

QString fileNameFromUrl(const QString& url)
{
    // A plain name or path is taken as it is: "A%20B.JPG" is a file of that very name, not
    // "A B.JPG". Only an address carries an encoding.
    if (!url.contains(QLatin1String("://")))
        return fileNameFromPath(url);
    const QUrl parsed(url, QUrl::TolerantMode);
    return QFileInfo(parsed.path(QUrl::FullyDecoded)).fileName();
}

QString relativePath(const QString& path, const QString& root)
{
    if (!path.startsWith(root))
        return QString();
    // "/media2/x" is not inside "/media": the root must end at a path component.
    if (!root.isEmpty() && !root.endsWith(QLatin1Char('/')) && path.size() > root.size()
        && path.at(root.size()) != QLatin1Char('/'))
        return QString();
    QString rest = path.mid(root.size());
    if (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    return rest;
}

QString relativePathFromUrl(const QString& url, const QString& root)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    if (!parsed.isLocalFile())
        return QString();
    return relativePath(parsed.toLocalFile(), root);
}

QString buildFileName(const QString& fileName, const QString& suffix)
{
    if (suffix.isEmpty() || QFileInfo(fileName).isDir())
        return fileName;
    QString base = fileName;
    const int dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && !QFileInfo(fileName).suffix().isEmpty())
        base.truncate(dot);
    return base + QLatin1Char('.') + suffix;
}

QString sanitizeFileName(const QString& name)
{
    static const QRegularExpression forbidden(QStringLiteral("[\"<>|:*?\\\\/]"));
    QString result = name;
    result.replace(forbidden, QStringLiteral("_"));
    return result;
}

QString sanitizeFolderName(const QString& name)
{
    return ensureTrailingSlash(sanitizeFileName(name.trimmed()));
}

bool createMediaFolders(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    QDir dir;
    return dir.mkpath(folder) && dir.mkpath(photosFolderPath(folder)) && dir.mkpath(videosFolderPath(folder));
}

void removeEmptyMediaFolders(const QString& folder)
{
    const QString photos = photosFolderPath(folder);
    const QString videos = videosFolderPath(folder);
    if (photos.isEmpty() || countEntries(photos) != 0 || countEntries(videos) != 0 || countEntries(folder) != 2)
        return;
    QDir dir;
    dir.rmdir(photos);
    dir.rmdir(videos);
    dir.rmdir(folder);
}

bool subFolderExists(const QString& folder, const QString& subFolderName)
{
    QDir dir(folder);
    if (dir.exists(subFolderName))
        return true;
    QString wanted = subFolderName;
    if (wanted.endsWith(QLatin1Char('/')))
        wanted.chop(1);
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : folders) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool fileExists(const QString& filePath)
{
    if (QFile::exists(filePath))
        return true;
    const QFileInfo info(filePath);
    const QString name = fileNameFromPath(filePath);
    const QStringList files = QDir(info.absolutePath()).entryList(QDir::Files);
    for (const QString& file : files) {
        if (file.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

qint64 folderSize(const QString& folder)
{
    const QString path = ensureTrailingSlash(folder);
    QDir dir(path);
    qint64 total = 0;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& file : files)
        total += file.size();
    const QStringList subFolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& sub : subFolders)
        total += folderSize(path + sub + QLatin1Char('/'));
    return total;
}

QString createUniqueFileName(const QString& folder, const QString& suffix, bool absolute)
{
    return createUniqueFileName(folder, suffix, absolute, QDateTime::currentDateTime());
}

QString createUniqueFileName(const QString& folder, const QString& suffix, bool absolute, const QDateTime& now)
{
    const QString extension = extensionOf(suffix);
    const QSet<QString> taken = existingNames(folder, extension);
    const QString prefix = now.toString(kMediaDateFormat) + kMediaSeparator + now.toString(kMediaTimeFormat)
        + kMediaSeparator;
    for (int counter = 1; counter <= kMaxUniqueNameAttempts; ++counter) {
        const QString candidate = prefix + QStringLiteral("%1").arg(counter, 4, 10, QLatin1Char('0')) + extension;
        if (!taken.contains(candidate.toLower()))
            return resultName(folder, candidate, absolute);
    }
    return QString();
}

QString createUniqueUuidFileName(const QString& folder, const QString& suffix, bool absolute)
{
    const QString extension = extensionOf(suffix);
    const QSet<QString> taken = existingNames(folder, extension);
    for (int attempt = 0; attempt < kMaxUniqueNameAttempts; ++attempt) {
        const QString candidate = QUuid::createUuid().toString(QUuid::WithoutBraces) + extension;
        if (!taken.contains(candidate.toLower()))
            return resultName(folder, candidate, absolute);
    }
    return QString();
}

bool hasEnoughStorageSpace(const QVector<PlannedFile>& files)
{
    QHash<QString, VolumeKey> volumeOfFolder;
    QHash<VolumeKey, qint64> available;
    // Per volume: what the files so far add up to once complete, and the most they take at once.
    QHash<VolumeKey, qint64> settled;
    QHash<VolumeKey, qint64> peak;
    // The size each destination has at this point of the transfer.
    QHash<QString, qint64> present;

    for (const PlannedFile& file : files) {
        const QString folder = extractFilePath(file.destination);
        auto known = volumeOfFolder.constFind(folder);
        if (known == volumeOfFolder.constEnd()) {
            const QStorageInfo volume = volumeOf(folder);
            known = volumeOfFolder.insert(folder, keyOf(volume));
            if (!available.contains(known.value()))
                available.insert(known.value(), volume.bytesAvailable());
        }
        const VolumeKey key = known.value();
        peak[key] = qMax(peak.value(key), settled.value(key) + file.size);
        qint64 replaced = 0;
        if (file.replaces) {
            const auto earlier = present.constFind(file.destination);
            if (earlier != present.constEnd())
                replaced = earlier.value();
            else if (QFileInfo(file.destination).exists())
                replaced = QFileInfo(file.destination).size();
        }
        settled[key] += file.size - replaced;
        present.insert(file.destination, file.size);
    }
    for (auto it = peak.cbegin(); it != peak.cend(); ++it) {
        if (available.value(it.key()) < it.value())
            return false;
    }
    return true;
}

bool hasEnoughStorageSpace(const QStringList& sourceFiles, const QStringList& destinationFiles,
                           const QStringList& replacedFiles)
{
    const QSet<QString> replaced(replacedFiles.cbegin(), replacedFiles.cend());
    QVector<PlannedFile> files;
    const int count = qMin(sourceFiles.size(), destinationFiles.size());
    files.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString& destination = destinationFiles.at(i);
        files.append({destination, QFileInfo(sourceFiles.at(i)).size(), replaced.contains(destination)});
    }
    return hasEnoughStorageSpace(files);
}
