#include "CImageMetaData.h"
#include "CRemoteFileInfo.h"
#include "GstErrorMapping.h"
#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QMetaEnum>
#include <QtTest>

#include <gst/gst.h>

#include <cmath>

using Ulx::MultimediaTypes;
using Ulx::RemoteMediaTypes;
using Ulx::Multimedia::CImageMetaData;
using Ulx::Multimedia::CRemoteFileInfo;

class tst_MultimediaValueTypes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        gst_init(nullptr, nullptr);
        MultimediaTypes::registerMetaTypes();
        RemoteMediaTypes::registerMetaTypes();
    }

    void imageMetaDataDefaults()
    {
        const CImageMetaData metaData;
        QVERIFY(metaData.comment().isNull());
        QVERIFY(!metaData.timeStamp().isValid());
        QVERIFY(std::isnan(metaData.altitude()));
        QVERIFY(std::isnan(metaData.latitude()));
        QVERIFY(std::isnan(metaData.longitude()));
        QVERIFY(!metaData.hasValidCoordinates());
    }

    void anyCoordinateSetterMarksCoordinatesValid_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("altitude") << 0;
        QTest::newRow("latitude") << 1;
        QTest::newRow("longitude") << 2;
    }

    void anyCoordinateSetterMarksCoordinatesValid()
    {
        QFETCH(int, which);
        CImageMetaData metaData;
        const double nan = std::nan("");
        if (which == 0)
            metaData.setAltitude(nan);
        else if (which == 1)
            metaData.setLatitude(nan);
        else
            metaData.setLongitude(nan);
        QVERIFY(metaData.hasValidCoordinates());
        metaData.clear();
        QVERIFY(!metaData.hasValidCoordinates());
    }

    void imageMetaDataSharesUntilWritten()
    {
        CImageMetaData source;
        source.setComment(QStringLiteral("joint offset"));
        CImageMetaData copy = source;
        QVERIFY(copy == source);
        copy.setComment(QStringLiteral("root intrusion"));
        QCOMPARE(source.comment(), QStringLiteral("joint offset"));
        QCOMPARE(copy.comment(), QStringLiteral("root intrusion"));
        QVERIFY(copy != source);

        CImageMetaData shared = source;
        shared.clear();
        QCOMPARE(source.comment(), QStringLiteral("joint offset"));
        QVERIFY(shared.comment().isNull());

        // Equal contents built apart are not the same value.
        CImageMetaData a;
        CImageMetaData b;
        QVERIFY(a != b);
        a = a;
        QVERIFY(a == a);
    }

    void imageMetaDataPropertiesAndQueuedTransport()
    {
        CImageMetaData metaData;
        metaData.setTimeStamp(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        metaData.setLatitude(47.25);
        const QVariant variant = QVariant::fromValue(metaData);
        const CImageMetaData back = variant.value<CImageMetaData>();
        QVERIFY(back == metaData);
        QCOMPARE(back.latitude(), 47.25);
        const QMetaObject& meta = CImageMetaData::staticMetaObject;
        QCOMPARE(meta.propertyCount(), 5);
        QCOMPARE(meta.property(0).name(), "comment");
        QCOMPARE(meta.property(4).name(), "longitude");
    }

    void remoteFileInfo()
    {
        const CRemoteFileInfo empty;
        QCOMPARE(empty.fileSize(), qint64(0));
        QCOMPARE(empty.fileType(), RemoteMediaTypes::FileTypeUnknown);
        QVERIFY(empty.fileName().isEmpty());
        QVERIFY(!empty.creationTime().isValid());

        const QDateTime created(QDate(2023, 1, 2), QTime(3, 4, 5));
        const CRemoteFileInfo file(QStringLiteral("V0001.MP4"), QStringLiteral("/DCIM/V0001.MP4"), created,
                                   5000000000LL, RemoteMediaTypes::FileTypeVideo);
        QCOMPARE(file.fileName(), QStringLiteral("V0001.MP4"));
        QCOMPARE(file.fileUrl(), QStringLiteral("/DCIM/V0001.MP4"));
        QCOMPARE(file.creationTime(), created);
        QCOMPARE(file.fileSize(), 5000000000LL);
        QCOMPARE(file.fileType(), RemoteMediaTypes::FileTypeVideo);
        const QVector<CRemoteFileInfo> list { file, empty };
        QCOMPARE(QVariant::fromValue(list).value<QVector<CRemoteFileInfo>>(), list);
    }

    // The stored and transmitted values, spot-checked through the meta-object system.
    void enumerationValues()
    {
        const QMetaObject& meta = MultimediaTypes::staticMetaObject;
        QCOMPARE(meta.enumeratorCount(), 11);
        QCOMPARE(QByteArray(meta.enumerator(0).name()), QByteArray("PlaybackState"));
        QCOMPARE(QByteArray(meta.enumerator(10).name()), QByteArray("StreamConfigError"));
        QCOMPARE(int(MultimediaTypes::StreamingResuming), 5);
        QCOMPARE(int(MultimediaTypes::StreamingErrorImageCaptureInternal), 6);
        QCOMPARE(int(MultimediaTypes::ImageOutputFormatJPEG), 2);
        QCOMPARE(int(MultimediaTypes::VideoConfig1440P30FPS), 13);
        QCOMPARE(int(MultimediaTypes::VideoConfig720P29_97FPS), 5);
        QCOMPARE(int(MultimediaTypes::PhotoResolution8MP), 3);
        QCOMPARE(int(MultimediaTypes::RecordingEnding), 4);
        const QMetaObject& remote = RemoteMediaTypes::staticMetaObject;
        QCOMPARE(remote.enumeratorCount(), 6);
        QCOMPARE(QByteArray(remote.enumerator(3).name()), QByteArray("MediaStorageState"));
        QCOMPARE(int(RemoteMediaTypes::MediaStorageError), 4);
        QCOMPARE(int(RemoteMediaTypes::FileListStateUpdating), 2);
        QCOMPARE(sizeof(RemoteMediaTypes::RecordingTime), size_t(4));
        QVERIFY(QMetaType::type("Ulx::MultimediaTypes::StreamingError") != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("Ulx::RemoteMediaTypes::CaptureError") != QMetaType::UnknownType);
    }

    void streamingErrorMapping_data()
    {
        QTest::addColumn<uint>("domain");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("expected");
        const uint resource = GST_RESOURCE_ERROR;
        const uint stream = GST_STREAM_ERROR;
        QTest::newRow("open read") << resource << int(GST_RESOURCE_ERROR_OPEN_READ) << int(MultimediaTypes::StreamingErrorConnection);
        QTest::newRow("open write") << resource << int(GST_RESOURCE_ERROR_OPEN_WRITE) << int(MultimediaTypes::StreamingErrorConnection);
        QTest::newRow("open rw") << resource << int(GST_RESOURCE_ERROR_OPEN_READ_WRITE) << int(MultimediaTypes::StreamingErrorConnection);
        QTest::newRow("not found") << resource << int(GST_RESOURCE_ERROR_NOT_FOUND) << int(MultimediaTypes::StreamingErrorInternal);
        QTest::newRow("wrong type") << stream << int(GST_STREAM_ERROR_WRONG_TYPE) << int(MultimediaTypes::StreamingErrorInvalidStreamFormat);
        QTest::newRow("format") << stream << int(GST_STREAM_ERROR_FORMAT) << int(MultimediaTypes::StreamingErrorInvalidStreamFormat);
        QTest::newRow("decode") << stream << int(GST_STREAM_ERROR_DECODE) << int(MultimediaTypes::StreamingErrorCorruptedStreamData);
        QTest::newRow("demux") << stream << int(GST_STREAM_ERROR_DEMUX) << int(MultimediaTypes::StreamingErrorCorruptedStreamData);
        QTest::newRow("stream failed") << stream << int(GST_STREAM_ERROR_FAILED) << int(MultimediaTypes::StreamingErrorInternal);
        QTest::newRow("core, open code") << uint(GST_CORE_ERROR) << 5 << int(MultimediaTypes::StreamingErrorInternal);
        QTest::newRow("own domain") << Ulx::GStreamer::OwnErrorDomain << -1 << int(MultimediaTypes::StreamingErrorInternal);
    }

    void streamingErrorMapping()
    {
        QFETCH(uint, domain);
        QFETCH(int, code);
        QFETCH(int, expected);
        QCOMPARE(int(Ulx::GStreamer::streamingErrorFromGstError(domain, code)), expected);
    }

    void recordingErrorMapping()
    {
        using Ulx::GStreamer::recordingErrorFromGstError;
        QCOMPARE(recordingErrorFromGstError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_WRITE),
                 MultimediaTypes::RecordingErrorFileAccess);
        QCOMPARE(recordingErrorFromGstError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ),
                 MultimediaTypes::RecordingErrorFileAccess);
        // A full drive and a failed write are told as the file's, not as an internal fault.
        QCOMPARE(recordingErrorFromGstError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT),
                 MultimediaTypes::RecordingErrorFileAccess);
        QCOMPARE(recordingErrorFromGstError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_WRITE),
                 MultimediaTypes::RecordingErrorFileAccess);
        QCOMPARE(recordingErrorFromGstError(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_SETTINGS),
                 MultimediaTypes::RecordingErrorInternal);
        QCOMPARE(recordingErrorFromGstError(GST_STREAM_ERROR, GST_RESOURCE_ERROR_OPEN_WRITE),
                 MultimediaTypes::RecordingErrorInternal);
        QCOMPARE(recordingErrorFromGstError(Ulx::GStreamer::OwnErrorDomain, -2),
                 MultimediaTypes::RecordingErrorInternal);
    }
};

QTEST_GUILESS_MAIN(tst_MultimediaValueTypes)
#include "tst_MultimediaValueTypes.moc"
