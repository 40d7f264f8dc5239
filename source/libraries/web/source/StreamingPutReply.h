#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkReply>
#include <QPointer>

class QIODevice;
class QNetworkAccessManager;
class QTcpSocket;

namespace Tovrin {
namespace Web {

// One PUT over plain HTTP whose body streams from a device straight into the reply's own
// socket, in large steps, on the thread that owns the reply. Qt's network access manager
// hands an upload body to its HTTP thread 16 KiB at a time, each step a round trip between
// the two threads and a copy, which halves the rate of a fast link; TLS and proxies stay with
// the manager (supports()). One request per connection. The body device is not owned: it
// must stay open until the reply has finished. Its answer is read like any reply's.
class StreamingPutReply : public QNetworkReply
{
    Q_OBJECT

public:
    StreamingPutReply(const QNetworkRequest& request, QIODevice* body, QObject* parent = nullptr);
    ~StreamingPutReply() override;

    // Plain HTTP, and no proxy between the manager and the address.
    static bool supports(const QNetworkRequest& request, QNetworkAccessManager* manager);

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;

private:
    enum class Phase
    {
        Connecting,
        Sending,
        Answer,
        Done
    };

    void onConnected();
    void sendBody();
    void onReadyRead();
    void onDisconnected();
    void onSocketError(QAbstractSocket::SocketError socketError);
    // Reads what arrived of the answer; true once the answer is complete.
    bool readAnswer();
    bool readHead();
    bool readChunkedBody();
    void takeBody(const QByteArray& bytes);
    void complete();
    void fail(NetworkError networkError, const QString& text);

    QTcpSocket* m_socket = nullptr;
    QPointer<QIODevice> m_body;
    QByteArray m_step;
    qint64 m_total = 0;
    qint64 m_sent = 0;
    bool m_continuationQueued = false;
    Phase m_phase = Phase::Connecting;

    QByteArray m_incoming;
    QByteArray m_content;
    bool m_headRead = false;
    bool m_chunked = false;
    qint64 m_contentLength = -1;
    qint64 m_bodyReceived = 0;
    qint64 m_chunkLeft = -1;
    bool m_trailers = false;
};

} // namespace Web
} // namespace Tovrin
