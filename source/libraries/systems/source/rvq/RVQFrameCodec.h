#pragma once

#include "rvq/CRVQMessage.h"

#include <QByteArray>

#include <memory>

namespace Ulx {

// Bytes of the link that are not message content.
constexpr char RVQStartOfFrame = 0x02;
constexpr char RVQEndOfFrame = 0x03;
constexpr char RVQAck = 0x06;
constexpr char RVQNak = 0x15;
// Start, id, kind and the two length bytes.
constexpr int RVQFrameHeaderSize = 5;
// Header and end byte around the payload; the trailer adds two more.
constexpr int RVQFrameOverhead = 6;
constexpr int RVQTrailerSize = 2;
constexpr quint8 RVQTrailerFlag = 0x80;

// The frame of one message: 02, id, kind (bit 7 when the trailer follows), payload length
// little-endian, payload, trailer little-endian when present, 03.
QByteArray encodeRVQFrame(const CRVQMessage& message);

// A new message from the bytes of exactly one frame, cut out of the stream by its length
// field. Short frames yield what fits (an empty message below two bytes); the length field and
// the end byte are not read here.
std::unique_ptr<CRVQMessage> decodeRVQFrame(const QByteArray& frame);

} // namespace Ulx
