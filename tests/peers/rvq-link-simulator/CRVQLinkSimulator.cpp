#include "CRVQLinkSimulator.h"

#include <QDataStream>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstring>

#include <sys/socket.h>

namespace {

constexpr char Stx = 0x02;
constexpr char Etx = 0x03;
constexpr char Ack = 0x06;
constexpr char Nak = 0x15;

QByteArray u16(quint16 value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
    return bytes;
}

QByteArray f32(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return u16(static_cast<quint16>(bits >> 16)) + u16(static_cast<quint16>(bits & 0xFFFF));
}

QByteArray latin1String(const QString& text)
{
    return text.toLatin1() + QByteArray(1, '\0');
}

// Ids whose command or set carries the value that their query answers with.
bool storesItsArgument(quint8 id)
{
    switch (id) {
    case 16: case 18: case 20: case 23: case 25: case 26: case 27: case 34: case 36: case 38:
    case 39: case 43: case 52: case 85:
        return true;
    default:
        return false;
    }
}

bool isKnownCommand(quint8 id)
{
    switch (id) {
    case 17: case 19: case 24: case 35: case 37: case 44: case 128: case 129: case 136: case 146:
    case 152: case 253:
        return true;
    default:
        return storesItsArgument(id);
    }
}

} // namespace

CRVQLinkSimulator::CRVQLinkSimulator(QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_zoomMotor(new QTimer(this))
    , m_headMotors(new QTimer(this))
{
    m_clock.start();
    connect(m_server, &QTcpServer::newConnection, this, &CRVQLinkSimulator::onNewConnection);
    m_zoomMotor->setInterval(50);
    connect(m_zoomMotor, &QTimer::timeout, this, &CRVQLinkSimulator::stepZoomMotor);
    m_headMotors->setInterval(50);
    connect(m_headMotors, &QTimer::timeout, this, &CRVQLinkSimulator::stepHeadMotors);

    m_values.insert(16, QByteArray(1, 1));
    m_values.insert(18, QByteArray(1, 0));
    m_values.insert(19, u16(4804));
    m_values.insert(20, QByteArray(1, 1));
    m_values.insert(23, QByteArray(1, 1));
    m_values.insert(24, QByteArray(1, 10));
    m_values.insert(25, QByteArray(1, 0));
    m_values.insert(26, QByteArray(1, 0));
    m_values.insert(27, QByteArray(1, 0));
    m_values.insert(34, u16(0x8000));
    m_values.insert(35, u16(5));
    m_values.insert(36, u16(0x8000));
    m_values.insert(37, u16(7));
    m_values.insert(38, QByteArray(1, 50));
    m_values.insert(39, QByteArray(1, 0));
    m_values.insert(40, QByteArray::fromHex("1E2800"));
    m_values.insert(41, u16(1000) + QByteArray(1, 0));
    m_values.insert(42, QByteArray(1, 85));
    m_values.insert(43, QByteArray(1, 0));
    m_values.insert(44, u16(1234) + QByteArray(1, 0));
    m_values.insert(49, f32(123.5f));
    m_values.insert(51, QByteArray(1, 0));
    m_values.insert(52, f32(0.0f));
    m_values.insert(85, QByteArray(1, 0));
    m_values.insert(251, f32(3.5f));
    m_values.insert(252, QByteArray::fromHex("0010000A00200015"));
}

CRVQLinkSimulator::~CRVQLinkSimulator()
{
    for (Client* client : qAsConst(m_clients)) {
        if (client->socket) {
            client->socket->disconnect(this);
            client->socket->abort();
        }
        delete client;
    }
    m_clients.clear();
}

bool CRVQLinkSimulator::listen(quint16 port)
{
    return listen(QHostAddress(QHostAddress::LocalHost), port);
}

bool CRVQLinkSimulator::listen(const QHostAddress& address, quint16 port)
{
    if (!address.isLoopback() || !m_server->listen(address, port))
        return false;
    m_address = address;
    m_port = m_server->serverPort();
    return true;
}

int CRVQLinkSimulator::clientCount() const
{
    int count = 0;
    for (const Client* client : m_clients) {
        if (client->socket && client->socket->state() == QAbstractSocket::ConnectedState)
            ++count;
    }
    return count;
}

void CRVQLinkSimulator::setControlHeldByOtherClient(bool held)
{
    if (held)
        m_controlOwner = -1;
    else if (m_controlOwner == -1)
        m_controlOwner = 0;
}

void CRVQLinkSimulator::setZoomMotorInterval(int milliseconds)
{
    m_zoomMotor->setInterval(milliseconds);
}

void CRVQLinkSimulator::setHeadMotorInterval(int milliseconds)
{
    m_headMotors->setInterval(milliseconds);
}

void CRVQLinkSimulator::setRefuseConnections(bool refuse)
{
    if (m_refuse == refuse)
        return;
    m_refuse = refuse;
    if (refuse)
        m_server->close();
    else
        m_server->listen(m_address, m_port);
}

void CRVQLinkSimulator::closeClientsWithFin()
{
    for (Client* client : qAsConst(m_clients)) {
        if (client->socket)
            client->socket->disconnectFromHost();
    }
}

void CRVQLinkSimulator::closeClientsWithRst()
{
    for (Client* client : qAsConst(m_clients)) {
        if (!client->socket)
            continue;
        // A zero linger time makes the close a reset instead of an orderly FIN.
        const struct linger hardClose = {1, 0};
        ::setsockopt(static_cast<int>(client->socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hardClose,
                     sizeof(hardClose));
        client->socket->abort();
    }
}

void CRVQLinkSimulator::sendRaw(const QByteArray& bytes)
{
    for (Client* client : qAsConst(m_clients)) {
        if (client->socket) {
            client->socket->write(bytes);
            client->socket->flush();
        }
    }
}

QList<CRVQLinkSimulator::ReceivedFrame> CRVQLinkSimulator::receivedFrames(quint8 id, int kind) const
{
    QList<ReceivedFrame> result;
    for (const ReceivedFrame& frame : m_frames) {
        if (frame.id == id && (kind < 0 || frame.kind == kind))
            result.append(frame);
    }
    return result;
}

QByteArray CRVQLinkSimulator::buildFrame(quint8 id, quint8 kind, const QByteArray& payload)
{
    QByteArray frame;
    frame.append(Stx);
    frame.append(static_cast<char>(id));
    frame.append(static_cast<char>(kind & 0x7F));
    frame.append(static_cast<char>(payload.size() & 0xFF));
    frame.append(static_cast<char>((payload.size() >> 8) & 0xFF));
    frame.append(payload);
    frame.append(Etx);
    return frame;
}

void CRVQLinkSimulator::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_refuse) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* client = new Client;
        client->socket = socket;
        client->number = m_nextClientNumber++;
        client->writer = new QTimer(socket);
        client->writer->setSingleShot(true);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_clients.append(client);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() {
            if (Client* c = findClient(socket))
                onReadyRead(c);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket]() {
            if (Client* c = findClient(socket))
                onDisconnected(c);
        });
        connect(client->writer, &QTimer::timeout, this, [this, socket]() {
            if (Client* c = findClient(socket))
                flushOutput(c);
        });
        emit clientConnected();
    }
}

CRVQLinkSimulator::Client* CRVQLinkSimulator::findClient(QTcpSocket* socket)
{
    for (Client* client : qAsConst(m_clients)) {
        if (client->socket == socket)
            return client;
    }
    return nullptr;
}

void CRVQLinkSimulator::onDisconnected(Client* client)
{
    // A client that dies keeps the control: the system only learns of a release from 253.
    m_clients.removeOne(client);
    if (client->socket)
        client->socket->deleteLater();
    delete client;
    emit clientDisconnected();
}

void CRVQLinkSimulator::onReadyRead(Client* client)
{
    client->input.append(client->socket->readAll());
    while (!client->input.isEmpty()) {
        if (client->input.at(0) != Stx) {
            client->input.remove(0, 1);
            continue;
        }
        if (client->input.size() < 5)
            return;
        const int payloadSize = static_cast<quint8>(client->input.at(3)) | (static_cast<quint8>(client->input.at(4)) << 8);
        const bool hasTrailer = (static_cast<quint8>(client->input.at(2)) & 0x80) != 0;
        const int length = payloadSize + 6 + (hasTrailer ? 2 : 0);
        if (client->input.size() < length)
            return;
        ReceivedFrame frame;
        frame.timeMs = m_clock.elapsed();
        frame.client = client->number;
        frame.raw = client->input.left(length);
        client->input.remove(0, length);
        frame.id = static_cast<quint8>(frame.raw.at(1));
        frame.kind = static_cast<quint8>(frame.raw.at(2)) & 0x7F;
        frame.hasTrailer = hasTrailer;
        frame.payload = frame.raw.mid(5, payloadSize);
        if (hasTrailer)
            frame.trailer = static_cast<quint16>(static_cast<quint8>(frame.raw.at(5 + payloadSize))
                                                 | (static_cast<quint8>(frame.raw.at(6 + payloadSize)) << 8));
        frame.endByteValid = frame.raw.at(length - 1) == Etx;
        m_frames.append(frame);
        QPointer<CRVQLinkSimulator> self(this);
        QPointer<QTcpSocket> socket = client->socket;
        handleFrame(client, frame);
        emit frameReceived(frame.id, frame.kind);
        if (!self || !socket || !findClient(socket))
            return;
    }
}

QByteArray CRVQLinkSimulator::replyPayload(quint8 id) const
{
    switch (id) {
    case 17:
        return u16(m_zoomPosition);
    case 50:
        return QByteArray(1, m_ready ? 1 : 0);
    case 253:
        return QByteArray(1, m_controlOwner == 0 ? 1 : 0);
    case 254:
        return latin1String(m_hardwareId);
    case 255:
        return latin1String(m_softwareVersion);
    default:
        return m_values.value(id);
    }
}

void CRVQLinkSimulator::applyCommand(Client* client, const ReceivedFrame& frame)
{
    const quint8 first = frame.payload.isEmpty() ? 0 : static_cast<quint8>(frame.payload.at(0));
    switch (frame.id) {
    case 16:
        if (frame.kind == 0 && first == 10) {
            m_shutdownReceived = true;
            client->closeWhenWritten = true;
            emit shutdownRequested();
            return;
        }
        break;
    case 17:
        if (frame.kind == 0 && !frame.payload.isEmpty()) {
            m_zoomSpeed = static_cast<qint8>(first);
            m_zoomToTarget = false;
        } else if (frame.kind == 2 && frame.payload.size() >= 2) {
            m_zoomTarget = qMin<quint16>(MaximumZoomPosition, static_cast<quint16>((first << 8) | static_cast<quint8>(frame.payload.at(1))));
            m_zoomToTarget = true;
            m_zoomSpeed = 0;
        }
        if (m_zoomSpeed != 0 || m_zoomToTarget)
            m_zoomMotor->start();
        return;
    case 19:
    case 37:
        if (frame.kind == 0 && !frame.payload.isEmpty()) {
            (frame.id == 19 ? m_focusSpeed : m_tiltSpeed) = static_cast<qint8>(first);
            if (m_focusSpeed != 0 || m_tiltSpeed != 0)
                m_headMotors->start();
        }
        return;
    case 24:
        if (!frame.payload.isEmpty()) {
            const QByteArray shutter = m_values.value(24);
            int position = shutter.isEmpty() ? 0 : static_cast<quint8>(shutter.at(0));
            position += (first & 0x80) ? 1 : -1;
            m_values.insert(24, QByteArray(1, static_cast<char>(qBound(0, position, 255))));
        }
        return;
    case 44:
        if (frame.kind == 0 && !frame.payload.isEmpty()) {
            QByteArray laser = m_values.value(44);
            laser.resize(3);
            laser[2] = static_cast<char>(first == 1 ? 1 : 0);
            m_values.insert(44, laser);
        }
        return;
    case 128:
    case 129:
        m_overlayOn = frame.id == 128;
        return;
    case 136:
        m_overlayRows.clear();
        return;
    case 146:
        if (frame.payload.size() >= 3) {
            OverlayRow& row = m_overlayRows[first];
            row.column = static_cast<quint8>(frame.payload.at(1));
            row.colorCode = static_cast<quint8>(frame.payload.at(2));
        }
        return;
    case 152:
        if (!frame.payload.isEmpty()) {
            const QByteArray text = frame.payload.mid(1);
            const int end = text.indexOf('\0');
            m_overlayRows[first].text = QString::fromLatin1(end >= 0 ? text.left(end) : text);
        }
        return;
    case 253:
        if (frame.kind == 2 && !frame.payload.isEmpty()) {
            if (first == 0)
                m_controlOwner = client->number;
            else if (first == 1 && m_controlOwner == client->number)
                m_controlOwner = 0;
        }
        return;
    default:
        break;
    }
    if (storesItsArgument(frame.id) && !frame.payload.isEmpty())
        m_values.insert(frame.id, frame.payload);
}

void CRVQLinkSimulator::handleFrame(Client* client, const ReceivedFrame& frame)
{
    QByteArray response;
    QByteArray reply;
    if (frame.kind == 1) {
        const bool known = frame.id == 17 || frame.id == 50 || frame.id >= 253 || m_values.contains(frame.id);
        if (!known) {
            response.append(Nak);
        } else {
            if (m_answerQueriesWithAck || m_mergeAckWithFrames)
                response.append(Ack);
            reply = buildFrame(frame.id, 1, replyPayload(frame.id));
        }
    } else {
        if (isKnownCommand(frame.id) || (frame.id == 16)) {
            applyCommand(client, frame);
            response.append(Ack);
        } else {
            response.append(Nak);
        }
    }

    if (m_silent || m_ignoredId == frame.id)
        return;
    if (m_dropResponses > 0) {
        --m_dropResponses;
        return;
    }
    if (!reply.isEmpty()) {
        if (m_badEndByte) {
            m_badEndByte = false;
            reply[reply.size() - 1] = 0x04;
        }
        if (m_hugeLength) {
            m_hugeLength = false;
            reply[3] = static_cast<char>(0xFF);
            reply[4] = static_cast<char>(0xFF);
        }
        response.append(reply);
    }
    if (m_mergeAckWithFrames) {
        const QByteArray extra = buildFrame(251, 1, replyPayload(251));
        response.append(extra);
        response.append(extra);
    }
    if (!m_strayBytes.isEmpty()) {
        response.prepend(m_strayBytes);
        m_strayBytes.clear();
    }
    queueOutput(client, response, m_responseDelay);
}

void CRVQLinkSimulator::queueOutput(Client* client, const QByteArray& bytes, int delay)
{
    const qint64 due = m_clock.elapsed() + delay;
    if (m_splitByteByByte) {
        for (int i = 0; i < bytes.size(); ++i)
            client->output.append(qMakePair(due + i, bytes.mid(i, 1)));
    } else {
        client->output.append(qMakePair(due, bytes));
    }
    if (!client->writer->isActive())
        client->writer->start(qMax<qint64>(0, client->output.first().first - m_clock.elapsed()));
}

void CRVQLinkSimulator::flushOutput(Client* client)
{
    if (!client->socket)
        return;
    const qint64 now = m_clock.elapsed();
    // One write per turn when splitting, so that the pieces travel in separate segments.
    while (!client->output.isEmpty() && client->output.first().first <= now) {
        client->socket->write(client->output.takeFirst().second);
        client->socket->flush();
        if (m_splitByteByByte)
            break;
    }
    if (!client->output.isEmpty()) {
        client->writer->start(qMax<qint64>(m_splitByteByByte ? 1 : 0, client->output.first().first - now));
        return;
    }
    if (client->closeWhenWritten)
        client->socket->disconnectFromHost();
}

void CRVQLinkSimulator::stepZoomMotor()
{
    constexpr int UnitsPerSpeedStep = 10;
    int position = m_zoomPosition;
    if (m_zoomToTarget) {
        const int step = 1000;
        if (position < m_zoomTarget)
            position = qMin<int>(m_zoomTarget, position + step);
        else
            position = qMax<int>(m_zoomTarget, position - step);
        if (position == m_zoomTarget)
            m_zoomToTarget = false;
    } else {
        position += m_zoomSpeed * UnitsPerSpeedStep;
    }
    m_zoomPosition = static_cast<quint16>(qBound(0, position, int(MaximumZoomPosition)));
    if ((!m_zoomToTarget && m_zoomSpeed == 0) || (m_zoomSpeed != 0 && (m_zoomPosition == 0 || m_zoomPosition == MaximumZoomPosition)))
        m_zoomMotor->stop();
}

void CRVQLinkSimulator::stepHeadMotors()
{
    constexpr int UnitsPerSpeedStep = 4;
    const auto move = [this](quint8 id, int speed) {
        if (speed == 0)
            return;
        const QByteArray value = m_values.value(id);
        int position = value.size() >= 2 ? (static_cast<quint8>(value.at(0)) << 8) | static_cast<quint8>(value.at(1)) : 0;
        position = qBound(0, position + speed * UnitsPerSpeedStep, 0xFFFF);
        m_values.insert(id, u16(static_cast<quint16>(position)));
    };
    move(19, m_focusSpeed);
    move(36, m_tiltSpeed);
    if (m_focusSpeed == 0 && m_tiltSpeed == 0)
        m_headMotors->stop();
}
