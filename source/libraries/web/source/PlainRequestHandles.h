#pragma once

#include "LoginResponse.h"
#include "ProjectResponses.h"
#include "RequestHandle.h"
#include "SessionResponses.h"
#include "StorageResponses.h"

#include <memory>

// The handles of the requests with one reply each: each turns its reply into its typed reply and
// reports it with requestFinished. Owned by whoever received them from the communicator.
namespace Tovrin {
namespace Web {

class LoginRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::LoginResponse response);
};

class Check2StepAuthenticationRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::Check2StepAuthenticationResponse response);
};

class ClientCredentialsRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Waits up to timeoutMs for the reply and reads it; a time-out gives an empty reply with ErrorTimeOut.
    static ClientCredentialsResponse waitForResponse(ClientCredentialsRequestHandle* handle, int timeoutMs, int* networkError = nullptr);

signals:
    void requestFinished(Tovrin::Web::ClientCredentialsResponse response);
};

// The user's projects are read as they arrive, held to the bound of a bucket listing.
class UserProjectsRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    explicit UserProjectsRequestHandle(QObject* parent = nullptr);
    ~UserProjectsRequestHandle() override;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::UserProjectsResponse response, Tovrin::Web::Error error);

protected:
    qint64 bodyLimit() const override;
    bool readsBodyAsItArrives() const override { return true; }
    bool bodyArrived(const QByteArray& piece) override;
    void bodyRestarted() override;

private:
    std::unique_ptr<UserProjectListReader> m_projects;
};

class UploadProjectsStatusHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::UploadProjectsStatusResponse response);
};

class ProjectReadyToDownloadRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::ProjectReadyToDownloadResponse response);
};

// The links are read as they arrive. The links of all media of a project are held to the
// bound of a bucket listing, which lists at least as many objects; one link to the bound of
// any answer.
class SingleProjectFileDownloadRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    explicit SingleProjectFileDownloadRequestHandle(bool allMediaOfAProject = false, QObject* parent = nullptr);
    ~SingleProjectFileDownloadRequestHandle() override;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::SingleProjectFileDownloadResponse response);

protected:
    qint64 bodyLimit() const override;
    bool readsBodyAsItArrives() const override { return true; }
    bool bodyArrived(const QByteArray& piece) override;
    void bodyRestarted() override;

private:
    const bool m_allMediaOfAProject;
    std::unique_ptr<MediaLinkListReader> m_links;
};

class BeginUploadProjectRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Waits up to timeoutMs for the reply and reads it; a time-out gives an empty reply with ErrorTimeOut.
    static BeginUploadProjectResponse waitForResponse(BeginUploadProjectRequestHandle* handle, int timeoutMs, int* networkError = nullptr);

signals:
    void requestFinished(Tovrin::Web::BeginUploadProjectResponse response);
};

class PreSignedBatchUploadRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Waits up to timeoutMs for the reply and reads it; a time-out gives an empty reply with ErrorTimeOut.
    static PreSignedBatchUploadResponse waitForResponse(PreSignedBatchUploadRequestHandle* handle, int timeoutMs, int* networkError = nullptr);

signals:
    void requestFinished(Tovrin::Web::PreSignedBatchUploadResponse response);
};

class BucketGetRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Waits up to timeoutMs for the reply and reads it; a time-out gives an empty reply with ErrorTimeOut.
    static BucketGetResponse waitForResponse(BucketGetRequestHandle* handle, int timeoutMs, int* networkError = nullptr);

signals:
    void requestFinished(Tovrin::Web::BucketGetResponse response);
};

class BucketCreateRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;
    // Waits up to timeoutMs for the reply and reads it; a time-out gives an empty reply with ErrorTimeOut.
    static BucketCreateResponse waitForResponse(BucketCreateRequestHandle* handle, int timeoutMs, int* networkError = nullptr);

signals:
    void requestFinished(Tovrin::Web::BucketCreateResponse response);
};

// The listing of a bucket is read as it arrives: a project of a few hundred thousand stored
// objects is held as its list only. Its bound fits the largest project, far above the answers
// of the other requests.
class BucketListFilesFromLocationsRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

    // About 290,000 stored objects, eight times the largest project met so far.
    static constexpr qint64 MaxListingBytes = 64 * 1024 * 1024;

signals:
    void requestFinished(Tovrin::Web::ListOfFilesFromLocationResponse response);

protected:
    qint64 bodyLimit() const override { return MaxListingBytes; }
    bool readsBodyAsItArrives() const override { return true; }
    bool bodyArrived(const QByteArray& piece) override;
    void bodyRestarted() override;

private:
    std::unique_ptr<BucketListingReader> m_listing;
};

// The reply of a password reset is not read; the handle removes itself.
class ResetPasswordRequestHandle : public RequestHandle
{
    Q_OBJECT

public:
    using RequestHandle::RequestHandle;
    void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error) override;

signals:
    void requestFinished(Tovrin::Web::ResetPasswordResponse response);
};

} // namespace Web
} // namespace Tovrin
