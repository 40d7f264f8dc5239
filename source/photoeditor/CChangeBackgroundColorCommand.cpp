#include "photoeditor/CChangeBackgroundColorCommand.h"

CChangeBackgroundColorCommand::CChangeBackgroundColorCommand(const DrawingObjectPtr& object,
                                                             const QColor& newBackgroundColor)
    : m_object(object)
    , m_oldBackgroundColor(object ? object->backgroundColor() : QColor())
    , m_newBackgroundColor(newBackgroundColor)
{
}

void CChangeBackgroundColorCommand::undo()
{
    if (!m_object) {
        return;
    }
    m_object->setBackgroundColor(m_oldBackgroundColor);
}

void CChangeBackgroundColorCommand::redo()
{
    if (!m_object) {
        return;
    }
    m_object->setBackgroundColor(m_newBackgroundColor);
}
