#include "application/CSettingsStoreService.h"

#include "application/CSettingsStoreWorker.h"

#include "CLogger.h"
#include "WorkerThread.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <memory>

using Tovrin::Logging::CLogger;

namespace {

CSettingsStoreService* g_instance = nullptr;

} // namespace

CSettingsStoreService* CSettingsStoreService::instance()
{
    Q_ASSERT(QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread());
    if (!g_instance) {
        g_instance = new CSettingsStoreService;
        // Run by the application object's destructor, on this thread, while Qt still works.
        qAddPostRoutine(&CSettingsStoreService::destroyInstance);
    }
    return g_instance;
}

bool CSettingsStoreService::writesPending()
{
    return g_instance && g_instance->m_pending > 0;
}

void CSettingsStoreService::destroyInstance()
{
    delete g_instance;
    g_instance = nullptr;
}

CSettingsStoreService::CSettingsStoreService()
{
    qRegisterMetaType<CSettingsStore::Result>("CSettingsStore::Result");
    m_thread = new Tovrin::Shared::WorkerThread();
    m_thread->setObjectName(QStringLiteral("SettingsStoreWorkerThread"));
    m_worker = new CSettingsStoreWorker;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &CSettingsStoreWorker::written, this, &CSettingsStoreService::onWritten, Qt::QueuedConnection);
    m_thread->blockingStart();
}

CSettingsStoreService::~CSettingsStoreService()
{
    const bool done = waitForWrites(m_diskStuck ? 0 : ExitBoundMs);
    m_thread->quit();
    if (!done || !m_thread->wait(ExitBoundMs)) {
        // Deleting the worker under a running thread would crash; at exit leaking is harmless.
        return;
    }
    delete m_worker;
    delete m_thread;
}

uint CSettingsStoreService::writeGroup(const QString& group, const CSettingsStore::Values& values)
{
    if (++m_lastTaskId == 0)
        m_lastTaskId = 1;
    const uint taskId = m_lastTaskId;
    ++m_pending;
    CSettingsStoreWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, taskId, group, values] { worker->enqueue(taskId, group, values); }, Qt::QueuedConnection);
    return taskId;
}

bool CSettingsStoreService::waitForWrites(int timeoutMs)
{
    // Queued behind every write asked so far; outlives a wait that gives up.
    const auto done = std::make_shared<QSemaphore>();
    CSettingsStoreWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, done] {
            worker->writeAll();
            done->release();
        },
        Qt::QueuedConnection);
    m_diskStuck = !done->tryAcquire(1, timeoutMs);
    if (!m_diskStuck)
        return true;
    CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("CulvertixApplication"),
                        QStringLiteral("The settings store's last writes did not reach the disk in time; the settings "
                                       "saved last may be lost (ms waited)"),
                        {timeoutMs});
    return false;
}

void CSettingsStoreService::onWritten(uint taskId, CSettingsStore::Result result)
{
    --m_pending;
    emit groupWritten(taskId, result);
}
