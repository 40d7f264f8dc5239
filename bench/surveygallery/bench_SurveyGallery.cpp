// Times filling the survey gallery with 10,000 photos side by side with a bare baseline over
// the same paths: CSurveyGalleryModelDataProvider::setSurveyMedia through a change set with a
// CGalleryModel attached, then every row's name and URL read through the model as a view
// would, against a plain list model reset over a QStringList with the same reads; and the
// survey gallery controller's whole refresh (a disk check per photo, then the fill) against a
// bare loop of the same checks and a reset.
#include "gallery/CGalleryModel.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "gallery/CSurveyGalleryScreenController.h"

#include "application/CAppRuntimeData.h"

#include "application/PathHelpers.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median of the runs, in milliseconds.
double timeIt(const std::function<void(int)>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The least model over the same paths: a reset per fill, name and URL as its two roles.
class BareModel : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_paths.size(); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        const QString& path = m_paths.at(index.row());
        if (role == Qt::DisplayRole)
            return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        return QUrl::fromLocalFile(m_folder + path);
    }
    void setPaths(const QString& folder, const QStringList& paths, const QVector<int>& states)
    {
        beginResetModel();
        m_folder = folder;
        m_paths = paths;
        m_states = states;
        endResetModel();
    }

private:
    QString m_folder;
    QStringList m_paths;
    QVector<int> m_states;
};

void row(const char* what, const char* program, double programMs, const char* baseline, double baselineMs)
{
    std::printf("%-40s %-52s %9.3f ms   %-36s %9.3f ms   ratio %6.2f\n", what, program, programMs, baseline,
                baselineMs, baselineMs > 0 ? programMs / baselineMs : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = 15;
    const int count = 10000;
    const QString folder = QStringLiteral("/data/projects/Ring Road/");

    auto project = std::make_shared<CSurveyProject>(QStringLiteral("Ring Road"), QStringLiteral("en_US"),
                                                    ProjectTypes::DistanceUnitMetric);
    auto survey = std::make_shared<CSurvey>();
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("Photos/IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        survey->addPicture(std::make_shared<CSurveyPhoto>(path, QString(), 0.0, 0.0, 0.0));
        paths << path;
    }
    project->addSurvey(survey);
    auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
    const QVector<int> states(count, 0);

    auto provider = std::make_shared<CSurveyGalleryModelDataProvider>();
    provider->setProjectPath(folder);
    CGalleryModel model(provider, -1);
    BareModel bare;

    const double fill = timeIt([&](int) { provider->setSurveyMedia(changeSet, survey, states, {}); }, runs);
    const double bareFill = timeIt([&](int) { bare.setPaths(folder, paths, states); }, runs);
    row("setSurveyMedia, 10,000 photos", "CSurveyGalleryModelDataProvider::setSurveyMedia", fill,
        "bare list model reset", bareFill);

    const auto readAll = [](const QAbstractListModel& m, int nameRole, int urlRole) {
        qsizetype total = 0;
        for (int r = 0; r < m.rowCount(); ++r) {
            const QModelIndex index = m.index(r);
            total += index.data(nameRole).toString().size() + index.data(urlRole).toUrl().path().size();
        }
        return total;
    };
    qsizetype sink = 0;
    const double read = timeIt(
        [&](int) {
            provider->setSurveyMedia(changeSet, survey, states, {});
            sink += readAll(model, CGalleryModel::FileNameRole, CGalleryModel::FileUrlRole);
        },
        runs);
    const double bareRead = timeIt(
        [&](int) {
            bare.setPaths(folder, paths, states);
            sink += readAll(bare, Qt::DisplayRole, Qt::UserRole);
        },
        runs);
    row("fill and read every row, 10,000 photos", "setSurveyMedia + CGalleryModel::data (name, URL)", read,
        "bare reset + data (name, URL)", bareRead);

    // The controller's refresh: a state per photo from the disk (a tenth of the photos exist),
    // then the fill.
    QTemporaryDir dir;
    const QString projectPath = dir.path() + QLatin1Char('/');
    QDir().mkpath(projectPath + QStringLiteral("Photos"));
    for (int i = 0; i < count; i += 10) {
        QFile file(projectPath + paths.at(i));
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
    CAppRuntimeData runtimeData;
    runtimeData.setCurrentProject(project, projectPath);
    ProjectScreenServices services;
    services.appRuntimeData = &runtimeData;
    CSurveyGalleryScreenController controller(services, nullptr);
    controller.setSurveyList(QVariant::fromValue(project->surveys()));
    controller.setCurrentSurveyIndex(0);
    const double refresh = timeIt([&](int) { controller.updateGalleryModel(); }, runs);
    const double bareRefresh = timeIt(
        [&](int) {
            QVector<int> bareStates;
            bareStates.reserve(count);
            for (const QString& path : qAsConst(paths))
                bareStates.append(QFileInfo::exists(projectPath + path) ? 0 : 2);
            bare.setPaths(projectPath, paths, bareStates);
        },
        runs);
    row("gallery refresh, 10,000 photos on disk", "CSurveyGalleryScreenController::updateGalleryModel", refresh,
        "QFileInfo::exists loop + reset", bareRefresh);
    std::printf("(%lld characters read)\n", static_cast<long long>(sink));
    return 0;
}
