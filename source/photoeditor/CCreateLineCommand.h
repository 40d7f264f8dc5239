#pragma once

#include "photoeditor/CCreateObjectCommand.h"

class CCreateLineCommand : public CCreateObjectCommand
{
public:
    CCreateLineCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
};
