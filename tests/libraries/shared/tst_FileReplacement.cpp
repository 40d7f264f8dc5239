// New copies beside their targets: hidden names that fit the folder, a sweep that takes only
// copies nobody writes, renames that never go through a link or over what they must keep, each
// mode bit as asked, and the mode a published copy ends with. (The publisher's timing is tested
// through the downloads that use it.)
#include "FilePermissions.h"
#include "FileReplacement.h"
#include "NewCopyPublisher.h"

#include "support/KilledWriter.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cerrno>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

class tst_FileReplacement : public QObject
{
    Q_OBJECT

private slots:
    // Hidden, in the target's folder, for names holding the template's own letters and for the
    // longest names too; only a copy of the form that this program made and no writer holds is
    // swept: files of the user's with such names stay, one held open by another program too,
    // and the sweep neither waits on a pipe nor follows a link.
    void newCopiesAndTheSweep()
    {
        QTemporaryDir dir;
        std::unique_ptr<QTemporaryFile> written = FileReplacement::createNewCopy(dir.filePath("IMG XXXXXX.JPG"));
        QVERIFY(written && written->write("being written") == 13 && written->flush());
        const QString name = QFileInfo(written->fileName()).fileName();
        QVERIFY2(name.startsWith(".IMG XXXXXX.JPG.replacing.") && FileReplacement::isNewCopyName(name), qPrintable(name));
        const std::unique_ptr<QTemporaryFile> longest =
            FileReplacement::createNewCopy(dir.filePath(QString(251, QLatin1Char('a')) + ".jpg"));
        QVERIFY(longest && FileReplacement::isNewCopyName(QFileInfo(longest->fileName()).fileName()));
        QVERIFY(!FileReplacement::createNewCopy(dir.filePath("missing/a.jpg")));

        QVERIFY(writeBytes(dir.filePath("outside.jpg"), "outside"));
        const QString stray = KilledWriter::leftCopy(dir.filePath("IMG0001.JPG"), "left by a killed writer");
        QVERIFY(!stray.isEmpty());
        // The user's, beside their files: one private to its owner as a new copy starts, one
        // that another program holds open (without a lock), one of another owner with the mark.
        QVERIFY(writeBytes(dir.filePath("notes"), "the user's") && writeBytes(dir.filePath("photo.jpg"), "the user's"));
        for (const char* kept : {".notes.replacing.backup", ".photo.jpg.replacing.abc123", ".budget.xlsx.replacing.v2copy",
                                 ".my photo.replacing.MYCOPY", ".report.pdf.replacing.open01"})
            QVERIFY(writeBytes(dir.filePath(QLatin1String(kept)), "the user's"));
        QVERIFY(QFile::setPermissions(dir.filePath(".photo.jpg.replacing.abc123"), QFile::ReadOwner | QFile::WriteOwner));
        QProcess holder;
        holder.start("sh", {"-c", "exec 3<\"$0\"; echo open; exec sleep 600", dir.filePath(".report.pdf.replacing.open01")});
        QVERIFY(holder.waitForReadyRead(10000) && holder.readLine() == "open\n");
        const auto stopHolding = qScopeGuard([&holder] {
            holder.kill();
            holder.waitForFinished();
        });
        const QByteArray foreign = QFile::encodeName(KilledWriter::leftCopy(dir.filePath("theirs.jpg"), "another's"));
        // Only root can give a file to another owner; without it that row is left out.
        if (::geteuid() == 0)
            QVERIFY(::chown(foreign.constData(), 65534, 65534) == 0 && ::chmod(foreign.constData(), 01600) == 0);
        else
            QVERIFY(QFile::remove(QFile::decodeName(foreign)));
        QVERIFY(QFile::link(dir.filePath("outside.jpg"), dir.filePath(".link.jpg.replacing.AbCdEf")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(".pipe.jpg.replacing.AbCdEf")).constData(), 0600), 0);
        for (const char* kept : {".a.jpg.replacing.abcde", ".a.jpg.replacing.abcdefg", ".a.jpg.replacing.ab-def",
                                 "a.jpg.replacing.abcdef", ".a.jpg.replacing"})
            QVERIFY(writeBytes(dir.filePath(QLatin1String(kept)), "the user's"));
        const QStringList before = entries(dir.path());
        QCOMPARE(FileReplacement::sweepStrayCopies(dir.path()), 1);
        QStringList expected = before;
        expected.removeOne(QFileInfo(stray).fileName());
        QCOMPARE(entries(dir.path()), expected);
        QCOMPARE(readBytes(written->fileName()), QByteArray("being written"));
        QCOMPARE(readBytes(dir.filePath("outside.jpg")), QByteArray("outside"));
        QCOMPARE(readBytes(dir.filePath(".my photo.replacing.MYCOPY")), QByteArray("the user's"));
    }

    // A name to be kept is never taken, not even through a link to nothing; a name to be
    // replaced is replaced itself, the file a link there leads to untouched.
    void renamesNeverGoThroughALink()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath("copy");
        const QString dangling = dir.filePath("dangling.jpg");
        QVERIFY(writeBytes(copy, "new") && writeBytes(dir.filePath("kept.jpg"), "old"));
        QVERIFY(QFile::link(dir.filePath("nowhere.jpg"), dangling));
        QVERIFY(!FileReplacement::renameWithoutReplacing(copy, dir.filePath("kept.jpg")));
        QCOMPARE(errno, EEXIST);
        QVERIFY(!FileReplacement::renameWithoutReplacing(copy, dangling));
        QVERIFY(FileReplacement::renameWithoutReplacing(copy, dir.filePath("free.jpg")));
        QCOMPARE(readBytes(dir.filePath("kept.jpg")), QByteArray("old"));
        QVERIFY(writeBytes(copy, "newer") && FileReplacement::replaceFileWith(copy, dangling));
        QVERIFY(!QFileInfo(dangling).isSymLink());
        QCOMPARE(entries(dir.path()), QStringList({"dangling.jpg", "free.jpg", "kept.jpg"}));
    }

    void eachModeBitAsAsked()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        const QList<QPair<QFileDevice::Permission, mode_t>> bits = {
            {QFileDevice::ReadOwner, S_IRUSR},  {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ExeOwner, S_IXUSR},
            {QFileDevice::ReadGroup, S_IRGRP},  {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
            {QFileDevice::ReadOther, S_IROTH},  {QFileDevice::WriteOther, S_IWOTH}, {QFileDevice::ExeOther, S_IXOTH}};
        for (const auto& bit : bits) {
            QCOMPARE(FilePermissions::setFileMode(file, bit.first), FilePermissions::ModeResult::Set);
            struct stat info {};
            QCOMPARE(::fstat(file.handle(), &info), 0);
            QCOMPARE(info.st_mode & 07777, bit.second);
        }

        // A save keeps the mode the user gave its target; a new file gets a normal save's.
        QTemporaryDir dir;
        const auto modeOf = [](const QString& path) {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : mode_t(0);
        };
        const auto save = [](const QString& path) {
            return FileReplacement::writeWholeFile(path, [](QFileDevice& copy) { return copy.write("saved") == 5; });
        };
        for (const mode_t mode : {mode_t(0600), mode_t(0660)}) {
            const QString target = dir.filePath(QStringLiteral("project-%1.xml").arg(mode, 0, 8));
            QVERIFY(writeBytes(target, "old") && ::chmod(QFile::encodeName(target).constData(), mode) == 0);
            QVERIFY(save(target));
            QCOMPARE(readBytes(target), QByteArray("saved"));
            QCOMPARE(modeOf(target), mode);
        }
        QVERIFY(writeBytes(dir.filePath("normal"), "") && save(dir.filePath("new.xml")));
        QCOMPARE(modeOf(dir.filePath("new.xml")), modeOf(dir.filePath("normal")));
    }

    // A published copy is the user's file with the mode it is due: that of the file it
    // overwrites, whatever its writer asked for (a download asks for a new file's, the import for
    // none), else the one asked for; never with the mark of a new copy, so every bit counts.
    void publishedCopiesKeepTheModeTheyAreDue()
    {
        using Tovrin::Shared::NewCopyPublisher;
        QTemporaryDir dir;
        const auto modeOf = [](const QString& path) {
            struct stat info {};
            return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : mode_t(0);
        };
        const auto publish = [](const QString& target, NewCopyPublisher::Rename rename,
                                std::optional<QFileDevice::Permissions> permissions) {
            std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(target);
            if (!copy || copy->write("new") != 3 || !copy->flush())
                return false;
            NewCopyPublisher publisher;
            QSignalSpy finished(&publisher, &NewCopyPublisher::finished);
            return publisher.publish(std::move(copy), target, rename, permissions)
                && QTest::qWaitFor([&finished] { return !finished.isEmpty(); }, 20000)
                && finished.first().first().value<NewCopyPublisher::Outcome>() == NewCopyPublisher::Outcome::Published;
        };
        QVERIFY(writeBytes(dir.filePath("normal"), ""));
        const mode_t normal = modeOf(dir.filePath("normal"));

        int overwritten = 0;
        for (const mode_t mode : {mode_t(0640), mode_t(0600), mode_t(0664)}) {
            for (const std::optional<QFileDevice::Permissions>& asked :
                 {std::optional<QFileDevice::Permissions>(FilePermissions::newFileDefault()),
                  std::optional<QFileDevice::Permissions>()}) {
                const QString target = dir.filePath(QStringLiteral("photo-%1.jpg").arg(++overwritten));
                QVERIFY(writeBytes(target, "old") && ::chmod(QFile::encodeName(target).constData(), mode) == 0);
                QVERIFY(publish(target, NewCopyPublisher::Rename::Replace, asked));
                QCOMPARE(readBytes(target), QByteArray("new"));
                QCOMPARE(modeOf(target), mode);
            }
        }
        for (const NewCopyPublisher::Rename rename : {NewCopyPublisher::Rename::Replace, NewCopyPublisher::Rename::KeepExisting}) {
            const QString target = dir.filePath(QStringLiteral("fresh-%1.jpg").arg(int(rename)));
            QVERIFY(publish(target, rename, FilePermissions::newFileDefault()));
            QCOMPARE(modeOf(target), normal);
        }
        // A link in the target's place is replaced; the file it led to keeps its bytes and mode.
        const QString outside = dir.filePath("outside.jpg");
        QVERIFY(writeBytes(outside, "outside") && ::chmod(QFile::encodeName(outside).constData(), 0600) == 0);
        QVERIFY(QFile::link(outside, dir.filePath("linked.jpg")));
        QVERIFY(publish(dir.filePath("linked.jpg"), NewCopyPublisher::Rename::Replace, FilePermissions::newFileDefault()));
        QVERIFY(!QFileInfo(dir.filePath("linked.jpg")).isSymLink());
        QCOMPARE(modeOf(dir.filePath("linked.jpg")), normal);
        QCOMPARE(modeOf(outside), mode_t(0600));
        QCOMPARE(readBytes(outside), QByteArray("outside"));
    }
};

QTEST_GUILESS_MAIN(tst_FileReplacement)
#include "tst_FileReplacement.moc"
