#pragma once

#include "ProjectInfo.h"
#include "SingleMediaFileLinkData.h"
#include "TovrinWebApi.h"
#include "TovrinWebTypes.h"
#include "UploadStatusInfo.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QUuid>

#include <functional>

namespace Tovrin {
namespace Shared {
class WorkerThread;
}
namespace Web {

class TovrinWebApiWorker;

// The private half of TovrinWebApi, on the GUI thread. Owns the web worker thread and the worker
// that lives on it (both created here and deleted in the destructor: the worker by deleteLater on
// its own thread, then the thread after it has finished). Hands every call to the worker by
// queued invocation, hands out the upload and download ids, and relays the worker's signals.
//
// When the worker thread cannot be started the object stays inert: every call is answered with
// errorOccurred and nothing waits for a worker that will never run.
class TovrinWebApiPrivate : public QObject
{
    Q_OBJECT

public:
    using ThreadStarter = std::function<bool(Tovrin::Shared::WorkerThread*)>;

    explicit TovrinWebApiPrivate(QObject* parent = nullptr);
    ~TovrinWebApiPrivate() override;

    // Tests replace how the worker thread is started (to make it fail); an empty function
    // restores the normal start.
    static void setThreadStarter(const ThreadStarter& starter);

    bool isOperational() const { return m_operational; }
    TovrinWebApiWorker* worker() const { return m_worker; }

    void login(const QString& user, const QString& password);
    void cancelLogin();
    void logout();
    void resetPassword(const QString& user);
    void loginWithToken(const QString& tokenCode);
    void loginChosenUser(const QString& userId);
    void queryRemoteProjects();
    void checkIfCulvertixProject(const QString& projectId, const QString& webProjectId);
    void queryUploadProjectStatus(const QList<QString>& projectId);
    void abortUpload(uint id);
    void pauseUpload(uint id);
    void resumeUpload(uint id);
    void abortDownload(uint id);
    void pauseDownload(uint id);
    void resumeDownload(uint id);
    void startSingleProjectFileDownload(const QUuid& projectId, const QString& fileName);
    void startAllProjectsMediaDownload(const QString& projectId);
    uint downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath);
    uint downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath);
    uint downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath);
    uint downloadSingleProjectFile(const QString& filePath, const QString& url,
                                   std::function<QString(QFile&)> unsizedCheck);
    uint uploadProject(const QString& projectId, const QString& projectName, const QString& projectPath,
                       const QDateTime& projectCreationDate, int maxSimultaneousUploads);
    uint uploadKQProject(const QString& projectName, const QString& projectPath, const QDateTime& projectCreationDate);
    uint uploadZephiraProject(const QUuid& projectId, const QString& projectName, const QString& projectPath,
                              const QDateTime& projectCreationDate, const MediaNamesList& manholesMedia);

    QString currentUser() const;
    QString currentUserFirstName() const;
    QString currentUserLastName() const;
    QString currentUserCompanyId() const;
    TovrinWebApi::UserRole currentUserRole() const;
    TovrinWebApi::LoginStatus loginStatus() const;
    bool anyUploadActive() const;
    bool anyDownloadActive() const;

    // The web project id of a KQ project: the MD5 of the name's UTF-8 bytes written as hexadecimal
    // text, in the 8-4-4-4-12 form.
    static QString kqProjectId(const QString& projectName);

signals:
    void uploadFileProgressChanged(uint uploadId, QString fileName, int progress);
    void currentUploadFilesChanged(uint uploadId, QStringList currentUploadFiles);
    void uploadTotalProgressChanged(uint uploadId, int value);
    void filesToUploadTotalChanged(uint uploadId, int value);
    void completedUploadFilesChanged(uint uploadId, int value);
    void uploadActiveChanged(uint uploadId, bool bValue);
    void anyUploadActiveChanged(bool bValue);
    void uploadFinished(uint uploadId);
    void downloadFileProgressChanged(uint downloadId, QString fileName, int progress);
    void currentDownloadFilesChanged(uint downloadId, QStringList currentDownloadFiles);
    void downloadTotalProgressChanged(uint downloadId, int value);
    void filesToDownloadTotalChanged(uint downloadId, int value);
    void completedDownloadFilesChanged(uint downloadId, int value);
    void downloadActiveChanged(uint downloadId, bool bValue);
    void anyDownloadActiveChanged(bool bValue);
    void downloadFinished(uint downloadId);
    void currentUserChanged(QString user);
    void loginResult(QString userName, Tovrin::Web::TovrinWebApi::LoginResult loginResult);
    void loginStatusChanged();
    void projectInfoReceived(QList<Tovrin::Web::ProjectInfo> projectInfoList);
    void uploadStatusInfoReceived(QList<Tovrin::Web::UploadStatusInfo> uploadsStatusInfoList);
    void errorOccurred(Tovrin::Web::Error error);
    void queryRemoteProjectsError(Tovrin::Web::Error error);
    void singleFileDownloadLinkReceived(Tovrin::Web::SingleMediaFileLinkData mediaDataLink);
    void allProjectsMediaDownloadLinkReceived(QList<Tovrin::Web::SingleMediaFileLinkData> mediaDataLink);
    void loginExpired();
    void tokenAuthenticationNeeded();
    void userChoiceNeeded(QMap<QString, QString> userMap);
    void checkIfCulvertixProjectFinished(QString projectId, QString projectName, bool isCulvertixProject);
    // The check itself failed (the service could not be asked, or its answer is unreadable).
    void checkIfCulvertixProjectFailed(QString projectId, Tovrin::Web::Error error);
    // An upload-status query failed: no statuses are known, which is not "nothing pending".
    void uploadStatusQueryFailed(Tovrin::Web::Error error);

private:
    // Runs the call on the worker thread; false (with the error signalled) when there is no worker.
    bool dispatch(std::function<void(TovrinWebApiWorker*)> call);
    uint downloadRequest(const QString& firstName, const QString& firstValue, const QString& secondName,
                         const QString& secondValue, std::function<void(TovrinWebApiWorker*, uint)> call);

    Tovrin::Shared::WorkerThread* m_thread = nullptr;
    TovrinWebApiWorker* m_worker = nullptr;
    uint m_downloadIdCounter = 0;
    uint m_uploadIdCounter = 0;
    bool m_operational = false;
};

} // namespace Web
} // namespace Tovrin
