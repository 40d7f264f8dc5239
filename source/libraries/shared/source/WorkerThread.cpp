#include "WorkerThread.h"

#include <QMutexLocker>

namespace Tovrin {
namespace Shared {

WorkerThread::WorkerThread(QObject* parent)
    : QThread(parent)
{
    // Direct: the slot runs on the new thread itself, before its event loop starts.
    connect(this, &QThread::started, this, &WorkerThread::onThreadStarted, Qt::DirectConnection);
}

WorkerThread::~WorkerThread() = default;

void WorkerThread::onThreadStarted()
{
    QMutexLocker lock(&m_mutex);
    m_threadStartPending = false;
}

bool WorkerThread::isThreadStartPending() const
{
    QMutexLocker lock(&m_mutex);
    return m_threadStartPending;
}

bool WorkerThread::blockingStart()
{
    start(QThread::InheritPriority);
    // The hand-shake runs once per worker thread; isRunning() turns false when the thread
    // died first, which ends the loop.
    while (isRunning() && isThreadStartPending())
        QThread::yieldCurrentThread();
    return !isThreadStartPending();
}

} // namespace Shared
} // namespace Tovrin
