#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <functional>

// The vocabulary of the WLAN layer: what the Wi-Fi network manager asks of the platform's
// wireless service and what that service reports back. The numbers are the ones the manager's
// tables use (notification codes, algorithms, opcodes), so that a real platform layer can pass
// its values through unchanged.
namespace Ulx {
namespace Wlan {

using ErrorCode = quint32;
using ClientHandle = quintptr; // 0: no handle

// Result codes of the WLAN calls.
enum Error : ErrorCode
{
    ErrorSuccess = 0,
    ErrorAccessDenied = 5,
    ErrorInvalidHandle = 6,
    ErrorNotSupported = 50,
    ErrorInvalidParameter = 87,
    ErrorServiceNotActive = 1062,
    ErrorNotFound = 1168,
    ErrorInvalidState = 5023
};

// The text of a result code; a null string for a code without one.
QString errorText(ErrorCode code);

enum InterfaceState : quint32
{
    InterfaceNotReady = 0,
    InterfaceConnected = 1,
    InterfaceAdHocNetworkFormed = 2,
    InterfaceDisconnecting = 3,
    InterfaceDisconnected = 4,
    InterfaceAssociating = 5,
    InterfaceDiscovering = 6,
    InterfaceAuthenticating = 7
};

struct InterfaceInfo
{
    QUuid guid;
    QString description;
    quint32 state = InterfaceNotReady;
};

enum AuthAlgorithm : quint32
{
    AuthOpen = 1,
    AuthSharedKey = 2,
    AuthWpa = 3,
    AuthWpaPsk = 4,
    AuthWpaNone = 5,
    AuthRsna = 6,
    AuthRsnaPsk = 7,
    AuthWpa3Sae = 9,
    AuthOwe = 10
};

enum CipherAlgorithm : quint32
{
    CipherNone = 0,
    CipherWep40 = 1,
    CipherTkip = 2,
    CipherCcmp = 4,
    CipherWep104 = 5,
    CipherWep = 0x101
};

// The longest SSID the air interface carries, in bytes.
constexpr int MaxSsidLength = 32;

// An SSID as the program names it, on screen, in the log and in profiles: its bytes read as
// UTF-8, with a backslash written "\\" and each byte that is no part of a valid UTF-8 character,
// or belongs to a control character or a line or paragraph separator, written "\xHH". Access
// points send any bytes; this name stays readable and on one line, and ssidBytes gives back
// exactly the bytes it was made from.
QString ssidText(const QByteArray& ssid);
QByteArray ssidBytes(const QString& text);

enum AvailableNetworkFlag : quint32
{
    NetworkConnected = 1,
    NetworkHasProfile = 2
};

struct AvailableNetwork
{
    QByteArray ssid; // raw bytes, at most MaxSsidLength
    quint32 authAlgorithm = AuthOpen;
    quint32 cipherAlgorithm = CipherNone;
    quint32 flags = 0;
};

enum NotificationSource : quint32
{
    SourceAcm = 0x08,
    SourceMsm = 0x10
};

enum AcmNotification : quint32
{
    AcmScanComplete = 7,
    AcmScanFail = 8,
    AcmConnectionAttemptFail = 11,
    AcmInterfaceArrival = 13,
    AcmInterfaceRemoval = 14,
    AcmProfilesExhausted = 17
};

enum MsmNotification : quint32
{
    MsmStart = 0,
    MsmConnected = 4,
    MsmDisassociating = 9,
    MsmDisconnected = 10
};

// One notification of the wireless service. The SSID and reason code are filled for the MSM
// notifications that carry connection data (start, connected, disconnected).
struct Notification
{
    QUuid interfaceGuid;
    quint32 source = 0;
    quint32 code = 0;
    QByteArray ssid;
    quint32 reasonCode = 0;
};

// Called on the wireless service's own thread.
using NotificationCallback = std::function<void(const Notification&)>;

enum InterfaceOpcode : quint32
{
    OpcodeBackgroundScanEnabled = 2,
    OpcodeMediaStreamingMode = 3,
    OpcodeRadioState = 4,
    OpcodeRssi = 0x10000102
};

enum RadioState : quint32
{
    RadioUnknown = 0,
    RadioOn = 1,
    RadioOff = 2
};

struct PhyRadioState
{
    quint32 phyIndex = 0;
    quint32 softwareState = RadioUnknown;
    quint32 hardwareState = RadioUnknown;
};

enum ConnectionMode : quint32
{
    ConnectionModeProfile = 0,
    ConnectionModeTemporaryProfile = 1,
    ConnectionModeDiscoverySecure = 2,
    ConnectionModeDiscoveryUnsecure = 3
};

enum BssType : quint32
{
    BssInfrastructure = 1,
    BssIndependent = 2,
    BssAny = 3
};

struct ConnectionParameters
{
    quint32 mode = ConnectionModeDiscoveryUnsecure;
    QString profileXml; // empty unless mode is a profile mode
    QByteArray ssid;
    quint32 bssType = BssInfrastructure;
    quint32 flags = 0;
};

enum ProfileFlag : quint32
{
    ProfileGroupPolicy = 1,
    ProfileUser = 2,
    ProfileGetPlaintextKey = 4
};

enum ProfileAccess : quint32
{
    ProfileReadAccess = 0x20001,
    ProfileExecuteAccess = 0x20021,
    ProfileWriteAccess = 0x70023
};

} // namespace Wlan
} // namespace Ulx
