#include "photoeditor/CCreateArrowCommand.h"

CCreateArrowCommand::CCreateArrowCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CCreateObjectCommand(manager, CDrawingObject::Arrow, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
{
}
