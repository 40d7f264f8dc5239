#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

// Changes the font size of a text or dynamic text together with the size of its box.
class CChangeTextAndFontSizeCommand : public CPhotoEditorCommand
{
public:
    CChangeTextAndFontSizeCommand(const DrawingObjectPtr& object, int newWidth, int newHeight, int newFontSize);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    int m_oldWidth;
    int m_newWidth;
    int m_oldHeight;
    int m_newHeight;
    int m_oldFontSize;
    int m_newFontSize;
};
