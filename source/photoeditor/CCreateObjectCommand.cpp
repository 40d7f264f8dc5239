#include "photoeditor/CCreateObjectCommand.h"

#include "photoeditor/CDrawingObjectManager.h"
#include "photoeditor/DrawingObjectFactory.h"

CCreateObjectCommand::CCreateObjectCommand(CDrawingObjectManager* manager, CDrawingObject::Type type, int x, int y,
                                           const QColor& backgroundColor, const QColor& strokeColor,
                                           int strokeWidth)
    : CCreateObjectCommand(manager, type, x, y, 0, 0, backgroundColor, strokeColor, strokeWidth)
{
}

CCreateObjectCommand::CCreateObjectCommand(CDrawingObjectManager* manager, CDrawingObject::Type type, int x, int y,
                                           int width, int height, const QColor& backgroundColor,
                                           const QColor& strokeColor, int strokeWidth)
    : m_manager(manager)
    , m_backgroundColor(backgroundColor)
    , m_strokeColor(strokeColor)
    , m_x(x)
    , m_y(y)
    , m_width(width)
    , m_height(height)
    , m_strokeWidth(strokeWidth)
    , m_type(type)
{
}

void CCreateObjectCommand::undo()
{
    if (m_manager) {
        m_manager->removeObject(m_object);
    }
}

void CCreateObjectCommand::redo()
{
    if (!m_manager) {
        return;
    }
    if (!m_object) {
        m_object = createDrawingObject(m_type, CDrawingObject::UnregisteredId, m_x, m_y, m_width, m_height, 0,
                                       m_backgroundColor, m_strokeColor, m_strokeWidth);
        if (!m_object) {
            return;
        }
        configure();
        m_manager->addObject(m_object);
    } else {
        m_manager->restoreObject(m_object);
    }
}

void CCreateObjectCommand::configure()
{
}
