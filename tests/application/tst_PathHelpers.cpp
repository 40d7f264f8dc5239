#include <QtTest>

#include <QDateTime>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "application/PathHelpers.h"

#include <limits>

#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr qint64 MiB = 1048576;

void touch(const QString& path, int bytes = 0)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

qint64 freeBytes(const QString& path)
{
    struct statvfs space {};
    return ::statvfs(QFile::encodeName(path).constData(), &space) == 0 ? qint64(space.f_bavail) * space.f_frsize : -1;
}

} // namespace

class tst_PathHelpers : public QObject
{
    Q_OBJECT

private slots:
    void pathBuilding()
    {
        QCOMPARE(ensureTrailingSlash(QStringLiteral("D:/data")), QStringLiteral("D:/data/"));
        QCOMPARE(ensureTrailingSlash(QStringLiteral("D:/data/")), QStringLiteral("D:/data/"));
        QCOMPARE(ensureTrailingSlash(QString()), QString());
        QCOMPARE(ensureTrailingSlash(QStringLiteral("D:\\data\\")), QStringLiteral("D:\\data\\/"));
        QCOMPARE(buildFolderPath(QStringLiteral("D:/p"), QStringLiteral("Photos/")), QStringLiteral("D:/p/Photos/"));
        QCOMPARE(buildFolderPath(QString(), QStringLiteral("Photos/")), QString());
        QCOMPARE(buildFilePath(QStringLiteral("/a"), QStringLiteral("b.png")), QStringLiteral("/a/b.png"));
        QCOMPARE(buildFilePath(QStringLiteral("/a"), QString()), QString());
        QCOMPARE(fileNameFromPath(QStringLiteral("abc")), QStringLiteral("abc"));
        QCOMPARE(fileNameFromPath(QStringLiteral("a/b/")), QString());
        QCOMPARE(fileNameFromUrl(QStringLiteral("file:///tmp/with%20space.png")), QStringLiteral("with space.png"));
        QCOMPARE(sanitizeFileName(QStringLiteral("a:b*c?")), QStringLiteral("a_b_c_"));
        QCOMPARE(sanitizeFileName(QStringLiteral("\"<>|\\/")), QStringLiteral("______"));
        QCOMPARE(sanitizeFolderName(QStringLiteral("  My:Project  ")), QStringLiteral("My_Project/"));
        QCOMPARE(buildFileName(QStringLiteral("photo.png"), QStringLiteral("jpg")), QStringLiteral("photo.jpg"));
        QCOMPARE(buildFileName(QStringLiteral("photo"), QStringLiteral("jpg")), QStringLiteral("photo.jpg"));
        QCOMPARE(buildFileName(QStringLiteral("photo"), QString()), QStringLiteral("photo"));
    }

    void relativePathStaysInsideTheRoot()
    {
        QCOMPARE(relativePath(QStringLiteral("D:/media/x/y.png"), QStringLiteral("D:/media")), QStringLiteral("x/y.png"));
        QCOMPARE(relativePath(QStringLiteral("D:/media/x/y.png"), QStringLiteral("D:/media/")), QStringLiteral("x/y.png"));
        QCOMPARE(relativePath(QStringLiteral("d:/media/x"), QStringLiteral("D:/media")), QString());
        // A sibling whose name merely starts like the root is not inside it.
        QCOMPARE(relativePath(QStringLiteral("/media2/x"), QStringLiteral("/media")), QString());
        QCOMPARE(relativePathFromUrl(QStringLiteral("file:///media/a/b.mp4"), QStringLiteral("/media")),
                 QStringLiteral("a/b.mp4"));
        QCOMPARE(relativePathFromUrl(QStringLiteral("http://127.0.0.1/media/a"), QStringLiteral("/media")), QString());
    }

    void uniqueFileNames()
    {
        QTemporaryDir dir;
        const QDateTime at(QDate(2024, 3, 5), QTime(14, 7, 31));
        QCOMPARE(createUniqueFileName(dir.path(), QStringLiteral("jpg"), false, at),
                 QStringLiteral("2024-03-05_14-07_0001.jpg"));
        touch(dir.filePath(QStringLiteral("2024-03-05_14-07_0001.JPG")));
        QCOMPARE(createUniqueFileName(dir.path(), QStringLiteral("jpg"), false, at),
                 QStringLiteral("2024-03-05_14-07_0002.jpg"));
        QCOMPARE(createUniqueFileName(dir.path(), QStringLiteral("mp4"), false, at),
                 createUniqueFileName(dir.path(), QStringLiteral(".mp4"), false, at));
        QCOMPARE(createUniqueFileName(dir.path(), QStringLiteral("jpg"), true, at),
                 QDir(dir.path()).absoluteFilePath(QStringLiteral("2024-03-05_14-07_0002.jpg")));
        // A new minute starts again at 0001.
        QCOMPARE(createUniqueFileName(dir.path(), QStringLiteral("jpg"), false, at.addSecs(60)),
                 QStringLiteral("2024-03-05_14-08_0001.jpg"));

        const QString uuidName = createUniqueUuidFileName(dir.path(), QStringLiteral("xml"), false);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.xml$"))
                     .match(uuidName).hasMatch(), qPrintable(uuidName));
        QVERIFY(createUniqueUuidFileName(dir.path(), QStringLiteral("xml"), true).startsWith(dir.path()));
    }

    void mediaFoldersAndSizes()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("a/b/c"));
        QVERIFY(createMediaFolders(folder));
        QVERIFY(QDir(photosFolderPath(folder)).exists());
        QVERIFY(QDir(videosFolderPath(folder)).exists());
        QVERIFY(!createMediaFolders(QString()));

        QVERIFY(subFolderExists(folder, QStringLiteral("photos/")));
        QVERIFY(!subFolderExists(folder, QStringLiteral("Audio")));
        touch(photosFolderPath(folder) + QStringLiteral("Shot.PNG"), 10);
        QVERIFY(fileExists(photosFolderPath(folder) + QStringLiteral("shot.png")));
        QVERIFY(!fileExists(photosFolderPath(folder) + QStringLiteral("other.png")));

        touch(videosFolderPath(folder) + QStringLiteral(".hidden"), 5);
        touch(ensureTrailingSlash(folder) + QStringLiteral("project.xml"), 100);
        QCOMPARE(folderSize(folder), qint64(115));

        // Anything inside keeps the folders; emptied again they go.
        removeEmptyMediaFolders(folder);
        QVERIFY(QDir(folder).exists());
        QFile::remove(photosFolderPath(folder) + QStringLiteral("Shot.PNG"));
        QFile::remove(videosFolderPath(folder) + QStringLiteral(".hidden"));
        removeEmptyMediaFolders(folder);
        QVERIFY(QDir(folder).exists()); // project.xml is a third entry
        QFile::remove(ensureTrailingSlash(folder) + QStringLiteral("project.xml"));
        removeEmptyMediaFolders(folder);
        QVERIFY(!QDir(folder).exists());
    }

    void storageSpaceCheck()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source.bin"));
        touch(source, 4096);
        // A destination folder that does not exist yet is checked on its nearest existing parent.
        const QString destination = dir.filePath(QStringLiteral("new/deeper/target.bin"));
        QVERIFY(hasEnoughStorageSpace({source}, {destination}, {}));
        QVERIFY(hasEnoughStorageSpace({}, {}, {}));

        const QStorageInfo volume(dir.path());
        if (volume.bytesAvailable() <= 0)
            QSKIP("The temporary folder's volume reports no free space");
        // Sparse files: sizes measured against the free space, without taking any of it.
        const qint64 room = volume.bytesAvailable();
        auto sparse = [&dir](const char* name, qint64 size) {
            QFile file(dir.filePath(QLatin1String(name)));
            return file.open(QIODevice::WriteOnly) && file.resize(size) ? file.fileName() : QString();
        };
        const QString huge = sparse("huge.bin", room / 2 + 4096);
        if (huge.isEmpty())
            QSKIP("Cannot create a sparse file here");
        // Two sources far beyond the volume's free space are refused together.
        QVERIFY(hasEnoughStorageSpace({huge}, {dir.filePath(QStringLiteral("x1"))}, {}));
        QVERIFY(!hasEnoughStorageSpace({huge, huge, huge},
                                       {dir.filePath(QStringLiteral("x1")), dir.filePath(QStringLiteral("x2")),
                                        dir.filePath(QStringLiteral("x3"))},
                                       {}));

        // A replaced file stays until its new copy is complete, so it frees its room only after
        // the new copy took its own: a new copy larger than the free space never fits, however
        // large the old one.
        const QString larger = sparse("larger.bin", room / 2 * 3);
        const QString old = sparse("old.bin", room / 2 * 3);
        const QString tiny = dir.filePath(QStringLiteral("tiny.bin"));
        touch(tiny, 4096);
        QVERIFY(!larger.isEmpty() && !old.isEmpty());
        QVERIFY(!hasEnoughStorageSpace({larger}, {old}, {old}));
        // A sparse old copy holds no blocks: replacing it makes no room for a large file after it.
        const QString fresh = dir.filePath(QStringLiteral("fresh.bin"));
        QVERIFY(!hasEnoughStorageSpace({tiny, larger}, {old, fresh}, {old}));

        // Sizes a camera lists are not to be trusted: none adds up to a small number.
        constexpr qint64 largest = std::numeric_limits<qint64>::max();
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("b"));
        QVERIFY(!hasEnoughStorageSpace({{a, largest, false}}));
        QVERIFY(!hasEnoughStorageSpace({{a, largest - 1, false}, {b, 1, false}}));
        QVERIFY(!hasEnoughStorageSpace({{a, largest / 2 + 1, false}, {b, largest / 2 + 1, false}}));
        QVERIFY(!hasEnoughStorageSpace({{tiny, largest, true}, {tiny, largest, true}}));
        QVERIFY(hasEnoughStorageSpace({{a, 4096, false}, {b, 0, false}}));
    }

    // On a small volume of the test's own (whose free space nothing else changes), mounted
    // twice: files take whole blocks, one volume has one free space, and an old copy gives back
    // what it holds.
    void storageSpaceCountsWhatTheVolumeHolds()
    {
        QTemporaryDir dir;
        const QString volume = dir.filePath(QStringLiteral("volume"));
        const QString other = dir.filePath(QStringLiteral("other"));
        const QString second = dir.filePath(QStringLiteral("second"));
        QVERIFY(QDir().mkpath(volume) && QDir().mkpath(other) && QDir().mkpath(second));
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8m", "tmpfs", volume}) != 0)
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        const auto unmount = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("umount"), {second});
            QProcess::execute(QStringLiteral("umount"), {other});
            QProcess::execute(QStringLiteral("umount"), {volume});
        });
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"--bind", volume, other}), 0);
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8m", "tmpfs", second}), 0);
        // Two volumes have a free space each.
        QVERIFY(hasEnoughStorageSpace({{volume + "/a", 5 * MiB, false}, {second + "/b", 5 * MiB, false}}));
        QVERIFY(!hasEnoughStorageSpace({{volume + "/a", 5 * MiB, false}, {second + "/b", 9 * MiB, false}}));
        const auto at = [&volume](const QString& name) { return volume + QLatin1Char('/') + name; };
        // size bytes written, then a hole up to the apparent size.
        const auto write = [](const QString& path, qint64 size, qint64 apparent = 0) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(QByteArray(int(size), 'm')) == size
                   && file.resize(qMax(size, apparent));
        };

        QVector<PlannedFile> small;
        for (int i = 0; i < 2100; ++i)
            small.append({at(QStringLiteral("f%1").arg(i)), 1, false});
        QVERIFY(!hasEnoughStorageSpace(small));
        QVERIFY(hasEnoughStorageSpace(small.mid(0, 1000)));
        QVERIFY(!hasEnoughStorageSpace({{at("a"), 5 * MiB, false}, {other + "/b", 5 * MiB, false}}));
        QVERIFY(hasEnoughStorageSpace({{at("a"), 3 * MiB, false}, {other + "/b", 3 * MiB, false}}));

        // A hard-linked old copy frees nothing; alone, it frees its room once replaced, not before.
        QVERIFY(write(at("old"), 6 * MiB));
        QCOMPARE(::link(QFile::encodeName(at("old")).constData(), QFile::encodeName(at("kept")).constData()), 0);
        QVERIFY(!hasEnoughStorageSpace({{at("old"), MiB, true}, {at("new"), 3 * MiB / 2, false}}));
        QVERIFY(QFile::remove(at("kept")));
        QVERIFY(hasEnoughStorageSpace({{at("old"), MiB, true}, {at("new"), 3 * MiB, false}}));
        QVERIFY(!hasEnoughStorageSpace({{at("new"), 3 * MiB, false}, {at("old"), MiB, true}}));
        QVERIFY(!hasEnoughStorageSpace({{at("old"), MiB, false}, {at("new"), 3 * MiB, false}}));

        // A sparse old copy frees its blocks, not its size.
        QVERIFY(QFile::remove(at("old")) && write(at("sparse"), MiB, 1024 * MiB));
        const qint64 room = freeBytes(volume);
        QVERIFY(hasEnoughStorageSpace({{at("sparse"), MiB, true}, {at("n"), room - MiB / 2, false}}));
        QVERIFY(!hasEnoughStorageSpace({{at("sparse"), MiB, true}, {at("n"), room + MiB / 2, false}}));

        // Two copies to one name: the second replaces the first, not the old copy on disk.
        QVERIFY(QFile::remove(at("sparse")) && write(at("d"), 4 * MiB));
        const qint64 left = freeBytes(volume);
        // Whole blocks that take all that is left fit; a byte more does not.
        QVERIFY(hasEnoughStorageSpace({{at("exact"), left, false}}));
        QVERIFY(!hasEnoughStorageSpace({{at("exact"), left + 1, false}}));
        const auto twiceThen = [&at](qint64 large) {
            return QVector<PlannedFile>{{at("d"), MiB, true}, {at("d"), MiB, true}, {at("large"), large, false}};
        };
        QVERIFY(hasEnoughStorageSpace(twiceThen(left + 5 * MiB / 2)));
        QVERIFY(!hasEnoughStorageSpace(twiceThen(left + 7 * MiB / 2)));
    }
};

QTEST_GUILESS_MAIN(tst_PathHelpers)
#include "tst_PathHelpers.moc"
