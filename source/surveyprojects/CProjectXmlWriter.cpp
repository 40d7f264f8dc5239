#include "surveyprojects/CProjectXmlWriter.h"

#include "surveyprojects/SafeFileWriting.h"

#include "CLogger.h"

#include <QIODevice>
#include <QXmlStreamWriter>

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
    QXmlStreamWriter writer(device);
    m_writer = &writer;
    writer.setCodec("UTF-8");
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);

    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("project"));
    writer.writeAttribute(QStringLiteral("version"), needsVersion2(*project) ? QStringLiteral("2") : QStringLiteral("1"));
    writeTextElement(QStringLiteral("project-id"), uuidText(project->id()));
    writeTextElement(QStringLiteral("name"), project->name());
    writeTextElement(QStringLiteral("description"), project->description());
    writeTextElement(QStringLiteral("date"), project->date().toString(Qt::ISODate));
    writeTextElement(QStringLiteral("locale"), project->locale());
    writeTextElement(QStringLiteral("distance-unit"), distanceUnitText(project->distanceUnit()));

    const QVector<SurveyPtr> surveys = project->surveys();
    if (surveys.isEmpty()) {
        writer.writeEmptyElement(QStringLiteral("surveys"));
    } else {
        writer.writeStartElement(QStringLiteral("surveys"));
        for (const SurveyPtr& survey : surveys) {
            if (survey)
                writeSurvey(*survey);
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    m_writer = nullptr;
    return !writer.hasError();
}

void CProjectXmlWriter::writeTextElement(const QString& name, const QString& text)
{
    // Characters that XML 1.0 forbids would make the whole file unreadable.
    m_writer->writeTextElement(name, SafeFileWriting::xmlSafeText(text));
}

void CProjectXmlWriter::writeSurvey(const CSurvey& survey)
{
    QXmlStreamWriter& writer = *m_writer;
    writer.writeStartElement(QStringLiteral("survey"));
    writeTextElement(QStringLiteral("survey-id"), uuidText(survey.id()));
    writeTextElement(QStringLiteral("type"), surveyTypeText(survey.type()));
    if (survey.type() == ProjectTypes::SurveyTypeManhole) {
        writeTextElement(QStringLiteral("manhole-name"), survey.manholeName());
    } else {
        writeTextElement(QStringLiteral("upstream-manhole"), survey.upstreamManhole());
        writeTextElement(QStringLiteral("downstream-manhole"), survey.downstreamManhole());
    }
    writeTextElement(QStringLiteral("inspection-direction"),
                     QString::number(static_cast<int>(survey.inspectionDirection())));
    if (!survey.legName().isEmpty())
        writeTextElement(QStringLiteral("leg-name"), survey.legName());
    writeTextElement(QStringLiteral("operator"), survey.operatorName());
    writeTextElement(QStringLiteral("date"), survey.date().toString(Qt::ISODate));
    writeTextElement(QStringLiteral("inspected-length"), numberText(survey.inspectedLength()));
    if (!survey.comment().isEmpty())
        writeTextElement(QStringLiteral("comment"), survey.comment());

    const QVector<SurveyPhotoPtr> pictures = survey.pictures();
    if (pictures.isEmpty()) {
        writer.writeEmptyElement(QStringLiteral("pictures"));
    } else {
        writer.writeStartElement(QStringLiteral("pictures"));
        for (const SurveyPhotoPtr& photo : pictures) {
            if (!photo)
                continue;
            const QString path = SafeFileWriting::xmlSafeText(photo->path());
            if (!hasChildren(*photo)) {
                writer.writeEmptyElement(QStringLiteral("picture"));
                writer.writeAttribute(QStringLiteral("path"), path);
                continue;
            }
            writer.writeStartElement(QStringLiteral("picture"));
            writer.writeAttribute(QStringLiteral("path"), path);
            if (!photo->comment().isEmpty())
                writeTextElement(QStringLiteral("comment"), photo->comment());
            if (!std::isnan(photo->longitude()))
                writeTextElement(QStringLiteral("longitude"), numberText(photo->longitude()));
            if (!std::isnan(photo->latitude()))
                writeTextElement(QStringLiteral("latitude"), numberText(photo->latitude()));
            if (!std::isnan(photo->altitude()))
                writeTextElement(QStringLiteral("altitude"), numberText(photo->altitude()));
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }

    const QVector<SurveyVideoPtr> videos = survey.videos();
    if (videos.isEmpty()) {
        writer.writeEmptyElement(QStringLiteral("videos"));
    } else {
        writer.writeStartElement(QStringLiteral("videos"));
        for (const SurveyVideoPtr& video : videos) {
            if (!video)
                continue;
            const QString path = SafeFileWriting::xmlSafeText(video->path());
            if (video->comment().isEmpty()) {
                writer.writeEmptyElement(QStringLiteral("video"));
                writer.writeAttribute(QStringLiteral("path"), path);
                continue;
            }
            writer.writeStartElement(QStringLiteral("video"));
            writer.writeAttribute(QStringLiteral("path"), path);
            writeTextElement(QStringLiteral("comment"), video->comment());
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
}
