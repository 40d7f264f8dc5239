#include "photoeditor/CDrawingObject.h"

#include <cmath>
#include <limits>

CDrawingObject::CDrawingObject(Type type, uint id)
    : m_id(id)
    , m_type(type)
{
}

CDrawingObject::CDrawingObject(Type type, uint id, int x, int y, int width, int height, int rotation,
                               const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth)
    : m_backgroundColor(backgroundColor)
    , m_strokeColor(strokeColor)
    , m_rotation(rotation)
    , m_id(id)
    , m_x(x)
    , m_y(y)
    , m_width(width)
    , m_height(height)
    , m_strokeWidth(strokeWidth)
    , m_type(type)
{
}

void CDrawingObject::setX(int x)
{
    if (m_x != x) {
        m_x = x;
        emit xChanged();
    }
}

void CDrawingObject::setY(int y)
{
    if (m_y != y) {
        m_y = y;
        emit yChanged();
    }
}

void CDrawingObject::setWidth(int width)
{
    if (m_width != width) {
        m_width = width;
        emit widthChanged();
    }
}

void CDrawingObject::setHeight(int height)
{
    if (m_height != height) {
        m_height = height;
        emit heightChanged();
    }
}

void CDrawingObject::setRotation(int rotation)
{
    if (m_rotation != rotation) {
        m_rotation = rotation;
        emit rotationChanged();
    }
}

void CDrawingObject::setBackgroundColor(const QColor& color)
{
    if (m_backgroundColor != color) {
        m_backgroundColor = color;
        emit backgroundColorChanged();
    }
}

void CDrawingObject::setStrokeColor(const QColor& color)
{
    if (m_strokeColor != color) {
        m_strokeColor = color;
        emit strokeColorChanged();
    }
}

void CDrawingObject::setStrokeWidth(int strokeWidth)
{
    if (m_strokeWidth != strokeWidth) {
        m_strokeWidth = strokeWidth;
        emit strokeWidthChanged();
    }
}

int truncatedRotation(double rotation)
{
    // A cast of a value outside the int range is undefined; NaN counts as no rotation.
    if (std::isnan(rotation)) {
        return 0;
    }
    const double truncated = std::trunc(rotation);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(truncated);
}
