#pragma once

#include "gallery/CBaseSelectionModel.h"

#include <QStringList>

// A given list of files (paths or URL texts), each with a check mark. GUI thread only.
class CFileListSelectionModel : public CBaseSelectionModel
{
    Q_OBJECT

public:
    static constexpr int FileNameRole = Qt::UserRole + 1;

    explicit CFileListSelectionModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setFileList(const QStringList& files);
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
};
