#include "photoeditor/CResizeObjectCommand.h"

CResizeObjectCommand::CResizeObjectCommand(const DrawingObjectPtr& object, int oldX, int oldY, int newX, int newY,
                                           int oldWidth, int oldHeight, int newWidth, int newHeight)
    : m_object(object)
    , m_oldX(oldX)
    , m_newX(newX)
    , m_oldY(oldY)
    , m_newY(newY)
    , m_oldWidth(oldWidth)
    , m_newWidth(newWidth)
    , m_oldHeight(oldHeight)
    , m_newHeight(newHeight)
{
}

CResizeObjectCommand::CResizeObjectCommand(const DrawingObjectPtr& object, int newX, int newY, int newWidth,
                                           int newHeight)
    : m_object(object)
    , m_oldX(object ? object->x() : int())
    , m_newX(newX)
    , m_oldY(object ? object->y() : int())
    , m_newY(newY)
    , m_oldWidth(object ? object->width() : int())
    , m_newWidth(newWidth)
    , m_oldHeight(object ? object->height() : int())
    , m_newHeight(newHeight)
{
}

void CResizeObjectCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setX(m_oldX);
    m_object->setY(m_oldY);
    m_object->setWidth(m_oldWidth);
    m_object->setHeight(m_oldHeight);
}

void CResizeObjectCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setX(m_newX);
    m_object->setY(m_newY);
    m_object->setWidth(m_newWidth);
    m_object->setHeight(m_newHeight);
}
