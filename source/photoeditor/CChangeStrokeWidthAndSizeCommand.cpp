#include "photoeditor/CChangeStrokeWidthAndSizeCommand.h"

CChangeStrokeWidthAndSizeCommand::CChangeStrokeWidthAndSizeCommand(const DrawingObjectPtr& object, int newWidth,
                                                                   int newHeight, int newStrokeWidth)
    : m_object(object)
    , m_oldWidth(object ? object->width() : int())
    , m_newWidth(newWidth)
    , m_oldHeight(object ? object->height() : int())
    , m_newHeight(newHeight)
    , m_oldStrokeWidth(object ? object->strokeWidth() : int())
    , m_newStrokeWidth(newStrokeWidth)
{
}

void CChangeStrokeWidthAndSizeCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setWidth(m_oldWidth);
    m_object->setHeight(m_oldHeight);
    m_object->setStrokeWidth(m_oldStrokeWidth);
}

void CChangeStrokeWidthAndSizeCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setWidth(m_newWidth);
    m_object->setHeight(m_newHeight);
    m_object->setStrokeWidth(m_newStrokeWidth);
}
