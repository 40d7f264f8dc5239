#include "application/CSettings.h"
#include "helpers/CQmlFormatHelper.h"
#include "helpers/FormattingHelpers.h"

#include <QtTest>

#include <limits>

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
const QString Deg = QStringLiteral("\u00B0");
}

class tst_FormattingHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void coordinates_data();
    void coordinates();
    void carryFollowsShownPrecision_data();
    void carryFollowsShownPrecision();
    void unknownFormatsAndNaNGiveEmptyText_data();
    void unknownFormatsAndNaNGiveEmptyText();

    void readouts_data();
    void readouts();
    void fileSizes_data();
    void fileSizes();
    void times();

    void qmlFormatHelperFollowsUnitSetting();

private:
    void setLocale(const QString& name);
};

void tst_FormattingHelpers::init()
{
    setLocale(QStringLiteral("en_US"));
}

void tst_FormattingHelpers::cleanup()
{
    setLocale(QStringLiteral("en_US"));
}

void tst_FormattingHelpers::setLocale(const QString& name)
{
    QLocale::setDefault(QLocale(name));
}

void tst_FormattingHelpers::coordinates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("degreeSign");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("expected");

    const double lat = -41.893318;
    const double lon = 12.482937;
    const QString en = QStringLiteral("en_US");
    const QString de = QStringLiteral("de_DE");

    QTest::newRow("lat 0") << en << true << lat << true << 0 << "-41.89332" + Deg;
    QTest::newRow("lat 1") << en << true << lat << true << 1 << "41.89332" + Deg + " S";
    QTest::newRow("lat 2") << en << true << lat << true << 2 << "-41" + Deg + " 53.599'";
    QTest::newRow("lat 3") << en << true << lat << true << 3 << "41" + Deg + " 53.599' S";
    QTest::newRow("lat 4") << en << true << lat << true << 4 << "-41" + Deg + " 53' 35.9\"";
    QTest::newRow("lat 5") << en << true << lat << true << 5 << "41" + Deg + " 53' 35.9\" S";
    QTest::newRow("lon 0") << en << false << lon << true << 0 << "12.48294" + Deg;
    QTest::newRow("lon 1") << en << false << lon << true << 1 << "12.48294" + Deg + " E";
    QTest::newRow("lon 2") << en << false << lon << true << 2 << "12" + Deg + " 28.976'";
    QTest::newRow("lon 3") << en << false << lon << true << 3 << "12" + Deg + " 28.976' E";
    QTest::newRow("lon 4") << en << false << lon << true << 4 << "12" + Deg + " 28' 58.6\"";
    QTest::newRow("lon 5") << en << false << lon << true << 5 << "12" + Deg + " 28' 58.6\" E";
    QTest::newRow("west") << en << false << -lon << true << 5 << "12" + Deg + " 28' 58.6\" W";
    QTest::newRow("north") << en << true << -lat << true << 3 << "41" + Deg + " 53.599' N";
    QTest::newRow("no degree sign") << en << true << lat << false << 2 << QStringLiteral("-41deg 53.599'");
    QTest::newRow("zero has no letter") << en << true << 0.0 << true << 1 << "0.00000" + Deg;
    QTest::newRow("lat 89.99999") << en << true << 89.99999 << true << 5 << "90" + Deg + " 0' 0.0\" N";
    QTest::newRow("lon 179.99999") << en << false << 179.99999 << true << 5 << "180" + Deg + " 0' 0.0\" E";
    // 59.9994 minutes show as 59.999: no carry at three decimals.
    QTest::newRow("lat 89.99999 minutes") << en << true << 89.99999 << true << 3 << "89" + Deg + " 59.999' N";
    QTest::newRow("lat 89.999999 minutes") << en << true << 89.999999 << true << 3 << "90" + Deg + " 0.000' N";

    // The decimal degrees follow the locale; minutes and seconds always use ".".
    QTest::newRow("german 0") << de << true << lat << true << 0 << "-41,89332" + Deg;
    QTest::newRow("german 1") << de << false << lon << true << 1 << "12,48294" + Deg + " E";
    QTest::newRow("german 2") << de << true << lat << true << 2 << "-41" + Deg + " 53.599'";
    QTest::newRow("german 5") << de << false << lon << true << 5 << "12" + Deg + " 28' 58.6\" E";
}

void tst_FormattingHelpers::coordinates()
{
    QFETCH(QString, locale);
    QFETCH(bool, latitude);
    QFETCH(double, value);
    QFETCH(bool, degreeSign);
    QFETCH(int, format);
    QFETCH(QString, expected);

    setLocale(locale);
    const QString text = latitude ? formatLatitudeValue(value, degreeSign, format)
                                  : formatLongitudeValue(value, degreeSign, format);
    QCOMPARE(text, expected);
}

void tst_FormattingHelpers::carryFollowsShownPrecision_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("expected");

    // 10 deg 20' 59.6" must not turn into 10 deg 21' 0.4".
    QTest::newRow("59.6 seconds stay") << 10.0 + 20.0 / 60.0 + 59.6 / 3600.0 << 5 << "10" + Deg + " 20' 59.6\" N";
    QTest::newRow("59.5 minutes stay") << 10.9917 << 3 << "10" + Deg + " 59.502' N";
    QTest::newRow("59.96 seconds carry") << 10.0 + 20.0 / 60.0 + 59.96 / 3600.0 << 5 << "10" + Deg + " 21' 0.0\" N";
    QTest::newRow("59.9996 minutes carry") << 10.0 + 59.9996 / 60.0 << 3 << "11" + Deg + " 0.000' N";
    QTest::newRow("seconds carry through minutes") << 10.0 + 59.0 / 60.0 + 59.97 / 3600.0 << 5
                                                   << "11" + Deg + " 0' 0.0\" N";
}

void tst_FormattingHelpers::carryFollowsShownPrecision()
{
    QFETCH(double, value);
    QFETCH(int, format);
    QFETCH(QString, expected);
    QCOMPARE(formatLatitudeValue(value, true, format), expected);
    // The same digits for longitude, with its own letters.
    QString longitude = expected;
    longitude.replace(QStringLiteral(" N"), QStringLiteral(" W"));
    QCOMPARE(formatLongitudeValue(-value, true, format), longitude);
}

void tst_FormattingHelpers::unknownFormatsAndNaNGiveEmptyText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("format");

    QTest::newRow("format 6") << 12.0 << 6;
    QTest::newRow("format 100") << 12.0 << 100;
    QTest::newRow("negative format") << 12.0 << -1;
    for (int format = 0; format <= 5; ++format)
        QTest::addRow("NaN in format %d", format) << NaN << format;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 4;
}

void tst_FormattingHelpers::unknownFormatsAndNaNGiveEmptyText()
{
    QFETCH(double, value);
    QFETCH(int, format);
    QVERIFY(formatLatitudeValue(value, true, format).isEmpty());
    QVERIFY(formatLongitudeValue(value, false, format).isEmpty());
}

void tst_FormattingHelpers::readouts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString en = QStringLiteral("en_US");
    const QString de = QStringLiteral("de_DE");

    // Rows are evaluated in the test body under their locale; see readouts().
    QTest::newRow("distance feet") << en << "distance 1.5 ft" << "1.50ft";
    QTest::newRow("distance meters") << en << "distance 12.345 m" << "12.35m";
    QTest::newRow("distance german") << de << "distance 1.5 ft" << "1,50ft";
    QTest::newRow("distance grouped") << en << "distance 1234.5 m" << "1,234.50m";
    QTest::newRow("distance NaN") << en << "distance nan m" << "";
    QTest::newRow("altitude") << en << "altitude 312.26 m" << "312.3m";
    QTest::newRow("altitude german feet") << de << "altitude 312.26 ft" << "312,3ft";
    QTest::newRow("altitude NaN") << en << "altitude nan m" << "";
    QTest::newRow("inclination") << en << "inclination -3.26 deg" << "-3.3deg";
    QTest::newRow("inclination sign") << de << "inclination 7 sign" << "7,0" + Deg;
    QTest::newRow("zoom") << en << "zoom 2" << "2.0X";
    QTest::newRow("zoom german") << de << "zoom 2.5" << "2,5X";
    QTest::newRow("light boost") << en << "light 3 boost" << "3P+";
    QTest::newRow("light percent") << en << "light 75 percent" << "75%";
    QTest::newRow("light both") << de << "light 1000 boostpercent" << "1000%+";
}

void tst_FormattingHelpers::readouts()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    setLocale(locale);
    const QStringList parts = text.split(QLatin1Char(' '));
    const QString kind = parts.at(0);
    const double value = parts.at(1) == QLatin1String("nan") ? NaN : parts.at(1).toDouble();
    const QString option = parts.value(2);

    QString result;
    if (kind == QLatin1String("distance"))
        result = formatDistanceValue(value, option == QLatin1String("ft"));
    else if (kind == QLatin1String("altitude"))
        result = formatAltitudeValue(value, option == QLatin1String("ft"));
    else if (kind == QLatin1String("inclination"))
        result = formatInclinationValue(value, option == QLatin1String("sign"));
    else if (kind == QLatin1String("zoom"))
        result = formatZoomFactorValue(static_cast<float>(value));
    else if (kind == QLatin1String("light"))
        result = formatLightIntensityValue(static_cast<int>(value), option.contains(QLatin1String("boost")),
                                           option.contains(QLatin1String("percent")));
    QCOMPARE(result, expected);
}

void tst_FormattingHelpers::fileSizes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("just below 1 MB") << "en_US" << qint64(1048575) << "0 MB";
    QTest::newRow("5 MB") << "en_US" << qint64(5) * 1048576 << "5 MB";
    QTest::newRow("grouped english") << "en_US" << qint64(1234) * 1048576 + 1048575 << "1,234 MB";
    QTest::newRow("grouped german") << "de_DE" << qint64(1234) * 1048576 << "1.234 MB";
    QTest::newRow("beyond 32 bits") << "en_US" << qint64(5000000) * 1048576 << "5,000,000 MB";
    QTest::newRow("negative truncates toward zero") << "en_US" << qint64(-1048575) << "0 MB";
}

void tst_FormattingHelpers::fileSizes()
{
    QFETCH(QString, locale);
    QFETCH(qint64, bytes);
    QFETCH(QString, expected);
    setLocale(locale);
    QCOMPARE(formatFileSizeMB(bytes), expected);
}

void tst_FormattingHelpers::times()
{
    QCOMPARE(formatTime(QTime(14, 7), true), QStringLiteral("14:07"));
    QCOMPARE(formatTime(QTime(14, 7), false), QStringLiteral("02:07 PM"));
    QCOMPARE(formatTime(QTime(0, 5), false), QStringLiteral("12:05 AM"));
    QCOMPARE(formatTime(QTime(0, 5), true), QStringLiteral("00:05"));
    QVERIFY(formatTime(QTime(), true).isEmpty());
}

void tst_FormattingHelpers::qmlFormatHelperFollowsUnitSetting()
{
    CSettings settings;
    settings.setUseImperialUnits(false);
    CQmlFormatHelper helper(&settings, nullptr);

    QCOMPARE(helper.formatDistanceValue(1.5), QStringLiteral("1.50m"));
    // Read at every call: the unit switches without a new helper.
    settings.setUseImperialUnits(true);
    QCOMPARE(helper.formatDistanceValue(1.5), QStringLiteral("1.50ft"));

    QCOMPARE(helper.formatInclinationValue(12.34), "12.3" + Deg);
    QCOMPARE(helper.formatZoomFactorValue(2.0), QStringLiteral("2.0X"));
    QCOMPARE(helper.formatLightIntensityValue(75), QStringLiteral("75%"));

    // Without any settings the helper shows metres instead of failing.
    CQmlFormatHelper standalone;
    QCOMPARE(standalone.formatDistanceValue(2.0), QStringLiteral("2.00m"));
}

QTEST_GUILESS_MAIN(tst_FormattingHelpers)
#include "tst_FormattingHelpers.moc"
