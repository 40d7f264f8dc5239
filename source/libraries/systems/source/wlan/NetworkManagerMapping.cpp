#include "wlan/NetworkManagerMapping.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace Ulx {
namespace Wlan {

namespace {

// Access-point security flags (NM80211ApSecurityFlags).
enum : quint32
{
    PairWep40 = 0x1,
    PairWep104 = 0x2,
    PairTkip = 0x4,
    PairCcmp = 0x8,
    KeyMgmtPsk = 0x100,
    KeyMgmt8021x = 0x200,
    KeyMgmtSae = 0x400,
    KeyMgmtOwe = 0x800,
    KeyMgmtOweTransition = 0x1000,
    KeyMgmtEapSuiteB192 = 0x2000
};

// Device state reasons (NMDeviceStateReason) that mean the key was not accepted.
enum : quint32
{
    ReasonNoSecrets = 7,
    ReasonSupplicantDisconnect = 8,
    ReasonSupplicantTimeout = 11
};

const QUuid kGuidNamespace(QStringLiteral("{5f1c3e0a-7b2d-4c8e-9a61-2d4b8f0e6c17}"));

// The last group of the uuid of every connection the program adds. NetworkManager keeps a
// connection's uuid as it was given for the connection's whole life, across its own restarts
// and the program's: the uuid names the connection to every client and in its stored file. The
// name is the user's to edit, and a setting of the program's own ("user" data) is refused by
// older NetworkManagers and not read back by NetworkManagerQt. 74 bits stay random, so that a
// uuid someone else made ends the same way by chance practically never.
const QLatin1String kOwnUuidMark("c01c5e7a11ed");

quint32 cipherFrom(quint32 flags, quint32 fallback)
{
    if (flags & PairCcmp)
        return CipherCcmp;
    if (flags & PairTkip)
        return CipherTkip;
    return fallback;
}

} // namespace

InterfaceState interfaceStateFromDevice(quint32 deviceState)
{
    if (deviceState == NmDeviceActivated)
        return InterfaceConnected;
    if (deviceState == NmDeviceDeactivating)
        return InterfaceDisconnecting;
    if (deviceState == NmDeviceNeedAuth)
        return InterfaceAuthenticating;
    if (isActivatingDeviceState(deviceState))
        return InterfaceAssociating;
    if (deviceState == NmDeviceDisconnected || deviceState == NmDeviceFailed)
        return InterfaceDisconnected;
    return InterfaceNotReady;
}

bool isActivatingDeviceState(quint32 deviceState)
{
    return deviceState >= NmDevicePrepare && deviceState <= NmDeviceSecondaries;
}

bool isKeyFailureReason(quint32 reason)
{
    return reason >= ReasonNoSecrets && reason <= ReasonSupplicantTimeout;
}

QUuid interfaceGuidFor(const QString& permanentHardwareAddress, const QString& interfaceName)
{
    const QString address = permanentHardwareAddress.trimmed().toLower();
    const QString identity = address.isEmpty() || address == QLatin1String("00:00:00:00:00:00")
                                 ? QStringLiteral("interface:") + interfaceName
                                 : QStringLiteral("hardware:") + address;
    return QUuid::createUuidV5(kGuidNamespace, identity);
}

ApSecurity securityOfAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags)
{
    const quint32 keyManagement = wpaFlags | rsnFlags;
    if (keyManagement & KeyMgmtPsk)
        return ApSecurity::WpaPsk;
    if (rsnFlags & KeyMgmtSae)
        return ApSecurity::Sae;
    if (keyManagement & (KeyMgmt8021x | KeyMgmtEapSuiteB192))
        return ApSecurity::Enterprise;
    if (rsnFlags & (KeyMgmtOwe | KeyMgmtOweTransition))
        return ApSecurity::Owe;
    return privacy ? ApSecurity::Wep : ApSecurity::Open;
}

void securityFromAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags, quint32* authAlgorithm,
                             quint32* cipherAlgorithm)
{
    const bool rsn = rsnFlags & (KeyMgmtPsk | KeyMgmtSae | KeyMgmt8021x | KeyMgmtEapSuiteB192 | KeyMgmtOwe
                                 | KeyMgmtOweTransition);
    switch (securityOfAccessPoint(privacy, wpaFlags, rsnFlags)) {
    case ApSecurity::WpaPsk:
        *authAlgorithm = (rsnFlags & KeyMgmtPsk) ? AuthRsnaPsk : AuthWpaPsk;
        *cipherAlgorithm = (rsnFlags & KeyMgmtPsk) ? cipherFrom(rsnFlags, CipherCcmp) : cipherFrom(wpaFlags, CipherTkip);
        break;
    case ApSecurity::Sae:
        *authAlgorithm = AuthWpa3Sae;
        *cipherAlgorithm = cipherFrom(rsnFlags, CipherCcmp);
        break;
    case ApSecurity::Enterprise:
        *authAlgorithm = rsn ? AuthRsna : AuthWpa;
        *cipherAlgorithm = rsn ? cipherFrom(rsnFlags, CipherCcmp) : cipherFrom(wpaFlags, CipherTkip);
        break;
    case ApSecurity::Owe:
        *authAlgorithm = AuthOwe;
        *cipherAlgorithm = cipherFrom(rsnFlags, CipherCcmp);
        break;
    case ApSecurity::Wep:
        *authAlgorithm = AuthOpen;
        *cipherAlgorithm = ((wpaFlags | rsnFlags) & PairWep104) ? CipherWep104 : CipherWep40;
        break;
    case ApSecurity::Open:
        *authAlgorithm = AuthOpen;
        *cipherAlgorithm = CipherNone;
        break;
    }
}

ProfileRequest readWlanProfile(const QString& profileXml)
{
    ProfileRequest request;
    QXmlStreamReader reader(profileXml);
    QStringList path;
    bool hasKey = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            path.append(reader.name().toString());
            if (reader.name() == QLatin1String("keyMaterial"))
                hasKey = true;
        } else if (token == QXmlStreamReader::EndElement) {
            if (!path.isEmpty())
                path.removeLast();
        } else if (token == QXmlStreamReader::Characters && !path.isEmpty()) {
            const QString& element = path.last();
            const QString parent = path.size() > 1 ? path.at(path.size() - 2) : QString();
            if (element == QLatin1String("name") && parent == QLatin1String("SSID"))
                request.ssid += reader.text();
            else if (element == QLatin1String("keyMaterial"))
                request.key += reader.text();
            else if (element == QLatin1String("authentication"))
                request.authentication += reader.text();
            else if (element == QLatin1String("encryption"))
                request.encryption += reader.text();
        }
    }
    if (hasKey && request.key.isNull())
        request.key = QLatin1String(""); // an empty key is a key, not an open network
    request.valid = !reader.hasError() && !request.ssid.isEmpty();
    return request;
}

ApSecurity securityFromProfile(const ProfileRequest& request)
{
    if (request.key.isNull() || request.encryption == QLatin1String("NONE"))
        return ApSecurity::Open;
    if (request.authentication == QLatin1String("WPA3SAE"))
        return ApSecurity::Sae;
    if (request.encryption == QLatin1String("WEP"))
        return ApSecurity::Wep;
    return ApSecurity::WpaPsk;
}

bool keyManagementFits(ApSecurity security, const QString& keyManagement)
{
    switch (security) {
    case ApSecurity::Open:
        return keyManagement.isEmpty();
    case ApSecurity::Wep:
        return keyManagement == QLatin1String("none");
    case ApSecurity::WpaPsk:
        return keyManagement == QLatin1String("wpa-psk");
    case ApSecurity::Sae:
        return keyManagement == QLatin1String("sae");
    case ApSecurity::Owe:
        return keyManagement == QLatin1String("owe");
    case ApSecurity::Enterprise:
        return keyManagement == QLatin1String("wpa-eap") || keyManagement == QLatin1String("wpa-eap-suite-b-192");
    }
    return false;
}

namespace {

// NetworkManager's WEP key types (NMWepKeyType).
enum : quint32
{
    WepKeyTypeKey = 1,
    WepKeyTypePassphrase = 2
};

quint32 wepKeyType(const QString& key)
{
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f]*$"));
    const int length = key.size();
    if (length == 5 || length == 13)
        return WepKeyTypeKey;
    if ((length == 10 || length == 26) && hexDigits.match(key).hasMatch())
        return WepKeyTypeKey;
    return WepKeyTypePassphrase;
}

} // namespace

NmSettings connectionSettingsFor(const QByteArray& ssid, const QString& key, ApSecurity security)
{
    NmSettings settings;
    const QString name = ssidText(ssid);
    settings[QStringLiteral("connection")] = QVariantMap{
        {QStringLiteral("id"), name},
        {QStringLiteral("type"), QStringLiteral("802-11-wireless")},
        {QStringLiteral("uuid"), newOwnConnectionUuid()},
        // The program decides when a system's network is joined; NetworkManager must not take
        // the adapter over to it whenever it comes into reach.
        {QStringLiteral("autoconnect"), false}};
    QVariantMap wireless{{QStringLiteral("ssid"), ssid}, {QStringLiteral("mode"), QStringLiteral("infrastructure")}};
    const QString securityName = QStringLiteral("802-11-wireless-security");
    QVariantMap secured;
    switch (security) {
    case ApSecurity::Open:
    case ApSecurity::Enterprise:
        break;
    case ApSecurity::Wep:
        secured = QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("none")},
                              {QStringLiteral("wep-key-type"), wepKeyType(key)},
                              {QStringLiteral("wep-key0"), key}};
        break;
    case ApSecurity::WpaPsk:
        secured = QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("wpa-psk")}, {QStringLiteral("psk"), key}};
        break;
    case ApSecurity::Sae:
        secured = QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("sae")}, {QStringLiteral("psk"), key}};
        break;
    case ApSecurity::Owe:
        secured = QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("owe")}};
        break;
    }
    if (!secured.isEmpty()) {
        wireless[QStringLiteral("security")] = securityName;
        settings[securityName] = secured;
    }
    settings[QStringLiteral("802-11-wireless")] = wireless;
    return settings;
}

QString newOwnConnectionUuid()
{
    const QString random = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return random.left(random.size() - kOwnUuidMark.size()) + kOwnUuidMark;
}

bool isOwnConnectionUuid(const QString& uuid)
{
    return uuid.size() == 36 && uuid.endsWith(kOwnUuidMark, Qt::CaseInsensitive);
}

} // namespace Wlan
} // namespace Ulx
