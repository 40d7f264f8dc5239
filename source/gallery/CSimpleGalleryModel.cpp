#include "gallery/CSimpleGalleryModel.h"
#include "gallery/FolderNavigation.h"

#include "gallery/GalleryTypes.h"
#include "helpers/MediaFileTypes.h"

#include <QDir>
#include <QUrl>

namespace {

const QString LinkUp = QStringLiteral("..");

QString heldFolder(const QString& directory)
{
    if (directory.isEmpty())
        return directory;
    QString cleaned = QDir::cleanPath(directory);
    if (!cleaned.endsWith(QLatin1Char('/')))
        cleaned.append(QLatin1Char('/'));
    return cleaned;
}

} // namespace

CSimpleGalleryModel::CSimpleGalleryModel(QObject* parent)
    : CBaseSelectionModel(parent)
{
}

int CSimpleGalleryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_folders.size() + m_files.size();
}

QString CSimpleGalleryModel::nameAt(int row) const
{
    return row < m_folders.size() ? m_folders.at(row) : m_files.at(row - m_folders.size());
}

QString CSimpleGalleryModel::fullFileName(int row) const
{
    return QDir::cleanPath(m_directory + nameAt(row));
}

QVariant CSimpleGalleryModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= rowCount())
        return QVariant();
    switch (role) {
    case FileNameRole:
        return nameAt(row);
    case FullFileNameRole:
        return fullFileName(row);
    case FileUrlRole:
        return QUrl::fromLocalFile(fullFileName(row));
    case ItemTypeRole:
        if (row < m_folders.size())
            return int(row == 0 && hasLinkUp() ? GalleryTypes::ItemTypeLinkUp : GalleryTypes::ItemTypeDirectory);
        switch (mediaFileType(nameAt(row))) {
        case MediaFileTypePNG:
        case MediaFileTypeJPEG:
            return int(GalleryTypes::ItemTypePhotoFile);
        case MediaFileTypeMP4:
            return int(GalleryTypes::ItemTypeVideoFile);
        default:
            return int(GalleryTypes::ItemTypeInvalid);
        }
    default:
        return CBaseSelectionModel::data(index, role);
    }
}

QHash<int, QByteArray> CSimpleGalleryModel::roleNames() const
{
    QHash<int, QByteArray> names = CBaseSelectionModel::roleNames();
    names.insert(FileNameRole, "modelData_FileName");
    names.insert(FullFileNameRole, "modelData_FullFileName");
    names.insert(FileUrlRole, "modelData_FileUrl");
    names.insert(ItemTypeRole, "modelData_ItemType");
    return names;
}

bool CSimpleGalleryModel::hasLinkUp() const
{
    return !m_folders.isEmpty() && m_folders.first() == LinkUp && !m_directory.isEmpty();
}

QSet<int> CSimpleGalleryModel::unselectableRows() const
{
    // In the drive list every row is a drive root.
    if (m_directory.isEmpty()) {
        QSet<int> rows;
        for (int row = 0; row < m_folders.size(); ++row)
            rows.insert(row);
        return rows;
    }
    return hasLinkUp() ? QSet<int>{0} : QSet<int>();
}

QString CSimpleGalleryModel::directory() const
{
    return m_directory;
}

void CSimpleGalleryModel::setDirectory(const QString& directory)
{
    const QString held = heldFolder(directory);
    if (held == m_directory)
        return;
    m_directory = held;
    emit directoryChanged();
    refresh();
}

QString CSimpleGalleryModel::topLevelDirectory() const
{
    return m_topLevelDirectory;
}

void CSimpleGalleryModel::setTopLevelDirectory(const QString& directory)
{
    if (directory == m_topLevelDirectory)
        return;
    m_topLevelDirectory = directory;
    emit topLevelDirectoryChanged();
    refresh();
}

bool CSimpleGalleryModel::canGoUp() const
{
    return FolderNavigation::canGoUp(m_directory, m_topLevelDirectory);
}

void CSimpleGalleryModel::goUp()
{
    if (!canGoUp())
        return;
    QString parent;
    if (FolderNavigation::parentFolder(m_directory, &parent))
        setDirectory(parent);
}

void CSimpleGalleryModel::refresh()
{
    beginResetModel();
    clearSelection(false);
    FolderNavigation::listFolder(m_directory, mediaFileNameFilters(true, true), QDir::Files, &m_folders, &m_files);
    if (canGoUp())
        m_folders.prepend(LinkUp);
    endResetModel();
}

void CSimpleGalleryModel::selectedPaths(QStringList& folders, QStringList& files) const
{
    const QSet<int> rows = selection();
    const QSet<int> unselectable = unselectableRows();
    for (int row : rows) {
        if (row < 0 || row >= rowCount() || unselectable.contains(row))
            continue;
        if (row < m_folders.size())
            folders.append(fullFileName(row));
        else
            files.append(fullFileName(row));
    }
}
