#include "rvq/CRVQNetworkCommunicator.h"

#include "CLogger.h"

#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>
#include <QThread>

namespace Ulx {
namespace Communication {

namespace {

// A write that makes no progress is given up after this many attempts, 5 ms apart.
constexpr int MaximumWriteAttempts = 20;
// Received bytes are consumed in chunks of this size, so a flood never piles up unconsumed.
constexpr qint64 ReadChunkSize = 64 * 1024;

void logLine(const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

} // namespace

CRVQNetworkCommunicator::CRVQNetworkCommunicator()
    : m_socket(new QTcpSocket())
{
    // What the socket takes in ahead of the reader; the receive buffer holds at most one frame more.
    m_socket->setReadBufferSize(4 * ReadChunkSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &CRVQNetworkCommunicator::onSocketReadyRead);
    connect(m_socket, &QTcpSocket::stateChanged, this, &CRVQNetworkCommunicator::onSocketStateChanged);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CRVQNetworkCommunicator::onSocketError);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &CRVQNetworkCommunicator::onBytesWritten);
}

CRVQNetworkCommunicator::~CRVQNetworkCommunicator()
{
    // The socket's last state changes must not reach a half-destroyed communicator.
    QObject::disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
    delete m_socket;
}

bool CRVQNetworkCommunicator::writeData(const QByteArray& data)
{
    qint64 done = 0;
    int attempts = 0;
    while (done < data.size()) {
        const qint64 written = m_socket->write(data.constData() + done, data.size() - done);
        if (written < 0)
            return false;
        done += written;
        if (done >= data.size())
            break;
        if (++attempts >= MaximumWriteAttempts)
            return false;
        QThread::msleep(5);
    }
    return true;
}

void CRVQNetworkCommunicator::connectToSystem()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        failCommunication(ErrorBusy);
        return;
    }
    m_closeAfterWrite = false;
    m_socket->connectToHost(m_host, m_port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void CRVQNetworkCommunicator::disconnectFromSystem(bool force)
{
    if (force) {
        m_socket->abort();
        return;
    }
    startDisconnectGuard();
    if (hasPendingMessages()) {
        setDisconnectPending(true);
        return;
    }
    if (m_socket->bytesToWrite() > 0) {
        m_closeAfterWrite = true;
        return;
    }
    m_socket->close();
}

void CRVQNetworkCommunicator::onSocketReadyRead()
{
    QPointer<CRVQNetworkCommunicator> self(this);
    while (self && m_socket->bytesAvailable() > 0) {
        const QByteArray chunk = m_socket->read(ReadChunkSize);
        if (chunk.isEmpty())
            break;
        receiveData(chunk);
    }
}

void CRVQNetworkCommunicator::onSocketStateChanged(QAbstractSocket::SocketState socketState)
{
    switch (socketState) {
    case QAbstractSocket::UnconnectedState:
        m_closeAfterWrite = false;
        setState(StateDisconnected);
        break;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        setState(StateConnecting);
        break;
    case QAbstractSocket::ConnectedState:
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        setState(StateConnected);
        break;
    case QAbstractSocket::ClosingState:
        setState(StateDisconnecting);
        break;
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
        break;
    }
}

void CRVQNetworkCommunicator::onSocketError(QAbstractSocket::SocketError socketError)
{
    logLine(QStringLiteral("onSocketError"),
            QStringLiteral("%1: %2")
                .arg(QString::fromLatin1(QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(socketError)),
                     m_socket->errorString()));
    failCommunication(ErrorConnection);
}

void CRVQNetworkCommunicator::onBytesWritten(qint64 /*bytes*/)
{
    if (m_closeAfterWrite && m_socket->bytesToWrite() == 0) {
        m_socket->flush();
        m_socket->close();
    }
}

} // namespace Communication
} // namespace Ulx
