// The web login screen in the whole application against the web-service simulator, driven
// through its QML: an empty password, a two-step account with "Remember me", a multi-user
// account with the alias choice that cannot be dismissed, leaving during a login, password
// reset and the registration page, and a log without secrets.
//
// With CX_SHOTS_DIR set, the screen in its modes is saved there as PNG files.

// The program is a QGuiApplication: QtTest must not take qApp for a QApplication.
#undef QT_WIDGETS_LIB
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/IUrlLauncher.h"
#include "startup/CApplication.h"

#include "libraries/web/WebTestSupport.h"
#include "support/ApplicationScreenTest.h"
#include "support/LogText.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/SettingsSaving.h"
#include "support/SettingsStoreConditions.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "TovrinWebApi.h"

#include <QQuickItem>
#include <QSettings>
#include <QtTest>

#include <sys/stat.h>

using namespace WebTestSupport;
using Tovrin::Web::TovrinWebApi;

namespace {

class RecordingLauncher : public IUrlLauncher
{
public:
    QList<QUrl> opened;
    // As a desktop without a browser answers.
    bool refuse = false;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return !refuse;
    }
};

RecordingLauncher g_launcher;
int g_simulatorPort = 0;

} // namespace

class tst_WebLoginScreen : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    std::unique_ptr<WebServiceSimulator> m_sim;

    void type(const QString& name, const QString& text)
    {
        QQuickItem* field = item(name);
        QVERIFY2(field, qPrintable(name));
        QVERIFY(field->setProperty("text", text));
    }

    TovrinWebApi* api() { return CApplication::instance()->webApi(); }
    CSettings* settings() { return CApplication::instance()->settings(); }

    void openLoginScreen()
    {
        evaluate(QStringLiteral("ScreenManager.show(\"WebLoginScreen\")"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
    }

    void logoutAndWait()
    {
        evaluate(QStringLiteral("Context.webLoginService.logout()"));
        QTRY_COMPARE_WITH_TIMEOUT(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedOut, 10000);
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        m_sim.reset(new WebServiceSimulator);
        // The program took the peer's address at start; the peer now takes that port.
        QVERIFY(g_simulatorPort > 0);
        QVERIFY(m_sim->start(defaultScenario(), {}, g_simulatorPort));
        QCOMPARE(Tovrin::Shared::ApplicationUrls::webUrl(), m_sim->rootUrl());
        setWindow(ApplicationScreenTest::waitForMainWindow(30000));
        QVERIFY(window());
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("InitialWarningScreen"), 20000);
        click(QStringLiteral("initialWarningOk"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        if (messageOpen())
            click(QStringLiteral("messageBoxOk"));
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase() { m_sim.reset(); }

    // Empty password: the credentials message with its code, and nothing sent.
    void emptyPasswordIsRefusedOnTheScreen()
    {
        openLoginScreen();
        QVERIFY(!item(QStringLiteral("webLoginAuthCode"))->isVisible());
        QVERIFY(!item(QStringLiteral("webLoginRememberMe"))->property("checked").toBool());
        type(QStringLiteral("webLoginUserName"), QStringLiteral("alice"));
        shoot(QStringLiteral("login-screen"));
        click(QStringLiteral("webLoginButton"));
        QTRY_VERIFY(messageOpen());
        QVERIFY2(messageText().endsWith(QStringLiteral("Error Code: 0x50003")), qPrintable(messageText()));
        shoot(QStringLiteral("login-empty-password"));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("login_json")).size(), 0);
        QCOMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
    }

    // Two steps: the code field appears and the name fields lock; the code logs in, the screen
    // closes and "Remember me" stores what was entered.
    void twoStepLoginWithRememberMe()
    {
        // The screen the check before left open, or a new one.
        if (topScreenName() != QLatin1String("WebLoginScreen"))
            openLoginScreen();
        type(QStringLiteral("webLoginUserName"), QStringLiteral("bob"));
        type(QStringLiteral("webLoginPassword"), QStringLiteral("b0b & co=1"));
        click(QStringLiteral("webLoginRememberMe"));
        click(QStringLiteral("webLoginButton"));
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("webLoginAuthCode"))->isVisible(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedOut, 10000);
        QVERIFY(!item(QStringLiteral("webLoginUserName"))->parentItem()->parentItem()->isEnabled());
        QVERIFY(!item(QStringLiteral("webLoginRememberMe"))->isEnabled());
        type(QStringLiteral("webLoginAuthCode"), QStringLiteral("123 456"));
        shoot(QStringLiteral("login-two-step"));
        click(QStringLiteral("webLoginButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 20000);
        QCOMPARE(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QCOMPARE(settings()->webUserName(), QStringLiteral("bob"));
        QCOMPARE(settings()->webPassword(), QStringLiteral("b0b & co=1"));
        // Kept at once, not only by the next save of the settings screen.
        QTRY_COMPARE(QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix")).value(QStringLiteral("Settings/WebUserName")).toString(),
                     QStringLiteral("bob"));

        // The store that keeps the password is its owner's alone, also once rewritten (this
        // test made it readable by all before the program ran).
        const QByteArray store = QFile::encodeName(QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix")).fileName());
        auto mode = [&store]() {
            struct stat info {};
            return ::stat(store.constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
        };
        QCOMPARE(saveAndWait(*settings()), int(CSettingsStore::Written));
        QCOMPARE(mode(), 0600);
        // Rewritten by both writers of the store, with a changed value.
        settings()->setDefaultOperatorName(QStringLiteral("Bob in the field"));
        QCOMPARE(saveAndWait(*settings()), int(CSettingsStore::Written));
        QCOMPARE(mode(), 0600);
        QCOMPARE(saveAndWait(*CApplication::instance()->appRuntimeData()), int(CSettingsStore::Written));
        QCOMPARE(mode(), 0600);
        QSettings check(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        QCOMPARE(check.value(QStringLiteral("Settings/DefaultOperatorName")).toString(), QStringLiteral("Bob in the field"));
    }

    // Several users: the alias choice opens, taps beside it do not close it, and the chosen
    // alias logs in. Without "Remember me" the stored credentials are cleared.
    void multiUserLoginWithAliasChoice()
    {
        // What the two-step login with "Remember me" stored, also when this check runs alone.
        if (settings()->webUserName().isEmpty()) {
            settings()->setWebUserName(QStringLiteral("bob"));
            settings()->setWebPassword(QStringLiteral("b0b & co=1"));
        }
        logoutAndWait();
        openLoginScreen();
        // Filled from the settings, with "Remember me" checked because a name is stored.
        QCOMPARE(item(QStringLiteral("webLoginUserName"))->property("text").toString(), QStringLiteral("bob"));
        QVERIFY(item(QStringLiteral("webLoginRememberMe"))->property("checked").toBool());
        click(QStringLiteral("webLoginRememberMe"));
        type(QStringLiteral("webLoginUserName"), QStringLiteral("carol"));
        type(QStringLiteral("webLoginPassword"), QStringLiteral("carol-pw"));
        click(QStringLiteral("webLoginButton"));
        QQuickItem* popup = item(QStringLiteral("multiuserChoicePopup"));
        QVERIFY(popup);
        QTRY_VERIFY_WITH_TIMEOUT(popup->property("opened").toBool(), 20000);
        QTRY_VERIFY(item(QStringLiteral("multiuserAlias_1")));
        shoot(QStringLiteral("login-alias-popup"));
        // A tap in a corner, beside the panel, leaves it open.
        clickAt(popup, 0.02, 0.98);
        QVERIFY(waitForFrame());
        QVERIFY(popup->property("opened").toBool());
        QCOMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
        click(QStringLiteral("multiuserAlias_1"));
        QTRY_VERIFY(!popup->property("opened").toBool());
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("StartScreen"), 20000);
        QCOMPARE(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QCOMPARE(m_sim->requestsTo(QStringLiteral("token")).size(), 1);
        QCOMPARE(settings()->webUserName(), QString());
        QCOMPARE(settings()->webPassword(), QString());
        QTRY_VERIFY(!QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix")).contains(QStringLiteral("Settings/WebPassword"))
                    || QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix")).value(QStringLiteral("Settings/WebPassword")).toString().isEmpty());
    }

    // "Remember me", ticked or unticked over a name kept from before, that the settings store
    // cannot keep: the operator is told before the screen closes.
    void aRememberedLoginThatCannotBeKeptIsSaidSo_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::addColumn<QString>("condition");
        QTest::newRow("remembered, read-only") << true << "read-only";
        QTest::newRow("withdrawn, full drive") << false << "full";
    }

    void aRememberedLoginThatCannotBeKeptIsSaidSo()
    {
        QFETCH(bool, remember);
        QFETCH(QString, condition);
        settings()->setWebUserName(QStringLiteral("bob"));
        settings()->setWebPassword(QStringLiteral("b0b & co=1"));
        logoutAndWait();
        QString skip;
        RefusingSettingsStore store(condition, &skip);
        if (!store.ready()) {
            if (!skip.isEmpty())
                QSKIP(qPrintable(skip));
            QFAIL("the store could not be prepared");
        }
        openLoginScreen();
        QVERIFY(item(QStringLiteral("webLoginRememberMe"))->property("checked").toBool());
        if (!remember)
            click(QStringLiteral("webLoginRememberMe"));
        type(QStringLiteral("webLoginUserName"), QStringLiteral("alice"));
        type(QStringLiteral("webLoginPassword"), QString::fromLatin1(alicePassword()));
        click(QStringLiteral("webLoginButton"));
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen() && messageText().startsWith(QStringLiteral("The settings could not be saved")),
                                 20000);
        QCOMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
        QCOMPARE(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedIn);
        QCOMPARE(settings()->webUserName(), remember ? QStringLiteral("alice") : QString());
        click(QStringLiteral("messageBoxOk"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    // Leaving the screen while the service is asked cancels the login.
    void leavingDuringTheLoginCancelsIt()
    {
        logoutAndWait();
        QVERIFY(m_sim->setFaults({fault(QStringLiteral("login_json"), {{QStringLiteral("hold"), true}})}));
        openLoginScreen();
        type(QStringLiteral("webLoginUserName"), QStringLiteral("alice"));
        type(QStringLiteral("webLoginPassword"), QString::fromLatin1(alicePassword()));
        QSignalSpy result(api(), &TovrinWebApi::loginResult);
        click(QStringLiteral("webLoginButton"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->heldRequests(QStringLiteral("login_json")), 1, 10000);
        QTRY_VERIFY(item(QStringLiteral("webLoginBusy"))->isVisible());
        QVERIFY(!item(QStringLiteral("webLoginButton"))->isEnabled());
        shoot(QStringLiteral("login-in-progress"));
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        QVERIFY(m_sim->release(QStringLiteral("login_json")));
        QTRY_COMPARE_WITH_TIMEOUT(result.count(), 1, 20000);
        QCOMPARE(result.at(0).at(1).value<TovrinWebApi::LoginResult>(), TovrinWebApi::LoginResultCancelled);
        QTRY_COMPARE_WITH_TIMEOUT(api()->loginStatus(), TovrinWebApi::LoginStatusLoggedOut, 10000);
        QVERIFY(m_sim->setFaults({}));
    }

    // The account buttons: the registration page through the launcher, the password reset
    // through the value input with its information box; an opener may hide both.
    void accountButtons()
    {
        openLoginScreen();
        const QString registration = m_sim->rootUrl() + QStringLiteral("login/#/registration");
        click(QStringLiteral("webLoginCreateAccount"));
        QTRY_COMPARE(g_launcher.opened.size(), 1);
        QCOMPARE(g_launcher.opened.first().toString(), registration);
        // Whether a browser comes up or not, the screen says what happens and where the page is.
        QTRY_VERIFY(messageOpen());
        QVERIFY2(messageText().startsWith(QStringLiteral("The registration page is being opened")), qPrintable(messageText()));
        QVERIFY(messageText().endsWith(registration));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen());
        g_launcher.refuse = true;
        click(QStringLiteral("webLoginCreateAccount"));
        QTRY_VERIFY(messageOpen());
        QVERIFY2(messageText().startsWith(QStringLiteral("No web browser could be opened.")), qPrintable(messageText()));
        QVERIFY(messageText().endsWith(registration));
        shoot(QStringLiteral("login-no-browser"));
        click(QStringLiteral("messageBoxOk"));
        QTRY_VERIFY(!messageOpen());
        g_launcher.refuse = false;

        click(QStringLiteral("webLoginForgotPassword"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("ValueInputScreen"));
        type(QStringLiteral("valueInputField"), QStringLiteral("alice"));
        click(QStringLiteral("valueInputApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
        QTRY_VERIFY(messageOpen());
        QVERIFY(messageText().startsWith(QStringLiteral("An email has been sent to you")));
        click(QStringLiteral("messageBoxOk"));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->requestsTo(QStringLiteral("reset_password")).size(), 1, 10000);

        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
        evaluate(QStringLiteral("ScreenManager.show(\"WebLoginScreen\", {\"hideAccountButtons\": true})"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("WebLoginScreen"));
        QVERIFY(!item(QStringLiteral("webLoginCreateAccount"))->isVisible());
        click(QStringLiteral("titleBarCloseButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("StartScreen"));
    }

    // The program's own log holds neither password, nor client secret, nor token.
    void logHoldsNoSecrets()
    {
        // Alone, the logins of the checks above come first.
        if (m_sim->requestsTo(QStringLiteral("login_json")).isEmpty()) {
            twoStepLoginWithRememberMe();
            multiUserLoginWithAliasChoice();
        }
        const QString log = readLogText(QDir::homePath() + QStringLiteral("/Culvertix-Projects/Culvertix.log"));
        QVERIFY(log.contains(QStringLiteral("TovrinWeb")));
        QVERIFY(!log.contains(QStringLiteral("b0b & co=1")));
        QVERIFY(!log.contains(QStringLiteral("carol-pw")));
        QVERIFY(!log.contains(QString::fromLatin1(alicePassword())));
        QVERIFY(!log.contains(QStringLiteral("123 456")));
        QVERIFY(!log.contains(QStringLiteral("Bearer ")));
        QVERIFY(!log.contains(QStringLiteral("TovrinService ")));
        QVERIFY(!log.contains(QStringLiteral("X-Signature=")));
        for (const QJsonObject& entry : m_sim->requestsTo(QStringLiteral("client_credentials")))
            QVERIFY(!log.contains(entry.value(QStringLiteral("secret")).toString()));
        int tokens = 0;
        for (const QJsonObject& entry : m_sim->log()) {
            const QString token = entry.value(QStringLiteral("token")).toString();
            if (token.isEmpty())
                continue;
            ++tokens;
            QVERIFY(!log.contains(token));
        }
        QVERIFY(tokens >= 2);
    }
};

int main(int argc, char** argv)
{
    // Stored settings, so that no initial set-up comes between.
    {
        QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        store.beginGroup(QStringLiteral("Settings"));
        store.setValue(QStringLiteral("Version"), 1);
        store.setValue(QStringLiteral("WorkType"), 2);
    }
    // The start screen's update check goes to a closed port of this machine.
    qputenv("CX_UPDATE_BASE_URL", QByteArray("http://127.0.0.1:9"));
    g_simulatorPort = pointWebClientAtFreePort();
    UrlLaunching::setLauncher(&g_launcher);
    Tovrin::Logging::CLogger::setPrintToConsole(false);

    const int result = ApplicationScreenTest::runInApplication<tst_WebLoginScreen>(argc, argv);
    UrlLaunching::setLauncher(nullptr);
    return result;
}

#include "tst_WebLoginScreen.moc"
