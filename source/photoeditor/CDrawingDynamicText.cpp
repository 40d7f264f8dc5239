#include "photoeditor/CDrawingDynamicText.h"

CDrawingDynamicText::CDrawingDynamicText(uint id, int x, int y, int width, int height, double rotation,
                                         const QColor& backgroundColor, const QColor& strokeColor,
                                         int strokeWidth)
    : CDrawingBaseText(DynamicText, id, x, y, width, height, rotation, backgroundColor, strokeColor, strokeWidth)
{
}

void CDrawingDynamicText::setField(Field field)
{
    if (m_field != field) {
        m_field = field;
        emit fieldChanged();
    }
}
