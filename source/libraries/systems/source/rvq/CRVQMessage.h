#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace Ulx {

// One message of the binary command link: id, kind and a payload of big-endian values, plus the
// optional 16-bit trailer that carries the link's sequence number. A plain value record, always
// created on the heap and passed by pointer: whoever holds the pointer owns it; handing it to a
// sender passes ownership, a record lent to a processor stays owned by the communicator.
class CRVQMessage
{
public:
    enum Kind : qint32
    {
        KindCommand = 0,
        KindQuery = 1,
        KindSetValue = 2
    };

    CRVQMessage() = default;
    CRVQMessage(quint32 id, qint32 kind);

    quint32 id() const { return m_id; }
    void setId(quint32 id) { m_id = id; }
    qint32 kind() const { return m_kind; }
    void setKind(qint32 kind) { m_kind = kind; }
    qint32 priority() const { return m_priority; }
    void setPriority(qint32 priority) { m_priority = priority; }
    bool hasTrailer() const { return m_hasTrailer; }
    void setHasTrailer(bool hasTrailer) { m_hasTrailer = hasTrailer; }
    quint16 trailer() const { return m_trailer; }
    void setTrailer(quint16 trailer) { m_trailer = trailer; }
    const QByteArray& payload() const { return m_payload; }
    void setPayload(const QByteArray& payload) { m_payload = payload; }
    int payloadSize() const { return m_payload.size(); }
    // Sent for what the operator asked for (a control write), not by the program's own polls:
    // the send queue bounds how long such a message waits. Never on the wire.
    bool isOperatorRequest() const { return m_operatorRequest; }
    void setOperatorRequest(bool operatorRequest) { m_operatorRequest = operatorRequest; }

    // Writers append one value at the payload's end; multi-byte values go big-endian.
    void appendUInt8(quint8 value);
    void appendInt8(qint8 value);
    void appendUInt16(quint16 value);
    void appendInt16(qint16 value);
    void appendFloat(float value);
    // Latin-1 text followed by one zero byte.
    void appendString(const QString& value);

    // Readers take a payload position; they return false and leave the output untouched when
    // the value does not fit inside the payload.
    bool readUInt8(int position, quint8& value) const;
    bool readInt8(int position, qint8& value) const;
    bool readUInt16(int position, quint16& value) const;
    bool readInt16(int position, qint16& value) const;
    bool readFloat(int position, float& value) const;
    // Up to the first zero byte or the payload's end; an empty text at the very end.
    bool readString(int position, QString& value) const;

private:
    quint32 m_id = 0;
    qint32 m_kind = 0;
    qint32 m_priority = 0;
    bool m_hasTrailer = false;
    quint16 m_trailer = 0;
    QByteArray m_payload;
    bool m_operatorRequest = false;
};

} // namespace Ulx
