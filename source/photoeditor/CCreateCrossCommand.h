#pragma once

#include "photoeditor/CCreateObjectCommand.h"

class CCreateCrossCommand : public CCreateObjectCommand
{
public:
    CCreateCrossCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
};
