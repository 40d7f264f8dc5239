// The Hoselux inspection screen controller: its texts and warnings from the library's storages,
// and a whole HX session on loopback (simulated Wi-Fi, the camera simulator and the RTSP test
// peer) in which remote photos and recordings run on the camera and land in the survey.
#include "CameraSimulator.h"
#include "ProjectFixture.h"
#include "RtspPeer.h"

#include "inspection/CHXInspectionScreenController.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CSurveyVideo.h"

#include "CGstMultimediaLibrary.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CHXSystemSession.h"
#include "communication/CSessionManager.h"
#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "flavors/SystemAddresses.h"
#include "hx/CHXConnectionController.h"
#include "hx/CHXQueryLogic.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/PlatformWlan.h"

#include <QFile>
#include <QtTest>

#include <memory>

using namespace Ulx;

namespace {

const QString kSystem = QStringLiteral("tetron+_SN40213");
constexpr int kOnlineWait = 60000;
const QString kSpace = QStringLiteral("Space Remaining: ");

Multimedia::CRemoteMediaDataStorage* media()
{
    return CUlxSystemsLibraryPrivate::instance()->remoteMediaDataStorage();
}

SystemControl::CSystemDataStorage* systemData()
{
    return CUlxSystemsLibraryPrivate::instance()->systemDataStorage();
}

QStringList names(const QList<QList<QVariant>>& emissions)
{
    QStringList result;
    for (const QList<QVariant>& arguments : emissions)
        result.append(arguments.value(0).toString());
    return result;
}

} // namespace

class tst_CHXInspectionScreenController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textsFollowTheCamera_data();
    void textsFollowTheCamera();
    void sessionOnTheCameraSimulator();
};

void tst_CHXInspectionScreenController::initTestCase()
{
    int argc = 0;
    QVERIFY(GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
}

void tst_CHXInspectionScreenController::init()
{
    CUlxSystemsLibrary::initialize();
}

void tst_CHXInspectionScreenController::cleanup()
{
    CUlxSystemsLibrary::finalize();
    Communication::setCameraHttpPort(0);
    Flavors::resetSystemEndpoints();
}

void tst_CHXInspectionScreenController::textsFollowTheCamera_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<uint>("remainingMs");
    QTest::addColumn<uint>("recordingMs");
    QTest::addColumn<QString>("space");
    QTest::addColumn<QString>("recording");

    const qint64 gib = 1024LL * 1024 * 1024;
    QTest::newRow("no recording time left") << 5 * gib << 0u << 0u << kSpace + "-" << QString();
    QTest::newRow("hour and a half") << 5 * gib << 90u * 60000 << 3725499u << kSpace + "5.00 GB (1h 30min)"
                                     << "REC 01:02.05";
    QTest::newRow("half a second rounds up") << qint64(12.34 * gib) << 85u * 60000 + 59999 << 3725500u
                                             << kSpace + "12.34 GB (1h 25min)" << "REC 01:02.06";
    QTest::newRow("under an hour") << gib / 2 << 59u * 60000 << 119600u << kSpace + "0.50 GB (0h 59min)"
                                   << "REC 00:02.00";
    QTest::newRow("seconds carry into the hour") << gib << 5u * 60000 << 3599500u << kSpace + "1.00 GB (0h 5min)"
                                                 << "REC 01:00.00";
}

// Rounding the seconds before the minutes are taken keeps 119.6 s from reading "00:01.60".
void tst_CHXInspectionScreenController::textsFollowTheCamera()
{
    QFETCH(qint64, bytes);
    QFETCH(uint, remainingMs);
    QFETCH(uint, recordingMs);
    QFETCH(QString, space);
    QFETCH(QString, recording);

    CHXInspectionScreenController controller(CBaseInspectionScreenController::Services(), nullptr);
    QCOMPARE(controller.remainingSpace(), kSpace + "-");
    QCOMPARE(controller.currentRecordingTime(), QString());

    // The space text is rebuilt when the recording time changes, not the size alone.
    media()->setAvailableSize(bytes);
    media()->setAvailableVideoRecordingTime(1);
    media()->setAvailableVideoRecordingTime(remainingMs);
    media()->setVideoRecordingTime(recordingMs);
    QTRY_COMPARE(controller.remainingSpace(), space);
    QTRY_COMPARE(controller.currentRecordingTime(), recording);

}

void tst_CHXInspectionScreenController::sessionOnTheCameraSimulator()
{
    RtspPeer rtsp;
    if (!rtsp.start())
        QSKIP("the RTSP test peer did not start");
    CameraSimulator camera;
    // The camera comes up hot and without a card (no news when the screen opens), 10 GiB free.
    if (!camera.start(QJsonObject{{"alert", 0x12}, {"mbytes", 10240}}))
        QSKIP("python3 could not start the camera simulator");

    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    std::shared_ptr<Wlan::CSimulatedWlan> wlan = Wlan::sharedSimulatedWlan();
    Wlan::CSimulatedWlan::Network network;
    network.ssid = kSystem.toUtf8();
    network.key = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyHoselux);
    network.endpoints = {{Flavors::SystemHost::HoseluxCamera, static_cast<quint16>(rtsp.port())}};
    wlan->setNetwork(network);
    auto* networkManager = static_cast<Communication::CWindowsNetworkManager*>(library->networkManager());
    networkManager->setScanInterval(10);
    networkManager->setSignalInterval(50);
    library->setSessionFactory([library](CommunicationTypes::SystemFamily family)
                                   -> Communication::CAbstractSystemSession* {
        if (family != CommunicationTypes::SystemFamilyHoselux)
            return nullptr;
        auto* session = new Communication::CHXSystemSession(
            library->networkManager(), nullptr, library->videoStreamerLogic(), library);
        session->setReconnectInterval(100);
        session->hxController()->queryLogic()->setPollInterval(100);
        return session;
    });

    ProjectFixture fixture;
    QVERIFY(fixture.ready());
    const SurveyProjectPtr project = fixture.openProject(QStringLiteral("Harbour Road"));
    QVERIFY(project);
    CHXInspectionScreenController controller(fixture.services(), nullptr);
    QSignalSpy storage(&controller, &CHXInspectionScreenController::mediaStorageWarningOccurred);
    QSignalSpy temperature(&controller, &CHXInspectionScreenController::temperatureWarningOccurred);
    QSignalSpy photos(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy started(&controller, &CBaseInspectionScreenController::videoRecordingStarted);
    QSignalSpy stopped(&controller, &CBaseInspectionScreenController::videoRecordingStopped);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);

    Communication::CSessionManager* sessions = CUlxSystemsLibrary::sessionManager();
    sessions->connectToSystem(kSystem, false);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOnline, kOnlineWait);
    QCOMPARE(sessions->connectedSystemType(), CommunicationTypes::SystemTypeHoselux);

    // The session sets 1440p30, at which 10 GiB hold 5297 s of video.
    QTRY_COMPARE_WITH_TIMEOUT(controller.remainingSpace(), kSpace + "10.00 GB (1h 28min)", 20000);
    QTRY_COMPARE_WITH_TIMEOUT(temperature.count(), 1, 20000);
    QCOMPARE(storage.count(), 0);

    // The card's states each warn once; Ready says nothing but is remembered. The camera cools
    // down and heats again without a second temperature warning.
    const QList<QPair<int, QString>> alerts{{0x20, "The SD card of the camera is almost full."},
        {0x01, "The SD card of the camera is full."}, {0x00, QString()},
        {0x40, "The camera could not access the SD card properly."}, {0x02, QString()}};
    for (const auto& alert : alerts) {
        const int before = storage.count();
        QVERIFY(camera.setState(QJsonObject{{"alert", alert.first}}));
        if (alert.second.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageReady, 20000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(storage.count(), before + 1, 20000);
            QVERIFY2(names(storage).last().startsWith(alert.second), qPrintable(names(storage).last()));
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(systemData()->cameraTemperatureState(), SystemTypes::TemperatureStateTooHigh, 20000);
    QCOMPARE(storage.count(), 3);
    QVERIFY(camera.setState(QJsonObject{{"alert", 0}}));

    // A photo taken by the camera is filed under the camera's own name.
    controller.takePhoto();
    QVERIFY(photos.wait(30000));
    const QString photoName = photos.at(0).at(0).toString();
    QVERIFY2(photoName.startsWith("IMG") && photoName.endsWith(".JPG"), qPrintable(photoName));
    QVERIFY(!camera.requestsTo("set").isEmpty());

    // A recording on the camera: the running time shows, the video is listed once it starts.
    controller.startVideoRecording();
    QVERIFY(started.wait(30000));
    const QString videoName = started.at(0).at(0).toString();
    QVERIFY2(videoName.startsWith("MOV") && videoName.endsWith(".MP4"), qPrintable(videoName));
    QTRY_VERIFY_WITH_TIMEOUT(controller.currentRecordingTime().startsWith("REC 00:00.0"), 20000);
    controller.stopVideoRecording();
    QVERIFY(stopped.wait(30000));
    QTRY_COMPARE_WITH_TIMEOUT(controller.currentRecordingTime(), QString(), 20000);

    const SurveyProjectPtr stored = fixture.reload();
    QVERIFY(stored);
    const SurveyPtr survey = stored->surveys().first();
    QCOMPARE(survey->pictures().size(), 1);
    QCOMPARE(survey->pictures().first()->path(), "Photos/" + photoName);
    QCOMPARE(survey->videos().size(), 1);
    QCOMPARE(survey->videos().first()->path(), "Videos/" + videoName);

    // A lost link starts a new connection: the hot camera and the missing card warn again, also
    // when the old connection saw them already (their states then stay as they are).
    QVERIFY(camera.setState(QJsonObject{{"alert", 0x12}}));
    QTRY_COMPARE_WITH_TIMEOUT(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageNotAvailable, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(systemData()->cameraTemperatureState(), SystemTypes::TemperatureStateTooHigh, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!storage.isEmpty() && names(storage).last().startsWith("There is currently no SD card"), 20000);
    QCOMPARE(temperature.count(), 1);
    const int storageBefore = storage.count();
    wlan->dropConnection();
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionReestablishing, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOnline, kOnlineWait);
    QTRY_COMPARE_WITH_TIMEOUT(temperature.count(), 2, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(storage.count(), storageBefore + 1, 20000);
    QVERIFY(names(storage).last().startsWith("There is currently no SD card in the camera."));
    QCOMPARE(errors.count(), 0);

    sessions->disconnectFromSystem(false);
    QTRY_COMPARE_WITH_TIMEOUT(sessions->state(), CommunicationTypes::ConnectionOffline, 20000);
    library->setSessionFactory(nullptr);
}

QTEST_MAIN(tst_CHXInspectionScreenController)
#include "tst_CHXInspectionScreenController.moc"
