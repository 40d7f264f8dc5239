#include "photoeditor/CChangeTextAndFontSizeCommand.h"

#include "photoeditor/CDrawingBaseText.h"

namespace {

CDrawingBaseText* asTarget(const DrawingObjectPtr& object)
{
    return qobject_cast<CDrawingBaseText*>(object.get());
}

} // namespace

CChangeTextAndFontSizeCommand::CChangeTextAndFontSizeCommand(const DrawingObjectPtr& object, int newWidth,
                                                             int newHeight, int newFontSize)
    : m_object(object)
    , m_oldWidth(asTarget(object) ? asTarget(object)->width() : int())
    , m_newWidth(newWidth)
    , m_oldHeight(asTarget(object) ? asTarget(object)->height() : int())
    , m_newHeight(newHeight)
    , m_oldFontSize(asTarget(object) ? asTarget(object)->fontSize() : int())
    , m_newFontSize(newFontSize)
{
}

void CChangeTextAndFontSizeCommand::undo()
{
    CDrawingBaseText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setWidth(m_oldWidth);
    target->setHeight(m_oldHeight);
    target->setFontSize(m_oldFontSize);
}

void CChangeTextAndFontSizeCommand::redo()
{
    CDrawingBaseText* target = asTarget(m_object);
    if (!target) {
        return;
    }
    target->setWidth(m_newWidth);
    target->setHeight(m_newHeight);
    target->setFontSize(m_newFontSize);
}
