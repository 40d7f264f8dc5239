#include "helpers/CDistanceScaleItem.h"
#include "helpers/CRectangleItem.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <limits>

namespace {

QImage render(QQuickPaintedItem& item, int width, int height)
{
    item.setWidth(width);
    item.setHeight(height);
    QImage image(qMax(width, 1), qMax(height, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    item.paint(&painter);
    painter.end();
    return image;
}

bool hasInk(const QImage& image, int x, int y)
{
    return image.valid(x, y) && qAlpha(image.pixel(x, y)) > 0;
}

// Whether any pixel of the column between the two rows (inclusive) is painted.
bool columnHasInk(const QImage& image, int x, int fromY, int toY)
{
    for (int y = fromY; y <= toY; ++y) {
        if (hasInk(image, x, y))
            return true;
    }
    return false;
}

} // namespace

class tst_PaintedItems : public QObject
{
    Q_OBJECT

private slots:
    void scaleLayoutOf402Pixels();
    void scaleImageOf402Pixels();
    void equalRangesDrawOneLabel();
    void narrowScalesFinishPainting_data();
    void narrowScalesFinishPainting();
    void degenerateValuesFinishPainting_data();
    void degenerateValuesFinishPainting();
    void scaleSettersSignalOnlyChanges();
    void unitAndEndValueTexts();

    void plainRectangle();
    void squareCornersOnRequest();
    void roundedCornersStayClear();
    void rectangleSettersSignalOnlyChanges();
};

void tst_PaintedItems::scaleLayoutOf402Pixels()
{
    const CDistanceScaleItem::Layout layout =
        CDistanceScaleItem::computeLayout(QRectF(0, 0, 402, 40), 0.0, 100.0, 5.0, 10.0, QString(), QSizeF(24, 14));

    QCOMPARE(layout.baseLine, QLineF(1, 1, 401, 1));

    QCOMPARE(layout.ticks.size(), 21);
    for (int i = 0; i < 20; ++i) {
        const QLine tick = layout.ticks.at(i);
        QCOMPARE(tick.x1(), 1 + 20 * i);
        QCOMPARE(tick.x2(), tick.x1());
        QCOMPARE(tick.y1(), 1);
        QCOMPARE(tick.y2(), i % 2 == 0 ? 9 : 5); // long every 10 units, short between
    }
    QCOMPARE(layout.ticks.last(), QLine(401, 1, 401, 9));

    QCOMPARE(layout.labels.size(), 11);
    for (int i = 0; i < layout.labels.size(); ++i) {
        const CDistanceScaleItem::Label& label = layout.labels.at(i);
        QCOMPARE(label.text, QString::number(10 * i));
        QCOMPARE(label.box.top(), 12.0);
        QCOMPARE(label.box.size(), QSizeF(24, 14));
    }
    QCOMPARE(layout.labels.first().alignment, Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(layout.labels.first().box.left(), 0.0);
    QCOMPARE(layout.labels.at(5).alignment, Qt::Alignment(Qt::AlignHCenter));
    QCOMPARE(layout.labels.at(5).box.center().x(), 200.0);
    QCOMPARE(layout.labels.last().alignment, Qt::Alignment(Qt::AlignRight));
    QCOMPARE(layout.labels.last().box.right(), 402.0);
}

void tst_PaintedItems::scaleImageOf402Pixels()
{
    CDistanceScaleItem item;
    item.setMaximumRange(100.0);
    item.setColor(Qt::white);
    const QImage image = render(item, 402, 40);

    // Base line along the top, long ticks down to y = 9, short ones only down to y = 5.
    QVERIFY(hasInk(image, 200, 1));
    QVERIFY(hasInk(image, 1, 8));
    QVERIFY(hasInk(image, 401, 8));
    QVERIFY(hasInk(image, 41, 8));
    QVERIFY(hasInk(image, 21, 4));
    QVERIFY(!hasInk(image, 21, 8));
    QVERIFY(!hasInk(image, 11, 7)); // between ticks

    // Labels sit below the ticks: the first at the left edge, the last at the right edge.
    bool leftLabel = false;
    bool rightLabel = false;
    for (int x = 0; x < 12; ++x) {
        leftLabel = leftLabel || columnHasInk(image, x, 12, 39);
        rightLabel = rightLabel || columnHasInk(image, 401 - x, 12, 39);
    }
    QVERIFY(leftLabel);
    QVERIFY(rightLabel);
}

void tst_PaintedItems::equalRangesDrawOneLabel()
{
    const CDistanceScaleItem::Layout layout =
        CDistanceScaleItem::computeLayout(QRectF(0, 0, 100, 40), 7.0, 7.0, 5.0, 10.0, QStringLiteral("m"), QSizeF(20, 14));
    QVERIFY(!layout.baseLine.isNull());
    QCOMPARE(layout.ticks.size(), 1); // only the end tick
    QCOMPARE(layout.ticks.first().x1(), 99);
    QCOMPARE(layout.labels.size(), 1);
    QCOMPARE(layout.labels.first().text, QStringLiteral("0m"));
    QCOMPARE(layout.labels.first().alignment, Qt::Alignment(Qt::AlignLeft));
}

void tst_PaintedItems::narrowScalesFinishPainting_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("zero") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("line width") << 2;
    QTest::newRow("just wider") << 3;
}

void tst_PaintedItems::narrowScalesFinishPainting()
{
    QFETCH(int, width);
    CDistanceScaleItem item;
    item.setMaximumRange(100.0);
    render(item, width, 40);

    const CDistanceScaleItem::Layout layout =
        CDistanceScaleItem::computeLayout(QRectF(0, 0, width, 40), 0.0, 100.0, 5.0, 10.0, QString(), QSizeF(20, 14));
    if (width <= 2) {
        QVERIFY(layout.ticks.isEmpty());
        QVERIFY(layout.labels.isEmpty());
    } else {
        QVERIFY(layout.labels.size() <= width + 1);
    }
}

void tst_PaintedItems::degenerateValuesFinishPainting_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("tickRange");
    QTest::addColumn<double>("textTickRange");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("NaN range") << 0.0 << nan << 5.0 << 10.0;
    QTest::newRow("infinite range") << 0.0 << inf << 5.0 << 10.0;
    QTest::newRow("tiny steps") << 0.0 << 100.0 << 1e-300 << 1e-300;
    QTest::newRow("huge range") << -1e300 << 1e300 << 5.0 << 10.0;
    QTest::newRow("reversed range") << 100.0 << 0.0 << 5.0 << 10.0;
}

void tst_PaintedItems::degenerateValuesFinishPainting()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, tickRange);
    QFETCH(double, textTickRange);

    CDistanceScaleItem item;
    item.setMinimumRange(minimum);
    item.setMaximumRange(maximum);
    item.setTickRange(tickRange);
    item.setTextTickRange(textTickRange);
    const QImage image = render(item, 300, 40);
    QVERIFY(!image.isNull());

    const CDistanceScaleItem::Layout layout = CDistanceScaleItem::computeLayout(
        QRectF(0, 0, 300, 40), minimum, maximum, tickRange, textTickRange, QString(), QSizeF(20, 14));
    QVERIFY(layout.ticks.size() <= 302);
    QVERIFY(layout.labels.size() <= 302);
}

void tst_PaintedItems::scaleSettersSignalOnlyChanges()
{
    CDistanceScaleItem item;
    QSignalSpy tick(&item, &CDistanceScaleItem::tickRangeChanged);
    QSignalSpy text(&item, &CDistanceScaleItem::textTickRangeChanged);
    QSignalSpy color(&item, &CDistanceScaleItem::colorChanged);

    item.setTickRange(0.0);
    item.setTickRange(-2.0);
    item.setTickRange(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(item.tickRange(), 5.0);
    QCOMPARE(tick.count(), 0);
    item.setTickRange(2.5);
    QCOMPARE(item.tickRange(), 2.5);
    QCOMPARE(tick.count(), 1);

    item.setTextTickRange(0.0);
    QCOMPARE(text.count(), 0);
    item.setTextTickRange(20.0);
    QCOMPARE(text.count(), 1);

    item.setColor(Qt::white);
    QCOMPARE(color.count(), 0);
    item.setColor(Qt::red);
    QCOMPARE(color.count(), 1);

}

void tst_PaintedItems::unitAndEndValueTexts()
{
    QCOMPARE(CDistanceScaleItem::endValueText(99.9, QStringLiteral("m")), QStringLiteral("99m"));
    QCOMPARE(CDistanceScaleItem::endValueText(-0.5, QString()), QStringLiteral("0"));
    QCOMPARE(CDistanceScaleItem::endValueText(-12.7, QStringLiteral("ft")), QStringLiteral("-12ft"));

    const CDistanceScaleItem::Layout layout =
        CDistanceScaleItem::computeLayout(QRectF(0, 0, 202, 40), 0.0, 50.0, 5.0, 25.0, QStringLiteral("ft"), QSizeF(30, 14));
    QCOMPARE(layout.labels.size(), 3);
    QCOMPARE(layout.labels.at(0).text, QStringLiteral("0ft"));
    QCOMPARE(layout.labels.at(1).text, QStringLiteral("25ft"));
    QCOMPARE(layout.labels.at(2).text, QStringLiteral("50ft"));
}

void tst_PaintedItems::plainRectangle()
{
    CRectangleItem item;
    item.setColor(Qt::blue);
    const QImage image = render(item, 40, 30);
    QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::blue));
    QCOMPARE(QColor(image.pixel(39, 29)), QColor(Qt::blue));
    QCOMPARE(QColor(image.pixel(20, 15)), QColor(Qt::blue));
}

void tst_PaintedItems::squareCornersOnRequest()
{
    CRectangleItem item;
    item.setColor(Qt::green);
    item.setRadius(10.0);
    item.setRoundedTopLeftCorner(false);
    item.setRoundedTopRightCorner(false);
    item.setRoundedBottomLeftCorner(false);
    item.setRoundedBottomRightCorner(false);
    const QImage image = render(item, 40, 30);
    for (const QPoint& corner : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 29), QPoint(39, 29)})
        QCOMPARE(QColor(image.pixel(corner)), QColor(Qt::green));
}

void tst_PaintedItems::roundedCornersStayClear()
{
    CRectangleItem item;
    item.setColor(Qt::green);
    item.setRadius(10.0);
    item.setRoundedBottomRightCorner(false);
    const QImage image = render(item, 40, 30);
    QVERIFY(!hasInk(image, 0, 0));
    QVERIFY(!hasInk(image, 39, 0));
    QVERIFY(!hasInk(image, 0, 29));
    QCOMPARE(QColor(image.pixel(39, 29)), QColor(Qt::green));
    QCOMPARE(QColor(image.pixel(20, 15)), QColor(Qt::green));
}

void tst_PaintedItems::rectangleSettersSignalOnlyChanges()
{
    CRectangleItem item;
    QVERIFY(!item.color().isValid());
    QSignalSpy color(&item, &CRectangleItem::colorChanged);
    QSignalSpy radius(&item, &CRectangleItem::radiusChanged);
    QSignalSpy corner(&item, &CRectangleItem::roundedTopLeftCornerChanged);

    item.setColor(QColor());
    item.setRadius(0.0);
    item.setRoundedTopLeftCorner(true);
    QCOMPARE(color.count() + radius.count() + corner.count(), 0);

    item.setColor(Qt::black);
    item.setColor(Qt::black);
    item.setRadius(4.0);
    item.setRoundedTopLeftCorner(false);
    QCOMPARE(color.count(), 1);
    QCOMPARE(radius.count(), 1);
    QCOMPARE(corner.count(), 1);
}

QTEST_MAIN(tst_PaintedItems)
#include "tst_PaintedItems.moc"
