#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CSessionManager.h"
#include "communication/CSystemListMaintainer.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/PlatformWlan.h"

#include "fakes/CStubSystemSession.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Ulx;
using Communication::CSessionManager;
using Wlan::CSimulatedWlan;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");
const QString kGully = QStringLiteral("Gullyrover_SN54321");

} // namespace

class tst_CSessionManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void availableSystemsFollowScans();
    void onlineSessionInstallsItsLogics();
    void controlOnlineOnlyWithControl();
    void oneSessionAtATime();
    void unrecognisedNameIsRefusedWithError();
    void sessionErrorIsRelayedAndSessionRemoved();
    void shutdownHidesSystemForHideInterval();
    void disconnectWithoutSessionOnlyLogs();
    void adapterChosenDuringASessionIsTakenUpWhenItEnds();

private:
    CStubSystemSession* lastSession() const { return m_sessions.isEmpty() ? nullptr : m_sessions.last().data(); }
    CSessionManager* manager() const { return CUlxSystemsLibrary::sessionManager(); }
    void scanOnce()
    {
        QSignalSpy spy(CUlxSystemsLibraryPrivate::instance()->networkManager(),
                       &Communication::CAbstractNetworkManager::networkScanEnded);
        QVERIFY(spy.wait(2000));
    }

    std::shared_ptr<CSimulatedWlan> m_wlan;
    QList<QPointer<CStubSystemSession>> m_sessions;
};

void tst_CSessionManager::init()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    m_wlan = Wlan::sharedSimulatedWlan(); // the one the library's network manager runs on
    for (const QString& name : {kZephira, kGully, QStringLiteral("Office")}) {
        CSimulatedWlan::Network network;
        network.ssid = name.toUtf8();
        network.key = QStringLiteral("40617295");
        m_wlan->setNetwork(network);
    }
    auto* networkManager = static_cast<Communication::CWindowsNetworkManager*>(library->networkManager());
    networkManager->setScanInterval(10);
    networkManager->setSignalInterval(50);
    library->setSessionFactory([this, library](CommunicationTypes::SystemFamily family) -> Communication::CAbstractSystemSession* {
        if (family == CommunicationTypes::SystemFamilyUnknown)
            return nullptr;
        auto* session = new CStubSystemSession(library->networkManager(), library->permissionChecker());
        session->setReconnectInterval(10);
        m_sessions.append(session);
        return session;
    });
}

void tst_CSessionManager::cleanup()
{
    CUlxSystemsLibrary::finalize();
    m_sessions.clear();
    m_wlan.reset();
    QVERIFY(!Wlan::sharedSimulatedWlan()->networks().size()); // a fresh simulator after the last user
}

void tst_CSessionManager::availableSystemsFollowScans()
{
    QSignalSpy changed(manager(), &CSessionManager::availableSystemsChanged);
    QSignalSpy scanEnabled(manager(), &CSessionManager::networkScanEnabledChanged);
    manager()->setNetworkScanEnabled(true);
    QCOMPARE(scanEnabled.count(), 1);
    QVERIFY(manager()->networkScanEnabled());
    QTRY_COMPARE(manager()->availableSystems().size(), 2);
    QVERIFY(changed.count() >= 1);
    const QList<CSystemConnectionInfo> systems = manager()->availableSystems();
    QCOMPARE(systems[0].networkName(), kGully); // sorted without letter case
    QCOMPARE(systems[1].networkName(), kZephira);
    QCOMPARE(systems[1].family(), CommunicationTypes::SystemFamilyZephira);
    QCOMPARE(systems[1].serialNumber(), QStringLiteral("12345"));
}

void tst_CSessionManager::onlineSessionInstallsItsLogics()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    Multimedia::CAbstractVideoStreamConfigLogic* defaultLogic = library->videoStreamConfigLogic();
    QSignalSpy state(manager(), &CSessionManager::stateChanged);
    QSignalSpy type(manager(), &CSessionManager::connectedSystemTypeChanged);
    QSignalSpy control(manager(), &CSessionManager::controlOnlineChanged);
    manager()->connectToSystem(kZephira, false);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionEstablishing);
    QCOMPARE(type.count(), 0);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(type.count(), 1);
    QCOMPARE(control.count(), 1);
    QCOMPARE(manager()->connectedSystemType(), CommunicationTypes::SystemTypeZPX);
    QCOMPARE(library->videoStreamConfigLogic(), &lastSession()->streamConfig());

    manager()->disconnectFromSystem(false);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(library->videoStreamConfigLogic(), defaultLogic);
    QCOMPARE(type.count(), 1); // not when the session ends
    QCOMPARE(manager()->connectedSystemType(), CommunicationTypes::SystemTypeUnknown);
    QTRY_VERIFY(lastSession() == nullptr); // deleted later
}

void tst_CSessionManager::controlOnlineOnlyWithControl()
{
    manager()->connectToSystem(kZephira, true);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(!manager()->controlOnline());
    manager()->disconnectFromSystem(false);
    QTRY_VERIFY(lastSession() == nullptr);

    manager()->connectToSystem(kZephira, false);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(manager()->controlOnline());
    lastSession()->controller().loseLink();
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionReestablishing);
    QVERIFY(!manager()->controlOnline());
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(manager()->controlOnline());
}

void tst_CSessionManager::oneSessionAtATime()
{
    manager()->connectToSystem(kZephira, false);
    manager()->connectToSystem(kGully, false);
    QCOMPARE(m_sessions.size(), 1);
    QCOMPARE(lastSession()->systemName(), kZephira);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
}

void tst_CSessionManager::unrecognisedNameIsRefusedWithError()
{
    QSignalSpy errors(manager(), &CSessionManager::communicationErrorOccurred);
    QSignalSpy state(manager(), &CSessionManager::stateChanged);
    manager()->connectToSystem(QStringLiteral("Office"), false);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().value<CommunicationTypes::CommunicationError>(),
             CommunicationTypes::CommunicationErrorCommunicatorUnsupportedSystem);
    QCOMPARE(state.count(), 0);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionOffline);
    QVERIFY(m_sessions.isEmpty());

    // The manager is still usable.
    manager()->connectToSystem(kZephira, false);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
}

void tst_CSessionManager::sessionErrorIsRelayedAndSessionRemoved()
{
    m_wlan->setJoinOutcome(kZephira.toUtf8(), CSimulatedWlan::JoinRefused);
    QSignalSpy errors(manager(), &CSessionManager::communicationErrorOccurred);
    manager()->connectToSystem(kZephira, false);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.first().first().value<CommunicationTypes::CommunicationError>(),
             CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionOffline);
    QTRY_VERIFY(lastSession() == nullptr);

    // The next connect makes a new session.
    m_wlan->setJoinOutcome(kZephira.toUtf8(), CSimulatedWlan::JoinAccepted);
    manager()->connectToSystem(kZephira, false);
    QCOMPARE(m_sessions.size(), 2);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
}

void tst_CSessionManager::shutdownHidesSystemForHideInterval()
{
    QCOMPARE(int(Communication::CSystemListMaintainer::DefaultHideIntervalMs), 60000);
    constexpr int HideMs = 2000;
    manager()->setSystemHideInterval(HideMs);
    manager()->setNetworkScanEnabled(true);
    QTRY_COMPARE(manager()->availableSystems().size(), 2);
    manager()->connectToSystem(kZephira, false);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);

    QSignalSpy changed(manager(), &CSessionManager::availableSystemsChanged);
    QElapsedTimer sinceHidden;
    sinceHidden.start();
    manager()->disconnectFromSystem(true);
    QCOMPARE(lastSession()->controller().disconnectTypes.last(),
             Communication::CAbstractConnectionController::DisconnectTypeShutdown);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(manager()->availableSystems().size(), 1);
    QCOMPARE(manager()->availableSystems().first().networkName(), kGully);
    scanOnce();
    // Still hidden although visible, as long as the interval lasts (a loaded machine may take
    // longer for the scan; the interval's coarse timer may end up to 5 % early).
    const int listed = manager()->availableSystems().size();
    if (sinceHidden.elapsed() < HideMs * 9 / 10)
        QCOMPARE(listed, 1);
    QTRY_COMPARE_WITH_TIMEOUT(manager()->availableSystems().size(), 2, 2 * HideMs + 5000);
}

void tst_CSessionManager::disconnectWithoutSessionOnlyLogs()
{
    QSignalSpy state(manager(), &CSessionManager::stateChanged);
    QSignalSpy errors(manager(), &CSessionManager::communicationErrorOccurred);
    manager()->disconnectFromSystem(true);
    QCOMPARE(state.count(), 0);
    QCOMPARE(errors.count(), 0);
    QVERIFY(!manager()->controlOnline());
}

void tst_CSessionManager::adapterChosenDuringASessionIsTakenUpWhenItEnds()
{
    auto* networkManager =
        static_cast<Communication::CWindowsNetworkManager*>(CUlxSystemsLibraryPrivate::instance()->networkManager());
    QSignalSpy arrived(manager(), &CSessionManager::wifiInterfacesChanged);
    const QUuid usb = m_wlan->addInterface(QStringLiteral("USB Adapter"));
    QTRY_VERIFY_WITH_TIMEOUT(!arrived.isEmpty(), 2000);
    const QString builtIn = manager()->activeWifiInterface();
    QVERIFY(!builtIn.isEmpty() && builtIn != QLatin1String("USB Adapter"));

    // Chosen while joined through the built-in adapter: the session leaves through it, and the
    // next join goes through the new one (the last choice counts).
    manager()->connectToSystem(kZephira, false);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(m_wlan->connectedSsid(), kZephira.toUtf8());
    manager()->setActiveWifiInterface(QStringLiteral("Nonexistent"));
    manager()->setActiveWifiInterface(QStringLiteral("USB Adapter"));
    QCOMPARE(manager()->activeWifiInterface(), builtIn);
    manager()->disconnectFromSystem(false);
    QCOMPARE(manager()->state(), CommunicationTypes::ConnectionOffline);
    QTRY_VERIFY(m_wlan->connectedSsid().isEmpty());
    QCOMPARE(manager()->activeWifiInterface(), QStringLiteral("USB Adapter"));
    QCOMPARE(networkManager->interfaceGuid(), usb);
    // In the new adapter's own state, not in the leaving of the one left.
    QTRY_COMPARE(networkManager->state(), Communication::CAbstractNetworkManager::StateDisconnected);
    manager()->connectToSystem(kZephira, false);
    QTRY_COMPARE(manager()->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(networkManager->interfaceGuid(), usb);
}

QTEST_GUILESS_MAIN(tst_CSessionManager)
#include "tst_CSessionManager.moc"
