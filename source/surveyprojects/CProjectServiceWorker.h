#pragma once

#include "surveyprojects/CAbstractChangeSet.h"
#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/CLocalProjectInfo.h"
#include "surveyprojects/COpenProjectMap.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectTypes.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QVector>

#include <memory>

class CProjectXmlCache;

// Does all file work on local projects. Lives on the project service's worker thread and is
// reached only by queued invocations; each request with a task id ends with exactly one
// result signal carrying it. projectList() is the one member the GUI thread calls.
class CProjectServiceWorker : public QObject
{
    Q_OBJECT

public:
    explicit CProjectServiceWorker(QObject* parent = nullptr);
    ~CProjectServiceWorker() override;

    // A copy of the project list, taken under the list mutex (any thread).
    QVector<CLocalProjectInfo> projectList() const;

    Q_INVOKABLE void init(const QString& rootPath);
    Q_INVOKABLE void updateProjectSizeOnClose(const SurveyProjectPtr& project);
    // Measures the project's folder again; the list changes only when the size did.
    Q_INVOKABLE void updateProjectSizeInList(const QString& projectPath);
    Q_INVOKABLE void createProject(uint taskId, const QString& name, const QString& localeCode,
                                   ProjectTypes::DistanceUnit distanceUnit, const QString& parentFolder);
    // A folder for a web download to fill, marked with downloadSource (the web project). A folder
    // of that name that an interrupted download of the same web project left is taken over
    // instead, as it is; one marked for another web project, with a mark that cannot be read, or
    // holding what no download wrote is refused (ProjectErrorCreateFolderExists) and left alone.
    Q_INVOKABLE void createPlaceholderProject(uint taskId, const QString& name, const QString& parentFolder,
                                              const QString& downloadSource = QString());
    Q_INVOKABLE void loadProject(uint taskId, const QString& projectPath);
    Q_INVOKABLE void saveProject(uint taskId, const SurveyProjectPtr& project);
    Q_INVOKABLE void closeProject(uint taskId, const SurveyProjectPtr& project);
    Q_INVOKABLE void deleteProject(uint taskId, const QString& projectPath);
    Q_INVOKABLE void addProjectAtPathToTheProjectList(const QString& projectPath);
    // A download will not fill its placeholder any more. With removeIt the folder goes when it
    // holds only what downloads of its web project wrote (inFlight: the file of a transfer just
    // stopped, whose copies may still be on their way out), tried again a few times while they
    // are; anything else keeps it as it is. Then it is a folder like any, listed when it holds a
    // project.
    Q_INVOKABLE void releaseDownloadFolder(const QString& projectPath, const QString& inFlight, bool removeIt);
    Q_INVOKABLE void renameProject(uint taskId, const QString& projectPath, const QString& newName);
    Q_INVOKABLE void applyChangeSet(uint taskId, const AbstractChangeSetPtr& changeSet);
    Q_INVOKABLE void createSurveyPhoto(uint taskId, const SurveyProjectPtr& project, const SurveyPtr& survey,
                                       const QString& fileName, const QString& comment, double longitude,
                                       double latitude, double altitude);
    Q_INVOKABLE void createSurveyVideo(uint taskId, const SurveyProjectPtr& project, const SurveyPtr& survey,
                                       const QString& fileName, const QString& comment);
    Q_INVOKABLE void loadManholeList(uint taskId, const SurveyProjectPtr& project);

    // Reads a project folder's project.xml, falling back to project.xml_bak when the main
    // file is missing or damaged. usedBackup tells which one gave the project.
    static SurveyProjectPtr readProjectFile(const QString& projectPath, bool quick,
                                            ProjectTypes::ProjectError& error, bool* usedBackup = nullptr);

signals:
    void projectListReadyChanged(bool ready);
    void projectListChanged();
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
    // Comes before the projectCreated of every placeholder of a download: whether the folder is
    // one that an interrupted download left (none of the new download's to remove), and the
    // system's reason (errno) when its folder or mark could not be written, else 0.
    void placeholderDetails(uint taskId, bool takenOver, int systemError);

public slots:
    void onRootProjectDirectoryChanged(const QString& path);

private slots:
    void onPendingProjectFileChanged(const QString& path);

protected:
    // Virtual for tests only: a file that lands between two steps of the watcher is the race
    // they have to show.
    virtual CLocalProjectInfo readProjectInfo(const QString& projectPath) const;

private:
    ProjectTypes::ProjectError writeProjectFile(const SurveyProjectPtr& project, const QString& projectPath);
    bool isProjectNameTaken(const QString& name, const QString& excludedName) const;
    ProjectTypes::ProjectError createProjectFolder(const QString& name, const QString& parentFolder,
                                                   QString& projectPath);
    // projectPath: in, the folder name that exists; out, the folder taken over. systemError: the
    // system's reason when the folder could not be written.
    ProjectTypes::ProjectError takeOverDownloadLeftover(const QString& parentFolder, const QString& source,
                                                        QString& projectPath, int& systemError);
    ProjectTypes::ProjectError applySurveyChangeSet(const AbstractChangeSetPtr& changeSet, QStringList& removedFiles);
    ProjectTypes::ProjectError applySurveyMediaChangeSet(const AbstractChangeSetPtr& changeSet,
                                                         QStringList& removedFiles);
    void deleteUnreferencedMediaFiles(const SurveyProjectPtr& project, const QString& projectPath,
                                      const QStringList& candidates);
    QStringList listSubFolders(const QString& rootPath) const;
    void removeDownloadFolder(const QString& projectPath, const QString& inFlight, int triesLeft);
    void addProjectToList(const QString& projectPath);
    void removeProjectFromList(const QString& projectPath);
    void replaceProjectList(const QVector<CLocalProjectInfo>& list);
    bool listContainsPath(const QString& projectPath) const;
    void watchPendingFolder(const QString& projectPath);
    void unwatchPendingFolder(const QString& projectPath);
    // Lists a folder that the watcher found, unless it is a placeholder still being filled.
    void addFoundFolderToTheProjectList(const QString& projectPath);

    QVector<CLocalProjectInfo> m_projectList;
    QSet<QString> m_knownFolders;
    QFileSystemWatcher m_watcher;
    mutable QMutex m_listMutex;
    std::unique_ptr<COpenProjectMap> m_openProjects;
    QString m_rootPath;
    // Project folders without a readable project file yet (a folder copied in by a file
    // manager before its project.xml): watched until the file arrives. Keyed by the form in
    // which the watcher reports the folder, holding the project path.
    QHash<QString, QString> m_pendingFolders;
    // Folders whose project.xml was damaged and whose project came from the backup: the
    // backup must not be replaced by the damaged file.
    QSet<QString> m_damagedProjectFiles;
    // Placeholder folders still being filled (a web download): their project.xml may be in
    // place long before the media are, so the watcher leaves them alone; only the explicit
    // addProjectAtPathToTheProjectList of the filler lists them. Keyed like m_pendingFolders.
    QSet<QString> m_placeholderFolders;
    // Each open project's last written document and where its records lie in it, by project
    // path: a photo added to a large survey then costs a copy of the file's bytes, not the
    // encoding of every record in it.
    QHash<QString, std::shared_ptr<CProjectXmlCache>> m_xmlCaches;
};
