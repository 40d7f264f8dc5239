#include "rvq/CRVQReceiveBuffer.h"

#include "rvq/RVQFrameCodec.h"

namespace Ulx {

void CRVQReceiveBuffer::append(const QByteArray& bytes)
{
    m_bytes.append(bytes);
}

void CRVQReceiveBuffer::clear()
{
    m_bytes.clear();
}

int CRVQReceiveBuffer::frameLength(const QByteArray& bytes)
{
    if (bytes.size() < RVQFrameHeaderSize)
        return 0;
    const auto low = static_cast<quint8>(bytes.at(3));
    const auto high = static_cast<quint8>(bytes.at(4));
    const int payloadSize = (high << 8) | low;
    const bool hasTrailer = (static_cast<quint8>(bytes.at(2)) & RVQTrailerFlag) != 0;
    return payloadSize + RVQFrameOverhead + (hasTrailer ? RVQTrailerSize : 0);
}

CRVQReceiveBuffer::Item CRVQReceiveBuffer::takeNext()
{
    Item item;
    if (m_bytes.isEmpty())
        return item;

    const char first = m_bytes.at(0);
    if (first == RVQAck || first == RVQNak) {
        item.type = first == RVQAck ? ItemType::Ack : ItemType::Nak;
        m_bytes.remove(0, 1);
        return item;
    }

    if (first == RVQStartOfFrame) {
        const int length = frameLength(m_bytes);
        if (length == 0 || m_bytes.size() < length)
            return item;
        item.bytes = m_bytes.left(length);
        m_bytes.remove(0, length);
        item.type = item.bytes.at(length - 1) == RVQEndOfFrame ? ItemType::Frame : ItemType::CorruptFrame;
        return item;
    }

    // Stray bytes: the whole buffer goes, a frame behind them in the same read included. The
    // link resynchronises on the next start of frame that arrives, and the sender's resend
    // brings back what was lost; picking frames out of a stream that is known to be out of
    // step could hand on a frame cut at the wrong place.
    item.type = ItemType::Garbage;
    item.bytes = m_bytes;
    m_bytes.clear();
    return item;
}

} // namespace Ulx
