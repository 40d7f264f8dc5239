#include "multimedia/CDefaultRemoteMediaCaptureLogic.h"
#include "multimedia/CDefaultRemoteMediaStorageLogic.h"
#include "multimedia/CDefaultVideoStreamConfigLogic.h"
#include "videooverlay/CDefaultVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"
#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"

#include "SignalRecorder.h"

#include <QtTest>

using namespace Ulx;

class tst_DefaultLogics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        MultimediaTypes::registerMetaTypes();
        RemoteMediaTypes::registerMetaTypes();
    }

    void streamConfigReportsAnInternalError();
    void captureDoesNothing();
    void storageAnswersWithoutASystem();
    void overlayValuesStartInvisible();
    void overlayStoragesSignalOnlyChanges();
    void overlayCapsResetOrder();
};

void tst_DefaultLogics::streamConfigReportsAnInternalError()
{
    Multimedia::CDefaultVideoStreamConfigLogic logic;
    QSignalSpy errors(&logic, &Multimedia::CAbstractVideoStreamConfigLogic::errorOccurred);
    QSignalSpy succeeded(&logic, &Multimedia::CAbstractVideoStreamConfigLogic::configQuerySucceeded);
    logic.queryActiveConfig();
    logic.changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(0).at(0).value<MultimediaTypes::StreamConfigError>(), MultimediaTypes::StreamConfigErrorInternal);
    QCOMPARE(succeeded.count(), 0);
    QCOMPARE(logic.supportsConfigChange(), false);
    QCOMPARE(logic.activeConfig(), MultimediaTypes::VideoConfigInvalid);
    QCOMPARE(logic.configChangeInProgress(), false);
}

void tst_DefaultLogics::captureDoesNothing()
{
    Multimedia::CDefaultRemoteMediaCaptureLogic logic;
    SignalRecorder recorder(&logic);
    QSignalSpy errors(&logic, &Multimedia::CAbstractRemoteMediaCaptureLogic::errorOccurred);
    logic.startVideoRecording();
    logic.stopVideoRecording();
    logic.capturePhoto();
    logic.setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P60FPS);
    QCOMPARE(logic.configChangeInProgress(), false);
    QVERIFY(recorder.names.isEmpty());
    QCOMPARE(errors.count(), 0);
}

void tst_DefaultLogics::storageAnswersWithoutASystem()
{
    Multimedia::CDefaultRemoteMediaStorageLogic logic;
    QSignalSpy failed(&logic, &Multimedia::CAbstractRemoteMediaStorageLogic::thumbnailRequestFailed);
    const QString url = QStringLiteral("http://127.0.0.1/DCIM/0001.JPG");
    logic.requestFileThumbnail(url);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), url);
    QVERIFY(!logic.downloadFiles({Multimedia::CRemoteFileInfo()}, {QStringLiteral("/tmp/x")}));
    QCOMPARE(logic.deleteFiles({url}), false);
    logic.requestFileList();
}

void tst_DefaultLogics::overlayValuesStartInvisible()
{
    const VideoOverlay::CVideoOverlayText text;
    QCOMPARE(text.visible(), false);
    QCOMPARE(text.row(), 0);
    QCOMPARE(text.column(), 0);
    QCOMPARE(text.textColor(), QColor(Qt::black));
    QCOMPARE(text.backgroundColor(), QColor(Qt::black));
    const VideoOverlay::CVideoOverlayImage image;
    QVERIFY(image.data().isNull());
    QCOMPARE(image.alignment(), VideoOverlayTypes::ImageAlignmentInvalid);
    QCOMPARE(image.visible(), false);

    VideoOverlay::CDefaultVideoOverlayLogic logic;
    logic.initialize();
    logic.beginUpdate();
    logic.drawText(text);
    logic.drawImage(image);
    logic.endUpdate();
    logic.setVideoOverlayEnabled(true);
    logic.clearVideoOverlay();
    logic.setScript(VideoOverlayTypes::ScriptCyrillic);
    logic.shutdown();
}

void tst_DefaultLogics::overlayStoragesSignalOnlyChanges()
{
    VideoOverlay::CVideoOverlayCapsStorage caps;
    QSignalSpy rows(&caps, &VideoOverlay::CVideoOverlayCapsStorage::maximumRowCountChanged);
    caps.setMaximumRowCount(0);
    QCOMPARE(rows.count(), 0);
    caps.setMaximumRowCount(16);
    caps.setMaximumRowCount(16);
    QCOMPARE(rows.count(), 1);

    VideoOverlay::CVideoOverlayDataStorage data;
    QSignalSpy enabled(&data, &VideoOverlay::CVideoOverlayDataStorage::videoOverlayEnabledChanged);
    data.reset();
    QCOMPARE(enabled.count(), 0);
    data.setVideoOverlayEnabled(true);
    data.setVideoOverlayEnabled(true);
    data.reset();
    QCOMPARE(enabled.count(), 2);
    QCOMPARE(data.videoOverlayEnabled(), false);
}

void tst_DefaultLogics::overlayCapsResetOrder()
{
    VideoOverlay::CVideoOverlayCapsStorage caps;
    SignalRecorder fresh(&caps);
    caps.reset();
    QVERIFY(fresh.names.isEmpty());

    caps.setMaximumColumnCount(40);
    caps.setMaximumTextLength(30);
    caps.setTextBackgroundColorSupported(true);
    caps.setOverlaySupported(true);
    SignalRecorder recorder(&caps);
    caps.reset();
    QCOMPARE(recorder.names, (QList<QByteArray>{"overlaySupportedChanged", "textBackgroundColorSupportedChanged",
                                                "maximumColumnCountChanged", "maximumTextLengthChanged"}));
}

QTEST_GUILESS_MAIN(tst_DefaultLogics)
#include "tst_DefaultLogics.moc"
