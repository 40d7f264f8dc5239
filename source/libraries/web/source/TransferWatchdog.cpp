#include "TransferWatchdog.h"

#include "CLogger.h"

#include <QtGlobal>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

namespace {
const char kTimedOutProperty[] = "cxTransferTimedOut";

// The limits are looked at ten times per the shortest of them: a stall of the default 60 s is
// ended within 66 s, without a timer restart for every chunk of a fast transfer.
int tickIntervalMs(const TransferLimits& limits)
{
    int shortest = 0;
    auto consider = [&shortest](int limit) {
        if (limit > 0 && (shortest == 0 || limit < shortest))
            shortest = limit;
    };
    consider(limits.headMs);
    consider(limits.stallMs);
    if (limits.lowSpeedBytesPerSecond > 0)
        consider(limits.lowSpeedWindowMs);
    return shortest > 0 ? qMax(10, shortest / 10) : 0;
}
} // namespace

TransferWatchdog::TransferWatchdog(QNetworkReply* reply, const TransferLimits& limits, const QString& logCategory)
    : QObject(reply)
    , m_reply(reply)
    , m_limits(limits)
    , m_logCategory(logCategory)
{
    connect(reply, &QNetworkReply::uploadProgress, this, &TransferWatchdog::onUploadProgress);
    connect(reply, &QNetworkReply::downloadProgress, this, &TransferWatchdog::onDownloadProgress);
    connect(reply, &QNetworkReply::metaDataChanged, this, &TransferWatchdog::onHead);
    // Qt reports progress at most every 100 ms unless told otherwise; arriving data is
    // announced every time.
    connect(reply, &QNetworkReply::readyRead, this, [this] {
        onHead();
        m_sinceActivity.restart();
    });
    connect(reply, &QNetworkReply::finished, &m_tick, &QTimer::stop);
    connect(&m_tick, &QTimer::timeout, this, &TransferWatchdog::check);
    m_sinceActivity.start();
    m_phaseClock.start();
    enterPhase(AwaitingHead);
    m_tick.start(tickIntervalMs(limits));
}

void TransferWatchdog::watch(QNetworkReply* reply, const TransferLimits& limits, const QString& logCategory)
{
    if (!reply || reply->isFinished() || tickIntervalMs(limits) == 0)
        return;
    new TransferWatchdog(reply, limits, logCategory);
}

void TransferWatchdog::enterPhase(Phase phase)
{
    m_phase = phase;
    m_phaseClock.restart();
    m_phaseBytes = 0;
    m_samples = {Sample{0, 0}};
    m_sinceActivity.restart();
}

void TransferWatchdog::onUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    // Qt reports (0, 0) around requests without a body; that says nothing.
    if (bytesSent <= 0 && bytesTotal <= 0)
        return;
    // Once the whole body is handed over, the wait for the head begins.
    if (m_phase != Receiving) {
        const Phase next = bytesSent < bytesTotal ? Sending : AwaitingHead;
        if (next != m_phase)
            enterPhase(next);
    }
    // A body sent again (the network stack may do so on a new connection) starts from 0.
    moved(bytesSent - m_lastSent);
    m_lastSent = bytesSent;
}

void TransferWatchdog::onDownloadProgress(qint64 bytesReceived)
{
    onHead();
    moved(bytesReceived - m_lastReceived);
    m_lastReceived = bytesReceived;
}

void TransferWatchdog::onHead()
{
    if (m_phase != Receiving)
        enterPhase(Receiving);
}

void TransferWatchdog::moved(qint64 bytes)
{
    if (bytes <= 0)
        return;
    m_phaseBytes += bytes;
    m_sinceActivity.restart();
}

void TransferWatchdog::check()
{
    if (m_reply->isFinished()) {
        m_tick.stop();
        return;
    }
    const qint64 idle = m_sinceActivity.elapsed();
    if (m_phase == AwaitingHead) {
        if (m_limits.headMs > 0 && idle >= m_limits.headMs)
            giveUp(QStringLiteral("No answer within %1 ms of the request, giving it up.").arg(m_limits.headMs));
        return;
    }
    if (m_limits.stallMs > 0 && idle >= m_limits.stallMs) {
        giveUp(QStringLiteral("No data moved for %1 ms, giving up the transfer.").arg(m_limits.stallMs));
        return;
    }
    if (tooSlow())
        giveUp(QStringLiteral("Fewer than %1 bytes/s over %2 ms, giving up the transfer.")
                   .arg(m_limits.lowSpeedBytesPerSecond)
                   .arg(m_limits.lowSpeedWindowMs));
}

bool TransferWatchdog::tooSlow()
{
    const qint64 window = m_limits.lowSpeedWindowMs;
    if (m_limits.lowSpeedBytesPerSecond <= 0 || window <= 0)
        return false;
    const qint64 now = m_phaseClock.elapsed();
    m_samples.append(Sample{now, m_phaseBytes});
    // Keep one sample at least a window old as the base of the average, and none older.
    while (m_samples.size() >= 2 && now - m_samples.at(1).atMs >= window)
        m_samples.removeFirst();
    const Sample base = m_samples.first();
    const qint64 span = now - base.atMs;
    if (span < window)
        return false;
    return (m_phaseBytes - base.bytes) * 1000 < qint64(m_limits.lowSpeedBytesPerSecond) * span;
}

void TransferWatchdog::giveUp(const QString& reason)
{
    m_tick.stop();
    if (m_reply->isFinished())
        return;
    CLogger::logMessage(CLogger::LogLevelWarning, m_logCategory, reason);
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
