// The photo editor screen in the whole running application (settings, template service and
// UI engine as the program makes them), driven with mouse events on a generated 4000 x 3000
// JPEG. Screenshots go to CX_SHOTS_DIR when set (by hand under Xvfb), else beside the test.

// The application is a QGuiApplication: Qt Test's mouse helpers must not take it for a
// QApplication.
#undef QT_WIDGETS_LIB

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/CPhotoEditorScreenController.h"

#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "startup/CApplication.h"
#include "uiengine/CUiEngine.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QtTest>

#include <cmath>

namespace {

QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

// Every warning of the QML world is a fault of a QML file.
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // A picture that cannot be read is expected where a test asks for one.
    if ((type == QtWarningMsg || type == QtCriticalMsg) && message.contains(QLatin1String("qml"), Qt::CaseInsensitive)
        && !message.contains(QLatin1String("Cannot open")))
        g_warnings.append(message);
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

} // namespace

// Receives what the editor screen hands back to its opener.
class ResultHolder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant result MEMBER m_result NOTIFY changed)
    Q_PROPERTY(int calls MEMBER m_calls NOTIFY changed)

public:
    QVariant m_result;
    int m_calls = 0;

signals:
    void changed();
};

class tst_PhotoEditorScreen : public QObject
{
    Q_OBJECT

private:
    QQuickWindow* m_window = nullptr;
    ResultHolder m_holder;
    QString m_folder;
    QString m_photo;
    QString m_logo;
    int m_shot = 0;

    QVariant evaluate(const QString& script)
    {
        QQmlExpression expression(qmlContext(m_window), m_window, script);
        const QVariant result = expression.evaluate();
        if (expression.hasError())
            qWarning() << "script error:" << expression.error().toString();
        return result;
    }

    static QQuickItem* findVisualItem(QQuickItem* item, const QString& name)
    {
        if (!item)
            return nullptr;
        if (item->objectName() == name && item->isVisible())
            return item;
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (QQuickItem* found = findVisualItem(child, name))
                return found;
        }
        return nullptr;
    }

    QQuickItem* item(const QString& name) { return findVisualItem(m_window->contentItem(), name); }

    QQuickItem* screenItem() { return item(QStringLiteral("PhotoEditorScreen")); }

    CPhotoEditorScreenController* controller()
    {
        QQuickItem* screen = screenItem();
        return screen ? qobject_cast<CPhotoEditorScreenController*>(screen->property("controller").value<QObject*>())
                      : nullptr;
    }

    QQuickItem* layer() { return item(QStringLiteral("photoLayer")); }

    bool waitForFrame()
    {
        QSignalSpy swapped(m_window, &QQuickWindow::frameSwapped);
        m_window->update();
        return swapped.wait(10000);
    }

    QPoint scenePoint(QQuickItem* target, const QPointF& local)
    {
        return target->mapToScene(local).toPoint();
    }

    // Clicks the centre of the visible item with that object name.
    bool clickItem(const QString& name)
    {
        QQuickItem* target = item(name);
        if (!target) {
            qWarning() << "no visible item" << name;
            return false;
        }
        if (!waitForFrame())
            return false;
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier,
                          scenePoint(target, QPointF(target->width() / 2, target->height() / 2)));
        return true;
    }

    // Presses at from, moves in steps to to and releases, all in scene pixels.
    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(m_window, Qt::LeftButton, Qt::NoModifier, from);
        const int steps = 8;
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = from + (to - from) * i / steps;
            QTest::mouseMove(m_window, p);
        }
        QTest::mouseRelease(m_window, Qt::LeftButton, Qt::NoModifier, to);
    }

    // A point of the photo in scene pixels.
    QPoint photoPoint(const QPointF& photoPixel) { return layer()->mapToScene(photoPixel).toPoint(); }

    CDrawingObject* selected()
    {
        return controller() ? qobject_cast<CDrawingObject*>(controller()->selectedObject()) : nullptr;
    }

    void shoot(const QString& name)
    {
        QVERIFY(waitForFrame());
        const QImage image = m_window->screen()->grabWindow(m_window->winId()).toImage();
        QVERIFY(!image.isNull());
        QString folder = QString::fromLocal8Bit(qgetenv("CX_SHOTS_DIR"));
        if (folder.isEmpty())
            folder = QStringLiteral(CX_TEST_BINARY_DIR);
        QDir().mkpath(folder);
        image.save(QStringLiteral("%1/photoeditor-%2-%3.png").arg(folder).arg(++m_shot, 2, 10, QChar('0')).arg(name));
    }

    // Opens the editor on the photo with the survey's field data.
    bool openEditor()
    {
        m_holder.m_calls = 0;
        m_holder.m_result = QVariant();
        evaluate(QStringLiteral("ScreenManager.show('PhotoEditorScreen', { inputFileName: '%1', captionText: 'photo.jpg',"
                                " dynamicFieldData: { '1': 'Culvert survey 2026', '2': 'MH 12 - MH 13', '3': 'R. Field' } },"
                                " function(result) { testResult.result = result; testResult.calls += 1 })")
                     .arg(m_photo));
        if (!screenItem())
            return false;
        // The control bar comes alive once the photo is shown and the template list is known.
        return QTest::qWaitFor([this] {
            QQuickItem* bar = item(QStringLiteral("controlBar"));
            return bar && bar->isEnabled();
        }, 60000);
    }

    bool answerMessage(bool yes, bool remember = false)
    {
        if (!QTest::qWaitFor([this] { return evaluate(QStringLiteral("MessageBox.isOpen")).toBool(); }, 10000))
            return false;
        if (remember && !clickItem(QStringLiteral("messageBoxRemember")))
            return false;
        return clickItem(yes ? QStringLiteral("messageBoxYes") : QStringLiteral("messageBoxNo"));
    }

    QString messageText() { return item(QStringLiteral("messageBoxText"))->property("text").toString(); }

    // Chooses an entry of the add menu (or of its special-text menu).
    bool addThroughMenu(const QString& entry, bool special = false)
    {
        if (!clickItem(QStringLiteral("addObjectButton")))
            return false;
        if (special && !clickItem(QStringLiteral("menuItemAddSpecialText")))
            return false;
        return clickItem(entry);
    }

    int rows() { return controller()->objectModel()->rowCount(); }

private slots:
    void initTestCase()
    {
        QTRY_VERIFY_WITH_TIMEOUT(CUiEngine::instance() && !CUiEngine::instance()->qmlEngine()->rootObjects().isEmpty(),
                                 60000);
        m_window = qobject_cast<QQuickWindow*>(CUiEngine::instance()->qmlEngine()->rootObjects().first());
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window, 20000));
        CUiEngine::instance()->qmlEngine()->rootContext()->setContextProperty(QStringLiteral("testResult"), &m_holder);

        // A survey photo of 4000 x 3000 and a logo for the image object, under the project root.
        m_folder = queryProjectRootPath() + QStringLiteral("Survey A/Photos");
        QVERIFY(QDir().mkpath(m_folder));
        QImage photo(4000, 3000, QImage::Format_RGB32);
        QPainter painter(&photo);
        QLinearGradient gradient(0, 0, 4000, 3000);
        gradient.setColorAt(0, QColor(35, 40, 45));
        gradient.setColorAt(1, QColor(150, 130, 100));
        painter.fillRect(photo.rect(), gradient);
        painter.end();
        m_photo = m_folder + QStringLiteral("/photo.jpg");
        QVERIFY(photo.save(m_photo, "JPEG", 90));
        QImage logo(300, 100, QImage::Format_ARGB32);
        logo.fill(QColor(0, 90, 170));
        m_logo = queryProjectRootPath() + QStringLiteral("logo.png");
        QVERIFY(logo.save(m_logo));

        g_previousHandler = qInstallMessageHandler(collectWarnings);
    }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    void cleanup()
    {
        // A failed step may leave questions and screens open: the next case starts clean.
        for (int i = 0; i < 10 && evaluate(QStringLiteral("MessageBox.isOpen")).toBool(); ++i)
            evaluate(QStringLiteral("messageBoxView.answer(false)"));
        while (screenItem() && evaluate(QStringLiteral("ScreenManager.close()")).toBool()) {
        }
        const QStringList warnings = g_warnings;
        g_warnings.clear();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }

    void editEveryKindOfObject()
    {
        QVERIFY(openEditor());
        CPhotoEditorScreenController* editor = controller();
        QVERIFY(editor);
        QCOMPARE(item(QStringLiteral("photo"))->property("sourceSize").toSize(), QSize(4000, 3000));
        QVERIFY(!item(QStringLiteral("acceptButton"))->isEnabled());
        QVERIFY(!item(QStringLiteral("deleteButton"))->isEnabled());
        shoot(QStringLiteral("opened"));

        // Shapes, with the sizes new shapes get.
        const QList<QPair<QString, QSize>> shapes = {
            {QStringLiteral("menuItemAddRectangle"), QSize(200, 200)},
            {QStringLiteral("menuItemAddEllipse"), QSize(200, 200)},
            {QStringLiteral("menuItemAddCross"), QSize(200, 200)},
            {QStringLiteral("menuItemAddLine"), QSize(200, 100)},
            {QStringLiteral("menuItemAddArrow"), QSize(200, 100)},
        };
        for (const auto& shape : shapes) {
            const int before = rows();
            QVERIFY(addThroughMenu(shape.first));
            QCOMPARE(rows(), before + 1);
            QCOMPARE(QSize(selected()->width(), selected()->height()), shape.second);
            QCOMPARE(selected()->strokeWidth(), 2);
        }

        // A text: the value input opens with "text"; an empty answer adds nothing.
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(item(QStringLiteral("valueInputField"))->property("text").toString(), QStringLiteral("text"));
        item(QStringLiteral("valueInputField"))->setProperty("text", QString());
        QVERIFY(clickItem(QStringLiteral("valueInputApply")));
        QTRY_VERIFY(!item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(rows(), 5);
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        item(QStringLiteral("valueInputField"))->setProperty("text", QStringLiteral("Crack at 12.5 m"));
        QVERIFY(clickItem(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(rows(), 6);
        auto* text = qobject_cast<CDrawingText*>(selected());
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("Crack at 12.5 m"));
        QCOMPARE(text->fontSize(), 24);
        QCOMPARE(text->textColor(), QColor(Qt::white));

        // An image picked in the project root: transparent box, no stroke, the picture's size.
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddImage")));
        QTRY_VERIFY(item(QStringLiteral("FileSelectionScreen")));
        QTRY_VERIFY(item(QStringLiteral("fileSelectionEntry_logo.png")));
        QVERIFY(clickItem(QStringLiteral("fileSelectionEntry_logo.png")));
        QVERIFY(clickItem(QStringLiteral("fileSelectionApply")));
        QTRY_COMPARE(rows(), 7);
        auto* image = qobject_cast<CDrawingImage*>(selected());
        QVERIFY(image);
        QCOMPARE(image->source(), m_logo);
        QCOMPARE(QSize(image->width(), image->height()), QSize(300, 100));
        QCOMPARE(image->backgroundColor().alpha(), 0);
        QCOMPARE(image->strokeWidth(), 0);

        QCOMPARE(rows(), 7);
        // Project, survey and operator are offered only when working with projects.
        CSettings* settings = CApplication::instance()->settings();
        settings->setWorkType(CSettings::WorkWithDefaultDirectories);
        QVERIFY(clickItem(QStringLiteral("addObjectButton")));
        QVERIFY(clickItem(QStringLiteral("menuItemAddSpecialText")));
        shoot(QStringLiteral("special-texts"));
        QVERIFY(item(QStringLiteral("menuItemAddDate")));
        QVERIFY(item(QStringLiteral("menuItemAddTime")));
        QVERIFY(!item(QStringLiteral("menuItemAddProjectName")));
        QVERIFY(!item(QStringLiteral("menuItemAddSurveyName")));
        QVERIFY(!item(QStringLiteral("menuItemAddOperator")));
        QVERIFY(clickItem(QStringLiteral("addObjectButton")));
        QVERIFY(!item(QStringLiteral("specialTextMenu")));
        QCOMPARE(rows(), 7);
        settings->setWorkType(CSettings::WorkWithProjects);

        // Special texts show the survey's data; the date is made now.
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddSurveyName"), true));
        QCOMPARE(rows(), 8);
        QCOMPARE(qobject_cast<CDrawingDynamicText*>(selected())->field(), CDrawingDynamicText::SurveyName);
        QCOMPARE(editor->queryTextForField(CDrawingDynamicText::SurveyName), QStringLiteral("MH 12 - MH 13"));
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddDate"), true));
        QCOMPARE(rows(), 9);
        QVERIFY(!editor->dynamicFieldData().value(CDrawingDynamicText::InspectionDate).isEmpty());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddProjectName"), true));
        QCOMPARE(rows(), 10);
        shoot(QStringLiteral("all-kinds"));

        // A click on the empty photo clears the selection; a press on an object selects it.
        QVERIFY(waitForFrame());
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, photoPoint(QPointF(3800, 2800)));
        QTRY_VERIFY(!editor->selectedObject());
        QVERIFY(!item(QStringLiteral("deleteButton"))->isEnabled());
        // Every object starts at the visible corner, so the one on top is hit there: move them
        // away from the top down until the first rectangle is free.
        QObject* rectangle = editor->objectModel()->data(editor->objectModel()->index(0), 256).value<QObject*>();
        editor->setSelectedObject(nullptr);
        for (int i = rows() - 1; i >= 1; --i) {
            auto* object = qobject_cast<CDrawingObject*>(
                editor->objectModel()->data(editor->objectModel()->index(i), 256).value<QObject*>());
            const QPointF centre(object->x() + object->width() / 2.0, object->y() + object->height() / 2.0);
            const QPointF target(600 + (i % 3) * 1100, 700 + (i / 3) * 600);
            const int oldX = object->x();
            drag(photoPoint(centre), photoPoint(target));
            QTRY_VERIFY(object->x() != oldX);
            QCOMPARE(editor->selectedObject(), object);
        }
        QVERIFY(editor->canUndo());

        // A short press selects without recording a move.
        auto* rect = qobject_cast<CDrawingObject*>(rectangle);
        const QPointF rectCentre(rect->x() + 100, rect->y() + 100);
        QSignalSpy undoChanges(editor, &CPhotoEditorScreenController::canUndoChanged);
        QVERIFY(waitForFrame());
        QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, photoPoint(rectCentre));
        QTRY_COMPARE(editor->selectedObject(), rectangle);
        QCOMPARE(undoChanges.count(), 0);

        // Move it into the middle of the photo through the selection frame's body.
        const QPoint start = photoPoint(rectCentre);
        drag(start, photoPoint(QPointF(2000, 1500)));
        QTRY_VERIFY(qAbs(rect->x() + 100 - 2000) < 8 && qAbs(rect->y() + 100 - 1500) < 8);
        QCOMPARE(undoChanges.count(), 1);
        const QPoint afterMove(rect->x(), rect->y());
        QVERIFY(waitForFrame());

        // Resize at 0 degrees: the right handle adds width, the left edge stays.
        QQuickItem* rightHandle = item(QStringLiteral("handleRight"));
        QVERIFY(rightHandle);
        QPoint handle = scenePoint(rightHandle, QPointF(rightHandle->width() / 2, rightHandle->height() / 2));
        drag(handle, handle + QPoint(40, 0));
        QTRY_VERIFY(rect->width() > 200);
        QCOMPARE(rect->x(), afterMove.x());
        QCOMPARE(rect->height(), 200);
        const int widthAt0 = rect->width();
        shoot(QStringLiteral("resized"));

        // Rotate to 90 degrees: the pointer a little below the centre's height, far to its left.
        QVERIFY(waitForFrame());
        QQuickItem* rotationHandle = item(QStringLiteral("handleRotation"));
        QVERIFY(rotationHandle);
        const QPointF centre(rect->x() + rect->width() / 2.0, rect->y() + rect->height() / 2.0);
        drag(scenePoint(rotationHandle, QPointF(rotationHandle->width() / 2, rotationHandle->height() / 2)),
             photoPoint(centre + QPointF(-1000, 10)));
        QTRY_COMPARE(rect->rotation(), 90);
        shoot(QStringLiteral("rotated"));

        // Resize at 90 degrees: the object's own right edge now points down the photo.
        QVERIFY(waitForFrame());
        rightHandle = item(QStringLiteral("handleRight"));
        handle = scenePoint(rightHandle, QPointF(rightHandle->width() / 2, rightHandle->height() / 2));
        const QPointF centreBefore(rect->x() + rect->width() / 2.0, rect->y() + rect->height() / 2.0);
        drag(handle, handle + QPoint(0, 40));
        QTRY_VERIFY(rect->width() > widthAt0);
        const QPointF centreAfter(rect->x() + rect->width() / 2.0, rect->y() + rect->height() / 2.0);
        // The fixed (turned left) edge keeps its place: the centre moves down, not sideways.
        QVERIFY(qAbs(centreAfter.x() - centreBefore.x()) <= 1);
        QVERIFY(centreAfter.y() > centreBefore.y());
        QCOMPARE(rect->rotation(), 90);

        // Recolour through the colour menus; text choices are off for a rectangle.
        QVERIFY(!item(QStringLiteral("fontSizeButton"))->isEnabled());
        QVERIFY(!item(QStringLiteral("textColorButton"))->isEnabled());
        QVERIFY(clickItem(QStringLiteral("strokeColorButton")));
        QVERIFY(clickItem(QStringLiteral("strokeColorEntry4")));
        QCOMPARE(rect->strokeColor(), QColor(QStringLiteral("#FF0000")));
        QVERIFY(clickItem(QStringLiteral("backgroundColorButton")));
        QVERIFY(clickItem(QStringLiteral("backgroundColorEntry8")));
        QCOMPARE(rect->backgroundColor(), QColor(QStringLiteral("#000080")));
        QVERIFY(clickItem(QStringLiteral("strokeWidthButton")));
        QVERIFY(clickItem(QStringLiteral("strokeWidthEntry8")));
        QCOMPARE(rect->strokeWidth(), 8);
        QCOMPARE(item(QStringLiteral("strokeColorButton"))->property("color").value<QColor>(), QColor(Qt::red));
        shoot(QStringLiteral("recoloured"));

        // Undo walks every step back, redo forward again.
        struct State
        {
            int x, y, width, height, rotation, strokeWidth;
            QColor stroke, background;
            bool operator==(const State& o) const
            {
                return x == o.x && y == o.y && width == o.width && height == o.height && rotation == o.rotation
                       && strokeWidth == o.strokeWidth && stroke == o.stroke && background == o.background;
            }
        };
        auto state = [rect] {
            return State{rect->x(), rect->y(), rect->width(), rect->height(), rect->rotation(), rect->strokeWidth(),
                         rect->strokeColor(), rect->backgroundColor()};
        };
        const State finalState = state();
        QVector<State> history{finalState};
        for (int step = 0; step < 7; ++step) {
            QVERIFY(clickItem(QStringLiteral("undoButton")));
            history.prepend(state());
        }
        // Seven steps back: before the move through the frame, white stroke, black box.
        QCOMPARE(history.first().width, 200);
        QCOMPARE(history.first().rotation, 0);
        QCOMPARE(history.first().stroke, QColor(Qt::white));
        QCOMPARE(history.first().background, QColor(Qt::black));
        QVERIFY(history.first().x != afterMove.x());
        for (int step = 1; step <= 7; ++step) {
            QVERIFY(clickItem(QStringLiteral("redoButton")));
            QVERIFY(state() == history.at(step));
        }
        QVERIFY(!item(QStringLiteral("redoButton"))->isEnabled());

        // Apply: the question, with "remember" ticked, clears the warning setting; the photo
        // then holds what the renderer itself makes of the same objects.
        QVERIFY(settings->showPhotoEditorFileOverwriteWarning());
        const QString reference = m_folder + QStringLiteral("/reference.jpg");
        QFile::remove(reference);
        QVERIFY(QFile::copy(m_photo, reference));
        QVERIFY(CDrawingRenderer().renderFile(reference, reference, editor->objects(), editor->dynamicFieldData()));
        QVERIFY(clickItem(QStringLiteral("acceptButton")));
        QVERIFY(answerMessage(true, true));
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QVERIFY(!screenItem());
        QCOMPARE(m_holder.m_result.toMap().value(QStringLiteral("fileModified")).toUrl(), QUrl::fromLocalFile(m_photo));
        QVERIFY(!settings->showPhotoEditorFileOverwriteWarning());
        const QImage written(m_photo);
        const QImage expected(reference);
        QCOMPARE(written.size(), QSize(4000, 3000));
        int worst = 0;
        for (int y = 0; y < written.height(); y += 3) {
            for (int x = 0; x < written.width(); x += 3) {
                const QRgb a = written.pixel(x, y);
                const QRgb b = expected.pixel(x, y);
                worst = qMax(worst, qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)))));
            }
        }
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
        QFile::remove(reference);
    }

    void applyWithoutWarningAndCloseQuestion()
    {
        CSettings* settings = CApplication::instance()->settings();
        settings->setShowPhotoEditorFileOverwriteWarning(false);

        // Closing untouched needs no question.
        QVERIFY(openEditor());
        QVERIFY(clickItem(QStringLiteral("titleBarCloseButton")));
        QTRY_COMPARE(m_holder.m_calls, 1);
        QVERIFY(!m_holder.m_result.isValid());

        // With a change, closing asks; No keeps the screen, Yes discards.
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddCross")));
        QVERIFY(clickItem(QStringLiteral("titleBarCloseButton")));
        QVERIFY(answerMessage(false));
        QVERIFY(screenItem());
        QCOMPARE(m_holder.m_calls, 0);
        QVERIFY(clickItem(QStringLiteral("titleBarCloseButton")));
        QCOMPARE(messageText(), QStringLiteral("Are you sure you want to discard your changes?"));
        QVERIFY(answerMessage(true));
        QTRY_COMPARE(m_holder.m_calls, 1);
        QVERIFY(!screenItem());

        // Without the warning Apply runs at once.
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddEllipse")));
        const QDateTime modified = QFileInfo(m_photo).lastModified();
        QVERIFY(clickItem(QStringLiteral("acceptButton")));
        QVERIFY(!evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QVERIFY(m_holder.m_result.toMap().contains(QStringLiteral("fileModified")));
        QVERIFY(QFileInfo(m_photo).lastModified() >= modified);
        settings->setShowPhotoEditorFileOverwriteWarning(true);
    }

    void templateDrawerQuestions()
    {
        QVERIFY(openEditor());
        CPhotoEditorScreenController* editor = controller();
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddRectangle")));

        // A picture that cannot be read shows the broken-image graphic, sized like it.
        evaluate(QStringLiteral("ScreenManager.currentScreen.addImageFile('%1/missing.png')").arg(m_folder));
        QCOMPARE(rows(), 2);
        const QImage broken(QStringLiteral(":/graphics/broken_image.png"));
        QCOMPARE(QSize(selected()->width(), selected()->height()), broken.size());
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("objectBrokenImage")), 10000);
        QCOMPARE(item(QStringLiteral("objectBrokenImage"))->size(), QSizeF(broken.size()));
        QVERIFY(clickItem(QStringLiteral("deleteButton")));
        QCOMPARE(rows(), 1);

        // The frame's text-edit request (its double click) edits the text; the empty text is
        // accepted and the box keeps its size.
        evaluate(QStringLiteral("ScreenManager.currentScreen.form.zoom = 2"));
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QVERIFY(clickItem(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(rows(), 2);
        auto* text = qobject_cast<CDrawingText*>(selected());
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("text"));
        const QSize textBox(text->width(), text->height());
        evaluate(QStringLiteral("ScreenManager.currentScreen.form.selector.textEditRequested()"));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(item(QStringLiteral("valueInputField"))->property("text").toString(), QStringLiteral("text"));
        item(QStringLiteral("valueInputField"))->setProperty("text", QString());
        QVERIFY(clickItem(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(text->text(), QString());
        QCOMPARE(QSize(text->width(), text->height()), textBox);
        QVERIFY(clickItem(QStringLiteral("deleteButton")));
        QCOMPARE(rows(), 1);

        // Save under a new name: no question.
        auto saveAs = [this](const QString& name) {
            QVERIFY(clickItem(QStringLiteral("menuToggleButton")));
            QVERIFY(clickItem(QStringLiteral("saveTemplateButton")));
            QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
            item(QStringLiteral("valueInputField"))->setProperty("text", name);
            QVERIFY(clickItem(QStringLiteral("valueInputApply")));
            QTRY_VERIFY(!item(QStringLiteral("ValueInputScreen")));
        };
        saveAs(QStringLiteral("Field marks"));
        QTRY_VERIFY_WITH_TIMEOUT(editor->templateList().contains(QStringLiteral("Field marks")), 30000);
        QTRY_VERIFY(!editor->processing());
        const QDir templates(queryDrawingTemplatesPath());
        QCOMPARE(templates.entryList({QStringLiteral("*.xml")}, QDir::Files).size(), 1);

        // The same name again asks before it overwrites.
        saveAs(QStringLiteral("Field marks"));
        QTRY_VERIFY(evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QCOMPARE(messageText(),
                 QStringLiteral("A template with the same name exists already.\nAre you sure you want to overwrite it?"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY(!editor->processing());

        // A built-in name: asked, then refused with the save error in a message box.
        saveAs(QStringLiteral("Gully Rover"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), 30000);
        QVERIFY(messageText().startsWith(QStringLiteral("Failed to save the specified drawing template.")));
        QVERIFY(clickItem(QStringLiteral("messageBoxOk")));
        QCOMPARE(rows(), 1);
        shoot(QStringLiteral("drawer"));

        // Loading with changes asks first, then offers the list.
        QVERIFY(clickItem(QStringLiteral("menuToggleButton")));
        QVERIFY(clickItem(QStringLiteral("loadTemplateButton")));
        QCOMPARE(messageText(), QStringLiteral("All your changes will be discarded when you load a template.\n"
                                               "Are you sure you want to proceed?"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY(item(QStringLiteral("ItemSelectionScreen")));
        const QStringList names = editor->templateList();
        item(QStringLiteral("ItemSelectionScreen"))->setProperty("selectedIndex", names.indexOf(QStringLiteral("Zephira (1080p)")));
        QVERIFY(clickItem(QStringLiteral("itemSelectionApply")));
        QTRY_VERIFY_WITH_TIMEOUT(editor->templateWasLoaded(), 30000);
        QVERIFY(rows() > 1);
        QVERIFY(!editor->canUndo());
        QVERIFY(item(QStringLiteral("acceptButton"))->isEnabled());
        shoot(QStringLiteral("template-loaded"));

        // Deleting names the template in its question.
        QVERIFY(clickItem(QStringLiteral("menuToggleButton")));
        QVERIFY(clickItem(QStringLiteral("deleteTemplateButton")));
        QTRY_VERIFY(item(QStringLiteral("ItemSelectionScreen")));
        item(QStringLiteral("ItemSelectionScreen"))->setProperty("selectedIndex", editor->templateList().indexOf(QStringLiteral("Field marks")));
        QVERIFY(clickItem(QStringLiteral("itemSelectionApply")));
        QTRY_VERIFY(evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QCOMPARE(messageText(), QStringLiteral("Are you sure you want to delete the template named Field marks?"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY_WITH_TIMEOUT(!editor->templateList().contains(QStringLiteral("Field marks")), 30000);
        QCOMPARE(templates.entryList({QStringLiteral("*.xml")}, QDir::Files).size(), 0);

        // Leaving after a load asks, even without undo history.
        QVERIFY(clickItem(QStringLiteral("titleBarCloseButton")));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY(!screenItem());
    }
};

int main(int argc, char** argv)
{
    int appArgc = 1;
    int result = 1;
    {
        CApplication app(appArgc, argv);
        tst_PhotoEditorScreen checks;
        // Queued behind the application's own start-up, so every service exists by then.
        QTimer::singleShot(0, &app, [&] {
            result = QTest::qExec(&checks, argc, argv);
            app.terminate(false);
        });
        CApplication::exec();
    }
    return result;
}

#include "tst_PhotoEditorScreen.moc"
