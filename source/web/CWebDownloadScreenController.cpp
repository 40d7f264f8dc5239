#include "web/CWebDownloadScreenController.h"

#include "application/CAppRuntimeData.h"
#include "mediaimport/CWebMediaDownloadHandler.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CSurveyProject.h"
#include "web/CProjectDownloadHandler.h"
#include "web/WebScreenServices.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

CWebDownloadScreenController::CWebDownloadScreenController(QObject* parent)
    : CWebDownloadScreenController(new CProjectDownloadHandler(), new CWebMediaDownloadHandler(),
                                   WebScreenServices::current().appRuntimeData, parent)
{
}

CWebDownloadScreenController::CWebDownloadScreenController(CProjectDownloadHandler* projectHandler,
                                                           CWebMediaDownloadHandler* mediaHandler,
                                                           CAppRuntimeData* runtimeData, QObject* parent)
    : CMediaIOScreenController(parent)
    , m_projectHandler(projectHandler)
    , m_mediaHandler(mediaHandler)
    , m_runtimeData(runtimeData)
{
    connectHandlers();
}

CWebDownloadScreenController::~CWebDownloadScreenController()
{
    // Deleted by hand: both were made without a parent, so that no QML ownership rule applies.
    delete m_projectHandler;
    delete m_mediaHandler;
}

void CWebDownloadScreenController::connectHandlers()
{
    connect(m_projectHandler, &CProjectDownloadHandler::stateChanged, this,
            &CMediaIOScreenController::operationInProgressChanged);
    connect(m_projectHandler, &CProjectDownloadHandler::currentFileNameChanged, this,
            &CMediaIOScreenController::currentFileNameChanged);
    connect(m_projectHandler, &CProjectDownloadHandler::currentFileProgressChanged, this,
            &CMediaIOScreenController::currentFileProgressChanged);
    connect(m_projectHandler, &CProjectDownloadHandler::overallProgressChanged, this,
            &CMediaIOScreenController::overallProgressChanged);
    connect(m_projectHandler, &CProjectDownloadHandler::errorOccurred, this, [this](const QString& message) {
        endOfOperation();
        emit operationErrorOccurred(message);
    });
    connect(m_projectHandler, &CProjectDownloadHandler::downloadFinished, this, [this]() {
        endOfOperation();
        emit operationFinished();
    });
    connect(m_projectHandler, &CProjectDownloadHandler::downloadCancelled, this, [this]() {
        endOfOperation();
        emit operationCancelled();
    });

    connect(m_mediaHandler, &CWebMediaDownloadHandler::downloadFinished, this, [this]() {
        endOfOperation();
        emit operationFinished();
    });
    connect(m_mediaHandler, &CWebMediaDownloadHandler::downloadCancelled, this, [this]() {
        endOfOperation();
        emit operationCancelled();
    });
    connect(m_mediaHandler, &CWebMediaDownloadHandler::fileNameChanged, this,
            &CMediaIOScreenController::currentFileNameChanged);
    connect(m_mediaHandler, &CWebMediaDownloadHandler::fileProgressChanged, this,
            &CMediaIOScreenController::currentFileProgressChanged);
    connect(m_mediaHandler, &CWebMediaDownloadHandler::overallProgressChanged, this,
            &CMediaIOScreenController::overallProgressChanged);
    connect(m_mediaHandler, &CWebMediaDownloadHandler::downloadInProgressChanged, this,
            &CMediaIOScreenController::operationInProgressChanged);
    connect(m_mediaHandler, &CWebMediaDownloadHandler::errorOccurred, this, [this](const QString& message) {
        endOfOperation();
        emit operationErrorOccurred(message);
    });
}

void CWebDownloadScreenController::endOfOperation()
{
    stopProgressTimer();
    setEstimatedTimeRemaining(0);
    setCancelInProgress(false);
}

void CWebDownloadScreenController::startDownload(const QString& projectId, const QString& projectName)
{
    if (queryOperationInProgress())
        return;
    startProgressTimer();
    m_projectHandler->startDownload(projectId, projectName);
}

void CWebDownloadScreenController::downloadFile(const QString& fileName)
{
    const SurveyProjectPtr project = m_runtimeData ? m_runtimeData->currentProject() : SurveyProjectPtr();
    if (!project) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("WebModule"),
                            QStringLiteral("Media download of %1 without a current project").arg(fileName), {});
        QMetaObject::invokeMethod(
            this,
            [this]() { emit operationErrorOccurred(TranslationHelper::webErrorMessage(Tovrin::Web::ErrorInvalidParameter)); },
            Qt::QueuedConnection);
        return;
    }
    m_mediaHandler->downloadFile(project->id(), fileName);
}

void CWebDownloadScreenController::pauseCurrentDownload()
{
    pauseOperation();
}

void CWebDownloadScreenController::resumeCurrentDownload()
{
    resumeOperation();
}

void CWebDownloadScreenController::pauseOperation()
{
    if (m_singleMediaDownload)
        m_mediaHandler->pauseDownload();
    else
        m_projectHandler->pause();
}

void CWebDownloadScreenController::resumeOperation()
{
    if (m_singleMediaDownload)
        m_mediaHandler->resumeDownload();
    else
        m_projectHandler->resume();
}

void CWebDownloadScreenController::abortOperation()
{
    if (m_singleMediaDownload)
        m_mediaHandler->cancelDownload();
    else
        m_projectHandler->cancel();
}

bool CWebDownloadScreenController::queryOperationInProgress() const
{
    return m_singleMediaDownload ? m_mediaHandler->downloadInProgress() : m_projectHandler->state() != 0;
}

QString CWebDownloadScreenController::queryCurrentFileName() const
{
    return m_singleMediaDownload ? m_mediaHandler->fileName() : m_projectHandler->currentFileName();
}

int CWebDownloadScreenController::queryCurrentFileProgress() const
{
    return m_singleMediaDownload ? m_mediaHandler->fileProgress() : m_projectHandler->currentFileProgress();
}

int CWebDownloadScreenController::queryOverallProgress() const
{
    return m_singleMediaDownload ? m_mediaHandler->overallProgress() : m_projectHandler->overallProgress();
}
