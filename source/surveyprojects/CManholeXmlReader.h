#pragma once

#include "surveyprojects/CGeoManhole.h"
#include "surveyprojects/ProjectTypes.h"

#include <QString>

class QIODevice;
class QXmlStreamReader;

// Reads manholes.xml.
class CManholeXmlReader
{
public:
    ManholeListPtr read(const QString& filePath);
    ManholeListPtr readFromDevice(QIODevice* device);
    ProjectTypes::ProjectError error() const { return m_error; }
    // Whether the last read went through the whole document; a read that stopped at an XML
    // error between manholes still returns the manholes before it, but is not complete.
    bool isComplete() const { return m_complete; }

    // "POINT ZM(lat lon alt m)"; an invalid coordinate for text of any other shape.
    static QGeoCoordinate parseCoordinate(const QString& text);

private:
    bool readManhole(ManholeList& list);

    QXmlStreamReader* m_reader = nullptr;
    ManholeListPtr m_result;
    ProjectTypes::ProjectError m_error = ProjectTypes::ProjectErrorNone;
    bool m_complete = false;
};
