#include "photoeditor/CDrawingTemplateWriter.h"

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingTemplateWords.h"

#include "CLogger.h"
#include "FileReplacement.h"

#include <QFileDevice>
#include <QXmlStreamWriter>

using Tovrin::Logging::CLogger;

namespace {

QString colorText(const QColor& color)
{
    return color.name(QColor::HexArgb);
}

void writeObject(QXmlStreamWriter& xml, const CDrawingObject& object)
{
    xml.writeStartElement(QStringLiteral("object"));
    xml.writeTextElement(QStringLiteral("type"), DrawingTemplateWords::typeWord(object.type()));
    xml.writeTextElement(QStringLiteral("id"), QString::number(object.id()));
    xml.writeTextElement(QStringLiteral("x"), QString::number(object.x()));
    xml.writeTextElement(QStringLiteral("y"), QString::number(object.y()));
    xml.writeTextElement(QStringLiteral("width"), QString::number(object.width()));
    xml.writeTextElement(QStringLiteral("height"), QString::number(object.height()));
    xml.writeTextElement(QStringLiteral("rotation"), QString::number(object.rotation()));
    xml.writeTextElement(QStringLiteral("background-color"), colorText(object.backgroundColor()));
    xml.writeTextElement(QStringLiteral("stroke-color"), colorText(object.strokeColor()));
    xml.writeTextElement(QStringLiteral("stroke-width"), QString::number(object.strokeWidth()));
    if (object.type() == CDrawingObject::Text) {
        if (auto text = qobject_cast<const CDrawingText*>(&object)) {
            xml.writeTextElement(QStringLiteral("text-color"), colorText(text->textColor()));
            xml.writeTextElement(QStringLiteral("font-size"), QString::number(text->fontSize()));
            xml.writeTextElement(QStringLiteral("text"), text->text());
        }
    } else if (object.type() == CDrawingObject::DynamicText) {
        if (auto text = qobject_cast<const CDrawingDynamicText*>(&object)) {
            xml.writeTextElement(QStringLiteral("text-color"), colorText(text->textColor()));
            xml.writeTextElement(QStringLiteral("font-size"), QString::number(text->fontSize()));
            xml.writeTextElement(QStringLiteral("field"), DrawingTemplateWords::fieldWord(text->field()));
        }
    } else if (object.type() == CDrawingObject::Image) {
        if (auto image = qobject_cast<const CDrawingImage*>(&object)) {
            xml.writeTextElement(QStringLiteral("source"), image->source());
        }
    }
    xml.writeEndElement();
}

} // namespace

bool CDrawingTemplateWriter::write(const DrawingTemplatePtr& drawingTemplate, const QString& filePath) const
{
    if (!drawingTemplate) {
        return false;
    }
    // A crash or a full disk half-way must not leave a truncated template behind.
    QString error;
    const bool written = FileReplacement::writeWholeFile(
        filePath,
        [&drawingTemplate](QFileDevice& file) {
            QXmlStreamWriter xml(&file);
            xml.setAutoFormatting(true);
            xml.setAutoFormattingIndent(4);
            xml.writeStartDocument();
            xml.writeStartElement(QStringLiteral("template"));
            xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
            xml.writeTextElement(QStringLiteral("name"), drawingTemplate->name());
            xml.writeStartElement(QStringLiteral("objects"));
            for (const DrawingObjectPtr& object : drawingTemplate->objects()) {
                if (object) {
                    writeObject(xml, *object);
                }
            }
            xml.writeEndElement();
            xml.writeEndElement();
            xml.writeEndDocument();
            return !xml.hasError();
        },
        &error);
    if (!written) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("DrawingTemplates"),
                            QStringLiteral("Cannot write the template file %1: %2").arg(filePath, error));
        return false;
    }
    return true;
}
