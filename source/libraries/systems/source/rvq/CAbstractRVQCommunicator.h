#pragma once

#include "rvq/CRVQMessage.h"
#include "rvq/CRVQReceiveBuffer.h"
#include "rvq/CRVQSendQueue.h"
#include "rvq/IRVQMessageProcessor.h"
#include "rvq/IRVQMessageSender.h"

#include <QBasicTimer>
#include <QObject>

#include <memory>

namespace Ulx {
namespace Communication {

// Carries link messages over one transport: a queue of outgoing messages (CRVQSendQueue:
// merging of what still waits, priorities and turns) with one frame in flight, resends on
// time-out, and the receive side that cuts the byte stream into frames for the message
// processor.
// Owns every queued message and the one in flight; the processor is not owned. GUI thread only.
class CAbstractRVQCommunicator : public QObject, public Ulx::IRVQMessageSender
{
    Q_OBJECT

public:
    enum State
    {
        StateDisconnected = 0,
        StateDisconnecting = 1,
        StateConnecting = 2,
        StateConnected = 3
    };
    Q_ENUM(State)

    enum Error
    {
        ErrorNone = 0,
        ErrorInternal = 1,
        ErrorConnection = 2,
        ErrorBusy = 4
    };
    Q_ENUM(Error)

    static constexpr int DefaultTickInterval = 50;
    // Ticks without ACK or reply before the frame in flight is sent again.
    static constexpr int ResendTicks = 10;
    // How often one message goes out at most (the first transmission and two resends).
    static constexpr int MaximumTransmissions = 3;
    // How long an orderly disconnect may take before the link is aborted.
    static constexpr int DefaultDisconnectTimeout = 5000;
    // Pieces of the received stream in a row that make no answer (stray bytes, frames without
    // their end byte, acknowledgements with nothing in flight) after which the link is ended as
    // out of step for good: a system that speaks the link is back in step within a frame or two.
    static constexpr int MaximumUnusablePieces = 64;

    CAbstractRVQCommunicator();
    ~CAbstractRVQCommunicator() override;

    // Registers the enumerations for queued connections; safe to call again.
    static void registerMetaTypes();

    void setMessageProcessor(Ulx::IRVQMessageProcessor* processor);
    void setUseSequenceNumbers(bool useSequenceNumbers);
    bool useSequenceNumbers() const { return m_useSequenceNumbers; }
    State state() const { return m_state; }

    bool hasPendingMessages() const { return !m_queue.isEmpty(); }
    // Deletes every queued message.
    void clearQueue();
    // The queue, the message in flight and the received bytes are all dropped.
    void reset();

    // Tests shorten the intervals; every other interval is a multiple of the tick.
    void setTickInterval(int milliseconds);
    int tickInterval() const { return m_tickInterval; }
    void setDisconnectTimeout(int milliseconds);

    virtual bool writeData(const QByteArray& data) = 0;
    bool isReadyToSend() const override;
    void sendMessage(Ulx::CRVQMessage* message) override;
    virtual void connectToSystem() = 0;
    virtual void disconnectFromSystem(bool force) = 0;

signals:
    void stateChanged();
    void communicationErrorOccurred(Ulx::Communication::CAbstractRVQCommunicator::Error error);

protected:
    void setState(State state);
    // Bytes from the transport; consumed at once.
    void receiveData(const QByteArray& data);
    // A transport failure: nothing waits any more and everything queued is dropped.
    void failCommunication(Error error);
    bool isDisconnectPending() const { return m_disconnectPending; }
    void setDisconnectPending(bool pending) { m_disconnectPending = pending; }
    // Bounds an orderly disconnect: when it has not ended in time, the link is aborted.
    void startDisconnectGuard();
    // One turn of the queue: resend on time-out, or send the next message, or finish a disconnect.
    void tick();
    void timerEvent(QTimerEvent* event) override;

private:
    void sendNext();
    void transmit();
    void consumeReceiveBuffer();
    // Whether the ACK answers the transmission in flight: only its first one does.
    bool handleAck();

    CRVQSendQueue m_queue;
    std::unique_ptr<CRVQMessage> m_current;
    Ulx::IRVQMessageProcessor* m_processor = nullptr;
    CRVQReceiveBuffer m_receiveBuffer;
    QBasicTimer m_tickTimer;
    QBasicTimer m_disconnectGuardTimer;
    int m_tickInterval = DefaultTickInterval;
    int m_disconnectTimeout = DefaultDisconnectTimeout;
    int m_tickCount = 0;
    int m_timeoutCount = 0;
    quint16 m_sequenceCounter = 0;
    State m_state = StateDisconnected;
    bool m_awaitingResponse = false;
    // Whether the transmission in flight has had its ACK, its NAK.
    bool m_acknowledged = false;
    bool m_refused = false;
    bool m_disconnectPending = false;
    bool m_useSequenceNumbers = false;
    bool m_consuming = false;
    int m_unusablePieces = 0;
};

} // namespace Communication
} // namespace Ulx
