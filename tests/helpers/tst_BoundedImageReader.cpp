// What the bounded reader lets a decoder set aside, from headers made in the test: a 16-bit PNG
// takes eight bytes a pixel, a progressive JPEG (or one whose first scan holds one component)
// also two bytes a sample of coefficients for the whole image, a baseline JPEG only its image.
#include "helpers/BoundedImageReader.h"

#include "support/GiantImages.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QtTest>

namespace {

// A small colour JPEG whose frame header then claims width x height.
QByteArray colourJpeg(int width, int height, bool progressive)
{
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(small))
        return QByteArray();
    QByteArray data = buffer.data();
    const int sof = data.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    if (sof < 0)
        return QByteArray();
    qToBigEndian<quint16>(quint16(height), data.data() + sof + 5);
    qToBigEndian<quint16>(quint16(width), data.data() + sof + 7);
    return data;
}

} // namespace

class tst_BoundedImageReader : public QObject
{
    Q_OBJECT

private slots:
    void decodersAreBoundedByWhatTheySetAside_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("refusal");
        const QString none;
        QTest::newRow("8-bit PNG, 8000 x 8000") << GiantImages::png(8000, 8000) << none;
        QTest::newRow("16-bit PNG, 5000 x 5000") << GiantImages::png(5000, 5000, 16) << none;
        QTest::newRow("16-bit PNG, 6000 x 6000") << GiantImages::png(6000, 6000, 16) << QStringLiteral("288 MB");
        QTest::newRow("baseline JPEG, 8000 x 8000") << colourJpeg(8000, 8000, false) << none;
        QTest::newRow("progressive JPEG, 5000 x 5000") << colourJpeg(5000, 5000, true) << none;
        QTest::newRow("progressive JPEG, 6000 x 6000") << colourJpeg(6000, 6000, true) << QStringLiteral("360 MB");
        QTest::newRow("progressive grey JPEG, 8000 x 8000") << GiantImages::jpeg(8000, 8000) << none;
        QTest::newRow("PNG without its header") << QByteArray("\x89PNG\r\n\x1A\n", 8) << QStringLiteral("tells no size");
    }

    void decodersAreBoundedByWhatTheySetAside()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, refusal);
        QVERIFY(!file.isEmpty());
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QImageReader reader(&buffer);
        const QString reason = BoundedImageReader::refusal(reader);
        if (refusal.isEmpty())
            QVERIFY2(reason.isEmpty(), qPrintable(reason));
        else
            QVERIFY2(reason.contains(refusal), qPrintable(reason));
    }
};

QTEST_GUILESS_MAIN(tst_BoundedImageReader)
#include "tst_BoundedImageReader.moc"
