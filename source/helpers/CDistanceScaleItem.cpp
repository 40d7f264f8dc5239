#include "helpers/CDistanceScaleItem.h"

#include <QPainter>

#include <cmath>

namespace {
// No screen shows more ticks or labels than this; larger counts come from absurd ranges.
constexpr double MaxMarks = 100000.0;
} // namespace

CDistanceScaleItem::CDistanceScaleItem(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

double CDistanceScaleItem::minimumRange() const
{
    return m_minimumRange;
}

void CDistanceScaleItem::setMinimumRange(double value)
{
    if (m_minimumRange == value)
        return;
    m_minimumRange = value;
    emit minimumRangeChanged();
    update();
}

double CDistanceScaleItem::maximumRange() const
{
    return m_maximumRange;
}

void CDistanceScaleItem::setMaximumRange(double value)
{
    if (m_maximumRange == value)
        return;
    m_maximumRange = value;
    emit maximumRangeChanged();
    update();
}

double CDistanceScaleItem::textTickRange() const
{
    return m_textTickRange;
}

void CDistanceScaleItem::setTextTickRange(double value)
{
    // Zero or less would put every label at the same place.
    if (!(value > 0.0) || m_textTickRange == value)
        return;
    m_textTickRange = value;
    emit textTickRangeChanged();
    update();
}

double CDistanceScaleItem::tickRange() const
{
    return m_tickRange;
}

void CDistanceScaleItem::setTickRange(double value)
{
    if (!(value > 0.0) || m_tickRange == value)
        return;
    m_tickRange = value;
    emit tickRangeChanged();
    update();
}

QColor CDistanceScaleItem::color() const
{
    return m_color;
}

void CDistanceScaleItem::setColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    emit colorChanged();
    update();
}

QFont CDistanceScaleItem::font() const
{
    return m_font;
}

void CDistanceScaleItem::setFont(const QFont& font)
{
    if (m_font == font)
        return;
    m_font = font;
    emit fontChanged();
    update();
}

QString CDistanceScaleItem::unit() const
{
    return m_unit;
}

void CDistanceScaleItem::setUnit(const QString& unit)
{
    if (m_unit == unit)
        return;
    m_unit = unit;
    emit unitChanged();
    update();
}

QString CDistanceScaleItem::endValueText(double value, const QString& unit)
{
    double whole = std::trunc(value);
    if (whole == 0.0)
        whole = 0.0; // no "-0" for values between -1 and 0
    return QString::number(whole, 'f', 0) + unit;
}

CDistanceScaleItem::Layout CDistanceScaleItem::computeLayout(const QRectF& content, double minimumRange,
                                                             double maximumRange, double tickRange,
                                                             double textTickRange, const QString& unit,
                                                             const QSizeF& labelBoxSize)
{
    const double x = content.x();
    const double y = content.y();
    const double w = content.width();
    const double halfLine = LineWidth / 2.0;
    const double top = y + halfLine;

    Layout layout;
    // Without room for more than the line itself there is no scale to draw, and the scale
    // factor below would be zero, negative or NaN.
    if (!(w > LineWidth))
        return layout;

    layout.baseLine = QLineF(x + halfLine, top, x + w - halfLine, top);

    // Pixels per value unit; infinite when both ends are equal (one label 0, no ticks).
    const double scale = (w - LineWidth) / std::fabs(maximumRange - minimumRange);
    const bool scaleUsable = scale > 0.0; // false for NaN ends as well

    const double tickStep = scale * tickRange;
    if (scaleUsable && std::isfinite(tickStep) && tickStep > 0.0) {
        const double tickCount = std::ceil((w - LineWidth) / tickStep);
        // More ticks than pixels would only smear the line; it also bounds the loop.
        if (tickCount <= w && tickCount <= MaxMarks) {
            const int n = static_cast<int>(tickCount);
            layout.ticks.reserve(n + 1);
            for (int i = 0; i < n; ++i) {
                const double tickX = x + halfLine + i * tickStep;
                const double length = (i % 2 == 0) ? TickLength : TickLength / 2.0;
                layout.ticks.append(QLine(static_cast<int>(tickX), static_cast<int>(top), static_cast<int>(tickX),
                                          static_cast<int>(top + length)));
            }
        }
    }
    const int endX = static_cast<int>(x + w - halfLine);
    layout.ticks.append(QLine(endX, static_cast<int>(top), endX, static_cast<int>(top + TickLength)));

    if (!scaleUsable)
        return layout;

    const double labelStep = scale * textTickRange;
    const double boxWidth = labelBoxSize.width();
    const double boxTop = 2.0 * LineWidth + TickLength; // below the item's top, whatever y is
    // Labels by index rather than by summing steps: a step too small to move the position
    // would otherwise never end the loop.
    const double labelCount = std::isfinite(labelStep) && labelStep > 0.0 ? std::floor(w / labelStep) + 1.0 : 1.0;
    if (labelCount > w + 1.0 || labelCount > MaxMarks)
        return layout;
    for (int k = 0; k < static_cast<int>(labelCount); ++k) {
        const double position = k == 0 ? x : x + k * labelStep;
        if (position > x + w)
            break;
        const double value = std::floor(position / scale + 0.5);
        Label label;
        label.text = QString::number(value == 0.0 ? 0.0 : value, 'f', 0) + unit;
        double left = position - boxWidth / 2.0;
        label.alignment = Qt::AlignHCenter;
        if (left < x) {
            left = x;
            label.alignment = Qt::AlignLeft;
        } else if (left + boxWidth > x + w) {
            left = x + w - boxWidth;
            label.alignment = Qt::AlignRight;
        }
        label.box = QRectF(left, boxTop, boxWidth, labelBoxSize.height());
        layout.labels.append(label);
    }
    return layout;
}

void CDistanceScaleItem::paint(QPainter* painter)
{
    const QRectF content = contentsBoundingRect();

    painter->setBrush(Qt::NoBrush);
    painter->setFont(m_font);
    painter->setPen(QPen(m_color, LineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    const QString minimumText = endValueText(m_minimumRange, m_unit);
    const QString maximumText = endValueText(m_maximumRange, m_unit);
    const QRectF minimumBox = painter->boundingRect(content, Qt::AlignLeft | Qt::AlignTop, minimumText);
    const QRectF maximumBox = painter->boundingRect(content, Qt::AlignLeft | Qt::AlignTop, maximumText);
    const QRectF labelBox = minimumBox.width() > maximumBox.width() ? minimumBox : maximumBox;

    const Layout layout = computeLayout(content, m_minimumRange, m_maximumRange, m_tickRange, m_textTickRange,
                                        m_unit, labelBox.size());
    if (layout.baseLine.isNull())
        return;

    painter->drawLine(layout.baseLine);
    for (const QLine& tick : layout.ticks)
        painter->drawLine(tick);
    for (const Label& label : layout.labels)
        painter->drawText(label.box, static_cast<int>(label.alignment | Qt::AlignTop), label.text);
}
