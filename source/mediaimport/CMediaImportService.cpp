#include "mediaimport/CMediaImportService.h"

#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaScan.h"

#include "WorkerThread.h"

CMediaImportService::CMediaImportService(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<CMediaScan::Result>("CMediaScan::Result");
    qRegisterMetaType<CMediaImport::Result>("CMediaImport::Result");
    m_workerThread = new Tovrin::Shared::WorkerThread();
    m_workerThread->setObjectName(QStringLiteral("MediaImportWorker"));
    m_workerThread->blockingStart();
}

CMediaImportService::~CMediaImportService()
{
    // A running walk or copy loop sees the interruption at its next folder or block and ends
    // as cancelled, so the wait lasts at most one block.
    m_workerThread->requestInterruption();
    m_workerThread->quit();
    m_workerThread->wait();
    delete m_workerThread;
}

std::shared_ptr<CMediaScan> CMediaImportService::createScan(const QString& searchPath, const QStringList& matchFiles)
{
    auto scan = std::make_shared<CMediaScan>(m_workerThread);
    scan->start(searchPath, matchFiles);
    return scan;
}

std::shared_ptr<CMediaScan> CMediaImportService::createScan(const QString& searchPath, const QString& destPhotosPath,
                                                            const QString& destVideosPath)
{
    auto scan = std::make_shared<CMediaScan>(m_workerThread);
    scan->start(searchPath, destPhotosPath, destVideosPath);
    return scan;
}

std::shared_ptr<CMediaImport> CMediaImportService::createImport(const QStringList& sourceFiles,
                                                                const QStringList& destFiles,
                                                                const QStringList& replaceableFiles)
{
    auto import = std::make_shared<CMediaImport>(m_workerThread);
    connect(import.get(), &CMediaImport::finished, this, &CMediaImportService::importFinished);
    import->start(sourceFiles, destFiles, replaceableFiles);
    return import;
}
