#include "PlainRequestHandles.h"

namespace Tovrin {
namespace Web {

namespace {
template <class R>
R readResponse(const QString& text, QNetworkReply::NetworkError error, void (R::*reader)(const QString&))
{
    R response;
    response.setError(error);
    (response.*reader)(text);
    return response;
}
} // namespace

void LoginRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const LoginResponse response = readResponse(text, error, &LoginResponse::fromJson);
    emit requestFinished(response);
}

void Check2StepAuthenticationRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const Check2StepAuthenticationResponse response = readResponse(text, error, &Check2StepAuthenticationResponse::fromJson);
    emit requestFinished(response);
}

void ClientCredentialsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const ClientCredentialsResponse response = readResponse(text, error, &ClientCredentialsResponse::fromXml);
    emit requestFinished(response);
}

ClientCredentialsResponse ClientCredentialsRequestHandle::waitForResponse(ClientCredentialsRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    const QString text = waitForReply(handle, timeoutMs, &error);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), &ClientCredentialsResponse::fromXml);
}

void UserProjectsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const UserProjectsResponse response = readResponse(text, error, &UserProjectsResponse::fromJson);
    emit requestFinished(response, response.error());
}

void UploadProjectsStatusHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const UploadProjectsStatusResponse response = readResponse(text, error, &UploadProjectsStatusResponse::fromJson);
    emit requestFinished(response);
}

void ProjectReadyToDownloadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const ProjectReadyToDownloadResponse response = readResponse(text, error, &ProjectReadyToDownloadResponse::fromJson);
    emit requestFinished(response);
}

void SingleProjectFileDownloadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const SingleProjectFileDownloadResponse response = readResponse(text, error, &SingleProjectFileDownloadResponse::fromXml);
    emit requestFinished(response);
}

void BeginUploadProjectRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BeginUploadProjectResponse response = readResponse(text, error, &BeginUploadProjectResponse::fromXml);
    emit requestFinished(response);
}

BeginUploadProjectResponse BeginUploadProjectRequestHandle::waitForResponse(BeginUploadProjectRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    const QString text = waitForReply(handle, timeoutMs, &error);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), &BeginUploadProjectResponse::fromXml);
}

void PreSignedBatchUploadRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const PreSignedBatchUploadResponse response = readResponse(text, error, &PreSignedBatchUploadResponse::fromJson);
    emit requestFinished(response);
}

PreSignedBatchUploadResponse PreSignedBatchUploadRequestHandle::waitForResponse(PreSignedBatchUploadRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    const QString text = waitForReply(handle, timeoutMs, &error);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), &PreSignedBatchUploadResponse::fromJson);
}

void BucketGetRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BucketGetResponse response = readResponse(text, error, &BucketGetResponse::fromXml);
    emit requestFinished(response);
}

BucketGetResponse BucketGetRequestHandle::waitForResponse(BucketGetRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    const QString text = waitForReply(handle, timeoutMs, &error);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), &BucketGetResponse::fromXml);
}

void BucketCreateRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const BucketCreateResponse response = readResponse(text, error, &BucketCreateResponse::fromXml);
    emit requestFinished(response);
}

BucketCreateResponse BucketCreateRequestHandle::waitForResponse(BucketCreateRequestHandle* handle, int timeoutMs, int* networkError)
{
    int error = 0;
    const QString text = waitForReply(handle, timeoutMs, &error);
    if (networkError)
        *networkError = error;
    return readResponse(text, static_cast<QNetworkReply::NetworkError>(error), &BucketCreateResponse::fromXml);
}

void BucketListFilesFromLocationsRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                     QNetworkReply::NetworkError error)
{
    Q_UNUSED(headers)
    const ListOfFilesFromLocationResponse response = readResponse(text, error, &ListOfFilesFromLocationResponse::fromXml);
    emit requestFinished(response);
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
