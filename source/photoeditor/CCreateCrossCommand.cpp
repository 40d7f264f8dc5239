#include "photoeditor/CCreateCrossCommand.h"

CCreateCrossCommand::CCreateCrossCommand(CDrawingObjectManager* manager, int x, int y, int width, int height,
                                       const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : CCreateObjectCommand(manager, CDrawingObject::Cross, x, y, width, height, backgroundColor, strokeColor,
                           strokeWidth)
{
}
