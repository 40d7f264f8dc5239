// The photo editor screen in the whole running application (settings, template service and
// UI engine as the program makes them), driven with mouse events on a generated 4000 x 3000
// JPEG. Screenshots go to CX_SHOTS_DIR when set (by hand under Xvfb); none are taken otherwise.

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

#include "support/ApplicationScreenTest.h"
#include "support/GiantImages.h"
#include "support/LogText.h"
#include "support/PeakMemory.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/SettingsStoreConditions.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QtTest>

#include <cmath>

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

class tst_PhotoEditorScreen : public QObject, private QuickScreenDriver
{
    Q_OBJECT

public:
    tst_PhotoEditorScreen() : QuickScreenDriver(Lookup::VisibleItems) {}

private:
    ResultHolder m_holder;
    QString m_folder;
    QString m_photo;
    QString m_logo;
    int m_shot = 0;

    QQuickItem* screenItem() { return item(QStringLiteral("PhotoEditorScreen")); }

    CPhotoEditorScreenController* controller()
    {
        QQuickItem* screen = screenItem();
        return screen ? qobject_cast<CPhotoEditorScreenController*>(screen->property("controller").value<QObject*>())
                      : nullptr;
    }

    QQuickItem* layer() { return item(QStringLiteral("photoLayer")); }

    // Presses at from, moves in steps to to and releases, all in scene pixels.
    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, from);
        const int steps = 8;
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = from + (to - from) * i / steps;
            QTest::mouseMove(window(), p);
        }
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, to);
    }

    // A point of the photo in scene pixels.
    QPoint photoPoint(const QPointF& photoPixel) { return layer()->mapToScene(photoPixel).toPoint(); }

    CDrawingObject* selected()
    {
        return controller() ? qobject_cast<CDrawingObject*>(controller()->selectedObject()) : nullptr;
    }

    // Numbered in the order taken; only where CX_SHOTS_DIR asks for them.
    void shoot(const QString& name)
    {
        QuickScreenDriver::shoot(QStringLiteral("photoeditor-%1-%2").arg(++m_shot, 2, 10, QChar('0')).arg(name));
    }

    // Opens the editor on the photo with the survey's field data, on the survey photo unless
    // another is named.
    void showEditor(const QString& photo)
    {
        m_holder.m_calls = 0;
        m_holder.m_result = QVariant();
        evaluate(QStringLiteral("ScreenManager.show('PhotoEditorScreen', { inputFileName: '%1', captionText: 'photo.jpg',"
                                " dynamicFieldData: { '1': 'Culvert survey 2026', '2': 'MH 12 - MH 13', '3': 'R. Field' } },"
                                " function(result) { testResult.result = result; testResult.calls += 1 })")
                     .arg(photo));
    }

    bool openEditor()
    {
        showEditor(m_photo);
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
        if (remember && !tryClick(QStringLiteral("messageBoxRemember")))
            return false;
        return tryClick(yes ? QStringLiteral("messageBoxYes") : QStringLiteral("messageBoxNo"));
    }

    // Chooses an entry of the add menu (or of its special-text menu).
    bool addThroughMenu(const QString& entry, bool special = false)
    {
        if (!tryClick(QStringLiteral("addObjectButton")))
            return false;
        if (special && !tryClick(QStringLiteral("menuItemAddSpecialText")))
            return false;
        return tryClick(entry);
    }

    int rows() { return controller()->objectModel()->rowCount(); }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        setWindow(ApplicationScreenTest::waitForMainWindow(60000));
        QVERIFY2(window(), "the main window did not load");
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
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }

    void cleanup()
    {
        QmlWarningGuard::checkFunction();
        // A failed step may leave questions and screens open: the next case starts clean.
        for (int i = 0; i < 10 && evaluate(QStringLiteral("MessageBox.isOpen")).toBool(); ++i)
            evaluate(QStringLiteral("messageBoxView.answer(false)"));
        while (screenItem() && evaluate(QStringLiteral("ScreenManager.close()")).toBool()) {
        }
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

        // Shapes, with the sizes new shapes get (a fifth of the whole photo's shorter side, all
        // of it being visible), in the middle of the photo, thick and yellow.
        const QList<QPair<QString, QSize>> shapes = {
            {QStringLiteral("menuItemAddRectangle"), QSize(600, 600)},
            {QStringLiteral("menuItemAddEllipse"), QSize(600, 600)},
            {QStringLiteral("menuItemAddCross"), QSize(600, 600)},
            {QStringLiteral("menuItemAddLine"), QSize(600, 300)},
            {QStringLiteral("menuItemAddArrow"), QSize(600, 300)},
        };
        const auto centreOfSelected = [this] {
            return QPoint(selected()->x() + selected()->width() / 2, selected()->y() + selected()->height() / 2);
        };
        for (const auto& shape : shapes) {
            const int before = rows();
            QVERIFY(addThroughMenu(shape.first));
            QCOMPARE(rows(), before + 1);
            QCOMPARE(QSize(selected()->width(), selected()->height()), shape.second);
            QCOMPARE(centreOfSelected(), QPoint(2000, 1500));
            QCOMPARE(selected()->strokeWidth(), 8);
            QCOMPARE(selected()->strokeColor(), QColor(Qt::yellow));
        }

        // A text: the value input opens with "text"; an empty answer adds nothing.
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(item(QStringLiteral("valueInputField"))->property("text").toString(), QStringLiteral("text"));
        item(QStringLiteral("valueInputField"))->setProperty("text", QString());
        QVERIFY(tryClick(QStringLiteral("valueInputApply")));
        QTRY_VERIFY(!item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(rows(), 5);
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        item(QStringLiteral("valueInputField"))->setProperty("text", QStringLiteral("Crack at 12.5 m"));
        QVERIFY(tryClick(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(rows(), 6);
        auto* text = qobject_cast<CDrawingText*>(selected());
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("Crack at 12.5 m"));
        QCOMPARE(text->fontSize(), 48);
        QCOMPARE(text->textColor(), QColor(Qt::yellow));
        QVERIFY2((centreOfSelected() - QPoint(2000, 1500)).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(centreOfSelected().x()).arg(centreOfSelected().y())));

        // An image picked in the project root: transparent box, no stroke, the picture's size.
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddImage")));
        QTRY_VERIFY(item(QStringLiteral("FileSelectionScreen")));
        QTRY_VERIFY(item(QStringLiteral("fileSelectionEntry_logo.png")));
        QVERIFY(tryClick(QStringLiteral("fileSelectionEntry_logo.png")));
        QVERIFY(tryClick(QStringLiteral("fileSelectionApply")));
        QTRY_COMPARE(rows(), 7);
        auto* image = qobject_cast<CDrawingImage*>(selected());
        QVERIFY(image);
        QCOMPARE(image->source(), m_logo);
        QCOMPARE(QSize(image->width(), image->height()), QSize(300, 100));
        QCOMPARE(centreOfSelected(), QPoint(2000, 1500));
        QCOMPARE(image->backgroundColor().alpha(), 0);
        QCOMPARE(image->strokeWidth(), 0);

        QCOMPARE(rows(), 7);
        // Project, survey and operator are offered only when working with projects.
        CSettings* settings = CApplication::instance()->settings();
        settings->setWorkType(CSettings::WorkWithDefaultDirectories);
        QVERIFY(tryClick(QStringLiteral("addObjectButton")));
        QVERIFY(tryClick(QStringLiteral("menuItemAddSpecialText")));
        shoot(QStringLiteral("special-texts"));
        QVERIFY(item(QStringLiteral("menuItemAddDate")));
        QVERIFY(item(QStringLiteral("menuItemAddTime")));
        QVERIFY(!item(QStringLiteral("menuItemAddProjectName")));
        QVERIFY(!item(QStringLiteral("menuItemAddSurveyName")));
        QVERIFY(!item(QStringLiteral("menuItemAddOperator")));
        QVERIFY(tryClick(QStringLiteral("addObjectButton")));
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
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, photoPoint(QPointF(3800, 2800)));
        QTRY_VERIFY(!editor->selectedObject());
        QVERIFY(!item(QStringLiteral("deleteButton"))->isEnabled());
        // Every object starts in the middle, so the one on top is hit there: move them away
        // from the top down until the first rectangle is free.
        QObject* rectangle = editor->objectModel()->data(editor->objectModel()->index(0), 256).value<QObject*>();
        editor->setSelectedObject(nullptr);
        for (int i = rows() - 1; i >= 1; --i) {
            auto* object = qobject_cast<CDrawingObject*>(
                editor->objectModel()->data(editor->objectModel()->index(i), 256).value<QObject*>());
            const QPointF centre(object->x() + object->width() / 2.0, object->y() + object->height() / 2.0);
            const QPointF target(500 + (i % 4) * 1000, i < 5 ? 400 : 2600);
            const int oldX = object->x();
            drag(photoPoint(centre), photoPoint(target));
            QTRY_VERIFY(object->x() != oldX);
            QCOMPARE(editor->selectedObject(), object);
        }
        QVERIFY(editor->canUndo());

        // A short press selects without recording a move.
        auto* rect = qobject_cast<CDrawingObject*>(rectangle);
        const QPointF rectCentre(rect->x() + 300, rect->y() + 300);
        QSignalSpy undoChanges(editor, &CPhotoEditorScreenController::canUndoChanged);
        QVERIFY(waitForFrame());
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, photoPoint(rectCentre));
        QTRY_COMPARE(editor->selectedObject(), rectangle);
        QCOMPARE(undoChanges.count(), 0);

        // Move it up and left through the selection frame's body.
        const QPoint start = photoPoint(rectCentre);
        drag(start, photoPoint(QPointF(1500, 1000)));
        QTRY_VERIFY(qAbs(rect->x() + 300 - 1500) < 8 && qAbs(rect->y() + 300 - 1000) < 8);
        QCOMPARE(undoChanges.count(), 1);
        const QPoint afterMove(rect->x(), rect->y());
        QVERIFY(waitForFrame());

        // Resize at 0 degrees: the right handle adds width, the left edge stays.
        QQuickItem* rightHandle = item(QStringLiteral("handleRight"));
        QVERIFY(rightHandle);
        QPoint handle = centreOf(rightHandle);
        drag(handle, handle + QPoint(40, 0));
        QTRY_VERIFY(rect->width() > 600);
        QCOMPARE(rect->x(), afterMove.x());
        QCOMPARE(rect->height(), 600);
        const int widthAt0 = rect->width();
        shoot(QStringLiteral("resized"));

        // Rotate to 90 degrees: the pointer a little below the centre's height, far to its left.
        QVERIFY(waitForFrame());
        QQuickItem* rotationHandle = item(QStringLiteral("handleRotation"));
        QVERIFY(rotationHandle);
        const QPointF centre(rect->x() + rect->width() / 2.0, rect->y() + rect->height() / 2.0);
        drag(centreOf(rotationHandle),
             photoPoint(centre + QPointF(-1000, 10)));
        QTRY_COMPARE(rect->rotation(), 90);
        shoot(QStringLiteral("rotated"));

        // Resize at 90 degrees: the object's own right edge now points down the photo.
        QVERIFY(waitForFrame());
        rightHandle = item(QStringLiteral("handleRight"));
        handle = centreOf(rightHandle);
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
        QVERIFY(tryClick(QStringLiteral("strokeColorButton")));
        QVERIFY(tryClick(QStringLiteral("strokeColorEntry4")));
        QCOMPARE(rect->strokeColor(), QColor(QStringLiteral("#FF0000")));
        QVERIFY(tryClick(QStringLiteral("backgroundColorButton")));
        QVERIFY(tryClick(QStringLiteral("backgroundColorEntry8")));
        QCOMPARE(rect->backgroundColor(), QColor(QStringLiteral("#000080")));
        QVERIFY(tryClick(QStringLiteral("strokeWidthButton")));
        QVERIFY(tryClick(QStringLiteral("strokeWidthEntry8")));
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
            QVERIFY(tryClick(QStringLiteral("undoButton")));
            history.prepend(state());
        }
        // Seven steps back: before the move through the frame, yellow stroke, black box.
        QCOMPARE(history.first().width, 600);
        QCOMPARE(history.first().rotation, 0);
        QCOMPARE(history.first().stroke, QColor(Qt::yellow));
        QCOMPARE(history.first().background, QColor(Qt::black));
        QVERIFY(history.first().x != afterMove.x());
        for (int step = 1; step <= 7; ++step) {
            QVERIFY(tryClick(QStringLiteral("redoButton")));
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
        QVERIFY(tryClick(QStringLiteral("acceptButton")));
        QVERIFY(answerMessage(true, true));
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QVERIFY(!screenItem());
        QCOMPARE(m_holder.m_result.toMap().value(QStringLiteral("fileModified")).toUrl(), QUrl::fromLocalFile(m_photo));
        QVERIFY(!settings->showPhotoEditorFileOverwriteWarning());
        // Kept at once, not only by the next save of the settings screen.
        QTRY_COMPARE(QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"))
                         .value(QStringLiteral("Settings/ShowPhotoEditorFileOverwriteWarningMessage"))
                         .toString(),
                     QStringLiteral("false"));
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
        QVERIFY(tryClick(QStringLiteral("titleBarCloseButton")));
        QTRY_COMPARE(m_holder.m_calls, 1);
        QVERIFY(!m_holder.m_result.isValid());

        // With a change, closing asks; No keeps the screen, Yes discards.
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddCross")));
        QVERIFY(tryClick(QStringLiteral("titleBarCloseButton")));
        QVERIFY(answerMessage(false));
        QVERIFY(screenItem());
        QCOMPARE(m_holder.m_calls, 0);
        QVERIFY(tryClick(QStringLiteral("titleBarCloseButton")));
        QCOMPARE(messageText(), QStringLiteral("Are you sure you want to discard your changes?"));
        QVERIFY(answerMessage(true));
        QTRY_COMPARE(m_holder.m_calls, 1);
        QVERIFY(!screenItem());

        // Without the warning Apply runs at once.
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddEllipse")));
        const QDateTime modified = QFileInfo(m_photo).lastModified();
        QVERIFY(tryClick(QStringLiteral("acceptButton")));
        QVERIFY(!evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QVERIFY(m_holder.m_result.toMap().contains(QStringLiteral("fileModified")));
        QVERIFY(QFileInfo(m_photo).lastModified() >= modified);
        settings->setShowPhotoEditorFileOverwriteWarning(true);
    }

    // "Remember" at the overwrite warning that the settings store cannot keep is said so; the
    // photo is written all the same.
    void aWarningTurnedOffThatCannotBeKeptIsSaidSo()
    {
        CSettings* settings = CApplication::instance()->settings();
        settings->setShowPhotoEditorFileOverwriteWarning(true);
        const auto restore = qScopeGuard([settings] { settings->setShowPhotoEditorFileOverwriteWarning(true); });
        QString skip;
        RefusingSettingsStore store(QStringLiteral("read-only"), &skip);
        if (!store.ready()) {
            if (!skip.isEmpty())
                QSKIP(qPrintable(skip));
            QFAIL("the store could not be prepared");
        }
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddCross")));
        QVERIFY(tryClick(QStringLiteral("acceptButton")));
        QVERIFY(answerMessage(true, true));
        QTRY_VERIFY(evaluate(QStringLiteral("MessageBox.isOpen")).toBool()
                    && messageText().startsWith(QStringLiteral("The settings could not be saved")));
        evaluate(QStringLiteral("messageBoxView.answer(true)"));
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QVERIFY(m_holder.m_result.toMap().contains(QStringLiteral("fileModified")));
        QVERIFY(!settings->showPhotoEditorFileOverwriteWarning());
    }

    void leavingWhileApplyingWaitsForThePhoto()
    {
        CSettings* settings = CApplication::instance()->settings();
        settings->setShowPhotoEditorFileOverwriteWarning(false);
        QVERIFY(openEditor());
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddRectangle")));
        QFile photo(m_photo);
        QVERIFY(photo.open(QIODevice::ReadOnly));
        const QByteArray before = photo.readAll();
        photo.close();

        // Apply and leave in one turn of the event loop: the render cannot have reported yet.
        const bool asked = evaluate(QStringLiteral("(function() { var s = ScreenManager.currentScreen;"
                                                   " s.apply(); s.back(); return MessageBox.isOpen })()"))
                               .toBool();
        QVERIFY(controller()->processing());
        // Whoever is asked answers "discard"; the screen must still stay until the photo is written.
        if (asked)
            QVERIFY(answerMessage(true));
        QVERIFY(screenItem());
        QCOMPARE(m_holder.m_calls, 0);

        // The apply ends the screen itself and tells the opener the photo changed.
        QTRY_COMPARE_WITH_TIMEOUT(m_holder.m_calls, 1, 60000);
        QCOMPARE(m_holder.m_result.toMap().value(QStringLiteral("fileModified")).toUrl(), QUrl::fromLocalFile(m_photo));
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QVERIFY(photo.readAll() != before);
        settings->setShowPhotoEditorFileOverwriteWarning(true);
    }

    void templateDrawerQuestions()
    {
        QVERIFY(openEditor());
        CPhotoEditorScreenController* editor = controller();
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddRectangle")));

        // A picture that cannot be read shows the broken-image graphic, sized like it.
        QmlWarningGuard::expect(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot open: .*/missing\\.png")));
        evaluate(QStringLiteral("ScreenManager.currentScreen.addImageFile('%1/missing.png')").arg(m_folder));
        QCOMPARE(rows(), 2);
        const QImage broken(QStringLiteral(":/graphics/broken_image.png"));
        QCOMPARE(QSize(selected()->width(), selected()->height()), broken.size());
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("objectBrokenImage")), 10000);
        QCOMPARE(item(QStringLiteral("objectBrokenImage"))->size(), QSizeF(broken.size()));
        QVERIFY(tryClick(QStringLiteral("deleteButton")));
        QCOMPARE(rows(), 1);

        // The frame's text-edit request (its double click) edits the text; the empty text is
        // accepted and the box keeps its size.
        evaluate(QStringLiteral("ScreenManager.currentScreen.form.zoom = 2"));
        QVERIFY(addThroughMenu(QStringLiteral("menuItemAddText")));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QVERIFY(tryClick(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(rows(), 2);
        auto* text = qobject_cast<CDrawingText*>(selected());
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("text"));
        const QSize textBox(text->width(), text->height());
        evaluate(QStringLiteral("ScreenManager.currentScreen.form.selector.textEditRequested()"));
        QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
        QCOMPARE(item(QStringLiteral("valueInputField"))->property("text").toString(), QStringLiteral("text"));
        item(QStringLiteral("valueInputField"))->setProperty("text", QString());
        QVERIFY(tryClick(QStringLiteral("valueInputApply")));
        QTRY_COMPARE(text->text(), QString());
        QCOMPARE(QSize(text->width(), text->height()), textBox);
        QVERIFY(tryClick(QStringLiteral("deleteButton")));
        QCOMPARE(rows(), 1);

        // Save under a new name: no question.
        auto saveAs = [this](const QString& name) {
            QVERIFY(tryClick(QStringLiteral("menuToggleButton")));
            QVERIFY(tryClick(QStringLiteral("saveTemplateButton")));
            QTRY_VERIFY(item(QStringLiteral("ValueInputScreen")));
            item(QStringLiteral("valueInputField"))->setProperty("text", name);
            QVERIFY(tryClick(QStringLiteral("valueInputApply")));
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
        QVERIFY(tryClick(QStringLiteral("messageBoxOk")));
        QCOMPARE(rows(), 1);
        shoot(QStringLiteral("drawer"));

        // Loading with changes asks first, then offers the list.
        QVERIFY(tryClick(QStringLiteral("menuToggleButton")));
        QVERIFY(tryClick(QStringLiteral("loadTemplateButton")));
        QCOMPARE(messageText(), QStringLiteral("All your changes will be discarded when you load a template.\n"
                                               "Are you sure you want to proceed?"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY(item(QStringLiteral("ItemSelectionScreen")));
        const QStringList names = editor->templateList();
        item(QStringLiteral("ItemSelectionScreen"))->setProperty("selectedIndex", names.indexOf(QStringLiteral("Zephira (1080p)")));
        QVERIFY(tryClick(QStringLiteral("itemSelectionApply")));
        QTRY_VERIFY_WITH_TIMEOUT(editor->templateWasLoaded(), 30000);
        QVERIFY(rows() > 1);
        QVERIFY(!editor->canUndo());
        QVERIFY(item(QStringLiteral("acceptButton"))->isEnabled());
        shoot(QStringLiteral("template-loaded"));

        // Deleting names the template in its question.
        QVERIFY(tryClick(QStringLiteral("menuToggleButton")));
        QVERIFY(tryClick(QStringLiteral("deleteTemplateButton")));
        QTRY_VERIFY(item(QStringLiteral("ItemSelectionScreen")));
        item(QStringLiteral("ItemSelectionScreen"))->setProperty("selectedIndex", editor->templateList().indexOf(QStringLiteral("Field marks")));
        QVERIFY(tryClick(QStringLiteral("itemSelectionApply")));
        QTRY_VERIFY(evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QCOMPARE(messageText(), QStringLiteral("Are you sure you want to delete the template named Field marks?"));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY_WITH_TIMEOUT(!editor->templateList().contains(QStringLiteral("Field marks")), 30000);
        QCOMPARE(templates.entryList({QStringLiteral("*.xml")}, QDir::Files).size(), 0);

        // Leaving after a load asks, even without undo history.
        QVERIFY(tryClick(QStringLiteral("titleBarCloseButton")));
        QVERIFY(answerMessage(true));
        QTRY_VERIFY(!screenItem());
    }

    // A photo whose file claims 30,000 x 30,000 (JPEG) or 20,000 x 20,000 pixels (PNG) is not
    // decoded, nor an icon holding such a PNG under a photo's name, a top-down bitmap or a
    // 16-bit PNG of 8,000 x 8,000: the editor says why, logs it, and the process's peak stays low.
    void giantPhotoIsRefusedWithAWord()
    {
        const QString logPath = queryProjectRootPath() + QStringLiteral("Culvertix.log");
        const auto containers = GiantImages::containers();
        QList<QPair<QString, QByteArray>> photos = {
            {m_folder + QStringLiteral("/giant.jpg"), GiantImages::jpeg(30000, 30000)},
            {m_folder + QStringLiteral("/giant.png"), GiantImages::png(20000, 20000)},
        };
        for (const char* name : {"ico-png.png", "ico-png.jpg", "bmp-top-down.png", "png-16-bit.png"})
            photos.append({m_folder + QLatin1Char('/') + QLatin1String(name), containers.value(QLatin1String(name))});
        for (const auto& photo : photos) {
            QVERIFY(GiantImages::write(photo.first, photo.second));
            takeLogText(logPath);
            if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
                QSKIP("this kernel offers no resettable peak of a process's resident memory");
            const qint64 before = PeakMemory::residentBytes();

            showEditor(photo.first);
            QVERIFY(screenItem());
            QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), 30000);
            QCOMPARE(messageText(),
                     QStringLiteral("The photo %1 cannot be opened: its file claims more pixels than a photo may "
                                    "have (64 megapixels at most).").arg(photo.first));
            QQuickItem* shown = item(QStringLiteral("photo"));
            QVERIFY(shown);
            QCOMPARE(shown->property("status").toInt(), 0);
            QVERIFY(!item(QStringLiteral("controlBar"))->isEnabled());
            const QString log = readLogText(logPath);
            QVERIFY2(log.contains(QStringLiteral("Refused to open the photo %1: it").arg(photo.first)),
                     qPrintable(log));
            shoot(QStringLiteral("giant-photo-refused"));

            QVERIFY(tryClick(QStringLiteral("messageBoxOk")));
            QVERIFY(tryClick(QStringLiteral("titleBarCloseButton")));
            QTRY_VERIFY(!screenItem());
            QCOMPARE(m_holder.m_calls, 1);
            const qint64 grown = PeakMemory::peakBytes() - before;
            qInfo("peak %lld KiB above the start", grown / 1024);
            QVERIFY2(grown < 128 * 1024 * 1024,
                     qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown >> 20)));
        }
    }
};

int main(int argc, char** argv)
{
    return ApplicationScreenTest::runInApplication<tst_PhotoEditorScreen>(argc, argv);
}

#include "tst_PhotoEditorScreen.moc"
