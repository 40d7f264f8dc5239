// The camera's file list, thumbnails, deletions and downloads through the storage logic, on
// the camera simulator.

#include "CameraSimulator.h"
#include "FakeStorageProvider.h"
#include "LogCapture.h"

#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "hx/TetronCameraUrls.h"
#include "multimedia/CAbstractMediaDownload.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Multimedia;

class tst_CHXRemoteMediaStorageLogic : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<FakeStorageProvider> m_provider;
    std::unique_ptr<Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<CHXRemoteMediaStorageLogic> m_logic;

    CRemoteMediaDataStorage* storage() { return m_provider->remoteMediaDataStorage(); }

    bool listReady()
    {
        m_logic->requestFileList();
        return QTest::qWaitFor([&]() { return storage()->fileListState() != RemoteMediaTypes::FileListStateUpdating; },
                               10000);
    }

private slots:
    void init()
    {
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        m_provider = std::make_unique<FakeStorageProvider>();
        m_runner = std::make_unique<Communication::CTetronCommandRunner>();
        m_logic = std::make_unique<CHXRemoteMediaStorageLogic>(m_provider.get(), m_runner.get());
    }

    void cleanup()
    {
        m_logic.reset();
        m_runner.reset();
        m_provider.reset();
        m_sim.reset();
    }

    void listIsReadOnceUntilOutdated()
    {
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateReady);
        QCOMPARE(storage()->remoteFiles().size(), 2);
        QCOMPARE(storage()->remoteFiles().at(1).fileUrl(),
                 Communication::cameraFileUrl("/SD/DCIM/100MEDIA/MOV0001.MP4"));
        m_logic->requestFileList();
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateReady);
        QCOMPARE(m_sim->requestsTo("dir").size(), 1);

        QVERIFY(m_sim->addFile(QJsonObject{{"path", "/SD/DCIM/100MEDIA/IMG0100.JPG"}}));
        m_logic->markFileListOutdated();
        QVERIFY(listReady());
        QCOMPARE(storage()->remoteFiles().size(), 3);
        QCOMPARE(m_sim->requestsTo("dir").size(), 2);
        // The count went in as the dir request's count.
        QVERIFY(m_sim->requestsTo("dir").last().value("query").toString().contains("count=3&from=0"));
    }

    void emptyCameraNeedsNoDirRequest()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"files", QJsonArray()}}));
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateReady);
        QVERIFY(storage()->remoteFiles().isEmpty());
        QVERIFY(m_sim->requestsTo("dir").isEmpty());
        QVERIFY(!m_logic->fileListOutdated());
    }

    void brokenListIsAnErrorAndReadAgain()
    {
        QVERIFY(m_sim->fault("dir", "html"));
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateError);
        QVERIFY(storage()->remoteFiles().isEmpty());
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateReady);
        QCOMPARE(storage()->remoteFiles().size(), 2);
    }

    // The count and the list answered without a length and cut by a close: the list is never
    // short, the state an error until a whole answer comes.
    void cutAnswersGiveNoShortList_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("cut");
        // "0\nOK\nCamera.Total.File.Number=12\n": after a line, after the "=", inside the value.
        for (const int cut : {5, 30, 31, 32})
            QTest::addRow("count cut at %d", cut) << "get" << cut;
        for (const int cut : {10, 60, 150, 600, 1200})
            QTest::addRow("list cut at %d", cut) << "dir" << cut;
    }

    void cutAnswersGiveNoShortList()
    {
        QFETCH(QString, route);
        QFETCH(int, cut);
        for (int i = 2; i < 12; ++i)
            QVERIFY(m_sim->addFile(QJsonObject{{"path", QStringLiteral("/SD/DCIM/100MEDIA/IMG%1.JPG").arg(i, 4, 10, QLatin1Char('0'))}}));
        // Logged in first: the camera's refusal would take the cut.
        QVERIFY(listReady());
        QCOMPARE(storage()->remoteFiles().size(), 12);
        QVERIFY(m_sim->fault(route, QStringLiteral("cut:%1").arg(cut)));
        m_logic->markFileListOutdated();
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateError);
        QVERIFY(storage()->remoteFiles().isEmpty());
        QVERIFY(listReady());
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateReady);
        QCOMPARE(storage()->remoteFiles().size(), 12);
    }

    void hostileNamesNeverReachTheList()
    {
        QVERIFY(m_sim->addFile(QJsonObject{{"path", "@127.0.0.2/x.JPG"}}));
        QVERIFY(m_sim->addFile(QJsonObject{{"path", "/SD/../../x.JPG"}}));
        QVERIFY(listReady());
        QCOMPARE(storage()->remoteFiles().size(), 2);
    }

    void thumbnails()
    {
        QSignalSpy ready(m_logic.get(), &CAbstractRemoteMediaStorageLogic::thumbnailReady);
        QSignalSpy failed(m_logic.get(), &CAbstractRemoteMediaStorageLogic::thumbnailRequestFailed);
        const QString good = Communication::cameraFileUrl("/SD/DCIM/100MEDIA/IMG0001.JPG");
        const QString missing = Communication::cameraFileUrl("/SD/DCIM/100MEDIA/NONE.JPG");
        m_logic->requestFileThumbnail(good);
        m_logic->requestFileThumbnail(missing);
        QTRY_COMPARE_WITH_TIMEOUT(ready.count() + failed.count(), 2, 10000);
        QCOMPARE(ready.count(), 1);
        QCOMPARE(ready.first().at(0).toString(), good);
        QVERIFY(!ready.first().at(1).value<QImage>().isNull());
        QCOMPARE(failed.first().at(0).toString(), missing);
    }

    void deletingKeepsWhatFailed()
    {
        QVERIFY(listReady());
        const QString photo = Communication::cameraFileUrl("/SD/DCIM/100MEDIA/IMG0001.JPG");
        const QString ghost = Communication::cameraFileUrl("/SD/DCIM/100MEDIA/GHOST.JPG");
        QVERIFY(m_logic->deleteFiles({photo, ghost}));
        QCOMPARE(storage()->fileListState(), RemoteMediaTypes::FileListStateUpdating);
        LogCapture log;
        QVERIFY(!m_logic->deleteFiles({photo})); // one deletion at a time, and the log says why
        QCOMPARE(log.count("The deletion on the camera is refused: the camera's file list is being read or changed."), 1);
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileListState(), RemoteMediaTypes::FileListStateReady, 10000);
        QCOMPARE(storage()->remoteFiles().size(), 1);
        QCOMPARE(storage()->remoteFiles().first().fileName(), QStringLiteral("MOV0001.MP4"));
        QCOMPARE(m_sim->state().value("files").toArray().size(), 1);
        QVERIFY(!m_logic->deleteFiles({}));
    }

    void oneDownloadAtATime()
    {
        QVERIFY(listReady());
        QTemporaryDir dir;
        QVERIFY(m_sim->fault("file", "slow", -1));
        const QVector<CRemoteFileInfo> files = storage()->remoteFiles();
        QSignalSpy active(storage(), &CRemoteMediaDataStorage::activeDownloadChanged);
        auto download = m_logic->downloadFiles(files, {dir.filePath("a.jpg"), dir.filePath("b.mp4")});
        QVERIFY(download);
        QCOMPARE(storage()->activeDownload(), download);
        QVERIFY(!m_logic->downloadFiles(files, {dir.filePath("c.jpg"), dir.filePath("d.mp4")}));
        LogCapture log;
        QVERIFY(!m_logic->deleteFiles({files.first().fileUrl()}));
        QCOMPARE(log.count("The deletion on the camera is refused: a download is running."), 1);
        QSignalSpy finished(download.get(), &CAbstractMediaDownload::finished);
        QVERIFY(finished.wait(20000));
        QCOMPARE(download->result(), 2);
        QVERIFY(!storage()->activeDownload());
        QCOMPARE(active.count(), 2);
        QVERIFY(!m_logic->downloadFiles({}, {}));
        // Fewer target paths than files starts nothing.
        QVERIFY(!m_logic->downloadFiles(files, {dir.filePath("e.jpg")}));
        QVERIFY(!storage()->activeDownload());
    }
};

QTEST_MAIN(tst_CHXRemoteMediaStorageLogic)
#include "tst_CHXRemoteMediaStorageLogic.moc"
