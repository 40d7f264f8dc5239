#include "CRVQLinkSimulator.h"

#include "IStorageProvider.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CRVQSystemQueryLogic.h"
#include "rvq/RVQMessages.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Ulx;
using Ulx::Communication::CAbstractConnectionController;
using Ulx::Communication::CRVQConnectionController;

namespace {

// Only the two storages the controller touches.
class TestStorageProvider : public IStorageProvider
{
public:
    Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return nullptr; }
    SystemControl::CSystemCapsStorage* systemCapsStorage() override { return &caps; }
    SystemControl::CSystemDataStorage* systemDataStorage() override { return &data; }
    VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return nullptr; }
    VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return nullptr; }

    SystemControl::CSystemCapsStorage caps;
    SystemControl::CSystemDataStorage data;
};

struct FrameKey
{
    quint8 id;
    quint8 kind;
    QByteArray payload;
    bool operator==(const FrameKey& other) const
    {
        return id == other.id && kind == other.kind && payload == other.payload;
    }
};

char* toString(const FrameKey& key)
{
    return QTest::toString(QStringLiteral("%1/%2/%3").arg(key.id).arg(key.kind).arg(QString::fromLatin1(key.payload.toHex())));
}

QList<FrameKey> framesSince(const CRVQLinkSimulator& simulator, int first)
{
    QList<FrameKey> keys;
    const auto frames = simulator.receivedFrames();
    for (int i = first; i < frames.size(); ++i)
        keys.append({frames.at(i).id, frames.at(i).kind, frames.at(i).payload});
    return keys;
}

using Error = CAbstractConnectionController::Error;

bool hasError(const QSignalSpy& spy, Error error)
{
    for (const QList<QVariant>& arguments : spy) {
        if (arguments.first().value<Error>() == error)
            return true;
    }
    return false;
}

} // namespace

class tst_CRVQConnectionController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void writeAccessWhenControlIsFree();
    void keepAliveWhileConnected();
    void sequenceNumbersFollowTheSystemType();
    void spectatorConnectsWithoutControl();
    void controlTakenDeniesAccessModeOne();
    void accessModeTwoTakesTheControl();
    void unsupportedHardwareIds_data();
    void unsupportedHardwareIds();
    void readyAloneDoesNotEndTheIdentificationGuard();
    void lostHardwareIdIsAskedAgain();
    void notReadySystemIsAskedUntilReady();
    void shutdownReleasesThenPowersOffThenCloses();
    void shutdownIsBoundedWhenTheSystemIsSilent();
    void normalDisconnectGivesTheControlBack();
    void killedLinkReconnectsWithAccessModeTwo();
    void processorOfOtherIdsIsTheQueryLogic();
    void refusedLinkEndsDisconnected();

private:
    void connectController(int accessMode);

    CRVQLinkSimulator* m_simulator = nullptr;
    TestStorageProvider* m_storages = nullptr;
    CRVQConnectionController* m_controller = nullptr;
};

void tst_CRVQConnectionController::initTestCase()
{
    CAbstractConnectionController::registerMetaTypes();
}

void tst_CRVQConnectionController::init()
{
    m_simulator = new CRVQLinkSimulator;
    QVERIFY(m_simulator->listen());
    m_storages = new TestStorageProvider;
    m_controller = new CRVQConnectionController(m_storages);
    m_controller->setLinkEndpoint(QStringLiteral("127.0.0.1"), m_simulator->port());
    m_controller->setTimerIntervals(200, 30, 10);
    m_controller->communicator()->setTickInterval(5);
    m_controller->communicator()->setDisconnectTimeout(1000);
}

void tst_CRVQConnectionController::cleanup()
{
    delete m_controller;
    m_controller = nullptr;
    delete m_storages;
    m_storages = nullptr;
    delete m_simulator;
    m_simulator = nullptr;
}

void tst_CRVQConnectionController::connectController(int accessMode)
{
    m_controller->connectToSystem(accessMode);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnecting);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateConnected);
}

void tst_CRVQConnectionController::writeAccessWhenControlIsFree()
{
    QSignalSpy controlSpy(m_controller, &CAbstractConnectionController::controlOnlineChanged);
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QVERIFY(m_controller->controlOnline());
    QVERIFY(m_controller->isReadyToSend());
    QCOMPARE(controlSpy.count(), 1);
    QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeZPX);
    QCOMPARE(m_storages->data.softwareVersion(), QStringLiteral("2.4.1"));
    QCOMPARE(m_storages->data.hardwareId(), QStringLiteral("ZPX_1.0 V01"));
    QVERIFY(m_simulator->controlHeldByClient());
    QVERIFY(m_controller->queryLogic());
    const QList<FrameKey> expected = {
        {255, 1, {}}, {254, 1, {}}, {50, 1, {}}, {253, 1, {}}, {253, 2, QByteArray(1, 0)}, {253, 1, {}},
    };
    QCOMPARE(framesSince(*m_simulator, 0).mid(0, expected.size()), expected);
}

void tst_CRVQConnectionController::keepAliveWhileConnected()
{
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_VERIFY(m_simulator->receivedFrames(253, 0).size() >= 2);
    for (const auto& frame : m_simulator->receivedFrames(253, 0))
        QVERIFY(frame.payload.isEmpty());
}

void tst_CRVQConnectionController::sequenceNumbersFollowTheSystemType()
{
    m_simulator->setHardwareId(QStringLiteral("GLYRV_1.0 V01"));
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeGullyrover);
    QVERIFY(m_controller->communicator()->useSequenceNumbers());
    const auto frames = m_simulator->receivedFrames(253);
    QVERIFY(!frames.isEmpty());
    for (const auto& frame : frames)
        QVERIFY(frame.hasTrailer);
    // The identification queries went out before the type was known.
    QVERIFY(!m_simulator->receivedFrames(254).first().hasTrailer);
}

void tst_CRVQConnectionController::spectatorConnectsWithoutControl()
{
    QSignalSpy controlSpy(m_controller, &CAbstractConnectionController::controlOnlineChanged);
    m_simulator->setControlHeldByOtherClient(true);
    connectController(CAbstractConnectionController::AccessModeSpectator);
    QVERIFY(!m_controller->controlOnline());
    QVERIFY(!m_controller->isReadyToSend());
    QCOMPARE(controlSpy.count(), 1);
    QVERIFY(!m_controller->queryLogic());
    QVERIFY(m_simulator->receivedFrames(253, 2).isEmpty());
    // A round trip on the link later, still no keep-alive.
    m_controller->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_simulator->receivedFrames(42).size(), 1);
    QVERIFY(m_simulator->receivedFrames(253, 0).isEmpty());
}

void tst_CRVQConnectionController::controlTakenDeniesAccessModeOne()
{
    m_simulator->setControlHeldByOtherClient(true);
    QSignalSpy errorSpy(m_controller, &CAbstractConnectionController::errorOccurred);
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_VERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorWriteAccessDenied));
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnecting);
    QVERIFY(!m_controller->controlOnline());
    QVERIFY(m_simulator->receivedFrames(253, 2).isEmpty());
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
}

void tst_CRVQConnectionController::accessModeTwoTakesTheControl()
{
    m_simulator->setControlHeldByOtherClient(true);
    connectController(CAbstractConnectionController::AccessModeWriteAlways);
    QVERIFY(m_controller->controlOnline());
    QVERIFY(m_simulator->controlHeldByClient());
}

void tst_CRVQConnectionController::unsupportedHardwareIds_data()
{
    QTest::addColumn<QString>("hardwareId");
    QTest::newRow("empty (the registry's Hoselux)") << QString();
    QTest::newRow("Pelkom") << QStringLiteral("Pelkom_1.0 V01");
    QTest::newRow("unknown") << QStringLiteral("ZPQ_9.9 V77");
}

void tst_CRVQConnectionController::unsupportedHardwareIds()
{
    QFETCH(QString, hardwareId);
    m_simulator->setHardwareId(hardwareId);
    QSignalSpy errorSpy(m_controller, &CAbstractConnectionController::errorOccurred);
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_VERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorUnsupportedSystem));
    QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeUnknown);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnecting);
    // No negotiation started for a system that does not speak the link's control.
    m_controller->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_simulator->receivedFrames(42).size(), 1);
    QVERIFY(m_simulator->receivedFrames(253).isEmpty());
    QCOMPARE(errorSpy.count(), 1);
}

void tst_CRVQConnectionController::readyAloneDoesNotEndTheIdentificationGuard()
{
    m_simulator->setIgnoredId(254);
    m_controller->setTimerIntervals(20, 30, 10);
    QSignalSpy errorSpy(m_controller, &CAbstractConnectionController::errorOccurred);
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE(m_simulator->receivedFrames(50).size() >= 1, true);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    QVERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorConnection));
    QVERIFY(m_simulator->receivedFrames(253).isEmpty());
}

void tst_CRVQConnectionController::lostHardwareIdIsAskedAgain()
{
    m_simulator->setIgnoredId(254);
    connect(m_simulator, &CRVQLinkSimulator::frameReceived, this, [this](quint8 id, quint8) {
        if (id == 254 && m_simulator->receivedFrames(254).size() == 3)
            m_simulator->setIgnoredId(-1);
    });
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QVERIFY(m_simulator->receivedFrames(254).size() >= 4);
}

void tst_CRVQConnectionController::notReadySystemIsAskedUntilReady()
{
    m_simulator->setReady(false);
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_VERIFY(m_simulator->receivedFrames(50).size() >= 3);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnecting);
    QVERIFY(m_simulator->receivedFrames(253).isEmpty());
    m_simulator->setReady(true);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateConnected);
}

void tst_CRVQConnectionController::shutdownReleasesThenPowersOffThenCloses()
{
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QSignalSpy controlSpy(m_controller, &CAbstractConnectionController::controlOnlineChanged);
    const int before = m_simulator->receivedFrames().size();
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeShutdown);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnecting);
    QVERIFY(!m_controller->controlOnline());
    QCOMPARE(controlSpy.count(), 1);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    const QList<FrameKey> expected = {{253, 2, QByteArray(1, 1)}, {16, 0, QByteArray(1, 10)}};
    QCOMPARE(framesSince(*m_simulator, before), expected);
    QVERIFY(m_simulator->shutdownReceived());
    QVERIFY(m_simulator->controlAvailable());
    QCOMPARE(m_controller->systemType(), CommunicationTypes::SystemTypeUnknown);
    QCOMPARE(m_storages->data.softwareVersion(), QString());
    QVERIFY(!m_controller->queryLogic());
}

void tst_CRVQConnectionController::shutdownIsBoundedWhenTheSystemIsSilent()
{
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    m_simulator->setSilent(true);
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeShutdown);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    QVERIFY(m_simulator->receivedFrames(16, 0).size() >= 1);
    QVERIFY(m_simulator->receivedFrames(16, 0).size() <= 3);
}

void tst_CRVQConnectionController::normalDisconnectGivesTheControlBack()
{
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    QVERIFY(m_simulator->controlAvailable());
    QVERIFY(!m_simulator->shutdownReceived());
    // Disconnected: a second disconnect does nothing.
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeNormal);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
}

void tst_CRVQConnectionController::killedLinkReconnectsWithAccessModeTwo()
{
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
    QSignalSpy errorSpy(m_controller, &CAbstractConnectionController::errorOccurred);
    m_simulator->closeClientsWithRst();
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    QVERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorConnection));
    QVERIFY(!m_controller->controlOnline());
    // The system still believes the dead link holds the control.
    QVERIFY(m_simulator->controlHeldByClient());
    errorSpy.clear();
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_VERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorWriteAccessDenied));
    m_controller->disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    connectController(CAbstractConnectionController::AccessModeWriteAlways);
    QVERIFY(m_controller->controlOnline());
}

void tst_CRVQConnectionController::processorOfOtherIdsIsTheQueryLogic()
{
    // Replies of other ids before a query logic exists are dropped without harm.
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeSpectator);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateConnected);
    m_simulator->sendRaw(CRVQLinkSimulator::buildFrame(42, 1, QByteArray(1, 50)));
    m_simulator->sendRaw(CRVQLinkSimulator::buildFrame(254, 1, QByteArray()));
    m_simulator->sendRaw(CRVQLinkSimulator::buildFrame(50, 1, QByteArray()));
    m_controller->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_simulator->receivedFrames(40).size(), 1);
    QCOMPARE(m_controller->state(), CAbstractConnectionController::StateConnected);
}

void tst_CRVQConnectionController::refusedLinkEndsDisconnected()
{
    m_simulator->setRefuseConnections(true);
    QSignalSpy errorSpy(m_controller, &CAbstractConnectionController::errorOccurred);
    m_controller->connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE(m_controller->state(), CAbstractConnectionController::StateDisconnected);
    QVERIFY(hasError(errorSpy, CAbstractConnectionController::ErrorConnection));
    m_simulator->setRefuseConnections(false);
    connectController(CAbstractConnectionController::AccessModeWriteWhenFree);
}

QTEST_GUILESS_MAIN(tst_CRVQConnectionController)
#include "tst_CRVQConnectionController.moc"
