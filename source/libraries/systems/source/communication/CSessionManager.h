#pragma once

#include "CSystemConnectionInfo.h"
#include "communication/CommunicationTypes.h"

#include <QList>
#include <QObject>
#include <QStringList>

namespace Ulx {
namespace Communication {

class CSessionManagerPrivate;

// The one public entry to inspection-system connectivity: the reachable systems, the Wi-Fi
// interface and scanning, and at most one system session at a time. Made once by the systems
// library and deleted by it before anything the session uses. GUI thread.
class CSessionManager : public QObject
{
    Q_OBJECT

public:
    CSessionManager();
    ~CSessionManager() override;

    QStringList queryWifiInterfaces() const;
    QString activeWifiInterface() const;
    // Taken up at once, or, while a session runs, once it has ended (the last choice counts).
    void setActiveWifiInterface(const QString& interfaceName);
    // The adapter taken up by name that is not there; empty when it is.
    QString missingWifiInterface() const;
    bool isWifiSignalStrengthAvailable() const;
    int wifiSignalStrength() const;
    bool wifiAccessRestricted() const;
    bool allFilesAccessRestricted() const;
    bool networkScanEnabled() const;
    void setNetworkScanEnabled(bool enabled);
    bool permissionWriteExternalStorage();
    bool permissionAccessLocation();
    void openLocationSettings() const;
    void openManageAllFilesSettings() const;

    // Built anew on every call, in the list's sorted order.
    QList<Ulx::CSystemConnectionInfo> availableSystems() const;
    CommunicationTypes::SystemType connectedSystemType() const;
    CommunicationTypes::ConnectionState state() const;
    bool controlOnline() const;

    // A name that no system family recognises is refused with
    // CommunicationErrorCommunicatorUnsupportedSystem; no session is made.
    void connectToSystem(const QString& systemName, bool spectatorMode);
    void disconnectFromSystem(bool shutdownSystem);

    // How long a system shut down from the application stays off the list (60000 ms in the
    // program); applies to later shutdowns.
    void setSystemHideInterval(int milliseconds);

signals:
    void stateChanged();
    void communicationErrorOccurred(Ulx::CommunicationTypes::CommunicationError error);
    void availableSystemsChanged();
    void connectedSystemTypeChanged();
    void controlOnlineChanged();
    void networkScanEnabledChanged();
    // Adapters came or went (the Wi-Fi service may bring them after the start).
    void wifiInterfacesChanged();
    // Adapters came or went, or one was taken up: missingWifiInterface() may have changed.
    void missingWifiInterfaceChanged();
    void wifiSignalStrengthChanged();
    void wifiAccessRestrictedChanged();
    void allFilesAccessRestrictedChanged();
    void permissionAccessLocationChanged();
    void permissionWriteExternalStorageChanged();

private:
    friend class CSessionManagerPrivate;
    CSessionManagerPrivate* d = nullptr; // owned
};

} // namespace Communication
} // namespace Ulx
