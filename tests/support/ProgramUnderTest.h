// The whole program run by a test in a process of its own, as main runs it: the test executable
// started again with "--program" runs runProgram<Driver>(), where a driver beside the application
// object tells the test what the program shows on its standard output ("PROGRAM <what>", one a
// line) and takes the operator's steps from its standard input, one a line. ProgramDriver is
// that driver's common part (each test adds its own steps); ProgramProcess is the test's side.
// The driver lives on the program's GUI thread, on main's stack, and goes right before the
// application object. Header only; a test includes "support/ProgramUnderTest.h".
#pragma once

#include "support/LogText.h"

#include "startup/CApplication.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <cstdio>

#include <unistd.h>

// A bound for what a whole program does: start, show its window, end (a QTRY that fails goes on
// for twice as long again before it says so).
constexpr int kProgramStepMs = 30000;

// Where the program in a home folder writes its log.
inline QString programLogPathIn(const QString& home)
{
    return home + QStringLiteral("/Culvertix-Projects/Culvertix.log");
}

// The program's side: tells when the window is up ("window") and hands each line of its standard
// input to run(); a closed standard input (the test is gone) ends the program without a save.
class ProgramDriver : public QObject
{
public:
    explicit ProgramDriver(CApplication* application)
        : m_application(application)
        , m_input(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&m_input, &QSocketNotifier::activated, this, &ProgramDriver::readInput);
        connect(&m_windowCheck, &QTimer::timeout, this, &ProgramDriver::checkWindow);
        m_windowCheck.start(20);
    }

    static void report(const QByteArray& what)
    {
        const QByteArray line = "PROGRAM " + what + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
    }

protected:
    virtual void run(const QString& step) = 0;
    // Called at each check once the window is up; the checks go on while it returns true.
    virtual bool followWindow() { return false; }

    CApplication* application() const { return m_application; }
    void setTakingSteps(bool taking) { m_input.setEnabled(taking); }

private:
    void checkWindow()
    {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (!m_windowShown && window->isVisible() && window->isExposed()) {
                m_windowShown = true;
                report("window");
            }
        }
        if (m_windowShown && !followWindow())
            m_windowCheck.stop();
    }

    void readInput()
    {
        char buffer[1024];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            m_input.setEnabled(false); // the test is gone
            m_application->terminate(false);
            return;
        }
        m_pending.append(buffer, int(count));
        int end = 0;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QString step = QString::fromUtf8(m_pending.left(end)).trimmed();
            m_pending.remove(0, end + 1);
            run(step);
        }
    }

    CApplication* m_application;
    QSocketNotifier m_input;
    QByteArray m_pending;
    QTimer m_windowCheck;
    bool m_windowShown = false;
};

// main of the program, with the driver beside the application object.
template <typename Driver>
int runProgram(char* program)
{
    int argc = 1;
    char* argv[] = {program, nullptr};
    int status = 0;
    {
        CApplication application(argc, argv);
        Driver driver(&application);
        status = CApplication::exec();
    }
    return CApplication::leaveProcess(status);
}

// The program run by a test, in a home folder of its own; killed if it still runs when this goes.
class ProgramProcess
{
public:
    virtual ~ProgramProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString home() const { return m_home.path(); }

    // Started (again) with the test's environment, its own home folder, and these variables
    // ("NAME=value"); what an earlier run said is forgotten.
    bool start(const QStringList& environment = {})
    {
        return startFrom(QProcessEnvironment::systemEnvironment(), environment);
    }

    void send(const QByteArray& steps) { m_process.write(steps); }

    // Whether the program has said (or logged on its console) this; reads what came meanwhile.
    bool said(const QString& text)
    {
        m_output += QString::fromUtf8(m_process.readAll());
        return m_output.contains(text);
    }
    // What the program last said after "PROGRAM <what>" (a state, a note); null when it has not.
    QString lastSaid(const QString& what)
    {
        said(QString());
        const QString line = QStringLiteral("PROGRAM ") + what;
        const int at = m_output.lastIndexOf(line);
        return at < 0 ? QString() : m_output.mid(at + line.size()).section(QLatin1Char('\n'), 0, 0);
    }
    bool ended()
    {
        said(QString());
        return m_process.state() == QProcess::NotRunning;
    }
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }
    QString outputTail()
    {
        said(QString());
        return m_output.right(4000);
    }

    QString log() const { return readLogText(programLogPathIn(m_home.path())); }
    QVariant setting(const QString& key) const
    {
        const QSettings store(m_home.filePath(QStringLiteral("XDG_CONFIG_HOME/Tovrin/Culvertix.conf")),
                              QSettings::IniFormat);
        return store.value(QStringLiteral("Settings/") + key);
    }

protected:
    // The same from another environment than the test's.
    bool startFrom(QProcessEnvironment settings, const QStringList& environment)
    {
        if (!m_home.isValid())
            return false;
        m_output.clear(); // what the run before said
        settings.insert(QStringLiteral("HOME"), m_home.path());
        for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            settings.insert(QString::fromLatin1(folder), m_home.filePath(QString::fromLatin1(folder)));
        for (const QString& entry : environment)
            settings.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        m_process.setProcessEnvironment(settings);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
        return m_process.waitForStarted(10000);
    }

    // All the program has said so far.
    QString output()
    {
        said(QString());
        return m_output;
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_output;
};
