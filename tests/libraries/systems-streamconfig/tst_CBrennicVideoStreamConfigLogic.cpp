// The Brennic board's stream configuration against the board simulator, with a live stream
// from the RTSP test peer that shows the board's mode.
#include "StreamConfigTestSupport.h"

#include "multimedia/CBrennicVideoStreamConfigLogic.h"

#include <QJsonDocument>
#include <QtTest>

using namespace Ulx;
using namespace Ulx::Multimedia;
using VideoConfig = MultimediaTypes::VideoConfig;

class tst_CBrennicVideoStreamConfigLogic : public QObject, private BoardStreamFixture<CBrennicVideoStreamConfigLogic>
{
    Q_OBJECT

private slots:
    void initTestCase() { startPeers(EncoderBoardSimulator::Brennic, "Brennic"); }
    void init() { resetBoard(QJsonObject{{"mode", "1080p@30fps"}, {"supported_api_versions", QJsonArray{"1"}}}); }
    void cleanup() { dropLogic(); }
    void cleanupTestCase() { stopPeers(); }

    void modeStringsBothWays()
    {
        const QList<QPair<QString, int>> modes = {{"PAL@25fps", 1}, {"NTSC@30fps", 2}, {"720p@15fps", 3},
            {"720p@25fps", 4}, {"720p@29.97fps", 5}, {"720p@30fps", 6}, {"1080p@15fps", 8}, {"1080p@25fps", 9},
            {"1080p@29.97fps", 10}, {"1080p@30fps", 11}};
        for (const auto& mode : modes) {
            QCOMPARE(CBrennicVideoStreamConfigLogic::modeString(static_cast<VideoConfig>(mode.second)), mode.first);
            QCOMPARE(int(CBrennicVideoStreamConfigLogic::configFromModeString(mode.first)), mode.second);
        }
        for (int config : {0, 7, 12, 13}) {
            const QString text = CBrennicVideoStreamConfigLogic::modeString(static_cast<VideoConfig>(config));
            QVERIFY(text.isEmpty() && !text.isNull());
        }
        for (const char* unknown : {"720P@30fps", "720p@30fps ", "1080p@60fps", "", "pal@25fps"})
            QCOMPARE(CBrennicVideoStreamConfigLogic::configFromModeString(QLatin1String(unknown)),
                     MultimediaTypes::VideoConfigInvalid);
    }

    void queryReadsVersionThenMode()
    {
        QSignalSpy changing(m_logic.get(), &CAbstractVideoStreamConfigLogic::configChangeInProgressChanged);
        QVERIFY(query());
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
        QVERIFY(m_logic->supportsConfigChange());
        QCOMPARE(changing.count(), 0); // a query alone never marks a change
        const QList<QJsonObject> log = m_board->log();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log.at(0).value("route").toString(), QStringLiteral("version"));
        QCOMPARE(log.at(1).value("route").toString(), QStringLiteral("settings"));
        // Nothing more while idle; and reset() forgets what the board said.
        m_logic->reset();
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfigInvalid);
        QVERIFY(!m_logic->supportsConfigChange());
    }

    void boardReplies_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<int>("config");
        QTest::addColumn<bool>("supported");
        // A board without API version "1" still streams: the query ends, changes are off.
        QTest::newRow("version as a number") << "version" << "version-number" << true << 0 << false;
        QTest::newRow("no version 1") << "version" << "no-version-1" << true << 0 << false;
        QTest::newRow("version not JSON") << "version" << "non-json" << true << 0 << false;
        QTest::newRow("version 500") << "version" << "status:500" << false << 0 << false;
        QTest::newRow("version closed") << "version" << "close" << false << 0 << false;
        QTest::newRow("version never answered") << "version" << "no-answer" << false << 0 << false;
        QTest::newRow("unknown mode") << "settings" << "unknown-mode" << true << 0 << true;
        QTest::newRow("settings not JSON") << "settings" << "non-json" << true << 0 << true;
        QTest::newRow("settings late") << "settings" << "slow" << false << 0 << true;
        QTest::newRow("settings 500") << "settings" << "status:500" << false << 0 << true;
    }

    void boardReplies()
    {
        QFETCH(QString, route);
        QFETCH(QString, fault);
        QFETCH(bool, succeeds);
        QFETCH(int, config);
        QFETCH(bool, supported);
        // Every request: the network layer sends a request again once when the board closes.
        QVERIFY(m_board->fault(route, fault, -1));
        QSignalSpy succeeded(m_logic.get(), &CAbstractVideoStreamConfigLogic::configQuerySucceeded);
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        m_logic->queryActiveConfig();
        // Every query ends, one way or the other, within the transfer time-out.
        QTRY_COMPARE_WITH_TIMEOUT(succeeded.count() + errors.count(), 1, kBoardWait);
        QCOMPARE(succeeded.count(), succeeds ? 1 : 0);
        if (!succeeds)
            QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
        QCOMPARE(int(m_logic->activeConfig()), config);
        QCOMPARE(m_logic->supportsConfigChange(), supported);
        QVERIFY(!m_logic->configChangeInProgress());
        // The exchange is over: the next query runs.
        QVERIFY(m_board->clearFaults());
        QVERIFY(query());
    }

    void changeRestartsTheStreamInTheNewMode()
    {
        QVERIFY(query());
        QVERIFY(m_stream.run());
        QVERIFY(m_stream.showsPicture(QSize(1920, 1080)));

        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        bool startedBeforeReadBack = true;
        connect(m_logic.get(), &CAbstractVideoStreamConfigLogic::activeConfigChanged, this,
                [&]() {
                    // The stop itself may still be finishing off the GUI thread.
                    startedBeforeReadBack = m_stream.state() != MultimediaTypes::StreamingStopped
                        && m_stream.state() != MultimediaTypes::StreamingStopping;
                });
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        QVERIFY(m_logic->configChangeInProgress());
        QTRY_COMPARE_WITH_TIMEOUT(m_logic->activeConfig(), MultimediaTypes::VideoConfig720P30FPS, kBoardWait);
        QVERIFY(!startedBeforeReadBack);
        QVERIFY(m_logic->configChangeInProgress());
        // The flag falls only once the stream runs again.
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->configChangeInProgress(), kStreamWait);
        QCOMPARE(m_stream.state(), MultimediaTypes::StreamingRunning);
        QVERIFY(m_stream.showsPicture(QSize(1280, 720)));
        QVERIFY(errors.isEmpty());

        const QList<QJsonObject> changes = m_board->requestsTo(QStringLiteral("change"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().value("body").toString(), QStringLiteral("{\"new_config\":\"720p@30fps\"}"));
        QCOMPARE(changes.first().value("contentType").toString(), QStringLiteral("application/json"));
        const QList<QJsonObject> log = m_board->log();
        QCOMPARE(log.last().value("route").toString(), QStringLiteral("settings"));

        // The configuration that is active already sends nothing.
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        QVERIFY(!m_logic->configChangeInProgress());
        QCOMPARE(m_board->requestsTo(QStringLiteral("change")).size(), 1);
    }

    void failedChangeBringsTheOldModeBack_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("config");
        QTest::addColumn<QString>("body");
        QTest::newRow("500") << "status:500" << int(MultimediaTypes::VideoConfig720P15FPS) << "{\"new_config\":\"720p@15fps\"}";
        QTest::newRow("closed") << "close" << int(MultimediaTypes::VideoConfig720P15FPS) << "{\"new_config\":\"720p@15fps\"}";
        QTest::newRow("never answered") << "no-answer" << int(MultimediaTypes::VideoConfig720P15FPS)
                                        << "{\"new_config\":\"720p@15fps\"}";
        // No mode string for 60 fps: the board refuses the empty one.
        QTest::newRow("1080p60") << "" << int(MultimediaTypes::VideoConfig1080P60FPS) << "{\"new_config\":\"\"}";
    }

    void failedChangeBringsTheOldModeBack()
    {
        QFETCH(QString, fault);
        QFETCH(int, config);
        QFETCH(QString, body);
        QVERIFY(query());
        QVERIFY(m_stream.run());
        if (!fault.isEmpty())
            QVERIFY(m_board->fault(QStringLiteral("change"), fault, -1));
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        m_logic->changeActiveConfig(static_cast<VideoConfig>(config));
        QVERIFY(m_logic->configChangeInProgress());
        QVERIFY(errors.wait(kBoardWait));
        QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
        // The stream comes back in the board's old mode, and the change is over.
        QTRY_COMPARE_WITH_TIMEOUT(m_stream.state(), MultimediaTypes::StreamingRunning, kStreamWait);
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->configChangeInProgress(), kStreamWait);
        QVERIFY(m_stream.showsPicture(QSize(1920, 1080)));
        QCOMPARE(m_board->requestsTo(QStringLiteral("change")).first().value("body").toString(), body);
        QCOMPARE(m_board->state().value("mode").toString(), QStringLiteral("1080p@30fps"));
    }

    void streamerGivingUpEndsTheChange()
    {
        QVERIFY(query());
        QVERIFY(m_stream.run());
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        // Broken before the change: the restart may come as soon as the board has answered.
        m_stream.breakNextStart();
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P25FPS);
        QTRY_COMPARE_WITH_TIMEOUT(m_logic->activeConfig(), MultimediaTypes::VideoConfig720P25FPS, kBoardWait);
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), kStreamWait);
        QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
        QVERIFY(!m_logic->configChangeInProgress());
        QCOMPARE(m_stream.state(), MultimediaTypes::StreamingStopped);
        // Later changes are taken again.
        m_stream.streamer->setStreamUrl(m_stream.peer->url(QStringLiteral("/stream")));
        QVERIFY(m_stream.run());
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig1080P30FPS);
        QVERIFY(m_logic->configChangeInProgress());
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->configChangeInProgress(), kStreamWait);
        QCOMPARE(m_board->state().value("mode").toString(), QStringLiteral("1080p@30fps"));
    }

    void resetDuringThePauseKeepsTheStreamStopped()
    {
        QVERIFY(query());
        QVERIFY(m_stream.run());
        m_logic->setRestartDelay(2000);
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        // A query while the change runs is ignored.
        m_logic->queryActiveConfig();
        QTRY_COMPARE_WITH_TIMEOUT(m_logic->exchangeState(),
                                  quint32(CBrennicVideoStreamConfigLogic::ExchangeWaitingBeforeRestart), kBoardWait);
        m_logic->reset();
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfigInvalid);
        QVERIFY(!m_logic->configChangeInProgress());
        QTest::qWait(2500); // past the pause the logic would have waited
        QCOMPARE(m_stream.state(), MultimediaTypes::StreamingStopped);
        QCOMPARE(m_board->requestsTo(QStringLiteral("version")).size(), 1);
    }
};

QTEST_MAIN(tst_CBrennicVideoStreamConfigLogic)
#include "tst_CBrennicVideoStreamConfigLogic.moc"
