#include "photoeditor/CChangeTextColorCommand.h"

#include "photoeditor/CDrawingBaseText.h"

namespace {

CDrawingBaseText* asTarget(const DrawingObjectPtr& object)
{
    return qobject_cast<CDrawingBaseText*>(object.get());
}

} // namespace

CChangeTextColorCommand::CChangeTextColorCommand(const DrawingObjectPtr& object, const QColor& newTextColor)
    : m_object(object)
    , m_oldTextColor(asTarget(object) ? asTarget(object)->textColor() : QColor())
    , m_newTextColor(newTextColor)
{
}

void CChangeTextColorCommand::undo()
{
    CDrawingBaseText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setTextColor(m_oldTextColor);
}

void CChangeTextColorCommand::redo()
{
    CDrawingBaseText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setTextColor(m_newTextColor);
}
