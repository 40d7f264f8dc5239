// The login session against the web-service simulator: request order, two-step code, choice
// among several users, refused credentials, expired tokens, time-outs, cancel, signatures
// checked by the peer (foreign locale, skewed service clock), TLS trust, and secrets kept out
// of the log.

#include "WebTestSupport.h"

#include "TovrinWebApiWorker.h"
#include "TovrinWebLibrary.h"
#include "WebCommunicator.h"

#include "ApplicationUrls.h"
#include "WorkerThread.h"
#include "CLogger.h"

#include <QLocale>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;
using Tovrin::Logging::CLogger;

Q_DECLARE_METATYPE(QList<QString>)

class tst_WebLogin : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<TovrinWebApiWorker> m_worker;

    bool startSimulator(const QJsonObject& scenario, const WebServiceSimulator::Tls& tls = {})
    {
        m_sim.reset(new WebServiceSimulator);
        if (!m_sim->start(scenario, tls))
            return false;
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_worker.reset(new TovrinWebApiWorker);
        m_worker->initialize();
        WebCommunicator::Timeouts timeouts;
        timeouts.serverStatusMs = 2000;
        timeouts.clientCredentialsMs = 5000;
        timeouts.transfer.headMs = 10000;
        timeouts.transfer.stallMs = 10000;
        m_worker->communicator()->setTimeouts(timeouts);
        return true;
    }

    TovrinWebApi::LoginResult loginAndWait(const QString& user, const QString& password)
    {
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(user, password);
        if (!result.wait(20000))
            return TovrinWebApi::LoginResult(-1);
        return result.at(0).at(1).value<TovrinWebApi::LoginResult>();
    }

private slots:
    void initTestCase()
    {
        TovrinWebLibrary::initialize();
        qRegisterMetaType<QMap<QString, QString>>();
    }

    void cleanup()
    {
        m_worker.reset();
        m_sim.reset();
        QLocale::setDefault(QLocale::c());
    }

    void passwordLoginGoesInOrder()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QSignalSpy status(m_worker.get(), &TovrinWebApiWorker::loginStatusChanged);
        QSignalSpy user(m_worker.get(), &TovrinWebApiWorker::currentUserChanged);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(m_sim->routes(), QStringList({QStringLiteral("status_check"), QStringLiteral("two_step"),
                                               QStringLiteral("login_json"), QStringLiteral("server_status"),
                                               QStringLiteral("client_credentials")}));
        QVERIFY(m_sim->rejections().isEmpty());
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QCOMPARE(m_worker->currentUser(), QStringLiteral("alice"));
        QCOMPARE(m_worker->currentUserCompanyId(), QStringLiteral("company-u-alice"));
        QCOMPARE(m_worker->currentUserRole(), TovrinWebApi::Guest);
        QVERIFY(m_worker->currentUserFirstName().isEmpty());
        QCOMPARE(status.count(), 2);
        QCOMPARE(user.count(), 1);
        QCOMPARE(m_worker->communicator()->requestBuilder().clientId(), QByteArray("client-1"));
        // Expiry 3600 s, armed 600 s early.
        QVERIFY(qAbs(m_worker->communicator()->loginExpiryInterval() - 3000000) < 10000);

        QSignalSpy loggedOut(m_worker.get(), &TovrinWebApiWorker::loginStatusChanged);
        m_worker->logout();
        QCOMPARE(loggedOut.count(), 1);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QCOMPARE(m_worker->communicator()->requestBuilder().clientId(), QByteArray("FieldPad"));
    }

    void twoStepAccountAsksForCode()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QSignalSpy needCode(m_worker.get(), &TovrinWebApiWorker::tokenAuthenticationNeeded);
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(QStringLiteral("bob"), QStringLiteral("b0b & co=1"));
        QVERIFY(needCode.wait(10000));
        QCOMPARE(result.count(), 0);
        QVERIFY(!m_worker->loginInProgress());

        m_worker->loginWithToken(QStringLiteral("999 999"));
        QVERIFY(result.wait(10000));
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultFalseCredentials);

        m_worker->loginWithToken(QStringLiteral("123 456"));
        QVERIFY(result.wait(10000));
        QCOMPARE(result.at(1).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(m_worker->currentUser(), QStringLiteral("bob"));
        // The peer checks the strict form encoding of every field.
        QVERIFY(m_sim->rejections().isEmpty());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("login_form")).size(), 2);
    }

    void severalUsersAskForChoice()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QSignalSpy choice(m_worker.get(), &TovrinWebApiWorker::userChoiceNeeded);
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(QStringLiteral("carol"), QStringLiteral("carol-pw"));
        QVERIFY(choice.wait(10000));
        QCOMPARE(result.count(), 0);
        const QMap<QString, QString> users = choice.at(0).at(0).value<QMap<QString, QString>>();
        QCOMPARE(users.value(QStringLiteral("North")), QStringLiteral("u-n"));
        QCOMPARE(users.value(QStringLiteral("South")), QStringLiteral("u-s"));

        m_worker->loginChosenUser(QStringLiteral("u-n"));
        QVERIFY(result.wait(10000));
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(m_worker->currentUser(), QStringLiteral("North"));
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        const QList<QJsonObject> exchange = m_sim->requestsTo(QStringLiteral("token"));
        QCOMPARE(exchange.size(), 1);
        QCOMPARE(exchange.at(0).value(QStringLiteral("login")).toString(), QStringLiteral("accepted"));
    }

    void wrongCredentialsAreRefused()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QStringLiteral("wrong")), TovrinWebApi::LoginResultFalseCredentials);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QVERIFY(m_worker->currentUser().isEmpty());
        QVERIFY(!m_sim->routes().contains(QStringLiteral("client_credentials")));
    }

    void secondLoginReplacesTheFirst()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(QStringLiteral("alice"), QStringLiteral("wrong"));
        m_worker->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QVERIFY(result.wait(10000));
        QCOMPARE(result.count(), 1);
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("status_check")).size(), 1);
    }

    void badLoginRepliesFail_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QJsonObject>("action");
        QTest::addColumn<int>("result");
        const QString login = QStringLiteral("login_json");
        // Answers that are no login reply are told apart from a lost connection.
        QTest::newRow("malformed JSON") << login << QJsonObject{{QStringLiteral("malformed"), true}}
                                        << int(TovrinWebApi::LoginResultInvalidReply);
        QTest::newRow("portal page") << login << WebServiceSimulator::portalPage() << int(TovrinWebApi::LoginResultInvalidReply);
        QTest::newRow("accepted without token") << login << QJsonObject{{QStringLiteral("body"), QStringLiteral("{\"error\":null}")}}
                                                << int(TovrinWebApi::LoginResultInvalidReply);
        // Refused before it is read, an answer too large or compressed is no login either.
        QTest::newRow("oversized") << login << QJsonObject{{QStringLiteral("padBytes"), double(RequestHandle::MaxReplyBytes)}}
                                   << int(TovrinWebApi::LoginResultInvalidReply);
        QTest::newRow("compressed") << login << QJsonObject{{QStringLiteral("gzip"), true}}
                                    << int(TovrinWebApi::LoginResultInvalidReply);
        // Its head shows it: refused there, not waited for as a body that never comes.
        QTest::newRow("compressed as it is carried")
            << login << QJsonObject{{QStringLiteral("transferGzip"), true}, {QStringLiteral("bodyDelayMs"), 5000}}
            << int(TovrinWebApi::LoginResultInvalidReply);
        QTest::newRow("portal page for the client data")
            << QStringLiteral("client_credentials") << WebServiceSimulator::portalPage() << int(TovrinWebApi::LoginResultInvalidReply);
        QTest::newRow("redirect") << login << QJsonObject{{QStringLiteral("status"), 302}} << int(TovrinWebApi::LoginResultTimeOut);
        QTest::newRow("server error") << login << QJsonObject{{QStringLiteral("status"), 500}} << int(TovrinWebApi::LoginResultTimeOut);
        QTest::newRow("cut off") << login << QJsonObject{{QStringLiteral("closeAfterBytes"), 60}} << int(TovrinWebApi::LoginResultTimeOut);
        // A slow body that keeps moving is not a stalled transfer.
        QTest::newRow("slow but moving") << login << QJsonObject{{QStringLiteral("slowBodyMs"), 150}}
                                         << int(TovrinWebApi::LoginResultSuccess);
    }

    void badLoginRepliesFail()
    {
        QFETCH(QString, route);
        QFETCH(QJsonObject, action);
        QFETCH(int, result);
        QVERIFY(startSimulator(defaultScenario()));
        // The slow body takes longer than this in all, but never stops for that long.
        setWaitLimit(*m_worker->communicator(), 1000);
        QVERIFY(m_sim->setFaults({fault(route, action)}));
        QCOMPARE(int(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword()))), result);
        QCOMPARE(m_worker->loginStatus() == TovrinWebApi::LoginStatusLoggedIn, result == int(TovrinWebApi::LoginResultSuccess));
    }

    void oversizedConnectionCheckIsCutShort()
    {
        // The connection check's answer goes through the cap of every reply: a huge one is given
        // up once it passes the cap, not read whole, and the login goes on.
        QVERIFY(startSimulator(defaultScenario()));
        QTemporaryDir logFolder;
        const QString logPath = logFolder.filePath(QStringLiteral("Culvertix.log"));
        CLogger::setOutputFileName(logPath);
        QVERIFY(m_sim->setFaults(
            {fault(QStringLiteral("status_check"), {{QStringLiteral("padBytes"), double(4 * RequestHandle::MaxReplyBytes)}})}));
        const TovrinWebApi::LoginResult result = loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        CLogger::setOutputFileName(QString());
        QCOMPARE(result, TovrinWebApi::LoginResultSuccess);
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray raw = log.readAll();
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
        QVERIFY(text.contains(QStringLiteral("Reply body larger than")));
    }

    void expiredTokenIsRefusedAndNotRetried()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        QVERIFY(m_sim->expireTokens());
        UserProjectsRequestHandle* handle = m_worker->communicator()->queryUserProjects();
        QSignalSpy finished(handle, &UserProjectsRequestHandle::requestFinished);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(1).value<Error>(), ErrorFalseCredentials);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("projects")).size(), 1);
        delete handle;
    }

    void shortTokenExpiresAtOnce()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QSignalSpy expired(m_worker.get(), &TovrinWebApiWorker::loginExpired);
        QCOMPARE(loginAndWait(QStringLiteral("dave"), QStringLiteral("dave-pw")), TovrinWebApi::LoginResultSuccess);
        QVERIFY(expired.count() == 1 || expired.wait(5000));
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
    }

    void projectListReadsLargeSizes()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        UserProjectsRequestHandle* handle = m_worker->communicator()->queryUserProjects();
        QSignalSpy finished(handle, &UserProjectsRequestHandle::requestFinished);
        QVERIFY(finished.wait(10000));
        const UserProjectsResponse response = finished.at(0).at(0).value<UserProjectsResponse>();
        QCOMPARE(response.projects().size(), 1);
        QCOMPARE(response.projects().at(0).diskUsage, Q_INT64_C(5368709120));
        delete handle;
    }

    void clientCredentialsTimeOutFailsTheLogin()
    {
        QVERIFY(startSimulator(defaultScenario()));
        WebCommunicator::Timeouts timeouts = m_worker->communicator()->timeouts();
        timeouts.clientCredentialsMs = 300;
        m_worker->communicator()->setTimeouts(timeouts);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("client_credentials"), {{QStringLiteral("delayMs"), 3000}})}));
        const QString serviceRoot = m_worker->communicator()->requestBuilder().serviceRoot();
        QSignalSpy errors(m_worker.get(), &TovrinWebApiWorker::errorOccurred);
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultTimeOut);
        QVERIFY(errors.count() >= 1);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorTimeOut);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
        QCOMPARE(m_worker->communicator()->requestBuilder().clientId(), QByteArray("FieldPad"));
        QCOMPARE(m_worker->communicator()->requestBuilder().serviceRoot(), serviceRoot);
    }

    void stalledLoginTimesOut()
    {
        QVERIFY(startSimulator(defaultScenario()));
        setWaitLimit(*m_worker->communicator(), 300);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("login_json"), {{QStringLiteral("delayMs"), 3000}})}));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultTimeOut);
    }

    void answersEndByTheirPaceNotTheirLength()
    {
        // Under a minimum rate of 20000 B/s over any second: answers that trickle 16 bytes at a
        // time never stall, yet end as time-outs, while long answers that keep coming above the
        // rate arrive whole however long they take.
        QVERIFY(startSimulator(defaultScenario()));
        WebCommunicator::Timeouts timeouts = m_worker->communicator()->timeouts();
        timeouts.transfer.lowSpeedBytesPerSecond = 20000;
        timeouts.transfer.lowSpeedWindowMs = 1000;
        m_worker->communicator()->setTimeouts(timeouts);
        const QJsonObject trickle{{QStringLiteral("slowBodyMs"), 100}, {QStringLiteral("padBytes"), 100000}};
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("status_check"), trickle), fault(QStringLiteral("two_step"), trickle),
                                  fault(QStringLiteral("login_json"), trickle)}));
        // The connection check has to end before the login goes on.
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultTimeOut);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);

        QVERIFY(m_sim->setFaults({}));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("projects"), trickle)}));
        std::unique_ptr<UserProjectsRequestHandle> trickled(m_worker->communicator()->queryUserProjects());
        QSignalSpy trickledDone(trickled.get(), &UserProjectsRequestHandle::requestFinished);
        QTRY_COMPARE_WITH_TIMEOUT(trickledDone.size(), 1, 20000);
        QCOMPARE(trickledDone.at(0).at(1).value<Error>(), ErrorTimeOut);

        // 250000 bytes at 100000 B/s: several windows long, each well above the rate.
        const QJsonObject paced{{QStringLiteral("paceBytesPerSecond"), 100000}, {QStringLiteral("padBytes"), 250000}};
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("projects"), paced), fault(QStringLiteral("media_links"), paced)}));
        std::unique_ptr<UserProjectsRequestHandle> list(m_worker->communicator()->queryUserProjects());
        QSignalSpy listDone(list.get(), &UserProjectsRequestHandle::requestFinished);
        std::unique_ptr<SingleProjectFileDownloadRequestHandle> links(
            m_worker->communicator()->requestAllMediaLinks(QStringLiteral("p-big")));
        QSignalSpy linksDone(links.get(), &SingleProjectFileDownloadRequestHandle::requestFinished);
        QTRY_VERIFY_WITH_TIMEOUT(!listDone.isEmpty() && !linksDone.isEmpty(), 30000);
        QCOMPARE(listDone.at(0).at(1).value<Error>(), ErrorNone);
        // Both lists are read as they arrive, their padding with them: whole, as their announced
        // lengths say.
        QCOMPARE(listDone.at(0).at(0).value<UserProjectsResponse>().projects().size(), 1);
        QCOMPARE(linksDone.at(0).at(0).value<SingleProjectFileDownloadResponse>().error(), ErrorNone);
        QCOMPARE(linksDone.at(0).at(0).value<SingleProjectFileDownloadResponse>().links().size(), 2);
    }

    void slowServerStatusLeavesOffsetZero()
    {
        QVERIFY(startSimulator(defaultScenario()));
        WebCommunicator::Timeouts timeouts = m_worker->communicator()->timeouts();
        timeouts.serverStatusMs = 300;
        m_worker->communicator()->setTimeouts(timeouts);
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("server_status"), {{QStringLiteral("delayMs"), 3000}})}));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(m_worker->communicator()->serverTimeOffset(), Q_INT64_C(0));
    }

    void cancelLoginWhileRunning()
    {
        QVERIFY(startSimulator(defaultScenario()));
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("login_json"), {{QStringLiteral("delayMs"), 5000}})}));
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QTRY_VERIFY_WITH_TIMEOUT(m_worker->loginRequestPending(), 10000);
        m_worker->cancelLogin();
        QVERIFY(result.count() == 1 || result.wait(5000));
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultCancelled);
        m_worker->cancelLogin(); // nothing left to cancel
        QCOMPARE(result.count(), 1);
    }

    // Before the login request goes out (connection check, two-step check) a cancel or logout
    // still ends the login with one cancelled result, and no login request follows.
    void cancelBeforeTheLoginRequestEndsTheLogin_data()
    {
        QTest::addColumn<QString>("heldRoute");
        QTest::addColumn<bool>("byLogout");
        QTest::newRow("cancel during the connection check") << QStringLiteral("status_check") << false;
        QTest::newRow("cancel during the two-step check") << QStringLiteral("two_step") << false;
        QTest::newRow("logout during the connection check") << QStringLiteral("status_check") << true;
        QTest::newRow("logout during the two-step check") << QStringLiteral("two_step") << true;
    }

    void cancelBeforeTheLoginRequestEndsTheLogin()
    {
        QFETCH(QString, heldRoute);
        QFETCH(bool, byLogout);
        QVERIFY(startSimulator(defaultScenario()));
        QVERIFY(m_sim->setFaults({fault(heldRoute, {{QStringLiteral("hold"), true}})}));
        QSignalSpy result(m_worker.get(), &TovrinWebApiWorker::loginResult);
        m_worker->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(heldRoute), 1, 10000);
        if (byLogout)
            m_worker->logout();
        else
            m_worker->cancelLogin();
        QVERIFY(m_sim->release(heldRoute));
        QVERIFY(result.count() == 1 || result.wait(10000));
        QCOMPARE(result.at(0).at(0).toString(), QStringLiteral("alice"));
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultCancelled);
        QVERIFY(!m_worker->loginInProgress());
        QVERIFY(!m_worker->isLoggedIn());
        m_worker->cancelLogin(); // nothing left to cancel
        // A login started now goes through from the start.
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        QCOMPARE(result.count(), 2);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("login_json")).size(), 1);
    }

    void serviceRequestsAreSignedUnderGermanLocaleAndSkewedClock()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(startSimulator(defaultScenario(7200)));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultSuccess);
        WebCommunicator* communicator = m_worker->communicator();
        QVERIFY(qAbs(communicator->serverTimeOffset() - 7200) <= 5);

        BucketCreateRequestHandle* create = communicator->bucketCreate(QStringLiteral("MyBucket"));
        const BucketCreateResponse created = BucketCreateRequestHandle::waitForResponse(create, 10000);
        delete create;
        QCOMPARE(created.error(), ErrorNone);
        QCOMPARE(created.name(), QStringLiteral("mybucket"));

        BucketGetRequestHandle* get = communicator->bucketGet(QStringLiteral("MyBucket"));
        const BucketGetResponse got = BucketGetRequestHandle::waitForResponse(get, 10000);
        delete get;
        QVERIFY(got.exists());

        BucketListFilesFromLocationsRequestHandle* list =
            communicator->listFilesFromLocations(QStringLiteral("MyBucket"), QStringLiteral("/"), {QStringLiteral("Picture/")});
        QSignalSpy listed(list, &BucketListFilesFromLocationsRequestHandle::requestFinished);
        QVERIFY(listed.wait(10000));
        QCOMPARE(listed.at(0).at(0).value<ListOfFilesFromLocationResponse>().error(), ErrorNone);
        delete list;

        communicator->putJobForEachPreset(UploadFileDescriptor(QStringLiteral("p"), QStringLiteral("MyBucket"), QString(),
                                                               QString(), QStringLiteral("Video/Sec/a & b.mp4"), true));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo(QStringLiteral("transcoding")).size(), 1, 10000);
        QVERIFY2(m_sim->rejections().isEmpty(),
                 qPrintable(QJsonDocument(m_sim->rejections().value(0)).toJson()));
    }

    void peerRejectsRequestsWithoutClientData()
    {
        QVERIFY(startSimulator(defaultScenario()));
        WebCommunicator* communicator = m_worker->communicator();
        // Not logged in: client id "FieldPad" and the empty key are refused by the service.
        BucketGetRequestHandle* get = communicator->bucketGet(QStringLiteral("b"));
        const BucketGetResponse response = BucketGetRequestHandle::waitForResponse(get, 10000);
        delete get;
        QCOMPARE(response.error(), ErrorFalseCredentials);
        QCOMPARE(m_sim->rejections().size(), 1);
    }

    void workerOnItsOwnThread()
    {
        // As in the program: the worker lives on its thread, calls arrive queued, results come
        // back as queued signals (which needs the registered meta-types) and the getters are
        // read from this thread meanwhile.
        QVERIFY(startSimulator(defaultScenario()));
        m_worker.reset();
        Tovrin::Shared::WorkerThread thread;
        auto* worker = new TovrinWebApiWorker;
        worker->moveToThread(&thread);
        QVERIFY(thread.blockingStart());
        bool done = false;
        TovrinWebApi::LoginResult result = TovrinWebApi::LoginResultTimeOut;
        QStringList users;
        connect(worker, &TovrinWebApiWorker::currentUserChanged, this, [&users](const QString& user) { users << user; });
        connect(worker, &TovrinWebApiWorker::loginResult, this,
                [&done, &result](const QString&, TovrinWebApi::LoginResult value) {
                    result = value;
                    done = true;
                });
        QMetaObject::invokeMethod(worker, "initialize", Qt::QueuedConnection);
        QMetaObject::invokeMethod(worker, "login", Qt::QueuedConnection, Q_ARG(QString, QStringLiteral("alice")),
                                  Q_ARG(QString, QString::fromLatin1(alicePassword())));
        int polls = 0;
        QTRY_VERIFY_WITH_TIMEOUT((++polls, worker->loginStatus(), worker->currentUser(), done), 20000);
        QCOMPARE(result, TovrinWebApi::LoginResultSuccess);
        QCOMPARE(worker->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QCOMPARE(users, QStringList{QStringLiteral("alice")});
        QMetaObject::invokeMethod(worker, "deleteLater", Qt::QueuedConnection);
        thread.quit();
        QVERIFY(thread.wait(10000));
    }

    void untrustedCertificateFailsTheLogin()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("TLS is not available in this Qt build");
        QTemporaryDir certificates;
        WebServiceSimulator::Tls tls;
        QString error;
        QVERIFY2(WebServiceSimulator::makeCertificates(certificates.path(), &tls, &error), qPrintable(error));
        QVERIFY(startSimulator(defaultScenario(), tls));
        QCOMPARE(loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())), TovrinWebApi::LoginResultTimeOut);
        QCOMPARE(m_worker->loginStatus(), TovrinWebApi::LoginStatusLoggedOut);
    }

    void trustedCertificateLetsTheLoginThrough()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("TLS is not available in this Qt build");
        QTemporaryDir certificates;
        WebServiceSimulator::Tls tls;
        QString error;
        QVERIFY2(WebServiceSimulator::makeCertificates(certificates.path(), &tls, &error), qPrintable(error));
        TrustedTestCa trust(tls.caFile);
        QVERIFY(trust.trusted());
        const bool started = startSimulator(defaultScenario(), tls);
        const TovrinWebApi::LoginResult result =
            started ? loginAndWait(QStringLiteral("alice"), QString::fromLatin1(alicePassword())) : TovrinWebApi::LoginResult(-1);
        m_worker.reset();
        trust.untrust();
        QVERIFY(started);
        QCOMPARE(result, TovrinWebApi::LoginResultSuccess);
    }
};

QTEST_GUILESS_MAIN(tst_WebLogin)
#include "tst_WebLogin.moc"
