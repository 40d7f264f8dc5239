#include "web/CWebMainScreenController.h"

#include "messages/TranslationHelper.h"
#include "surveyprojects/CProjectFilterProxyModel.h"
#include "surveyprojects/CProjectListModel.h"
#include "surveyprojects/CProjectService.h"
#include "web/CWebProjectListModel.h"
#include "web/WebProjectService.h"
#include "web/WebScreenServices.h"

#include "CLogger.h"
#include "TovrinWebApi.h"

using Tovrin::Logging::CLogger;
using Tovrin::Web::ProjectInfo;
using Tovrin::Web::TovrinWebApi;

namespace {

const char* const PendingWebProjectId = "DUMMY_ID";

} // namespace

CWebMainScreenController::CWebMainScreenController(QObject* parent)
    : QObject(parent)
    , m_webApi(WebScreenServices::current().webApi)
    , m_localModel(new CProjectListModel())
    , m_localProxy(new CProjectFilterProxyModel())
    , m_webProxy(new CProjectFilterProxyModel())
{
    m_localProxy->setSortFilterRole(CProjectItemRolesModel::RoleProjectName);
    m_webProxy->setSortFilterRole(CProjectItemRolesModel::RoleProjectName);
    if (m_webApi)
        connect(m_webApi, &TovrinWebApi::checkIfCulvertixProjectFinished, this,
                &CWebMainScreenController::onCheckIfCulvertixProjectFinished);
}

CWebMainScreenController::~CWebMainScreenController()
{
    if (m_webProjectService)
        m_webProjectService->stopRemoteProjectsQuerying();
    // The proxies go before the models they may still point at.
    delete m_localProxy;
    delete m_webProxy;
    delete m_localModel;
}

QAbstractItemModel* CWebMainScreenController::localProjectListProxyModel() const
{
    return m_localProxy;
}

QAbstractItemModel* CWebMainScreenController::webProjectListProxyModel() const
{
    return m_webProxy;
}

void CWebMainScreenController::setLocalProjectProxyIndex(int index)
{
    if (m_localProjectProxyIndex == index)
        return;
    m_localProjectProxyIndex = index;
    emit localProjectProxyIndexChanged();
}

void CWebMainScreenController::setWebProjectProxyIndex(int index)
{
    if (m_webProjectProxyIndex == index)
        return;
    m_webProjectProxyIndex = index;
    emit webProjectProxyIndexChanged();
}

bool CWebMainScreenController::loadingLocalProjectList() const
{
    return !m_projectService || !m_projectService->projectListReady();
}

void CWebMainScreenController::setProjectService(CProjectService* service)
{
    if (m_projectService)
        disconnect(m_projectService, nullptr, this, nullptr);
    m_projectService = service;
    if (m_projectService) {
        connect(m_projectService, &CProjectService::projectListReadyChanged, this,
                &CWebMainScreenController::loadingLocalProjectListChanged);
        connect(m_projectService, &CProjectService::projectListChanged, this,
                &CWebMainScreenController::updateProjectList);
    }
    // The screen read the flag before the service was set.
    emit loadingLocalProjectListChanged();
    updateProjectList();
}

void CWebMainScreenController::setWebProjectService(WebProjectService* service)
{
    if (m_webProjectService)
        disconnect(m_webProjectService, nullptr, this, nullptr);
    m_webProjectService = service;
    if (!m_webProjectService)
        return;
    connect(m_webProjectService, &WebProjectService::queryRemoteProjectsError, this,
            &CWebMainScreenController::onQueryRemoteProjectsError);
    connect(m_webProjectService, &WebProjectService::webProjectListInitilized, this,
            &CWebMainScreenController::setWebProjectList);
}

void CWebMainScreenController::updateProjectList()
{
    m_localProjects = m_projectService ? m_projectService->projectList() : QVector<CLocalProjectInfo>();
    m_localModel->setProjectList(m_localProjects);
    if (m_localProxy->sourceModel() != m_localModel)
        m_localProxy->setSourceModel(m_localModel);
    if (m_localProjectProxyIndex != -1) {
        m_localProjectProxyIndex = -1;
        emit localProjectProxyIndexChanged();
    }
}

void CWebMainScreenController::setWebProjectList()
{
    if (!m_webProjectService)
        return;
    m_webModel = m_webProjectService->webProjectListModel();
    if (m_webProxy->sourceModel() != m_webModel)
        m_webProxy->setSourceModel(m_webModel);
    m_loadingWebProjectList = false;
    emit loadingWebProjectListChanged();
}

void CWebMainScreenController::onQueryRemoteProjectsError(Tovrin::Web::Error error)
{
    emit queryRemoteProjectsError(TranslationHelper::webErrorMessage(error));
}

void CWebMainScreenController::onCheckIfCulvertixProjectFinished(QString projectId, QString projectName,
                                                                 bool isCulvertixProject)
{
    if (isCulvertixProject)
        emit downloadInitiated(projectId, projectName);
    else
        emit downloadFailNotCulvertixProject(projectName);
}

void CWebMainScreenController::downloadProject()
{
    if (!m_webModel || m_webProjectProxyIndex < 0)
        return;
    const QModelIndex source = m_webProxy->mapToSource(m_webProxy->index(m_webProjectProxyIndex, 0));
    const ProjectInfo project = m_webModel->projectInfoAt(source.isValid() ? source.row() : -1);
    if (project.projectId().isEmpty())
        return;
    if (!project.isImportedByWeb()) {
        emit downloadFailWebImportPending(project.projectName());
        return;
    }
    if (m_webApi)
        m_webApi->checkIfCulvertixProject(project.projectId(), project.webProjectId());
}

void CWebMainScreenController::uploadProject(bool reuploadCheck)
{
    const QModelIndex source = m_localProxy->mapToSource(m_localProxy->index(m_localProjectProxyIndex, 0));
    const int row = source.isValid() ? source.row() : -1;
    if (row < 0 || row >= m_localProjects.size())
        return;
    const CLocalProjectInfo local = m_localProjects.at(row);
    if (reuploadCheck) {
        // The screen offers the upload only once the web list is there; a call before that
        // (a script, a race with a logout) is refused here rather than thrown into QML.
        if (!m_webModel) {
            CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("WebModule"),
                                QStringLiteral("The list of Web projects is not yet ready!"), {});
            return;
        }
        const QModelIndex byId = m_webModel->indexOfProjectId(local.id().toString(QUuid::WithoutBraces));
        if (byId.isValid()) {
            if (m_webModel->data(byId, CProjectItemRolesModel::RoleIsImportedByWeb).toBool())
                emit reuploadProject();
            else
                emit uploadWebImportPendingProjectFail(
                    m_webModel->data(byId, CProjectItemRolesModel::RoleProjectName).toString());
            return;
        }
        const QModelIndex byName = m_webModel->indexOfProjectName(local.name());
        if (byName.isValid()) {
            emit uploadedProjectNameTaken(m_webModel->data(byName, CProjectItemRolesModel::RoleProjectName).toString());
            return;
        }
    }
    startUpload(local);
}

void CWebMainScreenController::startUpload(const CLocalProjectInfo& project)
{
    const qint64 size = project.size();
    m_pendingUpload = std::make_unique<ProjectInfo>(project.name(), project.id().toString(QUuid::WithoutBraces),
                                                    QString::fromLatin1(PendingWebProjectId), project.path(),
                                                    project.creationDate(), size > 0 ? quint64(size) : 0, false);
    emit uploadInitiated(project.id(), project.name(), project.path(), project.creationDate());
}

void CWebMainScreenController::handleProjectUploadFinished()
{
    if (!m_pendingUpload)
        return;
    const std::unique_ptr<ProjectInfo> uploaded = std::move(m_pendingUpload);
    if (m_webProjectService)
        m_webProjectService->addUploadedProject(*uploaded);
}

void CWebMainScreenController::releasePendingUpload()
{
    m_pendingUpload.reset();
}

void CWebMainScreenController::startRemoteProjectsQuerying()
{
    if (m_webProjectService)
        m_webProjectService->queryRemoteProjects();
}

int CWebMainScreenController::resort(CProjectFilterProxyModel* proxy, CProjectItemRolesModel::Roles role, int proxyRow)
{
    const QModelIndex selected = proxyRow >= 0 ? proxy->mapToSource(proxy->index(proxyRow, 0)) : QModelIndex();
    proxy->setSortFilterRole(role);
    if (!selected.isValid())
        return -1;
    const QModelIndex mapped = proxy->mapFromSource(selected);
    return mapped.isValid() ? mapped.row() : -1;
}

void CWebMainScreenController::changeLocalProjectsFilterRole(CProjectItemRolesModel::Roles role)
{
    setLocalProjectProxyIndex(resort(m_localProxy, role, m_localProjectProxyIndex));
}

void CWebMainScreenController::changeWebProjectsFilterRole(CProjectItemRolesModel::Roles role)
{
    setWebProjectProxyIndex(resort(m_webProxy, role, m_webProjectProxyIndex));
}
