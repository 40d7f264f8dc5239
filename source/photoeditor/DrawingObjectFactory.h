#pragma once

#include "photoeditor/CDrawingObject.h"

// Builds the drawing-object class of the type (made with std::make_shared, so that
// shared_from_this works); an empty pointer for Invalid and values outside the enumeration.
DrawingObjectPtr createDrawingObject(CDrawingObject::Type type, uint id, int x, int y, int width, int height,
                                     int rotation, const QColor& backgroundColor, const QColor& strokeColor,
                                     int strokeWidth);

// A new object of the same class with the same id and property values, sharing nothing
// with the original; empty for an empty pointer.
DrawingObjectPtr cloneDrawingObject(const DrawingObjectPtr& object);

