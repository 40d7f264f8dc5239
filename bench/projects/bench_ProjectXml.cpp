// Times loading and saving project.xml at growing photo counts against a bare
// QXmlStreamReader pass over the same file, and prints the growth factors. The three take
// turns one operation at a time (in an order that rotates from round to round), so that a
// change of the machine's load meets all three alike; each ratio is the median of the ratios
// of the same round.
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

namespace {

SurveyProjectPtr makeProject(int photos)
{
    auto project = std::make_shared<CSurveyProject>("Benchmark", "en", ProjectTypes::DistanceUnitMetric);
    const int surveys = 10;
    for (int s = 0; s < surveys; ++s) {
        auto survey = std::make_shared<CSurvey>();
        survey->setUpstreamManhole(QString("MH%1").arg(s));
        survey->setDownstreamManhole(QString("MH%1").arg(s + 1));
        survey->setInspectedLength(12.5 * s);
        project->addSurvey(survey);
    }
    for (int i = 0; i < photos; ++i) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const bool located = i % 2 == 0;
        project->surveys().at(i % surveys)->addPicture(std::make_shared<CSurveyPhoto>(
            QString("Photos/photo-%1.jpg").arg(i, 6, 10, QChar('0')), i % 5 == 0 ? QString("comment %1").arg(i) : QString(),
            located ? 8.5 + i * 1e-6 : nan, located ? 47.25 + i * 1e-6 : nan, located ? 410.0 : nan));
    }
    return project;
}

// Milliseconds of one run, or -1 when the work failed.
double timeOnce(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work())
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool bareRead(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const int counts[] = {1000, 10000, 50000};
    const int rounds = 9;
    double previous[3] = {0, 0, 0};
    int previousCount = 0;
    std::printf("median of %d rounds; in each round a save, a load and a bare read take turns\n", rounds);
    std::printf("%8s %10s %10s %10s %10s %8s %8s %14s\n", "photos", "bytes", "save ms", "load ms", "bare ms",
                "load/bare", "save/bare", "growth s/l/b");
    for (int count : counts) {
        const SurveyProjectPtr project = makeProject(count);
        const QString path = dir.filePath(QString("project-%1.xml").arg(count));
        // The file the reads take exists before the first round.
        if (!CProjectXmlWriter().write(project, path))
            return 1;
        const std::function<bool()> work[3] = {[&] { return CProjectXmlWriter().write(project, path); },
                                               [&] { return bool(CProjectXmlReader().read(path, false)); },
                                               [&] { return bareRead(path); }};
        std::vector<double> times[3];
        std::vector<double> loadRatios;
        std::vector<double> saveRatios;
        for (int round = 0; round < rounds; ++round) {
            double ms[3];
            for (int step = 0; step < 3; ++step) {
                const int which = (round + step) % 3;
                ms[which] = timeOnce(work[which]);
                if (ms[which] < 0)
                    return 1;
                times[which].push_back(ms[which]);
            }
            saveRatios.push_back(ms[0] / ms[2]);
            loadRatios.push_back(ms[1] / ms[2]);
        }
        const double save = median(times[0]);
        const double load = median(times[1]);
        const double bare = median(times[2]);
        char growth[64] = "-";
        if (previousCount > 0) {
            std::snprintf(growth, sizeof(growth), "%.1f/%.1f/%.1f (x%d)", save / previous[0], load / previous[1],
                          bare / previous[2], count / previousCount);
        }
        std::printf("%8d %10lld %10.1f %10.1f %10.1f %8.2f %8.2f %14s\n", count,
                    static_cast<long long>(QFileInfo(path).size()), save, load, bare, median(loadRatios),
                    median(saveRatios), growth);
        previous[0] = save;
        previous[1] = load;
        previous[2] = bare;
        previousCount = count;
    }
    return 0;
}
