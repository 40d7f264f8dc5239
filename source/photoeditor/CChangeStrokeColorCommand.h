#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"
#include <QColor>

// Changes an object's outline colour.
class CChangeStrokeColorCommand : public CPhotoEditorCommand
{
public:
    CChangeStrokeColorCommand(const DrawingObjectPtr& object, const QColor& newStrokeColor);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    QColor m_oldStrokeColor;
    QColor m_newStrokeColor;
};
