#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"
#include <QColor>

// Changes an object's fill colour.
class CChangeBackgroundColorCommand : public CPhotoEditorCommand
{
public:
    CChangeBackgroundColorCommand(const DrawingObjectPtr& object, const QColor& newBackgroundColor);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    QColor m_oldBackgroundColor;
    QColor m_newBackgroundColor;
};
