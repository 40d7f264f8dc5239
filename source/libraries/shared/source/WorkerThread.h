#pragma once

#include <QMutex>
#include <QThread>

namespace Tovrin {
namespace Shared {

// The thread a service runs its worker object on. The owner creates it without parent,
// moves its workers here, calls blockingStart() and, at the end, quit(), wait() and delete:
// the destructor neither quits nor waits.
class WorkerThread : public QThread
{
    Q_OBJECT

public:
    explicit WorkerThread(QObject* parent = nullptr);
    ~WorkerThread() override;

    bool isThreadStartPending() const;

    // Starts the thread and returns once it runs its event loop; false when the thread
    // ended (or could not be created) before it got that far.
    bool blockingStart();

public slots:
    void onThreadStarted();

private:
    mutable QMutex m_mutex;
    bool m_threadStartPending = true;
};

} // namespace Shared
} // namespace Tovrin
