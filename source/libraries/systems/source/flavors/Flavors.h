#pragma once

#include "CSystemConnectionInfo.h"
#include "communication/CommunicationTypes.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace Ulx {

// What the program knows about one system family: how its Wi-Fi networks are named and joined.
struct SystemFamilyRecord
{
    CommunicationTypes::SystemFamily family;
    QString familyName;
    QString defaultWifiKey; // null for a family whose networks are open
    QString displayName;
    std::function<bool(const QString&)> matchesNetworkName;
    std::function<QString(const QString&)> serialNumberFromNetworkName;
    bool supportsSpectatorMode;
};

// What the program knows about one system type: its hardware id on the binary link and how its
// live video is received. The RTSP address is built from the address table on every call.
struct SystemTypeRecord
{
    CommunicationTypes::SystemType type;
    QString hardwareId;
    QString rtspUrl;
    QByteArray h264Caps;
    quint32 rtspLatency;
    bool usesSequenceNumbers;
    bool preferSoftwareDecoding;
    bool rtspOverTcp;
    bool stopStreamOnPause;
};

// The family and system-type registry. The tables are constant; the network addresses inside
// the RTSP addresses come from flavors/SystemAddresses.h.
namespace Flavors {

// The family's record, or null when there is none.
const SystemFamilyRecord* familyRecord(CommunicationTypes::SystemFamily family);
// The first family (in table order) whose rule accepts the name; SystemFamilyUnknown if none.
CommunicationTypes::SystemFamily systemFamilyFromNetworkName(const QString& networkName);
// The reachable-system value for a network name; the default value for an unknown name.
CSystemConnectionInfo connectionInfoFromNetworkName(const QString& networkName);
// The family's default Wi-Fi key; a null string for an open network or an unknown family.
QString defaultWifiKey(CommunicationTypes::SystemFamily family);

// The type's record (with its RTSP address as configured now), or nothing for an unknown type.
std::optional<SystemTypeRecord> systemTypeRecord(CommunicationTypes::SystemType type);
CommunicationTypes::SystemType systemTypeFromHardwareId(const QString& hardwareId);
bool systemTypeUsesSequenceNumbers(CommunicationTypes::SystemType type);
QString rtspUrl(CommunicationTypes::SystemType type);
QByteArray h264Caps(CommunicationTypes::SystemType type);
quint32 rtspLatency(CommunicationTypes::SystemType type);
bool preferSoftwareDecoding(CommunicationTypes::SystemType type);
bool rtspOverTcp(CommunicationTypes::SystemType type);
bool stopStreamOnPause(CommunicationTypes::SystemType type);

} // namespace Flavors
} // namespace Ulx
