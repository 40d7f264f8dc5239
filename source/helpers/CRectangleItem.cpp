#include "helpers/CRectangleItem.h"

#include <QPainter>

namespace {

// Stores a new property value; true when it differed, so the caller signals and repaints.
template <typename T>
bool assignIfChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

CRectangleItem::CRectangleItem(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

QColor CRectangleItem::color() const
{
    return m_color;
}

void CRectangleItem::setColor(const QColor& color)
{
    if (!assignIfChanged(m_color, color))
        return;
    emit colorChanged();
    update();
}

double CRectangleItem::radius() const
{
    return m_radius;
}

void CRectangleItem::setRadius(double radius)
{
    if (!assignIfChanged(m_radius, radius))
        return;
    emit radiusChanged();
    update();
}

bool CRectangleItem::roundedTopLeftCorner() const
{
    return m_roundedTopLeftCorner;
}

void CRectangleItem::setRoundedTopLeftCorner(bool rounded)
{
    if (!assignIfChanged(m_roundedTopLeftCorner, rounded))
        return;
    emit roundedTopLeftCornerChanged();
    update();
}

bool CRectangleItem::roundedTopRightCorner() const
{
    return m_roundedTopRightCorner;
}

void CRectangleItem::setRoundedTopRightCorner(bool rounded)
{
    if (!assignIfChanged(m_roundedTopRightCorner, rounded))
        return;
    emit roundedTopRightCornerChanged();
    update();
}

bool CRectangleItem::roundedBottomLeftCorner() const
{
    return m_roundedBottomLeftCorner;
}

void CRectangleItem::setRoundedBottomLeftCorner(bool rounded)
{
    if (!assignIfChanged(m_roundedBottomLeftCorner, rounded))
        return;
    emit roundedBottomLeftCornerChanged();
    update();
}

bool CRectangleItem::roundedBottomRightCorner() const
{
    return m_roundedBottomRightCorner;
}

void CRectangleItem::setRoundedBottomRightCorner(bool rounded)
{
    if (!assignIfChanged(m_roundedBottomRightCorner, rounded))
        return;
    emit roundedBottomRightCornerChanged();
    update();
}

void CRectangleItem::paint(QPainter* painter)
{
    const QRectF rect = contentsBoundingRect();
    const double r = m_radius;

    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(m_color, Qt::SolidPattern));
    painter->drawRoundedRect(rect, r, r, Qt::AbsoluteSize);

    if (r <= 0.0)
        return;

    // A square of side r over a corner turns the rounded corner back into a sharp one.
    const double right = rect.x() + rect.width() - r;
    const double bottom = rect.y() + rect.height() - r;
    if (!m_roundedTopLeftCorner)
        painter->drawRect(QRectF(rect.x(), rect.y(), r, r));
    if (!m_roundedTopRightCorner)
        painter->drawRect(QRectF(right, rect.y(), r, r));
    if (!m_roundedBottomLeftCorner)
        painter->drawRect(QRectF(rect.x(), bottom, r, r));
    if (!m_roundedBottomRightCorner)
        painter->drawRect(QRectF(right, bottom, r, r));
}
