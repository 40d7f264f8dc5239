#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "appstart/CInspectionSystemModel.h"
#include "appstart/CStartScreenController.h"
#include "communication/CSessionManager.h"
#include "communication/CWindowsNetworkManager.h"
#include "surveyprojects/CProjectService.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/PlatformWlan.h"

#include "fakes/CStubSystemSession.h"
#include "support/LogText.h"

#include "CLogger.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Ulx;
using Wlan::CSimulatedWlan;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");
const QString kHoselux = QStringLiteral("tetron+_SN54321");

} // namespace

class tst_CStartScreenController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void modelRolesFlagsAndData();
    void modelResetsEvenWhenUnchanged();
    void controllerListsSystemsInReach();
    void connectLogsAndSetsMode();
    void disconnectKeepsModeUntilOffline();
    void failedConnectReturnsModeToNone();
    void closeProjectWithoutProjectDoesNothing();
    void closeProjectClearsRuntimeDataOnItsOwnTask();

private:
    CStubSystemSession* lastSession() const { return m_sessions.isEmpty() ? nullptr : m_sessions.last().data(); }
    Communication::CSessionManager* manager() const { return CUlxSystemsLibrary::sessionManager(); }

    std::shared_ptr<CSimulatedWlan> m_wlan;
    QList<QPointer<CStubSystemSession>> m_sessions;
    QString m_logPath;
};

void tst_CStartScreenController::init()
{
    m_logPath = QDir(QDir::tempPath()).filePath(QStringLiteral("tst_CStartScreenController.log"));
    QFile::remove(m_logPath);
    Tovrin::Logging::CLogger::setOutputFileName(m_logPath);

    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    m_wlan = Wlan::sharedSimulatedWlan();
    for (const QString& name : {kZephira, kHoselux, QStringLiteral("Office")}) {
        CSimulatedWlan::Network network;
        network.ssid = name.toUtf8();
        m_wlan->setNetwork(network); // open networks: any key joins
    }
    static_cast<Communication::CWindowsNetworkManager*>(library->networkManager())->setScanInterval(10);
    library->setSessionFactory([this, library](CommunicationTypes::SystemFamily family) -> Communication::CAbstractSystemSession* {
        if (family == CommunicationTypes::SystemFamilyUnknown)
            return nullptr;
        auto* session = new CStubSystemSession(library->networkManager(), library->permissionChecker());
        m_sessions.append(session);
        return session;
    });
}

void tst_CStartScreenController::cleanup()
{
    CUlxSystemsLibrary::finalize();
    m_sessions.clear();
    m_wlan.reset();
    Tovrin::Logging::CLogger::setOutputFileName(QString());
}

void tst_CStartScreenController::modelRolesFlagsAndData()
{
    CInspectionSystemModel model;
    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.size(), 5);
    QCOMPARE(roles.value(256), QByteArray("modelData_Display"));
    QCOMPARE(roles.value(257), QByteArray("modelData_NetworkName"));
    QCOMPARE(roles.value(258), QByteArray("modelData_FamilyName"));
    QCOMPARE(roles.value(259), QByteArray("modelData_SerialNumber"));
    QCOMPARE(roles.value(260), QByteArray("modelData_SpectatorModeSupported"));

    model.setSystems({CSystemConnectionInfo(QStringLiteral("Zephira_SN12345"), QStringLiteral("Zephira"),
                                            QStringLiteral("12345"), QStringLiteral("Zephira Display"),
                                            CommunicationTypes::SystemFamilyZephira, true)});
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex first = model.index(0);
    QCOMPARE(model.data(first, 256).toString(), QStringLiteral("Zephira Display"));
    QCOMPARE(model.data(first, 257).toString(), QStringLiteral("Zephira_SN12345"));
    QCOMPARE(model.data(first, 258).toString(), QStringLiteral("Zephira"));
    QCOMPARE(model.data(first, 259).toString(), QStringLiteral("12345"));
    QCOMPARE(model.data(first, 260).userType(), int(QMetaType::Bool));
    QCOMPARE(model.data(first, 260).toBool(), true);
    QVERIFY(!model.data(first, 255).isValid());
    QVERIFY(!model.data(first, 261).isValid());
    QVERIFY(!model.data(first, Qt::DisplayRole).isValid());
    QVERIFY(!model.data(model.index(1), 256).isValid());
    QCOMPARE(int(model.flags(first)), 161);
    QCOMPARE(int(model.flags(QModelIndex())), 161);
}

void tst_CStartScreenController::modelResetsEvenWhenUnchanged()
{
    CInspectionSystemModel model;
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setSystems({});
    model.setSystems({});
    QCOMPARE(reset.count(), 2);
}

void tst_CStartScreenController::controllerListsSystemsInReach()
{
    CStartScreenController controller(manager(), nullptr, nullptr);
    QAbstractListModel* model = controller.inspectionSystemModel();
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(controller.mediaImportSupported());
    QVERIFY(!controller.wifiAccessRestricted());
    QVERIFY(!controller.allFilesAccessRestricted());
    QVERIFY(controller.permissionAccessLocation());

    QSignalSpy scan(&controller, &CStartScreenController::networkScanEnabledChanged);
    controller.setNetworkScanEnabled(true);
    QCOMPARE(scan.count(), 1);
    QVERIFY(controller.networkScanEnabled());
    QTRY_COMPARE(model->rowCount(), 2);
    QCOMPARE(model->data(model->index(0), 257).toString(), kHoselux); // sorted without letter case
    QCOMPARE(model->data(model->index(0), 260).toBool(), false);
    QCOMPARE(model->data(model->index(1), 257).toString(), kZephira);
    QCOMPARE(model->data(model->index(1), 260).toBool(), true);
}

void tst_CStartScreenController::connectLogsAndSetsMode()
{
    CStartScreenController controller(manager(), nullptr, nullptr);
    QSignalSpy mode(&controller, &CStartScreenController::connectionModeChanged);
    controller.connectToSystem(kZephira, true);
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeSpectator);
    QCOMPARE(mode.count(), 1);
    controller.connectToSystem(kZephira, true); // same mode: no signal; the manager ignores it
    QCOMPARE(mode.count(), 1);
    QCOMPARE(m_sessions.size(), 1);
    QTRY_COMPARE(controller.connectionState(), int(CommunicationTypes::ConnectionOnline));
    QVERIFY(lastSession()->spectatorMode());

    Tovrin::Logging::CLogger::setOutputFileName(QString());
    const QString log = readLogText(m_logPath);
    QVERIFY2(log.contains(QStringLiteral("[connectToSystem] name: %1 ; spectatorMode: 1").arg(kZephira)),
             qPrintable(log.left(1500)));
    QVERIFY(log.contains(QLatin1String("GUI")));
    QVERIFY(log.contains(QLatin1String("System session state changed to: ConnectionOnline")));
}

void tst_CStartScreenController::disconnectKeepsModeUntilOffline()
{
    CStartScreenController controller(manager(), nullptr, nullptr);
    controller.connectToSystem(kZephira, false);
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeControl);
    QTRY_COMPARE(controller.connectionState(), int(CommunicationTypes::ConnectionOnline));
    lastSession()->controller().slowDisconnect = true;
    QSignalSpy mode(&controller, &CStartScreenController::connectionModeChanged);
    controller.disconnectFromSystem();
    QCOMPARE(controller.connectionState(), int(CommunicationTypes::ConnectionShuttingDown));
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeControl);
    QCOMPARE(lastSession()->controller().disconnectTypes.last(),
             Communication::CAbstractConnectionController::DisconnectTypeNormal);
    QTRY_COMPARE(controller.connectionState(), int(CommunicationTypes::ConnectionOffline));
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeNone);
    QCOMPARE(mode.count(), 1);
}

void tst_CStartScreenController::failedConnectReturnsModeToNone()
{
    CStartScreenController controller(manager(), nullptr, nullptr);
    QSignalSpy errors(&controller, &CStartScreenController::communicationErrorOccurred);
    controller.connectToSystem(QStringLiteral("Office"), false); // no family
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toInt(), int(CommunicationTypes::CommunicationErrorCommunicatorUnsupportedSystem));

    m_wlan->setJoinOutcome(kZephira.toUtf8(), CSimulatedWlan::JoinRefused);
    controller.connectToSystem(kZephira, false);
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeControl);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.last().first().toInt(), int(CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed));
    QCOMPARE(controller.connectionMode(), CStartScreenController::ConnectionModeNone);
}

void tst_CStartScreenController::closeProjectWithoutProjectDoesNothing()
{
    CSettings settings;
    CProjectService service(&settings);
    CAppRuntimeData runtimeData;
    CStartScreenController controller(manager(), &runtimeData, &service);
    QSignalSpy processing(&controller, &CStartScreenController::processingChanged);
    QSignalSpy closed(&service, &CProjectService::projectClosed);
    controller.closeProject();
    QVERIFY(!controller.processing());
    QCOMPARE(processing.count(), 0);
    QCOMPARE(closed.count(), 0);
}

void tst_CStartScreenController::closeProjectClearsRuntimeDataOnItsOwnTask()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    CSettings settings;
    CProjectService service(&settings);
    CAppRuntimeData runtimeData;
    auto project = std::make_shared<CSurveyProject>(QStringLiteral("Main street"), QStringLiteral("en"),
                                                    ProjectTypes::DistanceUnitMetric);
    runtimeData.setCurrentProject(project, folder.path() + QLatin1Char('/'));
    CStartScreenController controller(manager(), &runtimeData, &service);

    QSignalSpy processing(&controller, &CStartScreenController::processingChanged);
    controller.closeProject();
    QVERIFY(controller.processing());
    QCOMPARE(processing.count(), 1);

    // Somebody else's task: nothing changes.
    controller.onProjectClosed(987654u, project, ProjectTypes::ProjectErrorNone);
    QVERIFY(controller.processing());
    QVERIFY(runtimeData.currentProject());

    QTRY_VERIFY(!controller.processing());
    QCOMPARE(processing.count(), 2);
    QVERIFY(!runtimeData.currentProject());
    QVERIFY(!runtimeData.currentSurvey());
    QVERIFY(runtimeData.currentProjectPath().isEmpty());
}

QTEST_MAIN(tst_CStartScreenController)
#include "tst_CStartScreenController.moc"
