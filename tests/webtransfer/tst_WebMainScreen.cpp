// The web main screen in the whole application against the web-service simulator: both lists,
// the checks before an upload, the upload of a local project shown as being imported until the
// service reports it imported, downloads started from the web list, re-sorting that keeps the
// selection, a controller used before the web list is there, expired logins, and a list answer
// that is no list.
// With CX_SHOTS_DIR set, screenshots are written there.
#include "mediaimport/CMediaIOScreenController.h"
#include "web/CWebMainScreenController.h"
#include "web/CWebProjectListModel.h"
#include "web/WebProjectService.h"

#include "application/CApplication.h"
#include "application/CSettings.h"
#include "application/PathHelpers.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "libraries/web/WebTestSupport.h"
#include "support/ApplicationScreenTest.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include <QtTest>

#include <memory>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

constexpr int WaitMs = 60000;
int SimulatorPort = 0;
const QUuid AlphaId(QStringLiteral("0a1b2c3d-0000-4000-8000-00000000a1fa"));
const QUuid SameId(QStringLiteral("0a1b2c3d-0000-4000-8000-00000000005a"));
const QUuid TwinId(QStringLiteral("0a1b2c3d-0000-4000-8000-00000000717e"));

QString plain(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces);
}

bool writeLocalProject(const QUuid& id, const QString& name, int photos)
{
    const QString folder = queryProjectRootPath() + name + QLatin1Char('/');
    auto project = std::make_shared<CSurveyProject>(id, QVector<SurveyPtr>(), name, QString(), QStringLiteral("en_US"),
                                                    QDateTime::currentDateTime(), ProjectTypes::DistanceUnitMetric);
    if (!QDir().mkpath(folder + QStringLiteral("Photos")) || !QDir().mkpath(folder + QStringLiteral("Videos")))
        return false;
    for (int i = 0; i < photos; ++i) {
        if (!makeRandomFile(folder + QStringLiteral("Photos/P%1.JPG").arg(i), 100000 * (i + 1), quint32(i + 1)))
            return false;
    }
    CProjectXmlWriter writer;
    return writer.write(project, folder + QStringLiteral("project.xml"));
}

QJsonObject webEntry(const QString& name, const QString& id, int type = 1)
{
    return QJsonObject{{QStringLiteral("projectName"), name},
                       {QStringLiteral("projectId"), id},
                       {QStringLiteral("webProjectId"), QStringLiteral("w-") + id},
                       {QStringLiteral("projectFolderName"), name},
                       {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                       {QStringLiteral("diskUsage"), 3.0 * 1048576},
                       {QStringLiteral("projectType"), type}};
}

} // namespace

class tst_WebMainScreen : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    CWebMainScreenController* m_controller = nullptr;

    CProjectService* projects() const { return CApplication::instance()->projectService(); }
    CSettings* settings() const { return CApplication::instance()->settings(); }
    WebProjectService* webProjects() { return qobject_cast<WebProjectService*>(evaluate("Context.webProjectService").value<QObject*>()); }

    // The proxy row whose name is the text; -1 when none.
    static int rowNamed(QAbstractItemModel* proxy, const QString& name)
    {
        for (int row = 0; row < proxy->rowCount(); ++row) {
            if (proxy->index(row, 0).data(CProjectItemRolesModel::RoleProjectName).toString() == name)
                return row;
        }
        return -1;
    }

    QString webRowText(const QString& name)
    {
        QAbstractItemModel* proxy = m_controller->webProjectListProxyModel();
        const int row = rowNamed(proxy, name);
        if (row < 0)
            return QString();
        return name + (proxy->index(row, 0).data(CProjectItemRolesModel::RoleIsImportedByWeb).toBool()
                           ? QString()
                           : QStringLiteral(" (project import in progress)"));
    }

    // The web projects' screen on top with both lists read, as the first check leaves it; opened
    // here when a check runs alone.
    bool showWebMainScreen()
    {
        if (topScreenName() != QLatin1String("WebMainScreen")) {
            settings()->setWorkType(CSettings::WorkWithProjects);
            closeToStartScreen();
            evaluate(QStringLiteral("ScreenManager.currentScreen.openWebProjects()"));
        }
        QQuickItem* screen = topScreen();
        m_controller = screen && screen->objectName() == QLatin1String("WebMainScreen")
                           ? screen->findChild<CWebMainScreenController*>()
                           : nullptr;
        return m_controller && QTest::qWaitFor([this] { return !m_controller->loadingWebProjectList(); }, WaitMs);
    }

    void showTab(int tab)
    {
        evaluate(QStringLiteral("ScreenManager.currentScreen.currentTab = %1").arg(tab));
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY(window());
        window()->resize(shotsWindowSize(QSize(1280, 800)));
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1, WaitMs);
        closeToStartScreen();
        QTRY_VERIFY_WITH_TIMEOUT(projects()->projectListReady(), WaitMs);

        QVERIFY(writeLocalProject(AlphaId, QStringLiteral("Alpha"), 3));
        QVERIFY(writeLocalProject(SameId, QStringLiteral("Same"), 1));
        QVERIFY(writeLocalProject(TwinId, QStringLiteral("Remote"), 0));
        QTRY_COMPARE_WITH_TIMEOUT(projects()->projectList().size(), 3, WaitMs);

        QJsonObject scenario = defaultScenario();
        QJsonObject remote = webEntry(QStringLiteral("Remote"), QStringLiteral("p-remote"));
        remote.insert(QStringLiteral("data"), QJsonObject{{QStringLiteral("Surveys"), QStringLiteral("<Surveys/>")},
                                                          {QStringLiteral("Manholes"), QStringLiteral("<Manholes/>")}});
        // The survey data of "Culvert East" are a project file as the program writes it.
        QTemporaryDir xml;
        auto east = std::make_shared<CSurveyProject>(QStringLiteral("Culvert East"), QStringLiteral("en_US"),
                                                     ProjectTypes::DistanceUnitMetric);
        QVERIFY(CProjectXmlWriter().write(east, xml.filePath(QStringLiteral("project.xml"))));
        QFile eastFile(xml.filePath(QStringLiteral("project.xml")));
        QVERIFY(eastFile.open(QIODevice::ReadOnly));
        QJsonObject eastEntry = webEntry(QStringLiteral("Culvert East"), QStringLiteral("p-east"));
        eastEntry.insert(QStringLiteral("data"), QJsonObject{{QStringLiteral("Surveys"), QString::fromUtf8(eastFile.readAll())},
                                                             {QStringLiteral("Manholes"), QStringLiteral("<Manholes/>")}});
        eastEntry.insert(QStringLiteral("media"), QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("Photos")},
                                                                         {QStringLiteral("name"), QStringLiteral("E1.JPG")}}});
        scenario.insert(QStringLiteral("projects"),
                        QJsonArray{webEntry(QStringLiteral("Same"), plain(SameId)), remote,
                                   webEntry(QStringLiteral("Fieldbook"), QStringLiteral("p-kq"), 2), eastEntry,
                                   webEntry(QStringLiteral("Late"), QStringLiteral("p-late"))});
        // Alpha is reported imported at its first status query that gets through.
        scenario.insert(QStringLiteral("uploadStatusSequence"), QJsonObject{{plain(AlphaId), QJsonArray{2}}});
        m_sim = std::make_unique<WebServiceSimulator>();
        if (!m_sim->start(scenario, WebServiceSimulator::Tls(), SimulatorPort))
            QSKIP("python3 could not start the web-service simulator");
        QCOMPARE(Tovrin::Shared::ApplicationUrls::rootUrl(), m_sim->rootUrl());
        QVERIFY(makeRandomFile(m_sim->storedObject(QStringLiteral("p-east"), QStringLiteral("Photos/E1.JPG")), 400000, 9));

        QObject* login = evaluate(QStringLiteral("Context.webLoginService")).value<QObject*>();
        QVERIFY(login);
        QSignalSpy succeeded(login, SIGNAL(loginSucceeded()));
        QMetaObject::invokeMethod(login, "login", Q_ARG(QString, QStringLiteral("alice")),
                                  Q_ARG(QString, QString::fromLatin1(alicePassword())));
        QVERIFY(succeeded.wait(WaitMs));
        QVERIFY(webProjects());
        webProjects()->setTimerIntervals(400, 200);
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        closeToStartScreen();
        m_sim.reset();
    }

    void bothListsAndTheUploadChecks()
    {
        // The start screen offers the web projects to project work; logged in, its button goes
        // straight to them.
        settings()->setWorkType(CSettings::WorkWithProjects);
        QObject* start = topScreen();
        QVERIFY(start && start->objectName() == QLatin1String("StartScreen"));
        auto* webButton = start->findChild<QQuickItem*>(QStringLiteral("startScreenWebButton"));
        QVERIFY(webButton);
        QTRY_VERIFY(webButton->isVisible() && webButton->isEnabled());
        QVERIFY(QMetaObject::invokeMethod(webButton, "clicked"));
        QObject* screen = topScreen();
        QVERIFY(screen && screen->objectName() == QLatin1String("WebMainScreen"));
        m_controller = screen->findChild<CWebMainScreenController*>();
        QVERIFY(m_controller);
        QVERIFY(!m_controller->loadingLocalProjectList());
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->loadingWebProjectList(), WaitMs);
        QAbstractItemModel* local = m_controller->localProjectListProxyModel();
        QAbstractItemModel* web = m_controller->webProjectListProxyModel();
        QCOMPARE(local->rowCount(), 3);
        QCOMPARE(web->rowCount(), 5);
        // Sorted by name from the start.
        QCOMPARE(local->index(0, 0).data(CProjectItemRolesModel::RoleProjectName).toString(), QStringLiteral("Alpha"));
        QCOMPARE(web->index(0, 0).data(CProjectItemRolesModel::RoleProjectName).toString(), QStringLiteral("Culvert East"));
        QVERIFY(evaluate("ScreenManager.currentScreen.title").toString().endsWith(QLatin1String("Logged in as: alice")));
        shoot(QStringLiteral("web-main-local"));
        showTab(1);
        shoot(QStringLiteral("web-main-web"));
        showTab(0);

        QSignalSpy reupload(m_controller, &CWebMainScreenController::reuploadProject);
        QSignalSpy nameTaken(m_controller, &CWebMainScreenController::uploadedProjectNameTaken);
        QSignalSpy initiated(m_controller, &CWebMainScreenController::uploadInitiated);
        // Same id on the web, imported: asks to update.
        m_controller->setLocalProjectProxyIndex(rowNamed(local, QStringLiteral("Same")));
        m_controller->uploadProject(true);
        QCOMPARE(reupload.size(), 1);
        QCOMPARE(initiated.size(), 0);
        QCOMPARE(answerMessageText(false), QStringLiteral("Project with given ID already exists on TovrinWeb. Do you want to update it?"));
        // Another id with a web project's name (same case): asks about the name.
        m_controller->setLocalProjectProxyIndex(rowNamed(local, QStringLiteral("Remote")));
        m_controller->uploadProject(true);
        QCOMPARE(nameTaken.size(), 1);
        QCOMPARE(nameTaken.first().first().toString(), QStringLiteral("Remote"));
        QVERIFY(answerMessageText(false).startsWith(QLatin1String("Remote: Project with given name")));
        QCOMPARE(initiated.size(), 0);
        QVERIFY(!m_controller->pendingUpload());

        // Re-sorting keeps the selected project selected.
        m_controller->changeLocalProjectsFilterRole(CProjectItemRolesModel::RoleProjectSize);
        QCOMPARE(local->index(m_controller->localProjectProxyIndex(), 0).data(CProjectItemRolesModel::RoleProjectName).toString(),
                 QStringLiteral("Remote"));
        m_controller->changeLocalProjectsFilterRole(CProjectItemRolesModel::RoleProjectSize);
        QCOMPARE(local->index(m_controller->localProjectProxyIndex(), 0).data(CProjectItemRolesModel::RoleProjectName).toString(),
                 QStringLiteral("Remote"));
        m_controller->changeLocalProjectsFilterRole(CProjectItemRolesModel::RoleProjectName);
        m_controller->setWebProjectProxyIndex(-1);
        m_controller->changeWebProjectsFilterRole(CProjectItemRolesModel::RoleProjectCreationDate);
        QCOMPARE(m_controller->webProjectProxyIndex(), -1);
    }

    void uploadShownAsImportedOnlyOnceImported()
    {
        QVERIFY(showWebMainScreen());
        // The service keeps answering "pending" until the test lets the status queries through.
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("upload_statuses"), {{"hold", true}})}));
        QAbstractItemModel* local = m_controller->localProjectListProxyModel();
        m_controller->setLocalProjectProxyIndex(rowNamed(local, QStringLiteral("Alpha")));
        QSignalSpy initiated(m_controller, &CWebMainScreenController::uploadInitiated);
        m_controller->uploadProject(true);
        QCOMPARE(initiated.size(), 1);
        QCOMPARE(initiated.first().at(0).value<QUuid>(), AlphaId);
        QVERIFY(m_controller->pendingUpload());
        QCOMPARE(m_controller->pendingUpload()->webProjectId(), QStringLiteral("DUMMY_ID"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebUploadScreen"), WaitMs);
        QVERIFY(answerMessageText().startsWith(QLatin1String("Upload finished successfully.")));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebMainScreen"), WaitMs);
        QVERIFY(!m_controller->pendingUpload());
        QCOMPARE(fileMd5(m_sim->storedObject(plain(AlphaId), QStringLiteral("Picture/Sec/P2.JPG"))),
                 fileMd5(queryProjectRootPath() + QStringLiteral("Alpha/Photos/P2.JPG")));
        QVERIFY(QFileInfo::exists(m_sim->storedObject(plain(AlphaId), QStringLiteral("project.xml"))));
        QTRY_COMPARE_WITH_TIMEOUT(webRowText(QStringLiteral("Alpha")), QStringLiteral("Alpha (project import in progress)"),
                                  WaitMs);
        showTab(1);
        shoot(QStringLiteral("web-main-web-import-pending"));

        // Not imported yet: it can be neither downloaded nor uploaded again.
        QSignalSpy downloadPending(m_controller, &CWebMainScreenController::downloadFailWebImportPending);
        QSignalSpy uploadPending(m_controller, &CWebMainScreenController::uploadWebImportPendingProjectFail);
        m_controller->setWebProjectProxyIndex(rowNamed(m_controller->webProjectListProxyModel(), QStringLiteral("Alpha")));
        m_controller->downloadProject();
        QCOMPARE(downloadPending.size(), 1);
        QCOMPARE(answerMessageText(), QStringLiteral("Alpha cannot be downloaded because it is not imported by the web yet"));
        m_controller->setLocalProjectProxyIndex(rowNamed(local, QStringLiteral("Alpha")));
        m_controller->uploadProject(true);
        QCOMPARE(uploadPending.size(), 1);
        QCOMPARE(answerMessageText(), QStringLiteral("Alpha cannot be uploaded because it is not imported by the web yet"));

        // The service reports it imported: shown as any other project.
        QVERIFY(m_sim->setFaults(QJsonArray()));
        QVERIFY(m_sim->release(QStringLiteral("upload_statuses")));
        QTRY_COMPARE_WITH_TIMEOUT(webRowText(QStringLiteral("Alpha")), QStringLiteral("Alpha"), WaitMs);
        showTab(0);
    }

    void downloadsFromTheWebList()
    {
        QVERIFY(showWebMainScreen());
        settings()->setDoNotRemindAboutAllMediaDownload(false);
        settings()->setDownloadAllMedia(true);
        QAbstractItemModel* web = m_controller->webProjectListProxyModel();
        showTab(1);

        // Not a project of this program: refused with its name.
        m_controller->setWebProjectProxyIndex(rowNamed(web, QStringLiteral("Fieldbook")));
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QCOMPARE(answerMessageText(false), QStringLiteral("Do you want to download project with all photos and videos?"));
        QVERIFY(!settings()->downloadAllMedia());
        QCOMPARE(answerMessageText(), QStringLiteral("`Fieldbook` cannot be downloaded because it is not a Culvertix project."));

        // Asked once more, with the answer remembered: downloaded with all media (its data wait
        // until the screen's progress is followed).
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("project_data"), {{"hold", true}})}));
        m_controller->setWebProjectProxyIndex(rowNamed(web, QStringLiteral("Culvert East")));
        evaluate(QStringLiteral("messageBoxView.remember = false"));
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        evaluate(QStringLiteral("messageBoxView.remember = true"));
        evaluate(QStringLiteral("messageBoxView.answer(true)"));
        QVERIFY(settings()->downloadAllMedia());
        QVERIFY(settings()->doNotRemindAboutAllMediaDownload());
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebDownloadScreen"), WaitMs);
        // The bars follow the transfer to its end, and show it done behind the message.
        QObject* downloadScreen = topScreen();
        auto* downloadController = downloadScreen->findChild<CMediaIOScreenController*>();
        auto* overallBar = downloadScreen->findChild<QQuickItem*>(QStringLiteral("webTransferOverallBar"));
        auto* fileBar = downloadScreen->findChild<QQuickItem*>(QStringLiteral("webTransferFileBar"));
        QVERIFY(downloadController && overallBar && fileBar);
        QList<int> overall;
        const QMetaObject::Connection follow =
            connect(downloadController, &CMediaIOScreenController::overallProgressChanged, this,
                    [&]() { overall.append(downloadController->overallProgress()); });
        QVERIFY(m_sim->setFaults(QJsonArray()));
        QVERIFY(m_sim->release(QStringLiteral("project_data")));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        disconnect(follow);
        QCOMPARE(overallBar->property("value").toInt(), 100);
        QCOMPARE(fileBar->property("value").toInt(), 100);
        // Two data files and one photo: each step's share on the way.
        QVERIFY2(overall.contains(33) && overall.contains(66), qPrintable(QString::number(overall.size())));
        shoot(QStringLiteral("web-download-finished"));
        QCOMPARE(answerMessageText(), QStringLiteral("Download finished."));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebMainScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(rowNamed(m_controller->localProjectListProxyModel(), QStringLiteral("Culvert East")) >= 0,
                                 WaitMs);
        QCOMPARE(fileMd5(queryProjectRootPath() + QStringLiteral("Culvert East/Photos/E1.JPG")),
                 fileMd5(m_sim->storedObject(QStringLiteral("p-east"), QStringLiteral("Photos/E1.JPG"))));
        // Remembered: the next download asks nothing.
        m_controller->setWebProjectProxyIndex(rowNamed(web, QStringLiteral("Fieldbook")));
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QCOMPARE(answerMessageText(), QStringLiteral("`Fieldbook` cannot be downloaded because it is not a Culvertix project."));
        // The check itself fails: the web error with its code, no verdict about a nameless project.
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("project"), {{"status", 500}})}));
        m_controller->setWebProjectProxyIndex(rowNamed(web, QStringLiteral("Culvert East")));
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        shoot(QStringLiteral("web-main-check-failed"));
        const QString failedCheck = answerMessageText();
        QVERIFY2(failedCheck.endsWith(QLatin1String("Error Code: 0x50002")), qPrintable(failedCheck));
        QCOMPARE(topScreenName(), QStringLiteral("WebMainScreen"));
        QVERIFY(m_sim->setFaults(QJsonArray()));
        settings()->setDoNotRemindAboutAllMediaDownload(false);
        settings()->setDownloadAllMedia(false);
    }

    void closingStopsTheListQueries()
    {
        QVERIFY(showWebMainScreen());
        QVERIFY(webProjects()->isQueryTimerActive());
        const int depth = evaluate(QStringLiteral("ScreenManager.depth")).toInt();
        evaluate(QStringLiteral("ScreenManager.back()"));
        // Staying logged in: the screen closes after either answer.
        QCOMPARE(answerMessageText(false), QStringLiteral("Do you want to logout with exit?"));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), depth - 1, WaitMs);
        m_controller = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(!webProjects()->isQueryTimerActive(), WaitMs);
        QCOMPARE(webProjects()->webProjectListModel()->rowCount(), 0);
        QVERIFY(evaluate(QStringLiteral("Context.webLoginService.isLoggedIn()")).toBool());
    }

    void controllerWithoutTheWebList()
    {
        CWebMainScreenController controller;
        QSignalSpy initiated(&controller, &CWebMainScreenController::uploadInitiated);
        QSignalSpy reupload(&controller, &CWebMainScreenController::reuploadProject);
        controller.setProjectService(projects());
        QVERIFY(controller.loadingWebProjectList());
        controller.setLocalProjectProxyIndex(0);
        // Before the web list: refused quietly, nothing thrown.
        controller.uploadProject(true);
        QCOMPARE(initiated.size() + reupload.size(), 0);
        // Nothing selected, or a row beyond the list: nothing.
        controller.setLocalProjectProxyIndex(-1);
        controller.uploadProject();
        controller.setLocalProjectProxyIndex(99);
        controller.uploadProject();
        controller.downloadProject();
        QCOMPARE(initiated.size(), 0);
        // A second start replaces the pending record; the record is handed on once.
        controller.setLocalProjectProxyIndex(0);
        controller.uploadProject();
        controller.setLocalProjectProxyIndex(1);
        controller.uploadProject();
        QCOMPARE(initiated.size(), 2);
        QCOMPARE(controller.pendingUpload()->projectName(),
                 controller.localProjectListProxyModel()->index(1, 0).data(CProjectItemRolesModel::RoleProjectName).toString());
        controller.handleProjectUploadFinished();
        QVERIFY(!controller.pendingUpload());
        controller.handleProjectUploadFinished();
        controller.uploadProject();
        controller.releasePendingUpload();
        QVERIFY(!controller.pendingUpload());
        // A new local list drops the selection.
        QSignalSpy indexChanged(&controller, &CWebMainScreenController::localProjectProxyIndexChanged);
        controller.updateProjectList();
        QCOMPARE(controller.localProjectProxyIndex(), -1);
        QCOMPARE(indexChanged.size(), 1);
        // A list query error becomes the message with its code.
        QSignalSpy queryError(&controller, &CWebMainScreenController::queryRemoteProjectsError);
        controller.onQueryRemoteProjectsError(ErrorTimeOut);
        QVERIFY(queryError.first().first().toString().endsWith(QLatin1String("Error Code: 0x50001")));
    }

    void loginExpiryDuringADownloadEndsIt()
    {
        // A download stands still in its survey data when the login runs out.
        settings()->setDoNotRemindAboutAllMediaDownload(true);
        settings()->setDownloadAllMedia(false);
        const int heldBefore = m_sim->heldRequests(QStringLiteral("project_data"));
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("project_data"), {{"hold", true}})}));
        QObject* start = topScreen();
        QVERIFY(start && start->objectName() == QLatin1String("StartScreen"));
        QVERIFY(QMetaObject::invokeMethod(start->findChild<QQuickItem*>(QStringLiteral("startScreenWebButton")), "clicked"));
        m_controller = topScreen()->findChild<CWebMainScreenController*>();
        QVERIFY(m_controller);
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->loadingWebProjectList(), WaitMs);
        m_controller->setWebProjectProxyIndex(rowNamed(m_controller->webProjectListProxyModel(), QStringLiteral("Late")));
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebDownloadScreen"), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("project_data")), heldBefore + 1, WaitMs);
        const QString folder = queryProjectRootPath() + QStringLiteral("Late");
        QVERIFY(QFileInfo::exists(folder));

        emit CApplication::instance()->webApi()->loginExpired();
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        shoot(QStringLiteral("web-login-expired"));
        // The download screen goes with its transfer and its folder; the operator is told, and
        // then asked to log in again instead of being left on the web projects.
        QCOMPARE(answerMessageText(), QStringLiteral("Web login time has expired"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebLoginScreen"), WaitMs);
        QCOMPARE(evaluate(QStringLiteral("ScreenManager.depth")).toInt(), 3);
        shoot(QStringLiteral("web-login-after-expiry"));
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(folder), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!CApplication::instance()->webApi()->anyDownloadActive(), WaitMs);
        QVERIFY(!evaluate(QStringLiteral("Context.webLoginService.isLoggedIn()")).toBool());
        QVERIFY(m_sim->setFaults(QJsonArray()));
        QVERIFY(m_sim->release(QStringLiteral("project_data")));

        // Logged in again, the web projects are shown again, with a fresh list.
        QObject* login = evaluate(QStringLiteral("Context.webLoginService")).value<QObject*>();
        QMetaObject::invokeMethod(login, "login", Q_ARG(QString, QStringLiteral("alice")),
                                  Q_ARG(QString, QString::fromLatin1(alicePassword())));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebMainScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(rowNamed(m_controller->webProjectListProxyModel(), QStringLiteral("Late")) >= 0, WaitMs);
        QVERIFY(evaluate(QStringLiteral("Context.webLoginService.isLoggedIn()")).toBool());

        // Expired again during an upload, and the operator does not log in: the upload is
        // called off at the service and the web projects go as well.
        const int putsHeld = m_sim->heldRequests(QStringLiteral("storage_put"));
        const int cancels = m_sim->requestsTo(QStringLiteral("upload_cancel")).size();
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("storage_put"), {{"hold", true}})}));
        m_controller->setLocalProjectProxyIndex(rowNamed(m_controller->localProjectListProxyModel(), QStringLiteral("Alpha")));
        m_controller->uploadProject();
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebUploadScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("storage_put")) > putsHeld, WaitMs);
        QVERIFY(CApplication::instance()->webApi()->anyUploadActive());
        emit CApplication::instance()->webApi()->loginExpired();
        QCOMPARE(answerMessageText(), QStringLiteral("Web login time has expired"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebLoginScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!CApplication::instance()->webApi()->anyUploadActive(), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->requestsTo(QStringLiteral("upload_cancel")).size() > cancels, WaitMs);
        QVERIFY(m_sim->setFaults(QJsonArray()));
        QVERIFY(m_sim->release(QStringLiteral("storage_put")));
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), WaitMs);
        m_controller = nullptr;
        settings()->setDoNotRemindAboutAllMediaDownload(false);
    }

    void loginExpiryWhileAskingAboutMedia()
    {
        QObject* login = evaluate(QStringLiteral("Context.webLoginService")).value<QObject*>();
        QSignalSpy succeeded(login, SIGNAL(loginSucceeded()));
        auto logIn = [&]() {
            QMetaObject::invokeMethod(login, "login", Q_ARG(QString, QStringLiteral("alice")),
                                      Q_ARG(QString, QString::fromLatin1(alicePassword())));
            return succeeded.wait(WaitMs);
        };
        QVERIFY(logIn());
        settings()->setDoNotRemindAboutAllMediaDownload(false);
        settings()->setDownloadAllMedia(false);
        QVERIFY(QMetaObject::invokeMethod(topScreen()->findChild<QQuickItem*>(QStringLiteral("startScreenWebButton")), "clicked"));
        m_controller = topScreen()->findChild<CWebMainScreenController*>();
        QVERIFY(m_controller);
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->loadingWebProjectList(), WaitMs);
        m_controller->setWebProjectProxyIndex(rowNamed(m_controller->webProjectListProxyModel(), QStringLiteral("Culvert East")));
        const int checks = m_sim->requestsTo(QStringLiteral("project")).size();

        // The login runs out while the operator is asked; the answer comes after it, with
        // "remember" ticked.
        evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        emit CApplication::instance()->webApi()->loginExpired();
        evaluate(QStringLiteral("messageBoxView.remember = true"));
        QCOMPARE(answerMessageText(), QStringLiteral("Do you want to download project with all photos and videos?"));
        QCOMPARE(answerMessageText(), QStringLiteral("Web login time has expired"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebLoginScreen"), WaitMs);
        shoot(QStringLiteral("web-login-after-expiry-while-asking"));
        // The web projects below are no longer asked for with the login that ran out.
        QTRY_VERIFY_WITH_TIMEOUT(!webProjects()->isQueryTimerActive(), WaitMs);
        // The answer belonged to the login that ran out: asked again after the next one.
        QVERIFY(!settings()->doNotRemindAboutAllMediaDownload());

        // Logged in again (several requests after any that the answer could have sent): no
        // message about the email or password, and no check was asked for without a login.
        QVERIFY(logIn());
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebMainScreen"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(rowNamed(m_controller->webProjectListProxyModel(), QStringLiteral("Culvert East")) >= 0,
                                 WaitMs);
        QVERIFY2(!evaluate(QStringLiteral("MessageBox.isOpen")).toBool(),
                 qPrintable(evaluate(QStringLiteral("messageBoxView.message.text")).toString()));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("project")).size(), checks);

        // The check is on its way when the login runs out: whether it then passes or is
        // refused, its answer opens no download and no message over the login screen.
        QSignalSpy initiated(m_controller, &CWebMainScreenController::downloadInitiated);
        QSignalSpy refused(m_controller, &CWebMainScreenController::downloadCheckFailed);
        for (QSignalSpy* answer : {&initiated, &refused}) {
            if (answer == &refused) {
                QVERIFY(logIn());
                QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebMainScreen"), WaitMs);
            }
            QJsonObject rule{{"hold", true}};
            if (answer == &refused)
                rule.insert(QStringLiteral("status"), 401);
            const int held = m_sim->heldRequests(QStringLiteral("project"));
            QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("project"), rule)}));
            settings()->setDoNotRemindAboutAllMediaDownload(true);
            evaluate(QStringLiteral("ScreenManager.currentScreen.startDownload()"));
            QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("project")), held + 1, WaitMs);
            emit CApplication::instance()->webApi()->loginExpired();
            QCOMPARE(answerMessageText(), QStringLiteral("Web login time has expired"));
            QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("WebLoginScreen"), WaitMs);
            // The release waits for the peer in an event loop, where the answer may already arrive.
            QVERIFY(m_sim->release(QStringLiteral("project")));
            QTRY_COMPARE_WITH_TIMEOUT(answer->count(), 1, WaitMs);
            QVERIFY(m_sim->setFaults(QJsonArray()));
            QCOMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
            QVERIFY2(!evaluate(QStringLiteral("MessageBox.isOpen")).toBool(),
                     qPrintable(evaluate(QStringLiteral("messageBoxView.message.text")).toString()));
        }

        // No new login: the web projects go as well.
        evaluate(QStringLiteral("ScreenManager.back()"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), WaitMs);
        m_controller = nullptr;
    }

    void unreadableListIsNoEmptyList()
    {
        QObject* login = evaluate(QStringLiteral("Context.webLoginService")).value<QObject*>();
        QSignalSpy succeeded(login, SIGNAL(loginSucceeded()));
        QMetaObject::invokeMethod(login, "login", Q_ARG(QString, QStringLiteral("alice")),
                                  Q_ARG(QString, QString::fromLatin1(alicePassword())));
        QTRY_COMPARE_WITH_TIMEOUT(succeeded.size(), 1, WaitMs);
        // Something other than the service answers the list: a portal's login page.
        QVERIFY(m_sim->setFaults(QJsonArray{fault(QStringLiteral("projects"), WebServiceSimulator::portalPage())}));
        QObject* start = topScreen();
        QVERIFY(start && start->objectName() == QLatin1String("StartScreen"));
        QVERIFY(QMetaObject::invokeMethod(start->findChild<QQuickItem*>(QStringLiteral("startScreenWebButton")), "clicked"));
        m_controller = topScreen()->findChild<CWebMainScreenController*>();
        QVERIFY(m_controller);

        // Said for what it is, and never shown as a user without web projects (where every
        // upload would go ahead without asking about a project of the same name).
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("MessageBox.isOpen")).toBool(), WaitMs);
        QVERIFY(m_controller->loadingWebProjectList());
        shoot(QStringLiteral("web-main-unreadable-list"));
        const QString message = answerMessageText();
        QVERIFY2(message.startsWith(QLatin1String("An internal error related to the Web"))
                     && message.endsWith(QLatin1String("Error Code: 0x50005")),
                 qPrintable(message));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), WaitMs);
        m_controller = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(!evaluate(QStringLiteral("Context.webLoginService.isLoggedIn()")).toBool(), WaitMs);
        QVERIFY(m_sim->setFaults(QJsonArray()));
    }
};

int main(int argc, char** argv)
{
    SimulatorPort = pointWebClientAtFreePort();
    return ApplicationScreenTest::runInApplication<tst_WebMainScreen>(argc, argv);
}

#include "tst_WebMainScreen.moc"
