#pragma once

// What the whole-application web screen tests share: a port for the simulator fixed before
// the application creates its web client, and access to the main window's QML.

#include <QDir>
#include <QImage>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace WebScreenTest {

// A port of 127.0.0.1 that is free now.
inline int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// The web client takes its address when the application creates it: the simulator's port is
// chosen before, and the simulator is started on it once the application runs.
inline int pointWebClientAtFreePort()
{
    const int port = freePort();
    qputenv("CX_WEB_ROOT_URL", QStringLiteral("http://127.0.0.1:%1/").arg(port).toLatin1());
    return port;
}

inline QVariant evaluate(QQuickWindow* window, const QString& script)
{
    QQmlExpression expression(qmlContext(window), window, script);
    const QVariant result = expression.evaluate();
    if (expression.hasError())
        qWarning() << expression.error().toString();
    return result;
}

inline bool waitForFrame(QQuickWindow* window)
{
    QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
    window->update();
    return swapped.wait(10000);
}

// The window size of the screen tests: 1280 x 800, or CX_WINDOW_SIZE ("1920x1200").
inline QSize windowSize()
{
    const QStringList parts = qEnvironmentVariable("CX_WINDOW_SIZE").split(QLatin1Char('x'));
    const QSize size(parts.value(0).toInt(), parts.value(1).toInt());
    return size.isValid() && !size.isEmpty() ? size : QSize(1280, 800);
}

// With CX_SHOTS_DIR set, the window goes there as name.png.
inline void shot(QQuickWindow* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("CX_SHOTS_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    if (!waitForFrame(window) || !window->grabWindow().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")))
        qWarning() << "screenshot not saved:" << name;
}

// Answers the message box once it is open; its text, or "<no message>".
inline QString answerMessage(QQuickWindow* window, bool yes = true, int waitMs = 60000)
{
    if (!QTest::qWaitFor([window]() { return evaluate(window, QStringLiteral("MessageBox.isOpen")).toBool(); }, waitMs))
        return QStringLiteral("<no message>");
    const QString text = evaluate(window, QStringLiteral("messageBoxView.message.text")).toString();
    evaluate(window, QStringLiteral("messageBoxView.answer(%1)").arg(yes ? "true" : "false"));
    return text;
}

inline QObject* currentScreen(QQuickWindow* window)
{
    return evaluate(window, QStringLiteral("ScreenManager.currentScreen")).value<QObject*>();
}

} // namespace WebScreenTest
