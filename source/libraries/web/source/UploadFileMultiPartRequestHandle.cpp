#include "UploadFileMultiPartRequestHandle.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

UploadFileMultiPartRequestHandle::UploadFileMultiPartRequestHandle(const UploadFileDescriptor& file, QObject* parent)
    : AbstractUploadFileRequestHandle(file, parent)
    , m_file(file.localFilePath())
    , m_startTime(QDateTime::currentDateTimeUtc())
{
    if (m_file.open(QIODevice::ReadOnly)) {
        m_totalFileBytes = m_file.size();
        m_partCount = int((m_totalFileBytes + PartSize - 1) / PartSize);
    } else {
        CLogger::logMessage(CLogger::LogLevelError, handleClassName(),
                            QStringLiteral("Couldn't open upload file: \"%1\"").arg(file.localFilePath()));
        emit errorOccurred(ErrorFileAccess);
    }
}

QString UploadFileMultiPartRequestHandle::eTagFromHeaders(const QList<QNetworkReply::RawHeaderPair>& headers)
{
    QByteArray value;
    for (const QNetworkReply::RawHeaderPair& header : headers) {
        if (header.first.compare("etag", Qt::CaseInsensitive) == 0)
            value = header.second.trimmed();
    }
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    if (value.isEmpty())
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), QStringLiteral("No ETag in response headers!"));
    return QString::fromUtf8(value);
}

void UploadFileMultiPartRequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                                                   QNetworkReply::NetworkError error)
{
    switch (m_state) {
    case StateInitializing: {
        if (replyRefused()) {
            m_finishedResponse.setFailure(ErrorInvalidReply);
            emit requestFinished(m_finishedResponse);
            return;
        }
        if (error != QNetworkReply::NoError) {
            finish(error, false);
            return;
        }
        UploadFileMultiPartInitResponse response;
        response.setError(error);
        response.fromJson(text);
        m_uploadId = response.uploadId();
        if (m_uploadId.isEmpty()) {
            m_finishedResponse.setFailure(ErrorInvalidReply);
            emit requestFinished(m_finishedResponse);
            return;
        }
        m_state = StateObtainingUrls;
        emit obtainUploadUrls(m_uploadId, m_partCount);
        return;
    }
    case StateObtainingUrls: {
        if (error != QNetworkReply::NoError) {
            failAndAbort(failureOf(error));
            return;
        }
        UploadFileMultiPartUrlsResponse response;
        response.setError(error);
        response.fromJson(text);
        m_partUrls = response.urls();
        if (m_partUrls.size() < m_partCount) {
            CLogger::logMessage(CLogger::LogLevelError, handleClassName(),
                                QStringLiteral("The service gave %1 part addresses for %2 parts.")
                                    .arg(m_partUrls.size())
                                    .arg(m_partCount));
            failAndAbort(ErrorInvalidReply);
            return;
        }
        m_state = StateUploadingParts;
        readNextPart();
        return;
    }
    case StateUploadingParts:
        if (error != QNetworkReply::NoError) {
            // The part failed even after its retries: the upload cannot complete, stop it here.
            failAndAbort(failureOf(error));
            return;
        }
        m_eTags.append(eTagFromHeaders(headers));
        readNextPart();
        return;
    case StateAborted:
    case StateReadFailed:
        finish(error, false);
        return;
    case StateFinishing:
        finish(error, error == QNetworkReply::NoError);
        return;
    }
}

void UploadFileMultiPartRequestHandle::handleUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    if (m_state == StateUploadingParts)
        AbstractUploadFileRequestHandle::handleUploadProgress(bytesSent, bytesTotal);
}

void UploadFileMultiPartRequestHandle::finish(QNetworkReply::NetworkError error, bool succeeded)
{
    m_finishedResponse.setError(error);
    if (succeeded) {
        m_finishedResponse.setResultFromNetworkError(error);
    } else if (m_failure != ErrorNone) {
        // What ended the upload, not how the abort that followed went.
        m_finishedResponse.setFailure(m_failure);
    } else if (error != QNetworkReply::NoError && replyRefused()) {
        m_finishedResponse.setFailure(ErrorInvalidReply);
    } else {
        m_finishedResponse.setFailed();
    }
    emit requestFinished(m_finishedResponse);
}

Error UploadFileMultiPartRequestHandle::failureOf(QNetworkReply::NetworkError error) const
{
    return replyRefused() ? ErrorInvalidReply : Response::mapNetworkError(error);
}

void UploadFileMultiPartRequestHandle::failAndAbort(Error error)
{
    m_failure = error;
    m_state = StateReadFailed;
    emit abortUpload(m_uploadId);
}

void UploadFileMultiPartRequestHandle::readNextPart()
{
    if (m_paused) {
        m_waitingForResume = true;
        return;
    }
    m_waitingForResume = false;
    if (m_file.atEnd() || m_partIndex >= m_partCount) {
        m_state = StateFinishing;
        emit finishUpload(m_uploadId, m_eTags);
        return;
    }
    const QByteArray data = m_file.read(PartSize);
    if (data.isEmpty() && m_file.error() != QFileDevice::NoError) {
        CLogger::logMessage(CLogger::LogLevelError, handleClassName(),
                            QStringLiteral("Couldn't read upload file: \"%1\"").arg(m_uploadFile.localFilePath()));
        failAndAbort(ErrorFileAccess);
        return;
    }
    m_currentPartSize = data.size();
    startNewBody();
    const QString address = m_partUrls.at(m_partIndex);
    ++m_partIndex;
    emit uploadNextPart(address, data);
}

void UploadFileMultiPartRequestHandle::pause()
{
    m_paused = true;
}

void UploadFileMultiPartRequestHandle::resume()
{
    m_paused = false;
    // Only a part that waits for the resume is sent now; one in flight carries on by itself.
    if (m_waitingForResume && m_state == StateUploadingParts)
        readNextPart();
}

void UploadFileMultiPartRequestHandle::cancel()
{
    m_state = StateAborted;
    m_waitingForResume = false;
    abort();
    emit abortUpload(m_uploadId);
}

} // namespace Web
} // namespace Tovrin
