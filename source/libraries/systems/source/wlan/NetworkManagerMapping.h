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

// The algorithms of an access point from its privacy flag and its WPA and RSN flags.
void securityFromAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags, quint32* authAlgorithm,
                             quint32* cipherAlgorithm);

// What the network manager's temporary profile says about the network to join.
struct ProfileRequest
{
    bool valid = false;
    QString ssid;
    QString key;
    QString authentication; // "OPEN", "WEP", "WPAPSK", "WPA2PSK"
    QString encryption;     // "NONE", "WEP", "TKIP", "AES"
};
ProfileRequest readWlanProfile(const QString& profileXml);

using NmSettings = QMap<QString, QVariantMap>;

// The settings of a new connection to an SSID, never joined automatically: open when the key
// is null or the profile names no encryption, WEP for a WEP profile, WPA-PSK otherwise.
NmSettings connectionSettingsFor(const QByteArray& ssid, const QString& key, const QString& encryption);

} // namespace Wlan
} // namespace Ulx
