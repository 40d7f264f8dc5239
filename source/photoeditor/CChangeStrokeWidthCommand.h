#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Changes an object's outline width.
class CChangeStrokeWidthCommand : public CPhotoEditorCommand
{
public:
    CChangeStrokeWidthCommand(const DrawingObjectPtr& object, int newStrokeWidth);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldStrokeWidth;
    int m_newStrokeWidth;
};
