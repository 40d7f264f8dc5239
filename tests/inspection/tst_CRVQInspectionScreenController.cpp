// The stream-recording inspection screen controllers (Gullyrover, Pelkom and the Zephira
// types): photos grabbed from and videos recorded off the live stream of the RTSP test peer are
// filed into a real project, and the Zephira distance values follow the system's readouts.
#include "ProjectFixture.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"

#include "helpers/DistanceUnits.h"
#include "inspection/CRVQInspectionScreenController.h"
#include "inspection/CZPInspectionScreenController.h"
#include "messages/TranslationHelper.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/ProjectErrorMessages.h"

#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CVideoRecorder.h"
#include "multimedia/CVideoStreamer.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include <QFile>
#include <QFileInfo>
#include <QGeoPositionInfo>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Ulx;

namespace {

constexpr int kStreamWait = 30000;

SystemControl::CSystemDataStorage* systemData()
{
    return CUlxSystemsLibraryPrivate::instance()->systemDataStorage();
}

SystemControl::CSystemCapsStorage* caps()
{
    return CUlxSystemsLibraryPrivate::instance()->systemCapsStorage();
}

} // namespace

class tst_CRVQInspectionScreenController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void photosFromTheStreamLandInTheSurvey();
    void recordingsLandInTheSurveyAndFailedOnesLeaveNoRecord();
    void onlyImageCaptureErrorsAreReported();
    void zephiraDistanceValues();

private:
    // The library's streamer on the RTSP test peer, with a surface that keeps frames.
    bool startStream();

    std::unique_ptr<RtspPeer> m_peer;
    std::unique_ptr<TestVideoSurface> m_surface;
};

void tst_CRVQInspectionScreenController::initTestCase()
{
    int argc = 0;
    QVERIFY(GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
}

void tst_CRVQInspectionScreenController::init()
{
    CUlxSystemsLibrary::initialize();
}

void tst_CRVQInspectionScreenController::cleanup()
{
    if (CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance()) {
        Multimedia::CRTSPVideoStreamerLogic* logic = library->videoStreamerLogic();
        if (logic->state() != MultimediaTypes::StreamingStopped) {
            logic->stop();
            QTRY_COMPARE_WITH_TIMEOUT(logic->state(), MultimediaTypes::StreamingStopped, kStreamWait);
        }
        logic->videoSurfaceSink()->setVideoSurface(nullptr);
    }
    m_surface.reset();
    CUlxSystemsLibrary::finalize();
    m_peer.reset();
}

bool tst_CRVQInspectionScreenController::startStream()
{
    m_peer = std::make_unique<RtspPeer>(QStringList{"--width", "320", "--height", "240"});
    if (!m_peer->start())
        return false;
    Multimedia::CRTSPVideoStreamerLogic* logic = CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic();
    m_surface = std::make_unique<TestVideoSurface>();
    logic->videoSurfaceSink()->setVideoSurface(m_surface.get());
    logic->setStreamUrl(m_peer->url("/stream"));
    logic->setStreamCaps("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");
    logic->setLatency(50);
    logic->start();
    return QTest::qWaitFor(
        [&]() { return m_surface->frameCount > 0 && logic->state() == MultimediaTypes::StreamingRunning; },
        kStreamWait);
}

void tst_CRVQInspectionScreenController::photosFromTheStreamLandInTheSurvey()
{
    if (!startStream())
        QSKIP("the RTSP test peer gave no picture");
    ProjectFixture fixture;
    QVERIFY(fixture.ready());
    QVERIFY(fixture.openProject(QStringLiteral("Mill Lane")));
    fixture.settings->setCommentPhotos(true);
    fixture.settings->setHeadline1Text(QStringLiteral("Mill Lane"));
    fixture.settings->setShowGeoCoordinates(true);
    fixture.positions->updatePositionSourceActiveStatus();
    // A fix without height: the record gets position but no altitude.
    fixture.source->sendPosition(
        QGeoPositionInfo(QGeoCoordinate(48.137, 11.575), QDateTime::currentDateTimeUtc()));

    CRVQInspectionScreenController controller(fixture.services(), nullptr);
    QSignalSpy photos(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);
    const QString photosFolder = fixture.projectFolder() + QStringLiteral("Photos/");

    controller.takePhoto(photosFolder + "IMG_0001.png");
    QVERIFY(photos.wait(10000));
    QCOMPARE(photos.takeFirst().at(0).toString(), QStringLiteral("IMG_0001.png"));

    // Two photos in quick succession: both are stored, only the answer to the second counts.
    Multimedia::CVideoStreamer* streamer = CUlxSystemsLibrary::videoStreamer();
    streamer->setImageOutputFormat(MultimediaTypes::ImageOutputFormatJPEG);
    controller.takePhoto(photosFolder + "IMG_0002.jpg");
    QVERIFY(photos.wait(10000));
    controller.takePhoto(photosFolder + "IMG_0003.jpg");
    QVERIFY(photos.wait(10000));
    streamer->setImageOutputFormat(MultimediaTypes::ImageOutputFormatPNG);
    QCOMPARE(errors.count(), 0);

    SurveyProjectPtr stored = fixture.reload();
    QVERIFY(stored);
    const QVector<SurveyPhotoPtr> pictures = stored->surveys().first()->pictures();
    QCOMPARE(pictures.size(), 3);
    QCOMPARE(pictures.at(0)->path(), QStringLiteral("Photos/IMG_0001.png"));
    QCOMPARE(pictures.at(0)->latitude(), 48.137);
    QCOMPARE(pictures.at(0)->longitude(), 11.575);
    QVERIFY(std::isnan(pictures.at(0)->altitude()));
    QVERIFY(pictures.at(0)->comment().isEmpty());
    QCOMPARE(pictures.at(2)->path(), QStringLiteral("Photos/IMG_0003.jpg"));
    QVERIFY(QFileInfo::exists(photosFolder + "IMG_0002.jpg"));

    // A project file that cannot be written: the photo stays on disk, the screen is told both.
    const QString projectFile = fixture.projectFolder() + QStringLiteral("project.xml");
    QVERIFY(QFile::remove(projectFile));
    QVERIFY(QDir().mkpath(projectFile));
    photos.clear();
    controller.takePhoto(photosFolder + "IMG_0004.png");
    QVERIFY(photos.wait(10000));
    QCOMPARE(photos.at(0).at(0).toString(), QStringLiteral("IMG_0004.png"));
    QTRY_COMPARE(errors.count(), 1);
    QVERIFY(QFileInfo::exists(photosFolder + "IMG_0004.png"));
    QVERIFY(QFileInfo(projectFile).isDir());
}

void tst_CRVQInspectionScreenController::recordingsLandInTheSurveyAndFailedOnesLeaveNoRecord()
{
    if (!startStream())
        QSKIP("the RTSP test peer gave no picture");
    ProjectFixture fixture;
    QVERIFY(fixture.ready());
    QVERIFY(fixture.openProject(QStringLiteral("Station Road")));
    const QString videosFolder = fixture.projectFolder() + QStringLiteral("Videos/");
    Multimedia::CVideoRecorder* recorder = CUlxSystemsLibrary::videoRecorder();

    CRVQInspectionScreenController controller(fixture.services(), nullptr);
    QSignalSpy started(&controller, &CBaseInspectionScreenController::videoRecordingStarted);
    QSignalSpy stopped(&controller, &CBaseInspectionScreenController::videoRecordingStopped);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);
    QSignalSpy applied(fixture.projects.get(), &CProjectService::changeSetApplied);

    // A recording with pictures: listed as soon as it starts, kept after the stop.
    const QString kept = videosFolder + "VID_0001.mp4";
    controller.startVideoRecording(kept);
    QVERIFY(started.wait(10000));
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("VID_0001.mp4"));
    QTRY_COMPARE_WITH_TIMEOUT(recorder->state(), MultimediaTypes::RecordingRunning, kStreamWait);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(kept).size() > 20000, kStreamWait);
    controller.stopVideoRecording();
    QVERIFY(stopped.wait(kStreamWait));
    QVERIFY(QFileInfo(kept).size() > 0);
    QCOMPARE(errors.count(), 0);

    // Stopped before its first picture: the recorder leaves no file, so no record stays.
    const QString empty = videosFolder + "VID_0002.mp4";
    controller.startVideoRecording(empty);
    controller.stopVideoRecording();
    QVERIFY(stopped.count() == 2 || stopped.wait(kStreamWait));
    // Its record may already have gone while the test waited for the stop.
    QTRY_COMPARE_WITH_TIMEOUT(applied.count(), 1, 10000);
    QCOMPARE(started.count(), 2);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(),
        TranslationHelper::videoRecorderErrorMessage(MultimediaTypes::RecordingErrorInternal));
    QVERIFY(!QFileInfo::exists(empty));

    // A recording whose file cannot be made fails the same way.
    controller.startVideoRecording(videosFolder + "missing-folder/VID_0003.mp4");
    QTRY_VERIFY_WITH_TIMEOUT(applied.count() == 2 && stopped.count() == 3, kStreamWait);
    QCOMPARE(errors.at(1).at(0).toString(),
        TranslationHelper::videoRecorderErrorMessage(MultimediaTypes::RecordingErrorFileAccess));

    const SurveyProjectPtr stored = fixture.reload();
    QVERIFY(stored);
    const QVector<SurveyVideoPtr> videos = stored->surveys().first()->videos();
    QCOMPARE(videos.size(), 1);
    QCOMPARE(videos.first()->path(), QStringLiteral("Videos/VID_0001.mp4"));
    QCOMPARE(fixture.runtime->currentSurvey()->videos().size(), 1);
}

void tst_CRVQInspectionScreenController::onlyImageCaptureErrorsAreReported()
{
    if (!startStream())
        QSKIP("the RTSP test peer gave no picture");
    CZPInspectionScreenController controller(CBaseInspectionScreenController::Services(), nullptr);
    QSignalSpy photos(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);

    // A photo into a folder that is not there.
    QTemporaryDir dir;
    controller.takePhoto(dir.filePath("missing-folder/IMG_0001.png"));
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(),
        TranslationHelper::videoStreamerErrorMessage(MultimediaTypes::StreamingErrorImageCaptureFileAccess));
    QCOMPARE(photos.count(), 0);

    // Without a project the screen is told at once, with the bare name.
    controller.takePhoto(dir.filePath("IMG_0002.png"));
    QTRY_COMPARE(photos.count(), 1);
    QCOMPARE(photos.at(0).at(0).toString(), QStringLiteral("IMG_0002.png"));

    // The stream's own troubles are the live view's to report.
    Multimedia::CVideoStreamer* streamer = CUlxSystemsLibrary::videoStreamer();
    emit streamer->errorOccurred(MultimediaTypes::StreamingErrorConnection);
    emit streamer->errorOccurred(MultimediaTypes::StreamingErrorImageCaptureInternal);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(1).at(0).toString(),
        TranslationHelper::videoStreamerErrorMessage(MultimediaTypes::StreamingErrorImageCaptureInternal));
}

void tst_CRVQInspectionScreenController::zephiraDistanceValues()
{
    ProjectFixture fixture;
    CSettings* settings = fixture.settings.get();
    settings->setDistanceMeasurement(CSettings::DistanceMeasurementCamera);
    settings->setUseImperialUnits(false);
    caps()->setCameraDistanceMeasurementRange(37);
    caps()->setLaserDistanceMeasurementRange(137);

    CZPInspectionScreenController controller(fixture.services(), nullptr);
    QCOMPARE(controller.maximumDistanceMeasurementRange(), 40.0);
    QVERIFY(!controller.distanceMeasurementValid());

    // The camera's band, valid while measuring and while its ranges are valid.
    systemData()->setCameraLowerDistanceRange(1.5);
    systemData()->setCameraUpperDistanceRange(3.0);
    systemData()->setCameraDistanceRangesValid(true);
    systemData()->setCameraDistanceMeasurementEnabled(true);
    QTRY_VERIFY(controller.distanceMeasurementValid());
    QCOMPARE(controller.lowerMeasuredDistance(), 1.5);
    QCOMPARE(controller.upperMeasuredDistance(), 3.0);
    systemData()->setCameraDistanceRangesValid(false);
    QTRY_VERIFY(!controller.distanceMeasurementValid());
    QCOMPARE(controller.lowerMeasuredDistance(), 1.5);
    QCOMPARE(controller.upperMeasuredDistance(), 3.0);
    systemData()->setCameraDistanceMeasurementEnabled(false);
    QTRY_COMPARE(controller.upperMeasuredDistance(), 0.0);
    QCOMPARE(controller.lowerMeasuredDistance(), 0.0);

    // The laser, off: switching to it clears the band; its range rounds up to 140.
    QSignalSpy rangeChanged(&controller, &CZPInspectionScreenController::maximumDistanceMeasurementRangeChanged);
    settings->setDistanceMeasurement(CSettings::DistanceMeasurementLaser);
    QCOMPARE(controller.maximumDistanceMeasurementRange(), 140.0);
    QCOMPARE(rangeChanged.count(), 1);
    QVERIFY(!controller.distanceMeasurementValid());
    QCOMPARE(controller.lowerMeasuredDistance(), 0.0);

    // Laser on at 2.5 m in feet: 8.202 ft at both ends of the band.
    settings->setUseImperialUnits(true);
    systemData()->setDistanceLaserReadout(2.5);
    systemData()->setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    QTRY_VERIFY(controller.distanceMeasurementValid());
    QVERIFY(qFuzzyCompare(controller.lowerMeasuredDistance(), 8.202));
    QVERIFY(qFuzzyCompare(controller.upperMeasuredDistance(), 8.202));
    // 137 m are 449.5 ft, shown as 450.
    caps()->setLaserDistanceMeasurementRange(137.0001);
    caps()->setLaserDistanceMeasurementRange(137);
    QTRY_COMPARE(controller.maximumDistanceMeasurementRange(), 450.0);

    // No laser range: no scale, and no division by zero on the way.
    caps()->setLaserDistanceMeasurementRange(0);
    QTRY_COMPARE(controller.maximumDistanceMeasurementRange(), 0.0);
    caps()->setLaserDistanceMeasurementRange(std::nan(""));
    QCOMPARE(controller.maximumDistanceMeasurementRange(), 0.0);

    // Camera band in feet goes through the display conversion.
    settings->setDistanceMeasurement(CSettings::DistanceMeasurementCamera);
    systemData()->setCameraDistanceRangesValid(true);
    systemData()->setCameraDistanceMeasurementEnabled(true);
    QTRY_VERIFY(controller.distanceMeasurementValid());
    QCOMPARE(controller.lowerMeasuredDistance(), convertMetersToDisplayFeet(1.5));
    QCOMPARE(controller.upperMeasuredDistance(), convertMetersToDisplayFeet(3.0));
    QCOMPARE(controller.maximumDistanceMeasurementRange(), ceilToSignificantDigits(37 * MetersToFeetFactor));
}

QTEST_MAIN(tst_CRVQInspectionScreenController)
#include "tst_CRVQInspectionScreenController.moc"
