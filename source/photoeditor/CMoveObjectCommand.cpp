#include "photoeditor/CMoveObjectCommand.h"

CMoveObjectCommand::CMoveObjectCommand(const DrawingObjectPtr& object, int oldX, int oldY, int newX, int newY)
    : m_object(object)
    , m_oldX(oldX)
    , m_newX(newX)
    , m_oldY(oldY)
    , m_newY(newY)
{
}

CMoveObjectCommand::CMoveObjectCommand(const DrawingObjectPtr& object, int newX, int newY)
    : m_object(object)
    , m_oldX(object ? object->x() : int())
    , m_newX(newX)
    , m_oldY(object ? object->y() : int())
    , m_newY(newY)
{
}

void CMoveObjectCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setX(m_oldX);
    m_object->setY(m_oldY);
}

void CMoveObjectCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setX(m_newX);
    m_object->setY(m_newY);
}
