#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Moves an object; the first form takes the old position because the editor has already moved the object live while
// dragging.
class CMoveObjectCommand : public CPhotoEditorCommand
{
public:
    CMoveObjectCommand(const DrawingObjectPtr& object, int oldX, int oldY, int newX, int newY);
    CMoveObjectCommand(const DrawingObjectPtr& object, int newX, int newY);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldX;
    int m_newX;
    int m_oldY;
    int m_newY;
};
