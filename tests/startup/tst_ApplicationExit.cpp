// The whole program's exit on a slow or stalled disk, in the program's own order: each case runs
// the application object in a process of its own, through its start-up and its exit, as main
// does (this executable with "--program"). That process tells what the program shows on its
// standard output ("PROGRAM ...") and takes the operator's steps from its standard input.

#include "support/LogText.h"

#include "application/CSettings.h"
#include "application/CSettingsStore.h"
#include "startup/CApplication.h"

#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QWindow>
#include <QtTest>

#include <atomic>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A bound for what a whole program does: start, show its window, end (a QTRY that fails goes on
// for twice as long again before it says so).
constexpr int kProgramStepMs = 30000;
const QString kOperator = QStringLiteral("Operator changed last");

QString logPathIn(const QString& home)
{
    return home + QStringLiteral("/Culvertix-Projects/Culvertix.log");
}

// Where the test lets the held disk go on.
QString diskReleasePathIn(const QString& home)
{
    return home + QStringLiteral("/disk-released");
}

void report(const QByteArray& what)
{
    const QByteArray line = "PROGRAM " + what + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// The program's side: tells when the window is up and takes the operator's steps, one per line:
// "operator <name>" (a setting changed), "exit" (the start screen's Exit, which saves the
// settings), "exit on a slow card" (the same, with the settings' card holding the save until
// the test lets it go and then a while longer), "exit on a stalled log disk" (the same, with the
// log's disk taking nothing more from the moment the program's own exit begins).
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

    // Right before the application object goes, which is where its exit begins.
    ~ProgramDriver() override
    {
        if (m_stallLog)
            fillTheLogDisk();
    }

private:
    void checkWindow()
    {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible() && window->isExposed()) {
                m_windowCheck.stop();
                report("window");
                return;
            }
        }
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

    void run(const QString& step)
    {
        if (step.startsWith(QLatin1String("operator "))) {
            m_application->settings()->setDefaultOperatorName(step.mid(9));
            report("changed");
        } else if (step.startsWith(QLatin1String("exit"))) {
            if (step == QLatin1String("exit on a slow card"))
                holdTheNextSettingsSave();
            m_stallLog = step == QLatin1String("exit on a stalled log disk");
            report("exiting");
            m_application->terminate(true);
        }
    }

    // The card takes the next save's sync only once the test lets it, and then takes longer
    // than the few seconds Qt's own teardown is given.
    static void holdTheNextSettingsSave()
    {
        const QString released = diskReleasePathIn(QDir::homePath());
        auto held = std::make_shared<std::atomic<bool>>(false);
        CSettingsStore::setDiskObserver([released, held](CSettingsStore::DiskStep step, const QString&) {
            if (step != CSettingsStore::DiskStep::Sync || held->exchange(true))
                return;
            for (int i = 0; i < 6000 && !QFile::exists(released); ++i)
                QThread::msleep(10);
            QThread::sleep(6);
        });
    }

    // The log's disk takes nothing more: the pipe that stands for it is filled to the brim, and
    // the test that reads it has stopped reading.
    static void fillTheLogDisk()
    {
        const int disk = ::open(QFile::encodeName(logPathIn(QDir::homePath())).constData(), O_WRONLY | O_NONBLOCK);
        const char block[4096] = {};
        for (const size_t size : {sizeof block, size_t(1)}) {
            while (::write(disk, block, size) > 0) {
            }
        }
        ::close(disk);
    }

    CApplication* m_application;
    QSocketNotifier m_input;
    QByteArray m_pending;
    QTimer m_windowCheck;
    bool m_stallLog = false;
};

// main of the program, with the driver beside the application object.
int runProgram(char* program)
{
    int argc = 1;
    char* argv[] = {program, nullptr};
    int status = 0;
    {
        CApplication application(argc, argv);
        ProgramDriver driver(&application);
        status = CApplication::exec();
    }
    return CApplication::leaveProcess(status);
}

// The program run by a test, in a home folder of its own.
class ProgramProcess
{
public:
    ~ProgramProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString home() const { return m_home.path(); }

    bool start()
    {
        if (!m_home.isValid())
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            environment.insert(QString::fromLatin1(folder), m_home.filePath(QString::fromLatin1(folder)));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
        return m_process.waitForStarted(10000);
    }

    void send(const QByteArray& steps) { m_process.write(steps); }

    // Whether the program has said (or logged on its console) this; reads what came meanwhile.
    bool said(const QString& text)
    {
        m_output += QString::fromUtf8(m_process.readAll());
        return m_output.contains(text);
    }
    bool ended()
    {
        said(QString());
        return m_process.state() == QProcess::NotRunning;
    }
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }
    QString outputTail() const { return m_output.right(4000); }

    QString log() const { return readLogText(logPathIn(m_home.path())); }
    QVariant setting(const QString& key) const
    {
        const QSettings store(m_home.filePath(QStringLiteral("XDG_CONFIG_HOME/Tovrin/Culvertix.conf")),
                              QSettings::IniFormat);
        return store.value(QStringLiteral("Settings/") + key);
    }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_output;
};

// A line of the exit that names a longer wait than the step it belongs to is given, or an
// empty text: the watch ends a step at its bound, whatever a line inside it promised.
QString waitBeyondItsStep(const QString& log)
{
    static const QRegularExpression step(QStringLiteral("Exit: (.+) \\(\\d+ ms after the exit began, at most (\\d+) ms\\)"));
    static const QRegularExpression bound(QStringLiteral("at most (\\d+) ms"));
    QString name;
    qint64 allowance = -1;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch stepLine = step.match(line);
        if (stepLine.hasMatch()) {
            name = stepLine.captured(1);
            allowance = stepLine.captured(2).toLongLong();
            continue;
        }
        const QRegularExpressionMatch boundLine = bound.match(line);
        if (allowance >= 0 && boundLine.hasMatch() && boundLine.captured(1).toLongLong() > allowance)
            return QStringLiteral("\"%1\" within \"%2\", at most %3 ms").arg(line.trimmed(), name).arg(allowance);
    }
    return allowance < 0 ? QStringLiteral("no step of the exit was logged") : QString();
}

} // namespace

class tst_ApplicationExit : public QObject
{
    Q_OBJECT

private slots:
    void lastSettingsSaveOnASlowCardIsWaitedForAtExit();
    void exitOnAStalledLogDiskIsEndedAndSaysSo();
};

void tst_ApplicationExit::lastSettingsSaveOnASlowCardIsWaitedForAtExit()
{
    ProgramProcess program;
    QVERIFY(program.start());
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM window")), qPrintable(program.outputTail()),
                              kProgramStepMs);
    program.send(QStringLiteral("operator %1\n").arg(kOperator).toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM changed")), kProgramStepMs);

    // Exit: the window goes while the card still holds the save; the exit waits for it in a
    // step of its own, and the card goes on only then.
    program.send("exit on a slow card\n");
    const QString savedLast = QStringLiteral("Exit: writing the settings (");
    QTRY_VERIFY_WITH_TIMEOUT(program.said(savedLast) || program.ended(), kProgramStepMs);
    QVERIFY2(program.said(savedLast), qPrintable(program.outputTail()));
    QFile released(diskReleasePathIn(program.home()));
    QVERIFY(released.open(QIODevice::WriteOnly));
    released.close();

    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.setting(QStringLiteral("DefaultOperatorName")).toString(), kOperator);
    const QString log = program.log();
    QVERIFY2(!log.contains(QLatin1String("did not")), qPrintable(log.right(3000)));
    QVERIFY2(log.contains(QLatin1String("Exit: done after")), qPrintable(log.right(3000)));
    const QString beyond = waitBeyondItsStep(log);
    QVERIFY2(beyond.isEmpty(), qPrintable(beyond));
}

void tst_ApplicationExit::exitOnAStalledLogDiskIsEndedAndSaysSo()
{
    // The log's disk is a pipe that the test reads while the program runs, as a disk that keeps
    // up, and stops reading before the exit.
    ProgramProcess program;
    const QString logPath = logPathIn(program.home());
    QVERIFY(QDir().mkpath(QFileInfo(logPath).path()));
    QVERIFY(::mkfifo(QFile::encodeName(logPath).constData(), 0600) == 0);
    const int disk = ::open(QFile::encodeName(logPath).constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(disk >= 0);
    const auto closeDisk = qScopeGuard([disk] { ::close(disk); });
    qint64 logged = 0;
    QSocketNotifier keepingUp(disk, QSocketNotifier::Read);
    connect(&keepingUp, &QSocketNotifier::activated, this, [disk, &logged]() {
        char buffer[65536];
        for (ssize_t count; (count = ::read(disk, buffer, sizeof buffer)) > 0;)
            logged += count;
    });
    QVERIFY(program.start());
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM window")), qPrintable(program.outputTail()),
                              kProgramStepMs);
    QVERIFY(logged > 0);

    // The first step of the exit stalls in its log line; the watch ends it at its bound, and
    // its own last line, which the log cannot take, goes to the standard error instead.
    keepingUp.setEnabled(false);
    program.send("exit on a stalled log disk\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QVERIFY2(program.said(QStringLiteral("Exit: closing the screens and the thumbnail workers did not end within")),
             qPrintable(program.outputTail()));
    // A forced end is not a normal one.
    QCOMPARE(program.exitCode(), 1);
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--program") == 0)
        return runProgram(argv[0]);
    QCoreApplication application(argc, argv);
    tst_ApplicationExit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApplicationExit.moc"
