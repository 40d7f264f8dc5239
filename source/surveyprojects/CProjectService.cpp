#include "surveyprojects/CProjectService.h"

#include "surveyprojects/CProjectMigrationWorker.h"
#include "surveyprojects/CProjectServiceWorker.h"

#include "application/CSettings.h"
#include "application/PathHelpers.h"

#include "WorkerThread.h"

#include "CLogger.h"

#include <QDir>

namespace {

const int ShutdownTimeoutMs = 60000;

} // namespace

CProjectService::CProjectService(CSettings* settings)
    : QObject(nullptr)
    , m_settings(settings)
{
    m_workerThread = new Tovrin::Shared::WorkerThread();
    m_worker = new CProjectServiceWorker();
    m_migrationWorker = new CProjectMigrationWorker();
    m_worker->moveToThread(m_workerThread);
    m_migrationWorker->moveToThread(m_workerThread);

    qRegisterMetaType<SurveyProjectPtr>("SurveyProjectPtr");
    qRegisterMetaType<SurveyPtr>("SurveyPtr");
    qRegisterMetaType<SurveyPhotoPtr>("SurveyPhotoPtr");
    qRegisterMetaType<SurveyVideoPtr>("SurveyVideoPtr");
    qRegisterMetaType<ProjectTypes::ProjectError>("ProjectTypes::ProjectError");
    qRegisterMetaType<AbstractChangeSetPtr>("AbstractChangeSetPtr");
    qRegisterMetaType<ProjectTypes::DistanceUnit>("ProjectTypes::DistanceUnit");
    qRegisterMetaType<ManholeList>("ManholeList");
    qRegisterMetaType<ManholeListPtr>("ManholeListPtr");

    connect(m_worker, &CProjectServiceWorker::projectListReadyChanged, this,
            &CProjectService::onProjectListReadyChanged, Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectListChanged, this, &CProjectService::projectListChanged,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectCreated, this, &CProjectService::onProjectCreated,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectLoaded, this, &CProjectService::onProjectLoaded,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectSaved, this, &CProjectService::onProjectSaved,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectClosed, this, &CProjectService::onProjectClosed,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectDeleted, this, &CProjectService::onProjectDeleted,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::projectRenamed, this, &CProjectService::onProjectRenamed,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::changeSetApplied, this, &CProjectService::onChangeSetApplied,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::surveyPhotoCreated, this, &CProjectService::onSurveyPhotoCreated,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::surveyVideoCreated, this, &CProjectService::onSurveyVideoCreated,
            Qt::QueuedConnection);
    connect(m_worker, &CProjectServiceWorker::manholeListLoaded, this, &CProjectService::manholeListLoaded,
            Qt::QueuedConnection);
    // Queued like projectCreated, so it arrives before the result it explains.
    connect(m_worker, &CProjectServiceWorker::placeholderDetails, this, &CProjectService::placeholderDetails,
            Qt::QueuedConnection);
    if (m_settings) {
        connect(m_settings, &CSettings::customProjectFolderChanged, this,
                &CProjectService::onProjectRootDirectoryChnaged, Qt::QueuedConnection);
        connect(m_settings, &CSettings::workTypeChanged, this, &CProjectService::onWorkTypeChanged,
                Qt::QueuedConnection);
    }
    connect(m_migrationWorker, &CProjectMigrationWorker::nameCollision, this, &CProjectService::onNameCollision,
            Qt::QueuedConnection);
    connect(m_migrationWorker, &CProjectMigrationWorker::idCollision, this, &CProjectService::onIdCollision,
            Qt::QueuedConnection);
    connect(m_migrationWorker, &CProjectMigrationWorker::migrationRequired, this,
            &CProjectService::onMigrationRequired, Qt::QueuedConnection);
    connect(m_migrationWorker, &CProjectMigrationWorker::migrationDone, this, &CProjectService::onMigrationDone,
            Qt::QueuedConnection);
    connect(m_migrationWorker, &CProjectMigrationWorker::migrationFailed, this, &CProjectService::onMigrationFailed,
            Qt::QueuedConnection);
    connect(m_migrationWorker, &CProjectMigrationWorker::migrationProgress, this,
            &CProjectService::onMigrationProgressChanged, Qt::QueuedConnection);

    m_workerThread->blockingStart();

    if (m_settings && m_settings->workType() == CSettings::WorkWithProjects && !m_settings->storageMigrationDone())
        checkMigration();
    initWorker();
}

CProjectService::~CProjectService()
{
    m_workerThread->quit();
    // A save of a very large project may still be running; it gets its time, but the exit
    // does not hang for ever on a stuck file system.
    if (!m_workerThread->wait(ShutdownTimeoutMs)) {
        // Deleting the workers under a running thread would crash; at exit leaking is harmless.
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("Projects"),
                                             "Project worker did not stop in time.", {ShutdownTimeoutMs});
        return;
    }
    delete m_migrationWorker;
    delete m_worker;
    delete m_workerThread;
}

uint CProjectService::nextTaskId()
{
    ++m_lastTaskId;
    if (m_lastTaskId == 0)
        m_lastTaskId = 1;
    return m_lastTaskId;
}

QString CProjectService::projectsRoot() const
{
    if (m_settings && m_settings->workType() == CSettings::WorkWithProjectsCustomRoot)
        return m_settings->customProjectFolder();
    return queryProjectRootPath();
}

void CProjectService::initWorker()
{
    const QString root = projectsRoot();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, root]() { worker->init(root); }, Qt::QueuedConnection);
}

void CProjectService::checkMigration()
{
    const QString oldRoot = deprecatedProjectRootPath();
    const QString newRoot = queryProjectRootPath();
    if (QDir::cleanPath(oldRoot) == QDir::cleanPath(newRoot))
        return;
    if (QDir(oldRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        return;
    setMigrationRequired(true, true);
    CProjectMigrationWorker* worker = m_migrationWorker;
    QMetaObject::invokeMethod(worker, [worker, oldRoot, newRoot]() { worker->init(oldRoot, newRoot); },
                              Qt::QueuedConnection);
}

void CProjectService::setMigrationRequired(bool required, bool notify)
{
    if (m_migrationRequired == required)
        return;
    m_migrationRequired = required;
    if (notify)
        emit migrationRequiredChanged();
}

void CProjectService::setMigrationInProgress(bool inProgress)
{
    if (m_migrationInProgress == inProgress)
        return;
    m_migrationInProgress = inProgress;
    emit migrationInProgressChanged();
}

uint CProjectService::createProject(const QString& name, const QString& localeCode,
                                    const ProjectTypes::DistanceUnit& distanceUnit, const QString& parentFolder)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->createProject(taskId, name, localeCode, distanceUnit, parentFolder); },
        Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::createPlaceholderProject(const QString& name, const QString& parentFolder,
                                               const QString& downloadSource)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->createPlaceholderProject(taskId, name, parentFolder, downloadSource); },
        Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::loadProject(const QString& projectPath)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->loadProject(taskId, projectPath); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::saveProject(const SurveyProjectPtr& project)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->saveProject(taskId, project); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::closeProject(const SurveyProjectPtr& project)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->closeProject(taskId, project); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::deleteProject(const QString& projectPath)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->deleteProject(taskId, projectPath); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::renameProject(const QString& projectPath, const QString& newName)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->renameProject(taskId, projectPath, newName); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::applyChangeSet(const AbstractChangeSetPtr& changeSet)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->applyChangeSet(taskId, changeSet); }, Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::createSurveyPhoto(const SurveyProjectPtr& project, const SurveyPtr& survey,
                                        const QString& fileName, const QString& comment, const double& longitude,
                                        const double& latitude, const double& altitude)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    const double lon = longitude;
    const double lat = latitude;
    const double alt = altitude;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->createSurveyPhoto(taskId, project, survey, fileName, comment, lon, lat, alt); },
        Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::createSurveyVideo(const SurveyProjectPtr& project, const SurveyPtr& survey,
                                        const QString& fileName, const QString& comment)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->createSurveyVideo(taskId, project, survey, fileName, comment); },
        Qt::QueuedConnection);
    return taskId;
}

uint CProjectService::loadManholeList(const SurveyProjectPtr& project)
{
    const uint taskId = nextTaskId();
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->loadManholeList(taskId, project); }, Qt::QueuedConnection);
    return taskId;
}

void CProjectService::addProjectAtPathToTheProjectList(const QString& projectPath)
{
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->addProjectAtPathToTheProjectList(projectPath); }, Qt::QueuedConnection);
}

void CProjectService::releaseDownloadFolder(const QString& projectPath, const QString& inFlight, bool removeIt)
{
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [=]() { worker->releaseDownloadFolder(projectPath, inFlight, removeIt); }, Qt::QueuedConnection);
}

void CProjectService::updateProjectSizeOnClose(const SurveyProjectPtr& project)
{
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->updateProjectSizeOnClose(project); }, Qt::QueuedConnection);
}

void CProjectService::updateProjectSize(const QString& projectPath)
{
    CProjectServiceWorker* worker = m_worker;
    QMetaObject::invokeMethod(worker, [=]() { worker->updateProjectSizeInList(projectPath); }, Qt::QueuedConnection);
}

QVector<CLocalProjectInfo> CProjectService::projectList() const
{
    return m_worker->projectList();
}

void CProjectService::startMigration()
{
    if (m_migrationInProgress)
        return;
    setMigrationInProgress(true);
    CProjectMigrationWorker* worker = m_migrationWorker;
    QMetaObject::invokeMethod(worker, [worker]() { worker->start(); }, Qt::QueuedConnection);
}

void CProjectService::overwiteColision(uint taskId)
{
    CProjectMigrationWorker* worker = m_migrationWorker;
    QMetaObject::invokeMethod(
        worker, [worker, taskId]() { worker->overwrite(static_cast<int>(taskId)); }, Qt::QueuedConnection);
}

void CProjectService::renameColision(uint taskId, const QString& newName)
{
    CProjectMigrationWorker* worker = m_migrationWorker;
    QMetaObject::invokeMethod(
        worker, [worker, taskId, newName]() { worker->rename(static_cast<int>(taskId), newName); },
        Qt::QueuedConnection);
}

void CProjectService::removeColision(uint taskId)
{
    CProjectMigrationWorker* worker = m_migrationWorker;
    QMetaObject::invokeMethod(
        worker, [worker, taskId]() { worker->remove(static_cast<int>(taskId)); }, Qt::QueuedConnection);
}

void CProjectService::onProjectListReadyChanged(bool ready)
{
    m_projectListReady = ready;
    emit projectListReadyChanged();
}

void CProjectService::onProjectCreated(uint taskId, const QString& projectPath, const SurveyProjectPtr& project,
                                       ProjectTypes::ProjectError error)
{
    emit projectCreated(taskId, projectPath, project, error);
}

void CProjectService::onProjectLoaded(uint taskId, const QString& projectPath, const SurveyProjectPtr& project,
                                      ProjectTypes::ProjectError error)
{
    emit projectLoaded(taskId, projectPath, project, error);
}

void CProjectService::onProjectSaved(uint taskId, const SurveyProjectPtr& project, ProjectTypes::ProjectError error)
{
    emit projectSaved(taskId, project, error);
}

void CProjectService::onProjectClosed(uint taskId, const SurveyProjectPtr& project, ProjectTypes::ProjectError error)
{
    emit projectClosed(taskId, project, error);
}

void CProjectService::onProjectDeleted(uint taskId, const QString& projectPath, ProjectTypes::ProjectError error)
{
    emit projectDeleted(taskId, projectPath, error);
}

void CProjectService::onProjectRenamed(uint taskId, const QString& oldProjectPath, const QString& newProjectPath,
                                       ProjectTypes::ProjectError error)
{
    emit projectRenamed(taskId, oldProjectPath, newProjectPath, error);
}

void CProjectService::onChangeSetApplied(uint taskId, const AbstractChangeSetPtr& changeSet,
                                         ProjectTypes::ProjectError error)
{
    emit changeSetApplied(taskId, changeSet, error);
}

void CProjectService::onSurveyPhotoCreated(uint taskId, const QString& fileName, const SurveyPhotoPtr& surveyPhoto,
                                           ProjectTypes::ProjectError error)
{
    emit surveyPhotoCreated(taskId, fileName, surveyPhoto, error);
}

void CProjectService::onSurveyVideoCreated(uint taskId, const QString& fileName, const SurveyVideoPtr& surveyVideo,
                                           ProjectTypes::ProjectError error)
{
    emit surveyVideoCreated(taskId, fileName, surveyVideo, error);
}

void CProjectService::onProjectRootDirectoryChnaged()
{
    if (!m_settings || !m_settings->projectMode())
        return;
    initWorker();
}

void CProjectService::onWorkTypeChanged()
{
    if (m_settings && m_settings->workType() == CSettings::WorkWithProjects && !m_settings->storageMigrationDone())
        checkMigration();
    initWorker();
}

void CProjectService::onNameCollision(int taskId, const QString& name)
{
    emit projectNameColision(static_cast<uint>(taskId), name);
}

void CProjectService::onIdCollision(int taskId, const QString& oldName, const QString& newName)
{
    emit projectIdColision(static_cast<uint>(taskId), oldName, newName);
}

void CProjectService::onMigrationRequired()
{
    setMigrationRequired(true, true);
}

void CProjectService::onMigrationDone()
{
    setMigrationRequired(false, false);
    setMigrationInProgress(false);
    if (m_settings)
        m_settings->setStorageMigrationDone(true);
    initWorker();
}

void CProjectService::onMigrationFailed()
{
    setMigrationRequired(true, false);
    setMigrationInProgress(false);
}

void CProjectService::onMigrationProgressChanged(int percent)
{
    m_migrationProgress = percent;
    emit migrationProgressChanged();
}
