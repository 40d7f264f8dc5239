#include "RVQTestSupport.h"

#include "CRVQLinkSimulator.h"

#include "rvq/CBVCommandFactory.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CRequestErrorLogCommand.h"
#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/CSetActiveCameraCommand.h"
#include "rvq/CSetAutoFocusEnabledCommand.h"
#include "rvq/CSetCameraDistanceMeasurementEnabledCommand.h"
#include "rvq/CSetCameraPanPositionCommand.h"
#include "rvq/CSetCameraPanSpeedCommand.h"
#include "rvq/CSetCameraPowerOnlineCommand.h"
#include "rvq/CSetCameraTiltPositionCommand.h"
#include "rvq/CSetCameraTiltSpeedCommand.h"
#include "rvq/CSetDefogModeEnabledCommand.h"
#include "rvq/CSetDigitalZoomEnabledCommand.h"
#include "rvq/CSetDistanceCounterCommand.h"
#include "rvq/CSetDistanceLaserEnabledCommand.h"
#include "rvq/CSetFocusSpeedCommand.h"
#include "rvq/CSetLightBoosterEnabledCommand.h"
#include "rvq/CSetLightIntensityCommand.h"
#include "rvq/CSetLocatorStateCommand.h"
#include "rvq/CSetPictureEnhancementEnabledCommand.h"
#include "rvq/CSetPictureFlipEnabledCommand.h"
#include "rvq/CSetPictureStabilizerEnabledCommand.h"
#include "rvq/CSetShutterPositionCommand.h"
#include "rvq/CSetZoomPositionZPHCommand.h"
#include "rvq/CSetZoomPositionZPXCommand.h"
#include "rvq/CSetZoomSpeedCommand.h"
#include "rvq/CStopMovementZPXCommand.h"
#include "rvq/CZPHCommandFactory.h"
#include "rvq/CZPXCommandFactory.h"
#include "rvq/RVQFrameCodec.h"
#include "rvq/RVQMessages.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <typeinfo>

using namespace Ulx;
using namespace Ulx::SystemControl;
using Ulx::Communication::CAbstractConnectionController;
using Ulx::Communication::CRVQConnectionController;

namespace {

template <typename Command> bool isExactly(const std::unique_ptr<CControlCommand>& command)
{
    return command && typeid(*command) == typeid(Command);
}

// Generous: a loaded 2-core machine runs the link and the simulator on one busy thread.
const int LinkWait = 30000;

// The commands and sets (not the queries) the simulator received since a mark. A frame that
// repeats the one before byte for byte, sequence number included, is the link resending a
// message whose answer came late (the link's resend timeout is a few ticks), not a second
// message, so it is counted once.
QList<CRVQLinkSimulator::ReceivedFrame> controlFramesSince(const CRVQLinkSimulator& simulator, int mark)
{
    QList<CRVQLinkSimulator::ReceivedFrame> frames;
    const auto all = simulator.receivedFrames();
    for (int i = mark; i < all.size(); ++i) {
        const CRVQLinkSimulator::ReceivedFrame& frame = all.at(i);
        if (frame.kind == CRVQMessage::KindQuery || frame.id == 253)
            continue;
        if (frame.hasTrailer && !frames.isEmpty() && frames.last().raw == frame.raw)
            continue;
        frames.append(frame);
    }
    return frames;
}

// Waits until every query queued so far has been answered: a message of the lowest urgency is
// sent only when nothing more urgent waits, and only after the message before it was answered,
// so its arrival at the simulator says the start queries' replies are in the storage. The
// software version query is the marker because nothing else asks it once connected and the
// link never merges it with another.
bool waitForQueuedQueriesAnswered(CRVQConnectionController& controller, const CRVQLinkSimulator& simulator)
{
    const int before = simulator.receivedFrames(quint8(RVQMessageId::SoftwareVersion), CRVQMessage::KindQuery).size();
    CRVQMessage* marker = createRVQSoftwareVersionQueryMessage();
    marker->setPriority(254);
    controller.sendMessage(marker);
    return QTest::qWaitFor(
        [&] {
            return simulator.receivedFrames(quint8(RVQMessageId::SoftwareVersion), CRVQMessage::KindQuery).size()
                > before;
        },
        LinkWait);
}

using RunSetter = std::function<void(Ulx::SystemControl::CAbstractCommandFactory&)>;

} // namespace

Q_DECLARE_METATYPE(RunSetter)

class tst_RVQCommandFactories : public QObject
{
    Q_OBJECT

private slots:
    void commonOperationsMakeTheirCommands();
    void zoomPositionAndStopDependOnTheSystemType();
    void everyCommandIsNewAndOwnedByTheCaller();

    void everySetterPutsItsFrameOnTheWire_data();
    void everySetterPutsItsFrameOnTheWire();
    void zoomPositionMovesTheMotorAndGivesZoomControlBack();
    void spectatorSendsNothing();
    void errorLogRequestFillsTheList();
    void operatorsSettersGoWithinTheirBoundWhileThePollsWaitForTheSteering();

private:
    RVQTestStorageProvider m_storages;
    RecordingRVQSender m_sender;
};

void tst_RVQCommandFactories::commonOperationsMakeTheirCommands()
{
    CZPXCommandFactory zpx(&m_sender, &m_storages);
    CZPHCommandFactory zph(&m_sender, &m_storages);
    CBVCommandFactory bv(&m_sender, &m_storages);
    for (CRVQCommandFactory* factory : std::initializer_list<CRVQCommandFactory*>{&zpx, &zph, &bv}) {
        QVERIFY(isExactly<CSetDistanceLaserEnabledCommand>(factory->createSetDistanceLaserEnabledCommand(true)));
        QVERIFY(isExactly<CSetCameraDistanceMeasurementEnabledCommand>(
            factory->createSetCameraDistanceMeasurementEnabledCommand(true)));
        QVERIFY(isExactly<CSetAutoFocusEnabledCommand>(factory->createSetAutoFocusEnabledCommand(true)));
        QVERIFY(
            isExactly<CSetPictureStabilizerEnabledCommand>(factory->createSetPictureStabilizerEnabledCommand(true)));
        QVERIFY(
            isExactly<CSetPictureEnhancementEnabledCommand>(factory->createSetPictureEnhancementEnabledCommand(true)));
        QVERIFY(isExactly<CSetDefogModeEnabledCommand>(factory->createSetDefogModeEnabledCommand(true)));
        QVERIFY(isExactly<CSetPictureFlipEnabledCommand>(factory->createSetPictureFlipEnabledCommand(true)));
        QVERIFY(isExactly<CSetLightBoosterEnabledCommand>(factory->createSetLightBoosterEnabledCommand(true)));
        QVERIFY(isExactly<CSetDigitalZoomEnabledCommand>(factory->createSetDigitalZoomEnabledCommand(true)));
        QVERIFY(isExactly<CSetAEAutoModeEnabledCommand>(factory->createSetAEAutoModeEnabledCommand(true)));
        QVERIFY(isExactly<CSetCameraPowerOnlineCommand>(factory->createSetCameraPowerOnlineCommand(true)));
        QVERIFY(isExactly<CSetFocusSpeedCommand>(factory->createSetFocusSpeedCommand(1)));
        QVERIFY(isExactly<CSetZoomSpeedCommand>(factory->createSetZoomSpeedCommand(1)));
        QVERIFY(isExactly<CSetLightIntensityCommand>(factory->createSetLightIntensityCommand(1)));
        QVERIFY(isExactly<CSetCameraTiltSpeedCommand>(factory->createSetCameraTiltSpeedCommand(1)));
        QVERIFY(isExactly<CSetCameraPanSpeedCommand>(factory->createSetCameraPanSpeedCommand(1)));
        QVERIFY(isExactly<CSetCameraTiltPositionCommand>(factory->createSetCameraTiltPositionCommand(1)));
        QVERIFY(isExactly<CSetCameraPanPositionCommand>(factory->createSetCameraPanPositionCommand(1)));
        QVERIFY(isExactly<CSetActiveCameraCommand>(factory->createSetActiveCameraCommand(SystemTypes::Camera2)));
        QVERIFY(isExactly<CSetShutterPositionCommand>(factory->createSetShutterPositionCommand(1)));
        QVERIFY(isExactly<CRequestErrorLogCommand>(factory->createRequestErrorLogCommand()));
        QVERIFY(isExactly<CSetDistanceCounterCommand>(factory->createSetDistanceCounterCommand(1.0)));
        QVERIFY(
            isExactly<CSetLocatorStateCommand>(factory->createSetLocatorStateCommand(SystemTypes::LocatorState512Hz)));
    }
}

void tst_RVQCommandFactories::zoomPositionAndStopDependOnTheSystemType()
{
    CZPXCommandFactory zpx(&m_sender, &m_storages);
    CZPHCommandFactory zph(&m_sender, &m_storages);
    CBVCommandFactory bv(&m_sender, &m_storages);
    QVERIFY(isExactly<CSetZoomPositionZPXCommand>(zpx.createSetZoomPositionCommand(50)));
    QVERIFY(isExactly<CStopMovementZPXCommand>(zpx.createStopMovementCommand()));
    QVERIFY(isExactly<CSetZoomPositionZPHCommand>(zph.createSetZoomPositionCommand(50)));
    QVERIFY(isExactly<CControlCommand>(zph.createStopMovementCommand()));
    QVERIFY(isExactly<CControlCommand>(bv.createSetZoomPositionCommand(50)));
    QVERIFY(isExactly<CControlCommand>(bv.createStopMovementCommand()));

    // The Gullyrover's do nothing, even with zoom control and a moving head.
    m_storages.data.setZoomControlAvailable(true);
    m_storages.data.setCameraTiltSpeed(10);
    bv.createSetZoomPositionCommand(50)->execute();
    bv.createStopMovementCommand()->execute();
    QVERIFY(m_sender.sent.isEmpty());
    QCOMPARE(m_storages.data.cameraTiltSpeed(), qint8(10));
    m_storages.data.reset();
}

void tst_RVQCommandFactories::everyCommandIsNewAndOwnedByTheCaller()
{
    CZPXCommandFactory factory(&m_sender, &m_storages);
    std::unique_ptr<CControlCommand> first = factory.createSetLightIntensityCommand(10);
    std::unique_ptr<CControlCommand> second = factory.createSetLightIntensityCommand(10);
    QVERIFY(first && second);
    QVERIFY(first.get() != second.get());
}

void tst_RVQCommandFactories::everySetterPutsItsFrameOnTheWire_data()
{
    using Run = RunSetter;
    QTest::addColumn<Run>("run");
    QTest::addColumn<QByteArray>("frames"); // id, kind, payload size, payload; one after the other

    auto frame = [](quint8 id, quint8 kind, const QByteArray& payload) {
        return QByteArray(1, char(id)) + QByteArray(1, char(kind)) + QByteArray(1, char(payload.size())) + payload;
    };
    const QByteArray on(1, 1);
    const QByteArray off(1, 0);
    QTest::newRow("distance laser") << Run([](CAbstractCommandFactory& f) {
        f.createSetDistanceLaserEnabledCommand(true)->execute();
    }) << frame(44, 0, on);
    QTest::newRow("auto focus off") << Run([](CAbstractCommandFactory& f) {
        f.createSetAutoFocusEnabledCommand(false)->execute();
    }) << frame(20, 2, off);
    QTest::newRow("stabilizer") << Run([](CAbstractCommandFactory& f) {
        f.createSetPictureStabilizerEnabledCommand(true)->execute();
    }) << frame(27, 2, on);
    QTest::newRow("flip") << Run([](CAbstractCommandFactory& f) {
        f.createSetPictureFlipEnabledCommand(true)->execute();
    }) << frame(26, 2, on);
    QTest::newRow("digital zoom") << Run([](CAbstractCommandFactory& f) {
        f.createSetDigitalZoomEnabledCommand(true)->execute();
    }) << frame(18, 2, on);
    QTest::newRow("manual exposure") << Run([](CAbstractCommandFactory& f) {
        f.createSetAEAutoModeEnabledCommand(false)->execute();
    }) << frame(23, 2, off);
    QTest::newRow("enhancement") << Run([](CAbstractCommandFactory& f) {
        f.createSetPictureEnhancementEnabledCommand(true)->execute();
    }) << frame(43, 2, on);
    QTest::newRow("defog") << Run([](CAbstractCommandFactory& f) {
        f.createSetDefogModeEnabledCommand(true)->execute();
    }) << frame(25, 2, on);
    QTest::newRow("camera off") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraPowerOnlineCommand(false)->execute();
    }) << frame(16, 0, off);
    QTest::newRow("camera 2") << Run([](CAbstractCommandFactory& f) {
        f.createSetActiveCameraCommand(SystemTypes::Camera2)->execute();
    }) << frame(16, 0, QByteArray(1, 2));
    QTest::newRow("focus speed") << Run([](CAbstractCommandFactory& f) { f.createSetFocusSpeedCommand(-7)->execute(); })
                                 << (frame(20, 2, off) + frame(19, 0, QByteArray(1, char(-7))));
    QTest::newRow("zoom speed") << Run([](CAbstractCommandFactory& f) { f.createSetZoomSpeedCommand(25)->execute(); })
                                << frame(17, 0, QByteArray(1, 25));
    QTest::newRow("zoom position") << Run([](CAbstractCommandFactory& f) {
        f.createSetZoomPositionCommand(100)->execute();
    }) << frame(17, 2, rvqU16(16384));
    QTest::newRow("light") << Run([](CAbstractCommandFactory& f) { f.createSetLightIntensityCommand(80)->execute(); })
                           << frame(38, 0, QByteArray(1, 80));
    QTest::newRow("booster") << Run([](CAbstractCommandFactory& f) {
        f.createSetLightBoosterEnabledCommand(true)->execute();
    }) << (frame(38, 0, QByteArray(1, 100)) + frame(39, 0, on));
    QTest::newRow("tilt speed") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraTiltSpeedCommand(-30)->execute();
    }) << frame(37, 0, QByteArray(1, char(-30)));
    QTest::newRow("pan speed") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraPanSpeedCommand(30)->execute();
    }) << frame(35, 0, QByteArray(1, 30));
    QTest::newRow("tilt position") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraTiltPositionCommand(0x1234)->execute();
    }) << frame(36, 2, rvqU16(0x1234));
    QTest::newRow("pan position") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraPanPositionCommand(0x0102)->execute();
    }) << frame(34, 2, rvqU16(0x0102));
    QTest::newRow("stop movement") << Run([](CAbstractCommandFactory& f) {
        f.createSetCameraTiltSpeedCommand(20)->execute();
        f.createStopMovementCommand()->execute();
    }) << frame(37, 0, QByteArray(1, 0)); // the stop replaces the speed that still waits
    QTest::newRow("shutter") << Run([](CAbstractCommandFactory& f) {
        f.createSetAEAutoModeEnabledCommand(false)->execute();
        f.createSetShutterPositionCommand(2)->execute();
    }) << (frame(23, 2, off) + frame(24, 0, QByteArray(1, char(0x81))) + frame(24, 0, QByteArray(1, char(0x81))));
    QTest::newRow("distance counter") << Run([](CAbstractCommandFactory& f) {
        f.createSetDistanceCounterCommand(2.5)->execute();
    }) << frame(52, 2, rvqF32(2.5f));
    QTest::newRow("locator") << Run([](CAbstractCommandFactory& f) {
        f.createSetLocatorStateCommand(SystemTypes::LocatorState33kHz)->execute();
    }) << frame(85, 0, QByteArray(1, 33));
}

void tst_RVQCommandFactories::everySetterPutsItsFrameOnTheWire()
{
    using Run = RunSetter;
    QFETCH(Run, run);
    QFETCH(QByteArray, frames);

    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    // The shutter reports its lowest position, as the program stores it while the exposure is
    // automatic; otherwise the stored start position would depend on whether the exposure or
    // the shutter reply came in last, and so would the number of steps.
    simulator.setValue(24, QByteArray(1, 0));
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(CRVQConnectionController::DefaultIdentificationInterval, 1000, 10);
    // The start queries fill the storage; polls would only keep the link busy.
    CRVQSystemQueryLogic::PollIntervals polls;
    polls.fast = polls.slow = polls.poll = 600000;
    controller.setQueryLogicPollIntervals(polls);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE_WITH_TIMEOUT(controller.state(), CAbstractConnectionController::StateConnected, LinkWait);
    // Every setter skips a value the storage already holds, so it must hold the system's
    // values (all of them, not only those checked here) before the setter runs.
    QVERIFY(waitForQueuedQueriesAnswered(controller, simulator));
    QVERIFY(storages.data.aeAutoModeEnabled());
    QCOMPARE(storages.data.lightIntensity(), quint8(50));
    QVERIFY(storages.data.autoFocusEnabled());
    QVERIFY(storages.data.cameraPowerOnline());
    QCOMPARE(storages.data.shutterPosition(), 0);

    CZPXCommandFactory factory(&controller, &storages);
    const int mark = simulator.receivedFrames().size();
    run(factory);

    QList<QByteArray> expected;
    for (int at = 0; at < frames.size();) {
        const int size = quint8(frames.at(at + 2));
        expected.append(frames.mid(at, 3 + size));
        at += 3 + size;
    }
    QTRY_COMPARE_WITH_TIMEOUT(controlFramesSince(simulator, mark).size(), expected.size(), LinkWait);
    const auto received = controlFramesSince(simulator, mark);
    for (int i = 0; i < expected.size(); ++i) {
        const CRVQLinkSimulator::ReceivedFrame& frame = received.at(i);
        QCOMPARE(frame.id, quint8(expected.at(i).at(0)));
        QCOMPARE(frame.kind, quint8(expected.at(i).at(1)));
        QCOMPARE(frame.payload, expected.at(i).mid(3));
        // Byte for byte as the link's codec writes it, sequence number included.
        CRVQMessage message(frame.id, frame.kind);
        message.setPayload(frame.payload);
        message.setHasTrailer(frame.hasTrailer);
        message.setTrailer(frame.trailer);
        QCOMPARE(frame.raw, encodeRVQFrame(message));
        QVERIFY(frame.endByteValid);
    }
}

void tst_RVQCommandFactories::zoomPositionMovesTheMotorAndGivesZoomControlBack()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    simulator.setHardwareId(QStringLiteral("ZPH_4.0 V01"));
    simulator.setZoomMotorInterval(5);
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(CRVQConnectionController::DefaultIdentificationInterval, 1000, 10);
    CRVQSystemQueryLogic::PollIntervals polls;
    polls.fast = 10;
    controller.setQueryLogicPollIntervals(polls);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE_WITH_TIMEOUT(controller.state(), CAbstractConnectionController::StateConnected, LinkWait);
    QCOMPARE(controller.systemType(), CommunicationTypes::SystemTypeZPH);
    QTRY_VERIFY_WITH_TIMEOUT(storages.data.zoomControlAvailable(), LinkWait);

    CZPHCommandFactory factory(&controller, &storages);
    factory.createSetZoomPositionCommand(100)->execute();
    QVERIFY(!storages.data.zoomControlAvailable());
    QCOMPARE(storages.data.pendingRawZoomPosition(), quint16(16384));
    // While the move is pending, another position is refused.
    factory.createSetZoomPositionCommand(10)->execute();
    QCOMPARE(storages.data.pendingRawZoomPosition(), quint16(16384));

    QTRY_VERIFY_WITH_TIMEOUT(storages.data.zoomControlAvailable(), LinkWait);
    QCOMPARE(simulator.zoomPosition(), quint16(16384));
    QCOMPARE(storages.data.rawZoomPosition(), quint16(16384));
    QCOMPARE(storages.data.zoomPosition(), quint8(52));
    QCOMPARE(storages.data.zoomFactor(), 36.0f);
    QCOMPARE(storages.data.pendingRawZoomPosition(), CSystemDataStorage::NoPendingRawZoomPosition);
    QCOMPARE(simulator.receivedFrames(17, 2).size(), 1);
}

void tst_RVQCommandFactories::spectatorSendsNothing()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    simulator.setControlHeldByOtherClient(true);
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(CRVQConnectionController::DefaultIdentificationInterval, 1000, 10);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeSpectator);
    QTRY_COMPARE_WITH_TIMEOUT(controller.state(), CAbstractConnectionController::StateConnected, LinkWait);

    CZPXCommandFactory factory(&controller, &storages);
    const int mark = simulator.receivedFrames().size();
    factory.createSetLightIntensityCommand(70)->execute();
    factory.createSetDistanceLaserEnabledCommand(true)->execute();
    factory.createRequestErrorLogCommand()->execute();
    QCOMPARE(storages.data.lightIntensity(), quint8(0));
    QCOMPARE(storages.data.distanceLaserState(), SystemTypes::DistanceLaserStateOff);
    // A message through the same link afterwards arrives alone.
    controller.sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE_WITH_TIMEOUT(simulator.receivedFrames().size(), mark + 1, LinkWait);
    QCOMPARE(simulator.receivedFrames().last().id, quint8(42));
}

void tst_RVQCommandFactories::errorLogRequestFillsTheList()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    // Two records of known codes, one of an unknown code and a byte too many.
    simulator.setErrorRecords(QByteArray::fromHex("0010000A"
                                                  "00200015"
                                                  "0030004D"
                                                  "07"));
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(CRVQConnectionController::DefaultIdentificationInterval, 1000, 10);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE_WITH_TIMEOUT(controller.state(), CAbstractConnectionController::StateConnected, LinkWait);

    CZPXCommandFactory factory(&controller, &storages);
    QSignalSpy listSpy(&storages.data, &CSystemDataStorage::errorRecordListChanged);
    factory.createRequestErrorLogCommand()->execute();
    QTRY_COMPARE_WITH_TIMEOUT(listSpy.count(), 1, LinkWait);
    SystemTypes::ErrorRecordList expected;
    expected.append(qMakePair(quint16(0x0010), SystemTypes::LoggedErrorPressureOK));
    expected.append(qMakePair(quint16(0x0020), SystemTypes::LoggedErrorLightTempHigh));
    QCOMPARE(storages.data.errorRecordList(), expected);

    // Asking again brings the signal again, with the same list.
    factory.createRequestErrorLogCommand()->execute();
    QTRY_COMPARE_WITH_TIMEOUT(listSpy.count(), 2, LinkWait);
    QCOMPARE(storages.data.errorRecordList(), expected);
    QCOMPARE(simulator.receivedFrames(252, 1).size(), 2);
}

void tst_RVQCommandFactories::operatorsSettersGoWithinTheirBoundWhileThePollsWaitForTheSteering()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(CRVQConnectionController::DefaultIdentificationInterval, 600000, 10);
    // The program's polls come faster than the link drains, so that some always wait.
    CRVQSystemQueryLogic::PollIntervals polls;
    polls.fast = 10;
    polls.slow = 50;
    controller.setQueryLogicPollIntervals(polls);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE_WITH_TIMEOUT(controller.state(), CAbstractConnectionController::StateConnected, LinkWait);
    // A focus speed then switches the auto focus off first: two messages.
    QTRY_VERIFY_WITH_TIMEOUT(storages.data.autoFocusEnabled() && storages.data.lightIntensity() == 50, LinkWait);

    // What the operator is promised while steering: the k-th message (from 0) of setters
    // called together reaches the camera among the first 11 + 2k messages after the call, and
    // the steering keeps every other turn.
    const auto promised = [](int k) { return 11 + 2 * k; };
    // The light slider moves every second message across full light and back, and ends there:
    // each position, or a later one, reaches the camera within this many messages.
    const int promisedToTheSlider = 15;
    QList<quint8> slider;
    for (int light = 96; light <= 100; ++light)
        slider.append(quint8(light));
    for (int light = 99; light >= 95; --light)
        slider.append(quint8(light));
    for (int light = 96; light <= 100; ++light)
        slider.append(quint8(light));

    CZPXCommandFactory factory(&controller, &storages);
    QList<CRVQLinkSimulator::ReceivedFrame> messages; // a resend is not a message
    int batchCalledAt = -1;
    QList<QPair<int, quint8>> sliderMoves; // where each position was set, and which
    int sliderStartsAt = -1;
    int steeringEndsAt = -1;
    const QMetaObject::Connection steering =
        connect(&simulator, &CRVQLinkSimulator::frameReceived, this, [&](quint8 id, quint8 kind) {
            const CRVQLinkSimulator::ReceivedFrame frame = simulator.receivedFrames().constLast();
            if (!messages.isEmpty() && frame.raw == messages.constLast().raw)
                return;
            messages.append(frame);
            const int at = messages.size();
            // Each pan or tilt frame brings the next speed, at the most urgent priority.
            if (kind == 0 && id == 35 && steeringEndsAt < 0)
                factory.createSetCameraPanSpeedCommand(qint8(3 - storages.data.cameraPanSpeed()))->execute();
            else if (kind == 0 && id == 37 && steeringEndsAt < 0)
                factory.createSetCameraTiltSpeedCommand(qint8(3 - storages.data.cameraTiltSpeed()))->execute();
            if (batchCalledAt < 0 && at == 20) {
                batchCalledAt = at;
                factory.createSetLightIntensityCommand(70)->execute();
                factory.createSetPictureFlipEnabledCommand(!storages.data.pictureFlipEnabled())->execute();
                factory.createSetFocusSpeedCommand(20)->execute();
                factory.createSetPictureStabilizerEnabledCommand(!storages.data.pictureStabilizerEnabled())->execute();
                factory.createSetDigitalZoomEnabledCommand(!storages.data.digitalZoomEnabled())->execute();
            }
            if (sliderStartsAt < 0 && at == 80)
                sliderStartsAt = at;
            if (sliderStartsAt > 0 && sliderMoves.size() < slider.size() && (at - sliderStartsAt) % 2 == 0) {
                sliderMoves.append(qMakePair(at, slider.at(sliderMoves.size())));
                factory.createSetLightIntensityCommand(sliderMoves.constLast().second)->execute();
            }
            if (steeringEndsAt < 0 && sliderMoves.size() == slider.size() && at - sliderMoves.constLast().first == 40)
                steeringEndsAt = at;
        });
    factory.createSetCameraPanSpeedCommand(1)->execute();
    factory.createSetCameraTiltSpeedCommand(1)->execute();
    const auto isSteering = [](const CRVQLinkSimulator::ReceivedFrame& frame) {
        return frame.kind == 0 && (frame.id == 35 || frame.id == 37);
    };
    QTRY_VERIFY_WITH_TIMEOUT(steeringEndsAt > 0 && messages.size() > steeringEndsAt + 10, LinkWait);
    disconnect(steering);
    int firstSteering = 0;
    while (!isSteering(messages.at(firstSteering)))
        ++firstSteering;
    int lastSteering = messages.size() - 1;
    while (!isSteering(messages.at(lastSteering)))
        --lastSteering;
    QVERIFY(lastSteering >= steeringEndsAt - 1);
    // The polls catch up once the steering has ended.
    bool pollsCaughtUp = false;
    for (int i = lastSteering + 1; i < messages.size(); ++i)
        pollsCaughtUp = pollsCaughtUp || messages.at(i).kind == CRVQMessage::KindQuery;
    QVERIFY(pollsCaughtUp);

    // The setters called together, each message within its promise.
    QList<quint8> batch;
    for (int i = batchCalledAt, k = 0; i < messages.size(); ++i) {
        const CRVQLinkSimulator::ReceivedFrame& frame = messages.at(i);
        if (frame.kind == CRVQMessage::KindQuery || !QList<quint8>({38, 26, 20, 19, 27, 18}).contains(frame.id))
            continue;
        if (frame.id == 38 && frame.payload != QByteArray(1, 70))
            break; // the slider
        QVERIFY2(i - batchCalledAt < promised(k), qPrintable(QStringLiteral("message %1 of the setters, %2, after %3 messages")
                                                                 .arg(k)
                                                                 .arg(frame.id)
                                                                 .arg(i - batchCalledAt)));
        batch.append(frame.id);
        ++k;
    }
    std::sort(batch.begin(), batch.end());
    QCOMPARE(batch, (QList<quint8>{18, 19, 20, 26, 27, 38}));

    // Each slider position, or a later one, on the wire within its promise, the booster with
    // it, and the last position (full light, booster on) while the operator still steered.
    for (int move = 0; move < sliderMoves.size(); ++move) {
        const int calledAt = sliderMoves.at(move).first;
        QList<quint8> laterPositions;
        for (int later = move; later < sliderMoves.size(); ++later)
            laterPositions.append(sliderMoves.at(later).second);
        int arrivedAt = calledAt;
        while (arrivedAt < messages.size()
               && !(messages.at(arrivedAt).id == 38 && messages.at(arrivedAt).kind == 0
                    && laterPositions.contains(quint8(messages.at(arrivedAt).payload.at(0)))))
            ++arrivedAt;
        QVERIFY2(arrivedAt - calledAt < promisedToTheSlider,
            qPrintable(QStringLiteral("slider at %1 set after message %2 arrived %3 messages later")
                           .arg(sliderMoves.at(move).second).arg(calledAt).arg(arrivedAt - calledAt)));
    }
    QCOMPARE(simulator.value(38), QByteArray(1, 100));
    QCOMPARE(simulator.value(39), QByteArray(1, 1));
    int lastBooster = messages.size() - 1;
    while (messages.at(lastBooster).id != 39)
        --lastBooster;
    QVERIFY(lastBooster < lastSteering);

    // None of the program's polls went while the operator steered, and the steering kept every
    // other turn.
    for (int i = firstSteering; i <= lastSteering; ++i) {
        QVERIFY2(messages.at(i).kind != CRVQMessage::KindQuery,
            qPrintable(QStringLiteral("query %1 at %2 while steering").arg(messages.at(i).id).arg(i)));
        QVERIFY2(i == firstSteering || isSteering(messages.at(i)) || isSteering(messages.at(i - 1)),
            qPrintable(QStringLiteral("no steering at %1 and %2").arg(i - 1).arg(i)));
    }
}

QTEST_GUILESS_MAIN(tst_RVQCommandFactories)
#include "tst_RVQCommandFactories.moc"
