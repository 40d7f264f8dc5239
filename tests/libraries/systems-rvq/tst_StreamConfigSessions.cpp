// RVQ sessions with encoder boards end to end: the simulated Wi-Fi network, the link
// simulator, the board simulators and the RTSP test peer, with the systems library's streamer
// logic and stream-configuration facade.
#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"

#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CRVQSystemSession.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "multimedia/CVideoStreamConfig.h"
#include "multimedia/CZPXVideoStreamConfigLogic.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "wlan/CSimulatedWlan.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using namespace Ulx;
using Ulx::Communication::CAbstractConnectionController;
using Ulx::Communication::CRVQConnectionController;
using Ulx::Communication::CRVQSystemSession;
using Ulx::Communication::CWindowsNetworkManager;
using Ulx::Wlan::CSimulatedWlan;

namespace {

const QByteArray kNetworkName = QByteArrayLiteral("Zephira_SN55501");
constexpr int kOnlineWait = 60000;

// The RVQ session with its link pointed at the simulator, short reconnect timers, and the
// board exchanges' time-out set for the test as soon as the logics exist.
class TestRVQSession : public CRVQSystemSession
{
public:
    TestRVQSession(Communication::CAbstractNetworkManager* networkManager, quint16 linkPort, int boardTimeout)
        : CRVQSystemSession(networkManager, nullptr, CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic(),
                            CUlxSystemsLibraryPrivate::instance())
        , m_boardTimeout(boardTimeout)
    {
        CRVQConnectionController* controller = rvqConnectionController();
        controller->setLinkEndpoint(QStringLiteral("127.0.0.1"), linkPort);
        controller->setTimerIntervals(200, 1000, 10);
        controller->communicator()->setTickInterval(5);
        setReconnectInterval(100);
        setReconnectFailerInterval(30000);
    }

    void createLogics() override
    {
        CRVQSystemSession::createLogics();
        if (auto* brennic = dynamic_cast<Multimedia::CBrennicVideoStreamConfigLogic*>(videoStreamConfigLogic()))
            brennic->setTransferTimeout(m_boardTimeout);
        if (auto* zpx = dynamic_cast<Multimedia::CZPXVideoStreamConfigLogic*>(videoStreamConfigLogic()))
            zpx->setTransferTimeout(m_boardTimeout);
    }

private:
    int m_boardTimeout;
};

} // namespace

class tst_StreamConfigSessions : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EncoderBoardSimulator> m_brennic;
    std::unique_ptr<EncoderBoardSimulator> m_zpx;
    std::unique_ptr<RtspPeer> m_brennicVideo;
    std::unique_ptr<RtspPeer> m_zpxVideo;
    std::shared_ptr<CSimulatedWlan> m_wlan;
    std::unique_ptr<CWindowsNetworkManager> m_networkManager;
    std::unique_ptr<CRVQLinkSimulator> m_link;
    std::unique_ptr<TestRVQSession> m_session;
    TestVideoSurface m_surface;
    QList<CommunicationTypes::ConnectionState> m_states;

    Multimedia::CRTSPVideoStreamerLogic* streamer() { return CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic(); }

    void makeSession(const QString& hardwareId, int boardTimeout = 8000)
    {
        m_link->setHardwareId(hardwareId);
        m_session = std::make_unique<TestRVQSession>(m_networkManager.get(), m_link->port(), boardTimeout);
        connect(m_session.get(), &CRVQSystemSession::stateChanged, this,
                [this]() { m_states.append(m_session->state()); });
    }

    bool bringOnline()
    {
        m_session->connectToSystem(QString::fromLatin1(kNetworkName), false);
        if (!QTest::qWaitFor([&]() { return m_session->state() == CommunicationTypes::ConnectionOnline; }, kOnlineWait))
            return false;
        // What the session manager does once a session is online.
        CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, m_session->videoStreamConfigLogic(),
                                                             m_session->commandFactory(), nullptr);
        return true;
    }

    bool showsPicture(const QSize& size)
    {
        const int before = m_surface.frameCount;
        return QTest::qWaitFor([&]() { return m_surface.frameCount > before + 1 && m_surface.lastFrame.size() == size; },
                               kOnlineWait);
    }

    // Changes to 720p through the facade and checks the whole change: stream stopped, the
    // read-back, the pause before the restart, the flag, the picture, the session online.
    void changeTo720p(int restartDelay)
    {
        Multimedia::CVideoStreamConfig* facade = CUlxSystemsLibrary::videoStreamConfig();
        QCOMPARE(facade->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
        QVERIFY(facade->supportsConfigChange());
        QVERIFY(showsPicture(QSize(1920, 1080)));

        Multimedia::CAbstractVideoStreamConfigLogic* logic = m_session->videoStreamConfigLogic();
        QElapsedTimer sinceReadBack;
        qint64 restartedAfter = -1;
        connect(logic, &Multimedia::CAbstractVideoStreamConfigLogic::activeConfigChanged, this,
                [&]() { sinceReadBack.start(); });
        connect(streamer(), &Multimedia::CRTSPVideoStreamerLogic::stateChanged, this, [&]() {
            if (streamer()->state() == MultimediaTypes::StreamingStarting && sinceReadBack.isValid() && restartedAfter < 0)
                restartedAfter = sinceReadBack.elapsed();
        });
        QSignalSpy facadeProgress(facade, &Multimedia::CVideoStreamConfig::configChangeInProgressChanged);
        m_states.clear();

        facade->changeActiveResolution(MultimediaTypes::VideoResolution720P);
        QVERIFY(facade->configChangeInProgress());
        QVERIFY(streamer()->state() == MultimediaTypes::StreamingStopping
                || streamer()->state() == MultimediaTypes::StreamingStopped);
        QTRY_COMPARE_WITH_TIMEOUT(facade->activeConfig(), MultimediaTypes::VideoConfig720P30FPS, kOnlineWait);
        QTRY_VERIFY_WITH_TIMEOUT(!facade->configChangeInProgress(), restartDelay + kOnlineWait);
        QCOMPARE(streamer()->state(), MultimediaTypes::StreamingRunning);
        QVERIFY2(restartedAfter >= restartDelay, qPrintable(QString::number(restartedAfter)));
        QVERIFY(showsPicture(QSize(1280, 720)));
        QTRY_VERIFY(facadeProgress.count() >= 2);
        QCOMPARE(facade->activeResolution(), MultimediaTypes::VideoResolution720P);
        // The stop belonged to the change: the session never left online.
        QVERIFY(m_states.isEmpty());
        QCOMPARE(m_session->state(), CommunicationTypes::ConnectionOnline);
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        CAbstractConnectionController::registerMetaTypes();
        qRegisterMetaType<CommunicationTypes::CommunicationError>();
        MultimediaTypes::registerMetaTypes();
        m_brennic = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::Brennic);
        m_zpx = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::ZPX);
        if (!m_brennic->start() || !m_zpx->start())
            QSKIP("python3 could not start the board simulators");
        m_brennicVideo = std::make_unique<RtspPeer>(QStringList{"--mode-file", m_brennic->modeFile(), "--fps", "15"});
        m_zpxVideo = std::make_unique<RtspPeer>(QStringList{"--mode-file", m_zpx->modeFile(), "--fps", "15"});
        if (!m_brennicVideo->start() || !m_zpxVideo->start())
            QSKIP("the RTSP test peer did not start");
    }

    void init()
    {
        CUlxSystemsLibrary::initialize();
        streamer()->videoSurfaceSink()->setVideoSurface(&m_surface);
        streamer()->setRetryInterval(100);
        QVERIFY(m_brennic->setState(QJsonObject{{"mode", "1080p@30fps"}}));
        QVERIFY(m_zpx->setState(QJsonObject{{"mode", "1080p30"}, {"firmware", "4.28-b17"}, {"password", "second"}}));
        QVERIFY(m_brennic->clearFaults() && m_zpx->clearFaults());
        QVERIFY(m_brennic->clearLog() && m_zpx->clearLog());

        m_wlan = std::make_shared<CSimulatedWlan>();
        m_wlan->addInterface(QStringLiteral("Adapter"));
        CSimulatedWlan::Network network;
        network.ssid = kNetworkName;
        network.key = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyZephira);
        network.endpoints = {{Flavors::SystemHost::BrennicVideoServer, quint16(m_brennicVideo->port()), 0},
                             {Flavors::SystemHost::ZephiraVideoServer, quint16(m_zpxVideo->port()), 0},
                             {Flavors::SystemHost::BrennicEncoderBoard, 0, quint16(m_brennic->port())},
                             {Flavors::SystemHost::ZPXEncoderBoard, 0, quint16(m_zpx->port())}};
        m_wlan->setNetwork(network);
        m_networkManager = std::make_unique<CWindowsNetworkManager>(m_wlan);
        m_networkManager->setScanInterval(50);
        m_networkManager->setSignalInterval(50);
        m_networkManager->setJoinTimeout(5000);
        m_link = std::make_unique<CRVQLinkSimulator>();
        QVERIFY(m_link->listen());
        m_states.clear();
    }

    void cleanup()
    {
        if (m_session) {
            m_session->disconnectFromSystem(false);
            if (!QTest::qWaitFor([&]() { return m_session->state() == CommunicationTypes::ConnectionOffline; }, kOnlineWait))
                qWarning("The session did not go offline before the next test");
            CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        }
        m_session.reset();
        m_link.reset();
        m_networkManager.reset();
        m_wlan.reset();
        CUlxSystemsLibrary::finalize();
    }

    void cleanupTestCase()
    {
        m_brennicVideo.reset();
        m_zpxVideo.reset();
        m_brennic.reset();
        m_zpx.reset();
        Flavors::resetSystemEndpoints();
    }

    void zpx2ChangesTo720pThroughTheBrennicBoard()
    {
        makeSession(QStringLiteral("ZPX_2.0 V01"));
        QVERIFY(bringOnline());
        changeTo720p(Multimedia::CBrennicVideoStreamConfigLogic::DefaultRestartDelay);
        const QList<QJsonObject> changes = m_brennic->requestsTo(QStringLiteral("change"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().value("body").toString(), QStringLiteral("{\"new_config\":\"720p@30fps\"}"));
        QVERIFY(m_zpx->log().isEmpty());
    }

    void zpxChangesTo720pThroughItsWebBoard()
    {
        makeSession(QStringLiteral("ZPX_1.0 V01"));
        QVERIFY(bringOnline());
        changeTo720p(Multimedia::CZPXVideoStreamConfigLogic::DefaultRestartDelay);
        const QList<QJsonObject> posts = m_zpx->requestsTo(QStringLiteral("form"));
        QCOMPARE(posts.last().value("body").toString(),
                 QStringLiteral("AudioInstalled=0&OsdTimeStamp=0&FrameRate0=10&ImgSize0=6&CodecType0=2&FwModId=0"
                                "&FwCgiVer=0x0001"));
        QVERIFY(m_brennic->log().isEmpty());
    }

    void boardThatNeverAnswersEndsEstablishing()
    {
        QVERIFY(m_brennic->fault(QStringLiteral("version"), QStringLiteral("no-answer"), -1));
        makeSession(QStringLiteral("GLYRV_1.0 V01"), 1000);
        QSignalSpy errors(m_session.get(), &CRVQSystemSession::errorOccurred);
        m_session->connectToSystem(QString::fromLatin1(kNetworkName), false);
        QVERIFY(errors.wait(kOnlineWait));
        QCOMPARE(errors.first().first().value<CommunicationTypes::CommunicationError>(),
                 CommunicationTypes::CommunicationErrorVideoStreamConfigFailed);
        QTRY_COMPARE_WITH_TIMEOUT(m_session->state(), CommunicationTypes::ConnectionOffline, kOnlineWait);
        QVERIFY(!m_states.contains(CommunicationTypes::ConnectionOnline));
    }

    void boardWithoutApiVersionOneStillComesOnline()
    {
        QVERIFY(m_brennic->fault(QStringLiteral("version"), QStringLiteral("version-number"), -1));
        makeSession(QStringLiteral("ZPX_2.0 V01"));
        QVERIFY(bringOnline());
        Multimedia::CVideoStreamConfig* facade = CUlxSystemsLibrary::videoStreamConfig();
        QVERIFY(!facade->supportsConfigChange());
        QCOMPARE(facade->activeConfig(), MultimediaTypes::VideoConfigInvalid);
        QVERIFY(m_brennic->requestsTo(QStringLiteral("settings")).isEmpty());
    }
};

QTEST_MAIN(tst_StreamConfigSessions)
#include "tst_StreamConfigSessions.moc"
