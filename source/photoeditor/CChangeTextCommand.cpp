#include "photoeditor/CChangeTextCommand.h"

#include "photoeditor/CDrawingText.h"

namespace {

CDrawingText* asTarget(const DrawingObjectPtr& object)
{
    return qobject_cast<CDrawingText*>(object.get());
}

} // namespace

CChangeTextCommand::CChangeTextCommand(const DrawingObjectPtr& object, const QString& newText)
    : m_object(object)
    , m_oldText(asTarget(object) ? asTarget(object)->text() : QString())
    , m_newText(newText)
{
}

void CChangeTextCommand::undo()
{
    CDrawingText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setText(m_oldText);
}

void CChangeTextCommand::redo()
{
    CDrawingText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setText(m_newText);
}
