// Screen tests inside the whole program: the application object as main() makes it (its
// services, UI engine and main window), with the checks queued behind the program's own
// start-up. Header only; a test includes "support/ApplicationScreenTest.h".
#pragma once

#include "startup/CApplication.h"
#include "uiengine/CUiEngine.h"

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

// Runs the checks of a TestObject in the application and ends the program after them; the
// result is what QTest::qExec returned.
template <typename TestObject>
int runInApplication(int argc, char** argv)
{
    int appArgc = 1;
    int result = 1;
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
    return result;
}

} // namespace ApplicationScreenTest
