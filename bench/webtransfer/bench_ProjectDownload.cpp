// Downloads a web project with all its media (100 files) through the project download handler
// into a new local project, then fetches the same media addresses with a curl loop in one shell
// (one curl per file, one after the other, each file synced, renamed and its folder synced as
// the handler does), checks every copy by MD5 and prints both times with their ratio. The
// handler's time also holds the link list and the two data files.
//
// Usage: bench_ProjectDownload [--full | --many]   (default 100 files of 512 KiB; --full 100 of
// 5 MiB; --many 3000 of 16 KiB, where what the handler does per file in one folder shows)

#include "peers/webservice/WebServiceSimulator.h"

#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlWriter.h"
#include "web/CProjectDownloadHandler.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Tovrin::Web;

namespace {

const int kWaitMs = 600000;

QByteArray md5Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

bool makeFile(const QString& path, qint64 size, quint32 seed)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(seed);
    QByteArray block(int(qMin<qint64>(size, 1 << 20)), Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += block.size()) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        if (file.write(block.constData(), qMin<qint64>(block.size(), size - written)) <= 0)
            return false;
    }
    return true;
}

QString mediaName(int i)
{
    return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
}

bool waitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, kWaitMs);
}

} // namespace

int main(int argc, char** argv)
{
    const bool full = argc > 1 && qstrcmp(argv[1], "--full") == 0;
    const bool many = argc > 1 && qstrcmp(argv[1], "--many") == 0;
    const int fileCount = many ? 3000 : 100;
    const qint64 fileSize = full ? 5LL * 1024 * 1024 : many ? 16LL * 1024 : 512LL * 1024;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // Settings and projects of the run stay in the scratch folder.
    qputenv("HOME", dir.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("home/.config")).toLocal8Bit());
    QDir().mkpath(dir.filePath(QStringLiteral("home/Culvertix-Projects")));
    QCoreApplication app(argc, argv);
    TovrinWebLibrary::initialize();

    const QString xmlPath = dir.filePath(QStringLiteral("project.xml"));
    auto project = std::make_shared<CSurveyProject>(QStringLiteral("Bench"), QStringLiteral("en_US"),
                                                    ProjectTypes::DistanceUnitMetric);
    if (!CProjectXmlWriter().write(project, xmlPath))
        return 1;
    QFile xml(xmlPath);
    if (!xml.open(QIODevice::ReadOnly))
        return 1;
    QJsonArray media;
    for (int i = 0; i < fileCount; ++i)
        media.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("Photos")}, {QStringLiteral("name"), mediaName(i)}});
    const QJsonObject entry{{QStringLiteral("projectName"), QStringLiteral("Bench")},
                            {QStringLiteral("projectId"), QStringLiteral("p-bench")},
                            {QStringLiteral("webProjectId"), QStringLiteral("w-bench")},
                            {QStringLiteral("projectFolderName"), QStringLiteral("Bench")},
                            {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                            {QStringLiteral("data"), QJsonObject{{QStringLiteral("Surveys"), QString::fromUtf8(xml.readAll())},
                                                                 {QStringLiteral("Manholes"), QStringLiteral("<Manholes/>")}}},
                            {QStringLiteral("media"), media}};
    const QJsonObject scenario{
        {QStringLiteral("accounts"), QJsonArray{QJsonObject{{QStringLiteral("userName"), QStringLiteral("bench")},
                                                            {QStringLiteral("password"), QStringLiteral("bench-pw")},
                                                            {QStringLiteral("id"), QStringLiteral("u-bench")}}}},
        {QStringLiteral("projects"), QJsonArray{entry}}};
    WebServiceSimulator sim;
    if (!sim.start(scenario)) {
        std::fprintf(stderr, "cannot start the web-service simulator (python3)\n");
        return 1;
    }
    Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
    QStringList sums;
    for (int i = 0; i < fileCount; ++i) {
        const QString stored = sim.storedObject(QStringLiteral("p-bench"), QStringLiteral("Photos/") + mediaName(i));
        if (!makeFile(stored, fileSize, quint32(i + 1)))
            return 1;
        sums.append(QString::fromLatin1(md5Of(stored)));
    }

    TovrinWebApi api;
    bool loggedIn = false;
    QObject::connect(&api, &TovrinWebApi::loginResult, [&](const QString&, TovrinWebApi::LoginResult result) {
        loggedIn = result == TovrinWebApi::LoginResultSuccess;
    });
    api.login(QStringLiteral("bench"), QStringLiteral("bench-pw"));
    if (!waitFor([&]() { return loggedIn; }))
        return 1;
    CSettings settings;
    settings.setDownloadAllMedia(true);
    CProjectService projects(&settings);
    if (!waitFor([&]() { return projects.projectListReady(); }))
        return 1;

    // Through the handler.
    CProjectDownloadHandler handler(&api, &projects, &settings);
    bool finished = false;
    QString error;
    QObject::connect(&handler, &CProjectDownloadHandler::downloadFinished, [&]() { finished = true; });
    QObject::connect(&handler, &CProjectDownloadHandler::errorOccurred, [&](const QString& message) { error = message; });
    QElapsedTimer clock;
    clock.start();
    handler.startDownload(QStringLiteral("p-bench"), QStringLiteral("Bench"));
    const bool handlerDone = waitFor([&]() { return finished || !error.isEmpty(); });
    const double handlerSeconds = clock.nsecsElapsed() / 1e9;
    bool handlerOk = handlerDone && finished;
    const QString folder = queryProjectRootPath() + QStringLiteral("Bench/Photos/");
    for (int i = 0; handlerOk && i < fileCount; ++i)
        handlerOk = QString::fromLatin1(md5Of(folder + mediaName(i))) == sums.at(i);

    // The same addresses with a curl loop.
    QStringList addresses;
    for (int i = 0; i < fileCount; ++i)
        addresses.append(sim.presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-bench/Photos/") + mediaName(i)));
    const QString curlFolder = dir.filePath(QStringLiteral("curl"));
    QDir().mkpath(curlFolder);
    // One shell runs the loop: a process started from this one would time the copy of this
    // process's memory map (large under the sanitizers) with every file, not curl. Each file is
    // made durable as the handler makes it: written to the disk under a new name, renamed, and
    // its folder written to the disk.
    QStringList loop{QStringLiteral("-c"),
                     QStringLiteral("folder=$1; shift; while [ $# -gt 0 ]; do curl -sf -o \"$1.new\" \"$2\" && "
                                    "sync -d \"$1.new\" && mv \"$1.new\" \"$1\" && sync \"$folder\" || exit 1; "
                                    "shift 2; done"),
                     QStringLiteral("curl-loop"), curlFolder};
    for (int i = 0; i < fileCount; ++i)
        loop << curlFolder + QLatin1Char('/') + mediaName(i) << addresses.at(i);
    QProcess shell;
    clock.restart();
    shell.start(QStringLiteral("sh"), loop);
    bool curlOk = shell.waitForFinished(kWaitMs) && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
    const double curlSeconds = clock.nsecsElapsed() / 1e9;
    for (int i = 0; curlOk && i < fileCount; ++i)
        curlOk = QString::fromLatin1(md5Of(curlFolder + QLatin1Char('/') + mediaName(i))) == sums.at(i);

    const double mib = fileCount * double(fileSize) / (1024.0 * 1024.0);
    std::printf("%d media files of %.3f MiB (%.0f MiB)%s\n", fileCount, fileSize / (1024.0 * 1024.0), mib,
                full || many ? "" : "; --full for 5 MiB each, --many for 3000 of 16 KiB");
    std::printf("%-48s %8.2f s %8.1f MiB/s %s\n", qPrintable(QCoreApplication::applicationFilePath()), handlerSeconds,
                mib / handlerSeconds, handlerOk ? "" : qPrintable(QStringLiteral("(FAILED) ") + error));
    std::printf("%-48s %8.2f s %8.1f MiB/s %s\n", "baseline: curl loop, each file synced", curlSeconds,
                mib / curlSeconds, curlOk ? "" : "(FAILED)");
    std::printf("ratio (handler time / curl time): %.2f\n", curlSeconds > 0 ? handlerSeconds / curlSeconds : 0.0);
    return handlerOk && curlOk ? 0 : 1;
}
