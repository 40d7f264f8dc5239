#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>
#include <QVector>

namespace Tovrin {
namespace Shared {

// How long a transfer may wait and how slowly it may move before it is given up. These bound
// waiting, never arriving: an answer that keeps coming at link speed, however long it takes in
// all, is not cut. Zero or less leaves a limit off.
//
// The defaults come from the field: a tablet in a van or beside a manhole loses its link for a
// minute at a time, and TCP's retransmission back-off stretches such an outage to a silence of
// up to twice its length and one retransmission time more (two minutes and more where a
// modem's queue makes that time long); the slowest link (9.6 kbit/s) carries about 1.1 KB/s. A
// transfer survives both, while a peer that sends nothing is given up after 180 s and one that
// trickles at 160 B/s after 240 s (each plus one check interval).
struct TransferLimits
{
    // From the moment the request, its body included, has left the tablet (as far as the
    // tablet can see that; else from when the whole body would have left at the lowest rate)
    // until the answer's status and headers are in.
    int headMs = 180000;
    // No byte either way for this long while the request body goes out or the answer comes in.
    int stallMs = 180000;
    // An average below this many bytes per second over the window, while a body moves (as
    // curl's --speed-limit and --speed-time), ends a trickle that never quite stalls. A silence
    // of two minutes inside the window still leaves a 9.6 kbit/s link at twice the floor.
    int lowSpeedBytesPerSecond = 256;
    int lowSpeedWindowMs = 240000;
};

// Gives up a reply that waits too long for its head, or whose body (the request's on the way
// out, the answer's on the way in) stalls or trickles below the minimum rate. Every byte that
// moves counts (each chunk handed to the network, each chunk that arrives, and what the peer
// acknowledges of a body that Qt has handed over but the kernel still holds), not only the
// progress steps reported to the operator. The watchdog is a child of the reply; a reply it gave
// up ends with OperationCanceledError, which errorOf() reports as a time-out. Used by the web
// client and the software updater alike; watching a reply also bounds what it buffers, and ends
// a redirect (a 3xx status) at its head: its status and Location are all that either client
// takes from it, and a page never read cannot fill memory, on a new or a reused connection.
class TransferWatchdog : public QObject
{
    Q_OBJECT

public:
    // Largest answer held whole in memory (API replies, the update information) and largest
    // page read and dropped (error and redirect pages); files stream to disk. Whoever reads an
    // answer gives it up past this size.
    static constexpr qint64 MaxReplyBytes = 8 * 1024 * 1024;
    // What a reply may hold that its reader has not taken yet: a peer faster than the reader
    // waits at the socket instead of filling memory.
    static constexpr qint64 ReadBufferBytes = 1024 * 1024;
    // Largest head taken in: a head is no larger than an answer held whole. A PeerNetworkAccess
    // holds its replies' heads to it.
    static constexpr qint64 MaxHeadBytes = MaxReplyBytes;

    // The log lines of a reply given up go to the category. A reply to an address that ends
    // before its head came (given up here, by the caller or cancelled) has the reading of its
    // connection ended as PeerNetworkAccess says, which Qt alone may not do.
    static void watch(QNetworkReply* reply, const TransferLimits& limits,
                      const QString& logCategory = QStringLiteral("TovrinWeb"));
    // The reply's error, with a reply given up here as TimeoutError, a refused answer as
    // ProtocolFailure and an unfollowed redirect (a 3xx status, ended at its head or not) as
    // ProtocolUnknownError.
    static QNetworkReply::NetworkError errorOf(QNetworkReply* reply);
    static bool timedOut(const QNetworkReply* reply);

    // Ends a reply whose answer cannot be used (too large, encoded), with a log line.
    static void refuse(QNetworkReply* reply, const QString& reason, const QString& logCategory = QStringLiteral("TovrinWeb"));
    static bool refused(const QNetworkReply* reply);
    // Whether the reply is a redirect that was ended at its head (its error then reads
    // OperationCanceledError; its status and headers are there).
    static bool endedAtRedirect(const QNetworkReply* reply);
    // Ends a reply its owner no longer wants and deletes it later. One that has failed already,
    // with its end still on the way, is left to end by itself (Qt warns at a second error).
    static void drop(QNetworkReply* reply);
    // The answer's content or transfer coding when it is anything but the bytes as stored (no
    // coding, "identity" or only "chunked"); empty otherwise. Requests ask for "identity", so
    // that every limit counts what the peer sent and a cut body shows against its announced length.
    static QByteArray contentEncoding(const QNetworkReply* reply);

private:
    enum Phase
    {
        AwaitingHead,
        // The body goes out: handed over to the network, then, once handed over, acknowledged
        // by the peer while the kernel still holds the rest.
        Sending,
        Receiving
    };

    TransferWatchdog(QNetworkReply* reply, const TransferLimits& limits, const QString& logCategory);
    void onUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void onDownloadProgress(qint64 bytesReceived);
    void onHead();
    void enterPhase(Phase phase, bool restartIdleClock = true);
    void moved(qint64 bytes);
    void check();
    enum Drain
    {
        // Seen to have left, by its last byte seen to move.
        Drained,
        Leaving,
        // Where nothing of it can be seen: it may still be on its way, or it has had the time.
        MayBeLeaving,
        HadTimeToLeave
    };
    // Follows what the kernel still holds of a body handed over.
    Drain bodyDrain();
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
    bool m_bodyHandedOver = false;
    qint64 m_bodyBytes = 0;
    QElapsedTimer m_sinceSending;
    // Unacknowledged bytes towards the peer at the last look; -1 before the first.
    qint64 m_unacknowledged = -1;
    // Since the body was handed over whole, and how long what the kernel holds may keep the
    // wait for the head from starting.
    QElapsedTimer m_sinceHandOver;
    qint64 m_drainLimitMs = 0;
    quint16 m_peerPort = 0;
    // The host when the address names it; empty for a name (every connection to the port counts).
    QList<QHostAddress> m_peerAddresses;
    // Bytes moved in the phase as seen at each tick, oldest first, spanning at least the window.
    QVector<Sample> m_samples;
};

} // namespace Shared
} // namespace Tovrin
