#include "messages/CErrorMessageHelper.h"
#include "messages/TranslationHelper.h"
#include "uiengine/CUiEngine.h"

#include "CLogger.h"
#include "CTranslator.h"

#include "support/LogText.h"
#include "support/QmlWarningCollector.h"
#include "support/QuickScreenDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Tovrin::Logging::CLogger;

namespace {

// Every warning of the QML world is a fault of a QML file: collect them all.
QStringList& g_warnings = QmlWarningCollector::warnings();

const QString Sep = QString(QChar(0x2194));

} // namespace

class tst_CUiEngine : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_logFile;

    // Creates the engine, waits until its main window exists and drives that window.
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
        setWindow(window);
        return window;
    }

    QString takeLog() { return takeLogText(m_logFile); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_logFile = m_dir.filePath(QStringLiteral("test.log"));
        CLogger::setPrintToConsole(false);
        CLogger::setOutputFileName(m_logFile);

        // The program reads its translations from translation/ beside the executable; here the
        // program's folder is one of the test's own.
        const QString program = m_dir.filePath(QStringLiteral("program"));
        const QString folder = program + QStringLiteral("/translation");
        QVERIFY(QDir().mkpath(folder));
        CUiEngine::setProgramFolder(program);
        QFile file(folder + QStringLiteral("/translation.lng"));
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

        QmlWarningCollector::install();
    }

    void cleanupTestCase()
    {
        CUiEngine::destroy();
        QmlWarningCollector::uninstall();
        CUiEngine::setProgramFolder(QString());
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
        QCOMPARE(depth(), 2);
        QVERIFY(windowItem("StartScreen"));
        QVERIFY(windowItem("InitialWarningScreen"));
        QVERIFY(qgetenv("QML_DISABLE_DISK_CACHE") == "1");
        // The singleton sees this engine and the always-available update service, so the
        // update screen's controller type exists.
        QCOMPARE(evaluate(QStringLiteral("Context.uiEngine")).value<QObject*>(), CUiEngine::instance());
        QVERIFY(evaluate(QStringLiteral("Context.updateService.serviceAvailable")).toBool());
        QVERIFY(evaluate(QStringLiteral(
            "Qt.createQmlObject('import ScreenControllers 1.0; UpdateScreenController {}', mainWindow) !== null")).toBool());
        QVERIFY(evaluate(QStringLiteral(
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
        QQuickItem* ok = windowItem("initialWarningOk");
        QVERIFY(ok);
        QVERIFY(tryClick(ok));
        QTRY_COMPARE(depth(), 1);

        // The platform's own grab reads what was drawn into the window's backing store.
        const QImage image = grab();
        QVERIFY(!image.isNull());
        shoot(QStringLiteral("start-screen"));
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
        QCOMPARE(depth(), 2);
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(depth(), 1);
        QTest::keyClick(window, Qt::Key_Back);
        QCOMPARE(depth(), 1);
        QVERIFY(windowItem("StartScreen"));
    }

    void screenManagerReturnsResultToCallback()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(QStringLiteral(
            "ScreenManager.show('ItemSelectionScreen', {title: 'Pick', items: ['a', 'b', 'c'], selectedIndex: 1},"
            " function(result) { mainWindow.title = 'result ' + result })"));
        QCOMPARE(depth(), 3);
        QQuickItem* apply = windowItem("itemSelectionApply");
        QVERIFY(apply);
        QVERIFY(tryClick(apply));
        QTRY_COMPARE(window->title(), QString("result 1"));
        QCOMPARE(depth(), 2);

        QCOMPARE(evaluate(QStringLiteral("ScreenManager.show('NoSuchScreen') === null")).toBool(), true);
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY(g_warnings.first().contains("NoSuchScreen"));
        g_warnings.clear();
    }

    void everyRegisteredScreenLoadsWithoutWarnings()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        const QStringList keys = evaluate(QStringLiteral("Object.keys(ScreenManager.screens)")).toStringList();
        QVERIFY(keys.contains("InitialSetupScreen"));
        QVERIFY(keys.contains("StartUpProjectSetupScreen"));
        for (const QString& key : keys) {
            const int below = depth();
            QVERIFY2(evaluate(QStringLiteral("ScreenManager.show('%1') !== null").arg(key)).toBool(),
                     qPrintable(key));
            QCOMPARE(depth(), below + 1);
            QVERIFY(waitForFrame());
            QVERIFY2(g_warnings.isEmpty(), qPrintable(key + ": " + g_warnings.join(QLatin1Char('\n'))));
            QVERIFY(evaluate(QStringLiteral("ScreenManager.close()")).toBool());
            QCOMPARE(depth(), below);
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
        evaluate(QStringLiteral(
            "ScreenManager.show('FileSelectionScreen', {directory: '%1', nameFilters: '*.jpg'},"
            " function(result) { mainWindow.title = 'file ' + result })").arg(root.path()));
        QQuickItem* list = windowItem("fileSelectionList");
        QVERIFY(list);
        // Two folders and the one matching file.
        QCOMPARE(list->property("count").toInt(), 3);
        QQuickItem* apply = windowItem("fileSelectionApply");
        QVERIFY(!apply->isEnabled());

        QVERIFY(tryClick(windowItem("fileSelectionEntry_alpha")));
        QTRY_COMPARE(windowItem("fileSelectionPath")->property("text").toString(), root.path() + "/alpha/");
        QCOMPARE(list->property("count").toInt(), 2);
        QVERIFY(tryClick(windowItem("fileSelectionUp")));
        QTRY_COMPARE(list->property("count").toInt(), 3);

        QVERIFY(tryClick(windowItem("fileSelectionEntry_photo.jpg")));
        QTRY_VERIFY(apply->isEnabled());
        QVERIFY(tryClick(apply));
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
        evaluate(QStringLiteral(
            "ScreenManager.show('FileSelectionScreen', {directory: '%1', folderMode: true},"
            " function(result) { mainWindow.title = 'folder ' + result })").arg(root.path()));
        QVERIFY(tryClick(windowItem("fileSelectionEntry_media")));
        QTRY_COMPARE(windowItem("fileSelectionPath")->property("text").toString(), root.path() + "/media/");
        QVERIFY(tryClick(windowItem("fileSelectionApply")));
        QTRY_COMPARE(window->title(), "folder " + root.path() + "/media/");
    }

    void valueInputReturnsTypedText()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(QStringLiteral(
            "ScreenManager.show('ValueInputScreen', {title: 'Operator', value: 'Ann'},"
            " function(result) { mainWindow.title = 'value ' + result })"));
        QQuickItem* field = windowItem("valueInputField");
        QVERIFY(field);
        QTRY_VERIFY(field->hasActiveFocus());
        for (const char key : QByteArray("e K."))
            QTest::keyClick(window, key);
        QCOMPARE(field->property("text").toString(), QString("Anne K."));
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_COMPARE(window->title(), QString("value Anne K."));
        // Left by the close button, the callback gets no value.
        evaluate(QStringLiteral(
            "ScreenManager.show('ValueInputScreen', {value: 'x'}, function(result) {"
            " mainWindow.title = 'closed ' + (result === undefined) })"));
        QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(window->title(), QString("closed true"));
    }

    void initialSetupGoesFromLanguageToMode()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(QStringLiteral("ScreenManager.show('InitialSetupScreen')"));
        QQuickItem* screen = windowItem("InitialSetupScreen");
        QVERIFY(screen);
        QQuickItem* list = windowItem("initialSetupLanguageList");
        QVERIFY(list);
        QCOMPARE(list->property("count").toInt(), 15);
        shoot(QStringLiteral("initial-setup"));
        QQuickItem* next = windowItem("initialSetupLanguageNext");
        // No language chosen yet (no settings here): nothing to confirm.
        QVERIFY(!next->isEnabled());
        list->setProperty("selectedIndex", 4);
        QVERIFY(next->isEnabled());
        QVERIFY(tryClick(next));
        QTRY_VERIFY(screen->property("modeStep").toBool());
        QVERIFY(screen->property("simpleMode").toBool());
        // Leaving the mode step goes back to the language step, not out of the program.
        QMetaObject::invokeMethod(screen, "back");
        QVERIFY(!screen->property("modeStep").toBool());
        QCOMPARE(depth(), 3);
    }

    void questionReportsAnswerAndRemember()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        evaluate(QStringLiteral(
            "MessageBox.question('Title', 'Delete?', function(yes, remember) {"
            " mainWindow.title = 'answer ' + yes + ' ' + remember }, true)"));
        QQuickItem* remember = windowItem("messageBoxRemember");
        QVERIFY(remember);
        QTRY_VERIFY(remember->isVisible());
        QVERIFY(tryClick(remember));
        QTRY_VERIFY(remember->property("checked").toBool());
        QVERIFY(tryClick(windowItem("messageBoxYes")));
        QTRY_COMPARE(window->title(), QString("answer true true"));
        QVERIFY(!windowItem("messageBoxView")->isVisible());
    }

    void applicationErrorsShowMessageBox()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        CUiEngine::instance()->onCommunicationErrorOccurred(
            Ulx::CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
        QQuickItem* text = windowItem("messageBoxText");
        QVERIFY(text);
        QTRY_VERIFY(windowItem("messageBoxView")->isVisible());
        QVERIFY(text->property("text").toString().endsWith("Error Code: 0x20001"));
        // A second message waits until the first one is answered.
        CUiEngine::instance()->onApplicationErrorOccurred(ApplicationTypes::MissingPermissionsError);
        QVERIFY(text->property("text").toString().endsWith("0x20001"));
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_VERIFY(text->property("text").toString().endsWith("Error Code: 0xA0001"));
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_VERIFY(!windowItem("messageBoxView")->isVisible());
    }

    // A closing screen takes its waiting messages along: the one on view stays to be read, but
    // neither its answer nor the screen's next message reaches the screen below. An answer that
    // throws holds no later message back.
    void messagesGoWithTheirScreenAndAThrowingAnswerHoldsNoneBack()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QQuickItem* text = windowItem("messageBoxText");
        QVERIFY(text);
        window->setTitle(QString());
        const int below = depth();
        QVERIFY(evaluate(QStringLiteral("ScreenManager.show('ValueInputScreen', {value: 'x'})")).isValid());
        QCOMPARE(depth(), below + 1);
        for (const char* name : {"first", "second"})
            evaluate(QStringLiteral("MessageBox.error('', 'The screen\\'s %1', function() { mainWindow.title += ' %1' },"
                                    " ScreenManager.currentScreen)")
                         .arg(QLatin1String(name)));
        QTRY_COMPARE(text->property("text").toString(), QStringLiteral("The screen's first"));
        evaluate(QStringLiteral("ScreenManager.close()"));
        QCOMPARE(depth(), below);
        evaluate(QStringLiteral("MessageBox.error('', 'Of no screen', function() { mainWindow.title += ' none' })"));
        QCOMPARE(text->property("text").toString(), QStringLiteral("The screen's first"));
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_COMPARE(text->property("text").toString(), QStringLiteral("Of no screen"));
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_VERIFY(!windowItem("messageBoxView")->isVisible());
        QCOMPARE(window->title(), QStringLiteral(" none"));

        evaluate(QStringLiteral("MessageBox.error('', 'Throws', function() { throw new Error('the answer threw') })"));
        evaluate(QStringLiteral("MessageBox.error('', 'After the throw')"));
        QTRY_COMPARE(text->property("text").toString(), QStringLiteral("Throws"));
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_COMPARE(text->property("text").toString(), QStringLiteral("After the throw"));
        QVERIFY(windowItem("messageBoxView")->isVisible());
        QVERIFY(tryClick(windowItem("messageBoxOk")));
        QTRY_VERIFY(!windowItem("messageBoxView")->isVisible());
        // The throw itself is reported, as any error of a script.
        QCOMPARE(g_warnings.size(), 1);
        QVERIFY2(g_warnings.first().contains(QStringLiteral("the answer threw")), qPrintable(g_warnings.first()));
        g_warnings.clear();
    }

    void languageChangeRetranslatesOpenScreen()
    {
        QQuickWindow* window = startEngine();
        QVERIFY(window);
        QQuickItem* headline = windowItem("startScreenHeadline");
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
        QCOMPARE(evaluate(QStringLiteral("translationEngine.txt('Ctx', 'Key', 'Saved photo to: {0}', ['a.jpg'])"))
                     .toString(),
                 QString("Saved photo to: a.jpg"));
        QCOMPARE(evaluate(QStringLiteral("translationEngine.msg('Ctx', 'Key', '{0} of {1}', [12345, 'x'])"))
                     .toString(),
                 QString("12,345 of x"));
        QCOMPARE(evaluate(QStringLiteral("translationEngine.txt('Ctx', 'Key', 'Saved photo to: {0}')")).toString(),
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
