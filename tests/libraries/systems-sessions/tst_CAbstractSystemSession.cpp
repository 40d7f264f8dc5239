#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "wlan/CSimulatedWlan.h"

#include "fakes/CStubSystemSession.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using Communication::CAbstractConnectionController;
using Communication::CAbstractNetworkManager;
using Communication::CWindowsNetworkManager;
using Wlan::CSimulatedWlan;
using State = CommunicationTypes::ConnectionState;

namespace {

const QString kSystem = QStringLiteral("Zephira_SN12345");

// Everything the session reports, in order: states as "S:<key>", errors as "E:<number>".
class SessionRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SessionRecorder(Communication::CAbstractSystemSession* session)
    {
        connect(session, &Communication::CAbstractSystemSession::stateChanged, this, [this, session]() {
            events.append(QStringLiteral("S:") + CommunicationTypes::keyName(session->state()));
        });
        connect(session, &Communication::CAbstractSystemSession::errorOccurred, this,
                [this](CommunicationTypes::CommunicationError error) {
                    events.append(QStringLiteral("E:%1").arg(int(error)));
                    errors.append(error);
                });
    }
    QStringList events;
    QList<CommunicationTypes::CommunicationError> errors;
};

} // namespace

class tst_CAbstractSystemSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void establishesInLayerOrder();
    void spectatorModeAsksNoControlAndSkipsOverlay();
    void secondConnectOnlyLogs();
    void disconnectWhileOnline_data();
    void disconnectWhileOnline();
    void disconnectWhileEstablishingNeverPowersOff();
    void disconnectWithBothDownPassesStraightToOffline();
    void shuttingDownWaitsForTheController();
    void disconnectWhenOfflineDoesNothing();
    void failedWifiJoinEndsWithError1();
    void unansweredWifiJoinIsBoundedAndEndsWithError1();
    void controllerThatCannotConnectEndsWithError3();
    void controllerErrorsAcrossQueuedConnection_data();
    void controllerErrorsAcrossQueuedConnection();
    void connectionErrorOnlyFeedsReconnect();
    void streamConfigFailureWhileEstablishingEndsWithError7();
    void streamFailureWhileEstablishingEndsWithError6();
    void lostControllerIsReconnectedWithWriteAlways();
    void brokenStreamIsRestartedWithoutNewLogics();
    void videoStopDuringConfigChangeIsNoLoss();
    void authenticationErrorOnlineRestartsVideo();
    void lostWifiThatNeverReturnsEndsWithError1();
    void lostWifiThatReturnsComesBackOnline();
    void lostLinkOrVideoThatNeverReturnsEndsWithItsOwnError_data();
    void lostLinkOrVideoThatNeverReturnsEndsWithItsOwnError();
    void quickDisconnectAndReconnectToSameNetwork();
    void unknownSystemTypeStreamsFromNowhere();
    void familyWithoutStreamConfigStartsVideoDirectly();

private:
    std::unique_ptr<CStubSystemSession> makeSession()
    {
        auto session = std::make_unique<CStubSystemSession>(m_manager.get());
        session->setReconnectInterval(10);
        session->setReconnectFailerInterval(300);
        return session;
    }
    void bringOnline(CStubSystemSession& session, bool spectator = false)
    {
        session.connectToSystem(kSystem, spectator);
        QTRY_COMPARE(session.state(), CommunicationTypes::ConnectionOnline);
    }

    std::shared_ptr<CSimulatedWlan> m_wlan;
    std::unique_ptr<CWindowsNetworkManager> m_manager;
};

void tst_CAbstractSystemSession::init()
{
    m_wlan = std::make_shared<CSimulatedWlan>();
    m_wlan->addInterface(QStringLiteral("Adapter"));
    CSimulatedWlan::Network network;
    network.ssid = kSystem.toUtf8();
    network.key = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyZephira);
    m_wlan->setNetwork(network);
    m_manager = std::make_unique<CWindowsNetworkManager>(m_wlan);
    m_manager->setSignalInterval(50);
    m_manager->setJoinTimeout(2000);
}

void tst_CAbstractSystemSession::cleanup()
{
    m_manager.reset();
    m_wlan.reset();
}

void tst_CAbstractSystemSession::establishesInLayerOrder()
{
    auto session = makeSession();
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionEstablishing);
    QCOMPARE(session->systemName(), kSystem);
    // Nothing but the Wi-Fi join happens before the network manager reports.
    QVERIFY(session->controller().accessModes.isEmpty());
    QCOMPARE(m_wlan->connectRequests(), 1);
    QVERIFY(m_wlan->lastConnectionParameters().profileXml.contains(QLatin1String("<keyMaterial>40617295</keyMaterial>")));

    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(recorder.events, QStringList({"S:ConnectionEstablishing", "S:ConnectionOnline"}));
    QCOMPARE(session->controller().accessModes, QList<int>({1}));
    QCOMPARE(session->createLogicsCount, 1);
    QCOMPARE(session->overlay().initializeCount, 1);
    QCOMPARE(session->streamConfig().queryCount, 1);
    QCOMPARE(session->streamer().startCount, 1);
    QCOMPARE(session->streamer().lastSource.url, Flavors::rtspUrl(CommunicationTypes::SystemTypeZPX));
    QCOMPARE(session->streamer().lastSource.caps, Flavors::h264Caps(CommunicationTypes::SystemTypeZPX));
    QCOMPARE(session->streamer().lastSource.latency, Flavors::rtspLatency(CommunicationTypes::SystemTypeZPX));
    QCOMPARE(session->connectedSystemType(), CommunicationTypes::SystemTypeZPX);
    QVERIFY(!session->reconnectFailerTimerActive());
}

void tst_CAbstractSystemSession::spectatorModeAsksNoControlAndSkipsOverlay()
{
    auto session = makeSession();
    bringOnline(*session, true);
    QVERIFY(session->spectatorMode());
    QCOMPARE(session->overlay().initializeCount, 0);

    session->controller().loseLink();
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(session->controller().accessModes, QList<int>({0, 0}));
    QCOMPARE(session->overlay().initializeCount, 0);
}

void tst_CAbstractSystemSession::secondConnectOnlyLogs()
{
    auto session = makeSession();
    session->connectToSystem(kSystem, false);
    session->connectToSystem(QStringLiteral("Zephira_SN99999"), true);
    QCOMPARE(session->systemName(), kSystem);
    QVERIFY(!session->spectatorMode());
    QCOMPARE(m_wlan->connectRequests(), 1);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    session->connectToSystem(kSystem, false);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(m_wlan->connectRequests(), 1);
}

void tst_CAbstractSystemSession::disconnectWhileOnline_data()
{
    QTest::addColumn<bool>("shutdown");
    QTest::addColumn<int>("disconnectType");
    QTest::newRow("normal") << false << int(CAbstractConnectionController::DisconnectTypeNormal);
    QTest::newRow("power off") << true << int(CAbstractConnectionController::DisconnectTypeShutdown);
}

void tst_CAbstractSystemSession::disconnectWhileOnline()
{
    QFETCH(bool, shutdown);
    QFETCH(int, disconnectType);
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    session->disconnectFromSystem(shutdown);
    QCOMPARE(recorder.events, QStringList({"S:ConnectionShuttingDown", "S:ConnectionOffline"}));
    QCOMPARE(session->shutdownSystem(), shutdown);
    QCOMPARE(session->controller().disconnectTypes.size(), 1);
    QCOMPARE(int(session->controller().disconnectTypes.first()), disconnectType);
    QCOMPARE(session->streamer().state(), MultimediaTypes::StreamingStopped);
    QCOMPARE(m_manager->state(), CAbstractNetworkManager::StateDisconnecting);
    QTRY_COMPARE(m_manager->state(), CAbstractNetworkManager::StateDisconnected);
    QVERIFY(recorder.errors.isEmpty());
}

void tst_CAbstractSystemSession::disconnectWhileEstablishingNeverPowersOff()
{
    auto session = makeSession();
    session->controller().connectOutcome = CStubConnectionController::ConnectHangs;
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(session->controller().state(), CAbstractConnectionController::StateConnecting);
    session->disconnectFromSystem(true);
    QVERIFY(!session->shutdownSystem());
    QCOMPARE(session->controller().disconnectTypes,
             QList<CAbstractConnectionController::DisconnectType>({CAbstractConnectionController::DisconnectTypeForced}));
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
}

void tst_CAbstractSystemSession::disconnectWithBothDownPassesStraightToOffline()
{
    m_wlan->setJoinOutcome(kSystem.toUtf8(), CSimulatedWlan::JoinHangs);
    auto session = makeSession();
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(m_manager->state(), CAbstractNetworkManager::StateConnecting);
    SessionRecorder recorder(session.get());
    const int disconnects = m_wlan->disconnectRequests();
    session->disconnectFromSystem(false);
    QCOMPARE(recorder.events, QStringList({"S:ConnectionShuttingDown", "S:ConnectionOffline"}));
    QCOMPARE(m_wlan->disconnectRequests(), disconnects + 1); // the Wi-Fi join was under way
    QVERIFY(session->controller().disconnectTypes.isEmpty());
}

void tst_CAbstractSystemSession::shuttingDownWaitsForTheController()
{
    auto session = makeSession();
    bringOnline(*session);
    session->controller().slowDisconnect = true;
    const int disconnects = m_wlan->disconnectRequests();
    session->disconnectFromSystem(false);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionShuttingDown);
    QCOMPARE(m_wlan->disconnectRequests(), disconnects); // not before both are down
    session->disconnectFromSystem(false);                // only logs
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(m_wlan->disconnectRequests(), disconnects + 1);
    QCOMPARE(session->controller().disconnectTypes.size(), 1);
}

void tst_CAbstractSystemSession::disconnectWhenOfflineDoesNothing()
{
    auto session = makeSession();
    SessionRecorder recorder(session.get());
    session->disconnectFromSystem(true);
    QVERIFY(recorder.events.isEmpty());
    QVERIFY(!session->shutdownSystem());
    QCOMPARE(m_wlan->disconnectRequests(), 0);
}

void tst_CAbstractSystemSession::failedWifiJoinEndsWithError1()
{
    m_wlan->setJoinOutcome(kSystem.toUtf8(), CSimulatedWlan::JoinRefused);
    auto session = makeSession();
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(recorder.errors.size(), 1);
    QCOMPARE(recorder.events, QStringList({"S:ConnectionEstablishing", "S:ConnectionShuttingDown", "S:ConnectionOffline",
                                           "E:1"}));
    QVERIFY(session->controller().accessModes.isEmpty());
}

void tst_CAbstractSystemSession::unansweredWifiJoinIsBoundedAndEndsWithError1()
{
    m_wlan->setJoinOutcome(kSystem.toUtf8(), CSimulatedWlan::JoinHangs);
    m_manager->setJoinTimeout(50);
    auto session = makeSession();
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(recorder.errors.size(), 1);
    QCOMPARE(recorder.errors.first(), CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
}

void tst_CAbstractSystemSession::controllerThatCannotConnectEndsWithError3()
{
    auto session = makeSession();
    session->controller().connectOutcome = CStubConnectionController::ConnectFails;
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    // The error comes before the shutdown.
    QCOMPARE(recorder.events, QStringList({"S:ConnectionEstablishing", "E:3", "S:ConnectionShuttingDown",
                                           "S:ConnectionOffline"}));
    QTRY_COMPARE(m_manager->state(), CAbstractNetworkManager::StateDisconnected);
}

void tst_CAbstractSystemSession::controllerErrorsAcrossQueuedConnection_data()
{
    QTest::addColumn<int>("controllerError");
    QTest::addColumn<int>("sessionError");
    QTest::newRow("write access denied") << int(CAbstractConnectionController::ErrorWriteAccessDenied) << 5;
    QTest::newRow("unsupported system") << int(CAbstractConnectionController::ErrorUnsupportedSystem) << 4;
    QTest::newRow("internal") << int(CAbstractConnectionController::ErrorInternal) << 2;
    QTest::newRow("none") << int(CAbstractConnectionController::ErrorNone) << 2;
}

void tst_CAbstractSystemSession::controllerErrorsAcrossQueuedConnection()
{
    QFETCH(int, controllerError);
    QFETCH(int, sessionError);
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    session->controller().raiseError(static_cast<CAbstractConnectionController::Error>(controllerError));
    // Queued: nothing happens inside the controller's call.
    QVERIFY(recorder.events.isEmpty());
    QTRY_COMPARE(recorder.errors.size(), 1);
    QCOMPARE(recorder.events, QStringList({"S:ConnectionShuttingDown", "S:ConnectionOffline",
                                           QStringLiteral("E:%1").arg(sessionError)}));
}

void tst_CAbstractSystemSession::connectionErrorOnlyFeedsReconnect()
{
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    session->controller().raiseError(CAbstractConnectionController::ErrorConnection);
    session->controller().loseLink();
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(recorder.errors.isEmpty());
}

void tst_CAbstractSystemSession::streamConfigFailureWhileEstablishingEndsWithError7()
{
    auto session = makeSession();
    session->streamConfig().queryFails = true;
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(recorder.errors.size(), 1);
    QCOMPARE(recorder.errors.first(), CommunicationTypes::CommunicationErrorVideoStreamConfigFailed);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(session->streamer().startCount, 0);
}

void tst_CAbstractSystemSession::streamFailureWhileEstablishingEndsWithError6()
{
    auto session = makeSession();
    session->streamer().startOutcome = CStubSessionStreamer::StartFails;
    SessionRecorder recorder(session.get());
    session->connectToSystem(kSystem, false);
    QTRY_COMPARE(recorder.errors.size(), 1);
    QCOMPARE(recorder.errors.first(), CommunicationTypes::CommunicationErrorVideoStreamerConnection);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
}

void tst_CAbstractSystemSession::lostControllerIsReconnectedWithWriteAlways()
{
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    const int stops = session->streamer().stopCount;
    session->controller().loseLink();
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QVERIFY(session->streamer().stopCount > stops);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(session->controller().accessModes, QList<int>({1, 2}));
    QCOMPARE(session->createLogicsCount, 2); // the family creates its logics only once itself
    QCOMPARE(recorder.events, QStringList({"S:ConnectionReestablishing", "S:ConnectionOnline"}));
    QVERIFY(!session->reconnectFailerTimerActive());
    QVERIFY(!session->reconnectTimerActive());
}

void tst_CAbstractSystemSession::brokenStreamIsRestartedWithoutNewLogics()
{
    auto session = makeSession();
    bringOnline(*session);
    session->streamer().breakStream();
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QCOMPARE(session->createLogicsCount, 1);
    QCOMPARE(session->streamConfig().queryCount, 1); // the configuration was known
    QCOMPARE(session->streamer().startCount, 2);
    QCOMPARE(session->controller().accessModes, QList<int>({1}));
}

void tst_CAbstractSystemSession::videoStopDuringConfigChangeIsNoLoss()
{
    auto session = makeSession();
    bringOnline(*session);
    session->streamConfig().setChanging(true);
    SessionRecorder recorder(session.get());
    QSignalSpy streamerSpy(&session->streamer(), &Communication::CAbstractSessionStreamer::stateChanged);
    session->streamer().breakStream();
    // Let the queued reaction run: it must not start a reconnect.
    session->streamConfig().raise(MultimediaTypes::StreamConfigErrorTimeOut);
    QTRY_VERIFY(!session->reconnectTimerActive());
    QCoreApplication::processEvents();
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(recorder.events.isEmpty());
}

void tst_CAbstractSystemSession::authenticationErrorOnlineRestartsVideo()
{
    auto session = makeSession();
    bringOnline(*session);
    session->streamConfig().setChanging(true);
    session->streamer().breakStream();
    session->streamConfig().setChanging(false);
    const int starts = session->streamer().startCount;
    session->streamConfig().raise(MultimediaTypes::StreamConfigErrorAuthentication);
    QCOMPARE(session->streamer().startCount, starts + 1); // direct connection
    session->streamConfig().raise(MultimediaTypes::StreamConfigErrorTimeOut);
    QCOMPARE(session->streamer().startCount, starts + 1);
}

void tst_CAbstractSystemSession::lostWifiThatNeverReturnsEndsWithError1()
{
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    m_wlan->removeNetwork(kSystem.toUtf8());
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_VERIFY(session->reconnectFailerTimerActive());
    QTRY_COMPARE_WITH_TIMEOUT(recorder.errors.size(), 1, 10000);
    QCOMPARE(recorder.errors.first(), CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(recorder.events.first(), QStringLiteral("S:ConnectionReestablishing"));
    QCOMPARE(recorder.events.mid(recorder.events.size() - 3),
             QStringList({"S:ConnectionShuttingDown", "S:ConnectionOffline", "E:1"}));
    QCOMPARE(session->controller().abortCount, 1);
    // The controller and streamer were forced down before the Wi-Fi was retried.
    QVERIFY(session->controller().disconnectTypes.contains(CAbstractConnectionController::DisconnectTypeForced));
    QVERIFY(!session->reconnectTimerActive());
}

void tst_CAbstractSystemSession::lostLinkOrVideoThatNeverReturnsEndsWithItsOwnError_data()
{
    QTest::addColumn<bool>("linkLost");
    QTest::addColumn<int>("error");
    QTest::newRow("link") << true << int(CommunicationTypes::CommunicationErrorCommunicatorConnection);
    QTest::newRow("video") << false << int(CommunicationTypes::CommunicationErrorVideoStreamerConnection);
}

// The Wi-Fi stays joined: the session gives up naming the layer that did not come back.
void tst_CAbstractSystemSession::lostLinkOrVideoThatNeverReturnsEndsWithItsOwnError()
{
    QFETCH(bool, linkLost);
    QFETCH(int, error);
    auto session = makeSession();
    bringOnline(*session);
    SessionRecorder recorder(session.get());
    if (linkLost) {
        session->controller().connectOutcome = CStubConnectionController::ConnectFails;
        session->controller().loseLink();
    } else {
        session->streamer().startOutcome = CStubSessionStreamer::StartFails;
        session->streamer().breakStream();
    }
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_VERIFY(session->reconnectFailerTimerActive());
    QTRY_COMPARE_WITH_TIMEOUT(recorder.errors.size(), 1, 10000);
    QCOMPARE(int(recorder.errors.first()), error);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(recorder.events.last(), QStringLiteral("E:%1").arg(error));
}

void tst_CAbstractSystemSession::lostWifiThatReturnsComesBackOnline()
{
    auto session = makeSession();
    session->setReconnectFailerInterval(5000);
    bringOnline(*session);
    const CSimulatedWlan::Network network = m_wlan->networks().first();
    m_wlan->removeNetwork(network.ssid);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionReestablishing);
    QTRY_VERIFY(session->reconnectFailerTimerActive());
    m_wlan->setNetwork(network);
    QTRY_COMPARE(session->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(!session->reconnectFailerTimerActive());
    QCOMPARE(session->controller().accessModes.last(), 2);
}

void tst_CAbstractSystemSession::quickDisconnectAndReconnectToSameNetwork()
{
    auto first = makeSession();
    bringOnline(*first);
    first->disconnectFromSystem(false);
    QCOMPARE(first->state(), CommunicationTypes::ConnectionOffline);

    // At once, before the Wi-Fi layer has reported the disconnect.
    auto second = makeSession();
    SessionRecorder recorder(second.get());
    second->connectToSystem(kSystem, false);
    QTRY_COMPARE(second->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(recorder.errors.isEmpty());
    QCOMPARE(first->state(), CommunicationTypes::ConnectionOffline);
}

void tst_CAbstractSystemSession::unknownSystemTypeStreamsFromNowhere()
{
    auto session = makeSession();
    session->controller().typeOnConnect = CommunicationTypes::SystemTypeUnknown;
    bringOnline(*session);
    QVERIFY(session->streamer().lastSource.url.isEmpty());
    QVERIFY(session->streamer().lastSource.caps.isEmpty());
    QCOMPARE(session->streamer().lastSource.latency, 0u);
}

void tst_CAbstractSystemSession::familyWithoutStreamConfigStartsVideoDirectly()
{
    auto session = makeSession();
    session->withStreamConfigLogic = false;
    bringOnline(*session);
    QCOMPARE(session->streamer().startCount, 1);
    QCOMPARE(session->streamConfig().queryCount, 0);
}

QTEST_GUILESS_MAIN(tst_CAbstractSystemSession)
#include "tst_CAbstractSystemSession.moc"
