// The web client facade with its worker on its own thread, against the web-service simulator:
// ids and refused calls, every answer on the GUI thread, a whole login, query, upload and
// download round, the active flags, a logout during the login's server-time request, a worker
// thread that does not start, and deleting the facade while an upload runs.

#include "WebTestSupport.h"

#include "TovrinWebApi.h"
#include "TovrinWebApiPrivate.h"
#include "TovrinWebLibrary.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "WorkerThread.h"
#include "support/LogText.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QThread>

using namespace Tovrin::Web;
using namespace WebTestSupport;
using Tovrin::Logging::CLogger;

namespace {
const QDateTime kCreated(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);

// Records on which thread a signal arrived.
struct ThreadProbe
{
    QList<QThread*> threads;
    template <typename Signal>
    void watch(TovrinWebApi* api, Signal signal)
    {
        QObject::connect(api, signal, api, [this] { threads.append(QThread::currentThread()); });
    }
    bool allOn(QThread* thread) const
    {
        for (QThread* t : threads) {
            if (t != thread)
                return false;
        }
        return true;
    }
};
} // namespace

class tst_TovrinWebApi : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    int count(const QString& route) const { return m_sim->requestsTo(route).size(); }

    bool login(TovrinWebApi& api)
    {
        QSignalSpy result(&api, &TovrinWebApi::loginResult);
        api.login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        if (!result.wait(20000))
            return false;
        return result.at(0).at(1).value<TovrinWebApi::LoginResult>() == TovrinWebApi::LoginResultSuccess;
    }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(defaultScenario()));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
    }

    void cleanup()
    {
        TovrinWebApiPrivate::setThreadStarter(nullptr);
        m_sim.reset();
        m_dir.reset();
    }

    void kqProjectIdIsTheMd5OfTheHexName()
    {
        QCOMPARE(TovrinWebApiPrivate::kqProjectId(QStringLiteral("xyz")), QStringLiteral("ae12b235-4ecb-4e7b-6ed6-99a68ca6ca80"));
        QCOMPARE(TovrinWebApiPrivate::kqProjectId(QString()), QStringLiteral("d41d8cd9-8f00-b204-e980-0998ecf8427e"));
    }

    void idsCountPerKindAndRefusalsAnswerLater()
    {
        TovrinWebApi api;
        QVERIFY(api.isOperational());
        QCOMPARE(api.loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QVERIFY(login(api));
        QCOMPARE(api.loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QSignalSpy errors(&api, &TovrinWebApi::errorOccurred);
        QSignalSpy uploads(&api, &TovrinWebApi::uploadFinished);
        const QString empty = m_dir->path() + QStringLiteral("/empty");

        QCOMPARE(api.uploadProject(QStringLiteral("p1"), QStringLiteral("P"), empty, kCreated, 0), 0u);
        QCOMPARE(api.uploadProject(QStringLiteral("p1"), QStringLiteral("P"), QString(), kCreated), 0u);
        QCOMPARE(api.uploadProject(QStringLiteral("p1"), QStringLiteral("P"), empty, QDateTime()), 0u);
        QCOMPARE(api.downloadSingleProjectFile(m_dir->path() + QStringLiteral("/x"), QString()), 0u);
        QCOMPARE(api.downloadZephiraProjectData(QString(), m_dir->path() + QStringLiteral("/x")), 0u);
        // Refusals arrive after the call returned.
        QCOMPARE(errors.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 5, 10000);
        for (const QList<QVariant>& error : qAsConst(errors))
            QCOMPARE(error.at(0).value<Error>(), ErrorInvalidParameter);

        QCOMPARE(api.uploadProject(QStringLiteral("p1"), QStringLiteral("P"), empty, kCreated), 1u);
        QCOMPARE(api.downloadZephiraProjectData(QStringLiteral("p-big"), m_dir->path() + QStringLiteral("/a.xml")), 1u);
        QCOMPARE(api.uploadKQProject(QStringLiteral("xyz"), empty, kCreated), 2u);
        QCOMPARE(api.downloadSingleProjectFile(m_dir->path() + QStringLiteral("/b"), m_sim->rootUrl() + QStringLiteral("nothing")), 2u);
        QCOMPARE(api.uploadZephiraProject(QUuid::createUuid(), QStringLiteral("Z"), empty, kCreated, {}), 3u);
        QTRY_COMPARE_WITH_TIMEOUT(uploads.count(), 3, 30000);
        const QList<QJsonObject> inits = m_sim->requestsTo(QStringLiteral("upload_init"));
        QCOMPARE(inits.size(), 3);

        // An unknown id is the worker's to report, after the call.
        api.abortUpload(0);
        QCOMPARE(errors.count(), 6);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count() >= 7, true, 10000);
        QCOMPARE(errors.last().at(0).value<Error>(), ErrorInvalidParameter);
    }

    void everyAnswerArrivesOnTheGuiThread()
    {
        TovrinWebApi api;
        ThreadProbe probe;
        probe.watch(&api, &TovrinWebApi::loginResult);
        probe.watch(&api, &TovrinWebApi::projectInfoReceived);
        probe.watch(&api, &TovrinWebApi::uploadFinished);
        probe.watch(&api, &TovrinWebApi::anyUploadActiveChanged);
        probe.watch(&api, &TovrinWebApi::uploadTotalProgressChanged);
        probe.watch(&api, &TovrinWebApi::downloadFinished);
        probe.watch(&api, &TovrinWebApi::uploadStatusInfoReceived);
        probe.watch(&api, &TovrinWebApi::allProjectsMediaDownloadLinkReceived);
        probe.watch(&api, &TovrinWebApi::checkIfCulvertixProjectFinished);
        QVERIFY(login(api));

        QSignalSpy projects(&api, &TovrinWebApi::projectInfoReceived);
        api.queryRemoteProjects();
        QVERIFY(projects.wait(10000));
        const QList<ProjectInfo> list = projects.at(0).at(0).value<QList<ProjectInfo>>();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).projectId(), QStringLiteral("p-big"));
        QVERIFY(list.at(0).isImportedByWeb());

        const QString project = m_dir->path() + QStringLiteral("/Project/");
        QVERIFY(writeText(project + QStringLiteral("project.xml"), "<Project/>"));
        QVERIFY(makeRandomFile(project + QStringLiteral("IMG.jpg"), 400000, 3));
        QSignalSpy uploaded(&api, &TovrinWebApi::uploadFinished);
        QSignalSpy active(&api, &TovrinWebApi::anyUploadActiveChanged);
        const QUuid uuid = QUuid::createUuid();
        const uint uploadId = api.uploadZephiraProject(uuid, QStringLiteral("Project"), project, kCreated, {});
        QVERIFY(uploaded.wait(20000));
        QCOMPARE(uploaded.at(0).at(0).toUInt(), uploadId);
        QTRY_COMPARE_WITH_TIMEOUT(active.count(), 2, 10000);
        QCOMPARE(active.at(0).at(0).toBool(), true);
        QCOMPARE(active.at(1).at(0).toBool(), false);
        QVERIFY(!api.anyUploadActive());
        const QString idText = uuid.toString(QUuid::WithoutBraces);
        QCOMPARE(fileMd5(m_sim->storedObject(idText, QStringLiteral("Picture/Sec/IMG.jpg"))),
                 fileMd5(project + QStringLiteral("IMG.jpg")));

        QSignalSpy downloaded(&api, &TovrinWebApi::downloadFinished);
        const uint downloadId = api.downloadZephiraSurveyData(QStringLiteral("p-big"), m_dir->path() + QStringLiteral("/s.xml"));
        QVERIFY(downloaded.wait(10000));
        QCOMPARE(downloaded.at(0).at(0).toUInt(), downloadId);

        QSignalSpy statuses(&api, &TovrinWebApi::uploadStatusInfoReceived);
        api.queryUploadProjectStatus({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(statuses.wait(10000));
        QCOMPARE(statuses.at(0).at(0).value<QList<UploadStatusInfo>>().size(), 2);

        QSignalSpy links(&api, &TovrinWebApi::allProjectsMediaDownloadLinkReceived);
        api.startAllProjectsMediaDownload(QStringLiteral("p-big"));
        QVERIFY(links.wait(10000));

        QSignalSpy check(&api, &TovrinWebApi::checkIfCulvertixProjectFinished);
        api.checkIfCulvertixProject(QStringLiteral("p-big"), QStringLiteral("w-big"));
        QVERIFY(check.wait(10000));
        QCOMPARE(check.at(0).at(2).toBool(), true);

        QVERIFY(probe.threads.size() >= 10);
        QVERIFY(probe.allOn(QThread::currentThread()));
    }

    void failedUploadDoesNotStayActive()
    {
        TovrinWebApi api;
        QVERIFY(login(api));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("upload_init"), {{QStringLiteral("status"), 500}})}));
        QSignalSpy errors(&api, &TovrinWebApi::errorOccurred);
        QSignalSpy active(&api, &TovrinWebApi::anyUploadActiveChanged);
        api.uploadProject(QStringLiteral("p-fail"), QStringLiteral("P"), m_dir->path(), kCreated);
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorInternalServer);
        QTRY_COMPARE_WITH_TIMEOUT(active.count(), 2, 10000);
        QVERIFY(!api.anyUploadActive());
        QTRY_COMPARE_WITH_TIMEOUT(count(QStringLiteral("upload_cancel")), 1, 10000);
    }

    void logoutDuringTheServerTimeRequestEndsTheLogin()
    {
        TovrinWebApi api;
        // The peer keeps the server time unanswered until the logout has been handled.
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("server_status"), {{QStringLiteral("hold"), true}})}));
        QSignalSpy result(&api, &TovrinWebApi::loginResult);
        QSignalSpy status(&api, &TovrinWebApi::loginStatusChanged);
        api.login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        // The login itself is accepted; the worker now waits for the server time.
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("server_status")), 1, 10000);
        // So far only "logging in" was announced; the logout announces the second change.
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 10000);
        api.logout();
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 2, 10000);
        QCOMPARE(result.count(), 0);
        // The release waits for the peer's answer in an event loop, where the result may
        // already arrive.
        QVERIFY(m_sim->release(QStringLiteral("server_status")));
        QVERIFY(result.count() > 0 || result.wait(10000));
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultCancelled);
        QCOMPARE(api.loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QCOMPARE(api.currentUser(), QString());
        QCOMPARE(count(QStringLiteral("client_credentials")), 0);
    }

    void loginStateIsLoggedOnlyWhenItChanges()
    {
        QTemporaryDir logFolder;
        const QString logPath = logFolder.filePath(QStringLiteral("Culvertix.log"));
        CLogger::setOutputFileName(logPath);
        TovrinWebApi api;
        QVERIFY(login(api));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(api.loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        CLogger::setOutputFileName(QString());
        const QString log = readLogText(logPath);
        QVERIFY(!log.isEmpty());
        const int lines = log.count(QStringLiteral("isLoggedIn"));
        QVERIFY2(lines <= 2, qPrintable(QString::number(lines)));
    }

    void refusalLogLineHidesTheAddressSignature()
    {
        QTemporaryDir logFolder;
        const QString logPath = logFolder.filePath(QStringLiteral("Culvertix.log"));
        CLogger::setOutputFileName(logPath);
        TovrinWebApi api;
        QSignalSpy errors(&api, &TovrinWebApi::errorOccurred);
        const QString address = m_sim->presign(QStringLiteral("GET"), QStringLiteral("storage/objects/p-big/Photos/a.jpg"));
        const QString signature = QUrlQuery(QUrl(address)).queryItemValue(QStringLiteral("X-Signature"));
        QVERIFY(!signature.isEmpty());
        QCOMPARE(api.downloadSingleProjectFile(QString(), address), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        CLogger::setOutputFileName(QString());
        const QString log = readLogText(logPath);
        QVERIFY(log.contains(QStringLiteral("Invalid parameter")));
        QVERIFY(log.contains(address.left(address.indexOf(QLatin1Char('?')))));
        QVERIFY(!log.contains(signature));
    }

    void workerThreadThatDoesNotStartLeavesAnInertFacade()
    {
        TovrinWebApiPrivate::setThreadStarter([](Tovrin::Shared::WorkerThread*) { return false; });
        TovrinWebApi api;
        QVERIFY(!api.isOperational());
        QSignalSpy errors(&api, &TovrinWebApi::errorOccurred);
        QCOMPARE(api.uploadProject(QStringLiteral("p"), QStringLiteral("P"), m_dir->path(), kCreated), 0u);
        QCOMPARE(api.downloadZephiraProjectData(QStringLiteral("p"), m_dir->path() + QStringLiteral("/x")), 0u);
        api.login(QStringLiteral("alice"), QStringLiteral("pw"));
        QCOMPARE(api.loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 3, 10000);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorNetwork);
    }

    void deletingTheFacadeDuringAnUploadStopsTheWorkerThread()
    {
        // The facade's destructor must end the upload and the worker thread within its bounded
        // wait; a thread it had to leave running would still exist afterwards.
        QPointer<QThread> workerThread;
        TovrinWebApiPrivate::setThreadStarter([&workerThread](Tovrin::Shared::WorkerThread* thread) {
            workerThread = thread;
            return thread->blockingStart();
        });
        auto api = std::make_unique<TovrinWebApi>();
        QVERIFY(workerThread);
        QVERIFY(login(*api));
        const QString project = m_dir->path() + QStringLiteral("/Big/");
        QVERIFY(makeSparseFile(project + QStringLiteral("big.mp4"), 101 * 1024 * 1024));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("storage_part"), {{QStringLiteral("delayMs"), 200}})}));
        QSignalSpy progress(api.get(), &TovrinWebApi::uploadTotalProgressChanged);
        api->uploadProject(QStringLiteral("p-del"), QStringLiteral("Big"), project, kCreated);
        QTRY_VERIFY_WITH_TIMEOUT(count(QStringLiteral("multipart_init")) == 1, 20000);
        QVERIFY(workerThread->isRunning());
        api.reset();
        QVERIFY(workerThread.isNull());
    }
};

QTEST_MAIN(tst_TovrinWebApi)
#include "tst_TovrinWebApi.moc"
