#include "rvq/RVQZoomTables.h"

#include <QtTest>

using namespace Ulx;

class tst_RVQZoomTables : public QObject
{
    Q_OBJECT

private slots:
    void zoomFactorZPX_data();
    void zoomFactorZPX();
    void zoomFactorZPH_data();
    void zoomFactorZPH();
    void factorNeverDropsAsTheLensZoomsIn();
    void percentToRaw_data();
    void percentToRaw();
    void percentFromRaw();
    void focusCurveKeys();
    void distanceRange_data();
    void distanceRange();
    void distanceRangeIsOrderedEverywhere();
};

void tst_RVQZoomTables::zoomFactorZPX_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<float>("factor");
    QTest::newRow("0") << 0 << 1.0f;
    QTest::newRow("5793") << 5793 << 2.0f;
    QTest::newRow("16383 capped") << 16383 << 29.9f;
    QTest::newRow("16384") << 16384 << 30.0f;
    QTest::newRow("20480 halfway") << 20480 << 30.5f;
    QTest::newRow("31232") << 31232 << 330.0f;
    QTest::newRow("31424") << 31424 << 360.0f;
    QTest::newRow("65535") << 65535 << 360.0f;
}

void tst_RVQZoomTables::zoomFactorZPX()
{
    QFETCH(int, raw);
    QFETCH(float, factor);
    QCOMPARE(Ulx::zoomFactorZPX(quint16(raw)), factor);
}

void tst_RVQZoomTables::zoomFactorZPH_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<float>("factor");
    QTest::newRow("0") << 0 << 1.0f;
    QTest::newRow("5743") << 5743 << 2.0f;
    QTest::newRow("16384") << 16384 << 36.0f;
    QTest::newRow("16383 capped") << 16383 << 35.9f;
    QTest::newRow("31424") << 31424 << 432.0f;
}

void tst_RVQZoomTables::zoomFactorZPH()
{
    QFETCH(int, raw);
    QFETCH(float, factor);
    QCOMPARE(Ulx::zoomFactorZPH(quint16(raw)), factor);
}

void tst_RVQZoomTables::factorNeverDropsAsTheLensZoomsIn()
{
    float previousZPX = 0;
    float previousZPH = 0;
    for (int raw = 0; raw <= 65535; raw += 7) {
        const float zpx = Ulx::zoomFactorZPX(quint16(raw));
        const float zph = Ulx::zoomFactorZPH(quint16(raw));
        QVERIFY2(zpx >= previousZPX, qPrintable(QString::number(raw)));
        QVERIFY2(zph >= previousZPH, qPrintable(QString::number(raw)));
        previousZPX = zpx;
        previousZPH = zph;
    }
}

void tst_RVQZoomTables::percentToRaw_data()
{
    QTest::addColumn<bool>("zph");
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("digital");
    QTest::addColumn<int>("raw");
    QTest::newRow("ZPX 100 optical") << false << 100 << false << 16384;
    QTest::newRow("ZPX 100 digital") << false << 100 << true << 31424;
    QTest::newRow("ZPX 50 optical") << false << 50 << false << 5793;
    QTest::newRow("ZPX 0") << false << 0 << false << 0;
    QTest::newRow("ZPX 1 below second point") << false << 1 << true << 0;
    QTest::newRow("ZPX 78 digital") << false << 78 << true << 16384; // x = 24511
    QTest::newRow("ZPX 79 digital") << false << 79 << true << 24576; // x = 24825
    QTest::newRow("ZPX above 100 held") << false << 250 << false << 16384;
    QTest::newRow("ZPX below 0 held") << false << -30 << true << 0;
    QTest::newRow("ZPH 100 optical") << true << 100 << false << 16384;
    QTest::newRow("ZPH 100 digital") << true << 100 << true << 31424;
    QTest::newRow("ZPH 50 optical") << true << 50 << false << 8176; // x = 8192
}

void tst_RVQZoomTables::percentToRaw()
{
    QFETCH(bool, zph);
    QFETCH(int, percent);
    QFETCH(bool, digital);
    QFETCH(int, raw);
    QCOMPARE(zph ? zoomPositionToRawZPH(percent, digital) : zoomPositionToRawZPX(percent, digital), raw);
}

void tst_RVQZoomTables::percentFromRaw()
{
    QCOMPARE(zoomPercentFromRaw(0), 0);
    QCOMPARE(zoomPercentFromRaw(31424), 100);
    QCOMPARE(zoomPercentFromRaw(16384), 52);
    QCOMPARE(zoomPercentFromRaw(157), 0);  // 0.4996
    QCOMPARE(zoomPercentFromRaw(158), 1);  // 0.5028
    QCOMPARE(zoomPercentFromRaw(65535), 209);
}

void tst_RVQZoomTables::focusCurveKeys()
{
    QVERIFY(focusCurveTable(1));
    for (int key = 2; key <= 30; key += 2)
        QVERIFY2(focusCurveTable(key), qPrintable(QString::number(key)));
    for (int key : {0, 3, 5, 29, 31, 32, -2})
        QVERIFY2(!focusCurveTable(key), qPrintable(QString::number(key)));
    const RVQFocusCurveTable& table = *focusCurveTable(26);
    QCOMPARE(table.front().focus, quint16(61440));
    QCOMPARE(table.front().distance, quint16(0));
    QCOMPARE(table[3].focus, quint16(8412));
    QCOMPARE(table[3].distance, quint16(10));
    QCOMPARE(table.back().focus, quint16(4096));
    QCOMPARE(table.back().distance, quint16(65535));
}

void tst_RVQZoomTables::distanceRange_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("focus");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::newRow("digital range fails") << 16385 << 4804 << false << 0 << 0;
    QTest::newRow("key 1 equal focus values") << 0 << 4804 << true << 5 << 30;
    QTest::newRow("nearest is the last entry") << 0 << 4096 << false << 0 << 0;
    // Key 1, focus 61440: k = 0, no lower neighbour (dL = 0 < dU): distance 0 on both ends.
    QTest::newRow("nearest is the first entry") << 0 << 61440 << true << 0 << 0;
    // Key 2 (raw 5793), focus 23756: index 2 and 3 equal; k = 2, best 0, upper 3 with 0.
    QTest::newRow("key 2 twin entries") << 5793 << 23756 << true << 5 << 10;
    // Key 30 (raw 16384), focus 11383: k = 3 (distance 10); dL = |11383-17480| = 6097,
    // dU = |11383-8319| = 3064 -> (15, 10).
    QTest::newRow("key 30 upper nearer") << 16384 << 11383 << true << 10 << 15;
}

void tst_RVQZoomTables::distanceRange()
{
    QFETCH(int, zoom);
    QFETCH(int, focus);
    QFETCH(bool, ok);
    QFETCH(int, lower);
    QFETCH(int, upper);
    int gotLower = -1;
    int gotUpper = -1;
    QCOMPARE(cameraDistanceRange(quint16(zoom), quint16(focus), gotLower, gotUpper), ok);
    QCOMPARE(gotLower, lower);
    QCOMPARE(gotUpper, upper);
}

void tst_RVQZoomTables::distanceRangeIsOrderedEverywhere()
{
    for (int zoom = 0; zoom <= 16384; zoom += 97) {
        for (int focus = 0; focus <= 65535; focus += 1021) {
            int lower = -1;
            int upper = -1;
            if (cameraDistanceRange(quint16(zoom), quint16(focus), lower, upper))
                QVERIFY(lower <= upper);
            else
                QVERIFY(lower == 0 && upper == 0);
        }
    }
}

QTEST_GUILESS_MAIN(tst_RVQZoomTables)
#include "tst_RVQZoomTables.moc"
