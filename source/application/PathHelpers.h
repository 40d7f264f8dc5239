#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QVector>

// Folder and file-name helpers shared by the GUI thread and the workers. Folder paths use
// "/" and end with "/" once they went through ensureTrailingSlash.

QString queryHomePath();
QString queryProjectRootPath();
QString deprecatedProjectRootPath();
QString queryDrawingTemplatesPath();
QString queryExternalStoragePath();

QString ensureTrailingSlash(const QString& path);
QString buildFolderPath(const QString& folder, const QString& subFolder);
QString buildFilePath(const QString& folder, const QString& fileName);
QString photosFolderName();
QString videosFolderName();
QString photosFolderPath(const QString& folder);
QString videosFolderPath(const QString& folder);
QString extractFilePath(const QString& filePath);
QString fileNameFromPath(const QString& path);
QStringList fileNamesFromPaths(const QStringList& paths);
QString fileNameFromUrl(const QString& url);
QString relativePath(const QString& path, const QString& root);
QString relativePathFromUrl(const QString& url, const QString& root);
QString buildFileName(const QString& fileName, const QString& suffix);
QString sanitizeFileName(const QString& name);
QString sanitizeFolderName(const QString& name);

bool createMediaFolders(const QString& folder);
void removeEmptyMediaFolders(const QString& folder);
bool subFolderExists(const QString& folder, const QString& subFolderName);
bool fileExists(const QString& filePath);
qint64 folderSize(const QString& folder);
QString createUniqueFileName(const QString& folder, const QString& suffix, bool absolute);
QString createUniqueUuidFileName(const QString& folder, const QString& suffix, bool absolute);

// A file that a transfer is to write, in the transfer's order.
struct PlannedFile
{
    QString destination;
    qint64 size = 0;
    // Replaces the file at destination. The old copy stays until the new one is complete and
    // renamed over it, so it frees its room only after the new copy took its own.
    bool replaces = false;
};

// Whether every volume has room for the files written one after the other: at each file, the
// new copies completed before it (less the old copies they replaced) plus the file's own whole
// new copy must fit in the volume's free space. Files take whole blocks of their volume; an old
// copy gives back only the blocks it holds (a sparse one less than its size, one with another
// hard link nothing); paths on one file system share one free space, whatever mount point
// they go through. Sizes may come from outside (a camera's list): one that no volume can hold
// is refused, and no sum of them wraps round.
bool hasEnoughStorageSpace(const QVector<PlannedFile>& files);
// The same for copying sourceFiles[i] to destinationFiles[i] in list order, where a destination
// listed in replacedFiles is replaced.
bool hasEnoughStorageSpace(const QStringList& sourceFiles, const QStringList& destinationFiles,
                           const QStringList& replacedFiles);

// The same naming rule at a given moment (tests, and callers that name several files at once).
class QDateTime;
QString createUniqueFileName(const QString& folder, const QString& suffix, bool absolute, const QDateTime& now);
