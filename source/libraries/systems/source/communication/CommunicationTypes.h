#pragma once

#include <QMetaEnum>
#include <QObject>
#include <QString>

namespace Ulx {

// Enumerations shared by every layer of the systems library and by the screens. The values
// are stored, compared by QML and printed by key name in log lines: never renumber them.
// A fixed underlying type keeps any stored or received number a valid value of its type, so
// that the look-ups can answer "unknown" for values outside the tables.
namespace CommunicationTypes {
Q_NAMESPACE

enum ConnectionState : qint32
{
    ConnectionOffline = 0,
    ConnectionShuttingDown = 1,
    ConnectionOnline = 2,
    ConnectionEstablishing = 3,
    ConnectionReestablishing = 4
};
Q_ENUM_NS(ConnectionState)

enum CommunicationError : qint32
{
    CommunicationErrorNone = 0,
    CommunicationErrorNetworkManagerConnectionFailed = 1,
    CommunicationErrorCommunicatorInternal = 2,
    CommunicationErrorCommunicatorConnection = 3,
    CommunicationErrorCommunicatorUnsupportedSystem = 4,
    CommunicationErrorCommunicatorControlAccessDenied = 5,
    CommunicationErrorVideoStreamerConnection = 6,
    CommunicationErrorVideoStreamConfigFailed = 7,
    // No Wi-Fi adapter to join with: the one chosen is not there.
    CommunicationErrorNetworkManagerNoInterface = 8,
    // The adapter was put on another network while the join was under way.
    CommunicationErrorNetworkManagerOtherNetwork = 9
};
Q_ENUM_NS(CommunicationError)

enum SystemType : qint32
{
    SystemTypeUnknown = 0,
    SystemTypeZPH = 1,
    SystemTypeZPX = 2,
    SystemTypeZPX2 = 3,
    SystemTypeHoselux = 4,
    SystemTypeGullyrover = 5,
    SystemTypePelkom = 6
};
Q_ENUM_NS(SystemType)

enum SystemFamily : qint32
{
    SystemFamilyUnknown = 0,
    SystemFamilyZephira = 1,
    SystemFamilyHoselux = 2,
    SystemFamilyGullyrover = 3,
    SystemFamilyPelkom = 4
};
Q_ENUM_NS(SystemFamily)

// The key name of an enumerator for log lines; an empty string for a value without a key.
template <typename Enum>
QString keyName(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(static_cast<int>(value)));
}

} // namespace CommunicationTypes
} // namespace Ulx
