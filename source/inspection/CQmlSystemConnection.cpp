#include "inspection/CQmlSystemConnection.h"

#include "communication/CSessionManager.h"
#include "inspection/QmlFacadeWrapping.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Communication::CSessionManager;

CQmlSystemConnection::CQmlSystemConnection(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this, {{"errorOccurred", "communicationErrorOccurred"}});
}

CQmlSystemConnection::~CQmlSystemConnection() = default;

Ulx::CommunicationTypes::ConnectionState CQmlSystemConnection::state() const
{
    return read(m_facade, &Facade::state);
}

Ulx::CommunicationTypes::SystemType CQmlSystemConnection::connectedSystemType() const
{
    return read(m_facade, &Facade::connectedSystemType);
}

bool CQmlSystemConnection::controlOnline() const
{
    return read(m_facade, &Facade::controlOnline);
}

int CQmlSystemConnection::wifiSignalStrength() const
{
    return read(m_facade, &Facade::wifiSignalStrength);
}

bool CQmlSystemConnection::wifiSignalStrengthAvailable() const
{
    return read(m_facade, &Facade::isWifiSignalStrengthAvailable);
}

void CQmlSystemConnection::close(bool shutdownSystem)
{
    if (m_facade)
        m_facade->disconnectFromSystem(shutdownSystem);
}
