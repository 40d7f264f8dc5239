#include "mediaimport/CMediaImport.h"

#include "mediaimport/CMediaImportWorker.h"

#include <QThread>

CMediaImport::CMediaImport(QThread* workerThread)
{
    m_worker = new CMediaImportWorker();
    m_worker->moveToThread(workerThread);
    connect(m_worker, &CMediaImportWorker::currentFileNameChanged, this, &CMediaImport::onCurrentFileNameChanged,
            Qt::QueuedConnection);
    connect(m_worker, &CMediaImportWorker::currentFileSizeChanged, this, &CMediaImport::onCurrentFileSizeChanged,
            Qt::QueuedConnection);
    connect(m_worker, &CMediaImportWorker::totalSizeChanged, this, &CMediaImport::onTotalSizeChanged,
            Qt::QueuedConnection);
    connect(m_worker, &CMediaImportWorker::bytesWritten, this, &CMediaImport::onBytesWritten, Qt::QueuedConnection);
    connect(m_worker, &CMediaImportWorker::fileCompleted, this, &CMediaImport::onFileCompleted, Qt::QueuedConnection);
    connect(m_worker, &CMediaImportWorker::finished, this, &CMediaImport::onFinished, Qt::QueuedConnection);
}

CMediaImport::~CMediaImport()
{
    // A copy still running ends at its next block and removes its partial file; the worker
    // deletes itself on its thread once no copy loop of it is running.
    disconnect(m_worker, nullptr, this, nullptr);
    m_worker->requestCancel();
    QMetaObject::invokeMethod(m_worker, "release");
}

void CMediaImport::start(const QStringList& sourceFiles, const QStringList& destFiles,
                         const QStringList& replaceableFiles)
{
    QMetaObject::invokeMethod(m_worker, "start", Q_ARG(QStringList, sourceFiles), Q_ARG(QStringList, destFiles),
                              Q_ARG(QStringList, replaceableFiles));
}

void CMediaImport::pause()
{
    m_worker->requestPause();
    QMetaObject::invokeMethod(m_worker, "pause");
}

void CMediaImport::resume()
{
    QMetaObject::invokeMethod(m_worker, "resume");
}

void CMediaImport::cancel()
{
    m_worker->requestCancel();
    QMetaObject::invokeMethod(m_worker, "cancel");
}

int CMediaImport::percentOf(qint64 written, qint64 size)
{
    if (size <= 0)
        return 100;
    return static_cast<int>(static_cast<double>(written) / static_cast<double>(size) * 100.0);
}

void CMediaImport::onCurrentFileNameChanged(QString fileName)
{
    m_currentFileName = fileName;
    emit currentFileNameChanged();
}

void CMediaImport::onCurrentFileSizeChanged(qlonglong size)
{
    m_currentFileSize = size;
    m_currentFileWritten = 0;
    m_currentFileProgress = 0;
    emit currentFileSizeChanged();
    emit currentFileProgressChanged();
}

void CMediaImport::onTotalSizeChanged(qlonglong size)
{
    m_totalSize = size;
    m_totalWritten = 0;
    m_totalProgress = 0;
    emit totalProgressChanged();
}

void CMediaImport::onBytesWritten(qlonglong size)
{
    m_currentFileWritten += size;
    const int filePercent = percentOf(m_currentFileWritten, m_currentFileSize);
    if (filePercent != m_currentFileProgress) {
        m_currentFileProgress = filePercent;
        emit currentFileProgressChanged();
    }
    m_totalWritten += size;
    const int totalPercent = percentOf(m_totalWritten, m_totalSize);
    if (totalPercent != m_totalProgress) {
        m_totalProgress = totalPercent;
        emit totalProgressChanged();
    }
}

void CMediaImport::onFileCompleted(QString fileName)
{
    m_processedFiles.append(fileName);
}

void CMediaImport::onFinished(CMediaImport::Result result)
{
    m_result = result;
    emit finished();
}
