#pragma once

#include "mediaimport/CMediaScan.h"
#include "mediaimport/CMediaWorkerLoop.h"

#include <QList>
#include <QSet>
#include <QStringList>

// Walks a folder tree breadth-first on the media import thread, one folder per turn, and
// collects photos and videos. Symbolic links to folders are not followed and every folder is
// visited once (by its canonical path), so a tree that links back into itself ends. Serves
// one scan; owned by its CMediaScan, which releases it (see CMediaWorkerLoop).
class CMediaScanWorker : public CMediaWorkerLoop
{
    Q_OBJECT

public:
    CMediaScanWorker();
    ~CMediaScanWorker() override;

    Q_INVOKABLE void start(QString searchPath, QStringList matchFiles);
    Q_INVOKABLE void start(QString searchPath, QString destPhotosPath, QString destVideosPath);
signals:
    void finished(CMediaScan::Result result, QStringList foundFiles, QStringList destFiles,
                  QList<bool> foundFileStates);

private:
    // Visits the next folder of the walk, or ends the scan.
    bool step() override;
    void endCancelled() override;
    // Lists one folder; false when a duplicate name ended the scan.
    bool visitFolder(const QString& folder);
    void buildResults();
    void finish(State state, CMediaScan::Result result);

    QString m_destPhotosPath;
    QString m_destVideosPath;
    QStringList m_queue;
    QSet<QString> m_visitedFolders;
    QStringList m_matchFiles;
    QStringList m_foundFiles;
    // The file name of each found file, at the same index: the sort key.
    QStringList m_foundNames;
    QSet<QString> m_seenNames;
    QStringList m_destFiles;
    QList<bool> m_foundFileStates;
    bool m_matchMode = false;
};
