// The HX connection controller with its query logic on the camera simulator: the connect
// sequence and configuration corrections, what lands in the storages, the poll, alert bits,
// recording time, and the ways a connection ends.

#include "CameraSimulator.h"
#include "FakeStorageProvider.h"
#include "LogCapture.h"

#include "hx/CHXConnectionController.h"
#include "hx/CHXQueryLogic.h"
#include "hx/CTetronCommandRunner.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Communication;
using Ulx::RemoteMediaTypes;
using State = CAbstractConnectionController::State;

namespace {
// A poll interval no run of these tests reaches, however loaded the machine: only the polls a
// test asks for are sent.
constexpr int NoPoll = 3600000;

// As the camera answers the connect sequence's queries, in their order.
const QByteArray kConnectAnswers[] = {
    "0\nOK\nCamera.Record.Total=0\nCamera.MBytes.Remaining=2027\nCamera.Menu.UIMode=CAMERA\n"
    "Camera.Menu.Alert=0\nCamera.Battery.Level=57\n",
    "0\nOK\nCamera.Menu.FWversion=HX-9.9\n",
    "0\nOK\nCamera.Menu.Flicker=50Hz\nCamera.Menu.VideoRes=1080P60\nCamera.Menu.LoopingVideo=OFF\n"
    "Camera.Menu.ImageRes=3MP\n"};
} // namespace

class tst_CHXConnectionController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<FakeStorageProvider> m_provider;
    std::unique_ptr<CHXConnectionController> m_controller;

    Multimedia::CRemoteMediaDataStorage* media() { return m_provider->remoteMediaDataStorage(); }

    QStringList setValues(const QString& property)
    {
        QStringList values;
        const QList<QJsonObject> sets = m_sim->requestsTo("set");
        for (const QJsonObject& request : sets) {
            const QUrlQuery query(request.value("query").toString());
            if (query.queryItemValue("property") == property)
                values.append(query.queryItemValue("value"));
        }
        return values;
    }

    bool connectAndWait()
    {
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        return QTest::qWaitFor([&]() { return m_controller->state() == CAbstractConnectionController::StateConnected; },
                               15000);
    }

    bool waitDisconnected()
    {
        return QTest::qWaitFor(
            [&]() { return m_controller->state() == CAbstractConnectionController::StateDisconnected; }, 15000);
    }

private slots:
    void initTestCase()
    {
        CAbstractConnectionController::registerMetaTypes();
    }

    void init()
    {
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        m_provider = std::make_unique<FakeStorageProvider>();
        m_controller = std::make_unique<CHXConnectionController>(m_provider.get());
    }

    void cleanup()
    {
        m_controller.reset();
        m_provider.reset();
        m_sim.reset();
    }

    void connectSequenceCorrectsTheVideoResolution()
    {
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        QVERIFY(connectAndWait());
        QVERIFY(m_controller->controlOnline());
        QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeHoselux);
        QCOMPARE(errors.count(), 0);
        const QStringList routes = m_sim->routes();
        QCOMPARE(routes.mid(0, 7), QStringList({"logout", "login", "alert", "get", "get", "get", "set"}));
        QCOMPARE(setValues("Videores"), QStringList({"1440P30"}));
        QVERIFY(QRegularExpression("^\\d{4}\\$\\d{2}\\$\\d{2}\\$\\d{2}\\$\\d{2}\\$\\d{2}$")
                    .match(setValues("TimeSettings").value(0))
                    .hasMatch());

        QCOMPARE(media()->captureMode(), RemoteMediaTypes::CaptureModeVideo);
        QCOMPARE(media()->videoCaptureConfig(), MultimediaTypes::VideoConfig1440P30FPS);
        QCOMPARE(media()->photoCaptureResolution(), MultimediaTypes::PhotoResolution8MP);
        QCOMPARE(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageReady);
        QCOMPARE(media()->availableSize(), qint64(2027) * 1048576);
        // 2027 MiB at 1440p30: 1048.576 s, rounded to 1049 s.
        QCOMPARE(media()->availableVideoRecordingTime(), RemoteMediaTypes::RecordingTime(1049000));
        QCOMPARE(m_provider->systemDataStorage()->batteryPower(), quint8(80));
        QCOMPARE(m_provider->systemDataStorage()->softwareVersion(), QStringLiteral("HX-1.4.2"));
        QCOMPARE(m_provider->systemDataStorage()->cameraTemperatureState(), SystemTypes::TemperatureStateOK);
    }

    void supportedVideoNeedsNoCorrection()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"videores", "720P30"}}));
        QVERIFY(connectAndWait());
        QVERIFY(setValues("Videores").isEmpty());
        QCOMPARE(media()->videoCaptureConfig(), MultimediaTypes::VideoConfig720P30FPS);
        QCOMPARE(media()->availableVideoRecordingTime(),
                 RemoteMediaTypes::RecordingTime(CHXQueryLogic::availableRecordingTime(qint64(2027) * 1048576, false)));
    }

    void photoModeIsSetTo3MP()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"mode", "CAMERA"}, {"imageres", "8MP"}}));
        QVERIFY(connectAndWait());
        QCOMPARE(setValues("Imageres"), QStringList({"3MP"}));
        QVERIFY(setValues("Videores").isEmpty());
        QCOMPARE(media()->photoCaptureResolution(), MultimediaTypes::PhotoResolution3MP);
    }

    void unknownModeBecomesVideoThenIsChecked()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"mode", "SETTING"}}));
        QVERIFY(connectAndWait());
        QCOMPARE(setValues("UIMode"), QStringList({"VIDEO"}));
        QCOMPARE(setValues("Videores"), QStringList({"1440P30"}));
        QCOMPARE(media()->captureMode(), RemoteMediaTypes::CaptureModeVideo);
    }

    void loginNotAvailableIsWriteAccessDenied()
    {
        LogCapture log;
        QVERIFY(m_sim->setState(QJsonObject{{"login_available", false}}));
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        QVERIFY(waitDisconnected());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<CAbstractConnectionController::Error>(),
                 CAbstractConnectionController::ErrorWriteAccessDenied);
        QVERIFY(!m_controller->controlOnline());
        QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeUnknown);
        QCOMPARE(log.count("onLogicErrorOccurred StateConnecting LoginNotAvailable"), 1);
        // Nothing after the failed log-in was sent.
        QCOMPARE(m_sim->routes(), QStringList({"logout", "login"}));
    }

    void silentCameraIsAConnectionError()
    {
        m_controller->runner()->setTransferLimits({300, 300, 0, 0});
        QVERIFY(m_sim->fault("login", "no-answer"));
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        QVERIFY(waitDisconnected());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<CAbstractConnectionController::Error>(),
                 CAbstractConnectionController::ErrorConnection);
    }

    void garbledAnswerWhileConnectingIsInternal()
    {
        QVERIFY(m_sim->fault("alert", "html"));
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        QVERIFY(waitDisconnected());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<CAbstractConnectionController::Error>(),
                 CAbstractConnectionController::ErrorInternal);
        // The aborted rest of the sequence queued no corrections.
        QVERIFY(m_sim->requestsTo("set").isEmpty());
    }

    // An answer without a length that the camera's close cuts at a chosen point, in the status,
    // version or settings answer of the connect sequence: no value of it is shown, and nothing is
    // set on the camera because of it. A cut inside a line fails the connection; one at a line's
    // end is a camera leaving the rest out, which connects without checking what it left out.
    void cutAnswersWhileConnectingShowAndSetNothing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("cut");
        for (int answer = 0; answer < 3; ++answer) {
            const QByteArray& body = kConnectAnswers[answer];
            // After the status line, at every line end and inside each value.
            QVector<int> cuts = {2};
            for (int at = body.indexOf("\nCamera"); at >= 0; at = body.indexOf("\nCamera", at + 1)) {
                const int equals = body.indexOf('=', at);
                cuts << at + 1 << equals + 1 << body.indexOf('\n', equals) - 1;
            }
            cuts << body.size() - 1;
            for (const int cut : qAsConst(cuts))
                QTest::addRow("answer %d cut at %d", answer, cut) << answer << cut;
        }
    }

    void cutAnswersWhileConnectingShowAndSetNothing()
    {
        QFETCH(int, answer);
        QFETCH(int, cut);
        QVERIFY(m_sim->setState(QJsonObject{{"mode", "CAMERA"}, {"imageres", "3MP"}, {"battery", 57}, {"firmware", "HX-9.9"}}));
        QJsonArray rules;
        if (answer > 0)
            rules.append(QJsonObject{{"fault", "whole"}, {"count", answer}});
        rules.append(QJsonObject{{"fault", QStringLiteral("cut:%1").arg(cut)}, {"count", 1}});
        QVERIFY(m_sim->setFaults(QJsonObject{{"get", rules}}));
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        const bool cutInsideALine = kConnectAnswers[answer].at(cut - 1) != '\n';
        QVERIFY(cutInsideALine ? waitDisconnected()
                               : QTest::qWaitFor([&]() { return m_controller->state() == CAbstractConnectionController::StateConnected; },
                                                 15000));
        QCOMPARE(errors.count(), cutInsideALine ? 1 : 0);
        QVERIFY(m_sim->requestsTo("get").size() >= answer + 1);
        for (const char* setting : {"UIMode", "VideoRes", "ImageRes"})
            QVERIFY2(setValues(setting).isEmpty(), setting);
        const quint8 battery = m_provider->systemDataStorage()->batteryPower();
        if (!cutInsideALine) {
            // Connected: what is shown is the camera's own or nothing.
            QVERIFY(battery == 0 || battery == 57);
            QVERIFY(media()->captureMode() == RemoteMediaTypes::CaptureModeInvalid
                    || media()->captureMode() == RemoteMediaTypes::CaptureModePhoto);
            QVERIFY(media()->photoCaptureResolution() == MultimediaTypes::PhotoResolutionUnknown
                    || media()->photoCaptureResolution() == MultimediaTypes::PhotoResolution3MP);
            return;
        }
        // What an earlier whole answer brought, or nothing.
        QVERIFY2(battery == (answer > 0 ? 57 : 0), qPrintable(QString::number(battery)));
        QCOMPARE(media()->captureMode(), answer > 0 ? RemoteMediaTypes::CaptureModePhoto : RemoteMediaTypes::CaptureModeInvalid);
        QCOMPARE(m_provider->systemDataStorage()->softwareVersion(), answer > 1 ? QStringLiteral("HX-9.9") : QString());
        QCOMPARE(media()->photoCaptureResolution(), MultimediaTypes::PhotoResolutionUnknown);
    }

    // A poll's answer cut by a close, or a value line without its value: the battery shown
    // stays what the camera last told whole.
    void cutPollAnswersShowNoValue_data()
    {
        QTest::addColumn<QString>("fault");
        // "0\nOK\nCamera.Battery.Level=33\n": after a line, after the "=", inside the value.
        for (const int cut : {2, 5, 26, 27, 28})
            QTest::addRow("cut at %d", cut) << QStringLiteral("cut:%1").arg(cut);
        QTest::newRow("no value") << QStringLiteral("raw:0\nOK\nCamera.Battery.Level=\n");
    }

    void cutPollAnswersShowNoValue()
    {
        QFETCH(QString, fault);
        m_controller->queryLogic()->setPollInterval(NoPoll);
        QVERIFY(m_sim->setState(QJsonObject{{"battery", 57}}));
        QVERIFY(connectAndWait());
        QTRY_VERIFY_WITH_TIMEOUT(m_controller->runner()->isIdle(), 10000);
        QCOMPARE(m_provider->systemDataStorage()->batteryPower(), quint8(57));
        QVERIFY(m_sim->setState(QJsonObject{{"battery", 33}}));
        QVERIFY(m_sim->fault("get", fault));
        QVERIFY(m_sim->clearLog());
        m_controller->queryLogic()->poll();
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->queryLogic()->infoQueryPending(), 10000);
        QCOMPARE(m_provider->systemDataStorage()->batteryPower(), quint8(57));
    }

    void pollReadsAlertAndBattery()
    {
        m_controller->queryLogic()->setPollInterval(20);
        QVERIFY(connectAndWait());
        QVERIFY(m_controller->queryLogic()->pollTimerActive());
        QVERIFY(m_sim->setState(QJsonObject{{"alert", 0x11}, {"battery", 42}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_provider->systemDataStorage()->batteryPower(), quint8(42), 10000);
        // 0x10 wins over 0x01.
        QTRY_COMPARE_WITH_TIMEOUT(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageNotAvailable, 10000);
        QVERIFY(m_sim->setState(QJsonObject{{"alert", 0x02}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_provider->systemDataStorage()->cameraTemperatureState(),
                                  SystemTypes::TemperatureStateTooHigh, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageReady, 10000);
        // The free size is read while recording only (and on storage changes).
        QVERIFY(m_sim->setState(QJsonObject{{"recording", true}, {"mbytes", 100}}));
        QTRY_COMPARE_WITH_TIMEOUT(media()->captureState(), RemoteMediaTypes::CaptureRunning, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(media()->availableSize(), qint64(100) * 1048576, 10000);
    }

    void pollSkipsQueriesStillPending()
    {
        m_controller->queryLogic()->setPollInterval(NoPoll);
        QVERIFY(connectAndWait());
        CHXQueryLogic* logic = m_controller->queryLogic();
        QTRY_VERIFY_WITH_TIMEOUT(m_controller->runner()->isIdle(), 10000);
        QVERIFY(m_sim->fault("alert", "no-answer"));
        QVERIFY(m_sim->clearLog());
        logic->poll();
        QVERIFY(logic->alertQueryPending() && logic->infoQueryPending());
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->routes(), QStringList({"alert"}), 10000);
        QCOMPARE(m_controller->runner()->queuedCommandCount(), 1); // the info query waits
        logic->poll();
        logic->poll();
        QCOMPARE(m_controller->runner()->queuedCommandCount(), 1);
    }

    void pollSendsOnlyWhatIsNotPending()
    {
        m_controller->queryLogic()->setPollInterval(NoPoll);
        QVERIFY(connectAndWait());
        CHXQueryLogic* logic = m_controller->queryLogic();
        QTRY_VERIFY_WITH_TIMEOUT(m_controller->runner()->isIdle(), 10000);
        QVERIFY(m_sim->fault("get", "no-answer"));
        QVERIFY(m_sim->clearLog());
        logic->poll();
        // The alert query is answered, the info query hangs: the next poll asks the alert only.
        QTRY_VERIFY_WITH_TIMEOUT(!logic->alertQueryPending() && logic->infoQueryPending(), 10000);
        logic->poll();
        QVERIFY(logic->alertQueryPending());
        QCOMPARE(m_controller->runner()->queuedCommandCount(), 1);
    }

    void failedPollDisconnectsWithoutError()
    {
        m_controller->queryLogic()->setPollInterval(20);
        QVERIFY(m_sim->setState(QJsonObject{{"alert", 0x01}}));
        QVERIFY(connectAndWait());
        QCOMPARE(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageFull);
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        QVERIFY(m_sim->fault("alert", "status:1"));
        QVERIFY(waitDisconnected());
        QCOMPARE(errors.count(), 0);
        QCOMPARE(m_sim->routes().last(), QStringLiteral("logout"));
        QVERIFY(!m_controller->controlOnline());
        // No aborted alert query was taken for "all clear".
        QCOMPARE(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageFull);
    }

    void abortedAlertQueryChangesNothing()
    {
        QVERIFY(m_sim->setState(QJsonObject{{"alert", 0x21}}));
        m_controller->queryLogic()->setPollInterval(NoPoll);
        QVERIFY(connectAndWait());
        QCOMPARE(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageFull);
        QTRY_VERIFY_WITH_TIMEOUT(m_controller->runner()->isIdle(), 10000);
        QVERIFY(m_sim->fault("alert", "no-answer"));
        QVERIFY(m_sim->clearLog());
        m_controller->queryLogic()->poll();
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->routes(), QStringList({"alert"}), 10000);
        // The disconnect aborts the alert query in flight: that is no "all clear".
        m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
        QVERIFY(waitDisconnected());
        QCOMPARE(media()->mediaStorageState(), RemoteMediaTypes::MediaStorageFull);
    }

    void expiredCameraSessionLogsInAgain()
    {
        m_controller->queryLogic()->setPollInterval(20);
        QVERIFY(connectAndWait());
        // The log is cleared first: the 20 ms poll may log in again while the expiry is still
        // being answered.
        QVERIFY(m_sim->clearLog());
        QVERIFY(m_sim->expireSessions());
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->routes().contains("login"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(([this] {
                                     const QStringList routes = m_sim->routes();
                                     return routes.mid(routes.lastIndexOf("login")).count("alert") >= 2;
                                 }()),
                                 10000);
        QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnected);
    }

    void normalDisconnectLogsOut()
    {
        m_controller->queryLogic()->setPollInterval(NoPoll);
        QVERIFY(connectAndWait());
        QVERIFY(m_sim->clearLog());
        QSignalSpy states(m_controller.get(), &CAbstractConnectionController::stateChanged);
        m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
        QCOMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnecting);
        QVERIFY(waitDisconnected());
        QCOMPARE(m_sim->routes(), QStringList({"logout"}));
        QCOMPARE(m_sim->state().value("sessions").toInt(), 0);
        m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
        QCOMPARE(states.count(), 2); // nothing more when already disconnected
    }

    void abortWhenDisconnected()
    {
        QSignalSpy states(m_controller.get(), &CAbstractConnectionController::stateChanged);
        m_controller->abortConnection();
        QCOMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnecting);
        QVERIFY(waitDisconnected());
        QCOMPARE(states.count(), 2);
    }

    void abortWhileConnecting()
    {
        QVERIFY(m_sim->fault("get", "no-answer"));
        QSignalSpy errors(m_controller.get(), &CAbstractConnectionController::errorOccurred);
        m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->routes().contains("get"), 10000);
        m_controller->abortConnection();
        QVERIFY(waitDisconnected());
        QCOMPARE(errors.count(), 0);
        QVERIFY(m_controller->runner()->isIdle());
        QVERIFY(m_sim->requestsTo("set").isEmpty());
    }

    void recordingTimeCounts()
    {
        m_controller->queryLogic()->setRecordingTick(10);
        media()->setCaptureMode(RemoteMediaTypes::CaptureModeVideo);
        media()->setCaptureState(RemoteMediaTypes::CaptureRunning);
        QTRY_VERIFY_WITH_TIMEOUT(media()->videoRecordingTime() >= 3000, 10000);
        QCOMPARE(media()->videoRecordingTime() % 1000, 0u);
        media()->setCaptureState(RemoteMediaTypes::CaptureStopped);
        QCOMPARE(media()->videoRecordingTime(), 0u);
        QVERIFY(!m_controller->queryLogic()->recordingTimerActive());
        // Photos do not count.
        media()->setCaptureMode(RemoteMediaTypes::CaptureModePhoto);
        media()->setCaptureState(RemoteMediaTypes::CaptureRunning);
        QVERIFY(!m_controller->queryLogic()->recordingTimerActive());
    }

    void availableRecordingTimeRounding()
    {
        QCOMPARE(CHXQueryLogic::availableRecordingTime(0, true), 0u);
        QCOMPARE(CHXQueryLogic::availableRecordingTime(qint64(2027) * 1048576, true), 1049000u);
        QCOMPARE(CHXQueryLogic::availableRecordingTime(1522700 / 2, false), 1000u); // a half rounds up
        QCOMPARE(CHXQueryLogic::availableRecordingTime(-5, false), 0u);
    }
};

QTEST_MAIN(tst_CHXConnectionController)
#include "tst_CHXConnectionController.moc"
