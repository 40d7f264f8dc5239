#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QTimer>

namespace Tovrin {
namespace Web {

// Gives up a reply that moves no data for a while: a stalled peer must not hold a transfer
// forever. The watchdog is a child of the reply; a reply it gave up ends with
// OperationCanceledError, which errorOf() reports as a time-out.
class TransferWatchdog : public QObject
{
    Q_OBJECT

public:
    // Watches the reply; 0 or less leaves it unwatched.
    static void watch(QNetworkReply* reply, int idleTimeoutMs);
    // The reply's error, with a stalled transfer as TimeoutError and an unfollowed redirect
    // (a 3xx status without error) as ProtocolUnknownError.
    static QNetworkReply::NetworkError errorOf(QNetworkReply* reply);
    static bool timedOut(const QNetworkReply* reply);

private:
    TransferWatchdog(QNetworkReply* reply, int idleTimeoutMs);
    void onActivity();
    void onIdle();

    QNetworkReply* m_reply;
    QTimer m_timer;
    int m_idleTimeoutMs;
};

} // namespace Web
} // namespace Tovrin
