#pragma once

#include "communication/CommunicationTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace Communication {
class CSessionManager;
} // namespace Communication
} // namespace Ulx

// The connection to the inspection system, for QML: the session manager's state, the connected
// system type and the Wi-Fi signal. Holds only the (not owned) facade; the namespace object that
// made it deletes it. GUI thread.
class CQmlSystemConnection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::CommunicationTypes::ConnectionState state READ state NOTIFY stateChanged)
    Q_PROPERTY(Ulx::CommunicationTypes::SystemType connectedSystemType READ connectedSystemType NOTIFY
            connectedSystemTypeChanged)
    Q_PROPERTY(bool controlOnline READ controlOnline NOTIFY controlOnlineChanged)
    Q_PROPERTY(int wifiSignalStrength READ wifiSignalStrength NOTIFY wifiSignalStrengthChanged)
    Q_PROPERTY(bool wifiSignalStrengthAvailable READ wifiSignalStrengthAvailable CONSTANT)

public:
    explicit CQmlSystemConnection(Ulx::Communication::CSessionManager* facade);
    ~CQmlSystemConnection() override;

    Ulx::CommunicationTypes::ConnectionState state() const;
    Ulx::CommunicationTypes::SystemType connectedSystemType() const;
    bool controlOnline() const;
    int wifiSignalStrength() const;
    bool wifiSignalStrengthAvailable() const;

    // Ends the session; with shutdownSystem the system is switched off as well.
    Q_INVOKABLE void close(bool shutdownSystem);

signals:
    void stateChanged();
    void errorOccurred(Ulx::CommunicationTypes::CommunicationError error);
    void connectedSystemTypeChanged();
    void controlOnlineChanged();
    void wifiSignalStrengthChanged();
    void permissionAccessLocationChanged();
    void permissionWriteExternalStorageChanged();

private:
    QPointer<Ulx::Communication::CSessionManager> m_facade;
};
