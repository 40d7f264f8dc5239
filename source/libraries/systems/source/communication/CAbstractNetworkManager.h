#pragma once

#include "communication/CommunicationTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace Ulx {
namespace Communication {

// The platform-neutral Wi-Fi network manager: finds the networks that inspection systems open,
// joins one of them and reports the connection state and signal strength. One instance, made
// by the systems library, lives on the GUI thread for the whole run.
class CAbstractNetworkManager : public QObject
{
    Q_OBJECT

public:
    // Note: numbered differently from the controller's state and from ConnectionState.
    enum State
    {
        StateDisconnected = 0,
        StateDisconnecting = 1,
        StateConnected = 2,
        StateConnecting = 3
    };
    Q_ENUM(State)

    explicit CAbstractNetworkManager(QObject* parent = nullptr);
    ~CAbstractNetworkManager() override;

    State state() const { return m_state; }
    // What the last connectionFailed() came from, as a session reports it.
    CommunicationTypes::CommunicationError connectionFailure() const { return m_connectionFailure; }

    virtual bool isWifiSignalStrengthAvailable() const = 0;
    virtual bool wifiAccessRestricted() const = 0;
    virtual bool wifiEnabled() const = 0;
    virtual void setWifiEnabled(bool enabled) = 0;
    virtual bool networkScanEnabled() const = 0;
    virtual void setNetworkScanEnabled(bool enabled) = 0;
    virtual QString connectedNetworkName() const = 0;
    virtual QStringList availableNetworks() const = 0;
    virtual void connectToWifiNetwork(const QString& ssid, const QString& key) = 0;
    virtual void disconnectFromWifiNetwork() = 0;
    virtual int wifiSignalStrength() const = 0;
    virtual QStringList queryWifiInterfaces() const = 0;
    virtual QString activeWifiInterface() const = 0;
    virtual void setActiveWifiInterface(const QString& interfaceName) = 0;
    // The adapter asked for by name while it is not there; empty when it is, or none was named.
    virtual QString missingWifiInterface() const { return QString(); }

signals:
    void stateChanged();
    void networkScanEnded();
    void networkScanEnabledChanged();
    void connectionFailed();
    void signalStrengthChanged();
    void wifiInterfacesChanged();
    void wifiAccessRestrictedChanged();

public slots:
    void notifyConnectionFailed();

protected:
    void setState(State state);
    // Emits connectionFailed() for that cause.
    void failConnectionWith(CommunicationTypes::CommunicationError cause);

private:
    State m_state = StateDisconnected;
    CommunicationTypes::CommunicationError m_connectionFailure =
        CommunicationTypes::CommunicationErrorNetworkManagerConnectionFailed;
};

} // namespace Communication
} // namespace Ulx
