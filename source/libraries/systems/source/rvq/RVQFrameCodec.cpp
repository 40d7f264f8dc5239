#include "rvq/RVQFrameCodec.h"

namespace Ulx {

QByteArray encodeRVQFrame(const CRVQMessage& message)
{
    const QByteArray& payload = message.payload();
    // The length field has 16 bits; builders never come near, but a wrapped length would
    // desynchronise the peer, so the payload is cut to what the field can say.
    const int payloadSize = qMin(payload.size(), 0xFFFF);
    QByteArray frame;
    frame.reserve(payloadSize + RVQFrameOverhead + RVQTrailerSize);
    frame.append(RVQStartOfFrame);
    frame.append(static_cast<char>(message.id() & 0xFF));
    quint8 kind = static_cast<quint8>(message.kind() & 0x7F);
    if (message.hasTrailer())
        kind |= RVQTrailerFlag;
    frame.append(static_cast<char>(kind));
    frame.append(static_cast<char>(payloadSize & 0xFF));
    frame.append(static_cast<char>((payloadSize >> 8) & 0xFF));
    frame.append(payload.constData(), payloadSize);
    if (message.hasTrailer()) {
        frame.append(static_cast<char>(message.trailer() & 0xFF));
        frame.append(static_cast<char>((message.trailer() >> 8) & 0xFF));
    }
    frame.append(RVQEndOfFrame);
    return frame;
}

std::unique_ptr<CRVQMessage> decodeRVQFrame(const QByteArray& frame)
{
    auto message = std::make_unique<CRVQMessage>();
    const int size = frame.size();
    if (size < 2)
        return message;
    message->setId(static_cast<quint8>(frame.at(1)));
    if (size == 2)
        return message;
    const auto kindByte = static_cast<quint8>(frame.at(2));
    const bool hasTrailer = (kindByte & RVQTrailerFlag) != 0;
    message->setHasTrailer(hasTrailer);
    message->setKind(kindByte & 0x7F);
    if (size < RVQFrameOverhead)
        return message;
    int payloadSize = size - RVQFrameOverhead;
    if (hasTrailer) {
        if (size < RVQFrameOverhead + RVQTrailerSize)
            return message;
        const auto low = static_cast<quint8>(frame.at(size - 3));
        const auto high = static_cast<quint8>(frame.at(size - 2));
        message->setTrailer(static_cast<quint16>((high << 8) | low));
        payloadSize -= RVQTrailerSize;
    }
    message->setPayload(frame.mid(RVQFrameHeaderSize, payloadSize));
    return message;
}

} // namespace Ulx
