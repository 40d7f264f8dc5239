// The time from the program's start to its first window, and from its Exit to the end of the
// process, with NetworkManager absent (the baseline: nothing owns its name on the system bus),
// answering promptly (the tests' mock), and hung (the mock stopped before the start and left
// stopped until the process has ended). Each run is the whole program in a process of its own:
// the application object started and ended as main does it, on a bus of the bench's own, in a
// home folder of its own. Prints the program's figures beside the baseline and their ratio, the
// median of the runs; asserts nothing.
//
//   bench_FirstWindow [runs]   (default 3)

#include "NetworkManagerMock.h"

#include "startup/CApplication.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRunLimitMs = 10 * 60 * 1000;

struct Run
{
    qint64 windowMs = -1;
    qint64 exitMs = -1;
};

// The program, timed from before its application object exists to its first exposed window;
// then the operator's Exit.
int runProgram(char* program)
{
    QElapsedTimer clock;
    clock.start();
    int argc = 1;
    char* argv[] = {program, nullptr};
    int status = 0;
    {
        CApplication application(argc, argv);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &application, [&]() {
            for (QWindow* window : QGuiApplication::topLevelWindows()) {
                if (window->isVisible() && window->isExposed()) {
                    poll.stop();
                    std::printf("RESULT %lld\n", clock.elapsed());
                    std::fflush(stdout);
                    application.terminate(false);
                    return;
                }
            }
        });
        poll.start(2);
        status = CApplication::exec();
    }
    return CApplication::leaveProcess(status);
}

Run runOnce(const QString& busAddress)
{
    Run run;
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QString::fromLatin1(Ulx::Wlan::ScenarioVariable));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress);
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(folder), home.filePath(QString::fromLatin1(folder)));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Nothing leaves the machine: the update check and the web client ask a closed local port.
    environment.insert(QStringLiteral("CX_UPDATE_BASE_URL"), QStringLiteral("http://127.0.0.1:9"));
    environment.insert(QStringLiteral("CX_WEB_ROOT_URL"), QStringLiteral("http://127.0.0.1:9/"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
    QElapsedTimer clock;
    clock.start();
    QByteArray output;
    while (child.state() != QProcess::NotRunning && run.windowMs < 0 && clock.elapsed() < kRunLimitMs) {
        child.waitForReadyRead(1000);
        output += child.readAllStandardOutput();
        const int at = output.indexOf("RESULT ");
        if (at >= 0 && output.indexOf('\n', at) > at) {
            run.windowMs = output.mid(at + 7, output.indexOf('\n', at) - at - 7).trimmed().toLongLong();
            clock.restart(); // Exit follows at once
        }
    }
    if (child.waitForFinished(kRunLimitMs) && run.windowMs >= 0)
        run.exitMs = clock.elapsed();
    else
        child.kill();
    child.waitForFinished(5000);
    return run;
}

qint64 median(QList<qint64> values)
{
    values.removeAll(-1);
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QString ratio(qint64 value, qint64 baseline)
{
    if (value < 0 || baseline <= 0)
        return QStringLiteral("-");
    return QString::number(double(value) / double(baseline), 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--program") == 0)
        return runProgram(argv[0]);
    QCoreApplication application(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;

    QString python;
    NetworkManagerMock mock;
    const QString error = mock.prepare(&python);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "NetworkManager cannot be mocked: %s\n", qPrintable(error));
        return 2;
    }
    const QString busAddress = QString::fromUtf8(qgetenv("DBUS_SYSTEM_BUS_ADDRESS"));

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("The whole program, median of %d runs in ms: from its start to its first window, and from Exit\n"
                "to the end of the process. NetworkManager absent (baseline), prompt (the tests' mock), hung\n"
                "(the mock stopped before the start until the process ended).\n",
                runs);
    std::printf("  %-10s %8s %7s %8s %7s\n", "", "window", "factor", "exit", "factor");
    Run baseline;
    for (const QString& mode : {QStringLiteral("absent"), QStringLiteral("prompt"), QStringLiteral("hung")}) {
        QList<qint64> windows;
        QList<qint64> exits;
        for (int i = 0; i < runs; ++i) {
            if (mode != QLatin1String("absent")) {
                if (!mock.startService(python)) {
                    std::fprintf(stderr, "the NetworkManager mock did not start\n");
                    return 2;
                }
                const QString device = mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
                mock.addAccessPoint(device, QStringLiteral("camera"), QStringLiteral("Zephira_SN12345"), 80, false);
                if (mode == QLatin1String("hung"))
                    mock.freeze();
            }
            const Run run = runOnce(busAddress);
            windows.append(run.windowMs);
            exits.append(run.exitMs);
            mock.resume();
            mock.stopService();
        }
        const Run row{median(windows), median(exits)};
        if (mode == QLatin1String("absent"))
            baseline = row;
        std::printf("  %-10s %8lld %7s %8lld %7s\n", qPrintable(mode), row.windowMs,
                    qPrintable(ratio(row.windowMs, baseline.windowMs)), row.exitMs,
                    qPrintable(ratio(row.exitMs, baseline.exitMs)));
        std::fflush(stdout);
    }
    return 0;
}
