#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QQuickPaintedItem>
#include <QRectF>
#include <QString>
#include <QVector>

// A horizontal ruler under the live video: base line, alternating long and short ticks every
// tickRange and labels every textTickRange, counted from 0 at the left edge.
class CDistanceScaleItem : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(double minimumRange READ minimumRange WRITE setMinimumRange NOTIFY minimumRangeChanged)
    Q_PROPERTY(double maximumRange READ maximumRange WRITE setMaximumRange NOTIFY maximumRangeChanged)
    Q_PROPERTY(double textTickRange READ textTickRange WRITE setTextTickRange NOTIFY textTickRangeChanged)
    Q_PROPERTY(double tickRange READ tickRange WRITE setTickRange NOTIFY tickRangeChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged)
    Q_PROPERTY(QString unit READ unit WRITE setUnit NOTIFY unitChanged)

public:
    static constexpr double LineWidth = 2.0;
    static constexpr double TickLength = 8.0;

    struct Label
    {
        QString text;
        QRectF box;
        Qt::Alignment alignment;
    };

    // Where everything goes, apart from the painter: paint() draws exactly this.
    struct Layout
    {
        QLineF baseLine;
        QVector<QLine> ticks; // the end tick last
        QVector<Label> labels;
    };

    explicit CDistanceScaleItem(QQuickItem* parent = nullptr);

    // The text of an end value as measured for the label box: whole part and unit.
    static QString endValueText(double value, const QString& unit);
    // labelBoxSize is the measured size of the wider end value text.
    static Layout computeLayout(const QRectF& content, double minimumRange, double maximumRange, double tickRange,
                                double textTickRange, const QString& unit, const QSizeF& labelBoxSize);

    double minimumRange() const;
    void setMinimumRange(double value);
    double maximumRange() const;
    void setMaximumRange(double value);
    double textTickRange() const;
    void setTextTickRange(double value);
    double tickRange() const;
    void setTickRange(double value);
    QColor color() const;
    void setColor(const QColor& color);
    QFont font() const;
    void setFont(const QFont& font);
    QString unit() const;
    void setUnit(const QString& unit);

    void paint(QPainter* painter) override;

signals:
    void minimumRangeChanged();
    void maximumRangeChanged();
    void tickRangeChanged();
    void textTickRangeChanged();
    void colorChanged();
    void fontChanged();
    void unitChanged();

private:
    double m_minimumRange = 0.0;
    double m_maximumRange = 0.0;
    double m_textTickRange = 10.0;
    double m_tickRange = 5.0;
    QColor m_color = Qt::white;
    QFont m_font;
    QString m_unit;
};
