#include "gallery/FolderNavigation.h"

#include <QDir>
#include <QFileInfo>

namespace FolderNavigation {

QStringList driveRoots()
{
    QStringList roots;
    const QFileInfoList drives = QDir::drives();
    for (const QFileInfo& drive : drives)
        roots.append(drive.absoluteFilePath());
    return roots;
}

bool parentFolder(const QString& directory, QString* parent)
{
    const QFileInfoList drives = QDir::drives();
    for (const QFileInfo& drive : drives) {
        if (QDir(drive.absoluteFilePath()) == QDir(directory)) {
            *parent = QString();
            return true;
        }
    }
    QDir dir(directory);
    if (!dir.cdUp())
        return false;
    *parent = dir.absolutePath();
    return true;
}

} // namespace FolderNavigation
