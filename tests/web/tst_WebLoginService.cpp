// The web login service with a real facade against the web-service simulator: what reaches
// the service and in which order, refused and cancelled logins, a multi-user account, a token
// that runs out mid-session, and the alias model.

#include "libraries/web/WebTestSupport.h"

#include "application/CSettings.h"
#include "web/CWebLoginScreenController.h"
#include "web/MultiUserListModel.h"
#include "web/WebLoginService.h"
#include "web/WebProjectService.h"
#include "web/WebScreenServices.h"

#include "ApplicationUrls.h"
#include "TovrinWebApi.h"
#include "TovrinWebLibrary.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

using namespace Tovrin::Web;
using namespace WebTestSupport;

namespace {

// Every signal of the service, by name, in arrival order, with the facade's status at the time.
struct SignalRecorder
{
    QStringList names;

    void watch(WebLoginService* service, TovrinWebApi* api)
    {
        auto record = [this, api](const char* name) {
            return [this, api, name] { names << QStringLiteral("%1:%2").arg(QLatin1String(name)).arg(int(api->loginStatus())); };
        };
        QObject::connect(service, &WebLoginService::currentUserChanged, service, record("user"));
        QObject::connect(service, &WebLoginService::loginSucceeded, service, record("succeeded"));
        QObject::connect(service, &WebLoginService::loginFailed, service, record("failed"));
        QObject::connect(service, &WebLoginService::logoutSucceeded, service, record("loggedOut"));
        QObject::connect(service, &WebLoginService::loginExpired, service, record("expired"));
        QObject::connect(service, &WebLoginService::loginStatusChanged, service, record("status"));
        QObject::connect(service, &WebLoginService::tokenAuthenticationNeeded, service, record("token"));
        QObject::connect(service, &WebLoginService::userChoiceNeeded, service, record("choice"));
    }
};

} // namespace

class tst_WebLoginService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<TovrinWebApi> m_api;
    std::unique_ptr<WebLoginService> m_service;

    void startWith(const QJsonObject& scenario)
    {
        m_sim.reset(new WebServiceSimulator);
        QVERIFY(m_sim->start(scenario));
        Tovrin::Shared::ApplicationUrls::setRootUrl(m_sim->rootUrl());
        m_api.reset(new TovrinWebApi);
        QVERIFY(m_api->isOperational());
        WebScreenServices services;
        services.webApi = m_api.get();
        services.settings = m_settings.get();
        WebScreenServices::install(services);
        m_service.reset(new WebLoginService(m_api.get()));
    }

    int count(const QString& route) const { return m_sim->requestsTo(route).size(); }

private slots:
    void initTestCase() { TovrinWebLibrary::initialize(); }

    void init()
    {
        m_settings.reset(new CSettings);
        QJsonObject scenario = defaultScenario();
        QJsonArray accounts = scenario.value(QStringLiteral("accounts")).toArray();
        // Erin's token runs out two seconds after the client's safety margin: mid-session.
        QJsonObject erin = account(QStringLiteral("erin"), QStringLiteral("erin-pw"), QStringLiteral("u-erin"));
        erin.insert(QStringLiteral("expiresIn"), 602);
        accounts.append(erin);
        scenario.insert(QStringLiteral("accounts"), accounts);
        startWith(scenario);
    }

    void cleanup()
    {
        m_service.reset();
        m_api.reset();
        WebScreenServices::uninstall();
        m_sim.reset();
        m_settings.reset();
    }

    void cleanupTestCase() { TovrinWebLibrary::finalize(); }

    // Empty name or password sends nothing; a password login runs logging in, then logged in
    // with the user announced before the status; a logout announces itself before the status
    // and clears the all-media reminder.
    void signalOrdersOfLoginAndLogout()
    {
        SignalRecorder recorder;
        recorder.watch(m_service.get(), m_api.get());
        QSignalSpy failed(m_service.get(), &WebLoginService::loginFailed);
        m_service->login(QStringLiteral("alice"), QString());
        m_service->login(QStringLiteral("alice"));
        m_service->login();
        QCOMPARE(failed.count(), 3);
        for (const QList<QVariant>& failure : qAsConst(failed)) {
            QVERIFY(failure.at(0).toString().startsWith(QStringLiteral("Failed to connect to the Tovrin Web server - either")));
            QVERIFY(failure.at(0).toString().endsWith(QStringLiteral("Error Code: 0x50003")));
        }

        QSignalSpy succeeded(m_service.get(), &WebLoginService::loginSucceeded);
        m_service->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QVERIFY(succeeded.wait(20000));
        QTRY_VERIFY_WITH_TIMEOUT(m_service->isLoggedIn(), 10000);
        // The three refused calls never reached the service.
        QCOMPARE(count(QStringLiteral("login_json")), 1);
        QCOMPARE(m_service->currentUser(), m_api->currentUser());
        QVERIFY(!m_service->currentUser().isEmpty());

        // Each announcement reads the state of the moment it is taken in: on a loaded machine the
        // login may be done before the first one, which then shows no "logging in".
        QStringList login = recorder.names.mid(3);
        const int loggedIn = login.indexOf(QStringLiteral("status:0"));
        QVERIFY2(loggedIn > 0, qPrintable(login.join(QLatin1Char(' '))));
        const QStringList before = login.mid(0, loggedIn).filter(QStringLiteral("status:"));
        QVERIFY2(before.count(QStringLiteral("status:1")) == before.size(), qPrintable(login.join(QLatin1Char(' '))));
        QCOMPARE(login.at(loggedIn - 1), QStringLiteral("user:0"));
        QVERIFY(!login.contains(QStringLiteral("loggedOut:1")));

        m_settings->setDoNotRemindAboutAllMediaDownload(true);
        recorder.names.clear();
        QSignalSpy loggedOut(m_service.get(), &WebLoginService::logoutSucceeded);
        m_service->logout();
        QVERIFY(!m_settings->doNotRemindAboutAllMediaDownload());
        QVERIFY(loggedOut.count() == 1 || loggedOut.wait(10000));
        QTRY_VERIFY(recorder.names.contains(QStringLiteral("status:2")));
        const int out = recorder.names.indexOf(QStringLiteral("status:2"));
        QCOMPARE(recorder.names.at(out - 1), QStringLiteral("loggedOut:2"));
        QVERIFY(!m_service->isLoggedIn());
        QVERIFY(!m_service->property("loggedIn").toBool());
    }

    // Wrong credentials give the false-credentials text; a portal's page in the service's place
    // the text of an answer not understood, not the one of a lost connection; a cancelled login
    // gives nothing.
    void refusedAndCancelledLogins()
    {
        QSignalSpy failed(m_service.get(), &WebLoginService::loginFailed);
        QSignalSpy succeeded(m_service.get(), &WebLoginService::loginSucceeded);
        m_service->login(QStringLiteral("alice"), QStringLiteral("wrong"));
        QVERIFY(failed.wait(20000));
        QVERIFY(failed.at(0).at(0).toString().endsWith(QStringLiteral("0x50003")));

        QVERIFY(m_sim->setFaults({fault(QStringLiteral("login_json"), WebServiceSimulator::portalPage())}));
        m_service->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 2, 20000);
        QCOMPARE(failed.at(1).at(0).toString(),
                 QStringLiteral("An internal error related to the Web occurred which was not supposed to happen.\n"
                                "Please notify your service station about this error.\n\nError Code: 0x50005"));
        QVERIFY(!m_service->isLoggedIn());
        failed.clear();

        QVERIFY(m_sim->setFaults({fault(QStringLiteral("login_json"), {{QStringLiteral("hold"), true}})}));
        QSignalSpy result(m_api.get(), &TovrinWebApi::loginResult);
        m_service->login(QStringLiteral("alice"), QString::fromLatin1(alicePassword()));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("login_json")), 1, 10000);
        m_service->cancelLogin();
        QVERIFY(m_sim->release(QStringLiteral("login_json")));
        QTRY_COMPARE_WITH_TIMEOUT(result.count(), 1, 20000);
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultCancelled);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(succeeded.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_api->loginStatus(), TovrinWebApi::LoginStatusLoggedOut, 10000);
    }

    // Several users: the aliases come in alias order, and the chosen one logs in; the screen
    // controller follows the facade's status. (Two steps are driven through the login screen.)
    void multiUserAccount()
    {
        CWebLoginScreenController controller;
        QSignalSpy succeeded(m_service.get(), &WebLoginService::loginSucceeded);
        MultiUserListModel* aliases = m_service->multiUserList();
        QAbstractItemModelTester tester(aliases, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy choice(m_service.get(), &WebLoginService::userChoiceNeeded);
        QSignalSpy reset(aliases, &QAbstractItemModel::modelReset);
        m_service->login(QStringLiteral("carol"), QStringLiteral("carol-pw"));
        QVERIFY(choice.wait(20000));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(aliases->rowCount(), 2);
        QCOMPARE(aliases->data(aliases->index(0), MultiUserListModel::RoleUserAlias).toString(), QStringLiteral("North"));
        QCOMPARE(aliases->data(aliases->index(0), MultiUserListModel::RoleUserId).toString(), QStringLiteral("u-n"));
        QCOMPARE(aliases->data(aliases->index(1), MultiUserListModel::RoleUserAlias).toString(), QStringLiteral("South"));
        m_service->loginChosenUser(QStringLiteral("u-s"));
        QVERIFY(succeeded.wait(20000));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("token")).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(controller.loginStatus(), CWebLoginScreenController::LoginStatusLoggedIn, 10000);
    }

    // A token that runs out mid-session: the service logs out, clears the all-media reminder,
    // reports the expiry, and the project service forgets the uploads of that login.
    void tokenExpiringMidSession()
    {
        WebProjectService projects(m_api.get());
        connect(m_service.get(), &WebLoginService::logoutSucceeded, &projects, &WebProjectService::resetSessionBackup,
                Qt::UniqueConnection);
        m_settings->setDoNotRemindAboutAllMediaDownload(true);
        QSignalSpy expired(m_service.get(), &WebLoginService::loginExpired);
        QSignalSpy succeeded(m_service.get(), &WebLoginService::loginSucceeded);
        m_service->login(QStringLiteral("erin"), QStringLiteral("erin-pw"));
        QVERIFY(succeeded.wait(20000));
        projects.addUploadedProject(ProjectInfo(QStringLiteral("Up"), QStringLiteral("p-up"), QString(), QString(),
                                                QDateTime::currentDateTimeUtc(), 1, false));
        QCOMPARE(projects.uploadBackup().size(), 1);
        QCOMPARE(expired.count(), 0);
        QVERIFY(expired.wait(20000));
        QVERIFY(!m_settings->doNotRemindAboutAllMediaDownload());
        QTRY_VERIFY_WITH_TIMEOUT(!m_service->isLoggedIn(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(projects.uploadBackup().isEmpty(), 10000);
        QVERIFY(!projects.isUploadStatusTimerActive());
    }

    // The alias model alone: rows in alias order, anything outside them invalid, a new map
    // replaces the old one completely, also an empty one.
    void aliasModelRowsAndReset()
    {
        MultiUserListModel model(nullptr);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.roleNames().value(256), QByteArray("modelData_UserAlias"));
        QCOMPARE(model.roleNames().value(257), QByteArray("modelData_UserId"));
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setUserMap({{QStringLiteral("b"), QStringLiteral("2")}, {QStringLiteral("a"), QStringLiteral("1")},
                          {QStringLiteral("B"), QStringLiteral("3")}});
        QCOMPARE(model.rowCount(), 3);
        // Case-sensitive order: upper case first.
        QCOMPARE(model.data(model.index(0), 256).toString(), QStringLiteral("B"));
        QCOMPARE(model.data(model.index(1), 256).toString(), QStringLiteral("a"));
        QCOMPARE(model.data(model.index(1), 257).toString(), QStringLiteral("1"));
        QCOMPARE(model.data(model.index(2), 257).toString(), QStringLiteral("2"));
        QVERIFY(!model.data(model.index(3), 256).isValid());
        QVERIFY(!model.data(model.index(1), Qt::DisplayRole).isValid());
        QVERIFY(!model.data(QModelIndex(), 256).isValid());
        model.setUserMap({});
        QCOMPARE(reset.count(), 2);
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_WebLoginService)
#include "tst_WebLoginService.moc"
