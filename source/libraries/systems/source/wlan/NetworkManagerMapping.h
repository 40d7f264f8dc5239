#pragma once

#include "wlan/WlanTypes.h"

#include <QMap>
#include <QString>
#include <QUuid>
#include <QVariantMap>

// How NetworkManager's vocabulary maps onto the WLAN layer's: device states, access-point
// security flags, the temporary WLAN profile the network manager hands over, and the
// connection settings NetworkManager is given in its place.
namespace Ulx {
namespace Wlan {

// NetworkManager's device states (NMDeviceState).
enum NmDeviceState : quint32
{
    NmDeviceUnknown = 0,
    NmDeviceUnmanaged = 10,
    NmDeviceUnavailable = 20,
    NmDeviceDisconnected = 30,
    NmDevicePrepare = 40,
    NmDeviceNeedAuth = 60,
    NmDeviceSecondaries = 90,
    NmDeviceActivated = 100,
    NmDeviceDeactivating = 110,
    NmDeviceFailed = 120
};

InterfaceState interfaceStateFromDevice(quint32 deviceState);
bool isActivatingDeviceState(quint32 deviceState);

// A device state reason that says the key did not fit (no secrets, or the supplicant gave up).
bool isKeyFailureReason(quint32 reason);

// The interface GUID of a device: the same for the same adapter across restarts of the program
// and of NetworkManager (from its permanent hardware address, else its interface name).
QUuid interfaceGuidFor(const QString& permanentHardwareAddress, const QString& interfaceName);

// What an access point asks of a station that joins it.
enum class ApSecurity
{
    Open,
    Wep,
    WpaPsk, // WPA or WPA2 with a pre-shared key, also a WPA2/WPA3 transition network
    Sae,    // WPA3-Personal only
    Owe,    // opportunistic encryption: no key
    Enterprise // 802.1X: a sign-in the program cannot give
};

// From the access point's privacy flag and its WPA and RSN flags.
ApSecurity securityOfAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags);

// The algorithms of an access point from its privacy flag and its WPA and RSN flags.
void securityFromAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags, quint32* authAlgorithm,
                             quint32* cipherAlgorithm);

// What the network manager's temporary profile says about the network to join.
struct ProfileRequest
{
    bool valid = false;
    QString ssid;
    QString key;
    QString authentication; // "OPEN", "WEP", "WPAPSK", "WPA2PSK", "WPA3SAE"
    QString encryption;     // "NONE", "WEP", "TKIP", "AES"
};
ProfileRequest readWlanProfile(const QString& profileXml);

// The security a profile asks for, where no access point of the network is known.
ApSecurity securityFromProfile(const ProfileRequest& request);

// Whether a saved connection's key management ("" for a connection without security) joins a
// network of the given security.
bool keyManagementFits(ApSecurity security, const QString& keyManagement);

using NmSettings = QMap<QString, QVariantMap>;

// The settings of a new connection of the program's own to an SSID of the given security, never
// joined automatically. A WEP key goes as a key when it has a key's form (5 or 13 characters, or
// 10 or 26 hexadecimal digits), else as a passphrase.
NmSettings connectionSettingsFor(const QByteArray& ssid, const QString& key, ApSecurity security);

// The program's own connections are known by their uuid (see newOwnConnectionUuid).
QString newOwnConnectionUuid();
bool isOwnConnectionUuid(const QString& uuid);

} // namespace Wlan
} // namespace Ulx
