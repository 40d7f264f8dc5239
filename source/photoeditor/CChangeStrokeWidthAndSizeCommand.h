#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Changes an object's outline width together with its size (an image box grows with its frame).
class CChangeStrokeWidthAndSizeCommand : public CPhotoEditorCommand
{
public:
    CChangeStrokeWidthAndSizeCommand(const DrawingObjectPtr& object, int newWidth, int newHeight, int newStrokeWidth);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldWidth;
    int m_newWidth;
    int m_oldHeight;
    int m_newHeight;
    int m_oldStrokeWidth;
    int m_newStrokeWidth;
};
