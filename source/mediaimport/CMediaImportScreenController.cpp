#include "mediaimport/CMediaImportScreenController.h"

#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaImportService.h"
#include "mediaimport/MediaFileReplacement.h"

#include "application/CApplication.h"
#include "application/PathHelpers.h"
#include "helpers/FormattingHelpers.h"
#include "messages/TranslationHelper.h"

namespace {

enum MediaImportError
{
    MediaImportErrorInternal = 1,
    MediaImportErrorInsufficientFreeSpace = 2,
    MediaImportErrorOverwriteFileFailed = 3,
    MediaImportErrorFileReadFailed = 4,
    MediaImportErrorFileWriteFailed = 5,
    MediaImportErrorDiskFull = 6
};

CMediaImportService* importService()
{
    auto* app = qobject_cast<CApplication*>(QCoreApplication::instance());
    return app ? app->mediaImportService() : nullptr;
}

} // namespace

CMediaImportScreenController::CMediaImportScreenController(QObject* parent)
    : CMediaIOScreenController(parent)
{
}

CMediaImportScreenController::~CMediaImportScreenController()
{
    if (m_import)
        disconnect(m_import.get(), nullptr, this, nullptr);
}

void CMediaImportScreenController::startImport(QStringList sourceFiles, QStringList destFiles,
                                               QStringList overwriteableFiles)
{
    if (sourceFiles.isEmpty())
        return;
    if (destFiles.size() != sourceFiles.size()) {
        reportError(MediaImportErrorInternal);
        attachImport(nullptr);
        return;
    }
    if (!hasEnoughStorageSpace(sourceFiles, destFiles, overwriteableFiles)) {
        reportError(MediaImportErrorInsufficientFreeSpace);
        attachImport(nullptr);
        return;
    }
    // The old copies stay until their new ones are complete; only make sure each can be replaced.
    for (const QString& file : qAsConst(overwriteableFiles)) {
        if (!canReplaceFile(file)) {
            reportError(MediaImportErrorOverwriteFileFailed, fileNameFromPath(file));
            attachImport(nullptr);
            return;
        }
    }
    CMediaImportService* service = importService();
    std::shared_ptr<CMediaImport> import =
        service ? service->createImport(sourceFiles, destFiles, overwriteableFiles) : nullptr;
    if (!import)
        reportError(MediaImportErrorInternal);
    attachImport(import);
}

void CMediaImportScreenController::reportError(int code, const QString& fileName)
{
    // Queued, so the screen hears of it after startImport has returned.
    QMetaObject::invokeMethod(this, "operationErrorOccurred", Qt::QueuedConnection,
                              Q_ARG(QString, TranslationHelper::mediaImportErrorMessage(code, fileName)));
}

void CMediaImportScreenController::attachImport(const std::shared_ptr<CMediaImport>& import)
{
    if (m_import)
        disconnect(m_import.get(), nullptr, this, nullptr);
    m_import = import;
    if (!m_import) {
        showTransfer(false);
        return;
    }
    CMediaImport* job = m_import.get();
    connect(job, &CMediaImport::finished, this, &CMediaImportScreenController::onImportFinished);
    connect(job, &CMediaImport::totalProgressChanged, this, &CMediaImportScreenController::onTotalProgressChanged);
    connect(job, &CMediaImport::currentFileProgressChanged, this,
            &CMediaIOScreenController::currentFileProgressChanged);
    connect(job, &CMediaImport::currentFileNameChanged, this, &CMediaIOScreenController::currentFileNameChanged);
    connect(job, &CMediaImport::currentFileSizeChanged, this, &CMediaImportScreenController::onCurrentFileSizeChanged);
    showTransfer(true, job->currentFileSize(), job->totalSize());
}

void CMediaImportScreenController::onTotalProgressChanged()
{
    // The total is known only once the worker has summed the sizes, after the job started.
    if (m_import) {
        const QString total = formatFileSizeMB(m_import->totalSize());
        if (total != overallSize())
            setOverallSize(total);
    }
    emit overallProgressChanged();
}

void CMediaImportScreenController::onCurrentFileSizeChanged()
{
    if (m_import)
        setCurrentFileSize(formatFileSizeMB(m_import->currentFileSize()));
}

void CMediaImportScreenController::onImportFinished()
{
    const std::shared_ptr<CMediaImport> import = m_import;
    if (!import)
        return;
    const QString failedFile = fileNameFromPath(import->currentFileName());
    attachImport(nullptr);
    setCancelInProgress(false);
    setProcessedFiles(import->processedFiles());
    switch (import->result()) {
    case CMediaImport::Success:
        emit operationFinished();
        break;
    case CMediaImport::Cancelled:
        emit operationCancelled();
        break;
    // The source, the destination folder and a full drive each send the operator elsewhere.
    case CMediaImport::FileReadFailure:
        emit operationErrorOccurred(TranslationHelper::mediaImportErrorMessage(MediaImportErrorFileReadFailed, failedFile));
        break;
    case CMediaImport::FileWriteFailure:
        emit operationErrorOccurred(TranslationHelper::mediaImportErrorMessage(MediaImportErrorFileWriteFailed, failedFile));
        break;
    case CMediaImport::DiskFull:
        emit operationErrorOccurred(TranslationHelper::mediaImportErrorMessage(MediaImportErrorDiskFull, failedFile));
        break;
    default:
        break;
    }
}

void CMediaImportScreenController::pauseOperation()
{
    if (m_import)
        m_import->pause();
}

void CMediaImportScreenController::resumeOperation()
{
    if (m_import)
        m_import->resume();
}

void CMediaImportScreenController::abortOperation()
{
    if (m_import)
        m_import->cancel();
}

bool CMediaImportScreenController::queryOperationInProgress() const
{
    return m_import && m_import->result() == CMediaImport::NotAvailable;
}

QString CMediaImportScreenController::queryCurrentFileName() const
{
    return m_import ? fileNameFromPath(m_import->currentFileName()) : QString();
}

int CMediaImportScreenController::queryCurrentFileProgress() const
{
    return m_import ? m_import->currentFileProgress() : 0;
}

int CMediaImportScreenController::queryOverallProgress() const
{
    return m_import ? m_import->totalProgress() : 0;
}
