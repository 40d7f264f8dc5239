#pragma once

#include "AWSPutRequestHandle.h"
#include "LoginResponse.h"
#include "NetworkRequestBuilder.h"
#include "PlainRequestHandles.h"
#include "TovrinWebTypes.h"
#include "TransferWatchdog.h"
#include "UploadFileMultiPartRequestHandle.h"

#include <QBasicTimer>
#include <QDateTime>
#include <QObject>
#include <QPair>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;

namespace Tovrin {
namespace Web {

// The one object that speaks to the web service: builds, sends and hands each request to its
// request handle, and holds the current login (reply, expiry timer, server clock offset).
// Owns the request builder and the network access manager; the handles it returns belong to
// the caller. Lives on the web worker thread.
class WebCommunicator : public QObject
{
    Q_OBJECT

public:
    // Bounds of the blocking calls (milliseconds) and the limits of every request's transfer:
    // the wait for the head, a stall and a trickle, never the time an answer takes in all.
    struct Timeouts
    {
        int serverStatusMs = 3000;
        int clientCredentialsMs = 10000;
        int finishUploadMs = 10000;
        int cancelUploadMs = 3000;
        TransferLimits transfer;
    };

    explicit WebCommunicator(QObject* parent = nullptr);
    ~WebCommunicator() override;

    void setTimeouts(const Timeouts& timeouts);
    Timeouts timeouts() const { return m_timeouts; }

    // Login calls.
    LoginRequestHandle* login(const QString& userName, const QString& password);
    LoginRequestHandle* loginWithForm(const QString& userName, const QString& password, const QString& twoFactorCode);
    LoginRequestHandle* loginChosenUser(const QString& targetUserId);
    Check2StepAuthenticationRequestHandle* check2StepAuthentication(const QString& userName);
    ResetPasswordRequestHandle* resetPassword(const QString& userName);
    StatusResponse queryServerStatus();
    // Fetches the client data for signing; on failure the previous data stay and the error is
    // returned (and signalled).
    Error queryClientCredentials();

    // Project and data calls.
    UserProjectsRequestHandle* queryUserProjects();
    ProjectReadyToDownloadRequestHandle* queryProjectReadyToDownload(const QString& projectId);
    UploadProjectsStatusHandle* queryUploadStatuses(const QStringList& projectIds);
    QNetworkReply* getXml(const QString& path);
    QNetworkReply* downloadProjectData(const QString& projectId);
    QNetworkReply* downloadSurveyData(const QString& projectId);
    QNetworkReply* downloadManholeData(const QString& projectId);
    SingleProjectFileDownloadRequestHandle* requestSingleFileLink(const QString& projectId, const QString& file);
    SingleProjectFileDownloadRequestHandle* requestAllMediaLinks(const QString& projectId);
    QNetworkReply* getUrl(const QString& url);

    // Upload calls.
    BeginUploadProjectRequestHandle* beginProjectUpload(const QString& projectId, const QString& projectName,
                                                        const QDateTime& creationDate);
    BucketGetRequestHandle* bucketGet(const QString& bucketName);
    BucketCreateRequestHandle* bucketCreate(const QString& bucketName);
    BucketListFilesFromLocationsRequestHandle* listFilesFromLocations(const QString& bucketName, const QString& delimiter,
                                                                      const QStringList& prefixes);
    PreSignedBatchUploadRequestHandle* createPreSignedBatchUpload(const QString& projectId, const QString& fileKey);
    // Null when the local file is missing or unreadable (errorOccurred(ErrorFileAccess) follows).
    AWSPutRequestHandle* uploadFromUrl(const QString& url, const QString& localFilePath, const UploadFileDescriptor& file);
    // Null, before any request, when the local file cannot be opened.
    UploadFileMultiPartRequestHandle* initMultipartUpload(const UploadFileDescriptor& file);
    void putJobForEachPreset(const UploadFileDescriptor& file);
    // Confirms a finished upload; the result tells whether the service took the confirmation.
    Error finishProjectUpload(const QString& projectId, ImportType importType);
    void cancelProjectUpload(const QString& projectId);

    // Login state.
    void setLoginData(const LoginResponse& reply);
    void clearLoginData();
    bool isLoggedIn() const;
    void synchronizeServerTime();
    LoginResponse loginData() const { return m_loginData; }
    qint64 serverTimeOffset() const { return m_serverTimeOffset; }
    QString chosenUserId() const { return m_chosenUserId; }
    // Milliseconds until loginExpired(), -1 when the timer is not running.
    qint64 loginExpiryInterval() const { return m_loginExpiryIntervalMs; }
    const NetworkRequestBuilder& requestBuilder() const { return *m_builder; }
    QNetworkAccessManager* networkAccessManager() const { return m_manager; }

    static QPair<QByteArray, QByteArray> importTypeToXmlElement(ImportType importType);
    static QByteArray importTypeToStr(ImportType importType);

    // The request bodies, built exactly as sent.
    static QByteArray buildBeginUploadBody(const QString& companyId, const QString& creationDate, const QString& email,
                                           const QString& projectId, const QString& projectName);
    static QByteArray buildFinishUploadBody(const QString& projectId, ImportType importType);
    static QByteArray buildCancelUploadBody(const QString& projectId);
    static QByteArray buildBucketCreateBody(const QString& bucketName);
    static QByteArray buildListFilesBody(const QString& bucketName, const QString& delimiter, const QStringList& prefixes);
    static QByteArray buildTranscodingJobBody(const UploadFileDescriptor& file);
    static QByteArray buildResetPasswordBody(const QString& userName);
    static QByteArray buildFormLoginBody(const QString& userName, const QString& password, const QString& twoFactorCode);

signals:
    void errorOccurred(Tovrin::Web::Error error);
    void loginExpired();

public slots:
    void multipartUploadObtainUrls(QString uploadId, int parts);
    void multipartUploadNextPart(QString uploadId, QByteArray data);
    void multipartUploadFinish(QString uploadId, QList<QString> eTags);
    void multipartUploadAbort(QString multipartUploadId);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    template <class H>
    H* attach(H* handle, QNetworkReply* reply);
    QNetworkReply* send(const QByteArray& verb, const QNetworkRequest& request, const QByteArray& body = QByteArray());
    // The XML GET of getXml, not yet watched: a request handle watches it when it takes it.
    QNetworkReply* sendXmlGet(const QString& path);
    UploadFileMultiPartRequestHandle* multipartSender() const;
    void obtainUrlsFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId, int parts);
    void nextPartFor(UploadFileMultiPartRequestHandle* handle, const QString& address, const QByteArray& data);
    void finishFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId, const QList<QString>& eTags);
    void abortFor(UploadFileMultiPartRequestHandle* handle, const QString& uploadId);

    NetworkRequestBuilder* m_builder = nullptr;
    LoginResponse m_loginData;
    QNetworkAccessManager* m_manager = nullptr;
    qint64 m_serverTimeOffset = 0;
    bool m_loggedIn = false;
    QBasicTimer m_loginExpiryTimer;
    qint64 m_loginExpiryIntervalMs = -1;
    QString m_chosenUserId;
    Timeouts m_timeouts;
};

} // namespace Web
} // namespace Tovrin
