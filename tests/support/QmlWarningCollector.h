#pragma once

// A screen test counts the warnings of the QML world as faults of a QML file: this message
// handler collects the messages its filter keeps (every warning, unless the test names a
// narrower filter) and passes every message on to the handler installed before it. One per
// test program; install() in initTestCase, uninstall() in cleanupTestCase. Header only.

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QmlWarningCollector
{
public:
    using Filter = bool (*)(QtMsgType type, const QString& message);

    static bool everyWarning(QtMsgType type, const QString&)
    {
        return type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
    }

    // Warnings and critical messages that name a QML file or the QML engine.
    static bool qmlWarning(QtMsgType type, const QString& message)
    {
        return (type == QtWarningMsg || type == QtCriticalMsg) && message.contains(QLatin1String("qml"), Qt::CaseInsensitive);
    }

    static void install(Filter filter = everyWarning)
    {
        state().filter = filter;
        state().previous = qInstallMessageHandler(handle);
    }

    static void uninstall() { qInstallMessageHandler(state().previous); }

    // What was collected so far; the test clears it where it has looked.
    static QStringList& warnings() { return state().warnings; }

private:
    struct State
    {
        QStringList warnings;
        Filter filter = everyWarning;
        QtMessageHandler previous = nullptr;
    };

    static State& state()
    {
        static State instance;
        return instance;
    }

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (state().filter(type, message))
            state().warnings.append(message);
        if (state().previous)
            state().previous(type, context, message);
    }
};
