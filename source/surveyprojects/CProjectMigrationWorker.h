#pragma once

#include <QObject>
#include <QString>
#include <QVector>

// Moves the projects of an old projects root into the current one, one folder at a time,
// asking through the project service when a project collides with one already there. Lives
// on the project service's worker thread; every next step is posted, never called directly.
class CProjectMigrationWorker : public QObject
{
    Q_OBJECT

public:
    enum MigrationItemKind
    {
        Move = 0,
        NameCollision = 1,
        IdCollision = 2,
        IdAndNameCollision = 3
    };
    Q_ENUM(MigrationItemKind)

    struct MigrationItem
    {
        int taskId = 0;
        MigrationItemKind kind = Move;
        QString name;
        // The folder in the old root; normally the project's name.
        QString folder;
        QString targetName;
    };

    explicit CProjectMigrationWorker(QObject* parent = nullptr);

    Q_INVOKABLE void init(const QString& rootProjectPath, const QString& updatedRootProjectPath);
    Q_INVOKABLE void start();
    Q_INVOKABLE void overwrite(int taskId);
    Q_INVOKABLE void rename(int taskId, const QString& newName);
    Q_INVOKABLE void remove(int taskId);

signals:
    void nameCollision(int taskId, QString name);
    void idCollision(int taskId, QString oldName, QString newName);
    void migrationRequired();
    void migrationDone();
    void migrationFailed();
    void migrationProgress(int percent);

private:
    Q_INVOKABLE void processNextItem();
    void postNextItem();
    void moveProject(int taskId, const QString& targetName);
    int findItem(int taskId) const;
    QString folderOf(const QString& root, const QString& name) const;

    QString m_rootProjectPath;
    QString m_updatedRootProjectPath;
    QVector<MigrationItem> m_items;
    quint32 m_total = 0;
    quint32 m_lastItemId = 0;
};
