#pragma once

#include "application/CSettingsStore.h"

#include <QObject>

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
} // namespace Tovrin

class CSettingsStoreWorker;

// The one line of writes to the settings store in this process: the settings and the runtime
// data both save through it, so that their writes of the one file follow each other in the
// order asked. The GUI thread hands over the values to write and learns each write's result by
// a queued signal; the disk work (the new copy, its sync, the rename) runs on the service's
// worker, a CSettingsStoreWorker on its own WorkerThread. The first save creates the service on
// the GUI thread; it owns the thread and the worker and is deleted with the application object,
// once the writes asked until then are done or the exit bound has passed.
class CSettingsStoreService : public QObject
{
    Q_OBJECT

public:
    // How long the end of the program waits for the last writes: a memory card with half a
    // minute of video still to write may keep a sync waiting that long.
    static constexpr int ExitBoundMs = 30000;

    // The process's service, created by the first call. GUI thread, as every member.
    static CSettingsStoreService* instance();
    // Whether a write was asked whose result has not arrived yet.
    static bool writesPending();

    // Queues a write of the group (CSettingsStore::writeGroup) with the values as they are now
    // and returns its task id at once (never 0); groupWritten() tells the result.
    uint writeGroup(const QString& group, const CSettingsStore::Values& values);

    // Blocks until every write asked so far has reached the disk or been refused, timeoutMs at
    // most: false, and a log line, when the bound passed first. For the end of the program only.
    bool waitForWrites(int timeoutMs);

signals:
    void groupWritten(uint taskId, CSettingsStore::Result result);

private:
    CSettingsStoreService();
    ~CSettingsStoreService() override;
    static void destroyInstance();
    void onWritten(uint taskId, CSettingsStore::Result result);

    Tovrin::Shared::WorkerThread* m_thread = nullptr;
    CSettingsStoreWorker* m_worker = nullptr;
    uint m_lastTaskId = 0;
    int m_pending = 0;
    // The last wait passed its bound: the disk does not answer, and the end of the program
    // does not wait for it a second time.
    bool m_diskStuck = false;
};
