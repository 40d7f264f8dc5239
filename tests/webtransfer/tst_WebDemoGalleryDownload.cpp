// The run command's web demo in the whole application: the web-service simulator started with
// --demo as scripts/run.sh starts it, one of its projects downloaded without its media, and one
// missing photo fetched through the survey gallery by holding its tile and answering Yes.
// With CX_SHOTS_DIR set, screenshots are written there.
#include "web/CProjectDownloadHandler.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "surveyprojects/CProjectService.h"

#include "TovrinWebApi.h"
#include "libraries/web/WebTestSupport.h"
#include "peers/PeerProcess.h"
#include "support/ApplicationScreenTest.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include <QDirIterator>
#include <QQuickItem>
#include <QtTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

constexpr int WaitMs = 60000;
int SimulatorPort = 0;
const QString DemoProject = QStringLiteral("Harbour Road");
const QString MissingPhoto = QStringLiteral("HR1-HR2_1.JPG");

} // namespace

class tst_WebDemoGalleryDownload : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    PeerProcess m_demo;

    TovrinWebApi* api() const { return CApplication::instance()->webApi(); }
    CProjectService* projects() const { return CApplication::instance()->projectService(); }

    // Presses the item and keeps the press until the program answers with a message, as a
    // finger held on a tile does; releases it in every case.
    bool holdUntilMessage(QQuickItem* target)
    {
        if (!target || !waitForFrame())
            return false;
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        const QPointF global = window()->mapToGlobal(centre.toPoint());
        QMouseEvent press(QEvent::MouseButtonPress, centre, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &press);
        const bool asked = QTest::qWaitFor([this] { return evaluate(QStringLiteral("MessageBox.isOpen")).toBool(); }, WaitMs);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, centre, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &release);
        return asked;
    }

    // The photo as the demo stores it on the web service.
    QString storedPhoto(const QString& projectId) const
    {
        return m_work.filePath(QStringLiteral("webservice/storage/storage/objects/%1/Photos/%2").arg(projectId, MissingPhoto));
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY(m_work.isValid());
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY(window());
        window()->resize(shotsWindowSize(QSize(1280, 800)));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt() >= 1, WaitMs);
        closeToStartScreen();
        QTRY_VERIFY_WITH_TIMEOUT(projects()->projectListReady(), WaitMs);
        // As scripts/run.sh starts it; the demo makes its photos and video with GStreamer first.
        const int port = m_demo.start(QStringLiteral("python3"),
                                      {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/webservice/webservice_sim.py"),
                                       QStringLiteral("--port"), QString::number(SimulatorPort), QStringLiteral("--demo"),
                                       m_work.filePath(QStringLiteral("webservice"))},
                                      WaitMs);
        if (port == 0)
            QSKIP("python3 with gst-launch-1.0 could not start the demo web service");
        QCOMPARE(port, SimulatorPort);
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        CApplication::instance()->appRuntimeData()->setCurrentProject(SurveyProjectPtr(), QString());
        m_demo.stop();
    }

    void missingDemoPhotoArrivesThroughTheSurveyGallery()
    {
        QSignalSpy login(api(), &TovrinWebApi::loginResult);
        api()->login(QStringLiteral("demo"), QStringLiteral("demo"));
        QVERIFY(login.wait(WaitMs));
        QCOMPARE(login.first().at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);

        // The demo project as the web main screen offers it, downloaded without its media.
        QSignalSpy listed(api(), &TovrinWebApi::projectInfoReceived);
        api()->queryRemoteProjects();
        QVERIFY(listed.wait(WaitMs));
        QString projectId;
        for (const ProjectInfo& info : listed.first().first().value<QList<ProjectInfo>>()) {
            if (info.projectName() == DemoProject)
                projectId = info.projectId();
        }
        QVERIFY2(!projectId.isEmpty(), "the demo lists no Harbour Road");
        CApplication::instance()->settings()->setDownloadAllMedia(false);
        CProjectDownloadHandler handler;
        QSignalSpy finished(&handler, &CProjectDownloadHandler::downloadFinished);
        QSignalSpy failed(&handler, &CProjectDownloadHandler::errorOccurred);
        handler.startDownload(projectId, DemoProject);
        QVERIFY(QTest::qWaitFor([&] { return !finished.isEmpty() || !failed.isEmpty(); }, WaitMs));
        QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
        const QString folder = queryProjectRootPath() + DemoProject + QLatin1Char('/');
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("Photos/") + MissingPhoto));

        // Opened as the project list opens it.
        QSignalSpy loaded(projects(), &CProjectService::projectLoaded);
        const uint task = projects()->loadProject(folder);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty() && loaded.last().at(0).toUInt() == task, WaitMs);
        const SurveyProjectPtr project = loaded.last().at(2).value<SurveyProjectPtr>();
        QVERIFY(project);
        // The project file names the project by the id the web service serves it under.
        QCOMPARE(project->id().toString(QUuid::WithoutBraces), projectId);
        CApplication::instance()->appRuntimeData()->setCurrentProject(project, folder);

        evaluate(QStringLiteral("ScreenManager.show('SurveyGalleryScreen')"));
        QQuickItem* tile = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((tile = windowItem(QStringLiteral("galleryTile_") + MissingPhoto)), WaitMs);
        QCOMPARE(tile->property("fileState").toInt(), 2);
        shoot(QStringLiteral("web-demo-missing-tile"));
        QVERIFY2(holdUntilMessage(tile), "holding the missing tile asked nothing");
        QCOMPARE(answerMessageText(),
                 MissingPhoto + QStringLiteral(" is not on this tablet. Download it from Tovrin Web now?"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebDownloadScreen"), WaitMs);
        QCOMPARE(answerMessageText(), QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("SurveyGalleryScreen"), WaitMs);

        // The photo is in the project, byte for byte as served, and its tile shows it there.
        QCOMPARE(fileMd5(folder + QStringLiteral("Photos/") + MissingPhoto), fileMd5(storedPhoto(projectId)));
        QVERIFY(!fileMd5(folder + QStringLiteral("Photos/") + MissingPhoto).isEmpty());
        tile = windowItem(QStringLiteral("galleryTile_") + MissingPhoto);
        QVERIFY(tile);
        QTRY_COMPARE_WITH_TIMEOUT(tile->property("fileState").toInt(), 0, WaitMs);
        shoot(QStringLiteral("web-demo-downloaded-tile"));
        evaluate(QStringLiteral("ScreenManager.close()"));
    }
};

int main(int argc, char** argv)
{
    SimulatorPort = pointWebClientAtFreePort();
    return ApplicationScreenTest::runInApplication<tst_WebDemoGalleryDownload>(argc, argv);
}

#include "tst_WebDemoGalleryDownload.moc"
