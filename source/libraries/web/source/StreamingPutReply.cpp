#include "StreamingPutReply.h"

#include <QSslSocket>
#include <QTcpSocket>

namespace Tovrin {
namespace Web {

namespace {
// How much of the body may wait in the socket's buffer, and how much is read from the file at once.
const qint64 kInFlightBytes = 4 * 1024 * 1024;
const qint64 kReadStep = 1024 * 1024;
const int kMaxHeadBytes = 64 * 1024;

QNetworkReply::NetworkError errorForSocket(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
        return QNetworkReply::SslHandshakeFailedError;
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
        return QNetworkReply::ProxyConnectionRefusedError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}
} // namespace

StreamingPutReply::StreamingPutReply(const QNetworkRequest& request, QIODevice* body, QObject* parent)
    : QNetworkReply(parent)
    , m_body(body)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::PutOperation);
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);

    const QUrl url = request.url();
    const bool tls = url.scheme() == QLatin1String("https");
    m_bodySize = body ? body->size() - body->pos() : 0;

    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    const int defaultPort = tls ? 443 : 80;
    const int port = url.port(defaultPort);
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (port != defaultPort)
        host += ':' + QByteArray::number(port);
    m_head = "PUT " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    const QList<QByteArray> names = request.rawHeaderList();
    for (const QByteArray& name : names) {
        const QByteArray lower = name.toLower();
        if (lower == "host" || lower == "content-length" || lower == "connection" || lower == "transfer-encoding")
            continue;
        m_head += name + ": " + request.rawHeader(name) + "\r\n";
    }
    m_head += "Content-Length: " + QByteArray::number(m_bodySize) + "\r\nConnection: close\r\n\r\n";
    m_headSize = m_head.size();

    QAbstractSocket* socket = nullptr;
    if (tls) {
        auto* ssl = new QSslSocket(this);
        ssl->setSslConfiguration(request.sslConfiguration());
        ssl->setPeerVerifyName(url.host());
        connect(ssl, &QSslSocket::encrypted, this, &StreamingPutReply::onConnected);
        socket = ssl;
    } else {
        socket = new QTcpSocket(this);
        connect(socket, &QAbstractSocket::connected, this, &StreamingPutReply::onConnected);
    }
    m_socket = socket;
    connect(socket, &QAbstractSocket::bytesWritten, this, &StreamingPutReply::onBytesWritten);
    connect(socket, &QAbstractSocket::readyRead, this, &StreamingPutReply::onReadyRead);
    connect(socket, &QAbstractSocket::disconnected, this, &StreamingPutReply::onDisconnected);
    connect(socket, &QAbstractSocket::errorOccurred, this, &StreamingPutReply::onSocketError);
    if (tls)
        static_cast<QSslSocket*>(socket)->connectToHostEncrypted(url.host(), quint16(port));
    else
        socket->connectToHost(url.host(), quint16(port));
}

StreamingPutReply::~StreamingPutReply()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

bool StreamingPutReply::supports(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QNetworkReply::NetworkError StreamingPutReply::errorForStatus(int status)
{
    if (status < 400)
        return NoError;
    switch (status) {
    case 401:
        return AuthenticationRequiredError;
    case 403:
        return ContentAccessDenied;
    case 404:
        return ContentNotFoundError;
    case 405:
        return ContentOperationNotPermittedError;
    case 407:
        return ProxyAuthenticationRequiredError;
    case 409:
        return ContentConflictError;
    case 410:
        return ContentGoneError;
    case 418:
        return ProtocolInvalidOperationError;
    case 500:
        return InternalServerError;
    case 501:
        return OperationNotImplementedError;
    case 503:
        return ServiceUnavailableError;
    default:
        return status < 500 ? UnknownContentError : UnknownServerError;
    }
}

void StreamingPutReply::onConnected()
{
    if (m_done)
        return;
    m_socket->write(m_head);
    fill();
}

void StreamingPutReply::fill()
{
    if (!m_socket || m_done || !m_body)
        return;
    if (m_chunk.isEmpty())
        m_chunk.resize(int(kReadStep));
    while (m_bodyQueued < m_bodySize && m_socket->bytesToWrite() < kInFlightBytes) {
        const qint64 read = m_body->read(m_chunk.data(), qMin<qint64>(m_chunk.size(), m_bodySize - m_bodyQueued));
        if (read <= 0) {
            fail(UnknownNetworkError, QStringLiteral("Could not read the upload body."));
            return;
        }
        m_socket->write(m_chunk.constData(), read);
        m_bodyQueued += read;
    }
}

void StreamingPutReply::onBytesWritten(qint64 bytes)
{
    if (m_done)
        return;
    m_written += bytes;
    const qint64 sent = qBound<qint64>(0, m_written - m_headSize, m_bodySize);
    emit uploadProgress(sent, m_bodySize);
    fill();
}

bool StreamingPutReply::parseHead()
{
    const int end = m_incoming.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = m_incoming.left(end).split('\n');
    const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
    bool numeric = false;
    m_status = statusLine.value(1).toInt(&numeric);
    if (!statusLine.value(0).startsWith("HTTP/") || !numeric) {
        fail(ProtocolFailure, QStringLiteral("Unreadable HTTP status line."));
        return false;
    }
    if (m_status >= 100 && m_status < 200) {
        // An interim answer ("100 Continue"): the real one follows.
        m_incoming.remove(0, end + 4);
        return parseHead();
    }
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, m_status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute,
                 QString::fromLatin1(lines.value(0).trimmed().split(' ').mid(2).join(' ')));
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        setRawHeader(name, value);
        if (name.compare("content-length", Qt::CaseInsensitive) == 0)
            m_expectedContent = value.toLongLong();
    }
    m_content = m_incoming.mid(end + 4);
    m_incoming.clear();
    m_headParsed = true;
    return true;
}

void StreamingPutReply::onReadyRead()
{
    if (m_done || !m_socket)
        return;
    if (!m_headParsed) {
        m_incoming += m_socket->readAll();
        if (!parseHead()) {
            if (!m_done && m_incoming.size() > kMaxHeadBytes)
                fail(ProtocolFailure, QStringLiteral("HTTP response head too large."));
            return;
        }
    } else {
        m_content += m_socket->readAll();
    }
    if (m_expectedContent >= 0 && m_content.size() >= m_expectedContent) {
        m_content.truncate(int(m_expectedContent));
        complete();
    }
}

void StreamingPutReply::onDisconnected()
{
    if (m_done)
        return;
    if (m_socket && m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (m_done)
        return;
    if (!m_headParsed || (m_expectedContent >= 0 && m_content.size() < m_expectedContent)) {
        fail(RemoteHostClosedError, QStringLiteral("Connection closed before the response was complete."));
        return;
    }
    complete();
}

void StreamingPutReply::onSocketError(QAbstractSocket::SocketError socketError)
{
    if (m_done)
        return;
    // A close after the response is the normal end of a "Connection: close" exchange.
    if (socketError == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    fail(errorForSocket(socketError), m_socket ? m_socket->errorString() : QString());
}

void StreamingPutReply::complete()
{
    if (m_done)
        return;
    m_done = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    const NetworkError error = errorForStatus(m_status);
    if (error != NoError)
        setError(error, QStringLiteral("Error transferring %1 - server replied: %2")
                            .arg(url().toString(QUrl::RemoveQuery),
                                 attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
    finishReply();
    if (error != NoError)
        emit errorOccurred(error);
    if (!m_content.isEmpty())
        emit readyRead();
    emit finished();
}

void StreamingPutReply::fail(NetworkError error, const QString& text)
{
    if (m_done)
        return;
    m_done = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    m_content.clear();
    setError(error, text);
    finishReply();
    emit errorOccurred(error);
    emit finished();
}

void StreamingPutReply::finishReply()
{
    setFinished(true);
}

void StreamingPutReply::abort()
{
    fail(OperationCanceledError, QStringLiteral("Operation canceled"));
}

qint64 StreamingPutReply::bytesAvailable() const
{
    return m_content.size() - m_contentRead + QNetworkReply::bytesAvailable();
}

qint64 StreamingPutReply::readData(char* data, qint64 maxSize)
{
    const qint64 count = qMin<qint64>(maxSize, m_content.size() - m_contentRead);
    if (count <= 0)
        return m_done ? -1 : 0;
    memcpy(data, m_content.constData() + m_contentRead, size_t(count));
    m_contentRead += count;
    return count;
}

qint64 StreamingPutReply::writeData(const char* data, qint64 maxSize)
{
    Q_UNUSED(data)
    Q_UNUSED(maxSize)
    return -1;
}

} // namespace Web
} // namespace Tovrin
