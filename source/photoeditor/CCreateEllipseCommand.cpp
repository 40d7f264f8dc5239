#include "photoeditor/CCreateEllipseCommand.h"

CCreateEllipseCommand::CCreateEllipseCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CCreateObjectCommand(manager, CDrawingObject::Ellipse, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
{
}
