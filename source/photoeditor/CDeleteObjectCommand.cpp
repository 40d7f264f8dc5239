#include "photoeditor/CDeleteObjectCommand.h"

#include "photoeditor/CDrawingObjectManager.h"

CDeleteObjectCommand::CDeleteObjectCommand(CDrawingObjectManager* manager, const DrawingObjectPtr& object)
    : m_manager(manager)
    , m_object(object)
{
}

void CDeleteObjectCommand::undo()
{
    if (m_manager) {
        m_manager->restoreObject(m_object);
    }
}

void CDeleteObjectCommand::redo()
{
    if (m_manager) {
        m_manager->removeObject(m_object);
    }
}
