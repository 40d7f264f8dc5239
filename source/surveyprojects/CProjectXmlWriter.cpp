#include "surveyprojects/CProjectXmlWriter.h"

#include "surveyprojects/CProjectXmlCache.h"
#include "surveyprojects/CXmlTextBuilder.h"
#include "surveyprojects/SafeFileWriting.h"

#include "CLogger.h"

#include <QIODevice>

#include <cmath>

using Tovrin::Logging::CLogger;

namespace {

QString uuidText(const QUuid& id)
{
    return id.isNull() ? QString() : id.toString(QUuid::WithoutBraces);
}

QString numberText(double value)
{
    return std::isnan(value) ? QString() : QString::number(value, 'f', 6);
}

QString distanceUnitText(ProjectTypes::DistanceUnit unit)
{
    return unit == ProjectTypes::DistanceUnitUS ? QStringLiteral("ft") : QStringLiteral("m");
}

QString surveyTypeText(ProjectTypes::SurveyType type)
{
    switch (type) {
    case ProjectTypes::SurveyTypeLateral:
        return QStringLiteral("LAT");
    case ProjectTypes::SurveyTypeManhole:
        return QStringLiteral("NOD");
    default:
        return QStringLiteral("SEC");
    }
}

bool needsVersion2(const CSurveyProject& project)
{
    for (const SurveyPtr& survey : project.surveys()) {
        if (survey && (survey->type() == ProjectTypes::SurveyTypeManhole || !survey->comment().isEmpty()))
            return true;
    }
    return false;
}

bool hasChildren(const CSurveyPhoto& photo)
{
    return !photo.comment().isEmpty() || !std::isnan(photo.longitude()) || !std::isnan(photo.latitude())
        || !std::isnan(photo.altitude());
}

void writeText(CXmlTextBuilder& builder, const char* name, const QString& text)
{
    // Characters that XML 1.0 forbids would make the whole file unreadable.
    builder.textElement(QLatin1String(name), SafeFileWriting::xmlSafeText(text));
}

} // namespace

bool CProjectXmlWriter::canBeReadBack(const CSurveyProject& project)
{
    // Years outside 0..9999 have no ISO text that reads back.
    auto storable = [](const QDateTime& date) {
        return date.isValid() && QDateTime::fromString(date.toString(Qt::ISODate), Qt::ISODate).isValid();
    };
    if (SafeFileWriting::xmlSafeText(project.name()).isEmpty() || SafeFileWriting::xmlSafeText(project.locale()).isEmpty()
        || !storable(project.date())) {
        return false;
    }
    for (const SurveyPtr& survey : project.surveys()) {
        if (survey && !storable(survey->date()))
            return false;
    }
    return true;
}

CProjectXmlWriter::CProjectXmlWriter(CProjectXmlCache* cache)
    : m_cache(cache)
{
}

bool CProjectXmlWriter::write(const SurveyProjectPtr& project, const QString& filePath)
{
    if (!project)
        return false;
    // A file that the reader would reject loses the whole project; the old file stays instead.
    if (!canBeReadBack(*project)) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("Projects"),
                            "Project not written: it would not read back.", {filePath});
        return false;
    }
    return SafeFileWriting::writeFile(filePath, [this, &project](QIODevice* device) {
        return writeToDevice(project, device);
    });
}

bool CProjectXmlWriter::writeToDevice(const SurveyProjectPtr& project, QIODevice* device)
{
    if (!project || !device)
        return false;
    const QByteArray document = encode(*project);
    return device->write(document) == document.size();
}

QByteArray CProjectXmlWriter::encode(const CSurveyProject& project)
{
    QByteArray document;
    if (m_cache) {
        m_cache->beginWrite();
        document.reserve(m_cache->previousDocument().size() + 4096);
    }
    CXmlTextBuilder builder(document);
    builder.startDocument();
    builder.startElement(QLatin1String("project"));
    builder.attribute(QLatin1String("version"), needsVersion2(project) ? QStringLiteral("2") : QStringLiteral("1"));
    auto text = [&builder](const char* name, const QString& value) { writeText(builder, name, value); };
    text("project-id", uuidText(project.id()));
    text("name", project.name());
    text("description", project.description());
    text("date", project.date().toString(Qt::ISODate));
    text("locale", project.locale());
    text("distance-unit", distanceUnitText(project.distanceUnit()));

    const QVector<SurveyPtr> surveys = project.surveys();
    if (surveys.isEmpty()) {
        builder.emptyElement(QLatin1String("surveys"));
    } else {
        builder.startElement(QLatin1String("surveys"));
        for (const SurveyPtr& survey : surveys) {
            if (survey)
                writeSurvey(builder, *survey);
        }
        builder.endElement();
    }
    builder.endDocument();
    if (m_cache)
        m_cache->endWrite(document);
    return document;
}

template <typename Record, typename Encode>
void CProjectXmlWriter::writeRecord(CXmlTextBuilder& builder, const Record& record, Encode encode)
{
    // Taken before the content is read: a change meanwhile makes the next write encode again.
    const quint64 revision = record.revision();
    builder.closeTag();
    const int start = builder.size();
    int offset = 0;
    int length = 0;
    if (m_cache && m_cache->find(revision, &offset, &length)) {
        builder.appendCopy(m_cache->previousDocument(), offset, length);
    } else {
        encode();
        builder.closeTag();
        length = builder.size() - start;
    }
    if (m_cache)
        m_cache->keep(revision, start, length);
}

void CProjectXmlWriter::writeSurvey(CXmlTextBuilder& builder, const CSurvey& survey)
{
    auto text = [&builder](const char* name, const QString& value) { writeText(builder, name, value); };
    builder.startElement(QLatin1String("survey"));
    text("survey-id", uuidText(survey.id()));
    text("type", surveyTypeText(survey.type()));
    if (survey.type() == ProjectTypes::SurveyTypeManhole) {
        text("manhole-name", survey.manholeName());
    } else {
        text("upstream-manhole", survey.upstreamManhole());
        text("downstream-manhole", survey.downstreamManhole());
    }
    text("inspection-direction", QString::number(static_cast<int>(survey.inspectionDirection())));
    if (!survey.legName().isEmpty())
        text("leg-name", survey.legName());
    text("operator", survey.operatorName());
    text("date", survey.date().toString(Qt::ISODate));
    text("inspected-length", numberText(survey.inspectedLength()));
    if (!survey.comment().isEmpty())
        text("comment", survey.comment());

    const QVector<SurveyPhotoPtr> pictures = survey.pictures();
    if (pictures.isEmpty()) {
        builder.emptyElement(QLatin1String("pictures"));
    } else {
        builder.startElement(QLatin1String("pictures"));
        for (const SurveyPhotoPtr& photo : pictures) {
            if (!photo)
                continue;
            writeRecord(builder, *photo, [&]() {
                const QString path = SafeFileWriting::xmlSafeText(photo->path());
                if (!hasChildren(*photo)) {
                    builder.emptyElement(QLatin1String("picture"));
                    builder.attribute(QLatin1String("path"), path);
                    return;
                }
                builder.startElement(QLatin1String("picture"));
                builder.attribute(QLatin1String("path"), path);
                if (!photo->comment().isEmpty())
                    text("comment", photo->comment());
                if (!std::isnan(photo->longitude()))
                    text("longitude", numberText(photo->longitude()));
                if (!std::isnan(photo->latitude()))
                    text("latitude", numberText(photo->latitude()));
                if (!std::isnan(photo->altitude()))
                    text("altitude", numberText(photo->altitude()));
                builder.endElement();
            });
        }
        builder.endElement();
    }

    const QVector<SurveyVideoPtr> videos = survey.videos();
    if (videos.isEmpty()) {
        builder.emptyElement(QLatin1String("videos"));
    } else {
        builder.startElement(QLatin1String("videos"));
        for (const SurveyVideoPtr& video : videos) {
            if (!video)
                continue;
            writeRecord(builder, *video, [&]() {
                const QString path = SafeFileWriting::xmlSafeText(video->path());
                if (video->comment().isEmpty()) {
                    builder.emptyElement(QLatin1String("video"));
                    builder.attribute(QLatin1String("path"), path);
                    return;
                }
                builder.startElement(QLatin1String("video"));
                builder.attribute(QLatin1String("path"), path);
                text("comment", video->comment());
                builder.endElement();
            });
        }
        builder.endElement();
    }
    builder.endElement();
}
