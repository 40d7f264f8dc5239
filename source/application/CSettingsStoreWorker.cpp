#include "application/CSettingsStoreWorker.h"

void CSettingsStoreWorker::enqueue(uint taskId, const QString& group, const CSettingsStore::Values& values)
{
    for (Pending& pending : m_queue) {
        if (pending.group == group) {
            pending.values = values;
            pending.taskIds.append(taskId);
            return;
        }
    }
    m_queue.append({group, values, {taskId}});
    if (m_writeScheduled)
        return;
    // Behind the requests posted meanwhile, so that those of a group waiting here join it.
    m_writeScheduled = true;
    QMetaObject::invokeMethod(this, &CSettingsStoreWorker::writeNext, Qt::QueuedConnection);
}

void CSettingsStoreWorker::writeAll()
{
    while (!m_queue.isEmpty())
        writeFirst();
}

void CSettingsStoreWorker::writeNext()
{
    m_writeScheduled = false;
    if (m_queue.isEmpty())
        return;
    writeFirst();
    if (!m_queue.isEmpty()) {
        m_writeScheduled = true;
        QMetaObject::invokeMethod(this, &CSettingsStoreWorker::writeNext, Qt::QueuedConnection);
    }
}

void CSettingsStoreWorker::writeFirst()
{
    const Pending pending = m_queue.takeFirst();
    const CSettingsStore::Result result = CSettingsStore::writeGroup(pending.group, pending.values);
    for (const uint taskId : pending.taskIds)
        emit written(taskId, result);
}
