// The GUI thread's longest gap while the Wi-Fi network manager scans, joins and leaves, with
// NetworkManager (the tests' mock on a bus of the bench's own) answering promptly (the
// baseline), answering each call after 300 ms, and hung (stopped) for 4 s from the start of
// the operation. A zero-interval timer on the GUI thread notes the longest time between two of
// its turns from the call that starts the operation until its outcome:
//   scan   ten new access points appear (hung: announced just before NetworkManager stops);
//          until all ten networks are listed
//   join   connectToWifiNetwork; until connected (or failed)
//   leave  disconnectFromWifiNetwork; until disconnected
// Two paths, each in a process of its own: the program's (NetworkManager on its own thread,
// the platform's service) and NetworkManagerQt on the GUI thread (the layer alone). Prints the
// program path, the gaps beside the baseline and their factors; asserts nothing.
//
//   bench_WlanGuiGap [hang-ms]   (default 4000)

#include "NetworkManagerMock.h"

#include "communication/CWindowsNetworkManager.h"
#include "flavors/Flavors.h"
#include "wlan/CNetworkManagerWlan.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

using namespace Ulx;
using Ulx::Communication::CAbstractNetworkManager;
using Ulx::Communication::CWindowsNetworkManager;

namespace {

const QString kCamera = QStringLiteral("Zephira_SN12345");
const QStringList kModes = {QStringLiteral("prompt"), QStringLiteral("slow"), QStringLiteral("hung")};
const QStringList kOperations = {QStringLiteral("scan"), QStringLiteral("join"), QStringLiteral("leave")};
constexpr int kSlowReplyMs = 300;
constexpr int kOperationLimitMs = 90000;

struct Gap
{
    qint64 longestMs = 0;
    qint64 totalMs = 0;
    bool done = false;
};

// Runs the operation and turns the event loop until done() holds (bounded), noting the longest
// time between two turns; the operation's own call counts.
Gap measure(const std::function<void()>& operation, const std::function<bool()>& done)
{
    Gap gap;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QEventLoop loop;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, &loop, [&]() {
        const qint64 now = clock.elapsed();
        gap.longestMs = qMax(gap.longestMs, now - last);
        last = now;
        if (done() || now > kOperationLimitMs)
            loop.quit();
    });
    operation();
    turn.start(0);
    loop.exec();
    gap.totalMs = clock.elapsed();
    gap.done = done();
    return gap;
}

// The mock resumes after the hang from a thread of its own, whatever the GUI thread does.
void hangFor(NetworkManagerMock& mock, int hangMs)
{
    const qint64 pid = mock.processId();
    mock.freeze();
    std::thread([pid, hangMs]() {
        std::this_thread::sleep_for(std::chrono::milliseconds(hangMs));
        ::kill(pid_t(pid), SIGCONT);
    }).detach();
}

// Adds an open access point without waiting for the mock, which a slow NetworkManager keeps
// busy: the bench's own call must not be what the GUI thread waits on.
void addAccessPointUnanswered(NetworkManagerMock& mock, const QString& device, const QString& ssid, uchar strength)
{
    static int counter = 0;
    const QString bssid = QStringLiteral("02:00:00:00:02:%1").arg(++counter % 256, 2, 16, QLatin1Char('0'));
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(NetworkManagerMock::Service),
                                                          QString::fromLatin1(NetworkManagerMock::MainObject),
                                                          QString::fromLatin1(NetworkManagerMock::MockInterface),
                                                          QStringLiteral("AddAccessPoint"));
    message.setArguments({device, ssid, ssid, bssid, 2u, 2412u, 54000u, QVariant::fromValue(strength), 0u});
    mock.control().asyncCall(message);
}

// One path in this process: prints "RESULT <operation> <mode> <longest> <total> <done>" lines.
int runPath(const QString& path, int hangMs)
{
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    qunsetenv(Wlan::ScenarioVariable);
    QString python;
    NetworkManagerMock mock;
    QString error = mock.prepare(&python);
    if (error.isEmpty() && !mock.startService(python))
        error = QStringLiteral("its service did not start");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "NetworkManager cannot be mocked: %s\n", qPrintable(error));
        return 2;
    }
    const QString device = mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
    mock.addAccessPoint(device, QStringLiteral("camera"), kCamera, 80, false);
    const QString key = Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyZephira);
    mock.mock(QStringLiteral("SetNetworkKey"), {kCamera, key});

    std::shared_ptr<Wlan::IWlanApi> wlan = path == QLatin1String("thread")
                                               ? Wlan::platformWlan()
                                               : std::make_shared<Wlan::CNetworkManagerWlan>();
    CWindowsNetworkManager manager(wlan);
    manager.setScanInterval(500);
    manager.setJoinTimeout(kOperationLimitMs);
    Gap ready = measure([]() {}, [&]() { return manager.queryWifiInterfaces().contains(QStringLiteral("wlan0")); });
    manager.setActiveWifiInterface(QStringLiteral("wlan0"));
    manager.setNetworkScanEnabled(true);
    ready = measure([]() {}, [&]() { return manager.availableNetworks().contains(kCamera); });
    if (!ready.done) {
        std::fprintf(stderr, "the camera network was never listed\n");
        return 2;
    }

    for (const QString& mode : kModes) {
        mock.mock(QStringLiteral("SetReplyDelay"), {uint(mode == QLatin1String("slow") ? kSlowReplyMs : 0)});
        const bool hung = mode == QLatin1String("hung");
        QStringList others;
        for (int i = 0; i < 10; ++i)
            others.append(QStringLiteral("Other_%1_%2").arg(mode).arg(i));
        const auto report = [&](const QString& operation, const Gap& gap) {
            std::printf("RESULT %s %s %lld %lld %d\n", qPrintable(operation), qPrintable(mode), gap.longestMs,
                        gap.totalMs, gap.done ? 1 : 0);
            std::fflush(stdout);
        };
        // A hung NetworkManager has just announced the access points when it stops.
        if (hung) {
            for (int i = 0; i < others.size(); ++i)
                mock.addAccessPoint(device, others.at(i), others.at(i), uchar(30 + i), true);
        }
        report(QStringLiteral("scan"), measure(
                                           [&]() {
                                               if (hung) {
                                                   hangFor(mock, hangMs);
                                                   return;
                                               }
                                               for (int i = 0; i < others.size(); ++i)
                                                   addAccessPointUnanswered(mock, device, others.at(i),
                                                                            uchar(30 + i));
                                           },
                                           [&]() {
                                               const QStringList listed = manager.availableNetworks();
                                               for (const QString& ssid : others) {
                                                   if (!listed.contains(ssid))
                                                       return false;
                                               }
                                               return true;
                                           }));
        report(QStringLiteral("join"), measure(
                                           [&]() {
                                               if (hung)
                                                   hangFor(mock, hangMs);
                                               manager.connectToWifiNetwork(kCamera, key);
                                           },
                                           [&]() { return manager.state() == CAbstractNetworkManager::StateConnected
                                                          || manager.state() == CAbstractNetworkManager::StateDisconnected; }));
        report(QStringLiteral("leave"), measure(
                                            [&]() {
                                                if (hung)
                                                    hangFor(mock, hangMs);
                                                manager.disconnectFromWifiNetwork();
                                            },
                                            [&]() { return manager.state() == CAbstractNetworkManager::StateDisconnected; }));
        // Settled before the next mode: NetworkManager answers again.
        measure([]() {}, [&]() { return true; });
        mock.resume();
    }
    mock.mock(QStringLiteral("SetReplyDelay"), {0u});
    return 0;
}

// Runs a path in a child process: operation -> mode -> gap.
QMap<QString, QMap<QString, Gap>> runChild(const QString& path, int hangMs)
{
    QMap<QString, QMap<QString, Gap>> results;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--path"), path, QString::number(hangMs)});
    if (!child.waitForFinished(20 * 60 * 1000))
        child.kill();
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 6 || fields.at(0) != "RESULT")
            continue;
        Gap gap;
        gap.longestMs = fields.at(3).toLongLong();
        gap.totalMs = fields.at(4).toLongLong();
        gap.done = fields.at(5) == "1";
        results[QString::fromLatin1(fields.at(1))][QString::fromLatin1(fields.at(2))] = gap;
    }
    return results;
}

QString cell(const Gap& gap)
{
    if (gap.totalMs == 0 && !gap.done)
        return QStringLiteral("-");
    return QStringLiteral("%1%2").arg(gap.longestMs).arg(gap.done ? QString() : QStringLiteral("!"));
}

QString factor(const Gap& gap, const Gap& baseline)
{
    if (baseline.longestMs <= 0)
        return QStringLiteral("-");
    return QString::number(double(gap.longestMs) / double(baseline.longestMs), 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() >= 4 && arguments.at(1) == QLatin1String("--path"))
        return runPath(arguments.at(2), arguments.at(3).toInt());
    const int hangMs = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 4000;

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("GUI thread's longest gap in ms from the call to the outcome; NetworkManager prompt (baseline),\n"
                "answering each call after %d ms, hung %d ms from the call. '!' marks an outcome not reached\n"
                "within %d s; the last column is the operation's whole time when hung.\n",
                kSlowReplyMs, hangMs, kOperationLimitMs / 1000);
    const QList<QPair<QString, QString>> paths = {
        {QStringLiteral("thread"), QStringLiteral("program (NetworkManager thread)")},
        {QStringLiteral("gui"), QStringLiteral("NetworkManagerQt on the GUI thread")}};
    std::printf("  %-36s %-6s %8s %8s %7s %8s %7s %9s\n", "", "", "prompt", "300 ms", "factor", "hung", "factor",
                "hung all");
    for (const auto& path : paths) {
        const QMap<QString, QMap<QString, Gap>> results = runChild(path.first, hangMs);
        for (const QString& operation : kOperations) {
            const QMap<QString, Gap> row = results.value(operation);
            const Gap baseline = row.value(QStringLiteral("prompt"));
            const Gap slow = row.value(QStringLiteral("slow"));
            const Gap hung = row.value(QStringLiteral("hung"));
            std::printf("  %-36s %-6s %8s %8s %7s %8s %7s %9lld\n", qPrintable(path.second), qPrintable(operation),
                        qPrintable(cell(baseline)), qPrintable(cell(slow)), qPrintable(factor(slow, baseline)),
                        qPrintable(cell(hung)), qPrintable(factor(hung, baseline)), hung.totalMs);
        }
    }
    return 0;
}
