// Single PUTs of one file over TLS to a pre-signed address of the web-service simulator (its TLS
// mode, a throw-away certificate), side by side: the web client's own single-file upload
// (WebCommunicator::uploadFromUrl), Qt's QNetworkAccessManager directly (file body as it is, with
// DoNotBufferUploadDataAttribute, and the file mapped into memory so that Qt sends it in large
// steps), and curl. Prints the throughput of each and its ratio to curl; the fastest of a few
// alternating rounds counts, since the machine may be busy.
//   bench_TlsPut [sizes in MiB, comma-separated; default 5,100,1024] [rounds; default 3]

#include "peers/webservice/WebServiceSimulator.h"

#include "AWSPutRequestHandle.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace Tovrin::Web;

namespace {
const int kTransferLimitMs = 600000;

bool makeFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(11);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += block.size()) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        const qint64 chunk = qMin<qint64>(block.size(), size - written);
        if (file.write(block.constData(), chunk) != chunk)
            return false;
    }
    return true;
}

// Waits (bounded) for the reply and tells whether it ended with 200 and no error.
bool finishedWell(QNetworkReply* reply)
{
    if (!reply->isFinished()) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(kTransferLimitMs);
        loop.exec();
    }
    const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError
                    && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
    if (!ok)
        std::fprintf(stderr, "PUT failed: %s\n", qPrintable(reply->errorString()));
    return ok;
}

double runCurl(const QStringList& arguments)
{
    QList<QByteArray> storage{QByteArrayLiteral("curl")};
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
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

struct Way
{
    const char* name;
    std::function<double()> run; // seconds, or below 0 on failure
    double best = 0;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TovrinWebLibrary::initialize();
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    QList<qint64> sizesMiB{5, 100, 1024};
    if (argc > 1) {
        sizesMiB.clear();
        for (const QString& part : QString::fromLocal8Bit(argv[1]).split(QLatin1Char(',')))
            sizesMiB.append(part.toLongLong());
    }
    const int rounds = argc > 2 ? qMax(1, atoi(argv[2])) : 3;

    QTemporaryDir dir;
    WebServiceSimulator::Tls tls;
    QString error;
    if (!dir.isValid() || !WebServiceSimulator::makeCertificates(dir.path(), &tls, &error)) {
        std::fprintf(stderr, "cannot make certificates: %s\n", qPrintable(error));
        return 1;
    }
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    trusting.addCaCertificates(tls.caFile);
    QSslConfiguration::setDefaultConfiguration(trusting);

    WebServiceSimulator sim;
    if (!sim.start(QJsonObject{{QStringLiteral("accounts"), QJsonArray()}, {QStringLiteral("projects"), QJsonArray()}},
                   tls)) {
        std::fprintf(stderr, "cannot start the web-service simulator (python3)\n");
        return 1;
    }
    const QString stored = sim.storedObject(QStringLiteral("bench"), QStringLiteral("big.bin"));
    const QString putUrl = sim.presign(QStringLiteral("PUT"), QStringLiteral("storage/objects/bench/big.bin"));
    QNetworkAccessManager manager;
    WebCommunicator communicator;

#if defined(__SANITIZE_ADDRESS__)
    std::printf("Built with AddressSanitizer: figures are not representative; use a Release build.\n");
#endif
    std::printf("%s: single PUT over TLS to the web-service simulator on 127.0.0.1, fastest of %d rounds\n",
                argv[0], rounds);

    bool allOk = true;
    for (const qint64 mib : qAsConst(sizesMiB)) {
        const qint64 size = mib * 1024 * 1024;
        const QString source = dir.filePath(QStringLiteral("source.bin"));
        if (!makeFile(source, size)) {
            std::fprintf(stderr, "cannot write the test file\n");
            return 1;
        }
        auto storedWhole = [&] {
            const bool whole = QFileInfo(stored).size() == size;
            QFile::remove(stored);
            return whole;
        };
        auto timed = [&](const std::function<QNetworkReply*(QFile&)>& send) {
            QFile file(source);
            if (!file.open(QIODevice::ReadOnly))
                return -1.0;
            QElapsedTimer timer;
            timer.start();
            QNetworkReply* reply = send(file);
            const bool ok = finishedWell(reply);
            const double seconds = timer.nsecsElapsed() / 1e9;
            delete reply;
            return ok && storedWhole() ? seconds : -1.0;
        };
        QNetworkRequest request{QUrl(putUrl)};
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/octet-stream"));
        QNetworkRequest unbuffered = request;
        unbuffered.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);

        QList<Way> ways{
            {"qt", [&] { return timed([&](QFile& file) { return manager.put(request, &file); }); }},
            {"qt-nobuffer", [&] { return timed([&](QFile& file) { return manager.put(unbuffered, &file); }); }},
            {"qt-mapped",
             [&] {
                 return timed([&](QFile& file) {
                     // The mapped file as one contiguous body: Qt then writes it in large steps.
                     uchar* mapped = file.map(0, file.size());
                     const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), int(file.size()));
                     return manager.put(unbuffered, body);
                 });
             }},
            {"client",
             [&] {
                 QElapsedTimer timer;
                 timer.start();
                 AWSPutRequestHandle* put = communicator.uploadFromUrl(
                     putUrl, source,
                     UploadFileDescriptor(QStringLiteral("bench"), QStringLiteral("bench"), source, QString(),
                                          QStringLiteral("big.bin"), false));
                 if (!put)
                     return -1.0;
                 bool ok = false;
                 QEventLoop loop;
                 QObject::connect(put, &AWSPutRequestHandle::requestFinished, &loop, [&](const UploadFileResponse& response) {
                     ok = response.isRequestSuccessful();
                     loop.quit();
                 });
                 QTimer::singleShot(kTransferLimitMs, &loop, &QEventLoop::quit);
                 loop.exec();
                 const double seconds = timer.nsecsElapsed() / 1e9;
                 delete put;
                 return ok && storedWhole() ? seconds : -1.0;
             }},
            {"curl",
             [&] {
                 const double seconds = runCurl({QStringLiteral("-sS"), QStringLiteral("--fail"), QStringLiteral("--cacert"),
                                                 tls.caFile, QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                                 QStringLiteral("-T"), source, putUrl});
                 return seconds > 0 && storedWhole() ? seconds : -1.0;
             }},
        };
        if (size > std::numeric_limits<int>::max())
            ways.removeAt(2); // a QByteArray holds less than 2 GiB
        for (int round = 0; round < rounds; ++round) {
            for (Way& way : ways) {
                const double seconds = way.run();
                if (seconds < 0) {
                    allOk = false;
                    continue;
                }
                if (way.best == 0 || seconds < way.best)
                    way.best = seconds;
            }
        }
        const double curlRate = ways.last().best > 0 ? mib / ways.last().best : 0;
        for (const Way& way : qAsConst(ways)) {
            const double rate = way.best > 0 ? mib / way.best : 0;
            std::printf("%6lld MiB  %-12s %8.1f MiB/s  ratio to curl %.2f\n", static_cast<long long>(mib), way.name, rate,
                        curlRate > 0 ? rate / curlRate : 0.0);
        }
        QFile::remove(source);
    }
    return allOk ? 0 : 1;
}
