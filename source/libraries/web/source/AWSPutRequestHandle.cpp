#include "AWSPutRequestHandle.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

AWSPutRequestHandle::AWSPutRequestHandle(const UploadFileDescriptor& file, QObject* parent)
    : AbstractUploadFileRequestHandle(file, parent)
{
}

AWSPutRequestHandle::~AWSPutRequestHandle()
{
    // Each reply, the current one and those of earlier attempts not yet deleted, reads its body
    // from a file: they must go before the files do.
    const QList<QNetworkReply*> replies = findChildren<QNetworkReply*>(QString(), Qt::FindDirectChildrenOnly);
    for (QNetworkReply* each : replies) {
        each->disconnect(this);
        each->abort();
        delete each;
    }
}

void AWSPutRequestHandle::setUploadBodyFile(QFile* file)
{
    m_file.reset(file);
    m_totalFileBytes = file ? file->size() : 0;
}

void AWSPutRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                                      QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"),
                        QStringLiteral("Finished uploading: %1").arg(m_uploadFile.fileKey()));
    UploadFileResponse response;
    response.setError(error);
    // An answer refused (too large, encoded) says nothing of whether the file was stored.
    if (replyRefused())
        response.setInvalidReply();
    emit requestFinished(response);
}

bool AWSPutRequestHandle::shouldRetry(QNetworkReply::NetworkError error) const
{
    // Only a connection that broke (a reset, or a body Qt could not finish writing) before the
    // storage said anything; a refusal or a time-out would only come again.
    const bool broken = error == QNetworkReply::RemoteHostClosedError || error == QNetworkReply::UnknownNetworkError;
    return broken && httpStatus() == 0 && RequestHandle::shouldRetry(error);
}

QNetworkReply* AWSPutRequestHandle::sendAgain(QNetworkAccessManager* manager, const QNetworkRequest& request,
                                              QNetworkAccessManager::Operation operation)
{
    if (operation != QNetworkAccessManager::PutOperation)
        return RequestHandle::sendAgain(manager, request, operation);
    // From a file of its own: the previous reply may still read from the one it had. A file
    // whose size has changed since is no longer the file this upload counts.
    auto file = std::make_unique<QFile>(m_uploadFile.localFilePath());
    if (!file->open(QIODevice::ReadOnly) || file->size() != m_totalFileBytes) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                            QStringLiteral("Could not send the file again (gone or changed): %1").arg(m_uploadFile.localFilePath()));
        return nullptr;
    }
    QNetworkReply* next = manager->put(request, file.get());
    if (m_file)
        m_earlierFiles.push_back(std::move(m_file));
    m_file = std::move(file);
    return next;
}

void AWSPutRequestHandle::cancel()
{
    abort();
}

} // namespace Web
} // namespace Tovrin
