#include "photoeditor/CRotateObjectCommand.h"

CRotateObjectCommand::CRotateObjectCommand(const DrawingObjectPtr& object, int oldRotation, int newRotation)
    : m_object(object)
    , m_oldRotation(oldRotation)
    , m_newRotation(newRotation)
{
}

void CRotateObjectCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setRotation(m_oldRotation);
}

void CRotateObjectCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setRotation(m_newRotation);
}
