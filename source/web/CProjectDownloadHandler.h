#pragma once

#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/ProjectTypes.h"

#include "SingleMediaFileLinkData.h"
#include "TovrinWebTypes.h"

#include <QList>
#include <QSet>
#include <QObject>
#include <QString>

class CProjectService;
class CSettings;

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

// Turns one project of the web service into a new local project: the project service makes an
// empty folder under the project root, the survey data go into "project.xml.download" and the
// manhole data into "manholes.xml.download", then (when the settings ask for it) every photo and
// video; the data files take their names last, so the project list never offers a project whose
// download is still running. A folder that an interrupted download of the same web project left
// is gone on with: its media files that arrived whole are not fetched again, and files of
// anyone else's in it are neither replaced nor removed, not even when the download fails.
// Borrows the web client, the project service and the settings (the application's unless
// given); one download per handler. GUI thread only.
class CProjectDownloadHandler : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        StateIdle = 0,
        StateStarting = 1,
        StateSurveyData = 2,
        StateManholeData = 3,
        StateFinishing = 4,
        StateMedia = 5
    };

    static const char* const ProjectDownloadFileName;
    static const char* const ManholesDownloadFileName;

    explicit CProjectDownloadHandler(QObject* parent = nullptr);
    CProjectDownloadHandler(Tovrin::Web::TovrinWebApi* webApi, CProjectService* projectService, CSettings* settings,
                            QObject* parent = nullptr);
    ~CProjectDownloadHandler() override;

    void startDownload(const QString& projectId, const QString& projectName);
    void pause();
    void resume();
    void cancel();

    int state() const { return m_state; }
    QString currentFileName() const { return m_currentFileName; }
    int currentFileProgress() const { return m_currentFileProgress; }
    int overallProgress() const { return m_overallProgress; }
    QString projectFolderPath() const { return m_projectFolderPath; }
    void setState(int state);

    // Percent of the whole download when step of steps are done and the running one is at value.
    static int overallProgressOf(int step, int steps, int value);
    // Where a media link may be written: inside the project folder, in a folder that stays
    // inside it, under one plain file name. Empty for anything else.
    static QString mediaFilePath(const QString& projectFolder, const Tovrin::Web::SingleMediaFileLinkData& link);

    Q_INVOKABLE void handleWebError(Tovrin::Web::Error error);

signals:
    void stateChanged();
    void currentFileNameChanged();
    void currentFileProgressChanged();
    void overallProgressChanged();
    void errorOccurred(QString errorMessage);
    void downloadFinished();
    void downloadCancelled();

public slots:
    void onErrorOccurred(Tovrin::Web::Error error);
    void onProjectCreated(uint taskId, QString projectPath, SurveyProjectPtr project, ProjectTypes::ProjectError error);
    void onDownloadTotalProgressChanged(uint downloadId, int value);
    void onDownloadFileProgressChanged(uint downloadId, QString fileName, int progress);
    void onDownloadFinished(uint downloadId);
    void onAllProjectsMediaLinkReceived(QList<Tovrin::Web::SingleMediaFileLinkData> mediaDataLink);

private:
    void connectServices();
    void createProjectFolder();
    void setCurrentFile(const QString& fileName);
    void setCurrentFileProgress(int progress);
    void setOverallProgress(int progress);
    void startSurveyDataDownload();
    void startManholeDataDownload();
    void startNextMediaFile();
    void skipCompletedMedia();
    QString projectRelativePath(const QString& path) const;
    // Starts whatever the current state waits for (not while paused).
    void continueDownload();
    void finish();
    void reset();
    // The data files take their ".download" files' places and the folder is synced, on the disk
    // thread; then the project is listed. mediaError: a media file that did not arrive, told
    // once the project is listed with what did. A file that cannot take its name fails the
    // download.
    void putDataFilesInPlace(const QString& mediaError);
    // The end of putting the data files in place: failedTarget, when not empty, could not take its name.
    void finishDataFiles(const QString& mediaError, const QString& failedTarget, const QString& detail);
    // After a media file failed and the project was listed with what arrived: the message says
    // where the missing files can be fetched.
    void keepProjectWithoutMissingMedia(const QString& message);
    QString placeholderErrorMessage(ProjectTypes::ProjectError error, const QString& projectPath) const;
    // Whether the downloaded survey data read as a project; when not, the download has failed.
    bool surveyDataReadable();
    // A folder asked for but not yet made is removed when it arrives.
    void abandonProjectCreation();
    void failWithFolderRemoved(const QString& message);
    void abortOwnTransfer();
    // A transfer the web client would not start ends the download.
    void checkStarted();
    // inFlight: the file of the transfer just stopped, whose copy may still be on its way out.
    void removeProjectFolder(const QString& inFlight);
    static void removeFolderWhenCreated(CProjectService* projectService, uint taskId);

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    CProjectService* m_projectService = nullptr;
    CSettings* m_settings = nullptr;

    QString m_projectId;
    QString m_projectName;
    QString m_projectFolderPath;
    QString m_currentFilePath;
    QString m_currentFileName;
    QString m_currentMediaFilePath;
    uint m_projectCreationTaskId = 0;
    uint m_abandonedCreationTaskId = 0;
    uint m_currentDownloadId = 0;
    int m_stepIndex = 0;
    int m_stepCount = 2;
    int m_currentFileProgress = 0;
    int m_overallProgress = 0;
    int m_state = StateIdle;
    bool m_paused = false;
    // The data files are on their way to their names: the download ends with them.
    bool m_movingIntoPlace = false;
    // The folder is one that an interrupted download left: nothing of it is removed.
    bool m_folderTakenOver = false;
    bool m_abandonedFolderTakenOver = false;
    // The system's reason why the project folder or its mark could not be written.
    int m_placeholderWriteError = 0;
    QList<Tovrin::Web::SingleMediaFileLinkData> m_mediaLinks;
    // Media files that an interrupted run of this download left complete in the folder.
    QSet<QString> m_completedMedia;
};
