// Times loading and saving project.xml at growing photo counts against a bare
// QXmlStreamReader pass over the same file, and prints the growth factors.
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

// Median of a few runs, in milliseconds.
double timeIt(const std::function<bool()>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!work())
            return -1;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    const int runs = 3;
    double previous[3] = {0, 0, 0};
    int previousCount = 0;
    std::printf("%8s %10s %10s %10s %10s %8s %8s %14s\n", "photos", "bytes", "save ms", "load ms", "bare ms",
                "load/bare", "save/bare", "growth s/l/b");
    for (int count : counts) {
        const SurveyProjectPtr project = makeProject(count);
        const QString path = dir.filePath(QString("project-%1.xml").arg(count));
        const double save = timeIt([&] { return CProjectXmlWriter().write(project, path); }, runs);
        const double load = timeIt([&] { return bool(CProjectXmlReader().read(path, false)); }, runs);
        const double bare = timeIt([&] { return bareRead(path); }, runs);
        char growth[64] = "-";
        if (previousCount > 0) {
            std::snprintf(growth, sizeof(growth), "%.1f/%.1f/%.1f (x%d)", save / previous[0], load / previous[1],
                          bare / previous[2], count / previousCount);
        }
        std::printf("%8d %10lld %10.1f %10.1f %10.1f %8.2f %8.2f %14s\n", count,
                    static_cast<long long>(QFileInfo(path).size()), save, load, bare, load / bare, save / bare, growth);
        previous[0] = save;
        previous[1] = load;
        previous[2] = bare;
        previousCount = count;
    }
    return 0;
}
