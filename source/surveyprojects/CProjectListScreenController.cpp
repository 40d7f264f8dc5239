#include "surveyprojects/CProjectListScreenController.h"

#include "surveyprojects/CProjectFilterProxyModel.h"
#include "surveyprojects/CProjectListModel.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/ProjectErrorMessages.h"
#include "surveyprojects/SurveyHelpers.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "managers/CMediaDirectoryHandler.h"

CProjectListScreenController::CProjectListScreenController(QObject* parent)
    : CProjectListScreenController(ProjectScreenServices::current(), parent)
{
}

CProjectListScreenController::CProjectListScreenController(const ProjectScreenServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_model(new CProjectListModel(this))
    , m_proxy(new CProjectFilterProxyModel(this))
{
    m_proxy->setSourceModel(m_model);

    // Rows move under the selection when the list changes or the proxy re-sorts changed
    // sizes and dates; the selection follows its project.
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &CProjectListScreenController::followSelectedProject);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &CProjectListScreenController::followSelectedProject);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &CProjectListScreenController::followSelectedProject);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &CProjectListScreenController::followSelectedProject);
    connect(m_proxy, &QAbstractItemModel::rowsMoved, this, &CProjectListScreenController::followSelectedProject);

    if (CProjectService* service = m_services.projectService) {
        connect(service, &CProjectService::projectListReadyChanged, this,
                &CProjectListScreenController::loadingProjectListChanged);
        connect(service, &CProjectService::projectListChanged, this, &CProjectListScreenController::updateProjectList);
        connect(service, &CProjectService::projectCreated, this, &CProjectListScreenController::onProjectOpened);
        connect(service, &CProjectService::projectLoaded, this, &CProjectListScreenController::onProjectOpened);
        connect(service, &CProjectService::projectDeleted, this, &CProjectListScreenController::onProjectDeleted);
        connect(service, &CProjectService::projectRenamed, this, &CProjectListScreenController::onProjectRenamed);
    }
    updateProjectList();
    m_proxy->setSortFilterRole(CProjectItemRolesModel::RoleProjectName);
    // The open project grew while it was used; its row shows and sorts by its size now.
    if (m_services.projectService && m_services.appRuntimeData && m_services.appRuntimeData->projectSelected())
        m_services.projectService->updateProjectSize(m_services.appRuntimeData->currentProjectPath());
}

QAbstractItemModel* CProjectListScreenController::projectListProxyModel() const
{
    return m_proxy;
}

bool CProjectListScreenController::loadingProjectList() const
{
    return m_services.projectService ? !m_services.projectService->projectListReady() : false;
}

void CProjectListScreenController::setCurrentProjectProxyIndex(int index)
{
    if (index < -1 || index >= m_proxy->rowCount())
        index = -1;
    const QModelIndex proxyIndex = m_proxy->index(index, 0);
    m_selectedPath = index >= 0 ? m_model->pathAt(m_proxy->mapToSource(proxyIndex).row()) : QString();
    if (m_currentProjectProxyIndex == index)
        return;
    m_currentProjectProxyIndex = index;
    emit currentProjectProxyIndexChanged();
}

int CProjectListScreenController::currentSourceRow() const
{
    if (m_currentProjectProxyIndex < 0 || m_currentProjectProxyIndex >= m_proxy->rowCount())
        return -1;
    const int row = m_proxy->mapToSource(m_proxy->index(m_currentProjectProxyIndex, 0)).row();
    return row >= 0 && row < m_projectList.size() ? row : -1;
}

QString CProjectListScreenController::currentProjectPath() const
{
    const int row = currentSourceRow();
    return row >= 0 ? m_projectList.at(row).path() : QString();
}

QString CProjectListScreenController::queryCurrentProjectName() const
{
    const int row = currentSourceRow();
    return row >= 0 ? m_projectList.at(row).name() : QString();
}

int CProjectListScreenController::queryProjectProxyIndex(const QString& projectName) const
{
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        if (m_proxy->index(row, 0).data(CProjectItemRolesModel::RoleProjectName).toString() == projectName)
            return row;
    }
    return -1;
}

void CProjectListScreenController::setProcessing(bool processing)
{
    if (m_processing == processing)
        return;
    m_processing = processing;
    emit processingChanged();
}

void CProjectListScreenController::createProject(const QString& projectName)
{
    CProjectService* service = m_services.projectService;
    if (!service)
        return;
    const CSettings* settings = m_services.settings;
    const QString locale = settings ? settings->localeName() : QString();
    const ProjectTypes::DistanceUnit unit = settings && settings->useImperialUnits() ? ProjectTypes::DistanceUnitUS
                                                                                      : ProjectTypes::DistanceUnitMetric;
    const QString root = settings && settings->workType() == CSettings::WorkWithProjectsCustomRoot
        ? settings->customProjectFolder()
        : queryProjectRootPath();
    setProcessing(true);
    m_pendingTaskId = service->createProject(projectName, locale, unit, root);
}

void CProjectListScreenController::renameProject(const QString& projectName)
{
    const QString path = currentProjectPath();
    if (path.isEmpty() || !m_services.projectService)
        return;
    setProcessing(true);
    m_pendingTaskId = m_services.projectService->renameProject(path, projectName);
}

void CProjectListScreenController::openProject()
{
    const QString path = currentProjectPath();
    if (path.isEmpty() || !m_services.projectService)
        return;
    setProcessing(true);
    m_pendingTaskId = m_services.projectService->loadProject(path);
}

void CProjectListScreenController::deleteProject()
{
    const QString path = currentProjectPath();
    if (path.isEmpty() || !m_services.projectService)
        return;
    setProcessing(true);
    m_pendingTaskId = m_services.projectService->deleteProject(path);
}

void CProjectListScreenController::changeFilterRole(CProjectItemRolesModel::Roles role)
{
    const int sourceRow = currentSourceRow();
    m_proxy->setSortFilterRole(role);
    const int proxyRow = sourceRow >= 0 ? m_proxy->mapFromSource(m_model->index(sourceRow)).row() : -1;
    if (proxyRow != m_currentProjectProxyIndex) {
        m_currentProjectProxyIndex = proxyRow;
        emit currentProjectProxyIndexChanged();
    }
}

void CProjectListScreenController::updateProjectList()
{
    m_projectList = m_services.projectService ? m_services.projectService->projectList() : QVector<CLocalProjectInfo>();
    m_model->setProjectList(m_projectList);
    // A list that only changed values keeps its rows, but the proxy may have re-sorted them.
    followSelectedProject();
}

void CProjectListScreenController::followSelectedProject()
{
    if (m_selectedPath.isEmpty())
        return;
    const int sourceRow = m_model->rowOfPath(m_selectedPath);
    const int proxyRow = sourceRow >= 0 ? m_proxy->mapFromSource(m_model->index(sourceRow)).row() : -1;
    if (proxyRow == m_currentProjectProxyIndex)
        return;
    m_currentProjectProxyIndex = proxyRow;
    emit currentProjectProxyIndexChanged();
}

void CProjectListScreenController::selectProjectPath(const QString& path)
{
    m_selectedPath = path;
    const int sourceRow = m_model->rowOfPath(path);
    const int proxyRow = sourceRow >= 0 ? m_proxy->mapFromSource(m_model->index(sourceRow)).row() : -1;
    if (proxyRow == m_currentProjectProxyIndex)
        return;
    m_currentProjectProxyIndex = proxyRow;
    emit currentProjectProxyIndexChanged();
}

void CProjectListScreenController::forgetLastProject(const QString& path)
{
    CAppRuntimeData* runtimeData = m_services.appRuntimeData;
    if (runtimeData && !path.isEmpty() && runtimeData->lastProjectPath() == path)
        runtimeData->setLastProject(QString(), QString());
}

void CProjectListScreenController::onProjectOpened(uint taskId, const QString& projectPath,
                                                   const SurveyProjectPtr& project, ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    setProcessing(false);
    if (!project) {
        emit projectErrorOccurred(TranslationHelper::projectErrorMessage(error));
        return;
    }
    if (CAppRuntimeData* runtimeData = m_services.appRuntimeData) {
        runtimeData->setCurrentProject(project, projectPath);
        runtimeData->setLastProject(project->name(), projectPath);
    }
    if (CMediaDirectoryHandler* handler = m_services.mediaDirectoryHandler)
        handler->setupMediaDirectories();
    // A project created just now joins the list with the next update; the selection waits
    // for it by its folder.
    selectProjectPath(projectPath);
    emit projectOpened();
    if (error == ProjectTypes::ProjectErrorLoadVersionTooNew)
        emit projectErrorOccurred(TranslationHelper::projectErrorMessage(error));
}

void CProjectListScreenController::onProjectDeleted(uint taskId, const QString& projectPath,
                                                    ProjectTypes::ProjectError error)
{
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    setProcessing(false);
    if (error != ProjectTypes::ProjectErrorNone) {
        emit projectErrorOccurred(TranslationHelper::projectErrorMessage(error));
        return;
    }
    setCurrentProjectProxyIndex(-1);
    forgetLastProject(projectPath);
}

void CProjectListScreenController::onProjectRenamed(uint taskId, const QString& oldProjectPath,
                                                    const QString& newProjectPath, ProjectTypes::ProjectError error)
{
    Q_UNUSED(newProjectPath)
    if (!claimTaskResult(m_pendingTaskId, taskId))
        return;
    setProcessing(false);
    if (error != ProjectTypes::ProjectErrorNone) {
        emit projectErrorOccurred(TranslationHelper::projectErrorMessage(error));
        return;
    }
    setCurrentProjectProxyIndex(-1);
    forgetLastProject(oldProjectPath);
}
