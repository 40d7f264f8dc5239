#include "surveyprojects/CProjectXmlReader.h"

#include "CLogger.h"

#include <QFile>
#include <QXmlStreamReader>

#include <limits>

using Tovrin::Logging::CLogger;

namespace {

const int HighestVersion = 2;
const double NaN = std::numeric_limits<double>::quiet_NaN();

QUuid parseUuid(const QString& text)
{
    return QUuid::fromString(text);
}

ProjectTypes::SurveyType parseSurveyType(const QString& text)
{
    if (text == QLatin1String("SEC"))
        return ProjectTypes::SurveyTypeSection;
    if (text == QLatin1String("LAT"))
        return ProjectTypes::SurveyTypeLateral;
    if (text == QLatin1String("NOD"))
        return ProjectTypes::SurveyTypeManhole;
    return ProjectTypes::SurveyTypeInvalid;
}

ProjectTypes::SurveyDirection parseDirection(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 2)
        return ProjectTypes::SurveyDirectionUnknown;
    return static_cast<ProjectTypes::SurveyDirection>(value);
}

} // namespace

SurveyProjectPtr CProjectXmlReader::read(const QString& filePath, bool quick)
{
    m_result.reset();
    m_error = ProjectTypes::ProjectErrorNone;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = ProjectTypes::ProjectErrorLoadFileAccess;
        return {};
    }
    SurveyProjectPtr project = readFromDevice(&file, quick);
    if (!project) {
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("Projects"), "Cannot read project file.",
                            {filePath, static_cast<int>(m_error)});
    }
    return project;
}

SurveyProjectPtr CProjectXmlReader::readFromDevice(QIODevice* device, bool quick)
{
    m_result.reset();
    m_error = ProjectTypes::ProjectErrorNone;
    m_quick = quick;
    m_tolerant = false;
    QXmlStreamReader reader(device);
    m_reader = &reader;
    if (reader.readNextStartElement() && reader.name() == QLatin1String("project"))
        readProject();
    else
        m_error = ProjectTypes::ProjectErrorLoadInvalidFile;
    m_reader = nullptr;
    if (!m_result && m_error != ProjectTypes::ProjectErrorLoadFileAccess)
        m_error = ProjectTypes::ProjectErrorLoadInvalidFile;
    return m_result;
}

bool CProjectXmlReader::canAdd() const
{
    return !m_reader->hasError()
        && (m_error == ProjectTypes::ProjectErrorNone || m_error == ProjectTypes::ProjectErrorLoadVersionTooNew);
}

void CProjectXmlReader::fail()
{
    m_error = ProjectTypes::ProjectErrorLoadInvalidFile;
}

template <typename Item>
void CProjectXmlReader::readList(QLatin1String child, QVector<Item>& items, Item (CProjectXmlReader::*readItem)())
{
    QXmlStreamReader& reader = *m_reader;
    while (reader.readNextStartElement()) {
        if (reader.name() == child) {
            Item item = (this->*readItem)();
            if (item)
                items.append(item);
        } else {
            fail();
            reader.skipCurrentElement();
        }
    }
}

void CProjectXmlReader::readProject()
{
    QXmlStreamReader& reader = *m_reader;
    if (!m_quick) {
        bool ok = false;
        int version = reader.attributes().value(QLatin1String("version")).toInt(&ok);
        if (!ok)
            version = 0;
        if (version > HighestVersion) {
            m_error = ProjectTypes::ProjectErrorLoadVersionTooNew;
            m_tolerant = true;
        }
    }

    QUuid id;
    QString name;
    QString description;
    QString locale;
    QDateTime date;
    ProjectTypes::DistanceUnit unit = ProjectTypes::DistanceUnitMetric;
    QVector<SurveyPtr> surveys;

    while (reader.readNextStartElement()) {
        const QStringRef element = reader.name();
        if (element == QLatin1String("project-id")) {
            id = parseUuid(reader.readElementText());
        } else if (element == QLatin1String("name")) {
            name = reader.readElementText();
        } else if (element == QLatin1String("description")) {
            description = reader.readElementText();
        } else if (element == QLatin1String("locale")) {
            locale = reader.readElementText();
        } else if (element == QLatin1String("date")) {
            date = QDateTime::fromString(reader.readElementText(), Qt::ISODate);
        } else if (element == QLatin1String("distance-unit")) {
            const QString text = reader.readElementText();
            if (text == QLatin1String("m"))
                unit = ProjectTypes::DistanceUnitMetric;
            else if (text == QLatin1String("ft"))
                unit = ProjectTypes::DistanceUnitUS;
            else
                unit = ProjectTypes::DistanceUnitInvalid;
        } else if (element == QLatin1String("surveys")) {
            if (m_quick)
                reader.skipCurrentElement();
            else
                readList(QLatin1String("survey"), surveys, &CProjectXmlReader::readSurvey);
        } else if (m_quick || m_tolerant) {
            reader.skipCurrentElement();
        } else {
            fail();
            return;
        }
    }

    if (canAdd() && !name.isEmpty() && !locale.isEmpty() && date.isValid()
        && unit != ProjectTypes::DistanceUnitInvalid) {
        m_result = std::make_shared<CSurveyProject>(id, surveys, name, description, locale, date, unit);
    } else {
        fail();
    }
}

SurveyPtr CProjectXmlReader::readSurvey()
{
    QXmlStreamReader& reader = *m_reader;
    QUuid id;
    QVector<SurveyPhotoPtr> pictures;
    QVector<SurveyVideoPtr> videos;
    QString manholeName;
    QString upstream;
    QString downstream;
    QString legName;
    QString operatorName;
    QString comment;
    QDateTime date;
    double length = NaN;
    ProjectTypes::SurveyType type = ProjectTypes::SurveyTypeInvalid;
    ProjectTypes::SurveyDirection direction = ProjectTypes::SurveyDirectionUnknown;

    while (reader.readNextStartElement()) {
        const QStringRef element = reader.name();
        if (element == QLatin1String("survey-id")) {
            id = parseUuid(reader.readElementText());
        } else if (element == QLatin1String("type")) {
            type = parseSurveyType(reader.readElementText());
        } else if (element == QLatin1String("manhole-name")) {
            manholeName = reader.readElementText();
        } else if (element == QLatin1String("upstream-manhole")) {
            upstream = reader.readElementText();
        } else if (element == QLatin1String("downstream-manhole")) {
            downstream = reader.readElementText();
        } else if (element == QLatin1String("leg-name")) {
            legName = reader.readElementText();
        } else if (element == QLatin1String("operator")) {
            operatorName = reader.readElementText();
        } else if (element == QLatin1String("comment")) {
            comment = reader.readElementText();
        } else if (element == QLatin1String("inspection-direction")) {
            direction = parseDirection(reader.readElementText());
        } else if (element == QLatin1String("date")) {
            date = QDateTime::fromString(reader.readElementText(), Qt::ISODate);
        } else if (element == QLatin1String("inspected-length")) {
            bool ok = false;
            const double value = reader.readElementText().toDouble(&ok);
            length = ok ? value : NaN;
        } else if (element == QLatin1String("pictures")) {
            readList(QLatin1String("picture"), pictures, &CProjectXmlReader::readPicture);
        } else if (element == QLatin1String("videos")) {
            readList(QLatin1String("video"), videos, &CProjectXmlReader::readVideo);
        } else if (m_tolerant) {
            reader.skipCurrentElement();
        } else {
            fail();
            reader.skipCurrentElement();
            // The rest of the survey is skipped with it.
            while (reader.readNextStartElement())
                reader.skipCurrentElement();
            return {};
        }
    }

    if (!canAdd() || !date.isValid()) {
        fail();
        return {};
    }
    if (id.isNull())
        id = QUuid::createUuid();
    return std::make_shared<CSurvey>(id, pictures, videos, manholeName, upstream, downstream, legName, operatorName,
                                     comment, date, length, type, direction);
}

SurveyPhotoPtr CProjectXmlReader::readPicture()
{
    QXmlStreamReader& reader = *m_reader;
    const QString path = reader.attributes().value(QLatin1String("path")).toString();
    QString comment;
    double longitude = NaN;
    double latitude = NaN;
    double altitude = NaN;
    bool bad = false;

    while (reader.readNextStartElement()) {
        const QStringRef element = reader.name();
        if (bad) {
            reader.skipCurrentElement();
        } else if (element == QLatin1String("comment")) {
            comment = reader.readElementText();
        } else if (element == QLatin1String("longitude")) {
            longitude = reader.readElementText().toDouble();
        } else if (element == QLatin1String("latitude")) {
            latitude = reader.readElementText().toDouble();
        } else if (element == QLatin1String("altitude")) {
            altitude = reader.readElementText().toDouble();
        } else {
            bad = true;
            reader.skipCurrentElement();
        }
    }

    if (bad || !canAdd() || path.isEmpty()) {
        fail();
        return {};
    }
    return std::make_shared<CSurveyPhoto>(path, comment, longitude, latitude, altitude);
}

SurveyVideoPtr CProjectXmlReader::readVideo()
{
    QXmlStreamReader& reader = *m_reader;
    const QString path = reader.attributes().value(QLatin1String("path")).toString();
    QString comment;
    bool bad = false;

    while (reader.readNextStartElement()) {
        if (!bad && reader.name() == QLatin1String("comment")) {
            comment = reader.readElementText();
        } else {
            bad = true;
            reader.skipCurrentElement();
        }
    }

    if (bad || !canAdd() || path.isEmpty()) {
        fail();
        return {};
    }
    return std::make_shared<CSurveyVideo>(path, comment);
}
