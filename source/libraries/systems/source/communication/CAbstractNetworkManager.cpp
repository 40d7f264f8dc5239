#include "communication/CAbstractNetworkManager.h"

#include "communication/CommunicationTypes.h"

#include "CLogger.h"

namespace Ulx {
namespace Communication {

CAbstractNetworkManager::CAbstractNetworkManager(QObject* parent)
    : QObject(parent)
{
}

CAbstractNetworkManager::~CAbstractNetworkManager() = default;

void CAbstractNetworkManager::notifyConnectionFailed()
{
    failConnectionWith(CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
}

void CAbstractNetworkManager::failConnectionWith(CommunicationTypes::CommunicationError cause)
{
    m_connectionFailure = cause;
    emit connectionFailed();
}

void CAbstractNetworkManager::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    Tovrin::Logging::CLogger::logMessage(
        Tovrin::Logging::CLogger::LogLevelInfo, QStringLiteral("NetworkManager"),
        QStringLiteral("Network Manager state changed to: %1").arg(CommunicationTypes::keyName(state)), {});
    emit stateChanged();
}

} // namespace Communication
} // namespace Ulx
