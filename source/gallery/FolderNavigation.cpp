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

bool canGoUp(const QString& directory, const QString& topLevelDirectory)
{
    if (directory.isEmpty())
        return false;
    return topLevelDirectory.isEmpty() || QDir(topLevelDirectory) != QDir(directory);
}

void listFolder(const QString& directory, const QStringList& nameFilters, QDir::Filters fileFilters,
                QStringList* folders, QStringList* files)
{
    files->clear();
    if (directory.isEmpty()) {
        *folders = driveRoots();
        return;
    }
    const QDir dir(directory);
    *folders = dir.entryList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    *files = dir.entryList(nameFilters, fileFilters, QDir::Name | QDir::IgnoreCase);
}

} // namespace FolderNavigation
