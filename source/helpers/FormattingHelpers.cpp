#include "helpers/FormattingHelpers.h"

#include <QLocale>

#include <cmath>

namespace {

const QString DegreeSign = QStringLiteral("\u00B0");
const QString DegreeText = QStringLiteral("deg");

constexpr int LatitudeDegreeLimit = 89;
constexpr int LongitudeDegreeLimit = 179;
constexpr unsigned LastCoordinateFormat = 5;

struct Hemispheres
{
    QString positive;
    QString negative;
};

// Rounds to the given number of decimals, halves away from zero, so that the carry below
// looks at the value exactly as it will be shown.
double roundToDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QString formatCoordinate(double value, bool useDegreeSign, int coordinateFormat, int degreeLimit,
                         const Hemispheres& hemispheres)
{
    // A negative format is as unknown as one above 5; an infinite value is no position.
    if (!std::isfinite(value) || static_cast<unsigned>(coordinateFormat) > LastCoordinateFormat)
        return QString();

    const double absolute = std::fabs(value);
    const QString& degreeText = useDegreeSign ? DegreeSign : DegreeText;
    QString text;

    switch (coordinateFormat) {
    case 0:
    case 1:
        text = QLocale().toString(absolute, 'f', 5) + degreeText;
        break;
    case 2:
    case 3: {
        double degrees = std::trunc(absolute);
        double minutes = roundToDecimals((absolute - degrees) * 60.0, 3);
        if (minutes >= 60.0) {
            minutes -= 60.0;
            degrees += 1.0;
        }
        if (degrees > degreeLimit)
            minutes = 0.0;
        text = QStringLiteral("%1%2 %3'")
                   .arg(QString::number(degrees, 'f', 0), degreeText, QString::number(minutes, 'f', 3));
        break;
    }
    default: {
        double degrees = std::trunc(absolute);
        const double exactMinutes = (absolute - degrees) * 60.0;
        double minutes = std::trunc(exactMinutes);
        double seconds = roundToDecimals((exactMinutes - minutes) * 60.0, 1);
        if (seconds >= 60.0) {
            seconds -= 60.0;
            minutes += 1.0;
        }
        if (minutes >= 60.0) {
            minutes -= 60.0;
            degrees += 1.0;
        }
        if (degrees > degreeLimit)
            seconds = 0.0;
        text = QStringLiteral("%1%2 %3' %4\"")
                   .arg(QString::number(degrees, 'f', 0), degreeText, QString::number(minutes, 'f', 0),
                        QString::number(seconds, 'f', 1));
        break;
    }
    }

    if (coordinateFormat % 2 == 1) {
        if (value < 0.0)
            text += hemispheres.negative;
        else if (value > 0.0)
            text += hemispheres.positive;
    } else if (value < 0.0) {
        text.prepend(QLatin1Char('-'));
    }
    return text;
}

QString lengthUnit(bool feet)
{
    return feet ? QStringLiteral("ft") : QStringLiteral("m");
}

} // namespace

QString formatLatitudeValue(double latitude, bool useDegreeSign, int coordinateFormat)
{
    return formatCoordinate(latitude, useDegreeSign, coordinateFormat, LatitudeDegreeLimit,
                            {QStringLiteral(" N"), QStringLiteral(" S")});
}

QString formatLongitudeValue(double longitude, bool useDegreeSign, int coordinateFormat)
{
    return formatCoordinate(longitude, useDegreeSign, coordinateFormat, LongitudeDegreeLimit,
                            {QStringLiteral(" E"), QStringLiteral(" W")});
}

QString formatAltitudeValue(double value, bool feet)
{
    if (std::isnan(value))
        return QString();
    return QLocale().toString(value, 'f', 1) + lengthUnit(feet);
}

QString formatDistanceValue(double value, bool feet)
{
    if (std::isnan(value))
        return QString();
    return QLocale().toString(value, 'f', 2) + lengthUnit(feet);
}

QString formatInclinationValue(double value, bool useDegreeSign)
{
    // A readout the system has not sent yet shows nothing rather than "nan".
    if (std::isnan(value))
        return QString();
    return QLocale().toString(value, 'f', 1) + (useDegreeSign ? DegreeSign : DegreeText);
}

QString formatZoomFactorValue(float value)
{
    if (std::isnan(value))
        return QString();
    return QLocale().toString(static_cast<double>(value), 'f', 1) + QStringLiteral("X");
}

QString formatLightIntensityValue(int value, bool boost, bool percent)
{
    QString text = QString::number(value) + (percent ? QStringLiteral("%") : QStringLiteral("P"));
    if (boost)
        text += QStringLiteral("+");
    return text;
}

QString formatTime(const QTime& time, bool use24HourClock)
{
    return time.toString(use24HourClock ? QStringLiteral("HH:mm") : QStringLiteral("hh:mm AP"));
}

QString formatFileSizeMB(qint64 bytes)
{
    constexpr qint64 BytesPerMegabyte = 1048576;
    return QLocale().toString(bytes / BytesPerMegabyte) + QStringLiteral(" MB");
}
