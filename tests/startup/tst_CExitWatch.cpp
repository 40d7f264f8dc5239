// The exit watch ends a process whose exit step hangs, and lets one through whose steps each end
// in time however long the exit takes as a whole. The exits run in processes of their own (this
// executable with "--exit <hang|steps|handlers>").

#include "startup/CExitWatch.h"
#include "support/LogText.h"

#include "CLogger.h"

#include <QThread>
#include <QtTest>

#include <unistd.h>

namespace {

constexpr int kProcessEndMs = 30000;

// The child's exit: three steps that each end in time (the last by the process ending), a step
// that never ends, or exit handlers that never end after a normal end.
int runExit(const QString& mode, const QString& logPath)
{
    Tovrin::Logging::CLogger::setOutputFileName(logPath);
    if (mode == QLatin1String("handlers")) {
        // The program ended well, its log closed, and then an exit handler hangs.
        CExitWatch::setStatus(0);
        Tovrin::Logging::CLogger::setOutputFileName(QString());
        CExitWatch::lastStep(200);
        for (;;)
            ::pause();
    }
    CExitWatch::setStatus(3);
    if (mode == QLatin1String("hang")) {
        CExitWatch::step(QStringLiteral("first step"), 10000);
        CExitWatch::step(QStringLiteral("hanging step"), 200);
        for (;;)
            ::pause();
    }
    // Each step ends well within its allowance; together they take longer than one allowance.
    for (const char* name : {"first step", "second step", "third step"}) {
        CExitWatch::step(QString::fromLatin1(name), 1500);
        QThread::msleep(700);
    }
    Tovrin::Logging::CLogger::setOutputFileName(QString());
    return 0;
}

} // namespace

class tst_CExitWatch : public QObject
{
    Q_OBJECT

private slots:
    void hangingStepEndsTheProcessAndStepsInTimeDoNot()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const auto runChild = [&folder](const QString& mode, QProcess* child) {
            child->setProcessChannelMode(QProcess::ForwardedChannels);
            child->start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--exit"), mode, folder.filePath(mode + QStringLiteral(".log"))});
            return child->waitForFinished(kProcessEndMs) && child->exitStatus() == QProcess::NormalExit;
        };

        QProcess hanging;
        QVERIFY(runChild(QStringLiteral("hang"), &hanging));
        QCOMPARE(hanging.exitCode(), 3);
        const QString hangLog = readLogText(folder.filePath(QStringLiteral("hang.log")));
        QVERIFY2(hangLog.contains(QLatin1String("Exit: hanging step did not end within 200 ms")), qPrintable(hangLog));
        QVERIFY(hangLog.contains(QLatin1String("Exit: first step (")));

        QProcess steps;
        QVERIFY(runChild(QStringLiteral("steps"), &steps));
        QCOMPARE(steps.exitCode(), 0);
        const QString stepsLog = readLogText(folder.filePath(QStringLiteral("steps.log")));
        QVERIFY2(stepsLog.contains(QLatin1String("Exit: third step (")), qPrintable(stepsLog));
        QVERIFY(!stepsLog.contains(QLatin1String("did not end")));

        // An end forced after the program's own normal end says that it was forced.
        QProcess handlers;
        QVERIFY(runChild(QStringLiteral("handlers"), &handlers));
        QCOMPARE(handlers.exitCode(), 1);
    }
};

int main(int argc, char** argv)
{
    if (argc > 3 && qstrcmp(argv[1], "--exit") == 0)
        return runExit(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication application(argc, argv);
    tst_CExitWatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CExitWatch.moc"
