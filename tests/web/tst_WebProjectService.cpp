// The web project service and its list model: the merge of list answers with the uploads of
// this login, the upload states, the model's texts and edits, and the periodic queries of a
// real facade against the web-service simulator with short intervals.

#include "libraries/web/WebTestSupport.h"

#include "surveyprojects/CProjectItemRolesModel.h"
#include "web/CWebProjectListModel.h"
#include "web/WebProjectService.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

const QDateTime kCreated(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);

ProjectInfo project(const QString& id, bool imported = true, quint64 size = 0)
{
    return ProjectInfo(QStringLiteral("Name ") + id, id, QStringLiteral("w-") + id, id, kCreated, size, imported);
}

QStringList ids(const CWebProjectListModel* model)
{
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->projectInfoAt(row).projectId();
    return list;
}

bool importedAt(const CWebProjectListModel* model, const QString& id)
{
    return model->data(model->indexOfProjectId(id), CProjectItemRolesModel::RoleIsImportedByWeb).toBool();
}

UploadStatusInfo status(const QString& id, int value)
{
    UploadStatusInfo info;
    info.projectId = id;
    info.status = value;
    return info;
}

// Starts the simulator and points the web client at it; a facade made after this talks to it.
bool startSimulator(WebServiceSimulator& sim, const QJsonObject& scenario, const QJsonArray& faults = {})
{
    if (!sim.start(scenario) || !sim.setFaults(faults))
        return false;
    Tovrin::Shared::ApplicationUrls::setRootUrl(sim.rootUrl());
    return true;
}

bool logIn(TovrinWebApi& api)
{
    QSignalSpy loginResult(&api, &TovrinWebApi::loginResult);
    api.login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
    return loginResult.wait(20000)
           && loginResult.first().at(1).value<TovrinWebApi::LoginResult>() == TovrinWebApi::LoginResultSuccess;
}

} // namespace

class tst_WebProjectService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TovrinWebLibrary::initialize();
    }

    void cleanupTestCase() { TovrinWebLibrary::finalize(); }

    // First answer with a pending upload it lacks; a later answer listing it as imported while
    // the backup still waits; the status answer that imports it; the next list that marks it.
    void mergeKeepsAPendingUploadUntilItIsImported()
    {
        WebProjectService service(nullptr);
        CWebProjectListModel* model = service.webProjectListModel();
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);

        service.addUploadedProject(project(QStringLiteral("x"), false, 10));
        // Shown at once, before any list arrived.
        QCOMPARE(ids(model), QStringList{QStringLiteral("x")});
        service.stopRemoteProjectsQuerying();
        QCOMPARE(model->rowCount(), 0);

        service.onProjectInfoReceived({project(QStringLiteral("a")), project(QStringLiteral("b")), project(QStringLiteral("c"))});
        QCOMPARE(initialised.count(), 1);
        QCOMPARE(ids(model), (QStringList{QStringLiteral("x"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(!importedAt(model, QStringLiteral("x")));

        // The list carries x as imported while the backup still waits: nothing changes.
        const QList<ProjectInfo> withX{project(QStringLiteral("a")), project(QStringLiteral("b")), project(QStringLiteral("c")),
                                       project(QStringLiteral("x"), true, 7340032)};
        service.onProjectInfoReceived(withX);
        QCOMPARE(model->rowCount(), 4);
        QVERIFY(!importedAt(model, QStringLiteral("x")));

        service.onUploadStatusInfoReceived({status(QStringLiteral("x"), 2)});
        QVERIFY(service.uploadBackup().value(QStringLiteral("x")).isImportedByWeb());
        QVERIFY(!service.isUploadStatusTimerActive());
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        service.onProjectInfoReceived(withX);
        QCOMPARE(model->rowCount(), 4);
        QVERIFY(importedAt(model, QStringLiteral("x")));
        QCOMPARE(model->data(model->indexOfProjectId(QStringLiteral("x")), CProjectItemRolesModel::RoleProjectSizeString).toString(),
                 QStringLiteral("7 MB"));
        QVERIFY(service.uploadBackup().isEmpty());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(initialised.count(), 1);

        // Gone from the list: an imported project's row goes, with an empty backup too.
        service.onProjectInfoReceived({project(QStringLiteral("a")), project(QStringLiteral("x"))});
        QCOMPARE(ids(model), (QStringList{QStringLiteral("x"), QStringLiteral("a")}));
        // A new project appears on top.
        service.onProjectInfoReceived({project(QStringLiteral("a")), project(QStringLiteral("x")), project(QStringLiteral("n"))});
        QCOMPARE(ids(model).first(), QStringLiteral("n"));
        QCOMPARE(initialised.count(), 1);
    }

    // A pending upload's row stays when a list lacks it; status 3 removes row and entry;
    // an empty status answer empties the backup; logout forgets everything.
    void pendingRowsAndUploadStates()
    {
        WebProjectService service(nullptr);
        service.setTimerIntervals(60000, 60000);
        CWebProjectListModel* model = service.webProjectListModel();
        service.onProjectInfoReceived({project(QStringLiteral("a")), project(QStringLiteral("b"))});
        service.addUploadedProject(project(QStringLiteral("p"), false));
        service.addUploadedProject(project(QStringLiteral("q"), false));
        QCOMPARE(ids(model), (QStringList{QStringLiteral("q"), QStringLiteral("p"), QStringLiteral("a"), QStringLiteral("b")}));
        // A project that is listed already is shown as not imported when its upload is added.
        service.addUploadedProject(project(QStringLiteral("a"), false));
        QVERIFY(!importedAt(model, QStringLiteral("a")));
        QCOMPARE(model->rowCount(), 4);

        // The list lacks p, q and b: the pending rows stay, the imported b goes; a listed as
        // imported while its upload is pending stays shown as pending.
        service.onProjectInfoReceived({project(QStringLiteral("a"))});
        QCOMPARE(ids(model), (QStringList{QStringLiteral("q"), QStringLiteral("p"), QStringLiteral("a")}));
        QVERIFY(!importedAt(model, QStringLiteral("a")));

        // One answer with a pending status starts the timer once; a running timer is not restarted.
        service.onUploadStatusInfoReceived({status(QStringLiteral("p"), 1), status(QStringLiteral("q"), 3)});
        QVERIFY(service.isUploadStatusTimerActive());
        QVERIFY(!model->containsProjectId(QStringLiteral("q")));
        QVERIFY(!service.uploadBackup().contains(QStringLiteral("q")));
        service.onUploadStatusInfoReceived({status(QStringLiteral("p"), 0)});
        QVERIFY(service.isUploadStatusTimerActive());
        // All final: the timer stops.
        service.onUploadStatusInfoReceived({status(QStringLiteral("p"), 3)});
        QVERIFY(!service.isUploadStatusTimerActive());
        QVERIFY(!model->containsProjectId(QStringLiteral("p")));

        service.onUploadStatusInfoReceived({status(QStringLiteral("a"), 1)});
        QVERIFY(service.isUploadStatusTimerActive());
        service.onUploadStatusInfoReceived({});
        QVERIFY(!service.isUploadStatusTimerActive());
        QVERIFY(service.uploadBackup().isEmpty());

        // A status of a project that is not followed makes no entry for it.
        service.onUploadStatusInfoReceived({status(QStringLiteral("ghost"), 2)});
        QVERIFY(service.uploadBackup().isEmpty());

        service.addUploadedProject(project(QStringLiteral("z"), false));
        service.onUploadStatusInfoReceived({status(QStringLiteral("z"), 1)});
        service.resetSessionBackup();
        QVERIFY(service.uploadBackup().isEmpty());
        QVERIFY(!service.isUploadStatusTimerActive());
        // With the backup empty a missing project's row goes.
        service.onProjectInfoReceived({project(QStringLiteral("a"))});
        QCOMPARE(ids(model), QStringList{QStringLiteral("a")});
    }

    // Texts, edits and bounds of the model.
    void modelTextsEditsAndBounds()
    {
        CWebProjectListModel model(nullptr);
        model.setProjectList({project(QStringLiteral("a"), true, 0), project(QStringLiteral("b"), true, 1572864),
                              project(QStringLiteral("c"), true, 1048575), project(QStringLiteral("d"), true, 5368709120ull),
                              project(QStringLiteral("e"))});
        auto text = [&model](int row) {
            return model.data(model.index(row), CProjectItemRolesModel::RoleProjectSizeString).toString();
        };
        QCOMPARE(text(0), QStringLiteral("0 MB"));
        QCOMPARE(text(1), QStringLiteral("1 MB"));
        QCOMPARE(text(2), QStringLiteral("0 MB"));
        QCOMPARE(text(3), QStringLiteral("5,120 MB"));
        QCOMPARE(model.data(model.index(0), CProjectItemRolesModel::RoleProjectCreationDateString).toString(),
                 QLocale().toString(kCreated.toLocalTime(), QLocale::ShortFormat));
        QCOMPARE(model.data(model.index(3), CProjectItemRolesModel::RoleProjectSize).toULongLong(), 5368709120ull);
        QVERIFY(!model.data(model.index(0), CProjectItemRolesModel::RoleProjectId).isValid());
        QVERIFY(!model.data(model.index(5), CProjectItemRolesModel::RoleProjectName).isValid());

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(0), 123, CProjectItemRolesModel::RoleProjectSize));
        QCOMPARE(changed.last().at(2).value<QVector<int>>(), QVector<int>{CProjectItemRolesModel::RoleProjectSizeString});
        QVERIFY(model.setData(model.index(0), kCreated, CProjectItemRolesModel::RoleProjectCreationDate));
        QCOMPARE(changed.last().at(2).value<QVector<int>>(), QVector<int>{CProjectItemRolesModel::RoleProjectCreationDateString});
        QVERIFY(model.setData(model.index(0), QStringLiteral("new-id"), CProjectItemRolesModel::RoleProjectId));
        QCOMPARE(changed.last().at(2).value<QVector<int>>(), QVector<int>{CProjectItemRolesModel::RoleProjectId});
        QCOMPARE(model.rowOfProjectId(QStringLiteral("new-id")), 0);
        QCOMPARE(model.indexOfProjectName(QStringLiteral("Name b")).row(), 1);
        QVERIFY(!model.setData(model.index(0), 1, CProjectItemRolesModel::RoleProjectSizeString));
        QVERIFY(!model.setData(model.index(0), 1, Qt::DisplayRole));
        CWebProjectListModel other(nullptr);
        other.setProjectList({project(QStringLiteral("o"))});
        QVERIFY(!model.setData(other.index(0), QStringLiteral("x"), CProjectItemRolesModel::RoleProjectName));
        QCOMPARE(changed.count(), 3);

        QVERIFY(!model.removeRows(5, 1));
        QVERIFY(!model.removeRows(-1, 1));
        QVERIFY(model.removeRows(3, 10));
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.insertRows(1, 2));
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.projectInfoAt(1).projectId(), QString());
        QCOMPARE(model.projectInfoAt(9).projectId(), QString());
        QCOMPARE(model.flags(model.index(0)),
                 Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    }

    // With a real facade: the list is asked for again and again while querying runs, and no
    // more once stopped; an upload's state is asked for while pending, and the imported upload
    // shows up in the list as imported.
    void periodicQueriesAgainstTheService()
    {
        QJsonObject scenario = defaultScenario();
        // The first status query that is answered finds the upload pending, the next imported.
        scenario.insert(QStringLiteral("uploadStatusSequence"),
                        QJsonObject{{QStringLiteral("*"), QJsonArray{1, 2}}});
        WebServiceSimulator sim;
        // The first status query fails: that says nothing about the upload, which is still
        // followed. Each answer then takes several poll intervals: the polls must wait for it
        // instead of piling up further queries.
        QVERIFY(startSimulator(sim, scenario,
                               {fault(QStringLiteral("upload_statuses"), {{QStringLiteral("status"), 500}}, {1}),
                                fault(QStringLiteral("upload_statuses"), {{QStringLiteral("slowBodyMs"), 100}})}));
        TovrinWebApi api;
        QVERIFY(logIn(api));

        WebProjectService service(&api);
        service.setTimerIntervals(200, 100);
        CWebProjectListModel* model = service.webProjectListModel();
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);
        QSignalSpy lists(&api, &TovrinWebApi::projectInfoReceived);
        QSignalSpy statuses(&api, &TovrinWebApi::uploadStatusInfoReceived);
        QSignalSpy statusFailures(&api, &TovrinWebApi::uploadStatusQueryFailed);
        service.queryRemoteProjects();
        QVERIFY(initialised.wait(10000));
        QCOMPARE(ids(model), QStringList{QStringLiteral("p-big")});
        QTRY_VERIFY_WITH_TIMEOUT(lists.count() >= 3, 10000);
        QCOMPARE(initialised.count(), 1);
        // Nothing pending: no status query so far.
        QCOMPARE(sim.requestsTo(QStringLiteral("upload_statuses")).size(), 0);

        QTemporaryDir folder;
        QVERIFY(writeText(folder.filePath(QStringLiteral("project.xml")), "<Project/>"));
        const QUuid uuid = QUuid::createUuid();
        QSignalSpy uploaded(&api, &TovrinWebApi::uploadFinished);
        QVERIFY(api.uploadZephiraProject(uuid, QStringLiteral("Fresh"), folder.path(), kCreated, {}) > 0);
        QVERIFY(uploaded.wait(20000));
        const QString id = uuid.toString(QUuid::WithoutBraces);
        service.addUploadedProject(ProjectInfo(QStringLiteral("Fresh"), id, QString(), QStringLiteral("Fresh"), kCreated, 0, false));
        QCOMPARE(ids(model).first(), id);
        QVERIFY(!importedAt(model, id));
        QVERIFY(statuses.wait(10000));
        QCOMPARE(statusFailures.count(), 1);
        QVERIFY(service.isUploadStatusTimerActive());
        // The second answer reports it imported; the timer stops and the list marks it.
        QTRY_VERIFY_WITH_TIMEOUT(!service.isUploadStatusTimerActive(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(importedAt(model, id), 10000);
        QVERIFY(service.uploadBackup().isEmpty());
        QCOMPARE(model->rowCount(), 2);
        const int statusQueries = sim.requestsTo(QStringLiteral("upload_statuses")).size();
        QCOMPARE(statusQueries, 3);

        service.stopRemoteProjectsQuerying();
        QVERIFY(!service.isQueryTimerActive());
        QCOMPARE(model->rowCount(), 0);
        // Started again, the first list initialises the model once more.
        service.queryRemoteProjects();
        QVERIFY(initialised.wait(10000));
        QCOMPARE(initialised.count(), 2);
        QCOMPARE(sim.requestsTo(QStringLiteral("upload_statuses")).size(), statusQueries);
        service.stopRemoteProjectsQuerying();
    }

    // While the service keeps a list query waiting, neither new starts nor ticks send another;
    // once it is answered the next one goes out.
    void oneListQueryAtATime()
    {
        const QString route = QStringLiteral("projects");
        WebServiceSimulator sim;
        QVERIFY(startSimulator(sim, defaultScenario(), {fault(route, {{QStringLiteral("hold"), true}})}));
        TovrinWebApi api;
        QVERIFY(logIn(api));

        WebProjectService service(&api);
        service.setTimerIntervals(20, 60000);
        QSignalSpy lists(&api, &TovrinWebApi::projectInfoReceived);
        QSignalSpy checked(&api, &TovrinWebApi::checkIfCulvertixProjectFinished);
        service.queryRemoteProjects();
        QTRY_COMPARE_WITH_TIMEOUT(sim.heldRequests(route), 1, 10000);
        // New starts, and the ticks of a short period, while the first query waits.
        for (int i = 0; i < 3; ++i)
            service.queryRemoteProjects();
        // A request sent after all of them has been answered: any further list query would be
        // on its way to the service by now.
        api.checkIfCulvertixProject(QStringLiteral("p-big"), QStringLiteral("w-big"));
        QVERIFY(checked.wait(10000));
        QCOMPARE(sim.heldRequests(route), 1);

        service.setTimerIntervals(60000, 60000);
        service.queryRemoteProjects();
        // The release waits for the peer in an event loop, where the list may already arrive.
        QVERIFY(sim.release(route));
        QTRY_COMPARE_WITH_TIMEOUT(lists.count(), 1, 10000);
        QCOMPARE(ids(service.webProjectListModel()), QStringList{QStringLiteral("p-big")});
        api.checkIfCulvertixProject(QStringLiteral("p-big"), QStringLiteral("w-big"));
        QVERIFY(checked.wait(10000));
        QCOMPARE(lists.count(), 1);
        QCOMPARE(sim.requestsTo(route).size(), 1);
        // Answered: the next start asks again.
        service.queryRemoteProjects();
        QVERIFY(lists.wait(10000));
        QCOMPARE(sim.requestsTo(route).size(), 2);
        service.stopRemoteProjectsQuerying();
    }

    // A status query still on its way when the operator logs out and in again: its answer
    // speaks of the earlier login's uploads and changes nothing of the new login's, whose own
    // query goes out once it is in.
    void statusAnswerOfAnEarlierLogin()
    {
        QJsonObject scenario = defaultScenario();
        // Both uploads are imported at the first status query, pending at every later one.
        scenario.insert(QStringLiteral("uploadStatusSequence"),
                        QJsonObject{{QStringLiteral("x"), QJsonArray{2, 1}}, {QStringLiteral("y"), QJsonArray{2, 1}}});
        WebServiceSimulator sim;
        QVERIFY(startSimulator(sim, scenario, {fault(QStringLiteral("upload_statuses"), {{QStringLiteral("hold"), true}}, {1})}));
        TovrinWebApi api;
        QVERIFY(logIn(api));

        WebProjectService service(&api);
        service.setTimerIntervals(60000, 60000);
        CWebProjectListModel* model = service.webProjectListModel();
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);
        QSignalSpy statuses(&api, &TovrinWebApi::uploadStatusInfoReceived);
        service.queryRemoteProjects();
        QVERIFY(initialised.wait(10000));
        service.addUploadedProject(project(QStringLiteral("x"), false));
        service.addUploadedProject(project(QStringLiteral("y"), false));
        QTRY_COMPARE_WITH_TIMEOUT(sim.heldRequests(QStringLiteral("upload_statuses")), 1, 10000);

        // Logged out (the context object resets the backup then) and in again; x is uploaded
        // once more, y not.
        api.logout();
        service.resetSessionBackup();
        QVERIFY(logIn(api));
        service.addUploadedProject(project(QStringLiteral("x"), false));
        QVERIFY(sim.release(QStringLiteral("upload_statuses")));
        QTRY_COMPARE_WITH_TIMEOUT(statuses.count(), 2, 10000);
        QCOMPARE(sim.requestsTo(QStringLiteral("upload_statuses")).size(), 2);
        QCOMPARE(statuses.last().first().value<QList<UploadStatusInfo>>().size(), 1);

        // Nothing imported: x waits for the import of its new upload, y is not followed.
        QCOMPARE(service.uploadBackup().keys(), QStringList{QStringLiteral("x")});
        QVERIFY(!service.uploadBackup().value(QStringLiteral("x")).isImportedByWeb());
        QVERIFY(service.isUploadStatusTimerActive());
        // A list that carries both as imported shows x still pending, and y as a project.
        QJsonArray listed = scenario.value(QStringLiteral("projects")).toArray();
        for (const char* id : {"x", "y"})
            listed.append(QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Name ") + id},
                                      {QStringLiteral("projectId"), QString::fromLatin1(id)},
                                      {QStringLiteral("webProjectId"), QStringLiteral("w-") + id},
                                      {QStringLiteral("projectFolderName"), QString::fromLatin1(id)},
                                      {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                                      {QStringLiteral("diskUsage"), 1048576.0}});
        QVERIFY(sim.setProjects(listed));
        QSignalSpy lists(&api, &TovrinWebApi::projectInfoReceived);
        service.queryRemoteProjects();
        QVERIFY(lists.wait(10000));
        QVERIFY(!importedAt(model, QStringLiteral("x")));
        QVERIFY(model->containsProjectId(QStringLiteral("y")));
        QVERIFY(importedAt(model, QStringLiteral("y")));
        service.stopRemoteProjectsQuerying();
    }

    // Answers that are no list (a portal's page, a cut-off body, JSON of another kind) are
    // reported as unreadable and change nothing: no first list, and later no emptied one. A
    // list that is really empty empties it.
    void unreadableListAnswersKeepTheList()
    {
        const QString route = QStringLiteral("projects");
        WebServiceSimulator sim;
        QVERIFY(startSimulator(sim, defaultScenario(), {fault(route, WebServiceSimulator::portalPage())}));
        TovrinWebApi api;
        QVERIFY(logIn(api));
        WebProjectService service(&api);
        service.setTimerIntervals(60000, 60000);
        CWebProjectListModel* model = service.webProjectListModel();
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);
        QSignalSpy errors(&service, &WebProjectService::queryRemoteProjectsError);
        QSignalSpy lists(&api, &TovrinWebApi::projectInfoReceived);

        service.queryRemoteProjects();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QCOMPARE(errors.last().first().value<Error>(), ErrorInvalidReply);
        QCOMPARE(initialised.count(), 0);
        QVERIFY(sim.setFaults({}));
        service.queryRemoteProjects();
        QTRY_COMPARE_WITH_TIMEOUT(initialised.count(), 1, 10000);
        QCOMPARE(ids(model), QStringList{QStringLiteral("p-big")});

        const QList<QJsonObject> unreadable{WebServiceSimulator::portalPage(),
                                            {{QStringLiteral("malformed"), true}},
                                            {{QStringLiteral("body"), QStringLiteral("[]")}},
                                            {{QStringLiteral("body"), QStringLiteral("{\"projects\":[\"p-new\"]}")}}};
        for (const QJsonObject& answer : unreadable) {
            const int reported = errors.count();
            QVERIFY(sim.setFaults({fault(route, answer)}));
            service.queryRemoteProjects();
            QTRY_COMPARE_WITH_TIMEOUT(errors.count(), reported + 1, 10000);
            QCOMPARE(errors.last().first().value<Error>(), ErrorInvalidReply);
            QCOMPARE(ids(model), QStringList{QStringLiteral("p-big")});
        }
        QCOMPARE(lists.count(), 1);
        QCOMPARE(initialised.count(), 1);

        QVERIFY(sim.setFaults({}));
        QVERIFY(sim.setProjects({}));
        service.queryRemoteProjects();
        QTRY_COMPARE_WITH_TIMEOUT(lists.count(), 2, 10000);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(errors.count(), unreadable.size() + 1);
        service.stopRemoteProjectsQuerying();
    }

    // Once the login ends the list is no longer asked for; a query still on its way then (here
    // refused, as the service refuses an ended login) answers nothing of the next login, which
    // asks anew.
    void endedLoginStopsTheListQueries()
    {
        const QString route = QStringLiteral("projects");
        WebServiceSimulator sim;
        QVERIFY(startSimulator(sim, defaultScenario(),
                               {fault(route, {{QStringLiteral("hold"), true}, {QStringLiteral("status"), 401}}, {1})}));
        TovrinWebApi api;
        QVERIFY(logIn(api));
        WebProjectService service(&api);
        service.setTimerIntervals(60000, 60000);
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);
        QSignalSpy errors(&service, &WebProjectService::queryRemoteProjectsError);
        service.queryRemoteProjects();
        QTRY_COMPARE_WITH_TIMEOUT(sim.heldRequests(route), 1, 10000);
        QVERIFY(service.isQueryTimerActive());

        api.logout();
        QTRY_VERIFY_WITH_TIMEOUT(!service.isQueryTimerActive(), 10000);
        QVERIFY(logIn(api));
        service.queryRemoteProjects();
        QVERIFY(sim.release(route));
        QTRY_COMPARE_WITH_TIMEOUT(initialised.count(), 1, 10000);
        QCOMPARE(ids(service.webProjectListModel()), QStringList{QStringLiteral("p-big")});
        QCOMPARE(errors.count(), 0);
        QCOMPARE(sim.requestsTo(route).size(), 2);
        service.stopRemoteProjectsQuerying();
    }

    // A list that changes between polls: projects come and go in the model.
    void listChangingBetweenPolls()
    {
        QJsonObject scenario = defaultScenario();
        const QJsonObject big = scenario.value(QStringLiteral("projects")).toArray().at(0).toObject();
        QJsonObject second = big;
        second.insert(QStringLiteral("projectId"), QStringLiteral("p-second"));
        second.insert(QStringLiteral("projectName"), QStringLiteral("Second"));
        scenario.insert(QStringLiteral("projectListSequence"),
                        QJsonArray{QJsonArray{big}, QJsonArray{big, second}, QJsonArray{second}});
        WebServiceSimulator sim;
        QVERIFY(startSimulator(sim, scenario));
        TovrinWebApi api;
        QVERIFY(logIn(api));
        WebProjectService service(&api);
        service.setTimerIntervals(100, 100);
        QSignalSpy lists(&api, &TovrinWebApi::projectInfoReceived);
        service.queryRemoteProjects();
        QTRY_VERIFY_WITH_TIMEOUT(lists.count() >= 3, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(ids(service.webProjectListModel()), QStringList{QStringLiteral("p-second")}, 10000);
        service.stopRemoteProjectsQuerying();

        // Stopped while a query is on its way (as when the screen closes): its answer is dropped.
        QSignalSpy initialised(&service, &WebProjectService::webProjectListInitilized);
        const int answered = lists.count();
        service.queryRemoteProjects();
        service.stopRemoteProjectsQuerying();
        QTRY_COMPARE_WITH_TIMEOUT(lists.count(), answered + 1, 10000);
        QCOMPARE(service.webProjectListModel()->rowCount(), 0);
        QCOMPARE(initialised.count(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_WebProjectService)
#include "tst_WebProjectService.moc"
