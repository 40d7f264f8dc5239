// The photo editor's controller against a real template service on its worker thread, real
// template files in a temporary folder and real photos; the full-disk case writes onto a
// small tmpfs mounted in a private mount namespace (skipped where that is not allowed).
#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingTemplateReader.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CDrawingTemplateWriter.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/CPhotoEditorScreenController.h"
#include "photoeditor/DrawingObjectFactory.h"

#include "application/CSettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include "support/GiantImages.h"
#include "support/LogText.h"
#include "support/PeakMemory.h"
#include "support/QmlWarningGuard.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>

#include <cstdlib>

namespace {

using Error = DrawingTemplateTypes::DrawingTemplateError;

// A folder on a 4 MiB tmpfs, or empty when no private mount could be made.
QString g_smallDiskDir;

void mountSmallDisk()
{
    const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/small-disk";
    if (!QDir().mkpath(QString::fromLocal8Bit(folder)))
        return;
    if (unshare(CLONE_NEWNS) != 0)
        return;
    // Keep the mount inside this process's namespace.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return;
    if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=4m") != 0)
        return;
    g_smallDiskDir = QString::fromLocal8Bit(folder);
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString makePhoto(const QString& path, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(30, 40, 50));
    gradient.setColorAt(1, QColor(170, 150, 120));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    return image.save(path, "JPEG", 90) ? path : QString();
}

// Largest difference of any colour channel between two images of the same size.
int maximumDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    int result = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            result = qMax(result, qAbs(qRed(l[x]) - qRed(r[x])));
            result = qMax(result, qAbs(qGreen(l[x]) - qGreen(r[x])));
            result = qMax(result, qAbs(qBlue(l[x]) - qBlue(r[x])));
        }
    }
    return result;
}

QSize neededTextSize(const QString& text, int fontSize, int strokeWidth)
{
    QFont font(QStringLiteral("Roboto"));
    font.setPixelSize(fontSize);
    const QSize measured = QFontMetrics(font).size(Qt::TextSingleLine, text);
    return QSize(measured.width() + 2 * strokeWidth, measured.height() + 2 * strokeWidth);
}

QSize sizeOf(QObject* object)
{
    auto* drawing = qobject_cast<CDrawingObject*>(object);
    return drawing ? QSize(drawing->width(), drawing->height()) : QSize();
}

} // namespace

class tst_CPhotoEditorScreenController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CDrawingTemplateService> m_service;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CPhotoEditorScreenController> m_controller;

    QString templatesPath() const { return m_dir->path() + QStringLiteral("/DrawingTemplates/"); }

    void addRectangle(int x = 10, int y = 20)
    {
        m_controller->createRectangle(x, y, 200, 200, QColor(Qt::black), QColor(Qt::white), 2);
    }

    CDrawingObject* selected() const { return qobject_cast<CDrawingObject*>(m_controller->selectedObject()); }

    // Waits until the pending request has been answered.
    bool settle()
    {
        if (!m_controller->processing())
            return true;
        QSignalSpy spy(m_controller.get(), &CPhotoEditorScreenController::processingChanged);
        return spy.wait(30000) && !m_controller->processing();
    }

private slots:
    void initTestCase() { QmlWarningGuard::install(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(templatesPath()));
        m_settings = std::make_unique<CSettings>();
        m_settings->setDateFormat(QStringLiteral("dd.MM.yyyy HH:mm:ss.zzz"));
        m_settings->setUse24hTime(true);
        m_service = std::make_unique<CDrawingTemplateService>(templatesPath());
        m_controller = std::make_unique<CPhotoEditorScreenController>(m_service.get(), m_settings.get());
        if (m_controller->loadingTemplateList()) {
            QSignalSpy ready(m_controller.get(), &CPhotoEditorScreenController::loadingTemplateListChanged);
            QVERIFY(ready.wait(10000));
        }
        QVERIFY(!m_controller->loadingTemplateList());
        m_controller->setImageSize(QSize(1920, 1080));
    }

    void cleanup()
    {
        QmlWarningGuard::checkFunction();
        m_controller.reset();
        m_service.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void modelsAndRegistryMirroring()
    {
        QAbstractListModel* colors = m_controller->colorModel();
        QCOMPARE(colors->rowCount(), 10);
        QCOMPARE(colors->roleNames().value(256), QByteArray("modelData_Color"));
        QCOMPARE(colors->roleNames().value(257), QByteArray("modelData_Name"));
        QCOMPARE(colors->data(colors->index(0), 256).value<QColor>(), QColor(0, 0, 0, 0));
        QCOMPARE(colors->data(colors->index(0), 257).toString(), QStringLiteral("None"));
        QCOMPARE(colors->data(colors->index(8), 256).value<QColor>(), QColor(0, 0, 0x80));
        QCOMPARE(colors->data(colors->index(8), 257).toString(), QStringLiteral("Blue"));
        QVERIFY(!colors->data(colors->index(10), 256).isValid());
        QVERIFY(!colors->data(colors->index(1), Qt::DisplayRole).isValid());
        QCOMPARE(int(colors->flags(colors->index(3))), 0xa1);

        QAbstractListModel* model = m_controller->objectModel();
        QCOMPARE(model->roleNames().value(256), QByteArray("modelData_Object"));
        QSignalSpy selection(m_controller.get(), &CPhotoEditorScreenController::selectedObjectChanged);

        addRectangle();
        m_controller->createEllipse(50, 60, 200, 200, Qt::red, Qt::white, 2);
        m_controller->createLine(70, 80, 200, 100, Qt::transparent, Qt::white, 4);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(int(model->flags(model->index(1))), 0xa1);
        auto* first = model->data(model->index(0), 256).value<QObject*>();
        auto* second = model->data(model->index(1), 256).value<QObject*>();
        auto* third = model->data(model->index(2), 256).value<QObject*>();
        QVERIFY(!model->data(model->index(3), 256).isValid());
        QVERIFY(!model->data(model->index(0), 257).isValid());
        // Each new object is the last row and the selection.
        QCOMPARE(m_controller->selectedObject(), third);
        QCOMPARE(selection.count(), 3);
        QCOMPARE(qobject_cast<CDrawingObject*>(third)->type(), CDrawingObject::Line);
        QCOMPARE(sizeOf(third), QSize(200, 100));

        // Deleting the bottom object leaves nothing selected; undoing puts it back on top.
        m_controller->setSelectedObject(first);
        m_controller->deleteObject();
        QCOMPARE(model->rowCount(), 2);
        QVERIFY(!m_controller->selectedObject());
        m_controller->undo();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->data(model->index(2), 256).value<QObject*>(), first);
        QCOMPARE(m_controller->selectedObject(), first);

        // Undoing a creation removes the row; redoing appends the same object again.
        m_controller->undo(); // the line's creation
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->data(model->index(0), 256).value<QObject*>(), second);
        QCOMPARE(model->data(model->index(1), 256).value<QObject*>(), first);
        QVERIFY(!m_controller->selectedObject());
        QVERIFY(m_controller->canRedo());
        m_controller->redo();
        QCOMPARE(model->data(model->index(2), 256).value<QObject*>(), third);
        QCOMPARE(m_controller->selectedObject(), third);
    }

    void selectionWritesAndIgnoredEdits()
    {
        QSignalSpy selection(m_controller.get(), &CPhotoEditorScreenController::selectedObjectChanged);
        QSignalSpy canUndo(m_controller.get(), &CPhotoEditorScreenController::canUndoChanged);
        // Clearing an empty selection signals nothing.
        m_controller->setSelectedObject(nullptr);
        QCOMPARE(selection.count(), 0);

        // Without a selection every edit but creation is ignored.
        m_controller->deleteObject();
        m_controller->moveObject(0, 0, 5, 5);
        m_controller->resizeObject(0, 0, 5, 5);
        m_controller->rotateObject(0, 45);
        m_controller->changeObjectBackgroundColor(Qt::red);
        m_controller->changeObjectStrokeColor(Qt::red);
        m_controller->changeObjectStrokeWidth(8);
        m_controller->changeObjectText(QStringLiteral("x"));
        m_controller->changeObjectFontSize(48);
        m_controller->changeObjectTextColor(Qt::red);
        QCOMPARE(canUndo.count(), 0);
        QVERIFY(!m_controller->canUndo());

        addRectangle();
        QObject* rectangle = m_controller->selectedObject();
        selection.clear();
        // The same object again changes nothing; a foreign QObject clears the selection.
        m_controller->setSelectedObject(rectangle);
        QCOMPARE(selection.count(), 0);
        QObject stranger;
        m_controller->setSelectedObject(&stranger);
        QVERIFY(!m_controller->selectedObject());
        QCOMPARE(selection.count(), 1);
        // An object that no shared pointer owns cannot be selected.
        CDrawingObject loose(CDrawingObject::Rectangle, 7);
        m_controller->setSelectedObject(&loose);
        QVERIFY(!m_controller->selectedObject());
        m_controller->setSelectedObject(rectangle);

        // Text edits on a rectangle do nothing; shape edits are recorded and undone in turn.
        canUndo.clear();
        QVERIFY(m_controller->canUndo());
        m_controller->changeObjectText(QStringLiteral("x"));
        m_controller->changeObjectFontSize(48);
        m_controller->changeObjectTextColor(Qt::red);
        QCOMPARE(canUndo.count(), 0);
        m_controller->moveObject(10, 20, 110, 120);
        m_controller->resizeObject(100, 110, 300, 150);
        m_controller->rotateObject(0, 90);
        m_controller->changeObjectBackgroundColor(QColor(QStringLiteral("#A349A4")));
        m_controller->changeObjectStrokeColor(QColor(QStringLiteral("#00FF00")));
        m_controller->changeObjectStrokeWidth(8);
        auto* object = selected();
        QCOMPARE(object->x(), 100);
        QCOMPARE(object->y(), 110);
        QCOMPARE(QSize(object->width(), object->height()), QSize(300, 150));
        QCOMPARE(object->rotation(), 90);
        QCOMPARE(object->backgroundColor(), QColor(QStringLiteral("#A349A4")));
        QCOMPARE(object->strokeColor(), QColor(QStringLiteral("#00FF00")));
        QCOMPARE(object->strokeWidth(), 8);
        for (int i = 0; i < 6; ++i)
            m_controller->undo();
        QCOMPARE(object->x(), 10);
        QCOMPARE(object->y(), 20);
        QCOMPARE(QSize(object->width(), object->height()), QSize(200, 200));
        QCOMPARE(object->rotation(), 0);
        QCOMPARE(object->backgroundColor(), QColor(Qt::black));
        QCOMPARE(object->strokeColor(), QColor(Qt::white));
        QCOMPARE(object->strokeWidth(), 2);
        for (int i = 0; i < 6; ++i)
            m_controller->redo();
        QCOMPARE(object->x(), 100);
        QCOMPARE(object->rotation(), 90);
        QCOMPARE(object->strokeWidth(), 8);
    }

    void textBoxSizing()
    {
        // A new text takes exactly the size its one line needs with the stroke around it.
        m_controller->createText(5, 5, 48, Qt::black, Qt::white, 4, Qt::yellow, QStringLiteral("Crack at 12.5 m"));
        auto* text = qobject_cast<CDrawingText*>(selected());
        QVERIFY(text);
        const QSize needed48 = neededTextSize(QStringLiteral("Crack at 12.5 m"), 48, 4);
        QCOMPARE(QSize(text->width(), text->height()), needed48);
        QCOMPARE(text->fontSize(), 48);
        QCOMPARE(text->textColor(), QColor(Qt::yellow));

        // A smaller font fits the box: only the font size changes.
        m_controller->changeObjectFontSize(24);
        QCOMPARE(text->fontSize(), 24);
        QCOMPARE(QSize(text->width(), text->height()), needed48);
        // A larger one does not: the box takes the needed size in both dimensions.
        m_controller->changeObjectFontSize(96);
        QCOMPARE(QSize(text->width(), text->height()), neededTextSize(text->text(), 96, 4));
        // A new text never resizes the box, not even an empty one.
        const QSize before = QSize(text->width(), text->height());
        m_controller->changeObjectText(QStringLiteral("A much longer text than the box was made for"));
        QCOMPARE(QSize(text->width(), text->height()), before);
        m_controller->changeObjectText(QString());
        QCOMPARE(text->text(), QString());
        QCOMPARE(QSize(text->width(), text->height()), before);
        m_controller->undo();
        QCOMPARE(text->text(), QStringLiteral("A much longer text than the box was made for"));

        // A box too wide but too low takes the needed size in both dimensions (narrower here).
        m_controller->resizeObject(text->x(), text->y(), 4000, 10);
        m_controller->changeObjectStrokeWidth(8);
        QCOMPARE(QSize(text->width(), text->height()), neededTextSize(text->text(), 96, 8));
        QCOMPARE(text->strokeWidth(), 8);
        m_controller->undo();
        QCOMPARE(QSize(text->width(), text->height()), QSize(4000, 10));
        QCOMPARE(text->strokeWidth(), 4);

        // Dynamic texts measure the text shown for their field; their text cannot be changed.
        m_controller->setDynamicFieldData({{CDrawingDynamicText::SurveyName, QStringLiteral("MH 12 - MH 13")}});
        m_controller->createDynamicText(0, 0, 24, Qt::black, Qt::white, 2, Qt::white, CDrawingDynamicText::SurveyName);
        auto* dynamicText = qobject_cast<CDrawingDynamicText*>(selected());
        QVERIFY(dynamicText);
        QCOMPARE(QSize(dynamicText->width(), dynamicText->height()),
                 neededTextSize(QStringLiteral("MH 12 - MH 13"), 24, 2));
        QSignalSpy undoChanges(m_controller.get(), &CPhotoEditorScreenController::canUndoChanged);
        m_controller->changeObjectText(QStringLiteral("ignored"));
        QCOMPARE(undoChanges.count(), 0);
        m_controller->changeObjectTextColor(Qt::red);
        QCOMPARE(dynamicText->textColor(), QColor(Qt::red));
        m_controller->changeObjectFontSize(72);
        QCOMPARE(QSize(dynamicText->width(), dynamicText->height()),
                 neededTextSize(QStringLiteral("MH 12 - MH 13"), 72, 2));
    }

    void fieldTexts()
    {
        QSignalSpy fieldDataChanged(m_controller.get(), &CPhotoEditorScreenController::dynamicFieldDataChanged);
        m_controller->setDynamicFieldData({{CDrawingDynamicText::SurveyName, QStringLiteral("MH 1 - MH 2")},
                                           {CDrawingDynamicText::OperatorName, QString()}});
        QCOMPARE(fieldDataChanged.count(), 1);
        m_controller->setDynamicFieldData(m_controller->dynamicFieldData());
        QCOMPARE(fieldDataChanged.count(), 1);

        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::SurveyName), QStringLiteral("MH 1 - MH 2"));
        // Missing names fall back to texts that are not kept.
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::ProjectName),
                 QStringLiteral("Project name not available"));
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::OperatorName),
                 QStringLiteral("Operator name not available"));
        QVERIFY(!m_controller->dynamicFieldData().contains(CDrawingDynamicText::ProjectName));
        QCOMPARE(m_controller->dynamicFieldData().value(CDrawingDynamicText::OperatorName), QString());
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::Invalid), QString());
        QCOMPARE(m_controller->queryTextForField(static_cast<CDrawingDynamicText::Field>(42)), QString());

        // Date and time are made once and kept, without a change signal.
        const QDateTime before = QDateTime::currentDateTime();
        const QString date = m_controller->queryTextForField(CDrawingDynamicText::InspectionDate);
        const QDateTime parsed = QDateTime::fromString(date, QStringLiteral("dd.MM.yyyy HH:mm:ss.zzz"));
        QVERIFY2(parsed.isValid(), qPrintable(date));
        QVERIFY(parsed >= before.addMSecs(-1));
        QTRY_VERIFY(QDateTime::currentDateTime() > parsed.addMSecs(5));
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::InspectionDate), date);
        const QString time = m_controller->queryTextForField(CDrawingDynamicText::InspectionTime);
        QCOMPARE(time.size(), 5);
        QCOMPARE(m_controller->dynamicFieldData().value(CDrawingDynamicText::InspectionDate), date);
        QCOMPARE(m_controller->dynamicFieldData().value(CDrawingDynamicText::InspectionTime), time);
        QCOMPARE(fieldDataChanged.count(), 1);

        // The stored date is what the saved photo shows.
        m_controller->createDynamicText(0, 0, 24, Qt::black, Qt::white, 0, Qt::white,
                                        CDrawingDynamicText::InspectionDate);
        QCOMPARE(QSize(selected()->width(), selected()->height()), neededTextSize(date, 24, 0));

        // QML hands the field data over as an object keyed by field numbers.
        QVERIFY(m_controller->setProperty("dynamicFieldData",
                                          QVariantMap{{QStringLiteral("1"), QStringLiteral("Project A")}}));
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::ProjectName), QStringLiteral("Project A"));
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("editor"), m_controller.get());
        QQmlExpression assign(engine.rootContext(), nullptr,
                              QStringLiteral("editor.dynamicFieldData = { '1': 'Project B', '3': 'R. Field' }"));
        assign.evaluate();
        QVERIFY(!assign.hasError());
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::ProjectName), QStringLiteral("Project B"));
        QCOMPARE(m_controller->queryTextForField(CDrawingDynamicText::OperatorName), QStringLiteral("R. Field"));
    }

    void resizeGeometry()
    {
        // Rotation 0 mirrors the proposal about the current corner.
        QCOMPARE(m_controller->computeResizedObjectRect(100, 200, 100, 50, 0, 140, 200, 60, 50),
                 QRectF(60, 200, 60, 50));
        QCOMPARE(m_controller->computeResizedObjectRect(10, 20, 30, 40, 0, 7, 9, 11, 13), QRectF(13, 31, 11, 13));
        // At 90 degrees growing the right edge keeps the turned left edge where it is: the
        // centre moves along the turned axis, down the photo.
        const QRectF right = m_controller->computeResizedObjectRect(100, 200, 100, 50, 90, 100, 200, 140, 50);
        QCOMPARE(right.size(), QSizeF(140, 50));
        QVERIFY(qAbs(right.center().x() - 150) < 1e-9);
        QVERIFY(qAbs(right.center().y() - 245) < 1e-9);
        // Growing the left edge (the screen proposes x + growth) moves the centre up.
        const QRectF left = m_controller->computeResizedObjectRect(100, 200, 100, 50, 90, 140, 200, 140, 50);
        QVERIFY(qAbs(left.center().x() - 150) < 1e-9);
        QVERIFY(qAbs(left.center().y() - 205) < 1e-9);
    }

    void templatesSaveLoadDelete()
    {
        QSignalSpy errors(m_controller.get(), &CPhotoEditorScreenController::errorOccurred);
        QSignalSpy listChanged(m_controller.get(), &CPhotoEditorScreenController::templateListChanged);
        addRectangle(5000, 100);
        m_controller->createText(30, 5000, 24, Qt::black, Qt::white, 2, Qt::white, QStringLiteral("far below"));
        m_controller->createEllipse(100, 100, 200, 200, Qt::red, Qt::white, 2);

        // The worker writes copies: moving an object right after the request changes nothing.
        m_controller->saveAsTemplate(QStringLiteral("Manhole marks"));
        QVERIFY(m_controller->processing());
        selected()->setX(777);
        QVERIFY(settle());
        QCOMPARE(errors.count(), 0);
        QTRY_VERIFY(m_controller->templateList().contains(QStringLiteral("Manhole marks")));
        // The list may be read before its change notice has crossed from the worker thread.
        QTRY_VERIFY(listChanged.count() >= 1);
        QVERIFY(m_controller->checkTemplateExists(QStringLiteral("Manhole marks")));
        const QStringList files = QDir(templatesPath()).entryList({QStringLiteral("*.xml")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-([0-9a-f]{4}-){3}[0-9a-f]{12}\\.xml$"))
                    .match(files.first())
                    .hasMatch());
        CDrawingTemplateReader reader;
        const DrawingTemplatePtr stored = reader.read(templatesPath() + files.first(), false);
        QVERIFY(stored);
        QCOMPARE(stored->objects().size(), 3);
        QCOMPARE(stored->objects().at(2)->x(), 100);

        // A built-in template cannot be saved over; the message carries its code.
        m_controller->saveAsTemplate(QStringLiteral("Gully Rover"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.first().first().toString().startsWith(QStringLiteral("Failed to save the specified drawing template.")));
        QVERIFY(errors.first().first().toString().endsWith(QStringLiteral("0x80003")));
        QCOMPARE(m_controller->objectModel()->rowCount(), 3);

        // Loading a missing template keeps the objects and the history.
        const int rows = m_controller->objectModel()->rowCount();
        m_controller->loadFromTemplate(QStringLiteral("No such template"));
        QVERIFY(!m_controller->selectedObject());
        QVERIFY(settle());
        QCOMPARE(errors.count(), 2);
        QVERIFY(errors.last().first().toString().startsWith(QStringLiteral("Failed to load the specified drawing template.")));
        QCOMPARE(m_controller->objectModel()->rowCount(), rows);
        QVERIFY(m_controller->canUndo());
        QVERIFY(!m_controller->templateWasLoaded());

        // Loading fits objects whose corner lies beyond the photo and clears the history.
        QSignalSpy loaded(m_controller.get(), &CPhotoEditorScreenController::templateWasLoadedChanged);
        m_controller->loadFromTemplate(QStringLiteral("Manhole marks"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 2);
        QVERIFY(m_controller->templateWasLoaded());
        QCOMPARE(loaded.count(), 1);
        QVERIFY(!m_controller->canUndo());
        QVERIFY(!m_controller->canRedo());
        QCOMPARE(m_controller->objectModel()->rowCount(), 3);
        const QVector<DrawingObjectPtr> objects = m_controller->objects();
        QCOMPARE(objects.at(0)->x(), 1920 - 200);
        QCOMPARE(objects.at(0)->y(), 100);
        QCOMPARE(objects.at(1)->x(), 30);
        QCOMPARE(objects.at(1)->y(), 1080 - objects.at(1)->height());
        QCOMPARE(objects.at(2)->x(), 100);
        // New objects get ids that the loaded ones do not use.
        addRectangle();
        QCOMPARE(m_controller->objectModel()->rowCount(), 4);
        QVERIFY(m_controller->canUndo());

        // Saving again under the known name overwrites the same file.
        m_controller->saveAsTemplate(QStringLiteral("Manhole marks"));
        QVERIFY(settle());
        QCOMPARE(QDir(templatesPath()).entryList({QStringLiteral("*.xml")}, QDir::Files), files);
        QCOMPARE(reader.read(templatesPath() + files.first(), false)->objects().size(), 4);

        // Deleting removes the file and the name.
        m_controller->deleteTemplate(QStringLiteral("Manhole marks"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 2);
        QTRY_VERIFY(!m_controller->templateList().contains(QStringLiteral("Manhole marks")));
        QVERIFY(QDir(templatesPath()).entryList({QStringLiteral("*.xml")}, QDir::Files).isEmpty());
        m_controller->deleteTemplate(QStringLiteral("Gully Rover"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 3);
        QVERIFY(errors.last().first().toString().endsWith(QStringLiteral("0x80004")));
    }

    void foreignResultsAreIgnored()
    {
        QSignalSpy processing(m_controller.get(), &CPhotoEditorScreenController::processingChanged);
        QSignalSpy errors(m_controller.get(), &CPhotoEditorScreenController::errorOccurred);
        QSignalSpy applied(m_controller.get(), &CPhotoEditorScreenController::templateApplied);
        // Another screen's answer while nothing is pending.
        emit m_service->templateApplied(12345, DrawingTemplatePtr(), {}, {}, DrawingTemplateTypes::DrawingTemplateErrorNone);
        emit m_service->templateLoaded(12345, QStringLiteral("x"), DrawingTemplatePtr(),
                                       DrawingTemplateTypes::DrawingTemplateErrorLoadFile);
        QCOMPARE(processing.count(), 0);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(applied.count(), 0);

        // And while our own request is outstanding: it stays outstanding.
        const QString photo = makePhoto(m_dir->filePath(QStringLiteral("photo.jpg")), QSize(320, 240));
        m_controller->setInputFileName(photo);
        m_controller->applyTemplate(photo);
        QVERIFY(m_controller->processing());
        emit m_service->templateApplied(0, DrawingTemplatePtr(), {}, {}, DrawingTemplateTypes::DrawingTemplateErrorApplication);
        emit m_service->templateSaved(4242, DrawingTemplatePtr(), DrawingTemplateTypes::DrawingTemplateErrorSaveFile);
        emit m_service->templateDeleted(4242, QString(), DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);
        QVERIFY(m_controller->processing());
        QCOMPARE(errors.count(), 0);
        QVERIFY(settle());
        QCOMPARE(applied.count(), 1);

        // Without an input file nothing is asked for.
        m_controller->setInputFileName(QString());
        processing.clear();
        m_controller->applyTemplate(photo);
        QVERIFY(!m_controller->processing());
        QCOMPARE(processing.count(), 0);
    }

    void applyWritesWhatTheRendererWrites()
    {
        const QString photo = makePhoto(m_dir->filePath(QStringLiteral("survey photo.jpg")), QSize(800, 600));
        const QString reference = m_dir->filePath(QStringLiteral("reference.jpg"));
        QVERIFY(QFile::copy(photo, reference));
        m_controller->setInputFileName(photo);
        QCOMPARE(m_controller->inputFileUrl(), QUrl::fromLocalFile(photo));
        m_controller->setImageSize(QSize(800, 600));
        m_controller->setDynamicFieldData({{CDrawingDynamicText::SurveyName, QStringLiteral("MH 7 - MH 8")}});

        addRectangle(20, 20);
        m_controller->createArrow(300, 80, 200, 100, Qt::transparent, Qt::yellow, 8);
        m_controller->rotateObject(0, 30);
        m_controller->createText(100, 400, 48, Qt::black, Qt::white, 2, Qt::white, QStringLiteral("Root intrusion"));
        m_controller->createDynamicText(400, 450, 24, QColor(0, 0, 128), Qt::transparent, 0, Qt::white,
                                        CDrawingDynamicText::SurveyName);
        m_controller->createImage(600, 20, Qt::transparent, Qt::transparent, 0, QStringLiteral("/no/such/logo.png"));
        QVERIFY(m_controller->objects().last()->width() > 0);

        QVERIFY(CDrawingRenderer().renderFile(reference, reference, m_controller->objects(),
                                              m_controller->dynamicFieldData()));

        QSignalSpy applied(m_controller.get(), &CPhotoEditorScreenController::templateApplied);
        const QByteArray before = fileHash(photo);
        m_controller->applyTemplate(photo);
        QVERIFY(settle());
        QCOMPARE(applied.count(), 1);
        QVERIFY(fileHash(photo) != before);
        QVERIFY(maximumDifference(QImage(photo), QImage(reference)) <= 2);
        // Nothing else was written beside the photo.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);

        // A palette PNG is annotated as well, not written back unchanged.
        QImage palette(200, 100, QImage::Format_Indexed8);
        palette.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        palette.fill(1);
        const QString palettePhoto = m_dir->filePath(QStringLiteral("palette.png"));
        QVERIFY(palette.save(palettePhoto));
        auto paletteEditor = std::make_unique<CPhotoEditorScreenController>(m_service.get(), m_settings.get());
        paletteEditor->setInputFileName(palettePhoto);
        paletteEditor->createRectangle(10, 10, 50, 50, QColor(Qt::red), QColor(Qt::red), 0);
        QSignalSpy paletteApplied(paletteEditor.get(), &CPhotoEditorScreenController::templateApplied);
        paletteEditor->applyTemplate(palettePhoto);
        QVERIFY(paletteApplied.wait(30000));
        const QImage annotated(palettePhoto);
        QCOMPARE(annotated.size(), QSize(200, 100));
        QCOMPARE(QColor(annotated.pixel(30, 30)), QColor(Qt::red));
        QCOMPARE(QColor(annotated.pixel(150, 80)), QColor(Qt::white));
    }

    void fullDiskKeepsPhotoAndObjects()
    {
        if (g_smallDiskDir.isEmpty())
            QSKIP("no private tmpfs could be mounted (needs a mount namespace)");
        const QString photo = makePhoto(g_smallDiskDir + QStringLiteral("/photo.jpg"), QSize(1200, 900));
        QVERIFY(!photo.isEmpty());
        // Fill the disk to the last byte.
        {
            QFile filler(g_smallDiskDir + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const QByteArray before = fileHash(photo);
        m_controller->setInputFileName(photo);
        m_controller->setImageSize(QSize(1200, 900));
        addRectangle();
        m_controller->createCross(300, 300, 200, 200, Qt::transparent, Qt::red, 8);

        QSignalSpy errors(m_controller.get(), &CPhotoEditorScreenController::errorOccurred);
        QSignalSpy applied(m_controller.get(), &CPhotoEditorScreenController::templateApplied);
        m_controller->applyTemplate(photo);
        QVERIFY(settle());
        QCOMPARE(applied.count(), 0);
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.first().first().toString().startsWith(
            QStringLiteral("Failed to apply the specified drawing template to the photo.")));
        QVERIFY(errors.first().first().toString().endsWith(QStringLiteral("0x80005")));
        QCOMPARE(fileHash(photo), before);
        QCOMPARE(m_controller->objectModel()->rowCount(), 2);
        QVERIFY(m_controller->canUndo());
        QVERIFY(!QImage(photo).isNull());
        QFile::remove(g_smallDiskDir + QStringLiteral("/filler"));
        QFile::remove(photo);
    }

    // Photos and pictures whose files claim 30,000 x 30,000 and 20,000 x 20,000 pixels are
    // refused from their headers, with the operator's message and a log line, and never
    // decoded: the process's peak stays far below what one of them would take.
    void giantPhotosAndPicturesAreRefused()
    {
        const QString jpeg = m_dir->filePath(QStringLiteral("giant.jpg"));
        const QString png = m_dir->filePath(QStringLiteral("giant.png"));
        QVERIFY(GiantImages::write(jpeg, GiantImages::jpeg(30000, 30000)));
        QVERIFY(GiantImages::write(png, GiantImages::png(20000, 20000)));
        // The same claim in every other container, named as a photo, and a 16-bit PNG.
        QStringList giants{jpeg, png};
        const auto containers = GiantImages::containers();
        for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
            giants.append(m_dir->filePath(it.key()));
            QVERIFY(GiantImages::write(giants.last(), it.value()));
        }
        const QString logPath = m_dir->filePath(QStringLiteral("editor.log"));
        Tovrin::Logging::CLogger::setOutputFileName(logPath);
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        const qint64 before = PeakMemory::residentBytes();
        QSignalSpy errors(m_controller.get(), &CPhotoEditorScreenController::errorOccurred);

        // Opened: the screen gets no photo to decode, and the message once it stands.
        for (const QString& photo : qAsConst(giants)) {
            errors.clear();
            m_controller->setInputFileName(photo);
            QCOMPARE(m_controller->inputFileUrl(), QUrl());
            QCOMPARE(m_controller->inputImageSize(), QSize());
            QCOMPARE(errors.count(), 0);
            QTRY_COMPARE(errors.count(), 1);
            QCOMPARE(errors.first().first().toString(),
                     QStringLiteral("The photo %1 cannot be opened: its file claims more pixels than a photo may "
                                    "have (64 megapixels at most).").arg(photo));
            const QString log = takeLogText(logPath);
            QVERIFY2(log.contains(QStringLiteral("Refused to open the photo %1: it").arg(photo)), qPrintable(log));

            // Saved all the same: the renderer refuses it too and the file stays as it was.
            const QByteArray unchanged = fileHash(photo);
            addRectangle();
            errors.clear();
            m_controller->applyTemplate(photo);
            QVERIFY(settle());
            QCOMPARE(errors.count(), 1);
            QVERIFY(errors.first().first().toString().startsWith(
                QStringLiteral("Failed to apply the specified drawing template to the photo.")));
            QCOMPARE(fileHash(photo), unchanged);
            const QString renderLog = takeLogText(logPath);
            QVERIFY2(renderLog.contains(QStringLiteral("Cannot load the photo %1: it").arg(photo)),
                     qPrintable(renderLog));
        }

        // An ordinary photo reports its size from its header.
        const QString photo = makePhoto(m_dir->filePath(QStringLiteral("photo.jpg")), QSize(640, 480));
        m_controller->setInputFileName(photo);
        QCOMPARE(m_controller->inputFileUrl(), QUrl::fromLocalFile(photo));
        QCOMPARE(m_controller->inputImageSize(), QSize(640, 480));
        m_controller->setImageSize(QSize(640, 480));

        // As a picture of its own: nothing is made, the operator is told.
        const int rows = m_controller->objectModel()->rowCount();
        for (const QString& picture : qAsConst(giants)) {
            errors.clear();
            QVERIFY(!m_controller->isPictureWithinBound(picture));
            m_controller->createImage(10, 10, Qt::transparent, Qt::transparent, 0, picture);
            QCOMPARE(m_controller->objectModel()->rowCount(), rows);
            QCOMPARE(errors.count(), 1);
            QCOMPARE(errors.first().first().toString(),
                     QStringLiteral("The picture %1 cannot be used: its file claims more pixels than a picture may "
                                    "have (64 megapixels at most).").arg(picture));
            const QString log = takeLogText(logPath);
            QVERIFY2(log.contains(QStringLiteral("Refused the picture %1: it").arg(picture)), qPrintable(log));
        }

        // As a template's picture: a template saved with a sound logo whose file is later
        // replaced by a giant one loads with the word, and saves the photo without it.
        const QString logo = m_dir->filePath(QStringLiteral("logo.png"));
        QImage small(60, 20, QImage::Format_RGB32);
        small.fill(Qt::blue);
        QVERIFY(small.save(logo));
        QVERIFY(m_controller->isPictureWithinBound(logo));
        m_controller->createImage(100, 100, Qt::transparent, Qt::transparent, 0, logo);
        QCOMPARE(m_controller->objectModel()->rowCount(), rows + 1);
        errors.clear();
        m_controller->saveAsTemplate(QStringLiteral("Logo"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 0);
        QVERIFY(QFile::remove(logo));
        QVERIFY(QFile::copy(png, logo));
        m_controller->loadFromTemplate(QStringLiteral("Logo"));
        QVERIFY(settle());
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.first().first().toString().startsWith(QStringLiteral("The picture %1 cannot be used").arg(logo)));
        QVERIFY(m_controller->templateWasLoaded());
        QCOMPARE(m_controller->objectModel()->rowCount(), rows + 1);
        QSignalSpy applied(m_controller.get(), &CPhotoEditorScreenController::templateApplied);
        m_controller->applyTemplate(photo);
        QVERIFY(settle());
        QCOMPARE(applied.count(), 1);
        QCOMPARE(QImage(photo).size(), QSize(640, 480));
        const QString log = takeLogText(logPath);
        QVERIFY2(log.contains(QStringLiteral("Cannot load the picture %1: it claims").arg(logo)), qPrintable(log));
        Tovrin::Logging::CLogger::setOutputFileName(QString());

        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start", grown / 1024);
        QVERIFY2(grown < 64 * 1024 * 1024, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown >> 20)));
    }
};

int main(int argc, char** argv)
{
    // Before any thread exists: a mount namespace can only be entered single-threaded.
    mountSmallDisk();
    QGuiApplication app(argc, argv);
    QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"));
    tst_CPhotoEditorScreenController test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CPhotoEditorScreenController.moc"
