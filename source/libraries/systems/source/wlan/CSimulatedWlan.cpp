#include "wlan/CSimulatedWlan.h"

#include "CLogger.h"

#include <QMutexLocker>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>

namespace Ulx {
namespace Wlan {

// Lives on the simulator's notification thread; runs the scheduled actions there.
class CSimulatedWlanNotifier : public QObject
{
};

namespace {

constexpr int kThreadStopTimeoutMs = 5000;

// The key material of a profile document; a null string when it has none.
QString keyMaterialOf(const QString& profileXml)
{
    QXmlStreamReader reader(profileXml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("keyMaterial"))
            return reader.readElementText();
    }
    return QString();
}

QString profileDocument(const QString& name, const QString& key)
{
    // A stored profile as the service hands it out: enough for the diagnostics that read it.
    return QStringLiteral("<WLANProfile><name>%1</name><MSM><security><sharedKey><keyMaterial>%2</keyMaterial>"
                          "</sharedKey></security></MSM></WLANProfile>")
        .arg(name.toHtmlEscaped(), key.toHtmlEscaped());
}

} // namespace

CSimulatedWlan::CSimulatedWlan()
{
    m_thread = new QThread();
    m_thread->setObjectName(QStringLiteral("SimulatedWlanNotifications"));
    m_notifier = new CSimulatedWlanNotifier();
    m_notifier->moveToThread(m_thread);
    m_thread->start();
}

CSimulatedWlan::~CSimulatedWlan()
{
    m_thread->quit();
    if (!m_thread->wait(kThreadStopTimeoutMs)) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("NetworkManager"),
                                             QStringLiteral("The simulated WLAN's notification thread did not stop."),
                                             {});
        m_thread->terminate();
        m_thread->wait(kThreadStopTimeoutMs);
    }
    delete m_notifier; // its thread has ended
    delete m_thread;
}

QUuid CSimulatedWlan::addInterface(const QString& description, const QUuid& guid)
{
    InterfaceModel model;
    model.info.guid = guid.isNull() ? QUuid::createUuid() : guid;
    model.info.description = description;
    {
        QMutexLocker locker(&m_mutex);
        m_interfaces.append(model);
    }
    Notification arrival;
    arrival.interfaceGuid = model.info.guid;
    arrival.source = SourceAcm;
    arrival.code = AcmInterfaceArrival;
    schedule(0, [this, arrival]() { deliver({arrival}); });
    return model.info.guid;
}

void CSimulatedWlan::removeInterface(const QUuid& guid)
{
    {
        QMutexLocker locker(&m_mutex);
        const int index = interfaceIndex(guid);
        if (index < 0)
            return;
        m_interfaces.removeAt(index);
    }
    Notification removal;
    removal.interfaceGuid = guid;
    removal.source = SourceAcm;
    removal.code = AcmInterfaceRemoval;
    schedule(0, [this, removal]() { deliver({removal}); });
}

void CSimulatedWlan::setOpenHandleError(ErrorCode error)
{
    QMutexLocker locker(&m_mutex);
    m_openHandleError = error;
}

void CSimulatedWlan::setNetwork(const Network& network)
{
    QMutexLocker locker(&m_mutex);
    const int index = networkIndex(network.ssid);
    if (index < 0)
        m_networks.append(network);
    else
        m_networks[index] = network;
}

void CSimulatedWlan::appendNetwork(const Network& network)
{
    QMutexLocker locker(&m_mutex);
    m_networks.append(network);
}

void CSimulatedWlan::removeNetwork(const QByteArray& ssid)
{
    bool wasJoined = false;
    {
        QMutexLocker locker(&m_mutex);
        const int index = networkIndex(ssid);
        if (index >= 0)
            m_networks.removeAt(index);
        for (const InterfaceModel& model : qAsConst(m_interfaces))
            wasJoined = wasJoined || model.connectedSsid == ssid;
    }
    if (wasJoined)
        dropConnection();
}

void CSimulatedWlan::setNetworkVisible(const QByteArray& ssid, bool visible)
{
    QMutexLocker locker(&m_mutex);
    const int index = networkIndex(ssid);
    if (index >= 0)
        m_networks[index].visible = visible;
}

void CSimulatedWlan::setNetworkRssi(const QByteArray& ssid, qint32 rssi)
{
    QMutexLocker locker(&m_mutex);
    const int index = networkIndex(ssid);
    if (index >= 0)
        m_networks[index].rssi = rssi;
}

void CSimulatedWlan::setJoinOutcome(const QByteArray& ssid, JoinOutcome outcome)
{
    QMutexLocker locker(&m_mutex);
    const int index = networkIndex(ssid);
    if (index >= 0)
        m_networks[index].joinOutcome = outcome;
}

void CSimulatedWlan::dropConnection()
{
    QList<Notification> notifications;
    {
        QMutexLocker locker(&m_mutex);
        for (InterfaceModel& model : m_interfaces) {
            if (model.connectedSsid.isEmpty())
                continue;
            Notification disassociating;
            disassociating.interfaceGuid = model.info.guid;
            disassociating.source = SourceMsm;
            disassociating.code = MsmDisassociating;
            disassociating.ssid = model.connectedSsid;
            Notification disconnected = disassociating;
            disconnected.code = MsmDisconnected;
            notifications << disassociating << disconnected;
            model.connectedSsid.clear();
            model.state = InterfaceDisconnected;
            ++model.joinGeneration;
        }
    }
    if (!notifications.isEmpty())
        schedule(0, [this, notifications]() { deliver(notifications); });
}

void CSimulatedWlan::storeProfile(const QString& name, const QString& key)
{
    QMutexLocker locker(&m_mutex);
    m_storedProfiles.insert(name, key);
}

void CSimulatedWlan::setScanError(ErrorCode error)
{
    QMutexLocker locker(&m_mutex);
    m_scanError = error;
}

void CSimulatedWlan::setListError(ErrorCode error)
{
    QMutexLocker locker(&m_mutex);
    m_listError = error;
}

QByteArray CSimulatedWlan::connectedSsid() const
{
    QMutexLocker locker(&m_mutex);
    for (const InterfaceModel& model : m_interfaces) {
        if (!model.connectedSsid.isEmpty())
            return model.connectedSsid;
    }
    return QByteArray();
}

int CSimulatedWlan::connectRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_connectRequests;
}

int CSimulatedWlan::disconnectRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_disconnectRequests;
}

int CSimulatedWlan::scanRequests() const
{
    QMutexLocker locker(&m_mutex);
    return m_scanRequests;
}

ConnectionParameters CSimulatedWlan::lastConnectionParameters() const
{
    QMutexLocker locker(&m_mutex);
    return m_lastConnectionParameters;
}

bool CSimulatedWlan::backgroundScanEnabled() const
{
    QMutexLocker locker(&m_mutex);
    return m_interfaces.isEmpty() || m_interfaces.first().backgroundScan;
}

bool CSimulatedWlan::mediaStreamingMode() const
{
    QMutexLocker locker(&m_mutex);
    return !m_interfaces.isEmpty() && m_interfaces.first().mediaStreaming;
}

QList<CSimulatedWlan::Network> CSimulatedWlan::networks() const
{
    QMutexLocker locker(&m_mutex);
    return m_networks;
}

bool CSimulatedWlan::handleValid(ClientHandle handle) const
{
    return handle != 0 && m_handles.contains(handle);
}

int CSimulatedWlan::interfaceIndex(const QUuid& guid) const
{
    for (int i = 0; i < m_interfaces.size(); ++i) {
        if (m_interfaces.at(i).info.guid == guid)
            return i;
    }
    return -1;
}

int CSimulatedWlan::networkIndex(const QByteArray& ssid) const
{
    for (int i = 0; i < m_networks.size(); ++i) {
        if (m_networks.at(i).ssid == ssid)
            return i;
    }
    return -1;
}

ErrorCode CSimulatedWlan::checkCall(ClientHandle handle, const QUuid& interfaceGuid, int* index) const
{
    if (!handleValid(handle))
        return ErrorInvalidHandle;
    *index = interfaceIndex(interfaceGuid);
    return *index < 0 ? ErrorNotFound : ErrorSuccess;
}

ErrorCode CSimulatedWlan::openHandle(quint32 clientVersion, ClientHandle* handle)
{
    QMutexLocker locker(&m_mutex);
    if (m_openHandleError != ErrorSuccess)
        return m_openHandleError;
    if (clientVersion != 1 && clientVersion != 2)
        return ErrorInvalidParameter;
    const ClientHandle newHandle = m_nextHandle++;
    m_handles.append(newHandle);
    *handle = newHandle;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::closeHandle(ClientHandle handle)
{
    {
        QMutexLocker locker(&m_mutex);
        if (!m_handles.removeOne(handle))
            return ErrorInvalidHandle;
    }
    // Waits for a delivery in progress, so that no callback of this handle runs afterwards.
    QMutexLocker callbackLocker(&m_callbackMutex);
    m_callbacks.remove(handle);
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::registerNotification(ClientHandle handle, quint32 sources, NotificationCallback callback)
{
    {
        QMutexLocker locker(&m_mutex);
        if (!handleValid(handle))
            return ErrorInvalidHandle;
    }
    QMutexLocker callbackLocker(&m_callbackMutex);
    m_callbacks.insert(handle, qMakePair(sources, std::move(callback)));
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::enumInterfaces(ClientHandle handle, QList<InterfaceInfo>* interfaces, quint32* currentIndex)
{
    QMutexLocker locker(&m_mutex);
    if (!handleValid(handle))
        return ErrorInvalidHandle;
    interfaces->clear();
    for (const InterfaceModel& model : qAsConst(m_interfaces))
        interfaces->append({model.info.guid, model.info.description, model.state});
    *currentIndex = 0;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::queryRadioState(ClientHandle handle, const QUuid& interfaceGuid, QList<PhyRadioState>* phys)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    const InterfaceModel& model = m_interfaces.at(index);
    phys->clear();
    for (quint32 phy = 0; phy < model.info.phyCount; ++phy)
        phys->append({phy, model.info.radioOn ? RadioOn : RadioOff, RadioOn});
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::queryRssi(ClientHandle handle, const QUuid& interfaceGuid, qint32* rssi)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    const int network = networkIndex(m_interfaces.at(index).connectedSsid);
    if (m_interfaces.at(index).connectedSsid.isEmpty() || network < 0)
        return ErrorInvalidState;
    *rssi = m_networks.at(network).rssi;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::setInterface(ClientHandle handle, const QUuid& interfaceGuid, quint32 opcode, quint32 value)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    switch (opcode) {
    case OpcodeBackgroundScanEnabled:
        m_interfaces[index].backgroundScan = value != 0;
        return ErrorSuccess;
    case OpcodeMediaStreamingMode:
        m_interfaces[index].mediaStreaming = value != 0;
        return ErrorSuccess;
    default:
        return ErrorNotSupported;
    }
}

ErrorCode CSimulatedWlan::setRadioState(ClientHandle handle, const QUuid& interfaceGuid, const PhyRadioState& state)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    if (state.phyIndex >= m_interfaces.at(index).info.phyCount)
        return ErrorInvalidParameter;
    m_interfaces[index].info.radioOn = state.softwareState == RadioOn;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::getInterfaceCapability(ClientHandle handle, const QUuid& interfaceGuid, quint32* supportedPhys)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    *supportedPhys = m_interfaces.at(index).info.phyCount;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::scan(ClientHandle handle, const QUuid& interfaceGuid)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    if (m_scanError != ErrorSuccess)
        return m_scanError;
    ++m_scanRequests;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::getAvailableNetworkList(ClientHandle handle, const QUuid& interfaceGuid, quint32 flags,
                                                  QList<AvailableNetwork>* networks)
{
    Q_UNUSED(flags)
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    if (m_listError != ErrorSuccess)
        return m_listError;
    if (!m_interfaces.at(index).info.radioOn) {
        networks->clear();
        return ErrorSuccess;
    }
    networks->clear();
    for (const Network& network : qAsConst(m_networks)) {
        if (!network.visible)
            continue;
        AvailableNetwork entry;
        entry.ssid = network.ssid.left(MaxSsidLength);
        entry.authAlgorithm = network.authAlgorithm;
        entry.cipherAlgorithm = network.cipherAlgorithm;
        if (m_interfaces.at(index).connectedSsid == network.ssid)
            entry.flags |= NetworkConnected;
        if (m_storedProfiles.contains(ssidText(network.ssid)))
            entry.flags |= NetworkHasProfile;
        networks->append(entry);
    }
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::connect(ClientHandle handle, const QUuid& interfaceGuid, const ConnectionParameters& parameters)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    if (parameters.ssid.isEmpty() || parameters.ssid.size() > MaxSsidLength)
        return ErrorInvalidParameter;
    const bool withProfile = parameters.mode == ConnectionModeTemporaryProfile || parameters.mode == ConnectionModeProfile;
    if (withProfile && parameters.profileXml.isEmpty())
        return ErrorInvalidParameter;
    ++m_connectRequests;
    m_lastConnectionParameters = parameters;

    InterfaceModel& model = m_interfaces[index];
    const quint64 generation = ++model.joinGeneration;
    model.connectedSsid.clear();
    model.state = InterfaceAssociating;

    const int networkAt = networkIndex(parameters.ssid);
    JoinOutcome outcome = JoinRefused;
    int latency = 0;
    if (networkAt >= 0 && m_networks.at(networkAt).visible) {
        const Network& network = m_networks.at(networkAt);
        latency = network.joinLatencyMs;
        outcome = network.joinOutcome;
        if (outcome == JoinAccepted) {
            if (network.key.isNull()) {
                // An open network takes any way in; a profile's key is not looked at.
            } else if (!withProfile) {
                outcome = JoinRefused; // a secured network cannot be joined without a key
            } else {
                const QString profileName = ssidText(parameters.ssid);
                const QString key = m_storedProfiles.contains(profileName) ? m_storedProfiles.value(profileName)
                                                                            : keyMaterialOf(parameters.profileXml);
                if (key != network.key)
                    outcome = JoinWrongKey;
            }
        }
        if (outcome == JoinAccepted) {
            for (const Endpoint& endpoint : network.endpoints)
                Flavors::setSystemEndpoint(endpoint.host, network.systemAddress, endpoint.rtspPort, endpoint.httpPort);
        }
    }
    const QUuid guid = model.info.guid;
    const QByteArray ssid = parameters.ssid;
    locker.unlock();

    Notification start;
    start.interfaceGuid = guid;
    start.source = SourceMsm;
    start.code = MsmStart;
    start.ssid = ssid;
    schedule(0, [this, start]() { deliver({start}); });
    if (outcome != JoinHangs)
        schedule(latency, [this, guid, generation, ssid, outcome]() { finishJoin(guid, generation, ssid, outcome); });
    return ErrorSuccess;
}

void CSimulatedWlan::finishJoin(const QUuid& interfaceGuid, quint64 generation, const QByteArray& ssid, JoinOutcome outcome)
{
    Notification notification;
    notification.interfaceGuid = interfaceGuid;
    {
        QMutexLocker locker(&m_mutex);
        const int index = interfaceIndex(interfaceGuid);
        if (index < 0 || m_interfaces.at(index).joinGeneration != generation)
            return; // disconnected or superseded meanwhile
        InterfaceModel& model = m_interfaces[index];
        switch (outcome) {
        case JoinAccepted:
            model.state = InterfaceConnected;
            model.connectedSsid = ssid;
            notification.source = SourceMsm;
            notification.code = MsmConnected;
            notification.ssid = ssid;
            break;
        case JoinRejected:
            model.state = InterfaceDisconnected;
            notification.source = SourceMsm;
            notification.code = MsmConnected;
            notification.ssid = ssid;
            notification.reasonCode = 0x48001; // the network refused the association
            break;
        case JoinWrongKey:
            model.state = InterfaceDisconnected;
            notification.source = SourceAcm;
            notification.code = AcmProfilesExhausted;
            break;
        case JoinRefused:
        case JoinHangs:
            model.state = InterfaceDisconnected;
            notification.source = SourceAcm;
            notification.code = AcmConnectionAttemptFail;
            break;
        }
    }
    deliver({notification});
}

ErrorCode CSimulatedWlan::disconnect(ClientHandle handle, const QUuid& interfaceGuid)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    ++m_disconnectRequests;
    InterfaceModel& model = m_interfaces[index];
    ++model.joinGeneration;
    Notification disconnected;
    disconnected.interfaceGuid = model.info.guid;
    disconnected.source = SourceMsm;
    disconnected.code = MsmDisconnected;
    disconnected.ssid = model.connectedSsid;
    model.connectedSsid.clear();
    model.state = InterfaceDisconnected;
    locker.unlock();
    schedule(0, [this, disconnected]() { deliver({disconnected}); });
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::getProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName,
                                     quint32* flags, QString* profileXml, quint32* grantedAccess)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    if (!m_storedProfiles.contains(profileName))
        return ErrorNotFound;
    const bool plainText = flags && (*flags & ProfileGetPlaintextKey);
    const QString key = plainText ? m_storedProfiles.value(profileName) : QStringLiteral("01000000D08C9DDF0115D1118C7A00C0");
    if (profileXml)
        *profileXml = profileDocument(profileName, key);
    if (flags)
        *flags = ProfileUser;
    if (grantedAccess)
        *grantedAccess = ProfileWriteAccess;
    return ErrorSuccess;
}

ErrorCode CSimulatedWlan::deleteProfile(ClientHandle handle, const QUuid& interfaceGuid, const QString& profileName)
{
    QMutexLocker locker(&m_mutex);
    int index = -1;
    if (const ErrorCode error = checkCall(handle, interfaceGuid, &index))
        return error;
    return m_storedProfiles.remove(profileName) > 0 ? ErrorSuccess : ErrorNotFound;
}

QString CSimulatedWlan::errorText(ErrorCode code) const
{
    return Wlan::errorText(code);
}

void CSimulatedWlan::schedule(int delayMs, std::function<void()> action)
{
    // Hop onto the notification thread first, so that the delay timer belongs to it and actions
    // of equal delay keep their order.
    CSimulatedWlanNotifier* notifier = m_notifier;
    QMetaObject::invokeMethod(
        m_notifier,
        [notifier, delayMs, action]() {
            if (delayMs <= 0)
                action();
            else
                QTimer::singleShot(delayMs, notifier, action);
        },
        Qt::QueuedConnection);
}

void CSimulatedWlan::deliver(const QList<Notification>& notifications)
{
    QMutexLocker callbackLocker(&m_callbackMutex);
    for (const Notification& notification : notifications) {
        for (auto it = m_callbacks.cbegin(); it != m_callbacks.cend(); ++it) {
            if ((it.value().first & notification.source) && it.value().second)
                it.value().second(notification);
        }
    }
}

} // namespace Wlan
} // namespace Ulx
