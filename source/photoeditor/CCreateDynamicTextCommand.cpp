#include "photoeditor/CCreateDynamicTextCommand.h"

CCreateDynamicTextCommand::CCreateDynamicTextCommand(CDrawingObjectManager* manager, int x, int y, int width,
                                                     int height, const QColor& backgroundColor,
                                                     const QColor& strokeColor, int strokeWidth,
                                                     const QColor& textColor, int fontSize,
                                                     CDrawingDynamicText::Field field)
    : CCreateObjectCommand(manager, CDrawingObject::DynamicText, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
    , m_textColor(textColor)
    , m_fontSize(fontSize)
    , m_field(field)
{
}

void CCreateDynamicTextCommand::configure()
{
    if (auto text = qobject_cast<CDrawingDynamicText*>(m_object.get())) {
        text->setTextColor(m_textColor);
        text->setFontSize(m_fontSize);
        text->setField(m_field);
    }
}
