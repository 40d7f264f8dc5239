// The web client and the updater on field links, and against fast peers whose answers never
// end or unpack to gigabytes, each beside its baseline:
// - a 200 KB and a 2 MiB upload at 16 kbit/s, and a project list across an outage of 60 s at
//   120 kbit/s, through the program's own path (communicator, request handles, the limits the
//   program sets) beside curl sending the same requests; every transfer has a link of its own
//   with the same rate limit, so that all run side by side in one run (about 19 minutes);
// - the peak resident memory above the start, and the time to the end, of the endless error and
//   redirect pages, the endless list and server status answers and the answers that unpack to
//   2 GB (each given up by the bench after --memory-seconds, and stopped early past 2 GiB).
// Needs root: it makes a network namespace of its own and shapes its loopback with tc (htb, u32).
//
// Usage: bench_FieldLinks [--memory-only | --links-only] [--memory-seconds N]   (default 10);
// CX_BENCH_LOG=1 prints the program's own log lines.

#include "libraries/web/WebTestSupport.h"
#include "peers/update-server/UpdateServerPeer.h"
#include "support/PeakMemory.h"
#include "support/ShapedLoopback.h"

#include "update/SoftwareUpdater.h"

#include "ApplicationUrls.h"
#include "AWSPutRequestHandle.h"
#include "CLogger.h"
#include "LoginResponse.h"
#include "PlainRequestHandles.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"
#include "ZephiraProjectSingleFileDownload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <sched.h>

#include <cstdio>
#include <functional>

using namespace Tovrin::Web;

namespace {

const qint64 kKiB = 1024;
const qint64 kMiB = 1024 * kKiB;
const int kLinkWaitMs = 3600000;
const qint64 kMemoryGuard = 2048 * kMiB;

struct Flow
{
    QString name;
    QElapsedTimer clock;
    double seconds = -1;
    bool ok = false;
    QString detail;

    void finish(bool succeeded, const QString& why = QString())
    {
        if (seconds >= 0)
            return;
        seconds = clock.nsecsElapsed() / 1e9;
        ok = succeeded;
        detail = why;
    }
};

void printPair(const char* what, const Flow& program, const Flow& curl)
{
    std::printf("%-34s program %8.1f s %-7s curl %8.1f s %-7s ratio %.2f%s%s\n", what, program.seconds,
                program.ok ? "ok" : "FAILED", curl.seconds, curl.ok ? "ok" : "FAILED",
                curl.seconds > 0 ? program.seconds / curl.seconds : 0.0, program.detail.isEmpty() ? "" : "  program: ",
                qPrintable(program.detail));
}

// ---- links ----

int runLinks(const QString& folder)
{
    const int projectCount = 3000;
    // One service per transfer: each has its own link.
    struct Link
    {
        const char* name;
        qint64 bytes; // 0: the project list
        QString rate;
        std::unique_ptr<WebServiceSimulator> program, curl;
    };
    std::vector<Link> links;
    links.push_back({"PUT 200 KB at 16 kbit/s", 200 * kKiB, QStringLiteral("16kbit"), nullptr, nullptr});
    links.push_back({"PUT 2 MiB at 16 kbit/s", 2 * kMiB, QStringLiteral("16kbit"), nullptr, nullptr});
    links.push_back({"list, 60 s outage, 120 kbit/s", 0, QStringLiteral("120kbit"), nullptr, nullptr});
    int classNumber = 10;
    QList<int> outageClasses;
    for (Link& link : links) {
        for (std::unique_ptr<WebServiceSimulator>* side : {&link.program, &link.curl}) {
            side->reset(new WebServiceSimulator);
            if (!(*side)->start(link.bytes == 0 ? WebTestSupport::scenarioWithProjects(projectCount) : WebTestSupport::defaultScenario())) {
                std::fprintf(stderr, "cannot start a web-service simulator\n");
                return 1;
            }
            const QString error = ShapedLoopback::shapePort(quint16((*side)->port()), classNumber, link.rate);
            if (!error.isEmpty()) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
            if (link.bytes == 0)
                outageClasses.append(classNumber);
            ++classNumber;
        }
    }

    Link& listLink = links.back();
    // curl's token comes from its own service: each communicator is made for the root it uses.
    Tovrin::Shared::ApplicationUrls::setRootUrl(listLink.curl->rootUrl());
    auto curlLogin = std::make_unique<WebCommunicator>();
    const bool curlLoggedIn = WebTestSupport::loginCommunicator(*curlLogin, QStringLiteral("alice"),
                                                                 QString::fromLatin1(WebTestSupport::alicePassword()));
    Tovrin::Shared::ApplicationUrls::setRootUrl(listLink.program->rootUrl());
    WebCommunicator communicator;
    if (!curlLoggedIn
        || !WebTestSupport::loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(WebTestSupport::alicePassword()))) {
        std::fprintf(stderr, "cannot log in at the simulator\n");
        return 1;
    }

    std::vector<std::unique_ptr<Flow>> programFlows, curlFlows;
    std::vector<std::unique_ptr<QObject>> handles;
    std::vector<std::unique_ptr<QProcess>> curls;
    for (Link& link : links) {
        auto programFlow = std::make_unique<Flow>();
        auto curlFlow = std::make_unique<Flow>();
        programFlow->clock.start();
        curlFlow->clock.start();
        QStringList curlArguments{QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null")};
        Flow* programEnd = programFlow.get();
        if (link.bytes > 0) {
            const QString path = folder + QStringLiteral("/%1.bin").arg(link.bytes);
            if (!WebTestSupport::makeRandomFile(path, link.bytes, quint32(link.bytes)))
                return 1;
            const QString key = QStringLiteral("storage/objects/p-up/Picture/Sec/%1.jpg").arg(link.bytes);
            AWSPutRequestHandle* put = communicator.uploadFromUrl(
                link.program->presign(QStringLiteral("PUT"), key), path,
                UploadFileDescriptor(QStringLiteral("p-up"), QString(), path, QString(), key, false));
            QObject::connect(put, &AWSPutRequestHandle::requestFinished, put, [programEnd](const UploadFileResponse& response) {
                programEnd->finish(response.error() == ErrorNone, QStringLiteral("error %1").arg(int(response.error())));
            });
            handles.emplace_back(put);
            curlArguments << QStringLiteral("-H") << QStringLiteral("Expect:") << QStringLiteral("-T") << path
                          << link.curl->presign(QStringLiteral("PUT"), key);
        } else {
            UserProjectsRequestHandle* list = communicator.queryUserProjects();
            QObject::connect(list, &UserProjectsRequestHandle::requestFinished, list,
                             [programEnd, projectCount](const UserProjectsResponse& response, Error error) {
                                 programEnd->finish(error == ErrorNone && response.projects().size() == projectCount,
                                                    QStringLiteral("error %1").arg(int(error)));
                             });
            handles.emplace_back(list);
            curlArguments << QStringLiteral("-H") << QStringLiteral("Authorization: Bearer ") + curlLogin->loginData().accessToken()
                          << QStringLiteral("-H") << QStringLiteral("Accept: application/json") << QStringLiteral("-H")
                          << QStringLiteral("Content-Type: application/json")
                          << listLink.curl->rootUrl() + QStringLiteral("api/Projects?pageSize=1000000");
        }
        auto curl = std::make_unique<QProcess>();
        Flow* curlEnd = curlFlow.get();
        QProcess* process = curl.get();
        QObject::connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), process,
                         [curlEnd](int code, QProcess::ExitStatus status) {
                             curlEnd->finish(status == QProcess::NormalExit && code == 0, QStringLiteral("exit %1").arg(code));
                         });
        curl->start(QStringLiteral("curl"), curlArguments);
        curls.push_back(std::move(curl));
        programFlows.push_back(std::move(programFlow));
        curlFlows.push_back(std::move(curlFlow));
    }
    // Both lists are well under way after 10 s (about 150 KB of 900 KB each).
    QTimer::singleShot(10000, [&outageClasses] {
        for (int number : outageClasses)
            ShapedLoopback::setOutage(number, true, QStringLiteral("120kbit"));
    });
    QTimer::singleShot(70000, [&outageClasses] {
        for (int number : outageClasses)
            ShapedLoopback::setOutage(number, false, QStringLiteral("120kbit"));
    });
    (void)QTest::qWaitFor(
        [&] {
            for (std::size_t i = 0; i < links.size(); ++i) {
                if (programFlows[i]->seconds < 0 || curlFlows[i]->seconds < 0)
                    return false;
            }
            return true;
        },
        kLinkWaitMs);

    const TransferLimits limits = communicator.timeouts().transfer;
    std::printf("Links (each transfer on a link of its own); limits: head %d ms, stall %d ms, at least %d B/s over %d ms\n",
                limits.headMs, limits.stallMs, limits.lowSpeedBytesPerSecond, limits.lowSpeedWindowMs);
    std::printf("baseline: curl with the same requests (no limits of its own)\n");
    bool allOk = true;
    for (std::size_t i = 0; i < links.size(); ++i) {
        printPair(links[i].name, *programFlows[i], *curlFlows[i]);
        allOk = allOk && programFlows[i]->ok && curlFlows[i]->ok;
    }
    return allOk ? 0 : 1;
}

// ---- memory ----

struct MemoryCase
{
    QString name;
    // Starts the transfer; calls done(outcome) when it ended. Returns what stops it early.
    std::function<std::function<void()>(std::function<void(QString)> done)> start;
};

void runMemoryCase(const MemoryCase& memoryCase, int capSeconds)
{
    PeakMemory::resetPeak();
    const qint64 before = PeakMemory::residentBytes();
    QElapsedTimer clock;
    clock.start();
    QString outcome;
    bool ended = false;
    const std::function<void()> stop = memoryCase.start([&](const QString& what) {
        if (!ended) {
            outcome = what;
            ended = true;
        }
    });
    QString end;
    (void)QTest::qWaitFor([&] { return ended || clock.elapsed() > capSeconds * 1000 || PeakMemory::residentBytes() > kMemoryGuard; },
                    capSeconds * 1000 + 1000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const qint64 peak = PeakMemory::peakBytes() - before;
    if (!ended) {
        end = PeakMemory::residentBytes() > kMemoryGuard ? QStringLiteral("stopped past 2 GiB") : QStringLiteral("still running, stopped");
        stop();
        QTest::qWait(200);
    } else {
        end = QStringLiteral("ended: ") + outcome;
    }
    std::printf("%-40s peak %+7.1f MiB  after %6.2f s  %s\n", qPrintable(memoryCase.name), peak / double(kMiB), seconds, qPrintable(end));
}

int runMemory(const QString& folder, int capSeconds)
{
    WebServiceSimulator sim;
    UpdateServerPeer updates;
    if (!sim.start(WebTestSupport::defaultScenario()) || !updates.start()) {
        std::fprintf(stderr, "cannot start the peers\n");
        return 1;
    }
    Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
    WebCommunicator communicator;
    WebCommunicator::Timeouts timeouts = communicator.timeouts();
    timeouts.serverStatusMs = capSeconds * 1000 + 5000;
    communicator.setTimeouts(timeouts);
    if (!WebTestSupport::loginCommunicator(communicator, QStringLiteral("alice"), QString::fromLatin1(WebTestSupport::alicePassword()))) {
        std::fprintf(stderr, "cannot log in at the simulator\n");
        return 1;
    }
    const double unpacked = 2e9;
    const QJsonObject endless{{QStringLiteral("endless"), true}, {QStringLiteral("maxSeconds"), 600}};
    auto webFault = [&sim](const QString& route, QJsonObject action) { return sim.setFaults({WebTestSupport::fault(route, action)}); };
    auto withStatus = [](QJsonObject action, int status) {
        action.insert(QStringLiteral("status"), status);
        return action;
    };
    const QJsonObject endlessPage{{QStringLiteral("fault"), QStringLiteral("endless")}, {QStringLiteral("max_seconds"), 600}};
    auto updaterCase = [&](const QString& name, const QJsonObject& version, const QJsonObject& installer) {
        return MemoryCase{name, [&updates, &folder, version, installer](std::function<void(QString)> done) -> std::function<void()> {
                              updates.setRoutes({{QStringLiteral("/version.conf"), version},
                                                 {QStringLiteral("/culvertix/setup/Installer.exe"), installer}});
                              auto* updater = new SoftwareUpdater;
                              updater->setBaseUrl(QUrl(updates.baseUrl()));
                              updater->setDownloadFolder(folder + QStringLiteral("/downloads"));
                              QObject::connect(updater, &SoftwareUpdater::updateErrorOccurred, updater,
                                               [done](UpdateError error) { done(QStringLiteral("update error %1").arg(int(error))); });
                              QObject::connect(updater, &SoftwareUpdater::updateAvailable, updater, [updater] {
                                  QTimer::singleShot(0, updater, [updater] { updater->downloadUpdate(); });
                              });
                              QObject::connect(updater, &SoftwareUpdater::updateDownloadDone, updater,
                                               [done] { done(QStringLiteral("download done")); });
                              updater->checkForUpdate();
                              return [updater] { delete updater; };
                          }};
    };
    auto page = [&endlessPage](int status) {
        QJsonObject route = endlessPage;
        route.insert(QStringLiteral("status"), status);
        return route;
    };
    auto listCase = [&](const QString& name, const QJsonObject& action) {
        return MemoryCase{name, [&, action](std::function<void(QString)> done) -> std::function<void()> {
                              webFault(QStringLiteral("projects"), action);
                              auto* list = communicator.queryUserProjects();
                              QObject::connect(list, &UserProjectsRequestHandle::requestFinished, list,
                                               [done](const UserProjectsResponse&, Error error) {
                                                   done(QStringLiteral("error %1").arg(int(error)));
                                               });
                              return [list] { delete list; };
                          }};
    };
    const QList<MemoryCase> cases{
        updaterCase(QStringLiteral("version.conf, endless 404 page"), page(404), QJsonObject()),
        updaterCase(QStringLiteral("installer, endless 302 page"),
                    UpdateServerPeer::textRoute("[Windows]\nVersion=9.9\nFile=setup/Installer.exe\n"), page(302)),
        MemoryCase{QStringLiteral("media file, endless 404 page"),
                   [&](std::function<void(QString)> done) -> std::function<void()> {
                       webFault(QStringLiteral("storage_get"), withStatus(endless, 404));
                       auto* job = new ZephiraProjectSingleFileDownload(
                           sim.presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-big/Photos/a.jpg")), &communicator, 1);
                       QObject::connect(job, &AbstractDownload::errorOccurred, job,
                                        [done](uint, Error error) { done(QStringLiteral("error %1").arg(int(error))); });
                       QObject::connect(job, &AbstractDownload::downloadCompleted, job, [done](uint) { done(QStringLiteral("completed")); });
                       job->prepareOutput(folder + QStringLiteral("/media/a.jpg"), QString());
                       job->start();
                       return [job] { delete job; };
                   }},
        listCase(QStringLiteral("project list, endless"), endless),
        MemoryCase{QStringLiteral("server status, endless"),
                   [&](std::function<void(QString)> done) -> std::function<void()> {
                       webFault(QStringLiteral("server_status"), endless);
                       QTimer::singleShot(0, [&communicator, done] {
                           const StatusResponse status = communicator.queryServerStatus();
                           done(QStringLiteral("error %1").arg(int(status.isRequestSuccessful() ? ErrorNone : status.error())));
                       });
                       return [] {};
                   }},
        listCase(QStringLiteral("project list, unpacking to 2 GB"), {{QStringLiteral("gzipBombBytes"), unpacked}}),
        MemoryCase{QStringLiteral("login, unpacking to 2 GB"),
                   [&](std::function<void(QString)> done) -> std::function<void()> {
                       webFault(QStringLiteral("login_json"), {{QStringLiteral("gzipBombBytes"), unpacked}});
                       auto* login = communicator.login(QStringLiteral("alice"), QString::fromLatin1(WebTestSupport::alicePassword()));
                       QObject::connect(login, &LoginRequestHandle::requestFinished, login, [done](const LoginResponse& response) {
                           done(QStringLiteral("login result %1").arg(int(response.loginResult())));
                       });
                       return [login] { delete login; };
                   }},
    };
    std::printf("Fast peers (loopback, no rate limit), each given up by the bench after %d s; peak resident memory above the start\n",
                capSeconds);
    // The compressed answers are made once, before any is measured.
    webFault(QStringLiteral("projects"), {{QStringLiteral("gzipBombBytes"), unpacked}});
    QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                               sim.rootUrl() + QStringLiteral("api/Projects?pageSize=1000000")});
    for (const MemoryCase& memoryCase : cases)
        runMemoryCase(memoryCase, capSeconds);
    return 0;
}

int argumentValue(const QStringList& arguments, const QString& name, int fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread starts, so that every thread and every peer lives in the namespace.
    const bool isolated = ::unshare(CLONE_NEWNET) == 0;
    QCoreApplication app(argc, argv);
    TovrinWebLibrary::initialize();
    qRegisterMetaType<UpdateError>("UpdateError");
    Tovrin::Logging::CLogger::setPrintToConsole(qEnvironmentVariableIsSet("CX_BENCH_LOG"));
    const QString error = isolated ? ShapedLoopback::setUp() : QStringLiteral("no network namespace");
    if (!error.isEmpty()) {
        std::fprintf(stderr, "needs root: a network namespace of its own and tc (htb, u32) on its loopback (%s)\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const QStringList arguments = app.arguments();
    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    int status = 0;
    if (!arguments.contains(QStringLiteral("--links-only")))
        status |= runMemory(folder.path(), argumentValue(arguments, QStringLiteral("--memory-seconds"), 10));
    if (!arguments.contains(QStringLiteral("--memory-only")))
        status |= runLinks(folder.path());
    return status;
}
