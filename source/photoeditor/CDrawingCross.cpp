#include "photoeditor/CDrawingCross.h"

CDrawingCross::CDrawingCross(uint id, int x, int y, int width, int height, double rotation,
                             const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CDrawingObject(Cross, id, x, y, width, height, truncatedRotation(rotation), backgroundColor, strokeColor,
                     strokeWidth)
{
}
