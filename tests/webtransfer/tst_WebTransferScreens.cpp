// Web project downloads (states, pause and resume, progress, hostile media links, failing and
// slow data routes) and project uploads, through the handlers, the screen controllers and the
// QML screens of the whole application, against the web-service simulator.
// With CX_SHOTS_DIR set, screenshots are written there.
#include "web/CProjectDownloadHandler.h"
#include "web/CWebDownloadScreenController.h"
#include "web/CWebUploadScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyVideo.h"
#include "surveyprojects/WebDownloadMarker.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"
#include "libraries/web/WebTestSupport.h"
#include "support/ApplicationScreenTest.h"
#include "support/LogText.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/TestVolume.h"

#include "FileReplacement.h"

#include <QDirIterator>
#include <QMutex>
#include <QProcess>
#include <QQuickItem>
#include <QSemaphore>
#include <QScopeGuard>
#include <QtTest>

#include <memory>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

constexpr int WaitMs = 60000;
int SimulatorPort = 0;
const QUuid SingleId(QStringLiteral("5a1e0000-0000-4000-8000-0000000000e1"));

QJsonObject media(const QString& type, const QString& name)
{
    QJsonObject item;
    if (!type.isNull())
        item.insert(QStringLiteral("type"), type);
    if (!name.isNull())
        item.insert(QStringLiteral("name"), name);
    return item;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A project file as the program writes it: one manhole survey with two photos and a video,
// one section survey with a photo.
QByteArray projectXml(const QString& name, const QString& folder)
{
    auto project = std::make_shared<CSurveyProject>(name, QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric);
    auto manhole = std::make_shared<CSurvey>();
    manhole->setType(ProjectTypes::SurveyTypeManhole);
    manhole->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/M1.JPG"), QString(), 0.0, 0.0, 0.0));
    manhole->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/M2.JPG"), QString(), 0.0, 0.0, 0.0));
    manhole->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/M.mp4"), QString()));
    auto section = std::make_shared<CSurvey>();
    section->setType(ProjectTypes::SurveyTypeSection);
    section->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/S1.JPG"), QString(), 0.0, 0.0, 0.0));
    project->addSurvey(manhole);
    project->addSurvey(section);
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/project.xml");
    CProjectXmlWriter writer;
    if (!writer.write(project, path))
        return QByteArray();
    return readAll(path);
}

// A second program that downloads one web project with all its media, as the download screen
// would, until the test kills it: "--download-child <project id> <project name>".
int runDownloadChild(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TovrinWebLibrary::initialize();
    CSettings settings;
    settings.setDownloadAllMedia(true);
    CProjectService projects(&settings);
    TovrinWebApi api;
    QSignalSpy login(&api, &TovrinWebApi::loginResult);
    api.login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
    if (!QTest::qWaitFor([&] { return !login.isEmpty(); }, WaitMs) || login.first().at(1).value<TovrinWebApi::LoginResult>() != TovrinWebApi::LoginResultSuccess)
        return 3;
    CProjectDownloadHandler handler(&api, &projects, &settings);
    QObject::connect(&handler, &CProjectDownloadHandler::downloadFinished, &app, [] { QCoreApplication::exit(4); });
    QObject::connect(&handler, &CProjectDownloadHandler::errorOccurred, &app, [] { QCoreApplication::exit(5); });
    handler.startDownload(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    return app.exec();
}

} // namespace

class tst_WebTransferScreens : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    std::unique_ptr<WebServiceSimulator> m_sim;
    QMap<QString, QByteArray> m_surveyBodies;
    const QByteArray m_manholes = QByteArrayLiteral("<Manholes><Manhole><Name>MH 1</Name></Manhole></Manholes>");

    TovrinWebApi* api() const { return CApplication::instance()->webApi(); }
    CProjectService* projects() const { return CApplication::instance()->projectService(); }
    CSettings* settings() const { return CApplication::instance()->settings(); }
    static QString root() { return queryProjectRootPath(); }

    QJsonObject webProject(const QString& name, const QJsonArray& mediaItems, const QJsonObject& extra = {})
    {
        const QString id = QStringLiteral("p-") + name.toLower();
        m_surveyBodies.insert(id, projectXml(name, m_work.filePath(QStringLiteral("xml/") + name)));
        QJsonObject project{{QStringLiteral("projectName"), name},
                            {QStringLiteral("projectId"), id},
                            {QStringLiteral("webProjectId"), QStringLiteral("w-") + name.toLower()},
                            {QStringLiteral("projectFolderName"), name},
                            {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                            {QStringLiteral("data"),
                             QJsonObject{{QStringLiteral("Surveys"), QString::fromUtf8(m_surveyBodies.value(id))},
                                         {QStringLiteral("Manholes"), QString::fromUtf8(m_manholes)}}},
                            {QStringLiteral("media"), mediaItems}};
        for (auto it = extra.begin(); it != extra.end(); ++it)
            project.insert(it.key(), it.value());
        return project;
    }

    QString stored(const QString& name, const QString& key) const
    {
        return m_sim->storedObject(QStringLiteral("p-") + name.toLower(), key);
    }

    // The new copies a transfer writes below the folder; a stopped transfer's goes on a disk
    // thread after the transfer has ended.
    static QStringList transferCopies(const QString& folder)
    {
        QStringList copies;
        QDirIterator it(folder, {QStringLiteral(".*.replacing.??????")}, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            copies.append(it.next());
        return copies;
    }

    bool listed(const QString& folder) const
    {
        for (const CLocalProjectInfo& info : projects()->projectList()) {
            if (QDir::cleanPath(info.path()) == QDir::cleanPath(folder))
                return true;
        }
        return false;
    }

    static QStringList filesBelow(const QString& folder)
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next().mid(folder.size()));
        files.sort();
        return files;
    }

    // Runs one project download through a handler of its own to its end; the handler's states.
    QList<int> download(CProjectDownloadHandler& handler, const QString& name, QString* error = nullptr)
    {
        QList<int> states;
        connect(&handler, &CProjectDownloadHandler::stateChanged, this, [&]() { states.append(handler.state()); });
        QSignalSpy finished(&handler, &CProjectDownloadHandler::downloadFinished);
        QSignalSpy errors(&handler, &CProjectDownloadHandler::errorOccurred);
        handler.startDownload(QStringLiteral("p-") + name.toLower(), name);
        if (!QTest::qWaitFor([&]() { return !finished.isEmpty() || !errors.isEmpty(); }, WaitMs))
            states.append(-1);
        if (error && !errors.isEmpty())
            *error = errors.first().first().toString();
        disconnect(&handler, &CProjectDownloadHandler::stateChanged, this, nullptr);
        return states;
    }

    // A second program downloads the project with all its media and is killed while its second
    // photo arrives; the first arrived whole. Then the operator logs in again: the killed
    // program's login replaced this one's.
    void killDownloadWhilePhotosArrive(const QString& name)
    {
        const QString folder = root() + name + QLatin1Char('/');
        const int held = m_sim->heldRequests(QStringLiteral("storage_get"));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("hold"), true}}, {2})}));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--download-child"), QStringLiteral("p-") + name.toLower(), name});
        QVERIFY2(child.waitForStarted(WaitMs), qPrintable(child.errorString()));
        // Which of the two came is told below.
        static_cast<void>(QTest::qWaitFor(
            [&] { return m_sim->heldRequests(QStringLiteral("storage_get")) > held || child.state() == QProcess::NotRunning; },
            WaitMs));
        const bool reached = m_sim->heldRequests(QStringLiteral("storage_get")) > held;
        child.kill();
        QVERIFY(child.waitForFinished(WaitMs));
        QVERIFY(m_sim->release(QStringLiteral("storage_get")));
        QVERIFY(m_sim->setFaults({}));
        QVERIFY2(reached, "the child did not reach its second photo");
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("project.xml.download")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("Photos/M1.JPG")));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("project.xml")));
        QVERIFY(!listed(folder));

        QSignalSpy login(api(), &TovrinWebApi::loginResult);
        api()->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QTRY_VERIFY_WITH_TIMEOUT(!login.isEmpty(), WaitMs);
    }

    static QString logText() { return takeLogText(root() + QStringLiteral("Culvertix.log")); }

    // A cancelled download's folder is weighed on the project worker after the cancel returns;
    // until this is logged, the folder may still change under the test.
    static bool folderKeptLogged(const QString& folder)
    {
        return readLogText(root() + QStringLiteral("Culvertix.log"))
            .contains(QStringLiteral("The folder holds files that the download did not write; it stays as it is ")
                      + folder);
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY(m_work.isValid());
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY(window());
        window()->resize(shotsWindowSize(QSize(1280, 800)));
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1, WaitMs);
        closeToStartScreen();
        QTRY_VERIFY_WITH_TIMEOUT(projects()->projectListReady(), WaitMs);

        QJsonObject scenario = defaultScenario();
        QJsonArray list;
        list.append(webProject(QStringLiteral("Culvert"),
                               {media("Photos", "M1.JPG"), media("Photos", "S1.JPG"), media("Videos", "M.mp4")}));
        list.append(webProject(QStringLiteral("Broken"), {}, {{"failKinds", QJsonObject{{"Surveys", 500}}}}));
        // Slow data, the manhole data long enough to be paused and cancelled midway.
        QJsonObject slow = webProject(QStringLiteral("Slow"), {},
                                      {{"slowKinds", QJsonObject{{"Surveys", 40}, {"Manholes", 15}}}, {"dataPadding", 3000}});
        QJsonObject slowData = slow.value("data").toObject();
        slowData.remove("Manholes");
        slow.insert("data", slowData);
        list.append(slow);
        // The same, for the folder removal's own runs.
        QJsonObject letGo = webProject(QStringLiteral("LetGo"), {},
                                       {{"slowKinds", QJsonObject{{"Surveys", 40}, {"Manholes", 15}}}, {"dataPadding", 3000}});
        QJsonObject letGoData = letGo.value("data").toObject();
        letGoData.remove("Manholes");
        letGo.insert("data", letGoData);
        list.append(letGo);
        list.append(webProject(QStringLiteral("Up"), {media("Photos", "A.JPG"), media("../..", "canary.txt")}));
        list.append(webProject(QStringLiteral("Dots"), {media("Photos", "A.JPG"), media("Photos", "../../canary.txt")}));
        list.append(webProject(QStringLiteral("Abs"), {media("Photos", "A.JPG"), media("Photos", root() + "../canary.txt")}));
        list.append(webProject(QStringLiteral("Drive"), {media("Photos", "A.JPG"), media("Photos", "C:canary.txt")}));
        list.append(webProject(QStringLiteral("Gap"), {media("Photos", "A.JPG"), media("Photos", QString())}));
        list.append(webProject(QStringLiteral("Rename"), {}));
        list.append(webProject(QStringLiteral("InTheWay"), {}));
        list.append(webProject(QStringLiteral("Held"), {}));
        // Its photo is not in the storage.
        list.append(webProject(QStringLiteral("Blocked"), {media("Photos", "M1.JPG")}));
        list.append(webProject(QStringLiteral("Cut"), {media("Photos", "M1.JPG"), media("Photos", "M2.JPG"), media("Videos", "M.mp4")}));
        list.append(webProject(QStringLiteral("Resume"),
                               {media("Photos", "M1.JPG"), media("Photos", "M2.JPG"), media("Videos", "M.mp4")}));
        list.append(webProject(QStringLiteral("Keep"),
                               {media("Photos", "M1.JPG"), media("Photos", "M2.JPG"), media("Videos", "M.mp4")}));
        list.append(webProject(QStringLiteral("Dropped"), {media("Photos", "M1.JPG")}));
        list.append(webProject(QStringLiteral("Manholes"), {media("Photos", "M1.JPG")}));
        list.append(webProject(QStringLiteral("Full"), {}));
        list.append(webProject(QStringLiteral("Garbled"), {media("Photos", "G.JPG")},
                               {{"data", QJsonObject{{"Surveys", "<Surveys><Survey/></Surveys>"},
                                                     {"Manholes", QString::fromUtf8(m_manholes)}}}}));
        QJsonObject single = webProject(QStringLiteral("Single"), {media("Photos", "ONE.JPG")});
        single.insert(QStringLiteral("projectId"), SingleId.toString(QUuid::WithoutBraces));
        list.append(single);
        scenario.insert(QStringLiteral("projects"), list);
        m_sim = std::make_unique<WebServiceSimulator>();
        if (!m_sim->start(scenario, WebServiceSimulator::Tls(), SimulatorPort))
            QSKIP("python3 could not start the web-service simulator");
        QCOMPARE(Tovrin::Shared::ApplicationUrls::rootUrl(), m_sim->rootUrl());
        QVERIFY(writeText(stored("Culvert", "Photos/M1.JPG"), QByteArray(300000, 'm')));
        QVERIFY(makeRandomFile(stored("Culvert", "Photos/S1.JPG"), 700000, 3));
        QVERIFY(makeRandomFile(stored("Culvert", "Videos/M.mp4"), 3000000, 4));
        QVERIFY(makeRandomFile(m_sim->storedObject(SingleId.toString(QUuid::WithoutBraces), "Photos/ONE.JPG"), 900000, 11));
        QVERIFY(makeRandomFile(stored("Cut", "Photos/M1.JPG"), 200000, 5));
        QVERIFY(makeRandomFile(stored("Cut", "Photos/M2.JPG"), 400000, 6));
        QVERIFY(makeRandomFile(stored("Cut", "Videos/M.mp4"), 100000, 7));
        QVERIFY(makeRandomFile(stored("Resume", "Photos/M1.JPG"), 250000, 21));
        QVERIFY(makeRandomFile(stored("Resume", "Photos/M2.JPG"), 350000, 22));
        QVERIFY(makeRandomFile(stored("Resume", "Videos/M.mp4"), 150000, 23));
        QVERIFY(makeRandomFile(stored("Keep", "Photos/M1.JPG"), 250000, 31));
        QVERIFY(makeRandomFile(stored("Keep", "Photos/M2.JPG"), 350000, 32));
        QVERIFY(makeRandomFile(stored("Keep", "Videos/M.mp4"), 150000, 33));
        QVERIFY(writeText(stored("Dropped", "Photos/M1.JPG"), "the stored photo"));
        QVERIFY(writeText(stored("Manholes", "Photos/M1.JPG"), "the stored photo"));
        for (const char* name : {"Up", "Dots", "Abs", "Drive", "Gap"})
            QVERIFY(writeText(stored(name, "Photos/A.JPG"), "photo"));

        QSignalSpy login(api(), &TovrinWebApi::loginResult);
        api()->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QVERIFY(login.wait(WaitMs));
        QCOMPARE(login.first().at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        settings()->setDownloadAllMedia(false);
        m_sim.reset();
    }

    void progressArithmeticAndMediaNames()
    {
        // Two data files: 0 to 50, then 50 to 100; with media each file its share.
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(0, 2, 0), 0);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(0, 2, 100), 50);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(1, 2, 51), 75);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(2, 2, 0), 100);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(1, 3, 99), 66);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(2, 3, 100), 99);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(4, 5, 100), 100);
        QCOMPARE(CProjectDownloadHandler::overallProgressOf(0, 0, 50), 0);

        const QString folder = m_work.filePath(QStringLiteral("names/P/"));
        QVERIFY(QDir().mkpath(folder));
        auto path = [&](const QString& type, const QString& name) {
            return CProjectDownloadHandler::mediaFilePath(folder, SingleMediaFileLinkData{QStringLiteral("u"), type, name});
        };
        QCOMPARE(path("Photos", "a b.jpg"), folder + "Photos/a b.jpg");
        QCOMPARE(path("Photos/../Videos", "v.mp4"), folder + "Videos/v.mp4");
        for (const auto& bad : QList<QPair<QString, QString>>{{"..", "x.jpg"}, {"Photos", "../x.jpg"}, {"Photos", ".."},
                                                            {"/tmp", "x.jpg"}, {"Photos", "/tmp/x.jpg"},
                                                            {"Photos", "C:x.jpg"}, {"C:", "x.jpg"}, {"Photos", "a\\b.jpg"},
                                                            {"Photos", ""}, {"", "x.jpg"}, {".", "project.xml"},
                                                            {"Photos/../..", "x.jpg"}})
            QVERIFY2(path(bad.first, bad.second).isEmpty(), qPrintable(bad.first + " | " + bad.second));
        QVERIFY(CProjectDownloadHandler::mediaFilePath(folder, SingleMediaFileLinkData{QString(), "Photos", "a.jpg"}).isEmpty());
    }

    void downloadsAWebProjectWithAllMedia()
    {
        settings()->setDownloadAllMedia(true);
        const QString folder = root() + QStringLiteral("Culvert/");
        // Every sync, with its thread and the names the project's files have then.
        struct Sync
        {
            QString path;
            bool onGuiThread;
            QStringList names;
        };
        auto syncs = std::make_shared<QList<Sync>>();
        auto syncsMutex = std::make_shared<QMutex>();
        QThread* gui = QThread::currentThread();
        FileReplacement::setSyncObserver([syncs, syncsMutex, gui, folder](const QString& path) {
            const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
            QMutexLocker locker(syncsMutex.get());
            syncs->append({path, QThread::currentThread() == gui, names});
        });
        CProjectDownloadHandler handler;
        QList<int> progress;
        connect(&handler, &CProjectDownloadHandler::overallProgressChanged, this,
                [&]() { progress.append(handler.overallProgress()); });
        QString error;
        const QList<int> states = download(handler, QStringLiteral("Culvert"), &error);
        FileReplacement::setSyncObserver({});
        QCOMPARE(error, QString());
        QCOMPARE(states, (QList<int>{1, 2, 3, 5, 4, 0}));
        {
            // Nothing waits on the disk on the GUI thread. The mark is on the disk, with the
            // folder's name, before the first file of the download; the data files take their
            // names before the folder's last sync.
            QMutexLocker locker(syncsMutex.get());
            const QString mark = QStringLiteral(".webdownload");
            int markSynced = -1;
            int markNamed = -1;
            int rootSynced = -1;
            int firstFile = -1;
            int folderAfterNames = -1;
            for (int i = 0; i < syncs->size(); ++i) {
                const Sync& sync = syncs->at(i);
                QVERIFY2(!sync.onGuiThread, qPrintable(sync.path));
                const QString name = QFileInfo(sync.path).fileName();
                const bool inFolder = QDir::cleanPath(sync.path) == QDir::cleanPath(folder);
                if (markSynced < 0 && sync.path.startsWith(folder) && name.startsWith('.' + mark + ".replacing."))
                    markSynced = i;
                if (markSynced >= 0 && markNamed < 0 && inFolder && sync.names.contains(mark))
                    markNamed = i;
                if (markNamed >= 0 && rootSynced < 0 && QDir::cleanPath(sync.path) == QDir::cleanPath(root()))
                    rootSynced = i;
                if (firstFile < 0 && sync.path.startsWith(folder) && FileReplacement::isNewCopyName(name)
                    && !name.startsWith(QLatin1Char('.') + mark))
                    firstFile = i;
                if (inFolder && sync.names.contains(QStringLiteral("project.xml"))
                    && sync.names.contains(QStringLiteral("manholes.xml")))
                    folderAfterNames = i;
            }
            QVERIFY2(markSynced >= 0 && markNamed > markSynced && rootSynced > markNamed && firstFile > rootSynced,
                     qPrintable(QStringLiteral("%1 %2 %3 %4").arg(markSynced).arg(markNamed).arg(rootSynced).arg(firstFile)));
            QVERIFY(folderAfterNames >= 0);
            QVERIFY(!syncs->at(folderAfterNames).names.contains(QStringLiteral("project.xml.download")));
        }
        QCOMPARE(readAll(folder + "project.xml"), m_surveyBodies.value("p-culvert"));
        QCOMPARE(readAll(folder + "manholes.xml"), m_manholes);
        QCOMPARE(fileMd5(folder + "Photos/M1.JPG"), fileMd5(stored("Culvert", "Photos/M1.JPG")));
        QCOMPARE(fileMd5(folder + "Photos/S1.JPG"), fileMd5(stored("Culvert", "Photos/S1.JPG")));
        QCOMPARE(fileMd5(folder + "Videos/M.mp4"), fileMd5(stored("Culvert", "Videos/M.mp4")));
        QCOMPARE(filesBelow(folder), (QStringList{"Photos/M1.JPG", "Photos/S1.JPG", "Videos/M.mp4", "manholes.xml",
                                                  "project.xml"}));
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        // Five steps: every value lies in its step's share and never goes back.
        QVERIFY(!progress.isEmpty());
        for (int i = 1; i < progress.size(); ++i)
            QVERIFY2(progress.at(i) >= progress.at(i - 1) || progress.at(i) == 0, qPrintable(QString::number(i)));
        QVERIFY(progress.contains(20) || progress.contains(40));
        // Done, and shown so.
        QCOMPARE(handler.overallProgress(), 100);
        QCOMPARE(handler.currentFileProgress(), 100);
        settings()->setDownloadAllMedia(false);
    }

    void failedDataRouteRemovesTheFolder()
    {
        CProjectDownloadHandler handler;
        QString error;
        const QList<int> states = download(handler, QStringLiteral("Broken"), &error);
        QCOMPARE(states, (QList<int>{1, 2, 0}));
        QVERIFY2(error.contains(QLatin1String("Error Code: 0x500")), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(root() + QStringLiteral("Broken")), WaitMs);
        QVERIFY(!listed(root() + QStringLiteral("Broken/")));
    }

    void unreadableSurveyDataEndTheDownload()
    {
        // Survey data that are no project file: reported, the folder goes, nothing more is
        // fetched, and the next download of the same project is not blocked by a left-over folder.
        settings()->setDownloadAllMedia(true);
        for (int attempt = 0; attempt < 2; ++attempt) {
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, QStringLiteral("Garbled"), &error);
            QCOMPARE(states, (QList<int>{1, 2, 0}));
            QVERIFY2(error.endsWith(QLatin1String("0x60005")), qPrintable(error));
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(root() + QStringLiteral("Garbled")), WaitMs);
            QVERIFY(!listed(root() + QStringLiteral("Garbled/")));
        }
        QVERIFY(m_sim->requestsTo(QStringLiteral("project_data"), QStringLiteral("p-garbled/Zephira/Manholes")).isEmpty());
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("G.JPG")).isEmpty());
        settings()->setDownloadAllMedia(false);
    }

    void unreadableMediaListEndsTheDownload()
    {
        // A list of the media links cut short, with no length to show it, is no list: the
        // download ends with an error instead of finishing without the rest of the media.
        settings()->setDownloadAllMedia(true);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("media_links"),
                                        {{QStringLiteral("noContentLength"), true}, {QStringLiteral("closeAfterBytes"), 400}})}));
        CProjectDownloadHandler handler;
        QString error;
        const QList<int> states = download(handler, QStringLiteral("Cut"), &error);
        QVERIFY(m_sim->setFaults({}));
        settings()->setDownloadAllMedia(false);
        QCOMPARE(states, (QList<int>{1, 0}));
        QVERIFY2(error.endsWith(QLatin1String("0x50005")), qPrintable(error));
        QVERIFY(!QFileInfo::exists(root() + QStringLiteral("Cut")));
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("p-cut/Photos/M1.JPG")).isEmpty());
    }

    void hostileMediaLinksWriteNothingOutside()
    {
        settings()->setDownloadAllMedia(true);
        const QString canary = root() + QStringLiteral("../canary.txt");
        QVERIFY(writeText(canary, "canary"));
        QVERIFY(writeText(root() + QStringLiteral("canary.txt"), "canary"));
        QVERIFY(makeRandomFile(m_sim->storedObject(SingleId.toString(QUuid::WithoutBraces), "Photos/ONE.JPG"), 900000, 11));
        for (const QString name : {"Up", "Dots", "Abs", "Drive", "Gap"}) {
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, name, &error);
            QVERIFY2(states == (QList<int>{1, 2, 3, 5, 0}), qPrintable(name + ": " + error));
            QVERIFY2(error.contains(QLatin1String("Error Code: 0x5000D\n\n")), qPrintable(name + ": " + error));
            if (name != QLatin1String("Gap"))
                QVERIFY2(error.contains(QLatin1String("canary.txt: ")), qPrintable(error));
            // The data files and the good photo stay: the project is usable without the refused file.
            const QString folder = root() + name + QLatin1Char('/');
            QCOMPARE(filesBelow(folder), (QStringList{"Photos/A.JPG", "manholes.xml", "project.xml"}));
            QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        }
        QCOMPARE(readAll(canary), QByteArray("canary"));
        QCOMPARE(readAll(root() + QStringLiteral("canary.txt")), QByteArray("canary"));
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("canary.txt")).isEmpty());
        settings()->setDownloadAllMedia(false);
    }

    void cutMediaFileKeepsTheProject()
    {
        // The second photo is cut off midway: what arrived stays, the project is listed, and
        // the survey gallery offers the files that did not arrive for download one by one.
        settings()->setDownloadAllMedia(true);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("closeAfterBytes"), 60000}}, {2, 3})}));
        CProjectDownloadHandler handler;
        QString error;
        const QList<int> states = download(handler, QStringLiteral("Cut"), &error);
        QVERIFY(m_sim->setFaults({}));
        settings()->setDownloadAllMedia(false);
        QCOMPARE(states, (QList<int>{1, 2, 3, 5, 0}));
        const QString folder = root() + QStringLiteral("Cut/");
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        QVERIFY2(error.startsWith(QLatin1String("M2.JPG: Failed to connect to the Tovrin Web server.\nPlease check your Internet connection."))
                     && error.contains(QLatin1String("Error Code: 0x5000E\n\n"))
                     && error.contains(QLatin1String("shown as missing in the survey gallery")),
                 qPrintable(error));
        QCOMPARE(filesBelow(folder), (QStringList{"Photos/M1.JPG", "manholes.xml", "project.xml"}));
        QCOMPARE(fileMd5(folder + "Photos/M1.JPG"), fileMd5(stored("Cut", "Photos/M1.JPG")));
        QVERIFY(!m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("p-cut/Photos/M2.JPG")).isEmpty());
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("p-cut/Videos/M.mp4")).isEmpty());

        CProjectXmlReader reader;
        const SurveyProjectPtr project = reader.read(folder + QStringLiteral("project.xml"), false);
        QVERIFY(project);
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setCurrentProject(project, folder);
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        evaluate(QStringLiteral("ScreenManager.show('SurveyGalleryScreen')"));
        QQuickItem* missing = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((missing = windowItem(QStringLiteral("galleryTile_M2.JPG"))), WaitMs);
        shoot(QStringLiteral("web-download-cut-media"));
        QCOMPARE(missing->property("fileState").toInt(), 2);
        QCOMPARE(windowItem(QStringLiteral("galleryTile_M.mp4"))->property("fileState").toInt(), 2);
        QCOMPARE(windowItem(QStringLiteral("galleryTile_M1.JPG"))->property("fileState").toInt(), 0);
        evaluate(QStringLiteral("ScreenManager.close()"));
        QTRY_COMPARE(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth);
        runtime->setCurrentProject(SurveyProjectPtr(), QString());
    }

    // The program is killed while the photos of a web project arrive. The folder it leaves is
    // no project and blocks nothing: downloading the project again from the download screen
    // goes on with it, fetching only what is missing.
    void aDownloadKilledWhilePhotosArriveIsGoneOnWith()
    {
        const QString folder = root() + QStringLiteral("Resume/");
        killDownloadWhilePhotosArrive(QStringLiteral("Resume"));
        if (QTest::currentTestFailed())
            return;

        // The project downloaded again, on the download screen.
        settings()->setDownloadAllMedia(true);
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        evaluate(QStringLiteral("ScreenManager.show('WebDownloadScreen', {projectId: 'p-resume', projectName: 'Resume'})"));
        const QString message = answerMessageText();
        settings()->setDownloadAllMedia(false);
        QCOMPARE(message, QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth, WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        QCOMPARE(readAll(folder + "project.xml"), m_surveyBodies.value("p-resume"));
        QCOMPARE(readAll(folder + "manholes.xml"), m_manholes);
        for (const char* file : {"Photos/M1.JPG", "Photos/M2.JPG", "Videos/M.mp4"})
            QCOMPARE(fileMd5(folder + file), fileMd5(stored("Resume", file)));
        // The photo that had arrived whole was not fetched again.
        QCOMPARE(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("p-resume/Photos/M1.JPG")).size(), 1);
        // Nothing else of the download stays: no mark, no data file under its download name, and
        // no copy of the killed transfer of the second photo (swept when that folder was written).
        const QStringList files = filesBelow(folder);
        QCOMPARE(files, (QStringList{"Photos/M1.JPG", "Photos/M2.JPG", "Videos/M.mp4", "manholes.xml", "project.xml"}));
    }

    // Files of the operator's put into the folder that a killed download left stay whatever the
    // next download of the project does: cancelled, failed, or refused for a mark it cannot read
    // or that names another web project. The folder is named in the log, and in the message of
    // a refusal.
    void theOperatorsFilesOutliveTheNextDownload()
    {
        const QString folder = root() + QStringLiteral("Keep/");
        const QString shownFolder = QDir::toNativeSeparators(QDir::cleanPath(folder));
        killDownloadWhilePhotosArrive(QStringLiteral("Keep"));
        if (QTest::currentTestFailed())
            return;
        const QByteArray firstPhoto = fileMd5(folder + QStringLiteral("Photos/M1.JPG"));
        const auto cancelWhileThePhotoArrives = [&]() {
            const int held = m_sim->heldRequests(QStringLiteral("storage_get"));
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("hold"), true}})}));
            CProjectDownloadHandler handler;
            QSignalSpy cancelled(&handler, &CProjectDownloadHandler::downloadCancelled);
            handler.startDownload(QStringLiteral("p-keep"), QStringLiteral("Keep"));
            QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_get")) > held, WaitMs);
            QCOMPARE(handler.state(), int(CProjectDownloadHandler::StateMedia));
            handler.cancel();
            QVERIFY(m_sim->release(QStringLiteral("storage_get")));
            QVERIFY(m_sim->setFaults({}));
            QCOMPARE(cancelled.size(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
        };
        settings()->setDownloadAllMedia(true);
        const auto restore = qScopeGuard([this] { settings()->setDownloadAllMedia(false); });
        logText();

        // Cancelled: what the interrupted download left is not the new one's to remove.
        cancelWhileThePhotoArrives();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(fileMd5(folder + QStringLiteral("Photos/M1.JPG")), firstPhoto);
        QVERIFY2(logText().contains(QStringLiteral("stays as it is: ") + folder), "the log does not name the folder");

        QVERIFY(writeText(folder + QStringLiteral("Photos/own.jpg"), "the operator's photo"));
        QVERIFY(writeText(folder + QStringLiteral("notes.txt"), "the operator's note"));
        const auto operatorsFilesStay = [&]() {
            return readAll(folder + QStringLiteral("Photos/own.jpg")) == "the operator's photo"
                && readAll(folder + QStringLiteral("notes.txt")) == "the operator's note";
        };

        // Cancelled again, with the operator's files in the folder.
        cancelWhileThePhotoArrives();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(operatorsFilesStay());

        // Failed: the survey data do not come.
        {
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("status"), 500}})}));
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, QStringLiteral("Keep"), &error);
            QVERIFY(m_sim->setFaults({}));
            QCOMPARE(states, (QList<int>{1, 2, 0}));
            QVERIFY2(error.endsWith(QLatin1String("0x50002")), qPrintable(error));
        }
        QVERIFY(operatorsFilesStay());
        QVERIFY2(logText().contains(QStringLiteral("stays as it is: ") + folder), "the log does not name the folder");

        // A mark that cannot be read, or that names another web project: refused, nothing touched.
        for (const QByteArray& mark : {QByteArray("garbage"), QByteArray(), QByteArray("p-other\n")}) {
            QVERIFY(writeText(folder + QStringLiteral(".webdownload"), mark));
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, QStringLiteral("Keep"), &error);
            QCOMPARE(states, (QList<int>{1, 0}));
            QVERIFY2(error.startsWith(shownFolder + QStringLiteral(": ")) && error.endsWith(QLatin1String("0x60009")),
                     qPrintable(error));
            QVERIFY(operatorsFilesStay());
            QCOMPARE(readAll(folder + QStringLiteral(".webdownload")), mark);
            QVERIFY2(logText().contains(QDir::cleanPath(folder)), "the log does not name the folder");
        }
        QVERIFY(!listed(folder));

        // The mark as the killed download left it, and a video of the operator's at the name of
        // the project's: the download goes on around the operator's files and replaces none.
        QVERIFY(writeText(folder + QStringLiteral(".webdownload"), "p-keep\nPhotos/M1.JPG\n"));
        QVERIFY(writeText(folder + QStringLiteral("Videos/M.mp4"), "the operator's video"));
        {
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, QStringLiteral("Keep"), &error);
            QCOMPARE(error, QString());
            QCOMPARE(states, (QList<int>{1, 2, 3, 5, 4, 0}));
        }
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        QVERIFY(operatorsFilesStay());
        QCOMPARE(readAll(folder + QStringLiteral("Videos/M.mp4")), QByteArray("the operator's video"));
        QCOMPARE(fileMd5(folder + QStringLiteral("Photos/M1.JPG")), firstPhoto);
        QCOMPARE(fileMd5(folder + QStringLiteral("Photos/M2.JPG")), fileMd5(stored("Keep", "Photos/M2.JPG")));
        QVERIFY(m_sim->requestsTo(QStringLiteral("storage_get"), QStringLiteral("p-keep/Videos/M.mp4")).isEmpty());
    }

    // The operator's own manholes.xml, written into the folder while a download of the project
    // runs, outlives it: a cancel leaves it, and neither that download nor the next replaces it.
    void theOperatorsManholeFileOutlivesTheDownload()
    {
        const QString folder = root() + QStringLiteral("Manholes/");
        const QByteArray own("<Manholes><Manhole name=\"the operator's\"/></Manholes>");
        settings()->setDownloadAllMedia(true);
        const auto restore = qScopeGuard([this] { settings()->setDownloadAllMedia(false); });
        for (const bool takenOver : {false, true}) {
            const int held = m_sim->heldRequests(QStringLiteral("storage_get"));
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("hold"), true}})}));
            CProjectDownloadHandler handler;
            handler.startDownload(QStringLiteral("p-manholes"), QStringLiteral("Manholes"));
            QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_get")) > held, WaitMs);
            QCOMPARE(handler.projectFolderPath(), folder);
            QVERIFY(QFileInfo::exists(folder + QStringLiteral("manholes.xml.download")));
            if (!takenOver)
                QVERIFY(writeText(folder + QStringLiteral("manholes.xml"), own));
            logText();
            handler.cancel();
            QVERIFY(m_sim->release(QStringLiteral("storage_get")));
            QVERIFY(m_sim->setFaults({}));
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(takenOver || folderKeptLogged(folder) || !QFileInfo::exists(folder), WaitMs);
            QCOMPARE(readAll(folder + QStringLiteral("manholes.xml")), own);
        }
        {
            CProjectDownloadHandler handler;
            QString error;
            download(handler, QStringLiteral("Manholes"), &error);
            QCOMPARE(error, QString());
        }
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        QCOMPARE(readAll(folder + QStringLiteral("manholes.xml")), own);
        QCOMPARE(readAll(folder + QStringLiteral("Photos/M1.JPG")), QByteArray("the stored photo"));
        QCOMPARE(filesBelow(folder), (QStringList{"Photos/M1.JPG", "manholes.xml", "project.xml"}));
        QVERIFY(logText().contains(QStringLiteral("Not put in place: ") + folder + QStringLiteral("manholes.xml")));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder).removeRecursively(), WaitMs);
    }

    // The project folder has no room left for the download's mark: the message says the drive is
    // full, not that the folder is write-protected.
    void aFullDriveIsToldAsSuch()
    {
        const QString folder = root() + QStringLiteral("Full");
        QVERIFY(QDir().mkpath(folder));
        {
            TestVolume volume;
            if (!volume.mountTmpfs(folder, 64))
                QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
            // Taken for the data file of an interrupted download, the volume filled with it.
            QVERIFY(TestVolume::fill(folder));
            QVERIFY(QFile::rename(folder + QStringLiteral("/filler"), folder + QStringLiteral("/project.xml.download")));
            CProjectDownloadHandler handler;
            QString error;
            const QList<int> states = download(handler, QStringLiteral("Full"), &error);
            QCOMPARE(states, (QList<int>{1, 0}));
            QVERIFY2(error.contains(QLatin1String("not enough free storage space")) && error.endsWith(QLatin1String("0x5000F")),
                     qPrintable(error));
        }
        QVERIFY(QDir(folder).removeRecursively());
    }

    void failedRenameEndsTheDownload_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("blocked");
        // The web client cannot give the survey data their download name.
        QTest::newRow("survey data") << QStringLiteral("InTheWay") << int(CProjectDownloadHandler::StateSurveyData)
                                     << QStringLiteral("project.xml.download");
        QTest::newRow("manhole data") << QStringLiteral("Rename") << int(CProjectDownloadHandler::StateManholeData)
                                      << QStringLiteral("manholes.xml");
        // A media file fails, and the project file that would keep the project cannot be put in
        // place: without it the folder is no project.
        QTest::newRow("project file after a failed media file")
            << QStringLiteral("Blocked") << int(CProjectDownloadHandler::StateMedia) << QStringLiteral("project.xml");
    }

    // A folder stands where a data file takes its name: the message names it, and the project
    // folder, which holds it, stays as it is, unlisted.
    void failedRenameEndsTheDownload()
    {
        QFETCH(QString, project);
        QFETCH(int, state);
        QFETCH(QString, blocked);
        settings()->setDownloadAllMedia(true);
        CProjectDownloadHandler handler;
        QSignalSpy errors(&handler, &CProjectDownloadHandler::errorOccurred);
        QSignalSpy finished(&handler, &CProjectDownloadHandler::downloadFinished);
        // Once the state is reached and the folder known, before the step's file is fetched.
        bool madeBlock = false;
        const auto block = [&]() {
            if (!madeBlock && handler.state() == state && !handler.projectFolderPath().isEmpty())
                madeBlock = QDir().mkpath(handler.projectFolderPath() + blocked);
        };
        connect(&handler, &CProjectDownloadHandler::stateChanged, this, block);
        connect(&handler, &CProjectDownloadHandler::currentFileNameChanged, this, block);
        handler.startDownload(QStringLiteral("p-") + project.toLower(), project);
        QVERIFY(errors.wait(WaitMs));
        settings()->setDownloadAllMedia(false);
        QVERIFY(finished.isEmpty());
        QCOMPARE(errors.count(), 1);
        const QString message = errors.first().first().toString();
        const QString folder = root() + project + QLatin1Char('/');
        QVERIFY2(message.contains(QDir::toNativeSeparators(folder + blocked)) && message.endsWith(QLatin1String("0x70003")),
                 qPrintable(message));
        QCOMPARE(handler.state(), 0);
        QVERIFY(QFileInfo(folder + blocked).isDir());
        QVERIFY(!QFileInfo(folder + QStringLiteral("project.xml")).isFile());
        QVERIFY(!listed(folder));
    }

    void pauseResumeAndCancel()
    {
        // A step that finishes while paused starts nothing; resume starts the next one.
        {
            CProjectDownloadHandler handler;
            QSignalSpy ids(api(), &TovrinWebApi::downloadTotalProgressChanged);
            QSignalSpy finished(&handler, &CProjectDownloadHandler::downloadFinished);
            handler.startDownload(QStringLiteral("p-slow"), QStringLiteral("Slow"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 2 && !ids.isEmpty(), WaitMs);
            const uint surveyId = ids.first().first().toUInt();
            const int manholeRequests = m_sim->requestsTo(QStringLiteral("project_data"), QStringLiteral("/Manholes")).size();
            QTRY_VERIFY_WITH_TIMEOUT(handler.currentFileProgress() > 0, WaitMs);
            handler.pause();
            // The web client drops what a paused transfer wrote; then it reports the step
            // finished anyway, its file complete.
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(handler.projectFolderPath() + "project.xml.download"), WaitMs);
            QVERIFY(writeText(handler.projectFolderPath() + QStringLiteral("project.xml.download"),
                              m_surveyBodies.value("p-slow")));
            handler.onDownloadFinished(surveyId);
            QCOMPARE(handler.state(), 3);
            QCOMPARE(handler.currentFileName(), QStringLiteral("manholes.xml.download"));
            QCOMPARE(handler.currentFileProgress(), 0);
            handler.onDownloadFinished(surveyId);
            QCOMPARE(handler.state(), 3);
            // The paused transfer that was reported finished by hand is not left behind.
            api()->abortDownload(surveyId);
            handler.resume();
            // Paused again while the manhole data stream in, then resumed: the data start over.
            QTRY_VERIFY_WITH_TIMEOUT(handler.currentFileProgress() > 0, WaitMs);
            handler.pause();
            handler.resume();
            QVERIFY(finished.wait(WaitMs));
            QVERIFY(m_sim->requestsTo(QStringLiteral("project_data"), QStringLiteral("/Manholes")).size() >= manholeRequests + 2);
            const QString folder = root() + QStringLiteral("Slow/");
            QCOMPARE(readAll(folder + "project.xml"), m_surveyBodies.value("p-slow"));
            const QByteArray manholes = readAll(folder + "manholes.xml");
            QVERIFY(manholes.startsWith("<Manholes><ProjectId>p-slow</ProjectId><Pad>xxx"));
            QVERIFY(manholes.endsWith(QByteArray(100, 'x') + "</Pad></Manholes>"));
            QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
            QVERIFY(QDir(folder).removeRecursively());
            QTRY_VERIFY_WITH_TIMEOUT(!listed(folder), WaitMs);
        }
        // Cancel in the middle of the manhole data: the folder goes, nothing is listed.
        {
            CProjectDownloadHandler handler;
            QSignalSpy cancelled(&handler, &CProjectDownloadHandler::downloadCancelled);
            handler.startDownload(QStringLiteral("p-slow"), QStringLiteral("Slow"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 3 && handler.currentFileProgress() > 0, WaitMs);
            const QString folder = handler.projectFolderPath();
            QVERIFY(QFileInfo::exists(folder + "project.xml.download"));
            QVERIFY(!QFileInfo::exists(folder + "project.xml"));
            QVERIFY(!listed(folder));
            handler.cancel();
            QCOMPARE(cancelled.size(), 1);
            QCOMPARE(handler.state(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(folder), WaitMs);
            QVERIFY(!listed(folder));
        }
        // The same, with a note the operator put into the new folder meanwhile: the note stays,
        // and so does the folder, as the next download of the project finds it.
        {
            logText();
            CProjectDownloadHandler handler;
            handler.startDownload(QStringLiteral("p-slow"), QStringLiteral("Slow"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 3 && handler.currentFileProgress() > 0, WaitMs);
            const QString folder = handler.projectFolderPath();
            QVERIFY(writeText(folder + QStringLiteral("notes.txt"), "the operator's note"));
            handler.cancel();
            QCOMPARE(handler.state(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(folderKeptLogged(folder), WaitMs);
            QCOMPARE(readAll(folder + QStringLiteral("notes.txt")), QByteArray("the operator's note"));
            QVERIFY(QFileInfo::exists(folder + QStringLiteral(".webdownload")));
            QVERIFY(!listed(folder));
            QTRY_COMPARE_WITH_TIMEOUT(transferCopies(folder), QStringList(), WaitMs);
            QVERIFY(QDir(folder).removeRecursively());
        }
        // A photo the operator put at the name of the one arriving: the download cannot show it
        // wrote what holds that name, so the cancel keeps it.
        {
            settings()->setDownloadAllMedia(true);
            const auto restore = qScopeGuard([this] { settings()->setDownloadAllMedia(false); });
            const int held = m_sim->heldRequests(QStringLiteral("storage_get"));
            QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_get"), {{QStringLiteral("hold"), true}})}));
            logText();
            CProjectDownloadHandler handler;
            handler.startDownload(QStringLiteral("p-dropped"), QStringLiteral("Dropped"));
            QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_get")) > held, WaitMs);
            const QString folder = handler.projectFolderPath();
            QVERIFY(writeText(folder + QStringLiteral("Photos/M1.JPG"), "the operator's photo"));
            handler.cancel();
            QVERIFY(m_sim->release(QStringLiteral("storage_get")));
            QVERIFY(m_sim->setFaults({}));
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(folderKeptLogged(folder), WaitMs);
            QCOMPARE(readAll(folder + QStringLiteral("Photos/M1.JPG")), QByteArray("the operator's photo"));
            QTRY_COMPARE_WITH_TIMEOUT(transferCopies(folder), QStringList(), WaitMs);
            QVERIFY(QDir(folder).removeRecursively());
        }
        // Another transfer's error (the web client's error names none) ends this download: its
        // own transfer is stopped at the web client before the folder goes.
        {
            CProjectDownloadHandler handler;
            QSignalSpy errors(&handler, &CProjectDownloadHandler::errorOccurred);
            handler.startDownload(QStringLiteral("p-slow"), QStringLiteral("Slow"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 3 && handler.currentFileProgress() > 0, WaitMs);
            QVERIFY(api()->anyDownloadActive());
            const QString folder = handler.projectFolderPath();
            handler.onErrorOccurred(ErrorTimeOut);
            QCOMPARE(errors.size(), 1);
            QVERIFY(errors.first().first().toString().endsWith(QLatin1String("Error Code: 0x50001")));
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(folder), WaitMs);
            // The echo of that abort is no error of anybody's download.
            handler.onErrorOccurred(ErrorInvalidParameter);
            QCOMPARE(errors.size(), 1);
        }
        // Cancel while starting, before the folder exists: the folder made later goes too.
        {
            CProjectDownloadHandler handler;
            QSignalSpy cancelled(&handler, &CProjectDownloadHandler::downloadCancelled);
            QSignalSpy created(projects(), &CProjectService::projectCreated);
            handler.startDownload(QStringLiteral("p-slow"), QStringLiteral("Slow"));
            QCOMPARE(handler.state(), 1);
            handler.cancel();
            QCOMPARE(cancelled.size(), 1);
            QVERIFY(created.wait(WaitMs));
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(created.first().at(1).toString()), WaitMs);
        }
    }

    // A cancelled download's folder is removed where the project service does its disk work,
    // never on the GUI thread; a removal that cannot finish is tried a bounded number of times
    // and then said so. A cancel while the data files take their names lets the download end
    // whole, as it says.
    void cancelledFolderGoesOffTheGuiThread()
    {
        // What a run stopped midway left would be taken over, and not removed.
        QDir(root() + QStringLiteral("LetGo")).removeRecursively();
        {
            // The project worker held on a write of its own: the cancel and the GUI thread's
            // events are through, the folder still there; it goes once the worker is free.
            QSemaphore release;
            QAtomicInt held = 0;
            const QString holder = root() + QStringLiteral("Holder");
            FileReplacement::setSyncObserver([&](const QString& path) {
                if (path.startsWith(holder + QLatin1Char('/')) && held.testAndSetOrdered(0, 1))
                    release.acquire();
            });
            const auto stopHolding = qScopeGuard([&] {
                FileReplacement::setSyncObserver(nullptr);
                release.release();
                QTRY_VERIFY_WITH_TIMEOUT(QDir(holder).removeRecursively(), WaitMs);
            });
            CProjectDownloadHandler handler;
            handler.startDownload(QStringLiteral("p-letgo"), QStringLiteral("LetGo"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 3 && handler.currentFileProgress() > 0, WaitMs);
            projects()->createProject(QStringLiteral("Holder"), QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric,
                                      root());
            QTRY_COMPARE_WITH_TIMEOUT(held.loadAcquire(), 1, WaitMs);
            const QString folder = handler.projectFolderPath();
            handler.cancel();
            QCOMPARE(handler.state(), 0);
            QCoreApplication::processEvents();
            QVERIFY(QFileInfo::exists(folder + QStringLiteral(".webdownload")));
            release.release();
            QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(folder), WaitMs);
        }
        {
            // A media folder that cannot be removed (a read-only mount on it): tried, then said
            // so, and the folder is let go as it is; the next download of the project goes on in it.
            const QString folder = root() + QStringLiteral("LetGo/");
            CProjectDownloadHandler handler;
            handler.startDownload(QStringLiteral("p-letgo"), QStringLiteral("LetGo"));
            QTRY_VERIFY_WITH_TIMEOUT(handler.state() == 3 && handler.currentFileProgress() > 0, WaitMs);
            QCOMPARE(handler.projectFolderPath(), folder);
            TestVolume stuck;
            if (!stuck.makeReadOnly(folder + QStringLiteral("Photos"))) {
                handler.cancel();
                QSKIP("mounting needs the right to mount (root in CI)");
            }
            logText();
            handler.cancel();
            QCOMPARE(handler.state(), 0);
            QTRY_VERIFY_WITH_TIMEOUT(readLogText(root() + QStringLiteral("Culvertix.log"))
                                         .contains(QStringLiteral("Could not remove the project folder ") + folder),
                                     WaitMs);
            QVERIFY(QFileInfo::exists(folder + QStringLiteral(".webdownload")));
            CProjectDownloadHandler next;
            QSignalSpy errors(&next, &CProjectDownloadHandler::errorOccurred);
            next.startDownload(QStringLiteral("p-letgo"), QStringLiteral("LetGo"));
            QTRY_VERIFY_WITH_TIMEOUT(next.state() >= 2 || !errors.isEmpty(), WaitMs);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.isEmpty() ? QString() : errors.first().first().toString()));
            QCOMPARE(next.projectFolderPath(), folder);
            // Taken over, it is not the next download's to remove.
            next.cancel();
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyDownloadActive(), WaitMs);
            stuck.unmount();
            // The stopped transfer's copy may still be on its way out meanwhile.
            QTRY_VERIFY_WITH_TIMEOUT(QDir(folder).removeRecursively(), WaitMs);
        }

        // The project folder's entries go to the disk once its files have their names; the
        // cancel comes meanwhile.
        QSemaphore release;
        QAtomicInt held = 0;
        const QString folder = root() + QStringLiteral("LetGo");
        FileReplacement::setSyncObserver([&](const QString& path) {
            if (QDir::cleanPath(path) == folder && QFileInfo::exists(folder + QStringLiteral("/project.xml"))
                && held.testAndSetOrdered(0, 1))
                release.acquire();
        });
        const auto stopHolding = qScopeGuard([&] {
            FileReplacement::setSyncObserver(nullptr);
            release.release(2);
        });
        CProjectDownloadHandler handler;
        QSignalSpy finished(&handler, &CProjectDownloadHandler::downloadFinished);
        QSignalSpy cancelled(&handler, &CProjectDownloadHandler::downloadCancelled);
        handler.startDownload(QStringLiteral("p-letgo"), QStringLiteral("LetGo"));
        QTRY_VERIFY_WITH_TIMEOUT(held.loadAcquire() == 1, WaitMs);
        handler.cancel();
        release.release();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, WaitMs);
        QCOMPARE(cancelled.size(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(listed(folder), WaitMs);
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/project.xml")));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(folder).removeRecursively(), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!listed(folder), WaitMs);
    }

    void downloadScreenFollowsAndRefuses()
    {
        // Opened with nothing to download: the refusal is shown and the estimate stops.
        evaluate(QStringLiteral("ScreenManager.show('WebDownloadScreen', {projectId: '', projectName: 'X'})"));
        // A fault of the program's own, not of the link.
        QCOMPARE(answerMessageText().right(5), QStringLiteral("5000B"));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), 1, WaitMs);
        {
            CWebDownloadScreenController controller;
            QSignalSpy errors(&controller, &CMediaIOScreenController::operationErrorOccurred);
            controller.startDownload(QString(), QStringLiteral("X"));
            QVERIFY(errors.wait(WaitMs));
            QVERIFY(!controller.operationInProgress());
            QCOMPARE(controller.remainingSeconds(), 0u);
            // One media file with no project open: an error, not a crash.
            controller.setSingleMediaDownload(true);
            controller.downloadFile(QStringLiteral("IMG_0001.JPG"));
            QVERIFY(errors.wait(WaitMs));
            QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x5000B")));
        }

        // The whole download on the screen, with the screen's cancel question answered No. The
        // service holds the project data until the question is answered: the download is still
        // running then however slow the machine, and it ends as soon as the data come.
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        const int held = m_sim->heldRequests(QStringLiteral("project_data"));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("project_data"), {{QStringLiteral("hold"), true}})}));
        evaluate(QStringLiteral("ScreenManager.show('WebDownloadScreen', {projectId: 'p-held', projectName: 'Held'})"));
        QQuickItem* screen = topScreen();
        QVERIFY(screen);
        auto* controller = screen->findChild<CWebDownloadScreenController*>();
        QVERIFY(controller);
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("project_data")) > held, WaitMs);
        QVERIFY(controller->operationInProgress());
        const int state = controller->projectDownloadHandler()->state();
        controller->startDownload(QStringLiteral("p-culvert"), QStringLiteral("Culvert"));
        QCOMPARE(controller->projectDownloadHandler()->state(), state);
        shoot(QStringLiteral("web-download-progress"));
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        QCOMPARE(evaluate(QStringLiteral("messageBoxView.message.text")).toString(),
                 QStringLiteral("Are you sure you want to cancel the current download?"));
        evaluate(QStringLiteral("messageBoxView.answer(false)"));
        QVERIFY(controller->operationInProgress());
        QVERIFY(m_sim->setFaults({}));
        QVERIFY(m_sim->release(QStringLiteral("project_data")));
        QCOMPARE(answerMessageText(), QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth, WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(listed(root() + QStringLiteral("Held/")), WaitMs);

        // One media file of the current project, through the same screen.
        const QString current = m_work.filePath(QStringLiteral("current/"));
        QVERIFY(QDir().mkpath(current + QStringLiteral("Photos")));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setCurrentProject(std::make_shared<CSurveyProject>(SingleId, QVector<SurveyPtr>(), QStringLiteral("Single"),
                                                                    QString(), QStringLiteral("en_US"), QDateTime::currentDateTime(),
                                                                    ProjectTypes::DistanceUnitMetric),
                                   current);
        evaluate(QStringLiteral("ScreenManager.show('WebDownloadScreen', {mediaFileName: 'ONE.JPG'})"));
        QCOMPARE(answerMessageText(), QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth, WaitMs);
        QCOMPARE(fileMd5(current + QStringLiteral("Photos/ONE.JPG")),
                 fileMd5(m_sim->storedObject(SingleId.toString(QUuid::WithoutBraces), QStringLiteral("Photos/ONE.JPG"))));
        runtime->setCurrentProject(SurveyProjectPtr(), QString());
    }

    // A photo the survey lists but the tablet lacks: its tile in the survey gallery offers the
    // download from the web service, and shows the photo once it is there.
    void surveyGalleryDownloadsAMissingWebFile()
    {
        const QString current = m_work.filePath(QStringLiteral("gallery/"));
        QVERIFY(QDir().mkpath(current + QStringLiteral("Photos")));
        auto survey = std::make_shared<CSurvey>();
        survey->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/ONE.JPG"), QString(), 0.0, 0.0, 0.0));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setCurrentProject(std::make_shared<CSurveyProject>(SingleId, QVector<SurveyPtr>{survey}, QStringLiteral("Single"),
                                                                    QString(), QStringLiteral("en_US"), QDateTime::currentDateTime(),
                                                                    ProjectTypes::DistanceUnitMetric),
                                   current);
        QVERIFY(evaluate(QStringLiteral("Context.webLoginService.loggedIn")).toBool());
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        evaluate(QStringLiteral("ScreenManager.show('SurveyGalleryScreen')"));
        QQuickItem* tile = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((tile = windowItem(QStringLiteral("galleryTile_ONE.JPG"))), WaitMs);
        QCOMPARE(tile->property("fileState").toInt(), 2);
        evaluate(QStringLiteral("ScreenManager.currentScreen.openFile(0, '', 'ONE.JPG', %1, %2)")
                     .arg(0)
                     .arg(tile->property("fileState").toInt()));
        QVERIFY(answerMessageText().startsWith(QStringLiteral("ONE.JPG is not on this tablet.")));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.currentScreen.objectName")).toString(),
                                  QStringLiteral("WebDownloadScreen"), WaitMs);
        shoot(QStringLiteral("web-single-download"));
        QCOMPARE(answerMessageText(), QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.currentScreen.objectName")).toString(),
                                  QStringLiteral("SurveyGalleryScreen"), WaitMs);
        QCOMPARE(fileMd5(current + QStringLiteral("Photos/ONE.JPG")),
                 fileMd5(m_sim->storedObject(SingleId.toString(QUuid::WithoutBraces), QStringLiteral("Photos/ONE.JPG"))));
        tile = windowItem(QStringLiteral("galleryTile_ONE.JPG"));
        QVERIFY(tile);
        QTRY_COMPARE_WITH_TIMEOUT(tile->property("fileState").toInt(), 0, WaitMs);
        evaluate(QStringLiteral("ScreenManager.close()"));
        QTRY_COMPARE(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth);
        runtime->setCurrentProject(SurveyProjectPtr(), QString());
    }

    void uploadsALocalProject()
    {
        // A local project made by the program, with media in its folders.
        const QString folder = root() + QStringLiteral("Upload/");
        QVERIFY(writeText(folder + "project.xml", projectXml(QStringLiteral("Upload"), m_work.filePath("xml/Upload"))));
        QVERIFY(writeText(folder + "manholes.xml", m_manholes));
        QVERIFY(makeRandomFile(folder + "Photos/M1.JPG", 200000, 5));
        QVERIFY(makeRandomFile(folder + "Photos/M2.JPG", 200000, 6));
        QVERIFY(makeRandomFile(folder + "Photos/S1.JPG", 200000, 7));
        QVERIFY(makeRandomFile(folder + "Videos/M.mp4", 5000000, 8));
        QCOMPARE(CWebUploadScreenController::readManholeMedia(folder),
                 (QSet<QString>{"Photos/M1.JPG", "Photos/M2.JPG", "Videos/M.mp4"}));
        QCOMPARE(CWebUploadScreenController::readManholeMedia(m_work.filePath("nothing")), QSet<QString>());

        const QUuid id = QUuid::createUuid();
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        evaluate(QStringLiteral("ScreenManager.show('WebUploadScreen', {projectId: '%1', projectName: 'Upload', "
                                "projectPath: '%2', projectCreationDate: new Date()})")
                     .arg(id.toString(QUuid::WithoutBraces), folder));
        QQuickItem* screen = topScreen();
        QVERIFY(screen);
        auto* controller = screen->findChild<CWebUploadScreenController*>();
        QVERIFY(controller);
        QVERIFY(controller->operationInProgress());
        QCOMPARE(controller->manholeMedia().size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(controller->overallProgress() > 0 || !controller->operationInProgress(), WaitMs);
        shoot(QStringLiteral("web-upload-progress"));
        // Behind the "finished" message the screen shows the whole upload done, its last file named.
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        shoot(QStringLiteral("web-upload-finished"));
        QCOMPARE(text(QStringLiteral("webTransferOverall")), QStringLiteral("Overall progress:  100 %"));
        QCOMPARE(windowItem(QStringLiteral("webTransferOverallBar"))->property("value").toInt(), 100);
        QCOMPARE(windowItem(QStringLiteral("webTransferFileBar"))->property("value").toInt(), 100);
        const QString lastFile = text(QStringLiteral("webTransferFile"));
        QVERIFY2(QRegularExpression(QStringLiteral("^Current file:  (project\\.xml|manholes\\.xml|M1?2?\\.(JPG|mp4)|S1\\.JPG)$"))
                     .match(lastFile)
                     .hasMatch(),
                 qPrintable(lastFile));
        QVERIFY(!controller->operationInProgress());
        QString message = answerMessageText();
        QVERIFY2(message.startsWith(QLatin1String("Upload finished successfully.")), qPrintable(message));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth, WaitMs);
        // The simulator stores every file of the project, the large video in parts.
        const QString stored = m_sim->storedObject(id.toString(QUuid::WithoutBraces), QString());
        QStringList names;
        for (const QString& key : filesBelow(stored))
            names.append(fileNameFromPath(key));
        names.sort();
        QCOMPARE(names, (QStringList{"M.mp4", "M1.JPG", "M2.JPG", "S1.JPG", "manholes.xml", "project.xml"}));
        for (const QString& key : filesBelow(stored)) {
            if (key.endsWith(QLatin1String("M.mp4")))
                QCOMPARE(fileMd5(stored + key), fileMd5(folder + "Videos/M.mp4"));
        }

        // Another transfer's error during the upload: the upload is stopped at the web client.
        {
            QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("storage_put"), {{"hold", true}})}));
            CWebUploadScreenController upload;
            QSignalSpy errors(&upload, &CMediaIOScreenController::operationErrorOccurred);
            upload.startUpload(QUuid::createUuid(), QStringLiteral("Upload"), folder, QDateTime::currentDateTime());
            QVERIFY(upload.operationInProgress());
            QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_put")) > 0, WaitMs);
            QVERIFY(api()->anyUploadActive());
            upload.onErrorOccurred(ErrorTimeOut);
            QCOMPARE(errors.size(), 1);
            QVERIFY(errors.first().first().toString().endsWith(QLatin1String("Error Code: 0x50001")));
            QVERIFY(!upload.operationInProgress());
            QTRY_VERIFY_WITH_TIMEOUT(!api()->anyUploadActive(), WaitMs);
            // Later errors (the abort's own echo among them) are not this idle screen's.
            upload.onErrorOccurred(ErrorInvalidParameter);
            QCOMPARE(errors.size(), 1);
            QVERIFY(m_sim->setFaults(QJsonArray()));
            QVERIFY(m_sim->release(QStringLiteral("storage_put")));
        }

        // Refusals and errors, on a controller of its own.
        CWebUploadScreenController upload;
        QSignalSpy errors(&upload, &CMediaIOScreenController::operationErrorOccurred);
        QSignalSpy cancelled(&upload, &CMediaIOScreenController::operationCancelled);
        upload.startUpload(id, QString(), folder, QDateTime::currentDateTime());
        QVERIFY(!upload.operationInProgress());
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(errors.last().first().toString().startsWith(QLatin1String("An internal error")));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x5000B")));
        upload.handleWebError(ErrorFalseCredentials);
        QVERIFY(errors.last().first().toString().startsWith(QLatin1String("An internal error")));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x50002")));
        upload.setCancelInProgress(true);
        upload.handleWebError(ErrorTimeOut);
        QCOMPARE(cancelled.size(), 1);
        QCOMPARE(errors.size(), 2);
        QVERIFY(!upload.cancelInProgress());
        // Progress of another upload is not ours.
        upload.onUploadTotalProgressChanged(4242, 50);
        QCOMPARE(upload.overallProgress(), 0);
    }
};

int main(int argc, char** argv)
{
    // The child keeps the simulator's address that the test gave it.
    if (argc >= 4 && qstrcmp(argv[1], "--download-child") == 0)
        return runDownloadChild(argc, argv);
    SimulatorPort = pointWebClientAtFreePort();
    return ApplicationScreenTest::runInApplication<tst_WebTransferScreens>(argc, argv);
}

#include "tst_WebTransferScreens.moc"
