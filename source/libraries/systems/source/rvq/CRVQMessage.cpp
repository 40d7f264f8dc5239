#include "rvq/CRVQMessage.h"

#include <cstring>

namespace Ulx {

CRVQMessage::CRVQMessage(quint32 id, qint32 kind)
    : m_id(id)
    , m_kind(kind)
{
}

void CRVQMessage::appendUInt8(quint8 value)
{
    m_payload.append(static_cast<char>(value));
}

void CRVQMessage::appendInt8(qint8 value)
{
    m_payload.append(static_cast<char>(value));
}

void CRVQMessage::appendUInt16(quint16 value)
{
    m_payload.append(static_cast<char>((value >> 8) & 0xFF));
    m_payload.append(static_cast<char>(value & 0xFF));
}

void CRVQMessage::appendInt16(qint16 value)
{
    appendUInt16(static_cast<quint16>(value));
}

void CRVQMessage::appendFloat(float value)
{
    quint32 bits = 0;
    static_assert(sizeof(bits) == sizeof(value), "32-bit float expected");
    std::memcpy(&bits, &value, sizeof(bits));
    appendUInt16(static_cast<quint16>(bits >> 16));
    appendUInt16(static_cast<quint16>(bits & 0xFFFF));
}

void CRVQMessage::appendString(const QString& value)
{
    m_payload.append(value.toLatin1());
    m_payload.append('\0');
}

bool CRVQMessage::readUInt8(int position, quint8& value) const
{
    if (position < 0 || position >= m_payload.size())
        return false;
    value = static_cast<quint8>(m_payload.at(position));
    return true;
}

bool CRVQMessage::readInt8(int position, qint8& value) const
{
    quint8 raw = 0;
    if (!readUInt8(position, raw))
        return false;
    value = static_cast<qint8>(raw);
    return true;
}

bool CRVQMessage::readUInt16(int position, quint16& value) const
{
    if (position < 0 || position >= m_payload.size() - 1)
        return false;
    const auto high = static_cast<quint8>(m_payload.at(position));
    const auto low = static_cast<quint8>(m_payload.at(position + 1));
    value = static_cast<quint16>((high << 8) | low);
    return true;
}

bool CRVQMessage::readInt16(int position, qint16& value) const
{
    quint16 raw = 0;
    if (!readUInt16(position, raw))
        return false;
    value = static_cast<qint16>(raw);
    return true;
}

bool CRVQMessage::readFloat(int position, float& value) const
{
    quint16 high = 0;
    quint16 low = 0;
    if (position < 0 || position >= m_payload.size() - 3)
        return false;
    readUInt16(position, high);
    readUInt16(position + 2, low);
    const quint32 bits = (static_cast<quint32>(high) << 16) | low;
    std::memcpy(&value, &bits, sizeof(value));
    return true;
}

bool CRVQMessage::readString(int position, QString& value) const
{
    if (position < 0 || position > m_payload.size())
        return false;
    int end = m_payload.indexOf('\0', position);
    if (end < 0)
        end = m_payload.size();
    value = QString::fromLatin1(m_payload.constData() + position, end - position);
    return true;
}

} // namespace Ulx
