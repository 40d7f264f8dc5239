#include "photoeditor/CChangeStrokeColorCommand.h"

CChangeStrokeColorCommand::CChangeStrokeColorCommand(const DrawingObjectPtr& object, const QColor& newStrokeColor)
    : m_object(object)
    , m_oldStrokeColor(object ? object->strokeColor() : QColor())
    , m_newStrokeColor(newStrokeColor)
{
}

void CChangeStrokeColorCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setStrokeColor(m_oldStrokeColor);
}

void CChangeStrokeColorCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setStrokeColor(m_newStrokeColor);
}
