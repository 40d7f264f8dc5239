#include "photoeditor/CCreateLineCommand.h"

CCreateLineCommand::CCreateLineCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CCreateObjectCommand(manager, CDrawingObject::Line, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
{
}
