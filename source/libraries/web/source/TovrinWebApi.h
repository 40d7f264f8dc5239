#pragma once

#include "ProjectInfo.h"
#include "SingleMediaFileLinkData.h"
#include "TovrinWebTypes.h"
#include "UploadStatusInfo.h"

#include <QDateTime>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QUuid>

#include <functional>

class QFile;

namespace Tovrin {
namespace Web {

class TovrinWebApiPrivate;

// The application's one entry to the web service, on the GUI thread. Every call is handed to the
// web worker on its own thread; every result comes back as a signal of this object, delivered on
// the GUI thread. The application creates it (no parent) after TovrinWebLibrary::initialize() and
// deletes it before TovrinWebLibrary::finalize(); it owns its private object, which owns the
// worker thread.
class TovrinWebApi : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString currentUser READ currentUser NOTIFY currentUserChanged)
    Q_PROPERTY(LoginStatus loginStatus READ loginStatus NOTIFY loginStatusChanged)
    Q_PROPERTY(bool anyUploadActive READ anyUploadActive NOTIFY anyUploadActiveChanged)
    Q_PROPERTY(bool anyDownloadActive READ anyDownloadActive NOTIFY anyDownloadActiveChanged)
    Q_PROPERTY(QString currentUserCompanyId READ currentUserCompanyId NOTIFY loginStatusChanged)
    Q_PROPERTY(QString currentUserFirstName READ currentUserFirstName NOTIFY loginStatusChanged)
    Q_PROPERTY(QString currentUserLastName READ currentUserLastName NOTIFY loginStatusChanged)
    Q_PROPERTY(UserRole currentUserRole READ currentUserRole NOTIFY loginStatusChanged)

public:
    enum LoginResult : qint32
    {
        LoginResultSuccess = 0,
        LoginResultTimeOut = 1,
        LoginResultFalseCredentials = 2,
        LoginResultCancelled = 3,
        // The service's answer could not be read as a login reply (a portal's page, say).
        LoginResultInvalidReply = 4
    };
    Q_ENUM(LoginResult)

    enum LoginStatus : qint32
    {
        LoginStatusLoggedIn = 0,
        LoginStatusLoggingIn = 1,
        LoginStatusLoggedOut = 2
    };
    Q_ENUM(LoginStatus)

    enum UserRole : qint32
    {
        Guest = 0,
        TzOperator = 1,
        CompanyOperator = 2,
        SystemAdministrator = 3,
        CompanyAdministrator = 4,
        EndUser = 5
    };
    Q_ENUM(UserRole)

    enum UploadError : qint32
    {
        UploadErrorNone = 0,
        UploadErrorInternal = 1,
        UploadErrorTimeOut = 2,
        UploadErrorFileAccess = 3,
        UploadErrorInvalidParameter = 4
    };
    Q_ENUM(UploadError)

    enum DownloadError : qint32
    {
        DownloadErrorNone = 0,
        DownloadErrorInternal = 1,
        DownloadErrorTimeOut = 2,
        DownloadErrorFileAccess = 3,
        DownloadErrorInvalidParameter = 4
    };
    Q_ENUM(DownloadError)

    explicit TovrinWebApi(QObject* parent = nullptr);
    ~TovrinWebApi() override;

    Q_INVOKABLE virtual void login(const QString& user, const QString& password);
    Q_INVOKABLE virtual void cancelLogin();
    Q_INVOKABLE virtual void logout();
    Q_INVOKABLE virtual void resetPassword(const QString& user);
    Q_INVOKABLE virtual void queryRemoteProjects();
    Q_INVOKABLE virtual void abortDownload(uint id);
    Q_INVOKABLE virtual void pauseDownload(uint id);
    Q_INVOKABLE virtual void resumeDownload(uint id);
    Q_INVOKABLE virtual uint uploadProject(const QString& projectId, const QString& projectName,
                                           const QString& projectPath, const QDateTime& projectCreationDate,
                                           int maxSimultaneousUploads = 1);
    Q_INVOKABLE virtual uint uploadKQProject(const QString& projectName, const QString& projectPath,
                                             const QDateTime& projectCreationDate);
    Q_INVOKABLE virtual uint uploadZephiraProject(const QUuid& projectId, const QString& projectName,
                                                  const QString& projectPath, const QDateTime& projectCreationDate,
                                                  Tovrin::Web::MediaNamesList manholesMedia);
    Q_INVOKABLE virtual void abortUpload(uint id);
    Q_INVOKABLE virtual void pauseUpload(uint id);
    Q_INVOKABLE virtual void resumeUpload(uint id);
    Q_INVOKABLE virtual void queryUploadProjectStatus(const QList<QString>& projectId);
    Q_INVOKABLE virtual void startSingleProjectFileDownload(const QUuid& projectId, const QString& fileName);
    Q_INVOKABLE virtual void startAllProjectsMediaDownload(const QString& projectId);

    Q_INVOKABLE void loginWithToken(const QString& tokenCode);
    Q_INVOKABLE void loginChosenUser(const QString& userId);
    Q_INVOKABLE void checkIfCulvertixProject(const QString& projectId, const QString& webProjectId);
    Q_INVOKABLE uint downloadZephiraProjectData(const QString& projectId, const QString& outputFilePath);
    Q_INVOKABLE uint downloadZephiraSurveyData(const QString& projectId, const QString& outputFilePath);
    Q_INVOKABLE uint downloadZephiraManholeData(const QString& projectId, const QString& outputFilePath);
    Q_INVOKABLE uint downloadSingleProjectFile(const QString& filePath, const QString& url);
    // The same; a body sent without a length is checked with unsizedCheck on a disk thread
    // (DynDataDownload::setUnsizedCheck) before it takes the file's name.
    uint downloadSingleProjectFile(const QString& filePath, const QString& url,
                                   std::function<QString(QFile&)> unsizedCheck);

    QString currentUser() const;
    LoginStatus loginStatus() const;
    bool anyUploadActive() const;
    bool anyDownloadActive() const;
    QString currentUserCompanyId() const;
    QString currentUserFirstName() const;
    QString currentUserLastName() const;
    UserRole currentUserRole() const;

    // False when the worker thread could not be started: every call then reports an error.
    bool isOperational() const;

signals:
    void uploadFileProgressChanged(uint uploadId, QString fileName, int progress);
    void currentUploadFilesChanged(uint uploadId, QStringList currentUploadFiles);
    void uploadTotalProgressChanged(uint uploadId, int value);
    void filesToUploadTotalChanged(uint uploadId, int value);
    void completedUploadFilesChanged(uint uploadId, int value);
    void uploadActiveChanged(uint uploadId, bool bValue);
    void anyUploadActiveChanged(bool bValue);
    void uploadFinished(uint uploadId);
    void uploadErrorOccurred(uint uploadId, Tovrin::Web::TovrinWebApi::UploadError errorCode);
    void downloadFileProgressChanged(uint downloadId, QString fileName, int progress);
    void currentDownloadFilesChanged(uint downloadId, QStringList currentDownloadFiles);
    void downloadTotalProgressChanged(uint downloadId, int value);
    void filesToDownloadTotalChanged(uint downloadId, int value);
    void completedDownloadFilesChanged(uint downloadId, int value);
    void downloadActiveChanged(uint downloadId, bool bValue);
    void anyDownloadActiveChanged(bool bValue);
    void downloadFinished(uint downloadId);
    void downloadErrorOccurred(uint downloadId, Tovrin::Web::TovrinWebApi::DownloadError errorCode);
    void currentUserChanged(QString user);
    void loginResult(QString userName, Tovrin::Web::TovrinWebApi::LoginResult loginResult);
    void loginStatusChanged();
    void userChoiceNeeded(QMap<QString, QString> userMap);
    void projectInfoReceived(QList<Tovrin::Web::ProjectInfo> projectInfoList);
    void uploadStatusInfoReceived(QList<Tovrin::Web::UploadStatusInfo> uploadsStatusInfoList);
    void errorOccurred(Tovrin::Web::Error error);
    void queryRemoteProjectsError(Tovrin::Web::Error error);
    void singleFileDownloadLinkReceived(Tovrin::Web::SingleMediaFileLinkData mediaDataLink);
    void allProjectsMediaDownloadLinkReceived(QList<Tovrin::Web::SingleMediaFileLinkData> mediaDataLink);
    void loginExpired();
    void tokenAuthenticationNeeded();
    void checkIfCulvertixProjectFinished(QString projectId, QString projectName, bool isCulvertixProject);
    // The check itself failed (the service could not be asked, or its answer is unreadable).
    void checkIfCulvertixProjectFailed(QString projectId, Tovrin::Web::Error error);
    // An upload-status query failed: no statuses are known, which is not "nothing pending".
    void uploadStatusQueryFailed(Tovrin::Web::Error error);

private:
    TovrinWebApiPrivate* d = nullptr;
};

} // namespace Web
} // namespace Tovrin
