#include "StreamingPutReply.h"

#include <QIODevice>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QTcpSocket>

namespace Tovrin {
namespace Web {

namespace {

// The body goes in steps of this size; one event-loop pass sends at most a few of them, so the
// worker thread stays responsive while a fast link takes everything it can.
const qint64 kStepBytes = 1024 * 1024;
const int kStepsPerPass = 8;
// An answer's head larger than this is no HTTP answer worth reading.
const int kMaxHeadBytes = 64 * 1024;

// The errors the network access manager gives for the same statuses.
QNetworkReply::NetworkError errorOfStatus(int status)
{
    switch (status) {
    case 400:
        return QNetworkReply::ProtocolInvalidOperationError;
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        break;
    }
    if (status >= 500)
        return QNetworkReply::UnknownServerError;
    if (status >= 400)
        return QNetworkReply::UnknownContentError;
    return QNetworkReply::NoError;
}

QNetworkReply::NetworkError errorOfSocket(QAbstractSocket::SocketError socketError)
{
    switch (socketError) {
    case QAbstractSocket::ConnectionRefusedError:
        return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::RemoteHostClosedError:
        return QNetworkReply::RemoteHostClosedError;
    case QAbstractSocket::HostNotFoundError:
        return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError:
        return QNetworkReply::TimeoutError;
    default:
        return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace

StreamingPutReply::StreamingPutReply(const QNetworkRequest& request, QIODevice* body, QObject* parent)
    : QNetworkReply(parent)
    , m_socket(new QTcpSocket(this))
    , m_body(body)
    , m_total(body ? body->size() - body->pos() : 0)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(QNetworkAccessManager::PutOperation);
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QTcpSocket::connected, this, &StreamingPutReply::onConnected);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &StreamingPutReply::sendBody);
    connect(m_socket, &QTcpSocket::readyRead, this, &StreamingPutReply::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &StreamingPutReply::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &StreamingPutReply::onSocketError);
    // Unbuffered: each step goes from the body's buffer straight to the kernel when it takes it.
    m_socket->connectToHost(request.url().host(), quint16(request.url().port(80)),
                            QIODevice::ReadWrite | QIODevice::Unbuffered);
}

StreamingPutReply::~StreamingPutReply()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

bool StreamingPutReply::supports(const QNetworkRequest& request, QNetworkAccessManager* manager)
{
    const QUrl url = request.url();
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 || url.host().isEmpty())
        return false;
    QNetworkProxy proxy = manager ? manager->proxy() : QNetworkProxy(QNetworkProxy::DefaultProxy);
    if (proxy.type() == QNetworkProxy::DefaultProxy) {
        const QNetworkProxyQuery query(url);
        const QList<QNetworkProxy> proxies = manager && manager->proxyFactory()
                                                 ? manager->proxyFactory()->queryProxy(query)
                                                 : QNetworkProxyFactory::proxyForQuery(query);
        proxy = proxies.value(0, QNetworkProxy(QNetworkProxy::NoProxy));
        if (proxy.type() == QNetworkProxy::DefaultProxy)
            proxy = QNetworkProxy::applicationProxy();
    }
    return proxy.type() == QNetworkProxy::NoProxy;
}

void StreamingPutReply::onConnected()
{
    if (m_phase != Phase::Connecting)
        return;
    const QNetworkRequest request = this->request();
    QUrl target = request.url();
    QUrl::FormattingOptions format =
        QUrl::RemoveFragment | QUrl::RemoveUserInfo | QUrl::FullyEncoded | QUrl::RemoveScheme | QUrl::RemoveAuthority;
    if (target.path().isEmpty())
        target.setPath(QStringLiteral("/"));
    else
        format |= QUrl::NormalizePathSegments;
    QByteArray host = target.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (target.port(80) != 80)
        host += ':' + QByteArray::number(target.port());

    QByteArray head = "PUT " + target.toEncoded(format) + " HTTP/1.1\r\nHost: " + host + "\r\n";
    const QList<QByteArray> names = request.rawHeaderList();
    for (const QByteArray& name : names) {
        const QByteArray lower = name.toLower();
        if (lower == "host" || lower == "content-length" || lower == "connection" || lower == "transfer-encoding")
            continue;
        head += name + ": " + request.rawHeader(name) + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(m_total) + "\r\nConnection: close\r\n\r\n";
    m_phase = Phase::Sending;
    if (m_socket->write(head) != head.size()) {
        fail(QNetworkReply::UnknownNetworkError, m_socket->errorString());
        return;
    }
    sendBody();
}

void StreamingPutReply::sendBody()
{
    m_continuationQueued = false;
    if (m_phase != Phase::Sending)
        return;
    // Only once the socket has handed everything before to the kernel: the body is never held
    // twice, and a slow peer slows the reading of the file.
    for (int pass = 0; pass < kStepsPerPass && m_sent < m_total && m_socket->bytesToWrite() == 0; ++pass) {
        if (!m_body || !m_body->isOpen()) {
            fail(QNetworkReply::UnknownNetworkError, QStringLiteral("The upload body went away"));
            return;
        }
        const qint64 want = qMin(kStepBytes, m_total - m_sent);
        if (m_step.size() < want)
            m_step.resize(int(want));
        const qint64 read = m_body->read(m_step.data(), want);
        if (read <= 0) {
            // A file cut short while it is sent must not end as a shorter upload.
            fail(QNetworkReply::UnknownNetworkError, QStringLiteral("The upload body could not be read"));
            return;
        }
        if (m_socket->write(m_step.constData(), read) != read) {
            fail(QNetworkReply::UnknownNetworkError, m_socket->errorString());
            return;
        }
        m_sent += read;
        emit uploadProgress(m_sent, m_total);
    }
    if (m_sent >= m_total) {
        m_phase = Phase::Answer;
        // An answer may have come before the last step went.
        if (readAnswer())
            complete();
        return;
    }
    // The kernel took everything so far: go on after the events waiting meanwhile. Otherwise
    // the socket's bytesWritten brings the next step.
    if (m_socket->bytesToWrite() == 0 && !m_continuationQueued) {
        m_continuationQueued = true;
        QMetaObject::invokeMethod(this, &StreamingPutReply::sendBody, Qt::QueuedConnection);
    }
}

void StreamingPutReply::onReadyRead()
{
    if (m_phase == Phase::Done || m_phase == Phase::Connecting)
        return;
    m_incoming += m_socket->readAll();
    // The peer may answer before the whole body went (a refusal): the answer ends the request.
    if (readAnswer()) {
        complete();
        return;
    }
    // An unbuffered socket learns of the peer's close by reading, and says nothing more.
    if (m_phase != Phase::Done && m_socket->state() != QAbstractSocket::ConnectedState)
        onDisconnected();
}

bool StreamingPutReply::readAnswer()
{
    if (!m_headRead) {
        if (!readHead())
            return false;
    }
    if (m_chunked)
        return readChunkedBody();
    if (!m_incoming.isEmpty()) {
        QByteArray bytes;
        bytes.swap(m_incoming);
        if (m_contentLength >= 0 && m_bodyReceived + bytes.size() > m_contentLength)
            bytes.truncate(int(m_contentLength - m_bodyReceived));
        takeBody(bytes);
    }
    return m_contentLength >= 0 && m_bodyReceived >= m_contentLength;
}

bool StreamingPutReply::readHead()
{
    for (;;) {
        const int end = m_incoming.indexOf("\r\n\r\n");
        if (end < 0) {
            if (m_incoming.size() > kMaxHeadBytes)
                fail(QNetworkReply::ProtocolFailure, QStringLiteral("The answer's head is too large"));
            return false;
        }
        const QList<QByteArray> lines = m_incoming.left(end).split('\n');
        m_incoming.remove(0, end + 4);
        const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
        bool numeric = false;
        const int status = statusLine.value(1).toInt(&numeric);
        if (!statusLine.value(0).startsWith("HTTP/1.") || !numeric) {
            fail(QNetworkReply::ProtocolFailure, QStringLiteral("No HTTP answer"));
            return false;
        }
        // An interim answer ("100 Continue") is followed by the real one.
        if (status >= 100 && status < 200)
            continue;
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
        setAttribute(QNetworkRequest::HttpReasonPhraseAttribute,
                     QString::fromLatin1(statusLine.mid(2).join(' ')));
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const int colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed();
            const QByteArray value = line.mid(colon + 1).trimmed();
            setRawHeader(name, value);
            const QByteArray lower = name.toLower();
            if (lower == "content-length")
                m_contentLength = value.toLongLong();
            else if (lower == "transfer-encoding" && value.toLower().contains("chunked"))
                m_chunked = true;
        }
        if (status == 204 || status == 304)
            m_contentLength = 0;
        m_headRead = true;
        emit metaDataChanged();
        return true;
    }
}

bool StreamingPutReply::readChunkedBody()
{
    for (;;) {
        if (m_trailers) {
            const int end = m_incoming.indexOf("\r\n");
            if (end < 0)
                return false;
            const bool last = end == 0;
            m_incoming.remove(0, end + 2);
            if (last)
                return true;
            continue;
        }
        if (m_chunkLeft < 0) {
            const int end = m_incoming.indexOf("\r\n");
            if (end < 0)
                return false;
            bool ok = false;
            const QByteArray sizeText = m_incoming.left(end).split(';').value(0).trimmed();
            m_chunkLeft = sizeText.toLongLong(&ok, 16);
            m_incoming.remove(0, end + 2);
            if (!ok || m_chunkLeft < 0) {
                fail(QNetworkReply::ProtocolFailure, QStringLiteral("Malformed chunk size"));
                return false;
            }
            if (m_chunkLeft == 0) {
                m_trailers = true;
                continue;
            }
        }
        if (m_incoming.isEmpty())
            return false;
        const int take = int(qMin<qint64>(m_chunkLeft, m_incoming.size()));
        takeBody(m_incoming.left(take));
        m_incoming.remove(0, take);
        m_chunkLeft -= take;
        if (m_chunkLeft > 0)
            return false;
        // The line end after the chunk's data.
        if (m_incoming.size() < 2)
        {
            m_chunkLeft = 0;
            return false;
        }
        m_incoming.remove(0, 2);
        m_chunkLeft = -1;
    }
}

void StreamingPutReply::takeBody(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    m_content += bytes;
    m_bodyReceived += bytes.size();
    emit downloadProgress(m_bodyReceived, m_contentLength);
    emit readyRead();
}

void StreamingPutReply::onDisconnected()
{
    if (m_phase == Phase::Done)
        return;
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_incoming += m_socket->readAll();
    const bool answered = m_phase == Phase::Answer || m_phase == Phase::Sending;
    if (answered && readAnswer()) {
        complete();
        return;
    }
    // Without a length the answer's body ends with the connection.
    if (m_headRead && !m_chunked && m_contentLength < 0) {
        complete();
        return;
    }
    if (m_phase != Phase::Done)
        fail(QNetworkReply::RemoteHostClosedError, QStringLiteral("Connection closed before the answer was complete"));
}

void StreamingPutReply::onSocketError(QAbstractSocket::SocketError socketError)
{
    // A closing peer is judged by what it sent before (onDisconnected).
    if (socketError == QAbstractSocket::RemoteHostClosedError || m_phase == Phase::Done)
        return;
    fail(errorOfSocket(socketError), m_socket->errorString());
}

void StreamingPutReply::complete()
{
    if (m_phase == Phase::Done)
        return;
    m_phase = Phase::Done;
    m_socket->disconnect(this);
    m_socket->abort();
    const int status = attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const NetworkError statusError = errorOfStatus(status);
    if (statusError != NoError) {
        setError(statusError, QStringLiteral("Server replied: %1").arg(status));
        emit errorOccurred(statusError);
    }
    setFinished(true);
    emit finished();
}

void StreamingPutReply::fail(NetworkError networkError, const QString& text)
{
    if (m_phase == Phase::Done)
        return;
    m_phase = Phase::Done;
    m_socket->disconnect(this);
    m_socket->abort();
    setError(networkError, text);
    emit errorOccurred(networkError);
    setFinished(true);
    emit finished();
}

void StreamingPutReply::abort()
{
    fail(QNetworkReply::OperationCanceledError, QStringLiteral("Operation canceled"));
}

qint64 StreamingPutReply::bytesAvailable() const
{
    return m_content.size() + QNetworkReply::bytesAvailable();
}

qint64 StreamingPutReply::readData(char* data, qint64 maxSize)
{
    if (m_content.isEmpty())
        return m_phase == Phase::Done ? -1 : 0;
    const qint64 count = qMin<qint64>(maxSize, m_content.size());
    memcpy(data, m_content.constData(), size_t(count));
    m_content.remove(0, int(count));
    return count;
}

} // namespace Web
} // namespace Tovrin
