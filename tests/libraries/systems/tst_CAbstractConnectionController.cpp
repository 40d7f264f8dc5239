#include "CUlxSystemsLibrary.h"
#include "communication/CAbstractConnectionController.h"

#include <QtTest>

using Ulx::Communication::CAbstractConnectionController;

namespace {

// A controller that moves through its states on request, as a family controller would.
class CTestController : public CAbstractConnectionController
{
    Q_OBJECT

public:
    bool controlOnline() const override { return state() == StateConnected; }
    void connectToSystem(int accessMode) override
    {
        lastAccessMode = accessMode;
        setState(StateConnecting);
    }
    void disconnectFromSystem(DisconnectType type) override
    {
        lastDisconnectType = type;
        setState(StateDisconnected);
    }
    void moveTo(State state) { setState(state); }
    void identify(Ulx::CommunicationTypes::SystemType type) { setSystemType(type); }
    void fail(Error error) { emit errorOccurred(error); }

    int lastAccessMode = -1;
    DisconnectType lastDisconnectType = DisconnectTypeNormal;
};

// Receives controller errors the way a session does: through a queued connection.
class CErrorReceiver : public QObject
{
    Q_OBJECT

public:
    QList<CAbstractConnectionController::Error> errors;

public slots:
    void onConnectionControllerErrorOccurred(Ulx::Communication::CAbstractConnectionController::Error errorCode)
    {
        errors.append(errorCode);
    }
};

} // namespace

class tst_CAbstractConnectionController : public QObject
{
    Q_OBJECT

private slots:
    void startsDisconnectedAndUnknown();
    void setStateSignalsOnlyChanges();
    void setSystemTypeDoesNotSignal();
    void abortConnectionOfTheBaseDoesNothing();
    void enumerationsKeepTheirValues();
    void errorCrossesQueuedConnectionsAfterLibraryInitialisation();
    void errorCrossesQueuedConnectionsToAnotherThread();
};

void tst_CAbstractConnectionController::startsDisconnectedAndUnknown()
{
    CTestController controller;
    QCOMPARE(controller.state(), CAbstractConnectionController::StateDisconnected);
    QCOMPARE(controller.systemType(), Ulx::CommunicationTypes::SystemTypeUnknown);
    QVERIFY(!controller.parent());
}

void tst_CAbstractConnectionController::setStateSignalsOnlyChanges()
{
    CTestController controller;
    QSignalSpy changed(&controller, &CAbstractConnectionController::stateChanged);
    controller.moveTo(CAbstractConnectionController::StateDisconnected);
    QCOMPARE(changed.count(), 0);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    controller.moveTo(CAbstractConnectionController::StateConnecting);
    QCOMPARE(changed.count(), 1);
    controller.moveTo(CAbstractConnectionController::StateConnected);
    controller.moveTo(CAbstractConnectionController::StateConnected);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(controller.lastAccessMode, 1);
}

void tst_CAbstractConnectionController::setSystemTypeDoesNotSignal()
{
    CTestController controller;
    QSignalSpy changed(&controller, &CAbstractConnectionController::stateChanged);
    QSignalSpy control(&controller, &CAbstractConnectionController::controlOnlineChanged);
    controller.identify(Ulx::CommunicationTypes::SystemTypeZPX2);
    QCOMPARE(controller.systemType(), Ulx::CommunicationTypes::SystemTypeZPX2);
    QCOMPARE(changed.count() + control.count(), 0);
}

void tst_CAbstractConnectionController::abortConnectionOfTheBaseDoesNothing()
{
    CTestController controller;
    controller.moveTo(CAbstractConnectionController::StateConnected);
    QSignalSpy changed(&controller, &CAbstractConnectionController::stateChanged);
    controller.abortConnection();
    QCOMPARE(controller.state(), CAbstractConnectionController::StateConnected);
    QCOMPARE(changed.count(), 0);
    // The session then disconnects as usual.
    controller.disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
    QCOMPARE(controller.state(), CAbstractConnectionController::StateDisconnected);
    QCOMPARE(controller.lastDisconnectType, CAbstractConnectionController::DisconnectTypeForced);
}

void tst_CAbstractConnectionController::enumerationsKeepTheirValues()
{
    // Numbered unlike the network manager's state and ConnectionState; the key names are logged.
    const QMetaEnum states = QMetaEnum::fromType<CAbstractConnectionController::State>();
    QCOMPARE(states.keyToValue("StateDisconnected"), 0);
    QCOMPARE(states.keyToValue("StateDisconnecting"), 1);
    QCOMPARE(states.keyToValue("StateConnecting"), 2);
    QCOMPARE(states.keyToValue("StateConnected"), 3);
    const QMetaEnum errors = QMetaEnum::fromType<CAbstractConnectionController::Error>();
    QCOMPARE(errors.keyToValue("ErrorConnection"), 4);
    QCOMPARE(errors.keyToValue("ErrorWriteAccessDenied"), 2);
    const QMetaEnum types = QMetaEnum::fromType<CAbstractConnectionController::DisconnectType>();
    QCOMPARE(types.keyToValue("DisconnectTypeShutdown"), 2);
}

void tst_CAbstractConnectionController::errorCrossesQueuedConnectionsAfterLibraryInitialisation()
{
    Ulx::CUlxSystemsLibrary::initialize();
    QVERIFY(QMetaType::type("Ulx::Communication::CAbstractConnectionController::Error") != QMetaType::UnknownType);

    CTestController controller;
    CErrorReceiver receiver;
    // Both ways a session may connect: by name and by member pointer.
    QVERIFY(connect(&controller, SIGNAL(errorOccurred(Ulx::Communication::CAbstractConnectionController::Error)),
                    &receiver,
                    SLOT(onConnectionControllerErrorOccurred(Ulx::Communication::CAbstractConnectionController::Error)),
                    Qt::QueuedConnection));
    QVERIFY(connect(&controller, &CAbstractConnectionController::errorOccurred, &receiver,
                    &CErrorReceiver::onConnectionControllerErrorOccurred, Qt::QueuedConnection));

    controller.fail(CAbstractConnectionController::ErrorWriteAccessDenied);
    QVERIFY(receiver.errors.isEmpty()); // queued: not inside the emitting call
    QTRY_COMPARE_WITH_TIMEOUT(receiver.errors.size(), 2, 5000);
    QCOMPARE(receiver.errors.at(0), CAbstractConnectionController::ErrorWriteAccessDenied);
    QCOMPARE(receiver.errors.at(1), CAbstractConnectionController::ErrorWriteAccessDenied);
    Ulx::CUlxSystemsLibrary::finalize();
}

void tst_CAbstractConnectionController::errorCrossesQueuedConnectionsToAnotherThread()
{
    Ulx::CUlxSystemsLibrary::initialize();
    QThread thread;
    CErrorReceiver receiver;
    receiver.moveToThread(&thread);
    thread.start();

    CTestController controller;
    QVERIFY(connect(&controller, SIGNAL(errorOccurred(Ulx::Communication::CAbstractConnectionController::Error)),
                    &receiver,
                    SLOT(onConnectionControllerErrorOccurred(Ulx::Communication::CAbstractConnectionController::Error))));
    controller.fail(CAbstractConnectionController::ErrorInternal);
    // Hand the receiver back and quit after the error: this request is queued behind the
    // error's delivery on the receiver's thread.
    QThread* testThread = QThread::currentThread();
    QMetaObject::invokeMethod(
        &receiver,
        [&receiver, &thread, testThread] {
            receiver.moveToThread(testThread);
            thread.quit();
        },
        Qt::QueuedConnection);
    // The thread may have ended before this line: wait for its end, not for its signal.
    QVERIFY(thread.wait(5000));
    QCOMPARE(receiver.errors, QList<CAbstractConnectionController::Error>{CAbstractConnectionController::ErrorInternal});
    Ulx::CUlxSystemsLibrary::finalize();
}

QTEST_GUILESS_MAIN(tst_CAbstractConnectionController)
#include "tst_CAbstractConnectionController.moc"
