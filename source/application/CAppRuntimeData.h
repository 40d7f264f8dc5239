#pragma once

#include "application/CSettingsStore.h"
#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyProject.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

// Texts of a survey to open at start-up; only stored, compared and tested for emptiness.
class StartUpSurveyParameters
{
    Q_GADGET
    Q_PROPERTY(QString text1 MEMBER text1)
    Q_PROPERTY(QString text2 MEMBER text2)
    Q_PROPERTY(QString text3 MEMBER text3)

public:
    QString text1;
    QString text2;
    QString text3;

    bool isSet() const { return !text1.isEmpty() || !text2.isEmpty() || !text3.isEmpty(); }
    bool operator==(const StartUpSurveyParameters& other) const
    {
        return text1 == other.text1 && text2 == other.text2 && text3 == other.text3;
    }
    bool operator!=(const StartUpSurveyParameters& other) const { return !(*this == other); }
};
Q_DECLARE_METATYPE(StartUpSurveyParameters)

// What the current run shares that is not a preference: the open project and survey, the
// current media folders, the folders last used by the dialogs. Five values are remembered
// between runs (group "RuntimeData"); load() and save() are called by the application. GUI
// thread; the store is written on its own thread (CSettingsStoreService).
class CAppRuntimeData : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString lastProjectName READ lastProjectName NOTIFY lastProjectNameChanged)
    Q_PROPERTY(QString photoDirectory READ photoDirectory WRITE setPhotoDirectory NOTIFY photoDirectoryChanged)
    Q_PROPERTY(QString videoDirectory READ videoDirectory WRITE setVideoDirectory NOTIFY videoDirectoryChanged)
    Q_PROPERTY(QString lastPhotoFolder READ lastPhotoFolder WRITE setLastPhotoFolder NOTIFY lastPhotoFolderChanged)
    Q_PROPERTY(QString lastVideoFolder READ lastVideoFolder WRITE setLastVideoFolder NOTIFY lastVideoFolderChanged)
    Q_PROPERTY(QString lastDownloadFolder READ lastDownloadFolder WRITE setLastDownloadFolder
                   NOTIFY lastDownloadFolderChanged)
    Q_PROPERTY(QString startUpProjectName READ startUpProjectName WRITE setStartUpProjectName
                   NOTIFY startUpProjectNameChanged)
    Q_PROPERTY(StartUpSurveyParameters startUpSurveyParams READ startUpSurveyParams WRITE setStartUpSurveyParams
                   NOTIFY startUpSurveyParamsChanged)
    Q_PROPERTY(bool projectSelected READ projectSelected NOTIFY projectSelectedChanged)
    Q_PROPERTY(bool surveySelected READ surveySelected NOTIFY surveySelectedChanged)
    Q_PROPERTY(bool startUpProjectParamsAvailable READ startUpProjectParamsAvailable
                   NOTIFY startUpProjectParamsAvailabilityChanged)

public:
    explicit CAppRuntimeData(QObject* parent = nullptr);
    ~CAppRuntimeData() override;

    void load();
    // Hands the five values as they are now to the store's thread and returns at once, with
    // the save's task id; saveFinished() brings its result.
    uint save();

    QString lastProjectName() const { return m_lastProjectName; }
    QString lastProjectPath() const { return m_lastProjectPath; }
    void setLastProject(const QString& name, const QString& path);

    QString lastPhotoFolder() const { return m_lastPhotoFolder; }
    void setLastPhotoFolder(const QString& folder);
    QString lastVideoFolder() const { return m_lastVideoFolder; }
    void setLastVideoFolder(const QString& folder);
    QString lastDownloadFolder() const { return m_lastDownloadFolder; }
    void setLastDownloadFolder(const QString& folder);
    QString photoDirectory() const { return m_photoDirectory; }
    void setPhotoDirectory(const QString& folder);
    QString videoDirectory() const { return m_videoDirectory; }
    void setVideoDirectory(const QString& folder);

    QString currentProjectPath() const { return m_currentProjectPath; }
    SurveyProjectPtr currentProject() const { return m_currentProject; }
    void setCurrentProject(const SurveyProjectPtr& project, const QString& path);
    SurveyPtr currentSurvey() const { return m_currentSurvey; }
    void setCurrentSurvey(const SurveyPtr& survey, bool force = false);
    ManholeListPtr manholeList() const { return m_manholeList; }
    void setManholeList(const ManholeListPtr& list);

    QString startUpProjectName() const { return m_startUpProjectName; }
    void setStartUpProjectName(const QString& name);
    StartUpSurveyParameters startUpSurveyParams() const { return m_startUpSurveyParams; }
    void setStartUpSurveyParams(const StartUpSurveyParameters& parameters);

    bool projectSelected() const { return m_currentProject != nullptr; }
    bool surveySelected() const { return m_currentSurvey != nullptr; }
    bool startUpProjectParamsAvailable() const;

    Q_INVOKABLE int queryCurrentSurveyIndex() const;
    Q_INVOKABLE QVariant querySurveyList() const;

signals:
    void lastProjectNameChanged();
    void photoDirectoryChanged();
    void videoDirectoryChanged();
    void projectSelectedChanged();
    void surveySelectedChanged();
    void currentProjectChanged();
    void currentSurveyChanged();
    void lastPhotoFolderChanged();
    void lastVideoFolderChanged();
    void lastDownloadFolderChanged();
    void manholeListChanged();
    void startUpProjectNameChanged();
    void startUpSurveyParamsChanged();
    void startUpProjectParamsAvailabilityChanged();
    // The end of the save with this task id: Written, or why nothing was written (logged).
    void saveFinished(uint taskId, CSettingsStore::Result result);

private:
    void onStoreGroupWritten(uint taskId, CSettingsStore::Result result);

    QString m_lastProjectName;
    QString m_lastProjectPath;
    QString m_lastPhotoFolder;
    QString m_lastVideoFolder;
    QString m_lastDownloadFolder;
    QString m_photoDirectory;
    QString m_videoDirectory;
    QString m_currentProjectPath;
    QString m_startUpProjectName;
    StartUpSurveyParameters m_startUpSurveyParams;
    SurveyProjectPtr m_currentProject;
    SurveyPtr m_currentSurvey;
    ManholeListPtr m_manholeList;
    QSet<uint> m_saveTasks;
};

Q_DECLARE_METATYPE(QVector<SurveyPtr>)
