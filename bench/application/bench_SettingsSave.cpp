// One save of the settings, as Apply on the settings screen makes it, in a settings folder of
// the bench's own: the time the GUI thread spends in the save and the time until the store is
// on the disk (its result has arrived). The baseline is the GUI thread waiting for the disk
// itself, as the save did when it wrote the store in place of handing it over. Prints the
// median and the 99th percentile of each, and the program's figure over the baseline's.
//
//   bench_SettingsSave [saves]   (default 200)

#include "application/CSettings.h"
#include "application/CSettingsStoreService.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures
{
    std::vector<double> guiMs;
    std::vector<double> diskMs;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, size_t(fraction * double(values.size()))));
}

double msSince(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// The program: the save is handed over and its result comes back to the event loop.
void saveHandedOver(CSettings& settings, Figures& figures)
{
    QEventLoop loop;
    const auto connection = QObject::connect(&settings, &CSettings::saveFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    settings.save();
    figures.guiMs.push_back(msSince(clock));
    loop.exec();
    figures.diskMs.push_back(msSince(clock));
    QObject::disconnect(connection);
}

// The baseline: the GUI thread waits until the store is on the disk.
void saveWaitedFor(CSettings& settings, Figures& figures)
{
    QElapsedTimer clock;
    clock.start();
    settings.save();
    CSettingsStoreService::instance()->waitForWrites(CSettingsStoreService::ExitBoundMs);
    figures.guiMs.push_back(msSince(clock));
    figures.diskMs.push_back(msSince(clock));
    // Its result, which the next save must not take for its own.
    QCoreApplication::processEvents();
}

void printRow(const char* what, const std::vector<double>& program, const std::vector<double>& baseline)
{
    const double pm = percentile(program, 0.5), p99 = percentile(program, 0.99);
    const double bm = percentile(baseline, 0.5), b99 = percentile(baseline, 0.99);
    std::printf("  %-28s %9.3f %9.3f | %9.3f %9.3f | %7.4f %7.4f\n", what, pm, p99, bm, b99, pm / bm, p99 / b99);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QCoreApplication application(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const int saves = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    CSettings settings;
    Figures program;
    Figures baseline;
    // The store's thread starts with the first save, once per run: not a save's own cost.
    Figures warmUp;
    saveHandedOver(settings, warmUp);
    // Turn about, so that the disk's moods fall on both alike.
    for (int i = 0; i < saves; ++i) {
        settings.setDefaultOperatorName(QStringLiteral("Operator %1").arg(i));
        if (i % 2 == 0)
            saveHandedOver(settings, program);
        else
            saveWaitedFor(settings, baseline);
    }
    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("One save of the settings (%d saves, half each way), ms: the program hands the save over,\n"
                "the baseline waits on the GUI thread until the store is on the disk.\n",
                saves);
    std::printf("  %-28s %9s %9s | %9s %9s | %7s %7s\n", "", "median", "p99", "base med", "base p99", "factor",
                "p99 f.");
    printRow("GUI thread held", program.guiMs, baseline.guiMs);
    printRow("until on the disk", program.diskMs, baseline.diskMs);
    return 0;
}
