#include "mediaimport/CMediaDownloadScreenController.h"

#include "application/PathHelpers.h"
#include "helpers/FormattingHelpers.h"
#include "messages/TranslationHelper.h"

#include "CUlxSystemsLibrary.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

using Ulx::Multimedia::CAbstractMediaDownload;

namespace {

enum DownloadResult
{
    ResultRunning = 0,
    ResultCancelled = 1,
    ResultFinished = 2,
    ResultTransmissionFailure = 3,
    ResultWriteFailure = 4,
    ResultDiskFull = 5
};

enum MediaDownloadError
{
    MediaDownloadErrorTransmissionFailed = 4,
    MediaDownloadErrorFileWriteFailed = 5,
    MediaDownloadErrorDiskFull = 9
};

} // namespace

CMediaDownloadScreenController::CMediaDownloadScreenController(QObject* parent)
    : CMediaIOScreenController(parent)
{
    Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
    attachDownload(storage ? storage->activeDownload() : nullptr);
}

CMediaDownloadScreenController::~CMediaDownloadScreenController()
{
    if (m_download)
        disconnect(m_download.get(), nullptr, this, nullptr);
}

void CMediaDownloadScreenController::attachDownload(const std::shared_ptr<CAbstractMediaDownload>& download)
{
    if (m_download)
        disconnect(m_download.get(), nullptr, this, nullptr);
    m_download = download;
    if (!m_download) {
        showTransfer(false);
        return;
    }
    CAbstractMediaDownload* followed = m_download.get();
    connect(followed, &CAbstractMediaDownload::finished, this, &CMediaDownloadScreenController::onDownloadFinished);
    connect(followed, &CAbstractMediaDownload::totalProgressChanged, this,
            &CMediaIOScreenController::overallProgressChanged);
    connect(followed, &CAbstractMediaDownload::currentFileProgressChanged, this,
            &CMediaIOScreenController::currentFileProgressChanged);
    connect(followed, &CAbstractMediaDownload::currentFileUrlChanged, this,
            &CMediaIOScreenController::currentFileNameChanged);
    connect(followed, &CAbstractMediaDownload::currentFileSizeChanged, this,
            &CMediaDownloadScreenController::onCurrentFileSizeChanged);
    showTransfer(true, followed->currentFileSize(), followed->totalSize());
}

void CMediaDownloadScreenController::onCurrentFileSizeChanged()
{
    if (!m_download)
        return;
    setCurrentFileSize(formatFileSizeMB(m_download->currentFileSize()));
    // What arrives of a file listed without a size adds to the whole.
    setOverallSize(formatFileSizeMB(m_download->totalSize()));
}

void CMediaDownloadScreenController::onDownloadFinished()
{
    const std::shared_ptr<CAbstractMediaDownload> download = m_download;
    if (!download)
        return;
    attachDownload(nullptr);
    setCancelInProgress(false);
    setProcessedFiles(download->processedFiles());
    const QString fileName = fileNameFromUrl(download->currentFileUrl());
    switch (download->result()) {
    case ResultCancelled:
        emit operationCancelled();
        break;
    case ResultFinished:
        emit operationFinished();
        break;
    case ResultTransmissionFailure:
        emit operationErrorOccurred(
            TranslationHelper::mediaDownloadErrorMessage(MediaDownloadErrorTransmissionFailed, fileName));
        break;
    case ResultWriteFailure:
        emit operationErrorOccurred(TranslationHelper::mediaDownloadErrorMessage(MediaDownloadErrorFileWriteFailed, fileName));
        break;
    case ResultDiskFull:
        emit operationErrorOccurred(TranslationHelper::mediaDownloadErrorMessage(MediaDownloadErrorDiskFull, fileName));
        break;
    default:
        break;
    }
}

void CMediaDownloadScreenController::pauseDownload()
{
    if (queryOperationInProgress())
        pauseOperation();
}

void CMediaDownloadScreenController::resumeDownload()
{
    if (queryOperationInProgress())
        resumeOperation();
}

void CMediaDownloadScreenController::pauseOperation()
{
    if (m_download)
        m_download->pause();
}

void CMediaDownloadScreenController::resumeOperation()
{
    if (m_download)
        m_download->resume();
}

void CMediaDownloadScreenController::abortOperation()
{
    if (m_download)
        m_download->cancel();
}

bool CMediaDownloadScreenController::queryOperationInProgress() const
{
    return m_download && m_download->result() == ResultRunning;
}

QString CMediaDownloadScreenController::queryCurrentFileName() const
{
    return m_download ? fileNameFromUrl(m_download->currentFileUrl()) : QString();
}

int CMediaDownloadScreenController::queryCurrentFileProgress() const
{
    return m_download ? m_download->currentFileProgress() : 0;
}

int CMediaDownloadScreenController::queryOverallProgress() const
{
    return m_download ? m_download->totalProgress() : 0;
}
