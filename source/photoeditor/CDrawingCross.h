#pragma once

#include "photoeditor/CDrawingObject.h"

class CDrawingCross : public CDrawingObject
{
    Q_OBJECT

public:
    CDrawingCross(uint id, int x, int y, int width, int height, double rotation, const QColor& backgroundColor,
                  const QColor& strokeColor, int strokeWidth);
};
