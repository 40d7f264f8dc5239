#pragma once

#include <QElapsedTimer>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>
#include <QVector>

namespace Tovrin {
namespace Web {

// How long a transfer may wait and how slowly it may move before it is given up. These bound
// waiting, never arriving: an answer that keeps coming at link speed, however long it takes in
// all, is not cut. Zero or less leaves a limit off.
struct TransferLimits
{
    // From the moment the request is sent until the answer's status and headers are in.
    int headMs = 60000;
    // No byte either way for this long while the request body goes out or the answer comes in.
    int stallMs = 60000;
    // An average below this many bytes per second over the window, while a body moves (as
    // curl's --speed-limit and --speed-time), ends a trickle that never quite stalls.
    int lowSpeedBytesPerSecond = 1024;
    int lowSpeedWindowMs = 60000;
};

// Gives up a reply that waits too long for its head, or whose body (the request's on the way
// out, the answer's on the way in) stalls or trickles below the minimum rate. Every byte that
// moves counts (each chunk handed to the network, each chunk that arrives), not only the
// progress steps reported to the operator. The watchdog is a child of the reply; a reply it gave
// up ends with OperationCanceledError, which errorOf() reports as a time-out. Used by the web
// client and the software updater alike.
class TransferWatchdog : public QObject
{
    Q_OBJECT

public:
    // Largest answer held whole in memory (API replies, the update information); files stream
    // to disk. Whoever reads an answer into memory gives it up past this size.
    static constexpr qint64 MaxReplyBytes = 8 * 1024 * 1024;

    // The log lines of a reply given up go to the category.
    static void watch(QNetworkReply* reply, const TransferLimits& limits,
                      const QString& logCategory = QStringLiteral("TovrinWeb"));
    // The reply's error, with a reply given up here as TimeoutError and an unfollowed redirect
    // (a 3xx status without error) as ProtocolUnknownError.
    static QNetworkReply::NetworkError errorOf(QNetworkReply* reply);
    static bool timedOut(const QNetworkReply* reply);

private:
    enum Phase
    {
        AwaitingHead,
        Sending,
        Receiving
    };

    TransferWatchdog(QNetworkReply* reply, const TransferLimits& limits, const QString& logCategory);
    void onUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void onDownloadProgress(qint64 bytesReceived);
    void onHead();
    void enterPhase(Phase phase);
    void moved(qint64 bytes);
    void check();
    bool tooSlow();
    void giveUp(const QString& reason);

    struct Sample
    {
        qint64 atMs;
        qint64 bytes;
    };

    QNetworkReply* m_reply;
    TransferLimits m_limits;
    QString m_logCategory;
    QTimer m_tick;
    Phase m_phase = AwaitingHead;
    // Restarted by every byte that moves and by each change of phase.
    QElapsedTimer m_sinceActivity;
    QElapsedTimer m_phaseClock;
    qint64 m_phaseBytes = 0;
    qint64 m_lastSent = 0;
    qint64 m_lastReceived = 0;
    // Bytes moved in the phase as seen at each tick, oldest first, spanning at least the window.
    QVector<Sample> m_samples;
};

} // namespace Web
} // namespace Tovrin
