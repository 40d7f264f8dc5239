#pragma once

#include "gallery/CBaseSelectionModel.h"

#include <QStringList>

// The sub-folders, then the photos and videos, of one local folder (the drives when none is
// set); below the top-level folder the link-up entry ".." leads the folders. The link-up row and
// the drives cannot be ticked: deleting them would take the shown folder, or everything, with
// them. Owned by the simple gallery screen controller; GUI thread only.
class CSimpleGalleryModel : public CBaseSelectionModel
{
    Q_OBJECT

public:
    enum Roles
    {
        FileNameRole = Qt::UserRole + 1,
        FullFileNameRole,
        FileUrlRole,
        ItemTypeRole
    };

    explicit CSimpleGalleryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    QSet<int> unselectableRows() const override;

    QString directory() const;
    void setDirectory(const QString& directory);
    QString topLevelDirectory() const;
    void setTopLevelDirectory(const QString& directory);

    bool canGoUp() const;
    void goUp();
    void refresh();

    // The full names of the selected folder rows and of the selected file rows.
    void selectedPaths(QStringList& folders, QStringList& files) const;

signals:
    void directoryChanged();
    void topLevelDirectoryChanged();

private:
    bool hasLinkUp() const;
    QString fullFileName(int row) const;
    QString nameAt(int row) const;

    QString m_topLevelDirectory;
    QString m_directory;
    QStringList m_folders;
    QStringList m_files;
};
