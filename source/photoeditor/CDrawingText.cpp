#include "photoeditor/CDrawingText.h"

CDrawingText::CDrawingText(uint id, int x, int y, int width, int height, double rotation,
                           const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingBaseText(Text, id, x, y, width, height, rotation, backgroundColor, strokeColor, strokeWidth)
{
}

void CDrawingText::setText(const QString& text)
{
    if (m_text != text) {
        m_text = text;
        emit textChanged();
    }
}
