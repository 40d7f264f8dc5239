#pragma once

#include "photoeditor/CCreateObjectCommand.h"

class CCreateEllipseCommand : public CCreateObjectCommand
{
public:
    CCreateEllipseCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
};
