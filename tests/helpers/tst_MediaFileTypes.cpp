#include "helpers/MediaFileTypes.h"

#include <QtTest>

class tst_MediaFileTypes : public QObject
{
    Q_OBJECT

private slots:
    void typeOfPath_data();
    void typeOfPath();
    void suffixes();
    void nameFilters_data();
    void nameFilters();
};

void tst_MediaFileTypes::typeOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("photo");
    QTest::addColumn<bool>("video");

    QTest::newRow("upper-case jpeg") << "IMG.JPEG" << int(MediaFileTypeJPEG) << true << false;
    QTest::newRow("jpg") << "/data/Photos/a.jpg" << int(MediaFileTypeJPEG) << true << false;
    QTest::newRow("upper-case mp4") << "clip.MP4" << int(MediaFileTypeMP4) << false << true;
    QTest::newRow("last suffix counts") << "archive.tar.png" << int(MediaFileTypePNG) << true << false;
    QTest::newRow("no dot") << "README" << int(MediaFileTypeOther) << false << false;
    QTest::newRow("backup of a photo") << "photo.jpg.bak" << int(MediaFileTypeOther) << false << false;
    QTest::newRow("empty") << "" << int(MediaFileTypeOther) << false << false;
    QTest::newRow("dot only") << "photo." << int(MediaFileTypeOther) << false << false;
    QTest::newRow("folder with dot") << "/data/v1.png/file" << int(MediaFileTypeOther) << false << false;
    QTest::newRow("hidden png") << ".png" << int(MediaFileTypePNG) << true << false;
}

void tst_MediaFileTypes::typeOfPath()
{
    QFETCH(QString, path);
    QFETCH(int, type);
    QFETCH(bool, photo);
    QFETCH(bool, video);

    QCOMPARE(int(mediaFileType(path)), type);
    QCOMPARE(isPhotoFile(path), photo);
    QCOMPARE(isVideoFile(path), video);
}

void tst_MediaFileTypes::suffixes()
{
    QCOMPARE(mediaFileSuffix(MediaFileTypeOther), QString());
    QCOMPARE(mediaFileSuffix(MediaFileTypePNG), QStringLiteral("png"));
    QCOMPARE(mediaFileSuffix(MediaFileTypeJPEG), QStringLiteral("jpg"));
    QCOMPARE(mediaFileSuffix(MediaFileTypeMP4), QStringLiteral("mp4"));
    QCOMPARE(mediaFileSuffix(static_cast<MediaFileType>(42)), QString());
}

void tst_MediaFileTypes::nameFilters_data()
{
    QTest::addColumn<bool>("photos");
    QTest::addColumn<bool>("videos");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("both") << true << true << QStringList{"*.jpg", "*.jpeg", "*.png", "*.mp4"};
    QTest::newRow("photos") << true << false << QStringList{"*.jpg", "*.jpeg", "*.png"};
    QTest::newRow("videos") << false << true << QStringList{"*.mp4"};
    QTest::newRow("none") << false << false << QStringList();
}

void tst_MediaFileTypes::nameFilters()
{
    QFETCH(bool, photos);
    QFETCH(bool, videos);
    QFETCH(QStringList, expected);
    QCOMPARE(mediaFileNameFilters(photos, videos), expected);
}

QTEST_APPLESS_MAIN(tst_MediaFileTypes)
#include "tst_MediaFileTypes.moc"
