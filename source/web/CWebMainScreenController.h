#pragma once

#include "surveyprojects/CLocalProjectInfo.h"
#include "surveyprojects/CProjectItemRolesModel.h"

#include "ProjectInfo.h"
#include "TovrinWebTypes.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QObject>
#include <QUuid>
#include <QVector>

#include <memory>

class CProjectFilterProxyModel;
class CProjectListModel;
class CProjectService;
class CWebProjectListModel;
class WebProjectService;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Controller of the web main screen: the local and the web projects side by side, each behind
// a sort and filter proxy, and the checks before a download or an upload starts. It owns the
// local list model, both proxies and the pending upload record; the web list model belongs to
// the web project service, and both services are borrowed. GUI thread only.
class CWebMainScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* localProjectListProxyModel READ localProjectListProxyModel CONSTANT)
    Q_PROPERTY(QAbstractItemModel* webProjectListProxyModel READ webProjectListProxyModel CONSTANT)
    Q_PROPERTY(int localProjectProxyIndex READ localProjectProxyIndex WRITE setLocalProjectProxyIndex NOTIFY localProjectProxyIndexChanged)
    Q_PROPERTY(int webProjectProxyIndex READ webProjectProxyIndex WRITE setWebProjectProxyIndex NOTIFY webProjectProxyIndexChanged)
    Q_PROPERTY(bool loadingLocalProjectList READ loadingLocalProjectList NOTIFY loadingLocalProjectListChanged)
    Q_PROPERTY(bool loadingWebProjectList READ loadingWebProjectList NOTIFY loadingWebProjectListChanged)
    Q_PROPERTY(WebProjectService* webProjectService WRITE setWebProjectService)
    Q_PROPERTY(CProjectService* projectService WRITE setProjectService)

public:
    explicit CWebMainScreenController(QObject* parent = nullptr);
    ~CWebMainScreenController() override;

    QAbstractItemModel* localProjectListProxyModel() const;
    QAbstractItemModel* webProjectListProxyModel() const;
    int localProjectProxyIndex() const { return m_localProjectProxyIndex; }
    int webProjectProxyIndex() const { return m_webProjectProxyIndex; }
    void setLocalProjectProxyIndex(int index);
    void setWebProjectProxyIndex(int index);
    bool loadingLocalProjectList() const;
    bool loadingWebProjectList() const { return m_loadingWebProjectList; }
    void setWebProjectService(WebProjectService* service);
    void setProjectService(CProjectService* service);

    // The record prepared for the upload last started; null when there is none.
    const Tovrin::Web::ProjectInfo* pendingUpload() const { return m_pendingUpload.get(); }

    Q_INVOKABLE void downloadProject();
    Q_INVOKABLE void uploadProject(bool reuploadCheck = false);
    Q_INVOKABLE void handleProjectUploadFinished();
    Q_INVOKABLE void releasePendingUpload();
    Q_INVOKABLE void startRemoteProjectsQuerying();
    Q_INVOKABLE void changeLocalProjectsFilterRole(CProjectItemRolesModel::Roles role);
    Q_INVOKABLE void changeWebProjectsFilterRole(CProjectItemRolesModel::Roles role);

public slots:
    void updateProjectList();
    void setWebProjectList();
    void onQueryRemoteProjectsError(Tovrin::Web::Error error);
    void onCheckIfCulvertixProjectFinished(QString projectId, QString projectName, bool isCulvertixProject);
    void onCheckIfCulvertixProjectFailed(QString projectId, Tovrin::Web::Error error);

signals:
    void localProjectProxyIndexChanged();
    void webProjectProxyIndexChanged();
    void downloadInitiated(QString projectDownloadId, QString projectDownloadName);
    void loadingLocalProjectListChanged();
    void loadingWebProjectListChanged();
    void uploadInitiated(QUuid projectId, QString projectUploadName, QString projectUploadPath,
                         QDateTime projectUploadCreationDate);
    void downloadFailWebImportPending(QString projectDownloadName);
    void downloadFailNotCulvertixProject(QString projectDownloadName);
    // The check before a download failed: the web error message with its code.
    void downloadCheckFailed(QString errorMessage);
    void reuploadProject();
    void queryRemoteProjectsError(QString errorMessage);
    void uploadWebImportPendingProjectFail(QString projectUploadName);
    void uploadedProjectNameTaken(QString projectName);

private:
    // Re-sorts a proxy by the role and keeps the same source row selected; the new proxy row.
    static int resort(CProjectFilterProxyModel* proxy, CProjectItemRolesModel::Roles role, int proxyRow);
    void startUpload(const CLocalProjectInfo& project);

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    WebProjectService* m_webProjectService = nullptr;
    CProjectService* m_projectService = nullptr;
    QVector<CLocalProjectInfo> m_localProjects;
    std::unique_ptr<Tovrin::Web::ProjectInfo> m_pendingUpload;
    CProjectListModel* m_localModel = nullptr;
    CWebProjectListModel* m_webModel = nullptr;
    CProjectFilterProxyModel* m_localProxy = nullptr;
    CProjectFilterProxyModel* m_webProxy = nullptr;
    int m_localProjectProxyIndex = -1;
    int m_webProjectProxyIndex = -1;
    bool m_loadingWebProjectList = true;
};
