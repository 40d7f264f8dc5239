#include "TransferWatchdog.h"

#include "PeerConnections.h"
#include "PeerNetworkAccess.h"

#include "CLogger.h"

#include <QNetworkRequest>
#include <QUrl>
#include <QtGlobal>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Shared {

namespace {
const char kTimedOutProperty[] = "cxTransferTimedOut";
const char kRefusedProperty[] = "cxReplyRefused";
const char kRedirectEndedProperty[] = "cxRedirectEnded";

bool isRedirectStatus(const QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 300 && status < 400;
}

// Every limit is looked at ten times per the shortest of them: a stall of the default 180 s is
// ended within 198 s, without a timer restart for every chunk of a fast transfer.
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
    const QUrl url = reply->url();
    m_peerPort = PeerNetworkAccess::portOf(url);
    const QHostAddress literal(url.host());
    if (!literal.isNull())
        m_peerAddresses.append(literal);
    m_sinceActivity.start();
    m_phaseClock.start();
    enterPhase(AwaitingHead);
    m_tick.start(tickIntervalMs(limits));
}

void TransferWatchdog::watch(QNetworkReply* reply, const TransferLimits& limits, const QString& logCategory)
{
    if (!reply || reply->isFinished())
        return;
    // First: a request without a body is already running, and unless its manager is a
    // PeerNetworkAccess, what its answer brings before the limit is set is read ahead without bound.
    reply->setReadBufferSize(ReadBufferBytes);
    // Qt may take in a fast page far ahead of any read buffer size (on a reused connection it
    // was seen to hold hundreds of MiB of an endless redirect page before the reader heard of
    // any): a redirect ends at its head, before anything of its page is asked for.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, logCategory] {
        if (reply->isFinished() || !isRedirectStatus(reply) || endedAtRedirect(reply))
            return;
        CLogger::logMessage(CLogger::LogLevelInfo, logCategory,
                            QStringLiteral("A redirect (status %1) is taken from its head; its page is not read.")
                                .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        reply->setProperty(kRedirectEndedProperty, true);
        reply->abort();
    });
    // Qt starts a request with a body on its network thread one turn later, and a read buffer
    // size set before then never gets there: an answer would be taken in as fast as it comes.
    // Set again once that turn has come (whatever the reader has chosen by then), which is before
    // any of the body, asked of this thread piece by piece, can have gone out.
    QMetaObject::invokeMethod(
        reply, [reply] { reply->setReadBufferSize(reply->readBufferSize()); }, Qt::QueuedConnection);
    // Whoever ends the reply: the watchdog, the caller's own deadline or a cancel. A peer
    // access's own replies have theirs ended by it.
    reply->setProperty("cxLogCategory", logCategory);
    if (!dynamic_cast<PeerNetworkAccess*>(reply->manager()))
        QObject::connect(reply, &QNetworkReply::finished, reply,
                         [reply, logCategory] { PeerNetworkAccess::endHeadReading(reply, logCategory); });
    if (tickIntervalMs(limits) == 0)
        return;
    new TransferWatchdog(reply, limits, logCategory);
}

void TransferWatchdog::enterPhase(Phase phase, bool restartIdleClock)
{
    m_phase = phase;
    m_phaseClock.restart();
    m_phaseBytes = 0;
    m_samples = {Sample{0, 0}};
    if (restartIdleClock)
        m_sinceActivity.restart();
}

void TransferWatchdog::onUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    // Qt reports (0, 0) around requests without a body; that says nothing.
    if (bytesSent <= 0 && bytesTotal <= 0)
        return;
    if (m_phase != Receiving) {
        // Handed over whole is not yet sent: Qt's and the kernel's buffers may still hold a
        // minute of it on a slow uplink. The wait for the head begins once the peer has
        // acknowledged it (checked at each tick), or at once where that cannot be seen.
        const bool handedOver = bytesSent >= bytesTotal;
        if (handedOver && !m_bodyHandedOver)
            m_sinceHandOver.start();
        m_bodyHandedOver = handedOver;
        m_bodyBytes = bytesTotal;
        m_unacknowledged = -1;
        if (m_phase != Sending) {
            enterPhase(Sending);
            m_sinceSending.start();
        }
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
    if (m_phase == Sending && m_bodyHandedOver) {
        const Drain drain = bodyDrain();
        // The body left between the last byte seen to move and now: the wait counts from then.
        if (drain == Drained)
            enterPhase(AwaitingHead, false);
        // Nothing that moves can be seen, so nothing is measured until it has had the time.
        else if (drain == MayBeLeaving)
            return;
        else if (drain == HadTimeToLeave)
            enterPhase(AwaitingHead);
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

TransferWatchdog::Drain TransferWatchdog::bodyDrain()
{
    // A named host is matched by its port alone: a host name that resolves to another address
    // at every lookup (storage and content hosts do) would otherwise match no connection.
    const qint64 unacknowledged = PeerConnections::unacknowledgedBytes(m_peerPort, m_peerAddresses);
    if (unacknowledged < 0) {
        // The connection that carries the body cannot be seen (a proxy takes it, or the system
        // shows no send queues), and a proxy may hold all of it: the body may still be on its
        // way for as long as it needs at the lowest rate, counted from when it began to leave.
        const qint64 floor = m_limits.lowSpeedBytesPerSecond;
        if (floor <= 0)
            return Drained;
        return m_sinceSending.elapsed() < m_bodyBytes * 1000 / floor ? MayBeLeaving : HadTimeToLeave;
    }
    if (unacknowledged == 0)
        return Drained;
    if (m_unacknowledged < 0) {
        // The queue seen first may hold other requests' bodies to the same port as well, whose
        // acknowledgements would keep this one waiting for ever: the drain may take what that
        // much needs at the lowest rate, and the wait for a head once more.
        m_drainLimitMs = qMax(0, m_limits.headMs);
        if (m_limits.lowSpeedBytesPerSecond > 0)
            m_drainLimitMs += unacknowledged * 1000 / m_limits.lowSpeedBytesPerSecond;
    } else if (unacknowledged < m_unacknowledged) {
        moved(m_unacknowledged - unacknowledged);
    }
    m_unacknowledged = unacknowledged;
    return m_drainLimitMs <= 0 || m_sinceHandOver.elapsed() < m_drainLimitMs ? Leaving : Drained;
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
    // A reply that has failed already ends with its own cause.
    if (m_reply->isFinished() || m_reply->error() != QNetworkReply::NoError)
        return;
    CLogger::logMessage(CLogger::LogLevelWarning, m_logCategory, reason);
    m_reply->setProperty(kTimedOutProperty, true);
    m_reply->abort();
}

bool TransferWatchdog::timedOut(const QNetworkReply* reply)
{
    return reply && reply->property(kTimedOutProperty).toBool();
}

void TransferWatchdog::refuse(QNetworkReply* reply, const QString& reason, const QString& logCategory)
{
    if (!reply || refused(reply) || reply->error() != QNetworkReply::NoError)
        return;
    CLogger::logMessage(CLogger::LogLevelError, logCategory, reason);
    reply->setProperty(kRefusedProperty, true);
    reply->abort();
}

bool TransferWatchdog::refused(const QNetworkReply* reply)
{
    return reply && reply->property(kRefusedProperty).toBool();
}

void TransferWatchdog::drop(QNetworkReply* reply)
{
    if (!reply)
        return;
    if (reply->error() == QNetworkReply::NoError)
        reply->abort();
    reply->deleteLater();
}

bool TransferWatchdog::endedAtRedirect(const QNetworkReply* reply)
{
    return reply && reply->property(kRedirectEndedProperty).toBool();
}

QByteArray TransferWatchdog::contentEncoding(const QNetworkReply* reply)
{
    if (!reply)
        return QByteArray();
    const QByteArray encoding = reply->rawHeader(QByteArrayLiteral("Content-Encoding")).trimmed();
    if (!encoding.isEmpty() && encoding.compare(QByteArrayLiteral("identity"), Qt::CaseInsensitive) != 0)
        return encoding;
    // The network stack takes a chunked body apart but leaves any other transfer coding
    // ("gzip, chunked") on the bytes it hands over.
    const QList<QByteArray> codings = reply->rawHeader(QByteArrayLiteral("Transfer-Encoding")).split(',');
    for (const QByteArray& coding : codings) {
        const QByteArray name = coding.split(';').first().trimmed();
        if (!name.isEmpty() && name.compare(QByteArrayLiteral("chunked"), Qt::CaseInsensitive) != 0
            && name.compare(QByteArrayLiteral("identity"), Qt::CaseInsensitive) != 0)
            return coding.trimmed();
    }
    return QByteArray();
}

QNetworkReply::NetworkError TransferWatchdog::errorOf(QNetworkReply* reply)
{
    if (!reply)
        return QNetworkReply::UnknownNetworkError;
    if (timedOut(reply))
        return QNetworkReply::TimeoutError;
    if (refused(reply))
        return QNetworkReply::ProtocolFailure;
    if (endedAtRedirect(reply))
        return QNetworkReply::ProtocolUnknownError;
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

} // namespace Shared
} // namespace Tovrin
