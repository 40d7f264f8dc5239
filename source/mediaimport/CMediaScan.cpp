#include "mediaimport/CMediaScan.h"

#include "mediaimport/CMediaScanWorker.h"

#include <QThread>

CMediaScan::CMediaScan(QThread* workerThread)
{
    qRegisterMetaType<QList<bool>>("QList<bool>");
    m_worker = new CMediaScanWorker();
    m_worker->moveToThread(workerThread);
    connect(m_worker, &CMediaScanWorker::finished, this, &CMediaScan::onFinished, Qt::QueuedConnection);
}

CMediaScan::~CMediaScan()
{
    // A walk still running ends at its next folder; the worker deletes itself on its thread
    // once no walk of it is running.
    disconnect(m_worker, nullptr, this, nullptr);
    m_worker->requestCancel();
    QMetaObject::invokeMethod(m_worker, "release");
}

void CMediaScan::start(const QString& searchPath, const QStringList& matchFiles)
{
    QMetaObject::invokeMethod(m_worker, "start", Q_ARG(QString, searchPath), Q_ARG(QStringList, matchFiles));
}

void CMediaScan::start(const QString& searchPath, const QString& destPhotosPath, const QString& destVideosPath)
{
    QMetaObject::invokeMethod(m_worker, "start", Q_ARG(QString, searchPath), Q_ARG(QString, destPhotosPath),
                              Q_ARG(QString, destVideosPath));
}

void CMediaScan::pause()
{
    m_worker->requestPause();
    QMetaObject::invokeMethod(m_worker, "pause");
}

void CMediaScan::resume()
{
    QMetaObject::invokeMethod(m_worker, "resume");
}

void CMediaScan::cancel()
{
    m_worker->requestCancel();
    QMetaObject::invokeMethod(m_worker, "cancel");
}

void CMediaScan::onFinished(CMediaScan::Result result, QStringList foundFiles, QStringList destFiles,
                            QList<bool> foundFileStates)
{
    m_result = result;
    m_foundFiles = foundFiles;
    m_destFiles = destFiles;
    m_foundFileStates = foundFileStates;
    emit finished();
}
