#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"
#include <QString>

// Changes the text of a text object.
class CChangeTextCommand : public CPhotoEditorCommand
{
public:
    CChangeTextCommand(const DrawingObjectPtr& object, const QString& newText);

    void undo() override;
    void redo() override;

private:
    DrawingObjectPtr m_object;
    QString m_oldText;
    QString m_newText;
};
