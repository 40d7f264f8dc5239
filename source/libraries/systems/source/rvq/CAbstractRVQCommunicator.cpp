#include "rvq/CAbstractRVQCommunicator.h"

#include "rvq/RVQFrameCodec.h"
#include "rvq/RVQMessages.h"

#include "CLogger.h"

#include <QMetaEnum>
#include <QPointer>
#include <QTimerEvent>

namespace Ulx {
namespace Communication {

namespace {

const QString LogCategory = QStringLiteral("UlxSystemsLibrary");

void logLine(Tovrin::Logging::CLogger::LogLevel level, const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(level, LogCategory, QStringLiteral("[%1] %2").arg(operation, text), {});
}

} // namespace

CAbstractRVQCommunicator::CAbstractRVQCommunicator() = default;

CAbstractRVQCommunicator::~CAbstractRVQCommunicator()
{
    m_tickTimer.stop();
    m_disconnectGuardTimer.stop();
}

void CAbstractRVQCommunicator::registerMetaTypes()
{
    qRegisterMetaType<Ulx::Communication::CAbstractRVQCommunicator::Error>(
        "Ulx::Communication::CAbstractRVQCommunicator::Error");
    qRegisterMetaType<Ulx::Communication::CAbstractRVQCommunicator::State>(
        "Ulx::Communication::CAbstractRVQCommunicator::State");
}

void CAbstractRVQCommunicator::setMessageProcessor(Ulx::IRVQMessageProcessor* processor)
{
    m_processor = processor;
}

void CAbstractRVQCommunicator::setUseSequenceNumbers(bool useSequenceNumbers)
{
    if (m_useSequenceNumbers == useSequenceNumbers)
        return;
    m_useSequenceNumbers = useSequenceNumbers;
    m_sequenceCounter = 0;
}

void CAbstractRVQCommunicator::clearQueue()
{
    m_queue.clear();
}

void CAbstractRVQCommunicator::reset()
{
    clearQueue();
    m_current.reset();
    m_receiveBuffer.clear();
    m_unusablePieces = 0;
}

void CAbstractRVQCommunicator::setTickInterval(int milliseconds)
{
    m_tickInterval = qMax(1, milliseconds);
    if (m_tickTimer.isActive())
        m_tickTimer.start(m_tickInterval, this);
}

void CAbstractRVQCommunicator::setDisconnectTimeout(int milliseconds)
{
    m_disconnectTimeout = qMax(1, milliseconds);
}

bool CAbstractRVQCommunicator::isReadyToSend() const
{
    return m_state == StateConnected;
}

void CAbstractRVQCommunicator::sendMessage(Ulx::CRVQMessage* message)
{
    std::unique_ptr<CRVQMessage> owned(message);
    if (!owned)
        return;
    if (m_state != StateConnected || m_disconnectPending)
        return;
    m_queue.push(std::move(owned), m_useSequenceNumbers ? &m_sequenceCounter : nullptr);
}

void CAbstractRVQCommunicator::sendNext()
{
    std::unique_ptr<CRVQMessage> next = m_queue.takeNext();
    if (!next)
        return;
    m_current = std::move(next);
    // Every message gets its own tries, whatever the one before it went through.
    m_timeoutCount = 0;
    transmit();
}

void CAbstractRVQCommunicator::transmit()
{
    m_receiveBuffer.clear();
    m_awaitingResponse = true;
    m_acknowledged = false;
    m_refused = false;
    m_tickCount = 0;
    if (!m_current) {
        m_awaitingResponse = false;
        return;
    }
    if (!writeData(encodeRVQFrame(*m_current))) {
        logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("transmit"),
                QStringLiteral("writing message %1 failed").arg(m_current ? m_current->id() : 0));
        failCommunication(ErrorConnection);
    }
}

void CAbstractRVQCommunicator::failCommunication(Error error)
{
    m_awaitingResponse = false;
    reset();
    emit communicationErrorOccurred(error);
}

void CAbstractRVQCommunicator::tick()
{
    if (m_awaitingResponse) {
        ++m_tickCount;
        if (m_tickCount < ResendTicks)
            return;
        m_tickCount = 0;
        if (!m_current) {
            m_awaitingResponse = false;
            return;
        }
        ++m_timeoutCount;
        if (m_timeoutCount < MaximumTransmissions) {
            transmit();
            return;
        }
        // Unanswered three times: give the message up, so that neither the queue nor an
        // orderly disconnect waits on it for ever.
        logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("tick"),
                QStringLiteral("message %1 kind %2 unanswered, dropped")
                    .arg(m_current->id())
                    .arg(m_current->kind()));
        m_timeoutCount = 0;
        m_awaitingResponse = false;
        m_current.reset();
        sendNext();
        return;
    }

    if (!m_queue.isEmpty()) {
        sendNext();
        return;
    }
    if (m_disconnectPending) {
        if (m_state != StateDisconnecting)
            setState(StateDisconnecting);
        disconnectFromSystem(false);
    }
}

void CAbstractRVQCommunicator::receiveData(const QByteArray& data)
{
    m_receiveBuffer.append(data);
    consumeReceiveBuffer();
}

bool CAbstractRVQCommunicator::handleAck()
{
    if (!m_current || !m_awaitingResponse) {
        logLine(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("handleAck"),
                QStringLiteral("ACK without a message in flight ignored"));
        return false;
    }
    // A peer that acknowledges one frame over and over would otherwise hold a query's
    // time-out off for ever.
    if (m_acknowledged)
        return false;
    m_acknowledged = true;
    if (m_current->kind() == CRVQMessage::KindQuery) {
        m_tickCount = 0;
        return true;
    }
    if (m_receiveBuffer.isEmpty())
        m_awaitingResponse = false;
    return true;
}

void CAbstractRVQCommunicator::consumeReceiveBuffer()
{
    // A processor that causes more bytes to be read from inside its call lets the outer loop
    // consume them.
    if (m_consuming)
        return;
    m_consuming = true;
    QPointer<CAbstractRVQCommunicator> self(this);

    bool outOfStep = false;
    while (!m_receiveBuffer.isEmpty()) {
        CRVQReceiveBuffer::Item item = m_receiveBuffer.takeNext();
        if (item.type == CRVQReceiveBuffer::ItemType::None)
            break;
        // An answer to the message in flight, or a frame.
        bool usable = m_current && m_awaitingResponse;
        switch (item.type) {
        case CRVQReceiveBuffer::ItemType::Ack:
            usable = handleAck();
            break;
        case CRVQReceiveBuffer::ItemType::Nak:
            // The frame goes again at its time-out; NAKs over and over make no answer.
            usable = usable && !m_refused;
            m_refused = true;
            break;
        case CRVQReceiveBuffer::ItemType::Garbage:
            usable = false;
            logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("receiveData"),
                    QStringLiteral("%1 stray bytes discarded").arg(item.bytes.size()));
            break;
        case CRVQReceiveBuffer::ItemType::CorruptFrame:
            usable = false;
            logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("receiveData"),
                    QStringLiteral("frame of %1 bytes without end byte discarded").arg(item.bytes.size()));
            break;
        case CRVQReceiveBuffer::ItemType::Frame: {
            usable = true;
            std::unique_ptr<CRVQMessage> message = decodeRVQFrame(item.bytes);
            if (m_processor)
                m_processor->processMessage(message.get());
            if (!self)
                return;
            if (m_receiveBuffer.isEmpty())
                m_awaitingResponse = false;
            break;
        }
        case CRVQReceiveBuffer::ItemType::None:
            break;
        }
        // The processor may have disconnected or reset the link from inside its call.
        if (m_state != StateConnected) {
            m_receiveBuffer.clear();
            break;
        }
        m_unusablePieces = usable ? 0 : m_unusablePieces + 1;
        if (m_unusablePieces > MaximumUnusablePieces) {
            outOfStep = true;
            break;
        }
    }
    m_consuming = false;
    if (!outOfStep)
        return;
    // A peer that keeps sending what makes no answer would hold the link up with nothing
    // getting through: it is ended, so that the session reconnects.
    logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("receiveData"),
            QStringLiteral("%1 pieces in a row made no answer: the link is out of step, ending it").arg(m_unusablePieces));
    failCommunication(ErrorConnection);
    if (self)
        disconnectFromSystem(true);
}

void CAbstractRVQCommunicator::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (state == StateDisconnected || state == StateDisconnecting) {
        m_tickTimer.stop();
        m_timeoutCount = 0;
        m_awaitingResponse = false;
        m_disconnectPending = false;
        reset();
        if (state == StateDisconnected)
            m_disconnectGuardTimer.stop();
    } else if (state == StateConnected) {
        m_tickTimer.start(m_tickInterval, this);
    }
    emit stateChanged();
}

void CAbstractRVQCommunicator::startDisconnectGuard()
{
    if (!m_disconnectGuardTimer.isActive())
        m_disconnectGuardTimer.start(m_disconnectTimeout, this);
}

void CAbstractRVQCommunicator::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_tickTimer.timerId()) {
        tick();
        return;
    }
    if (event->timerId() == m_disconnectGuardTimer.timerId()) {
        m_disconnectGuardTimer.stop();
        if (m_state != StateDisconnected) {
            logLine(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("disconnectFromSystem"),
                    QStringLiteral("orderly disconnect did not finish in %1 ms, aborting").arg(m_disconnectTimeout));
            disconnectFromSystem(true);
        }
        return;
    }
    QObject::timerEvent(event);
}

} // namespace Communication
} // namespace Ulx
