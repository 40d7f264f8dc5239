#pragma once

#include "surveyprojects/CAbstractChangeSet.h"
#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/CLocalProjectInfo.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectTypes.h"

#include <QObject>
#include <QString>
#include <QVector>

class CSettings;
class CProjectServiceWorker;
class CProjectMigrationWorker;

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
} // namespace Tovrin

// The application's one entry to local projects. Lives on the GUI thread and owns a worker
// thread with the project worker and the migration worker on it; every request is a queued
// call there and returns a task id at once (never 0). Each result comes back as one signal
// with that id, in request order, to every connected receiver.
class CProjectService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool migrationInProgress READ migrationInProgress NOTIFY migrationInProgressChanged)
    Q_PROPERTY(bool migrationRequired READ migrationRequired NOTIFY migrationRequiredChanged)
    Q_PROPERTY(int migrationProgress READ migrationProgress NOTIFY migrationProgressChanged)

public:
    explicit CProjectService(CSettings* settings);
    ~CProjectService() override;

    uint createProject(const QString& name, const QString& localeCode, const ProjectTypes::DistanceUnit& distanceUnit,
                       const QString& parentFolder);
    // downloadSource: the web project that a download fills the folder with (see the worker).
    uint createPlaceholderProject(const QString& name, const QString& parentFolder,
                                  const QString& downloadSource = QString());
    uint loadProject(const QString& projectPath);
    uint saveProject(const SurveyProjectPtr& project);
    uint closeProject(const SurveyProjectPtr& project);
    uint deleteProject(const QString& projectPath);
    uint renameProject(const QString& projectPath, const QString& newName);
    uint applyChangeSet(const AbstractChangeSetPtr& changeSet);
    uint createSurveyPhoto(const SurveyProjectPtr& project, const SurveyPtr& survey, const QString& fileName,
                           const QString& comment, const double& longitude, const double& latitude,
                           const double& altitude);
    uint createSurveyVideo(const SurveyProjectPtr& project, const SurveyPtr& survey, const QString& fileName,
                           const QString& comment);
    uint loadManholeList(const SurveyProjectPtr& project);
    void addProjectAtPathToTheProjectList(const QString& projectPath);
    // A download is done with its placeholder folder; with removeIt what downloads wrote in it
    // goes first, on the worker (see the worker).
    void releaseDownloadFolder(const QString& projectPath, const QString& inFlight, bool removeIt);
    void updateProjectSizeOnClose(const SurveyProjectPtr& project);
    // The size in the list of a project that stays open (photos taken, edited, imported).
    void updateProjectSize(const QString& projectPath);

    bool projectListReady() const { return m_projectListReady; }
    QVector<CLocalProjectInfo> projectList() const;

    bool migrationInProgress() const { return m_migrationInProgress; }
    int migrationProgress() const { return m_migrationProgress; }

    Q_INVOKABLE bool migrationRequired() const { return m_migrationRequired; }
    Q_INVOKABLE void startMigration();
    Q_INVOKABLE void overwiteColision(uint taskId);
    Q_INVOKABLE void renameColision(uint taskId, const QString& newName);
    Q_INVOKABLE void removeColision(uint taskId);

    // The task id that the next request will get; for tests of the wrap-around.
    void setLastTaskId(uint lastTaskId) { m_lastTaskId = lastTaskId; }

signals:
    void projectListReadyChanged();
    void projectListChanged();
    void migrationInProgressChanged();
    void migrationRequiredChanged();
    void migrationProgressChanged();
    void projectIdColision(uint taskId, QString name, QString otherName);
    void projectNameColision(uint taskId, QString name);
    void projectCreated(uint taskId, QString projectPath, SurveyProjectPtr project, ProjectTypes::ProjectError error);
    void projectLoaded(uint taskId, QString projectPath, SurveyProjectPtr project, ProjectTypes::ProjectError error);
    void projectSaved(uint taskId, SurveyProjectPtr project, ProjectTypes::ProjectError error);
    void projectClosed(uint taskId, SurveyProjectPtr project, ProjectTypes::ProjectError error);
    void projectDeleted(uint taskId, QString projectPath, ProjectTypes::ProjectError error);
    void projectRenamed(uint taskId, QString oldProjectPath, QString newProjectPath, ProjectTypes::ProjectError error);
    void changeSetApplied(uint taskId, AbstractChangeSetPtr changeSet, ProjectTypes::ProjectError error);
    void surveyPhotoCreated(uint taskId, QString fileName, SurveyPhotoPtr surveyPhoto, ProjectTypes::ProjectError error);
    void surveyVideoCreated(uint taskId, QString fileName, SurveyVideoPtr surveyVideo, ProjectTypes::ProjectError error);
    void manholeListLoaded(uint taskId, ManholeListPtr manholeList, ProjectTypes::ProjectError error);
    // Before the projectCreated of a download's placeholder (see the worker).
    void placeholderDetails(uint taskId, bool takenOver, int systemError);

public slots:
    void onProjectListReadyChanged(bool ready);
    void onProjectCreated(uint taskId, const QString& projectPath, const SurveyProjectPtr& project,
                          ProjectTypes::ProjectError error);
    void onProjectLoaded(uint taskId, const QString& projectPath, const SurveyProjectPtr& project,
                         ProjectTypes::ProjectError error);
    void onProjectSaved(uint taskId, const SurveyProjectPtr& project, ProjectTypes::ProjectError error);
    void onProjectClosed(uint taskId, const SurveyProjectPtr& project, ProjectTypes::ProjectError error);
    void onProjectDeleted(uint taskId, const QString& projectPath, ProjectTypes::ProjectError error);
    void onProjectRenamed(uint taskId, const QString& oldProjectPath, const QString& newProjectPath,
                          ProjectTypes::ProjectError error);
    void onChangeSetApplied(uint taskId, const AbstractChangeSetPtr& changeSet, ProjectTypes::ProjectError error);
    void onSurveyPhotoCreated(uint taskId, const QString& fileName, const SurveyPhotoPtr& surveyPhoto,
                              ProjectTypes::ProjectError error);
    void onSurveyVideoCreated(uint taskId, const QString& fileName, const SurveyVideoPtr& surveyVideo,
                              ProjectTypes::ProjectError error);
    void onProjectRootDirectoryChnaged();
    void onNameCollision(int taskId, const QString& name);
    void onIdCollision(int taskId, const QString& oldName, const QString& newName);
    void onMigrationRequired();
    void onMigrationDone();
    void onMigrationFailed();
    void onMigrationProgressChanged(int percent);
    void onWorkTypeChanged();

public:
    // The folder the projects are kept in, as the settings have it.
    QString projectsRoot() const;

private:
    uint nextTaskId();
    void checkMigration();
    void initWorker();
    void setMigrationRequired(bool required, bool notify);
    void setMigrationInProgress(bool inProgress);

    Tovrin::Shared::WorkerThread* m_workerThread = nullptr;
    CProjectServiceWorker* m_worker = nullptr;
    CProjectMigrationWorker* m_migrationWorker = nullptr;
    uint m_lastTaskId = 0;
    int m_migrationProgress = 0;
    bool m_projectListReady = false;
    bool m_migrationInProgress = false;
    bool m_migrationRequired = false;
    CSettings* m_settings = nullptr;
};
