#pragma once

#include <QElapsedTimer>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>

namespace Tovrin {
namespace Web {

// Gives up a reply that moves no data for a while, or, with a deadline, one that has not
// finished in that time in all: a stalled peer must not hold a transfer forever, and one that
// trickles a byte now and then must not hold a small request forever. Every byte that moves
// counts (each body chunk handed to the network, each chunk that arrives), not only the
// progress steps that are reported to the operator. The watchdog is a child of the reply; a
// reply it gave up ends with OperationCanceledError, which errorOf() reports as a time-out.
class TransferWatchdog : public QObject
{
    Q_OBJECT

public:
    // Watches the reply; 0 or less leaves that limit off.
    static void watch(QNetworkReply* reply, int idleTimeoutMs, int deadlineMs = 0);
    // The reply's error, with a reply given up here as TimeoutError and an unfollowed redirect
    // (a 3xx status without error) as ProtocolUnknownError.
    static QNetworkReply::NetworkError errorOf(QNetworkReply* reply);
    static bool timedOut(const QNetworkReply* reply);

private:
    TransferWatchdog(QNetworkReply* reply, int idleTimeoutMs, int deadlineMs);
    void onActivity();
    void onIdleCheck();
    void giveUp(const QString& reason);

    QNetworkReply* m_reply;
    QTimer m_idleTimer;
    QTimer m_deadlineTimer;
    // Restarted by every byte that moves; the idle timer only looks at it when it fires, so
    // that a fast transfer costs no timer restart per chunk.
    QElapsedTimer m_sinceActivity;
    int m_idleTimeoutMs;
};

} // namespace Web
} // namespace Tovrin
