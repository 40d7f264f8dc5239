#include "TransferWatchdog.h"

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const char kTimedOutProperty[] = "cxTransferTimedOut";
}

TransferWatchdog::TransferWatchdog(QNetworkReply* reply, int idleTimeoutMs)
    : QObject(reply)
    , m_reply(reply)
    , m_idleTimeoutMs(idleTimeoutMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TransferWatchdog::onIdle);
    connect(reply, &QNetworkReply::downloadProgress, this, &TransferWatchdog::onActivity);
    connect(reply, &QNetworkReply::uploadProgress, this, &TransferWatchdog::onActivity);
    connect(reply, &QNetworkReply::finished, &m_timer, &QTimer::stop);
    m_timer.start(m_idleTimeoutMs);
}

void TransferWatchdog::watch(QNetworkReply* reply, int idleTimeoutMs)
{
    if (!reply || idleTimeoutMs <= 0 || reply->isFinished())
        return;
    new TransferWatchdog(reply, idleTimeoutMs);
}

void TransferWatchdog::onActivity()
{
    if (m_timer.isActive())
        m_timer.start(m_idleTimeoutMs);
}

void TransferWatchdog::onIdle()
{
    if (m_reply->isFinished())
        return;
    CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("TovrinWeb"),
                        QStringLiteral("No data moved for %1 ms, giving up the transfer.").arg(m_idleTimeoutMs));
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
