#include "rvq/RVQErrorLog.h"

#include "rvq/CRVQMessage.h"

#include "CLogger.h"

namespace Ulx {

namespace {

constexpr int RecordSize = 4;

} // namespace

Ulx::SystemTypes::LoggedError loggedErrorFromRVQCode(quint8 code)
{
    switch (code) {
    case 10:
        return SystemTypes::LoggedErrorPressureOK;
    case 11:
        return SystemTypes::LoggedErrorPressureLow;
    case 12:
        return SystemTypes::LoggedErrorPressureHigh;
    case 20:
        return SystemTypes::LoggedErrorLightTempOK;
    case 21:
        return SystemTypes::LoggedErrorLightTempHigh;
    case 91:
        return SystemTypes::LoggedErrorCommunicationUart1;
    case 92:
        return SystemTypes::LoggedErrorCommunicationUart2;
    case 93:
        return SystemTypes::LoggedErrorCommunicationUart3;
    case 94:
        return SystemTypes::LoggedErrorCommunicationUart4;
    default:
        return SystemTypes::LoggedErrorInvalid;
    }
}

Ulx::SystemTypes::ErrorRecordList decodeRVQErrorLog(const CRVQMessage& reply)
{
    SystemTypes::ErrorRecordList records;
    const int count = reply.payloadSize() / RecordSize;
    if (reply.payloadSize() % RecordSize != 0) {
        Tovrin::Logging::CLogger::logMessage(
            Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
            QStringLiteral("[decodeRVQErrorLog] %1 bytes after the last whole record ignored")
                .arg(reply.payloadSize() % RecordSize),
            {});
    }
    for (int i = 0; i < count; ++i) {
        quint16 time = 0;
        quint8 code = 0;
        if (!reply.readUInt16(i * RecordSize, time) || !reply.readUInt8(i * RecordSize + 3, code))
            break;
        const SystemTypes::LoggedError error = loggedErrorFromRVQCode(code);
        if (error != SystemTypes::LoggedErrorInvalid)
            records.append(qMakePair(time, error));
    }
    return records;
}

} // namespace Ulx
