// Media import against a plain copy that does the same work, and the media scan against find,
// on files generated here.
//   bench_MediaImport [--quick] [--scan] [work folder]      (--scan: the scan alone)
// Prints each measurement beside its baseline and the factor (our time divided by the
// baseline's: 1.0 is as fast as the baseline, higher is slower). The import's baseline copies
// each file as cp does and syncs where the import syncs: the new copy to the disk before it
// takes its name, and then its folder. --quick uses a tenth of the sizes. The scan's trees
// hold 10,000 and 100,000 entries; its growth from one to the other is 10 when the scan is
// linear.
#include "mediaimport/CMediaImport.h"
#include "mediaimport/CMediaImportService.h"
#include "mediaimport/CMediaScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 MiB = 1048576;

bool writeNoise(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(static_cast<int>(qMin(size, 4 * MiB)), Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size));
    generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    for (qint64 written = 0; written < size; written += block.size()) {
        if (file.write(block.constData(), qMin<qint64>(block.size(), size - written)) < 0)
            return false;
    }
    return true;
}

// Waits for a job's finished signal, at most ten minutes.
template <typename Job>
bool waitFor(Job* job)
{
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(job, &Job::finished, &loop, &QEventLoop::quit);
    guard.start(600000);
    loop.exec();
    return guard.isActive();
}

double runProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

// The import's work done plainly, one file after the other: each file copied by the kernel
// (as cp does) into a new file beside its target, given the mode of a normal save, written to
// the disk, renamed to its name, and its folder written to the disk. Milliseconds, or -1.
double syncingCopy(const QStringList& sources, const QString& folder)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray into = QFile::encodeName(folder);
    for (const QString& source : sources) {
        const QByteArray name = QFile::encodeName(QFileInfo(source).fileName());
        const QByteArray copy = into + "/." + name + ".new";
        const QByteArray target = into + '/' + name;
        const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(copy.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        struct stat status {};
        bool done = in >= 0 && out >= 0 && ::fstat(in, &status) == 0;
        for (off_t left = status.st_size; done && left > 0;) {
            const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
            done = copied > 0;
            left -= copied;
        }
        done = done && ::fchmod(out, 0644) == 0 && ::fdatasync(out) == 0;
        if (in >= 0)
            ::close(in);
        if (out >= 0)
            ::close(out);
        done = done && ::rename(copy.constData(), target.constData()) == 0;
        const int folderHandle = ::open(into.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        done = done && folderHandle >= 0 && ::fsync(folderHandle) == 0;
        if (folderHandle >= 0)
            ::close(folderHandle);
        if (!done)
            return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

void clearFolder(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

void importSet(CMediaImportService& service, const QString& root, const char* label, int count, qint64 size)
{
    const QString source = root + QStringLiteral("/src-%1").arg(QString::fromLatin1(label));
    const QString ours = root + QStringLiteral("/ours");
    const QString theirs = root + QStringLiteral("/baseline");
    QDir().mkpath(source);
    QStringList sources;
    QStringList destinations;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        if (!writeNoise(source + QLatin1Char('/') + name, size)) {
            std::printf("%-22s could not write the source files\n", label);
            return;
        }
        sources.append(source + QLatin1Char('/') + name);
        destinations.append(ours + QLatin1Char('/') + name);
    }
    // Best of three each, alternating, both with the sources in the page cache.
    double best = -1;
    double bestCp = -1;
    for (int round = 0; round < 3; ++round) {
        clearFolder(theirs);
        const double cp = syncingCopy(sources, theirs);
        if (cp < 0) {
            std::printf("%-22s baseline copy failed\n", label);
            return;
        }
        clearFolder(ours);
        QElapsedTimer timer;
        timer.start();
        auto job = service.createImport(sources, destinations);
        if (!waitFor(job.get()) || job->result() != CMediaImport::Success) {
            std::printf("%-22s import failed\n", label);
            return;
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        best = best < 0 ? ms : qMin(best, ms);
        bestCp = bestCp < 0 ? cp : qMin(bestCp, cp);
    }
    const double mib = double(count) * double(size) / double(MiB);
    std::printf("%-22s %10.0f ms %8.0f MiB/s | copy+sync %10.0f ms %8.0f MiB/s | factor %.2f\n", label, best,
                mib / (best / 1000.0), bestCp, mib / (bestCp / 1000.0), best / bestCp);
    clearFolder(ours);
    clearFolder(theirs);
    QDir(source).removeRecursively();
}

// entries files in folders of 100, every tenth a text file the scan passes over.
bool makeTree(const QString& root, int entries)
{
    for (int i = 0; i < entries; ++i) {
        const QString folder = root + QStringLiteral("/d%1").arg(i / 100);
        if (i % 100 == 0 && !QDir().mkpath(folder))
            return false;
        const QString name = i % 10 == 9 ? QStringLiteral("note_%1.txt").arg(i) : QStringLiteral("IMG_%1.JPG").arg(i);
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

double scanTree(CMediaImportService& service, const QString& root, const QString& photos, const QString& videos,
                int* found)
{
    QElapsedTimer timer;
    timer.start();
    auto scan = service.createScan(root, photos, videos);
    if (!waitFor(scan.get()) || scan->result() != CMediaScan::Success)
        return -1;
    *found = scan->foundFiles().size();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool quick = arguments.contains(QStringLiteral("--quick"));
    const bool scanOnly = arguments.contains(QStringLiteral("--scan"));
    QString work;
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1String("--")))
            work = argument;
    }
    QTemporaryDir temporary(work.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench-import-XXXXXX")
                                           : work + QStringLiteral("/bench-import-XXXXXX"));
    if (!temporary.isValid()) {
        std::printf("no work folder\n");
        return 1;
    }
    const QString root = temporary.path();
    const int scale = quick ? 10 : 1;
    CMediaImportService service;

    std::printf("program %s\nwork folder %s\n\n", qPrintable(app.applicationFilePath()), qPrintable(root));
    if (!scanOnly) {
        std::printf("import (best of 3)      ours                        | baseline: copy, sync, rename, sync the "
                    "folder, file by file\n");
        importSet(service, root, quick ? "100 x 1 MiB" : "1000 x 1 MiB", 1000 / scale, MiB);
        importSet(service, root, quick ? "10 x 10 MiB" : "10 x 100 MiB", 10, 100 * MiB / scale);
        importSet(service, root, quick ? "1 x 100 MiB" : "1 x 1 GiB", 1, 1024 * MiB / scale);
    }

    // A tenth of the photos are in the destination already, as after an earlier import.
    const QString photos = root + QStringLiteral("/p/");
    QDir().mkpath(photos);
    for (int i = 0; i < 100000 / scale; i += 10) {
        QFile file(photos + QStringLiteral("IMG_%1.JPG").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
    }

    std::printf("\nscan (best of 3)        ours                        | baseline /usr/bin/find\n");
    double previous = 0;
    for (int entries : {10000 / scale, 100000 / scale}) {
        const QString tree = root + QStringLiteral("/tree-%1").arg(entries);
        if (!makeTree(tree, entries)) {
            std::printf("could not build the tree of %d entries\n", entries);
            return 1;
        }
        int found = 0;
        double ours = -1;
        double find = -1;
        for (int round = 0; round < 3; ++round) {
            const double ms = scanTree(service, tree, photos, root + QStringLiteral("/v/"), &found);
            const double baseline = runProcess(
                QStringLiteral("find"),
                {tree, QStringLiteral("-type"), QStringLiteral("f"), QStringLiteral("("), QStringLiteral("-iname"),
                 QStringLiteral("*.jpg"), QStringLiteral("-o"), QStringLiteral("-iname"), QStringLiteral("*.jpeg"),
                 QStringLiteral("-o"), QStringLiteral("-iname"), QStringLiteral("*.png"), QStringLiteral("-o"),
                 QStringLiteral("-iname"), QStringLiteral("*.mp4"), QStringLiteral(")")});
            ours = ours < 0 ? ms : qMin(ours, ms);
            find = find < 0 ? baseline : qMin(find, baseline);
        }
        char growth[32] = "";
        if (previous > 0)
            std::snprintf(growth, sizeof(growth), " | growth x%.1f", ours / previous);
        previous = ours;
        std::printf("%7d entries (%6d media) %8.1f ms | find %8.1f ms | factor %.2f%s\n", entries, found, ours,
                    find, ours / find, growth);
        QDir(tree).removeRecursively();
    }
    return 0;
}
