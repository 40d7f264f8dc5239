#pragma once

#include "systemcontrol/SystemTypes.h"

namespace Ulx {

class CRVQMessage;

// The error code of a 252 record as the logged error it stands for; LoggedErrorInvalid for a
// code the program does not know.
Ulx::SystemTypes::LoggedError loggedErrorFromRVQCode(quint8 code);

// The records of a 252 reply: 4 bytes each (u16 time, one unused byte, u8 error code). Bytes
// beyond the last whole record and records of unknown codes are skipped.
Ulx::SystemTypes::ErrorRecordList decodeRVQErrorLog(const CRVQMessage& reply);

} // namespace Ulx
