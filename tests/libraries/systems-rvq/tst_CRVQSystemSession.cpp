#include "RVQTestSession.h"
#include "RVQTestSupport.h"

#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "fakes/CStubSessionStreamer.h"

#include "communication/CRVQSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "multimedia/CZPHVideoStreamConfigLogic.h"
#include "multimedia/CZPXVideoStreamConfigLogic.h"
#include "rvq/CBVCommandFactory.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CZPHCommandFactory.h"
#include "rvq/CZPXCommandFactory.h"
#include "videooverlay/CBrennicVideoOverlayLogic.h"
#include "videooverlay/CZPHVideoOverlayLogic.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"
#include "wlan/CSimulatedWlan.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace Ulx;
using Ulx::Communication::CAbstractConnectionController;
using Ulx::Communication::CRVQConnectionController;
using Ulx::Communication::CRVQSystemSession;
using Ulx::Communication::CWindowsNetworkManager;
using Ulx::Wlan::CSimulatedWlan;
using State = Ulx::CommunicationTypes::ConnectionState;

namespace {

const QByteArray kNetworkName = QByteArrayLiteral("Zephira_SN12345");
const QString kZephiraKey = QStringLiteral("40617295");

bool hasError(const QSignalSpy& spy, CommunicationTypes::CommunicationError error)
{
    for (const QList<QVariant>& arguments : spy) {
        if (arguments.first().value<CommunicationTypes::CommunicationError>() == error)
            return true;
    }
    return false;
}

} // namespace

class tst_CRVQSystemSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void zpxSessionGoesOnlineWithReadouts();
    void settersOfTheInstalledFactoryReachTheSystem();
    void killedLinkComesBackWithAccessModeTwo();
    void controlHeldElsewhereDeniesTheSession();
    void spectatorConnectsWithoutControl();
    void shutdownReleasesPowersOffAndCloses();
    void logicsFollowTheSystemType_data();
    void logicsFollowTheSystemType();
    void unsupportedSystemEndsTheSession();

private:
    void makeSession();
    // The encoder boards the ZPX, ZPX2 and Gullyrover sessions ask for their stream mode.
    std::unique_ptr<EncoderBoardSimulator> m_brennicBoard;
    std::unique_ptr<EncoderBoardSimulator> m_zpxBoard;
    void connectOnline(bool spectator = false);

    std::shared_ptr<CSimulatedWlan> m_wlan;
    std::unique_ptr<CWindowsNetworkManager> m_networkManager;
    std::unique_ptr<CRVQLinkSimulator> m_simulator;
    std::unique_ptr<RVQTestStorageProvider> m_storages;
    std::unique_ptr<CStubSessionStreamer> m_streamer;
    std::unique_ptr<TestRVQSession> m_session;
};

void tst_CRVQSystemSession::initTestCase()
{
    CAbstractConnectionController::registerMetaTypes();
    qRegisterMetaType<CommunicationTypes::CommunicationError>();
    m_brennicBoard = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::Brennic);
    m_zpxBoard = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::ZPX);
    if (!m_brennicBoard->start() || !m_zpxBoard->start())
        QSKIP("python3 could not start the board simulators");
}

void tst_CRVQSystemSession::init()
{
    m_wlan = std::make_shared<CSimulatedWlan>();
    m_wlan->addInterface(QStringLiteral("Adapter A"));
    CSimulatedWlan::Network network;
    network.ssid = kNetworkName;
    network.key = kZephiraKey;
    m_wlan->setNetwork(network);
    m_networkManager = std::make_unique<CWindowsNetworkManager>(m_wlan);
    m_networkManager->setScanInterval(50);
    m_networkManager->setSignalInterval(50);
    m_networkManager->setJoinTimeout(5000);
    m_simulator = std::make_unique<CRVQLinkSimulator>();
    QVERIFY(m_simulator->listen());
    m_storages = std::make_unique<RVQTestStorageProvider>();
    m_streamer = std::make_unique<CStubSessionStreamer>();
}

void tst_CRVQSystemSession::cleanup()
{
    m_session.reset();
    m_streamer.reset();
    m_storages.reset();
    m_simulator.reset();
    m_networkManager.reset();
    m_wlan.reset();
}

void tst_CRVQSystemSession::makeSession()
{
    m_session = std::make_unique<TestRVQSession>(
        m_networkManager.get(), m_storages.get(), m_streamer.get(), m_simulator->port());
}

void tst_CRVQSystemSession::connectOnline(bool spectator)
{
    makeSession();
    m_session->connectToSystem(QString::fromLatin1(kNetworkName), spectator);
    QCOMPARE(m_session->state(), CommunicationTypes::ConnectionEstablishing);
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionOnline);
}

void tst_CRVQSystemSession::zpxSessionGoesOnlineWithReadouts()
{
    connectOnline();
    QCOMPARE(m_wlan->connectedSsid(), kNetworkName);
    QCOMPARE(m_session->connectedSystemType(), CommunicationTypes::SystemTypeZPX);
    QVERIFY(m_session->connectionController()->controlOnline());
    QVERIFY(m_streamer->startCount >= 1);
    QVERIFY(!m_streamer->lastSource.url.isEmpty());
    QVERIFY(dynamic_cast<SystemControl::CZPXCommandFactory*>(m_session->commandFactory()));
    QVERIFY(!m_session->remoteMediaCaptureLogic());
    QVERIFY(!m_session->remoteMediaStorageLogic());

    const SystemControl::CSystemDataStorage& data = m_storages->data;
    QTRY_COMPARE(data.batteryPower(), quint8(85));
    QTRY_COMPARE(data.hourCounter(), 123.5);
    QTRY_COMPARE(data.inclination(), 3.5f);
    QCOMPARE(data.hardwareId(), QStringLiteral("ZPX_1.0 V01"));
    QVERIFY(m_storages->caps.cameraZoomAvailable());
}

void tst_CRVQSystemSession::settersOfTheInstalledFactoryReachTheSystem()
{
    connectOnline();
    QTRY_COMPARE(m_storages->data.lightIntensity(), quint8(50));
    const int mark = m_simulator->receivedFrames().size();
    m_session->commandFactory()->createSetLightIntensityCommand(80)->execute();
    m_session->commandFactory()->createSetDistanceCounterCommand(4.0)->execute();
    QTRY_COMPARE(m_simulator->receivedFrames(38, 0).size(), 1);
    QTRY_COMPARE(m_simulator->receivedFrames(52, 2).size(), 1);
    QCOMPARE(m_simulator->receivedFrames(38, 0).first().payload, QByteArray(1, 80));
    QCOMPARE(m_simulator->receivedFrames(52, 2).first().payload, rvqF32(4.0f));
    QVERIFY(m_simulator->receivedFrames().size() > mark);
    // The system keeps the value: the next reply confirms it.
    QTRY_COMPARE(m_simulator->value(38), QByteArray(1, 80));
}

void tst_CRVQSystemSession::killedLinkComesBackWithAccessModeTwo()
{
    connectOnline();
    QSignalSpy stateSpy(m_session.get(), &CRVQSystemSession::stateChanged);
    const int takesBefore = m_simulator->receivedFrames(253, 2).size();
    m_simulator->closeClientsWithRst();
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionReestablishing);
    // The system still thinks the dead link holds the control: only access mode 2 gets it back.
    QVERIFY(m_simulator->controlHeldByClient());
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(m_session->connectionController()->controlOnline());
    const auto takes = m_simulator->receivedFrames(253, 2);
    QCOMPARE(takes.size(), takesBefore + 1);
    QCOMPARE(takes.last().payload, QByteArray(1, 0));
    QVERIFY(takes.last().client > takes.first().client);
    QTRY_COMPARE(m_storages->data.batteryPower(), quint8(85));
}

void tst_CRVQSystemSession::controlHeldElsewhereDeniesTheSession()
{
    m_simulator->setControlHeldByOtherClient(true);
    makeSession();
    QSignalSpy errorSpy(m_session.get(), &CRVQSystemSession::errorOccurred);
    m_session->connectToSystem(QString::fromLatin1(kNetworkName), false);
    QTRY_VERIFY(hasError(errorSpy, CommunicationTypes::CommunicationErrorCommunicatorControlAccessDenied));
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionOffline);
    QVERIFY(m_simulator->receivedFrames(253, 2).isEmpty());
}

void tst_CRVQSystemSession::spectatorConnectsWithoutControl()
{
    m_simulator->setControlHeldByOtherClient(true);
    connectOnline(true);
    QVERIFY(!m_session->connectionController()->controlOnline());
    QVERIFY(m_simulator->receivedFrames(253, 2).isEmpty());
    // A spectator's setter sends nothing and changes nothing.
    m_session->commandFactory()->createSetLightIntensityCommand(90)->execute();
    QCOMPARE(m_storages->data.lightIntensity(), quint8(0));
    QVERIFY(m_simulator->receivedFrames(38).isEmpty());
}

void tst_CRVQSystemSession::shutdownReleasesPowersOffAndCloses()
{
    connectOnline();
    QSignalSpy disconnectedSpy(m_simulator.get(), &CRVQLinkSimulator::clientDisconnected);
    const int mark = m_simulator->receivedFrames().size();
    m_session->disconnectFromSystem(true);
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionOffline);
    QTRY_VERIFY(disconnectedSpy.count() >= 1);
    QVERIFY(m_simulator->shutdownReceived());
    QList<QPair<int, int>> order;
    const auto frames = m_simulator->receivedFrames();
    for (int i = mark; i < frames.size(); ++i)
        order.append(qMakePair(int(frames.at(i).id), int(frames.at(i).kind)));
    // Nothing else is sent after the release: the queue was cleared.
    const QList<QPair<int, int>> expected = {qMakePair(253, 2), qMakePair(16, 0)};
    QCOMPARE(order.mid(order.size() - 2), expected);
    QCOMPARE(frames.at(frames.size() - 2).payload, QByteArray(1, 1));
    QCOMPARE(frames.last().payload, QByteArray(1, 10));
    QVERIFY(m_simulator->controlAvailable());
    QCOMPARE(m_simulator->clientCount(), 0);
}

void tst_CRVQSystemSession::logicsFollowTheSystemType_data()
{
    QTest::addColumn<QString>("hardwareId");
    QTest::addColumn<int>("type");
    QTest::newRow("ZPH") << QStringLiteral("ZPH_4.0 V01") << int(CommunicationTypes::SystemTypeZPH);
    QTest::newRow("ZPX") << QStringLiteral("ZPX_1.0 V01") << int(CommunicationTypes::SystemTypeZPX);
    QTest::newRow("ZPX2") << QStringLiteral("ZPX_2.0 V01") << int(CommunicationTypes::SystemTypeZPX2);
    QTest::newRow("Gullyrover") << QStringLiteral("GLYRV_1.0 V01") << int(CommunicationTypes::SystemTypeGullyrover);
}

void tst_CRVQSystemSession::logicsFollowTheSystemType()
{
    QFETCH(QString, hardwareId);
    QFETCH(int, type);
    m_simulator->setHardwareId(hardwareId);
    connectOnline();
    QCOMPARE(int(m_session->connectedSystemType()), type);
    QVERIFY(m_brennicBoard->clearLog() && m_zpxBoard->clearLog());
    SystemControl::CAbstractCommandFactory* factory = m_session->commandFactory();
    Multimedia::CAbstractVideoStreamConfigLogic* config = m_session->videoStreamConfigLogic();
    VideoOverlay::CAbstractVideoOverlayLogic* overlay = m_session->videoOverlayLogic();
    QVERIFY(factory && config && overlay);
    switch (type) {
    case CommunicationTypes::SystemTypeZPH:
        QVERIFY(dynamic_cast<SystemControl::CZPHCommandFactory*>(factory));
        QVERIFY(dynamic_cast<Multimedia::CZPHVideoStreamConfigLogic*>(config));
        QVERIFY(dynamic_cast<VideoOverlay::CZPHVideoOverlayLogic*>(overlay));
        // A fixed mode: known without asking anyone.
        QCOMPARE(config->activeConfig(), MultimediaTypes::VideoConfigPAL25FPS);
        break;
    case CommunicationTypes::SystemTypeZPX:
        QVERIFY(dynamic_cast<SystemControl::CZPXCommandFactory*>(factory));
        QVERIFY(dynamic_cast<Multimedia::CZPXVideoStreamConfigLogic*>(config));
        QVERIFY(dynamic_cast<VideoOverlay::CZPXVideoOverlayLogic*>(overlay));
        break;
    case CommunicationTypes::SystemTypeZPX2:
        // The ZPX2 is controlled like a ZPX, but its video goes through the encoder board.
        QVERIFY(dynamic_cast<SystemControl::CZPXCommandFactory*>(factory));
        QVERIFY(dynamic_cast<Multimedia::CBrennicVideoStreamConfigLogic*>(config));
        QVERIFY(dynamic_cast<VideoOverlay::CBrennicVideoOverlayLogic*>(overlay));
        break;
    default:
        QVERIFY(dynamic_cast<SystemControl::CBVCommandFactory*>(factory));
        QVERIFY(dynamic_cast<Multimedia::CBrennicVideoStreamConfigLogic*>(config));
        QVERIFY(dynamic_cast<VideoOverlay::CBrennicVideoOverlayLogic*>(overlay));
        break;
    }
    if (type != CommunicationTypes::SystemTypeZPH)
        QVERIFY(config->activeConfig() != MultimediaTypes::VideoConfigInvalid); // read from the board
    // A second creation keeps what exists.
    m_session->createLogics();
    QCOMPARE(m_session->commandFactory(), factory);
    QCOMPARE(m_session->videoStreamConfigLogic(), config);
    QCOMPARE(m_session->videoOverlayLogic(), overlay);
}

void tst_CRVQSystemSession::unsupportedSystemEndsTheSession()
{
    m_simulator->setHardwareId(QString());
    makeSession();
    QSignalSpy errorSpy(m_session.get(), &CRVQSystemSession::errorOccurred);
    m_session->connectToSystem(QString::fromLatin1(kNetworkName), false);
    QTRY_VERIFY(hasError(errorSpy, CommunicationTypes::CommunicationErrorCommunicatorUnsupportedSystem));
    QTRY_COMPARE(m_session->state(), CommunicationTypes::ConnectionOffline);
    QVERIFY(!m_session->commandFactory());
    QVERIFY(!m_session->videoStreamConfigLogic());
    QVERIFY(!m_session->videoOverlayLogic());
}

QTEST_GUILESS_MAIN(tst_CRVQSystemSession)
#include "tst_CRVQSystemSession.moc"
