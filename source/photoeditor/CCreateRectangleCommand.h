#pragma once

#include "photoeditor/CCreateObjectCommand.h"

class CCreateRectangleCommand : public CCreateObjectCommand
{
public:
    CCreateRectangleCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
};
