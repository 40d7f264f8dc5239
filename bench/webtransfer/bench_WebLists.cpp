// A long project list and a long media-link answer fetched through the web client's own path
// (communicator, request handle, its transfer limits as the program sets them), each beside curl
// fetching the same answer with the same headers from the web-service simulator. Run on a slow
// link the answers take about a minute each; both sides must receive them whole.
//
// Usage: bench_WebLists [--projects N] [--photos M] [--rounds R]   (default 2800 projects,
// ~800 KB, and 4300 photos, ~1 MB, of media links; 9 rounds)
// A slow link for it, as root: unshare -n sh -c 'ip link set lo up; ip link set lo mtu 1500;
//   tc qdisc add dev lo root tbf rate 120kbit burst 16kbit latency 400ms; bench_WebLists'

#include "libraries/web/WebTestSupport.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace Tovrin::Web;

namespace {

const int kWaitMs = 600000;

struct Run
{
    double seconds = 0;
    qint64 bytes = 0;
    bool ok = false;
};

bool waitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, kWaitMs);
}

// Fetches the address with curl, with the headers the program sends for it; the time is curl's
// own, from its first connect to the answer's last byte, so that starting a process is not
// counted.
Run curlRun(const QString& url, const QStringList& headers, const QString& output)
{
    QStringList arguments{QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"), output,
                          QStringLiteral("-w"), QStringLiteral("%{time_total}")};
    for (const QString& header : headers)
        arguments << QStringLiteral("-H") << header;
    arguments << url;
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments);
    Run run;
    run.ok = curl.waitForFinished(kWaitMs) && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
    run.seconds = curl.readAllStandardOutput().trimmed().toDouble(&run.ok) * (run.ok ? 1 : 0);
    run.bytes = QFileInfo(output).size();
    return run;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

template <class Handle, class Check>
Run programRun(Handle* handle, Check isWhole)
{
    Run run;
    QElapsedTimer clock;
    clock.start();
    bool done = false;
    QObject::connect(handle, &Handle::requestFinished, handle, [&]() { done = true; });
    run.ok = waitFor([&]() { return done; }) && isWhole();
    run.seconds = clock.nsecsElapsed() / 1e9;
    return run;
}

// Rounds of the program and curl in turn; medians of both, and of the ratio within each round.
struct Rounds
{
    QVector<double> program;
    QVector<double> curl;
    QVector<double> ratio;
    qint64 bytes = 0;
    bool ok = true;

    void add(const Run& programRun, const Run& curlRun)
    {
        ok = ok && programRun.ok && curlRun.ok;
        bytes = curlRun.bytes;
        program.append(programRun.seconds);
        curl.append(curlRun.seconds);
        ratio.append(curlRun.seconds > 0 ? programRun.seconds / curlRun.seconds : 0.0);
    }
};

void printRow(const char* answer, const Rounds& rounds)
{
    std::printf("%-14s %9lld B  program %6.3f s  curl %6.3f s  ratio %.2f  (medians of %d rounds)%s\n", answer,
                qlonglong(rounds.bytes), median(rounds.program), median(rounds.curl), median(rounds.ratio),
                int(rounds.ratio.size()), rounds.ok ? "" : "  FAILED");
}

int argument(const QStringList& arguments, const QString& name, int fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int projectCount = argument(app.arguments(), QStringLiteral("--projects"), 2800);
    const int photoCount = argument(app.arguments(), QStringLiteral("--photos"), 4300);
    const int rounds = qMax(1, argument(app.arguments(), QStringLiteral("--rounds"), 9));
    TovrinWebLibrary::initialize();
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    QJsonObject scenario = WebTestSupport::scenarioWithProjects(projectCount);
    QJsonArray projects = scenario.value(QStringLiteral("projects")).toArray();
    QJsonArray media;
    for (int i = 0; i < photoCount; ++i)
        media.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Photos")},
                                 {QStringLiteral("name"), QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'))}});
    projects.append(QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Photos")},
                                {QStringLiteral("projectId"), QStringLiteral("p-media")},
                                {QStringLiteral("media"), media}});
    scenario.insert(QStringLiteral("projects"), projects);
    WebServiceSimulator sim;
    if (!sim.start(scenario)) {
        std::fprintf(stderr, "cannot start the web-service simulator (python3)\n");
        return 1;
    }
    Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
    WebCommunicator communicator;
    if (!WebTestSupport::loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(WebTestSupport::alicePassword()))) {
        std::fprintf(stderr, "cannot log in at the simulator\n");
        return 1;
    }
    const QString bearer = QStringLiteral("Authorization: Bearer ") + communicator.loginData().accessToken();

    Rounds listRounds;
    Rounds linkRounds;
    for (int round = 0; round < rounds; ++round) {
        std::unique_ptr<UserProjectsRequestHandle> list(communicator.queryUserProjects());
        int listed = -1;
        QObject::connect(list.get(), &UserProjectsRequestHandle::requestFinished, list.get(),
                         [&](const UserProjectsResponse& response, Error error) {
                             listed = error == ErrorNone ? response.projects().size() : -1;
                         });
        listRounds.add(programRun(list.get(), [&]() { return listed == projectCount + 1; }),
                       curlRun(sim.rootUrl() + QStringLiteral("api/Projects?pageSize=1000000"),
                               {bearer, QStringLiteral("Accept: application/json"), QStringLiteral("Content-Type: application/json")},
                               dir.filePath(QStringLiteral("projects.json"))));

        std::unique_ptr<SingleProjectFileDownloadRequestHandle> links(communicator.requestAllMediaLinks(QStringLiteral("p-media")));
        int linkCount = -1;
        QObject::connect(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished, links.get(),
                         [&](const SingleProjectFileDownloadResponse& response) {
                             linkCount = response.error() == ErrorNone ? response.links().size() : -1;
                         });
        linkRounds.add(programRun(links.get(), [&]() { return linkCount == photoCount; }),
                       curlRun(sim.rootUrl() + QStringLiteral("api/Projects/p-media/Zephira/Media/Download"),
                               {bearer, QStringLiteral("Accept: application/xml")}, dir.filePath(QStringLiteral("media.xml"))));
    }

    const TransferLimits limits = communicator.timeouts().transfer;
    std::printf("%s; limits: head %d ms, stall %d ms, at least %d B/s over %d ms\n",
                qPrintable(QCoreApplication::applicationFilePath()), limits.headMs, limits.stallMs,
                limits.lowSpeedBytesPerSecond, limits.lowSpeedWindowMs);
    std::printf("baseline: curl over the same addresses with the same headers (its own transfer time)\n");
    printRow("project list", listRounds);
    printRow("media links", linkRounds);
    return listRounds.ok && linkRounds.ok ? 0 : 1;
}
