#include "wlan/CNetworkManagerWlan.h"

#include "communication/WlanProfile.h"
#include "wlan/NetworkManagerMapping.h"

#include "CLogger.h"

#include <NetworkManagerQt/AccessPoint>
#include <NetworkManagerQt/ActiveConnection>
#include <NetworkManagerQt/Connection>
#include <NetworkManagerQt/Manager>
#include <NetworkManagerQt/Settings>
#include <NetworkManagerQt/Utils>
#include <NetworkManagerQt/WirelessDevice>
#include <NetworkManagerQt/WirelessSecuritySetting>
#include <NetworkManagerQt/WirelessSetting>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
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

// The connection's key management as NetworkManager names it; empty for a connection without security.
QString keyManagement(const NetworkManager::Connection::Ptr& connection)
{
    using Security = NetworkManager::WirelessSecuritySetting;
    const NetworkManager::ConnectionSettings::Ptr settings = connection->settings();
    if (!settings)
        return QString();
    const auto security = settings->setting(NetworkManager::Setting::WirelessSecurity).staticCast<Security>();
    if (!security || (security->isNull() && security->keyMgmt() == Security::Unknown))
        return QString();
    switch (security->keyMgmt()) {
    case Security::Wep:
        return QStringLiteral("none");
    case Security::Ieee8021x:
        return QStringLiteral("ieee8021x");
    case Security::WpaNone:
        return QStringLiteral("wpa-none");
    case Security::WpaPsk:
        return QStringLiteral("wpa-psk");
    case Security::WpaEap:
        return QStringLiteral("wpa-eap");
    case Security::SAE:
        return QStringLiteral("sae");
    case Security::WpaEapSuiteB192:
        return QStringLiteral("wpa-eap-suite-b-192");
    default:
        return QStringLiteral("unknown"); // fits no network, so it is never reused
    }
}

bool isSecured(const NetworkManager::Connection::Ptr& connection)
{
    return !keyManagement(connection).isEmpty();
}

bool isOwnConnection(const NetworkManager::Connection::Ptr& connection)
{
    return isOwnConnectionUuid(connection->uuid());
}

// Whether NetworkManager lets the connection run on the device: a connection bound to another
// interface name or another adapter's hardware address is refused there.
bool fitsDevice(const NetworkManager::Connection::Ptr& connection, const NetworkManager::WirelessDevice::Ptr& device)
{
    const NetworkManager::ConnectionSettings::Ptr settings = connection->settings();
    if (!settings)
        return false;
    if (!settings->interfaceName().isEmpty() && settings->interfaceName() != device->interfaceName())
        return false;
    const NetworkManager::WirelessSetting::Ptr wireless = wirelessSetting(connection);
    const QByteArray boundTo = wireless ? wireless->macAddress() : QByteArray();
    if (boundTo.isEmpty())
        return true;
    const QString address = NetworkManager::macAddressAsString(boundTo);
    return address.compare(device->permanentHardwareAddress(), Qt::CaseInsensitive) == 0
           || address.compare(device->hardwareAddress(), Qt::CaseInsensitive) == 0;
}

} // namespace

CNetworkManagerWlan::CNetworkManagerWlan(QObject* parent)
    : QObject(parent)
{
    qDBusRegisterMetaType<NmSettings>(); // a new connection's settings, sent with the join
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

void CNetworkManagerWlan::whenSettled(const QDBusPendingCall& call,
                                       std::function<void(const QDBusPendingCall&)> answered)
{
    ++m_unsettled;
    whenAnswered(call, [this, answered = std::move(answered)](const QDBusPendingCall& answer) {
        // What the answer sends on counts before this one stops counting.
        answered(answer);
        if (--m_unsettled == 0)
            emit settled();
    });
}

CNetworkManagerWlan::DeviceRecord* CNetworkManagerWlan::deviceRecord(const QString& uni)
{
    for (DeviceRecord& record : m_devices) {
        if (record.uni == uni)
            return &record;
    }
    return nullptr;
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
        m_serviceGone = true;
        // A NetworkManager that comes back may give the same paths to other connections.
        m_refusedConnections.clear();
        m_addAnew.clear();
        forgetAllDevices();
    });
    QObject::connect(notifier, &NetworkManager::Notifier::serviceAppeared, this, [this]() {
        CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("NetworkManager is on the system bus."), {});
        m_serviceGone = false;
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
    DeviceRecord* record = deviceRecord(uni);
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
        const QByteArray ssid = activatedSsid(*record);
        if (ssid == record->joinSsid)
            record->joinSsid.clear();
        record->connectedSsid = ssid;
        notify(guid, SourceMsm, MsmConnected, ssid, 0);
        return;
    }
    const QByteArray lastSsid = record->connectedSsid.isEmpty() ? record->joinSsid : record->connectedSsid;
    record->connectedSsid.clear();
    // While a join of ours is under way the device may still be leaving the connection it replaces.
    if ((newState <= NmDeviceDisconnected && record->joinSsid.isEmpty()) || newState == NmDeviceFailed)
        record->activeConnection.clear();
    if (newState == NmDeviceDeactivating) {
        // A failed join's connection going away is no leave: its failure has been told, and a
        // retry may be under way already.
        if (oldState != NmDeviceFailed && !lastSsid.isEmpty())
            notify(guid, SourceMsm, MsmDisassociating, lastSsid);
        return;
    }
    if (newState == NmDeviceFailed && !record->joinSsid.isEmpty()) {
        const QByteArray ssid = record->joinSsid;
        const bool keyRefused = record->joinSecured && isKeyFailureReason(reason);
        record->joinSsid.clear();
        // Someone else's connection is left as it is; the retry adds the program's own instead.
        if (keyRefused && !record->joinOwnConnection && !record->joinConnection.isEmpty())
            m_refusedConnections.insert(record->joinConnection);
        CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                            QStringLiteral("The join of `%1` failed, reason %2.").arg(ssidText(ssid)).arg(reason),
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

QByteArray CNetworkManagerWlan::activatedSsid(const DeviceRecord& record) const
{
    const NetworkManager::WirelessDevice::Ptr device = wirelessDevice(record.uni);
    const NetworkManager::ActiveConnection::Ptr active =
        device && !record.joinSsid.isEmpty() ? device->activeConnection() : nullptr;
    if (active && active->uuid() == record.joinUuid)
        return record.joinSsid;
    const QByteArray ssid = device && device->activeAccessPoint() ? device->activeAccessPoint()->rawSsid() : QByteArray();
    if (!record.joinSsid.isEmpty()) {
        // The desktop (or someone else) activated a connection of theirs while NetworkManager
        // still held the program's join: that is not the program's network.
        CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                            QStringLiteral("`%1` (%2) was activated while the join of `%3` was under way.")
                                .arg(ssidText(ssid), active ? active->id() : QString(),
                                     ssidText(record.joinSsid)),
                            {});
    }
    return ssid;
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
    // No adapter can be seen, which does not say that none is there.
    if (m_serviceGone)
        return ErrorServiceNotActive;
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
    // NetworkManager reports a percentage; the manager turns 2 × RSSI + 200 back into it. An odd
    // percentage has no RSSI of its own: it goes to the even one below, never to more signal than
    // there is.
    *rssi = accessPoint->signalStrength() / 2 - 100;
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
    // Asked every time the list is published: the saved connections are walked once, not once
    // per network.
    QSet<QByteArray> savedSsids;
    for (const NetworkManager::Connection::Ptr& connection : NetworkManager::listConnections()) {
        const NetworkManager::WirelessSetting::Ptr wireless = wirelessSetting(connection);
        if (wireless && !m_removedConnections.contains(connection->path()))
            savedSsids.insert(wireless->ssid());
    }
    networks->clear();
    for (auto& kept : strongest) {
        AvailableNetwork entry = kept.second;
        if (connected && entry.ssid == record->connectedSsid)
            entry.flags |= NetworkConnected;
        if (savedSsids.contains(entry.ssid))
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

NetworkManager::Connection::Ptr CNetworkManagerWlan::fittingConnection(const NetworkManager::WirelessDevice::Ptr& device,
                                                                      const QByteArray& ssid, ApSecurity security) const
{
    NetworkManager::Connection::Ptr others;
    for (const NetworkManager::Connection::Ptr& connection : savedConnections(ssid)) {
        if (m_refusedConnections.contains(connection->path()) || !fitsDevice(connection, device)
            || !keyManagementFits(security, keyManagement(connection)))
            continue;
        if (isOwnConnection(connection))
            return connection;
        if (!others)
            others = connection;
    }
    return others;
}

ErrorCode CNetworkManagerWlan::connect(ClientHandle handle, const QUuid& interfaceGuid,
                                       const ConnectionParameters& parameters)
{
    DeviceRecord* record = nullptr;
    NetworkManager::WirelessDevice::Ptr device;
    if (const ErrorCode error = checkDevice(handle, interfaceGuid, &record, &device))
        return error;
    ProfileRequest request;
    if (parameters.mode == ConnectionModeTemporaryProfile || parameters.mode == ConnectionModeProfile) {
        request = readWlanProfile(parameters.profileXml);
        if (!request.valid || ssidBytes(request.ssid) != parameters.ssid)
            return ErrorInvalidParameter;
    }
    const QString uni = record->uni;
    const QString accessPointPath = strongestAccessPoint(uni, parameters.ssid);
    const NetworkManager::AccessPoint::Ptr accessPoint = device->findAccessPoint(accessPointPath);
    const QString specificObject = accessPoint ? accessPointPath : QStringLiteral("/");

    // The access point says what NetworkManager will ask for; the profile only where no access
    // point of the network is in sight. A network without a key is joined open or opportunistic.
    ApSecurity security = securityFromProfile(request);
    if (accessPoint) {
        security = securityOfAccessPoint(accessPoint->capabilities() & NetworkManager::AccessPoint::Privacy,
                                         quint32(accessPoint->wpaFlags()), quint32(accessPoint->rsnFlags()));
    }
    if (request.key.isNull() && security != ApSecurity::Owe)
        security = ApSecurity::Open;

    // A connection saved for the network is used as it is when NetworkManager will run it here;
    // when the key of one of ours turns out wrong the manager deletes it and joins again, which
    // then adds ours anew with the key it gives; when someone else's fails it is passed over from
    // then on.
    const bool addAnew = m_addAnew.remove(parameters.ssid);
    const NetworkManager::Connection::Ptr saved =
        addAnew ? NetworkManager::Connection::Ptr() : fittingConnection(device, parameters.ssid, security);
    if (!saved && security == ApSecurity::Enterprise) {
        logFailure(QStringLiteral("connect"),
                   QStringLiteral("`%1` asks for an 802.1X sign-in, which the program cannot give.")
                       .arg(ssidText(parameters.ssid)));
        return ErrorNotSupported;
    }
    const NmSettings added = saved ? NmSettings() : connectionSettingsFor(parameters.ssid, request.key, security);
    record->joinSecured = saved ? isSecured(saved) : security != ApSecurity::Open;
    record->joinConnection = saved ? saved->path() : QString();
    record->joinUuid =
        saved ? saved->uuid() : added.value(QStringLiteral("connection")).value(QStringLiteral("uuid")).toString();
    record->joinOwnConnection = !saved || isOwnConnection(saved);
    QDBusMessage join = QDBusMessage::createMethodCall(kService, kManagerPath, kService,
                                                       saved ? QStringLiteral("ActivateConnection")
                                                             : QStringLiteral("AddAndActivateConnection"));
    if (saved)
        join << QVariant::fromValue(QDBusObjectPath(saved->path()));
    else
        join << QVariant::fromValue(added);
    join << QVariant::fromValue(QDBusObjectPath(uni)) << QVariant::fromValue(QDBusObjectPath(specificObject));
    record->joinSsid = parameters.ssid;
    record->joinGeneration = m_nextJoin++;
    const quint64 generation = record->joinGeneration;
    const QByteArray ssid = parameters.ssid;
    // The answer is awaited well beyond the manager's own patience: a join it gives up on is
    // still ended when NetworkManager carries it out late. Once NetworkManager has refused it,
    // nothing is left to end; once this bound has passed, the join is watched no longer.
    whenSettled(QDBusConnection::systemBus().asyncCall(join, m_joinAnswerTimeoutMs),
                [this, uni, generation, ssid](const QDBusPendingCall& answer) {
                    onJoinReply(uni, generation, ssid, answer);
                });
    return ErrorSuccess;
}

void CNetworkManagerWlan::onJoinReply(const QString& uni, quint64 generation, const QByteArray& ssid,
                                      const QDBusPendingCall& call)
{
    DeviceRecord* record = deviceRecord(uni);
    if (!record)
        return;
    const QString network = ssidText(ssid);
    const bool current = record->joinGeneration == generation && !record->joinSsid.isEmpty();
    if (!call.isError()) {
        // The active connection comes last: after the new connection's path when one was added.
        const QList<QVariant> answer = call.reply().arguments();
        const QString active = answer.isEmpty() ? QString() : answer.constLast().value<QDBusObjectPath>().path();
        if (record->joinGeneration == generation) {
            if (record->joinConnection.isEmpty() && answer.size() > 1)
                record->joinConnection = answer.constFirst().value<QDBusObjectPath>().path();
            record->activeConnection = active;
        } else if (record->joinSsid.isEmpty() && !active.isEmpty()) {
            // Given up or left before NetworkManager answered: the join must not go on behind
            // the program's back. A newer join under way takes the device over by itself.
            CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                                QStringLiteral("NetworkManager carried out the join of `%1` after the program had "
                                               "given it up: it is ended.")
                                    .arg(network),
                                {});
            deactivate(active);
        }
        return;
    }
    const QDBusError::ErrorType error = call.error().type();
    const bool unanswered = error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut;
    if (!current) {
        CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                            unanswered ? QStringLiteral("The join of `%1` given up earlier is no longer waited for: "
                                                        "NetworkManager did not answer it within %2 ms.")
                                             .arg(network)
                                             .arg(m_joinAnswerTimeoutMs)
                                       : QStringLiteral("NetworkManager dropped the join of `%1` given up earlier: %2")
                                             .arg(network, call.error().message()),
                            {});
        return;
    }
    const QString text = unanswered ? QStringLiteral("NetworkManager did not answer the join of `%1` in time: %2 (%3)")
                                    : QStringLiteral("NetworkManager refused to join `%1`: %2 (%3)");
    logFailure(QStringLiteral("connect"), text.arg(network, call.error().message(), call.error().name()));
    record->joinSsid.clear();
    notify(record->guid, SourceAcm, AcmConnectionAttemptFail);
}

void CNetworkManagerWlan::deactivate(const QString& activeConnection)
{
    whenSettled(NetworkManager::deactivateConnection(activeConnection), [this](const QDBusPendingCall& answer) {
        // Not active is the usual answer when the connection had ended meanwhile.
        if (answer.isError())
            logFailure(QStringLiteral("disconnect"), answer.error().message());
    });
}

void CNetworkManagerWlan::leaveOwnActiveConnection(const QString& uni, quint64 generation)
{
    // Asked of NetworkManager itself: NetworkManagerQt may not yet know an active connection that
    // has just appeared.
    const auto property = [](const QString& path, const QString& interface, const QString& name) {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            kService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        ask << interface << name;
        return QDBusConnection::systemBus().asyncCall(ask);
    };
    const auto value = [](const QDBusPendingCall& answer) {
        const QList<QVariant> arguments = answer.reply().arguments();
        return arguments.isEmpty() ? QVariant() : qvariant_cast<QDBusVariant>(arguments.constFirst()).variant();
    };
    const auto stillLeaving = [this, uni, generation]() {
        const DeviceRecord* record = deviceRecord(uni);
        return record && record->joinGeneration == generation;
    };
    const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
    whenSettled(property(uni, deviceInterface, QStringLiteral("ActiveConnection")),
                [this, uni, property, value, stillLeaving](const QDBusPendingCall& answer) {
                    const QString active = qvariant_cast<QDBusObjectPath>(value(answer)).path();
                    if (answer.isError() || active.isEmpty() || active == QLatin1String("/"))
                        return;
                    whenSettled(property(active, QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                                         QStringLiteral("Uuid")),
                                [this, uni, active, value, stillLeaving](const QDBusPendingCall& uuid) {
                                    if (uuid.isError() || !stillLeaving())
                                        return;
                                    if (isOwnConnectionUuid(value(uuid).toString())) {
                                        deactivate(active);
                                        return;
                                    }
                                    CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                                                        QStringLiteral("[disconnect] The active connection %1 is "
                                                                       "not the program's: it stays.")
                                                            .arg(active),
                                                        {});
                                });
                });
}

ErrorCode CNetworkManagerWlan::disconnect(ClientHandle handle, const QUuid& interfaceGuid)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    record->joinSsid.clear();
    ++record->joinGeneration;
    // Only the program's own active connection is ended: the one its join made or, after a
    // restart of the program, one of its own connections. Device.Disconnect would also keep
    // NetworkManager from joining the tablet's usual networks again until someone asks it to.
    const QString active = record->activeConnection;
    record->activeConnection.clear();
    if (!active.isEmpty())
        deactivate(active);
    else if (record->state == NmDeviceActivated || isActivatingDeviceState(record->state))
        leaveOwnActiveConnection(record->uni, record->joinGeneration);
    return ErrorSuccess;
}

ErrorCode CNetworkManagerWlan::savedProfileConnections(ClientHandle handle, const QUuid& interfaceGuid,
                                                       const QString& profileName,
                                                       QList<NetworkManager::Connection::Ptr>* saved)
{
    DeviceRecord* record = nullptr;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &record))
        return error;
    saved->clear();
    for (const NetworkManager::Connection::Ptr& connection : savedConnections(ssidBytes(profileName))) {
        if (isOwnConnection(connection))
            saved->append(connection);
    }
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
    m_addAnew.insert(ssidBytes(profileName));
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
