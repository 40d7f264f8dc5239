#pragma once

#include "application/CSettingsStore.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

// Writes the settings store's groups, one after the other, on the store's worker thread
// (CSettingsStoreService creates it, moves it there and owns it). A group asked again while
// its earlier write still waits is written once, with the newest values, and every asker gets
// that write's result: saves that come faster than the disk takes them cost one write.
class CSettingsStoreWorker : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Both on the worker's thread, called by queued invocations of the service.
    void enqueue(uint taskId, const QString& group, const CSettingsStore::Values& values);
    // Writes everything queued so far, oldest first, before it returns.
    void writeAll();

signals:
    void written(uint taskId, CSettingsStore::Result result);

private:
    struct Pending
    {
        QString group;
        CSettingsStore::Values values;
        QVector<uint> taskIds;
    };

    void writeNext();
    void writeFirst();

    QList<Pending> m_queue;
    bool m_writeScheduled = false;
};
