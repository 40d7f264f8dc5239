#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

class QIODevice;

namespace Tovrin {
namespace Web {

// One HTTP/1.1 PUT of a file to a plain or TLS address, streamed straight onto the socket.
// QNetworkAccessManager feeds an upload body in 16 KiB steps with at most 32 KiB queued, which
// halves the throughput of large files; this reply keeps a few MiB in flight and reads the file
// as the socket drains, so memory stays small whatever the file size. It behaves as a finished
// QNetworkReply does for the request handles: status attribute, raw headers, body, network error.
// The body device is not owned and must outlive the reply; the socket is its child.
class StreamingPutReply : public QNetworkReply
{
    Q_OBJECT

public:
    StreamingPutReply(const QNetworkRequest& request, QIODevice* body, QObject* parent = nullptr);
    ~StreamingPutReply() override;

    // Only http and https addresses are handled here.
    static bool supports(const QUrl& url);
    // The network error for an HTTP status, as QNetworkAccessManager reports it.
    static NetworkError errorForStatus(int status);

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void onConnected();
    void onBytesWritten(qint64 bytes);
    void onReadyRead();
    void onDisconnected();
    void onSocketError(QAbstractSocket::SocketError socketError);
    void fill();
    bool parseHead();
    void complete();
    void fail(NetworkError error, const QString& text);
    void finishReply();

    QPointer<QAbstractSocket> m_socket;
    QIODevice* m_body = nullptr;
    QByteArray m_head;
    QByteArray m_chunk;
    QByteArray m_incoming;
    QByteArray m_content;
    qint64 m_contentRead = 0;
    qint64 m_bodySize = 0;
    qint64 m_bodyQueued = 0;
    qint64 m_headSize = 0;
    qint64 m_written = 0;
    qint64 m_expectedContent = -1;
    int m_status = 0;
    bool m_headParsed = false;
    bool m_done = false;
};

} // namespace Web
} // namespace Tovrin
