#include "wlan/CNetworkManagerWorker.h"

#include "wlan/CNetworkManagerWlan.h"

#include "CLogger.h"

#include <NetworkManagerQt/Manager>

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QThread>
#include <QTimerEvent>

namespace Ulx {
namespace Wlan {

namespace {

using Tovrin::Logging::CLogger;

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kCategory = QStringLiteral("NetworkManager");
constexpr int kPresenceTimeoutMs = 2000;
constexpr quint32 kClientVersion = 2;

Notification notificationOf(const QUuid& guid, quint32 source, quint32 code)
{
    Notification notification;
    notification.interfaceGuid = guid;
    notification.source = source;
    notification.code = code;
    return notification;
}

} // namespace

CNetworkManagerWorker::CNetworkManagerWorker(std::shared_ptr<CWlanBoard> board, QObject* parent)
    : QObject(parent)
    , m_board(std::move(board))
{
}

CNetworkManagerWorker::~CNetworkManagerWorker()
{
    if (m_wlan && m_handle != 0)
        m_wlan->closeHandle(m_handle);
}

void CNetworkManagerWorker::start()
{
    // Watch first, then ask: an owner that comes in between is not missed.
    m_watcher = new QDBusServiceWatcher(kService, QDBusConnection::systemBus(),
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    // Taken up on the next refresh, not inside the name's announcement: NetworkManagerQt, made
    // there, would take the same announcement for a second start and drop the devices it made.
    QObject::connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this]() { setServiceFound(true); });
    QObject::connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this]() { setServiceFound(false); });
    const bool found = CNetworkManagerWlan::serviceFound(kPresenceTimeoutMs);
    if (!found) {
        CLogger::logMessage(CLogger::LogLevelError, kCategory,
                            QStringLiteral("No Wi-Fi service: NetworkManager is not on the system bus; camera systems "
                                           "cannot be found or joined."),
                            {});
    }
    m_checked = true;
    m_serviceFound = !found; // so that the first answer is always told
    setServiceFound(found);
    m_refresh.start(RefreshIntervalMs, this);
    if (found)
        takeUp();
}

void CNetworkManagerWorker::setServiceFound(bool found)
{
    if (!m_checked || found == m_serviceFound)
        return;
    m_serviceFound = found;
    emit serviceFoundChanged(found);
}

void CNetworkManagerWorker::takeUp()
{
    if (m_wlan)
        return;
    // NetworkManagerQt's objects are made here, on this thread, and stay here.
    auto* wlan = new CNetworkManagerWlan(this);
    ClientHandle handle = 0;
    if (wlan->openHandle(kClientVersion, &handle) != ErrorSuccess) {
        delete wlan; // not answering yet: tried again on the next refresh
        return;
    }
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("NetworkManager taken up."), {});
    m_wlan = wlan;
    m_handle = handle;
    m_wlan->registerNotification(m_handle, SourceAcm | SourceMsm,
                                 [this](const Notification& notification) { onNotification(notification); });
    NetworkManager::Notifier* notifier = NetworkManager::notifier();
    QObject::connect(notifier, &NetworkManager::Notifier::wirelessEnabledChanged, this,
                     &CNetworkManagerWorker::scheduleFlush);
    QObject::connect(notifier, &NetworkManager::Notifier::wirelessHardwareEnabledChanged, this,
                     &CNetworkManagerWorker::scheduleFlush);
    flush();
}

void CNetworkManagerWorker::finish()
{
    m_finishing = true;
    m_refresh.stop();
    const auto end = [this]() { thread()->quit(); };
    if (!m_wlan || m_wlan->isSettled()) {
        end();
        return;
    }
    QObject::connect(m_wlan, &CNetworkManagerWlan::settled, this, end);
}

void CNetworkManagerWorker::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_refresh.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    // Access points' strength and the like change without a notification: read again.
    if (m_serviceFound && !m_wlan)
        takeUp();
    flush();
}

void CNetworkManagerWorker::onNotification(const Notification& notification)
{
    // Runs inside the layer's own handlers: it is handed on once the snapshot shows its cause.
    m_pending.append(notification);
    scheduleFlush();
}

void CNetworkManagerWorker::scheduleFlush()
{
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    QMetaObject::invokeMethod(this, [this]() { flush(); }, Qt::QueuedConnection);
}

std::shared_ptr<WlanSnapshot> CNetworkManagerWorker::readSnapshot() const
{
    auto snapshot = std::make_shared<WlanSnapshot>();
    snapshot->profiles = m_profiles;
    QList<InterfaceInfo> interfaces;
    quint32 currentIndex = 0xFFFFFFFF;
    if (!m_wlan || m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex) != ErrorSuccess)
        return snapshot;
    snapshot->currentIndex = currentIndex;
    for (const InterfaceInfo& info : qAsConst(interfaces)) {
        WlanInterfaceSnapshot entry;
        entry.info = info;
        entry.radioError = m_wlan->queryRadioState(m_handle, info.guid, &entry.radio);
        entry.capabilityError = m_wlan->getInterfaceCapability(m_handle, info.guid, &entry.supportedPhys);
        entry.rssiError = m_wlan->queryRssi(m_handle, info.guid, &entry.rssi);
        entry.networksError = m_wlan->getAvailableNetworkList(m_handle, info.guid, 0, &entry.networks);
        snapshot->interfaces.append(entry);
    }
    return snapshot;
}

void CNetworkManagerWorker::flush()
{
    m_flushQueued = false;
    if (m_finishing)
        return;
    const QList<Notification> pending = std::move(m_pending);
    m_pending.clear();
    // A refused key makes the manager read the profile at once: read it before it is told.
    for (const Notification& notification : pending) {
        if (notification.source == SourceAcm && notification.code == AcmProfilesExhausted)
            fetchProfile(notification.interfaceGuid, ssidText(notification.ssid));
    }
    const std::shared_ptr<WlanSnapshot> snapshot = readSnapshot();
    m_board->publish(snapshot);

    QSet<QUuid> present;
    for (const WlanInterfaceSnapshot& entry : qAsConst(snapshot->interfaces))
        present.insert(entry.info.guid);
    // Interfaces found when NetworkManager was taken up arrive without a word of their own.
    for (const WlanInterfaceSnapshot& entry : qAsConst(snapshot->interfaces)) {
        if (!m_announced.contains(entry.info.guid)) {
            m_announced.insert(entry.info.guid);
            m_board->deliver(notificationOf(entry.info.guid, SourceAcm, AcmInterfaceArrival));
        }
    }
    for (const Notification& notification : pending) {
        const bool arrival = notification.source == SourceAcm && notification.code == AcmInterfaceArrival;
        const bool removal = notification.source == SourceAcm && notification.code == AcmInterfaceRemoval;
        if (arrival) {
            if (m_announced.contains(notification.interfaceGuid) || !present.contains(notification.interfaceGuid))
                continue;
            m_announced.insert(notification.interfaceGuid);
        } else if (removal) {
            if (!m_announced.remove(notification.interfaceGuid))
                continue;
            m_board->deliver(notification);
            // Gone and back between two snapshots.
            if (present.contains(notification.interfaceGuid)) {
                m_announced.insert(notification.interfaceGuid);
                m_board->deliver(notificationOf(notification.interfaceGuid, SourceAcm, AcmInterfaceArrival));
            }
            continue;
        }
        m_board->deliver(notification);
    }
    const QSet<QUuid> announced = m_announced;
    for (const QUuid& guid : announced) {
        if (!present.contains(guid)) {
            m_announced.remove(guid);
            m_board->deliver(notificationOf(guid, SourceAcm, AcmInterfaceRemoval));
        }
    }
}

void CNetworkManagerWorker::logFailure(const QString& operation, ErrorCode error) const
{
    CLogger::logMessage(CLogger::LogLevelWarning, kCategory,
                        QStringLiteral("[%1] %2 (%3)").arg(operation, errorText(error)).arg(error), {});
}

void CNetworkManagerWorker::scan(const QUuid& interfaceGuid)
{
    if (!m_wlan)
        return;
    if (m_wlan->scan(m_handle, interfaceGuid) != ErrorSuccess)
        m_pending.append(notificationOf(interfaceGuid, SourceAcm, AcmScanFail));
    scheduleFlush();
}

void CNetworkManagerWorker::connectTo(const QUuid& interfaceGuid, const ConnectionParameters& parameters)
{
    const ErrorCode error = m_wlan ? m_wlan->connect(m_handle, interfaceGuid, parameters) : ErrorServiceNotActive;
    if (error != ErrorSuccess) {
        logFailure(QStringLiteral("connect"), error);
        m_pending.append(notificationOf(interfaceGuid, SourceAcm, AcmConnectionAttemptFail));
    }
    scheduleFlush();
}

void CNetworkManagerWorker::disconnectFrom(const QUuid& interfaceGuid)
{
    if (!m_wlan)
        return;
    if (const ErrorCode error = m_wlan->disconnect(m_handle, interfaceGuid))
        logFailure(QStringLiteral("disconnect"), error);
    scheduleFlush();
}

void CNetworkManagerWorker::setInterface(const QUuid& interfaceGuid, quint32 opcode, quint32 value)
{
    if (m_wlan)
        m_wlan->setInterface(m_handle, interfaceGuid, opcode, value);
}

void CNetworkManagerWorker::setRadioState(const QUuid& interfaceGuid, const PhyRadioState& state)
{
    if (!m_wlan)
        return;
    if (const ErrorCode error = m_wlan->setRadioState(m_handle, interfaceGuid, state))
        logFailure(QStringLiteral("setRadioState"), error);
    scheduleFlush();
}

void CNetworkManagerWorker::deleteProfile(const QUuid& interfaceGuid, const QString& profileName)
{
    m_profiles.remove(profileName);
    if (m_wlan) {
        if (const ErrorCode error = m_wlan->deleteProfile(m_handle, interfaceGuid, profileName))
            logFailure(QStringLiteral("deleteProfile"), error);
    }
    scheduleFlush();
}

void CNetworkManagerWorker::readProfile(const QUuid& interfaceGuid, const QString& profileName)
{
    fetchProfile(interfaceGuid, profileName);
    scheduleFlush();
}

void CNetworkManagerWorker::fetchProfile(const QUuid& interfaceGuid, const QString& profileName)
{
    if (!m_wlan || profileName.isEmpty())
        return;
    WlanProfileSnapshot profile;
    profile.flags = ProfileGetPlaintextKey;
    profile.error = m_wlan->getProfile(m_handle, interfaceGuid, profileName, &profile.flags, &profile.profileXml,
                                       &profile.grantedAccess);
    m_profiles.insert(profileName, profile);
}

} // namespace Wlan
} // namespace Ulx
