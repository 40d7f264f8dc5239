#include "surveyprojects/CProjectService.h"
#include "surveyprojects/SurveyHelpers.h"

#include "application/CSettings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A screen controller in miniature: keeps the id of its latest request and acts only on
// the answer that carries it.
class Receiver : public QObject
{
    Q_OBJECT

public:
    explicit Receiver(CProjectService* service)
    {
        connect(service, &CProjectService::projectCreated, this, &Receiver::onProjectCreated);
    }

    uint pending = 0;
    QStringList claimed;
    int seen = 0;

public slots:
    void onProjectCreated(uint taskId, const QString& path, const SurveyProjectPtr&, ProjectTypes::ProjectError)
    {
        ++seen;
        if (claimTaskResult(pending, taskId))
            claimed.append(path);
    }
};

} // namespace

class tst_CProjectService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CProjectService> m_service;
    QString m_root;

    // Delivers the queued settings notifications to the service, then makes a request and
    // waits for its answer: whatever the notifications posted to the worker ran before it.
    bool drainWorker()
    {
        QCoreApplication::sendPostedEvents(m_service.get());
        QSignalSpy loaded(m_service.get(), &CProjectService::projectLoaded);
        m_service->loadProject(m_root + "no-such-project/");
        return loaded.wait(10000);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + "/projects/";
        QDir().mkpath(m_root);
        m_settings = std::make_unique<CSettings>();
        m_settings->setWorkType(CSettings::WorkWithProjectsCustomRoot);
        m_settings->setCustomProjectFolder(m_root);
        m_service = std::make_unique<CProjectService>(m_settings.get());
        QSignalSpy ready(m_service.get(), &CProjectService::projectListReadyChanged);
        QVERIFY(m_service->projectListReady() || ready.wait(10000));
        QVERIFY(m_service->projectListReady());
    }

    void cleanup()
    {
        m_service.reset();
        m_settings.reset();
        m_dir.reset();
    }

    void taskIdsStartAtOneAndAnswersComeInOrder()
    {
        QSignalSpy created(m_service.get(), &CProjectService::projectCreated);
        const uint first = m_service->createProject("One", "en", ProjectTypes::DistanceUnitMetric, m_root);
        m_service->addProjectAtPathToTheProjectList(m_root + "One/");
        m_service->updateProjectSizeOnClose(SurveyProjectPtr());
        const uint second = m_service->createProject("Two", "en", ProjectTypes::DistanceUnitUS, m_root);
        const uint third = m_service->createProject("one", "en", ProjectTypes::DistanceUnitUS, m_root);
        QCOMPARE(first, 1u);
        QCOMPARE(second, 2u);
        QCOMPARE(third, 3u);
        QTRY_COMPARE_WITH_TIMEOUT(created.size(), 3, 10000);
        QCOMPARE(created.at(0).at(0).toUInt(), first);
        QCOMPARE(created.at(1).at(0).toUInt(), second);
        QCOMPARE(created.at(2).at(0).toUInt(), third);
        QCOMPARE(created.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(created.at(2).at(3).value<ProjectTypes::ProjectError>(),
                 ProjectTypes::ProjectErrorCreateTakenProjectName);
        QVERIFY(created.at(1).at(2).value<SurveyProjectPtr>());
        QCOMPARE(created.at(1).at(2).value<SurveyProjectPtr>()->distanceUnit(), ProjectTypes::DistanceUnitUS);
        QTRY_COMPARE_WITH_TIMEOUT(m_service->projectList().size(), 2, 10000);
    }

    void taskIdsWrapAroundToOne()
    {
        m_service->setLastTaskId(0xFFFFFFFEu);
        QCOMPARE(m_service->loadProject(m_root), 0xFFFFFFFFu);
        QCOMPARE(m_service->loadProject(m_root), 1u);
        QCOMPARE(m_service->loadProject(m_root), 2u);
    }

    void answersReachEveryReceiverButOnlyTheOwnerActs()
    {
        Receiver a(m_service.get());
        Receiver b(m_service.get());
        a.pending = m_service->createProject("A", "en", ProjectTypes::DistanceUnitMetric, m_root);
        b.pending = m_service->createProject("B", "en", ProjectTypes::DistanceUnitMetric, m_root);
        QTRY_COMPARE_WITH_TIMEOUT(b.seen, 2, 10000);
        QCOMPARE(a.seen, 2);
        QCOMPARE(a.claimed, QStringList{m_root + "A/"});
        QCOMPARE(b.claimed, QStringList{m_root + "B/"});
        QCOMPARE(a.pending, 0u);
        QCOMPARE(b.pending, 0u);
    }

    void aProjectLivesThroughTheWholeRoad()
    {
        QSignalSpy created(m_service.get(), &CProjectService::projectCreated);
        m_service->createProject("Road", "en", ProjectTypes::DistanceUnitMetric, m_root);
        QVERIFY(created.wait(10000));
        const SurveyProjectPtr project = created.at(0).at(2).value<SurveyProjectPtr>();
        const QString path = created.at(0).at(1).toString();
        auto survey = std::make_shared<CSurvey>();
        project->addSurvey(survey);

        QSignalSpy photo(m_service.get(), &CProjectService::surveyPhotoCreated);
        const uint photoTask = m_service->createSurveyPhoto(project, survey, "a.jpg", "c", 1.0, 2.0, 3.0);
        QVERIFY(photo.wait(10000));
        QCOMPARE(photo.at(0).at(0).toUInt(), photoTask);
        QCOMPARE(photo.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);

        QSignalSpy manholes(m_service.get(), &CProjectService::manholeListLoaded);
        m_service->loadManholeList(project);
        QVERIFY(manholes.wait(10000));
        QCOMPARE(manholes.at(0).at(2).value<ProjectTypes::ProjectError>(),
                 ProjectTypes::ProjectErrorLoadManholeFileAccess);

        QSignalSpy closed(m_service.get(), &CProjectService::projectClosed);
        m_service->closeProject(project);
        QVERIFY(closed.wait(10000));
        QSignalSpy loaded(m_service.get(), &CProjectService::projectLoaded);
        m_service->loadProject(path);
        QVERIFY(loaded.wait(10000));
        const SurveyProjectPtr again = loaded.at(0).at(2).value<SurveyProjectPtr>();
        QVERIFY(again);
        QCOMPARE(again->surveys().first()->pictures().first()->path(), QString("Photos/a.jpg"));

        QSignalSpy renamed(m_service.get(), &CProjectService::projectRenamed);
        m_service->renameProject(path, "Elsewhere");
        QVERIFY(renamed.wait(10000));
        QCOMPARE(renamed.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorRenameProjectOpen);

        QSignalSpy deleted(m_service.get(), &CProjectService::projectDeleted);
        m_service->deleteProject(path);
        QVERIFY(deleted.wait(10000));
        QCOMPARE(deleted.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
    }

    void rootFolderChangesFollowTheWorkType()
    {
        QSignalSpy ready(m_service.get(), &CProjectService::projectListReadyChanged);
        m_settings->setWorkType(CSettings::WorkWithDefaultDirectories);
        QVERIFY(drainWorker());
        QCOMPARE(ready.size(), 1);

        m_settings->setCustomProjectFolder(m_dir->path() + "/other/");
        QVERIFY(drainWorker());
        QCOMPARE(ready.size(), 1);

        m_settings->setWorkType(CSettings::WorkWithProjectsCustomRoot);
        QVERIFY(drainWorker());
        QCOMPARE(ready.size(), 2);
        m_settings->setCustomProjectFolder(m_root);
        QVERIFY(drainWorker());
        QCOMPARE(ready.size(), 3);
    }

    void migrationWithoutOldProjectsEndsAtOnce()
    {
        QVERIFY(!m_service->migrationRequired());
        QSignalSpy progress(m_service.get(), &CProjectService::migrationInProgressChanged);
        m_service->startMigration();
        m_service->startMigration();
        QVERIFY(m_service->migrationInProgress());
        QTRY_VERIFY_WITH_TIMEOUT(!m_service->migrationInProgress(), 10000);
        QCOMPARE(progress.size(), 2);
        QVERIFY(m_settings->storageMigrationDone());
    }
};

QTEST_GUILESS_MAIN(tst_CProjectService)
#include "tst_CProjectService.moc"
