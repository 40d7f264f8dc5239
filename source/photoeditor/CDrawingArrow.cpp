#include "photoeditor/CDrawingArrow.h"

CDrawingArrow::CDrawingArrow(uint id, int x, int y, int width, int height, double rotation,
                             const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingObject(Arrow, id, x, y, width, height, truncatedRotation(rotation), backgroundColor, strokeColor,
                     strokeWidth)
{
}
