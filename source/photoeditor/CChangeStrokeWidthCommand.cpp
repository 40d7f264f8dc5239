#include "photoeditor/CChangeStrokeWidthCommand.h"

CChangeStrokeWidthCommand::CChangeStrokeWidthCommand(const DrawingObjectPtr& object, int newStrokeWidth)
    : m_object(object)
    , m_oldStrokeWidth(object ? object->strokeWidth() : int())
    , m_newStrokeWidth(newStrokeWidth)
{
}

void CChangeStrokeWidthCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setStrokeWidth(m_oldStrokeWidth);
}

void CChangeStrokeWidthCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setStrokeWidth(m_newStrokeWidth);
}
