#include "communication/CWindowsNetworkManager.h"
#include "wlan/CSimulatedWlan.h"

#include "CLogger.h"

#include <QtTest>

#include <memory>

using Ulx::Communication::CAbstractNetworkManager;
using Ulx::Communication::CWindowsNetworkManager;
using Ulx::Wlan::CSimulatedWlan;
namespace Wlan = Ulx::Wlan;

namespace {

const QByteArray kZephira = QByteArrayLiteral("Zephira_SN12345");
const QString kZephiraKey = QStringLiteral("40617295");
const QByteArray kPelkom = QByteArrayLiteral("Pelkom0042");

CSimulatedWlan::Network securedNetwork(const QByteArray& ssid, const QString& key)
{
    CSimulatedWlan::Network network;
    network.ssid = ssid;
    network.key = key;
    network.authAlgorithm = Wlan::AuthRsnaPsk;
    network.cipherAlgorithm = Wlan::CipherCcmp;
    return network;
}

CSimulatedWlan::Network openNetwork(const QByteArray& ssid)
{
    CSimulatedWlan::Network network;
    network.ssid = ssid;
    network.authAlgorithm = Wlan::AuthOpen;
    network.cipherAlgorithm = Wlan::CipherNone;
    return network;
}


} // namespace

// Records the manager's state at every stateChanged().
class StateRecorder : public QObject
{
    Q_OBJECT
public:
    explicit StateRecorder(CAbstractNetworkManager* manager)
    {
        connect(manager, &CAbstractNetworkManager::stateChanged, this, [this, manager]() { states.append(manager->state()); });
    }
    QList<CAbstractNetworkManager::State> states;
};

class tst_CWindowsNetworkManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void handleThatCannotBeOpened();
    void noInterfaceLeavesNothingChosen();
    void interfacesAndActiveInterface();
    void scanEnabledSignalsOnceAndSwitchesRadioOn();
    void networkStaysUntilMissedTwice();
    void duplicateSsidUsesFirstEntry();
    void ssidBytesAreKeptAndNamedReadably();
    void securedJoinUsesGeneratedProfile();
    void nullKeyJoinsOpenNetwork();
    void emptyKeyTakesSecuredPath();
    void joiningJoinedNetworkSendsNothing();
    void unknownSecuredNetworkCannotBeJoined();
    void wrongKeyFailsAfterOneRetry();
    void staleStoredProfileIsReplaced();
    void refusedJoinFails();
    void rejectedJoinFailsWithReason();
    void hangingJoinIsBounded();
    void overlongSsidIsRefused();
    void droppedNetworkGoesDisconnected();
    void disconnectWhenDisconnectedDoesNothing();
    void signalStrengthFollowsRssi();
    void notificationsOfOtherInterfaceAreIgnored();
    void interfaceArrivalAndRemovalAreSignalled();
    void adapterArrivingAfterTheStartIsTakenUpAsTheStartWould();
    void profileLogLineMasksKey();
    void simulatorNotifiesFromItsOwnThreadUntilClosed();

private:
    std::unique_ptr<CWindowsNetworkManager> makeManager()
    {
        auto manager = std::make_unique<CWindowsNetworkManager>(m_wlan);
        manager->setScanInterval(10);
        manager->setSignalInterval(10);
        manager->setJoinTimeout(5000);
        return manager;
    }
    // Runs scans until the given number more have ended.
    void waitScans(CWindowsNetworkManager& manager, int count)
    {
        QSignalSpy spy(&manager, &CAbstractNetworkManager::networkScanEnded);
        for (int i = 0; i < count; ++i)
            QVERIFY(spy.count() > i || spy.wait(2000));
    }

    std::shared_ptr<CSimulatedWlan> m_wlan;
    QUuid m_firstInterface;
};

void tst_CWindowsNetworkManager::init()
{
    m_wlan = std::make_shared<CSimulatedWlan>();
    m_firstInterface = m_wlan->addInterface(QStringLiteral("Adapter A"));
    m_wlan->setNetwork(securedNetwork(kZephira, kZephiraKey));
    m_wlan->setNetwork(openNetwork(kPelkom));
}

void tst_CWindowsNetworkManager::cleanup()
{
    m_wlan.reset();
}

void tst_CWindowsNetworkManager::handleThatCannotBeOpened()
{
    m_wlan->setOpenHandleError(Wlan::ErrorServiceNotActive);
    auto manager = makeManager();
    QVERIFY(!manager->hasClientHandle());
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QSignalSpy scanSpy(manager.get(), &CAbstractNetworkManager::networkScanEnabledChanged);
    manager->setNetworkScanEnabled(true);
    QCOMPARE(scanSpy.count(), 0);
    QVERIFY(!manager->networkScanEnabled());
    QVERIFY(manager->queryWifiInterfaces().isEmpty());

    // Joining still ends, as a failure.
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CWindowsNetworkManager::noInterfaceLeavesNothingChosen()
{
    m_wlan = std::make_shared<CSimulatedWlan>();
    auto manager = makeManager();
    QVERIFY(manager->hasClientHandle());
    QVERIFY(manager->activeWifiInterface().isNull());
    QVERIFY(manager->interfaceGuid().isNull());
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CWindowsNetworkManager::interfacesAndActiveInterface()
{
    const QUuid second = m_wlan->addInterface(QStringLiteral("Adapter B"));
    m_wlan->addInterface(QString());
    auto manager = makeManager();
    QCOMPARE(manager->activeWifiInterface(), QStringLiteral("Adapter A"));
    QCOMPARE(manager->queryWifiInterfaces(), QStringList({"Adapter A", "Adapter B"}));

    QSignalSpy stateSpy(manager.get(), &CAbstractNetworkManager::stateChanged);
    manager->setActiveWifiInterface(QStringLiteral("Adapter B"));
    QCOMPARE(manager->interfaceGuid(), second);
    manager->setActiveWifiInterface(QStringLiteral("adapter b")); // case-sensitive
    QVERIFY(manager->interfaceGuid().isNull());
    QVERIFY(manager->activeWifiInterface().isNull());
    QCOMPARE(stateSpy.count(), 0);
}

void tst_CWindowsNetworkManager::scanEnabledSignalsOnceAndSwitchesRadioOn()
{
    auto manager = makeManager();
    manager->setWifiEnabled(false);
    QVERIFY(!manager->wifiEnabled());
    QSignalSpy spy(manager.get(), &CAbstractNetworkManager::networkScanEnabledChanged);
    manager->setNetworkScanEnabled(true);
    manager->setNetworkScanEnabled(true);
    QCOMPARE(spy.count(), 1);
    QVERIFY(manager->wifiEnabled());
    QCOMPARE(m_wlan->scanRequests(), 1); // the first scan starts at once

    // The list is read on the tick, not at once.
    QVERIFY(manager->availableNetworks().isEmpty());
    waitScans(*manager, 1);
    QCOMPARE(manager->availableNetworks().size(), 2);

    // Another adapter chosen while scanning: its own radio is switched on too.
    Wlan::ClientHandle script = 0;
    QCOMPARE(m_wlan->openHandle(2, &script), Wlan::ErrorSuccess);
    const QUuid usb = m_wlan->addInterface(QStringLiteral("USB Adapter"));
    m_wlan->setRadioState(script, usb, {0, Wlan::RadioOff, Wlan::RadioUnknown});
    manager->setActiveWifiInterface(QStringLiteral("USB Adapter"));
    QVERIFY(manager->wifiEnabled());
    m_wlan->closeHandle(script);

    manager->setNetworkScanEnabled(false);
    QCOMPARE(spy.count(), 2);
}

void tst_CWindowsNetworkManager::networkStaysUntilMissedTwice()
{
    auto manager = makeManager();
    manager->setNetworkScanEnabled(true);
    waitScans(*manager, 1);
    QVERIFY(manager->availableNetworks().contains(QString::fromLatin1(kPelkom)));

    m_wlan->setNetworkVisible(kPelkom, false);
    waitScans(*manager, 1);
    QVERIFY2(manager->availableNetworks().contains(QString::fromLatin1(kPelkom)), "missed once: still listed");
    waitScans(*manager, 1);
    QVERIFY2(!manager->availableNetworks().contains(QString::fromLatin1(kPelkom)), "missed twice: gone");

    // An unreadable list counts as a miss of everything.
    m_wlan->setListError(Wlan::ErrorInvalidState);
    waitScans(*manager, 2);
    QVERIFY(manager->availableNetworks().isEmpty());
}

void tst_CWindowsNetworkManager::duplicateSsidUsesFirstEntry()
{
    CSimulatedWlan::Network other = securedNetwork(kZephira, kZephiraKey);
    other.authAlgorithm = Wlan::AuthWpaPsk;
    other.cipherAlgorithm = Wlan::CipherTkip;
    m_wlan->appendNetwork(other);
    auto manager = makeManager();
    manager->setNetworkScanEnabled(true);
    waitScans(*manager, 1);
    QCOMPARE(manager->availableNetworks().count(QString::fromLatin1(kZephira)), 1);

    QSignalSpy connected(manager.get(), &CAbstractNetworkManager::stateChanged);
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    const QString profile = m_wlan->lastConnectionParameters().profileXml;
    QVERIFY(profile.contains(QLatin1String("<authentication>WPA2PSK</authentication>")));
    QVERIFY(profile.contains(QLatin1String("<encryption>AES</encryption>")));
}

void tst_CWindowsNetworkManager::ssidBytesAreKeptAndNamedReadably()
{
    // Bytes that are no UTF-8 are listed readably and joined as they are.
    const QByteArray latin1("Pelkom-M\xFCller\x00\n", 15);
    m_wlan->setNetwork(openNetwork(latin1));
    auto manager = makeManager();
    manager->setNetworkScanEnabled(true);
    waitScans(*manager, 1);
    const QString listed = QStringLiteral("Pelkom-M\\xFCller\\x00\\x0A");
    QVERIFY(manager->availableNetworks().contains(listed));
    manager->connectToWifiNetwork(listed, QString());
    QCOMPARE(m_wlan->lastConnectionParameters().ssid, latin1);

    QCOMPARE(Wlan::ssidText(QByteArray("Pelkom-M\xC3\xBCller")), QStringLiteral("Pelkom-M") + QChar(0xFC) + QStringLiteral("ller"));
    QCOMPARE(Wlan::ssidText(QByteArray("a\\b\x7F")), QStringLiteral("a\\\\b\\x7F"));
    // Every name maps back to exactly its bytes, and none cuts or breaks a line.
    QList<QByteArray> samples = {QByteArray("\xC2\x85\xE2\x80\xA8\xE2\x80\xA9"), QByteArray("\xC0\xAF\xED\xA0\x80"),
                                 QByteArray("\xF4\x90\x80\x80\xF0\x9F\x93\xB7"), QByteArray("\\x41\\\\")};
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second)
            samples.append(QByteArray(1, char(first)) + char(second));
    }
    for (const QByteArray& bytes : qAsConst(samples)) {
        const QString text = Wlan::ssidText(bytes);
        QCOMPARE(Wlan::ssidBytes(text), bytes);
        for (const uint c : text.toUcs4())
            QVERIFY2(c >= 0x20 && (c < 0x7F || c > 0x9F) && c != 0x2028 && c != 0x2029 && (c < 0xD800 || c > 0xDFFF),
                     bytes.toHex().constData());
    }
}

void tst_CWindowsNetworkManager::securedJoinUsesGeneratedProfile()
{
    auto manager = makeManager();
    StateRecorder recorder(manager.get());
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(recorder.states,
             QList<CAbstractNetworkManager::State>({CAbstractNetworkManager::StateConnecting, CAbstractNetworkManager::StateConnected}));

    const Wlan::ConnectionParameters parameters = m_wlan->lastConnectionParameters();
    QCOMPARE(parameters.mode, quint32(Wlan::ConnectionModeTemporaryProfile));
    QCOMPARE(parameters.bssType, quint32(Wlan::BssAny));
    QCOMPARE(parameters.ssid, kZephira);
    QVERIFY(parameters.profileXml.contains(QLatin1String("<keyMaterial>40617295</keyMaterial>")));
    QCOMPARE(manager->connectedNetworkName(), QString::fromLatin1(kZephira));
    QVERIFY(!m_wlan->backgroundScanEnabled());
    QVERIFY(m_wlan->mediaStreamingMode());

    manager->disconnectFromWifiNetwork();
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnecting);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(m_wlan->backgroundScanEnabled());
    QVERIFY(!m_wlan->mediaStreamingMode());
    QVERIFY(m_wlan->connectedSsid().isEmpty());
}

void tst_CWindowsNetworkManager::nullKeyJoinsOpenNetwork()
{
    auto manager = makeManager();
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    const Wlan::ConnectionParameters parameters = m_wlan->lastConnectionParameters();
    QCOMPARE(parameters.mode, quint32(Wlan::ConnectionModeDiscoveryUnsecure));
    QCOMPARE(parameters.bssType, quint32(Wlan::BssInfrastructure));
    QVERIFY(parameters.profileXml.isEmpty());
}

void tst_CWindowsNetworkManager::emptyKeyTakesSecuredPath()
{
    auto manager = makeManager();
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString(""));
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    const Wlan::ConnectionParameters parameters = m_wlan->lastConnectionParameters();
    QCOMPARE(parameters.mode, quint32(Wlan::ConnectionModeTemporaryProfile));
    QVERIFY(parameters.profileXml.contains(QLatin1String("<authentication>OPEN</authentication>")));
    QVERIFY(parameters.profileXml.contains(QLatin1String("<keyMaterial></keyMaterial>")));
}

void tst_CWindowsNetworkManager::joiningJoinedNetworkSendsNothing()
{
    auto manager = makeManager();
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    const int requests = m_wlan->connectRequests();

    StateRecorder recorder(manager.get());
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QCOMPARE(recorder.states,
             QList<CAbstractNetworkManager::State>({CAbstractNetworkManager::StateConnecting, CAbstractNetworkManager::StateConnected}));
    QCOMPARE(m_wlan->connectRequests(), requests);
}

void tst_CWindowsNetworkManager::unknownSecuredNetworkCannotBeJoined()
{
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QStringLiteral("Zephira_SN99999"), kZephiraKey);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(m_wlan->connectRequests(), 0);
}

void tst_CWindowsNetworkManager::wrongKeyFailsAfterOneRetry()
{
    m_wlan->setJoinOutcome(kZephira, CSimulatedWlan::JoinWrongKey);
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QVERIFY(failed.wait(5000));
    QCOMPARE(m_wlan->connectRequests(), 2);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(failed.count(), 1);
}

void tst_CWindowsNetworkManager::staleStoredProfileIsReplaced()
{
    m_wlan->storeProfile(QString::fromLatin1(kZephira), QStringLiteral("old key"));
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    QCOMPARE(m_wlan->connectRequests(), 2);
    QCOMPARE(failed.count(), 0);
}

void tst_CWindowsNetworkManager::refusedJoinFails()
{
    m_wlan->setJoinOutcome(kPelkom, CSimulatedWlan::JoinRefused);
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QVERIFY(failed.wait(5000));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CWindowsNetworkManager::rejectedJoinFailsWithReason()
{
    m_wlan->setJoinOutcome(kPelkom, CSimulatedWlan::JoinRejected);
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QVERIFY(failed.wait(5000));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CWindowsNetworkManager::hangingJoinIsBounded()
{
    m_wlan->setJoinOutcome(kPelkom, CSimulatedWlan::JoinHangs);
    auto manager = makeManager();
    manager->setJoinTimeout(50);
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateConnecting);
    QVERIFY(failed.wait(5000));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(m_wlan->disconnectRequests(), 1);
}

void tst_CWindowsNetworkManager::overlongSsidIsRefused()
{
    auto manager = makeManager();
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString(33, QLatin1Char('P')), QString());
    QCOMPARE(failed.count(), 1);
    // 17 two-byte characters are 34 bytes.
    manager->connectToWifiNetwork(QStringLiteral("Pelkom") + QString(17, QChar(0xE4)), QString());
    QCOMPARE(failed.count(), 2);
    QCOMPARE(m_wlan->connectRequests(), 0);
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CWindowsNetworkManager::droppedNetworkGoesDisconnected()
{
    auto manager = makeManager();
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    StateRecorder recorder(manager.get());
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    m_wlan->removeNetwork(kPelkom);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(recorder.states, QList<CAbstractNetworkManager::State>(
                                  {CAbstractNetworkManager::StateDisconnecting, CAbstractNetworkManager::StateDisconnected}));
    QCOMPARE(failed.count(), 0);
}

void tst_CWindowsNetworkManager::disconnectWhenDisconnectedDoesNothing()
{
    auto manager = makeManager();
    QSignalSpy spy(manager.get(), &CAbstractNetworkManager::stateChanged);
    manager->disconnectFromWifiNetwork();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_wlan->disconnectRequests(), 0);
}

void tst_CWindowsNetworkManager::signalStrengthFollowsRssi()
{
    CSimulatedWlan::Network network = openNetwork(kPelkom);
    network.rssi = -30;
    m_wlan->setNetwork(network);
    auto manager = makeManager();
    QSignalSpy spy(manager.get(), &CAbstractNetworkManager::signalStrengthChanged);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QTRY_COMPARE(manager->wifiSignalStrength(), 140);
    m_wlan->setNetworkRssi(kPelkom, -100);
    QTRY_COMPARE(manager->wifiSignalStrength(), 0);
    m_wlan->setNetworkRssi(kPelkom, -20);
    QTRY_COMPARE(manager->wifiSignalStrength(), 160); // not clamped
    const int changes = spy.count();
    QVERIFY(changes >= 3);
}

void tst_CWindowsNetworkManager::notificationsOfOtherInterfaceAreIgnored()
{
    m_wlan->addInterface(QStringLiteral("Adapter B"));
    auto first = makeManager();
    auto second = makeManager();
    second->setActiveWifiInterface(QStringLiteral("Adapter B"));
    QSignalSpy firstSpy(first.get(), &CAbstractNetworkManager::stateChanged);
    second->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    QTRY_COMPARE(second->state(), CAbstractNetworkManager::StateConnected);
    second->disconnectFromWifiNetwork();
    QTRY_COMPARE(second->state(), CAbstractNetworkManager::StateDisconnected);
    QCOMPARE(firstSpy.count(), 0);
}

void tst_CWindowsNetworkManager::adapterArrivingAfterTheStartIsTakenUpAsTheStartWould()
{
    // Scanning off: the adapter is taken up, and its radio is left as the tablet has it until
    // scanning is asked for.
    m_wlan = std::make_shared<CSimulatedWlan>();
    Wlan::ClientHandle script = 0;
    QCOMPARE(m_wlan->openHandle(2, &script), Wlan::ErrorSuccess);
    auto manager = makeManager();
    QSignalSpy arrived(manager.get(), &CAbstractNetworkManager::wifiInterfacesChanged);
    const QUuid usb = m_wlan->addInterface(QStringLiteral("USB Adapter"));
    m_wlan->setRadioState(script, usb, {0, Wlan::RadioOff, Wlan::RadioUnknown});
    QTRY_VERIFY_WITH_TIMEOUT(!arrived.isEmpty(), 2000);
    QCOMPARE(manager->interfaceGuid(), usb);
    QVERIFY(!manager->wifiEnabled());
    QCOMPARE(m_wlan->scanRequests(), 0);
    manager->setNetworkScanEnabled(true);
    QVERIFY(manager->wifiEnabled());
    QCOMPARE(m_wlan->scanRequests(), 1);
    m_wlan->closeHandle(script);
}

void tst_CWindowsNetworkManager::interfaceArrivalAndRemovalAreSignalled()
{
    auto manager = makeManager();
    QSignalSpy spy(manager.get(), &CAbstractNetworkManager::wifiInterfacesChanged);
    const QUuid added = m_wlan->addInterface(QStringLiteral("USB Adapter"));
    QVERIFY(spy.wait(2000));
    QVERIFY(manager->queryWifiInterfaces().contains(QStringLiteral("USB Adapter")));

    // Losing the chosen adapter in the middle of a join fails the join.
    m_wlan->setJoinOutcome(kPelkom, CSimulatedWlan::JoinHangs);
    QSignalSpy failed(manager.get(), &CAbstractNetworkManager::connectionFailed);
    manager->connectToWifiNetwork(QString::fromLatin1(kPelkom), QString());
    m_wlan->removeInterface(m_firstInterface);
    QVERIFY(failed.wait(2000));
    QCOMPARE(manager->state(), CAbstractNetworkManager::StateDisconnected);
    Q_UNUSED(added)
}

void tst_CWindowsNetworkManager::profileLogLineMasksKey()
{
    const QString logPath = QDir(QDir::tempPath()).filePath(QStringLiteral("tst_CWindowsNetworkManager.log"));
    QFile::remove(logPath);
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    m_wlan->storeProfile(QString::fromLatin1(kZephira), QStringLiteral("stale-secret"));
    auto manager = makeManager();
    manager->connectToWifiNetwork(QString::fromLatin1(kZephira), kZephiraKey);
    QTRY_COMPARE(manager->state(), CAbstractNetworkManager::StateConnected);
    Tovrin::Logging::CLogger::setOutputFileName(QString());

    QFile file(logPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
    QVERIFY2(text.contains(QLatin1String("Data for profile: Zephira_SN12345")), qPrintable(text.left(2000)));
    QVERIFY(text.contains(QLatin1String("Successfully deleted profile Zephira_SN12345")));
    QVERIFY(!text.contains(QLatin1String("stale-secret")));
    QVERIFY(!text.contains(kZephiraKey));
}

void tst_CWindowsNetworkManager::simulatorNotifiesFromItsOwnThreadUntilClosed()
{
    Wlan::ClientHandle handle = 0;
    QCOMPARE(m_wlan->openHandle(2, &handle), Wlan::ErrorCode(Wlan::ErrorSuccess));
    QMutex mutex;
    QList<QThread*> threads;
    QCOMPARE(m_wlan->registerNotification(handle, Wlan::SourceAcm | Wlan::SourceMsm,
                                          [&mutex, &threads](const Wlan::Notification&) {
                                              QMutexLocker locker(&mutex);
                                              threads.append(QThread::currentThread());
                                          }),
             Wlan::ErrorCode(Wlan::ErrorSuccess));
    m_wlan->addInterface(QStringLiteral("Adapter B"));
    QTRY_VERIFY([&]() {
        QMutexLocker locker(&mutex);
        return !threads.isEmpty();
    }());
    {
        QMutexLocker locker(&mutex);
        QVERIFY(threads.first() != QThread::currentThread());
    }

    QCOMPARE(m_wlan->closeHandle(handle), Wlan::ErrorCode(Wlan::ErrorSuccess));
    int before = 0;
    {
        QMutexLocker locker(&mutex);
        before = threads.size();
    }
    // A manager on the same service still hears its own notifications; the closed handle does not.
    auto manager = makeManager();
    QSignalSpy interfaces(manager.get(), &CAbstractNetworkManager::wifiInterfacesChanged);
    m_wlan->addInterface(QStringLiteral("Adapter C"));
    QVERIFY(interfaces.wait(2000));
    QMutexLocker locker(&mutex);
    QCOMPARE(threads.size(), before);
    QCOMPARE(m_wlan->closeHandle(handle), Wlan::ErrorCode(Wlan::ErrorInvalidHandle));
}

QTEST_GUILESS_MAIN(tst_CWindowsNetworkManager)
#include "tst_CWindowsNetworkManager.moc"
