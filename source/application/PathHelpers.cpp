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

#include <limits>

#include <sys/stat.h>
#include <sys/statvfs.h>

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

constexpr qint64 Largest = std::numeric_limits<qint64>::max();
constexpr qint64 Smallest = std::numeric_limits<qint64>::min();

// Sizes come from outside (a camera's list): sums stop at the largest number instead of
// wrapping round to a small one that would pass for room.
qint64 addBytes(qint64 a, qint64 b)
{
    if (b > 0 && a > Largest - b)
        return Largest;
    if (b < 0 && a < Smallest - b)
        return Smallest;
    return a + b;
}

// A file system as the kernel numbers it: every mount point of one volume (a bind mount, a
// card mounted twice) has its device number, and all of them share one free space.
struct Volume
{
    dev_t device = 0;
    qint64 available = 0;
    // The unit in which files take room.
    qint64 blockSize = 1;
};

// The volume of a path that may not exist yet: its nearest existing ancestor decides. False
// when not even the root can be looked at.
bool volumeOf(const QString& path, Volume* volume)
{
    QString candidate = QFileInfo(path).absoluteFilePath();
    struct stat info {};
    while (::stat(QFile::encodeName(candidate).constData(), &info) != 0) {
        const QString parent = QFileInfo(candidate).absolutePath();
        if (parent == candidate)
            return false;
        candidate = parent;
    }
    struct statvfs space {};
    if (::statvfs(QFile::encodeName(candidate).constData(), &space) != 0)
        return false;
    const qint64 unit = space.f_frsize > 0 ? qint64(space.f_frsize) : qint64(space.f_bsize);
    volume->device = info.st_dev;
    volume->blockSize = qMax<qint64>(1, unit);
    volume->available = space.f_bavail > quint64(Largest / unit) ? Largest : qint64(space.f_bavail) * unit;
    return true;
}

// The room a file of this size takes: whole blocks; the largest number for a size no volume
// can hold.
qint64 roomFor(qint64 size, qint64 blockSize)
{
    const qint64 blocks = qMax<qint64>(0, size) / blockSize + (size > 0 && size % blockSize != 0 ? 1 : 0);
    return blocks > Largest / blockSize ? Largest : blocks * blockSize;
}

// What removing the file at path gives back: its allocated blocks (a sparse file's holes take
// none), and nothing while another hard link keeps them, or for a link or folder in its place.
qint64 roomFreedByRemoving(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink > 1)
        return 0;
    return qint64(info.st_blocks) * 512;
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
    QHash<QString, Volume> volumeOfFolder;
    // Per volume: what the files so far add up to once complete, and the most they take at once.
    QHash<dev_t, qint64> settled;
    QHash<dev_t, qint64> peak;
    QHash<dev_t, qint64> available;
    // The room each destination takes at this point of the transfer.
    QHash<QString, qint64> present;

    for (const PlannedFile& file : files) {
        const QString folder = extractFilePath(file.destination);
        auto known = volumeOfFolder.constFind(folder);
        if (known == volumeOfFolder.constEnd()) {
            Volume volume;
            if (!volumeOf(folder, &volume))
                return false;
            known = volumeOfFolder.insert(folder, volume);
            available.insert(volume.device, volume.available);
        }
        const Volume& volume = known.value();
        const qint64 room = roomFor(file.size, volume.blockSize);
        peak[volume.device] = qMax(peak.value(volume.device), addBytes(settled.value(volume.device), room));
        qint64 freed = 0;
        if (file.replaces) {
            const auto earlier = present.constFind(file.destination);
            freed = earlier != present.constEnd() ? earlier.value() : roomFreedByRemoving(file.destination);
        }
        settled[volume.device] = addBytes(settled.value(volume.device), room - freed);
        present.insert(file.destination, room);
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
