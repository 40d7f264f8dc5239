#pragma once

#include <QByteArray>

namespace Ulx {

// The bytes received from the link and not yet consumed, cut into acknowledgements and frames
// one item at a time, so that the caller can look at its own state again after each item.
// Items are handed out as copies: nothing points into the buffer.
class CRVQReceiveBuffer
{
public:
    enum class ItemType
    {
        None,         // empty, or a frame whose rest has not arrived yet
        Ack,          // 0x06
        Nak,          // 0x15
        Frame,        // one complete frame, end byte checked
        CorruptFrame, // a frame cut by its length field whose end byte is not 0x03
        Garbage       // a stray byte at the front: the whole buffer, discarded
    };

    struct Item
    {
        ItemType type = ItemType::None;
        QByteArray bytes; // the frame (Frame), or the discarded bytes (CorruptFrame, Garbage)
    };

    // The longest frame the length field can announce (payload, overhead and trailer).
    static constexpr int MaximumFrameSize = 0xFFFF + 8;

    void append(const QByteArray& bytes);
    void clear();
    bool isEmpty() const { return m_bytes.isEmpty(); }
    int size() const { return m_bytes.size(); }

    // Removes the next complete item from the front and returns it; ItemType::None leaves the
    // buffer as it is (wait for more bytes).
    Item takeNext();

    // The length of the frame that starts at the buffer's front, or 0 when its header is not
    // complete yet. The buffer must start with 0x02.
    static int frameLength(const QByteArray& bytes);

private:
    QByteArray m_bytes;
};

} // namespace Ulx
