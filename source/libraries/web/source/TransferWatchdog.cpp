#include "TransferWatchdog.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const char kTimedOutProperty[] = "cxTransferTimedOut";
}

TransferWatchdog::TransferWatchdog(QNetworkReply* reply, int idleTimeoutMs, int deadlineMs)
    : QObject(reply)
    , m_reply(reply)
    , m_idleTimeoutMs(idleTimeoutMs)
{
    m_sinceActivity.start();
    if (idleTimeoutMs > 0) {
        m_idleTimer.setSingleShot(true);
        connect(&m_idleTimer, &QTimer::timeout, this, &TransferWatchdog::onIdleCheck);
        connect(reply, &QNetworkReply::downloadProgress, this, &TransferWatchdog::onActivity);
        connect(reply, &QNetworkReply::uploadProgress, this, &TransferWatchdog::onActivity);
        // Qt reports progress at most every 100 ms unless told otherwise; arriving data is
        // announced every time.
        connect(reply, &QNetworkReply::readyRead, this, &TransferWatchdog::onActivity);
        m_idleTimer.start(idleTimeoutMs);
    }
    if (deadlineMs > 0) {
        m_deadlineTimer.setSingleShot(true);
        connect(&m_deadlineTimer, &QTimer::timeout, this, [this, deadlineMs] {
            giveUp(QStringLiteral("No complete answer within %1 ms, giving up the request.").arg(deadlineMs));
        });
        m_deadlineTimer.start(deadlineMs);
    }
    connect(reply, &QNetworkReply::finished, this, [this] {
        m_idleTimer.stop();
        m_deadlineTimer.stop();
    });
}

void TransferWatchdog::watch(QNetworkReply* reply, int idleTimeoutMs, int deadlineMs)
{
    if (!reply || (idleTimeoutMs <= 0 && deadlineMs <= 0) || reply->isFinished())
        return;
    new TransferWatchdog(reply, idleTimeoutMs, deadlineMs);
}

void TransferWatchdog::onActivity()
{
    m_sinceActivity.restart();
}

void TransferWatchdog::onIdleCheck()
{
    const qint64 idle = m_sinceActivity.elapsed();
    if (idle < m_idleTimeoutMs) {
        m_idleTimer.start(int(m_idleTimeoutMs - idle));
        return;
    }
    giveUp(QStringLiteral("No data moved for %1 ms, giving up the transfer.").arg(m_idleTimeoutMs));
}

void TransferWatchdog::giveUp(const QString& reason)
{
    if (m_reply->isFinished())
        return;
    m_idleTimer.stop();
    m_deadlineTimer.stop();
    CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("TovrinWeb"), reason);
    m_reply->setProperty(kTimedOutProperty, true);
    m_reply->abort();
}

bool TransferWatchdog::timedOut(const QNetworkReply* reply)
{
    return reply && reply->property(kTimedOutProperty).toBool();
}

QNetworkReply::NetworkError TransferWatchdog::errorOf(QNetworkReply* reply)
{
    if (!reply)
        return QNetworkReply::UnknownNetworkError;
    if (timedOut(reply))
        return QNetworkReply::TimeoutError;
    const QNetworkReply::NetworkError error = reply->error();
    if (error != QNetworkReply::NoError)
        return error;
    // Redirects are not followed (they could carry the bearer token elsewhere); one that
    // arrives is no answer to the request.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return QNetworkReply::ProtocolUnknownError;
    return QNetworkReply::NoError;
}

} // namespace Web
} // namespace Tovrin
