#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

class CDrawingObjectManager;

// Takes an object out of the registry; undo puts the same object back under its id.
class CDeleteObjectCommand : public CPhotoEditorCommand
{
public:
    // The manager outlives the command.
    CDeleteObjectCommand(CDrawingObjectManager* manager, const DrawingObjectPtr& object);

    void undo() override;
    void redo() override;

private:
    CDrawingObjectManager* m_manager;
    DrawingObjectPtr m_object;
};
