#include "web/CWebUploadScreenController.h"

#include "application/PathHelpers.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/ProjectFiles.h"
#include "web/WebScreenServices.h"

#include "TovrinWebApi.h"

using Tovrin::Web::TovrinWebApi;

CWebUploadScreenController::CWebUploadScreenController(QObject* parent)
    : CWebUploadScreenController(WebScreenServices::current().webApi, parent)
{
}

CWebUploadScreenController::CWebUploadScreenController(TovrinWebApi* webApi, QObject* parent)
    : CMediaIOScreenController(parent)
    , m_webApi(webApi)
{
    if (!m_webApi)
        return;
    connect(m_webApi, &TovrinWebApi::uploadTotalProgressChanged, this,
            &CWebUploadScreenController::onUploadTotalProgressChanged);
    connect(m_webApi, &TovrinWebApi::uploadFileProgressChanged, this,
            &CWebUploadScreenController::onUploadFileProgressChanged);
    connect(m_webApi, &TovrinWebApi::uploadFinished, this, &CWebUploadScreenController::onUploadFinished);
    connect(m_webApi, &TovrinWebApi::errorOccurred, this, &CWebUploadScreenController::onErrorOccurred);
}

CWebUploadScreenController::~CWebUploadScreenController()
{
    // A screen that goes while its upload runs must not leave the upload running unobserved.
    if (m_uploadId != 0 && m_webApi)
        m_webApi->abortUpload(m_uploadId);
}

QSet<QString> CWebUploadScreenController::readManholeMedia(const QString& projectPath)
{
    QSet<QString> media;
    if (projectPath.isEmpty())
        return media;
    CProjectXmlReader reader;
    const SurveyProjectPtr project = reader.read(buildFilePath(projectPath, QString::fromLatin1(ProjectFiles::ProjectFileName)), false);
    if (!project)
        return media;
    for (const SurveyPtr& survey : project->surveys()) {
        if (!survey || survey->type() != ProjectTypes::SurveyTypeManhole)
            continue;
        for (const SurveyPhotoPtr& photo : survey->pictures()) {
            if (photo)
                media.insert(photo->path());
        }
        for (const SurveyVideoPtr& video : survey->videos()) {
            if (video)
                media.insert(video->path());
        }
    }
    return media;
}

void CWebUploadScreenController::startUpload(const QUuid& projectId, const QString& projectName,
                                             const QString& projectPath, const QDateTime& projectCreationDate)
{
    if (m_uploadId != 0)
        return;
    startProgressTimer();
    m_manholeMedia.unite(readManholeMedia(projectPath));
    if (projectName.isEmpty() || projectPath.isEmpty() || !m_webApi) {
        QMetaObject::invokeMethod(
            this, [this]() { handleWebError(Tovrin::Web::ErrorInvalidParameter); }, Qt::QueuedConnection);
        return;
    }
    m_uploadId = m_webApi->uploadZephiraProject(projectId, projectName, projectPath, projectCreationDate, m_manholeMedia);
    if (m_uploadId == 0) {
        QMetaObject::invokeMethod(
            this, [this]() { handleWebError(Tovrin::Web::ErrorInvalidParameter); }, Qt::QueuedConnection);
        return;
    }
    emit operationInProgressChanged();
}

void CWebUploadScreenController::onUploadFileProgressChanged(uint uploadId, QString fileName, int progress)
{
    if (uploadId == 0 || uploadId != m_uploadId)
        return;
    if (fileName != m_currentFilePath) {
        m_processed.append(fileName);
        setProcessedFiles(m_processed);
        m_currentFilePath = fileName;
        m_currentFileName = fileNameFromPath(fileName);
        emit currentFileNameChanged();
    }
    if (progress != m_currentFileProgress) {
        m_currentFileProgress = progress;
        emit currentFileProgressChanged();
    }
}

void CWebUploadScreenController::onUploadTotalProgressChanged(uint uploadId, int value)
{
    if (uploadId == 0 || uploadId != m_uploadId)
        return;
    m_overallProgress = value;
    emit overallProgressChanged();
}

void CWebUploadScreenController::onUploadFinished(uint uploadId)
{
    if (uploadId == 0 || uploadId != m_uploadId)
        return;
    // Behind its "finished" message the screen shows what was done: every file sent, the last
    // one named, not a transfer that never began.
    endUpload();
    setShownProgress(100, 100);
    emit operationFinished();
}

void CWebUploadScreenController::setShownProgress(int fileProgress, int overallProgress)
{
    if (m_currentFileProgress != fileProgress) {
        m_currentFileProgress = fileProgress;
        emit currentFileProgressChanged();
    }
    if (m_overallProgress != overallProgress) {
        m_overallProgress = overallProgress;
        emit overallProgressChanged();
    }
}

void CWebUploadScreenController::reset()
{
    const bool nameShown = !m_currentFilePath.isEmpty() || !m_currentFileName.isEmpty();
    m_currentFilePath.clear();
    m_currentFileName.clear();
    if (nameShown)
        emit currentFileNameChanged();
    setShownProgress(0, 0);
    endUpload();
}

void CWebUploadScreenController::endUpload()
{
    stopProgressTimer();
    m_uploadId = 0;
    m_processed.clear();
    setProcessedFiles(m_processed);
    setEstimatedTimeRemaining(0);
    setCancelInProgress(false);
    emit operationInProgressChanged();
}

void CWebUploadScreenController::pauseOperation()
{
    if (m_webApi)
        m_webApi->pauseUpload(m_uploadId);
}

void CWebUploadScreenController::resumeOperation()
{
    if (m_webApi)
        m_webApi->resumeUpload(m_uploadId);
}

void CWebUploadScreenController::abortOperation()
{
    if (m_webApi && m_uploadId != 0)
        m_webApi->abortUpload(m_uploadId);
    reset();
    emit operationCancelled();
}

void CWebUploadScreenController::onErrorOccurred(Tovrin::Web::Error error)
{
    // The web client's errors name no upload: one that comes while nothing of ours runs
    // (the echo of an abort, another screen's transfer) is not this screen's to show.
    if (m_uploadId == 0 && !cancelInProgress())
        return;
    handleWebError(error);
}

void CWebUploadScreenController::handleWebError(Tovrin::Web::Error error)
{
    const bool cancelling = cancelInProgress();
    // The web client's error names no upload: ours is stopped before the screen lets go of it.
    if (m_webApi && m_uploadId != 0)
        m_webApi->abortUpload(m_uploadId);
    reset();
    if (cancelling) {
        emit operationCancelled();
        return;
    }
    // A refused login during an upload is no question of the operator's password.
    const Tovrin::Web::Error shown =
        error == Tovrin::Web::ErrorFalseCredentials ? Tovrin::Web::ErrorInternalServer : error;
    emit operationErrorOccurred(TranslationHelper::webErrorMessage(shown));
}
