#include "wlan/CNetworkManagerWlan.h"

#include "communication/WlanProfile.h"
#include "wlan/NetworkManagerMapping.h"

#include "CLogger.h"

#include <NetworkManagerQt/AccessPoint>
#include <NetworkManagerQt/Connection>
#include <NetworkManagerQt/Manager>
#include <NetworkManagerQt/Settings>
#include <NetworkManagerQt/WirelessDevice>
#include <NetworkManagerQt/WirelessSecuritySetting>
#include <NetworkManagerQt/WirelessSetting>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace Ulx {
namespace Wlan {

namespace {

using Tovrin::Logging::CLogger;

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kCategory = QStringLiteral("NetworkManager");
const QString kSecuritySetting = QStringLiteral("802-11-wireless-security");
constexpr int kBoundedCallMs = 1000;

NetworkManager::WirelessSetting::Ptr wirelessSetting(const NetworkManager::Connection::Ptr& connection)
{
    const NetworkManager::ConnectionSettings::Ptr settings = connection->settings();
    if (!settings)
        return {};
    return settings->setting(NetworkManager::Setting::Wireless).staticCast<NetworkManager::WirelessSetting>();
}

bool isSecured(const NetworkManager::Connection::Ptr& connection)
{
    const NetworkManager::ConnectionSettings::Ptr settings = connection->settings();
    if (!settings)
        return false;
    const auto security = settings->setting(NetworkManager::Setting::WirelessSecurity)
                              .staticCast<NetworkManager::WirelessSecuritySetting>();
    return security && security->keyMgmt() != NetworkManager::WirelessSecuritySetting::Unknown;
}

} // namespace

CNetworkManagerWlan::CNetworkManagerWlan(QObject* parent)
    : QObject(parent)
{
}

CNetworkManagerWlan::~CNetworkManagerWlan() = default;

bool CNetworkManagerWlan::serviceFound(int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("NameHasOwner"));
    ask << kService;
    const QDBusMessage answer = bus.call(ask, QDBus::Block, timeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()
           && answer.arguments().constFirst().toBool();
}

void CNetworkManagerWlan::whenAnswered(const QDBusPendingCall& call,
                                       std::function<void(const QDBusPendingCall&)> answered)
{
    // The watcher is this object's child: an answer that comes after it is gone is dropped.
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                     [answered = std::move(answered)](QDBusPendingCallWatcher* finished) {
                         answered(*finished);
                         finished->deleteLater();
                     });
}

void CNetworkManagerWlan::logFailure(const QString& operation, const QString& text) const
{
    CLogger::logMessage(CLogger::LogLevelWarning, kCategory, QStringLiteral("[%1] %2").arg(operation, text), {});
}

ErrorCode CNetworkManagerWlan::openHandle(quint32, ClientHandle* handle)
{
    if (!serviceFound(kBoundedCallMs))
        return ErrorServiceNotActive;
    startWatching();
    const ClientHandle opened = m_nextHandle++;
    m_callbacks.insert(opened, {0, NotificationCallback()});
    *handle = opened;
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::closeHandle(ClientHandle handle)
{
    return m_callbacks.remove(handle) > 0 ? ErrorSuccess : ErrorInvalidHandle;
}

ErrorCode CNetworkManagerWlan::registerNotification(ClientHandle handle, quint32 sources, NotificationCallback callback)
{
    if (!m_callbacks.contains(handle))
        return ErrorInvalidHandle;
    m_callbacks[handle] = {sources, std::move(callback)};
    return ErrorSuccess;
}

void CNetworkManagerWlan::notify(const QUuid& guid, quint32 source, quint32 code, const QByteArray& ssid, quint32 reason)
{
    Notification notification;
    notification.interfaceGuid = guid;
    notification.source = source;
    notification.code = code;
    notification.ssid = ssid;
    notification.reasonCode = reason;
    // A copy: a callback may close its handle.
    const auto callbacks = m_callbacks;
    for (const auto& entry : callbacks) {
        if ((entry.first & source) && entry.second)
            entry.second(notification);
    }
}

void CNetworkManagerWlan::startWatching()
{
    if (m_watching)
        return;
    m_watching = true;
    NetworkManager::Notifier* notifier = NetworkManager::notifier();
    QObject::connect(notifier, &NetworkManager::Notifier::deviceAdded, this,
                     [this](const QString& uni) { watchDevice(uni, true); });
    QObject::connect(notifier, &NetworkManager::Notifier::deviceRemoved, this,
                     [this](const QString& uni) { forgetDevice(uni); });
    QObject::connect(notifier, &NetworkManager::Notifier::serviceDisappeared, this, [this]() {
        CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                            QStringLiteral("NetworkManager left the system bus: no Wi-Fi until it is back."), {});
        forgetAllDevices();
    });
    QObject::connect(notifier, &NetworkManager::Notifier::serviceAppeared, this, [this]() {
        CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("NetworkManager is on the system bus."), {});
        for (const NetworkManager::Device::Ptr& device : NetworkManager::networkInterfaces())
            watchDevice(device->uni(), true);
    });
    for (const NetworkManager::Device::Ptr& device : NetworkManager::networkInterfaces())
        watchDevice(device->uni(), false);
}

void CNetworkManagerWlan::watchDevice(const QString& uni, bool announce)
{
    for (const DeviceRecord& known : qAsConst(m_devices)) {
        if (known.uni == uni)
            return;
    }
    const NetworkManager::WirelessDevice::Ptr device = wirelessDevice(uni);
    if (!device)
        return;
    DeviceRecord record;
    record.uni = uni;
    record.guid = interfaceGuidFor(device->permanentHardwareAddress(), device->interfaceName());
    record.state = device->state();
    if (record.state == NmDeviceActivated && device->activeAccessPoint())
        record.connectedSsid = device->activeAccessPoint()->rawSsid();
    m_devices.append(record);

    QObject::connect(device.data(), &NetworkManager::Device::stateChanged, this,
                     [this, uni](NetworkManager::Device::State newState, NetworkManager::Device::State,
                                 NetworkManager::Device::StateChangeReason reason) {
                         onDeviceStateChanged(uni, newState, reason);
                     });
    QObject::connect(device.data(), &NetworkManager::WirelessDevice::lastScanChanged, this, [this, uni]() {
        for (const DeviceRecord& known : qAsConst(m_devices)) {
            if (known.uni == uni)
                notify(known.guid, SourceAcm, AcmScanComplete);
        }
    });
    if (announce)
        notify(record.guid, SourceAcm, AcmInterfaceArrival);
}

void CNetworkManagerWlan::forgetDevice(const QString& uni)
{
    for (int i = 0; i < m_devices.size(); ++i) {
        if (m_devices.at(i).uni == uni) {
            const QUuid guid = m_devices.takeAt(i).guid;
            notify(guid, SourceAcm, AcmInterfaceRemoval);
            return;
        }
    }
}

void CNetworkManagerWlan::forgetAllDevices()
{
    const QList<DeviceRecord> gone = m_devices;
    m_devices.clear();
    for (const DeviceRecord& record : gone)
        notify(record.guid, SourceAcm, AcmInterfaceRemoval);
}

void CNetworkManagerWlan::onDeviceStateChanged(const QString& uni, quint32 newState, quint32 reason)
{
    DeviceRecord* record = nullptr;
    for (DeviceRecord& known : m_devices) {
        if (known.uni == uni)
            record = &known;
    }
    // NetworkManagerQt reports a change both from the signal and from the property.
    if (!record || record->state == newState)
        return;
    const quint32 oldState = record->state;
    record->state = newState;
    const QUuid guid = record->guid;

    if (isActivatingDeviceState(newState)) {
        if (!isActivatingDeviceState(oldState) && !record->joinSsid.isEmpty())
            notify(guid, SourceMsm, MsmStart, record->joinSsid);
        return;
    }
    if (newState == NmDeviceActivated) {
        QByteArray ssid = record->joinSsid;
        if (ssid.isEmpty()) {
            const NetworkManager::WirelessDevice::Ptr device = wirelessDevice(uni);
            if (device && device->activeAccessPoint())
                ssid = device->activeAccessPoint()->rawSsid();
        }
        record->joinSsid.clear();
        record->connectedSsid = ssid;
        notify(guid, SourceMsm, MsmConnected, ssid, 0);
        return;
    }
    const QByteArray lastSsid = record->connectedSsid.isEmpty() ? record->joinSsid : record->connectedSsid;
    record->connectedSsid.clear();
    if (newState == NmDeviceDeactivating) {
        notify(guid, SourceMsm, MsmDisassociating, lastSsid);
        return;
    }
    if (newState == NmDeviceFailed && !record->joinSsid.isEmpty()) {
        const QByteArray ssid = record->joinSsid;
        const bool keyRefused = record->joinSecured && isKeyFailureReason(reason);
        record->joinSsid.clear();
        CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                            QStringLiteral("The join of `%1` failed, reason %2.").arg(QString::fromUtf8(ssid)).arg(reason),
                            {});
        if (keyRefused)
            notify(guid, SourceAcm, AcmProfilesExhausted, ssid);
        else
            notify(guid, SourceMsm, MsmConnected, ssid, reason != 0 ? reason : 1);
        return;
    }
    if (oldState >= NmDevicePrepare && newState <= NmDeviceDisconnected)
        notify(guid, SourceMsm, MsmDisconnected, lastSsid);
}

NetworkManager::WirelessDevice::Ptr CNetworkManagerWlan::wirelessDevice(const QString& uni) const
{
    const NetworkManager::Device::Ptr device = NetworkManager::findNetworkInterface(uni);
    if (!device || device->type() != NetworkManager::Device::Wifi)
        return {};
    return device.objectCast<NetworkManager::WirelessDevice>();
}

ErrorCode CNetworkManagerWlan::checkCall(ClientHandle handle, const QUuid& interfaceGuid, DeviceRecord** record)
{
    if (!m_callbacks.contains(handle))
        return ErrorInvalidHandle;
    for (DeviceRecord& known : m_devices) {
        if (known.guid == interfaceGuid) {
            *record = &known;
            return ErrorSuccess;
        }
    }
    return ErrorNotFound;
}

ErrorCode CNetworkManagerWlan::checkDevice(ClientHandle handle, const QUuid& interfaceGuid, DeviceRecord** record,
                                           NetworkManager::WirelessDevice::Ptr* device)
{
    if (const ErrorCode error = checkCall(handle, interfaceGuid, record))
        return error;
    *device = wirelessDevice((*record)->uni);
    return *device ? ErrorSuccess : ErrorNotFound;
}

ErrorCode CNetworkManagerWlan::enumInterfaces(ClientHandle handle, QList<InterfaceInfo>* interfaces,
                                              quint32* currentIndex)
{
    if (!m_callbacks.contains(handle))
        return ErrorInvalidHandle;
    QList<InterfaceInfo> list;
    for (const DeviceRecord& record : qAsConst(m_devices)) {
        const NetworkManager::WirelessDevice::Ptr device = wirelessDevice(record.uni);
        if (!device)
            continue;
        list.append({record.guid, device->interfaceName(), interfaceStateFromDevice(record.state)});
    }
    *interfaces = list;
    *currentIndex = list.isEmpty() ? 0xFFFFFFFF : 0;
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::queryRadioState(ClientHandle handle, const QUuid& interfaceGuid,
                                               QList<PhyRadioState>* phys)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    const quint32 software = NetworkManager::isWirelessEnabled() ? RadioOn : RadioOff;
    const quint32 hardware = NetworkManager::isWirelessHardwareEnabled() ? RadioOn : RadioOff;
    *phys = {PhyRadioState{0, software, hardware}};
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::setRadioState(ClientHandle handle, const QUuid& interfaceGuid, const PhyRadioState& state)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    // NetworkManagerQt writes the property with a blocking call: the write is sent here instead.
    QDBusMessage write = QDBusMessage::createMethodCall(kService, kManagerPath,
                                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                                        QStringLiteral("Set"));
    write << kService << QStringLiteral("WirelessEnabled")
          << QVariant::fromValue(QDBusVariant(state.softwareState == RadioOn));
    whenAnswered(QDBusConnection::systemBus().asyncCall(write), [this](const QDBusPendingCall& answer) {
        if (answer.isError())
            logFailure(QStringLiteral("setRadioState"), answer.error().message());
    });
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::getInterfaceCapability(ClientHandle handle, const QUuid& interfaceGuid,
                                                      quint32* supportedPhys)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    *supportedPhys = 1; // NetworkManager switches one radio for all adapters
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::queryRssi(ClientHandle handle, const QUuid& interfaceGuid, qint32* rssi)
{
    DeviceRecord* record = nullptr;
    NetworkManager::WirelessDevice::Ptr device;
    if (const ErrorCode error = checkDevice(handle, interfaceGuid, &record, &device))
        return error;
    NetworkManager::AccessPoint::Ptr accessPoint = device->activeAccessPoint();
    if (!accessPoint && !record->connectedSsid.isEmpty())
        accessPoint = device->findAccessPoint(strongestAccessPoint(record->uni, record->connectedSsid));
    if (!accessPoint || record->state != NmDeviceActivated)
        return ErrorInvalidState;
    // NetworkManager reports a percentage; the manager turns 2 × RSSI + 200 back into it.
    *rssi = (accessPoint->signalStrength() + 1) / 2 - 100;
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::setInterface(ClientHandle handle, const QUuid& interfaceGuid, quint32, quint32)
{
    // Background scanning and media streaming mode have no counterpart in NetworkManager, which
    // does not scan in the background while a connection is active.
    DeviceRecord* record = nullptr;
    return checkCall(handle, interfaceGuid, &record);
}

ErrorCode CNetworkManagerWlan::scan(ClientHandle handle, const QUuid& interfaceGuid)
{
    DeviceRecord* record = nullptr;
    NetworkManager::WirelessDevice::Ptr device;
    if (const ErrorCode error = checkDevice(handle, interfaceGuid, &record, &device))
        return error;
    const QUuid guid = record->guid;
    whenAnswered(device->requestScan(), [this, guid](const QDBusPendingCall& answer) {
        // NetworkManager refuses a request while a scan runs or right after one, which at the
        // manager's pace is every other one: no log line, the access points stay as they are.
        if (answer.isError())
            notify(guid, SourceAcm, AcmScanFail);
    });
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::getAvailableNetworkList(ClientHandle handle, const QUuid& interfaceGuid, quint32,
                                                       QList<AvailableNetwork>* networks)
{
    DeviceRecord* record = nullptr;
    NetworkManager::WirelessDevice::Ptr device;
    if (const ErrorCode error = checkDevice(handle, interfaceGuid, &record, &device))
        return error;

    // One entry per SSID: the strongest access point's, strongest network first.
    QList<QPair<int, AvailableNetwork>> strongest;
    for (const QString& path : device->accessPoints()) {
        const NetworkManager::AccessPoint::Ptr accessPoint = device->findAccessPoint(path);
        if (!accessPoint || accessPoint->rawSsid().isEmpty())
            continue; // hidden networks cannot be chosen by name
        AvailableNetwork entry;
        entry.ssid = accessPoint->rawSsid().left(MaxSsidLength);
        securityFromAccessPoint(accessPoint->capabilities() & NetworkManager::AccessPoint::Privacy,
                                quint32(accessPoint->wpaFlags()), quint32(accessPoint->rsnFlags()),
                                &entry.authAlgorithm, &entry.cipherAlgorithm);
        const int strength = accessPoint->signalStrength();
        bool replaced = false;
        for (auto& kept : strongest) {
            if (kept.second.ssid == entry.ssid) {
                if (strength > kept.first)
                    kept = {strength, entry};
                replaced = true;
                break;
            }
        }
        if (!replaced)
            strongest.append({strength, entry});
    }
    std::stable_sort(strongest.begin(), strongest.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const bool connected = record->state == NmDeviceActivated;
    networks->clear();
    for (auto& kept : strongest) {
        AvailableNetwork entry = kept.second;
        if (connected && entry.ssid == record->connectedSsid)
            entry.flags |= NetworkConnected;
        if (!savedConnections(entry.ssid).isEmpty())
            entry.flags |= NetworkHasProfile;
        networks->append(entry);
    }
    return ErrorSuccess;
}

QString CNetworkManagerWlan::strongestAccessPoint(const QString& uni, const QByteArray& ssid) const
{
    const NetworkManager::WirelessDevice::Ptr device = wirelessDevice(uni);
    if (!device)
        return QString();
    QString best;
    int bestStrength = -1;
    for (const QString& path : device->accessPoints()) {
        const NetworkManager::AccessPoint::Ptr accessPoint = device->findAccessPoint(path);
        if (accessPoint && accessPoint->rawSsid() == ssid && accessPoint->signalStrength() > bestStrength) {
            best = path;
            bestStrength = accessPoint->signalStrength();
        }
    }
    return best;
}

QList<NetworkManager::Connection::Ptr> CNetworkManagerWlan::savedConnections(const QByteArray& ssid) const
{
    QList<NetworkManager::Connection::Ptr> found;
    for (const NetworkManager::Connection::Ptr& connection : NetworkManager::listConnections()) {
        if (m_removedConnections.contains(connection->path()))
            continue;
        const NetworkManager::WirelessSetting::Ptr wireless = wirelessSetting(connection);
        if (wireless && wireless->ssid() == ssid)
            found.append(connection);
    }
    return found;
}

ErrorCode CNetworkManagerWlan::connect(ClientHandle handle, const QUuid& interfaceGuid,
                                       const ConnectionParameters& parameters)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    QString key;
    QString encryption = QStringLiteral("NONE");
    if (parameters.mode == ConnectionModeTemporaryProfile || parameters.mode == ConnectionModeProfile) {
        const ProfileRequest request = readWlanProfile(parameters.profileXml);
        if (!request.valid || request.ssid.toUtf8() != parameters.ssid)
            return ErrorInvalidParameter;
        key = request.key;
        encryption = request.encryption;
    }
    const QString uni = record->uni;
    const QString accessPoint = strongestAccessPoint(uni, parameters.ssid);
    const QString specificObject = accessPoint.isEmpty() ? QStringLiteral("/") : accessPoint;

    // A connection saved for the network (by us or by the user) is used as it is; when its key
    // turns out wrong the manager deletes it and joins again, which then adds ours.
    const QList<NetworkManager::Connection::Ptr> saved = savedConnections(parameters.ssid);
    const bool reuse = !saved.isEmpty();
    record->joinSecured = reuse ? isSecured(saved.constFirst()) : !key.isNull() && encryption != QLatin1String("NONE");
    const QDBusPendingCall call =
        reuse ? QDBusPendingCall(NetworkManager::activateConnection(saved.constFirst()->path(), uni, specificObject))
              : QDBusPendingCall(NetworkManager::addAndActivateConnection(
                    connectionSettingsFor(parameters.ssid, key, encryption), uni, specificObject));
    record->joinSsid = parameters.ssid;
    record->joinGeneration = m_nextJoin++;
    const quint64 generation = record->joinGeneration;
    whenAnswered(call, [this, uni, generation](const QDBusPendingCall& answer) { onJoinReply(uni, generation, answer); });
    return ErrorSuccess;
}

void CNetworkManagerWlan::onJoinReply(const QString& uni, quint64 generation, const QDBusPendingCall& call)
{
    if (!call.isError())
        return;
    for (DeviceRecord& record : m_devices) {
        if (record.uni != uni || record.joinGeneration != generation || record.joinSsid.isEmpty())
            continue;
        logFailure(QStringLiteral("connect"), QStringLiteral("NetworkManager refused to join `%1`: %2 (%3)")
                                                  .arg(QString::fromUtf8(record.joinSsid), call.error().message(),
                                                       call.error().name()));
        record.joinSsid.clear();
        notify(record.guid, SourceAcm, AcmConnectionAttemptFail);
    }
}

ErrorCode CNetworkManagerWlan::disconnect(ClientHandle handle, const QUuid& interfaceGuid)
{
    DeviceRecord* record = nullptr;
    NetworkManager::WirelessDevice::Ptr device;
    if (const ErrorCode error = checkDevice(handle, interfaceGuid, &record, &device))
        return error;
    record->joinSsid.clear();
    ++record->joinGeneration;
    whenAnswered(device->disconnectInterface(), [this](const QDBusPendingCall& answer) {
        // Not active is the usual answer when the join had not started yet.
        if (answer.isError())
            logFailure(QStringLiteral("disconnect"), answer.error().message());
    });
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::savedProfileConnections(ClientHandle handle, const QUuid& interfaceGuid,
                                                       const QString& profileName,
                                                       QList<NetworkManager::Connection::Ptr>* saved)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    *saved = savedConnections(profileName.toUtf8());
    return saved->isEmpty() ? ErrorNotFound : ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::getProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName,
                                          quint32* flags, QString* profileXml, quint32* grantedAccess)
{
    QList<NetworkManager::Connection::Ptr> saved;
    if (const ErrorCode error = savedProfileConnections(handle, interfaceGuid, profileName, &saved))
        return error;
    const NetworkManager::Connection::Ptr connection = saved.constFirst();
    QString key;
    quint32 auth = AuthOpen;
    quint32 cipher = CipherNone;
    if (isSecured(connection)) {
        auth = AuthRsnaPsk;
        cipher = CipherCcmp;
        key = QLatin1String("");
        if (flags && (*flags & ProfileGetPlaintextKey)) {
            // The key is only given out on request; the call is bounded, as the caller waits.
            QDBusMessage ask = QDBusMessage::createMethodCall(kService, connection->path(),
                                                              QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection"),
                                                              QStringLiteral("GetSecrets"));
            ask << kSecuritySetting;
            const QDBusMessage answer = QDBusConnection::systemBus().call(ask, QDBus::Block, kBoundedCallMs);
            if (answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()) {
                const auto secrets = qdbus_cast<QMap<QString, QVariantMap>>(answer.arguments().constFirst());
                key = secrets.value(kSecuritySetting).value(QStringLiteral("psk")).toString();
            } else {
                logFailure(QStringLiteral("getProfile"), answer.errorMessage());
            }
        }
    }
    QString document;
    Communication::generateWlanProfile(profileName, key, auth, cipher, document);
    if (profileXml)
        *profileXml = document;
    if (flags)
        *flags = ProfileUser;
    if (grantedAccess)
        *grantedAccess = NetworkManager::canModify() ? ProfileWriteAccess : ProfileReadAccess;
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::deleteProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName)
{
    QList<NetworkManager::Connection::Ptr> saved;
    if (const ErrorCode error = savedProfileConnections(handle, interfaceGuid, profileName, &saved))
        return error;
    for (const NetworkManager::Connection::Ptr& connection : saved) {
        // Marked at once: a join that follows must not pick it up while the removal travels.
        m_removedConnections.insert(connection->path());
        const QString path = connection->path();
        whenAnswered(connection->remove(), [this, path](const QDBusPendingCall& answer) {
            // NetworkManager may hand the path to a new connection later on.
            m_removedConnections.remove(path);
            if (answer.isError())
                logFailure(QStringLiteral("deleteProfile"), answer.error().message());
        });
    }
    return ErrorSuccess;
}

QString CNetworkManagerWlan::errorText(ErrorCode code) const
{
    return Wlan::errorText(code);
}

} // namespace Wlan
} // namespace Ulx
