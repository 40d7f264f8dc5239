// The receive path of the binary command link: frame decoding with every payload reader, the
// receive buffer, and the communicator consuming bytes with a processor that reacts from
// inside its call the way the connection controller does.
#include "rvq/CAbstractRVQCommunicator.h"
#include "rvq/CRVQMessage.h"
#include "rvq/CRVQReceiveBuffer.h"
#include "rvq/RVQFrameCodec.h"
#include "rvq/RVQMessages.h"

#include "CLogger.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace {

class FuzzCommunicator : public Ulx::Communication::CAbstractRVQCommunicator
{
public:
    bool writeData(const QByteArray& data) override
    {
        written += data.size();
        return (data.size() & 7) != 7; // now and then a failed write
    }
    void connectToSystem() override { setState(StateConnected); }
    void disconnectFromSystem(bool /*force*/) override { setState(StateDisconnected); }
    void feed(const QByteArray& bytes) { receiveData(bytes); }
    void tickNow()
    {
        // Drives the queue without waiting for the timer.
        for (int i = 0; i < 11; ++i)
            tick();
    }

    qint64 written = 0;
};

class FuzzProcessor : public Ulx::IRVQMessageProcessor
{
public:
    explicit FuzzProcessor(FuzzCommunicator& communicator)
        : m_communicator(communicator)
    {
    }

    void processMessage(Ulx::CRVQMessage* message) override
    {
        readEverything(*message);
        switch (message->id() % 5) {
        case 0:
            m_communicator.sendMessage(Ulx::createRVQSystemReadyQueryMessage());
            break;
        case 1:
            m_communicator.reset();
            break;
        case 2:
            if (message->payloadSize() > 3)
                m_communicator.disconnectFromSystem(true);
            break;
        default:
            break;
        }
    }

    static void readEverything(const Ulx::CRVQMessage& message)
    {
        for (int position = -1; position <= message.payloadSize() + 1; ++position) {
            quint8 u8 = 0;
            qint8 s8 = 0;
            quint16 u16 = 0;
            qint16 s16 = 0;
            float f = 0;
            QString text;
            message.readUInt8(position, u8);
            message.readInt8(position, s8);
            message.readUInt16(position, u16);
            message.readInt16(position, s16);
            message.readFloat(position, f);
            message.readString(position, text);
        }
    }

private:
    FuzzCommunicator& m_communicator;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    Tovrin::Logging::CLogger::setLogLevel(Tovrin::Logging::CLogger::LogLevelError);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<int>(size));

    const auto decoded = Ulx::decodeRVQFrame(input);
    FuzzProcessor::readEverything(*decoded);
    const QByteArray reencoded = Ulx::encodeRVQFrame(*decoded);
    if (reencoded.size() < 6)
        __builtin_trap();

    // The buffer, fed in pieces whose sizes the input chooses.
    Ulx::CRVQReceiveBuffer buffer;
    int offset = 0;
    int steps = 0;
    while (offset < input.size()) {
        const int piece = 1 + static_cast<quint8>(input.at(offset)) % 17;
        buffer.append(input.mid(offset, piece));
        offset += piece;
        while (buffer.takeNext().type != Ulx::CRVQReceiveBuffer::ItemType::None)
            ++steps;
        if (buffer.size() > Ulx::CRVQReceiveBuffer::MaximumFrameSize)
            __builtin_trap();
    }
    (void)steps;

    // The communicator, with a message in flight and a processor that reacts.
    FuzzCommunicator communicator;
    FuzzProcessor processor(communicator);
    communicator.setMessageProcessor(&processor);
    communicator.connectToSystem();
    communicator.sendMessage(Ulx::createRVQHardwareIdQueryMessage());
    communicator.sendMessage(Ulx::createRVQZoomSpeedMessage(10));
    communicator.tickNow();
    offset = 0;
    while (offset < input.size()) {
        const int piece = 1 + static_cast<quint8>(input.at(offset)) % 29;
        communicator.feed(input.mid(offset, piece));
        offset += piece;
        if (communicator.state() != Ulx::Communication::CAbstractRVQCommunicator::StateConnected)
            communicator.connectToSystem();
        communicator.tickNow();
    }
    return 0;
}
