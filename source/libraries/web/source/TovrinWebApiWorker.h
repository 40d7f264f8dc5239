#pragma once

#include "LoginResponse.h"
#include "ProjectInfo.h"
#include "ProjectResponses.h"
#include "SingleMediaFileLinkData.h"
#include "UploadStatusInfo.h"
#include "SessionResponses.h"
#include "TovrinWebApi.h"
#include "TovrinWebTypes.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace Tovrin {
namespace Web {

class AbstractDownload;
class ProjectUpload;
class RequestHandle;
class WebCommunicator;

// Does the web client's work on its worker thread: the login session (connection check,
// two-step check, password and code login, choice among several application users, logout,
// expiry), the project queries, and the uploads and downloads as jobs kept in one table each by
// their id. Owns the communicator; the jobs are its children; request handles are handed to
// deleteLater once handled. The getters run on the GUI thread and only take the worker mutex.
class TovrinWebApiWorker : public QObject
{
    Q_OBJECT

public:
    explicit TovrinWebApiWorker(QObject* parent = nullptr);
    ~TovrinWebApiWorker() override;

    Q_INVOKABLE void initialize();
    Q_INVOKABLE void login(const QString& user, const QString& password);
    Q_INVOKABLE void loginWithToken(const QString& tokenCode);
    Q_INVOKABLE void loginChosenUser(const QString& userId);
    Q_INVOKABLE void cancelLogin();
    Q_INVOKABLE void logout();
    Q_INVOKABLE void resetPassword(const QString& user);

    Q_INVOKABLE void queryRemoteProjects();
    Q_INVOKABLE void checkIfCulvertixProject(const QString& projectId, const QString& webProjectId);
    Q_INVOKABLE void startSingleProjectFileDownload(const QString& projectId, const QString& fileName);
    Q_INVOKABLE virtual void startAllProjectsMediaDownload(const QString& projectId);
    Q_INVOKABLE void queryUploadProjectStatus(const QList<QString>& projectId);

    Q_INVOKABLE void uploadProject(const QString& projectId, const QString& projectName, const QString& projectPath,
                                   const QDateTime& projectCreationDate, Tovrin::Web::ImportType importType,
                                   int maxSimultaneousUploads, uint uploadId, Tovrin::Web::MediaNamesList manholesMedia);
    Q_INVOKABLE void abortUpload(uint id);
    Q_INVOKABLE void pauseUpload(uint id);
    Q_INVOKABLE void resumeUpload(uint id);
    Q_INVOKABLE void downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath, uint downloadId);
    Q_INVOKABLE void downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath, uint downloadId);
    Q_INVOKABLE void downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath, uint downloadId);
    void downloadSingleProjectFile(const QString& outputFilePath, const QString& url, uint downloadId,
                                   std::function<QString(QFile&)> unsizedCheck = {});
    Q_INVOKABLE void abortDownload(uint id);
    Q_INVOKABLE void pauseDownload(uint id);
    Q_INVOKABLE void resumeDownload(uint id);

    // Worker thread only (and tests running there).
    ProjectUpload* upload(uint id) const { return m_uploads.value(id); }
    AbstractDownload* download(uint id) const { return m_downloads.value(id); }
    QList<uint> activeUploadIds() const { return m_activeUploadIds; }
    QList<uint> activeDownloadIds() const { return m_activeDownloadIds; }

    QString currentUser() const;
    QString currentUserFirstName() const;
    QString currentUserLastName() const;
    QString currentUserCompanyId() const;
    TovrinWebApi::UserRole currentUserRole() const;
    bool loginInProgress() const;
    bool isLoggedIn() const;
    bool anyUploadActive() const;
    bool anyDownloadActive() const;
    TovrinWebApi::LoginStatus loginStatus() const;

    void setCurrentUser(const QString& name);
    void setCurrentUserFirstName(const QString& value);
    void setCurrentUserLastName(const QString& value);
    void setCurrentUserCompanyId(const QString& value);
    void setCurrentUserRole(const QString& roleText);

    static TovrinWebApi::UserRole roleFromText(const QString& roleText);

    // Only for the worker thread (and tests running there).
    WebCommunicator* communicator() const { return m_communicator; }
    bool loginRequestPending() const { return !m_currentLoginRequest.isNull(); }

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
    void internetConnectionCheckCompleted();
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

public slots:
    void handleCheck2StepsAuthenticationResponse(Tovrin::Web::Check2StepAuthenticationResponse response);
    void handleLoginResponse(Tovrin::Web::LoginResponse response);
    void handleConnectionCheckReply();

    void handleUserProjectsResponse(Tovrin::Web::UserProjectsResponse response, Tovrin::Web::Error error);
    void handleProjectReadyToDownloadResponse(Tovrin::Web::ProjectReadyToDownloadResponse response);
    void handleSingleFileDownloadResponse(Tovrin::Web::SingleProjectFileDownloadResponse response);
    void handleAllProjectsMediaDownloadResponse(Tovrin::Web::SingleProjectFileDownloadResponse response);
    void handleUploadStatus(Tovrin::Web::UploadProjectsStatusResponse response);

    void handleFileUploadProgressChanged(uint uploadId, QString filePath, int progress);
    void handleTotalUploadProgressChanged(uint uploadId, int filesCompleted, int filesTotal, int progress,
                                          QStringList currentUploadFiles);
    void handleUploadCompleted(uint uploadId);
    void handleUploadError(uint uploadId, Tovrin::Web::Error errorCode);
    void handleFileDownloadProgressChanged(uint downloadId, QString fileName, int progress);
    void handleTotalDownloadProgressChanged(uint downloadId, int filesCompleted, int filesTotal, int progress,
                                            QStringList currentDownloadFiles);
    void handleDownloadCompleted(uint downloadId);
    void handleDownloadError(uint downloadId, Tovrin::Web::Error errorCode);

private:
    void setLoginInProgress(bool value);
    QString resolveCurrentUserName(const LoginResponse& response) const;
    void sendPasswordLogin();
    void finishLogin(RequestHandle* handle, const QString& userName, TovrinWebApi::LoginResult result);
    void ensureCommunicator();
    void startDownload(AbstractDownload* job, const QString& outputFilePath, const QString& source);
    void sweepOnce(const QString& folder);
    void reportInvalidId(const QString& message, uint id);
    void updateAnyUploadActive();
    void updateAnyDownloadActive();

    WebCommunicator* m_communicator = nullptr;
    mutable QMutex m_mutex;
    QPointer<RequestHandle> m_currentLoginRequest;
    QString m_loginName;
    QString m_password;
    QString m_currentUser;
    QString m_firstName;
    QString m_lastName;
    QString m_companyId;
    TovrinWebApi::UserRole m_role = TovrinWebApi::Guest;
    bool m_anyUploadActive = false;
    bool m_anyDownloadActive = false;
    bool m_loginInProgress = false;
    QMap<QString, QString> m_userMap;
    QUrl m_statusUrl;
    QNetworkAccessManager* m_networkAccessManager = nullptr;
    // The connection check before a login; its body goes through the same cap as every reply.
    QPointer<RequestHandle> m_connectionCheck;
    // The two-step check of the login in progress, null once it answered.
    QPointer<RequestHandle> m_twoStepCheck;
    // Counts logouts and cancels: a login step that waited re-checks it before it goes on.
    quint64 m_sessionGeneration = 0;
    quint64 m_loginGeneration = 0;
    mutable int m_lastLoggedInState = -1;
    QMap<uint, ProjectUpload*> m_uploads;
    QMap<uint, AbstractDownload*> m_downloads;
    QList<uint> m_activeUploadIds;
    QList<uint> m_activeDownloadIds;
    // Output folders already rid of what killed downloads of earlier runs left.
    QSet<QString> m_sweptFolders;
};

} // namespace Web
} // namespace Tovrin
