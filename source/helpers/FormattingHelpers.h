#pragma once

#include <QString>
#include <QTime>

// Short texts of measured values for the live screens, the camera overlay and the lists.
// Numbers follow the default QLocale unless noted; none of these convert units, the flags
// only choose the label. Safe to call from any thread.

// coordinateFormat: 0/1 decimal degrees, 2/3 degrees and decimal minutes, 4/5 degrees,
// minutes and decimal seconds; odd formats put the hemisphere letter behind, even ones a
// leading "-". Other values and NaN give an empty text.
QString formatLatitudeValue(double latitude, bool useDegreeSign, int coordinateFormat);
QString formatLongitudeValue(double longitude, bool useDegreeSign, int coordinateFormat);

QString formatAltitudeValue(double value, bool feet);
QString formatDistanceValue(double value, bool feet);
QString formatInclinationValue(double value, bool useDegreeSign);
QString formatZoomFactorValue(float value);
QString formatLightIntensityValue(int value, bool boost, bool percent);
QString formatTime(const QTime& time, bool use24HourClock);
QString formatFileSizeMB(qint64 bytes);
