#pragma once

// A QML warning or error is a fault of a QML file: a test that loads QML fails on every one it
// did not ask for. install() in initTestCase (on top of QTest's own message handler, which it
// passes every message on to) fails the running test function on an unexpected QML message
// from the GUI thread at once, with the QML file and line; one from another thread, or between
// functions, fails the next cleanup(). expect() asks for one through QTest::ignoreMessage, so
// QTest swallows it and fails the function when it does not come.
//
// A screen test also ends after its first failed function: every later function is skipped
// (init() calls skipAfterAFailure(), cleanup() calls checkFunction()), so that a box or screen a
// failure left open does not hold the rest of the program until CTest's time-out.
//
// Outside QTest (a program's start-up and end, see ApplicationScreenTest.h) watchOutsideTests()
// collects the unexpected QML messages for the program to fail on. Header only.

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <functional>

class QmlWarningGuard
{
public:
    // Messages of the QML engine and of QML code (console.warn and console.error), and the
    // script errors of a test's evaluate().
    static bool isQmlMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type != QtWarningMsg && type != QtCriticalMsg && type != QtFatalMsg)
            return false;
        const QLatin1String category(context.category ? context.category : "");
        return category == QLatin1String("qml") || category == QLatin1String("js")
               || category.startsWith(QLatin1String("qt.qml")) || category.startsWith(QLatin1String("qt.quick"))
               || message.contains(QLatin1String("qml"), Qt::CaseInsensitive)
               || message.startsWith(QLatin1String("script error:"));
    }

    static void install()
    {
        State& s = state();
        QMutexLocker lock(&s.mutex);
        s.previous = qInstallMessageHandler(handle);
        s.installed = true;
        s.everInstalled = true;
    }

    static bool wasInstalled() { return state().everInstalled; }

    // In cleanupTestCase of a test that ends its own QTest run; QTest puts back the handler it
    // found when the run ends in any case.
    static void uninstall()
    {
        State& s = state();
        QtMessageHandler previous = nullptr;
        {
            QMutexLocker lock(&s.mutex);
            previous = s.previous;
            s.installed = false;
        }
        qInstallMessageHandler(previous);
        failOnUnreported();
    }

    static void expect(QtMsgType type, const QRegularExpression& pattern)
    {
        State& s = state();
        {
            QMutexLocker lock(&s.mutex);
            s.expected.append({type, pattern, QString::fromLatin1(QTest::currentTestFunction())});
        }
        QTest::ignoreMessage(type, pattern);
    }

    // In init(): after a failed function the rest are skipped.
    static void skipAfterAFailure()
    {
        if (state().failedFunction.isEmpty())
            return;
        const QByteArray reason = QStringLiteral("skipped after the failure of %1").arg(state().failedFunction).toUtf8();
        QTest::qSkip(reason.constData(), __FILE__, __LINE__);
    }

    // In cleanup(): fails on what other threads said, and remembers a failure.
    static void checkFunction()
    {
        failOnUnreported();
        if (QTest::currentTestFailed() && state().failedFunction.isEmpty()) {
            state().failedFunction = QString::fromLatin1(QTest::currentTestFunction());
            std::fprintf(stdout, "The remaining functions are skipped after the failure of %s.\n",
                         QTest::currentTestFunction());
            std::fflush(stdout);
        }
    }

    // told, when given, hears each such message as it comes (a program run by a test tells it).
    static void watchOutsideTests(std::function<void(const QString&)> told = nullptr)
    {
        State& s = state();
        QMutexLocker lock(&s.mutex);
        s.told = std::move(told);
        s.outsidePrevious = qInstallMessageHandler(handleOutside);
    }

    // Stops watching; what came outside the tests and was not expected.
    static QStringList stopWatchingOutsideTests()
    {
        State& s = state();
        QtMessageHandler previous = nullptr;
        QStringList found;
        {
            QMutexLocker lock(&s.mutex);
            previous = s.outsidePrevious;
            found = s.outside + s.unreported;
            s.outside.clear();
            s.unreported.clear();
        }
        qInstallMessageHandler(previous);
        return found;
    }

private:
    struct Expectation
    {
        QtMsgType type;
        QRegularExpression pattern;
        QString function;
    };

    struct State
    {
        QMutex mutex;
        QtMessageHandler previous = nullptr;
        QtMessageHandler outsidePrevious = nullptr;
        std::function<void(const QString&)> told;
        bool installed = false;
        bool everInstalled = false;
        QList<Expectation> expected;
        // Unexpected messages not yet failed on (another thread, between functions).
        QStringList unreported;
        QStringList outside;
        QString failedFunction;
    };

    static State& state()
    {
        static State instance;
        return instance;
    }

    static bool onGuiThread()
    {
        return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
    }

    // Takes the expectation the message meets, if any (each is met once, in its own function).
    static bool takeExpectation(State& s, QtMsgType type, const QString& message)
    {
        const QString function = QString::fromLatin1(QTest::currentTestFunction());
        for (int i = 0; i < s.expected.size(); ++i) {
            const Expectation& expectation = s.expected.at(i);
            if (expectation.function != function) {
                s.expected.removeAt(i--);
                continue;
            }
            if (expectation.type == type && expectation.pattern.match(message).hasMatch()) {
                s.expected.removeAt(i);
                return true;
            }
        }
        return false;
    }

    static void failOnUnreported()
    {
        if (!QTest::currentTestFunction())
            return;
        QStringList unreported;
        {
            QMutexLocker lock(&state().mutex);
            unreported.swap(state().unreported);
        }
        if (!unreported.isEmpty()) {
            const QByteArray text = (QStringLiteral("unexpected QML messages: ") + unreported.join(QLatin1Char('\n'))).toUtf8();
            QTest::qFail(text.constData(), __FILE__, __LINE__);
        }
    }

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        State& s = state();
        QtMessageHandler previous = nullptr;
        bool failNow = false;
        {
            QMutexLocker lock(&s.mutex);
            previous = s.previous;
            if (s.installed && isQmlMessage(type, context, message) && !takeExpectation(s, type, message)) {
                if (onGuiThread() && QTest::currentTestFunction())
                    failNow = true;
                else
                    s.unreported.append(message);
            }
        }
        if (previous)
            previous(type, context, message);
        if (failNow) {
            const QByteArray text = (QStringLiteral("unexpected QML message: ") + message).toUtf8();
            QTest::qFail(text.constData(), context.file ? context.file : __FILE__, context.file ? context.line : __LINE__);
        }
    }

    static void handleOutside(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        State& s = state();
        QtMessageHandler previous = nullptr;
        std::function<void(const QString&)> told;
        const bool qml = isQmlMessage(type, context, message);
        {
            QMutexLocker lock(&s.mutex);
            previous = s.outsidePrevious;
            told = s.told;
            if (qml)
                s.outside.append(message);
        }
        if (qml && told)
            told(message);
        if (previous)
            previous(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
};
