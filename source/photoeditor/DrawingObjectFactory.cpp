#include "photoeditor/DrawingObjectFactory.h"

#include "photoeditor/CDrawingArrow.h"
#include "photoeditor/CDrawingCross.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingEllipse.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingLine.h"
#include "photoeditor/CDrawingRectangle.h"
#include "photoeditor/CDrawingText.h"


DrawingObjectPtr createDrawingObject(CDrawingObject::Type type, uint id, int x, int y, int width, int height,
                                     int rotation, const QColor& backgroundColor, const QColor& strokeColor,
                                     int strokeWidth)
{
    const double r = rotation;
    switch (type) {
    case CDrawingObject::Image:
        return std::make_shared<CDrawingImage>(id, x, y, width, height, r, backgroundColor, strokeColor, strokeWidth);
    case CDrawingObject::Text:
        return std::make_shared<CDrawingText>(id, x, y, width, height, r, backgroundColor, strokeColor, strokeWidth);
    case CDrawingObject::Rectangle:
        return std::make_shared<CDrawingRectangle>(id, x, y, width, height, r, backgroundColor, strokeColor,
                                                   strokeWidth);
    case CDrawingObject::Ellipse:
        return std::make_shared<CDrawingEllipse>(id, x, y, width, height, r, backgroundColor, strokeColor,
                                                 strokeWidth);
    case CDrawingObject::Line:
        return std::make_shared<CDrawingLine>(id, x, y, width, height, r, backgroundColor, strokeColor, strokeWidth);
    case CDrawingObject::Cross:
        return std::make_shared<CDrawingCross>(id, x, y, width, height, r, backgroundColor, strokeColor, strokeWidth);
    case CDrawingObject::Arrow:
        return std::make_shared<CDrawingArrow>(id, x, y, width, height, r, backgroundColor, strokeColor, strokeWidth);
    case CDrawingObject::DynamicText:
        return std::make_shared<CDrawingDynamicText>(id, x, y, width, height, r, backgroundColor, strokeColor,
                                                     strokeWidth);
    case CDrawingObject::Invalid:
        break;
    }
    return DrawingObjectPtr();
}

DrawingObjectPtr cloneDrawingObject(const DrawingObjectPtr& object)
{
    if (!object) {
        return DrawingObjectPtr();
    }
    DrawingObjectPtr copy = createDrawingObject(object->type(), object->id(), object->x(), object->y(),
                                                object->width(), object->height(), object->rotation(),
                                                object->backgroundColor(), object->strokeColor(),
                                                object->strokeWidth());
    if (!copy) {
        return copy;
    }
    if (auto image = qobject_cast<CDrawingImage*>(object.get())) {
        static_cast<CDrawingImage*>(copy.get())->setSource(image->source());
    }
    if (auto baseText = qobject_cast<CDrawingBaseText*>(object.get())) {
        auto copyText = static_cast<CDrawingBaseText*>(copy.get());
        copyText->setTextColor(baseText->textColor());
        copyText->setFontSize(baseText->fontSize());
    }
    if (auto text = qobject_cast<CDrawingText*>(object.get())) {
        static_cast<CDrawingText*>(copy.get())->setText(text->text());
    }
    if (auto dynamicText = qobject_cast<CDrawingDynamicText*>(object.get())) {
        static_cast<CDrawingDynamicText*>(copy.get())->setField(dynamicText->field());
    }
    return copy;
}
