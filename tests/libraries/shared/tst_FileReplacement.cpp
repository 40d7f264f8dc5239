// New copies beside their targets: hidden names that fit the folder, a sweep that takes only
// copies nobody writes, renames that never go through a link or over what they must keep, and
// each mode bit as asked. (The publisher is tested through the downloads that use it.)
#include "FilePermissions.h"
#include "FileReplacement.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cerrno>
#include <memory>

#include <sys/stat.h>

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
    // longest names too; only a copy of the form that no writer holds is swept, and the sweep
    // neither waits on a pipe nor follows a link.
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
        QVERIFY(writeBytes(dir.filePath(".IMG0001.JPG.replacing.AbCdEf"), "left by a killed writer"));
        QVERIFY(QFile::link(dir.filePath("outside.jpg"), dir.filePath(".link.jpg.replacing.AbCdEf")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(".pipe.jpg.replacing.AbCdEf")).constData(), 0600), 0);
        for (const char* kept : {".a.jpg.replacing.abcde", ".a.jpg.replacing.abcdefg", ".a.jpg.replacing.ab-def",
                                 "a.jpg.replacing.abcdef", ".a.jpg.replacing"})
            QVERIFY(writeBytes(dir.filePath(QLatin1String(kept)), "the user's"));
        const QStringList before = entries(dir.path());
        QCOMPARE(FileReplacement::sweepStrayCopies(dir.path()), 1);
        QStringList expected = before;
        expected.removeOne(".IMG0001.JPG.replacing.AbCdEf");
        QCOMPARE(entries(dir.path()), expected);
        QCOMPARE(readBytes(written->fileName()), QByteArray("being written"));
        QCOMPARE(readBytes(dir.filePath("outside.jpg")), QByteArray("outside"));
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
    }
};

QTEST_GUILESS_MAIN(tst_FileReplacement)
#include "tst_FileReplacement.moc"
