// Drives the program's QML screens from a Qt Test: looks items up by object name (the screen on
// top first), evaluates expressions in the window's context, waits for drawn frames, clicks and
// saves screenshots. Header only; a test includes "support/QuickScreenDriver.h".
//
// The driver does not own the window; the window belongs to the UI engine (or the test) that
// made it, and must outlive every call.
#pragma once

#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

class QuickScreenDriver
{
public:
    // Which items a look-up sees: every item, or only those drawn (hidden items, and every item
    // below a hidden one, are passed over).
    enum class Lookup { AnyItem, VisibleItems };

    explicit QuickScreenDriver(Lookup lookup = Lookup::AnyItem) : m_lookup(lookup) {}

    void setWindow(QQuickWindow* window) { m_window = window; }
    QQuickWindow* window() const { return m_window; }

    // Searches the visual tree: screens hang below the page stack, not among QObject children.
    static QQuickItem* findVisualItem(QQuickItem* item, const QString& name, Lookup lookup = Lookup::AnyItem)
    {
        if (!item || (lookup == Lookup::VisibleItems && !item->isVisible()))
            return nullptr;
        if (item->objectName() == name)
            return item;
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (QQuickItem* found = findVisualItem(child, name, lookup))
                return found;
        }
        return nullptr;
    }

    // Evaluates a script in the main window's QML context; errors are logged, the result is
    // then invalid.
    QVariant evaluate(const QString& script) const
    {
        if (!m_window)
            return QVariant();
        QQmlExpression expression(qmlContext(m_window), m_window, script);
        const QVariant result = expression.evaluate();
        if (expression.hasError())
            qWarning() << "script error:" << expression.error().toString();
        return result;
    }

    QQuickItem* topScreen() const { return evaluate(QStringLiteral("ScreenManager.currentScreen")).value<QQuickItem*>(); }
    QString topScreenName() const
    {
        QQuickItem* screen = topScreen();
        return screen ? screen->objectName() : QString();
    }
    int depth() const { return evaluate(QStringLiteral("ScreenManager.depth")).toInt(); }

    // Closes screens until only the start screen is left (bounded: a screen that refuses to go
    // ends the loop).
    void closeToStartScreen() const
    {
        for (int previous = -1; depth() > 1 && depth() != previous;) {
            previous = depth();
            evaluate(QStringLiteral("ScreenManager.close()"));
        }
    }

    // The item of that name anywhere in the window.
    QQuickItem* windowItem(const QString& name) const
    {
        return m_window ? findVisualItem(m_window->contentItem(), name, m_lookup) : nullptr;
    }

    // The item of that name on the screen on top only.
    QQuickItem* topScreenItem(const QString& name) const { return findVisualItem(topScreen(), name, m_lookup); }

    // The item of that name, looked for on the screen on top first, so that a name used on
    // several screens finds the one the operator sees; then anywhere in the window (message
    // boxes and menus are not on a screen).
    QQuickItem* item(const QString& name) const
    {
        if (QQuickItem* found = topScreenItem(name))
            return found;
        return windowItem(name);
    }

    QString text(const QString& name) const
    {
        QQuickItem* target = item(name);
        return target ? target->property("text").toString() : QString();
    }

    // Layouts settle when a frame is drawn: have one drawn before looking at positions.
    bool waitForFrame(int timeoutMs = 10000) const
    {
        if (!m_window)
            return false;
        QSignalSpy swapped(m_window.data(), &QQuickWindow::frameSwapped);
        m_window->update();
        return swapped.wait(timeoutMs);
    }

    // The centre of the item in window coordinates.
    static QPoint centreOf(QQuickItem* target)
    {
        return target ? target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint() : QPoint();
    }

    // Clicks the centre of a shown and enabled item once a frame has been drawn; false when
    // there is nothing to click. Press and release go straight to the window and nothing else
    // runs in between or after, so the test sees the state the click left.
    bool tryClick(QQuickItem* target) const
    {
        if (!target || !target->isVisible() || !target->isEnabled() || !waitForFrame())
            return false;
        sendClick(centreOf(target));
        return true;
    }

    // The item is looked up once a frame has been drawn, so that views have made their rows.
    bool tryClick(const QString& name) const
    {
        if (QTest::currentTestFailed() || !waitForFrame())
            return false;
        QQuickItem* target = item(name);
        if (!target)
            qWarning() << "no item" << name;
        return tryClick(target);
    }

    // Clicks a point of the item given as fractions of its size (0.5, 0.5 is the centre), as a
    // tap beside a panel does; fails the running test when no frame was drawn.
    void clickAt(QQuickItem* target, qreal fx, qreal fy) const
    {
        QVERIFY2(target, "no item to click");
        QVERIFY2(waitForFrame(), "no frame drawn before clicking");
        sendClick(target->mapToScene(QPointF(target->width() * fx, target->height() * fy)));
    }

    // As tryClick(), failing the running test with the reason.
    void click(const QString& name) const
    {
        // After a failed step the screens are not where the next step expects them.
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(waitForFrame(), qPrintable(QStringLiteral("no frame drawn before clicking %1").arg(name)));
        QQuickItem* target = item(name);
        QVERIFY2(target, qPrintable(QStringLiteral("no item %1").arg(name)));
        QVERIFY2(target->isVisible() && target->isEnabled(), qPrintable(QStringLiteral("%1 is hidden or disabled").arg(name)));
        sendClick(centreOf(target));
    }

    // The message box of the main window.
    bool messageOpen() const
    {
        QQuickItem* box = item(QStringLiteral("messageBoxView"));
        return box && box->property("opened").toBool();
    }
    QString messageText() const { return text(QStringLiteral("messageBoxText")); }

    // Waits (bounded) for the message box and answers it as its Yes (or OK) or No button would.
    void answerMessage(bool yes = true, int timeoutMs = 60000) const
    {
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), timeoutMs);
        evaluate(QStringLiteral("messageBoxView.answer(%1)").arg(yes ? QStringLiteral("true") : QStringLiteral("false")));
    }

    // Waits (bounded) for the message box and answers it as answerMessage() does, for a test
    // that compares what it said: its text, or "<no message>" when none opened in time.
    QString answerMessageText(bool yes = true, int timeoutMs = 60000) const
    {
        if (QTest::currentTestFailed()
            || !QTest::qWaitFor([this] { return evaluate(QStringLiteral("MessageBox.isOpen")).toBool(); }, timeoutMs))
            return QStringLiteral("<no message>");
        const QString text = evaluate(QStringLiteral("messageBoxView.message.text")).toString();
        evaluate(QStringLiteral("messageBoxView.answer(%1)").arg(yes ? QStringLiteral("true") : QStringLiteral("false")));
        return text;
    }

    // What the platform shows of the window, once a frame has been drawn; null when nothing
    // was drawn.
    QImage grab() const
    {
        if (!waitForFrame())
            return QImage();
        return m_window->screen()->grabWindow(m_window->winId()).toImage();
    }

    // Saves the window as <folder>/<name>.png once the layout has settled: rendered whole where
    // the scene graph can render it into an image, else as far as the platform shows it.
    bool saveShot(const QString& folder, const QString& name) const
    {
        if (!waitForFrame())
            return false;
        QImage image = m_window->grabWindow();
        if (image.isNull())
            image = grab();
        return !image.isNull() && QDir().mkpath(folder)
               && image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    // Screenshots for a look by eye go to CX_SHOTS_DIR; without it none are taken.
    static QString shotsFolder() { return qEnvironmentVariable("CX_SHOTS_DIR"); }

    // The window size for those screenshots: CX_WINDOW_SIZE ("1920x1200"), else the fallback.
    static QSize shotsWindowSize(const QSize& fallback)
    {
        const QStringList parts = qEnvironmentVariable("CX_WINDOW_SIZE").split(QLatin1Char('x'));
        const QSize size(parts.value(0).toInt(), parts.value(1).toInt());
        return size.isValid() && !size.isEmpty() ? size : fallback;
    }

    void shoot(const QString& name) const
    {
        const QString folder = shotsFolder();
        if (folder.isEmpty())
            return;
        QVERIFY2(saveShot(folder, name), qPrintable(QStringLiteral("screenshot %1 not saved").arg(name)));
    }

private:
    void sendClick(const QPointF& centre) const
    {
        const QPointF global = m_window->mapToGlobal(centre.toPoint());
        QMouseEvent press(QEvent::MouseButtonPress, centre, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_window, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, centre, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(m_window, &release);
    }

    QPointer<QQuickWindow> m_window;
    Lookup m_lookup = Lookup::AnyItem;
};
