// The media scan and import jobs on their own worker thread, against folder trees generated
// here: duplicates, case variants, hidden folders, a link loop, empty, large and sparse files,
// and project media paths that lead out of the project folder.
#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaImportService.h"
#include "mediaimport/CMediaImportWorker.h"
#include "mediaimport/CMediaScan.h"
#include "mediaimport/SafeMediaPaths.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/SurveyHelpers.h"

#include "FilePermissions.h"
#include "FileReplacement.h"

#include "MediaTree.h"
#include "support/KilledWriter.h"
#include "support/TestVolume.h"

#include <QDir>
#include <QMutex>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

#include <cerrno>

#include <sys/stat.h>

using namespace MediaTree;

namespace {

constexpr int WaitMs = 60000;
constexpr qint64 MiB = 1048576;

QSet<QString> namesOf(const QStringList& paths)
{
    QSet<QString> names;
    for (const QString& path : paths)
        names.insert(QFileInfo(path).fileName());
    return names;
}

// Hands a worker's reports to the test's thread, so the spies are only ever touched there.
class WorkerRelay : public QObject
{
    Q_OBJECT

public:
    explicit WorkerRelay(CMediaImportWorker* worker)
    {
        connect(worker, &CMediaImportWorker::bytesWritten, this, &WorkerRelay::bytesWritten, Qt::QueuedConnection);
        connect(worker, &CMediaImportWorker::finished, this, &WorkerRelay::finished, Qt::QueuedConnection);
    }

signals:
    void bytesWritten(qlonglong size);
    void finished(CMediaImport::Result result);
};

// Runs a bare worker on a thread of its own; the worker comes home before it is destroyed.
class WorkerHarness
{
public:
    WorkerHarness()
    {
        qRegisterMetaType<CMediaImport::Result>("CMediaImport::Result");
        m_thread.start();
        m_worker.moveToThread(&m_thread);
    }
    ~WorkerHarness()
    {
        CMediaImportWorker* worker = &m_worker;
        QThread* home = QCoreApplication::instance()->thread();
        QMetaObject::invokeMethod(worker, [worker, home] { worker->moveToThread(home); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    CMediaImportWorker& worker() { return m_worker; }
    void start(const QString& source, const QString& destination)
    {
        QMetaObject::invokeMethod(&m_worker, "start", Q_ARG(QStringList, QStringList{source}),
                                  Q_ARG(QStringList, QStringList{destination}));
    }

private:
    QThread m_thread;
    CMediaImportWorker m_worker;
};

} // namespace

class tst_MediaScanAndImport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CMediaImportService> m_service;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& relative) const { return m_dir->filePath(relative); }

    // A FAT card of 8 MiB mounted at mountPoint through FUSE; empty, else what is missing for it.
    QString mountFatCard(const QString& mountPoint)
    {
        const QString image = mountPoint + QStringLiteral(".img");
        QFile file(image);
        if (!QDir().mkpath(mountPoint) || !file.open(QIODevice::WriteOnly) || !file.resize(8 * MiB))
            return QStringLiteral("no room for a FAT image");
        if (QProcess::execute("mkfs.vfat", {"-n", "CARD", image}) != 0)
            return QStringLiteral("mkfs.vfat could not make a FAT image (dosfstools missing)");
        if (QProcess::execute("fusefat", {"-o", "rw+", image, mountPoint}) != 0)
            return QStringLiteral("fusefat could not mount the FAT image (no FUSE here)");
        return QString();
    }

    std::shared_ptr<CMediaScan> scanDestinations(const QString& search, const QString& photos, const QString& videos)
    {
        auto scan = m_service->createScan(search, photos, videos);
        QSignalSpy finished(scan.get(), &CMediaScan::finished);
        if (!finished.wait(WaitMs))
            return nullptr;
        return scan;
    }

    std::shared_ptr<CMediaImport> runImport(const QStringList& sources, const QStringList& destinations)
    {
        auto import = m_service->createImport(sources, destinations);
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        if (!finished.wait(WaitMs))
            return nullptr;
        return import;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_service = std::make_unique<CMediaImportService>();
    }

    void cleanup()
    {
        m_service.reset();
        m_dir.reset();
    }

    void scanFindsMediaSortedByNameWithTheirDestinations()
    {
        QVERIFY(writePhoto(path("src/b/a.jpg"), 1));
        QVERIFY(writePhoto(path("src/a/b.jpg"), 2));
        QVERIFY(writePhoto(path("src/x.jpg"), 3));
        QVERIFY(writePhoto(path("src/deep/er/X.JPG"), 4));
        QVERIFY(writeBytes(path("src/x.mp4"), "video"));
        QVERIFY(writePhoto(path("src/C.PNG"), 5));
        QVERIFY(writeBytes(path("src/clip.MP4"), "video"));
        QVERIFY(writeBytes(path("src/d.jpeg"), "jpeg"));
        QVERIFY(writeBytes(path("src/notes.txt"), "not media"));
        QVERIFY(writePhoto(path("src/.hidden/h.jpg"), 6));
        QVERIFY(writeBytes(path("photos/b.jpg"), "already here"));
        QVERIFY(QDir().mkpath(path("videos")));

        // The folders come without their trailing "/": the names must still land inside them.
        auto scan = scanDestinations(path("src"), path("photos"), path("videos"));
        QVERIFY(scan);
        QCOMPARE(scan->result(), CMediaScan::Success);
        const QStringList found = scan->foundFiles();
        QStringList names;
        for (const QString& file : found)
            names.append(QFileInfo(file).fileName());
        // By name, not by path; x.jpg and X.JPG are two files; nothing hidden, nothing else.
        QCOMPARE(names, QStringList({"C.PNG", "X.JPG", "a.jpg", "b.jpg", "clip.MP4", "d.jpeg", "x.jpg", "x.mp4"}));
        QCOMPARE(found.at(2), path("src/b/a.jpg"));
        const QStringList destinations = scan->destFiles();
        QCOMPARE(destinations.size(), found.size());
        QCOMPARE(destinations.at(0), path("photos/C.PNG"));
        QCOMPARE(destinations.at(4), path("videos/clip.MP4"));
        QCOMPARE(destinations.at(7), path("videos/x.mp4"));
        QCOMPARE(scan->foundFileStates(), QList<bool>({false, false, false, true, false, false, false, false}));
    }

    // Names in every case and order class, media suffixes inside other names, a folder named
    // like a photo, links to a file, to nothing and to a folder, and destinations that exist as
    // a file, a folder, a link to nothing and a name of another case: the lists keep the order
    // and the states they have always had, in both modes.
    void scanKeepsOrderAndStatesOnAMixedTree()
    {
        const QStringList media = {"Zeta.JPG", "alpha.jpg", "Alpha.jpg", "beta.JpEg", "clip.Mp4", "10.jpg",
                                   "9.jpg", QString::fromUtf8("\xc3\xa4-umlaut.png"), "folder.jpg/inner.PNG",
                                   "sub/_under.jpeg", "sub/deeper/Omega.mp4", "sub/deeper/omega.MP4"};
        for (const QString& name : media)
            QVERIFY(writeBytes(path("src/" + name), name.toUtf8()));
        for (const char* name : {"gamma.png.txt", "delta.jpg.bak", "noext", "jpg", ".hidden.jpg",
                                    ".hid/secret.jpg", "sub/mp4"})
            QVERIFY(writeBytes(path("src/" + QString(name)), "other"));
        QVERIFY(QFile::link(path("src/sub/_under.jpeg"), path("src/link-to-photo.jpg")));
        QVERIFY(QFile::link(path("src/missing.jpg"), path("src/broken.jpg")));
        QVERIFY(QFile::link(path("src/sub"), path("src/linked-dir")));

        QVERIFY(writeBytes(path("photos/alpha.jpg"), "old"));
        QVERIFY(writeBytes(path("photos/ZETA.JPG"), "other case"));
        QVERIFY(writeBytes(path(QString::fromUtf8("photos/\xc3\xa4-umlaut.png")), "old"));
        QVERIFY(QDir().mkpath(path("photos/9.jpg")));
        QVERIFY(QFile::link(path("photos/gone.jpg"), path("photos/beta.JpEg")));
        QVERIFY(writeBytes(path("videos/clip.Mp4"), "old"));

        auto scan = scanDestinations(path("src"), path("photos/"), path("videos/"));
        QVERIFY(scan);
        QCOMPARE(scan->result(), CMediaScan::Success);
        const QStringList expected = {"10.jpg", "9.jpg", "Alpha.jpg", "sub/deeper/Omega.mp4", "Zeta.JPG",
                                      "sub/_under.jpeg", "alpha.jpg", "beta.JpEg", "clip.Mp4", "folder.jpg/inner.PNG",
                                      "link-to-photo.jpg", "sub/deeper/omega.MP4",
                                      QString::fromUtf8("\xc3\xa4-umlaut.png")};
        QStringList found;
        QStringList destinations;
        for (const QString& relative : expected) {
            found.append(path("src/" + relative));
            const QString name = QFileInfo(relative).fileName();
            destinations.append(path((name.endsWith("mp4", Qt::CaseInsensitive) ? "videos/" : "photos/") + name));
        }
        QCOMPARE(scan->foundFiles(), found);
        QCOMPARE(scan->destFiles(), destinations);
        QCOMPARE(scan->foundFileStates(),
                 QList<bool>({false, true, false, false, false, false, true, false, true, false, false, false, true}));

        // Match files in several folders, one of them missing; the first of two equal names wins.
        const QStringList matches = {path("project/Photos/alpha.jpg"), path("project/Photos/Zeta.JPG"),
                                     path("project/Videos/omega.MP4"), path("project/Other/9.jpg"),
                                     path("project/Photos/nothere.jpg"), path("project/Videos/alpha.jpg")};
        QVERIFY(writeBytes(matches.at(0), "old"));
        QVERIFY(writeBytes(matches.at(2), "old"));
        QVERIFY(writeBytes(matches.at(5), "old"));
        auto matched = m_service->createScan(path("src"), matches);
        QSignalSpy finished(matched.get(), &CMediaScan::finished);
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(matched->result(), CMediaScan::Success);
        QCOMPARE(matched->foundFiles(), QStringList({path("src/9.jpg"), path("src/Zeta.JPG"), path("src/alpha.jpg"),
                                                     path("src/sub/deeper/omega.MP4")}));
        QCOMPARE(matched->destFiles(), QStringList({matches.at(3), matches.at(1), matches.at(0), matches.at(2)}));
        QCOMPARE(matched->foundFileStates(), QList<bool>({false, false, true, true}));
    }

    void scanEndsOnDuplicatesAndOnEmptyInput()
    {
        QVERIFY(writePhoto(path("dup/one/x.jpg"), 1));
        QVERIFY(writePhoto(path("dup/two/x.jpg"), 2));
        auto duplicates = scanDestinations(path("dup"), path("p/"), path("v/"));
        QVERIFY(duplicates);
        QCOMPARE(duplicates->result(), CMediaScan::FailedDuplicatesFound);
        QCOMPARE(duplicates->foundFiles().size(), 1);
        QVERIFY(duplicates->destFiles().isEmpty());

        QVERIFY(QDir().mkpath(path("empty")));
        auto empty = scanDestinations(path("empty"), path("p/"), path("v/"));
        QVERIFY(empty);
        QCOMPARE(empty->result(), CMediaScan::Success);
        QVERIFY(empty->foundFiles().isEmpty() && empty->destFiles().isEmpty() && empty->foundFileStates().isEmpty());

        // Match mode without match files never looks at the folder (it does not even exist).
        auto nothing = m_service->createScan(path("missing"), QStringList());
        QSignalSpy finished(nothing.get(), &CMediaScan::finished);
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(nothing->result(), CMediaScan::Success);
        QVERIFY(nothing->foundFiles().isEmpty());
    }

    // A FAT card or stick ignores case: a photo named IMG.JPG lands on the img.jpg already
    // there, so the scan must offer it for overwrite.
    void scanOnACaseIgnoringDestinationSeesTheFileOfTheOtherCase()
    {
        const QString card = path("card");
        const QString missing = mountFatCard(card);
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        const auto unmount = qScopeGuard([&card] { QProcess::execute("fusermount", {"-u", card}); });
        QVERIFY(writeBytes(card + "/photos/img.jpg", "already on the card"));
        QVERIFY(QDir().mkpath(card + "/videos"));
        QVERIFY(writePhoto(path("src/IMG.JPG"), 1));
        QVERIFY(writePhoto(path("src/other.jpg"), 2));

        auto scan = scanDestinations(path("src"), card + "/photos", card + "/videos");
        QVERIFY(scan);
        QCOMPARE(scan->result(), CMediaScan::Success);
        QCOMPARE(scan->destFiles(), QStringList({card + "/photos/IMG.JPG", card + "/photos/other.jpg"}));
        QCOMPARE(scan->foundFileStates(), QList<bool>({true, false}));
    }

    void matchModePairsByExactName()
    {
        QVERIFY(writePhoto(path("card/DCIM/IMG_0001.JPG"), 1));
        QVERIFY(writePhoto(path("card/DCIM/img_0002.jpg"), 2));
        QVERIFY(writeBytes(path("card/MOV/VID_0001.MP4"), "v"));
        QVERIFY(writeBytes(path("project/Photos/IMG_0001.JPG"), "old"));
        const QStringList matches = {path("project/Photos/IMG_0001.JPG"), path("project/Photos/IMG_0002.JPG"),
                                     path("project/Videos/VID_0001.MP4")};
        auto scan = m_service->createScan(path("card"), matches);
        QSignalSpy finished(scan.get(), &CMediaScan::finished);
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(scan->result(), CMediaScan::Success);
        QCOMPARE(scan->foundFiles(), QStringList({path("card/DCIM/IMG_0001.JPG"), path("card/MOV/VID_0001.MP4")}));
        QCOMPARE(scan->destFiles(), QStringList({matches.at(0), matches.at(2)}));
        QCOMPARE(scan->foundFileStates(), QList<bool>({true, false}));
    }

    void projectRecordsLeadingOutOfTheProjectAreRefused()
    {
        // Project P, a neighbour project P2 whose name starts with P's, a link from P into P2
        // and one inside P.
        QVERIFY(writeBytes(path("projects/P2/Photos/IMG_2.JPG"), "neighbour's"));
        QVERIFY(QDir().mkpath(path("projects/P/Photos")));
        QVERIFY(QFile::link(path("projects/P2"), path("projects/P/Neighbour")));
        QVERIFY(QFile::link(path("projects/P/Photos"), path("projects/P/Shortcut")));
        auto survey = std::make_shared<CSurvey>();
        for (const char* record : {"Photos/IMG_1.JPG", "../../escape/IMG_1.JPG", "Photos/../../P2/Photos/IMG_2.JPG",
                                   "Neighbour/Photos/IMG_2.JPG", "Shortcut/IMG_3.JPG", "/tmp/IMG_4.JPG", "Photos/.."})
            survey->addPicture(std::make_shared<CSurveyPhoto>(QLatin1String(record), QString(), 0.0, 0.0, 0.0));
        survey->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/../../P2/VID_1.MP4"), QString()));
        CSurveyProject project("P", "en", ProjectTypes::DistanceUnitMetric);
        project.addSurvey(survey);
        const QString root = path("projects/P") + QLatin1Char('/');
        QCOMPARE(projectMediaFilePaths(project, root),
                 QStringList({path("projects/P/Photos/IMG_1.JPG"), path("projects/P/Shortcut/IMG_3.JPG")}));
        // The same rule for the names the web service gives.
        QCOMPARE(safeFilePathInside(root, QStringLiteral("Neighbour"), QStringLiteral("x.jpg")), QString());
        QCOMPARE(safeFilePathInside(path("projects/P"), QStringLiteral("../P2"), QStringLiteral("x.jpg")), QString());
        QCOMPARE(safeFilePathInside(root, QStringLiteral("Shortcut"), QStringLiteral("x.jpg")),
                 path("projects/P/Shortcut/x.jpg"));
        QCOMPARE(readBytes(path("projects/P2/Photos/IMG_2.JPG")), QByteArray("neighbour's"));
    }

    void linkLoopsEndAndRepeatNothing()
    {
        QVERIFY(writePhoto(path("loop/a/p1.jpg"), 1));
        QVERIFY(writePhoto(path("loop/a/b/p2.png"), 2));
        QVERIFY(QFile::link(path("loop/a"), path("loop/a/b/back")));
        QVERIFY(QFile::link(path("loop"), path("loop/a/b/top")));
        auto scan = scanDestinations(path("loop"), path("p/"), path("v/"));
        QVERIFY(scan);
        QCOMPARE(scan->result(), CMediaScan::Success);
        QCOMPARE(namesOf(scan->foundFiles()), QSet<QString>({"p1.jpg", "p2.png"}));
        QCOMPARE(scan->foundFiles().size(), 2);
    }

    void cancellingAScan()
    {
        // Enough folders that the walk is still busy when the cancel arrives.
        for (int i = 0; i < 300; ++i)
            QVERIFY(QDir().mkpath(path(QStringLiteral("wide/f%1/g").arg(i))));
        auto running = m_service->createScan(path("wide"), path("p/"), path("v/"));
        running->cancel();
        QSignalSpy finished(running.get(), &CMediaScan::finished);
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(running->result(), CMediaScan::Cancelled);

        // A cancel while paused is reported at once (no walk runs that could notice it).
        QThread thread;
        thread.start();
        QObject probe;
        probe.moveToThread(&thread);
        {
            CMediaScan scan(&thread);
            QSignalSpy done(&scan, &CMediaScan::finished);
            scan.start(path("wide"), path("p/"), path("v/"));
            scan.pause();
            // Returns once the walk has taken the pause and given the thread back.
            QVERIFY(QMetaObject::invokeMethod(&probe, [] {}, Qt::BlockingQueuedConnection));
            QCOMPARE(done.size(), 0);
            scan.cancel();
            QVERIFY(done.wait(WaitMs));
            QCOMPARE(scan.result(), CMediaScan::Cancelled);
        }
        QMetaObject::invokeMethod(&probe, [&probe, &thread] { probe.moveToThread(thread.thread()); },
                                  Qt::BlockingQueuedConnection);
        thread.quit();
        QVERIFY(thread.wait(WaitMs));
    }

    void importCopiesEveryFileAndPatchesVideos()
    {
        const QString video = path("src/rotated.mp4");
        if (!writeVideo(video))
            QSKIP("gst-launch-1.0 with x264enc and mp4mux is needed to make a video");
        QVERIFY(rotateVideo(video));
        QVERIFY(trackMatrix(video) != identityMatrix());
        QVERIFY(writePhoto(path("src/p.jpg"), 7));
        QVERIFY(writeBytes(path("src/zero.png"), QByteArray()));
        QVERIFY(writeBytes(path("src/big.jpg"), noise(10 * MiB, 11)));
        QVERIFY(QDir().mkpath(path("dst")));

        const QStringList sources = {path("src/p.jpg"), path("src/zero.png"), path("src/big.jpg"), video};
        const QStringList destinations = {path("dst/p.jpg"), path("dst/zero.png"), path("dst/big.jpg"),
                                          path("dst/ROTATED.MP4")};
        // Under a umask other than the usual one, so that the files' mode must follow it.
        const mode_t umaskBefore = ::umask(027);
        auto import = m_service->createImport(sources, destinations);
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QSignalSpy files(import.get(), &CMediaImport::currentFileSizeChanged);
        QSignalSpy serviceDone(m_service.get(), &CMediaImportService::importFinished);
        const bool ended = finished.wait(WaitMs);
        QFile saved(path("dst/saved.txt"));
        const bool savedOpened = saved.open(QIODevice::WriteOnly);
        saved.close();
        ::umask(umaskBefore);
        QVERIFY(ended);
        QVERIFY(savedOpened);
        // Imported files are what a normal save gives, not the temporary file's private mode.
        for (const QString& destination : destinations)
            QCOMPARE(QFile::permissions(destination), QFile::permissions(path("dst/saved.txt")));
        QCOMPARE(import->result(), CMediaImport::Success);
        QCOMPARE(serviceDone.size(), 1);
        QCOMPARE(import->processedFiles(), sources);
        QCOMPARE(import->totalProgress(), 100);
        QCOMPARE(import->totalSize(), QFileInfo(path("src/p.jpg")).size() + 10 * MiB + QFileInfo(video).size());
        QCOMPARE(files.size(), 4);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(sameContent(sources.at(i), destinations.at(i)), qPrintable(destinations.at(i)));
        QCOMPARE(trackMatrix(destinations.at(3)), identityMatrix());
        QCOMPARE(QFileInfo(destinations.at(3)).size(), QFileInfo(video).size());
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());
    }

    void blocksAndProgress()
    {
        QVERIFY(writeBytes(path("src/ten.jpg"), noise(10 * MiB, 3)));
        QVERIFY(QDir().mkpath(path("dst")));
        {
            WorkerHarness harness;
            WorkerRelay relay(&harness.worker());
            QSignalSpy blocks(&relay, &WorkerRelay::bytesWritten);
            QSignalSpy finished(&relay, &WorkerRelay::finished);
            harness.start(path("src/ten.jpg"), path("dst/ten.jpg"));
            QVERIFY(finished.wait(WaitMs));
            QCOMPARE(finished.first().first().value<CMediaImport::Result>(), CMediaImport::Success);
            QCOMPARE(blocks.size(), 3);
            QCOMPARE(blocks.at(0).first().toLongLong(), 4 * MiB);
            QCOMPARE(blocks.at(1).first().toLongLong(), 4 * MiB);
            QCOMPARE(blocks.at(2).first().toLongLong(), 2 * MiB);
        }
        QVERIFY(sameContent(path("src/ten.jpg"), path("dst/ten.jpg")));

        // Percent of nothing is complete, never a division by zero.
        QCOMPARE(CMediaImport::percentOf(0, 0), 100);
        QCOMPARE(CMediaImport::percentOf(MiB, 3 * MiB), 33);
        QCOMPARE(CMediaImport::percentOf(4 * MiB, 5LL * 1024 * MiB), 0);
        QCOMPARE(CMediaImport::percentOf(5LL * 1024 * MiB - 1, 5LL * 1024 * MiB), 99);

        auto empty = runImport({}, {});
        QVERIFY(empty);
        QCOMPARE(empty->result(), CMediaImport::Success);
        QCOMPARE(empty->totalSize(), 0);
    }

    // The kernel copies only between files it can pair (mostly on one file system); from
    // another volume the blocks go through the buffer, with the same blocks and progress.
    void aCopyFromAnotherFileSystemGoesThroughTheBuffer()
    {
        QTemporaryDir other(QStringLiteral("/dev/shm/cx-import-XXXXXX"));
        if (!other.isValid() || QStorageInfo(other.path()).device() == QStorageInfo(path(QString())).device())
            QSKIP("no second file system (/dev/shm) to copy from");
        const QString source = other.filePath(QStringLiteral("ten.jpg"));
        QVERIFY(writeBytes(source, noise(10 * MiB, 9)));
        QVERIFY(QDir().mkpath(path("dst")));
        {
            WorkerHarness harness;
            WorkerRelay relay(&harness.worker());
            QSignalSpy blocks(&relay, &WorkerRelay::bytesWritten);
            QSignalSpy finished(&relay, &WorkerRelay::finished);
            harness.start(source, path("dst/ten.jpg"));
            QVERIFY(finished.wait(WaitMs));
            QCOMPARE(finished.first().first().value<CMediaImport::Result>(), CMediaImport::Success);
            QCOMPARE(blocks.size(), 3);
            QCOMPARE(blocks.at(2).first().toLongLong(), 2 * MiB);
        }
        QVERIFY(sameContent(source, path("dst/ten.jpg")));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());
    }

    // A FAT card keeps no file modes: the mode a copy cannot keep is no failed copy.
    void importOntoADestinationThatKeepsNoModes()
    {
        const QString card = path("card");
        const QString missing = mountFatCard(card);
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        const auto unmount = qScopeGuard([&card] { QProcess::execute("fusermount", {"-u", card}); });
        QVERIFY(writeBytes(path("src/b.jpg"), noise(5 * MiB, 12)) && writeBytes(card + "/b.jpg", "the old copy"));
        auto import = m_service->createImport({path("src/b.jpg")}, {card + "/b.jpg"}, {card + "/b.jpg"});
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, WaitMs);
        QCOMPARE(import->result(), CMediaImport::Success);
        QVERIFY(sameContent(path("src/b.jpg"), card + "/b.jpg"));
        QVERIFY(temporaryLeftovers(card).isEmpty());
    }

    // Each copy is made durable before it takes its name (a power cut must not leave the name,
    // and an overwritten file's old copy gone, with part of the content missing), on the
    // import's own thread. A mode the destination refuses (EPERM from a FAT card mounted for all
    // users) is no failed copy; a mode that could not be set for another reason (EIO) is one.
    void copiesAreSyncedBeforeTheirNameAndModesAsTheDestinationKeepsThem()
    {
        QMutex mutex;
        QStringList syncs;
        FileReplacement::setSyncObserver([&](const QString& copy) {
            if (QFileInfo(copy).isDir())
                return;
            QMutexLocker locker(&mutex);
            const bool onThisThread = QThread::currentThread() == thread();
            syncs.append(QFileInfo(copy).fileName() + (onThisThread ? " here " : " ") + readBytes(path("dst/old.jpg")));
        });
        int answer = EPERM;
        FilePermissions::setModeCall([&answer](int, unsigned) {
            errno = answer;
            return -1;
        });
        const auto restore = qScopeGuard([] {
            FileReplacement::setSyncObserver(nullptr);
            FilePermissions::setModeCall(nullptr);
        });
        QVERIFY(writeBytes(path("src/a.jpg"), noise(MiB, 21)) && writeBytes(path("src/old.jpg"), noise(MiB, 23))
                && writeBytes(path("dst/old.jpg"), "old copy"));
        auto import = m_service->createImport({path("src/a.jpg"), path("src/old.jpg")},
                                              {path("dst/a.jpg"), path("dst/old.jpg")}, {path("dst/old.jpg")});
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), WaitMs);
        QCOMPARE(import->result(), CMediaImport::Success);
        QVERIFY(sameContent(path("src/old.jpg"), path("dst/old.jpg")));
        QCOMPARE(syncs.size(), 2);
        syncs.sort();
        QVERIFY2(QRegularExpression("^\\.a\\.jpg\\.replacing\\.\\w{6} (?!here )").match(syncs.at(0)).hasMatch(), qPrintable(syncs.at(0)));
        QVERIFY2(QRegularExpression("^\\.old\\.jpg\\.replacing\\.\\w{6} old copy$").match(syncs.at(1)).hasMatch(),
                 qPrintable(syncs.at(1)));

        answer = EIO;
        auto failed = runImport({path("src/a.jpg")}, {path("dst/b.jpg")});
        QVERIFY(failed);
        QCOMPARE(failed->result(), CMediaImport::FileWriteFailure);
        QVERIFY(!QFile::exists(path("dst/b.jpg")));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());
    }

    // Killed between naming its copy and renaming it, an import leaves the copy under a hidden
    // name; the next import into that folder removes it.
    void aCopyLeftByAKilledImportGoesWithTheNextImport()
    {
        QVERIFY(writeBytes(path("src/BIG.MP4"), noise(3 * MiB, 41)) && writeBytes(path("src/next.jpg"), noise(MiB, 42)));
        QVERIFY(QDir().mkpath(path("dst")));
        const QString stray = KilledWriter::runUntilTheSyncAndKill({path("src/BIG.MP4"), path("dst/BIG.MP4")});
        QVERIFY(QFileInfo(stray).isHidden() && FileReplacement::isNewCopyName(QFileInfo(stray).fileName()));
        QCOMPARE(QFileInfo(stray).absolutePath() + "/BIG.MP4", QFileInfo(path("dst/BIG.MP4")).absoluteFilePath());
        QCOMPARE(QFileInfo(stray).size(), 3 * MiB);
        auto next = runImport({path("src/next.jpg")}, {path("dst/next.jpg")});
        QVERIFY(next);
        QCOMPARE(next->result(), CMediaImport::Success);
        QCOMPARE(QDir(path("dst")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"next.jpg"}));
    }

    // A drive that fills during the import is told apart from one that cannot be written; the
    // old copy of the file stays whole and nothing else stays.
    void aDriveThatFillsIsToldApart()
    {
        const QString card = path("card");
        QVERIFY(QDir().mkpath(card));
        TestVolume volume;
        if (!volume.mountTmpfs(card, 4096))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        QVERIFY(writeBytes(path("src/big.jpg"), noise(6 * MiB, 9)) && writeBytes(card + "/big.jpg", "old copy"));
        auto import = m_service->createImport({path("src/big.jpg")}, {card + "/big.jpg"}, {card + "/big.jpg"});
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), WaitMs);
        QCOMPARE(import->result(), CMediaImport::DiskFull);
        QCOMPARE(readBytes(card + "/big.jpg"), QByteArray("old copy"));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(card).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                                  QStringList({"big.jpg"}), WaitMs);
    }

    // Every write passed and only the sync finds the drive full: told as a full drive, and the
    // old copy whole.
    void aDriveFullAtTheSyncIsToldApart()
    {
        QVERIFY(writeBytes(path("src/synced.jpg"), noise(MiB, 8)) && writeBytes(path("dst/synced.jpg"), "old copy"));
        FileReplacement::setSyncCall([](int) {
            errno = ENOSPC;
            return -1;
        });
        const auto realSync = qScopeGuard([] { FileReplacement::setSyncCall(nullptr); });
        auto import = m_service->createImport({path("src/synced.jpg")}, {path("dst/synced.jpg")}, {path("dst/synced.jpg")});
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), WaitMs);
        QCOMPARE(import->result(), CMediaImport::DiskFull);
        QCOMPARE(readBytes(path("dst/synced.jpg")), QByteArray("old copy"));
        QTRY_VERIFY_WITH_TIMEOUT(temporaryLeftovers(path("dst")).isEmpty(), WaitMs);
    }

    void failuresKeepCompletedFilesAndLeaveNoPartialOnes()
    {
        QVERIFY(writeBytes(path("src/a.jpg"), noise(MiB, 1)));
        QVERIFY(writeBytes(path("src/b.jpg"), noise(MiB, 2)));
        QVERIFY(writeBytes(path("dst/b.jpg"), "appeared meanwhile"));
        auto exists = runImport({path("src/a.jpg"), path("src/b.jpg")}, {path("dst/a.jpg"), path("dst/b.jpg")});
        QVERIFY(exists);
        QCOMPARE(exists->result(), CMediaImport::FileWriteFailure);
        QCOMPARE(exists->processedFiles(), QStringList({path("src/a.jpg")}));
        QVERIFY(sameContent(path("src/a.jpg"), path("dst/a.jpg")));
        QCOMPARE(readBytes(path("dst/b.jpg")), QByteArray("appeared meanwhile"));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());

        // A folder where the destination's folder should be.
        QVERIFY(writeBytes(path("blocker"), "a file"));
        auto noFolder = runImport({path("src/a.jpg")}, {path("blocker/a.jpg")});
        QVERIFY(noFolder);
        QCOMPARE(noFolder->result(), CMediaImport::FileWriteFailure);

        auto vanished = runImport({path("src/gone.jpg")}, {path("dst/gone.jpg")});
        QVERIFY(vanished);
        QCOMPARE(vanished->result(), CMediaImport::FileReadFailure);

        auto unpaired = runImport({path("src/a.jpg"), path("src/b.jpg")}, {path("dst/c.jpg")});
        QVERIFY(unpaired);
        QCOMPARE(unpaired->result(), CMediaImport::FileWriteFailure);
        QVERIFY(!QFile::exists(path("dst/c.jpg")));
    }

    void aSourceThatShrinksIsAReadFailure()
    {
        QVERIFY(writeBytes(path("src/shrinks.jpg"), noise(10 * MiB, 5)));
        QVERIFY(QDir().mkpath(path("dst")));
        {
            WorkerHarness harness;
            WorkerRelay relay(&harness.worker());
            // Runs on the worker's thread between two blocks: the file loses its tail.
            const QString source = path("src/shrinks.jpg");
            connect(&harness.worker(), &CMediaImportWorker::bytesWritten, &harness.worker(),
                    [source] { QFile::resize(source, MiB); }, Qt::DirectConnection);
            QSignalSpy finished(&relay, &WorkerRelay::finished);
            harness.start(source, path("dst/shrinks.jpg"));
            QVERIFY(finished.wait(WaitMs));
            QCOMPARE(finished.first().first().value<CMediaImport::Result>(), CMediaImport::FileReadFailure);
        }
        QVERIFY(!QFile::exists(path("dst/shrinks.jpg")));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());
    }

    void cancelMidFileKeepsCompletedFiles()
    {
        QVERIFY(writeBytes(path("src/small.jpg"), noise(MiB, 8)));
        QVERIFY(writeSparse(path("src/huge.mp4"), 5LL * 1024 * MiB));
        QVERIFY(QDir().mkpath(path("dst")));
        auto import = m_service->createImport({path("src/small.jpg"), path("src/huge.mp4")},
                                              {path("dst/small.jpg"), path("dst/huge.mp4")});
        QSignalSpy finished(import.get(), &CMediaImport::finished);
        QSignalSpy names(import.get(), &CMediaImport::currentFileNameChanged);
        // Cancelled once the large file has begun.
        connect(import.get(), &CMediaImport::currentFileProgressChanged, this, [&] {
            if (import->currentFileName().endsWith(QLatin1String("huge.mp4")))
                import->cancel();
        });
        QSignalSpy sizes(import.get(), &CMediaImport::currentFileSizeChanged);
        QVERIFY(finished.wait(WaitMs));
        QCOMPARE(import->result(), CMediaImport::Cancelled);
        // 64-bit sizes all the way: more than 4 GiB is no wrap-around.
        QCOMPARE(import->totalSize(), MiB + 5LL * 1024 * MiB);
        QCOMPARE(import->processedFiles(), QStringList({path("src/small.jpg")}));
        QVERIFY(sameContent(path("src/small.jpg"), path("dst/small.jpg")));
        QVERIFY(!QFile::exists(path("dst/huge.mp4")));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());

        // Dropping a running job cancels it; what was complete stays.
        QVERIFY(writeSparse(path("src/huge2.mp4"), 5LL * 1024 * MiB));
        auto dropped = m_service->createImport({path("src/small.jpg"), path("src/huge2.mp4")},
                                               {path("dst/small2.jpg"), path("dst/huge2.mp4")});
        QSignalSpy second(dropped.get(), &CMediaImport::currentFileProgressChanged);
        QTRY_VERIFY_WITH_TIMEOUT(dropped->currentFileName().endsWith(QLatin1String("huge2.mp4")), WaitMs);
        dropped.reset();
        // The service waits for its thread, which first ends the cancelled copy.
        m_service.reset();
        QVERIFY(sameContent(path("src/small.jpg"), path("dst/small2.jpg")));
        QVERIFY(!QFile::exists(path("dst/huge2.mp4")));
        QVERIFY(temporaryLeftovers(path("dst")).isEmpty());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (KilledWriter::isChild(argc, argv)) {
        // Imports one file and is killed at its sync.
        const QStringList arguments = KilledWriter::childArguments(argc, argv);
        KilledWriter::stopAtTheSync();
        CMediaImportService service;
        const auto import = service.createImport({arguments.value(0)}, {arguments.value(1)});
        QObject::connect(import.get(), &CMediaImport::finished, &app, &QCoreApplication::quit);
        return app.exec();
    }
    tst_MediaScanAndImport checks;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&checks, argc, argv);
}
#include "tst_MediaScanAndImport.moc"
