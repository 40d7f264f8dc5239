#include "surveyprojects/CManholeXmlReader.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

const QString PointPrefix = QStringLiteral("POINT ZM(");

} // namespace

QGeoCoordinate CManholeXmlReader::parseCoordinate(const QString& text)
{
    if (!text.startsWith(PointPrefix) || !text.endsWith(QLatin1Char(')')))
        return QGeoCoordinate();
    const int first = text.indexOf(QLatin1Char(' '), 10);
    if (first < 0)
        return QGeoCoordinate();
    const int second = text.indexOf(QLatin1Char(' '), first + 1);
    if (second < 0)
        return QGeoCoordinate();
    const int third = text.indexOf(QLatin1Char(' '), second + 1);
    if (third < 0)
        return QGeoCoordinate();
    const double latitude = text.mid(9, first - 9).toDouble();
    const double longitude = text.mid(first + 1, second - first - 1).toDouble();
    const double altitude = text.mid(second + 1, third - second - 1).toDouble();
    return QGeoCoordinate(latitude, longitude, altitude);
}

ManholeListPtr CManholeXmlReader::read(const QString& filePath)
{
    m_result.reset();
    m_error = ProjectTypes::ProjectErrorNone;
    m_complete = false;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = ProjectTypes::ProjectErrorLoadManholeFileAccess;
        return {};
    }
    return readFromDevice(&file);
}

ManholeListPtr CManholeXmlReader::readFromDevice(QIODevice* device)
{
    m_result.reset();
    m_error = ProjectTypes::ProjectErrorNone;
    m_complete = false;
    QXmlStreamReader reader(device);
    m_reader = &reader;
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("project") || !reader.readNextStartElement()
        || reader.name() != QLatin1String("manholes")) {
        m_error = ProjectTypes::ProjectErrorLoadManholeFileInvalid;
        m_reader = nullptr;
        return {};
    }

    auto list = std::make_shared<ManholeList>();
    for (;;) {
        reader.readNext();
        if (reader.atEnd() || reader.hasError())
            break;
        if (reader.isEndElement() && reader.name() == QLatin1String("manholes"))
            break;
        // Elements other than "manhole" are stepped into, not skipped.
        if (reader.isStartElement() && reader.name() == QLatin1String("manhole") && !readManhole(*list)) {
            m_error = ProjectTypes::ProjectErrorLoadManholeFileInvalid;
            m_reader = nullptr;
            return {};
        }
    }
    m_complete = !reader.hasError();
    m_reader = nullptr;
    m_result = list;
    return m_result;
}

bool CManholeXmlReader::readManhole(ManholeList& list)
{
    QXmlStreamReader& reader = *m_reader;
    QString name;
    QGeoCoordinate coordinate;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("name")) {
            name = reader.readElementText();
        } else if (reader.name() == QLatin1String("coordinate")) {
            coordinate = parseCoordinate(reader.readElementText());
        } else {
            return false;
        }
    }
    if (reader.hasError())
        return false;
    if (!name.isEmpty())
        list.append(CGeoManhole(name, coordinate));
    return true;
}
