// Applies 50 mixed objects to a 12-megapixel JPEG through the photo editor's controller and
// the template service (worker thread, copies, atomic replace), beside the renderer called
// directly on the same objects; then times opening the editor screen on that photo beside a
// bare QML Image of the same file. Prints median times, the baseline and the ratio.
//   bench_PhotoEditorApply [repetitions]      (offscreen without a display, or under Xvfb)

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CPhotoEditorScreenController.h"
#include "uiengine/CUiEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

const QSize PhotoSize(4000, 3000);

QString makePhoto(const QString& path)
{
    QImage image(PhotoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, PhotoSize.width(), PhotoSize.height());
    gradient.setColorAt(0, QColor(40, 40, 40));
    gradient.setColorAt(1, QColor(160, 140, 110));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    image.save(path, "JPEG", 90);
    return path;
}

// 50 objects of every kind, made the way the screen makes them.
void addMixedObjects(CPhotoEditorScreenController& controller, const QString& logo)
{
    for (int i = 0; i < 50; ++i) {
        const int x = (i * 397) % (PhotoSize.width() - 400);
        const int y = (i * 211) % (PhotoSize.height() - 200);
        const QColor background(0, 0, 128, 200);
        const QColor stroke(255, 200, 0);
        switch (i % 8) {
        case 0:
            controller.createImage(x, y, Qt::transparent, Qt::transparent, 0, logo);
            break;
        case 1:
            controller.createText(x, y, 48, background, stroke, 4, Qt::white, QStringLiteral("Crack at %1 m").arg(i));
            break;
        case 2:
            controller.createRectangle(x, y, 360, 120, background, stroke, 4);
            break;
        case 3:
            controller.createEllipse(x, y, 360, 120, background, stroke, 4);
            break;
        case 4:
            controller.createLine(x, y, 360, 120, Qt::transparent, stroke, 8);
            break;
        case 5:
            controller.createCross(x, y, 200, 200, Qt::transparent, stroke, 8);
            break;
        case 6:
            controller.createArrow(x, y, 360, 120, Qt::transparent, stroke, 8);
            break;
        default:
            controller.createDynamicText(x, y, 48, background, stroke, 4, Qt::white, CDrawingDynamicText::SurveyName);
            break;
        }
        controller.rotateObject(0, (i * 15) % 360);
    }
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

// The 99th percentile (the nearest rank); the slowest run for fewer than 100.
double p99(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(qMin(values.size() - 1, int(std::ceil(values.size() * 0.99)) - 1));
}

QVariant evaluate(QQuickWindow* window, const QString& script)
{
    QQmlExpression expression(qmlContext(window), window, script);
    return expression.evaluate();
}

QQuickItem* findItem(QQuickItem* item, const QString& name)
{
    if (!item)
        return nullptr;
    if (item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// Milliseconds until the condition holds and one more frame has been drawn; -1 on time-out.
template <typename Condition>
double waitShown(QQuickWindow* window, const QElapsedTimer& timer, Condition condition)
{
    QElapsedTimer limit;
    limit.start();
    while (!condition()) {
        if (limit.elapsed() > 60000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
    window->update();
    swapped.wait(10000);
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Headless platforms have no OpenGL: the screen is drawn by the software scene graph, so
    // the figures do not depend on which display the bench runs under.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    // The screens check for updates at start: on this machine, where nothing answers.
    if (qEnvironmentVariableIsEmpty("CX_UPDATE_BASE_URL"))
        qputenv("CX_UPDATE_BASE_URL", "http://127.0.0.1:9");
    QGuiApplication app(argc, argv);
    const int repetitions = qMax(1, QCoreApplication::arguments().value(1, QStringLiteral("3")).toInt());
    QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"));
    QTextStream out(stdout);

    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const QString master = makePhoto(folder.filePath(QStringLiteral("master.jpg")));
    QImage logoImage(400, 100, QImage::Format_ARGB32);
    logoImage.fill(QColor(0, 70, 140));
    const QString logo = folder.filePath(QStringLiteral("logo.png"));
    logoImage.save(logo);
    QDir().mkpath(folder.filePath(QStringLiteral("templates")));

    // Apply through the controller and the service, against the renderer itself.
    CDrawingTemplateService service(folder.filePath(QStringLiteral("templates/")));
    CPhotoEditorScreenController controller(&service, nullptr);
    controller.setImageSize(PhotoSize);
    controller.setDynamicFieldData({{CDrawingDynamicText::SurveyName, QStringLiteral("MH 12 - MH 13")}});
    addMixedObjects(controller, logo);

    const QString photo = folder.filePath(QStringLiteral("photo.jpg"));
    controller.setInputFileName(photo);
    QVector<double> editorTimes, rendererTimes;
    for (int run = 0; run < repetitions; ++run) {
        QFile::remove(photo);
        QFile::copy(master, photo);
        QSignalSpy applied(&controller, &CPhotoEditorScreenController::templateApplied);
        QElapsedTimer timer;
        timer.start();
        controller.applyTemplate(photo);
        if (!applied.wait(120000)) {
            out << "apply through the controller timed out\n";
            return 1;
        }
        editorTimes << timer.nsecsElapsed() / 1e6;

        QFile::remove(photo);
        QFile::copy(master, photo);
        timer.restart();
        CDrawingRenderer().renderFile(photo, photo, controller.objects(), controller.dynamicFieldData());
        rendererTimes << timer.nsecsElapsed() / 1e6;
    }
    const double editorApply = median(editorTimes);
    const double rendererApply = median(rendererTimes);
    out << "photo " << PhotoSize.width() << "x" << PhotoSize.height() << " JPEG, 50 mixed objects, median of "
        << repetitions << " runs\n";
    out << "path\tms\tbaseline\tbaseline ms\tratio\n";
    out << "apply (controller + template service)\t" << QString::number(editorApply, 'f', 1)
        << "\tCDrawingRenderer::renderFile\t" << QString::number(rendererApply, 'f', 1) << "\t"
        << QString::number(rendererApply > 0 ? editorApply / rendererApply : 0, 'f', 2) << "\n";
    out << "apply p99\t" << QString::number(p99(editorTimes), 'f', 1) << "\trenderFile p99\t"
        << QString::number(p99(rendererTimes), 'f', 1) << "\n";
    out.flush();

    // Opening the editor screen on the photo, against a bare Image of the same file.
    CUiEngine::create();
    QQmlApplicationEngine* engine = CUiEngine::instance()->qmlEngine();
    QSignalSpy created(engine, &QQmlApplicationEngine::objectCreated);
    if (engine->rootObjects().isEmpty() && !created.wait(30000))
        return 1;
    auto* window = qobject_cast<QQuickWindow*>(engine->rootObjects().value(0));
    if (!window)
        return 1;
    QVector<double> screenTimes, imageTimes;
    for (int run = 0; run < repetitions; ++run) {
        QElapsedTimer timer;
        timer.start();
        evaluate(window, QStringLiteral("ScreenManager.show('PhotoEditorScreen', { inputFileName: '%1' })").arg(master));
        const double screenMs = waitShown(window, timer, [window] {
            QQuickItem* bar = findItem(window->contentItem(), QStringLiteral("controlBar"));
            return bar && bar->isEnabled();
        });
        evaluate(window, QStringLiteral("ScreenManager.close()"));
        QCoreApplication::processEvents();

        timer.restart();
        QObject* image = evaluate(window, QStringLiteral(
            "Qt.createQmlObject('import QtQuick 2.15; Image { asynchronous: true; cache: false; source: \"%1\" }',"
            " mainWindow.contentItem)").arg(QUrl::fromLocalFile(master).toString())).value<QObject*>();
        const double imageMs = waitShown(window, timer, [image] {
            return image && image->property("status").toInt() == 1; // Image.Ready
        });
        delete image;
        if (screenMs < 0 || imageMs < 0) {
            out << "opening timed out\n";
            return 1;
        }
        screenTimes << screenMs;
        imageTimes << imageMs;
    }
    const double screenOpen = median(screenTimes);
    const double imageOpen = median(imageTimes);
    out << "open editor screen\t" << QString::number(screenOpen, 'f', 1) << "\tQML Image of the photo\t"
        << QString::number(imageOpen, 'f', 1) << "\t" << QString::number(imageOpen > 0 ? screenOpen / imageOpen : 0, 'f', 2)
        << "\n";
    out << "open editor screen p99\t" << QString::number(p99(screenTimes), 'f', 1) << "\tQML Image p99\t"
        << QString::number(p99(imageTimes), 'f', 1) << "\n";
    CUiEngine::destroy();
    return 0;
}
