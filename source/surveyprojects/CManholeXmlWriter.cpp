#include "surveyprojects/CManholeXmlWriter.h"

#include "surveyprojects/ProjectFiles.h"
#include "surveyprojects/SafeFileWriting.h"

#include <QIODevice>
#include <QLocale>
#include <QXmlStreamWriter>

namespace {

QString numberText(double value)
{
    // The shortest text that reads back as the same double.
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

QString CManholeXmlWriter::formatCoordinate(const QGeoCoordinate& coordinate)
{
    return QStringLiteral("POINT ZM(") + numberText(coordinate.latitude()) + QLatin1Char(' ')
        + numberText(coordinate.longitude()) + QLatin1Char(' ') + numberText(coordinate.altitude())
        + QStringLiteral(" 0)");
}

bool CManholeXmlWriter::write(const ManholeListPtr& list, const QString& projectPath)
{
    return SafeFileWriting::writeFile(projectPath + QLatin1String(ProjectFiles::ManholeFileName),
                                      [this, &list](QIODevice* device) { return writeToDevice(list, device); });
}

bool CManholeXmlWriter::writeToDevice(const ManholeListPtr& list, QIODevice* device)
{
    QXmlStreamWriter writer(device);
    writer.setCodec("UTF-8");
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("project"));
    if (!list || list->isEmpty()) {
        writer.writeEmptyElement(QStringLiteral("manholes"));
    } else {
        writer.writeStartElement(QStringLiteral("manholes"));
        for (const CGeoManhole& manhole : *list) {
            writer.writeStartElement(QStringLiteral("manhole"));
            writer.writeTextElement(QStringLiteral("name"), SafeFileWriting::xmlSafeText(manhole.name()));
            if (manhole.coordinate().isValid())
                writer.writeTextElement(QStringLiteral("coordinate"), formatCoordinate(manhole.coordinate()));
            writer.writeEndElement();
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return !writer.hasError();
}
