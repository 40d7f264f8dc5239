#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Rotates an object; the old rotation is given because the editor has already turned the object live.
class CRotateObjectCommand : public CPhotoEditorCommand
{
public:
    CRotateObjectCommand(const DrawingObjectPtr& object, int oldRotation, int newRotation);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldRotation;
    int m_newRotation;
};
