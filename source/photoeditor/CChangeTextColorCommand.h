#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"
#include <QColor>

// Changes the text colour of a text or dynamic text.
class CChangeTextColorCommand : public CPhotoEditorCommand
{
public:
    CChangeTextColorCommand(const DrawingObjectPtr& object, const QColor& newTextColor);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    QColor m_oldTextColor;
    QColor m_newTextColor;
};
