#include "communication/CWindowsNetworkManager.h"

#include "communication/CommunicationTypes.h"
#include "communication/WlanNotificationEvents.h"
#include "communication/WlanProfile.h"
#include "wlan/IWlanApi.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimerEvent>

#include <algorithm>

namespace Ulx {
namespace Communication {

namespace {

using Tovrin::Logging::CLogger;

const QString kLibraryCategory = QStringLiteral("UlxSystemsLibrary");
const QString kNetworkCategory = QStringLiteral("NetworkManager");
constexpr quint32 kClientVersion = 2;
constexpr quint32 kNoCurrentInterface = 0xFFFFFFFF;

CAbstractNetworkManager::State stateFromInterfaceState(quint32 interfaceState)
{
    switch (interfaceState) {
    case Wlan::InterfaceConnected:
        return CAbstractNetworkManager::StateConnected;
    case Wlan::InterfaceDisconnecting:
        return CAbstractNetworkManager::StateDisconnecting;
    case Wlan::InterfaceAssociating:
    case Wlan::InterfaceDiscovering:
    case Wlan::InterfaceAuthenticating:
        return CAbstractNetworkManager::StateConnecting;
    default:
        return CAbstractNetworkManager::StateDisconnected;
    }
}

} // namespace

CWindowsNetworkManager::CWindowsNetworkManager(QObject* parent)
    : CWindowsNetworkManager(Wlan::platformWlan(), parent)
{
}

CWindowsNetworkManager::CWindowsNetworkManager(std::shared_ptr<Wlan::IWlanApi> wlan, QObject* parent)
    : CAbstractNetworkManager(parent)
    , m_wlan(std::move(wlan))
{
    Wlan::ClientHandle handle = 0;
    const Wlan::ErrorCode openError = m_wlan ? m_wlan->openHandle(kClientVersion, &handle) : Wlan::ErrorServiceNotActive;
    if (openError != Wlan::ErrorSuccess) {
        logFailure(QStringLiteral("CWindowsNetworkManager: unable to acquire handle"), openError);
        return;
    }
    m_handle = handle;

    // Runs on the service's thread: it only builds the event and posts it to this object.
    CWindowsNetworkManager* receiver = this;
    auto callback = [receiver](const Wlan::Notification& notification) {
        QEvent* event = nullptr;
        if (notification.source == Wlan::SourceMsm
            && (notification.code == Wlan::MsmStart || notification.code == Wlan::MsmConnected)) {
            event = new CWlanConnectionNotificationEvent(notification.interfaceGuid, notification.source,
                                                         notification.code, ssidFromBytes(notification.ssid),
                                                         notification.reasonCode);
        } else {
            event = new CWLanGenericNotificationEvent(notification.interfaceGuid, notification.source, notification.code);
        }
        QCoreApplication::postEvent(receiver, event, Qt::NormalEventPriority);
    };
    const Wlan::ErrorCode registerError =
        m_wlan->registerNotification(m_handle, Wlan::SourceAcm | Wlan::SourceMsm, callback);
    if (registerError != Wlan::ErrorSuccess)
        logFailure(QStringLiteral("CWindowsNetworkManager: unable to register notification"), registerError);

    chooseDefaultInterface();
}

CWindowsNetworkManager::~CWindowsNetworkManager()
{
    m_scanTimer.stop();
    m_signalTimer.stop();
    m_joinTimer.stop();
    if (m_handle != 0)
        m_wlan->closeHandle(m_handle); // no callback runs after this
    m_handle = 0;
}

QString CWindowsNetworkManager::ssidFromBytes(const QByteArray& bytes)
{
    return Wlan::ssidText(bytes.left(Wlan::MaxSsidLength));
}

QByteArray CWindowsNetworkManager::ssidToBytes(const QString& ssid)
{
    return Wlan::ssidBytes(ssid);
}

void CWindowsNetworkManager::logFailure(const QString& text, Wlan::ErrorCode error, bool isError) const
{
    const QString errorText = m_wlan ? m_wlan->errorText(error) : QString();
    CLogger::logMessage(isError ? CLogger::LogLevelError : CLogger::LogLevelInfo, kLibraryCategory, text,
                        {QVariant(errorText)});
}

void CWindowsNetworkManager::chooseDefaultInterface()
{
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 currentIndex = kNoCurrentInterface;
    const Wlan::ErrorCode error = m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex);
    if (error != Wlan::ErrorSuccess || currentIndex == kNoCurrentInterface || interfaces.isEmpty()
        || currentIndex >= static_cast<quint32>(interfaces.size())) {
        m_interfaceGuid = QUuid();
        m_activeInterfaceName = QString();
        setState(StateDisconnected);
        return;
    }
    m_interfacesSeen = true;
    const Wlan::InterfaceInfo& chosen = interfaces.at(static_cast<int>(currentIndex));
    m_interfaceGuid = chosen.guid;
    m_activeInterfaceName = chosen.description;
    setState(stateFromInterfaceState(chosen.state));
}

void CWindowsNetworkManager::adoptArrivedInterface()
{
    // The service (or the adapter) came after the start: the adapter asked for by name, or the
    // service's current one when none was named, is taken up as the start would have.
    if (m_wantedInterfaceName.isEmpty())
        chooseDefaultInterface();
    else
        takeUpInterface(m_wantedInterfaceName);
    // Scanning enabled before the adapter was there found no radio to switch on: done now.
    if (m_networkScanEnabled && interfacePresent()) {
        switchRadioOn();
        startWifiScan();
    }
}

bool CWindowsNetworkManager::takeUpInterface(const QString& interfaceName)
{
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 currentIndex = 0;
    if (m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex) != Wlan::ErrorSuccess)
        return false;
    m_interfacesSeen = m_interfacesSeen || !interfaces.isEmpty();
    for (const Wlan::InterfaceInfo& info : qAsConst(interfaces)) {
        if (info.description == interfaceName) {
            m_interfaceGuid = info.guid;
            m_activeInterfaceName = info.description;
            // The adapter's own state: the one left may still be leaving a network.
            setState(stateFromInterfaceState(info.state));
            return true;
        }
    }
    return false;
}

bool CWindowsNetworkManager::interfacePresent() const
{
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 currentIndex = 0;
    if (m_interfaceGuid.isNull() || m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex) != Wlan::ErrorSuccess)
        return false;
    return std::any_of(interfaces.cbegin(), interfaces.cend(),
                       [this](const Wlan::InterfaceInfo& info) { return info.guid == m_interfaceGuid; });
}

void CWindowsNetworkManager::loseInterface()
{
    if (!m_networks.isEmpty()) {
        m_networks.clear();
        emit networkScanEnded();
    }
    if (!m_targetSsid.isNull())
        failConnection(CommunicationTypes::CommunicationErrorNetworkManagerNoInterface);
    else
        setState(StateDisconnected); // a leave under way went with the adapter it was left through
}

void CWindowsNetworkManager::switchRadioOn()
{
    if (!wifiEnabled())
        setWifiEnabled(true);
}

bool CWindowsNetworkManager::isWifiSignalStrengthAvailable() const
{
    return true;
}

bool CWindowsNetworkManager::wifiAccessRestricted() const
{
    return false;
}

bool CWindowsNetworkManager::wifiEnabled() const
{
    QList<Wlan::PhyRadioState> phys;
    if (m_wlan->queryRadioState(m_handle, m_interfaceGuid, &phys) != Wlan::ErrorSuccess)
        return false;
    if (phys.isEmpty())
        return true;
    for (const Wlan::PhyRadioState& phy : qAsConst(phys)) {
        if (phy.softwareState == Wlan::RadioOn && phy.hardwareState == Wlan::RadioOn)
            return true;
    }
    return false;
}

void CWindowsNetworkManager::setWifiEnabled(bool enabled)
{
    quint32 supportedPhys = 0;
    if (m_wlan->getInterfaceCapability(m_handle, m_interfaceGuid, &supportedPhys) != Wlan::ErrorSuccess)
        return;
    for (quint32 index = 0; index < supportedPhys; ++index) {
        const Wlan::PhyRadioState radio{index, enabled ? Wlan::RadioOn : Wlan::RadioOff, Wlan::RadioUnknown};
        const Wlan::ErrorCode error = m_wlan->setRadioState(m_handle, m_interfaceGuid, radio);
        if (error != Wlan::ErrorSuccess) {
            logFailure(QStringLiteral("setWifiEnabled"), error);
            return;
        }
    }
}

bool CWindowsNetworkManager::networkScanEnabled() const
{
    return m_networkScanEnabled;
}

void CWindowsNetworkManager::setNetworkScanEnabled(bool enabled)
{
    if (m_handle == 0 || enabled == m_networkScanEnabled)
        return;
    m_networkScanEnabled = enabled;
    emit networkScanEnabledChanged();
    if (!enabled) {
        m_scanTimer.stop();
        return;
    }
    // Without an adapter yet there is no radio to ask: it is switched on when one arrives.
    if (!m_interfaceGuid.isNull())
        switchRadioOn();
    m_scanTimer.start(m_scanInterval, this);
    startWifiScan();
}

void CWindowsNetworkManager::startWifiScan()
{
    if (m_interfaceGuid.isNull())
        return; // no adapter yet: nothing to scan, and nothing to log every period
    const Wlan::ErrorCode error = m_wlan->scan(m_handle, m_interfaceGuid);
    if (error != Wlan::ErrorSuccess)
        logFailure(QStringLiteral("startWifiScan"), error);
}

bool CWindowsNetworkManager::readAvailableNetworks(QList<Wlan::AvailableNetwork>* networks) const
{
    QList<Wlan::AvailableNetwork> list;
    if (m_wlan->getAvailableNetworkList(m_handle, m_interfaceGuid, 0, &list) != Wlan::ErrorSuccess)
        return false;
    QSet<QString> seen;
    networks->clear();
    for (const Wlan::AvailableNetwork& entry : qAsConst(list)) {
        const QString ssid = ssidFromBytes(entry.ssid);
        if (seen.contains(ssid))
            continue; // the first entry of an SSID counts
        seen.insert(ssid);
        networks->append(entry);
    }
    return true;
}

void CWindowsNetworkManager::updateAvailableNetworks()
{
    for (NetworkRecord& record : m_networks)
        ++record.missedScans;
    QList<Wlan::AvailableNetwork> list;
    if (readAvailableNetworks(&list)) {
        for (const Wlan::AvailableNetwork& entry : qAsConst(list))
            m_networks.insert(ssidFromBytes(entry.ssid), {0, entry.authAlgorithm, entry.cipherAlgorithm});
    }
    for (auto it = m_networks.begin(); it != m_networks.end();) {
        if (it->missedScans >= 2)
            it = m_networks.erase(it);
        else
            ++it;
    }
}

QString CWindowsNetworkManager::connectedNetworkName() const
{
    QList<Wlan::AvailableNetwork> list;
    if (!readAvailableNetworks(&list))
        return QString();
    for (const Wlan::AvailableNetwork& entry : qAsConst(list)) {
        if (entry.flags & Wlan::NetworkConnected)
            return ssidFromBytes(entry.ssid);
    }
    return QString();
}

QStringList CWindowsNetworkManager::availableNetworks() const
{
    return m_networks.keys();
}

void CWindowsNetworkManager::connectToWifiNetwork(const QString& ssid, const QString& key)
{
    // The key never reaches the log.
    CLogger::logMessage(CLogger::LogLevelInfo, kNetworkCategory,
                        QStringLiteral("[%1] %2").arg(QStringLiteral("connectToWifiNetwork"),
                                                      QStringLiteral("SSID: `%1`").arg(ssid)),
                        {});
    // A network still being left is marked joined until the leave is through: it is about to go,
    // so it is joined anew rather than taken as it is.
    const bool leaving = state() == StateDisconnecting;
    setState(StateConnecting);

    m_joinedElsewhere = QString();
    if (!interfacePresent()) {
        const QString missing = missingWifiInterface();
        CLogger::logMessage(CLogger::LogLevelError, kLibraryCategory,
                            (missing.isEmpty() ? QStringLiteral("[connectToWifiNetwork] No Wi-Fi adapter to join `%1` with.")
                                               : QStringLiteral("[connectToWifiNetwork] No Wi-Fi adapter to join `%1` "
                                                                "with: %2 is not there."))
                                .arg(ssid, missing),
                            {});
        failConnection(CommunicationTypes::CommunicationErrorNetworkManagerNoInterface);
        return;
    }
    const QString joined = leaving ? QString() : connectedNetworkName();
    if (!joined.isNull() && joined == ssid) {
        setState(StateConnected);
    } else {
        const QByteArray ssidBytes = ssidToBytes(ssid);
        if (ssidBytes.isEmpty() || ssidBytes.size() > Wlan::MaxSsidLength) {
            // The air interface carries at most 32 bytes; a longer name cannot be the network.
            CLogger::logMessage(CLogger::LogLevelError, kLibraryCategory,
                                QStringLiteral("[connectToWifiNetwork] Refused SSID of %1 bytes.").arg(ssidBytes.size()),
                                {});
            failConnection();
            return;
        }
        m_targetSsid = ssid;
        m_targetKey = key;
        m_profileRetried = false;
        m_joinTimer.start(m_joinTimeout, this);
        if (key.isNull())
            internalConnectToOpenWifiNetwork(ssid);
        else
            internalConnectToWifiNetwork(ssid, key);
        if (state() == StateDisconnected)
            return; // failed at once
    }
    m_signalTimer.start(m_signalInterval, this);
}

void CWindowsNetworkManager::failConnection(CommunicationTypes::CommunicationError cause)
{
    m_targetSsid = QString();
    m_joinedElsewhere = QString();
    m_joinTimer.stop();
    m_signalTimer.stop();
    setState(StateDisconnected);
    failConnectionWith(cause);
}

void CWindowsNetworkManager::internalConnectToOpenWifiNetwork(const QString& ssid)
{
    Wlan::ConnectionParameters parameters;
    parameters.mode = Wlan::ConnectionModeDiscoveryUnsecure;
    parameters.ssid = ssidToBytes(ssid);
    parameters.bssType = Wlan::BssInfrastructure;
    parameters.flags = 0;
    const Wlan::ErrorCode error = m_wlan->connect(m_handle, m_interfaceGuid, parameters);
    if (error != Wlan::ErrorSuccess) {
        logFailure(QStringLiteral("internalConnectToOpenWifiNetwork"), error, true);
        failConnection();
    }
}

void CWindowsNetworkManager::internalConnectToWifiNetwork(const QString& ssid, const QString& key)
{
    bool known = false;
    quint32 authAlgorithm = 0;
    quint32 cipherAlgorithm = 0;
    const auto record = m_networks.constFind(ssid);
    if (record != m_networks.constEnd()) {
        known = true;
        authAlgorithm = record->authAlgorithm;
        cipherAlgorithm = record->cipherAlgorithm;
    } else {
        QList<Wlan::AvailableNetwork> list;
        if (readAvailableNetworks(&list)) {
            for (const Wlan::AvailableNetwork& entry : qAsConst(list)) {
                if (ssidFromBytes(entry.ssid) == ssid) {
                    known = true;
                    authAlgorithm = entry.authAlgorithm;
                    cipherAlgorithm = entry.cipherAlgorithm;
                    break;
                }
            }
        }
    }
    QString profile;
    if (!known || !generateWlanProfile(ssid, key, authAlgorithm, cipherAlgorithm, profile)) {
        CLogger::logMessage(CLogger::LogLevelError, kLibraryCategory, QStringLiteral("Failed to generate Wifi profile."),
                            {});
        failConnection();
        return;
    }
    Wlan::ConnectionParameters parameters;
    parameters.mode = Wlan::ConnectionModeTemporaryProfile;
    parameters.profileXml = profile;
    parameters.ssid = ssidToBytes(ssid);
    parameters.bssType = Wlan::BssAny;
    parameters.flags = 0;
    const Wlan::ErrorCode error = m_wlan->connect(m_handle, m_interfaceGuid, parameters);
    if (error != Wlan::ErrorSuccess) {
        logFailure(QStringLiteral("internalConnectToWifiNetwork"), error, true);
        failConnection();
    }
}

void CWindowsNetworkManager::disconnectFromWifiNetwork()
{
    if (state() == StateDisconnected)
        return;
    setState(StateDisconnecting);
    internalDisconnectFromWifiNetwork();
}

void CWindowsNetworkManager::internalDisconnectFromWifiNetwork()
{
    m_targetSsid = QString();
    m_targetKey = QString();
    m_wlan->setInterface(m_handle, m_interfaceGuid, Wlan::OpcodeBackgroundScanEnabled, 1);
    m_wlan->setInterface(m_handle, m_interfaceGuid, Wlan::OpcodeMediaStreamingMode, 0);
    m_profileRetried = false;
    const Wlan::ErrorCode error = m_wlan->disconnect(m_handle, m_interfaceGuid);
    if (error != Wlan::ErrorSuccess)
        logFailure(QStringLiteral("internalDisconnectFromWifiNetwork"), error);
    m_signalTimer.stop();
    m_joinTimer.stop();
}

int CWindowsNetworkManager::wifiSignalStrength() const
{
    return m_signalStrength;
}

QStringList CWindowsNetworkManager::queryWifiInterfaces() const
{
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 currentIndex = 0;
    QStringList names;
    if (m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex) != Wlan::ErrorSuccess)
        return names;
    for (const Wlan::InterfaceInfo& info : qAsConst(interfaces)) {
        if (!info.description.isEmpty())
            names.append(info.description);
    }
    return names;
}

QString CWindowsNetworkManager::activeWifiInterface() const
{
    return m_activeInterfaceName;
}

void CWindowsNetworkManager::setActiveWifiInterface(const QString& interfaceName)
{
    m_wantedInterfaceName = interfaceName;
    const QUuid previous = m_interfaceGuid;
    if (!takeUpInterface(interfaceName)) {
        m_interfaceGuid = QUuid();
        m_activeInterfaceName = QString();
        loseInterface();
        return;
    }
    // Another adapter's networks, seen through its own radio.
    if (m_interfaceGuid != previous && !previous.isNull() && m_networkScanEnabled) {
        switchRadioOn();
        startWifiScan();
    }
}

QString CWindowsNetworkManager::missingWifiInterface() const
{
    if (!m_interfacesSeen || interfacePresent())
        return QString();
    // Without the wireless service no adapter is seen, and none is known to be missing.
    QList<Wlan::InterfaceInfo> interfaces;
    quint32 currentIndex = 0;
    if (m_wlan->enumInterfaces(m_handle, &interfaces, &currentIndex) != Wlan::ErrorSuccess)
        return QString();
    return m_wantedInterfaceName.isEmpty() ? m_activeInterfaceName : m_wantedInterfaceName;
}

void CWindowsNetworkManager::pollSignalStrength()
{
    qint32 rssi = 0;
    int strength = 0;
    if (m_wlan->queryRssi(m_handle, m_interfaceGuid, &rssi) == Wlan::ErrorSuccess)
        strength = 2 * rssi + 200;
    if (strength != m_signalStrength) {
        m_signalStrength = strength;
        emit signalStrengthChanged();
    }
}

void CWindowsNetworkManager::logProfile(const QString& profileName)
{
    quint32 flags = Wlan::ProfileGetPlaintextKey;
    quint32 grantedAccess = 0;
    QString profileXml;
    const Wlan::ErrorCode error =
        m_wlan->getProfile(m_handle, m_interfaceGuid, profileName, &flags, &profileXml, &grantedAccess);
    if (error != Wlan::ErrorSuccess) {
        logFailure(QStringLiteral("Failed to get profile ") + profileName, error, true);
        return;
    }
    QString flagsText = QStringLiteral("\nProfile Flags:");
    if (flags & Wlan::ProfileGroupPolicy)
        flagsText += QStringLiteral(" Group Policy");
    if (flags & Wlan::ProfileUser)
        flagsText += QStringLiteral(" Per User Profile");
    QString accessText = QStringLiteral("\nProfile Access:");
    if (grantedAccess & Wlan::ProfileReadAccess)
        accessText += QStringLiteral(" Read access");
    if (grantedAccess & Wlan::ProfileExecuteAccess)
        accessText += QStringLiteral(" Execute access");
    if (grantedAccess & Wlan::ProfileWriteAccess)
        accessText += QStringLiteral(" Write access");
    accessText += QStringLiteral("\n");
    // The key is read in plain text for the service's sake only: the log gets it masked.
    CLogger::logMessage(CLogger::LogLevelInfo, kLibraryCategory, QStringLiteral("Data for profile: ") + profileName,
                        {QVariant(flagsText), QVariant(accessText), QVariant(maskWlanProfileKey(profileXml))});
}

void CWindowsNetworkManager::deleteProfile(const QString& profileName)
{
    const Wlan::ErrorCode error = m_wlan->deleteProfile(m_handle, m_interfaceGuid, profileName);
    if (error != Wlan::ErrorSuccess)
        logFailure(QStringLiteral("Failed to delete profile ") + profileName, error, true);
    else
        CLogger::logMessage(CLogger::LogLevelError, kLibraryCategory,
                            QStringLiteral("Successfully deleted profile ") + profileName, {});
}

void CWindowsNetworkManager::customEvent(QEvent* event)
{
    if (event->type() != CWLanGenericNotificationEvent::EventType
        && event->type() != CWlanConnectionNotificationEvent::EventType) {
        CAbstractNetworkManager::customEvent(event);
        return;
    }
    const auto* notification = static_cast<CWLanBaseNotificationEvent*>(event);
    const quint32 source = notification->notificationSource();
    const quint32 code = notification->notificationCode();

    // Adapters coming and going concern every listener, whichever adapter is chosen.
    if (source == Wlan::SourceAcm && (code == Wlan::AcmInterfaceArrival || code == Wlan::AcmInterfaceRemoval)) {
        m_interfacesSeen = true;
        // The chosen adapter may come back as another one under its name (another stick, a
        // new identity): whatever arrives while it is not there may be it. What went with the
        // one that left goes first; its own removal may come later.
        if (code == Wlan::AcmInterfaceArrival && m_handle != 0 && (m_interfaceGuid.isNull() || !interfacePresent())) {
            if (!m_interfaceGuid.isNull())
                loseInterface();
            adoptArrivedInterface();
        }
        if (code == Wlan::AcmInterfaceRemoval && notification->interfaceGuid() == m_interfaceGuid
            && !m_interfaceGuid.isNull())
            loseInterface();
        emit wifiInterfacesChanged();
        return;
    }
    if (notification->interfaceGuid() != m_interfaceGuid)
        return;

    if (event->type() == CWlanConnectionNotificationEvent::EventType) {
        const auto* connection = static_cast<CWlanConnectionNotificationEvent*>(event);
        onConnectionNotification(code, connection->ssid(), connection->reasonCode());
    } else {
        onGenericNotification(source, code);
    }
}

void CWindowsNetworkManager::onGenericNotification(quint32 source, quint32 code)
{
    if (source == Wlan::SourceAcm) {
        // A join is under way while a target is set, even when a late disconnect report has
        // moved the state meanwhile.
        const bool joining = state() == StateConnecting || !m_targetSsid.isNull();
        if (code == Wlan::AcmConnectionAttemptFail && joining) {
            internalDisconnectFromWifiNetwork();
            failConnection();
        } else if (code == Wlan::AcmProfilesExhausted && joining) {
            const QString ssid = m_targetSsid;
            const QString key = m_targetKey;
            logProfile(ssid);
            if (!m_profileRetried && !ssid.isNull()) {
                m_profileRetried = true;
                deleteProfile(ssid);
                internalConnectToWifiNetwork(ssid, key);
            } else {
                internalDisconnectFromWifiNetwork();
                failConnection();
            }
        }
        return;
    }
    if (source == Wlan::SourceMsm) {
        if (code == Wlan::MsmDisassociating) {
            setState(StateDisconnecting);
        } else if (code == Wlan::MsmDisconnected) {
            // May be the late report of an earlier disconnect while a new join is under way;
            // a join that really ends here is failed by the attempt-fail notification or, at
            // the latest, by the join timer.
            m_joinedElsewhere = QString();
            setState(StateDisconnected);
        }
    }
}

void CWindowsNetworkManager::onConnectionNotification(quint32 code, const QString& ssid, quint32 reasonCode)
{
    if (code == Wlan::MsmStart) {
        if (!m_targetSsid.isNull() && ssid == m_targetSsid)
            setState(StateConnecting);
    } else if (code == Wlan::MsmConnected) {
        if (reasonCode != 0) {
            failConnection();
        } else if (!m_targetSsid.isNull() && ssid == m_targetSsid) {
            m_targetSsid = QString();
            m_joinTimer.stop();
            m_wlan->setInterface(m_handle, m_interfaceGuid, Wlan::OpcodeBackgroundScanEnabled, 0);
            m_wlan->setInterface(m_handle, m_interfaceGuid, Wlan::OpcodeMediaStreamingMode, 1);
            setState(StateConnected);
        } else if (!m_targetSsid.isNull()) {
            // Someone else put the adapter on their network meanwhile. The join may still be
            // carried out; if it is not, that is why.
            CLogger::logMessage(CLogger::LogLevelInfo, kLibraryCategory,
                                QStringLiteral("[onConnectionNotification] The adapter joined `%1` while joining `%2`.")
                                    .arg(ssid, m_targetSsid),
                                {});
            m_joinedElsewhere = ssid;
        }
    }
}

void CWindowsNetworkManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_scanTimer.timerId()) {
        updateAvailableNetworks();
        emit networkScanEnded();
        startWifiScan();
    } else if (event->timerId() == m_signalTimer.timerId()) {
        pollSignalStrength();
    } else if (event->timerId() == m_joinTimer.timerId()) {
        m_joinTimer.stop();
        if (!m_targetSsid.isNull()) {
            CLogger::logMessage(CLogger::LogLevelError, kLibraryCategory,
                                QStringLiteral("[timerEvent] The join of `%1` was not answered in time.").arg(m_targetSsid),
                                {});
            internalDisconnectFromWifiNetwork();
            failConnection(m_joinedElsewhere.isNull() ? CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed
                                                      : CommunicationTypes::CommunicationErrorNetworkManagerOtherNetwork);
        }
    } else {
        CAbstractNetworkManager::timerEvent(event);
    }
}

} // namespace Communication
} // namespace Ulx
