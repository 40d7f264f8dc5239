// Times the web project list's merge of a 5,000-project answer side by side with a bare
// baseline over the same records: the first answer (model filled, pending uploads put on
// top), a later answer with 1% of the projects gone and 1% new while uploads are pending,
// and an unchanged answer, through WebProjectService::onProjectInfoReceived into
// CWebProjectListModel, against a bare list model that finds the gone and new ids with two
// QSet differences and then resets with the answer.
#include "web/CWebProjectListModel.h"
#include "web/WebProjectService.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using Tovrin::Web::ProjectInfo;

namespace {

// Median of the runs, in milliseconds; prepare runs untimed before each run.
double timeIt(const std::function<void(int)>& prepare, const std::function<void(int)>& work, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        QElapsedTimer timer;
        timer.start();
        work(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QList<ProjectInfo> projects(int count, int first)
{
    QList<ProjectInfo> list;
    list.reserve(count);
    const QDateTime start(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC);
    for (int i = first; i < first + count; ++i) {
        const QString id = QStringLiteral("3f2c%1-0000-4000-8000-%2").arg(i, 4, 16, QChar('0')).arg(i, 12, 10, QChar('0'));
        list.append(ProjectInfo(QStringLiteral("Project %1").arg(i), id, QStringLiteral("w-") + id,
                                QStringLiteral("Project %1").arg(i), start.addSecs(i * 600), quint64(i) * 1048576, true));
    }
    return list;
}

// The least model over the same records: every answer a reset.
class BareModel : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_list.size(); }
    QVariant data(const QModelIndex& index, int) const override
    {
        return index.isValid() ? QVariant(m_list.at(index.row()).projectName()) : QVariant();
    }
    void setList(const QList<ProjectInfo>& list)
    {
        beginResetModel();
        m_list = list;
        endResetModel();
    }
    // The least diff: ids gone and ids new, then the answer as the list.
    int merge(const QList<ProjectInfo>& list)
    {
        QSet<QString> shown;
        shown.reserve(m_list.size());
        for (const ProjectInfo& project : qAsConst(m_list))
            shown.insert(project.projectId());
        QSet<QString> received;
        received.reserve(list.size());
        for (const ProjectInfo& project : list)
            received.insert(project.projectId());
        const int changes = QSet<QString>(received).subtract(shown).size() + QSet<QString>(shown).subtract(received).size();
        setList(list);
        return changes;
    }

private:
    QList<ProjectInfo> m_list;
};

void row(const char* what, const char* program, double programMs, const char* baseline, double baselineMs)
{
    std::printf("%-40s %-42s %9.3f ms   %-26s %9.3f ms   ratio %6.2f\n", what, program, programMs, baseline,
                baselineMs, baselineMs > 0 ? programMs / baselineMs : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = 15;
    const int count = 5000;
    const QList<ProjectInfo> first = projects(count, 0);
    // 1% gone at the front, 1% new at the end.
    const QList<ProjectInfo> later = projects(count, count / 100);
    QList<ProjectInfo> pending;
    for (int i = 0; i < 10; ++i) {
        ProjectInfo upload = projects(1, 100000 + i).first();
        upload.setIsImportedByWeb(false);
        pending.append(upload);
    }

    WebProjectService service(nullptr);
    service.setTimerIntervals(3600000, 3600000);
    BareModel bare;

    const double initial = timeIt(
        [&](int) {
            service.stopRemoteProjectsQuerying();
            service.resetSessionBackup();
            for (const ProjectInfo& upload : qAsConst(pending))
                service.addUploadedProject(upload);
            service.stopRemoteProjectsQuerying();
        },
        [&](int) { service.onProjectInfoReceived(first); }, runs);
    int changes = 0;
    const double bareInitial = timeIt([&](int) { bare.setList({}); }, [&](int) { changes += bare.merge(first); }, runs);
    row("first answer, 5,000 projects", "WebProjectService::onProjectInfoReceived", initial, "QSet id diff + reset",
        bareInitial);

    const double changed = timeIt(
        [&](int) {
            service.stopRemoteProjectsQuerying();
            service.resetSessionBackup();
            for (const ProjectInfo& upload : qAsConst(pending))
                service.addUploadedProject(upload);
            service.onProjectInfoReceived(first);
        },
        [&](int) { service.onProjectInfoReceived(later); }, runs);
    const double bareChanged = timeIt([&](int) { bare.setList(first); }, [&](int) { changes += bare.merge(later); }, runs);
    row("later answer, 1% gone + 1% new", "WebProjectService::onProjectInfoReceived", changed, "QSet id diff + reset",
        bareChanged);

    const double same = timeIt([&](int) {}, [&](int) { service.onProjectInfoReceived(later); }, runs);
    const double bareSame = timeIt([&](int) {}, [&](int) { changes += bare.merge(later); }, runs);
    row("unchanged answer, 5,000 projects", "WebProjectService::onProjectInfoReceived", same, "QSet id diff + reset",
        bareSame);
    std::printf("(%d changes seen by the baseline)\n", changes);

    if (service.webProjectListModel()->rowCount() != count + pending.size()) {
        std::fprintf(stderr, "unexpected row count %d\n", service.webProjectListModel()->rowCount());
        return 1;
    }
    return 0;
}
