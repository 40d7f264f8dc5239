#pragma once

#include "communication/CAbstractNetworkManager.h"

// A network manager whose scan results the test sets; finishScan() reports a scan as ended.
class CFakeNetworkManager : public Ulx::Communication::CAbstractNetworkManager
{
    Q_OBJECT

public:
    void setNetworks(const QStringList& networks) { m_networks = networks; }
    void finishScan(const QStringList& networks)
    {
        m_networks = networks;
        emit networkScanEnded();
    }

    bool isWifiSignalStrengthAvailable() const override { return true; }
    bool wifiAccessRestricted() const override { return false; }
    bool wifiEnabled() const override { return true; }
    void setWifiEnabled(bool) override {}
    bool networkScanEnabled() const override { return true; }
    void setNetworkScanEnabled(bool) override {}
    QString connectedNetworkName() const override { return QString(); }
    QStringList availableNetworks() const override { return m_networks; }
    void connectToWifiNetwork(const QString&, const QString&) override {}
    void disconnectFromWifiNetwork() override {}
    int wifiSignalStrength() const override { return 0; }
    QStringList queryWifiInterfaces() const override { return {}; }
    QString activeWifiInterface() const override { return QString(); }
    void setActiveWifiInterface(const QString&) override {}

private:
    QStringList m_networks;
};
