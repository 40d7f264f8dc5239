#pragma once

#include "mediaimport/CMediaImport.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <atomic>

class QFile;
class QTemporaryFile;

// Copies files on the media import thread, one block of at most BlockSize bytes per turn of
// its loop, so pause and cancel take effect within one block. Each file is written to a
// temporary file beside its destination (named after it with a generated suffix), MP4 files
// get their orientation fixed, and only a complete file takes the destination name. Owns the
// open source file and the temporary file; serves one import and is owned by its CMediaImport.
class CMediaImportWorker : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 BlockSize = 4194304;

    enum State
    {
        StateIdle = 0,
        StateRunning = 1,
        StatePaused = 2,
        StateCancelled = 3,
        StateFailed = 4
    };

    CMediaImportWorker();
    ~CMediaImportWorker() override;

    Q_INVOKABLE void start(QStringList sourceFiles, QStringList destFiles);
    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void cancel();
    // The job lets go: cancels, and deletes this worker once its copy loop is off the stack.
    Q_INVOKABLE void release();

    // Thread-safe: the job raises these beside its queued calls, so a copy loop sees them at
    // its next block even when the thread's queue is not delivered inside the loop.
    void requestPause() { m_pauseRequested = true; }
    void requestCancel() { m_cancelRequested = true; }

signals:
    void finished(CMediaImport::Result result);
    void currentFileNameChanged(QString fileName);
    void currentFileSizeChanged(qlonglong size);
    void totalSizeChanged(qlonglong size);
    void bytesWritten(qlonglong size);
    void fileCompleted(QString fileName);

private:
    void copyLoop();
    void runCopyLoop();
    // False when the import ended (all done or failed).
    bool openNextFile();
    bool copyBlock();
    bool completeFile();
    void takeRequests();
    void fail(CMediaImport::Result result);
    void endCancelled();
    void closeFiles();

    QStringList m_sourceFiles;
    QStringList m_destFiles;
    QByteArray m_buffer;
    QFile* m_sourceFile = nullptr;
    QTemporaryFile* m_destFile = nullptr;
    qint64 m_bytesWritten = 0;
    qint64 m_fileSize = 0;
    int m_index = -1;
    State m_state = StateIdle;
    bool m_loopRunning = false;
    bool m_releaseRequested = false;
    std::atomic_bool m_pauseRequested{false};
    std::atomic_bool m_cancelRequested{false};
};
