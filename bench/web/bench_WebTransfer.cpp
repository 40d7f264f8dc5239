// Uploads a 100 MiB file through the web client (AWS PUT handle, Qt's network access manager)
// and with curl -T to the same pre-signed address of the web-service simulator, downloads it back
// both ways (single-file download job and curl), checks every copy by MD5 and prints throughput,
// processor seconds per 100 MiB and peak resident memory side by side (the processor time says
// what each side costs even when the simulator sets the pace). The client streams the file: its
// memory must stay far below the file size.

#include "peers/webservice/WebServiceSimulator.h"

#include "AWSPutRequestHandle.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"
#include "ZephiraProjectSingleFileDownload.h"

#include "ApplicationUrls.h"
#include "CLogger.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Tovrin::Web;

namespace {
// 100 MiB unless the first argument gives another size in MiB (a slow link wants less).
qint64 kFileSize = 100LL * 1024 * 1024;
const int kTransferLimitMs = 300000;

struct Figures
{
    double seconds = 0;
    double cpuSeconds = 0;
    qint64 peakKiB = 0;
    bool ok = false;
};

QByteArray md5Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

bool makeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(7);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < kFileSize; written += block.size()) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

double cpuSecondsOf(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

double ownCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSecondsOf(usage);
}

qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Lets the peak resident size start again from the current one (Linux clear_refs 5).
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Runs curl to its end. Its peak resident size comes from GNU time when that is installed: a child
// forked from this process would otherwise inherit this process's peak in its own figure.
Figures runCurl(const QStringList& arguments, const QString& scratchFolder)
{
    Figures figures;
    const QString timeTool = QStringLiteral("/usr/bin/time");
    const QString peakFile = scratchFolder + QStringLiteral("/curl-peak.txt");
    const bool measured = QFile::exists(timeTool);
    QList<QByteArray> storage;
    if (measured)
        storage << timeTool.toLocal8Bit() << QByteArrayLiteral("-f") << QByteArrayLiteral("%M") << QByteArrayLiteral("-o")
                << peakFile.toLocal8Bit();
    storage.append(QByteArrayLiteral("curl"));
    for (const QString& argument : arguments)
        storage.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv.front(), argv.data());
        _exit(127);
    }
    if (pid < 0)
        return figures;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return figures;
    figures.seconds = timer.nsecsElapsed() / 1e9;
    figures.cpuSeconds = cpuSecondsOf(usage);
    figures.peakKiB = usage.ru_maxrss;
    QFile peak(peakFile);
    if (measured && peak.open(QIODevice::ReadOnly))
        figures.peakKiB = peak.readAll().trimmed().split('\n').last().toLongLong();
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

// Runs one transfer of this process (run() tells whether it succeeded) and takes its time,
// processor time and growth of the peak resident size.
Figures measureOwn(const std::function<bool()>& run)
{
    Figures figures;
    const qint64 before = statusKiB("VmRSS:");
    resetPeak();
    const double cpuBefore = ownCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    figures.ok = run();
    figures.seconds = timer.nsecsElapsed() / 1e9;
    figures.cpuSeconds = ownCpuSeconds() - cpuBefore;
    figures.peakKiB = statusKiB("VmHWM:") - before;
    return figures;
}

template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal)
{
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    bool fired = false;
    QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(kTransferLimitMs);
    loop.exec();
    return fired;
}

void printRow(const char* what, const Figures& client, const Figures& curl)
{
    const double mib = kFileSize / 1048576.0;
    const double clientRate = client.seconds > 0 ? mib / client.seconds : 0;
    const double curlRate = curl.seconds > 0 ? mib / curl.seconds : 0;
    const double per100MiB = 100.0 / mib;
    std::printf("%-9s client %8.2f MiB/s (%6.1f s)  cpu %5.2f s/100 MiB  peak +%6.1f MiB | curl %8.2f MiB/s (%6.1f s)  "
                "cpu %5.2f s/100 MiB  peak %6.1f MiB | ratio %.2f  cpu ratio %.2f %s\n",
                what, clientRate, client.seconds, client.cpuSeconds * per100MiB, client.peakKiB / 1024.0, curlRate,
                curl.seconds, curl.cpuSeconds * per100MiB, curl.peakKiB / 1024.0, curlRate > 0 ? clientRate / curlRate : 0.0,
                curl.cpuSeconds > 0 ? client.cpuSeconds / curl.cpuSeconds : 0.0, client.ok && curl.ok ? "" : "(FAILED)");
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Arguments: size in MiB, runs of each way (for a throttled link: 2 1).
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1 && arguments.at(1).toLongLong() > 0)
        kFileSize = arguments.at(1).toLongLong() * 1024 * 1024;
    TovrinWebLibrary::initialize();
    Tovrin::Logging::CLogger::setPrintToConsole(false);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.bin"));
    if (!dir.isValid() || !makeFile(source)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return 1;
    }
    const QByteArray sourceMd5 = md5Of(source);

    WebServiceSimulator sim;
    QJsonObject scenario{{QStringLiteral("accounts"), QJsonArray()}, {QStringLiteral("projects"), QJsonArray()}};
    if (!sim.start(scenario)) {
        std::fprintf(stderr, "cannot start the web-service simulator (python3)\n");
        return 1;
    }
    Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
    const QString objectPath = QStringLiteral("storage/objects/bench/big.bin");
    const QString putUrl = sim.presign(QStringLiteral("PUT"), objectPath);
    const QString getUrl = sim.presign(QStringLiteral("GET"), objectPath);
    const QString stored = sim.storedObject(QStringLiteral("bench"), QStringLiteral("big.bin"));

    WebCommunicator communicator;

    // Upload through the client.
    auto clientUpload = [&] {
        Figures figures = measureOwn([&] {
            std::unique_ptr<AWSPutRequestHandle> put(communicator.uploadFromUrl(
                putUrl, source, UploadFileDescriptor(QStringLiteral("bench"), QStringLiteral("bench"), source, QString(),
                                                     QStringLiteral("big.bin"), false)));
            bool succeeded = false;
            if (put) {
                QObject::connect(put.get(), &AWSPutRequestHandle::requestFinished, put.get(),
                                 [&](const UploadFileResponse& response) { succeeded = response.isRequestSuccessful(); });
                waitFor(put.get(), &AWSPutRequestHandle::requestFinished);
            }
            return succeeded;
        });
        figures.ok = figures.ok && md5Of(stored) == sourceMd5;
        QFile::remove(stored);
        return figures;
    };

    // Upload with curl to the same address.
    auto curlUpload = [&] {
        Figures figures = runCurl({QStringLiteral("-sS"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                   QStringLiteral("-T"), source, putUrl},
                                  dir.path());
        figures.ok = figures.ok && md5Of(stored) == sourceMd5;
        return figures;
    };

    // Download through the client.
    auto clientDownload = [&] {
        const QString target = dir.filePath(QStringLiteral("client.bin"));
        Figures figures = measureOwn([&] {
            ZephiraProjectSingleFileDownload download(getUrl, &communicator, 1);
            bool completed = false;
            QObject::connect(&download, &AbstractDownload::downloadCompleted, &download, [&] { completed = true; });
            if (download.prepareOutput(target, QString())) {
                download.start();
                waitFor(&download, &AbstractDownload::downloadCompleted);
            }
            return completed;
        });
        figures.ok = figures.ok && md5Of(target) == sourceMd5;
        QFile::remove(target);
        return figures;
    };

    // Download with curl from the same address.
    auto curlDownload = [&] {
        const QString target = dir.filePath(QStringLiteral("curl.bin"));
        Figures figures = runCurl({QStringLiteral("-sS"), QStringLiteral("-o"), target, getUrl}, dir.path());
        figures.ok = figures.ok && md5Of(target) == sourceMd5;
        QFile::remove(target);
        return figures;
    };

    // The machine may be busy: each way runs a few times, alternating, and the fastest run counts.
    const int rounds = arguments.size() > 2 && arguments.at(2).toInt() > 0 ? arguments.at(2).toInt() : 3;
    Figures clientUp, curlUp, clientDown, curlDown;
    bool allOk = true;
    auto keepBest = [&allOk](Figures& best, const Figures& run) {
        allOk = allOk && run.ok;
        if (best.seconds == 0 || run.seconds < best.seconds) {
            best.seconds = run.seconds;
            best.cpuSeconds = run.cpuSeconds;
        }
        best.peakKiB = qMax(best.peakKiB, run.peakKiB);
        best.ok = allOk;
    };
    for (int round = 0; round < rounds; ++round) {
        keepBest(clientUp, clientUpload());
        keepBest(curlUp, curlUpload());
    }
    for (int round = 0; round < rounds; ++round) {
        keepBest(clientDown, clientDownload());
        keepBest(curlDown, curlDownload());
    }

#if defined(__SANITIZE_ADDRESS__)
    std::printf("Built with AddressSanitizer: speed and memory are not representative. Use a Release build "
                "without CX_SANITIZE for figures.\n");
#endif
    std::printf("%lld MiB through the web-service simulator on 127.0.0.1 (peak: client growth during the transfer, "
                "curl whole process; fastest of %d runs each)\n",
                static_cast<long long>(kFileSize / 1048576), rounds);
    printRow("upload", clientUp, curlUp);
    printRow("download", clientDown, curlDown);
    return allOk ? 0 : 1;
}
