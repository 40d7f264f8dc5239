#include "helpers/CQmlFileSystemHelper.h"

#include <QtTest>

class tst_CQmlFileSystemHelper : public QObject
{
    Q_OBJECT

private slots:
    void sanitizeNames_data();
    void sanitizeNames();
    void photoSuffixes();
    void uniqueNames();
    void uniqueNamesSkipTakenOnes();
    void photosFromFileNames();

private:
    CQmlFileSystemHelper m_helper;
};

void tst_CQmlFileSystemHelper::sanitizeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("format"); // -1 for a video
    QTest::addColumn<QString>("expected");

    QTest::newRow("blanks around, jpeg") << "  report  " << 1 << "report.jpg";
    QTest::newRow("png becomes jpg") << "photo.png" << 1 << "photo.jpg";
    QTest::newRow("png format") << "photo.jpg" << 0 << "photo.png";
    QTest::newRow("unknown format is png") << "photo" << 7 << "photo.png";
    QTest::newRow("blank name") << "   " << 1 << "";
    QTest::newRow("empty name") << "" << 0 << "";
    QTest::newRow("video") << " run 3 " << -1 << "run 3.mp4";
    QTest::newRow("video keeps inner dots") << "pipe.a.b" << -1 << "pipe.a.mp4";
    QTest::newRow("blank video") << "\t" << -1 << "";
}

void tst_CQmlFileSystemHelper::sanitizeNames()
{
    QFETCH(QString, name);
    QFETCH(int, format);
    QFETCH(QString, expected);
    const QString result =
        format < 0 ? m_helper.sanitizeVideoFileName(name) : m_helper.sanitizePictureFileName(name, format);
    QCOMPARE(result, expected);
}

void tst_CQmlFileSystemHelper::photoSuffixes()
{
    QCOMPARE(m_helper.fileSuffixForPhotoFormat(1), QStringLiteral("jpg"));
    QCOMPARE(m_helper.fileSuffixForPhotoFormat(0), QStringLiteral("png"));
    QCOMPARE(m_helper.fileSuffixForPhotoFormat(-5), QStringLiteral("png"));
}

void tst_CQmlFileSystemHelper::uniqueNames()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.path() + QLatin1Char('/');

    const QRegularExpression bareVideo(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}_\\d{4}\\.mp4$"));
    const QString video = m_helper.createUniqueVideoFileName(path, false);
    QVERIFY2(bareVideo.match(video).hasMatch(), qPrintable(video));

    const QString absoluteVideo = m_helper.createUniqueVideoFileName(path, true);
    QVERIFY2(absoluteVideo.startsWith(path), qPrintable(absoluteVideo));
    QVERIFY(absoluteVideo.endsWith(QLatin1String(".mp4")));

    QVERIFY(m_helper.createUniquePhotoFileName(path, 1, false).endsWith(QLatin1String(".jpg")));
    QVERIFY(m_helper.createUniquePhotoFileName(path, 0, true).endsWith(QLatin1String(".png")));
}

void tst_CQmlFileSystemHelper::uniqueNamesSkipTakenOnes()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.path() + QLatin1Char('/');

    // Occupy the first name offered; the next offer must be another, free name.
    const QString first = m_helper.createUniquePhotoFileName(path, 1, false);
    QFile file(path + first);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString second = m_helper.createUniquePhotoFileName(path, 1, false);
    QVERIFY(!second.isEmpty());
    QVERIFY(second != first);
    QVERIFY(m_helper.fileExists(path + first));
    QVERIFY(!m_helper.fileExists(path + second));
}

void tst_CQmlFileSystemHelper::photosFromFileNames()
{
    const QStringList names{"a.jpg", "b.MP4", "c.PNG", "d.txt", "e.jpeg", "f.jpg.bak"};
    QCOMPARE(m_helper.getPhotosFromFileNames(names), (QStringList{"a.jpg", "c.PNG", "e.jpeg"}));
    QVERIFY(m_helper.getPhotosFromFileNames({}).isEmpty());
}

QTEST_GUILESS_MAIN(tst_CQmlFileSystemHelper)
#include "tst_CQmlFileSystemHelper.moc"
