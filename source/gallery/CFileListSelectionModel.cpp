#include "gallery/CFileListSelectionModel.h"

#include "application/PathHelpers.h"

#include <algorithm>

CFileListSelectionModel::CFileListSelectionModel(QObject* parent)
    : CBaseSelectionModel(parent)
{
}

int CFileListSelectionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_files.size();
}

QVariant CFileListSelectionModel::data(const QModelIndex& index, int role) const
{
    if (role == FileNameRole || role == ExistingRole) {
        if (index.row() < 0 || index.row() >= m_files.size())
            return QVariant();
        if (role == ExistingRole)
            return m_existing.value(index.row(), false);
        return fileNameFromUrl(m_files.at(index.row()));
    }
    return CBaseSelectionModel::data(index, role);
}

QHash<int, QByteArray> CFileListSelectionModel::roleNames() const
{
    QHash<int, QByteArray> roles = CBaseSelectionModel::roleNames();
    roles.insert(FileNameRole, "modelData_FileName");
    roles.insert(ExistingRole, "modelData_Existing");
    return roles;
}

void CFileListSelectionModel::setFileList(const QStringList& files, const QList<bool>& existing)
{
    beginResetModel();
    m_files = files;
    m_existing = existing;
    clearSelection(false);
    endResetModel();
}

void CFileListSelectionModel::clearFileList()
{
    beginResetModel();
    m_files.clear();
    m_existing.clear();
    clearSelection(false);
    endResetModel();
}

QList<int> CFileListSelectionModel::selectedRows() const
{
    const QSet<int> rows = selection();
    QList<int> sorted(rows.cbegin(), rows.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QStringList CFileListSelectionModel::selectedFiles() const
{
    QStringList files;
    const QList<int> rows = selectedRows();
    for (int row : rows) {
        if (row >= 0 && row < m_files.size())
            files.append(m_files.at(row));
    }
    return files;
}

QStringList CFileListSelectionModel::deselectedFiles() const
{
    const QSet<int> rows = selection();
    QStringList files;
    for (int row = 0; row < m_files.size(); ++row) {
        if (!rows.contains(row))
            files.append(m_files.at(row));
    }
    return files;
}
