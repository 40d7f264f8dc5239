#pragma once

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

} // namespace FolderNavigation
