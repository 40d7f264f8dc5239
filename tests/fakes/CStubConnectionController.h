#pragma once

#include "communication/CAbstractConnectionController.h"

#include <QList>
#include <QMetaObject>

// A connection controller whose link the test scripts: it connects (through StateConnecting, one
// event-loop turn apart, as a real link does), fails to connect, or never answers; it can lose
// the link or report an error on request, and records what the session asked of it.
class CStubConnectionController : public Ulx::Communication::CAbstractConnectionController
{
    Q_OBJECT

public:
    enum ConnectOutcome
    {
        ConnectSucceeds,
        ConnectFails,
        ConnectHangs
    };

    ConnectOutcome connectOutcome = ConnectSucceeds;
    // When set, disconnecting passes through StateDisconnecting and ends one turn later.
    bool slowDisconnect = false;
    Ulx::CommunicationTypes::SystemType typeOnConnect = Ulx::CommunicationTypes::SystemTypeZPX;

    QList<int> accessModes;
    QList<DisconnectType> disconnectTypes;
    int abortCount = 0;

    bool controlOnline() const override
    {
        return state() == StateConnected && !accessModes.isEmpty() && accessModes.last() != 0;
    }

    void connectToSystem(int accessMode) override
    {
        accessModes.append(accessMode);
        if (state() != StateDisconnected)
            return;
        setState(StateConnecting);
        if (connectOutcome == ConnectHangs)
            return;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                if (state() != StateConnecting)
                    return;
                if (connectOutcome == ConnectSucceeds) {
                    setSystemType(typeOnConnect);
                    setState(StateConnected);
                } else {
                    setState(StateDisconnected);
                }
            },
            Qt::QueuedConnection);
    }

    void disconnectFromSystem(DisconnectType type) override
    {
        disconnectTypes.append(type);
        if (state() == StateDisconnected)
            return;
        if (!slowDisconnect) {
            setState(StateDisconnected);
            return;
        }
        setState(StateDisconnecting);
        QMetaObject::invokeMethod(this, [this]() { setState(StateDisconnected); }, Qt::QueuedConnection);
    }

    void abortConnection() override { ++abortCount; }

    // The link drops.
    void loseLink() { setState(StateDisconnected); }
    void raiseError(Error error) { emit errorOccurred(error); }
};
