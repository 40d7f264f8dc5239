#pragma once

#include "photoeditor/CDrawingObject.h"

class CDrawingLine : public CDrawingObject
{
    Q_OBJECT

public:
    CDrawingLine(uint id, int x, int y, int width, int height, double rotation, const QColor& backgroundColor,
                 const QColor& strokeColor, int strokeWidth);
};
