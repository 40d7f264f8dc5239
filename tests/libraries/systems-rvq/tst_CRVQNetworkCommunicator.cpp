#include "CRVQLinkSimulator.h"
#include "RVQTestSupport.h"

#include "rvq/CRVQMessage.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/IRVQMessageProcessor.h"
#include "rvq/CSetAEAutoModeEnabledCommand.h"
#include "rvq/CSetAutoFocusEnabledCommand.h"
#include "rvq/CSetCameraPanSpeedCommand.h"
#include "rvq/CSetCameraTiltSpeedCommand.h"
#include "rvq/CSetDefogModeEnabledCommand.h"
#include "rvq/CSetFocusSpeedCommand.h"
#include "rvq/CSetLightBoosterEnabledCommand.h"
#include "rvq/CSetLightIntensityCommand.h"
#include "rvq/CSetPictureEnhancementEnabledCommand.h"
#include "rvq/CSetShutterPositionCommand.h"
#include "rvq/CSetZoomSpeedCommand.h"
#include "rvq/RVQMessages.h"

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <utility>

using namespace Ulx;
using Ulx::Communication::CAbstractRVQCommunicator;
using Ulx::Communication::CRVQNetworkCommunicator;

namespace {

// Short ticks keep the resend time at 50 ms; every wait below is on a condition, not a time.
constexpr int TestTick = 5;

struct RecordingProcessor : public IRVQMessageProcessor
{
    QList<CRVQMessage> messages;
    std::function<void(CRVQMessage*)> onMessage;

    void processMessage(CRVQMessage* message) override
    {
        messages.append(*message);
        if (onMessage)
            onMessage(message);
    }

    int count(quint32 id) const
    {
        int n = 0;
        for (const CRVQMessage& message : messages)
            n += message.id() == id ? 1 : 0;
        return n;
    }
};

CRVQMessage* withPriority(CRVQMessage* message, int priority)
{
    message->setPriority(priority);
    return message;
}

QList<quint8> receivedIds(const CRVQLinkSimulator& simulator)
{
    QList<quint8> ids;
    const auto frames = simulator.receivedFrames();
    for (const auto& frame : frames)
        ids.append(frame.id);
    return ids;
}

// The messages of these ids in their order as "id/kind/payload"; with sequence numbers a
// resend is the frame before once more, not another message.
QString sentOrder(const CRVQLinkSimulator& simulator, const QList<quint8>& ids)
{
    QStringList texts;
    QByteArray previous;
    const auto frames = simulator.receivedFrames();
    for (const auto& frame : frames) {
        if (frame.raw != std::exchange(previous, frame.raw) && ids.contains(frame.id))
            texts.append(QStringLiteral("%1/%2/%3").arg(frame.id).arg(frame.kind).arg(QString(frame.payload.toHex())));
    }
    return texts.join(QLatin1Char(' '));
}

// Where the frame of this id, kind and payload arrived, or -1.
int frameIndex(const CRVQLinkSimulator& simulator, quint8 id, quint8 kind, const QByteArray& payload = QByteArray())
{
    const auto frames = simulator.receivedFrames();
    for (int i = 0; i < frames.size(); ++i) {
        if (frames.at(i).id == id && frames.at(i).kind == kind && (payload.isNull() || frames.at(i).payload == payload))
            return i;
    }
    return -1;
}

} // namespace

class tst_CRVQNetworkCommunicator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connectsWithSocketOptionsAndReportsStates();
    void queryIsAnsweredAndProcessed();
    void priorityOrderWithTiesToTheHead();
    void likeCommandsAreMergedInPlace();
    void excludedIdsAreNotMerged();
    void overlayLinesMergeByRowButNeverAcrossAClear();
    void settersGoFirstAndAStarvedOverlayTakesATurn();
    void shutterMoveLetsOtherSettersBetweenItsSteps();
    void commandsKeepTheirOrderWhateverLaneEachTakes();
    void newerValueNeverTakesThePlaceOfOneThatOthersNeed();
    void repeatedZoomQueryTakesTurnsWithTheSetters();
    void overlayGetsATurnWhateverTheTrafficAndLeavesSettersBetweenRows();
    void waitingSetterGetsATurnWhileTheOperatorSteers();
    void sequenceNumbersStampReplacementsToo();
    void sequenceCounterRestartsWhenSwitched();
    void ackForQueryKeepsWaitingForTheReply();
    void ackBeforeAnySendIsIgnored();
    void unansweredMessageGoesThreeTimesThenGivesWay();
    void everyMessageGetsItsOwnThreeTries();
    void droppedReplyIsResentOnce();
    void lateAckDoesNotWedgeTheQueue();
    void frameSplitByteByByte();
    void ackAndSeveralFramesInOneWrite();
    void strayBytesDiscardTheReplyAndTheResendRecovers();
    void badEndByteIsDiscardedAndRecoveredByResend();
    void hugeLengthWaitsAndRecovers();
    void processorMayDisconnectFromInside();
    void processorMayResetFromInside();
    void gracefulDisconnectSendsTheQueueFirst();
    void gracefulDisconnectIsBoundedWhenSilent();
    void messagesAfterDisconnectRequestAreDropped();
    void peerCloseWithFin();
    void peerCloseWithRst();
    void refusedConnection();
    void connectWhileConnectingIsBusy();
    void simulatorZoomMotorFollowsSpeedAndPosition();
    void standaloneSimulatorProgram();

private:
    void connectLink();

    CRVQLinkSimulator* m_simulator = nullptr;
    CRVQNetworkCommunicator* m_communicator = nullptr;
    RecordingProcessor m_processor;
};

void tst_CRVQNetworkCommunicator::init()
{
    CAbstractRVQCommunicator::registerMetaTypes();
    m_simulator = new CRVQLinkSimulator;
    QVERIFY(m_simulator->listen());
    m_communicator = new CRVQNetworkCommunicator;
    m_processor = RecordingProcessor();
    m_communicator->setMessageProcessor(&m_processor);
    m_communicator->setTickInterval(TestTick);
    m_communicator->setDisconnectTimeout(2000);
    m_communicator->setHost(QStringLiteral("127.0.0.1"));
    m_communicator->setPort(m_simulator->port());
}

void tst_CRVQNetworkCommunicator::cleanup()
{
    delete m_communicator;
    m_communicator = nullptr;
    delete m_simulator;
    m_simulator = nullptr;
}

void tst_CRVQNetworkCommunicator::connectLink()
{
    m_communicator->connectToSystem();
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateConnected);
    QTRY_COMPARE(m_simulator->clientCount(), 1);
}

void tst_CRVQNetworkCommunicator::connectsWithSocketOptionsAndReportsStates()
{
    QSignalSpy stateSpy(m_communicator, &CAbstractRVQCommunicator::stateChanged);
    QVERIFY(!m_communicator->isReadyToSend());
    connectLink();
    QVERIFY(m_communicator->isReadyToSend());
    QVERIFY(stateSpy.count() >= 2); // connecting, connected
    QCOMPARE(m_communicator->port(), m_simulator->port());
}

void tst_CRVQNetworkCommunicator::queryIsAnsweredAndProcessed()
{
    connectLink();
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    QTRY_COMPARE(m_processor.count(254), 1);
    QString hardwareId;
    QVERIFY(m_processor.messages.first().readString(0, hardwareId));
    QCOMPARE(hardwareId, QStringLiteral("ZPX_1.0 V01"));
    QCOMPARE(m_simulator->receivedFrames(254).size(), 1);
    QVERIFY(!m_simulator->receivedFrames(254).first().hasTrailer);
}

void tst_CRVQNetworkCommunicator::priorityOrderWithTiesToTheHead()
{
    connectLink();
    // Head first: 3, 1 (42), 1 (49), 0.
    m_communicator->sendMessage(withPriority(createRVQClimateQueryMessage(), 3));
    m_communicator->sendMessage(withPriority(createRVQBatteryQueryMessage(), 1));
    m_communicator->sendMessage(withPriority(createRVQHourCounterQueryMessage(), 1));
    m_communicator->sendMessage(withPriority(createRVQInclinationQueryMessage(), 0));
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 4);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{251, 42, 49, 40}));
    QTRY_COMPARE(m_processor.messages.size(), 4);
}

void tst_CRVQNetworkCommunicator::likeCommandsAreMergedInPlace()
{
    connectLink();
    m_communicator->sendMessage(createRVQZoomSpeedMessage(20));
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    m_communicator->sendMessage(createRVQZoomSpeedMessage(-40));
    QVERIFY(m_communicator->hasPendingMessages());
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 2);
    QTRY_COMPARE(m_processor.count(42), 1);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{17, 42}));
    QCOMPARE(m_simulator->receivedFrames(17).first().payload, QByteArray(1, char(-40)));
    QTRY_COMPARE(m_simulator->zoomSpeed(), -40);
}

void tst_CRVQNetworkCommunicator::excludedIdsAreNotMerged()
{
    connectLink();
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    m_communicator->sendMessage(createRVQShutterStepMessage(RVQShutterStepUp));
    m_communicator->sendMessage(createRVQShutterStepMessage(RVQShutterStepUp));
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 4);
    QCOMPARE(m_simulator->receivedFrames(254).size(), 2);
    QCOMPARE(m_simulator->receivedFrames(24).size(), 2);
    QTRY_COMPARE(m_simulator->value(24), QByteArray(1, 12));
}

void tst_CRVQNetworkCommunicator::overlayLinesMergeByRowButNeverAcrossAClear()
{
    connectLink();
    const auto overlay = [this](CRVQMessage* message) { m_communicator->sendMessage(withPriority(message, 2)); };
    // All wait at once: the newest text and placement of a row take the place of the older
    // ones, but what follows a clear stays after it; switches are each sent.
    overlay(createRVQOverlayTextMessage(0, QStringLiteral("a")));
    overlay(createRVQOverlayTextMessage(1, QStringLiteral("b")));
    overlay(createRVQOverlayTextColorsMessage(0, 3, 1, 0));
    overlay(createRVQOverlayTextMessage(0, QStringLiteral("c")));
    overlay(createRVQOverlayTextColorsMessage(0, 4, 1, 0));
    overlay(createRVQOverlayClearMessage());
    overlay(createRVQOverlayTextMessage(0, QStringLiteral("d")));
    overlay(createRVQOverlayTextColorsMessage(0, 5, 2, 0));
    overlay(createRVQOverlayOnMessage());
    overlay(createRVQOverlayOffMessage());
    overlay(createRVQOverlayOnMessage());
    overlay(createRVQOverlayTextMessage(0, QStringLiteral("e")));
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 9);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{152, 152, 146, 136, 152, 146, 128, 129, 128}));
    const auto frames = m_simulator->receivedFrames();
    QCOMPARE(frames.at(0).payload, QByteArray("\x00" "C", 2) + QByteArray(1, '\0'));
    QCOMPARE(frames.at(2).payload, QByteArray("\x00\x04\x01\x00", 4));
    QCOMPARE(frames.at(4).payload, QByteArray("\x00" "E", 2) + QByteArray(1, '\0'));
    QVERIFY(!m_communicator->hasPendingMessages());
    // The camera ends as if every message had been sent.
    const QMap<int, CRVQLinkSimulator::OverlayRow> rows = m_simulator->overlayRows();
    QCOMPARE(rows.keys(), QList<int>{0});
    QCOMPARE(rows.value(0).text, QStringLiteral("E"));
    QCOMPARE(rows.value(0).column, 5);
    QCOMPARE(rows.value(0).colorCode, 2);
    QVERIFY(m_simulator->overlayOn());
}

void tst_CRVQNetworkCommunicator::settersGoFirstAndAStarvedOverlayTakesATurn()
{
    connectLink();
    // Rows waiting behind setters queued after them.
    for (quint8 row = 0; row < 3; ++row)
        m_communicator->sendMessage(withPriority(createRVQOverlayTextMessage(row, QStringLiteral("row")), 2));
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(40), 1));
    m_communicator->sendMessage(withPriority(createRVQZoomSpeedMessage(5), 1));
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 5);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{38, 17, 152, 152, 152}));

    // A setter always waits (each one's frame brings the next): a row still goes, after at
    // most ten setters, and every setter arrives.
    m_simulator->clearReceivedFrames();
    int setters = 0;
    const int lastSetter = 30;
    const QMetaObject::Connection flood = connect(m_simulator, &CRVQLinkSimulator::frameReceived, this,
        [&](quint8 id, quint8) {
            if (id == 38 && setters < lastSetter)
                m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(qint8(++setters % 100)), 1));
        });
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(0), 1));
    m_communicator->sendMessage(withPriority(createRVQOverlayTextMessage(7, QStringLiteral("aged")), 2));
    QTRY_COMPARE(m_simulator->receivedFrames(152).size(), 1);
    QTRY_COMPARE(m_simulator->receivedFrames(38).size(), lastSetter + 1);
    disconnect(flood);
    const QList<quint8> ids = receivedIds(*m_simulator);
    const int settersBeforeRow = ids.indexOf(152);
    QVERIFY2(settersBeforeRow >= 1 && settersBeforeRow <= 11,
             qPrintable(QStringLiteral("%1 setters before the row").arg(settersBeforeRow)));
    QVERIFY(settersBeforeRow < lastSetter);
    QCOMPARE(m_simulator->value(38), QByteArray(1, char(lastSetter % 100)));
    QCOMPARE(m_simulator->overlayRows().value(7).text, QStringLiteral("AGED"));
}

void tst_CRVQNetworkCommunicator::shutterMoveLetsOtherSettersBetweenItsSteps()
{
    connectLink();
    m_simulator->setValue(24, QByteArray(1, 10));
    // Forty steps up, then a light setter, an exposure setter and a shutter query: the light
    // goes between the steps, the exposure setter and the query keep their place after them.
    for (int i = 0; i < 40; ++i)
        m_communicator->sendMessage(withPriority(createRVQShutterStepMessage(RVQShutterStepUp), 1));
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(70), 1));
    m_communicator->sendMessage(withPriority(createRVQAEAutoModeMessage(1), 1));
    m_communicator->sendMessage(withPriority(createRVQShutterQueryMessage(), 3));
    QTRY_COMPARE(m_processor.count(24), 1);
    QList<quint8> ids = receivedIds(*m_simulator);
    QCOMPARE(ids.size(), 43);
    QCOMPARE(ids.count(24), 41);
    QVERIFY2(ids.indexOf(38) <= 2, qPrintable(QStringLiteral("light after %1 frames").arg(ids.indexOf(38))));
    QCOMPARE(ids.at(41), quint8(23));
    QCOMPARE(m_simulator->receivedFrames(24, 1).size(), 1);
    QCOMPARE(ids.last(), quint8(24));
    // The camera ends as the plain order leaves it; the query reads the moved shutter.
    QCOMPARE(m_simulator->value(24), QByteArray(1, 50));
    QCOMPARE(m_simulator->value(38), QByteArray(1, 70));
    QCOMPARE(m_simulator->value(23), QByteArray(1, 1));
    QCOMPARE(m_processor.messages.last().payload(), QByteArray(1, 50));

    // Steps never pass an exposure setter queued before them, whichever lane went last.
    m_simulator->clearReceivedFrames();
    m_communicator->sendMessage(withPriority(createRVQAEAutoModeMessage(0), 1));
    m_communicator->sendMessage(withPriority(createRVQShutterStepMessage(RVQShutterStepDown), 1));
    m_communicator->sendMessage(withPriority(createRVQShutterStepMessage(RVQShutterStepDown), 1));
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 3);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{23, 24, 24}));
    QCOMPARE(m_simulator->value(24), QByteArray(1, 48));
}

void tst_CRVQNetworkCommunicator::commandsKeepTheirOrderWhateverLaneEachTakes()
{
    using namespace Ulx::SystemControl;
    connectLink();
    m_simulator->setValue(24, QByteArray(1, 0));
    RVQTestStorageProvider storages;
    CSystemDataStorage& data = storages.data;
    data.setZoomControlAvailable(true);
    data.setLightIntensity(50);
    // Everything below is queued before the first message leaves, so the queue alone decides.
    // Manual exposure with a shutter move waiting: defog switches the automatic exposure on
    // first, and the automatic exposure waits for the steps queued before it.
    CSetShutterPositionCommand(m_communicator, &storages, 25).execute();
    CSetDefogModeEnabledCommand(m_communicator, &storages, true).execute();
    // A zoom query of the poll waits ahead of a speed; stopping then asks the position, which
    // must be read after the stop, not in the poll's place before it.
    m_communicator->sendMessage(withPriority(createRVQZoomPositionQueryMessage(), 0));
    CSetZoomSpeedCommand(m_communicator, &storages, 40).execute();
    CSetZoomSpeedCommand(m_communicator, &storages, 0).execute();
    // A focus speed waits ahead of the auto focus switched on; the next focus speed switches
    // it off first, and must not take the waiting speed's place ahead of that.
    CSetFocusSpeedCommand(m_communicator, &storages, 30).execute();
    CSetAutoFocusEnabledCommand(m_communicator, &storages, true).execute();
    CSetFocusSpeedCommand(m_communicator, &storages, -30).execute();
    // Full light switches the booster on after the intensity; a lower light switches it off
    // before the intensity, with both of the earlier ones still waiting.
    CSetLightBoosterEnabledCommand(m_communicator, &storages, true).execute();
    CSetLightIntensityCommand(m_communicator, &storages, 60).execute();

    QTRY_COMPARE(m_simulator->receivedFrames(24).size(), 25);
    QTRY_COMPARE(m_simulator->receivedFrames(38).size(), 1);
    QTRY_VERIFY(!m_communicator->hasPendingMessages());
    QTRY_COMPARE(m_processor.count(17), 1);
    const auto before = [this](quint8 id, quint8 kind, const QByteArray& payload, quint8 laterId, quint8 laterKind,
                               const QByteArray& laterPayload) {
        const int first = frameIndex(*m_simulator, id, kind, payload);
        const int second = frameIndex(*m_simulator, laterId, laterKind, laterPayload);
        return first >= 0 && second > first;
    };
    const QByteArray on(1, 1);
    const QByteArray off(1, 0);
    QVERIFY2(before(23, 2, on, 25, 2, on), "defog went before the automatic exposure");
    QVERIFY(frameIndex(*m_simulator, 23, 2, on) > receivedIds(*m_simulator).lastIndexOf(24));
    QVERIFY2(before(17, 0, off, 17, 1, QByteArray()), "the zoom was read before it stopped");
    QCOMPARE(m_simulator->receivedFrames(17, 1).size(), 1);
    QVERIFY2(before(20, 2, off, 19, 0, QByteArray(1, char(-30))), "focus speed before the auto focus went off");
    QVERIFY2(before(39, 0, off, 38, 0, QByteArray(1, 60)), "light before the booster went off");
    // The camera ends as the commands left the storage.
    QCOMPARE(m_simulator->value(23), on);
    QCOMPARE(m_simulator->value(25), on);
    QCOMPARE(m_simulator->value(24), QByteArray(1, 25));
    QCOMPARE(m_simulator->value(20), off);
    QCOMPARE(m_simulator->value(38), QByteArray(1, 60));
    QCOMPARE(m_simulator->value(39), off);
    QCOMPARE(m_simulator->zoomSpeed(), 0);

    // The same for enhancement, with the exposure manual and another move waiting.
    CSetAEAutoModeEnabledCommand(m_communicator, &storages, false).execute();
    QTRY_COMPARE(m_simulator->value(23), off);
    m_simulator->clearReceivedFrames();
    CSetShutterPositionCommand(m_communicator, &storages, 5).execute();
    CSetPictureEnhancementEnabledCommand(m_communicator, &storages, true).execute();
    QTRY_COMPARE(m_simulator->receivedFrames(43).size(), 1);
    QTRY_VERIFY(!m_communicator->hasPendingMessages());
    QVERIFY2(before(23, 2, on, 43, 2, on), "enhancement went before the automatic exposure");
    QCOMPARE(m_simulator->receivedFrames(24).size(), 5);
    QVERIFY(frameIndex(*m_simulator, 23, 2, on) > receivedIds(*m_simulator).lastIndexOf(24));
    QCOMPARE(m_simulator->value(43), on);
}

void tst_CRVQNetworkCommunicator::newerValueNeverTakesThePlaceOfOneThatOthersNeed()
{
    using namespace Ulx::SystemControl;
    connectLink();
    m_communicator->setUseSequenceNumbers(true);
    RVQTestStorageProvider storages;
    storages.data.setLightIntensity(50);
    // Queued before the first message leaves: three shutter steps, the exposure on, defog (which
    // needs it on), the exposure off; enhancement switches it on again, then it goes off again.
    CSetShutterPositionCommand(m_communicator, &storages, 3).execute();
    CSetAEAutoModeEnabledCommand(m_communicator, &storages, true).execute();
    CSetDefogModeEnabledCommand(m_communicator, &storages, true).execute();
    CSetAEAutoModeEnabledCommand(m_communicator, &storages, false).execute();
    CSetPictureEnhancementEnabledCommand(m_communicator, &storages, true).execute();
    CSetAEAutoModeEnabledCommand(m_communicator, &storages, false).execute();
    // The light dragged across full and back: only the last booster and light still go.
    for (int i = 0; i < 10; ++i)
        CSetLightIntensityCommand(m_communicator, &storages, quint8(i % 2 ? 99 : 100)).execute();
    QTRY_COMPARE(sentOrder(*m_simulator, {23, 24, 25, 43}) + QStringLiteral(" | ") + sentOrder(*m_simulator, {38, 39}),
                 QStringLiteral("24/0/81 24/0/81 24/0/81 23/2/01 25/2/01 23/2/01 43/2/01 23/2/00 | 39/0/00 38/0/63"));

    // A newer value that cannot take the place of one that others need goes after it, even
    // when it is more urgent: the camera ends with the newer value.
    m_simulator->clearReceivedFrames();
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(100), 2));
    m_communicator->sendMessage(withPriority(createRVQLightBoosterMessage(1), 2));
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(50), 1));
    QTRY_COMPARE(m_simulator->receivedFrames(39).size(), 1);
    QTRY_COMPARE(sentOrder(*m_simulator, {38}), QStringLiteral("38/0/64 38/0/32"));
    QCOMPARE(m_simulator->value(38), QByteArray(1, 50));
}

void tst_CRVQNetworkCommunicator::repeatedZoomQueryTakesTurnsWithTheSetters()
{
    connectLink();
    m_simulator->setValue(24, QByteArray(1, 0));
    // The worst case of the poll: a new query waits again as soon as the last one left.
    constexpr int polls = 40;
    int queued = 0;
    const auto poll = [&] {
        ++queued;
        m_communicator->sendMessage(withPriority(createRVQZoomPositionQueryMessage(), 0));
    };
    const auto repollOnEachQuery = [&](quint8 id, quint8 kind) {
        if (id == 17 && kind == 1 && queued < polls)
            poll();
    };
    const QMetaObject::Connection repoll =
        connect(m_simulator, &CRVQLinkSimulator::frameReceived, this, repollOnEachQuery);
    // At most one waits however often it is asked.
    poll();
    poll();
    poll();
    for (int i = 0; i < 20; ++i)
        m_communicator->sendMessage(withPriority(createRVQShutterStepMessage(RVQShutterStepUp), 1));
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(70), 1));
    m_communicator->sendMessage(withPriority(createRVQPanSpeedMessage(20), 0));
    QTRY_COMPARE(m_simulator->receivedFrames(24).size(), 20);
    QTRY_COMPARE(m_simulator->receivedFrames(38).size(), 1);
    QTRY_COMPARE(m_simulator->receivedFrames(35).size(), 1);
    disconnect(repoll);
    QTRY_VERIFY(!m_communicator->hasPendingMessages());
    // An empty queue may still leave the last query waiting for its answer; one message at a
    // time goes out, so once a later one is answered, every query has been.
    const int identities = m_processor.count(254);
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    QTRY_COMPARE(m_processor.count(254), identities + 1);

    // Until the last setter left, never two queries in a row, and every query was answered.
    const QList<quint8> ids = receivedIds(*m_simulator);
    const int lastSetter = qMax(ids.lastIndexOf(24), qMax(ids.lastIndexOf(38), ids.lastIndexOf(35)));
    for (int i = 1; i <= lastSetter; ++i)
        QVERIFY2(!(ids.at(i) == 17 && ids.at(i - 1) == 17), qPrintable(QStringLiteral("two queries at %1").arg(i)));
    QVERIFY2(ids.indexOf(17) <= 1, "the first query waited for the setters");
    QCOMPARE(ids.count(17), m_processor.count(17));
    QVERIFY(ids.mid(0, lastSetter + 1).count(17) <= lastSetter / 2 + 1);
    QCOMPARE(m_simulator->value(24), QByteArray(1, 20));
}

void tst_CRVQNetworkCommunicator::overlayGetsATurnWhateverTheTrafficAndLeavesSettersBetweenRows()
{
    connectLink();
    // A row waits for at most ten messages, and takes no more than one turn in eleven.
    const int bound = 10;
    // The operator steers: each pan frame brings the next pan speed at the most urgent
    // priority, and the zoom poll waits again as soon as it left.
    const int lastPan = 8 * bound;
    int pans = 0;
    const auto steerAndPoll = [&](quint8 id, quint8) {
        if (pans >= lastPan)
            return;
        if (id == 35)
            m_communicator->sendMessage(withPriority(createRVQPanSpeedMessage(qint8(++pans % 50)), 0));
        else if (id == 17)
            m_communicator->sendMessage(withPriority(createRVQZoomPositionQueryMessage(), 0));
    };
    const QMetaObject::Connection steer = connect(m_simulator, &CRVQLinkSimulator::frameReceived, this, steerAndPoll);
    m_communicator->sendMessage(withPriority(createRVQPanSpeedMessage(0), 0));
    m_communicator->sendMessage(withPriority(createRVQZoomPositionQueryMessage(), 0));
    for (quint8 row = 0; row < 4; ++row) {
        const QString text = QStringLiteral("row %1").arg(row);
        m_communicator->sendMessage(withPriority(createRVQOverlayTextMessage(row, text), 2));
    }
    QTRY_COMPARE(m_simulator->receivedFrames(152).size(), 4);
    QTRY_COMPARE(m_simulator->receivedFrames(35).size(), lastPan + 1);
    disconnect(steer);

    // The first row within the bound, each next one with exactly the bound's worth of others
    // between, all while the operator still steered.
    const QList<quint8> ids = receivedIds(*m_simulator);
    QList<int> rows;
    for (int i = 0; i < ids.size(); ++i) {
        if (ids.at(i) == 152)
            rows.append(i);
    }
    QVERIFY2(rows.first() <= bound, qPrintable(QStringLiteral("first row after %1 messages").arg(rows.first())));
    for (int i = 1; i < rows.size(); ++i) {
        const int between = rows.at(i) - rows.at(i - 1) - 1;
        QVERIFY2(between == bound,
                 qPrintable(QStringLiteral("%1 messages between rows %2 and %3").arg(between).arg(i - 1).arg(i)));
    }
    QVERIFY(rows.last() < ids.lastIndexOf(35));
    QCOMPARE(m_simulator->overlayRows().value(3).text, QStringLiteral("ROW 3"));
    QCOMPARE(m_simulator->receivedFrames(35).last().payload, QByteArray(1, char(lastPan % 50)));
}

void tst_CRVQNetworkCommunicator::waitingSetterGetsATurnWhileTheOperatorSteers()
{
    using namespace Ulx::SystemControl;
    connectLink();
    RVQTestStorageProvider storages;
    // What the operator is promised while steering: a setter waits for at most ten steering
    // messages (and one late turn of another's), a shutter move takes one step in eleven, and
    // the steering keeps every other turn.
    const int promised = 10;
    // Each pan or tilt frame brings the next speed, at the most urgent priority; each light
    // frame the next light; a move of three shutter steps and a status poll wait from the start.
    // A resend is not a message.
    QList<quint8> ids;
    QByteArray last;
    const int steeringMessages = 120;
    const QMetaObject::Connection steering = connect(m_simulator, &CRVQLinkSimulator::frameReceived, this,
        [&](quint8 id, quint8) {
            const QByteArray frame = m_simulator->receivedFrames().last().raw;
            if (frame == std::exchange(last, frame))
                return;
            ids.append(id);
            if (id == 35 && ids.size() < steeringMessages)
                CSetCameraPanSpeedCommand(m_communicator, &storages, qint8(ids.size() % 50)).execute();
            else if (id == 37 && ids.size() < steeringMessages)
                CSetCameraTiltSpeedCommand(m_communicator, &storages, qint8(ids.size() % 50)).execute();
            else if (id == 38 && ids.count(38) < 5)
                CSetLightIntensityCommand(m_communicator, &storages, quint8(10 + ids.count(38))).execute();
        });
    CSetCameraPanSpeedCommand(m_communicator, &storages, 60).execute();
    CSetCameraTiltSpeedCommand(m_communicator, &storages, 60).execute();
    CSetLightIntensityCommand(m_communicator, &storages, 10).execute();
    CSetShutterPositionCommand(m_communicator, &storages, 3).execute();
    m_communicator->sendMessage(withPriority(createRVQBatteryQueryMessage(), 3));
    QTRY_VERIFY(ids.count(38) == 5 && ids.count(42) == 1 && !m_communicator->hasPendingMessages());
    disconnect(steering);

    // Each light within the promise after the one before brought it, while the speeds still
    // went.
    const auto steeringBetween = [&ids](int from, int to) {
        const auto steers = [](quint8 id) { return id == 35 || id == 37; };
        return int(std::count_if(ids.begin() + from + 1, ids.begin() + to, steers));
    };
    const int lastSteering = qMax(ids.lastIndexOf(35), ids.lastIndexOf(37));
    QVERIFY2(ids.indexOf(38) <= promised, qPrintable(QStringLiteral("first light at %1").arg(ids.indexOf(38))));
    for (int at = ids.indexOf(38), next; (next = ids.indexOf(38, at + 1)) > 0; at = next) {
        QVERIFY2(steeringBetween(at, next) <= promised && next - at - 1 <= promised + 2,
            qPrintable(QStringLiteral("lights at %1 and %2").arg(at).arg(next)));
    }
    QVERIFY(ids.lastIndexOf(38) < lastSteering);
    // The steps at the move's own pace, neither faster nor slower, however long the first one
    // had waited.
    QList<int> steps;
    for (int i = 0; i < ids.size(); ++i) {
        if (ids.at(i) == 24)
            steps.append(i);
    }
    QCOMPARE(steps.size(), 3);
    QVERIFY(steps.last() < lastSteering);
    QVERIFY2(steps.first() <= promised + 2, qPrintable(QStringLiteral("first step at %1").arg(steps.first())));
    for (int i = 1; i < steps.size(); ++i) {
        const int between = steps.at(i) - steps.at(i - 1) - 1;
        QVERIFY2(between >= promised && between <= promised + 2,
            qPrintable(QStringLiteral("%1 messages between steps %2 and %3").arg(between).arg(i - 1).arg(i)));
    }
    // The program's own poll waits for the steering to end; the steering keeps every other turn.
    QVERIFY2(ids.indexOf(42) > lastSteering, qPrintable(QStringLiteral("poll at %1").arg(ids.indexOf(42))));
    for (int i = 1; i < lastSteering; ++i) {
        const bool steers = ids.at(i) == 35 || ids.at(i) == 37;
        const bool steeredBefore = ids.at(i - 1) == 35 || ids.at(i - 1) == 37;
        QVERIFY2(steers || steeredBefore, qPrintable(QStringLiteral("no steering at %1 and %2").arg(i - 1).arg(i)));
    }
}

void tst_CRVQNetworkCommunicator::sequenceNumbersStampReplacementsToo()
{
    connectLink();
    m_communicator->setUseSequenceNumbers(true);
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    m_communicator->sendMessage(createRVQZoomSpeedMessage(10));
    m_communicator->sendMessage(createRVQZoomSpeedMessage(30)); // replaces the waiting 10
    m_communicator->sendMessage(createRVQSoftwareVersionQueryMessage());
    QTRY_COMPARE(m_simulator->receivedFrames().size(), 3);
    const auto frames = m_simulator->receivedFrames();
    QCOMPARE(frames.at(1).id, quint8(17));
    QCOMPARE(frames.at(1).payload, QByteArray(1, 30));
    for (int i = 0; i < frames.size(); ++i) {
        QVERIFY2(frames.at(i).hasTrailer, qPrintable(QStringLiteral("frame %1 without sequence number").arg(i)));
        QCOMPARE(frames.at(i).trailer, quint16(i));
    }
}

void tst_CRVQNetworkCommunicator::sequenceCounterRestartsWhenSwitched()
{
    connectLink();
    m_communicator->setUseSequenceNumbers(true);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_processor.messages.size(), 2);
    m_communicator->setUseSequenceNumbers(false);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.messages.size(), 3);
    m_communicator->setUseSequenceNumbers(true);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.messages.size(), 4);
    const auto frames = m_simulator->receivedFrames();
    QCOMPARE(frames.at(1).trailer, quint16(1));
    QVERIFY(!frames.at(2).hasTrailer);
    QVERIFY(frames.at(3).hasTrailer);
    QCOMPARE(frames.at(3).trailer, quint16(0));
}

void tst_CRVQNetworkCommunicator::ackForQueryKeepsWaitingForTheReply()
{
    connectLink();
    m_simulator->setAnswerQueriesWithAck(true);
    m_simulator->setSplitByteByByte(true); // the ACK lands long before the reply is complete
    // A reply trickling in byte by byte needs the real resend time.
    m_communicator->setTickInterval(CAbstractRVQCommunicator::DefaultTickInterval);
    int repliesWhenCommandArrived = -1;
    connect(m_simulator, &CRVQLinkSimulator::frameReceived, this, [&](quint8 id, quint8) {
        if (id == 38)
            repliesWhenCommandArrived = m_processor.count(49);
    });
    m_communicator->sendMessage(createRVQHourCounterQueryMessage());
    m_communicator->sendMessage(withPriority(createRVQLightIntensityMessage(80), 1));
    QTRY_COMPARE(m_simulator->receivedFrames(38).size(), 1);
    QCOMPARE(repliesWhenCommandArrived, 1);
    QCOMPARE(m_simulator->receivedFrames(49).size(), 1); // not resent either
    float hours = 0;
    QVERIFY(m_processor.messages.first().readFloat(0, hours));
    QCOMPARE(hours, 123.5f);
}

void tst_CRVQNetworkCommunicator::ackBeforeAnySendIsIgnored()
{
    connectLink();
    m_simulator->sendRaw(QByteArray("\x06\x06\x15", 3));
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(42), 1);
    // And after a reset, with nothing in flight.
    m_communicator->reset();
    m_simulator->sendRaw(QByteArray(1, '\x06'));
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_processor.count(40), 1);
}

void tst_CRVQNetworkCommunicator::unansweredMessageGoesThreeTimesThenGivesWay()
{
    connectLink();
    m_simulator->setIgnoredId(44);
    m_communicator->sendMessage(createRVQDistanceLaserQueryMessage());
    m_communicator->sendMessage(withPriority(createRVQBatteryQueryMessage(), 1));
    QTRY_COMPARE(m_processor.count(42), 1);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{44, 44, 44, 42}));
    // Nothing else waits: the given-up message is not sent again.
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_processor.count(40), 1);
    QCOMPARE(m_simulator->receivedFrames(44).size(), 3);
}

void tst_CRVQNetworkCommunicator::everyMessageGetsItsOwnThreeTries()
{
    connectLink();
    // The first message is answered only at its third transmission...
    m_simulator->dropNextResponses(2);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(42), 1);
    QCOMPARE(m_simulator->receivedFrames(42).size(), 3);
    // ...which must not cost the next message its resends, even with another one waiting.
    m_simulator->dropNextResponses(2);
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    m_communicator->sendMessage(withPriority(createRVQHourCounterQueryMessage(), 1));
    QTRY_COMPARE(m_processor.count(49), 1);
    QCOMPARE(m_processor.count(40), 1);
    QCOMPARE(m_simulator->receivedFrames(40).size(), 3);
    QCOMPARE(m_simulator->receivedFrames(49).size(), 1);
}

void tst_CRVQNetworkCommunicator::droppedReplyIsResentOnce()
{
    connectLink();
    m_simulator->dropNextResponses(1);
    m_communicator->sendMessage(createRVQSystemReadyQueryMessage());
    QTRY_COMPARE(m_processor.count(50), 1);
    QCOMPARE(m_simulator->receivedFrames(50).size(), 2);
}

void tst_CRVQNetworkCommunicator::lateAckDoesNotWedgeTheQueue()
{
    connectLink();
    // Later than the resend time (10 ticks of 5 ms).
    m_simulator->setResponseDelay(80);
    m_communicator->sendMessage(createRVQLightIntensityMessage(10));
    m_communicator->sendMessage(createRVQLightBoosterMessage(1));
    m_communicator->sendMessage(createRVQLocatorMessage(5));
    QTRY_COMPARE(m_simulator->receivedFrames(85).size() > 0, true);
    QVERIFY(m_simulator->receivedFrames(38).size() <= 3);
    QVERIFY(m_simulator->receivedFrames(39).size() <= 3);
    m_simulator->setResponseDelay(0);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(42) >= 1, true);
    QCOMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateConnected);
    QCOMPARE(m_simulator->value(38), QByteArray(1, 10));
    QCOMPARE(m_simulator->value(85), QByteArray(1, 5));
}

void tst_CRVQNetworkCommunicator::frameSplitByteByByte()
{
    connectLink();
    m_simulator->setSplitByteByByte(true);
    m_communicator->setTickInterval(CAbstractRVQCommunicator::DefaultTickInterval);
    m_simulator->setHardwareId(QStringLiteral("ZPX_2.0 V01"));
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    m_communicator->sendMessage(createRVQSoftwareVersionQueryMessage());
    QTRY_COMPARE(m_processor.messages.size(), 2);
    QString text;
    QVERIFY(m_processor.messages.at(0).readString(0, text));
    QCOMPARE(text, QStringLiteral("ZPX_2.0 V01"));
    QVERIFY(m_processor.messages.at(1).readString(0, text));
    QCOMPARE(text, QStringLiteral("2.4.1"));
    QCOMPARE(m_simulator->receivedFrames().size(), 2);
}

void tst_CRVQNetworkCommunicator::ackAndSeveralFramesInOneWrite()
{
    connectLink();
    m_simulator->setMergeAckWithFrames(true);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    m_communicator->sendMessage(withPriority(createRVQDistanceLaserMessage(1), 1));
    QTRY_COMPARE(m_simulator->receivedFrames(44).size(), 1);
    // The reply and both extra frames were handed on, and nothing was resent.
    QTRY_COMPARE(m_processor.count(251) >= 2, true);
    QCOMPARE(m_processor.count(42), 1);
    QCOMPARE(m_simulator->receivedFrames(42).size(), 1);
}

void tst_CRVQNetworkCommunicator::strayBytesDiscardTheReplyAndTheResendRecovers()
{
    connectLink();
    m_simulator->setStrayBytesBeforeNextResponse(QByteArray("\x41\x00\xFF", 3));
    m_communicator->sendMessage(createRVQPressureQueryMessage());
    // The reply came in the same read as the stray bytes and went with them: only the answer
    // to the resend is handed on.
    QTRY_COMPARE(m_processor.count(41), 1);
    QCOMPARE(m_simulator->receivedFrames(41).size(), 2);
    quint16 pressure = 0;
    QVERIFY(m_processor.messages.first().readUInt16(0, pressure));
    QCOMPARE(pressure, quint16(1000));
}

void tst_CRVQNetworkCommunicator::badEndByteIsDiscardedAndRecoveredByResend()
{
    connectLink();
    m_simulator->setBadEndByteOnNextReply();
    m_communicator->sendMessage(createRVQInclinationQueryMessage());
    QTRY_COMPARE(m_processor.count(251), 1);
    QCOMPARE(m_simulator->receivedFrames(251).size(), 2);
}

void tst_CRVQNetworkCommunicator::hugeLengthWaitsAndRecovers()
{
    connectLink();
    m_simulator->setHugeLengthOnNextReply();
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(42), 1);
    QCOMPARE(m_simulator->receivedFrames(42).size(), 2);
    QCOMPARE(m_processor.messages.first().payload(), QByteArray(1, 85));
}

void tst_CRVQNetworkCommunicator::processorMayDisconnectFromInside()
{
    connectLink();
    m_simulator->setMergeAckWithFrames(true);
    m_processor.onMessage = [this](CRVQMessage*) { m_communicator->disconnectFromSystem(true); };
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    // The two frames behind the first one were not handed on after the link went down.
    QCOMPARE(m_processor.messages.size(), 1);
}

void tst_CRVQNetworkCommunicator::processorMayResetFromInside()
{
    connectLink();
    m_simulator->setMergeAckWithFrames(true);
    bool once = true;
    m_processor.onMessage = [this, &once](CRVQMessage*) {
        if (once) {
            once = false;
            m_communicator->reset();
            m_communicator->sendMessage(createRVQClimateQueryMessage());
        }
    };
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(40), 1);
    QCOMPARE(m_processor.messages.first().id(), 42u);
    QCOMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateConnected);
}

void tst_CRVQNetworkCommunicator::gracefulDisconnectSendsTheQueueFirst()
{
    connectLink();
    m_communicator->sendMessage(createRVQControlStateMessage(RVQGiveControlBack));
    m_communicator->sendMessage(createRVQCameraPowerMessage(RVQSystemShutdownCode));
    m_communicator->disconnectFromSystem(false);
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{253, 16}));
    QVERIFY(m_simulator->shutdownReceived());
}

void tst_CRVQNetworkCommunicator::gracefulDisconnectIsBoundedWhenSilent()
{
    connectLink();
    m_simulator->setSilent(true);
    m_communicator->sendMessage(createRVQControlStateMessage(RVQGiveControlBack));
    m_communicator->sendMessage(createRVQCameraPowerMessage(RVQSystemShutdownCode));
    m_communicator->disconnectFromSystem(false);
    QTRY_COMPARE_WITH_TIMEOUT(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected, 10000);
    QCOMPARE(m_simulator->receivedFrames(253).size(), 3);
    QCOMPARE(m_simulator->receivedFrames(16).size(), 3);
}

void tst_CRVQNetworkCommunicator::messagesAfterDisconnectRequestAreDropped()
{
    connectLink();
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    m_communicator->disconnectFromSystem(false);
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    QCOMPARE(receivedIds(*m_simulator), (QList<quint8>{42}));
    m_communicator->sendMessage(createRVQClimateQueryMessage()); // disconnected: dropped quietly
    QVERIFY(!m_communicator->hasPendingMessages());
}

void tst_CRVQNetworkCommunicator::peerCloseWithFin()
{
    connectLink();
    QSignalSpy errorSpy(m_communicator, &CAbstractRVQCommunicator::communicationErrorOccurred);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_processor.count(42), 1);
    m_simulator->closeClientsWithFin();
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    QVERIFY(!m_communicator->hasPendingMessages());
    QTRY_VERIFY(errorSpy.count() >= 1);
    QCOMPARE(errorSpy.first().first().value<CAbstractRVQCommunicator::Error>(), CAbstractRVQCommunicator::ErrorConnection);
    // The link can be opened again.
    connectLink();
    m_communicator->sendMessage(createRVQClimateQueryMessage());
    QTRY_COMPARE(m_processor.count(40), 1);
}

void tst_CRVQNetworkCommunicator::peerCloseWithRst()
{
    connectLink();
    QSignalSpy errorSpy(m_communicator, &CAbstractRVQCommunicator::communicationErrorOccurred);
    m_simulator->setSilent(true);
    m_communicator->sendMessage(createRVQBatteryQueryMessage());
    QTRY_COMPARE(m_simulator->receivedFrames(42).size(), 1);
    m_simulator->closeClientsWithRst();
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    QTRY_VERIFY(errorSpy.count() >= 1);
    QCOMPARE(errorSpy.first().first().value<CAbstractRVQCommunicator::Error>(), CAbstractRVQCommunicator::ErrorConnection);
}

void tst_CRVQNetworkCommunicator::refusedConnection()
{
    m_simulator->setRefuseConnections(true);
    QSignalSpy errorSpy(m_communicator, &CAbstractRVQCommunicator::communicationErrorOccurred);
    m_communicator->connectToSystem();
    QTRY_VERIFY(errorSpy.count() >= 1);
    QCOMPARE(errorSpy.first().first().value<CAbstractRVQCommunicator::Error>(), CAbstractRVQCommunicator::ErrorConnection);
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateDisconnected);
    m_simulator->setRefuseConnections(false);
    connectLink();
}

void tst_CRVQNetworkCommunicator::connectWhileConnectingIsBusy()
{
    QSignalSpy errorSpy(m_communicator, &CAbstractRVQCommunicator::communicationErrorOccurred);
    m_communicator->connectToSystem();
    m_communicator->connectToSystem();
    QCOMPARE(errorSpy.count(), 1);
    QCOMPARE(errorSpy.first().first().value<CAbstractRVQCommunicator::Error>(), CAbstractRVQCommunicator::ErrorBusy);
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateConnected);
}

void tst_CRVQNetworkCommunicator::simulatorZoomMotorFollowsSpeedAndPosition()
{
    connectLink();
    m_simulator->setZoomMotorInterval(2);
    m_communicator->sendMessage(createRVQZoomSpeedMessage(100));
    QTRY_VERIFY(m_simulator->zoomPosition() > 2000);
    m_communicator->sendMessage(createRVQZoomPositionMessage(16384));
    QTRY_COMPARE(m_simulator->zoomPosition(), quint16(16384));
    m_communicator->sendMessage(createRVQZoomPositionQueryMessage());
    QTRY_COMPARE(m_processor.count(17), 1);
    quint16 raw = 0;
    QVERIFY(m_processor.messages.first().readUInt16(0, raw));
    QCOMPARE(raw, quint16(16384));
}

void tst_CRVQNetworkCommunicator::standaloneSimulatorProgram()
{
    const QString program = QStringLiteral(CX_BINARY_ROOT "/bin/cx_rvq_link_simulator");
    if (!QFileInfo::exists(program))
        QSKIP("the simulator program is not built");
    QProcess process;
    process.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--hardware-id"),
                             QStringLiteral("ZPH_4.0 V01")});
    QVERIFY(process.waitForStarted(5000));
    QByteArray output;
    while (!output.contains('\n')) {
        QVERIFY2(process.waitForReadyRead(5000), "no READY line");
        output += process.readAllStandardOutput();
    }
    const QList<QByteArray> words = output.trimmed().split(' ');
    QCOMPARE(words.size(), 2);
    QCOMPARE(words.first(), QByteArray("READY"));
    bool ok = false;
    const quint16 port = words.last().toUShort(&ok);
    QVERIFY(ok && port > 0);

    m_communicator->setPort(port);
    m_communicator->connectToSystem();
    QTRY_COMPARE(m_communicator->state(), CAbstractRVQCommunicator::StateConnected);
    m_communicator->sendMessage(createRVQHardwareIdQueryMessage());
    // A process slower than the 50 ms resend answers the query and its resend: each answer
    // names the simulated system.
    QTRY_VERIFY(m_processor.count(254) >= 1);
    for (const CRVQMessage& message : qAsConst(m_processor.messages)) {
        QCOMPARE(message.id(), quint32(254));
        QString hardwareId;
        QVERIFY(message.readString(0, hardwareId));
        QCOMPARE(hardwareId, QStringLiteral("ZPH_4.0 V01"));
    }
    m_communicator->disconnectFromSystem(true);
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
}

QTEST_GUILESS_MAIN(tst_CRVQNetworkCommunicator)
#include "tst_CRVQNetworkCommunicator.moc"
