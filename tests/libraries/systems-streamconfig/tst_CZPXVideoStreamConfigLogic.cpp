// The ZPX board's stream configuration: its page formats and code tables, and the logic
// against the board simulator (HTTP authentication with either password) with a live stream
// from the RTSP test peer that shows the board's mode.
#include "StreamConfigTestSupport.h"

#include "multimedia/CZPHVideoStreamConfigLogic.h"
#include "multimedia/CZPXVideoStreamConfigLogic.h"
#include "multimedia/ZPXBoardFormat.h"

#include <QtTest>

using namespace Ulx;
using namespace Ulx::Multimedia;
using VideoConfig = MultimediaTypes::VideoConfig;

namespace {

QByteArray indexPage(const QByteArray& firmware)
{
    return "<html><script>\nvar SYS_NAME = \"ZPX\";\nvar SYS_VER = \"" + firmware + "\";\n</script></html>";
}

QByteArray form(int frameRate, int imageSize)
{
    return QStringLiteral("AudioInstalled=0&OsdTimeStamp=0&FrameRate0=%1&ImgSize0=%2&CodecType0=2&FwModId=0&FwCgiVer=0x0001")
        .arg(frameRate)
        .arg(imageSize)
        .toUtf8();
}

} // namespace

class tst_CZPXVideoStreamConfigLogic : public QObject, private BoardStreamFixture<CZPXVideoStreamConfigLogic>
{
    Q_OBJECT

private slots:
    void initTestCase() { startPeers(EncoderBoardSimulator::ZPX, "ZPX"); }
    void init() { resetBoard(QJsonObject{{"mode", "1080p30"}, {"firmware", "4.28-b17"}, {"password", "first"}}); }
    void cleanup() { dropLogic(); }
    void cleanupTestCase() { stopPeers(); }

    void firmwareTexts_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::newRow("with build suffix") << indexPage("4.28-b17") << "4.28-b17" << 4 << 28;
        QTest::newRow("without hyphen") << indexPage("4.27") << "4.27" << 0 << 0;
        QTest::newRow("other major") << indexPage("5.1-b2") << "5.1-b2" << 5 << 1;
        QTest::newRow("three parts") << indexPage("4.28.1-b3") << "4.28.1-b3" << 0 << 0;
        QTest::newRow("hyphen in suffix") << indexPage("4.29-rc-2") << "4.29-rc-2" << 4 << 29;
        QTest::newRow("no marker") << QByteArray("<html>SYS_VER=\"4.28-b1\";</html>") << QString() << 0 << 0;
        QTest::newRow("no end") << QByteArray("var SYS_VER = \"4.28-b1") << QString() << 0 << 0;
    }

    void firmwareTexts()
    {
        QFETCH(QByteArray, page);
        QFETCH(QString, text);
        QFETCH(int, major);
        QFETCH(int, minor);
        const ZPXBoardFormat::FirmwareVersion version = ZPXBoardFormat::parseFirmwareVersion(page);
        QCOMPARE(version.text, text);
        QCOMPARE(version.major, major);
        QCOMPARE(version.minor, minor);
    }

    void codeTablesPerMinor_data()
    {
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("config");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("24 1080p30") << 24 << 11 << form(0, 9);
        QTest::newRow("25 1080p15") << 25 << 8 << form(3, 9);
        QTest::newRow("27 720p30") << 27 << 6 << form(0, 6);
        QTest::newRow("28 1080p30") << 28 << 11 << form(10, 8);
        QTest::newRow("28 720p15") << 28 << 3 << form(11, 6);
        QTest::newRow("29 1080p30") << 29 << 11 << form(10, 9);
        QTest::newRow("29 720p30") << 29 << 6 << form(10, 6);
        QTest::newRow("1080p25 unknown") << 28 << 9 << QByteArray();
        QTest::newRow("PAL unknown") << 28 << 1 << QByteArray();
        QTest::newRow("minor 30") << 30 << 11 << QByteArray();
        QTest::newRow("minor 23") << 23 << 11 << QByteArray();
    }

    void codeTablesPerMinor()
    {
        QFETCH(int, minor);
        QFETCH(int, config);
        QFETCH(QByteArray, body);
        QCOMPARE(ZPXBoardFormat::formBody(static_cast<VideoConfig>(config), 4, minor), body);
        QCOMPARE(ZPXBoardFormat::supportsChange(4, minor), minor >= 24 && minor <= 29);
        if (body.isEmpty())
            return;
        // The settings page written with the same codes reads back as the same configuration.
        const QByteArray page = QByteArray("FRAMERATE0=") + body.split('&').at(2).split('=').at(1)
                                + "; IMGSIZE0= " + body.split('&').at(3).split('=').at(1) + " ;";
        QCOMPARE(int(ZPXBoardFormat::parseSettingsPage(page, 4, minor)), config);
    }

    void settingsPages()
    {
        using ZPXBoardFormat::parseSettingsPage;
        QCOMPARE(parseSettingsPage("IMGSIZE0=9;FRAMERATE0=3;", 4, 25), MultimediaTypes::VideoConfig1080P15FPS);
        QCOMPARE(parseSettingsPage("IMGSIZE0=9;FRAMERATE0=3;", 4, 28), MultimediaTypes::VideoConfigInvalid);
        QCOMPARE(parseSettingsPage("IMGSIZE0=9;FRAMERATE0=3;", 0, 0), MultimediaTypes::VideoConfigInvalid);
        QCOMPARE(parseSettingsPage("IMGSIZE0=9;", 4, 25), MultimediaTypes::VideoConfigInvalid);
        // The first statement after which both are known decides.
        QCOMPARE(parseSettingsPage("IMGSIZE0=6;FRAMERATE0=0;IMGSIZE0=9", 4, 24), MultimediaTypes::VideoConfig720P30FPS);
        // Keys are compared exactly; statements without "=" are skipped.
        QCOMPARE(parseSettingsPage("imgsize0=9;FRAMERATE0=0;junk;IMGSIZE0=6", 4, 24), MultimediaTypes::VideoConfig720P30FPS);
        QCOMPARE(parseSettingsPage("<html>error</html>", 4, 24), MultimediaTypes::VideoConfigInvalid);
    }

    void zphIsFixedAtPal()
    {
        CZPHVideoStreamConfigLogic logic;
        QSignalSpy succeeded(&logic, &CAbstractVideoStreamConfigLogic::configQuerySucceeded);
        QSignalSpy errors(&logic, &CAbstractVideoStreamConfigLogic::errorOccurred);
        logic.queryActiveConfig();
        QCOMPARE(succeeded.count(), 1);
        QCOMPARE(logic.activeConfig(), MultimediaTypes::VideoConfigPAL25FPS);
        logic.changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorInternal);
        QVERIFY(!logic.supportsConfigChange());
        logic.reset();
        QCOMPARE(logic.activeConfig(), MultimediaTypes::VideoConfigInvalid);
    }

    void queryWithEitherPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<int>("indexRequests");
        QTest::newRow("first") << "first" << true << 2;
        QTest::newRow("second") << "second" << true << 3;
        // A third question within one exchange aborts the request.
        QTest::newRow("none") << "none" << false << 3;
    }

    void queryWithEitherPassword()
    {
        QFETCH(QString, password);
        QFETCH(bool, succeeds);
        QFETCH(int, indexRequests);
        QVERIFY(m_board->setState(QJsonObject{{"password", password}}));
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        QCOMPARE(query(), succeeds);
        QCOMPARE(m_board->requestsTo(QStringLiteral("index")).size(), indexRequests);
        if (succeeds) {
            QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
            QCOMPARE(m_logic->firmwareMajor(), 4);
            QCOMPARE(m_logic->firmwareMinor(), 28);
            QVERIFY(m_logic->supportsConfigChange());
        } else {
            QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
            QVERIFY(m_board->requestsTo(QStringLiteral("settings")).isEmpty());
        }
        QVERIFY(!m_logic->configChangeInProgress());
    }

    void firmwareWithoutHyphenReadsNothing()
    {
        QVERIFY(m_board->setState(QJsonObject{{"firmware", "4.27"}}));
        QVERIFY(query());
        QCOMPARE(m_logic->firmwareMajor(), 0);
        QVERIFY(!m_logic->supportsConfigChange());
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfigInvalid);
    }

    void pageFaults_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("index 500") << "index" << "status:500" << false;
        QTest::newRow("index closed") << "index" << "close" << false;
        QTest::newRow("index never answered") << "index" << "no-answer" << false;
        QTest::newRow("index without firmware") << "index" << "no-marker" << true;
        QTest::newRow("settings late") << "settings" << "slow" << false;
        QTest::newRow("settings garbage") << "settings" << "garbage" << true;
    }

    void pageFaults()
    {
        QFETCH(QString, route);
        QFETCH(QString, fault);
        QFETCH(bool, succeeds);
        // Every request: the network layer sends a request again once when the board closes.
        QVERIFY(m_board->fault(route, fault, -1));
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        QCOMPARE(query(), succeeds);
        if (succeeds)
            QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfigInvalid);
        else
            QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
        QVERIFY(m_board->clearFaults());
        QVERIFY(query()); // the next exchange runs
    }

    void changePostsTheFormAndRestarts()
    {
        QVERIFY(m_board->setState(QJsonObject{{"password", "second"}}));
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
        // After a query that needed the second password, a change starts with the first again.
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        QVERIFY(m_logic->configChangeInProgress());
        QTRY_COMPARE_WITH_TIMEOUT(m_logic->activeConfig(), MultimediaTypes::VideoConfig720P30FPS, kBoardWait);
        QVERIFY(!startedBeforeReadBack);
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->configChangeInProgress(), kStreamWait);
        QCOMPARE(m_stream.state(), MultimediaTypes::StreamingRunning);
        QVERIFY(m_stream.showsPicture(QSize(1280, 720)));
        QVERIFY(errors.isEmpty());
        QList<QJsonObject> posts = m_board->requestsTo(QStringLiteral("form"));
        QCOMPARE(posts.last().value("body").toString(), QString::fromUtf8(form(10, 6)));
        QCOMPARE(posts.last().value("contentType").toString(), QStringLiteral("application/x-www-form-urlencoded"));
        QVERIFY(posts.last().value("authorised").toBool());
    }

    void failedChangeBringsTheOldModeBack_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("config");
        QTest::addColumn<int>("error");
        QTest::newRow("refused log-in") << "none" << "" << 6 << int(MultimediaTypes::StreamConfigErrorAuthentication);
        QTest::newRow("500") << "first" << "status:500" << 6 << int(MultimediaTypes::StreamConfigErrorTimeOut);
        // A request cut off by the time-out is not a refused log-in.
        QTest::newRow("never answered") << "first" << "no-answer" << 6 << int(MultimediaTypes::StreamConfigErrorTimeOut);
        QTest::newRow("1080p25 empty form") << "first" << "" << 9 << int(MultimediaTypes::StreamConfigErrorTimeOut);
    }

    void failedChangeBringsTheOldModeBack()
    {
        QFETCH(QString, password);
        QFETCH(QString, fault);
        QFETCH(int, config);
        QFETCH(int, error);
        QVERIFY(query());
        QVERIFY(m_stream.run());
        QVERIFY(m_board->setState(QJsonObject{{"password", password}}));
        if (!fault.isEmpty())
            QVERIFY(m_board->fault(QStringLiteral("form"), fault, -1));
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        m_logic->changeActiveConfig(static_cast<VideoConfig>(config));
        QVERIFY(errors.wait(kBoardWait));
        QCOMPARE(int(errorAt(errors, 0)), error);
        QCOMPARE(m_logic->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
        QTRY_COMPARE_WITH_TIMEOUT(m_stream.state(), MultimediaTypes::StreamingRunning, kStreamWait);
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->configChangeInProgress(), kStreamWait);
        QVERIFY(m_stream.showsPicture(QSize(1920, 1080)));
        QCOMPARE(m_board->state().value("mode").toString(), QStringLiteral("1080p30"));
    }

    void streamerGivingUpEndsTheChange()
    {
        QVERIFY(query());
        QVERIFY(m_stream.run());
        QSignalSpy errors(m_logic.get(), &CAbstractVideoStreamConfigLogic::errorOccurred);
        // Broken before the change: the restart may come as soon as the board has answered.
        m_stream.breakNextStart();
        m_logic->changeActiveConfig(MultimediaTypes::VideoConfig720P15FPS);
        QTRY_COMPARE_WITH_TIMEOUT(m_logic->activeConfig(), MultimediaTypes::VideoConfig720P15FPS, kBoardWait);
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), kStreamWait);
        QCOMPARE(errorAt(errors, 0), MultimediaTypes::StreamConfigErrorTimeOut);
        QVERIFY(!m_logic->configChangeInProgress());
        QCOMPARE(m_logic->exchangeState(), quint32(CZPXVideoStreamConfigLogic::ExchangeIdle));
    }
};

QTEST_MAIN(tst_CZPXVideoStreamConfigLogic)
#include "tst_CZPXVideoStreamConfigLogic.moc"
