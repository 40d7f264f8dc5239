#pragma once

#include "surveyprojects/CGeoManhole.h"

#include <QString>

class QIODevice;

// Writes manholes.xml, replacing the old file atomically.
class CManholeXmlWriter
{
public:
    // projectPath ends with "/"; false when nothing could be written.
    bool write(const ManholeListPtr& list, const QString& projectPath);
    bool writeToDevice(const ManholeListPtr& list, QIODevice* device);

    // Positions are written with as many digits as they need to read back unchanged.
    static QString formatCoordinate(const QGeoCoordinate& coordinate);
};
