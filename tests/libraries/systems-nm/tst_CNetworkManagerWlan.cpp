#include "NetworkManagerMock.h"

#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "RVQTestSession.h"
#include "RVQTestSupport.h"
#include "fakes/CStubSessionStreamer.h"

#include "communication/CRVQSystemSession.h"
#include "communication/CSystemListMaintainer.h"
#include "communication/CWindowsNetworkManager.h"
#include "communication/WlanProfile.h"
#include "flavors/Flavors.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "wlan/CNetworkManagerWlan.h"
#include "wlan/NetworkManagerMapping.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"
#include "support/LogText.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QtTest>

#include <memory>

using namespace Ulx;
using Ulx::Communication::CAbstractNetworkManager;
using Ulx::Communication::CWindowsNetworkManager;
using Ulx::Wlan::CNetworkManagerWlan;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");
const QString kGullyrover = QStringLiteral("Gullyrover_SN54321");
const QString kPelkom = QStringLiteral("Pelkom0042");
const QString kHome = QStringLiteral("HomeNet");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kConnectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");

QString familyKey(CommunicationTypes::SystemFamily family)
{
    return Flavors::defaultWifiKey(family);
}

class StateRecorder : public QObject
{
public:
    explicit StateRecorder(CAbstractNetworkManager* manager)
    {
        connect(manager, &CAbstractNetworkManager::stateChanged, this,
                [this, manager]() { states.append(manager->state()); });
    }
    QList<CAbstractNetworkManager::State> states;
};

// NetworkManager's device states as the device reports them.
class DeviceStates : public QObject
{
    Q_OBJECT

public slots:
    void changed(uint state, uint, uint) { states.append(state); }

public:
    bool endsIn(uint state) const { return !states.isEmpty() && states.constLast() == state; }
    QList<uint> states;
};

constexpr uint kDeviceDisconnected = 30;
constexpr uint kDeviceNeedAuth = 60;
constexpr uint kDeviceFailed = 120;
constexpr uint kDeviceDeactivating = 110;
constexpr uint kDeviceActivated = 100;

} // namespace

class tst_CNetworkManagerWlan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void withoutNetworkManagerTheProgramGoesOnWithoutWifi();
    void wifiLogicRunsOnNetworkManager();
    void sessionGoesOnlineAndRidesOutLostNetworkAndStoppedService();
    void securityIsMappedFromTheAccessPoint();
    void joinUsesOnlySavedConnectionsThatFit();
    void keyFailureLeavesOthersConnectionsAlone();
    void leavingGivesTheTabletItsOwnNetworkBack();
    void joinGivenUpEndsWhenNetworkManagerCarriesItOutOrDropsIt();
    void unpluggedAdapterIsNamedAndAnotherOfItsNameTaken();
    void networksAreListedReadablyAndJoinedByTheirBytes();

private:
    std::unique_ptr<CWindowsNetworkManager> makeManager(const std::shared_ptr<Wlan::IWlanApi>& wlan)
    {
        auto manager = std::make_unique<CWindowsNetworkManager>(wlan);
        manager->setScanInterval(50);
        manager->setSignalInterval(20);
        manager->setJoinTimeout(10000);
        return manager;
    }
    // The saved connection behind the device's active connection: its key as GetSecrets gives
    // it, and its settings.
    QString activeConnection(const QString& device);
    QString activeKey(const QString& device);
    QMap<QString, QVariantMap> activeSettings(const QString& device);
    int savedConnectionCount();
    // The saved connections of an SSID, in NetworkManager's order, and one's settings.
    QStringList connectionsOf(const QString& ssid);
    QMap<QString, QVariantMap> connectionSettings(const QString& connection);
    static QVariant uuidOf(const QMap<QString, QVariantMap>& settings)
    {
        return settings.value(QStringLiteral("connection")).value(QStringLiteral("uuid"));
    }
    // A handle of the layer's own and the GUID of its first interface (null when it has none).
    static Wlan::ClientHandle openOnFirstInterface(Wlan::IWlanApi* wlan, QUuid* guid)
    {
        Wlan::ClientHandle handle = 0;
        QList<Wlan::InterfaceInfo> interfaces;
        quint32 current = 0;
        if (wlan->openHandle(2, &handle) == Wlan::ErrorSuccess
            && wlan->enumInterfaces(handle, &interfaces, &current) == Wlan::ErrorSuccess && !interfaces.isEmpty())
            *guid = interfaces.constFirst().guid;
        return handle;
    }
    // Leaves the camera's network; NetworkManager then tries the user's saved connection by
    // itself, whose key is outdated: back once that try has failed.
    void leaveWhileTheUsersConnectionComesBack(CWindowsNetworkManager* manager, const QString& device)
    {
        DeviceStates states;
        QVERIFY(m_mock.control().connect(QString::fromLatin1(NetworkManagerMock::Service), device, kDeviceInterface,
                                         QStringLiteral("StateChanged"), &states, SLOT(changed(uint, uint, uint))));
        manager->disconnectFromWifiNetwork();
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
        QTRY_VERIFY(states.states.contains(kDeviceFailed) && states.endsIn(kDeviceDisconnected));
    }
    // Has the manager scan on wlan0 until it lists the SSIDs; false when it does not in time.
    static bool scanOnFirstDevice(CWindowsNetworkManager* manager, const QStringList& ssids);

    NetworkManagerMock m_mock;
    QString m_python;
};

void tst_CNetworkManagerWlan::initTestCase()
{
    Communication::CAbstractConnectionController::registerMetaTypes();
    qDBusRegisterMetaType<QMap<QString, QVariantMap>>();
    qRegisterMetaType<CommunicationTypes::CommunicationError>();
    qunsetenv(Wlan::ScenarioVariable);
    const QString unavailable = m_mock.prepare(&m_python);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void tst_CNetworkManagerWlan::cleanup()
{
    QVERIFY(m_mock.stopService());
    Tovrin::Logging::CLogger::setOutputFileName(QString());
}

QString tst_CNetworkManagerWlan::activeConnection(const QString& device)
{
    const auto active = m_mock.property(device, kDeviceInterface, QStringLiteral("ActiveConnection")).value<QDBusObjectPath>();
    return m_mock.property(active.path(), QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                           QStringLiteral("Connection"))
        .value<QDBusObjectPath>()
        .path();
}

QString tst_CNetworkManagerWlan::activeKey(const QString& device)
{
    const QDBusMessage reply = m_mock.call(activeConnection(device), kConnectionInterface, QStringLiteral("GetSecrets"),
                                           {QStringLiteral("802-11-wireless-security")});
    const auto secrets = qdbus_cast<QMap<QString, QVariantMap>>(reply.arguments().value(0));
    return secrets.value(QStringLiteral("802-11-wireless-security")).value(QStringLiteral("psk")).toString();
}

QMap<QString, QVariantMap> tst_CNetworkManagerWlan::activeSettings(const QString& device)
{
    const QDBusMessage reply = m_mock.call(activeConnection(device), kConnectionInterface, QStringLiteral("GetSettings"));
    return qdbus_cast<QMap<QString, QVariantMap>>(reply.arguments().value(0));
}

int tst_CNetworkManagerWlan::savedConnectionCount()
{
    const QDBusMessage reply =
        m_mock.call(kSettingsPath, QStringLiteral("org.freedesktop.NetworkManager.Settings"), QStringLiteral("ListConnections"));
    return qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0)).size();
}

QMap<QString, QVariantMap> tst_CNetworkManagerWlan::connectionSettings(const QString& connection)
{
    const QDBusMessage reply = m_mock.call(connection, kConnectionInterface, QStringLiteral("GetSettings"));
    return qdbus_cast<QMap<QString, QVariantMap>>(reply.arguments().value(0));
}

QStringList tst_CNetworkManagerWlan::connectionsOf(const QString& ssid)
{
    const QDBusMessage reply =
        m_mock.call(kSettingsPath, QStringLiteral("org.freedesktop.NetworkManager.Settings"), QStringLiteral("ListConnections"));
    QStringList found;
    for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0))) {
        if (connectionSettings(path.path()).value(QStringLiteral("802-11-wireless")).value(QStringLiteral("ssid"))
            == ssid.toUtf8())
            found.append(path.path());
    }
    return found;
}

bool tst_CNetworkManagerWlan::scanOnFirstDevice(CWindowsNetworkManager* manager, const QStringList& ssids)
{
    // NetworkManagerQt learns of a NetworkManager that has just started a little later.
    if (!QTest::qWaitFor([manager]() { return manager->queryWifiInterfaces().contains(QStringLiteral("wlan0")); }, 5000))
        return false;
    manager->setActiveWifiInterface(QStringLiteral("wlan0"));
    manager->setNetworkScanEnabled(true);
    return QTest::qWaitFor(
        [manager, ssids]() {
            const QStringList listed = manager->availableNetworks();
            return std::all_of(ssids.begin(), ssids.end(), [&listed](const QString& ssid) { return listed.contains(ssid); });
        },
        5000);
}

void tst_CNetworkManagerWlan::withoutNetworkManagerTheProgramGoesOnWithoutWifi()
{
    const QString logPath = QDir::temp().filePath(QStringLiteral("no-service.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    {
        // Nothing owns NetworkManager's name on the bus: the start-up choice falls to it all the same.
        auto manager = makeManager(Wlan::platformWlan());
        QTRY_VERIFY(!Wlan::wlanServiceFound());
        QVERIFY(manager->queryWifiInterfaces().isEmpty());
        QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
        manager->setNetworkScanEnabled(true);
        manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    }
    Tovrin::Logging::CLogger::setOutputFileName(QString());
    const QString log = readLogText(logPath);
    QCOMPARE(log.count(QLatin1String("No Wi-Fi service: NetworkManager is not on the system bus")), 1);
}

void tst_CNetworkManagerWlan::wifiLogicRunsOnNetworkManager()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    QVERIFY(!device.isEmpty());
    m_mock.addAccessPoint(device, QStringLiteral("zephira_far"), kZephira, 40, false);
    const QString zephiraNear = m_mock.addAccessPoint(device, QStringLiteral("zephira_near"), kZephira, 80, false);
    const QString gullyrover = m_mock.addAccessPoint(device, QStringLiteral("gullyrover"), kGullyrover, 70, false);
    m_mock.addAccessPoint(device, QStringLiteral("pelkom"), kPelkom, 50, true);
    m_mock.addAccessPoint(device, QStringLiteral("home"), kHome, 90, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, familyKey(CommunicationTypes::SystemFamilyZephira)});
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kGullyrover, familyKey(CommunicationTypes::SystemFamilyGullyrover)});

    const QString logPath = QDir::temp().filePath(QStringLiteral("wifi-logic.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);

    // The radio is off: scanning switches it on.
    m_mock.mock(QStringLiteral("SetProperty"), {kManagerPath, kManagerInterface, QStringLiteral("WirelessEnabled"),
                                                QVariant::fromValue(QDBusVariant(false))});
    auto wlan = std::make_shared<CNetworkManagerWlan>();
    auto manager = makeManager(wlan);
    QCOMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    QCOMPARE(manager->activeWifiInterface(), QStringLiteral("wlan0"));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(!manager->wifiEnabled());

    // A second listener of the service sees what the manager does not show: the scans ending.
    QList<quint32> codes;
    Wlan::ClientHandle observer = 0;
    QCOMPARE(wlan->openHandle(2, &observer), Wlan::ErrorSuccess);
    wlan->registerNotification(observer, Wlan::SourceAcm | Wlan::SourceMsm,
                               [&codes](const Wlan::Notification& notification) { codes.append(notification.code); });

    // Scanning lists every network once, whatever the number of its access points.
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY(manager->wifiEnabled());
    QCOMPARE(m_mock.property(kManagerPath, kManagerInterface, QStringLiteral("WirelessEnabled")).toBool(), true);
    QTRY_VERIFY(manager->availableNetworks().size() == 4);
    QCOMPARE(manager->availableNetworks().count(kZephira), 1);
    for (const QString& ssid : {kZephira, kGullyrover, kPelkom, kHome})
        QVERIFY2(manager->availableNetworks().contains(ssid), qPrintable(ssid));
    QTRY_VERIFY(codes.contains(Wlan::AcmScanComplete));

    // Joining takes the family's key into a new connection on the strongest access point.
    StateRecorder recorder(manager.get());
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(recorder.states.first(), CAbstractNetworkManager::StateConnecting);
    QCOMPARE(manager->connectedNetworkName(), kZephira);
    const auto active = m_mock.property(device, kDeviceInterface, QStringLiteral("ActiveConnection")).value<QDBusObjectPath>();
    QCOMPARE(m_mock.property(active.path(), QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                             QStringLiteral("SpecificObject"))
                 .value<QDBusObjectPath>()
                 .path(),
             zephiraNear);
    QCOMPARE(activeKey(device), familyKey(CommunicationTypes::SystemFamilyZephira));
    QCOMPARE(activeSettings(device).value(QStringLiteral("connection")).value(QStringLiteral("autoconnect")), QVariant(false));
    QTRY_COMPARE(manager->wifiSignalStrength(), 80);

    // Leaving and joining again: the saved connection is used, no second one is added.
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(savedConnectionCount(), 1);
    QCOMPARE(failed.count(), 0);

    // NetworkManager refuses the activation: the join fails.
    m_mock.mock(QStringLiteral("SetActivationRefused"), {kPelkom, true});
    manager->connectToWifiNetwork(kPelkom, familyKey(CommunicationTypes::SystemFamilyPelkom));
    QTRY_COMPARE(failed.count(), 1);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);

    // A wrong key: the saved connection is dropped and the join tried once more, then it fails.
    // The refused connection going away after that is no leave of the program's.
    DeviceStates deviceStates;
    QVERIFY(m_mock.control().connect(QString::fromLatin1(NetworkManagerMock::Service), device, kDeviceInterface,
                                     QStringLiteral("StateChanged"), &deviceStates, SLOT(changed(uint, uint, uint))));
    int statesAtFailure = -1;
    connect(manager.get(), &CAbstractNetworkManager::connectionFailed, &deviceStates,
            [&] { statesAtFailure = recorder.states.size(); });
    manager->connectToWifiNetwork(kGullyrover, QStringLiteral("00000000"));
    QTRY_COMPARE(failed.count(), 2);
    QTRY_VERIFY(deviceStates.endsIn(kDeviceDisconnected));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(!recorder.states.mid(statesAtFailure).contains(CAbstractNetworkManager::StateDisconnecting));
    // The right key replaces the wrong one that NetworkManager kept: the retry leaves one
    // connection, the new one, and the one with the wrong key is gone.
    const QStringList wrongKey = connectionsOf(kGullyrover);
    QCOMPARE(wrongKey.size(), 1);
    const QVariant wrongKeyUuid = uuidOf(connectionSettings(wrongKey.constFirst()));
    manager->connectToWifiNetwork(kGullyrover, familyKey(CommunicationTypes::SystemFamilyGullyrover));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(failed.count(), 2);
    QCOMPARE(activeKey(device), familyKey(CommunicationTypes::SystemFamilyGullyrover));
    QTRY_COMPARE(connectionsOf(kGullyrover), QStringList{activeConnection(device)});
    QVERIFY(uuidOf(activeSettings(device)) != wrongKeyUuid);

    // The access point goes: disconnected without a failure, and the network leaves the list.
    recorder.states.clear();
    m_mock.mock(QStringLiteral("DropAccessPoint"), {device, gullyrover});
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(recorder.states.first(), CAbstractNetworkManager::StateDisconnecting);
    QTRY_VERIFY(!manager->availableNetworks().contains(kGullyrover));
    QCOMPARE(failed.count(), 2);

    // The adapter is taken away during a join, and comes back: the same interface again.
    QSignalSpy interfaces(manager.get(), &CAbstractNetworkManager::wifiInterfacesChanged);
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    m_mock.mock(QStringLiteral("RemoveDevice"), {device});
    QTRY_COMPARE(interfaces.count(), 1);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(manager->queryWifiInterfaces().isEmpty());
    // NetworkManager gives a device that comes back a new object path.
    const QString again = m_mock.addDevice(QStringLiteral("wlan0dev_again"), QStringLiteral("wlan0"));
    m_mock.addAccessPoint(again, QStringLiteral("zephira_back"), kZephira, 60, false);
    QTRY_COMPARE(interfaces.count(), 2);
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);

    // NetworkManager stops: no interface, disconnected, and a join fails at once.
    const int failures = failed.count();
    QVERIFY(m_mock.stopService());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QTRY_VERIFY(manager->queryWifiInterfaces().isEmpty());
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QCOMPARE(failed.count(), failures + 1);

    // NetworkManager is back with the adapter: joining works again without a restart.
    QVERIFY(m_mock.startService(m_python));
    const QString restarted = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    m_mock.addAccessPoint(restarted, QStringLiteral("zephira"), kZephira, 60, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, familyKey(CommunicationTypes::SystemFamilyZephira)});
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    wlan->closeHandle(observer);

    Tovrin::Logging::CLogger::setOutputFileName(QString());
    const QString log = readLogText(logPath);
    QVERIFY2(log.contains(QLatin1String("NetworkManager refused to join `Pelkom0042`")), qPrintable(log.right(3000)));
    QVERIFY(log.contains(QLatin1String("org.freedesktop.NetworkManager.PermissionDenied")));
    QVERIFY(log.contains(QLatin1String("Data for profile: Gullyrover_SN54321")));
    QVERIFY(log.contains(QLatin1String("Successfully deleted profile Gullyrover_SN54321")));
    QVERIFY(!log.contains(familyKey(CommunicationTypes::SystemFamilyGullyrover)));
    QVERIFY(!log.contains(QLatin1String("00000000")));
}

void tst_CNetworkManagerWlan::sessionGoesOnlineAndRidesOutLostNetworkAndStoppedService()
{
    EncoderBoardSimulator board(EncoderBoardSimulator::ZPX);
    if (!board.start())
        QSKIP("python3 could not start the encoder-board simulator");
    CRVQLinkSimulator link;
    QVERIFY(link.listen(QHostAddress::LocalHost, 0));

    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    const QString accessPoint = m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 75, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, familyKey(CommunicationTypes::SystemFamilyZephira)});

    auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    manager->setActiveWifiInterface(QStringLiteral("wlan0"));
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));

    RVQTestStorageProvider storages;
    CStubSessionStreamer streamer;
    TestRVQSession session(manager.get(), &storages, &streamer, link.port());
    session.setReconnectFailerInterval(10000);
    QSignalSpy errors(&session, &Communication::CRVQSystemSession::errorOccurred);
    session.connectToSystem(kZephira, false);
    QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOnline, 15000);
    QCOMPARE(manager->connectedNetworkName(), kZephira);
    QTRY_COMPARE(storages.data.hardwareId(), QStringLiteral("ZPX_1.0 V01"));

    // The system's network goes away and comes back: the session reconnects by itself.
    m_mock.mock(QStringLiteral("DropAccessPoint"), {device, accessPoint});
    QTRY_COMPARE(session.state(), CommunicationTypes::ConnectionReestablishing);
    m_mock.addAccessPoint(device, QStringLiteral("zephira_again"), kZephira, 75, false);
    QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOnline, 15000);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateConnected);

    // NetworkManager stops mid-session: the session tries to reconnect, then gives up with the
    // network manager's error.
    session.setReconnectFailerInterval(300);
    QVERIFY(m_mock.stopService());
    QTRY_VERIFY(session.state() != CommunicationTypes::ConnectionOnline);
    QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOffline, 15000);
    bool networkError = false;
    for (const QList<QVariant>& arguments : qAsConst(errors)) {
        if (arguments.first().value<CommunicationTypes::CommunicationError>()
            == CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed)
            networkError = true;
    }
    QVERIFY(networkError);
}

void tst_CNetworkManagerWlan::securityIsMappedFromTheAccessPoint()
{
    struct Case
    {
        const char* name;
        bool privacy;
        quint32 wpa;
        quint32 rsn;
        quint32 auth;
        quint32 cipher;
    };
    // Flags as NetworkManager reports them: key management 0x100 PSK, 0x200 802.1X, 0x400 SAE,
    // 0x800 OWE; pairwise ciphers 0x1 WEP40, 0x4 TKIP, 0x8 CCMP.
    const Case cases[] = {
        {"WPA3-Personal only", true, 0, 0x408, Wlan::AuthWpa3Sae, Wlan::CipherCcmp},
        {"WPA2/WPA3 transition", true, 0, 0x508, Wlan::AuthRsnaPsk, Wlan::CipherCcmp},
        {"WPA-Personal", true, 0x104, 0, Wlan::AuthWpaPsk, Wlan::CipherTkip},
        {"OWE", true, 0, 0x808, Wlan::AuthOwe, Wlan::CipherCcmp},
        {"OWE transition, open side", false, 0, 0x1000, Wlan::AuthOwe, Wlan::CipherCcmp},
        {"WPA2-Enterprise", true, 0, 0x208, Wlan::AuthRsna, Wlan::CipherCcmp},
        {"WEP", true, 0, 0, Wlan::AuthOpen, Wlan::CipherWep40},
        {"open", false, 0, 0, Wlan::AuthOpen, Wlan::CipherNone},
    };
    int profiles = 0;
    for (const Case& c : cases) {
        quint32 auth = 0;
        quint32 cipher = 0;
        Wlan::securityFromAccessPoint(c.privacy, c.wpa, c.rsn, &auth, &cipher);
        QVERIFY2(auth == c.auth && cipher == c.cipher,
                 qPrintable(QStringLiteral("%1: %2/%3").arg(QLatin1String(c.name)).arg(auth).arg(cipher)));
        // With no access point of the network in sight the join goes by the profile that the
        // manager wrote from the listed algorithms: it asks NetworkManager for the same security.
        const Wlan::ApSecurity asked = Wlan::securityOfAccessPoint(c.privacy, c.wpa, c.rsn);
        QString profile;
        if (asked == Wlan::ApSecurity::Enterprise
            || !Communication::generateWlanProfile(QStringLiteral("Cam"), QStringLiteral("40617295"), auth, cipher, profile))
            continue;
        ++profiles;
        QVERIFY2(Wlan::securityFromProfile(Wlan::readWlanProfile(profile)) == asked, c.name);
    }
    QCOMPARE(profiles, 5); // WPA3-Personal, transition, WPA-Personal, WEP, open

    const auto security = [](const Wlan::NmSettings& settings) {
        return settings.value(QStringLiteral("802-11-wireless-security"));
    };
    const QByteArray ssid("Cam");
    QCOMPARE(security(Wlan::connectionSettingsFor(ssid, QStringLiteral("40617295"), Wlan::ApSecurity::Sae))
                 .value(QStringLiteral("key-mgmt")),
             QVariant(QStringLiteral("sae")));
    QVERIFY(security(Wlan::connectionSettingsFor(ssid, QString(), Wlan::ApSecurity::Open)).isEmpty());
    // A WEP key in a key's form goes as a key (1), anything else as a passphrase (2).
    const QList<QPair<QString, uint>> wepKeys = {{QStringLiteral("0a1b2c3d4e"), 1u},
                                                 {QStringLiteral("abcde"), 1u},
                                                 {QStringLiteral("thirteen-char"), 1u},
                                                 {QStringLiteral("0A1B2C3D4E5F60718293A4B5C6"), 1u},
                                                 {QStringLiteral("0a1b2c3d4g"), 2u},
                                                 {QStringLiteral("40617295"), 2u}};
    for (const auto& wep : wepKeys) {
        const QVariantMap settings = security(Wlan::connectionSettingsFor(ssid, wep.first, Wlan::ApSecurity::Wep));
        QCOMPARE(settings.value(QStringLiteral("key-mgmt")), QVariant(QStringLiteral("none")));
        QVERIFY2(settings.value(QStringLiteral("wep-key-type")).toUInt() == wep.second, qPrintable(wep.first));
    }
}

void tst_CNetworkManagerWlan::joinUsesOnlySavedConnectionsThatFit()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    const QString other = m_mock.addDevice(QStringLiteral("wlan1dev"), QStringLiteral("wlan1"));
    const QString sae = QStringLiteral("Gullyrover_SN11111");
    const QString enterprise = QStringLiteral("Zephira_SN99999");
    const QString wep = QStringLiteral("Pelkom0099");
    const QString owe = QStringLiteral("CityCafe");
    const QString pelkom = QStringLiteral("Pelkom0077");
    m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 70, 0x108u);
    m_mock.addAccessPoint(other, QStringLiteral("zephira_other"), kZephira, 70, 0x108u);
    m_mock.addAccessPoint(device, QStringLiteral("sae"), sae, 60, 0x408u);
    m_mock.addAccessPoint(device, QStringLiteral("enterprise"), enterprise, 60, 0x208u);
    m_mock.addAccessPoint(device, QStringLiteral("wep"), wep, 60, 0x1u);
    m_mock.addAccessPoint(device, QStringLiteral("owe"), owe, 60, 0x808u);
    m_mock.addAccessPoint(device, QStringLiteral("pelkom"), pelkom, 60, true);
    const QString zephiraKey = familyKey(CommunicationTypes::SystemFamilyZephira);
    const QString gullyroverKey = familyKey(CommunicationTypes::SystemFamilyGullyrover);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, zephiraKey});
    m_mock.mock(QStringLiteral("SetNetworkKey"), {sae, gullyroverKey});
    m_mock.mock(QStringLiteral("SetNetworkKey"), {wep, QStringLiteral("0a1b2c3d4e")});

    // Saved by someone else with the right keys, but for the other adapter (by name and by
    // hardware address) or for WPA2 where the access point asks for WPA3.
    const QByteArray otherAddress = QByteArray::fromHex(
        m_mock.property(other, QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless"), QStringLiteral("PermHwAddress"))
            .toString()
            .remove(QLatin1Char(':'))
            .toLatin1());
    QCOMPARE(otherAddress.size(), 6);
    const QStringList othersZephira = {
        m_mock.addSavedConnection(kZephira, QStringLiteral("wpa-psk"), zephiraKey, false, QStringLiteral("wlan1")),
        m_mock.addSavedConnection(kZephira, QStringLiteral("wpa-psk"), zephiraKey, false, QString(), otherAddress)};
    const QString othersSae = m_mock.addSavedConnection(sae, QStringLiteral("wpa-psk"), gullyroverKey, false);
    const QString othersPelkom = m_mock.addSavedConnection(pelkom, QString(), QString(), false);

    const QString logPath = QDir::temp().filePath(QStringLiteral("fitting-connections.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    auto wlan = std::make_shared<CNetworkManagerWlan>();
    auto manager = makeManager(wlan);
    QVERIFY(scanOnFirstDevice(manager.get(), {kZephira, sae, enterprise, wep, owe, pelkom}));
    QCOMPARE(manager->activeWifiInterface(), QStringLiteral("wlan0"));
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);

    // The networks are listed as what they are.
    QUuid guid;
    const Wlan::ClientHandle handle = openOnFirstInterface(wlan.get(), &guid);
    QVERIFY(!guid.isNull());
    QList<Wlan::AvailableNetwork> networks;
    QCOMPARE(wlan->getAvailableNetworkList(handle, guid, 0, &networks), Wlan::ErrorSuccess);
    QMap<QString, QPair<quint32, quint32>> listed;
    for (const Wlan::AvailableNetwork& network : qAsConst(networks))
        listed.insert(QString::fromUtf8(network.ssid), {network.authAlgorithm, network.cipherAlgorithm});
    QCOMPARE(listed.value(sae), qMakePair(quint32(Wlan::AuthWpa3Sae), quint32(Wlan::CipherCcmp)));
    QCOMPARE(listed.value(owe), qMakePair(quint32(Wlan::AuthOwe), quint32(Wlan::CipherCcmp)));
    QCOMPARE(listed.value(enterprise).first, quint32(Wlan::AuthRsna));
    wlan->closeHandle(handle);

    // Connections that NetworkManager would refuse here are left alone: the family key joins.
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QVERIFY(!othersZephira.contains(activeConnection(device)));
    QCOMPARE(activeKey(device), zephiraKey);
    QCOMPARE(connectionsOf(kZephira).size(), 3);

    manager->connectToWifiNetwork(sae, gullyroverKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(activeSettings(device).value(QStringLiteral("802-11-wireless-security")).value(QStringLiteral("key-mgmt")),
             QVariant(QStringLiteral("sae")));
    QVERIFY(activeConnection(device) != othersSae);
    QCOMPARE(connectionsOf(sae).size(), 2);

    // A WEP key in a key's form is given to NetworkManager as a key.
    manager->connectToWifiNetwork(wep, QStringLiteral("0a1b2c3d4e"));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(failed.count(), 0);

    // Someone else's connection that fits is used as it is, and leaving ends it.
    manager->connectToWifiNetwork(pelkom, familyKey(CommunicationTypes::SystemFamilyPelkom));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(activeConnection(device), othersPelkom);
    QCOMPARE(connectionsOf(pelkom).size(), 1);
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(activeConnection(device), QString());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);

    // 802.1X asks for a sign-in the program cannot give: a clear failure, nothing saved.
    const int saved = savedConnectionCount();
    manager->connectToWifiNetwork(enterprise, zephiraKey);
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(savedConnectionCount(), saved);
    Tovrin::Logging::CLogger::setOutputFileName(QString());
    const QString log = readLogText(logPath);
    QVERIFY2(log.contains(QStringLiteral("`%1` asks for an 802.1X sign-in").arg(enterprise)), qPrintable(log.right(2000)));
}

void tst_CNetworkManagerWlan::keyFailureLeavesOthersConnectionsAlone()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 70, false);
    const QString zephiraKey = familyKey(CommunicationTypes::SystemFamilyZephira);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, zephiraKey});
    // Saved by the user with a key the system no longer has, joined whenever in reach.
    const QString outdated = m_mock.addSavedConnection(kZephira, QStringLiteral("wpa-psk"), QStringLiteral("11111111"), true);
    const QMap<QString, QVariantMap> outdatedSettings = connectionSettings(outdated);

    const QString logPath = QDir::temp().filePath(QStringLiteral("others-connections.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    {
        auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
        QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
        QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
        // The user's connection fits and is tried; its key fails, and the family key joins in a
        // connection of the program's own. The user's is neither read nor deleted nor changed.
        manager->connectToWifiNetwork(kZephira, zephiraKey);
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
        QCOMPARE(failed.count(), 0);
        QVERIFY(activeConnection(device) != outdated);
        QCOMPARE(activeKey(device), zephiraKey);
        QTRY_COMPARE(connectionsOf(kZephira).size(), 2);
        QVERIFY(connectionsOf(kZephira).contains(outdated));
        QCOMPARE(connectionSettings(outdated), outdatedSettings);
        QCOMPARE(m_mock.secretReads(outdated), 0u);
        leaveWhileTheUsersConnectionComesBack(manager.get(), device);
    }

    // After a restart of the program its own connection, which fits and holds the system's key,
    // is joined at once: the user's outdated one is not tried first.
    {
        auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
        QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
        DeviceStates states;
        QVERIFY(m_mock.control().connect(QString::fromLatin1(NetworkManagerMock::Service), device, kDeviceInterface,
                                         QStringLiteral("StateChanged"), &states, SLOT(changed(uint, uint, uint))));
        manager->connectToWifiNetwork(kZephira, zephiraKey);
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
        QVERIFY(!states.states.contains(kDeviceNeedAuth) && !states.states.contains(kDeviceFailed));
        QVERIFY(activeConnection(device) != outdated);
        QCOMPARE(connectionsOf(kZephira).size(), 2);
        leaveWhileTheUsersConnectionComesBack(manager.get(), device);
    }

    // After a restart of the program its own connection is still known as its own: the system
    // has a new key, the program's connection with the old one is replaced, the user's stays.
    // NetworkManager may give a new connection the path of a deleted one: the uuid tells them apart.
    const auto uuids = [this]() {
        QVariantList found;
        for (const QString& connection : connectionsOf(kZephira))
            found.append(uuidOf(connectionSettings(connection)));
        return found;
    };
    QVariantList ours = uuids();
    QCOMPARE(ours.size(), 2);
    ours.removeAll(uuidOf(outdatedSettings));
    QCOMPARE(ours.size(), 1);
    const QString newKey = QStringLiteral("22222222");
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, newKey});
    {
        auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
        QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
        QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
        manager->connectToWifiNetwork(kZephira, newKey);
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(activeKey(device), newKey);
        QTRY_COMPARE(connectionsOf(kZephira).size(), 2);
        QVERIFY(!uuids().contains(ours.constFirst()));
        QVERIFY(connectionsOf(kZephira).contains(outdated));
        QCOMPARE(connectionSettings(outdated), outdatedSettings);
        QCOMPARE(m_mock.secretReads(outdated), 0u);
    }
    Tovrin::Logging::CLogger::setOutputFileName(QString());
    const QString log = readLogText(logPath);
    QVERIFY(!log.contains(QLatin1String("11111111")));
    QVERIFY(!log.contains(newKey));
}

void tst_CNetworkManagerWlan::leavingGivesTheTabletItsOwnNetworkBack()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    const QString home = m_mock.addAccessPoint(device, QStringLiteral("home"), kHome, 90, false);
    // An odd percentage: shown as the even one below, never as more signal than there is.
    m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 75, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kHome, QStringLiteral("home-key")});
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, familyKey(CommunicationTypes::SystemFamilyZephira)});
    // The tablet is on its own network, saved by the user and joined automatically.
    const QString homeConnection = m_mock.addSavedConnection(kHome, QStringLiteral("wpa-psk"), QStringLiteral("home-key"), true);
    m_mock.call(kManagerPath, kManagerInterface, QStringLiteral("ActivateConnection"),
                {QVariant::fromValue(QDBusObjectPath(homeConnection)), QVariant::fromValue(QDBusObjectPath(device)),
                 QVariant::fromValue(QDBusObjectPath(home))});
    QTRY_COMPARE(activeConnection(device), homeConnection);
    const QString logPath = QDir::temp().filePath(QStringLiteral("leaving.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);

    auto firstWlan = std::make_shared<CNetworkManagerWlan>();
    auto manager = makeManager(firstWlan);
    QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->connectedNetworkName(), kZephira);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QTRY_COMPARE(manager->wifiSignalStrength(), 74);

    // Left and joined again at once, while NetworkManager is still leaving and lists the network
    // as joined: that network, about to go, is not taken as joined. The join is carried out, and
    // the link it reports stays once the leave is through.
    const QString joined = activeConnection(device);
    const auto heldLeaves = [this]() { return m_mock.mock(QStringLiteral("HeldLeaves"), {}).arguments().value(0).toUInt(); };
    StateRecorder recorder(manager.get());
    m_mock.mock(QStringLiteral("SetLeavesHeld"), {true});
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(heldLeaves(), 1u);
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateConnecting);
    QTRY_VERIFY(firstWlan->isSettled()); // NetworkManager has taken the join
    m_mock.mock(QStringLiteral("SetLeavesHeld"), {false});
    QTRY_COMPARE(heldLeaves(), 0u);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(recorder.states.count(CAbstractNetworkManager::StateConnected), 1);
    QCOMPARE(activeConnection(device), joined);
    QCOMPARE(m_mock.property(device, kDeviceInterface, QStringLiteral("State")).toUInt(), kDeviceActivated);

    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    // NetworkManager takes the tablet back to its own network by itself.
    QTRY_COMPARE(activeConnection(device), homeConnection);
    QCOMPARE(m_mock.property(device, kDeviceInterface, QStringLiteral("Autoconnect")), QVariant(true));

    // The program ends while joined and starts again: it still leaves by its own connection.
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    const QString camera = activeConnection(device);
    QVERIFY(camera != homeConnection);
    auto wlan = std::make_shared<CNetworkManagerWlan>();
    manager = makeManager(wlan);
    QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(activeConnection(device), camera);
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(activeConnection(device), homeConnection);

    // Left before NetworkManager has answered the join: the join does not go on regardless (the
    // device is deactivated twice, for the join and for the leave) and the tablet's own network
    // comes back.
    DeviceStates states;
    QVERIFY(m_mock.control().connect(QString::fromLatin1(NetworkManagerMock::Service), device, kDeviceInterface,
                                     QStringLiteral("StateChanged"), &states, SLOT(changed(uint, uint, uint))));
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    manager->disconnectFromWifiNetwork();
    QTRY_VERIFY(states.states.count(kDeviceDeactivating) >= 2);
    QTRY_COMPARE(activeConnection(device), homeConnection);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    // The program learns of the device's states from NetworkManager's reports, which may still
    // be on their way (the join's own activation among them): it ends on the tablet's network.
    QTRY_COMPARE(manager->connectedNetworkName(), kHome);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);

    // Asked to leave while the tablet is on a network of someone else's: that network stays.
    QUuid guid;
    const Wlan::ClientHandle handle = openOnFirstInterface(wlan.get(), &guid);
    QVERIFY(!guid.isNull());
    const int deactivations = states.states.count(kDeviceDeactivating);
    QCOMPARE(wlan->disconnect(handle, guid), Wlan::ErrorSuccess);
    QTRY_VERIFY(readLogText(logPath).contains(QLatin1String("is not the program's: it stays.")));
    QCOMPARE(activeConnection(device), homeConnection);
    QCOMPARE(states.states.count(kDeviceDeactivating), deactivations);
    wlan->closeHandle(handle);

    // Left before NetworkManager has answered, the device on no network: the join ends all the same.
    m_mock.mock(QStringLiteral("DropAccessPoint"), {device, home});
    QTRY_COMPARE(activeConnection(device), QString());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QTRY_VERIFY(states.endsIn(kDeviceDisconnected)); // the drop's own states are in
    states.states.clear();
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(states.states.count(kDeviceDeactivating), 1);
    QTRY_VERIFY(states.endsIn(kDeviceDisconnected));
    QCOMPARE(activeConnection(device), QString());
    Tovrin::Logging::CLogger::setOutputFileName(QString());
}

void tst_CNetworkManagerWlan::joinGivenUpEndsWhenNetworkManagerCarriesItOutOrDropsIt()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    const QString accessPoint = m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 70, false);
    const QString zephiraKey = familyKey(CommunicationTypes::SystemFamilyZephira);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, zephiraKey});
    auto wlan = std::make_shared<CNetworkManagerWlan>();
    auto manager = makeManager(wlan);
    manager->setJoinTimeout(300);
    QVERIFY(scanOnFirstDevice(manager.get(), {kZephira}));
    DeviceStates states;
    QVERIFY(m_mock.control().connect(QString::fromLatin1(NetworkManagerMock::Service), device, kDeviceInterface,
                                     QStringLiteral("StateChanged"), &states, SLOT(changed(uint, uint, uint))));
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    const auto carryOut = [this]() {
        return m_mock.mock(QStringLiteral("CarryOutUnansweredJoins"), {}).arguments().value(0).toUInt();
    };

    // NetworkManager holds the join for longer than the manager waits: the manager gives up...
    m_mock.mock(QStringLiteral("SetJoinsUnanswered"), {kZephira, true});
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(states.states.isEmpty());
    // ...and when NetworkManager carries it out after all, it is ended as it begins, before it
    // is complete: the adapter is not left on the camera's network while the program says
    // Disconnected.
    m_mock.mock(QStringLiteral("SetActivationsHeld"), {true});
    QCOMPARE(carryOut(), 1u);
    QTRY_VERIFY(states.states.contains(kDeviceDeactivating) && states.endsIn(kDeviceDisconnected));
    QVERIFY(!states.states.contains(kDeviceActivated));
    QTRY_VERIFY(wlan->isSettled());
    QCOMPARE(activeConnection(device), QString());
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(failed.count(), 1);
    m_mock.mock(QStringLiteral("SetActivationsHeld"), {false});
    const QStringList own = connectionsOf(kZephira);
    QCOMPARE(own.size(), 1);

    // Given up again, and joined again while NetworkManager still holds the first join: when it
    // gets to both, the newer join stands.
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QTRY_COMPARE(failed.count(), 2);
    manager->setJoinTimeout(30000);
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QCOMPARE(carryOut(), 2u);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QTRY_VERIFY(wlan->isSettled());
    QCOMPARE(activeConnection(device), own.first());
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QTRY_COMPARE(activeConnection(device), QString());

    // Given up, and NetworkManager drops the join when it gets to it (refused then) or never
    // answers within the bound: nothing of it is left to end, and the operator's own choice of
    // the camera's network in the desktop's menu stays.
    manager->setJoinTimeout(300);
    m_mock.mock(QStringLiteral("SetActivationRefused"), {kZephira, true});
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QTRY_COMPARE(failed.count(), 3);
    QCOMPARE(carryOut(), 1u);
    QTRY_VERIFY(wlan->isSettled());
    m_mock.mock(QStringLiteral("SetActivationRefused"), {kZephira, false});
    wlan->setJoinAnswerTimeout(500);
    manager->connectToWifiNetwork(kZephira, zephiraKey);
    QTRY_COMPARE(failed.count(), 4);
    QTRY_VERIFY(wlan->isSettled());
    m_mock.mock(QStringLiteral("SetJoinsUnanswered"), {kZephira, false});
    states.states.clear();
    m_mock.call(kManagerPath, kManagerInterface, QStringLiteral("ActivateConnection"),
                {QVariant::fromValue(QDBusObjectPath(own.first())), QVariant::fromValue(QDBusObjectPath(device)),
                 QVariant::fromValue(QDBusObjectPath(accessPoint))});
    QTRY_VERIFY(states.endsIn(kDeviceActivated));
    QTRY_COMPARE(manager->connectedNetworkName(), kZephira);
    QVERIFY(wlan->isSettled());
    QCOMPARE(activeConnection(device), own.first());
    QVERIFY(!states.states.contains(kDeviceDeactivating));
}

// The chosen adapter unplugged while the session is online: the reconnects that cannot find it
// end with the adapter named, not with interference. Another stick plugged in under its name is
// the chosen adapter from then on: none is named missing any more, and the camera is joined
// through it.
void tst_CNetworkManagerWlan::unpluggedAdapterIsNamedAndAnotherOfItsNameTaken()
{
    EncoderBoardSimulator board(EncoderBoardSimulator::ZPX);
    if (!board.start())
        QSKIP("python3 could not start the encoder-board simulator");
    CRVQLinkSimulator link;
    QVERIFY(link.listen(QHostAddress::LocalHost, 0));
    QVERIFY(m_mock.startService(m_python));
    const QString builtIn = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    const QString stick = m_mock.addDevice(QStringLiteral("wlan1dev"), QStringLiteral("wlan1"));
    m_mock.addAccessPoint(stick, QStringLiteral("zephira"), kZephira, 75, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, familyKey(CommunicationTypes::SystemFamilyZephira)});

    auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList({QStringLiteral("wlan0"), QStringLiteral("wlan1")}));
    manager->setActiveWifiInterface(QStringLiteral("wlan1"));
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));

    RVQTestStorageProvider storages;
    CStubSessionStreamer streamer;
    TestRVQSession session(manager.get(), &storages, &streamer, link.port());
    session.setReconnectFailerInterval(300);
    QSignalSpy errors(&session, &Communication::CRVQSystemSession::errorOccurred);
    session.connectToSystem(kZephira, false);
    QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOnline, 15000);

    m_mock.mock(QStringLiteral("RemoveDevice"), {stick});
    QTRY_COMPARE_WITH_TIMEOUT(session.state(), CommunicationTypes::ConnectionOffline, 15000);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<CommunicationTypes::CommunicationError>(),
             CommunicationTypes::CommunicationErrorNetworkManagerNoInterface);
    QCOMPARE(manager->missingWifiInterface(), QStringLiteral("wlan1"));

    // Another stick, another address, the same name.
    const QString other = m_mock.addDevice(QStringLiteral("wlan1dev_other"), QStringLiteral("wlan1"),
                                           QStringLiteral("02:00:00:00:03:01"));
    m_mock.addAccessPoint(other, QStringLiteral("zephira_other"), kZephira, 70, false);
    QTRY_COMPARE(manager->missingWifiInterface(), QString());
    QCOMPARE(manager->activeWifiInterface(), QStringLiteral("wlan1"));
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));
    manager->connectToWifiNetwork(kZephira, familyKey(CommunicationTypes::SystemFamilyZephira));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QVERIFY(!activeConnection(other).isEmpty());
    QCOMPARE(m_mock.property(builtIn, kDeviceInterface, QStringLiteral("ActiveConnection")).value<QDBusObjectPath>().path(),
             QStringLiteral("/"));
    QCOMPARE(errors.size(), 1);
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

// Access points send any bytes as their network's name: UTF-8 with letters beyond ASCII, bytes
// that are no UTF-8, control characters. Each is listed readably and on one line, with the
// family's serial taken from that name, and joined by its very bytes.
void tst_CNetworkManagerWlan::networksAreListedReadablyAndJoinedByTheirBytes()
{
    QVERIFY(m_mock.startService(m_python));
    const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    struct Network
    {
        QByteArray ssid;
        QString listed;
        QString serial;
        QString key; // null for an open network
    };
    const QList<Network> networks = {
        {QByteArray("Pelkom-Gr\xC3\xBCn"), QStringLiteral("Pelkom-Gr") + QChar(0xFC) + QStringLiteral("n"),
         QStringLiteral("Gr") + QChar(0xFC) + QStringLiteral("n"), QString()},
        {QByteArray("Pelkom-M\xFCller"), QStringLiteral("Pelkom-M\\xFCller"), QStringLiteral("ller"),
         QStringLiteral("pelkom-key")},
        {QByteArray("Pelkom\x00\n4242", 12), QStringLiteral("Pelkom\\x00\\x0A4242"), QStringLiteral("4242"), QString()},
    };
    for (int i = 0; i < networks.size(); ++i) {
        const Network& network = networks.at(i);
        m_mock.addAccessPointWithSsid(device, QStringLiteral("pelkom%1").arg(i), network.ssid, 70,
                                      network.key.isNull() ? 0u : 0x108u);
        if (!network.key.isNull())
            m_mock.mock(QStringLiteral("SetNetworkKeyOfSsid"), {network.ssid, network.key});
    }

    auto manager = makeManager(std::make_shared<CNetworkManagerWlan>());
    Communication::CSystemListMaintainer systems(manager.get());
    QStringList listed;
    for (const Network& network : networks)
        listed.append(network.listed);
    QVERIFY(scanOnFirstDevice(manager.get(), listed));
    QTRY_COMPARE(systems.availableSystems().size(), networks.size());
    for (const Network& network : networks) {
        QVERIFY2(systems.availableSystems().contains(network.listed), qPrintable(systems.availableSystems().join(u'|')));
        QCOMPARE(Flavors::connectionInfoFromNetworkName(network.listed).serialNumber(), network.serial);
    }

    for (const Network& network : networks) {
        QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
        manager->connectToWifiNetwork(network.listed, network.key);
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(manager->connectedNetworkName(), network.listed);
        const QMap<QString, QVariantMap> settings = activeSettings(device);
        QCOMPARE(settings.value(QStringLiteral("802-11-wireless")).value(QStringLiteral("ssid")).toByteArray(), network.ssid);
        QCOMPARE(settings.value(QStringLiteral("connection")).value(QStringLiteral("id")).toString(), network.listed);
        manager->disconnectFromWifiNetwork();
        QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    }
}

QTEST_GUILESS_MAIN(tst_CNetworkManagerWlan)
#include "tst_CNetworkManagerWlan.moc"
