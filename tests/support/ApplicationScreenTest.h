// Screen tests inside the whole program: the application object as main() makes it (its
// services, UI engine and main window), with the checks queued behind the program's own
// start-up. The checks install the QML warning guard (QmlWarningGuard.h); a QML message at the
// program's start or end, outside the checks, fails the program too. Header only; a test
// includes "support/ApplicationScreenTest.h".
#pragma once

#include "startup/CApplication.h"
#include "uiengine/CUiEngine.h"

#include "support/QmlWarningGuard.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QtTest>

namespace ApplicationScreenTest {

// The program's main window once the UI engine has loaded and shown it; null when that did
// not happen within the time.
inline QQuickWindow* waitForMainWindow(int timeoutMs)
{
    const auto loaded = [] {
        return CUiEngine::instance() && !CUiEngine::instance()->qmlEngine()->rootObjects().isEmpty();
    };
    if (!QTest::qWaitFor(loaded, timeoutMs))
        return nullptr;
    auto* window = qobject_cast<QQuickWindow*>(CUiEngine::instance()->qmlEngine()->rootObjects().first());
    return window && QTest::qWaitForWindowExposed(window, timeoutMs) ? window : nullptr;
}

// The program's result once QML messages outside the checks are counted: what the checks
// gave, or a failure naming those messages. Pairs with QmlWarningGuard::watchOutsideTests().
inline int withQmlMessagesOutsideTheChecks(int result, bool checksRan)
{
    const QStringList found = QmlWarningGuard::stopWatchingOutsideTests();
    if (checksRan && !QmlWarningGuard::wasInstalled()) {
        std::fprintf(stdout, "FAIL!  : the checks did not install the QML warning guard\n");
        return 1;
    }
    if (found.isEmpty())
        return result;
    std::fprintf(stdout, "FAIL!  : unexpected QML messages outside the checks:\n%s\n",
                 qPrintable(found.join(QLatin1Char('\n'))));
    return 1;
}

// Whether the arguments only ask QTest for the names of the checks.
inline bool listsOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-functions") == 0 || qstrcmp(argv[i], "-datatags") == 0 || qstrcmp(argv[i], "-help") == 0)
            return true;
    }
    return false;
}

// Runs the checks of a TestObject in the application and ends the program after them; the
// result is what QTest::qExec returned, or a failure for QML messages outside the checks.
template <typename TestObject>
int runInApplication(int argc, char** argv)
{
    int appArgc = 1;
    int result = 1;
    QmlWarningGuard::watchOutsideTests();
    {
        CApplication app(appArgc, argv);
        TestObject checks;
        // Queued behind the application's own start-up, so every service exists by then.
        QTimer::singleShot(0, &app, [&] {
            result = QTest::qExec(&checks, argc, argv);
            app.terminate(false);
        });
        CApplication::exec();
    }
    return withQmlMessagesOutsideTheChecks(result, !listsOnly(argc, argv));
}

} // namespace ApplicationScreenTest
