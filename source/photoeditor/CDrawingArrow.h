#pragma once

#include "photoeditor/CDrawingObject.h"

class CDrawingArrow : public CDrawingObject
{
    Q_OBJECT

public:
    CDrawingArrow(uint id, int x, int y, int width, int height, double rotation, const QColor& backgroundColor,
                  const QColor& strokeColor, int strokeWidth);
};
