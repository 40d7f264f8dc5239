// The live inspection screen in the whole application, driven through its QML the way an
// operator drives it: the simulated Wi-Fi network of a ZPX whose command link is the link
// simulator (on a loopback address of this test's own, at the link's fixed port), whose video
// comes from the RTSP test peer and whose encoder board is the ZPX board simulator; positions
// come from an NMEA log. Connecting opens the ZP screen with live video and readouts; zoom,
// light and laser put their frames on the link; the last project is continued; a photo and a
// recording land in the project's folders and in project.xml; disconnecting closes the screen.
// Then a Hoselux of the camera simulator records and takes photos on its card, and a Pelkom
// shows its video in the RVQ screen and the error of a project that cannot be written.
//
// With CX_SHOTS_DIR set, the screen is saved there as PNG files.

// The program is a QGuiApplication: QtTest must not take qApp for a QApplication.
#undef QT_WIDGETS_LIB

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CRemoteGalleryScreenController.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "gallery/GalleryTypes.h"
#include "managers/CGeoPositionSourceManager.h"
#include "startup/CApplication.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"
#include "uiengine/CUiEngine.h"

#include "CRVQLinkSimulator.h"
#include "CameraSimulator.h"
#include "RtspPeer.h"
#include "peers/PeerProcess.h"
#include "support/ApplicationScreenTest.h"
#include "support/LogText.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include "CLogger.h"
#include "CUlxSystemsLibrary.h"
#include "FileReplacement.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHostAddress>
#include <QImageReader>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

namespace {

// A loopback address of this process alone, so that the link's fixed port is free on it.
QString g_address;
int g_rtspPort = 0;
int g_boardPort = 0;
int g_localRtspPort = 0;
QTemporaryDir* g_dir = nullptr;

int freePort(const QString& address)
{
    QTcpServer server;
    if (!server.listen(QHostAddress(address), 0))
        return 0;
    return server.serverPort();
}

QString nmeaSentence(const QString& body)
{
    quint8 sum = 0;
    for (const QChar c : body)
        sum ^= static_cast<quint8>(c.toLatin1());
    return QStringLiteral("$%1*%2\r\n").arg(body).arg(sum, 2, 16, QLatin1Char('0')).toUpper();
}

// Ten minutes of fixes at 48 deg 07.038' N, 11 deg 31.000' E, 545.4 m, one a second.
bool writeNmeaLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < 600; ++i) {
        const QString time = QStringLiteral("10%1%2.00").arg(i / 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        file.write(nmeaSentence(QStringLiteral("GPGGA,%1,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,").arg(time)).toLatin1());
        file.write(nmeaSentence(QStringLiteral("GPRMC,%1,A,4807.0380,N,01131.0000,E,000.0,000.0,071226,,").arg(time)).toLatin1());
    }
    return true;
}

} // namespace

class tst_InspectionScreens : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    std::unique_ptr<CRVQLinkSimulator> m_link;
    std::unique_ptr<RtspPeer> m_rtsp;
    PeerProcess m_board;
    // The Hoselux and Pelkom video comes from a second RTSP peer on 127.0.0.1.
    std::unique_ptr<RtspPeer> m_rtspLocal;
    std::unique_ptr<CameraSimulator> m_camera;
    QString m_projectPath;

    // The Connect button of the start screen's row for a network.
    QString connectButtonFor(const QString& ssid)
    {
        for (int row = 0; row < 10; ++row) {
            const QString name = QStringLiteral("startScreenConnectButton_%1").arg(row);
            QQuickItem* button = item(name);
            QQuickItem* delegate = button && button->parentItem() ? button->parentItem()->parentItem() : nullptr;
            if (delegate && containsText(delegate, ssid))
                return name;
        }
        return QString();
    }

    static bool containsText(QQuickItem* item, const QString& wanted)
    {
        if (item->property("text").toString().contains(wanted))
            return true;
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (containsText(child, wanted))
                return true;
        }
        return false;
    }

    void connectTo(const QString& ssid, const QString& screen)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!connectButtonFor(ssid).isEmpty(), 20000);
        click(connectButtonFor(ssid));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), screen, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.stream.state")).toInt(), 2, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionVideo"))->property("sourceRect").toRectF().width() > 0,
                                 20000);
    }

    void disconnect()
    {
        evaluate(QStringLiteral("system.connection.close(false)"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 20000);
    }

    // Confirms the open message box, which must start with the text.
    void acknowledge(const QString& start)
    {
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 20000);
        QVERIFY2(messageText().startsWith(start), qPrintable(messageText()));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen() || !messageText().startsWith(start));
    }

    QByteArray lastPayload(quint8 id)
    {
        const QList<CRVQLinkSimulator::ReceivedFrame> frames = m_link->receivedFrames(id, 0);
        return frames.isEmpty() ? QByteArray() : frames.last().payload;
    }

    // The checks run in order make on the way what a later one needs; alone, a check makes it
    // itself with these.

    // The ZPX connected, its screen on top.
    void onTheZPScreen()
    {
        if (topScreenName() == QLatin1String("ZPInspectionScreen"))
            return;
        if (topScreenName() != QLatin1String("StartScreen"))
            disconnect();
        connectTo(QStringLiteral("Zephira_SN10421"), QStringLiteral("ZPInspectionScreen"));
    }

    // The last project of a previous run on the disk.
    void projectOnDisk()
    {
        if (m_projectPath.isEmpty())
            lastProjectIsOnDisk();
    }

    // The project continued in a session, and still current once that session ended.
    void projectCurrent()
    {
        projectOnDisk();
        if (CApplication::instance()->appRuntimeData()->projectSelected())
            return;
        onTheZPScreen();
        click(QStringLiteral("inspectionContinueProject"));
        QTRY_COMPARE_WITH_TIMEOUT(text(QStringLiteral("inspectionProjectName")), QStringLiteral("Project: Main Street"),
                                  10000);
        disconnect();
    }

    // The current project holding a photo of a session.
    void projectWithAPhoto()
    {
        projectCurrent();
        if (projectXml().contains("Photos/"))
            return;
        onTheZPScreen();
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 20000);
        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_VERIFY_WITH_TIMEOUT(projectXml().contains("Photos/"), 20000);
        disconnect();
    }

    QByteArray projectXml()
    {
        QFile file(m_projectPath + QStringLiteral("project.xml"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();

        m_link = std::make_unique<CRVQLinkSimulator>();
        m_link->setHardwareId(QStringLiteral("ZPX_1.0 V01"));
        QVERIFY2(m_link->listen(QHostAddress(g_address), 5000), qPrintable(g_address));
        m_rtsp = std::make_unique<RtspPeer>(QStringList{QStringLiteral("--address"), g_address, QStringLiteral("--port"),
                                                        QString::number(g_rtspPort), QStringLiteral("--width"),
                                                        QStringLiteral("640"), QStringLiteral("--height"),
                                                        QStringLiteral("360"), QStringLiteral("--fps"), QStringLiteral("30")});
        if (!m_rtsp->start())
            QSKIP("the RTSP test peer did not start");
        m_rtspLocal = std::make_unique<RtspPeer>(QStringList{QStringLiteral("--port"), QString::number(g_localRtspPort),
                                                             QStringLiteral("--width"), QStringLiteral("640"),
                                                             QStringLiteral("--height"), QStringLiteral("360")});
        if (!m_rtspLocal->start())
            QSKIP("the RTSP test peer did not start on 127.0.0.1");
        if (m_board.start(QStringLiteral("python3"),
                          {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/encoder-boards/zpx_board_sim.py"),
                           QStringLiteral("--address"), g_address, QStringLiteral("--port"), QString::number(g_boardPort)})
            != g_boardPort)
            QSKIP("python3 could not start the ZPX board simulator");

        setWindow(ApplicationScreenTest::waitForMainWindow(30000));
        QVERIFY2(window(), "the main window did not load");
        QTRY_COMPARE(topScreenName(), QStringLiteral("InitialWarningScreen"));
        click(QStringLiteral("initialWarningOk"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        m_board.stop();
        m_camera.reset();
        m_rtspLocal.reset();
        m_rtsp.reset();
        m_link.reset();
    }

    // A project with one survey, remembered as the last one, as a previous run leaves it.
    void lastProjectIsOnDisk()
    {
        CProjectService* projects = CApplication::instance()->projectService();
        QSignalSpy created(projects, &CProjectService::projectCreated);
        projects->createProject(QStringLiteral("Main Street"), QStringLiteral("en"), ProjectTypes::DistanceUnitMetric,
                                QDir::homePath() + QStringLiteral("/Projects/"));
        QVERIFY(created.wait(10000));
        const auto project = created.at(0).at(2).value<SurveyProjectPtr>();
        QVERIFY(project);
        m_projectPath = created.at(0).at(1).toString();
        if (!m_projectPath.endsWith(QLatin1Char('/')))
            m_projectPath += QLatin1Char('/');
        project->addSurvey(std::make_shared<CSurvey>());
        QSignalSpy saved(projects, &CProjectService::projectSaved);
        projects->saveProject(project);
        QVERIFY(saved.wait(10000));
        CApplication::instance()->appRuntimeData()->setLastProject(QStringLiteral("Main Street"), m_projectPath);
    }

    void connectingOpensTheZPScreenWithLiveVideo()
    {
        // Frames reach the video output: it knows the picture's size.
        connectTo(QStringLiteral("Zephira_SN10421"), QStringLiteral("ZPInspectionScreen"));
        QCOMPARE(evaluate(QStringLiteral("system.connection.connectedSystemType")).toInt(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!text(QStringLiteral("inspectionZoomFactorValue")).isEmpty()
                                     && item(QStringLiteral("inspectionZoomFactor"))->isVisible(),
                                 20000);
        QTRY_VERIFY(item(QStringLiteral("inspectionInclination"))->isVisible());
        QVERIFY(item(QStringLiteral("inspectionLaserOption"))->isVisible());
        shoot(QStringLiteral("zp-screen"));
    }

    void zoomLightAndLaserPutTheirFramesOnTheLink()
    {
        onTheZPScreen();
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionZoomIn"))->isVisible(), 10000);
        QVERIFY(waitForFrame());
        const QPoint zoomIn = centreOf(item(QStringLiteral("inspectionZoomIn")));
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, zoomIn);
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(17), QByteArray(1, char(50)), 10000);
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, zoomIn);
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(17), QByteArray(1, char(0)), 10000);

        // A tap moves the zoom one step: out, then stopped, both on the link.
        const int zoomFramesBefore = m_link->receivedFrames(17, 0).size();
        click(QStringLiteral("inspectionZoomOut"));
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(17), QByteArray(1, char(0)), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(m_link->receivedFrames(17, 0).size() >= zoomFramesBefore + 2, 10000);
        bool steppedOut = false;
        const QList<CRVQLinkSimulator::ReceivedFrame> zoomFrames = m_link->receivedFrames(17, 0);
        for (int i = zoomFramesBefore; i < zoomFrames.size(); ++i)
            steppedOut = steppedOut || zoomFrames.at(i).payload == QByteArray(1, char(-50));
        QVERIFY2(steppedOut, "a tap on zoom out sent no zoom speed");
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(17), QByteArray(1, char(0)), 10000);

        const int light = evaluate(QStringLiteral("system.control.lightIntensity")).toInt();
        QVERIFY(light <= 90);
        click(QStringLiteral("inspectionLightUp"));
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(38), QByteArray(1, char(light + 10)), 10000);
        QTRY_COMPARE(text(QStringLiteral("inspectionLightIntensityValue")), QStringLiteral("%1%").arg(light + 10));

        click(QStringLiteral("inspectionLaserOption"));
        QTRY_COMPARE_WITH_TIMEOUT(lastPayload(44), QByteArray(1, char(1)), 10000);
        // The laser's distance comes back as a readout and as the measured band on the scale.
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionMeasuredBand"))->isVisible(), 10000);
        QVERIFY(item(QStringLiteral("inspectionDistanceScale"))->isVisible());
        shoot(QStringLiteral("zp-laser"));
    }

    // The camera's error log opens from the screen while connected and shows each record's
    // time and code in their own columns.
    void errorLogOpensWhileConnected()
    {
        onTheZPScreen();
        m_link->setErrorRecords(CRVQLinkSimulator::errorRecord(300, 11) + CRVQLinkSimulator::errorRecord(12, 94)
                                + CRVQLinkSimulator::errorRecord(65535, 21));
        click(QStringLiteral("inspectionErrorLog"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ErrorLogScreen"));
        QTRY_COMPARE_WITH_TIMEOUT(item(QStringLiteral("errorLogList"))->property("count").toInt(), 3, 10000);
        QVERIFY(waitForFrame());
        const QStringList times{QStringLiteral("300"), QStringLiteral("12"), QStringLiteral("65535")};
        // The codes as the program numbers them: pressure low, UART 4, light temperature high.
        const QStringList codes{QStringLiteral("2"), QStringLiteral("9"), QStringLiteral("5")};
        for (int row = 0; row < times.size(); ++row) {
            QCOMPARE(text(QStringLiteral("errorLogTime_%1").arg(row)), times.at(row));
            QCOMPARE(text(QStringLiteral("errorLogCode_%1").arg(row)), codes.at(row));
        }
        QCOMPARE(text(QStringLiteral("errorLogMessage_0")), QStringLiteral("Pressure Too Low"));
        shoot(QStringLiteral("zp-error-log"));
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ZPInspectionScreen"));
    }

    void continuedProjectGetsPhotoAndRecording()
    {
        projectOnDisk();
        onTheZPScreen();
        QTRY_VERIFY(item(QStringLiteral("inspectionContinueProject"))->isVisible());
        click(QStringLiteral("inspectionContinueProject"));
        QTRY_COMPARE_WITH_TIMEOUT(text(QStringLiteral("inspectionProjectName")), QStringLiteral("Project: Main Street"),
                                  10000);
        QTRY_VERIFY(text(QStringLiteral("inspectionSurveyName")).startsWith(QStringLiteral("Survey: ")));
        QTRY_VERIFY_WITH_TIMEOUT(CApplication::instance()->geoPositionSourceManager()->lastKnownPosition().isValid(),
                                 20000);

        // A photo: JPEG by the setting, in Photos/, listed with its position.
        QTRY_VERIFY(item(QStringLiteral("inspectionPhotoButton"))->isEnabled());
        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Photo saved: ")),
                                 20000);
        const QString photo = text(QStringLiteral("inspectionMessage")).mid(13);
        QVERIFY2(photo.endsWith(QStringLiteral(".jpg")), qPrintable(photo));
        QVERIFY(QFile::exists(m_projectPath + QStringLiteral("Photos/") + photo));
        QTRY_VERIFY_WITH_TIMEOUT(projectXml().contains(photo.toUtf8()), 10000);
        QVERIFY2(projectXml().contains("48.1173"), projectXml().constData());
        shoot(QStringLiteral("zp-photo"));

        // A recording in Videos/, listed once it started; stopped when the file holds video.
        click(QStringLiteral("inspectionRecordButton"));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.recorder.state")).toInt(), 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Recording: ")),
                                 10000);
        const QString video = text(QStringLiteral("inspectionMessage")).mid(11);
        QVERIFY2(video.endsWith(QStringLiteral(".mp4")), qPrintable(video));
        const QString videoPath = m_projectPath + QStringLiteral("Videos/") + video;
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(videoPath).size() > 100000, 30000);
        QCOMPARE(text(QStringLiteral("inspectionRecordButton")), QStringLiteral("Stop"));
        shoot(QStringLiteral("zp-recording"));
        click(QStringLiteral("inspectionRecordButton"));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.recorder.state")).toInt(), 0, 20000);
        QVERIFY(QFileInfo(videoPath).size() > 100000);
        QTRY_VERIFY_WITH_TIMEOUT(projectXml().contains(video.toUtf8()), 10000);

        // The survey's gallery opens from the screen and lists the new photo and video.
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionSurveyGallery"))->isEnabled(), 10000);
        click(QStringLiteral("inspectionSurveyGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyGalleryScreen"));
        QTRY_VERIFY(evaluate(QStringLiteral("ScreenManager.currentScreen.controller.surveyMediaListModel.rowCount()"))
                        .toInt() >= 2);
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ZPInspectionScreen"));
    }

    // The picture stops while the video mode changes; the screen says so until the stream is
    // back in the new mode, and takes no photo or recording meanwhile, which would be lost.
    void streamModeChangeIsShown()
    {
        onTheZPScreen();
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.config.supportsConfigChange")).toBool(), 10000);
        QQuickItem* notice = item(QStringLiteral("inspectionStreamModeChanging"));
        QQuickItem* photo = item(QStringLiteral("inspectionPhotoButton"));
        QQuickItem* record = item(QStringLiteral("inspectionRecordButton"));
        QVERIFY(notice && photo && record);
        QVERIFY(!notice->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(photo->isEnabled() && record->isEnabled(), 10000);
        QSignalSpy shown(notice, &QQuickItem::visibleChanged);
        // The stream runs again a moment before the change is over: the buttons wait for both.
        QObject watch;
        bool enabledDuringChange = false;
        for (QQuickItem* button : {photo, record}) {
            connect(button, &QQuickItem::enabledChanged, &watch, [&, button] {
                if (button->isEnabled() && evaluate(QStringLiteral("liveVideo.config.configChangeInProgress")).toBool())
                    enabledDuringChange = true;
            });
        }
        const int resolution = evaluate(QStringLiteral("liveVideo.config.activeResolution")).toInt();
        click(resolution == 4 ? QStringLiteral("inspectionStreamMode_0") : QStringLiteral("inspectionStreamMode_1"));
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 1, 10000);
        QVERIFY(notice->isVisible());
        QVERIFY(!photo->isEnabled());
        QVERIFY(!record->isEnabled());
        shoot(QStringLiteral("zp-stream-mode-changing"));
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 2 && !notice->isVisible(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.stream.state")).toInt(), 2, 30000);
        QVERIFY(evaluate(QStringLiteral("liveVideo.config.activeResolution")).toInt() != resolution);
        QTRY_VERIFY(photo->isEnabled() && record->isEnabled());
        QVERIFY(!enabledDuringChange);
    }

    void disconnectingClosesTheScreen()
    {
        onTheZPScreen();
        evaluate(QStringLiteral("system.connection.close(false)"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 20000);
        QCOMPARE(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), 1);
        // The closed screen cleared the media folders.
        QTRY_COMPARE(evaluate(QStringLiteral("appRuntimeData.photoDirectory")).toString(), QString());
    }

    // The screen that closed cleared the media folders; the project is still current, so the
    // next session's photo goes into its Photos/ folder again.
    void nextSessionKeepsTheProjectFolders()
    {
        projectCurrent();
        connectTo(QStringLiteral("Zephira_SN10421"), QStringLiteral("ZPInspectionScreen"));
        QTRY_COMPARE(text(QStringLiteral("inspectionProjectName")), QStringLiteral("Project: Main Street"));
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 10000);
        const QDir photos(m_projectPath + QStringLiteral("Photos/"));
        const int before = photos.entryList(QDir::Files).size();
        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Photo saved: ")),
                                 20000);
        const QString photo = text(QStringLiteral("inspectionMessage")).mid(13);
        QCOMPARE(photos.entryList(QDir::Files).size(), before + 1);
        QVERIFY2(photos.exists(photo), qPrintable(photo));
        QTRY_VERIFY_WITH_TIMEOUT(projectXml().contains(photo.toUtf8()), 10000);
        disconnect();
    }

    // The system's link drops and does not come back while its Wi-Fi stays: the session ends
    // saying the camera system could not be reached, not that its Wi-Fi failed.
    void lostLinkEndsTheSessionNamingTheLink()
    {
        connectTo(QStringLiteral("Zephira_SN10421"), QStringLiteral("ZPInspectionScreen"));
        m_link.reset();
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 40000);
        acknowledge(QStringLiteral("Could not connect to the camera system."));
        m_link = std::make_unique<CRVQLinkSimulator>();
        m_link->setHardwareId(QStringLiteral("ZPX_1.0 V01"));
        QVERIFY(m_link->listen(QHostAddress(g_address), 5000));
    }

    // The Hoselux camera takes photos and records on its card: the space and the running time
    // show, the card's warnings come in message boxes, the photo is filed under the camera's name.
    void hoseluxScreenRunsTheCamera()
    {
        projectCurrent();
        m_camera = std::make_unique<CameraSimulator>();
        if (!m_camera->start(QJsonObject(), true))
            QSKIP("python3 could not start the camera simulator with GStreamer media");
        connectTo(QStringLiteral("tetron+_SN30562"), QStringLiteral("HXInspectionScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionRemainingSpaceValue")).startsWith("Space Remaining: ")
                                     && text(QStringLiteral("inspectionRemainingSpaceValue")).endsWith("min)"),
                                 20000);
        QVERIFY(m_camera->setState(QJsonObject{{"alert", 0x20}}));
        acknowledge(QStringLiteral("The SD card of the camera is almost full."));
        QVERIFY(m_camera->setState(QJsonObject{{"alert", 0}}));

        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionRecordButton"))->isEnabled(), 20000);
        click(QStringLiteral("inspectionRecordButton"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionRecordingTimeValue")).startsWith("REC 00:00.0"), 30000);
        QVERIFY(item(QStringLiteral("inspectionRecordingTime"))->isVisible());
        QCOMPARE(text(QStringLiteral("inspectionRecordButton")), QStringLiteral("Stop"));
        shoot(QStringLiteral("hx-recording"));
        click(QStringLiteral("inspectionRecordButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!item(QStringLiteral("inspectionRecordingTime"))->isVisible(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 30000);

        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Photo saved: IMG")),
                                 30000);
        const QString photo = text(QStringLiteral("inspectionMessage")).mid(13);
        QTRY_VERIFY_WITH_TIMEOUT(projectXml().contains(photo.toUtf8()), 10000);

        // The survey gallery reads the camera's list itself: the photo shows as on the camera,
        // never as missing, and downloads from there as a real JPEG with a normal file mode.
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionSurveyGallery"))->isEnabled(), 10000);
        click(QStringLiteral("inspectionSurveyGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyGalleryScreen"));
        auto* media = qobject_cast<QAbstractItemModel*>(
            evaluate(QStringLiteral("ScreenManager.currentScreen.controller.surveyMediaListModel")).value<QObject*>());
        QVERIFY(media);
        const int nameRole = media->roleNames().key("modelData_FileName");
        const int stateRole = media->roleNames().key("modelData_FileState");
        const auto stateOfPhoto = [&]() {
            for (int row = 0; row < media->rowCount(); ++row) {
                if (media->index(row, 0).data(nameRole).toString() == photo)
                    return media->index(row, 0).data(stateRole).toInt();
            }
            return -1;
        };
        QCOMPARE(stateOfPhoto(), int(GalleryTypes::FileStateStoredRemotely));
        Ulx::Multimedia::CRemoteMediaStorage* storage = Ulx::CUlxSystemsLibrary::remoteMediaStorage();
        QTRY_COMPARE_WITH_TIMEOUT(storage->fileListState(), Ulx::RemoteMediaTypes::FileListStateReady, 20000);
        QVERIFY(!storage->fileList().isEmpty());
        QCOMPARE(stateOfPhoto(), int(GalleryTypes::FileStateStoredRemotely));
        shoot(QStringLiteral("hx-survey-gallery-on-camera"));
        evaluate(QStringLiteral("ScreenManager.currentScreen.openFile(0, '', '%1', 0, %2)")
                     .arg(photo)
                     .arg(int(GalleryTypes::FileStateStoredRemotely)));
        answerMessage(true);
        QTRY_COMPARE_WITH_TIMEOUT(stateOfPhoto(), int(GalleryTypes::FileStateStoredLocally), 30000);
        const QString downloaded = m_projectPath + QStringLiteral("Photos/") + photo;
        QVERIFY2(QImageReader(downloaded).canRead(), qPrintable(downloaded));
        QFile saved(m_projectPath + QStringLiteral("Photos/saved.txt"));
        QVERIFY(saved.open(QIODevice::WriteOnly));
        saved.close();
        QCOMPARE(QFile::permissions(downloaded), saved.permissions());
        QVERIFY(saved.remove());
        // The download screen tells the outcome; its OK leads back to the gallery.
        QCOMPARE(answerMessageText(), QStringLiteral("1 files downloaded."));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyGalleryScreen"));
        evaluate(QStringLiteral("ScreenManager.back()"));
        if (messageOpen())
            answerMessage(true);
        QTRY_COMPARE(topScreenName(), QStringLiteral("HXInspectionScreen"));

        // The camera's own gallery opens from the screen and lists what is on the card.
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionCameraGallery"))->isEnabled(), 10000);
        click(QStringLiteral("inspectionCameraGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("ScreenManager.currentScreen.controller.galleryModel.rowCount()")).toInt() > 0, 20000);
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("HXInspectionScreen"));
        disconnect();
        m_camera.reset();
    }

    // A Pelkom shows its live video in the RVQ screen. With project.xml unwritable (a folder in
    // its place) a photo stays on disk and the project's error is shown.
    void pelkomScreenShowsVideoAndProjectErrors()
    {
        projectCurrent();
        connectTo(QStringLiteral("Pelkom4711"), QStringLiteral("RVQInspectionScreen"));
        QCOMPARE(evaluate(QStringLiteral("system.connection.connectedSystemType")).toInt(), 6);
        QVERIFY(!item(QStringLiteral("inspectionZoomIn"))->isVisible());
        shoot(QStringLiteral("rvq-pelkom"));

        const QDir photos(m_projectPath + QStringLiteral("Photos/"));
        const int before = photos.entryList(QDir::Files).size();
        QDir project(m_projectPath);
        QVERIFY(project.rename(QStringLiteral("project.xml"), QStringLiteral("project.xml.kept")));
        QVERIFY(project.mkdir(QStringLiteral("project.xml")));
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 10000);
        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 20000);
        QVERIFY(!messageText().isEmpty());
        shoot(QStringLiteral("rvq-project-error"));
        click(QStringLiteral("messageBoxOk"));
        QTRY_COMPARE(photos.entryList(QDir::Files).size(), before + 1);
        QVERIFY(project.rmdir(QStringLiteral("project.xml")));
        QVERIFY(project.rename(QStringLiteral("project.xml.kept"), QStringLiteral("project.xml")));
        disconnect();
        QCOMPARE(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), 1);
    }

    // The project the sessions left current shows on the start screen and closes from there:
    // saved to disk, and no longer current.
    void startScreenClosesTheCurrentProject()
    {
        projectWithAPhoto();
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        QVERIFY(runtime->projectSelected());
        const auto onDisk = [this] {
            qint64 total = 0;
            for (QDirIterator it(m_projectPath, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
                it.next();
                total += it.fileInfo().size();
            }
            return total;
        };
        const auto listedSize = [this] {
            const QVector<CLocalProjectInfo> list = CApplication::instance()->projectService()->projectList();
            for (const CLocalProjectInfo& info : list) {
                if (QDir(info.path()) == QDir(m_projectPath))
                    return info.size();
            }
            return qint64(-1);
        };
        // The sessions' photos and videos made the open project bigger: the project list
        // shows what is on disk, not the size it had when the program started.
        click(QStringLiteral("startScreenProjectsButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ProjectListScreen"));
        QTRY_COMPARE_WITH_TIMEOUT(listedSize(), onDisk(), 10000);
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));

        QTRY_VERIFY(item(QStringLiteral("startScreenProjectPanel"))->isVisible());
        QCOMPARE(text(QStringLiteral("startScreenProjectName")), QStringLiteral("Current project: Main Street"));
        shoot(QStringLiteral("start-current-project"));
        const QByteArray before = projectXml();
        click(QStringLiteral("startScreenCloseProjectButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!runtime->projectSelected(), 20000);
        QTRY_VERIFY(!item(QStringLiteral("startScreenProjectPanel"))->isVisible());
        // Closing kept what the sessions wrote, and the list has the size on disk.
        QVERIFY(projectXml().size() >= before.size());
        QVERIFY(projectXml().contains("Photos/"));
        QTRY_COMPARE_WITH_TIMEOUT(listedSize(), onDisk(), 10000);
    }

    // Working with plain folders, the screen's gallery is the simple gallery of the media
    // folders.
    void plainFoldersOpenTheSimpleGallery()
    {
        CSettings* settings = CApplication::instance()->settings();
        settings->setWorkType(CSettings::WorkWithDefaultDirectories);
        const QString folder = QDir::homePath() + QStringLiteral("/Pictures/Field/");
        QVERIFY(QDir().mkpath(folder));
        QImage kept(64, 48, QImage::Format_RGB32);
        kept.fill(Qt::darkGreen);
        QVERIFY(kept.save(folder + QStringLiteral("kept.jpg")));
        CApplication::instance()->appRuntimeData()->setLastPhotoFolder(folder);
        connectTo(QStringLiteral("Pelkom4711"), QStringLiteral("RVQInspectionScreen"));
        QVERIFY(!item(QStringLiteral("inspectionSurveyGallery"))->isVisible());
        click(QStringLiteral("inspectionFolderGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SimpleGalleryScreen"));
        QTRY_COMPARE(evaluate(QStringLiteral("ScreenManager.currentScreen.controller.directory")).toString(), folder);
        QTRY_VERIFY(evaluate(QStringLiteral("ScreenManager.currentScreen.controller.galleryModel.rowCount()")).toInt() >= 1);
        shoot(QStringLiteral("rvq-simple-gallery"));
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RVQInspectionScreen"));
        disconnect();
        settings->setWorkType(CSettings::WorkWithProjects);
    }

    // Watching a Pelkom without projects: the photo folder is asked for once, and the next
    // photo of the session goes into the same folder without asking again.
    void withoutProjectsThePhotoFolderIsAskedOnce()
    {
        CSettings* settings = CApplication::instance()->settings();
        const CSettings::WorkType workType = settings->workType();
        settings->setWorkType(CSettings::WorkWithDefaultDirectories);
        const QDir folder(g_dir->filePath(QStringLiteral("watched")));
        QVERIFY(folder.mkpath(QStringLiteral(".")));

        QTRY_VERIFY_WITH_TIMEOUT(!connectButtonFor(QStringLiteral("Pelkom4711")).isEmpty(), 20000);
        QQuickItem* watch = item(connectButtonFor(QStringLiteral("Pelkom4711")))->parentItem()->childItems().first();
        QVERIFY(watch->isVisible());
        QVERIFY(tryClick(watch));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("RVQInspectionScreen"), 30000);
        // A photo is taken from a shown frame.
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("liveVideo.stream.state")).toInt(), 2, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionVideo"))->property("sourceRect").toRectF().width() > 0,
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 20000);

        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("FileSelectionScreen"));
        evaluate(QStringLiteral("ScreenManager.close('%1')").arg(folder.absolutePath()));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RVQInspectionScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(folder.entryList(QDir::Files).size() == 1 || messageOpen(), 20000);
        QVERIFY2(!messageOpen(), qPrintable(messageText()));
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Photo saved: ")),
                                 20000);
        // The next photo can be taken once the first one is done.
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionPhotoButton"))->isEnabled(), 20000);

        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_COMPARE_WITH_TIMEOUT(folder.entryList(QDir::Files).size(), 2, 20000);
        QCOMPARE(topScreenName(), QStringLiteral("RVQInspectionScreen"));
        QCOMPARE(CApplication::instance()->appRuntimeData()->lastPhotoFolder(), folder.absolutePath() + QLatin1Char('/'));
        shoot(QStringLiteral("rvq-watch-second-photo"));
        disconnect();
        settings->setWorkType(workType);
    }
    // A second tap while a photo is stored (on a slow card that takes seconds) is not lost
    // without a word: the button shows the photo being stored and takes no tap until it is;
    // a photo asked for meanwhile is refused in the log. Then the next one is taken.
    void theButtonWaitsWhileAPhotoIsStored()
    {
        connectTo(QStringLiteral("Pelkom4711"), QStringLiteral("RVQInspectionScreen"));
        QQuickItem* button = item(QStringLiteral("inspectionPhotoButton"));
        QVERIFY(button);
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        QCOMPARE(button->property("text").toString(), QStringLiteral("Photo"));
        QSemaphore held;
        QAtomicInt syncs;
        QString heldPhoto;
        // Only the photos' copies count (".<name>.jpg.replacing.<six>").
        FileReplacement::setSyncObserver([&](const QString& path) {
            if (!path.contains(QLatin1String(".jpg.replacing.")))
                return;
            if (syncs.fetchAndAddOrdered(1) == 0) {
                heldPhoto = path;
                held.tryAcquire(1, 60000);
            }
        });
        const auto release = qScopeGuard([&held] {
            held.release(10);
            FileReplacement::setSyncObserver(nullptr);
        });
        const QString logFile = queryProjectRootPath() + QStringLiteral("Culvertix.log");
        takeLogText(logFile);

        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_COMPARE_WITH_TIMEOUT(syncs.loadAcquire(), 1, 20000);
        QTRY_VERIFY(!button->isEnabled());
        QCOMPARE(button->property("text").toString(), QStringLiteral("Storing photo..."));
        shoot(QStringLiteral("rvq-storing-photo"));
        QVERIFY(waitForFrame());
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, centreOf(button));
        const QString refused = QDir(g_dir->path()).filePath(QStringLiteral("refused.jpg"));
        evaluate(QStringLiteral("ScreenManager.currentScreen.controller.takePhoto('%1')").arg(refused));
        QVERIFY(takeLogText(logFile).contains(QStringLiteral("refused, a still is being stored")));

        held.release();
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        QCOMPARE(button->property("text").toString(), QStringLiteral("Photo"));
        QTRY_VERIFY_WITH_TIMEOUT(text(QStringLiteral("inspectionMessage")).startsWith(QStringLiteral("Photo saved: ")),
                                 20000);
        QVERIFY(!QFile::exists(refused));
        QCOMPARE(syncs.loadAcquire(), 1);
        QVERIFY2(heldPhoto.contains(text(QStringLiteral("inspectionMessage")).mid(13)), qPrintable(heldPhoto));
        click(QStringLiteral("inspectionPhotoButton"));
        QTRY_COMPARE_WITH_TIMEOUT(syncs.loadAcquire(), 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 20000);
        disconnect();
    }

    // The camera goes while the download screen tells of a failed download: the session ends
    // and closes the screens, and the camera's error waits behind that message. The answer to
    // the message of the closed screen goes nowhere, and the camera's error follows at once,
    // not with the next message of another screen.
    void aClosedScreensMessageHoldsNothingBack()
    {
        m_camera = std::make_unique<CameraSimulator>();
        if (!m_camera->start(QJsonObject(), true))
            QSKIP("python3 could not start the camera simulator with GStreamer media");
        const auto cameraGone = qScopeGuard([this] { m_camera.reset(); });
        for (const char* name : {"/SD/DCIM/100MEDIA/CUT0001.JPG", "/SD/DCIM/100MEDIA/CUT0002.JPG"})
            QVERIFY(m_camera->addFile(QJsonObject{{"path", name}, {"format", "jpeg"}, {"size", 200000}}));
        connectTo(QStringLiteral("tetron+_SN30562"), QStringLiteral("HXInspectionScreen"));
        // The first file arrives, the second breaks off.
        QVERIFY(m_camera->setFaults(QJsonObject{
            {"file", QJsonArray{QJsonObject{{"fault", "slow"}, {"count", 1}}, QJsonObject{{"fault", "404"}, {"count", -1}}}}}));

        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("inspectionCameraGallery"))->isEnabled(), 20000);
        click(QStringLiteral("inspectionCameraGallery"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        auto* gallery = topScreen()->findChild<CRemoteGalleryScreenController*>();
        QVERIFY(gallery);
        QSet<int> ticked;
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     ticked.clear();
                                     const auto files = gallery->dataProvider()->files();
                                     for (int i = 0; i < files.size(); ++i) {
                                         if (files.at(i).fileName().startsWith(QLatin1String("CUT")))
                                             ticked.insert(i);
                                     }
                                     return ticked.size() == 2;
                                 }()),
                                 20000);
        gallery->sectionModel()->setSelectedFileIndices(ticked);
        QCOMPARE(gallery->selectionCount(), 2);
        click(QStringLiteral("remoteGalleryDownload"));
        QTRY_VERIFY_WITH_TIMEOUT(topScreenName() == QLatin1String("MediaDownloadScreen")
                                     || topScreenName() == QLatin1String("FileSelectionScreen"),
                                 20000);
        if (topScreenName() == QLatin1String("FileSelectionScreen")) {
            const QString folder = QDir(g_dir->path()).filePath(QStringLiteral("from-the-camera"));
            QVERIFY(QDir().mkpath(folder));
            evaluate(QStringLiteral("ScreenManager.close('%1')").arg(folder));
        }
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("MediaDownloadScreen"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 30000);
        const QString failed = messageText();
        QVERIFY2(failed.contains(QStringLiteral("CUT0002.JPG")), qPrintable(failed));

        // The operator has not answered yet when the camera goes.
        m_camera->stop();
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 60000);
        QCOMPARE(depth(), 1);
        QVERIFY(messageOpen());
        QCOMPARE(messageText(), failed);
        shoot(QStringLiteral("closed-screens-message"));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), 10000);
        QVERIFY2(messageText().startsWith(QStringLiteral("Could not connect to the camera system.")),
                 qPrintable(messageText()));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen());
        QCOMPARE(topScreenName(), QStringLiteral("StartScreen"));
        // The next message anywhere is that one alone.
        evaluate(QStringLiteral("MessageBox.error('', 'The next one')"));
        QCOMPARE(answerMessageText(), QStringLiteral("The next one"));
        QVERIFY(!messageOpen());
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    g_dir = &dir;
    const int pid = static_cast<int>(::getpid());
    g_address = QStringLiteral("127.%1.%2.%3").arg(100 + pid % 100).arg((pid / 100) % 250).arg(7 + pid % 3);
    g_rtspPort = freePort(g_address);
    g_boardPort = freePort(g_address);
    g_localRtspPort = freePort(QStringLiteral("127.0.0.1"));
    if (g_rtspPort == 0 || g_boardPort == 0 || g_rtspPort == g_boardPort) {
        qWarning("FAIL: no free ports on %s", qPrintable(g_address));
        return 1;
    }
    const QString scenario = QStringLiteral(
        "{ \"interfaces\": [ { \"description\": \"Simulated Wi-Fi Adapter\" } ],"
        "  \"networks\": [ { \"ssid\": \"Zephira_SN10421\", \"authentication\": \"WPA2PSK\", \"encryption\": \"AES\","
        "    \"key\": \"40617295\", \"rssi\": -48, \"joinLatencyMs\": 100, \"address\": \"%1\","
        "    \"rtspPorts\": { \"ZephiraVideoServer\": %2 }, \"boardPorts\": { \"ZPXEncoderBoard\": %3 } },"
        "  { \"ssid\": \"tetron+_SN30562\", \"authentication\": \"WPA2PSK\", \"encryption\": \"AES\","
        "    \"key\": \"8305172946\", \"rssi\": -55, \"joinLatencyMs\": 100, \"address\": \"127.0.0.1\","
        "    \"rtspPorts\": { \"HoseluxCamera\": %4 } },"
        "  { \"ssid\": \"Pelkom4711\", \"rssi\": -67, \"joinLatencyMs\": 100, \"address\": \"127.0.0.1\","
        "    \"rtspPorts\": { \"PelkomVideoServer\": %4 } } ] }")
                                 .arg(g_address)
                                 .arg(g_rtspPort)
                                 .arg(g_boardPort)
                                 .arg(g_localRtspPort);
    QFile scenarioFile(dir.filePath(QStringLiteral("scenario.json")));
    if (!scenarioFile.open(QIODevice::WriteOnly) || scenarioFile.write(scenario.toUtf8()) < 0)
        return 1;
    scenarioFile.close();
    const QString nmea = dir.filePath(QStringLiteral("positions.nmea"));
    if (!writeNmeaLog(nmea))
        return 1;
    qputenv("CX_WLAN_SCENARIO", scenarioFile.fileName().toUtf8());
    qputenv("CX_NMEA_LOG", nmea.toUtf8());
    // Stored settings: projects, JPEG photos, no initial set-up.
    {
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        store.beginGroup(QStringLiteral("Settings"));
        store.setValue(QStringLiteral("Version"), 1);
        store.setValue(QStringLiteral("WorkType"), 0);
        store.setValue(QStringLiteral("PhotoFileFormat"), 1);
        store.setValue(QStringLiteral("AutoPauseDelay"), 120);
    }
    Tovrin::Logging::CLogger::setPrintToConsole(false);

    return ApplicationScreenTest::runInApplication<tst_InspectionScreens>(argc, argv);
}

#include "tst_InspectionScreens.moc"
