#include "communication/CAbstractSystemSession.h"

#include "communication/CAbstractConnectionController.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

CAbstractSystemSession::CAbstractSystemSession(CAbstractNetworkManager* networkManager,
                                               CAbstractPermissionChecker* permissionChecker,
                                               Multimedia::CRTSPVideoStreamerLogic* videoStreamerLogic)
    : QObject(nullptr)
    , m_networkManager(networkManager)
    , m_permissionChecker(permissionChecker)
    , m_videoStreamerLogic(videoStreamerLogic)
{
}

CAbstractSystemSession::~CAbstractSystemSession() = default;

void CAbstractSystemSession::connectToSystem(const QString& name, bool spectatorMode)
{
    if (m_state != CommunicationTypes::ConnectionOffline)
        return;
    m_systemName = name;
    m_spectatorMode = spectatorMode;
    m_shutdownSystem = false;
}

void CAbstractSystemSession::disconnectFromSystem(bool shutdownSystem)
{
    m_shutdownSystem = shutdownSystem;
}

CommunicationTypes::SystemType CAbstractSystemSession::connectedSystemType() const
{
    const CAbstractConnectionController* controller = connectionController();
    return controller ? controller->systemType() : CommunicationTypes::SystemTypeUnknown;
}

void CAbstractSystemSession::setState(CommunicationTypes::ConnectionState state)
{
    if (state == m_state)
        return;
    Tovrin::Logging::CLogger::logMessage(
        Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("SystemSession"),
        QStringLiteral("System session state changed to: %1").arg(CommunicationTypes::keyName(state)), {});
    m_state = state;
    emit stateChanged();
}

} // namespace Communication
} // namespace Ulx
