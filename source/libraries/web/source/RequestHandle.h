#pragma once

#include "TovrinWebTypes.h"
#include "TransferWatchdog.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>

#include <functional>

namespace Tovrin {
namespace Web {

// The watchdog lives in the shared library, beside its other clients; the web client names it
// as its own.
using Shared::TransferLimits;
using Shared::TransferWatchdog;

// Follows one request of the web client: takes its reply, reads body and headers when it
// finishes, sends it again where retries are enabled, and lets the subclass turn it into its
// typed reply. Whoever receives a handle from the communicator owns it; the handle owns its
// reply (a QObject child), which is deleted with its network access manager should that go
// first. Lives on the web worker thread.
//
// A reply whose head does not come, or whose body stalls or trickles below the minimum rate
// (TransferLimits), is aborted and reported as a time-out, so a silent or trickling peer cannot
// hold a request forever; an answer that keeps arriving at link speed is never cut. Every answer,
// whatever its status, is held to a bound while it arrives: one larger than the bound, or one
// encoded although asked for as stored, is refused and reported as an invalid reply. A redirect
// is no answer: it ends at its head, its page unread.
class RequestHandle : public QObject
{
    Q_OBJECT

public:
    explicit RequestHandle(QObject* parent = nullptr);
    ~RequestHandle() override;

    virtual void setReply(QNetworkReply* reply);
    virtual void retry();
    virtual void logNetworkError();
    virtual void handleReply(const QString& text, const QList<QNetworkReply::RawHeaderPair>& headers,
                             QNetworkReply::NetworkError error);
    virtual void handleUploadProgress(qint64 bytesSent, qint64 bytesTotal);

    void enableRetry(QNetworkAccessManager* manager, const QByteArray& body);
    // Builds the request anew for each retry. Signed service requests need it: a service that
    // enforces one-time message tokens refuses a second copy of the same Date, token and signature.
    void setRequestFactory(std::function<QNetworkRequest()> factory) { m_requestFactory = std::move(factory); }
    void disableRetry();
    QNetworkReply* reply() const { return m_reply; }
    void abort();
    QString handleClassName() const;
    int retryCount() const { return m_retryCount; }
    QByteArray responseData() const { return m_responseData; }
    QList<QNetworkReply::RawHeaderPair> rawHeaders() const { return m_rawHeaders; }
    QNetworkReply::NetworkError lastError() const { return m_lastError; }
    // The HTTP status of the last finished reply; 0 when none came.
    int httpStatus() const { return m_httpStatus; }

    // The limits of each reply given to the handle from now on.
    void setTransferLimits(const TransferLimits& limits) { m_transferLimits = limits; }
    TransferLimits transferLimits() const { return m_transferLimits; }

    // Waits, with a nested event loop bounded by timeoutMs, until the handle has handled its
    // reply. On time-out: empty text and networkError 4; the reply stays with the handle.
    // refused tells whether the answer was refused (replyRefused()).
    static QString waitForReply(RequestHandle* handle, int timeoutMs, int* networkError, bool* refused = nullptr);

    static constexpr int MaxRetries = 5;
    // Largest reply body held in memory. API replies are small; file contents go through the
    // downloads, which stream to disk. A larger reply is refused.
    static constexpr qint64 MaxReplyBytes = TransferWatchdog::MaxReplyBytes;
    // Whether the answer of the last finished reply was refused (too large, or encoded): it is
    // then no reply at all, whatever the network said.
    bool replyRefused() const { return m_replyRefused; }

signals:
    void errorOccurred(Tovrin::Web::Error error);
    // Emitted once a reply has been handled (not when it is being retried).
    void replyHandled();

public slots:
    void onReplyFinished();
    void onReplyUploadProgress(qlonglong bytesSent, qlonglong bytesTotal);

private slots:
    void onReplyHead();
    void onReplyReadyRead();

protected:
    // The most a peer may send as this handle's answer.
    virtual qint64 bodyLimit() const { return MaxReplyBytes; }
    // Handles that read their answer as it arrives take each piece here, and nothing is held
    // for them; bodyRestarted() comes before the first piece of every reply. An error or
    // redirect page is not theirs: it is held like any other answer, within MaxReplyBytes.
    // bodyArrived() is false when the answer cannot be what was asked for: it is refused then.
    virtual bool readsBodyAsItArrives() const { return false; }
    virtual bool bodyArrived(const QByteArray& piece)
    {
        Q_UNUSED(piece)
        return true;
    }
    virtual void bodyRestarted() {}

    virtual bool shouldRetry(QNetworkReply::NetworkError error) const;
    // Sends the request once more, as the operation did; null when it cannot be sent again.
    virtual QNetworkReply* sendAgain(QNetworkAccessManager* manager, const QNetworkRequest& request,
                                     QNetworkAccessManager::Operation operation);
    // The error the finished reply ended with, a stalled transfer counting as a time-out.
    QNetworkReply::NetworkError effectiveError(QNetworkReply* reply) const;
    // Hands a finished reply to handleReply and announces it.
    void finishReply(QNetworkReply* reply, QNetworkReply::NetworkError error);
    // Moves what the reply has received into the body buffer (or to bodyArrived), up to the limit.
    void drainReply(QNetworkReply* reply);

private:
    // The most an answer may hold: an error or redirect page (page) or the answer asked for.
    qint64 answerLimit(bool page) const;

    QByteArray m_responseData;
    // The body of the current reply as it arrives, never more than the limit.
    QByteArray m_incoming;
    qint64 m_received = 0;
    bool m_replyRefused = false;
    QList<QNetworkReply::RawHeaderPair> m_rawHeaders;
    QByteArray m_requestBody;
    QPointer<QNetworkReply> m_reply;
    QNetworkAccessManager* m_manager = nullptr;
    std::function<QNetworkRequest()> m_requestFactory;
    int m_retryCount = 0;
    bool m_retryEnabled = false;
    TransferLimits m_transferLimits;
    bool m_handled = false;
    QNetworkReply::NetworkError m_lastError = QNetworkReply::NoError;
    int m_httpStatus = 0;
};

} // namespace Web
} // namespace Tovrin
