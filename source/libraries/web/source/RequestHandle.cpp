#include "RequestHandle.h"

#include "RequestSigning.h"
#include "TransferWatchdog.h"

#include "CLogger.h"

#include <QEventLoop>
#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QTimer>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
// Pieces taken from a reply at a time: what it holds is already bounded by its read buffer.
const qint64 kReadPieceBytes = 256 * 1024;
}

RequestHandle::RequestHandle(QObject* parent)
    : QObject(parent)
{
}

RequestHandle::~RequestHandle() = default;

void RequestHandle::setReply(QNetworkReply* reply)
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
    }
    m_reply = reply;
    if (!reply)
        return;
    m_handled = false;
    m_incoming.clear();
    m_received = 0;
    m_replyRefused = false;
    bodyRestarted();
    reply->setParent(this);
    // The network stack calls its manager from a reply's finished() for as long as the reply
    // lives, and no longer deletes a reply that has left it: the reply goes with its manager.
    if (QNetworkAccessManager* manager = reply->manager())
        connect(manager, &QObject::destroyed, reply, [reply] { delete reply; });
    connect(reply, &QNetworkReply::metaDataChanged, this, &RequestHandle::onReplyHead);
    connect(reply, &QNetworkReply::readyRead, this, &RequestHandle::onReplyReadyRead);
    connect(reply, &QNetworkReply::finished, this, &RequestHandle::onReplyFinished);
    connect(reply, &QNetworkReply::uploadProgress, this, &RequestHandle::onReplyUploadProgress);
    TransferWatchdog::watch(reply, m_transferLimits);
}

void RequestHandle::enableRetry(QNetworkAccessManager* manager, const QByteArray& body)
{
    m_retryEnabled = true;
    m_manager = manager;
    m_requestBody = body;
    // Every body is a request of its own: its retries are counted afresh.
    m_retryCount = 0;
}

void RequestHandle::disableRetry()
{
    m_retryEnabled = false;
    m_requestBody.clear();
    m_retryCount = 0;
}

void RequestHandle::abort()
{
    if (m_reply)
        m_reply->abort();
}

QString RequestHandle::handleClassName() const
{
    return QString::fromLatin1(metaObject()->className());
}

QNetworkReply::NetworkError RequestHandle::effectiveError(QNetworkReply* reply) const
{
    return TransferWatchdog::errorOf(reply);
}

namespace {
// An error or a redirect page: not the answer that was asked for.
bool isPage(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 300;
}
} // namespace

qint64 RequestHandle::answerLimit(bool page) const
{
    // A page is never the larger answer a handle may expect.
    return page ? qMin(bodyLimit(), MaxReplyBytes) : bodyLimit();
}

void RequestHandle::onReplyHead()
{
    // What the head shows is refused before any of the body is fetched.
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply || TransferWatchdog::refused(reply))
        return;
    const bool page = isPage(reply);
    const qint64 limit = answerLimit(page);
    bool announced = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    if (announced && length > limit) {
        m_incoming.clear();
        TransferWatchdog::refuse(reply, QStringLiteral("Reply body larger than %1 bytes (%2 announced); the request is given up.")
                                            .arg(limit)
                                            .arg(length));
        return;
    }
    // Every request asks for the answer as stored. A compressed one is no answer of ours: its
    // length says nothing about what it would unpack to, nor whether it arrived whole. An error
    // or redirect page is told by its status, whatever its coding.
    const QByteArray encoding = TransferWatchdog::contentEncoding(reply);
    if (!page && !encoding.isEmpty()) {
        m_incoming.clear();
        TransferWatchdog::refuse(reply, QStringLiteral("Reply encoded (%1) although asked for as stored; the request is given up.")
                                            .arg(QString::fromLatin1(encoding.left(32))));
    }
}

void RequestHandle::onReplyReadyRead()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (reply && reply == m_reply)
        drainReply(reply);
}

void RequestHandle::drainReply(QNetworkReply* reply)
{
    if (TransferWatchdog::refused(reply) || !reply->isOpen() || reply->bytesAvailable() <= 0)
        return;
    const bool page = isPage(reply);
    const qint64 limit = answerLimit(page);
    while (reply->bytesAvailable() > 0) {
        // At most one byte past the limit: enough to know the answer is too large.
        const QByteArray piece = reply->read(qMin(kReadPieceBytes, limit + 1 - m_received));
        if (piece.isEmpty())
            return;
        m_received += piece.size();
        if (m_received > limit) {
            m_incoming.clear();
            TransferWatchdog::refuse(reply, QStringLiteral("Reply body larger than %1 bytes; the request is given up.").arg(limit));
            return;
        }
        if (page || !readsBodyAsItArrives()) {
            m_incoming += piece;
        } else if (!bodyArrived(piece)) {
            // Nothing that follows can make it the answer: it is neither fetched further nor
            // asked for again.
            TransferWatchdog::refuse(reply, QStringLiteral("Reply unreadable as the answer asked for; the request is given up."));
            return;
        }
    }
}

bool RequestHandle::shouldRetry(QNetworkReply::NetworkError error) const
{
    return m_retryEnabled && m_retryCount < MaxRetries && error != QNetworkReply::OperationCanceledError
           && error != QNetworkReply::ContentNotFoundError && error != QNetworkReply::AuthenticationRequiredError;
}

void RequestHandle::onReplyFinished()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != m_reply)
        return;
    // Whatever readyRead left unread, still within the limit.
    drainReply(reply);
    const QNetworkReply::NetworkError error = effectiveError(reply);
    m_replyRefused = TransferWatchdog::refused(reply);
    m_responseData = m_replyRefused ? QByteArray() : m_incoming;
    m_incoming.clear();
    m_rawHeaders = reply->rawHeaderPairs();
    m_httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

    if (error != QNetworkReply::NoError) {
        // Bodies and addresses may carry tokens or signatures: log sizes and redacted texts only.
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"),
                            QStringLiteral("RequestHandle::onReplyFinished error (%1): %2 {bytes=%3}")
                                .arg(int(error))
                                .arg(redactAddresses(reply->errorString()))
                                .arg(m_responseData.size()));
        logNetworkError();
        // An answer refused now is refused the next time as well.
        if (shouldRetry(error) && !m_replyRefused) {
            retry();
            return;
        }
    }

    finishReply(reply, error);
}

void RequestHandle::finishReply(QNetworkReply* reply, QNetworkReply::NetworkError error)
{
    const int zero = m_responseData.indexOf('\0');
    const QString text = QString::fromUtf8(zero >= 0 ? m_responseData.left(zero) : m_responseData);
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    m_handled = true;
    m_lastError = error;
    QPointer<RequestHandle> guard(this);
    handleReply(text, m_rawHeaders, error);
    if (guard)
        emit replyHandled();
}

void RequestHandle::onReplyUploadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    handleUploadProgress(bytesSent, bytesTotal);
}

void RequestHandle::retry()
{
    QNetworkReply* previous = m_reply;
    ++m_retryCount;
    if (!previous || !m_manager)
        return;
    QNetworkRequest request = m_requestFactory ? m_requestFactory() : QNetworkRequest();
    if (request.url().isEmpty())
        request = previous->request();
    QNetworkReply* next = sendAgain(m_manager, request, previous->operation());
    if (!next) {
        // Nothing is sent again: report the failed reply as it is.
        finishReply(previous, effectiveError(previous));
        return;
    }
    setReply(next);
    CLogger::logMessage(CLogger::LogLevelWarning, handleClassName(),
                        QStringLiteral("Retrying request (%1 of %2).").arg(m_retryCount).arg(MaxRetries));
}

QNetworkReply* RequestHandle::sendAgain(QNetworkAccessManager* manager, const QNetworkRequest& request,
                                        QNetworkAccessManager::Operation operation)
{
    switch (operation) {
    case QNetworkAccessManager::PutOperation:
        return manager->put(request, m_requestBody);
    case QNetworkAccessManager::PostOperation:
        return manager->post(request, m_requestBody);
    case QNetworkAccessManager::GetOperation:
        return manager->get(request);
    default:
        break;
    }
    QString name = QStringLiteral("Unknown");
    if (operation == QNetworkAccessManager::HeadOperation)
        name = QStringLiteral("Head");
    else if (operation == QNetworkAccessManager::DeleteOperation)
        name = QStringLiteral("Delete");
    else if (operation == QNetworkAccessManager::CustomOperation)
        name = QStringLiteral("Custom");
    CLogger::logMessage(CLogger::LogLevelWarning, handleClassName(),
                        QStringLiteral("Retry mechanism doesn't support ") + name + QStringLiteral(" operation."));
    return nullptr;
}

void RequestHandle::logNetworkError()
{
    if (!m_reply)
        return;
    const QNetworkReply::NetworkError error = effectiveError(m_reply);
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::AuthenticationRequiredError)
        return;
    const QMetaEnum metaEnum = QMetaEnum::fromType<QNetworkReply::NetworkError>();
    CLogger::logMessage(CLogger::LogLevelError, handleClassName(),
                        QStringLiteral("Network Error: \"%1\" occured.\n Message: \n%2")
                            .arg(QString::fromLatin1(metaEnum.valueToKey(error)))
                            .arg(redactAddresses(m_reply->errorString())));
}

void RequestHandle::handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                                QNetworkReply::NetworkError error)
{
    Q_UNUSED(text)
    Q_UNUSED(headers)
    Q_UNUSED(error)
}

void RequestHandle::handleUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    Q_UNUSED(bytesSent)
    Q_UNUSED(bytesTotal)
}

QString RequestHandle::waitForReply(RequestHandle* handle, int timeoutMs, int* networkError, bool* refused)
{
    if (networkError)
        *networkError = 0;
    if (refused)
        *refused = false;
    if (!handle)
        return QString();
    if (!handle->m_reply) {
        CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("Already finished."));
        if (networkError)
            *networkError = handle->m_lastError;
        if (refused)
            *refused = handle->m_replyRefused;
        return QString::fromUtf8(handle->m_responseData);
    }
    QPointer<RequestHandle> guard(handle);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(handle, &RequestHandle::replyHandled, &loop, &QEventLoop::quit);
    connect(handle, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    if (!guard || !guard->m_handled) {
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("TovrinWeb"), QStringLiteral("Request timed out."));
        if (networkError)
            *networkError = QNetworkReply::TimeoutError;
        return QString();
    }
    if (networkError && guard->m_lastError != QNetworkReply::NoError)
        *networkError = guard->m_lastError;
    if (refused)
        *refused = guard->m_replyRefused;
    return QString::fromUtf8(guard->m_responseData);
}

} // namespace Web
} // namespace Tovrin
