// The stream-configuration and remote-media facades of the systems library: what they answer
// without a session, how they relay (queued) the storage's and the installed logics' signals,
// and how a resolution request becomes a configuration.
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CAbstractRemoteMediaCaptureLogic.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"
#include "multimedia/CRemoteMediaCapture.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "multimedia/CVideoStreamConfig.h"

#include "SignalRecorder.h"

#include <QtTest>

using namespace Ulx;
using namespace Ulx::Multimedia;
using VideoConfig = MultimediaTypes::VideoConfig;
using VideoResolution = MultimediaTypes::VideoResolution;

namespace {

// A stream-config logic whose state the test sets and whose change requests it records.
class ScriptedStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
public:
    void queryActiveConfig() override {}
    void changeActiveConfig(VideoConfig config) override { asked.append(config); }
    bool supportsConfigChange() const override { return true; }
    void reset() override {}
    using CAbstractVideoStreamConfigLogic::setActiveConfig;
    using CAbstractVideoStreamConfigLogic::setConfigChangeInProgress;
    QList<VideoConfig> asked;
};

class ScriptedCaptureLogic : public CAbstractRemoteMediaCaptureLogic
{
public:
    bool configChangeInProgress() const override { return true; }
    void setVideoCaptureConfig(VideoConfig config) override { configs.append(config); }
    void startVideoRecording() override { emit videoRecordingStarted(QStringLiteral("MOV0007.MP4")); }
    void stopVideoRecording() override {}
    void capturePhoto() override { emit photoCaptured(QStringLiteral("IMG0007.JPG")); }
    QList<VideoConfig> configs;
};

class IdleDownload : public CAbstractMediaDownload
{
public:
    int result() const override { return 0; }
    qint64 totalSize() const override { return 0; }
    int totalProgress() const override { return 0; }
    qint64 currentFileSize() const override { return 0; }
    int currentFileProgress() const override { return 0; }
    QString currentFileUrl() const override { return QString(); }
    QStringList processedFiles() const override { return {}; }
    void pause() override {}
    void resume() override {}
    void cancel() override {}
};

CUlxSystemsLibraryPrivate* library() { return CUlxSystemsLibraryPrivate::instance(); }

} // namespace

class tst_StreamConfigAndMediaFacades : public QObject
{
    Q_OBJECT

private slots:
    void init() { CUlxSystemsLibrary::initialize(); }
    void cleanup()
    {
        if (library())
            library()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        CUlxSystemsLibrary::finalize();
    }

    void withoutASessionTheDefaultsAnswer();
    void storageChangesArriveQueued();
    void installedLogicsAreRelayed();
    void updateLogicSignalsInOrder();
    void changeActiveResolution_data();
    void changeActiveResolution();
    void activeResolutionFollowsTheTable();
};

void tst_StreamConfigAndMediaFacades::withoutASessionTheDefaultsAnswer()
{
    CRemoteMediaStorage* storage = CUlxSystemsLibrary::remoteMediaStorage();
    CRemoteMediaCapture* capture = CUlxSystemsLibrary::remoteMediaCapture();
    CVideoStreamConfig* config = CUlxSystemsLibrary::videoStreamConfig();

    QSignalSpy failed(storage, &CRemoteMediaStorage::thumbnailRequestFailed);
    const QString url = QStringLiteral("http://127.0.0.1/SD/DCIM/IMG0001.JPG");
    storage->requestFileThumbnail(url);
    QCOMPARE(failed.count(), 0); // relayed one turn later
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.first().first().toString(), url);
    QVERIFY(!storage->downloadFiles({CRemoteFileInfo()}, {QStringLiteral("/tmp/x.jpg")}));
    QVERIFY(!storage->deleteFiles({url}));
    QCOMPARE(storage->storageState(), RemoteMediaTypes::MediaStorageNotAvailable);
    QCOMPARE(storage->fileListState(), RemoteMediaTypes::FileListStateReady);
    QVERIFY(storage->fileList().isEmpty());
    QVERIFY(!storage->activeDownload());

    QCOMPARE(capture->captureState(), RemoteMediaTypes::CaptureStopped);
    QCOMPARE(capture->captureMode(), RemoteMediaTypes::CaptureModeInvalid);
    QVERIFY(!capture->configChangeInProgress());
    capture->capturePhoto(); // does nothing, and does not crash

    QSignalSpy errors(config, &CVideoStreamConfig::errorOccurred);
    QVERIFY(!config->supportsConfigChange());
    QCOMPARE(config->activeResolution(), MultimediaTypes::VideoResolutionUnknown);
    config->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.first().first().value<MultimediaTypes::StreamConfigError>(),
             MultimediaTypes::StreamConfigErrorInternal);
}

void tst_StreamConfigAndMediaFacades::storageChangesArriveQueued()
{
    CRemoteMediaDataStorage* data = library()->remoteMediaDataStorage();
    CRemoteMediaStorage* storage = CUlxSystemsLibrary::remoteMediaStorage();
    CRemoteMediaCapture* capture = CUlxSystemsLibrary::remoteMediaCapture();
    SignalRecorder storageSignals(storage);
    SignalRecorder captureSignals(capture);

    const QVector<CRemoteFileInfo> files = {CRemoteFileInfo(QStringLiteral("IMG0001.JPG"),
        QStringLiteral("http://127.0.0.1/IMG0001.JPG"), QDateTime::currentDateTime(), 1024,
        RemoteMediaTypes::FileTypePhoto)};
    data->setRemoteFiles(files);
    data->setRemoteFiles(files); // the same list again still tells the gallery
    data->setMediaStorageState(RemoteMediaTypes::MediaStorageAlmostFull);
    data->setAvailableSize(4096);
    data->setAvailableVideoRecordingTime(60000);
    data->setFileListState(RemoteMediaTypes::FileListStateUpdating);
    data->setActiveDownload(std::make_shared<IdleDownload>());
    data->setCaptureState(RemoteMediaTypes::CaptureRunning);
    data->setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
    data->setVideoRecordingTime(1500);
    data->setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P30FPS);
    data->setPhotoCaptureResolution(MultimediaTypes::PhotoResolution8MP); // not relayed
    QVERIFY(storageSignals.names.isEmpty());
    QVERIFY(captureSignals.names.isEmpty());

    const QList<QByteArray> storageExpected = {"fileListChanged", "fileListChanged", "storageStateChanged",
        "remainingSizeChanged", "remainingVideoRecordingTimeChanged", "fileListStateChanged", "activeDownloadChanged"};
    QTRY_COMPARE(storageSignals.names, storageExpected);
    const QList<QByteArray> captureExpected = {"captureStateChanged", "captureModeChanged",
        "videoRecordingTimeChanged", "videoCaptureConfigChanged"};
    QTRY_COMPARE(captureSignals.names, captureExpected);
    QCOMPARE(storage->fileList(), files);
    QCOMPARE(storage->remainingSize(), qint64(4096));
    QCOMPARE(storage->remainingVideoRecordingTime(), RemoteMediaTypes::RecordingTime(60000));
    QCOMPARE(capture->videoRecordingTime(), RemoteMediaTypes::RecordingTime(1500));
    QCOMPARE(capture->videoCaptureConfig(), MultimediaTypes::VideoConfig1080P30FPS);
    QVERIFY(storage->activeDownload());

    // The end of a session puts everything back, and the facades hear of each change.
    storageSignals.clear();
    library()->resetStorages();
    QTRY_VERIFY(storageSignals.names.contains("activeDownloadChanged"));
    QTRY_VERIFY(storageSignals.names.contains("remainingSizeChanged"));
    QVERIFY(storage->fileList().isEmpty());
    QCOMPARE(storage->storageState(), RemoteMediaTypes::MediaStorageNotAvailable);
}

void tst_StreamConfigAndMediaFacades::installedLogicsAreRelayed()
{
    CRemoteMediaCapture* capture = CUlxSystemsLibrary::remoteMediaCapture();
    CVideoStreamConfig* config = CUlxSystemsLibrary::videoStreamConfig();
    ScriptedCaptureLogic captureLogic;
    ScriptedStreamConfigLogic streamLogic;
    QSignalSpy progress(capture, &CRemoteMediaCapture::configChangeInProgressChanged);
    QSignalSpy photos(capture, &CRemoteMediaCapture::photoCaptured);
    QSignalSpy started(capture, &CRemoteMediaCapture::videoRecordingStarted);

    library()->installLogics(&captureLogic, nullptr, &streamLogic, nullptr, nullptr);
    QCOMPARE(progress.count(), 1); // readers fetch the new logic's flag
    QVERIFY(capture->configChangeInProgress());
    capture->setVideoCaptureConfig(MultimediaTypes::VideoConfig720P30FPS);
    QCOMPARE(captureLogic.configs, QList<VideoConfig>{MultimediaTypes::VideoConfig720P30FPS});
    capture->capturePhoto();
    capture->startVideoRecording();
    QVERIFY(photos.isEmpty());
    QTRY_COMPARE(photos.count(), 1);
    QCOMPARE(photos.first().first().toString(), QStringLiteral("IMG0007.JPG"));
    QTRY_COMPARE(started.count(), 1);

    // Installing the same logic again does not double the relays.
    library()->installLogics(&captureLogic, nullptr, &streamLogic, nullptr, nullptr);
    photos.clear();
    capture->capturePhoto();
    QTRY_COMPARE(photos.count(), 1);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(photos.count(), 1);

    QSignalSpy active(config, &CVideoStreamConfig::activeConfigChanged);
    QSignalSpy changing(config, &CVideoStreamConfig::configChangeInProgressChanged);
    QSignalSpy errors(config, &CVideoStreamConfig::errorOccurred);
    streamLogic.setActiveConfig(MultimediaTypes::VideoConfig1080P30FPS);
    streamLogic.setActiveConfig(MultimediaTypes::VideoConfig1080P30FPS); // no change, no signal
    streamLogic.setConfigChangeInProgress(true);
    emit streamLogic.errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
    QCOMPARE(active.count(), 0);
    QTRY_COMPARE(active.count(), 1);
    QTRY_COMPARE(changing.count(), 1);
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().value<MultimediaTypes::StreamConfigError>(),
             MultimediaTypes::StreamConfigErrorTimeOut);
    QCOMPARE(config->activeConfig(), MultimediaTypes::VideoConfig1080P30FPS);
    QCOMPARE(config->activeResolution(), MultimediaTypes::VideoResolution1080P);
    QVERIFY(config->configChangeInProgress());
    QVERIFY(config->supportsConfigChange());
}

void tst_StreamConfigAndMediaFacades::updateLogicSignalsInOrder()
{
    CVideoStreamConfig* config = CUlxSystemsLibrary::videoStreamConfig();
    SignalRecorder recorder(config);
    ScriptedStreamConfigLogic streamLogic;
    library()->installLogics(nullptr, nullptr, &streamLogic, nullptr, nullptr);
    const QList<QByteArray> expected = {"supportsConfigChangeChanged", "configChangeInProgressChanged",
                                        "activeConfigChanged"};
    QCOMPARE(recorder.names, expected);
    recorder.clear();
    library()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    QCOMPARE(recorder.names, expected);
    QVERIFY(!config->supportsConfigChange());
}

void tst_StreamConfigAndMediaFacades::changeActiveResolution_data()
{
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("resolution");
    QTest::addColumn<int>("asked");
    QTest::newRow("1080p29.97 to 720p") << int(MultimediaTypes::VideoConfig1080P29_97FPS)
        << int(MultimediaTypes::VideoResolution720P) << int(MultimediaTypes::VideoConfig720P29_97FPS);
    QTest::newRow("1080p15 to 720p") << int(MultimediaTypes::VideoConfig1080P15FPS)
        << int(MultimediaTypes::VideoResolution720P) << int(MultimediaTypes::VideoConfig720P15FPS);
    QTest::newRow("1080p30 to 720p") << int(MultimediaTypes::VideoConfig1080P30FPS)
        << int(MultimediaTypes::VideoResolution720P) << int(MultimediaTypes::VideoConfig720P30FPS);
    QTest::newRow("1080p60 stays") << int(MultimediaTypes::VideoConfig1080P60FPS)
        << int(MultimediaTypes::VideoResolution720P) << int(MultimediaTypes::VideoConfig1080P60FPS);
    QTest::newRow("720p15 to 1080p") << int(MultimediaTypes::VideoConfig720P15FPS)
        << int(MultimediaTypes::VideoResolution1080P) << int(MultimediaTypes::VideoConfig1080P15FPS);
    QTest::newRow("720p30 to 1080p") << int(MultimediaTypes::VideoConfig720P30FPS)
        << int(MultimediaTypes::VideoResolution1080P) << int(MultimediaTypes::VideoConfig1080P30FPS);
    QTest::newRow("720p60 stays") << int(MultimediaTypes::VideoConfig720P60FPS)
        << int(MultimediaTypes::VideoResolution1080P) << int(MultimediaTypes::VideoConfig720P60FPS);
    QTest::newRow("already 720p") << int(MultimediaTypes::VideoConfig720P25FPS)
        << int(MultimediaTypes::VideoResolution720P) << int(MultimediaTypes::VideoConfig720P25FPS);
    QTest::newRow("PAL asked") << int(MultimediaTypes::VideoConfig1080P25FPS)
        << int(MultimediaTypes::VideoResolutionPAL) << int(MultimediaTypes::VideoConfig1080P25FPS);
    QTest::newRow("unknown") << int(MultimediaTypes::VideoConfigInvalid)
        << int(MultimediaTypes::VideoResolution1080P) << int(MultimediaTypes::VideoConfigInvalid);
}

void tst_StreamConfigAndMediaFacades::changeActiveResolution()
{
    QFETCH(int, active);
    QFETCH(int, resolution);
    QFETCH(int, asked);
    ScriptedStreamConfigLogic streamLogic;
    streamLogic.setActiveConfig(static_cast<VideoConfig>(active));
    library()->installLogics(nullptr, nullptr, &streamLogic, nullptr, nullptr);
    CUlxSystemsLibrary::videoStreamConfig()->changeActiveResolution(static_cast<VideoResolution>(resolution));
    // Asked in every case: the logic itself ignores its active configuration.
    QCOMPARE(streamLogic.asked, QList<VideoConfig>{static_cast<VideoConfig>(asked)});
}

void tst_StreamConfigAndMediaFacades::activeResolutionFollowsTheTable()
{
    const QList<QPair<int, VideoResolution>> table = {
        {0, MultimediaTypes::VideoResolutionUnknown}, {1, MultimediaTypes::VideoResolutionPAL},
        {2, MultimediaTypes::VideoResolutionNTSC}, {3, MultimediaTypes::VideoResolution720P},
        {7, MultimediaTypes::VideoResolution720P}, {8, MultimediaTypes::VideoResolution1080P},
        {12, MultimediaTypes::VideoResolution1080P}, {13, MultimediaTypes::VideoResolution1440P},
        {14, MultimediaTypes::VideoResolutionUnknown}, {-1, MultimediaTypes::VideoResolutionUnknown}};
    for (const auto& row : table)
        QCOMPARE(videoResolutionOf(static_cast<VideoConfig>(row.first)), row.second);
}

QTEST_GUILESS_MAIN(tst_StreamConfigAndMediaFacades)
#include "tst_StreamConfigAndMediaFacades.moc"
