#include "photoeditor/CDrawingRectangle.h"

CDrawingRectangle::CDrawingRectangle(uint id, int x, int y, int width, int height, double rotation,
                                     const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingObject(Rectangle, id, x, y, width, height, truncatedRotation(rotation), backgroundColor, strokeColor,
                     strokeWidth)
{
}
