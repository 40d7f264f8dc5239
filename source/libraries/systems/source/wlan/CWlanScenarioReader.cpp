#include "wlan/CWlanScenarioReader.h"

#include "flavors/SystemAddresses.h"
#include "wlan/CSimulatedWlan.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace Ulx {
namespace Wlan {

namespace {

constexpr qint64 kMaxScenarioSize = 1024 * 1024;

bool readAlgorithm(const QJsonValue& value, const QList<QPair<QString, quint32>>& names, quint32 fallback,
                   quint32* result)
{
    if (value.isUndefined()) {
        *result = fallback;
        return true;
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number < 0 || number > 0xFFFFFFFF)
            return false;
        *result = static_cast<quint32>(number);
        return true;
    }
    for (const auto& entry : names) {
        if (value.toString().compare(entry.first, Qt::CaseInsensitive) == 0) {
            *result = entry.second;
            return true;
        }
    }
    return false;
}

bool readHost(const QString& name, Flavors::SystemHost* host)
{
    static const QList<QPair<QString, Flavors::SystemHost>> hosts = {
        {QStringLiteral("BrennicVideoServer"), Flavors::SystemHost::BrennicVideoServer},
        {QStringLiteral("ZephiraVideoServer"), Flavors::SystemHost::ZephiraVideoServer},
        {QStringLiteral("PelkomVideoServer"), Flavors::SystemHost::PelkomVideoServer},
        {QStringLiteral("HoseluxCamera"), Flavors::SystemHost::HoseluxCamera},
        {QStringLiteral("BrennicEncoderBoard"), Flavors::SystemHost::BrennicEncoderBoard},
        {QStringLiteral("ZPXEncoderBoard"), Flavors::SystemHost::ZPXEncoderBoard}};
    for (const auto& entry : hosts) {
        if (entry.first == name) {
            *host = entry.second;
            return true;
        }
    }
    return false;
}

bool readNetwork(const QJsonObject& object, CSimulatedWlan::Network* network, QString* error)
{
    const QByteArray ssid = object.value(QStringLiteral("ssid")).toString().toUtf8();
    if (ssid.isEmpty()) {
        *error = QStringLiteral("a network has no \"ssid\"");
        return false;
    }
    network->ssid = ssid;
    const QString where = QStringLiteral("network %1: ").arg(QString::fromUtf8(ssid));

    static const QList<QPair<QString, quint32>> authNames = {
        {QStringLiteral("OPEN"), AuthOpen}, {QStringLiteral("WEP"), AuthSharedKey},
        {QStringLiteral("WPAPSK"), AuthWpaPsk}, {QStringLiteral("WPA2PSK"), AuthRsnaPsk}};
    static const QList<QPair<QString, quint32>> cipherNames = {
        {QStringLiteral("NONE"), CipherNone}, {QStringLiteral("WEP"), CipherWep40},
        {QStringLiteral("TKIP"), CipherTkip}, {QStringLiteral("AES"), CipherCcmp}};
    const bool open = !object.contains(QStringLiteral("key")) || object.value(QStringLiteral("key")).isNull();
    if (!readAlgorithm(object.value(QStringLiteral("authentication")), authNames, open ? AuthOpen : AuthRsnaPsk,
                       &network->authAlgorithm)
        || !readAlgorithm(object.value(QStringLiteral("encryption")), cipherNames, open ? CipherNone : CipherCcmp,
                          &network->cipherAlgorithm)) {
        *error = where + QStringLiteral("unknown \"authentication\" or \"encryption\"");
        return false;
    }
    network->key = open ? QString() : object.value(QStringLiteral("key")).toString(QStringLiteral(""));
    network->rssi = object.value(QStringLiteral("rssi")).toInt(-50);
    network->joinLatencyMs = qBound(0, object.value(QStringLiteral("joinLatencyMs")).toInt(0), 600000);
    network->visible = object.value(QStringLiteral("visible")).toBool(true);

    const QString join = object.value(QStringLiteral("join")).toString(QStringLiteral("accept"));
    static const QList<QPair<QString, CSimulatedWlan::JoinOutcome>> outcomes = {
        {QStringLiteral("accept"), CSimulatedWlan::JoinAccepted}, {QStringLiteral("refuse"), CSimulatedWlan::JoinRefused},
        {QStringLiteral("wrongKey"), CSimulatedWlan::JoinWrongKey}, {QStringLiteral("reject"), CSimulatedWlan::JoinRejected},
        {QStringLiteral("hang"), CSimulatedWlan::JoinHangs}};
    bool known = false;
    for (const auto& entry : outcomes) {
        if (entry.first == join) {
            network->joinOutcome = entry.second;
            known = true;
        }
    }
    if (!known) {
        *error = where + QStringLiteral("unknown \"join\" %1").arg(join);
        return false;
    }

    network->systemAddress = object.value(QStringLiteral("address")).toString(QStringLiteral("127.0.0.1"));
    if (!Flavors::isLoopbackSystemAddress(network->systemAddress)) {
        *error = where + QStringLiteral("address %1 is not a loopback address").arg(network->systemAddress);
        return false;
    }
    const QJsonObject ports = object.value(QStringLiteral("rtspPorts")).toObject();
    for (auto it = ports.constBegin(); it != ports.constEnd(); ++it) {
        Flavors::SystemHost host;
        const int port = it.value().toInt(-1);
        if (!readHost(it.key(), &host) || port < 0 || port > 65535) {
            *error = where + QStringLiteral("bad RTSP port entry %1").arg(it.key());
            return false;
        }
        network->endpoints.append({host, static_cast<quint16>(port), 0});
    }
    // The encoder boards answer HTTP on a port of their own.
    const QJsonObject boards = object.value(QStringLiteral("boardPorts")).toObject();
    for (auto it = boards.constBegin(); it != boards.constEnd(); ++it) {
        Flavors::SystemHost host;
        const int port = it.value().toInt(-1);
        if (!readHost(it.key(), &host) || port < 0 || port > 65535) {
            *error = where + QStringLiteral("bad board port entry %1").arg(it.key());
            return false;
        }
        network->endpoints.append({host, 0, static_cast<quint16>(port)});
    }
    return true;
}

} // namespace

bool CWlanScenarioReader::apply(const QByteArray& json, CSimulatedWlan* wlan, QString* error)
{
    QString reason;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object: %1").arg(parseError.errorString());
        return false;
    }
    const QJsonObject root = document.object();

    QStringList interfaces;
    for (const QJsonValue& value : root.value(QStringLiteral("interfaces")).toArray()) {
        const QString description = value.toObject().value(QStringLiteral("description")).toString();
        if (description.isEmpty()) {
            if (error)
                *error = QStringLiteral("an interface has no \"description\"");
            return false;
        }
        interfaces.append(description);
    }
    QList<CSimulatedWlan::Network> networks;
    for (const QJsonValue& value : root.value(QStringLiteral("networks")).toArray()) {
        CSimulatedWlan::Network network;
        if (!readNetwork(value.toObject(), &network, &reason)) {
            if (error)
                *error = reason;
            return false;
        }
        networks.append(network);
    }
    const double openHandleError = root.value(QStringLiteral("openHandleError")).toDouble(0);
    if (openHandleError < 0 || openHandleError > 0xFFFFFFFF) {
        if (error)
            *error = QStringLiteral("bad \"openHandleError\"");
        return false;
    }

    wlan->setOpenHandleError(static_cast<ErrorCode>(openHandleError));
    for (const QString& description : qAsConst(interfaces))
        wlan->addInterface(description);
    for (const CSimulatedWlan::Network& network : qAsConst(networks))
        wlan->setNetwork(network);
    return true;
}

bool CWlanScenarioReader::applyFile(const QString& path, CSimulatedWlan* wlan, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxScenarioSize) {
        if (error)
            *error = QStringLiteral("%1 is too large for a scenario").arg(path);
        return false;
    }
    return apply(file.readAll(), wlan, error);
}

} // namespace Wlan
} // namespace Ulx
