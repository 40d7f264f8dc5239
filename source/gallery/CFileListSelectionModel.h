#pragma once

#include "gallery/CBaseSelectionModel.h"

#include <QStringList>

// A given list of files (paths or URL texts), each with a check mark and whether it already
// exists where it is to go (ticking such a row means replacing that copy). GUI thread only.
class CFileListSelectionModel : public CBaseSelectionModel
{
    Q_OBJECT

public:
    static constexpr int FileNameRole = Qt::UserRole + 1;
    static constexpr int ExistingRole = Qt::UserRole + 2;

    explicit CFileListSelectionModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // existing[i] tells whether file i exists at its destination; missing entries are false.
    void setFileList(const QStringList& files, const QList<bool>& existing = {});
    void clearFileList();
    QStringList fileList() const { return m_files; }

    // The rows ticked, in ascending row order.
    QList<int> selectedRows() const;
    // The entries of the ticked rows, in list order.
    QStringList selectedFiles() const;
    // The entries of the rows not ticked, in list order.
    QStringList deselectedFiles() const;

private:
    QStringList m_files;
    QList<bool> m_existing;
};
