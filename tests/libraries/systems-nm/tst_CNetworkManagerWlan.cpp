#include "NetworkManagerMock.h"

#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "RVQTestSession.h"
#include "RVQTestSupport.h"
#include "fakes/CStubSessionStreamer.h"

#include "communication/CRVQSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "wlan/CNetworkManagerWlan.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"
#include "support/LogText.h"

#include <QDBusArgument>
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

    NetworkManagerMock m_mock;
    QString m_python;
};

void tst_CNetworkManagerWlan::initTestCase()
{
    Communication::CAbstractConnectionController::registerMetaTypes();
    qRegisterMetaType<CommunicationTypes::CommunicationError>();
    qunsetenv(Wlan::ScenarioVariable);
    m_python = NetworkManagerMock::python();
    if (m_python.isEmpty())
        QSKIP("python3-dbusmock is not installed; NetworkManager cannot be mocked");
    QString error;
    if (!m_mock.startBus(&error))
        QSKIP(qPrintable(error));
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
    manager->connectToWifiNetwork(kGullyrover, QStringLiteral("00000000"));
    QTRY_COMPARE(failed.count(), 2);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    // The right key replaces the wrong one that NetworkManager kept.
    manager->connectToWifiNetwork(kGullyrover, familyKey(CommunicationTypes::SystemFamilyGullyrover));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(failed.count(), 2);
    QCOMPARE(activeKey(device), familyKey(CommunicationTypes::SystemFamilyGullyrover));

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

QTEST_GUILESS_MAIN(tst_CNetworkManagerWlan)
#include "tst_CNetworkManagerWlan.moc"
