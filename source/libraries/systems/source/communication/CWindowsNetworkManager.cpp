#include "communication/CWindowsNetworkManager.h"

namespace Ulx {
namespace Communication {

CWindowsNetworkManager::CWindowsNetworkManager(QObject* parent)
    : CAbstractNetworkManager(parent)
{
}

CWindowsNetworkManager::~CWindowsNetworkManager() = default;

bool CWindowsNetworkManager::isWifiSignalStrengthAvailable() const
{
    return true;
}

bool CWindowsNetworkManager::wifiAccessRestricted() const
{
    return false;
}

bool CWindowsNetworkManager::wifiEnabled() const
{
    return false;
}

void CWindowsNetworkManager::setWifiEnabled(bool enabled)
{
    Q_UNUSED(enabled)
}

bool CWindowsNetworkManager::networkScanEnabled() const
{
    return false;
}

void CWindowsNetworkManager::setNetworkScanEnabled(bool enabled)
{
    Q_UNUSED(enabled)
}

QString CWindowsNetworkManager::connectedNetworkName() const
{
    return QString();
}

QStringList CWindowsNetworkManager::availableNetworks() const
{
    return QStringList();
}

void CWindowsNetworkManager::connectToWifiNetwork(const QString& ssid, const QString& key)
{
    Q_UNUSED(ssid)
    Q_UNUSED(key)
}

void CWindowsNetworkManager::disconnectFromWifiNetwork()
{
}

int CWindowsNetworkManager::wifiSignalStrength() const
{
    return 0;
}

QStringList CWindowsNetworkManager::queryWifiInterfaces() const
{
    return QStringList();
}

QString CWindowsNetworkManager::activeWifiInterface() const
{
    return QString();
}

void CWindowsNetworkManager::setActiveWifiInterface(const QString& interfaceName)
{
    Q_UNUSED(interfaceName)
}

} // namespace Communication
} // namespace Ulx
