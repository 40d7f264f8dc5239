// The command runner against the camera simulator: order, automatic log-in and one repeat,
// aborting, time-outs, and every reply fault of the simulator's CGI routes.

#include "CameraSimulator.h"
#include "LogCapture.h"

#include "hx/CDelayCommand.h"
#include "hx/CGetCameraAlertCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CGetFileInfoCommand.h"
#include "hx/CGetThumbnailCommand.h"
#include "hx/CLoginCommand.h"
#include "hx/CLogoutCommand.h"
#include "hx/CSetCameraModeCommand.h"
#include "hx/CTetronCommandRunner.h"
#include "hx/TetronCameraUrls.h"

#include <QtTest>

#include <memory>

using namespace Ulx::Communication;
using Result = CAbstractTetronCommand::Result;

namespace {

// Remembers what each command reported, after the runner has released it.
struct Outcome
{
    int finishedCount = 0;
    Result result = CAbstractTetronCommand::None;
    QHash<int, QVariant> values;
    int alert = -1;
    int fileCount = -1;
    bool hasImage = false;
};

} // namespace

class tst_CTetronCommandRunner : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<CTetronCommandRunner> m_runner;
    QList<std::shared_ptr<Outcome>> m_outcomes;
    int m_finished = 0;

    std::shared_ptr<Outcome> run(CAbstractTetronCommand* command)
    {
        auto outcome = std::make_shared<Outcome>();
        m_outcomes.append(outcome);
        connect(command, &CAbstractTetronCommand::finished, this, [this, command, outcome]() {
            ++outcome->finishedCount;
            ++m_finished;
            outcome->result = command->result();
            if (auto* info = qobject_cast<CGetCameraInfoCommand*>(command))
                outcome->values = info->values();
            if (auto* alert = qobject_cast<CGetCameraAlertCommand*>(command))
                outcome->alert = alert->alert();
            if (auto* list = qobject_cast<CGetFileInfoCommand*>(command))
                outcome->fileCount = list->fileList().size();
            if (auto* thumb = qobject_cast<CGetThumbnailCommand*>(command))
                outcome->hasImage = !thumb->image().isNull();
        });
        m_runner->enqueueCommand(command);
        return outcome;
    }

    // Waits (bounded) until the given number of commands reported and the runner is idle.
    bool settle(int finished)
    {
        return QTest::qWaitFor([&]() { return m_finished >= finished && m_runner->isIdle(); }, 15000);
    }

    std::shared_ptr<Outcome> runOne(CAbstractTetronCommand* command)
    {
        const int before = m_finished;
        auto outcome = run(command);
        settle(before + 1);
        return outcome;
    }

    void login()
    {
        auto outcome = runOne(new CLoginCommand());
        QCOMPARE(outcome->result, CAbstractTetronCommand::Success);
    }

private slots:
    void init()
    {
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        m_runner = std::make_unique<CTetronCommandRunner>();
        m_outcomes.clear();
        m_finished = 0;
    }

    void cleanup()
    {
        m_runner.reset();
        m_sim.reset();
    }

    void commandsRunInOrderOneAtATime()
    {
        login();
        auto first = run(new CGetCameraInfoCommand({33, 9, 1, 17}));
        auto second = run(new CGetCameraAlertCommand());
        auto third = run(new CDelayCommand(1));
        QVERIFY(settle(4));
        QCOMPARE(first->result, CAbstractTetronCommand::Success);
        QCOMPARE(first->values.value(33).toInt(), 1);
        QCOMPARE(first->values.value(9).toInt(), 2027);
        QCOMPARE(first->values.value(1).toInt(), 80);
        QCOMPARE(first->values.value(17).toString(), QStringLiteral("HX-1.4.2"));
        QCOMPARE(second->result, CAbstractTetronCommand::Success);
        QCOMPARE(second->alert, 0);
        QCOMPARE(third->result, CAbstractTetronCommand::Success);
        QCOMPARE(m_sim->routes(), QStringList({"login", "get", "alert"}));
        // The session cookie of the log-in went with the following requests.
        QVERIFY(m_sim->requestsTo("get").first().value("cookie").toString().contains("hxsession="));
    }

    void loginRequiredRepeatsOnceBehindALogin()
    {
        LogCapture log;
        auto info = run(new CGetCameraInfoCommand({1}));
        QVERIFY(settle(1));
        QCOMPARE(info->finishedCount, 1);
        QCOMPARE(info->result, CAbstractTetronCommand::Success);
        QCOMPARE(info->values.value(1).toInt(), 80);
        QCOMPARE(m_sim->routes(), QStringList({"get", "login", "get"}));
        const int processing = log.indexOf("Processing Tetron command: GetCameraInfo LoginRequired");
        QVERIFY(processing >= 0);
        QVERIFY(log.indexOf("Repeating command: GetCameraInfo LoginRequired", processing) > processing);
        // The log-in never sends a stale cookie.
        QVERIFY(m_sim->requestsTo("login").first().value("cookie").toString().isEmpty());
    }

    void repeatIsNotStuckAfterASuccessfulRepeat()
    {
        // With the repeat flag left set, the second refusal would be taken for a failed repeat
        // log-in and the alert query would fail.
        auto info = runOne(new CGetCameraInfoCommand({1}));
        QCOMPARE(info->result, CAbstractTetronCommand::Success);
        QVERIFY(m_sim->expireSessions());
        auto alert = runOne(new CGetCameraAlertCommand());
        QCOMPARE(alert->result, CAbstractTetronCommand::Success);
        QCOMPARE(alert->finishedCount, 1);
        QCOMPARE(m_sim->routes(), QStringList({"get", "login", "get", "alert", "login", "alert"}));
    }

    void refusedRepeatLoginFailsTheWaitingCommand()
    {
        LogCapture log;
        QVERIFY(m_sim->fault("login", "status:712", -1));
        auto info = run(new CGetCameraInfoCommand({1}));
        QVERIFY(settle(1));
        QCOMPARE(info->finishedCount, 1);
        QCOMPARE(info->result, CAbstractTetronCommand::LoginRequired);
        QCOMPARE(log.count("Repeating of command failed."), 1);
        QCOMPARE(m_sim->routes(), QStringList({"get", "login"}));
        // The runner goes on with the next command.
        QVERIFY(m_sim->clearFaults());
        auto next = runOne(new CGetCameraAlertCommand());
        QCOMPARE(next->result, CAbstractTetronCommand::Success);
    }

    void repeatedCommandRefusedAgainIsNotRepeatedForever()
    {
        login();
        QVERIFY(m_sim->fault("get", "status:712", -1));
        auto info = runOne(new CGetCameraInfoCommand({1}));
        QCOMPARE(info->result, CAbstractTetronCommand::LoginRequired);
        QCOMPARE(info->finishedCount, 1);
        QCOMPARE(m_sim->routes(), QStringList({"login", "get", "login", "get"}));
    }

    void logoutRefusedStartsNoLogin()
    {
        auto logout = runOne(new CLogoutCommand());
        QCOMPARE(logout->result, CAbstractTetronCommand::LoginRequired);
        QCOMPARE(m_sim->routes(), QStringList({"logout"}));
    }

    void loginNotAvailable()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"login_available", false}}));
        auto outcome = runOne(new CLoginCommand());
        QCOMPARE(outcome->result, CAbstractTetronCommand::LoginNotAvailable);
    }

    void statusLineFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("expected");
        QTest::newRow("one-line") << "one-line" << int(CAbstractTetronCommand::InternalError);
        // A status line that is no number is no success.
        QTest::newRow("non-numeric") << "non-numeric" << int(CAbstractTetronCommand::InternalError);
        QTest::newRow("html") << "html" << int(CAbstractTetronCommand::InternalError);
        QTest::newRow("status 1") << "status:1" << int(CAbstractTetronCommand::InternalError);
        QTest::newRow("404") << "404" << int(CAbstractTetronCommand::NetworkError);
        QTest::newRow("close-mid-body") << "close-mid-body" << int(CAbstractTetronCommand::NetworkError);
        QTest::newRow("slow") << "slow" << int(CAbstractTetronCommand::Success);
        QTest::newRow("crlf") << "crlf" << int(CAbstractTetronCommand::Success);
    }

    void statusLineFaults()
    {
        QFETCH(QString, fault);
        QFETCH(int, expected);
        login();
        // Every answer has the fault: the network stack may ask once more on a new connection
        // when the camera closed one before the answer was read.
        QVERIFY(m_sim->fault("get", fault, -1));
        auto outcome = runOne(new CGetCameraInfoCommand({1, 33}));
        QCOMPARE(int(outcome->result), expected);
        if (expected == CAbstractTetronCommand::Success) {
            // Carriage returns do not spoil the values.
            QCOMPARE(outcome->values.value(1).toInt(), 80);
            QCOMPARE(outcome->values.value(33).toInt(), 1);
        } else {
            QVERIFY(outcome->values.isEmpty());
        }
        // A failed command does not block the next one.
        auto next = runOne(new CGetCameraAlertCommand());
        QCOMPARE(next->result, CAbstractTetronCommand::Success);
    }

    void crlfStatusIsStillLoginRequired()
    {
        QVERIFY(m_sim->fault("logout", "crlf"));
        auto logout = runOne(new CLogoutCommand());
        QCOMPARE(logout->result, CAbstractTetronCommand::LoginRequired);
    }

    void silentCameraEndsWithNetworkError()
    {
        login();
        m_runner->setTransferLimits({300, 300, 0, 0});
        QVERIFY(m_sim->fault("get", "no-answer"));
        auto outcome = runOne(new CGetCameraInfoCommand({1}));
        QCOMPARE(outcome->result, CAbstractTetronCommand::NetworkError);
        auto next = runOne(new CGetCameraAlertCommand());
        QCOMPARE(next->result, CAbstractTetronCommand::Success);
    }

    void alertReadFromTheThirdLineOnly()
    {
        login();
        QVERIFY(m_sim->fault("alert", "raw:0\nCamera.Menu.Alert=17\n"));
        auto twoLines = runOne(new CGetCameraAlertCommand());
        QCOMPARE(twoLines->result, CAbstractTetronCommand::Success);
        QCOMPARE(twoLines->alert, 0);
        QVERIFY(m_sim->setState(QJsonObject{{"alert", 0x11}}));
        auto real = runOne(new CGetCameraAlertCommand());
        QCOMPARE(real->alert, 0x11);
    }

    void fileListAndThumbnails()
    {
        login();
        auto list = runOne(new CGetFileInfoCommand(0, 10));
        QCOMPARE(list->result, CAbstractTetronCommand::Success);
        QCOMPARE(list->fileCount, 2);
        auto thumb = runOne(new CGetThumbnailCommand(cameraFileUrl("/SD/DCIM/100MEDIA/IMG0001.JPG")));
        QCOMPARE(thumb->result, CAbstractTetronCommand::Success);
        QVERIFY(thumb->hasImage);

        QVERIFY(m_sim->fault("thumb", "html"));
        auto notAnImage = runOne(new CGetThumbnailCommand(cameraFileUrl("/SD/DCIM/100MEDIA/IMG0001.JPG")));
        QCOMPARE(notAnImage->result, CAbstractTetronCommand::InternalError);
        auto missing = runOne(new CGetThumbnailCommand(cameraFileUrl("/SD/DCIM/100MEDIA/NONE.JPG")));
        QCOMPARE(missing->result, CAbstractTetronCommand::NetworkError);
        // A URL of another host is refused without a request.
        const int before = m_sim->routes().size();
        auto foreign = runOne(new CGetThumbnailCommand(QStringLiteral("http://127.0.0.2:1/SD/X.JPG")));
        QCOMPARE(foreign->result, CAbstractTetronCommand::InternalError);
        QCOMPARE(m_sim->routes().size(), before);

        QVERIFY(m_sim->fault("dir", "html"));
        auto broken = runOne(new CGetFileInfoCommand(0, 10));
        QCOMPARE(broken->result, CAbstractTetronCommand::InternalError);
        QCOMPARE(broken->fileCount, 0);
    }

    void abortAllCommandsAbortsQueueAndLateArrivals()
    {
        login();
        QVERIFY(m_sim->fault("get", "no-answer"));
        auto running = run(new CGetCameraInfoCommand({1}));
        // Wait until the first command is on the wire, so it is aborted in flight.
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->routes().size(), 2, 10000);
        auto queued1 = run(new CGetCameraAlertCommand());
        auto queued2 = run(new CSetCameraModeCommand(1));
        auto queued3 = run(new CDelayCommand(10));

        // A listener that reacts to an abort by enqueueing more work, as the logics do.
        std::shared_ptr<Outcome> late;
        int lateEnqueued = 0;
        auto* trigger = new CDelayCommand(10);
        connect(trigger, &CAbstractTetronCommand::finished, this, [&]() {
            if (lateEnqueued++ == 0)
                late = run(new CGetCameraAlertCommand());
        });
        m_runner->enqueueCommand(trigger);

        m_runner->abortAllCommands();
        QCOMPARE(running->result, CAbstractTetronCommand::Aborted);
        QCOMPARE(queued1->result, CAbstractTetronCommand::Aborted);
        QCOMPARE(queued2->result, CAbstractTetronCommand::Aborted);
        QCOMPARE(queued3->result, CAbstractTetronCommand::Aborted);
        QVERIFY(late);
        QCOMPARE(late->result, CAbstractTetronCommand::Aborted);
        QCOMPARE(queued1->finishedCount, 1);
        QVERIFY(m_runner->isIdle());

        // The runner works on afterwards.
        QVERIFY(m_sim->clearFaults());
        auto after = runOne(new CGetCameraAlertCommand());
        QCOMPARE(after->result, CAbstractTetronCommand::Success);
    }

    void abortDuringRepeatReportsEachCommandOnce()
    {
        QVERIFY(m_sim->fault("login", "no-answer"));
        auto info = run(new CGetCameraInfoCommand({1}));
        // get (712), then the automatic log-in hangs.
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->routes().size(), 2, 10000);
        m_runner->abortAllCommands();
        QCOMPARE(info->finishedCount, 1);
        QCOMPARE(info->result, CAbstractTetronCommand::Aborted);
        QVERIFY(m_runner->isIdle());
    }
};

QTEST_MAIN(tst_CTetronCommandRunner)
#include "tst_CTetronCommandRunner.moc"
