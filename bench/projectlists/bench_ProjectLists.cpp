// Times the list screens' hot paths side by side with a bare baseline over the same data:
// a project list update and re-sort of 1,000 projects through CProjectListModel and
// CProjectFilterProxyModel against a QStandardItemModel behind a plain QSortFilterProxyModel,
// and the re-sort of 10,000 manholes per position update through CManholeDistanceModel
// against a std::sort of precomputed distances.
#include "surveyprojects/CManholeDistanceModel.h"
#include "surveyprojects/CProjectFilterProxyModel.h"
#include "surveyprojects/CProjectListModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSortFilterProxyModel>
#include <QAbstractListModel>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
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

QVector<CLocalProjectInfo> projects(int count, int round)
{
    QVector<CLocalProjectInfo> list;
    list.reserve(count);
    const QDateTime start(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        // Sizes change every round, as after a close; names and folders stay.
        list.append(CLocalProjectInfo(QUuid(), QString("Project %1").arg((i * 7919) % count, 5, 10, QChar('0')),
                                      QString("/projects/P%1/").arg(i), start.addSecs(i * 3600),
                                      qint64((i * 104729 + round * 31) % 50000000)));
    }
    return list;
}

// The least model over the same records: every update a reset, the size as the one role.
class BareModel : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_list.size(); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        return role == Qt::DisplayRole ? QVariant(m_list.at(index.row()).name()) : QVariant(m_list.at(index.row()).size());
    }
    void setList(const QVector<CLocalProjectInfo>& list)
    {
        beginResetModel();
        m_list = list;
        endResetModel();
    }

private:
    QVector<CLocalProjectInfo> m_list;
};

void row(const char* what, const char* program, double programMs, const char* baseline, double baselineMs)
{
    std::printf("%-34s %-40s %9.3f ms   %-40s %9.3f ms   ratio %6.2f\n", what, program, programMs, baseline,
                baselineMs, baselineMs > 0 ? programMs / baselineMs : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = 15;

    // 1,000 projects: a sizes-only update, then a re-sort by size.
    {
        const int count = 1000;
        CProjectListModel model;
        CProjectFilterProxyModel proxy;
        proxy.setSourceModel(&model);
        model.setProjectList(projects(count, 0));
        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectSize);

        BareModel bare;
        bare.setList(projects(count, 0));
        QSortFilterProxyModel bareProxy;
        bareProxy.setSourceModel(&bare);
        bareProxy.setSortRole(Qt::UserRole);
        bareProxy.sort(0);

        const double update = timeIt([&](int i) { model.setProjectList(projects(count, i + 1)); }, runs);
        const double bareUpdate = timeIt([&](int i) { bare.setList(projects(count, i + 1)); }, runs);
        row("update 1,000 projects", "CProjectListModel+CProjectFilterProxyModel", update,
            "bare list model+QSortFilterProxyModel", bareUpdate);

        const double resort = timeIt(
            [&](int i) {
                proxy.setSortFilterRole(i % 2 ? CProjectItemRolesModel::RoleProjectName
                                              : CProjectItemRolesModel::RoleProjectSize);
            },
            runs);
        const double bareResort = timeIt(
            [&](int i) {
                bareProxy.setSortRole(i % 2 ? Qt::DisplayRole : Qt::UserRole);
                bareProxy.sort(0, Qt::AscendingOrder);
            },
            runs);
        row("re-sort 1,000 projects", "CProjectFilterProxyModel::setSortFilterRole", resort,
            "QSortFilterProxyModel::sort", bareResort);
    }

    // 10,000 manholes: one position update each (distances and order).
    {
        const int count = 10000;
        const QGeoCoordinate centre(47.5, 8.25);
        auto list = std::make_shared<ManholeList>();
        list->reserve(count);
        for (int i = 0; i < count; ++i)
            list->append(CGeoManhole(QString("MH %1").arg(i), centre.atDistanceAndAzimuth((i * 37) % 5000 + 1, i % 360)));
        CManholeDistanceModel model;
        model.setManholeList(list);

        const double update = timeIt(
            [&](int i) { model.setCurrentPosition(centre.atDistanceAndAzimuth(10.0 * (i + 1), 30.0)); }, runs);
        const double bare = timeIt(
            [&](int i) {
                const QGeoCoordinate here = centre.atDistanceAndAzimuth(10.0 * (i + 1), 30.0);
                std::vector<double> distances(count);
                for (int m = 0; m < count; ++m)
                    distances[m] = here.distanceTo(list->at(m).coordinate());
                std::vector<int> order(count);
                std::iota(order.begin(), order.end(), 0);
                std::sort(order.begin(), order.end(), [&](int a, int b) { return distances[a] < distances[b]; });
            },
            runs);
        row("position update, 10,000 manholes", "CManholeDistanceModel::setCurrentPosition", update,
            "distanceTo + std::sort", bare);
    }
    return 0;
}
