// The whole program's exit on a slow or stalled disk, in the program's own order: each case runs
// the application object in a process of its own, through its start-up and its exit, as main
// does (this executable with "--program"). That process tells what the program shows on its
// standard output ("PROGRAM ...") and takes the operator's steps from its standard input.

#include "support/ProgramUnderTest.h"

#include "application/CSettings.h"
#include "application/CSettingsStore.h"

#include <QDir>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kOperator = QStringLiteral("Operator changed last");

// Where the test lets the held disk go on.
QString diskReleasePathIn(const QString& home)
{
    return home + QStringLiteral("/disk-released");
}

// The operator's steps, one per line: "operator <name>" (a setting changed), "exit" (the start
// screen's Exit, which saves the settings), "exit on a slow card" (the same, with the settings'
// card holding the save until the test lets it go and then a while longer), "exit on a stalled
// log disk" (the same, with the log's disk taking nothing more from the moment the program's own
// exit begins).
class ExitDriver : public ProgramDriver
{
public:
    using ProgramDriver::ProgramDriver;

    // Right before the application object goes, which is where its exit begins.
    ~ExitDriver() override
    {
        if (m_stallLog)
            fillTheLogDisk();
    }

private:
    void run(const QString& step) override
    {
        if (step.startsWith(QLatin1String("operator "))) {
            application()->settings()->setDefaultOperatorName(step.mid(9));
            report("changed");
        } else if (step.startsWith(QLatin1String("exit"))) {
            if (step == QLatin1String("exit on a slow card"))
                holdTheNextSettingsSave();
            m_stallLog = step == QLatin1String("exit on a stalled log disk");
            report("exiting");
            application()->terminate(true);
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
        const QByteArray path = QFile::encodeName(programLogPathIn(QDir::homePath()));
        const int disk = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        const char block[4096] = {};
        for (const size_t size : {sizeof block, size_t(1)}) {
            while (::write(disk, block, size) > 0) {
            }
        }
        ::close(disk);
    }

    bool m_stallLog = false;
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
    const QString logPath = programLogPathIn(program.home());
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
        return runProgram<ExitDriver>(argv[0]);
    QCoreApplication application(argc, argv);
    tst_ApplicationExit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApplicationExit.moc"
