#include "photoeditor/CCreateRectangleCommand.h"

CCreateRectangleCommand::CCreateRectangleCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CCreateObjectCommand(manager, CDrawingObject::Rectangle, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
{
}
