#pragma once

#include "photoeditor/CDrawingObject.h"
#include "photoeditor/CPhotoEditorCommand.h"

#include <QColor>

class CDrawingObjectManager;

// Creates an object on its first redo and registers it; later redos put the very same
// object back under the id it got the first time, with every change made to it since.
class CCreateObjectCommand : public CPhotoEditorCommand
{
public:
    // The manager outlives the command.
    CCreateObjectCommand(CDrawingObjectManager* manager, CDrawingObject::Type type, int x, int y,
                         const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);
    CCreateObjectCommand(CDrawingObjectManager* manager, CDrawingObject::Type type, int x, int y, int width,
                         int height, const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);

    void undo() override;
    void redo() override;
    // Sets what is particular to one object type on the freshly created object.
    virtual void configure();

    // Empty before the first redo.
    DrawingObjectPtr object() const { return m_object; }

protected:
    CDrawingObjectManager* m_manager;
    DrawingObjectPtr m_object;
    QColor m_backgroundColor;
    QColor m_strokeColor;
    int m_x;
    int m_y;
    int m_width;
    int m_height;
    int m_strokeWidth;
    CDrawingObject::Type m_type;
};
