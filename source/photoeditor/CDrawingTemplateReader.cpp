#include "photoeditor/CDrawingTemplateReader.h"

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingObjectFactory.h"
#include "photoeditor/DrawingTemplateWords.h"

#include "CLogger.h"

#include <QFile>
#include <QXmlStreamReader>

#include <limits>

using Tovrin::Logging::CLogger;

namespace {

int parseInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

QColor parseColor(const QString& text)
{
    QColor color;
    color.setNamedColor(text.trimmed());
    return color;
}

} // namespace

DrawingTemplatePtr CDrawingTemplateReader::read(const QString& filePath, bool nameOnly)
{
    m_result.reset();
    m_usedIds.clear();
    m_error = ReadErrorNone;
    m_nameOnly = nameOnly;

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = ReadErrorOpen;
        return m_result;
    }

    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("template")) {
        m_error = ReadErrorFormat;
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("DrawingTemplates"),
                            QStringLiteral("The file %1 holds no drawing template").arg(filePath));
        return m_result;
    }
    if (!m_nameOnly && xml.attributes().value(QStringLiteral("version")) != QLatin1String("1")) {
        m_error = ReadErrorVersion;
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("DrawingTemplates"),
                            QStringLiteral("The drawing template %1 has an unknown version").arg(filePath));
        return m_result;
    }

    QString name;
    QVector<DrawingObjectPtr> objects;
    readChildren(xml, name, objects);

    if (xml.hasError() || m_error != ReadErrorNone || name.isEmpty()) {
        m_error = ReadErrorFormat;
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("DrawingTemplates"),
                            QStringLiteral("The drawing template %1 is malformed (%2)")
                                .arg(filePath, xml.hasError() ? xml.errorString() : QStringLiteral("content")));
        return m_result;
    }
    m_result = std::make_shared<CDrawingTemplate>(name, objects);
    return m_result;
}

void CDrawingTemplateReader::readChildren(QXmlStreamReader& xml, QString& name, QVector<DrawingObjectPtr>& objects)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("name")) {
            name = xml.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (xml.name() == QLatin1String("objects")) {
            if (m_nameOnly) {
                xml.skipCurrentElement();
            } else {
                readObjects(xml, objects);
            }
        } else if (m_nameOnly) {
            // Listing only looks for the name, wherever it is.
            readChildren(xml, name, objects);
        } else {
            m_error = ReadErrorFormat;
            return;
        }
    }
}

void CDrawingTemplateReader::readObjects(QXmlStreamReader& xml, QVector<DrawingObjectPtr>& objects)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("object")) {
            readObject(xml, objects);
        } else {
            m_error = ReadErrorFormat;
            xml.skipCurrentElement();
        }
    }
}

void CDrawingTemplateReader::readObject(QXmlStreamReader& xml, QVector<DrawingObjectPtr>& objects)
{
    CDrawingObject::Type type = CDrawingObject::Invalid;
    qint64 id = -1;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int rotation = 0;
    int strokeWidth = 0;
    int fontSize = 0;
    QColor backgroundColor;
    QColor strokeColor;
    QColor textColor;
    QString text;
    QString source;
    CDrawingDynamicText::Field field = CDrawingDynamicText::Invalid;

    while (xml.readNextStartElement()) {
        const QStringRef element = xml.name();
        if (element == QLatin1String("type")) {
            type = DrawingTemplateWords::typeFromWord(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("id")) {
            bool ok = false;
            id = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toLongLong(&ok);
            if (!ok) {
                id = 0;
            }
        } else if (element == QLatin1String("x")) {
            x = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("y")) {
            y = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("width")) {
            width = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("height")) {
            height = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("rotation")) {
            rotation = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("stroke-width")) {
            strokeWidth = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("font-size")) {
            fontSize = parseInt(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("background-color")) {
            backgroundColor = parseColor(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("stroke-color")) {
            strokeColor = parseColor(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("text-color")) {
            textColor = parseColor(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (element == QLatin1String("text")) {
            text = xml.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (element == QLatin1String("source")) {
            source = xml.readElementText(QXmlStreamReader::SkipChildElements);
        } else if (element == QLatin1String("field")) {
            field = DrawingTemplateWords::fieldFromWord(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else {
            // Unknown elements are skipped whole, so their content cannot throw the reader
            // out of step.
            xml.skipCurrentElement();
        }
    }

    // Ids are unsigned in the objects; 0xFFFFFFFF marks an unregistered object.
    const bool idValid = id >= 0 && id < static_cast<qint64>(CDrawingObject::UnregisteredId);
    if (type == CDrawingObject::Invalid || !idValid || m_usedIds.contains(id) ||
        (type == CDrawingObject::DynamicText && field == CDrawingDynamicText::Invalid)) {
        m_error = ReadErrorFormat;
        return;
    }
    const DrawingObjectPtr object = createDrawingObject(type, static_cast<uint>(id), x, y, width, height, rotation,
                                                        backgroundColor, strokeColor, strokeWidth);
    if (!object) {
        m_error = ReadErrorFormat;
        return;
    }
    if (auto textObject = qobject_cast<CDrawingText*>(object.get())) {
        textObject->setTextColor(textColor);
        textObject->setFontSize(fontSize);
        textObject->setText(text);
    } else if (auto dynamicText = qobject_cast<CDrawingDynamicText*>(object.get())) {
        dynamicText->setTextColor(textColor);
        dynamicText->setFontSize(fontSize);
        dynamicText->setField(field);
    } else if (auto image = qobject_cast<CDrawingImage*>(object.get())) {
        image->setSource(source);
    }
    objects.append(object);
    m_usedIds.insert(id);
}
