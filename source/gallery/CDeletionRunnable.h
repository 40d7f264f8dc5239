#pragma once

#include <QObject>
#include <QRunnable>
#include <QStringList>

#include <functional>

// Deletes the files, then the folders (recursively), that the simple gallery selected in one
// shown folder. Runs once on a pool thread and is deleted by the pool after run(); it touches
// nothing but its own lists and the file system, and reports through the queued finished().
// Only entries directly inside the shown folder are deleted: anything else (the folder itself,
// its parent, a path that leads elsewhere) counts as a failure and is left alone.
class CDeletionRunnable : public QObject, public QRunnable
{
    Q_OBJECT

public:
    using RemoveFunction = std::function<bool(const QString& path)>;

    CDeletionRunnable(const QString& shownFolder, const QStringList& folders, const QStringList& files);

    // Replaces QFile::remove for single files; tests use it to make a removal fail.
    void setFileRemover(RemoveFunction remover);

    void run() override;

    static bool isStrictlyInside(const QString& path, const QString& folder);

signals:
    void finished(bool result);

private:
    QString m_shownFolder;
    QStringList m_folders;
    QStringList m_files;
    RemoveFunction m_removeFile;
};
