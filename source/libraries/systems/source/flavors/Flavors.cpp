#include "flavors/Flavors.h"

#include "flavors/SystemAddresses.h"
#include "flavors/VendorData.h"

#include <QStringList>
#include <QVector>

namespace Ulx {
namespace Flavors {

namespace {

using CommunicationTypes::SystemFamily;
using CommunicationTypes::SystemType;

const QString kZephiraSerialPrefix = QStringLiteral("Zephira_SN");
const QString kHoseluxSerialPrefix = QStringLiteral("tetron+_SN");
const QString kGullyroverSerialPrefix = QStringLiteral("Gullyrover_SN");
constexpr int kSerialLength = 5;
const int kZephiraNameLength = kZephiraSerialPrefix.length() + kSerialLength;
const int kHoseluxNameLength = kHoseluxSerialPrefix.length() + kSerialLength;
const int kGullyroverNameLength = kGullyroverSerialPrefix.length() + kSerialLength;
const QStringList kPelkomModelPrefixes = {QStringLiteral("Pelkom"), QStringLiteral("KVT31"),
                                          QStringLiteral("PQD42"), QStringLiteral("WQN")};

const QByteArray kCapsByteStreamNal = QByteArrayLiteral("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");
const QByteArray kCapsAvcAu = QByteArrayLiteral("video/x-h264, stream-format=(string)avc, alignment=(string)au");

// The serial part of the name must convert as a whole: QString::toInt accepts a sign and
// surrounding white space, which the systems' names are allowed to carry.
bool lastCharactersFormInteger(const QString& networkName)
{
    bool ok = false;
    networkName.right(kSerialLength).toInt(&ok, 10);
    return ok;
}

bool matchesSerialName(const QString& networkName, const QString& prefix, int length, Qt::CaseSensitivity cs)
{
    return networkName.length() == length && networkName.startsWith(prefix, cs) && lastCharactersFormInteger(networkName);
}

QString lastFiveCharacters(const QString& networkName)
{
    return networkName.right(kSerialLength);
}

const QVector<SystemFamilyRecord>& familyTable()
{
    static const QVector<SystemFamilyRecord> table = {
        {CommunicationTypes::SystemFamilyZephira, QStringLiteral("Zephira"), QStringLiteral("40617295"),
         VendorData::ZEPHIRA_DISPLAY_NAME(),
         [](const QString& name) {
             return matchesSerialName(name, kZephiraSerialPrefix, kZephiraNameLength, Qt::CaseInsensitive);
         },
         lastFiveCharacters, true},
        {CommunicationTypes::SystemFamilyHoselux, QStringLiteral("Hoselux"), QStringLiteral("8305172946"),
         VendorData::HOSELUX_DISPLAY_NAME(),
         [](const QString& name) {
             return matchesSerialName(name, kHoseluxSerialPrefix, kHoseluxNameLength, Qt::CaseSensitive);
         },
         lastFiveCharacters, false},
        {CommunicationTypes::SystemFamilyGullyrover, QStringLiteral("Gully Rover"), QStringLiteral("40617295"),
         VendorData::GULLYROVER_DISPLAY_NAME(),
         [](const QString& name) {
             return matchesSerialName(name, kGullyroverSerialPrefix, kGullyroverNameLength, Qt::CaseSensitive);
         },
         lastFiveCharacters, true},
        {CommunicationTypes::SystemFamilyPelkom, QStringLiteral("Pelkom"), QString(), VendorData::PELKOM_DISPLAY_NAME(),
         [](const QString& name) {
             for (const QString& prefix : kPelkomModelPrefixes) {
                 if (name.startsWith(prefix, Qt::CaseSensitive))
                     return true;
             }
             return false;
         },
         [](const QString& name) { return name.right(4); }, true},
    };
    return table;
}

// How a type's RTSP address is put together; the host comes from the address table.
struct RtspAddress
{
    SystemHost host;
    QString userInfo; // "user:password", or empty for none
    bool emptyUserInfo; // "rtsp://:@host": an empty user name and an empty password
    QString path;
};

struct TypeEntry
{
    SystemType type;
    QString hardwareId;
    RtspAddress rtsp;
    QByteArray h264Caps;
    quint32 rtspLatency;
    bool usesSequenceNumbers;
    bool preferSoftwareDecoding;
    bool rtspOverTcp;
    bool stopStreamOnPause;
};

const QVector<TypeEntry>& typeTable()
{
    static const QVector<TypeEntry> table = {
        {CommunicationTypes::SystemTypeZPX2, QStringLiteral("ZPX_2.0 V01"),
         {SystemHost::BrennicVideoServer, QString(), false, QStringLiteral("/stream")}, kCapsByteStreamNal, 10, true,
         false, false, false},
        {CommunicationTypes::SystemTypeHoselux, QStringLiteral(""),
         {SystemHost::HoseluxCamera, QString(), false, QStringLiteral("/liveRTSP/av2")}, kCapsAvcAu, 300, false, true,
         true, true},
        {CommunicationTypes::SystemTypeGullyrover, QStringLiteral("GLYRV_1.0 V01"),
         {SystemHost::BrennicVideoServer, QString(), false, QStringLiteral("/stream")}, kCapsByteStreamNal, 10, true,
         false, false, false},
        {CommunicationTypes::SystemTypeZPX, QStringLiteral("ZPX_1.0 V01"),
         {SystemHost::ZephiraVideoServer, QString(), false, QStringLiteral("/cam0_0")}, kCapsByteStreamNal, 100, false,
         false, false, false},
        {CommunicationTypes::SystemTypeZPH, QStringLiteral("ZPH_4.0 V01"),
         {SystemHost::ZephiraVideoServer, QStringLiteral("ZP:9274"), false, QString()}, kCapsByteStreamNal, 100, false,
         false, false, false},
        {CommunicationTypes::SystemTypePelkom, QStringLiteral("Pelkom_1.0 V01"),
         {SystemHost::PelkomVideoServer, QString(), true, QStringLiteral("/0")}, kCapsByteStreamNal, 100, false, false,
         false, false},
    };
    return table;
}

const TypeEntry* findType(SystemType type)
{
    for (const TypeEntry& entry : typeTable()) {
        if (entry.type == type)
            return &entry;
    }
    return nullptr;
}

QString buildRtspUrl(const RtspAddress& address)
{
    const SystemEndpoint endpoint = systemEndpoint(address.host);
    QString url = QStringLiteral("rtsp://");
    if (address.emptyUserInfo)
        url += QStringLiteral(":@");
    else if (!address.userInfo.isEmpty())
        url += address.userInfo + QLatin1Char('@');
    url += endpoint.address;
    if (endpoint.rtspPort != 0)
        url += QLatin1Char(':') + QString::number(endpoint.rtspPort);
    url += address.path;
    return url;
}

} // namespace

const SystemFamilyRecord* familyRecord(SystemFamily family)
{
    for (const SystemFamilyRecord& record : familyTable()) {
        if (record.family == family)
            return &record;
    }
    return nullptr;
}

SystemFamily systemFamilyFromNetworkName(const QString& networkName)
{
    for (const SystemFamilyRecord& record : familyTable()) {
        if (record.matchesNetworkName(networkName))
            return record.family;
    }
    return CommunicationTypes::SystemFamilyUnknown;
}

CSystemConnectionInfo connectionInfoFromNetworkName(const QString& networkName)
{
    const SystemFamilyRecord* record = familyRecord(systemFamilyFromNetworkName(networkName));
    if (!record)
        return CSystemConnectionInfo();
    return CSystemConnectionInfo(networkName, record->familyName, record->serialNumberFromNetworkName(networkName),
                                 record->displayName, record->family, record->supportsSpectatorMode);
}

QString defaultWifiKey(SystemFamily family)
{
    const SystemFamilyRecord* record = familyRecord(family);
    return record ? record->defaultWifiKey : QString();
}

std::optional<SystemTypeRecord> systemTypeRecord(SystemType type)
{
    const TypeEntry* entry = findType(type);
    if (!entry)
        return std::nullopt;
    return SystemTypeRecord{entry->type,
                            entry->hardwareId,
                            buildRtspUrl(entry->rtsp),
                            entry->h264Caps,
                            entry->rtspLatency,
                            entry->usesSequenceNumbers,
                            entry->preferSoftwareDecoding,
                            entry->rtspOverTcp,
                            entry->stopStreamOnPause};
}

SystemType systemTypeFromHardwareId(const QString& hardwareId)
{
    // The Hoselux record carries no id, so an empty text finds it; the link controller
    // accepts only the types that speak its link.
    for (const TypeEntry& entry : typeTable()) {
        if (entry.hardwareId == hardwareId)
            return entry.type;
    }
    return CommunicationTypes::SystemTypeUnknown;
}

bool systemTypeUsesSequenceNumbers(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry && entry->usesSequenceNumbers;
}

QString rtspUrl(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry ? buildRtspUrl(entry->rtsp) : QString();
}

QByteArray h264Caps(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry ? entry->h264Caps : QByteArray();
}

quint32 rtspLatency(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry ? entry->rtspLatency : 0;
}

bool preferSoftwareDecoding(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry && entry->preferSoftwareDecoding;
}

bool rtspOverTcp(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry && entry->rtspOverTcp;
}

bool stopStreamOnPause(SystemType type)
{
    const TypeEntry* entry = findType(type);
    return entry && entry->stopStreamOnPause;
}

} // namespace Flavors
} // namespace Ulx
