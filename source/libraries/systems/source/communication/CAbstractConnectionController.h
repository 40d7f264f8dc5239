#pragma once

#include "communication/CommunicationTypes.h"

#include <QObject>

namespace Ulx {
namespace Communication {

// The family-independent face of the control link to a connected system. Each family session
// creates and owns one subclass instance; the session drives it only through this base and
// receives its signals through queued connections. GUI thread only.
class CAbstractConnectionController : public QObject
{
    Q_OBJECT

public:
    // Note: numbered differently from the network manager's state and from ConnectionState.
    enum State
    {
        StateDisconnected = 0,
        StateDisconnecting = 1,
        StateConnecting = 2,
        StateConnected = 3
    };
    Q_ENUM(State)

    enum DisconnectType
    {
        DisconnectTypeNormal = 0,
        DisconnectTypeForced = 1,
        DisconnectTypeShutdown = 2
    };
    Q_ENUM(DisconnectType)

    enum Error
    {
        ErrorNone = 0,
        ErrorUnsupportedSystem = 1,
        ErrorWriteAccessDenied = 2,
        ErrorInternal = 3,
        ErrorConnection = 4
    };
    Q_ENUM(Error)

    // Access modes of connectToSystem().
    static constexpr int AccessModeSpectator = 0;
    static constexpr int AccessModeWriteWhenFree = 1;
    static constexpr int AccessModeWriteAlways = 2;

    CAbstractConnectionController();
    ~CAbstractConnectionController() override;

    State state() const { return m_state; }
    CommunicationTypes::SystemType systemType() const { return m_systemType; }

    // Registers "Ulx::Communication::CAbstractConnectionController::Error" once per process, so
    // that errorOccurred() survives queued connections (Qt drops a queued signal whose
    // argument type it does not know).
    static void registerMetaTypes();

    virtual bool controlOnline() const = 0;
    virtual void connectToSystem(int accessMode) = 0;
    virtual void disconnectFromSystem(Ulx::Communication::CAbstractConnectionController::DisconnectType type) = 0;
    // Ends the connection at once without signing off; most controllers have nothing to abort.
    virtual void abortConnection();

signals:
    void stateChanged();
    void controlOnlineChanged();
    void errorOccurred(Ulx::Communication::CAbstractConnectionController::Error errorCode);

protected:
    void setState(State state);
    void setSystemType(CommunicationTypes::SystemType systemType);

private:
    CommunicationTypes::SystemType m_systemType = CommunicationTypes::SystemTypeUnknown;
    State m_state = StateDisconnected;
};

} // namespace Communication
} // namespace Ulx
