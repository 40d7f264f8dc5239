#include "communication/CSessionManager.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CAbstractNetworkManager.h"
#include "communication/CAbstractPermissionChecker.h"
#include "communication/CAbstractSystemSession.h"
#include "communication/CSessionManagerPrivate.h"
#include "communication/CSystemListMaintainer.h"
#include "flavors/Flavors.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

namespace {

CAbstractNetworkManager* networkManager()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->networkManager() : nullptr;
}

CAbstractPermissionChecker* permissionChecker()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->permissionChecker() : nullptr;
}

void logOperation(const QString& operation, const QString& text)
{
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("UlxSystemsLibrary"),
                                         QStringLiteral("[%1] %2").arg(operation, text), {});
}

} // namespace

CSessionManager::CSessionManager()
    : QObject(nullptr)
{
    d = new CSessionManagerPrivate(this);
}

CSessionManager::~CSessionManager()
{
    delete d;
    d = nullptr;
}

QStringList CSessionManager::queryWifiInterfaces() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager ? manager->queryWifiInterfaces() : QStringList();
}

QString CSessionManager::activeWifiInterface() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager ? manager->activeWifiInterface() : QString();
}

void CSessionManager::setActiveWifiInterface(const QString& interfaceName)
{
    if (d->session()) {
        logOperation(QStringLiteral("setActiveWifiInterface"),
                     QStringLiteral("%1 is taken up once the session with %2 has ended.")
                         .arg(interfaceName, d->session()->systemName()));
        d->deferWifiInterface(interfaceName);
        return;
    }
    logOperation(QStringLiteral("setActiveWifiInterface"), QStringLiteral("interface: %1").arg(interfaceName));
    CAbstractNetworkManager* manager = networkManager();
    if (!manager)
        return;
    manager->setActiveWifiInterface(interfaceName);
    emit missingWifiInterfaceChanged();
}

QString CSessionManager::missingWifiInterface() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager ? manager->missingWifiInterface() : QString();
}

bool CSessionManager::isWifiSignalStrengthAvailable() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager && manager->isWifiSignalStrengthAvailable();
}

int CSessionManager::wifiSignalStrength() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager ? manager->wifiSignalStrength() : 0;
}

bool CSessionManager::wifiAccessRestricted() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager && manager->wifiAccessRestricted();
}

bool CSessionManager::allFilesAccessRestricted() const
{
    CAbstractPermissionChecker* checker = permissionChecker();
    return checker && !checker->allFilesAccessPermitted();
}

bool CSessionManager::networkScanEnabled() const
{
    CAbstractNetworkManager* manager = networkManager();
    return manager && manager->networkScanEnabled();
}

void CSessionManager::setNetworkScanEnabled(bool enabled)
{
    if (CAbstractNetworkManager* manager = networkManager())
        manager->setNetworkScanEnabled(enabled);
}

bool CSessionManager::permissionWriteExternalStorage()
{
    CAbstractPermissionChecker* checker = permissionChecker();
    return checker && checker->permissionWriteExternalStorage();
}

bool CSessionManager::permissionAccessLocation()
{
    CAbstractPermissionChecker* checker = permissionChecker();
    return checker && checker->permissionAccessLocation();
}

void CSessionManager::openLocationSettings() const
{
    if (CAbstractPermissionChecker* checker = permissionChecker())
        checker->openLocationSettings();
}

void CSessionManager::openManageAllFilesSettings() const
{
    if (CAbstractPermissionChecker* checker = permissionChecker())
        checker->openManageAllFilesSettings();
}

QList<CSystemConnectionInfo> CSessionManager::availableSystems() const
{
    QList<CSystemConnectionInfo> systems;
    for (const QString& name : d->systemListMaintainer()->availableSystems())
        systems.append(Flavors::connectionInfoFromNetworkName(name));
    return systems;
}

CommunicationTypes::SystemType CSessionManager::connectedSystemType() const
{
    const CAbstractSystemSession* session = d->session();
    return session ? session->connectedSystemType() : CommunicationTypes::SystemTypeUnknown;
}

CommunicationTypes::ConnectionState CSessionManager::state() const
{
    const CAbstractSystemSession* session = d->session();
    return session ? session->state() : CommunicationTypes::ConnectionOffline;
}

bool CSessionManager::controlOnline() const
{
    const CAbstractSystemSession* session = d->session();
    return session && session->state() == CommunicationTypes::ConnectionOnline && !session->spectatorMode();
}

void CSessionManager::connectToSystem(const QString& systemName, bool spectatorMode)
{
    logOperation(QStringLiteral("connectToSystem"), QStringLiteral("system name: %1 ; spectatorMode: %2")
                                                        .arg(systemName, QString::number(spectatorMode ? 1 : 0)));
    if (d->session())
        return;
    d->createSession(systemName);
    if (CAbstractSystemSession* session = d->session()) {
        session->connectToSystem(systemName, spectatorMode);
        return;
    }
    // No family, no session: say so instead of leaving the caller waiting for a state change.
    Tovrin::Logging::CLogger::logMessage(
        Tovrin::Logging::CLogger::LogLevelError, QStringLiteral("UlxSystemsLibrary"),
        QStringLiteral("[connectToSystem] No system family recognises the name %1.").arg(systemName), {});
    emit communicationErrorOccurred(CommunicationTypes::CommunicationErrorCommunicatorUnsupportedSystem);
}

void CSessionManager::setSystemHideInterval(int milliseconds)
{
    d->systemListMaintainer()->setHideInterval(milliseconds);
}

void CSessionManager::disconnectFromSystem(bool shutdownSystem)
{
    logOperation(QStringLiteral("disconnectFromSystem"),
                 QStringLiteral("shutdownSystem: %1").arg(shutdownSystem ? 1 : 0));
    if (CAbstractSystemSession* session = d->session())
        session->disconnectFromSystem(shutdownSystem);
}

} // namespace Communication
} // namespace Ulx
