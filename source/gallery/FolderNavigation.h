#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// What the folder browsers share: the drive list stands above every drive's root, and is
// shown as the empty folder path.
namespace FolderNavigation {

// The drives' root paths, for the list above them.
QStringList driveRoots();

// The folder above `directory`: the empty path (the drive list) for a drive's root. False when
// there is none to go to.
bool parentFolder(const QString& directory, QString* parent);

// Whether a browser held below topLevelDirectory (none when empty) may go up from directory.
bool canGoUp(const QString& directory, const QString& topLevelDirectory);

// The sub-folders (never through links) and the files matching nameFilters (all for an empty
// list) of directory, both by name ignoring case; for the empty path the drive roots.
void listFolder(const QString& directory, const QStringList& nameFilters, QDir::Filters fileFilters,
                QStringList* folders, QStringList* files);

} // namespace FolderNavigation
