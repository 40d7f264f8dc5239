#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Moves and resizes an object; the first form takes the old geometry because the editor has already changed it live.
class CResizeObjectCommand : public CPhotoEditorCommand
{
public:
    CResizeObjectCommand(const DrawingObjectPtr& object, int oldX, int oldY, int newX, int newY, int oldWidth,
                         int oldHeight, int newWidth, int newHeight);
    CResizeObjectCommand(const DrawingObjectPtr& object, int newX, int newY, int newWidth, int newHeight);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldX;
    int m_newX;
    int m_oldY;
    int m_newY;
    int m_oldWidth;
    int m_newWidth;
    int m_oldHeight;
    int m_newHeight;
};
