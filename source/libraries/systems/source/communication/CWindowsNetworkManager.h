#pragma once

#include "communication/CAbstractNetworkManager.h"

namespace Ulx {
namespace Communication {

// The platform's Wi-Fi network manager.
// Placeholder until the Wi-Fi network manager lands.
class CWindowsNetworkManager : public CAbstractNetworkManager
{
    Q_OBJECT

public:
    explicit CWindowsNetworkManager(QObject* parent = nullptr);
    ~CWindowsNetworkManager() override;

    bool isWifiSignalStrengthAvailable() const override;
    bool wifiAccessRestricted() const override;
    bool wifiEnabled() const override;
    void setWifiEnabled(bool enabled) override;
    bool networkScanEnabled() const override;
    void setNetworkScanEnabled(bool enabled) override;
    QString connectedNetworkName() const override;
    QStringList availableNetworks() const override;
    void connectToWifiNetwork(const QString& ssid, const QString& key) override;
    void disconnectFromWifiNetwork() override;
    int wifiSignalStrength() const override;
    QStringList queryWifiInterfaces() const override;
    QString activeWifiInterface() const override;
    void setActiveWifiInterface(const QString& interfaceName) override;
};

} // namespace Communication
} // namespace Ulx
