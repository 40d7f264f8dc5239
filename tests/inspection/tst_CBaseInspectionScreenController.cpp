#include "managers/FakePositionSource.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "inspection/CBaseInspectionScreenController.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/SurveyHelpers.h"

#include <QGeoPositionInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using Ulx::Multimedia::CImageMetaData;

namespace {

// The base as an inspection screen uses it, with its protected operations reachable.
class TestController : public CBaseInspectionScreenController
{
public:
    using CBaseInspectionScreenController::addPhotoToCurrentSurvey;
    using CBaseInspectionScreenController::CBaseInspectionScreenController;
    using CBaseInspectionScreenController::createImageMetaData;
};

} // namespace

class tst_CBaseInspectionScreenController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void photosAndVideosLandInTheCurrentSurveyAndOnlyTheLatestAnswerCounts();
    void continueLastProjectOpensItsLatestSurveyOrReportsTheError();
    void aRecordThatCannotBeSavedIsReportedWithTheMediaKept();
    void withoutASurveyTheScreenIsToldAtOnce();
    void commentComesFromTheHeadlines_data();
    void commentComesFromTheHeadlines();

private:
    CBaseInspectionScreenController::Services services() const;
    // A project made by the project service in the temporary folder, with one survey.
    SurveyProjectPtr createProject(const QString& name, QString* path);
    SurveyProjectPtr reload(const QString& path);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CAppRuntimeData> m_runtime;
    std::unique_ptr<CProjectService> m_projects;
    std::unique_ptr<CGeoPositionSourceManager> m_positions;
    std::unique_ptr<CMediaDirectoryHandler> m_mediaDirectories;
    FakePositionSource* m_source = nullptr;
    QObject m_parent;
};

void tst_CBaseInspectionScreenController::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = m_dir->path() + QStringLiteral("/projects/");
    QDir().mkpath(m_root);
    m_settings = std::make_unique<CSettings>();
    m_settings->setWorkType(CSettings::WorkWithProjectsCustomRoot);
    m_settings->setCustomProjectFolder(m_root);
    m_runtime = std::make_unique<CAppRuntimeData>();
    m_projects = std::make_unique<CProjectService>(m_settings.get());
    QSignalSpy ready(m_projects.get(), &CProjectService::projectListReadyChanged);
    QVERIFY(m_projects->projectListReady() || ready.wait(10000));
    m_source = new FakePositionSource;
    m_positions = std::make_unique<CGeoPositionSourceManager>(m_settings.get(), m_source, &m_parent);
    m_positions->setParent(nullptr);
    m_mediaDirectories = std::make_unique<CMediaDirectoryHandler>(m_settings.get(), m_runtime.get());
}

void tst_CBaseInspectionScreenController::cleanup()
{
    m_mediaDirectories.reset();
    m_positions.reset();
    m_projects.reset();
    m_runtime.reset();
    m_settings.reset();
    m_dir.reset();
}

CBaseInspectionScreenController::Services tst_CBaseInspectionScreenController::services() const
{
    CBaseInspectionScreenController::Services result;
    result.settings = m_settings.get();
    result.appRuntimeData = m_runtime.get();
    result.projectService = m_projects.get();
    result.geoPositionSourceManager = m_positions.get();
    result.mediaDirectoryHandler = m_mediaDirectories.get();
    return result;
}

SurveyProjectPtr tst_CBaseInspectionScreenController::createProject(const QString& name, QString* path)
{
    QSignalSpy created(m_projects.get(), &CProjectService::projectCreated);
    m_projects->createProject(name, QStringLiteral("en"), ProjectTypes::DistanceUnitMetric, m_root);
    if (!created.wait(10000))
        return nullptr;
    const auto project = created.at(0).at(2).value<SurveyProjectPtr>();
    *path = created.at(0).at(1).toString();
    project->addSurvey(std::make_shared<CSurvey>());
    QSignalSpy saved(m_projects.get(), &CProjectService::projectSaved);
    m_projects->saveProject(project);
    return saved.wait(10000) ? project : nullptr;
}

SurveyProjectPtr tst_CBaseInspectionScreenController::reload(const QString& path)
{
    QSignalSpy loaded(m_projects.get(), &CProjectService::projectLoaded);
    m_projects->loadProject(path);
    return loaded.wait(10000) ? loaded.at(0).at(2).value<SurveyProjectPtr>() : nullptr;
}

void tst_CBaseInspectionScreenController::photosAndVideosLandInTheCurrentSurveyAndOnlyTheLatestAnswerCounts()
{
    QString path;
    const SurveyProjectPtr project = createProject(QStringLiteral("Main Street"), &path);
    QVERIFY(project);
    TestController controller(services(), nullptr);
    QSignalSpy opened(&controller, &CBaseInspectionScreenController::projectOpened);
    QSignalSpy selected(&controller, &CBaseInspectionScreenController::surveySelected);
    m_runtime->setCurrentProject(project, path);
    m_runtime->setCurrentSurvey(project->surveys().first());
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("Main Street"));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), surveyTitle(project->surveys().first()));

    // A fix without height: position and time, no altitude.
    QGeoPositionInfo fix(QGeoCoordinate(52.52, 13.405), QDateTime(QDate(2026, 5, 4), QTime(10, 20, 30), Qt::UTC));
    m_settings->setShowGeoCoordinates(true);
    m_positions->updatePositionSourceActiveStatus();
    QVERIFY(m_source->running);
    m_source->sendPosition(fix);
    const CImageMetaData metaData = controller.createImageMetaData();
    QCOMPARE(metaData.timeStamp(), fix.timestamp());
    QCOMPARE(metaData.latitude(), 52.52);
    QCOMPARE(metaData.longitude(), 13.405);
    QVERIFY(std::isnan(metaData.altitude()));

    // Two photos in quick succession: only the answer to the second one reaches the screen.
    QSignalSpy captured(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);
    QSignalSpy answers(m_projects.get(), &CProjectService::surveyPhotoCreated);
    controller.addPhotoToCurrentSurvey(path + QStringLiteral("Photos/IMG_1.png"), metaData);
    controller.addPhotoToCurrentSurvey(path + QStringLiteral("Photos/IMG_2.png"), metaData);
    QVERIFY(captured.wait(10000));
    QCOMPARE(answers.count(), 2);
    QCOMPARE(captured.count(), 1);
    QCOMPARE(captured.at(0).at(0).toString(), QStringLiteral("IMG_2.png"));

    QSignalSpy started(&controller, &CBaseInspectionScreenController::videoRecordingStarted);
    controller.handleVideoRecordingStarted(path + QStringLiteral("Videos/VID_1.mp4"));
    QVERIFY(started.wait(10000));
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("VID_1.mp4"));
    QCOMPARE(errors.count(), 0);

    const SurveyProjectPtr onDisk = reload(path);
    QVERIFY(onDisk);
    const SurveyPtr survey = onDisk->surveys().first();
    QCOMPARE(survey->pictures().size(), 2);
    const SurveyPhotoPtr photo = findSurveyPhotoByFileName(*survey, QStringLiteral("IMG_2.png"));
    QVERIFY(photo);
    QCOMPARE(photo->latitude(), 52.52);
    QCOMPARE(photo->longitude(), 13.405);
    QVERIFY(std::isnan(photo->altitude()));
    QVERIFY(photo->comment().isEmpty());
    QVERIFY(findSurveyVideoByFileName(*survey, QStringLiteral("VID_1.mp4")));
}

void tst_CBaseInspectionScreenController::continueLastProjectOpensItsLatestSurveyOrReportsTheError()
{
    QString path;
    const SurveyProjectPtr project = createProject(QStringLiteral("Harbour"), &path);
    QVERIFY(project);
    QSignalSpy closed(m_projects.get(), &CProjectService::projectClosed);
    m_projects->closeProject(project);
    QVERIFY(closed.wait(10000));
    m_runtime->setLastProject(QStringLiteral("Harbour"), path);

    {
        TestController controller(services(), nullptr);
        QSignalSpy processing(&controller, &CBaseInspectionScreenController::processingChanged);
        QSignalSpy opened(&controller, &CBaseInspectionScreenController::projectOpened);
        QSignalSpy selected(&controller, &CBaseInspectionScreenController::surveySelected);
        controller.continueLastProject();
        QVERIFY(controller.processing());
        QVERIFY(selected.wait(10000));
        QVERIFY(!controller.processing());
        QCOMPARE(processing.count(), 2);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("Harbour"));
        QCOMPARE(m_runtime->currentProjectPath(), path);
        QVERIFY(!m_runtime->photoDirectory().isEmpty());
        QVERIFY(!m_runtime->videoDirectory().isEmpty());
    }
    // The closed screen took its media folders with it.
    QVERIFY(m_runtime->photoDirectory().isEmpty());
    QVERIFY(m_runtime->videoDirectory().isEmpty());

    m_runtime->setLastProject(QStringLiteral("Gone"), m_root + QStringLiteral("Gone/"));
    TestController controller(services(), nullptr);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);
    controller.continueLastProject();
    QVERIFY(errors.wait(10000));
    QCOMPARE(errors.count(), 1);
    QVERIFY(!errors.at(0).at(0).toString().isEmpty());
    QVERIFY(!controller.processing());
    QCOMPARE(m_runtime->currentProjectPath(), path);
}

void tst_CBaseInspectionScreenController::aRecordThatCannotBeSavedIsReportedWithTheMediaKept()
{
    QString path;
    const SurveyProjectPtr project = createProject(QStringLiteral("Locked"), &path);
    QVERIFY(project);
    m_runtime->setCurrentProject(project, path);
    m_runtime->setCurrentSurvey(project->surveys().first());
    // A folder where project.xml should be: the project cannot be written.
    QVERIFY(QFile::remove(path + QStringLiteral("project.xml")));
    QVERIFY(QDir().mkpath(path + QStringLiteral("project.xml/blocked")));

    TestController controller(services(), nullptr);
    QSignalSpy captured(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy started(&controller, &CBaseInspectionScreenController::videoRecordingStarted);
    QSignalSpy errors(&controller, &CBaseInspectionScreenController::errorOccurred);
    controller.addPhotoToCurrentSurvey(path + QStringLiteral("Photos/IMG_9.jpg"), CImageMetaData());
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
    QCOMPARE(captured.count(), 1);
    QCOMPARE(captured.at(0).at(0).toString(), QStringLiteral("IMG_9.jpg"));
    controller.handleVideoRecordingStarted(path + QStringLiteral("Videos/VID_9.mp4"));
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 2, 10000);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("VID_9.mp4"));
}

void tst_CBaseInspectionScreenController::withoutASurveyTheScreenIsToldAtOnce()
{
    QString path;
    const SurveyProjectPtr project = createProject(QStringLiteral("No survey"), &path);
    QVERIFY(project);
    m_runtime->setCurrentProject(project, path);
    TestController controller(services(), nullptr);
    QSignalSpy captured(&controller, &CBaseInspectionScreenController::photoCaptured);
    QSignalSpy started(&controller, &CBaseInspectionScreenController::videoRecordingStarted);
    QSignalSpy requests(m_projects.get(), &CProjectService::surveyPhotoCreated);
    controller.addPhotoToCurrentSurvey(QStringLiteral("/media/photos/IMG_3.png"), CImageMetaData());
    controller.handleVideoRecordingStarted(QStringLiteral("VID_3.mp4"));
    QCOMPARE(captured.count(), 1);
    QCOMPARE(captured.at(0).at(0).toString(), QStringLiteral("IMG_3.png"));
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("VID_3.mp4"));
    // A later request's answer comes after any answer to an earlier one: none was asked for.
    QSignalSpy loaded(m_projects.get(), &CProjectService::projectLoaded);
    m_projects->loadProject(m_root + QStringLiteral("no-such-project/"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(requests.count(), 0);

    // Without any application services the controller stays quiet instead of failing.
    TestController alone(CBaseInspectionScreenController::Services(), nullptr);
    QSignalSpy aloneCaptured(&alone, &CBaseInspectionScreenController::photoCaptured);
    alone.continueLastProject();
    alone.addPhotoToCurrentSurvey(QStringLiteral("IMG_4.png"), alone.createImageMetaData());
    QCOMPARE(aloneCaptured.count(), 1);
    QVERIFY(!alone.processing());
}

void tst_CBaseInspectionScreenController::commentComesFromTheHeadlines_data()
{
    QTest::addColumn<bool>("commentPhotos");
    QTest::addColumn<QString>("headline1");
    QTest::addColumn<QString>("headline2");
    QTest::addColumn<QString>("comment");
    QTest::newRow("both") << true << "Main St"
                          << "DN 300"
                          << "Main St DN 300";
    QTest::newRow("only first") << true << "Main St"
                                << ""
                                << "Main St";
    QTest::newRow("only second") << true << ""
                                 << "DN 300"
                                 << "DN 300";
    QTest::newRow("none") << true << ""
                          << ""
                          << "";
    QTest::newRow("switched off") << false << "Main St"
                                  << "DN 300"
                                  << "";
}

void tst_CBaseInspectionScreenController::commentComesFromTheHeadlines()
{
    QFETCH(bool, commentPhotos);
    QFETCH(QString, headline1);
    QFETCH(QString, headline2);
    QFETCH(QString, comment);
    m_settings->setCommentPhotos(commentPhotos);
    m_settings->setHeadline1Text(headline1);
    m_settings->setHeadline2Text(headline2);
    TestController controller(services(), nullptr);
    const CImageMetaData metaData = controller.createImageMetaData();
    QCOMPARE(metaData.comment(), comment);
    // No fix yet: no position and no time stamp.
    QVERIFY(std::isnan(metaData.latitude()));
    QVERIFY(!metaData.timeStamp().isValid());
}

QTEST_GUILESS_MAIN(tst_CBaseInspectionScreenController)
#include "tst_CBaseInspectionScreenController.moc"
