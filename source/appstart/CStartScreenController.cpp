#include "appstart/CStartScreenController.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "appstart/CInspectionSystemModel.h"
#include "communication/CSessionManager.h"
#include "surveyprojects/CProjectService.h"
#include "wlan/CWlanServiceStatus.h"
#include "wlan/PlatformWlan.h"

#include "CLogger.h"

#include <QCoreApplication>

namespace {

const QString kCategory = QStringLiteral("GUI");

void logLine(const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, kCategory,
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

Ulx::Communication::CSessionManager* librarySessionManager()
{
    // The library's accessors are valid only while it is initialised.
    return Ulx::CUlxSystemsLibraryPrivate::instance() ? Ulx::CUlxSystemsLibrary::sessionManager() : nullptr;
}

CApplication* application()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

} // namespace

CStartScreenController::CStartScreenController(QObject* parent)
    : CStartScreenController(librarySessionManager(), application() ? application()->appRuntimeData() : nullptr,
                             application() ? application()->projectService() : nullptr, parent)
{
}

CStartScreenController::CStartScreenController(Ulx::Communication::CSessionManager* sessionManager,
                                               CAppRuntimeData* runtimeData, CProjectService* projectService,
                                               QObject* parent)
    : QObject(parent)
    , m_sessionManager(sessionManager)
    , m_runtimeData(runtimeData)
    , m_projectService(projectService)
{
    m_model = new CInspectionSystemModel();

    using Ulx::Communication::CSessionManager;
    if (m_sessionManager) {
        connect(m_sessionManager, &CSessionManager::networkScanEnabledChanged, this,
                &CStartScreenController::networkScanEnabledChanged);
        connect(m_sessionManager, &CSessionManager::wifiAccessRestrictedChanged, this,
                &CStartScreenController::wifiAccessRestrictedChanged);
        connect(m_sessionManager, &CSessionManager::stateChanged, this,
                &CStartScreenController::onSessionManagerStateChanged);
        connect(m_sessionManager, &CSessionManager::availableSystemsChanged, this,
                &CStartScreenController::updateInspectionSystemModel);
        connect(m_sessionManager, &CSessionManager::permissionAccessLocationChanged, this,
                &CStartScreenController::permissionAccessLocationChanged);
        connect(m_sessionManager, &CSessionManager::permissionWriteExternalStorageChanged, this,
                &CStartScreenController::permissionWriteExternalStorageChanged);
        connect(m_sessionManager, &CSessionManager::allFilesAccessRestrictedChanged, this,
                &CStartScreenController::allFilesAccessRestrictedChanged);
        connect(m_sessionManager, &CSessionManager::missingWifiInterfaceChanged, this,
                &CStartScreenController::missingWifiInterfaceChanged);
        connect(m_sessionManager, &CSessionManager::communicationErrorOccurred, this,
                [this](Ulx::CommunicationTypes::CommunicationError error) {
                    emit communicationErrorOccurred(static_cast<int>(error));
                });
    }
    if (m_projectService)
        connect(m_projectService, &CProjectService::projectClosed, this, &CStartScreenController::onProjectClosed);

    // NetworkManager may come after the start: the screen's note then clears.
    connect(Ulx::Wlan::wlanServiceStatus(), &Ulx::Wlan::CWlanServiceStatus::serviceFoundChanged, this,
            &CStartScreenController::wifiServiceFoundChanged);

    updateInspectionSystemModel();
}

CStartScreenController::~CStartScreenController()
{
    delete m_model;
}

QAbstractListModel* CStartScreenController::inspectionSystemModel() const
{
    return m_model;
}

bool CStartScreenController::networkScanEnabled() const
{
    return m_sessionManager && m_sessionManager->networkScanEnabled();
}

void CStartScreenController::setNetworkScanEnabled(bool enabled)
{
    if (m_sessionManager)
        m_sessionManager->setNetworkScanEnabled(enabled);
}

bool CStartScreenController::wifiServiceFound() const
{
    return Ulx::Wlan::wlanServiceFound();
}

QString CStartScreenController::missingWifiInterface() const
{
    return m_sessionManager ? m_sessionManager->missingWifiInterface() : QString();
}

bool CStartScreenController::wifiAccessRestricted() const
{
    return m_sessionManager && m_sessionManager->wifiAccessRestricted();
}

bool CStartScreenController::allFilesAccessRestricted() const
{
    return m_sessionManager && m_sessionManager->allFilesAccessRestricted();
}

bool CStartScreenController::permissionAccessLocation() const
{
    return m_sessionManager && m_sessionManager->permissionAccessLocation();
}

bool CStartScreenController::permissionWriteExternalStorage() const
{
    return m_sessionManager && m_sessionManager->permissionWriteExternalStorage();
}

int CStartScreenController::connectionState() const
{
    return m_sessionManager ? static_cast<int>(m_sessionManager->state())
                            : static_cast<int>(Ulx::CommunicationTypes::ConnectionOffline);
}

void CStartScreenController::updateInspectionSystemModel()
{
    m_model->setSystems(m_sessionManager ? m_sessionManager->availableSystems() : QList<Ulx::CSystemConnectionInfo>());
}

void CStartScreenController::onSessionManagerStateChanged()
{
    if (m_sessionManager && m_sessionManager->state() == Ulx::CommunicationTypes::ConnectionOffline)
        setConnectionMode(ConnectionModeNone);
    emit connectionStateChanged();
}

void CStartScreenController::connectToSystem(const QString& name, bool spectatorMode)
{
    logLine(QStringLiteral("connectToSystem"),
            QStringLiteral("name: %1 ; spectatorMode: %2").arg(name, QString::number(spectatorMode ? 1 : 0)));
    setConnectionMode(spectatorMode ? ConnectionModeSpectator : ConnectionModeControl);
    if (m_sessionManager)
        m_sessionManager->connectToSystem(name, spectatorMode);
}

void CStartScreenController::disconnectFromSystem()
{
    logLine(QStringLiteral("disconnectFromSystem"), QStringLiteral("CStartScreenController::disconnectFromSystem"));
    if (m_sessionManager)
        m_sessionManager->disconnectFromSystem(false);
}

void CStartScreenController::openLocationSettings()
{
    if (m_sessionManager)
        m_sessionManager->openLocationSettings();
}

void CStartScreenController::openManageAllFilesSettings()
{
    if (m_sessionManager)
        m_sessionManager->openManageAllFilesSettings();
}

void CStartScreenController::closeProject()
{
    if (!m_runtimeData || !m_projectService)
        return;
    const SurveyProjectPtr project = m_runtimeData->currentProject();
    if (!project)
        return;
    setProcessing(true);
    m_closeTaskId = m_projectService->closeProject(project);
}

void CStartScreenController::onProjectClosed(uint taskId, SurveyProjectPtr project, ProjectTypes::ProjectError error)
{
    Q_UNUSED(project)
    Q_UNUSED(error)
    if (taskId != m_closeTaskId || m_closeTaskId == 0)
        return;
    m_closeTaskId = 0;
    setProcessing(false);
    if (m_runtimeData) {
        m_runtimeData->setCurrentSurvey(SurveyPtr());
        m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());
    }
}

void CStartScreenController::terminateApp()
{
    if (CApplication* app = application())
        app->terminate(true);
    else
        QCoreApplication::quit();
}

void CStartScreenController::setConnectionMode(ConnectionMode mode)
{
    if (mode == m_connectionMode)
        return;
    m_connectionMode = mode;
    emit connectionModeChanged();
}

void CStartScreenController::setProcessing(bool processing)
{
    if (processing == m_processing)
        return;
    m_processing = processing;
    emit processingChanged();
}
