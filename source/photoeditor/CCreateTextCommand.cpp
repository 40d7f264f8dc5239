#include "photoeditor/CCreateTextCommand.h"

#include "photoeditor/CDrawingText.h"

CCreateTextCommand::CCreateTextCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth,
                                       const QColor& textColor, int fontSize, const QString& text)
    : CCreateObjectCommand(manager, CDrawingObject::Text, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
    , m_text(text)
    , m_textColor(textColor)
    , m_fontSize(fontSize)
{
}

void CCreateTextCommand::configure()
{
    if (auto text = qobject_cast<CDrawingText*>(m_object.get())) {
        text->setTextColor(m_textColor);
        text->setFontSize(m_fontSize);
        text->setText(m_text);
    }
}
