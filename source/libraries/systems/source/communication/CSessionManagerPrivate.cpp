#include "communication/CSessionManagerPrivate.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CAbstractNetworkManager.h"
#include "communication/CAbstractPermissionChecker.h"
#include "communication/CAbstractSystemSession.h"
#include "communication/CSessionManager.h"
#include "communication/CSystemListMaintainer.h"
#include "flavors/Flavors.h"

namespace Ulx {
namespace Communication {

CSessionManagerPrivate::CSessionManagerPrivate(CSessionManager* manager)
    : QObject(nullptr)
    , q(manager)
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    CAbstractNetworkManager* networkManager = library ? library->networkManager() : nullptr;
    CAbstractPermissionChecker* permissionChecker = library ? library->permissionChecker() : nullptr;

    m_systemListMaintainer = new CSystemListMaintainer(networkManager);
    if (networkManager) {
        connect(networkManager, &CAbstractNetworkManager::networkScanEnabledChanged, q,
                &CSessionManager::networkScanEnabledChanged);
        connect(networkManager, &CAbstractNetworkManager::wifiInterfacesChanged, q,
                &CSessionManager::wifiInterfacesChanged);
        connect(networkManager, &CAbstractNetworkManager::wifiInterfacesChanged, q,
                &CSessionManager::missingWifiInterfaceChanged);
        connect(networkManager, &CAbstractNetworkManager::signalStrengthChanged, q,
                &CSessionManager::wifiSignalStrengthChanged);
        connect(networkManager, &CAbstractNetworkManager::wifiAccessRestrictedChanged, q,
                &CSessionManager::wifiAccessRestrictedChanged);
    }
    if (permissionChecker) {
        connect(permissionChecker, &CAbstractPermissionChecker::permissionAccessLocationChanged, q,
                &CSessionManager::permissionAccessLocationChanged);
        connect(permissionChecker, &CAbstractPermissionChecker::permissionWriteExternalStorageChanged, q,
                &CSessionManager::permissionWriteExternalStorageChanged);
    }
    connect(m_systemListMaintainer, &CSystemListMaintainer::availableSystemsChanged, q,
            &CSessionManager::availableSystemsChanged);
    if (permissionChecker) {
        connect(permissionChecker, &CAbstractPermissionChecker::allFilesAccessRestrictedChanged, q,
                &CSessionManager::allFilesAccessRestrictedChanged);
    }
}

CSessionManagerPrivate::~CSessionManagerPrivate()
{
    // Program exit while connected: the session and its logics point at the network manager,
    // the streamer logic and the storages, which the library deletes right after this object.
    // Take its logics out of the library, let it sign off and delete it now, not on a later
    // event-loop turn that would find those objects gone.
    if (m_session) {
        CAbstractSystemSession* session = m_session;
        m_session = nullptr;
        disconnect(session, nullptr, this, nullptr);
        disconnect(session, nullptr, q, nullptr);
        if (CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance())
            library->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        session->disconnectFromSystem(false);
        delete session;
    }
    for (const QPointer<CAbstractSystemSession>& retired : qAsConst(m_retiredSessions))
        delete retired.data();
    m_retiredSessions.clear();
    delete m_systemListMaintainer;
}

void CSessionManagerPrivate::createSession(const QString& systemName)
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    if (!library)
        return;
    const CommunicationTypes::SystemFamily family = Flavors::systemFamilyFromNetworkName(systemName);
    delete m_session;
    m_session = library->createSystemSession(family);
    if (!m_session)
        return;
    connect(m_session, &CAbstractSystemSession::stateChanged, this, &CSessionManagerPrivate::onSessionStateChanged);
    connect(m_session, &CAbstractSystemSession::errorOccurred, q, &CSessionManager::communicationErrorOccurred);
}

void CSessionManagerPrivate::deferWifiInterface(const QString& interfaceName)
{
    m_deferredWifiInterface = interfaceName;
    m_wifiInterfaceDeferred = true;
}

void CSessionManagerPrivate::onSessionStateChanged()
{
    if (!m_session)
        return;
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    switch (m_session->state()) {
    case CommunicationTypes::ConnectionOffline:
        if (library) {
            library->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
            library->resetStorages();
        }
        if (m_session->shutdownSystem())
            m_systemListMaintainer->hideSystem(m_session->systemName());
        retireSession();
        if (m_wifiInterfaceDeferred) {
            m_wifiInterfaceDeferred = false;
            q->setActiveWifiInterface(m_deferredWifiInterface);
        }
        break;
    case CommunicationTypes::ConnectionOnline:
        if (library) {
            library->installLogics(m_session->remoteMediaCaptureLogic(), m_session->remoteMediaStorageLogic(),
                                   m_session->videoStreamConfigLogic(), m_session->commandFactory(),
                                   m_session->videoOverlayLogic());
        }
        emit q->controlOnlineChanged();
        emit q->connectedSystemTypeChanged();
        break;
    default:
        break;
    }
    emit q->stateChanged();
}

void CSessionManagerPrivate::retireSession()
{
    CAbstractSystemSession* session = m_session;
    m_session = nullptr;
    // The error relay stays: a session reports its error right after it has gone offline.
    disconnect(session, nullptr, this, nullptr);
    m_retiredSessions.removeAll(QPointer<CAbstractSystemSession>());
    m_retiredSessions.append(session);
    session->deleteLater();
}

} // namespace Communication
} // namespace Ulx
