#include "helpers/CQmlMathHelper.h"
#include "helpers/DistanceUnits.h"

#include <QtTest>

#include <cmath>
#include <limits>

class tst_DistanceUnits : public QObject
{
    Q_OBJECT

private slots:
    void displayFeet_data();
    void displayFeet();
    void feetFactorIsTheDocumentedOne();
    void ceilToSignificantDigits_data();
    void ceilToSignificantDigits();
    void ceilToSignificantDigitsOfNonPositiveValuesEnds();
    void fuzzyEqual_data();
    void fuzzyEqual();
    void mathHelperRoundTrips_data();
    void mathHelperRoundTrips();
};

void tst_DistanceUnits::displayFeet_data()
{
    QTest::addColumn<double>("meters");
    QTest::addColumn<double>("feet");

    QTest::newRow("preset 3 m") << 3.0 << 10.0;
    QTest::newRow("preset 5 m") << 5.0 << 16.5;
    QTest::newRow("preset 30 m") << 30.0 << 100.0;
    QTest::newRow("preset 62 m") << 62.0 << 205.0;
    QTest::newRow("just beside a preset") << 30.0000001 << 98.0;
    QTest::newRow("negative, no preset") << -3.0 << -10.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("below the zero threshold") << 1e-12 << 0.0;
    QTest::newRow("negative below the threshold") << -1e-12 << 0.0;
    QTest::newRow("plain product rounded") << 7.0 << 23.0;
    // These give exactly 2.5 and -2.5 feet in doubles.
    QTest::newRow("half away from zero, positive") << 0.7620092660326749 << 3.0;
    QTest::newRow("half away from zero, negative") << -0.7620092660326749 << -3.0;
    QTest::newRow("just below a half") << 0.1524 << 0.0;
}

void tst_DistanceUnits::displayFeet()
{
    QFETCH(double, meters);
    QFETCH(double, feet);
    QCOMPARE(convertMetersToDisplayFeet(meters), feet);
}

void tst_DistanceUnits::feetFactorIsTheDocumentedOne()
{
    QCOMPARE(convertMetersToFeet(1.0), 3.2808);
    QCOMPARE(convertMetersToFeet(-2.0), -6.5616);
}

void tst_DistanceUnits::ceilToSignificantDigits_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("7.2") << 7.2 << 8.0;
    QTest::newRow("42") << 42.0 << 50.0;
    QTest::newRow("99.1") << 99.1 << 100.0;
    QTest::newRow("100") << 100.0 << 100.0;
    QTest::newRow("101") << 101.0 << 110.0;
    QTest::newRow("123") << 123.0 << 130.0;
    QTest::newRow("1000") << 1000.0 << 1000.0;
    QTest::newRow("0.23") << 0.23 << 0.3;
    QTest::newRow("exact 10") << 10.0 << 10.0;
    QTest::newRow("negative mirrors") << -7.2 << -8.0;
}

void tst_DistanceUnits::ceilToSignificantDigits()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QVERIFY2(std::fabs(::ceilToSignificantDigits(value) - expected) < 1e-9,
             qPrintable(QString::number(::ceilToSignificantDigits(value), 'g', 17)));
}

void tst_DistanceUnits::ceilToSignificantDigitsOfNonPositiveValuesEnds()
{
    // The logarithm of these is -inf or NaN; converting that to an integer is undefined.
    QCOMPARE(::ceilToSignificantDigits(0.0), 0.0);
    QCOMPARE(::ceilToSignificantDigits(-0.0), 0.0);
    QVERIFY(std::isnan(::ceilToSignificantDigits(std::numeric_limits<double>::quiet_NaN())));
    QVERIFY(std::isinf(::ceilToSignificantDigits(std::numeric_limits<double>::infinity())));
    QVERIFY(::ceilToSignificantDigits(-std::numeric_limits<double>::infinity()) < 0.0);
    const double tiny = std::numeric_limits<double>::denorm_min();
    QCOMPARE(::ceilToSignificantDigits(tiny), tiny);
    const double huge = std::numeric_limits<double>::max();
    QCOMPARE(::ceilToSignificantDigits(huge), huge);
}

void tst_DistanceUnits::fuzzyEqual_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<bool>("equal");

    QTest::newRow("both near zero") << 1e-13 << -1e-13 << true;
    // Beside a value near zero the other is compared as 1 + b: only another near-zero matches.
    QTest::newRow("one near zero, other just above") << 0.0 << 2e-12 << false;
    QTest::newRow("one near zero, other not") << 0.0 << 1e-3 << false;
    QTest::newRow("relative 3.3e-9 apart") << 30.0 << 30.0000001 << false;
    QTest::newRow("relative 1e-13 apart") << 30.0 << 30.0 * (1 + 1e-13) << true;
    QTest::newRow("opposite signs") << 3.0 << -3.0 << false;
}

void tst_DistanceUnits::fuzzyEqual()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(bool, equal);
    QCOMPARE(::fuzzyEqual(a, b), equal);
    QCOMPARE(::fuzzyEqual(b, a), equal);
}

void tst_DistanceUnits::mathHelperRoundTrips_data()
{
    QTest::addColumn<double>("meters");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("1 m") << 1.0;
    QTest::newRow("pipe length") << 123.456;
    QTest::newRow("negative") << -42.5;
}

void tst_DistanceUnits::mathHelperRoundTrips()
{
    QFETCH(double, meters);
    CQmlMathHelper helper;
    const double feet = helper.convertMetersToFeet(meters);
    QCOMPARE(feet, meters * 3.2808);
    QVERIFY(std::fabs(helper.convertFeetToMeters(feet) - meters) <= 1e-12 * std::max(1.0, std::fabs(meters)));
}

QTEST_APPLESS_MAIN(tst_DistanceUnits)
#include "tst_DistanceUnits.moc"
