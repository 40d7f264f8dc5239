#pragma once

#include <QColor>
#include <QQuickPaintedItem>

// A filled rectangle whose corners can be rounded or square one by one.
class CRectangleItem : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool roundedTopLeftCorner READ roundedTopLeftCorner WRITE setRoundedTopLeftCorner NOTIFY
                   roundedTopLeftCornerChanged)
    Q_PROPERTY(bool roundedTopRightCorner READ roundedTopRightCorner WRITE setRoundedTopRightCorner NOTIFY
                   roundedTopRightCornerChanged)
    Q_PROPERTY(bool roundedBottomLeftCorner READ roundedBottomLeftCorner WRITE setRoundedBottomLeftCorner NOTIFY
                   roundedBottomLeftCornerChanged)
    Q_PROPERTY(bool roundedBottomRightCorner READ roundedBottomRightCorner WRITE setRoundedBottomRightCorner NOTIFY
                   roundedBottomRightCornerChanged)

public:
    explicit CRectangleItem(QQuickItem* parent = nullptr);

    QColor color() const;
    void setColor(const QColor& color);
    double radius() const;
    void setRadius(double radius);
    bool roundedTopLeftCorner() const;
    void setRoundedTopLeftCorner(bool rounded);
    bool roundedTopRightCorner() const;
    void setRoundedTopRightCorner(bool rounded);
    bool roundedBottomLeftCorner() const;
    void setRoundedBottomLeftCorner(bool rounded);
    bool roundedBottomRightCorner() const;
    void setRoundedBottomRightCorner(bool rounded);

    void paint(QPainter* painter) override;

signals:
    void colorChanged();
    void radiusChanged();
    void roundedTopLeftCornerChanged();
    void roundedTopRightCornerChanged();
    void roundedBottomLeftCornerChanged();
    void roundedBottomRightCornerChanged();

private:
    QColor m_color;
    double m_radius = 0.0;
    bool m_roundedTopLeftCorner = true;
    bool m_roundedTopRightCorner = true;
    bool m_roundedBottomLeftCorner = true;
    bool m_roundedBottomRightCorner = true;
};
