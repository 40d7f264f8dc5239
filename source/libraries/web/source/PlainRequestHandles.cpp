#include "PlainRequestHandles.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
// A refused answer (too large, encoded) is an invalid reply; the reader still runs over the
// empty body so that the reply's own fields say "nothing read".
template <class R>
R readResponse(const QString& text, QNetworkReply::NetworkError error, bool refused, void (R::*reader)(const QString&))
{
    R response;
    response.setError(error);
    if (refused)
        response.setInvalidReply();
    (response.*reader)(text);
    return response;
}
} // namespace

void LoginRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const LoginResponse response = readResponse(text, error, replyRefused(), &LoginResponse::fromJson);
    emit requestFinished(response);
}

void Check2StepAuthenticationRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const Check2StepAuthenticationResponse response = readResponse(text, error, replyRefused(), &Check2StepAuthenticationResponse::fromJson);
    emit requestFinished(response);
}

void ClientCredentialsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const ClientCredentialsResponse response = readResponse(text, error, replyRefused(), &ClientCredentialsResponse::fromXml);
    emit requestFinished(response);
}

ClientCredentialsResponse ClientCredentialsRequestHandle::waitForResponse(ClientCredentialsRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    bool refused = false;
    const QString text = waitForReply(handle, timeoutMs, &error, &refused);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), refused, &ClientCredentialsResponse::fromXml);
}

UserProjectsRequestHandle::UserProjectsRequestHandle(QObject* parent)
    : RequestHandle(parent)
{
}

UserProjectsRequestHandle::~UserProjectsRequestHandle() = default;

void UserProjectsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("UserProjectsRequestHandle::handleReply: project list read"));
    UserProjectsResponse response;
    response.setError(error);
    if (replyRefused())
        response.setInvalidReply();
    if (!m_projects)
        bodyRestarted();
    m_projects->finishInto(response);
    m_projects.reset();
    emit requestFinished(response, response.error());
}

qint64 UserProjectsRequestHandle::bodyLimit() const
{
    return BucketListFilesFromLocationsRequestHandle::MaxListingBytes;
}

bool UserProjectsRequestHandle::bodyArrived(const QByteArray& piece)
{
    if (!m_projects)
        bodyRestarted();
    m_projects->addData(piece);
    return !m_projects->refused();
}

void UserProjectsRequestHandle::bodyRestarted()
{
    m_projects = std::make_unique<UserProjectListReader>();
}

void UploadProjectsStatusHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const UploadProjectsStatusResponse response = readResponse(text, error, replyRefused(), &UploadProjectsStatusResponse::fromJson);
    emit requestFinished(response);
}

void ProjectReadyToDownloadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const ProjectReadyToDownloadResponse response = readResponse(text, error, replyRefused(), &ProjectReadyToDownloadResponse::fromJson);
    emit requestFinished(response);
}

SingleProjectFileDownloadRequestHandle::SingleProjectFileDownloadRequestHandle(bool allMediaOfAProject, QObject* parent)
    : RequestHandle(parent)
    , m_allMediaOfAProject(allMediaOfAProject)
{
}

SingleProjectFileDownloadRequestHandle::~SingleProjectFileDownloadRequestHandle() = default;

void SingleProjectFileDownloadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    SingleProjectFileDownloadResponse response;
    response.setError(error);
    if (replyRefused())
        response.setInvalidReply();
    if (!m_links)
        bodyRestarted();
    m_links->finishInto(response);
    m_links.reset();
    emit requestFinished(response);
}

qint64 SingleProjectFileDownloadRequestHandle::bodyLimit() const
{
    return m_allMediaOfAProject ? BucketListFilesFromLocationsRequestHandle::MaxListingBytes : MaxReplyBytes;
}

bool SingleProjectFileDownloadRequestHandle::bodyArrived(const QByteArray& piece)
{
    if (!m_links)
        bodyRestarted();
    m_links->addData(piece);
    return !m_links->refused();
}

void SingleProjectFileDownloadRequestHandle::bodyRestarted()
{
    m_links = std::make_unique<MediaLinkListReader>();
}

void BeginUploadProjectRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BeginUploadProjectResponse response = readResponse(text, error, replyRefused(), &BeginUploadProjectResponse::fromXml);
    emit requestFinished(response);
}

BeginUploadProjectResponse BeginUploadProjectRequestHandle::waitForResponse(BeginUploadProjectRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    bool refused = false;
    const QString text = waitForReply(handle, timeoutMs, &error, &refused);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), refused, &BeginUploadProjectResponse::fromXml);
}

void PreSignedBatchUploadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const PreSignedBatchUploadResponse response = readResponse(text, error, replyRefused(), &PreSignedBatchUploadResponse::fromJson);
    emit requestFinished(response);
}

PreSignedBatchUploadResponse PreSignedBatchUploadRequestHandle::waitForResponse(PreSignedBatchUploadRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    bool refused = false;
    const QString text = waitForReply(handle, timeoutMs, &error, &refused);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), refused, &PreSignedBatchUploadResponse::fromJson);
}

void BucketGetRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BucketGetResponse response = readResponse(text, error, replyRefused(), &BucketGetResponse::fromXml);
    emit requestFinished(response);
}

BucketGetResponse BucketGetRequestHandle::waitForResponse(BucketGetRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    bool refused = false;
    const QString text = waitForReply(handle, timeoutMs, &error, &refused);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), refused, &BucketGetResponse::fromXml);
}

void BucketCreateRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BucketCreateResponse response = readResponse(text, error, replyRefused(), &BucketCreateResponse::fromXml);
    emit requestFinished(response);
}

BucketCreateResponse BucketCreateRequestHandle::waitForResponse(BucketCreateRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    bool refused = false;
    const QString text = waitForReply(handle, timeoutMs, &error, &refused);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), refused, &BucketCreateResponse::fromXml);
}

void BucketListFilesFromLocationsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    ListOfFilesFromLocationResponse response;
    response.setError(error);
    if (replyRefused())
        response.setInvalidReply();
    if (!m_listing)
        bodyRestarted();
    m_listing->finishInto(response);
    m_listing.reset();
    emit requestFinished(response);
}

bool BucketListFilesFromLocationsRequestHandle::bodyArrived(const QByteArray& piece)
{
    if (!m_listing)
        bodyRestarted();
    m_listing->addData(piece);
    return !m_listing->refused();
}

void BucketListFilesFromLocationsRequestHandle::bodyRestarted()
{
    m_listing = std::make_unique<BucketListingReader>();
}

void ResetPasswordRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                                             QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    Q_UNUSED(error)
    deleteLater();
}

} // namespace Web
} // namespace Tovrin
