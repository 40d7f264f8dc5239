#include "photoeditor/CDrawingBaseText.h"

CDrawingBaseText::CDrawingBaseText(Type type, uint id, int x, int y, int width, int height, double rotation,
                                   const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingObject(type, id, x, y, width, height, truncatedRotation(rotation), backgroundColor, strokeColor,
                     strokeWidth)
{
}

void CDrawingBaseText::setTextColor(const QColor& color)
{
    if (m_textColor != color) {
        m_textColor = color;
        emit textColorChanged();
    }
}

void CDrawingBaseText::setFontSize(int fontSize)
{
    if (m_fontSize != fontSize) {
        m_fontSize = fontSize;
        emit fontSizeChanged();
    }
}
