#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "managers/CMediaDirectoryHandler.h"
#include "surveyprojects/CSurveyProject.h"

#include <QtTest>

#include <memory>

class tst_CMediaDirectoryHandler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void customDirectoriesAreUsedAsTheyAre();
    void customWorkWithAnEmptyFolderFallsBackToTheProject();
    void defaultDirectoriesLeaveEverything();
    void projectModeWaitsForAProject();
    void projectFoldersStayUntilReset();
    void resetAndDestructionClearTheDirectories();
    void failingFolderCreationChangesNothing();

private:
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CAppRuntimeData> m_runtimeData;
    std::unique_ptr<QTemporaryDir> m_folder;
    QByteArray m_home;
};

void tst_CMediaDirectoryHandler::init()
{
    m_home = qgetenv("HOME");
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    qputenv("HOME", m_folder->path().toUtf8());
    m_settings = std::make_unique<CSettings>();
    m_runtimeData = std::make_unique<CAppRuntimeData>();
}

void tst_CMediaDirectoryHandler::cleanup()
{
    m_runtimeData.reset();
    m_settings.reset();
    qputenv("HOME", m_home);
    m_folder.reset();
}

void tst_CMediaDirectoryHandler::customDirectoriesAreUsedAsTheyAre()
{
    const QString photos = m_folder->path() + QStringLiteral("/custom/photos/");
    const QString videos = m_folder->path() + QStringLiteral("/custom/videos/");
    m_settings->setWorkType(CSettings::WorkWithCustomDirectories);
    m_settings->setCustomPhotoFolder(photos);
    m_settings->setCustomVideoFolder(videos);

    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
    QSignalSpy photoChanged(m_runtimeData.get(), &CAppRuntimeData::photoDirectoryChanged);
    handler.setupMediaDirectories();

    QCOMPARE(m_runtimeData->photoDirectory(), photos);
    QCOMPARE(m_runtimeData->videoDirectory(), videos);
    QCOMPARE(photoChanged.count(), 1);
    QVERIFY(!handler.mediaDirectoriesSetUp());
    QVERIFY(!QFileInfo::exists(photos)); // the folders are the user's business
    QVERIFY(!QFileInfo::exists(queryProjectRootPath()));

    // A second call sets the same values: no further change signals.
    handler.setupMediaDirectories();
    QCOMPARE(photoChanged.count(), 1);
}

void tst_CMediaDirectoryHandler::customWorkWithAnEmptyFolderFallsBackToTheProject()
{
    m_settings->setWorkType(CSettings::WorkWithCustomDirectories);
    m_settings->setCustomPhotoFolder(m_folder->path() + QStringLiteral("/photos/"));
    m_settings->setCustomVideoFolder(QString());
    const QString project = queryProjectRootPath() + QStringLiteral("Sewer A/");
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("Sewer A"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     project);

    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), project + QStringLiteral("Photos/"));
    QCOMPARE(m_runtimeData->videoDirectory(), project + QStringLiteral("Videos/"));
    QVERIFY(handler.mediaDirectoriesSetUp());
}

void tst_CMediaDirectoryHandler::defaultDirectoriesLeaveEverything()
{
    m_settings->setWorkType(CSettings::WorkWithDefaultDirectories);
    m_runtimeData->setPhotoDirectory(QStringLiteral("/somewhere/"));
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("P"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     queryProjectRootPath() + QStringLiteral("P/"));

    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), QStringLiteral("/somewhere/"));
    QVERIFY(m_runtimeData->videoDirectory().isEmpty());
    QVERIFY(!handler.mediaDirectoriesSetUp());
    QVERIFY(!QFileInfo::exists(queryProjectRootPath()));
}

void tst_CMediaDirectoryHandler::projectModeWaitsForAProject()
{
    m_settings->setWorkType(CSettings::WorkWithProjects);
    m_runtimeData->setPhotoDirectory(QStringLiteral("/before/"));
    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());

    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), QStringLiteral("/before/"));
    QVERIFY(!handler.mediaDirectoriesSetUp());

    const QString project = queryProjectRootPath() + QStringLiteral("North/");
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("North"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     project);
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), project + QStringLiteral("Photos/"));
    QCOMPARE(m_runtimeData->videoDirectory(), project + QStringLiteral("Videos/"));
    QVERIFY(QFileInfo(project + QStringLiteral("Photos")).isDir());
    QVERIFY(QFileInfo(project + QStringLiteral("Videos")).isDir());
    QVERIFY(handler.mediaDirectoriesSetUp());
}

void tst_CMediaDirectoryHandler::projectFoldersStayUntilReset()
{
    m_settings->setWorkType(CSettings::WorkWithProjects);
    const QString first = queryProjectRootPath() + QStringLiteral("First/");
    const QString second = queryProjectRootPath() + QStringLiteral("Second/");
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("First"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     first);
    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), first + QStringLiteral("Photos/"));

    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("Second"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     second);
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), first + QStringLiteral("Photos/"));
    QVERIFY(!QFileInfo::exists(second));

    handler.resetMediaDirectories();
    QVERIFY(m_runtimeData->photoDirectory().isEmpty());
    handler.setupMediaDirectories();
    QCOMPARE(m_runtimeData->photoDirectory(), second + QStringLiteral("Photos/"));
    QCOMPARE(m_runtimeData->videoDirectory(), second + QStringLiteral("Videos/"));
}

void tst_CMediaDirectoryHandler::resetAndDestructionClearTheDirectories()
{
    m_settings->setWorkType(CSettings::WorkWithCustomDirectories);
    m_settings->setCustomPhotoFolder(QStringLiteral("/p/"));
    m_settings->setCustomVideoFolder(QStringLiteral("/v/"));
    {
        CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
        handler.setupMediaDirectories();
        QCOMPARE(m_runtimeData->videoDirectory(), QStringLiteral("/v/"));
        QSignalSpy videoChanged(m_runtimeData.get(), &CAppRuntimeData::videoDirectoryChanged);
        handler.resetMediaDirectories();
        QCOMPARE(videoChanged.count(), 1);
        QVERIFY(m_runtimeData->videoDirectory().isEmpty());
        handler.setupMediaDirectories();
    }
    QVERIFY(m_runtimeData->photoDirectory().isEmpty());
    QVERIFY(m_runtimeData->videoDirectory().isEmpty());

    // Without settings or runtime data there is nothing to do, and nothing fails.
    CMediaDirectoryHandler orphan;
    orphan.setupMediaDirectories();
    orphan.resetMediaDirectories();
    QVERIFY(!orphan.mediaDirectoriesSetUp());
}

void tst_CMediaDirectoryHandler::failingFolderCreationChangesNothing()
{
    m_settings->setWorkType(CSettings::WorkWithProjects);
    // A project path below a plain file cannot be created.
    QFile blocker(m_folder->path() + QStringLiteral("/blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("X"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     blocker.fileName() + QStringLiteral("/X/"));
    CMediaDirectoryHandler handler(m_settings.get(), m_runtimeData.get());
    handler.setupMediaDirectories();
    QVERIFY(m_runtimeData->photoDirectory().isEmpty());
    QVERIFY(!handler.mediaDirectoriesSetUp());

    // The same when the project root itself cannot be made.
    qputenv("HOME", blocker.fileName().toUtf8());
    m_runtimeData->setCurrentProject(std::make_shared<CSurveyProject>(QStringLiteral("Y"), QStringLiteral("en_US"),
                                                                      ProjectTypes::DistanceUnitMetric),
                                     m_folder->path() + QStringLiteral("/Y/"));
    handler.setupMediaDirectories();
    QVERIFY(m_runtimeData->photoDirectory().isEmpty());
    QVERIFY(!QFileInfo::exists(m_folder->path() + QStringLiteral("/Y")));
}

QTEST_GUILESS_MAIN(tst_CMediaDirectoryHandler)
#include "tst_CMediaDirectoryHandler.moc"
