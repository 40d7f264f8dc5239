// Downloads from the camera simulator: whole files, pause and resume with Range requests,
// cancelling, servers that ignore Range, broken, endless and trickling transfers, sizes the
// camera does not know, a drive that fills and local write failures.

#include "CameraSimulator.h"
#include "LogCapture.h"

#include "hx/CHXMediaDownload.h"
#include "hx/TetronCameraUrls.h"

#include "FileReplacement.h"

#include "support/PeakMemory.h"
#include "support/TestVolume.h"

#include <QBuffer>
#include <QImage>
#include <QSemaphore>
#include <QtEndian>
#include <QtTest>

#include <cerrno>
#include <limits>
#include <memory>
#include <tuple>

#include <sys/stat.h>

using namespace Ulx;
using namespace Ulx::Multimedia;

class tst_CHXMediaDownload : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    static const char* photoPath() { return "/SD/DCIM/100MEDIA/IMG0001.JPG"; }
    static const char* videoPath() { return "/SD/DCIM/100MEDIA/MOV0001.MP4"; }

    CRemoteFileInfo info(const QString& path, qint64 size, RemoteMediaTypes::FileType type)
    {
        return CRemoteFileInfo(path.mid(path.lastIndexOf('/') + 1), Communication::cameraFileUrl(path),
                               QDateTime::currentDateTime(), size, type);
    }
    CRemoteFileInfo video() { return info(videoPath(), 65536, RemoteMediaTypes::FileTypeVideo); }
    CRemoteFileInfo photo() { return info(photoPath(), 4096, RemoteMediaTypes::FileTypePhoto); }
    QString target(const QString& name) const { return m_dir->filePath(name); }

    QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList leftovers() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    }

    QStringList ranges()
    {
        QStringList values;
        const QList<QJsonObject> requests = m_sim->requestsTo(QStringLiteral("file"));
        for (const QJsonObject& request : requests)
            values.append(request.value(QStringLiteral("range")).toString());
        return values;
    }

    // Waits until the request under way has brought bytes beyond the progress it started
    // from, then pauses and resumes the download; from is where the next request starts.
    void pauseAndResumeOnce(CHXMediaDownload& download, int& from)
    {
        QTRY_VERIFY_WITH_TIMEOUT(download.currentFileProgress() > from, 10000);
        download.pause();
        QTRY_COMPARE_WITH_TIMEOUT(download.state(), CHXMediaDownload::Paused, 5000);
        from = download.currentFileProgress();
        download.resume();
        QTRY_COMPARE_WITH_TIMEOUT(download.state(), CHXMediaDownload::Running, 5000);
    }

    // The first answers (as many as stalls, with the fault together) stop after a quarter of
    // their body until the client lets the connection go; the answers after them have the fault
    // then. Every pause thus comes in the middle of a request, whatever the load.
    bool stallFirst(int stalls, const QString& then = QString(), const QString& together = QString())
    {
        QJsonArray rules{QJsonObject{{"fault", together.isEmpty() ? QStringLiteral("stall") : "stall+" + together},
                                     {"count", stalls}}};
        if (!then.isEmpty())
            rules.append(QJsonObject{{"fault", then}, {"count", -1}});
        return m_sim->setFaults(QJsonObject{{"file", rules}});
    }

private slots:
    void init()
    {
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        m_sim.reset();
        m_dir.reset();
    }

    void downloadsEveryFileToItsTarget()
    {
        // Under a umask other than the usual one, so that the files' mode must follow it.
        const mode_t umaskBefore = ::umask(027);
        CHXMediaDownload download({photo(), video()}, {target("a.jpg"), target("b.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        QSignalSpy urls(&download, &CAbstractMediaDownload::currentFileUrlChanged);
        QCOMPARE(download.totalSize(), qint64(4096 + 65536));
        download.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(download.totalProgress(), 100);
        QCOMPARE(download.processedFiles(), QStringList({target("a.jpg"), target("b.mp4")}));
        QCOMPARE(fileBytes(target("a.jpg")), m_sim->content(photoPath()));
        QCOMPARE(fileBytes(target("b.mp4")), m_sim->content(videoPath()));
        QCOMPARE(urls.count(), 2);
        QCOMPARE(leftovers().size(), 2);
        // Media downloaded from the camera get what a normal save gives, not a private mode.
        QFile saved(target("saved.txt"));
        QVERIFY(saved.open(QIODevice::WriteOnly));
        saved.close();
        ::umask(umaskBefore);
        QCOMPARE(QFile::permissions(target("a.jpg")), QFile::permissions(target("saved.txt")));
        QCOMPARE(QFile::permissions(target("b.mp4")), QFile::permissions(target("saved.txt")));
        QVERIFY(QFile::permissions(target("a.jpg")) & QFileDevice::ReadGroup);
    }

    // Making a file durable waits on the disk, for seconds on a memory card: it runs off the
    // GUI thread, before the file takes its name, while the download goes on answering. Held
    // in the video's sync, the download is paused and resumed, then cancelled at once; the
    // video never takes its name. Held past its rename, a cancelled video counts as stored.
    void theSyncRunsOffTheGuiThreadBeforeTheRename()
    {
        QSemaphore held;
        QAtomicInt reached;
        QAtomicInt onThisThread;
        FileReplacement::setSyncObserver([&](const QString& copy) {
            const QFileInfo synced(copy);
            if (QThread::currentThread() == thread() || (!synced.isDir() && !FileReplacement::isNewCopyName(synced.fileName())))
                onThisThread.ref();
            if (copy.contains(QLatin1String(".mp4."))) {
                reached.ref();
                held.tryAcquire(1, 20000);
            }
        });
        const auto stopWatching = qScopeGuard([] { FileReplacement::setSyncObserver(nullptr); });
        CHXMediaDownload download({photo(), video()}, {target("c.jpg"), target("d.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        // This thread turns its events while the video waits in its sync.
        QTRY_COMPARE_WITH_TIMEOUT(reached.loadAcquire(), 1, 20000);
        QCOMPARE(download.totalProgress(), 100);
        QCOMPARE(download.processedFiles(), QStringList({target("c.jpg")}));
        download.pause();
        QTRY_COMPARE_WITH_TIMEOUT(download.state(), CHXMediaDownload::Paused, 5000);
        download.resume();
        QTRY_COMPARE_WITH_TIMEOUT(download.state(), CHXMediaDownload::Running, 5000);
        download.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 5000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCancelled));
        held.release();
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), QStringList({"c.jpg"}), 20000);
        QCOMPARE(onThisThread.loadAcquire(), 0);

        // Held in the folder's sync the video has its name already: cancelled then, it is one
        // of the files done.
        QSemaphore heldNamed;
        QAtomicInt named;
        FileReplacement::setSyncObserver([&](const QString& synced) {
            if (QFileInfo(synced).isDir() && QFileInfo::exists(target("h.mp4")) && named.fetchAndAddOrdered(1) == 0)
                heldNamed.tryAcquire(1, 20000);
        });
        CHXMediaDownload stored({photo(), video()}, {target("g.jpg"), target("h.mp4")});
        QSignalSpy storedFinished(&stored, &CAbstractMediaDownload::finished);
        stored.start();
        QTRY_COMPARE_WITH_TIMEOUT(named.loadAcquire(), 1, 20000);
        stored.cancel();
        heldNamed.release();
        QTRY_VERIFY_WITH_TIMEOUT(!storedFinished.isEmpty(), 5000);
        QCOMPARE(stored.result(), int(CHXMediaDownload::ResultCancelled));
        QCOMPARE(stored.processedFiles(), QStringList({target("g.jpg"), target("h.mp4")}));
        QCOMPARE(fileBytes(target("h.mp4")), m_sim->content(videoPath()));

        // A camera may list any size: the total stops at the largest number.
        constexpr qint64 largest = std::numeric_limits<qint64>::max();
        CHXMediaDownload listedHuge({info(photoPath(), largest, RemoteMediaTypes::FileTypePhoto),
                                     info(videoPath(), largest, RemoteMediaTypes::FileTypeVideo)},
                                    {target("e.jpg"), target("f.mp4")});
        QCOMPARE(listedHuge.totalSize(), largest);
    }

    void finishedIsNeverEmittedInsideACall()
    {
        CHXMediaDownload download({photo()}, {QStringLiteral("/nonexistent-folder/x/a.jpg")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait(5000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultFileWriteFailed));
    }

    void pauseAndResumeContinueWithARange()
    {
        QVERIFY(stallFirst(1));
        CHXMediaDownload download({video()}, {target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        int from = 0;
        pauseAndResumeOnce(download, from);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(videoPath()));
        const QStringList sent = ranges();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.at(0), QString());
        QVERIFY2(QRegularExpression("^bytes=[1-9][0-9]*-65536$").match(sent.at(1)).hasMatch(), qPrintable(sent.at(1)));
    }

    void tenPauseResumeCyclesKeepTheBytes()
    {
        QVERIFY(stallFirst(10));
        CHXMediaDownload download({video()}, {target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        int from = 0;
        for (int i = 0; i < 10; ++i)
            pauseAndResumeOnce(download, from);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(videoPath()));
        QVERIFY(ranges().size() >= 10);
    }

    void resumeAnsweredWithOtherBytesRestartsTheFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("askedAgain");
        // Appending a whole-file answer to the partial file would duplicate its start.
        QTest::newRow("the whole file") << QStringLiteral("ignore-range") << false;
        // A 206 is a continuation only when its Content-Range starts at the bytes already held;
        // appending one that starts elsewhere would corrupt the file.
        QTest::newRow("another offset") << QStringLiteral("shifted-range") << true;
        // A camera says so when the pause came after the last byte of a file whose size its
        // list did not give: the range asked for starts at the file's end.
        QTest::newRow("unsatisfiable") << QStringLiteral("unsatisfiable-range") << true;
    }

    void resumeAnsweredWithOtherBytesRestartsTheFile()
    {
        QFETCH(QString, fault);
        QFETCH(bool, askedAgain);
        QVERIFY(stallFirst(1, fault, fault));
        CHXMediaDownload download({video()}, {target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        int from = 0;
        pauseAndResumeOnce(download, from);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(videoPath()));
        QVERIFY(download.currentFileProgress() <= 100);
        const QStringList sent = ranges();
        QVERIFY2(sent.size() >= 2 && sent.at(1).startsWith(QLatin1String("bytes=")), qPrintable(sent.join(QLatin1Char(','))));
        // The resume got other bytes than it asked for, and the file was asked for again whole.
        if (askedAgain) {
            QVERIFY2(sent.size() >= 3, qPrintable(sent.join(QLatin1Char(','))));
            QCOMPARE(sent.at(2), QString());
        }
    }

    void cancelWhilePausedRemovesThePartialFile()
    {
        QVERIFY(stallFirst(1));
        CHXMediaDownload download({video()}, {target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QTRY_VERIFY_WITH_TIMEOUT(download.currentFileProgress() > 0, 10000);
        download.pause();
        QTRY_COMPARE_WITH_TIMEOUT(download.state(), CHXMediaDownload::Paused, 5000);
        download.cancel();
        QCOMPARE(finished.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCancelled));
        QTRY_VERIFY_WITH_TIMEOUT(leftovers().isEmpty(), 20000);
    }

    void cancelWhileRunning()
    {
        // The photo comes whole; the video stalls until the cancel.
        QVERIFY(m_sim->setFaults(QJsonObject{{"file", QJsonArray{QJsonObject{{"fault", "slow"}, {"count", 1}},
                                                                 QJsonObject{{"fault", "stall"}, {"count", 1}}}}}));
        CHXMediaDownload download({photo(), video()}, {target("a.jpg"), target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        QSignalSpy urls(&download, &CAbstractMediaDownload::currentFileUrlChanged);
        download.start();
        QTRY_COMPARE_WITH_TIMEOUT(urls.count(), 2, 10000);
        download.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCancelled));
        // The finished first file stays; the second leaves nothing behind.
        QCOMPARE(download.processedFiles(), QStringList({target("a.jpg")}));
        // (removed on the disk thread)
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), QStringList({"a.jpg"}), 20000);
    }

    void transferFaultsFail_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("404") << "404";
        QTest::newRow("close-mid-body") << "close-mid-body";
        QTest::newRow("no-answer") << "no-answer";
    }

    void transferFaultsFail()
    {
        QFETCH(QString, fault);
        QVERIFY(m_sim->fault("file", fault, -1));
        CHXMediaDownload download({video()}, {target("v.mp4")});
        Tovrin::Shared::TransferLimits limits = CHXMediaDownload::defaultTransferLimits();
        limits.headMs = 500;
        limits.stallMs = 500;
        download.setTransferLimits(limits);
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(15000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultTransferFailed));
        QVERIFY(download.processedFiles().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(leftovers().isEmpty(), 20000);
    }

    // A file the camera lists with a size is whole at that size only: an answer without a length
    // that the camera closes part way fails, and so does one that runs past the size, with a
    // length, without one or without end. The operator's older copy stays byte for byte. Where
    // the list gave no size, the close is the file's end.
    void onlyTheListedSizeIsAWholeFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<qint64>("listed");
        QTest::addColumn<int>("result");
        const int failed = CHXMediaDownload::ResultTransferFailed;
        const int completed = CHXMediaDownload::ResultCompleted;
        QTest::newRow("closed part way, no length") << "no-length+close-mid-body" << qint64(65536) << failed;
        QTest::newRow("past the size, no length") << "no-length" << qint64(21237) << failed;
        QTest::newRow("past the size, with a length") << "" << qint64(21237) << failed;
        QTest::newRow("past the size, without end") << "endless-close" << qint64(21237) << failed;
        QTest::newRow("closed at the size") << "no-length" << qint64(65536) << completed;
        QTest::newRow("no size listed, closed") << "no-length" << qint64(0) << completed;
    }

    void onlyTheListedSizeIsAWholeFile()
    {
        QFETCH(QString, fault);
        QFETCH(qint64, listed);
        QFETCH(int, result);
        if (!fault.isEmpty())
            QVERIFY(m_sim->fault("file", fault, -1));
        const QByteArray older(300022, 'o');
        {
            QFile existing(target("v.mp4"));
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(older) == older.size());
        }
        LogCapture log;
        CHXMediaDownload download({info(videoPath(), listed, RemoteMediaTypes::FileTypeVideo)}, {target("v.mp4")});
        download.setReplaceableTargets({target("v.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(download.result(), result);
        if (result == CHXMediaDownload::ResultCompleted) {
            QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(videoPath()));
        } else {
            QCOMPARE(fileBytes(target("v.mp4")), older);
            QVERIFY(download.processedFiles().isEmpty());
            QCOMPARE(log.count("listed size"), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), QStringList({"v.mp4"}), 20000);
    }

    // Files as the camera stores them: an MP4 (ftyp, moov, mdat), a JPEG, and bytes of neither.
    static QByteArray box(const char* type, const QByteArray& body)
    {
        QByteArray size(4, '\0');
        qToBigEndian<quint32>(quint32(8 + body.size()), size.data());
        return size + type + body;
    }
    static QByteArray mp4()
    {
        return box("ftyp", QByteArray("isom\0\0\x02\0isomiso2", 16)) + box("moov", box("udta", QByteArray(32, 'u')))
            + box("mdat", QByteArray(20000, 'm'));
    }
    static QByteArray jpeg()
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG");
        return buffer.data();
    }
    static QByteArray neither() { return QByteArray(5000, 'n'); }

    // A file the list gives no size for, sent without a length and cut by a close at chosen
    // points. A camera that honours ranges tells the rest and the size when asked past the cut;
    // where it ignores them, the file's own format shows the cut. Nothing cut takes a name; an
    // older copy chosen for overwrite stays byte for byte.
    void unsizedFilesCutByACloseAreNeverPublished_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("older");
        QTest::addColumn<int>("result");
        const int failed = CHXMediaDownload::ResultTransferFailed;
        const int completed = CHXMediaDownload::ResultCompleted;
        const QByteArray video = mp4();
        const QByteArray photo = jpeg();
        // Inside the ftyp, at the end of the ftyp and of the moov, inside the mdat, a byte short.
        const QVector<int> videoCuts = {12, 24, 72, 10000, int(video.size()) - 1};
        const QVector<int> photoCuts = {2, 100, int(photo.size()) / 2, int(photo.size()) - 2, int(photo.size()) - 1};
        int row = 0;
        const auto add = [&row](const char* kind, const QByteArray& content, const QString& fault, int result) {
            QTest::addRow("%s %s", kind, qPrintable(fault)) << content << fault << bool(row++ % 2) << result;
        };
        for (const auto& [kind, content, cuts] :
             {std::make_tuple("mp4", video, videoCuts), std::make_tuple("jpeg", photo, photoCuts)}) {
            add(kind, content, QStringLiteral("no-length"), completed);
            for (const int cut : cuts) {
                add(kind, content, QStringLiteral("cut:%1").arg(cut), completed);
                add(kind, content, QStringLiteral("cut:%1+ignore-range").arg(cut), failed);
            }
        }
        add("neither", neither(), QStringLiteral("no-length"), completed);
        for (const int cut : {0, 1, 2500, 4999})
            add("neither", neither(), QStringLiteral("cut:%1").arg(cut), completed);
    }

    void unsizedFilesCutByACloseAreNeverPublished()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fault);
        QFETCH(bool, older);
        QFETCH(int, result);
        const QString path = QStringLiteral("/SD/DCIM/100MEDIA/CUT0001.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", path}, {"format", "MP4"}, {"listedSize", QJsonValue::Null},
                                           {"contentBase64", QString::fromLatin1(content.toBase64())}}));
        // Every answer is cut where ranges are ignored; the first only where they are honoured.
        QVERIFY(m_sim->fault("file", fault, fault.contains("ignore-range") || fault == "no-length" ? -1 : 1));
        const QByteArray olderBytes(32768, 'o');
        if (older) {
            QFile existing(target("c.mp4"));
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(olderBytes) == olderBytes.size());
        }
        LogCapture log;
        CHXMediaDownload download({info(path, 0, RemoteMediaTypes::FileTypeVideo)}, {target("c.mp4")});
        download.setReplaceableTargets({target("c.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(20000));
        QCOMPARE(download.result(), result);
        if (result == CHXMediaDownload::ResultCompleted) {
            QCOMPARE(fileBytes(target("c.mp4")), content);
            QCOMPARE(download.processedFiles(), QStringList({target("c.mp4")}));
        } else {
            QCOMPARE(QFile::exists(target("c.mp4")), older);
            if (older)
                QCOMPARE(fileBytes(target("c.mp4")), olderBytes);
            QVERIFY(download.processedFiles().isEmpty());
            QCOMPARE(log.count("ended short"), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), older || result == CHXMediaDownload::ResultCompleted
                                                   ? QStringList({"c.mp4"}) : QStringList(), 20000);
    }

    // An answer that never ends or that trickles is given up as a failed transfer, in bounded
    // memory: the camera's endless error page at loopback speed, and the file at 1.3 kB/s where
    // 4 kB/s are asked for. A file that keeps coming at link speed arrives, however long it
    // takes beyond those limits.
    void answersWithoutEndAreGivenUp_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("result");
        QTest::newRow("endless error page") << "endless-page" << 65536 << int(CHXMediaDownload::ResultTransferFailed);
        QTest::newRow("trickle") << "trickle" << 65536 << int(CHXMediaDownload::ResultTransferFailed);
        QTest::newRow("compressed") << "gzip-bomb" << 65536 << int(CHXMediaDownload::ResultTransferFailed);
        QTest::newRow("at link speed, longer than the limits") << "slow" << 800000
                                                               << int(CHXMediaDownload::ResultCompleted);
    }

    void answersWithoutEndAreGivenUp()
    {
        QFETCH(QString, fault);
        QFETCH(int, size);
        QFETCH(int, result);
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        const QString path = QStringLiteral("/SD/DCIM/100MEDIA/LONG%1.MP4").arg(size);
        QVERIFY(m_sim->addFile(QJsonObject{{"path", path}, {"format", "MP4"}, {"size", size}}));
        QVERIFY(m_sim->fault("file", fault, -1));
        CHXMediaDownload download({info(path, size, RemoteMediaTypes::FileTypeVideo)}, {target("v.mp4")});
        Tovrin::Shared::TransferLimits limits;
        limits.headMs = 2000;
        limits.stallMs = 2000;
        limits.lowSpeedBytesPerSecond = 4096;
        limits.lowSpeedWindowMs = 1000;
        download.setTransferLimits(limits);
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        const qint64 allowed = PeakMemory::peakBytes() + 64 * 1024 * 1024;
        download.start();
        // Over once it ends, or once it has taken more memory than it may.
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || PeakMemory::peakBytes() > allowed, 60000);
        QVERIFY2(PeakMemory::peakBytes() <= allowed,
                 qPrintable(QStringLiteral("%1 MiB above the bound").arg((PeakMemory::peakBytes() - allowed) >> 20)));
        QCOMPARE(download.result(), result);
        if (result == CHXMediaDownload::ResultCompleted)
            QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(path));
        else
            QTRY_VERIFY_WITH_TIMEOUT(leftovers().isEmpty(), 20000);
    }

    // The limits the download ships with end a file crawling at 320 B/s (its window shortened
    // to keep the test short: the floor is what is tried); and a reader slower than its link
    // (the program's thread busy three quarters of the time) holds little of a 200 MiB file
    // that the camera sends as fast as it can.
    void theShippedLimitsAndReadLimitHold()
    {
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        const QString crawling = QStringLiteral("/SD/DCIM/100MEDIA/CRAWL.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", crawling}, {"format", "MP4"}, {"size", 65536}}));
        QVERIFY(m_sim->fault("file", "crawl", -1));
        {
            CHXMediaDownload download({info(crawling, 65536, RemoteMediaTypes::FileTypeVideo)}, {target("c.mp4")});
            Tovrin::Shared::TransferLimits limits = CHXMediaDownload::defaultTransferLimits();
            limits.lowSpeedWindowMs = 2000;
            download.setTransferLimits(limits);
            QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
            download.start();
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
            QCOMPARE(download.result(), int(CHXMediaDownload::ResultTransferFailed));
        }
        QVERIFY(m_sim->clearFaults());
        const int size = 200 * 1024 * 1024;
        const QString large = QStringLiteral("/SD/DCIM/100MEDIA/LARGE.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", large}, {"format", "MP4"}, {"size", size}}));
        CHXMediaDownload download({info(large, size, RemoteMediaTypes::FileTypeVideo)}, {target("l.mp4")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        QTimer busy;
        connect(&busy, &QTimer::timeout, this, [] { QThread::msleep(15); });
        busy.start(5);
        const qint64 allowed = PeakMemory::peakBytes() + 64 * 1024 * 1024;
        download.start();
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() || PeakMemory::peakBytes() > allowed, 120000);
        busy.stop();
        QVERIFY2(PeakMemory::peakBytes() <= allowed,
                 qPrintable(QStringLiteral("%1 MiB above the bound").arg((PeakMemory::peakBytes() - allowed) >> 20)));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
    }

    // A drive that fills during the download is named as full, with the system's reason in the
    // log: the camera lists no size and sends 6 MB onto a 4 MiB volume, or a size that fits and
    // another program fills the drive meanwhile. The old copy stays whole, nothing else stays.
    void aDriveThatFillsIsNamedFull()
    {
        const QString folder = target("card");
        QVERIFY(QDir().mkpath(folder));
        TestVolume card;
        if (!card.mountTmpfs(folder, 4096))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        const QString big = QStringLiteral("/SD/DCIM/100MEDIA/BIG.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", big}, {"format", "MP4"}, {"size", 6000000}, {"listedSize", 0}}));
        const QString old = folder + QStringLiteral("/BIG.MP4");
        {
            QFile existing(old);
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old copy") == 8);
        }
        LogCapture log;
        CHXMediaDownload unlisted({info(big, 0, RemoteMediaTypes::FileTypeVideo)}, {old});
        unlisted.setReplaceableTargets({old});
        QSignalSpy finished(&unlisted, &CAbstractMediaDownload::finished);
        unlisted.start();
        QVERIFY(finished.wait(30000));
        QCOMPARE(unlisted.result(), int(CHXMediaDownload::ResultDiskFull));
        QCOMPARE(fileBytes(old), QByteArray("old copy"));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"BIG.MP4"}), 20000);
        QVERIFY(log.count("No space left on device") >= 1);

        // Filled by another program while the file comes.
        QVERIFY(m_sim->fault("file", "slow", -1));
        CHXMediaDownload filled({video()}, {folder + QStringLiteral("/v.mp4")});
        QSignalSpy filledFinished(&filled, &CAbstractMediaDownload::finished);
        filled.start();
        QTRY_VERIFY_WITH_TIMEOUT(filled.currentFileProgress() > 0, 20000);
        QVERIFY(TestVolume::fill(folder));
        QVERIFY(filledFinished.wait(30000));
        QCOMPARE(filled.result(), int(CHXMediaDownload::ResultDiskFull));
        QVERIFY(QFile::remove(folder + QStringLiteral("/filler")));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"BIG.MP4"}), 20000);
    }

    // The drive fills where the file's buffer meets it part way, at the pieces a Wi-Fi link
    // brings, or only the sync finds it full after every write passed: named full either way,
    // with the system's reason in the log, and the older copy whole.
    void aDriveFullAtAnyStepIsNamedFull_data()
    {
        QTest::addColumn<bool>("atTheSync");
        QTest::newRow("filled by packets") << false;
        QTest::newRow("full at the sync") << true;
    }

    void aDriveFullAtAnyStepIsNamedFull()
    {
        QFETCH(bool, atTheSync);
        const QString folder = target("small");
        QVERIFY(QDir().mkpath(folder));
        TestVolume card;
        if (!atTheSync && !card.mountTmpfs(folder, 64))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        const QString path = QStringLiteral("/SD/DCIM/100MEDIA/PACKETS.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", path}, {"format", "MP4"}, {"size", 300000}}));
        QVERIFY(m_sim->fault("file", "slow", -1));
        const QString old = folder + QStringLiteral("/PACKETS.MP4");
        {
            QFile existing(old);
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old copy") == 8);
        }
        if (atTheSync) {
            FileReplacement::setSyncCall([](int) {
                errno = ENOSPC;
                return -1;
            });
        }
        const auto realSync = qScopeGuard([] { FileReplacement::setSyncCall(nullptr); });
        LogCapture log;
        CHXMediaDownload download({info(path, atTheSync ? 300000 : 0, RemoteMediaTypes::FileTypeVideo)}, {old});
        download.setReplaceableTargets({old});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(30000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultDiskFull));
        QCOMPARE(fileBytes(old), QByteArray("old copy"));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"PACKETS.MP4"}), 20000);
        QCOMPARE(log.count("No space left on device"), 1);
        QCOMPARE(log.count("Unknown error"), 0);
    }

    void existingTargetIsNotOverwritten()
    {
        {
            QFile existing(target("a.jpg"));
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("keep me");
        }
        LogCapture log;
        CHXMediaDownload download({photo()}, {target("a.jpg")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultFileWriteFailed));
        QVERIFY(download.processedFiles().isEmpty());
        QCOMPARE(fileBytes(target("a.jpg")), QByteArray("keep me"));
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), QStringList({"a.jpg"}), 20000);
        QVERIFY(log.count("Cannot move the file to its target") == 1);
    }

    void emptyFileAndUnknownSizes()
    {
        QVERIFY(m_sim->addFile(QJsonObject{{"path", "/SD/DCIM/100MEDIA/EMPTY.JPG"}, {"format", "jpeg"}, {"size", 0}}));
        // Listed sizes of zero must not divide by zero.
        CHXMediaDownload download({info("/SD/DCIM/100MEDIA/EMPTY.JPG", 0, RemoteMediaTypes::FileTypePhoto),
                                   info(photoPath(), 0, RemoteMediaTypes::FileTypePhoto)},
                                  {target("e.jpg"), target("p.jpg")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(download.totalProgress(), 0);
        QCOMPARE(fileBytes(target("e.jpg")), QByteArray());
        QCOMPARE(fileBytes(target("p.jpg")), m_sim->content(photoPath()));

        // Paused and resumed, a file of unknown size goes on to its end, whatever that is.
        const QString path = QStringLiteral("/SD/DCIM/100MEDIA/UNKNOWN.MP4");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", path}, {"format", "MP4"}, {"size", 400000}, {"listedSize", "12kB"}}));
        QVERIFY(m_sim->fault("file", "slow", -1));
        CHXMediaDownload unknown({info(path, 0, RemoteMediaTypes::FileTypeVideo)}, {target("v.mp4")});
        QSignalSpy unknownFinished(&unknown, &CAbstractMediaDownload::finished);
        unknown.start();
        // What the new copy holds on the disk so far.
        const auto received = [this] {
            return QDir(m_dir->path()).entryInfoList({".v.mp4.replacing.*"}, QDir::Files | QDir::Hidden).value(0).size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(received() > 0, 10000);
        unknown.pause();
        QTRY_COMPARE_WITH_TIMEOUT(unknown.state(), CHXMediaDownload::Paused, 5000);
        unknown.resume();
        QVERIFY(unknownFinished.wait(20000));
        QCOMPARE(unknown.result(), int(CHXMediaDownload::ResultCompleted));
        QCOMPARE(fileBytes(target("v.mp4")), m_sim->content(path));
        const QStringList sent = ranges();
        QVERIFY2(sent.size() >= 2 && QRegularExpression("^bytes=[1-9][0-9]*-$").match(sent.last()).hasMatch(),
                 qPrintable(sent.join(QLatin1Char(','))));
    }

    void foreignUrlIsRefused()
    {
        CRemoteFileInfo foreign(QStringLiteral("x.jpg"), QStringLiteral("http://127.0.0.2:1/x.jpg"),
                                QDateTime::currentDateTime(), 10, RemoteMediaTypes::FileTypePhoto);
        CHXMediaDownload download({foreign}, {target("x.jpg")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultTransferFailed));
        QTRY_VERIFY_WITH_TIMEOUT(leftovers().isEmpty(), 20000);
    }

    void fewerTargetsThanFilesFails()
    {
        CHXMediaDownload download({photo(), video()}, {target("a.jpg")});
        QSignalSpy finished(&download, &CAbstractMediaDownload::finished);
        download.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(download.result(), int(CHXMediaDownload::ResultFileWriteFailed));
        QVERIFY(m_sim->requestsTo(QStringLiteral("file")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CHXMediaDownload)
#include "tst_CHXMediaDownload.moc"
