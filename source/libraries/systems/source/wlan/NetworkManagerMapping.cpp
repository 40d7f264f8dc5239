#include "wlan/NetworkManagerMapping.h"

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
    KeyMgmtSae = 0x400
};

// Device state reasons (NMDeviceStateReason) that mean the key was not accepted.
enum : quint32
{
    ReasonNoSecrets = 7,
    ReasonSupplicantDisconnect = 8,
    ReasonSupplicantTimeout = 11
};

const QUuid kGuidNamespace(QStringLiteral("{5f1c3e0a-7b2d-4c8e-9a61-2d4b8f0e6c17}"));

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

void securityFromAccessPoint(bool privacy, quint32 wpaFlags, quint32 rsnFlags, quint32* authAlgorithm,
                             quint32* cipherAlgorithm)
{
    if (rsnFlags & (KeyMgmtPsk | KeyMgmtSae)) {
        *authAlgorithm = AuthRsnaPsk;
        *cipherAlgorithm = cipherFrom(rsnFlags, CipherCcmp);
    } else if (rsnFlags & KeyMgmt8021x) {
        *authAlgorithm = AuthRsna;
        *cipherAlgorithm = cipherFrom(rsnFlags, CipherCcmp);
    } else if (wpaFlags & KeyMgmtPsk) {
        *authAlgorithm = AuthWpaPsk;
        *cipherAlgorithm = cipherFrom(wpaFlags, CipherTkip);
    } else if (wpaFlags & KeyMgmt8021x) {
        *authAlgorithm = AuthWpa;
        *cipherAlgorithm = cipherFrom(wpaFlags, CipherTkip);
    } else if (privacy) {
        *authAlgorithm = AuthOpen;
        *cipherAlgorithm = ((wpaFlags | rsnFlags) & PairWep104) ? CipherWep104 : CipherWep40;
    } else {
        *authAlgorithm = AuthOpen;
        *cipherAlgorithm = CipherNone;
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

NmSettings connectionSettingsFor(const QByteArray& ssid, const QString& key, const QString& encryption)
{
    NmSettings settings;
    const QString name = QString::fromUtf8(ssid);
    settings[QStringLiteral("connection")] = QVariantMap{
        {QStringLiteral("id"), name},
        {QStringLiteral("type"), QStringLiteral("802-11-wireless")},
        {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
        // The program decides when a system's network is joined; NetworkManager must not take
        // the adapter over to it whenever it comes into reach.
        {QStringLiteral("autoconnect"), false}};
    QVariantMap wireless{{QStringLiteral("ssid"), ssid}, {QStringLiteral("mode"), QStringLiteral("infrastructure")}};
    const bool open = key.isNull() || encryption == QLatin1String("NONE");
    if (!open) {
        wireless[QStringLiteral("security")] = QStringLiteral("802-11-wireless-security");
        if (encryption == QLatin1String("WEP")) {
            settings[QStringLiteral("802-11-wireless-security")] =
                QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("none")},
                            {QStringLiteral("wep-key-type"), 2u}, // a passphrase
                            {QStringLiteral("wep-key0"), key}};
        } else {
            settings[QStringLiteral("802-11-wireless-security")] =
                QVariantMap{{QStringLiteral("key-mgmt"), QStringLiteral("wpa-psk")}, {QStringLiteral("psk"), key}};
        }
    }
    settings[QStringLiteral("802-11-wireless")] = wireless;
    return settings;
}

} // namespace Wlan
} // namespace Ulx
