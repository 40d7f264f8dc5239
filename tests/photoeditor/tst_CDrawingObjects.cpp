#include "photoeditor/CDrawingArrow.h"
#include "photoeditor/CDrawingCross.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingEllipse.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingLine.h"
#include "photoeditor/CDrawingRectangle.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

class tst_CDrawingObjects : public QObject
{
    Q_OBJECT

private slots:
    void factoryBuildsTheClassOfTheType_data();
    void factoryBuildsTheClassOfTheType();
    void factoryRefusesUnknownTypes_data();
    void factoryRefusesUnknownTypes();
    void rotationIsTruncatedTowardZero_data();
    void rotationIsTruncatedTowardZero();
    void settersSignalOnlyOnChange_data();
    void settersSignalOnlyOnChange();
    void imageSourceReadsAsUrlThroughTheProperty();
    void ownerIsRecoverableFromQObject();
    void cloneCopiesEveryPropertyAndSharesNothing();
};

void tst_CDrawingObjects::factoryBuildsTheClassOfTheType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("className");
    QTest::newRow("image") << 1 << "CDrawingImage";
    QTest::newRow("text") << 2 << "CDrawingText";
    QTest::newRow("rectangle") << 3 << "CDrawingRectangle";
    QTest::newRow("ellipse") << 4 << "CDrawingEllipse";
    QTest::newRow("line") << 5 << "CDrawingLine";
    QTest::newRow("cross") << 6 << "CDrawingCross";
    QTest::newRow("arrow") << 7 << "CDrawingArrow";
    QTest::newRow("dynamic text") << 8 << "CDrawingDynamicText";
}

void tst_CDrawingObjects::factoryBuildsTheClassOfTheType()
{
    QFETCH(int, type);
    QFETCH(QString, className);
    const DrawingObjectPtr object = createDrawingObject(static_cast<CDrawingObject::Type>(type), 7, -3, 4, 50, 60, 30,
                                                        QColor(1, 2, 3), QColor(4, 5, 6, 7), 2);
    QVERIFY(object);
    QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
    QCOMPARE(int(object->type()), type);
    QCOMPARE(object->id(), 7u);
    QCOMPARE(object->x(), -3);
    QCOMPARE(object->y(), 4);
    QCOMPARE(object->width(), 50);
    QCOMPARE(object->height(), 60);
    QCOMPARE(object->rotation(), 30);
    QCOMPARE(object->backgroundColor(), QColor(1, 2, 3));
    QCOMPARE(object->strokeColor(), QColor(4, 5, 6, 7));
    QCOMPARE(object->strokeWidth(), 2);
    QCOMPARE(object->property("type").toInt(), type);
}

void tst_CDrawingObjects::factoryRefusesUnknownTypes_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("invalid") << 0;
    QTest::newRow("beyond the last") << 9;
    QTest::newRow("negative") << -1;
}

void tst_CDrawingObjects::factoryRefusesUnknownTypes()
{
    QFETCH(int, type);
    QVERIFY(!createDrawingObject(static_cast<CDrawingObject::Type>(type), 0, 0, 0, 1, 1, 0, Qt::red, Qt::red, 0));
}

void tst_CDrawingObjects::rotationIsTruncatedTowardZero_data()
{
    QTest::addColumn<double>("rotation");
    QTest::addColumn<int>("stored");
    QTest::newRow("45.9") << 45.9 << 45;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-45.9") << -45.9 << -45;
    QTest::newRow("far beyond int") << 1e12 << std::numeric_limits<int>::max();
    QTest::newRow("far below int") << -1e12 << std::numeric_limits<int>::min();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void tst_CDrawingObjects::rotationIsTruncatedTowardZero()
{
    QFETCH(double, rotation);
    QFETCH(int, stored);
    CDrawingRectangle rectangle(1, 0, 0, 10, 10, rotation, Qt::black, Qt::white, 0);
    QCOMPARE(rectangle.rotation(), stored);
    CDrawingText text(1, 0, 0, 10, 10, rotation, Qt::black, Qt::white, 0);
    QCOMPARE(text.rotation(), stored);
}

void tst_CDrawingObjects::settersSignalOnlyOnChange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    const QList<QPair<QByteArray, QVariant>> common{{"x", 5},
                                                    {"y", -5},
                                                    {"width", 20},
                                                    {"height", 30},
                                                    {"rotation", 90},
                                                    {"backgroundColor", QColor(Qt::green)},
                                                    {"strokeColor", QColor(0, 0, 0, 0)},
                                                    {"strokeWidth", 3}};
    for (const auto& entry : common) {
        QTest::addRow("rectangle %s", entry.first.constData()) << 3 << entry.first << entry.second;
    }
    QTest::newRow("image source") << 1 << QByteArray("source") << QVariant(QStringLiteral("/a.png"));
    QTest::newRow("text colour") << 2 << QByteArray("textColor") << QVariant(QColor(Qt::yellow));
    QTest::newRow("font size") << 2 << QByteArray("fontSize") << QVariant(14);
    QTest::newRow("text") << 2 << QByteArray("text") << QVariant(QStringLiteral("hello"));
    QTest::newRow("field") << 8 << QByteArray("field") << QVariant(int(CDrawingDynamicText::SurveyName));
}

void tst_CDrawingObjects::settersSignalOnlyOnChange()
{
    QFETCH(int, type);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    const DrawingObjectPtr object =
        createDrawingObject(static_cast<CDrawingObject::Type>(type), 0, 0, 0, 10, 10, 0, Qt::black, Qt::white, 0);
    QVERIFY(object);
    const QMetaProperty metaProperty =
        object->metaObject()->property(object->metaObject()->indexOfProperty(property.constData()));
    QVERIFY(metaProperty.hasNotifySignal());
    QSignalSpy spy(object.get(), metaProperty.notifySignal());

    QVERIFY(metaProperty.write(object.get(), metaProperty.read(object.get())));
    QCOMPARE(spy.count(), 0);
    QVERIFY(metaProperty.write(object.get(), value));
    QCOMPARE(spy.count(), 1);
    QVERIFY(metaProperty.write(object.get(), value));
    QCOMPARE(spy.count(), 1);
}

void tst_CDrawingObjects::imageSourceReadsAsUrlThroughTheProperty()
{
    CDrawingImage image(0, 0, 0, 1, 1, 0, Qt::black, Qt::white, 0);
    QCOMPARE(image.property("source").toString(), QString());
    image.setSource(QStringLiteral("/photos/a.png"));
    QCOMPARE(image.property("source").toString(), QStringLiteral("file:///photos/a.png"));
    QCOMPARE(image.source(), QStringLiteral("/photos/a.png"));

    // Written through the property, the text is stored as given.
    image.setProperty("source", QStringLiteral(":/graphics/logos/HoseluxLogo.png"));
    QCOMPARE(image.source(), QStringLiteral(":/graphics/logos/HoseluxLogo.png"));
}

void tst_CDrawingObjects::ownerIsRecoverableFromQObject()
{
    const DrawingObjectPtr object =
        createDrawingObject(CDrawingObject::Arrow, 0, 0, 0, 1, 1, 0, Qt::black, Qt::white, 0);
    QObject* handle = object.get();
    auto drawingObject = qobject_cast<CDrawingObject*>(handle);
    QVERIFY(drawingObject);
    QCOMPARE(drawingObject->shared_from_this(), object);
    QVERIFY(!object->parent());
}

void tst_CDrawingObjects::cloneCopiesEveryPropertyAndSharesNothing()
{
    QVERIFY(!cloneDrawingObject(DrawingObjectPtr()));

    const DrawingObjectPtr text = createDrawingObject(CDrawingObject::Text, 4, 1, 2, 3, 4, 5, Qt::red, Qt::blue, 6);
    static_cast<CDrawingText*>(text.get())->setText(QStringLiteral("Crack at 12 m"));
    static_cast<CDrawingText*>(text.get())->setTextColor(Qt::white);
    static_cast<CDrawingText*>(text.get())->setFontSize(18);
    const DrawingObjectPtr dynamicText =
        createDrawingObject(CDrawingObject::DynamicText, 5, 0, 0, 1, 1, 0, Qt::red, Qt::blue, 0);
    static_cast<CDrawingDynamicText*>(dynamicText.get())->setField(CDrawingDynamicText::InspectionTime);
    static_cast<CDrawingDynamicText*>(dynamicText.get())->setFontSize(9);
    const DrawingObjectPtr image = createDrawingObject(CDrawingObject::Image, 6, 0, 0, 1, 1, 0, Qt::red, Qt::blue, 0);
    static_cast<CDrawingImage*>(image.get())->setSource(QStringLiteral("/logo.png"));

    for (const DrawingObjectPtr& original : {text, dynamicText, image}) {
        const DrawingObjectPtr copy = cloneDrawingObject(original);
        QVERIFY(copy);
        QVERIFY(copy != original);
        QCOMPARE(copy->metaObject(), original->metaObject());
        QCOMPARE(copy->id(), original->id());
        for (int i = 0; i < original->metaObject()->propertyCount(); ++i) {
            const QMetaProperty property = original->metaObject()->property(i);
            QCOMPARE(property.read(copy.get()), property.read(original.get()));
        }
    }

    const DrawingObjectPtr copy = cloneDrawingObject(text);
    text->setX(100);
    static_cast<CDrawingText*>(text.get())->setText(QStringLiteral("changed"));
    QCOMPARE(copy->x(), 1);
    QCOMPARE(static_cast<CDrawingText*>(copy.get())->text(), QStringLiteral("Crack at 12 m"));
}

QTEST_GUILESS_MAIN(tst_CDrawingObjects)
#include "tst_CDrawingObjects.moc"
