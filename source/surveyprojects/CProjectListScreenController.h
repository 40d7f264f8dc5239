#pragma once

#include "surveyprojects/CLocalProjectInfo.h"
#include "surveyprojects/CProjectItemRolesModel.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectScreenServices.h"
#include "surveyprojects/ProjectTypes.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QString>
#include <QVector>

class CProjectFilterProxyModel;
class CProjectListModel;

// Controller of the project list screen: the local projects sorted and filtered, and the
// requests to create, open, rename and delete them. Owns its model and proxy (children);
// the services are the application's. GUI thread.
//
// The selection is kept as the selected project's folder, so that list updates (a folder
// copied into the root, sizes measured after a close) and re-sorts never move it onto
// another project; the proxy row follows the folder and becomes -1 when it is gone.
class CProjectListScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* projectListProxyModel READ projectListProxyModel CONSTANT)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(bool loadingProjectList READ loadingProjectList NOTIFY loadingProjectListChanged)
    Q_PROPERTY(int currentProjectProxyIndex READ currentProjectProxyIndex WRITE setCurrentProjectProxyIndex
                   NOTIFY currentProjectProxyIndexChanged)

public:
    explicit CProjectListScreenController(QObject* parent = nullptr);
    CProjectListScreenController(const ProjectScreenServices& services, QObject* parent);

    QAbstractItemModel* projectListProxyModel() const;
    CProjectListModel* projectListModel() const { return m_model; }
    bool processing() const { return m_processing; }
    bool loadingProjectList() const;
    int currentProjectProxyIndex() const { return m_currentProjectProxyIndex; }
    void setCurrentProjectProxyIndex(int index);
    uint pendingTaskId() const { return m_pendingTaskId; }

    Q_INVOKABLE QString queryCurrentProjectName() const;
    Q_INVOKABLE void createProject(const QString& projectName);
    Q_INVOKABLE void renameProject(const QString& projectName);
    Q_INVOKABLE void openProject();
    Q_INVOKABLE void deleteProject();
    Q_INVOKABLE void changeFilterRole(CProjectItemRolesModel::Roles role);
    // The proxy row of the project with exactly that name, -1 when none is shown.
    Q_INVOKABLE int queryProjectProxyIndex(const QString& projectName) const;

signals:
    void processingChanged();
    void loadingProjectListChanged();
    void currentProjectProxyIndexChanged();
    void projectOpened();
    void projectErrorOccurred(QString errorMessage);

public slots:
    void updateProjectList();
    void onProjectOpened(uint taskId, const QString& projectPath, const SurveyProjectPtr& project,
                         ProjectTypes::ProjectError error);
    void onProjectDeleted(uint taskId, const QString& projectPath, ProjectTypes::ProjectError error);
    void onProjectRenamed(uint taskId, const QString& oldProjectPath, const QString& newProjectPath,
                          ProjectTypes::ProjectError error);

private:
    void setProcessing(bool processing);
    // The source row of the current selection, -1 without one.
    int currentSourceRow() const;
    QString currentProjectPath() const;
    // Moves the proxy row onto the selected folder after the rows moved.
    void followSelectedProject();
    void selectProjectPath(const QString& path);
    void forgetLastProject(const QString& path);

    ProjectScreenServices m_services;
    QVector<CLocalProjectInfo> m_projectList;
    CProjectListModel* m_model = nullptr;
    CProjectFilterProxyModel* m_proxy = nullptr;
    QString m_selectedPath;
    uint m_pendingTaskId = 0;
    int m_currentProjectProxyIndex = -1;
    bool m_processing = false;
};
