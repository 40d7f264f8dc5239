// NetworkManager on a thread of its own: the GUI thread never waits on it, however it answers,
// and a NetworkManager that comes after the start is taken up. One facade (the platform's
// shared one) serves the whole run, as in the program; the hung start needs a process of its
// own and runs as its own CTest entry.

#include "NetworkManagerMock.h"

#include "appstart/CStartScreenController.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"
#include "support/LogText.h"

#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Ulx;
using Ulx::Communication::CAbstractNetworkManager;
using Ulx::Communication::CWindowsNetworkManager;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");
const QString kGullyrover = QStringLiteral("Gullyrover_SN54321");
const QString kEnterprise = QStringLiteral("Zephira_SN99999");
const QString kHungStart = QStringLiteral("hungNetworkManagerAtStartDelaysNothing");
constexpr int kTurnsBeforeResume = 200;

QString zephiraKey()
{
    return Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyZephira);
}

// Counts the turns of the GUI thread's event loop with a zero-interval timer and, on the given
// turn, runs an action once: an action that only a turning event loop can start.
class GuiTurns : public QObject
{
public:
    GuiTurns(int actionTurn, std::function<void()> action)
        : m_actionTurn(actionTurn)
        , m_action(std::move(action))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() {
            if (++turns == m_actionTurn)
                m_action();
        });
        m_timer.start(0);
    }
    int turns = 0;

private:
    QTimer m_timer;
    int m_actionTurn;
    std::function<void()> m_action;
};

} // namespace

class tst_CNetworkManagerThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void networkManagerAfterTheStartIsTakenUp();
    void guiTurnsWhileAScanAndAJoinWaitOnAStoppedNetworkManager();
    void refusedKeyIsReadDeletedAndRetriedOnTheThread();
    void hungNetworkManagerAtStartDelaysNothing();

private:
    std::unique_ptr<CWindowsNetworkManager> makeManager()
    {
        if (!m_wlan)
            m_wlan = Wlan::platformWlan();
        auto manager = std::make_unique<CWindowsNetworkManager>(m_wlan);
        manager->setScanInterval(50);
        manager->setSignalInterval(20);
        manager->setJoinTimeout(60000);
        return manager;
    }
    // NetworkManager with wlan0 and two camera networks; wlan0's object path.
    QString startNetworkManager()
    {
        if (!m_mock.startService(m_python))
            return QString();
        const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
        m_mock.addAccessPoint(device, QStringLiteral("zephira"), kZephira, 80, false);
        m_mock.mock(QStringLiteral("SetNetworkKey"), {kZephira, zephiraKey()});
        return device;
    }
    // Run alone, by name: the process's start is the test's.
    static bool runAlone() { return QCoreApplication::arguments().contains(kHungStart); }

    NetworkManagerMock m_mock;
    QString m_python;
    std::shared_ptr<Wlan::IWlanApi> m_wlan;
};

void tst_CNetworkManagerThread::initTestCase()
{
    qunsetenv(Wlan::ScenarioVariable);
    const QString unavailable = m_mock.prepare(&m_python);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void tst_CNetworkManagerThread::cleanup()
{
    m_mock.resume();
    QVERIFY(m_mock.stopService());
}

void tst_CNetworkManagerThread::networkManagerAfterTheStartIsTakenUp()
{
    // The program starts without NetworkManager: it says so, and scans for nothing.
    CStartScreenController screen(nullptr, nullptr, nullptr);
    QSignalSpy serviceChanges(&screen, &CStartScreenController::wifiServiceFoundChanged);
    auto manager = makeManager();
    QTRY_VERIFY(!screen.wifiServiceFound());
    QVERIFY(manager->queryWifiInterfaces().isEmpty());
    manager->setActiveWifiInterface(QString());
    manager->setNetworkScanEnabled(true);

    // NetworkManager comes: the note clears, its adapter is taken up and its networks listed.
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    QTRY_VERIFY(screen.wifiServiceFound());
    QCOMPARE(serviceChanges.count(), 2);
    QTRY_COMPARE(manager->activeWifiInterface(), QStringLiteral("wlan0"));
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));
    manager->connectToWifiNetwork(kZephira, zephiraKey());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);

    // It stops and comes back: the note follows it, the adapter stays the chosen one.
    QVERIFY(m_mock.stopService());
    QTRY_VERIFY(!screen.wifiServiceFound());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QTRY_VERIFY(manager->queryWifiInterfaces().isEmpty());
    QVERIFY(!startNetworkManager().isEmpty());
    QTRY_VERIFY(screen.wifiServiceFound());
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    QCOMPARE(manager->activeWifiInterface(), QStringLiteral("wlan0"));
    manager->connectToWifiNetwork(kZephira, zephiraKey());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
}

void tst_CNetworkManagerThread::guiTurnsWhileAScanAndAJoinWaitOnAStoppedNetworkManager()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    auto manager = makeManager();
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    manager->setActiveWifiInterface(QStringLiteral("wlan0"));
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));

    // A new access point is announced just as NetworkManager stops answering: its details, the
    // scans and the join all wait on it. Only a turning GUI event loop wakes NetworkManager.
    m_mock.addAccessPoint(device, QStringLiteral("gullyrover"), kGullyrover, 70, false);
    QVERIFY(m_mock.freeze());
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    CAbstractNetworkManager::State stateAtResume = CAbstractNetworkManager::StateDisconnected;
    GuiTurns turns(kTurnsBeforeResume, [&]() {
        stateAtResume = manager->state();
        m_mock.resume();
    });
    manager->connectToWifiNetwork(kZephira, zephiraKey());
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateConnecting);

    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QVERIFY(turns.turns >= kTurnsBeforeResume);
    QCOMPARE(stateAtResume, CAbstractNetworkManager::StateConnecting);
    QCOMPARE(failed.count(), 0);
    QTRY_VERIFY(manager->availableNetworks().contains(kGullyrover));
    QCOMPARE(manager->connectedNetworkName(), kZephira);
    QTRY_COMPARE(manager->wifiSignalStrength(), 80);

    // Leaving waits the same way.
    QVERIFY(m_mock.freeze());
    GuiTurns leaving(kTurnsBeforeResume, [&]() {
        stateAtResume = manager->state();
        m_mock.resume();
    });
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(stateAtResume, CAbstractNetworkManager::StateDisconnecting);
}

void tst_CNetworkManagerThread::refusedKeyIsReadDeletedAndRetriedOnTheThread()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    const QString gullyroverKey = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyGullyrover);
    m_mock.addAccessPoint(device, QStringLiteral("gullyrover"), kGullyrover, 70, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kGullyrover, gullyroverKey});
    // A network that asks for an 802.1X sign-in (WPA2-Enterprise).
    m_mock.addAccessPoint(device, QStringLiteral("enterprise"), kEnterprise, 60, 0x208u);
    // A network whose name is no UTF-8: its profile is read and deleted by the same name.
    const QByteArray latin1Ssid("Pelkom-M\xFCller");
    const QString latin1Name = QStringLiteral("Pelkom-M\\xFCller");
    m_mock.addAccessPointWithSsid(device, QStringLiteral("latin1"), latin1Ssid, 65, 0x108u);
    m_mock.mock(QStringLiteral("SetNetworkKeyOfSsid"), {latin1Ssid, gullyroverKey});
    auto manager = makeManager();
    QTRY_COMPARE(manager->queryWifiInterfaces(), QStringList{QStringLiteral("wlan0")});
    manager->setActiveWifiInterface(QStringLiteral("wlan0"));
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY(manager->availableNetworks().contains(kGullyrover));
    QTRY_VERIFY(manager->availableNetworks().contains(kEnterprise));

    // Refused at once on the NetworkManager thread: the join fails now, not at its time-out.
    {
        QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
        manager->connectToWifiNetwork(kEnterprise, zephiraKey());
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    }

    const QString logPath = QDir::temp().filePath(QStringLiteral("nm-thread-refused-key.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    // The refusal has the manager read the profile at once: the thread read it before it told.
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(kGullyrover, QStringLiteral("00000000"));
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    // The deletion went before the retry, so the right key now joins.
    manager->connectToWifiNetwork(kGullyrover, gullyroverKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(failed.count(), 1);
    manager->disconnectFromWifiNetwork();
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QTRY_VERIFY(manager->availableNetworks().contains(latin1Name));
    manager->connectToWifiNetwork(latin1Name, QStringLiteral("00000000"));
    QTRY_COMPARE(failed.count(), 2);
    manager->connectToWifiNetwork(latin1Name, gullyroverKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(failed.count(), 2);
    Tovrin::Logging::CLogger::setOutputFileName(QString());

    const QString log = readLogText(logPath);
    QVERIFY(log.contains(QStringLiteral("Data for profile: ") + latin1Name));
    QVERIFY(log.contains(QStringLiteral("Successfully deleted profile ") + latin1Name));
    QVERIFY2(log.contains(QStringLiteral("Data for profile: ") + kGullyrover), qPrintable(log.right(3000)));
    QVERIFY(log.contains(QStringLiteral("<name>") + kGullyrover + QStringLiteral("</name>")));
    QVERIFY(log.contains(QStringLiteral("Successfully deleted profile ") + kGullyrover));
    QVERIFY(!log.contains(QStringLiteral("Failed to get profile")));
    QVERIFY(!log.contains(QStringLiteral("00000000")));
}

void tst_CNetworkManagerThread::hungNetworkManagerAtStartDelaysNothing()
{
    if (!runAlone() || m_wlan)
        QSKIP("needs a process of its own, whose start meets a hung NetworkManager: "
              "run as tst_CNetworkManagerThread_hungStart");
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    // NetworkManager owns its name but answers nothing when the program starts.
    QVERIFY(m_mock.freeze());
    bool madeBeforeResume = false;
    std::unique_ptr<CWindowsNetworkManager> manager;
    GuiTurns turns(kTurnsBeforeResume, [&]() {
        madeBeforeResume = manager != nullptr;
        m_mock.resume();
    });
    manager = makeManager();
    QVERIFY(Wlan::wlanServiceFound());
    manager->setActiveWifiInterface(QString());
    manager->setNetworkScanEnabled(true);
    // The GUI thread turns on, so NetworkManager is woken and its adapter then taken up.
    QTRY_COMPARE(manager->activeWifiInterface(), QStringLiteral("wlan0"));
    QVERIFY(madeBeforeResume);
    QTRY_VERIFY(manager->availableNetworks().contains(kZephira));
}

QTEST_MAIN(tst_CNetworkManagerThread)
#include "tst_CNetworkManagerThread.moc"
