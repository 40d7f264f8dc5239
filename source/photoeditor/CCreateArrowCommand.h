#pragma once

#include "photoeditor/CCreateObjectCommand.h"

class CCreateArrowCommand : public CCreateObjectCommand
{
public:
    CCreateArrowCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
};
