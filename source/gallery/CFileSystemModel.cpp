#include "gallery/CFileSystemModel.h"
#include "gallery/FolderNavigation.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString cleanFolder(const QString& directory)
{
    if (directory.isEmpty())
        return QString();
    QString cleaned = QDir::cleanPath(directory);
    if (!cleaned.endsWith(QLatin1Char('/')))
        cleaned += QLatin1Char('/');
    return cleaned;
}

} // namespace

CFileSystemModel::CFileSystemModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CFileSystemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_folders.size() + m_files.size();
}

QVariant CFileSystemModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= rowCount())
        return QVariant();
    const bool folder = row < m_folders.size();
    const QString name = folder ? m_folders.at(row) : m_files.at(row - m_folders.size());
    switch (role) {
    case Qt::UserRole:
        return name;
    case Qt::UserRole + 1:
        return QDir::cleanPath(m_directory + name);
    case Qt::UserRole + 2:
        return folder ? ItemTypeDirectory : ItemTypeFile;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CFileSystemModel::roleNames() const
{
    return {{Qt::UserRole, "modelData_FileName"},
            {Qt::UserRole + 1, "modelData_FullFileName"},
            {Qt::UserRole + 2, "modelData_ItemType"}};
}

bool CFileSystemModel::canGoUp() const
{
    return FolderNavigation::canGoUp(m_directory, m_topLevelDirectory);
}

QString CFileSystemModel::directory() const
{
    return m_directory;
}

void CFileSystemModel::setDirectory(const QString& directory)
{
    // The same folder again keeps the listing; the drive list is always listed anew.
    if (directory == m_directory && !m_directory.isEmpty())
        return;
    m_directory = cleanFolder(directory);
    emit directoryChanged();
    emit canGoUpChanged();
    reload();
}

QString CFileSystemModel::topLevelDirectory() const
{
    return m_topLevelDirectory;
}

void CFileSystemModel::setTopLevelDirectory(const QString& directory)
{
    if (directory == m_topLevelDirectory)
        return;
    m_topLevelDirectory = directory;
    emit topLevelDirectoryChanged();
    emit canGoUpChanged();
}

QString CFileSystemModel::nameFilters() const
{
    return m_nameFilters;
}

void CFileSystemModel::setNameFilters(const QString& filters)
{
    if (filters == m_nameFilters)
        return;
    m_nameFilters = filters;
    emit nameFiltersChanged();
    reload();
}

void CFileSystemModel::goUp()
{
    if (!canGoUp())
        return;
    QString parent;
    if (FolderNavigation::parentFolder(m_directory, &parent))
        setDirectory(parent);
}

void CFileSystemModel::reload()
{
    beginResetModel();
    const QStringList filters = m_nameFilters.isEmpty() ? QStringList() : QDir::nameFiltersFromString(m_nameFilters);
    FolderNavigation::listFolder(m_directory, filters, QDir::Files | QDir::NoSymLinks, &m_folders, &m_files);
    endResetModel();
}
