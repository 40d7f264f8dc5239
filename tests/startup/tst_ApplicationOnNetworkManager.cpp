// The whole program against NetworkManager (the tests' mock on a bus of the test's own), started
// and ended the way an operator does it: each case runs the application object in a process of
// its own, through its own start-up and exit, as main does (this executable with "--program").
// That process tells what the program shows on its standard output ("PROGRAM ...": its error
// messages, the start screen's note under the list of systems, ...) and takes the operator's
// steps from its standard input; the test scripts NetworkManager, freezes it as a hung one, and
// watches what is left on it and whether the process ends.

#include "CRVQLinkSimulator.h"
#include "NetworkManagerMock.h"
#include "peers/update-server/UpdateServerPeer.h"
#include "support/ApplicationScreenTest.h"
#include "support/ProgramUnderTest.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "TovrinWebApi.h"
#include "application/CSettings.h"
#include "communication/CAbstractNetworkManager.h"
#include "communication/CSessionManager.h"
#include "flavors/Flavors.h"
#include "uiengine/CUiEngine.h"
#include "wlan/PlatformWlan.h"

#include <QDBusMetaType>
#include <QGuiApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWindow>
#include <QtTest>

using namespace Ulx;

namespace {

const QString kCamera = QStringLiteral("Zephira_SN12345");
const QString kHome = QStringLiteral("HomeNet");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManagerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kThreadEnding = QStringLiteral("Ending the NetworkManager thread");

QString cameraKey()
{
    return Flavors::defaultWifiKey(CommunicationTypes::SystemFamilyZephira);
}

// Tells what the program shows (the networks and adapters it lists, its Wi-Fi state, its error
// messages, the start screen's note) and takes the operator's steps, one per line:
// "join <network>", "leave", "web" (a web request: the login's connection check),
// "choose <adapter>" (Settings, Wi-Fi interface, the adapter, Apply, on the screens),
// "store <adapter>" (the adapter written into the settings as that Apply writes it, for a list
// the screen cannot offer yet), "click <item>" (on the start screen), "connect <system>" (as
// the start screen's Connect does, for a system it does not list), "exit" (the start screen's
// Exit, which saves the settings).
class NetworkManagerDriver : public ProgramDriver
{
public:
    explicit NetworkManagerDriver(CApplication* application)
        : ProgramDriver(application)
    {
        // Behind the application's own start-up, which its constructor queued first.
        QTimer::singleShot(0, this, &NetworkManagerDriver::follow);
    }

private:
    Communication::CAbstractNetworkManager* networkManager() const
    {
        CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
        return library ? library->networkManager() : nullptr;
    }

    void follow()
    {
        Communication::CSessionManager* sessionManager = CUlxSystemsLibrary::sessionManager();
        connect(sessionManager, &Communication::CSessionManager::availableSystemsChanged, this, [sessionManager]() {
            QStringList names;
            for (const CSystemConnectionInfo& system : sessionManager->availableSystems())
                names.append(system.networkName());
            report("networks " + names.join(QLatin1Char(',')).toUtf8());
        });
        connect(sessionManager, &Communication::CSessionManager::wifiInterfacesChanged, this, [sessionManager]() {
            report("adapters " + sessionManager->queryWifiInterfaces().join(QLatin1Char(',')).toUtf8());
        });
        Communication::CAbstractNetworkManager* manager = networkManager();
        connect(manager, &Communication::CAbstractNetworkManager::stateChanged, this,
                [manager]() { report("wifi-state " + QByteArray::number(int(manager->state()))); });
        connect(CUiEngine::instance(), &CUiEngine::applicationErrorOccurred, this, [](const QString& message) {
            report("error " + QString(message).replace(QLatin1Char('\n'), QLatin1String(" | ")).toUtf8());
        });
    }

    // The start screen's note under the list of systems, whenever it changes.
    bool followWindow() override
    {
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            auto* quick = qobject_cast<QQuickWindow*>(window);
            if (!m_note && quick)
                m_note = QuickScreenDriver::findVisualItem(quick->contentItem(), QStringLiteral("startScreenListInfo"));
        }
        const QString note = m_note ? m_note->property("text").toString() : QString();
        if (note != m_lastNote) {
            m_lastNote = note;
            report("note " + note.toUtf8());
        }
        return true;
    }

    void run(const QString& step) override
    {
        if (step.startsWith(QLatin1String("join "))) {
            networkManager()->connectToWifiNetwork(step.mid(5), cameraKey());
        } else if (step == QLatin1String("leave")) {
            networkManager()->disconnectFromWifiNetwork();
        } else if (step == QLatin1String("web")) {
            application()->webApi()->login(QStringLiteral("operator"), QStringLiteral("secret"));
        } else if (step.startsWith(QLatin1String("choose "))) {
            // The screens are driven with nested waits: no further step is read meanwhile.
            setTakingSteps(false);
            const bool chosen = chooseAdapterOnTheScreens(step.mid(7));
            setTakingSteps(true);
            report(chosen ? "chosen" : "not chosen");
        } else if (step.startsWith(QLatin1String("store "))) {
            application()->settings()->setActiveWifiInterface(step.mid(6));
            report("stored");
        } else if (step.startsWith(QLatin1String("click "))) {
            setTakingSteps(false);
            QuickScreenDriver screens(QuickScreenDriver::Lookup::VisibleItems);
            screens.setWindow(ApplicationScreenTest::waitForMainWindow(kProgramStepMs));
            if (screens.window())
                screens.closeToStartScreen(); // the first start's set-up screens
            const bool clicked = screens.window() && screens.tryClick(step.mid(6));
            setTakingSteps(true);
            report((clicked ? "clicked " : "not clicked ") + step.mid(6).toUtf8());
        } else if (step.startsWith(QLatin1String("connect "))) {
            CUlxSystemsLibrary::sessionManager()->connectToSystem(step.mid(8), false);
        } else if (step == QLatin1String("exit")) {
            report("exiting");
            application()->terminate(true);
        }
    }

    bool chooseAdapterOnTheScreens(const QString& adapter)
    {
        QuickScreenDriver screens(QuickScreenDriver::Lookup::VisibleItems);
        screens.setWindow(ApplicationScreenTest::waitForMainWindow(kProgramStepMs));
        const auto shown = [&screens](const QString& name) {
            return QTest::qWaitFor([&screens, name]() { return screens.topScreenName() == name; }, kProgramStepMs);
        };
        if (!screens.window())
            return false;
        screens.closeToStartScreen();
        if (!shown(QStringLiteral("StartScreen")) || !screens.tryClick(QStringLiteral("startScreenSettingsButton"))
            || !shown(QStringLiteral("SettingsScreen")) || !screens.tryClick(QStringLiteral("settingsWifiInterface"))
            || !shown(QStringLiteral("ItemSelectionScreen")))
            return false;
        QQuickItem* list = screens.topScreen();
        const int index = list->property("items").toStringList().indexOf(adapter);
        if (index < 0)
            return false;
        list->setProperty("selectedIndex", index);
        return screens.tryClick(QStringLiteral("itemSelectionApply")) && shown(QStringLiteral("SettingsScreen"))
               && screens.tryClick(QStringLiteral("tabbedScreenApply")) && shown(QStringLiteral("StartScreen"));
    }

    QPointer<QQuickItem> m_note;
    QString m_lastNote;
};

// The program on the real Wi-Fi service, NetworkManager, whatever the test's environment names;
// what it said of its QML is kept for the test function to fail on.
class NetworkManagerProgram : public ProgramProcess
{
public:
    ~NetworkManagerProgram() override
    {
        for (const QString& line : output().split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("PROGRAM qml-message ")))
                qmlMessages().append(line.mid(20));
        }
    }

    bool start(const QStringList& environment)
    {
        QProcessEnvironment settings = QProcessEnvironment::systemEnvironment();
        settings.remove(QString::fromLatin1(Wlan::ScenarioVariable));
        return startFrom(settings, environment);
    }

    // What the programs said of their QML, for the test function to fail on.
    static QStringList& qmlMessages()
    {
        static QStringList messages;
        return messages;
    }
};

} // namespace

class tst_ApplicationOnNetworkManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void radioSwitchedOffAtStartIsSwitchedOn();
    void hungNetworkManagerHoldsNeitherWindowNorNetworkNorExit();
    void exitEndsWhileNetworkManagerHangsInACall();
    void leaveAtExitReachesNetworkManagerBehindABusyThread();
    void joinUnansweredAtExitIsEndedWhenAnswered();
    void restartOnTheCameraNetworkIsLeftAtExitBehindABusyNetworkManager();
    void adapterChosenInTheSettingsJoinsAtOnce();
    void desktopNetworkTakenUpDuringAHeldJoinIsNotTheCamera();
    void adapterChosenDuringASessionAndUnpluggedIsNamed();

private:
    // NetworkManager with wlan0 and the camera's network; wlan0's object path.
    QString startNetworkManager()
    {
        if (!m_mock.startService(m_python))
            return QString();
        const QString device = m_mock.addDevice(QStringLiteral("wlan0dev"), QStringLiteral("wlan0"));
        m_mock.addAccessPoint(device, QStringLiteral("camera"), kCamera, 80, false);
        m_mock.mock(QStringLiteral("SetNetworkKey"), {kCamera, cameraKey()});
        return device;
    }
    // A second adapter with the camera's network in reach; its object path.
    QString addAdapterInReachOfTheCamera(const QString& interfaceName)
    {
        const QString device = m_mock.addDevice(interfaceName + QStringLiteral("dev"), interfaceName);
        m_mock.addAccessPoint(device, QStringLiteral("camera") + interfaceName, kCamera, 70, false);
        return device;
    }
    QString activeConnection(const QString& device)
    {
        const auto active = m_mock.property(device, kDeviceInterface, QStringLiteral("ActiveConnection")).value<QDBusObjectPath>();
        return active.path() == QLatin1String("/") ? QString() : active.path();
    }
    // The saved connection the device runs; empty for none.
    QString joinedConnection(const QString& device)
    {
        return m_mock.property(activeConnection(device), QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                               QStringLiteral("Connection"))
            .value<QDBusObjectPath>()
            .path();
    }
    // Started, with NetworkManager taken up and the camera's network listed.
    bool startProgramOnCameraNetwork(NetworkManagerProgram* program, const QStringList& environment = {})
    {
        return program->start(environment)
               && QTest::qWaitFor([program]() { return program->said(QStringLiteral("networks ") + kCamera); },
                                  kProgramStepMs);
    }
    // NetworkManager stops inside its next answer about an access point, which the program's
    // NetworkManager thread asks for as soon as a new one is announced.
    bool freezeNetworkManagerInsideACall(const QString& device)
    {
        m_mock.mock(QStringLiteral("FreezeOnAccessPointRead"), {});
        m_mock.addAccessPoint(device, QStringLiteral("another"), QStringLiteral("Gullyrover_SN54321"), 60, false);
        return QTest::qWaitFor([this]() { return m_mock.isFrozen(); }, kProgramStepMs);
    }

    NetworkManagerMock m_mock;
    QString m_python;
};

void tst_ApplicationOnNetworkManager::initTestCase()
{
    qDBusRegisterMetaType<QMap<QString, QVariantMap>>(); // saved connections
    const QString unavailable = m_mock.prepare(&m_python);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

void tst_ApplicationOnNetworkManager::cleanup()
{
    m_mock.resume();
    const QStringList qmlMessages = std::exchange(NetworkManagerProgram::qmlMessages(), QStringList());
    QVERIFY(m_mock.stopService());
    QVERIFY2(qmlMessages.isEmpty(), qPrintable(qmlMessages.join(QLatin1Char('\n'))));
}

void tst_ApplicationOnNetworkManager::radioSwitchedOffAtStartIsSwitchedOn()
{
    QVERIFY(!startNetworkManager().isEmpty());
    m_mock.mock(QStringLiteral("SetProperty"), {kManagerPath, kManagerInterface, QStringLiteral("WirelessEnabled"),
                                                QVariant::fromValue(QDBusVariant(false))});
    // No adapter is stored yet: the start chooses one, and NetworkManager's answer comes later.
    NetworkManagerProgram program;
    QVERIFY(program.start({}));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_mock.property(kManagerPath, kManagerInterface, QStringLiteral("WirelessEnabled")).toBool(), kProgramStepMs);
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("networks ") + kCamera), kProgramStepMs);
    program.send("exit\n");
    QTRY_VERIFY_WITH_TIMEOUT(program.ended(), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    // The adapter the program took up is the one stored, as the settings screen shows it.
    QCOMPARE(program.setting(QStringLiteral("ActiveWifiInterface")).toString(), QStringLiteral("wlan0"));
}

void tst_ApplicationOnNetworkManager::hungNetworkManagerHoldsNeitherWindowNorNetworkNorExit()
{
    UpdateServerPeer server;
    if (!server.start())
        QSKIP("python3 could not start the update server");
    QVERIFY(!startNetworkManager().isEmpty());
    // NetworkManager owns its name but answers nothing, from before the start to the end.
    QVERIFY(m_mock.freeze());
    NetworkManagerProgram program;
    QVERIFY(program.start({QStringLiteral("CX_UPDATE_BASE_URL=") + server.baseUrl(),
                           QStringLiteral("CX_WEB_ROOT_URL=") + server.baseUrl() + QStringLiteral("/web/")}));
    // The window, the start's update check and a web request: none waits on NetworkManager.
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM window")), kProgramStepMs);
    QTRY_VERIFY_WITH_TIMEOUT(server.requestedPaths().contains(QStringLiteral("/version.conf")), kProgramStepMs);
    program.send("web\n");
    QTRY_VERIFY_WITH_TIMEOUT(server.requestedPaths().contains(QStringLiteral("/web/api/status")), kProgramStepMs);
    QVERIFY(m_mock.isFrozen());

    program.send("exit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.setting(QStringLiteral("Version")).toInt(), 1);
    QVERIFY(program.log().contains(QLatin1String("Ending the process at once")));
}

void tst_ApplicationOnNetworkManager::exitEndsWhileNetworkManagerHangsInACall()
{
    // The web service takes the program's requests and never answers them.
    QTcpServer silentWebService;
    QVERIFY(silentWebService.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> heldRequests;
    connect(&silentWebService, &QTcpServer::newConnection, this,
            [&]() { heldRequests.append(silentWebService.nextPendingConnection()); });
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    NetworkManagerProgram program;
    QVERIFY2(startProgramOnCameraNetwork(&program, {QStringLiteral("CX_WEB_ROOT_URL=http://127.0.0.1:%1/web/")
                                                        .arg(silentWebService.serverPort())}),
             qPrintable(program.outputTail()));
    program.send("web\n");
    QTRY_VERIFY_WITH_TIMEOUT(!heldRequests.isEmpty(), kProgramStepMs);
    QVERIFY(freezeNetworkManagerInsideACall(device));

    // Exit: the window closes, and the process ends with its settings and log written, while
    // its NetworkManager thread still waits inside the call and the web client for its answer.
    program.send("exit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QVERIFY(m_mock.isFrozen());
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.setting(QStringLiteral("ActiveWifiInterface")).toString(), QStringLiteral("wlan0"));
    const QString log = program.log();
    // The exit's steps and their times, for a look at what it waited for.
    qDebug().noquote() << log.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("Exit|Ending|ended|did not"))).join(QLatin1Char('\n'));
    QVERIFY2(log.contains(QLatin1String("The NetworkManager thread did not end in time.")), qPrintable(log.right(2000)));
    QVERIFY(log.contains(QLatin1String("WebApi worker thread ended after")));
    QVERIFY(log.trimmed().endsWith(QLatin1String("Ending the process at once: a thread still waits for NetworkManager.")));
}

void tst_ApplicationOnNetworkManager::leaveAtExitReachesNetworkManagerBehindABusyThread()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    NetworkManagerProgram program;
    QVERIFY2(startProgramOnCameraNetwork(&program), qPrintable(program.outputTail()));
    program.send(QStringLiteral("join %1\n").arg(kCamera).toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("wifi-state 2")), kProgramStepMs);
    QVERIFY(!activeConnection(device).isEmpty());

    // The NetworkManager thread is inside a call when the leave and the exit come; NetworkManager
    // answers again only once the program waits for its thread to end.
    QVERIFY(freezeNetworkManagerInsideACall(device));
    program.send("leave\nexit\n");
    QTRY_VERIFY_WITH_TIMEOUT(program.said(kThreadEnding), kProgramStepMs);
    QVERIFY(m_mock.resume());
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    QTRY_COMPARE(activeConnection(device), QString());
    QVERIFY(!program.log().contains(QLatin1String("did not end in time")));
}

void tst_ApplicationOnNetworkManager::joinUnansweredAtExitIsEndedWhenAnswered()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    NetworkManagerProgram program;
    QVERIFY2(startProgramOnCameraNetwork(&program), qPrintable(program.outputTail()));

    // The join is on its way to a NetworkManager that has stopped answering when the operator
    // leaves and exits; it answers once the program waits for its thread to end.
    QVERIFY(m_mock.freeze());
    program.send(QStringLiteral("join %1\nleave\nexit\n").arg(kCamera).toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(program.said(kThreadEnding), kProgramStepMs);
    QVERIFY(m_mock.resume());
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    // NetworkManager carried the join out (the connection is saved), and the program ended it.
    const QString settingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
    QTRY_VERIFY(!qdbus_cast<QList<QDBusObjectPath>>(
                     m_mock.call(settingsPath, QStringLiteral("org.freedesktop.NetworkManager.Settings"),
                                 QStringLiteral("ListConnections"))
                         .arguments()
                         .value(0))
                     .isEmpty());
    QTRY_COMPARE(activeConnection(device), QString());
}

void tst_ApplicationOnNetworkManager::restartOnTheCameraNetworkIsLeftAtExitBehindABusyNetworkManager()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    {
        // An earlier run joined the camera's network and ended without leaving it.
        NetworkManagerProgram earlier;
        QVERIFY2(startProgramOnCameraNetwork(&earlier), qPrintable(earlier.outputTail()));
        earlier.send(QStringLiteral("join %1\n").arg(kCamera).toUtf8());
        QTRY_VERIFY_WITH_TIMEOUT(earlier.said(QStringLiteral("wifi-state 2")), kProgramStepMs);
    }
    const QString camera = activeConnection(device);
    QVERIFY(!camera.isEmpty());

    // This run finds the tablet on the camera's network: its leave asks NetworkManager which
    // connection is active and whose it is before it ends it, behind a busy NetworkManager
    // thread and with Exit right behind it.
    NetworkManagerProgram program;
    QVERIFY2(startProgramOnCameraNetwork(&program), qPrintable(program.outputTail()));
    program.send(QStringLiteral("join %1\n").arg(kCamera).toUtf8());
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("wifi-state 2")), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(activeConnection(device), camera);
    QVERIFY(freezeNetworkManagerInsideACall(device));
    program.send("leave\nexit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(kThreadEnding), qPrintable(program.outputTail()), kProgramStepMs);
    QVERIFY(m_mock.resume());
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    QTRY_COMPARE(activeConnection(device), QString());
    QVERIFY(!program.log().contains(QLatin1String("did not end in time")));
}

void tst_ApplicationOnNetworkManager::adapterChosenInTheSettingsJoinsAtOnce()
{
    // NetworkManager runs without a Wi-Fi adapter when the program starts.
    QVERIFY(m_mock.startService(m_python));
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kCamera, cameraKey()});
    NetworkManagerProgram program;
    QVERIFY(program.start({}));
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM window")), qPrintable(program.outputTail()), kProgramStepMs);
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("NetworkManager taken up.")), qPrintable(program.outputTail()),
                              kProgramStepMs);
    program.send("store wlan1\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM stored")), qPrintable(program.outputTail()), kProgramStepMs);

    // Another adapter arrives first: the choice stays, and the chosen one is taken when it comes.
    const QString builtIn = addAdapterInReachOfTheCamera(QStringLiteral("wlan0"));
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM adapters wlan0\n")), qPrintable(program.outputTail()),
                              kProgramStepMs);
    const QString usb = addAdapterInReachOfTheCamera(QStringLiteral("wlan1"));
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("networks ") + kCamera), qPrintable(program.outputTail()),
                              kProgramStepMs);
    program.send(QStringLiteral("join %1\n").arg(kCamera).toUtf8());
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("wifi-state 2")), qPrintable(program.outputTail()), kProgramStepMs);
    QVERIFY(!activeConnection(usb).isEmpty());
    QCOMPARE(activeConnection(builtIn), QString());

    // The operator picks the other adapter on the settings screen: the next join goes through
    // it, with no restart.
    program.send("leave\nchoose wlan0\n");
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM chosen")) || program.said(QStringLiteral("PROGRAM not chosen")),
                             kProgramStepMs * 2);
    QVERIFY2(program.said(QStringLiteral("PROGRAM chosen")), qPrintable(program.outputTail()));
    QTRY_COMPARE(activeConnection(usb), QString());
    program.send(QStringLiteral("join %1\n").arg(kCamera).toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(!activeConnection(builtIn).isEmpty(), kProgramStepMs);
    QCOMPARE(activeConnection(usb), QString());

    program.send("leave\nexit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(activeConnection(builtIn), QString());
    QCOMPARE(program.setting(QStringLiteral("ActiveWifiInterface")).toString(), QStringLiteral("wlan0"));
}

void tst_ApplicationOnNetworkManager::desktopNetworkTakenUpDuringAHeldJoinIsNotTheCamera()
{
    const QString device = startNetworkManager();
    QVERIFY(!device.isEmpty());
    // The tablet's own network, saved on the desktop and joined by it whenever in reach.
    const QString homeAccessPoint = m_mock.addAccessPoint(device, QStringLiteral("home"), kHome, 90, false);
    m_mock.mock(QStringLiteral("SetNetworkKey"), {kHome, QStringLiteral("home-key")});
    const QString home = m_mock.addSavedConnection(kHome, QStringLiteral("wpa-psk"), QStringLiteral("home-key"), true);
    NetworkManagerProgram program; // no camera answers at the system's address
    QVERIFY2(startProgramOnCameraNetwork(&program, {QStringLiteral("CX_SYSTEM_ADDRESS=127.58.255.1")}),
             qPrintable(program.outputTail()));

    // NetworkManager holds the program's join; meanwhile the desktop joins its own network on
    // the same adapter.
    m_mock.mock(QStringLiteral("SetJoinsUnanswered"), {kCamera, true});
    program.send("click startScreenConnectButton_0\n");
    QTRY_VERIFY2_WITH_TIMEOUT(m_mock.mock(QStringLiteral("HeldJoins"), {}).arguments().value(0).toUInt() == 1u,
                              qPrintable(program.outputTail()), kProgramStepMs);
    m_mock.call(kManagerPath, kManagerInterface, QStringLiteral("ActivateConnection"),
                {QVariant::fromValue(QDBusObjectPath(home)), QVariant::fromValue(QDBusObjectPath(device)),
                 QVariant::fromValue(QDBusObjectPath(homeAccessPoint))});

    // Once the program has waited for its join as long as it does (30 s), the operator is told
    // that the tablet went onto another network, which stays.
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM error ")), qPrintable(program.outputTail()),
                              kProgramStepMs * 2);
    const QString error = program.lastSaid(QStringLiteral("error "));
    QVERIFY2(error.startsWith(QLatin1String("The tablet was put on another Wi-Fi network"))
                 && error.endsWith(QLatin1String("Error Code: 0x20009")),
             qPrintable(error));
    QVERIFY(!program.said(QStringLiteral("wifi-state 2")));
    QCOMPARE(joinedConnection(device), home);

    // NetworkManager gets to the join later: it is ended, and the desktop's network comes back.
    QCOMPARE(m_mock.mock(QStringLiteral("CarryOutUnansweredJoins"), {}).arguments().value(0).toUInt(), 1u);
    QTRY_VERIFY_WITH_TIMEOUT(program.log().contains(QLatin1String("after the program had given it up: it is ended.")),
                             kProgramStepMs);
    QTRY_COMPARE(joinedConnection(device), home);
    QTRY_COMPARE(program.lastSaid(QStringLiteral("wifi-state ")), QStringLiteral("0"));
    program.send("exit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
}

void tst_ApplicationOnNetworkManager::adapterChosenDuringASessionAndUnpluggedIsNamed()
{
    // A camera that never says it is ready: the session stays under way until it is ended.
    CRVQLinkSimulator camera;
    camera.setReady(false);
    QString cameraAddress;
    for (int host = 1; host < 255 && cameraAddress.isEmpty(); ++host) {
        if (camera.listen(QHostAddress(QStringLiteral("127.58.0.%1").arg(host)), 5000))
            cameraAddress = QStringLiteral("127.58.0.%1").arg(host);
    }
    QVERIFY(!cameraAddress.isEmpty());
    const QString builtIn = startNetworkManager();
    QVERIFY(!builtIn.isEmpty());
    const QString usb = addAdapterInReachOfTheCamera(QStringLiteral("wlan1"));
    NetworkManagerProgram program;
    const QStringList environment{QStringLiteral("CX_SYSTEM_ADDRESS=") + cameraAddress};
    QVERIFY2(startProgramOnCameraNetwork(&program, environment), qPrintable(program.outputTail()));
    program.send("store wlan0\nclick startScreenConnectButton_0\n");
    QTRY_VERIFY2_WITH_TIMEOUT(camera.clientCount() == 1, qPrintable(program.outputTail()), kProgramStepMs);
    QVERIFY(!joinedConnection(builtIn).isEmpty());

    // The operator picks the USB adapter during the session and unplugs it before ending it.
    program.send("choose wlan1\n");
    QTRY_VERIFY_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM chosen")), kProgramStepMs * 2);
    m_mock.mock(QStringLiteral("RemoveDevice"), {usb});
    QTRY_COMPARE_WITH_TIMEOUT(program.lastSaid(QStringLiteral("adapters ")), QStringLiteral("wlan0"), kProgramStepMs);
    program.send("click startScreenDisconnectButton\n");
    // Left through the adapter that joined; nothing is left leaving, nothing seen through it is
    // listed, and the start screen and a connect name the adapter that is missing.
    QTRY_COMPARE_WITH_TIMEOUT(joinedConnection(builtIn), QString(), kProgramStepMs);
    QTRY_COMPARE_WITH_TIMEOUT(program.lastSaid(QStringLiteral("wifi-state ")), QStringLiteral("0"), kProgramStepMs);
    const QString missing = QStringLiteral("The Wi-Fi adapter wlan1 was not found");
    QTRY_VERIFY_WITH_TIMEOUT(program.lastSaid(QStringLiteral("note ")).startsWith(missing), kProgramStepMs);
    QCOMPARE(program.lastSaid(QStringLiteral("networks ")), QString(QLatin1String("")));
    program.send(QStringLiteral("connect %1\n").arg(kCamera).toUtf8());
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("PROGRAM error ")), qPrintable(program.outputTail()), kProgramStepMs);
    const QString error = program.lastSaid(QStringLiteral("error "));
    QVERIFY2(error.startsWith(missing) && error.endsWith(QLatin1String("Error Code: 0x20008")), qPrintable(error));
    program.send("exit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);

    // Started again with the adapter still missing: named as soon as the other one is seen, and
    // taken up when it is plugged in.
    QVERIFY(program.start(environment));
    QTRY_VERIFY_WITH_TIMEOUT(program.lastSaid(QStringLiteral("note ")).startsWith(missing), kProgramStepMs);
    addAdapterInReachOfTheCamera(QStringLiteral("wlan1"));
    QTRY_VERIFY2_WITH_TIMEOUT(program.said(QStringLiteral("networks ") + kCamera), qPrintable(program.outputTail()),
                              kProgramStepMs);
    QVERIFY(!program.lastSaid(QStringLiteral("note ")).startsWith(missing));
    program.send("exit\n");
    QTRY_VERIFY2_WITH_TIMEOUT(program.ended(), qPrintable(program.outputTail()), kProgramStepMs);
    QCOMPARE(program.exitCode(), 0);
}

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--program") == 0) {
        // The test fails on a QML message of the program.
        QmlWarningGuard::watchOutsideTests(
            [](const QString& message) { ProgramDriver::report("qml-message " + message.toUtf8()); });
        return runProgram<NetworkManagerDriver>(argv[0]);
    }
    QCoreApplication application(argc, argv);
    tst_ApplicationOnNetworkManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ApplicationOnNetworkManager.moc"
