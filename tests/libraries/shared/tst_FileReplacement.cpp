// New copies beside their targets: hidden names that fit the folder, a sweep that takes only
// copies nobody writes, renames that never go through a link or over what they must keep,
// modes as the destination keeps them, and the publisher that syncs and renames off the
// caller's thread.
#include "FilePermissions.h"
#include "FileReplacement.h"
#include "NewCopyPublisher.h"

#include <QDir>
#include <QMutex>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using Tovrin::Shared::NewCopyPublisher;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::unique_ptr<QTemporaryFile> newCopyHolding(const QString& target, const QByteArray& bytes)
{
    std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(target);
    if (copy && copy->write(bytes) != bytes.size())
        copy.reset();
    return copy;
}

} // namespace

class tst_FileReplacement : public QObject
{
    Q_OBJECT

private slots:
    void newCopiesAreHiddenAndFitTheirFolder()
    {
        QTemporaryDir dir;
        // A name holding the template's own letters keeps them.
        const QString target = dir.filePath(QStringLiteral("IMG XXXXXX.JPG"));
        std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(target);
        QVERIFY(copy && copy->isOpen());
        const QFileInfo made(copy->fileName());
        QCOMPARE(made.absolutePath(), QFileInfo(target).absolutePath());
        QVERIFY2(made.fileName().startsWith(QLatin1String(".IMG XXXXXX.JPG.replacing.")), qPrintable(made.fileName()));
        QVERIFY(made.isHidden() && FileReplacement::isNewCopyName(made.fileName()));
        QVERIFY(!QFile::exists(target));
        copy.reset();
        QCOMPARE(entries(dir.path()), QStringList());

        // The longest name a folder takes still has room for its new copy.
        const QString longest = dir.filePath(QString(251, QLatin1Char('a')) + QStringLiteral(".jpg"));
        QVERIFY(writeBytes(longest, "old"));
        copy = FileReplacement::createNewCopy(longest);
        QVERIFY(copy);
        QVERIFY(FileReplacement::isNewCopyName(QFileInfo(copy->fileName()).fileName()));
        QVERIFY(QFileInfo(copy->fileName()).fileName().toUtf8().size() <= 255);

        QString error;
        QVERIFY(!FileReplacement::createNewCopy(dir.filePath(QStringLiteral("missing/a.jpg")), &error));
        QVERIFY(!error.isEmpty());

        for (const char* name : {".project.xml.download.replacing.AbCd12", ".a b.jpg.replacing.zzzzzz"})
            QVERIFY2(FileReplacement::isNewCopyName(QLatin1String(name)), name);
        for (const char* name : {"a.jpg.replacing.abcdef", ".a.jpg.replacing.abcde", ".a.jpg.replacing.abcdefg",
                                 ".a.jpg.replacing.ab-def", ".a.jpg.replacing", ".replacing.abcdef"})
            QVERIFY2(!FileReplacement::isNewCopyName(QLatin1String(name)), name);
    }

    // Only a copy of the form that no writer holds goes; whatever else stands there stays, and
    // the sweep neither waits on a pipe nor follows a link.
    void theSweepTakesOnlyStrays()
    {
        QTemporaryDir dir;
        const QString outside = dir.filePath(QStringLiteral("outside.jpg"));
        const QString folder = dir.filePath(QStringLiteral("media"));
        QVERIFY(QDir().mkpath(folder) && writeBytes(outside, "outside"));
        QVERIFY(writeBytes(folder + "/.IMG0001.JPG.replacing.AbCdEf", "left by a killed writer"));
        std::unique_ptr<QTemporaryFile> written = newCopyHolding(folder + "/IMG0002.JPG", "being written");
        QVERIFY(written && written->flush());
        QVERIFY(QFile::link(outside, folder + "/.link.jpg.replacing.AbCdEf"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/.pipe.jpg.replacing.AbCdEf").constData(), 0600), 0);
        QVERIFY(QDir().mkpath(folder + "/.dir.replacing.AbCdEf"));
        QVERIFY(writeBytes(folder + "/.notes.replacing.backup1", "the user's"));
        QVERIFY(writeBytes(folder + "/IMG0003.JPG", "a photo"));

        QCOMPARE(FileReplacement::sweepStrayCopies(folder), 1);
        QStringList expected = {".dir.replacing.AbCdEf", ".link.jpg.replacing.AbCdEf", ".notes.replacing.backup1",
                                ".pipe.jpg.replacing.AbCdEf", QFileInfo(written->fileName()).fileName(), "IMG0003.JPG"};
        expected.sort();
        QCOMPARE(entries(folder), expected);
        QCOMPARE(readBytes(outside), QByteArray("outside"));
        QCOMPARE(readBytes(written->fileName()), QByteArray("being written"));
        QCOMPARE(FileReplacement::sweepStrayCopies(dir.filePath(QStringLiteral("none"))), 0);
    }

    // A name that must be kept is never taken, not even through a link to nothing; a name to be
    // replaced is replaced itself, the file a link there leads to untouched.
    void renamesNeverGoThroughALink()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy"));
        const QString kept = dir.filePath(QStringLiteral("kept.jpg"));
        const QString dangling = dir.filePath(QStringLiteral("dangling.jpg"));
        const QString nowhere = dir.filePath(QStringLiteral("nowhere.jpg"));
        QVERIFY(writeBytes(copy, "new") && writeBytes(kept, "old"));
        QVERIFY(QFile::link(nowhere, dangling));

        QVERIFY(!FileReplacement::renameWithoutReplacing(copy, kept));
        QCOMPARE(errno, EEXIST);
        QVERIFY(!FileReplacement::renameWithoutReplacing(copy, dangling));
        QVERIFY(!QFile::exists(nowhere));
        QCOMPARE(readBytes(kept), QByteArray("old"));
        QVERIFY(FileReplacement::renameWithoutReplacing(copy, dir.filePath(QStringLiteral("free.jpg"))));
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("free.jpg"))), QByteArray("new"));
        QVERIFY(!QFile::exists(copy));

        QVERIFY(writeBytes(copy, "newer"));
        QVERIFY(FileReplacement::replaceFileWith(copy, dangling));
        QVERIFY(!QFileInfo(dangling).isSymLink());
        QCOMPARE(readBytes(dangling), QByteArray("newer"));
        QVERIFY(!QFile::exists(nowhere));
    }

    void modesAsTheDestinationKeepsThem()
    {
        QTemporaryDir dir;
        const QList<QPair<QFileDevice::Permission, mode_t>> bits = {
            {QFileDevice::ReadOwner, S_IRUSR},  {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
            {QFileDevice::ReadGroup, S_IRGRP},  {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
            {QFileDevice::ReadOther, S_IROTH},  {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH}};
        QFile file(dir.filePath(QStringLiteral("f")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const auto& bit : bits) {
            QCOMPARE(FilePermissions::setFileMode(file, bit.first), FilePermissions::ModeResult::Set);
            struct stat info {};
            QCOMPARE(::fstat(file.handle(), &info), 0);
            QCOMPARE(info.st_mode & 07777, bit.second);
        }

        // What file systems without modes answer; any other failure is one.
        int answer = 0;
        FilePermissions::setModeCall([&answer](int, unsigned) {
            errno = answer;
            return -1;
        });
        const auto systemsOwn = qScopeGuard([] { FilePermissions::setModeCall(nullptr); });
        for (const int refusal : {EPERM, ENOSYS, EOPNOTSUPP}) {
            answer = refusal;
            QCOMPARE(FilePermissions::setFileMode(file, QFileDevice::ReadOwner), FilePermissions::ModeResult::NotKept);
        }
        answer = EIO;
        QString reason;
        QCOMPARE(FilePermissions::setFileMode(file, QFileDevice::ReadOwner, &reason), FilePermissions::ModeResult::Failed);
        QVERIFY(!reason.isEmpty());
    }

    // The sync waits on the disk: it runs on a thread of its own, before the rename. Withdrawn
    // short of its rename, a copy goes and its target stays as it was.
    void thePublisherSyncsOffTheCallersThreadBeforeTheRename()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("a.jpg"));
        QMutex mutex;
        QList<QThread*> threads;
        QList<bool> targetPresent;
        QSemaphore held;
        QSemaphore reached;
        bool hold = false;
        FileReplacement::setSyncObserver([&](const QString&) {
            {
                QMutexLocker locker(&mutex);
                threads.append(QThread::currentThread());
                targetPresent.append(QFile::exists(target));
            }
            if (hold) {
                reached.release();
                held.tryAcquire(1, 60000);
            }
        });
        const auto stopWatching = qScopeGuard([] { FileReplacement::setSyncObserver(nullptr); });

        NewCopyPublisher publisher;
        QSignalSpy finished(&publisher, &NewCopyPublisher::finished);
        QThread* contentThread = nullptr;
        QVERIFY(publisher.publish(newCopyHolding(target, "new"), target, NewCopyPublisher::Rename::KeepExisting,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup,
                                  [&contentThread](QFile&) { contentThread = QThread::currentThread(); }));
        QVERIFY(publisher.isPublishing());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().value<NewCopyPublisher::Outcome>(), NewCopyPublisher::Outcome::Published);
        QCOMPARE(threads.size(), 1);
        QVERIFY(threads.first() != QThread::currentThread());
        QCOMPARE(contentThread, threads.first());
        QCOMPARE(targetPresent.first(), false);
        QCOMPARE(readBytes(target), QByteArray("new"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0640));
        QCOMPARE(entries(dir.path()), QStringList({"a.jpg"}));

        // A name that is taken is kept: the copy fails and goes.
        QVERIFY(publisher.publish(newCopyHolding(target, "newer"), target, NewCopyPublisher::Rename::KeepExisting,
                                  QFileDevice::ReadOwner));
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.last().first().value<NewCopyPublisher::Outcome>(), NewCopyPublisher::Outcome::Failed);
        QVERIFY(!finished.last().at(2).toString().isEmpty());
        QCOMPARE(readBytes(target), QByteArray("new"));
        QCOMPARE(entries(dir.path()), QStringList({"a.jpg"}));

        // Held in its sync and withdrawn: it never takes the name, and finished() does not come.
        hold = true;
        QVERIFY(publisher.publish(newCopyHolding(target, "newest"), target, NewCopyPublisher::Rename::Replace,
                                  QFileDevice::ReadOwner));
        QVERIFY(!publisher.publish(newCopyHolding(target, "another"), target, NewCopyPublisher::Rename::Replace,
                                   QFileDevice::ReadOwner));
        QTRY_COMPARE_WITH_TIMEOUT(reached.available(), 1, 60000);
        QVERIFY(publisher.withdraw());
        QVERIFY(!publisher.isPublishing());
        held.release();
        QTRY_COMPARE_WITH_TIMEOUT(entries(dir.path()), QStringList({"a.jpg"}), 60000);
        QCOMPARE(readBytes(target), QByteArray("new"));
        QCOMPARE(finished.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_FileReplacement)
#include "tst_FileReplacement.moc"
