#include "photoeditor/CCreateArrowCommand.h"
#include "photoeditor/CCreateCrossCommand.h"
#include "photoeditor/CCreateDynamicTextCommand.h"
#include "photoeditor/CCreateEllipseCommand.h"
#include "photoeditor/CCreateImageCommand.h"
#include "photoeditor/CCreateLineCommand.h"
#include "photoeditor/CCreateRectangleCommand.h"
#include "photoeditor/CCreateTextCommand.h"
#include "photoeditor/CChangeBackgroundColorCommand.h"
#include "photoeditor/CChangeStrokeColorCommand.h"
#include "photoeditor/CChangeStrokeWidthAndSizeCommand.h"
#include "photoeditor/CChangeStrokeWidthCommand.h"
#include "photoeditor/CChangeTextAndFontSizeCommand.h"
#include "photoeditor/CChangeTextColorCommand.h"
#include "photoeditor/CChangeTextCommand.h"
#include "photoeditor/CDeleteObjectCommand.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingObjectManager.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/CMoveObjectCommand.h"
#include "photoeditor/CResizeObjectCommand.h"
#include "photoeditor/CRotateObjectCommand.h"
#include "photoeditor/CUndoStack.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QImage>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every readable property of an object, for before-and-after comparisons.
QVariantMap snapshot(const DrawingObjectPtr& object)
{
    QVariantMap values;
    for (int i = 0; i < object->metaObject()->propertyCount(); ++i) {
        const QMetaProperty property = object->metaObject()->property(i);
        values.insert(QString::fromLatin1(property.name()), property.read(object.get()));
    }
    return values;
}

DrawingObjectPtr registeredText(CDrawingObjectManager& manager)
{
    const DrawingObjectPtr object = createDrawingObject(CDrawingObject::Text, CDrawingObject::UnregisteredId, 10, 20,
                                                        100, 40, 0, Qt::black, Qt::white, 2);
    auto text = static_cast<CDrawingText*>(object.get());
    text->setText(QStringLiteral("old"));
    text->setTextColor(Qt::red);
    text->setFontSize(12);
    manager.addObject(object);
    return object;
}

} // namespace

class tst_PhotoEditorCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DrawingObjectPtr>("DrawingObjectPtr"); }
    void createCommandsCreateTheirTypeOnceAndRestoreIt_data();
    void createCommandsCreateTheirTypeOnceAndRestoreIt();
    void createTextCommandsConfigureTheObject();
    void createImageCommandSizesToThePicture();
    void createImageCommandUsesThePlaceholderSizeForNonImages();
    void createImageCommandWithEmptyPathIsEmpty();
    void deleteCommandRestoresTheObjectUnderItsId();
    void propertyCommandsUndoAndRedo_data();
    void propertyCommandsUndoAndRedo();
    void moveAndRotateTakeTheOldValuesGiven();
    void textCommandsIgnoreOtherObjects();
};

void tst_PhotoEditorCommands::createCommandsCreateTheirTypeOnceAndRestoreIt_data()
{
    QTest::addColumn<int>("type");
    for (int type : {3, 4, 5, 6, 7}) {
        QTest::addRow("type %d", type) << type;
    }
}

void tst_PhotoEditorCommands::createCommandsCreateTheirTypeOnceAndRestoreIt()
{
    QFETCH(int, type);
    CDrawingObjectManager manager;
    manager.addObject(createDrawingObject(CDrawingObject::Line, CDrawingObject::UnregisteredId, 0, 0, 1, 1, 0,
                                          Qt::black, Qt::white, 0));
    std::shared_ptr<CCreateObjectCommand> command;
    const QColor background(1, 2, 3, 4);
    const QColor stroke(5, 6, 7);
    switch (type) {
    case 3:
        command = std::make_shared<CCreateRectangleCommand>(&manager, 1, 2, 30, 40, background, stroke, 5);
        break;
    case 4:
        command = std::make_shared<CCreateEllipseCommand>(&manager, 1, 2, 30, 40, background, stroke, 5);
        break;
    case 5:
        command = std::make_shared<CCreateLineCommand>(&manager, 1, 2, 30, 40, background, stroke, 5);
        break;
    case 6:
        command = std::make_shared<CCreateCrossCommand>(&manager, 1, 2, 30, 40, background, stroke, 5);
        break;
    default:
        command = std::make_shared<CCreateArrowCommand>(&manager, 1, 2, 30, 40, background, stroke, 5);
        break;
    }
    QVERIFY(!command->object());

    CUndoStack stack;
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    QSignalSpy removed(&manager, &CDrawingObjectManager::objectRemoved);
    stack.push(command);
    const DrawingObjectPtr object = command->object();
    QVERIFY(object);
    QCOMPARE(int(object->type()), type);
    QCOMPARE(object->id(), 1u);
    QCOMPARE(object->rotation(), 0);
    QCOMPARE(QRect(object->x(), object->y(), object->width(), object->height()), QRect(1, 2, 30, 40));
    QCOMPARE(object->backgroundColor(), background);
    QCOMPARE(object->strokeColor(), stroke);
    QCOMPARE(object->strokeWidth(), 5);
    QCOMPARE(added.count(), 1);

    // Changes made after the creation survive undo and redo of the creation.
    stack.push(std::make_shared<CMoveObjectCommand>(object, 50, 60));
    stack.undo();
    stack.undo();
    QCOMPARE(removed.count(), 1);
    QVERIFY(!manager.object(1));
    stack.redo();
    stack.redo();
    QCOMPARE(command->object(), object);
    QCOMPARE(manager.object(1), object);
    QCOMPARE(added.count(), 2);
    QCOMPARE(added.last().at(0).value<DrawingObjectPtr>(), object);
    QCOMPARE(object->x(), 50);

    stack.undo();
    const QVariantMap before = snapshot(object);
    stack.undo();
    stack.redo();
    QCOMPARE(manager.object(1), object);
    QCOMPARE(snapshot(object), before);
}

void tst_PhotoEditorCommands::createTextCommandsConfigureTheObject()
{
    CDrawingObjectManager manager;
    auto text = std::make_shared<CCreateTextCommand>(&manager, 1, 2, 3, 4, Qt::black, Qt::white, 1, Qt::yellow, 22,
                                                     QStringLiteral("Root intrusion"));
    text->redo();
    auto textObject = qobject_cast<CDrawingText*>(text->object().get());
    QVERIFY(textObject);
    QCOMPARE(textObject->text(), QStringLiteral("Root intrusion"));
    QCOMPARE(textObject->textColor(), QColor(Qt::yellow));
    QCOMPARE(textObject->fontSize(), 22);
    QCOMPARE(QSize(textObject->width(), textObject->height()), QSize(3, 4));

    auto dynamicText = std::make_shared<CCreateDynamicTextCommand>(&manager, 1, 2, 3, 4, Qt::black, Qt::white, 1,
                                                                   Qt::green, 9, CDrawingDynamicText::OperatorName);
    dynamicText->redo();
    auto dynamicObject = qobject_cast<CDrawingDynamicText*>(dynamicText->object().get());
    QVERIFY(dynamicObject);
    QCOMPARE(dynamicObject->field(), CDrawingDynamicText::OperatorName);
    QCOMPARE(dynamicObject->textColor(), QColor(Qt::green));
    QCOMPARE(dynamicObject->fontSize(), 9);
    QCOMPARE(manager.objects().size(), 2);
}

void tst_PhotoEditorCommands::createImageCommandSizesToThePicture()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("logo.png"));
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save(path));

    CDrawingObjectManager manager;
    CCreateImageCommand command(&manager, 5, 6, Qt::black, Qt::white, 3, path);
    command.redo();
    auto image = qobject_cast<CDrawingImage*>(command.object().get());
    QVERIFY(image);
    QCOMPARE(image->source(), path);
    QCOMPARE(QRect(image->x(), image->y(), image->width(), image->height()), QRect(5, 6, 70, 38));
}

void tst_PhotoEditorCommands::createImageCommandUsesThePlaceholderSizeForNonImages()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("notes.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is no picture");
    file.close();

    QSize placeholder = QImageReader(QStringLiteral("://graphics/broken_image.png")).size();
    if (!placeholder.isValid()) {
        placeholder = QSize(0, 0);
    }
    CDrawingObjectManager manager;
    for (const QString& source : {path, folder.filePath(QStringLiteral("missing.jpg"))}) {
        CCreateImageCommand command(&manager, 0, 0, Qt::black, Qt::white, 4, source);
        command.redo();
        auto image = qobject_cast<CDrawingImage*>(command.object().get());
        QVERIFY(image);
        QCOMPARE(image->source(), source);
        QCOMPARE(QSize(image->width(), image->height()), placeholder + QSize(8, 8));
    }
}

void tst_PhotoEditorCommands::createImageCommandWithEmptyPathIsEmpty()
{
    CDrawingObjectManager manager;
    CCreateImageCommand command(&manager, 0, 0, Qt::black, Qt::white, 4, QString());
    command.redo();
    QVERIFY(command.object());
    QCOMPARE(QSize(command.object()->width(), command.object()->height()), QSize(0, 0));
}

void tst_PhotoEditorCommands::deleteCommandRestoresTheObjectUnderItsId()
{
    CDrawingObjectManager manager;
    registeredText(manager);
    const DrawingObjectPtr object = registeredText(manager);
    QCOMPARE(object->id(), 1u);
    CUndoStack stack;
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    QSignalSpy removed(&manager, &CDrawingObjectManager::objectRemoved);
    stack.push(std::make_shared<CDeleteObjectCommand>(&manager, object));
    QCOMPARE(removed.count(), 1);
    QVERIFY(!manager.object(1));
    stack.undo();
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<DrawingObjectPtr>(), object);
    QCOMPARE(manager.object(1), object);
    stack.redo();
    QCOMPARE(removed.count(), 2);
}

void tst_PhotoEditorCommands::propertyCommandsUndoAndRedo_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("move") << 0;
    QTest::newRow("resize, given") << 1;
    QTest::newRow("resize, read") << 2;
    QTest::newRow("background colour") << 3;
    QTest::newRow("stroke colour") << 4;
    QTest::newRow("stroke width") << 5;
    QTest::newRow("stroke width and size") << 6;
    QTest::newRow("text colour") << 7;
    QTest::newRow("text and font size") << 8;
    QTest::newRow("text") << 9;
}

void tst_PhotoEditorCommands::propertyCommandsUndoAndRedo()
{
    QFETCH(int, kind);
    CDrawingObjectManager manager;
    const DrawingObjectPtr object = registeredText(manager);
    const QVariantMap before = snapshot(object);
    QVariantMap after = before;
    std::shared_ptr<CUndoCommand> command;
    switch (kind) {
    case 0:
        command = std::make_shared<CMoveObjectCommand>(object, -5, 7);
        after["x"] = -5;
        after["y"] = 7;
        break;
    case 1:
        command = std::make_shared<CResizeObjectCommand>(object, 10, 20, 1, 2, 100, 40, 3, 4);
        after["x"] = 1;
        after["y"] = 2;
        after["width"] = 3;
        after["height"] = 4;
        break;
    case 2:
        command = std::make_shared<CResizeObjectCommand>(object, 1, 2, 3, 4);
        after["x"] = 1;
        after["y"] = 2;
        after["width"] = 3;
        after["height"] = 4;
        break;
    case 3:
        command = std::make_shared<CChangeBackgroundColorCommand>(object, QColor(Qt::cyan));
        after["backgroundColor"] = QColor(Qt::cyan);
        break;
    case 4:
        command = std::make_shared<CChangeStrokeColorCommand>(object, QColor(Qt::magenta));
        after["strokeColor"] = QColor(Qt::magenta);
        break;
    case 5:
        command = std::make_shared<CChangeStrokeWidthCommand>(object, 9);
        after["strokeWidth"] = 9;
        break;
    case 6:
        command = std::make_shared<CChangeStrokeWidthAndSizeCommand>(object, 120, 60, 8);
        after["width"] = 120;
        after["height"] = 60;
        after["strokeWidth"] = 8;
        break;
    case 7:
        command = std::make_shared<CChangeTextColorCommand>(object, QColor(Qt::blue));
        after["textColor"] = QColor(Qt::blue);
        break;
    case 8:
        command = std::make_shared<CChangeTextAndFontSizeCommand>(object, 200, 80, 30);
        after["width"] = 200;
        after["height"] = 80;
        after["fontSize"] = 30;
        break;
    default:
        command = std::make_shared<CChangeTextCommand>(object, QStringLiteral("new"));
        after["text"] = QStringLiteral("new");
        break;
    }

    CUndoStack stack;
    stack.push(command);
    QCOMPARE(snapshot(object), after);
    stack.undo();
    QCOMPARE(snapshot(object), before);
    stack.redo();
    QCOMPARE(snapshot(object), after);
    stack.undo();
    QCOMPARE(snapshot(object), before);
    QCOMPARE(manager.object(object->id()), object);
}

void tst_PhotoEditorCommands::moveAndRotateTakeTheOldValuesGiven()
{
    CDrawingObjectManager manager;
    const DrawingObjectPtr object = registeredText(manager);
    // The editor moves and turns the object live while dragging, then records the gesture.
    object->setX(300);
    object->setY(400);
    object->setRotation(45);
    CUndoStack stack;
    stack.push(std::make_shared<CMoveObjectCommand>(object, 10, 20, 300, 400));
    stack.push(std::make_shared<CRotateObjectCommand>(object, 0, 45));
    QSignalSpy xChanged(object.get(), &CDrawingObject::xChanged);
    stack.undo();
    QCOMPARE(object->rotation(), 0);
    stack.undo();
    QCOMPARE(QPoint(object->x(), object->y()), QPoint(10, 20));
    QCOMPARE(xChanged.count(), 1);
    stack.redo();
    stack.redo();
    QCOMPARE(QPoint(object->x(), object->y()), QPoint(300, 400));
    QCOMPARE(object->rotation(), 45);
}

void tst_PhotoEditorCommands::textCommandsIgnoreOtherObjects()
{
    const DrawingObjectPtr rectangle = createDrawingObject(CDrawingObject::Rectangle, 0, 1, 2, 3, 4, 0, Qt::black,
                                                           Qt::white, 1);
    const QVariantMap before = snapshot(rectangle);
    CUndoStack stack;
    stack.push(std::make_shared<CChangeTextCommand>(rectangle, QStringLiteral("x")));
    stack.push(std::make_shared<CChangeTextColorCommand>(rectangle, QColor(Qt::red)));
    stack.push(std::make_shared<CChangeTextAndFontSizeCommand>(rectangle, 50, 50, 50));
    stack.push(std::make_shared<CMoveObjectCommand>(DrawingObjectPtr(), 1, 1));
    stack.setIndex(0);
    QCOMPARE(snapshot(rectangle), before);
}

QTEST_GUILESS_MAIN(tst_PhotoEditorCommands)
#include "tst_PhotoEditorCommands.moc"
