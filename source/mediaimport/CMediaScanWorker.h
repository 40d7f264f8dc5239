#pragma once

#include "mediaimport/CMediaScan.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>

// Walks a folder tree breadth-first on the media import thread, one folder per turn, and
// collects photos and videos. Symbolic links to folders are not followed and every folder is
// visited once (by its canonical path), so a tree that links back into itself ends. Serves
// one scan; owned by its CMediaScan, which deletes it on this thread.
class CMediaScanWorker : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        StateIdle = 0,
        StateRunning = 1,
        StatePaused = 2,
        StateCancelled = 3
    };

    CMediaScanWorker();
    ~CMediaScanWorker() override;

    Q_INVOKABLE void start(QString searchPath, QStringList matchFiles);
    Q_INVOKABLE void start(QString searchPath, QString destPhotosPath, QString destVideosPath);
    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void cancel();
    // The job lets go: cancels, and deletes this worker once its walk is off the stack.
    Q_INVOKABLE void release();

    // Thread-safe: the job raises these beside its queued calls, so a walk sees them at its
    // next folder even when the thread's queue is not delivered inside the walk.
    void requestPause() { m_pauseRequested = true; }
    void requestCancel() { m_cancelRequested = true; }

signals:
    void finished(CMediaScan::Result result, QStringList foundFiles, QStringList destFiles,
                  QList<bool> foundFileStates);

private:
    void walk();
    void runWalk();
    // Lists one folder; false when a duplicate name ended the scan.
    bool visitFolder(const QString& folder);
    void takeRequests();
    void buildResults();
    void finish(State state, CMediaScan::Result result);

    QString m_destPhotosPath;
    QString m_destVideosPath;
    const QStringList m_nameFilters;
    QStringList m_queue;
    QSet<QString> m_visitedFolders;
    QStringList m_matchFiles;
    QStringList m_foundFiles;
    QSet<QString> m_seenNames;
    QStringList m_destFiles;
    QList<bool> m_foundFileStates;
    State m_state = StateIdle;
    bool m_matchMode = false;
    bool m_walkRunning = false;
    bool m_releaseRequested = false;
    std::atomic_bool m_pauseRequested{false};
    std::atomic_bool m_cancelRequested{false};
};
