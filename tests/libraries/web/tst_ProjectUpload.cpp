// Project uploads through the web worker against the web-service simulator: which files go up
// under which keys, single and multi-part transfers compared byte for byte with the stored
// objects, the second upload of an unchanged project, abort, pause and resume, failing parts,
// a failed confirmation, files that vanish after the scan, and links out of the project.

#include "WebTestSupport.h"

#include "ProjectUpload.h"
#include "TovrinWebApiWorker.h"
#include "TovrinWebLibrary.h"
#include "UploadFileMultiPartRequestHandle.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {
const qint64 kMiB = 1024 * 1024;
const QDateTime kCreated(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
} // namespace

class tst_ProjectUpload : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<TovrinWebApiWorker> m_worker;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString projectPath() const { return m_dir->path() + QStringLiteral("/Project A/"); }

    QString stored(const QString& projectId, const QString& key) const { return m_sim->storedObject(projectId, key); }

    QStringList storedKeys(const QString& projectId) const
    {
        QStringList keys;
        const QString root = m_sim->storageDir() + QStringLiteral("/storage/objects/") + projectId + QLatin1Char('/');
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            keys.append(it.next().mid(root.size()));
        keys.sort();
        return keys;
    }

    int count(const QString& route) const { return m_sim->requestsTo(route).size(); }

    // What the storage peer holds so far: stored objects, parts, and files still arriving.
    qint64 bytesAtThePeer() const
    {
        qint64 bytes = 0;
        QDirIterator it(m_sim->storageDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            bytes += it.fileInfo().size();
        }
        return bytes;
    }

    // A hundred MiB and more through Qt's upload path take what the machine's load gives them
    // (17 s alone, 77 s beside the rest of the suite): the wait lasts as long as bytes keep
    // reaching the peer and fails only once none have for 30 s.
    bool doneWhileBytesMove(const std::function<bool()>& done) const
    {
        QElapsedTimer still;
        still.start();
        qint64 seen = bytesAtThePeer();
        while (!done()) {
            if (still.hasExpired(30000))
                return false;
            QTest::qWait(20);
            const qint64 now = bytesAtThePeer();
            if (now != seen) {
                seen = now;
                still.restart();
            }
        }
        return true;
    }

    void start(const QString& projectId, int maxSimultaneous = 1, const MediaNamesList& media = MediaNamesList(),
               uint id = 1)
    {
        m_worker->uploadProject(projectId, QStringLiteral("Project A"), QDir::toNativeSeparators(projectPath()), kCreated,
                                ImportTypeZephiraProject, maxSimultaneous, id, media);
    }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(defaultScenario()));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_worker.reset(new TovrinWebApiWorker);
        m_worker->initialize();
        setWaitLimit(*m_worker->communicator(), 20000);
        QVERIFY(loginCommunicator(*m_worker->communicator(), QStringLiteral("alice"), QString::fromLatin1(alicePassword())));
    }

    void cleanup()
    {
        m_worker.reset();
        m_sim.reset();
        m_dir.reset();
    }

    void selectionRules()
    {
        QTemporaryDir dir;
        QVERIFY(writeText(dir.filePath(QStringLiteral("project.xml")), "<p/>"));
        QVERIFY(writeText(dir.filePath(QStringLiteral("data.db3")), "db"));
        QVERIFY(writeText(dir.filePath(QStringLiteral("project.xml_bak")), "<old/>"));
        QVERIFY(writeText(dir.filePath(QStringLiteral("IMG1.JPG")), "12345"));
        QMap<QString, RemoteObjectEntry> remote;
        RemoteObjectEntry xml;
        xml.fileName = QStringLiteral("project.xml");
        xml.size = 4;
        remote.insert(xml.fileName, xml);
        RemoteObjectEntry db = xml;
        db.fileName = QStringLiteral("data.db3");
        db.size = 2;
        remote.insert(db.fileName, db);
        RemoteObjectEntry image = xml;
        image.key = QStringLiteral("Elsewhere/IMG1.JPG");
        image.fileName = QStringLiteral("IMG1.JPG");
        image.size = 5;
        remote.insert(image.fileName, image);

        // project.xml and databases always go; backups never; same name and size is skipped wherever it lies.
        QVERIFY(ProjectUpload::shouldUploadFile(QFileInfo(dir.filePath(QStringLiteral("project.xml"))), remote));
        QVERIFY(ProjectUpload::shouldUploadFile(QFileInfo(dir.filePath(QStringLiteral("data.db3"))), remote));
        QVERIFY(!ProjectUpload::shouldUploadFile(QFileInfo(dir.filePath(QStringLiteral("project.xml_bak"))), remote));
        QVERIFY(!ProjectUpload::shouldUploadFile(QFileInfo(dir.filePath(QStringLiteral("IMG1.JPG"))), remote));
        remote[QStringLiteral("IMG1.JPG")].size = 6;
        QVERIFY(ProjectUpload::shouldUploadFile(QFileInfo(dir.filePath(QStringLiteral("IMG1.JPG"))), remote));

        const UploadEntry picture(QStringLiteral("/p/IMG1.JPG"), QStringLiteral("Sub/IMG1.JPG"), QDateTime(), 5);
        QVERIFY(picture.isPicture);
        QCOMPARE(ProjectUpload::remoteFileKey(picture, {}), QStringLiteral("Picture/Sec/IMG1.JPG"));
        QCOMPARE(ProjectUpload::remoteFileKey(picture, {QStringLiteral("Sub/IMG1.JPG")}), QStringLiteral("Picture/Nod/IMG1.JPG"));
        const UploadEntry video(QStringLiteral("/p/v.MOV"), QStringLiteral("v.MOV"), QDateTime(), 5);
        QVERIFY(video.isVideo);
        QCOMPARE(ProjectUpload::remoteFileKey(video, {QStringLiteral("v.MOV")}), QStringLiteral("Video/Nod/v.MOV"));
        const UploadEntry notes(QStringLiteral("/p/Docs/notes.txt"), QStringLiteral("Docs/notes.txt"), QDateTime(), 5);
        QVERIFY(!notes.isPicture && !notes.isVideo);
        QCOMPARE(ProjectUpload::remoteFileKey(notes, {}), QStringLiteral("Docs/notes.txt"));
        const UploadEntry noDot(QStringLiteral("/p/jpg"), QStringLiteral("jpg"), QDateTime(), 1);
        QVERIFY(noDot.isPicture);
    }

    void projectGoesUpByteIdenticalAndOnlyChangesGoAgain()
    {
        const QString p = projectPath();
        QVERIFY(writeText(p + QStringLiteral("project.xml"), "<Project/>"));
        QVERIFY(writeText(p + QStringLiteral("project.xml_bak"), "<Old/>"));
        QVERIFY(makeRandomFile(p + QStringLiteral("data.db3"), 3000, 2));
        QVERIFY(makeRandomFile(p + QStringLiteral("Survey 1/IMG1.JPG"), 300000, 3));
        QVERIFY(makeRandomFile(p + QStringLiteral("Manhole/IMG2.png"), 200000, 4));
        QVERIFY(makeRandomFile(p + QStringLiteral("Survey 1/pipe.mp4"), 150 * kMiB, 5));
        QVERIFY(writeText(p + QStringLiteral("Docs/notes.txt"), "notes"));
        QVERIFY(writeText(p + QStringLiteral(".hidden"), "secret"));
        // Links out of the project are not followed, and a link cycle is walked once.
        QVERIFY(writeText(m_dir->path() + QStringLiteral("/outside.txt"), "outside"));
        QVERIFY(QFile::link(m_dir->path() + QStringLiteral("/outside.txt"), p + QStringLiteral("outside.txt")));
        QVERIFY(QFile::link(p, p + QStringLiteral("Docs/loop")));

        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        QSignalSpy active(m_worker.get(), &TovrinWebApiWorker::anyUploadActiveChanged);
        QSignalSpy total(m_worker.get(), &TovrinWebApiWorker::filesToUploadTotalChanged);
        QSignalSpy current(m_worker.get(), &TovrinWebApiWorker::currentUploadFilesChanged);
        start(QStringLiteral("p-up"), 2, {QStringLiteral("Manhole/IMG2.png")});
        QVERIFY(doneWhileBytesMove([&] { return !finished.isEmpty() || !errors.isEmpty(); }));
        QVERIFY2(errors.isEmpty(), qPrintable(QString::number(errors.value(0).value(0).toInt())));
        // Never more than two files at once, and two did run side by side.
        int widest = 0;
        for (const QList<QVariant>& files : qAsConst(current))
            widest = qMax(widest, files.at(1).toStringList().size());
        QCOMPARE(widest, 2);
        QCOMPARE(finished.at(0).at(0).toUInt(), 1u);
        QCOMPARE(total.last().at(1).toInt(), 6);
        QCOMPARE(active.count(), 2);
        QVERIFY(!m_worker->anyUploadActive());

        const QStringList expected = {QStringLiteral("Docs/notes.txt"), QStringLiteral("Picture/Nod/IMG2.png"),
                                      QStringLiteral("Picture/Sec/IMG1.JPG"), QStringLiteral("Video/Sec/pipe.mp4"),
                                      QStringLiteral("data.db3"), QStringLiteral("project.xml")};
        QCOMPARE(storedKeys(QStringLiteral("p-up")), expected);
        QCOMPARE(fileMd5(stored(QStringLiteral("p-up"), QStringLiteral("Video/Sec/pipe.mp4"))),
                 fileMd5(p + QStringLiteral("Survey 1/pipe.mp4")));
        QCOMPARE(fileMd5(stored(QStringLiteral("p-up"), QStringLiteral("Picture/Sec/IMG1.JPG"))),
                 fileMd5(p + QStringLiteral("Survey 1/IMG1.JPG")));
        QCOMPARE(fileMd5(stored(QStringLiteral("p-up"), QStringLiteral("Picture/Nod/IMG2.png"))),
                 fileMd5(p + QStringLiteral("Manhole/IMG2.png")));
        QCOMPARE(fileMd5(stored(QStringLiteral("p-up"), QStringLiteral("data.db3"))), fileMd5(p + QStringLiteral("data.db3")));
        QCOMPARE(fileMd5(stored(QStringLiteral("p-up"), QStringLiteral("project.xml"))),
                 fileMd5(p + QStringLiteral("project.xml")));
        QCOMPARE(count(QStringLiteral("multipart_init")), 1);
        QCOMPARE(count(QStringLiteral("storage_put")), 5);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 1);
        QCOMPARE(count(QStringLiteral("upload_cancel")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("transcoding")), 1, 10000);
        QVERIFY(m_sim->rejections().isEmpty());

        // The same project again: only project.xml and the database go up.
        const int putsBefore = count(QStringLiteral("storage_put"));
        start(QStringLiteral("p-up"), 1, {}, 2);
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 2 || !errors.isEmpty(), 30000);
        QVERIFY(errors.isEmpty());
        QCOMPARE(finished.at(1).at(0).toUInt(), 2u);
        QCOMPARE(count(QStringLiteral("storage_put")) - putsBefore, 2);
        QCOMPARE(count(QStringLiteral("multipart_init")), 1);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 2);
        QVERIFY(errors.isEmpty());
    }

    void exactly100MiBTakesOnePut()
    {
        QVERIFY(makeSparseFile(projectPath() + QStringLiteral("exact.mp4"), 100 * kMiB));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-exact"));
        QVERIFY(doneWhileBytesMove([&] { return !finished.isEmpty() || !errors.isEmpty(); }));
        QVERIFY(errors.isEmpty());
        QCOMPARE(count(QStringLiteral("storage_put")), 1);
        QCOMPARE(count(QStringLiteral("multipart_init")), 0);
        QCOMPARE(QFileInfo(stored(QStringLiteral("p-exact"), QStringLiteral("Video/Sec/exact.mp4"))).size(), 100 * kMiB);
        // Aborting a confirmed upload must not cancel it on the service.
        m_worker->abortUpload(1);
        QCOMPARE(count(QStringLiteral("upload_cancel")), 0);
    }

    void resumeWaitsForASlowListingAndSkipsWhatIsStored()
    {
        // An upload started again reads the bucket listing that arrives at link speed, over
        // several windows of the low-speed limit, asks for it once, and sends nothing that is
        // stored already.
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("IMG1.JPG"), 3000, 1));
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("IMG2.JPG"), 4000, 2));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-resume"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(count(QStringLiteral("storage_put")), 2);

        WebCommunicator::Timeouts timeouts = m_worker->communicator()->timeouts();
        timeouts.transfer.lowSpeedBytesPerSecond = 20000;
        timeouts.transfer.lowSpeedWindowMs = 1000;
        m_worker->communicator()->setTimeouts(timeouts);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("list_files"),
                                        {{QStringLiteral("paceBytesPerSecond"), 100000}, {QStringLiteral("padBytes"), 250000}})}));
        start(QStringLiteral("p-resume"), 1, {}, 2);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
        QVERIFY(errors.isEmpty());
        QCOMPARE(finished.last().at(0).toUInt(), 2u);
        QCOMPARE(count(QStringLiteral("list_files")), 2);
        QCOMPARE(count(QStringLiteral("storage_put")), 2);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 2);
    }

    void resumeNeverTakesAnUnreadListingForAnEmptyBucket_data()
    {
        QTest::addColumn<QJsonObject>("listing");
        QTest::addColumn<Error>("error");
        // A project as large as the service holds: its listing is far over the bound of the
        // other answers.
        QTest::newRow("60000 stored objects") << QJsonObject{{QStringLiteral("extraObjects"), 60000}} << ErrorNone;
        QTest::newRow("a portal's page") << WebServiceSimulator::portalPage() << ErrorInvalidReply;
        QTest::newRow("cut short") << QJsonObject{{QStringLiteral("noContentLength"), true}, {QStringLiteral("closeAfterBytes"), 300}}
                                   << ErrorInvalidReply;
        // Entries that name no stored object: no listing, however well-formed.
        QTest::newRow("entries without a key")
            << QJsonObject{{QStringLiteral("body"), QStringLiteral("<FileListResponse><Files><ObjectModel/><ObjectModel><Size>3000</Size>"
                                                                   "</ObjectModel></Files><Count>2</Count></FileListResponse>")},
                           {QStringLiteral("contentType"), QStringLiteral("application/xml")}}
            << ErrorInvalidReply;
    }

    void resumeNeverTakesAnUnreadListingForAnEmptyBucket()
    {
        QFETCH(QJsonObject, listing);
        QFETCH(Error, error);
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("IMG1.JPG"), 3000, 1));
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("IMG2.JPG"), 4000, 2));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-large"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);

        QVERIFY(m_sim->setFaults({fault(QStringLiteral("list_files"), listing)}));
        start(QStringLiteral("p-large"), 1, {}, 2);
        if (error == ErrorNone) {
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
            QVERIFY(errors.isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 20000);
            QCOMPARE(errors.at(0).at(0).value<Error>(), error);
            QCOMPARE(count(QStringLiteral("upload_cancel")), 1);
        }
        // Nothing stored is sent again, and without a listing nothing is sent at all.
        QCOMPARE(count(QStringLiteral("storage_put")), 2);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), error == ErrorNone ? 2 : 1);
    }

    void activeFlagFallsWhenTheLastUploadCompletes()
    {
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("slow.jpg"), 500000, 1));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("delayMs"), 800}})}));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy active(m_worker.get(), &TovrinWebApiWorker::anyUploadActiveChanged);
        start(QStringLiteral("p-one"), 1, {}, 1);
        m_worker->uploadProject(QStringLiteral("p-two"), QStringLiteral("Empty"), m_dir->path() + QStringLiteral("/none"),
                                kCreated, ImportTypeProject, 1, 2, {});
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.at(0).at(0).toUInt(), 2u);
        QVERIFY(m_worker->anyUploadActive());
        QCOMPARE(active.count(), 1);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.at(1).at(0).toUInt(), 1u);
        QVERIFY(!m_worker->anyUploadActive());
        QCOMPARE(active.count(), 2);
        // The completed upload is still reachable by its id.
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        m_worker->resumeUpload(1);
        QVERIFY(errors.isEmpty());
    }

    void abortDuringMultipartSendsCancelOnceAndMultipartAbort()
    {
        QVERIFY(makeSparseFile(projectPath() + QStringLiteral("big.avi"), 100 * kMiB + 1));
        QVERIFY(writeText(projectPath() + QStringLiteral("project.xml"), "<Project/>"));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("delayMs"), 300}})}));
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy active(m_worker.get(), &TovrinWebApiWorker::anyUploadActiveChanged);
        start(QStringLiteral("p-abort"));
        ProjectUpload* upload = m_worker->upload(1);
        QVERIFY(upload);
        // The multi-part file is sent first or second; wait until one of its parts is out.
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("storage_part")) >= 1, 30000);
        m_worker->abortUpload(1);
        QCOMPARE(upload->state(), ProjectUpload::StateAborted);
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("multipart_abort")), 1, 20000);
        QCOMPARE(count(QStringLiteral("upload_cancel")), 1);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 0);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!m_worker->anyUploadActive());
        QCOMPARE(active.last().at(0).toBool(), false);
        // A second abort reaches the same job and sends nothing more.
        m_worker->abortUpload(1);
        QCOMPARE(count(QStringLiteral("upload_cancel")), 1);
        QVERIFY(!QFile::exists(stored(QStringLiteral("p-abort"), QStringLiteral("Video/Sec/big.avi"))));
    }

    void abortDuringTheBlockingStartStopsAtOnce()
    {
        QVERIFY(writeText(projectPath() + QStringLiteral("project.xml"), "<Project/>"));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("upload_init"), {{QStringLiteral("delayMs"), 500}})}));
        // Queued now, handled inside the wait for the Init reply.
        QMetaObject::invokeMethod(m_worker.get(), [this] { m_worker->abortUpload(1); }, Qt::QueuedConnection);
        start(QStringLiteral("p-early"));
        QCOMPARE(m_worker->upload(1)->state(), ProjectUpload::StateAborted);
        QCOMPARE(count(QStringLiteral("upload_cancel")), 1);
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("upload_init")), 1, 10000);
        QCOMPARE(count(QStringLiteral("bucket_get")), 0);
        QCOMPARE(count(QStringLiteral("list_files")), 0);
        QCOMPARE(count(QStringLiteral("storage_put")), 0);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 0);
    }

    void pauseAndResume_data()
    {
        QTest::addColumn<qint64>("secondsLater");
        QTest::addColumn<bool>("restarted");
        QTest::newRow("continued") << qint64(129599) << false;
        QTest::newRow("restarted") << qint64(129600) << true;
    }

    void pauseAndResume()
    {
        QFETCH(qint64, secondsLater);
        QFETCH(bool, restarted);
        const QString big = projectPath() + QStringLiteral("Video/big.wmv");
        QVERIFY(makeRandomFile(big, 100 * kMiB + 7, 9));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-pause"));
        ProjectUpload* upload = m_worker->upload(1);
        QVERIFY(upload);
        QTRY_VERIFY_WITH_TIMEOUT(upload->uploadedBytes() > 0, 30000);
        m_worker->pauseUpload(1);
        QCOMPARE(upload->state(), ProjectUpload::StatePaused);
        // The part in flight ends; no further part follows while paused.
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("storage_part")) >= 1, 30000);
        const int partsWhilePaused = count(QStringLiteral("storage_part"));
        const qint64 bytesWhilePaused = upload->uploadedBytes();
        QCOMPARE(finished.count(), 0);
        const QDateTime later = QDateTime::currentDateTimeUtc().addSecs(secondsLater);
        upload->setClock([later] { return later; });
        m_worker->resumeUpload(1);
        if (restarted) {
            QVERIFY(upload->uploadedBytes() < bytesWhilePaused);
            QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("multipart_init")), 2, 10000);
        } else {
            QCOMPARE(count(QStringLiteral("multipart_init")), 1);
        }
        QVERIFY(doneWhileBytesMove([&] { return !finished.isEmpty() || !errors.isEmpty(); }));
        QVERIFY(errors.isEmpty());
        QVERIFY(count(QStringLiteral("storage_part")) > partsWhilePaused);
        QCOMPARE(upload->uploadedBytes(), 100 * kMiB + 7);
        QCOMPARE(fileMd5(stored(QStringLiteral("p-pause"), QStringLiteral("Video/Sec/big.wmv"))), fileMd5(big));
    }

    void pausedSingleUploadFinishesAndTheNextWaits()
    {
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("a.jpg"), 2 * kMiB, 1));
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("b.jpg"), 2 * kMiB, 2));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_put"), {{QStringLiteral("delayMs"), 300}})}));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy completed(m_worker.get(), &TovrinWebApiWorker::completedUploadFilesChanged);
        start(QStringLiteral("p-single"));
        ProjectUpload* upload = m_worker->upload(1);
        QTRY_COMPARE_WITH_TIMEOUT(upload->activeUploads().size(), 1, 10000);
        m_worker->pauseUpload(1);
        QTRY_COMPARE_WITH_TIMEOUT(upload->filesCompleted(), 1, 20000);
        QCOMPARE(upload->activeUploads().size(), 0);
        QCOMPARE(count(QStringLiteral("presigned_batch")), 1);
        m_worker->resumeUpload(1);
        QVERIFY(finished.wait(20000));
        QCOMPARE(count(QStringLiteral("storage_put")), 2);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 1);
    }

    void partFailures_data()
    {
        QTest::addColumn<QList<int>>("failing");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("five failures") << QList<int>{1, 2, 3, 4, 5} << true;
        QTest::newRow("six failures") << QList<int>{1, 2, 3, 4, 5, 6} << false;
    }

    void partFailures()
    {
        QFETCH(QList<int>, failing);
        QFETCH(bool, succeeds);
        QVERIFY(makeSparseFile(projectPath() + QStringLiteral("big.mov"), 100 * kMiB + 1));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("status"), 500}}, failing)}));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-parts"));
        if (succeeds) {
            QVERIFY(doneWhileBytesMove([&] { return !finished.isEmpty() || !errors.isEmpty(); }));
            QVERIFY(errors.isEmpty());
            QCOMPARE(QFileInfo(stored(QStringLiteral("p-parts"), QStringLiteral("Video/Sec/big.mov"))).size(), 100 * kMiB + 1);
        } else {
            QVERIFY(errors.wait(30000));
            QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorInternalServer);
            QCOMPARE(count(QStringLiteral("upload_cancel")), 1);
            QCOMPARE(count(QStringLiteral("upload_uploaded")), 0);
            QCOMPARE(finished.count(), 0);
            QVERIFY(!m_worker->anyUploadActive());
            QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("multipart_abort")), 1, 10000);
            // The failed upload is gone from the table: its id is unknown now.
            m_worker->resumeUpload(1);
            QCOMPARE(errors.last().at(0).value<Error>(), ErrorInvalidParameter);
        }
    }

    // Once "Uploaded" went out the service may have committed the project: a failed or late
    // answer is reported, and no Cancel may throw the upload away.
    void failedConfirmationIsAnErrorWithoutCancel_data()
    {
        QTest::addColumn<bool>("late");
        QTest::newRow("status 500") << false;
        QTest::newRow("answer after the time-out") << true;
    }

    void failedConfirmationIsAnErrorWithoutCancel()
    {
        QFETCH(bool, late);
        QVERIFY(writeText(projectPath() + QStringLiteral("project.xml"), "<Project/>"));
        if (late) {
            WebCommunicator::Timeouts timeouts = m_worker->communicator()->timeouts();
            timeouts.finishUploadMs = 1000;
            m_worker->communicator()->setTimeouts(timeouts);
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("upload_uploaded"), {{QStringLiteral("hold"), true}})}));
        } else {
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("upload_uploaded"), {{QStringLiteral("status"), 500}})}));
        }
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        start(QStringLiteral("p-confirm"));
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.at(0).at(0).value<Error>(), late ? ErrorTimeOut : ErrorInternalServer);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(m_worker->upload(1), nullptr);
        QVERIFY(!m_worker->anyUploadActive());
        if (late) {
            QCOMPARE(m_sim->heldRequests(QStringLiteral("upload_uploaded")), 1);
            QVERIFY(m_sim->release(QStringLiteral("upload_uploaded")));
            // The service commits the project after the client gave up waiting.
            QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("upload_uploaded")), 1, 10000);
        }
        // The error was handled (and any cancel sent) before the error signal came out.
        QCOMPARE(count(QStringLiteral("upload_cancel")), 0);
        QCOMPARE(finished.count(), 0);
    }

    void fileDeletedAfterTheScanFailsTheUpload()
    {
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("a.jpg"), 1 * kMiB, 1));
        QVERIFY(makeRandomFile(projectPath() + QStringLiteral("b.jpg"), 1 * kMiB, 2));
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        // Both files are listed; whichever goes second has disappeared by then.
        bool removed = false;
        connect(m_worker.get(), &TovrinWebApiWorker::uploadFileProgressChanged, this, [&](uint, const QString& file) {
            if (removed)
                return;
            removed = true;
            const QString other = file.endsWith(QLatin1String("a.jpg")) ? QStringLiteral("b.jpg") : QStringLiteral("a.jpg");
            QFile::remove(projectPath() + other);
        });
        start(QStringLiteral("p-gone"));
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 20000);
        QVERIFY(removed);
        bool fileAccess = false;
        for (const QList<QVariant>& error : qAsConst(errors))
            fileAccess = fileAccess || error.at(0).value<Error>() == ErrorFileAccess;
        QVERIFY(fileAccess);
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("upload_cancel")), 1, 10000);
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 0);
        QCOMPARE(finished.count(), 0);
    }

    void emptyOrMissingFolderIsConfirmedAtOnce()
    {
        QSignalSpy finished(m_worker.get(), &TovrinWebApiWorker::uploadFinished);
        start(QStringLiteral("p-empty"));
        QVERIFY(finished.count() == 1 || finished.wait(20000));
        QCOMPARE(count(QStringLiteral("upload_uploaded")), 1);
    }

    void invalidIdsAreReported()
    {
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        m_worker->pauseUpload(7);
        m_worker->abortDownload(8);
        QCOMPARE(errors.count(), 2);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorInvalidParameter);
        QCOMPARE(errors.at(1).at(0).value<Error>(), ErrorInvalidParameter);
    }
};

QTEST_MAIN(tst_ProjectUpload)
#include "tst_ProjectUpload.moc"
