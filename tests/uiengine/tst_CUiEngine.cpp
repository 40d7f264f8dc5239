#include "uiengine/CErrorMessageHelper.h"
#include "uiengine/CUiEngine.h"
#include "uiengine/TranslationHelper.h"

#include "CLogger.h"
#include "CTranslator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Tovrin::Logging::CLogger;

namespace {

QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

// Every warning of the QML world is a fault of a QML file: collect them all.
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        g_warnings.append(message);
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

const QString Sep = QString(QChar(0x2194));

} // namespace

class tst_CUiEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_logFile;
    QString m_translationFile;

    // Creates the engine and waits until its main window exists.
    QQuickWindow* startEngine()
    {
        CUiEngine::create();
        CUiEngine* engine = CUiEngine::instance();
        if (!engine)
            return nullptr;
        QSignalSpy created(engine->qmlEngine(), &QQmlApplicationEngine::objectCreated);
        if (!created.wait(20000))
            return nullptr;
        if (engine->qmlEngine()->rootObjects().isEmpty())
            return nullptr;
        auto* window = qobject_cast<QQuickWindow*>(engine->qmlEngine()->rootObjects().first());
        if (window && !window->isExposed())
            static_cast<void>(QTest::qWaitForWindowExposed(window, 20000));
        if (window && !window->isActive()) {
            window->requestActivate();
            static_cast<void>(QTest::qWaitForWindowActive(window, 20000));
        }
        return window;
    }

    // Searches the visual tree: screens hang below the page stack, not among QObject children.
    static QQuickItem* findVisualItem(QQuickItem* item, const QString& name)
    {
        if (!item)
            return nullptr;
        if (item->objectName() == name)
            return item;
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (QQuickItem* found = findVisualItem(child, name))
                return found;
        }
        return nullptr;
    }

    static QQuickItem* findItem(QQuickWindow* window, const QString& name)
    {
        return window ? findVisualItem(window->contentItem(), name) : nullptr;
    }

    static QVariant evaluate(QQuickWindow* window, const QString& script)
    {
        QQmlExpression expression(qmlContext(window), window, script);
        const QVariant result = expression.evaluate();
        if (expression.hasError())
            qWarning() << expression.error().toString();
        return result;
    }

    // Layouts settle when a frame is drawn: have one drawn before looking at positions.
    static bool waitForFrame(QQuickWindow* window)
    {
        QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
        window->update();
        return swapped.wait(10000);
    }

    static void click(QQuickWindow* window, QQuickItem* item)
    {
        QVERIFY(item);
        QVERIFY(waitForFrame(window));
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

    static int stackDepth(QQuickWindow* window)
    {
        return evaluate(window, QStringLiteral("ScreenManager.depth")).toInt();
    }

    QString takeLog()
    {
        QFile file(m_logFile);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        QByteArray bytes = file.readAll();
        CLogger::clearLogFile();
        if (bytes.startsWith("\xFF\xFE"))
            bytes.remove(0, 2);
        return QString::fromUtf16(reinterpret_cast<const ushort*>(bytes.constData()), bytes.size() / 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_logFile = m_dir.filePath(QStringLiteral("test.log"));
        CLogger::setPrintToConsole(false);
        CLogger::setOutputFileName(m_logFile);

        // The program reads its translations from translation/ beside the executable.
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translation");
        QVERIFY(QDir().mkpath(folder));
        m_translationFile = folder + QStringLiteral("/translation.lng");
        QFile file(m_translationFile);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QString context = QStringLiteral("Ombrastella.Zephira.App.StartScreen");
        const QStringList lines = {
            QStringList({"Keys", "ENG_USA", "DEU_D"}).join(Sep),
            QStringList({context + ".Txt.TxtHeadline", "", "Startbildschirm"}).join(Sep),
            QStringList({"Ombrastella.Zephira.App.TranslationHelper.Msg.ErrorCode", "", "\\n\\nFehlercode: 0x"}).join(Sep),
        };
        file.write("\xEF\xBB\xBF");
        file.write(lines.join(QStringLiteral("\r\n")).toUtf8());
        file.close();

        g_previousHandler = qInstallMessageHandler(collectWarnings);
    }

    void cleanupTestCase()
    {
        CUiEngine::destroy();
        qInstallMessageHandler(g_previousHandler);
        QFile::remove(m_translationFile);
    }

    void init()
    {
        g_warnings.clear();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        qunsetenv("CX_DEBUG_QRC");
        CUiEngine::setMainQmlUrl(QUrl(QStringLiteral("qrc:///ui/qml/main.qml")));
    }

    void cleanup()
    {
        CUiEngine::destroy();
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));
    }

    void mainQmlLoadsWithoutWarnings()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QCOMPARE(window->objectName(), QString("mainWindow"));
        QCOMPARE(window->color(), QColor(Qt::black));
        // Start screen below, the initial warning on top; no settings means no fresh start.
        QCOMPARE(stackDepth(window), 2);
        QVERIFY(findItem(window, "StartScreen"));
        QVERIFY(findItem(window, "InitialWarningScreen"));
        QVERIFY(qgetenv("QML_DISABLE_DISK_CACHE") == "1");
        // The singleton sees this engine and the always-available update service, so the
        // update screen's controller type exists.
        QCOMPARE(evaluate(window, QStringLiteral("Context.uiEngine")).value<QObject*>(), CUiEngine::instance());
        QVERIFY(evaluate(window, QStringLiteral("Context.updateService.serviceAvailable")).toBool());
        QVERIFY(evaluate(window, QStringLiteral(
            "Qt.createQmlObject('import ScreenControllers 1.0; UpdateScreenController {}', mainWindow) !== null")).toBool());
        QVERIFY(evaluate(window, QStringLiteral(
            "Qt.createQmlObject('import Culvertix.Drawing 1.0; import Communication 1.0; import QtQml 2.15;"
            " QtObject { property int offline: CommunicationTypes.ConnectionOffline }', mainWindow).offline === 0")).toBool());
        // Closing the window from outside is refused.
        window->close();
        QVERIFY(window->isVisible());
    }

    void startScreenIsDrawn()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QQuickItem* ok = findItem(window, "initialWarningOk");
        QVERIFY(ok);
        click(window, ok);
        QTRY_COMPARE(stackDepth(window), 1);

        QVERIFY(waitForFrame(window));
        // The platform's own grab reads what was drawn into the window's backing store.
        const QImage image = window->screen()->grabWindow(window->winId()).toImage();
        QVERIFY(!image.isNull());
        // Kept beside the test binary for a look by eye.
        image.save(QStringLiteral(CX_TEST_BINARY_DIR "/start-screen.png"));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 4) {
            for (int x = 0; x < image.width(); x += 4)
                colours.insert(image.pixel(x, y));
        }
        // Background, title bar, accent and anti-aliased text make many colours; a blank or
        // black window makes one.
        QVERIFY2(colours.size() > 10, qPrintable(QString::number(colours.size())));
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() - 2), QColor("#1b1f24"));
    }

    void backKeyClosesTopScreenOnly()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QCOMPARE(stackDepth(window), 2);
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(stackDepth(window), 1);
        QTest::keyClick(window, Qt::Key_Back);
        QCOMPARE(stackDepth(window), 1);
        QVERIFY(findItem(window, "StartScreen"));
    }

    void screenManagerReturnsResultToCallback()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral(
            "ScreenManager.show('ItemSelectionScreen', {title: 'Pick', items: ['a', 'b', 'c'], selectedIndex: 1},"
            " function(result) { mainWindow.title = 'result ' + result })"));
        QCOMPARE(stackDepth(window), 3);
        QQuickItem* apply = findItem(window, "itemSelectionApply");
        QVERIFY(apply);
        click(window, apply);
        QTRY_COMPARE(window->title(), QString("result 1"));
        QCOMPARE(stackDepth(window), 2);

        QCOMPARE(evaluate(window, QStringLiteral("ScreenManager.show('NoSuchScreen') === null")).toBool(), true);
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings.first().contains("NoSuchScreen"));
        g_warnings.clear();
    }

    void everyRegisteredScreenLoadsWithoutWarnings()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        const QStringList keys = evaluate(window, QStringLiteral("Object.keys(ScreenManager.screens)")).toStringList();
        QVERIFY(keys.contains("InitialSetupScreen"));
        QVERIFY(keys.contains("StartUpProjectSetupScreen"));
        for (const QString& key : keys) {
            const int depth = stackDepth(window);
            QVERIFY2(evaluate(window, QStringLiteral("ScreenManager.show('%1') !== null").arg(key)).toBool(),
                     qPrintable(key));
            QCOMPARE(stackDepth(window), depth + 1);
            QVERIFY(waitForFrame(window));
            QVERIFY2(g_warnings.isEmpty(), qPrintable(key + ": " + g_warnings.join(QLatin1Char('\n'))));
            QVERIFY(evaluate(window, QStringLiteral("ScreenManager.close()")).toBool());
            QCOMPARE(stackDepth(window), depth);
        }
    }

    void fileSelectionWalksFoldersAndReturnsFile()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath("alpha/inner"));
        QVERIFY(QDir(root.path()).mkpath("beta"));
        for (const char* name : {"photo.jpg", "notes.txt", "alpha/deep.jpg"}) {
            QFile file(root.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral(
            "ScreenManager.show('FileSelectionScreen', {directory: '%1', nameFilters: '*.jpg'},"
            " function(result) { mainWindow.title = 'file ' + result })").arg(root.path()));
        QQuickItem* list = findItem(window, "fileSelectionList");
        QVERIFY(list);
        // Two folders and the one matching file.
        QCOMPARE(list->property("count").toInt(), 3);
        QQuickItem* apply = findItem(window, "fileSelectionApply");
        QVERIFY(!apply->isEnabled());

        click(window, findItem(window, "fileSelectionEntry_alpha"));
        QTRY_COMPARE(findItem(window, "fileSelectionPath")->property("text").toString(), root.path() + "/alpha/");
        QCOMPARE(list->property("count").toInt(), 2);
        click(window, findItem(window, "fileSelectionUp"));
        QTRY_COMPARE(list->property("count").toInt(), 3);

        click(window, findItem(window, "fileSelectionEntry_photo.jpg"));
        QTRY_VERIFY(apply->isEnabled());
        click(window, apply);
        QTRY_COMPARE(window->title(), "file " + root.path() + "/photo.jpg");
    }

    void folderSelectionReturnsFolder()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath("media"));
        QFile file(root.filePath("loose.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral(
            "ScreenManager.show('FileSelectionScreen', {directory: '%1', folderMode: true},"
            " function(result) { mainWindow.title = 'folder ' + result })").arg(root.path()));
        click(window, findItem(window, "fileSelectionEntry_media"));
        QTRY_COMPARE(findItem(window, "fileSelectionPath")->property("text").toString(), root.path() + "/media/");
        click(window, findItem(window, "fileSelectionApply"));
        QTRY_COMPARE(window->title(), "folder " + root.path() + "/media/");
    }

    void valueInputReturnsTypedText()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral(
            "ScreenManager.show('ValueInputScreen', {title: 'Operator', value: 'Ann'},"
            " function(result) { mainWindow.title = 'value ' + result })"));
        QQuickItem* field = findItem(window, "valueInputField");
        QVERIFY(field);
        QTRY_VERIFY(field->hasActiveFocus());
        for (const char key : QByteArray("e K."))
            QTest::keyClick(window, key);
        QCOMPARE(field->property("text").toString(), QString("Anne K."));
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_COMPARE(window->title(), QString("value Anne K."));
        // Left by the close button, the callback gets no value.
        evaluate(window, QStringLiteral(
            "ScreenManager.show('ValueInputScreen', {value: 'x'}, function(result) {"
            " mainWindow.title = 'closed ' + (result === undefined) })"));
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(window->title(), QString("closed true"));
    }

    void initialSetupGoesFromLanguageToMode()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral("ScreenManager.show('InitialSetupScreen')"));
        QQuickItem* screen = findItem(window, "InitialSetupScreen");
        QVERIFY(screen);
        QQuickItem* list = findItem(window, "initialSetupLanguageList");
        QVERIFY(list);
        QCOMPARE(list->property("count").toInt(), 15);
        QVERIFY(waitForFrame(window));
        window->screen()->grabWindow(window->winId()).save(QStringLiteral(CX_TEST_BINARY_DIR "/initial-setup.png"));
        QQuickItem* next = findItem(window, "initialSetupLanguageNext");
        // No language chosen yet (no settings here): nothing to confirm.
        QVERIFY(!next->isEnabled());
        list->setProperty("selectedIndex", 4);
        QVERIFY(next->isEnabled());
        click(window, next);
        QTRY_VERIFY(screen->property("modeStep").toBool());
        QVERIFY(screen->property("simpleMode").toBool());
        // Leaving the mode step goes back to the language step, not out of the program.
        QMetaObject::invokeMethod(screen, "back");
        QVERIFY(!screen->property("modeStep").toBool());
        QCOMPARE(stackDepth(window), 3);
    }

    void questionReportsAnswerAndRemember()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(window, QStringLiteral(
            "MessageBox.question('Title', 'Delete?', function(yes, remember) {"
            " mainWindow.title = 'answer ' + yes + ' ' + remember }, true)"));
        QQuickItem* remember = findItem(window, "messageBoxRemember");
        QVERIFY(remember);
        QTRY_VERIFY(remember->isVisible());
        click(window, remember);
        QTRY_VERIFY(remember->property("checked").toBool());
        click(window, findItem(window, "messageBoxYes"));
        QTRY_COMPARE(window->title(), QString("answer true true"));
        QVERIFY(!findItem(window, "messageBoxView")->isVisible());
    }

    void applicationErrorsShowMessageBox()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        CUiEngine::instance()->onCommunicationErrorOccurred(
            Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
        QQuickItem* text = findItem(window, "messageBoxText");
        QVERIFY(text);
        QTRY_VERIFY(findItem(window, "messageBoxView")->isVisible());
        QVERIFY(text->property("text").toString().endsWith("Error Code: 0x20001"));
        // A second message waits until the first one is answered.
        CUiEngine::instance()->onApplicationErrorOccurred(ApplicationTypes::MissingPermissionsError);
        QVERIFY(text->property("text").toString().endsWith("0x20001"));
        click(window, findItem(window, "messageBoxOk"));
        QTRY_VERIFY(text->property("text").toString().endsWith("Error Code: 0xA0001"));
        click(window, findItem(window, "messageBoxOk"));
        QTRY_VERIFY(!findItem(window, "messageBoxView")->isVisible());
    }

    void languageChangeRetranslatesOpenScreen()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QQuickItem* headline = findItem(window, "startScreenHeadline");
        QVERIFY(headline);
        QCOMPARE(headline->property("text").toString(), QString("Start screen"));

        CUiEngine::instance()->applyLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(headline->property("text").toString(), QString("Startbildschirm"));
        QCOMPARE(CUiEngine::instance()->translator()->currentLanguage(), QString("DEU_D"));
        QVERIFY(TranslationHelper::communicationErrorMessage(
                    Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed)
                    .endsWith("\n\nFehlercode: 0x20001"));

        CUiEngine::instance()->applyLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(headline->property("text").toString(), QString("Start screen"));
    }

    void parametersFromQml()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QCOMPARE(evaluate(window, QStringLiteral("translationEngine.txt('Ctx', 'Key', 'Saved photo to: {0}', ['a.jpg'])"))
                     .toString(),
                 QString("Saved photo to: a.jpg"));
        QCOMPARE(evaluate(window, QStringLiteral("translationEngine.msg('Ctx', 'Key', '{0} of {1}', [12345, 'x'])"))
                     .toString(),
                 QString("12,345 of x"));
        QCOMPARE(evaluate(window, QStringLiteral("translationEngine.txt('Ctx', 'Key', 'Saved photo to: {0}')")).toString(),
                 QString("Saved photo to: {0}"));
    }

    void teardownFallsBackToEnglish()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        CUiEngine::instance()->applyLocale(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(TranslationHelper::communicationErrorMessage(
                    Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed)
                    .contains("Fehlercode"));
        CUiEngine::destroy();
        QCOMPARE(CUiEngine::instance(), nullptr);
        QCOMPARE(CErrorMessageHelper::translator(), nullptr);
        QVERIFY(TranslationHelper::communicationErrorMessage(
                    Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed)
                    .endsWith("\n\nError Code: 0x20001"));
        QCOMPARE(TranslationHelper::surveyText(4), QString("Downstream"));
    }

    void debugQrcListsResources_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("listed");
        QTest::newRow("TRUE") << QByteArray("TRUE") << true;
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("1") << QByteArray("1") << false;
        QTest::newRow("yes") << QByteArray("yes") << false;
    }

    void debugQrcListsResources()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, listed);
        takeLog();
        qputenv("CX_DEBUG_QRC", value);
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        const QString log = takeLog();
        QCOMPARE(log.contains(":/ui/qml/main.qml"), listed);
        QCOMPARE(log.contains(":/ui/qml/utils/ScreenManager.qml"), listed);
        // The window still comes from the built-in resources.
        QCOMPARE(CUiEngine::mainQmlUrl(), QUrl("qrc:///ui/qml/main.qml"));
    }

    void brokenMainQmlEndsWithError()
    {
        const QString broken = m_dir.filePath(QStringLiteral("broken.qml"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("import QtQuick 2.15\nItem { this is not QML }\n");
        file.close();
        CUiEngine::setMainQmlUrl(QUrl::fromLocalFile(broken));
        takeLog();

        CUiEngine::create();
        QSignalSpy failed(CUiEngine::instance(), &CUiEngine::mainQmlLoadFailed);
        // Guard only: the engine ends the loop itself as soon as loading has failed.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(30000);
        const int exitCode = QCoreApplication::exec();
        QCOMPARE(exitCode, CUiEngine::ExitCodeMainQmlFailed);
        QCOMPARE(failed.count(), 1);
        QVERIFY(takeLog().contains("Failed to load the main QML file"));
        // The engine reports the broken file as a QML warning; that one is expected here.
        g_warnings.clear();
    }
};

QTEST_MAIN(tst_CUiEngine)
#include "tst_CUiEngine.moc"
