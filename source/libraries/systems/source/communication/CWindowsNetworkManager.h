#pragma once

#include "communication/CAbstractNetworkManager.h"
#include "wlan/WlanTypes.h"

#include <QBasicTimer>
#include <QHash>
#include <QUuid>

#include <memory>

namespace Ulx {

namespace Wlan {
class IWlanApi;
}

namespace Communication {

// The Wi-Fi network manager over the platform's wireless service (Wlan::IWlanApi): scans every
// 5000 ms and keeps the table of visible networks, joins a network openly or with a generated
// temporary profile, follows the service's notifications and polls the signal strength every
// 4000 ms while a connection is wanted.
//
// One instance, made by the systems library, lives on the GUI thread. The service's
// notifications arrive on its own thread, whose callback only posts an event to this object;
// everything else happens on the GUI thread. The destructor closes the handle, after which no
// callback runs.
class CWindowsNetworkManager : public CAbstractNetworkManager
{
    Q_OBJECT

public:
    static constexpr int DefaultScanInterval = 5000;
    static constexpr int DefaultSignalInterval = 4000;
    // How long a join may stay unanswered before it counts as failed.
    static constexpr int DefaultJoinTimeout = 30000;

    // Over the platform's wireless service.
    explicit CWindowsNetworkManager(QObject* parent = nullptr);
    explicit CWindowsNetworkManager(std::shared_ptr<Wlan::IWlanApi> wlan, QObject* parent = nullptr);
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
    QString missingWifiInterface() const override;

    // Timer intervals; apply to later starts.
    void setScanInterval(int milliseconds) { m_scanInterval = milliseconds; }
    void setSignalInterval(int milliseconds) { m_signalInterval = milliseconds; }
    void setJoinTimeout(int milliseconds) { m_joinTimeout = milliseconds; }

    bool hasClientHandle() const { return m_handle != 0; }
    QUuid interfaceGuid() const { return m_interfaceGuid; }

    // The name of the SSID the service hands out (Wlan::ssidText), and back to its very bytes
    // for the service.
    static QString ssidFromBytes(const QByteArray& bytes);
    static QByteArray ssidToBytes(const QString& ssid);

protected:
    void customEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct NetworkRecord
    {
        qint32 missedScans = 0;
        quint32 authAlgorithm = 0;
        quint32 cipherAlgorithm = 0;
    };

    void chooseDefaultInterface();
    void adoptArrivedInterface();
    // Makes the adapter of that name the one used, in its own state; false when there is none.
    bool takeUpInterface(const QString& interfaceName);
    bool interfacePresent() const;
    // The adapter in use is gone, or the one asked for is not there: no join goes on through
    // it, and nothing seen through it is in reach.
    void loseInterface();
    void switchRadioOn();
    void startWifiScan();
    void updateAvailableNetworks();
    // The first entry of each SSID of a fresh list read, in list order; false when unreadable.
    bool readAvailableNetworks(QList<Wlan::AvailableNetwork>* networks) const;
    void internalConnectToOpenWifiNetwork(const QString& ssid);
    void internalConnectToWifiNetwork(const QString& ssid, const QString& key);
    void internalDisconnectFromWifiNetwork();
    void failConnection(CommunicationTypes::CommunicationError cause =
                            CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed);
    void pollSignalStrength();
    void logProfile(const QString& profileName);
    void deleteProfile(const QString& profileName);
    void onGenericNotification(quint32 source, quint32 code);
    void onConnectionNotification(quint32 code, const QString& ssid, quint32 reasonCode);
    void logFailure(const QString& text, Wlan::ErrorCode error, bool isError = false) const;

    std::shared_ptr<Wlan::IWlanApi> m_wlan;
    Wlan::ClientHandle m_handle = 0;
    QUuid m_interfaceGuid;
    QString m_activeInterfaceName;
    QString m_wantedInterfaceName; // as last asked for, found or not
    bool m_interfacesSeen = false;  // the service has shown an adapter: one missing then is missing
    QHash<QString, NetworkRecord> m_networks;
    QString m_targetSsid;
    QString m_targetKey;
    QString m_joinedElsewhere; // the network someone else put the adapter on during the join
    QBasicTimer m_scanTimer;
    QBasicTimer m_signalTimer;
    QBasicTimer m_joinTimer;
    int m_signalStrength = 0;
    bool m_networkScanEnabled = false;
    bool m_profileRetried = false;
    int m_scanInterval = DefaultScanInterval;
    int m_signalInterval = DefaultSignalInterval;
    int m_joinTimeout = DefaultJoinTimeout;
};

} // namespace Communication
} // namespace Ulx
