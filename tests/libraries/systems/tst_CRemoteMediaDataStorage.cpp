#include "SignalRecorder.h"

#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaDataStorage.h"

#include <QtTest>

using namespace Ulx;
using Multimedia::CRemoteFileInfo;
using Multimedia::CRemoteMediaDataStorage;

namespace {

class CIdleDownload : public Multimedia::CAbstractMediaDownload
{
    Q_OBJECT

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

QList<QByteArray> names(const char* text)
{
    QList<QByteArray> result;
    for (const QByteArray& name : QByteArray(text).simplified().split(' '))
        result.append(name + "Changed");
    return result;
}

} // namespace

class tst_CRemoteMediaDataStorage : public QObject
{
    Q_OBJECT

private slots:
    void freshStorageHoldsDefaults();
    void settersSignalOnlyRealChanges();
    void sameFileListTwiceSignalsTwice();
    void fileListIsACopy();
    void activeDownloadComparesThePointer();
    void resetOfFreshStorageSignalsNothing();
    void resetRestoresDefaultsInOrder();
};

void tst_CRemoteMediaDataStorage::freshStorageHoldsDefaults()
{
    CRemoteMediaDataStorage storage;
    QVERIFY(storage.remoteFiles().isEmpty());
    QVERIFY(!storage.activeDownload());
    QCOMPARE(storage.availableSize(), qint64(0));
    QCOMPARE(storage.availableVideoRecordingTime(), 0u);
    QCOMPARE(storage.videoRecordingTime(), 0u);
    QCOMPARE(storage.mediaStorageState(), RemoteMediaTypes::MediaStorageNotAvailable);
    QCOMPARE(storage.fileListState(), RemoteMediaTypes::FileListStateReady);
    QCOMPARE(storage.captureState(), RemoteMediaTypes::CaptureStopped);
    QCOMPARE(storage.captureMode(), RemoteMediaTypes::CaptureModeInvalid);
    QCOMPARE(storage.videoCaptureConfig(), MultimediaTypes::VideoConfigInvalid);
    QCOMPARE(storage.photoCaptureResolution(), MultimediaTypes::PhotoResolutionUnknown);
}

void tst_CRemoteMediaDataStorage::settersSignalOnlyRealChanges()
{
    CRemoteMediaDataStorage storage;
    SignalRecorder recorder(&storage);
    storage.setCaptureState(RemoteMediaTypes::CaptureStopped);
    storage.setAvailableSize(0);
    QVERIFY(recorder.names.isEmpty());
    storage.setCaptureState(RemoteMediaTypes::CaptureRunning);
    storage.setCaptureState(RemoteMediaTypes::CaptureRunning);
    storage.setAvailableSize(std::numeric_limits<qint64>::max());
    storage.setAvailableSize(std::numeric_limits<qint64>::max());
    storage.setAvailableVideoRecordingTime(3600000);
    storage.setVideoRecordingTime(1000);
    storage.setVideoRecordingTime(1000);
    QCOMPARE(recorder.names, names("captureState availableSize availableVideoRecordingTime videoRecordingTime"));
}

void tst_CRemoteMediaDataStorage::sameFileListTwiceSignalsTwice()
{
    CRemoteMediaDataStorage storage;
    QSignalSpy changed(&storage, &CRemoteMediaDataStorage::remoteFilesChanged);
    const QVector<CRemoteFileInfo> files = {CRemoteFileInfo(QStringLiteral("a.jpg"), QStringLiteral("http://127.0.0.1/a.jpg"),
                                                            QDateTime(), 10, RemoteMediaTypes::FileTypePhoto)};
    storage.setRemoteFiles(files);
    storage.setRemoteFiles(files);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(storage.remoteFiles().size(), 1);
}

void tst_CRemoteMediaDataStorage::fileListIsACopy()
{
    CRemoteMediaDataStorage storage;
    storage.setRemoteFiles({CRemoteFileInfo(QStringLiteral("a.mp4"), QStringLiteral("http://127.0.0.1/a.mp4"),
                                            QDateTime(), 10, RemoteMediaTypes::FileTypeVideo)});
    QVector<CRemoteFileInfo> copy = storage.remoteFiles();
    copy.clear();
    QCOMPARE(storage.remoteFiles().size(), 1);
}

void tst_CRemoteMediaDataStorage::activeDownloadComparesThePointer()
{
    CRemoteMediaDataStorage storage;
    QSignalSpy changed(&storage, &CRemoteMediaDataStorage::activeDownloadChanged);
    auto download = std::make_shared<CIdleDownload>();
    storage.setActiveDownload(download);
    storage.setActiveDownload(download);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(storage.activeDownload(), std::shared_ptr<Multimedia::CAbstractMediaDownload>(download));
    storage.setActiveDownload(nullptr);
    QCOMPARE(changed.count(), 2);
}

void tst_CRemoteMediaDataStorage::resetOfFreshStorageSignalsNothing()
{
    CRemoteMediaDataStorage storage;
    SignalRecorder recorder(&storage);
    storage.reset();
    QVERIFY(recorder.names.isEmpty());
}

void tst_CRemoteMediaDataStorage::resetRestoresDefaultsInOrder()
{
    CRemoteMediaDataStorage storage;
    auto download = std::make_shared<CIdleDownload>();
    QPointer<CIdleDownload> watched = download.get();
    storage.setActiveDownload(download);
    download.reset();
    storage.setRemoteFiles({CRemoteFileInfo()});
    storage.setFileListState(RemoteMediaTypes::FileListStateError);
    storage.setMediaStorageState(RemoteMediaTypes::MediaStorageFull);
    storage.setCaptureState(RemoteMediaTypes::CaptureRunning);
    storage.setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
    storage.setVideoCaptureConfig(MultimediaTypes::VideoConfig1080P30FPS);
    storage.setPhotoCaptureResolution(MultimediaTypes::PhotoResolution8MP);
    storage.setVideoRecordingTime(5);
    storage.setAvailableVideoRecordingTime(6);
    storage.setAvailableSize(7);

    SignalRecorder recorder(&storage);
    storage.reset();
    QCOMPARE(recorder.names, names("activeDownload remoteFiles fileListState mediaStorageState captureState "
                                   "captureMode videoCaptureConfig photoCaptureResolution videoRecordingTime "
                                   "availableVideoRecordingTime availableSize"));
    // The storage held the last reference to the download.
    QVERIFY(watched.isNull());
    QVERIFY(storage.remoteFiles().isEmpty());
    QCOMPARE(storage.mediaStorageState(), RemoteMediaTypes::MediaStorageNotAvailable);
}

QTEST_GUILESS_MAIN(tst_CRemoteMediaDataStorage)
#include "tst_CRemoteMediaDataStorage.moc"
