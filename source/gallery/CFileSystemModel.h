#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The folders, then the files, of one folder (the drives when none is set), for the file and
// folder selection screens; walks up no further than the top-level folder when one is set.
// Hidden entries and symbolic links are not listed. GUI thread only.
class CFileSystemModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(bool canGoUp READ canGoUp NOTIFY canGoUpChanged)
    Q_PROPERTY(QString directory READ directory WRITE setDirectory NOTIFY directoryChanged)
    Q_PROPERTY(QString topLevelDirectory READ topLevelDirectory WRITE setTopLevelDirectory NOTIFY
                   topLevelDirectoryChanged)
    Q_PROPERTY(QString nameFilters READ nameFilters WRITE setNameFilters NOTIFY nameFiltersChanged)

public:
    enum ItemType
    {
        ItemTypeInvalid = 0,
        ItemTypeDirectory = 1,
        ItemTypeFile = 2
    };
    Q_ENUM(ItemType)

    explicit CFileSystemModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool canGoUp() const;
    QString directory() const;
    void setDirectory(const QString& directory);
    QString topLevelDirectory() const;
    void setTopLevelDirectory(const QString& directory);
    QString nameFilters() const;
    void setNameFilters(const QString& filters);

    Q_INVOKABLE void goUp();

signals:
    void canGoUpChanged();
    void directoryChanged();
    void topLevelDirectoryChanged();
    void nameFiltersChanged();

private:
    void reload();

    QStringList m_folders;
    QStringList m_files;
    QString m_nameFilters;
    QString m_directory;
    QString m_topLevelDirectory;
};
