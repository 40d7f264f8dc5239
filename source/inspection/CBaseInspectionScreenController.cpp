#include "inspection/CBaseInspectionScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"

#include <QCoreApplication>
#include <QGeoPositionInfo>

using Ulx::Multimedia::CImageMetaData;

namespace {

QString bareFileName(const QString& filePath)
{
    return filePath.mid(filePath.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

CBaseInspectionScreenController::Services CBaseInspectionScreenController::Services::fromApplication()
{
    Services services;
    if (auto* app = qobject_cast<CApplication*>(QCoreApplication::instance())) {
        services.settings = app->settings();
        services.appRuntimeData = app->appRuntimeData();
        services.projectService = app->projectService();
        services.geoPositionSourceManager = app->geoPositionSourceManager();
        services.mediaDirectoryHandler = app->mediaDirectoryHandler();
    }
    return services;
}

CBaseInspectionScreenController::CBaseInspectionScreenController(QObject* parent)
    : CBaseInspectionScreenController(Services::fromApplication(), parent)
{
}

CBaseInspectionScreenController::CBaseInspectionScreenController(const Services& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
    if (CAppRuntimeData* runtime = m_services.appRuntimeData) {
        connect(runtime, &CAppRuntimeData::currentProjectChanged, this,
            &CBaseInspectionScreenController::onCurrentProjectChanged);
        connect(runtime, &CAppRuntimeData::currentSurveyChanged, this,
            &CBaseInspectionScreenController::onCurrentSurveyChanged);
    }
    if (CProjectService* projects = m_services.projectService) {
        connect(projects, &CProjectService::projectLoaded, this, &CBaseInspectionScreenController::onProjectLoaded);
        connect(projects, &CProjectService::surveyPhotoCreated, this,
            &CBaseInspectionScreenController::onSurveyPhotoCreated);
        connect(projects, &CProjectService::surveyVideoCreated, this,
            &CBaseInspectionScreenController::onSurveyVideoCreated);
    }
    // The screen closed last cleared the media folders; a project that is still current gets
    // its Photos/ and Videos/ folders back, so new media do not land beside the projects.
    if (m_services.appRuntimeData && m_services.appRuntimeData->currentProject() && m_services.mediaDirectoryHandler)
        m_services.mediaDirectoryHandler->setupMediaDirectories();
}

CBaseInspectionScreenController::~CBaseInspectionScreenController()
{
    if (m_services.mediaDirectoryHandler)
        m_services.mediaDirectoryHandler->resetMediaDirectories();
}

bool CBaseInspectionScreenController::processing() const
{
    return m_processing;
}

void CBaseInspectionScreenController::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    emit processingChanged();
}

void CBaseInspectionScreenController::continueLastProject()
{
    if (!m_services.projectService || !m_services.appRuntimeData)
        return;
    setProcessing(true);
    m_pendingTaskId = m_services.projectService->loadProject(m_services.appRuntimeData->lastProjectPath());
}

void CBaseInspectionScreenController::onProjectLoaded(
    uint taskId, QString projectPath, std::shared_ptr<CSurveyProject> project, ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    setProcessing(false);
    if (!project) {
        emit errorOccurred(TranslationHelper::projectErrorMessage(error));
        return;
    }
    if (m_services.appRuntimeData)
        m_services.appRuntimeData->setCurrentProject(project, projectPath);
    if (m_services.mediaDirectoryHandler)
        m_services.mediaDirectoryHandler->setupMediaDirectories();
    const SurveyPtr survey = latestSurvey(project);
    if (survey && m_services.appRuntimeData)
        m_services.appRuntimeData->setCurrentSurvey(survey);
}

void CBaseInspectionScreenController::onSurveyPhotoCreated(
    uint taskId, QString fileName, std::shared_ptr<CSurveyPhoto> surveyPhoto, ProjectTypes::ProjectError error)
{
    Q_UNUSED(surveyPhoto)
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    // The photo is on disk either way; a record that could not be saved is still reported.
    emit photoCaptured(fileName);
    if (error != ProjectTypes::ProjectErrorNone)
        emit errorOccurred(TranslationHelper::projectErrorMessage(error));
}

void CBaseInspectionScreenController::onSurveyVideoCreated(
    uint taskId, QString fileName, std::shared_ptr<CSurveyVideo> surveyVideo, ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    surveyVideoRecorded(fileName, surveyVideo);
    emit videoRecordingStarted(fileName);
    if (error != ProjectTypes::ProjectErrorNone)
        emit errorOccurred(TranslationHelper::projectErrorMessage(error));
}

void CBaseInspectionScreenController::surveyVideoRecorded(const QString& fileName, const SurveyVideoPtr& video)
{
    Q_UNUSED(fileName)
    Q_UNUSED(video)
}

void CBaseInspectionScreenController::onCurrentProjectChanged()
{
    const SurveyProjectPtr project
        = m_services.appRuntimeData ? m_services.appRuntimeData->currentProject() : SurveyProjectPtr();
    if (project)
        emit projectOpened(project->name());
    else
        emit projectClosed();
}

void CBaseInspectionScreenController::onCurrentSurveyChanged()
{
    if (!m_services.appRuntimeData)
        return;
    const QString title = surveyTitle(m_services.appRuntimeData->currentSurvey());
    if (!title.isEmpty())
        emit surveySelected(title);
}

CImageMetaData CBaseInspectionScreenController::createImageMetaData() const
{
    CImageMetaData metaData;
    if (m_services.geoPositionSourceManager) {
        const QGeoPositionInfo position = m_services.geoPositionSourceManager->lastKnownPosition();
        if (position.isValid()) {
            metaData.setTimeStamp(position.timestamp());
            // A fix without height keeps the altitude unset, so no record claims 0 m.
            metaData.setAltitude(position.coordinate().altitude());
            metaData.setLatitude(position.coordinate().latitude());
            metaData.setLongitude(position.coordinate().longitude());
        }
    }
    if (m_services.settings && m_services.settings->commentPhotos()) {
        const QString headline1 = m_services.settings->headline1Text();
        const QString headline2 = m_services.settings->headline2Text();
        const bool both = !headline1.isEmpty() && !headline2.isEmpty();
        metaData.setComment(both ? headline1 + QLatin1Char(' ') + headline2 : headline1 + headline2);
    }
    return metaData;
}

void CBaseInspectionScreenController::addPhotoToCurrentSurvey(const QString& filePath, const CImageMetaData& metaData)
{
    const QString name = bareFileName(filePath);
    CAppRuntimeData* runtime = m_services.appRuntimeData;
    if (runtime && runtime->currentProject() && runtime->currentSurvey() && m_services.projectService) {
        // The comment goes into the image file with the capture, not into the project.
        m_pendingTaskId = m_services.projectService->createSurveyPhoto(runtime->currentProject(),
            runtime->currentSurvey(), name, QString(), metaData.longitude(), metaData.latitude(), metaData.altitude());
        return;
    }
    emit photoCaptured(name);
}

void CBaseInspectionScreenController::handleVideoRecordingStarted(QString fileName)
{
    const QString name = bareFileName(fileName);
    CAppRuntimeData* runtime = m_services.appRuntimeData;
    if (runtime && runtime->currentProject() && runtime->currentSurvey() && m_services.projectService) {
        m_pendingTaskId = m_services.projectService->createSurveyVideo(
            runtime->currentProject(), runtime->currentSurvey(), name, QString());
        return;
    }
    emit videoRecordingStarted(name);
}
