#include "RVQTestSupport.h"

#include "CRVQLinkSimulator.h"

#include "rvq/CBVSystemQueryLogic.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CZPHSystemQueryLogic.h"
#include "rvq/CZPXSystemQueryLogic.h"
#include "rvq/RVQMessages.h"
#include "rvq/CZPXCommandFactory.h"

#include <QSignalSpy>
#include <QtTest>

#include <QRandomGenerator>

#include <cmath>
#include <limits>

using namespace Ulx;
using namespace Ulx::SystemControl;
using Ulx::Communication::CAbstractConnectionController;
using Ulx::Communication::CRVQConnectionController;

namespace {

CRVQMessage reply(quint32 id, const QByteArray& payload)
{
    CRVQMessage message(id, CRVQMessage::KindQuery);
    message.setPayload(payload);
    return message;
}

QList<quint32> idsOf(const QList<SentMessage>& messages, int from = 0)
{
    QList<quint32> ids;
    for (int i = from; i < messages.size(); ++i)
        ids.append(messages.at(i).id);
    return ids;
}

CRVQSystemQueryLogic::PollIntervals fastPolls()
{
    CRVQSystemQueryLogic::PollIntervals intervals;
    intervals.fast = 5;
    intervals.slow = 20;
    intervals.poll = 10;
    return intervals;
}

} // namespace

class tst_CRVQSystemQueryLogic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void zphStartDeclaresCapabilitiesAndAsksInOrder();
    void zpxStartDeclaresCapabilitiesAndAsksInOrder();
    void bvStartDeclaresCapabilitiesAndAsksInOrder();
    void readyIsReportedAfterTheDelay();

    void commonReplies_data();
    void commonReplies();
    void shortRepliesKeepWhatFits();
    void arbitraryRepliesAreReadSafely();
    void climateStatesRuleTheBooster();
    void errorLogReplacesTheList();
    void zoomReplyGivesZoomControlBackOnlyAtTheTarget();
    void zoomReplyUsesTheTableOfTheSystemType();
    void zpxDistanceRangeFollowsZoomAndFocus();

    void zpxFastPollFollowsWhatMoves();
    void zphFastPollAsksZoomOnlyWhileItMoves();
    void zpxSlowPollAsksTheLaserOnlyWhileItIsOn();
    void bvPollsDistanceAndBattery();

    void stoppedLogicWritesNothingMore();
    void linkEndedByAStorageSignalMidReply();
    void readoutsFillTheStoragesOverTheLink();
    void movingHeadAndFocusAreFollowedOverTheLink();

private:
    RVQTestStorageProvider* m_storages = nullptr;
    RecordingRVQSender* m_sender = nullptr;
};

void tst_CRVQSystemQueryLogic::init()
{
    m_storages = new RVQTestStorageProvider;
    m_sender = new RecordingRVQSender;
}

void tst_CRVQSystemQueryLogic::cleanup()
{
    delete m_sender;
    m_sender = nullptr;
    delete m_storages;
    m_storages = nullptr;
}

void tst_CRVQSystemQueryLogic::zphStartDeclaresCapabilitiesAndAsksInOrder()
{
    CZPHSystemQueryLogic logic(m_sender, m_storages);
    logic.start();
    const CSystemCapsStorage& caps = m_storages->caps;
    QVERIFY(caps.remoteShutdownAvailable());
    QVERIFY(caps.cameraZoomAvailable());
    QVERIFY(caps.cameraManualFocusAvailable());
    QVERIFY(caps.cameraAutoFocusAvailable());
    QVERIFY(caps.camera2Available());
    QVERIFY(caps.pictureFlipAvailable());
    QVERIFY(caps.shutterAvailable());
    QVERIFY(!caps.cameraTiltAvailable());
    QVERIFY(!caps.distanceLaserAvailable());
    const QList<SentMessage> expected = {
        {51, 1, {}, 0},
        {42, 1, {}, 3},
        {20, 1, {}, 3},
        {41, 1, {}, 3},
        {17, 1, {}, 0},
        {26, 1, {}, 3},
        {38, 1, {}, 2},
        {18, 1, {}, 3},
        {23, 1, {}, 3},
        {16, 1, {}, 3},
    };
    QCOMPARE(m_sender->sent, expected);
    QVERIFY(m_storages->data.zoomControlAvailable());
}

void tst_CRVQSystemQueryLogic::zpxStartDeclaresCapabilitiesAndAsksInOrder()
{
    m_storages->data.setCameraDistanceMeasurementEnabled(true);
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    logic.start();
    const CSystemCapsStorage& caps = m_storages->caps;
    QVERIFY(caps.remoteShutdownAvailable());
    QVERIFY(caps.cameraZoomAvailable());
    QVERIFY(caps.cameraManualFocusAvailable());
    QVERIFY(caps.cameraAutoFocusAvailable());
    QVERIFY(caps.cameraTiltAvailable());
    QVERIFY(caps.cameraLightBoostAvailable());
    QVERIFY(caps.inclinationSensorAvailable());
    QVERIFY(caps.errorLoggingAvailable());
    QVERIFY(caps.pictureEnhancementAvailable());
    QVERIFY(caps.pictureDefogModeAvailable());
    QVERIFY(caps.pictureFlipAvailable());
    QVERIFY(caps.shutterAvailable());
    QVERIFY(caps.distanceLaserAvailable());
    QVERIFY(caps.cameraDistanceMeasurementAvailable());
    QVERIFY(!caps.camera2Available());
    QCOMPARE(caps.cameraDistanceMeasurementRange(), 62.0);
    QCOMPARE(caps.laserDistanceMeasurementRange(), 100.0);
    QCOMPARE(caps.cameraLightControlType(), SystemTypes::LightControlTypeRange);
    const QList<quint32> ids = {42, 20, 41, 17, 26, 38, 18, 23, 16, 19, 39, 27, 251, 43, 25, 40, 37, 24, 44, 36};
    QCOMPARE(m_sender->ids(), ids);
    for (const SentMessage& message : m_sender->sent) {
        QCOMPARE(message.kind, int(CRVQMessage::KindQuery));
        QVERIFY(message.payload.isEmpty());
    }
    // Priorities of a few: the zoom first, then the distance laser and positions, then the rest.
    QCOMPARE(m_sender->sent.at(3).priority, 0);
    QCOMPARE(m_sender->sent.at(18).priority, 2);
    QCOMPARE(m_sender->sent.at(19).priority, 2);
    QCOMPARE(m_sender->sent.at(12).priority, 2);
    QCOMPARE(m_sender->sent.at(0).priority, 3);
    QVERIFY(m_storages->data.zoomControlAvailable());
    QVERIFY(!m_storages->data.cameraDistanceMeasurementEnabled());
}

void tst_CRVQSystemQueryLogic::bvStartDeclaresCapabilitiesAndAsksInOrder()
{
    CBVSystemQueryLogic logic(m_sender, m_storages);
    logic.start();
    const CSystemCapsStorage& caps = m_storages->caps;
    QVERIFY(caps.remoteShutdownAvailable());
    QVERIFY(caps.camera1Available());
    QVERIFY(caps.distanceCounterAvailable());
    QVERIFY(caps.locator512HzAvailable());
    QVERIFY(!caps.locator640HzAvailable());
    QVERIFY(!caps.cameraZoomAvailable());
    QCOMPARE(caps.cameraLightControlType(), SystemTypes::LightControlTypeRange);
    const QList<SentMessage> expected = {{42, 1, {}, 3}, {38, 1, {}, 2}, {52, 1, {}, 1}, {85, 1, {}, 0}};
    QCOMPARE(m_sender->sent, expected);
    QVERIFY(!m_storages->data.zoomControlAvailable());
}

void tst_CRVQSystemQueryLogic::readyIsReportedAfterTheDelay()
{
    CBVSystemQueryLogic logic(m_sender, m_storages);
    logic.setReadyDelay(20);
    QSignalSpy readySpy(&logic, &CRVQSystemQueryLogic::logicReady);
    logic.start();
    QCOMPARE(readySpy.count(), 0);
    QVERIFY(readySpy.wait(5000));
    QCOMPARE(readySpy.count(), 1);
}

void tst_CRVQSystemQueryLogic::commonReplies_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("16 camera 2") << 16u << QByteArray(1, 2) << "activeCamera"
                                 << QVariant::fromValue(SystemTypes::Camera2);
    QTest::newRow("16 off: power") << 16u << QByteArray(1, 0) << "cameraPowerOnline" << QVariant(false);
    QTest::newRow("16 off: camera 1") << 16u << QByteArray(1, 0) << "activeCamera"
                                      << QVariant::fromValue(SystemTypes::Camera1);
    QTest::newRow("16 any other value: camera 1 on")
        << 16u << QByteArray(1, 7) << "cameraPowerOnline" << QVariant(true);
    QTest::newRow("18 on") << 18u << QByteArray(1, 1) << "digitalZoomEnabled" << QVariant(true);
    QTest::newRow("18 two is not on") << 18u << QByteArray(1, 2) << "digitalZoomEnabled" << QVariant(false);
    QTest::newRow("19 focus") << 19u << rvqU16(4804) << "rawFocusPosition" << QVariant(quint16(4804));
    QTest::newRow("20 auto focus") << 20u << QByteArray(1, 1) << "autoFocusEnabled" << QVariant(true);
    QTest::newRow("24 shutter") << 24u << QByteArray(1, 12) << "shutterPosition" << QVariant(12);
    QTest::newRow("25 defog") << 25u << QByteArray(1, 1) << "defogModeEnabled" << QVariant(true);
    QTest::newRow("26 flip") << 26u << QByteArray(1, 1) << "pictureFlipEnabled" << QVariant(true);
    QTest::newRow("27 stabilizer") << 27u << QByteArray(1, 1) << "pictureStabilizerEnabled" << QVariant(true);
    QTest::newRow("34 pan") << 34u << rvqU16(300) << "cameraPanPosition" << QVariant(qint16(300));
    QTest::newRow("35 pan current") << 35u << rvqU16(410) << "cameraPanMotorCurrent" << QVariant(410);
    QTest::newRow("36 tilt") << 36u << rvqU16(200) << "cameraTiltPosition" << QVariant(qint16(200));
    QTest::newRow("37 tilt current") << 37u << rvqU16(70) << "cameraTiltMotorCurrent" << QVariant(70);
    QTest::newRow("38 light") << 38u << QByteArray(1, 55) << "lightIntensity" << QVariant(quint8(55));
    QTest::newRow("39 booster") << 39u << QByteArray(1, 1) << "lightBoosterEnabled" << QVariant(true);
    QTest::newRow("40 negative temperature")
        << 40u << QByteArray::fromHex("F63C00") << "cameraTemperature" << QVariant(qint16(-10));
    QTest::newRow("40 humidity") << 40u << QByteArray::fromHex("143C00") << "cameraHumidity" << QVariant(60);
    QTest::newRow("41 pressure") << 41u << (rvqU16(1013) + QByteArray(1, 0)) << "cameraPressure"
                                 << QVariant(quint16(1013));
    QTest::newRow("41 low") << 41u << (rvqU16(700) + QByteArray(1, 1)) << "cameraPressureState"
                            << QVariant::fromValue(SystemTypes::PressureStateTooLow);
    QTest::newRow("41 high") << 41u << (rvqU16(1400) + QByteArray(1, 2)) << "cameraPressureState"
                             << QVariant::fromValue(SystemTypes::PressureStateTooHigh);
    QTest::newRow("41 ok") << 41u << (rvqU16(1000) + QByteArray(1, 9)) << "cameraPressureState"
                           << QVariant::fromValue(SystemTypes::PressureStateOK);
    QTest::newRow("42 battery") << 42u << QByteArray(1, 77) << "batteryPower" << QVariant(quint8(77));
    QTest::newRow("43 any non-zero is on") << 43u << QByteArray(1, 5) << "pictureEnhancementEnabled" << QVariant(true);
    QTest::newRow("44 distance") << 44u << (rvqU16(1234) + QByteArray(1, 1)) << "distanceLaserReadout"
                                 << QVariant(12.34);
    QTest::newRow("44 on") << 44u << (rvqU16(1) + QByteArray(1, 1)) << "distanceLaserState"
                           << QVariant::fromValue(SystemTypes::DistanceLaserStateOn);
    QTest::newRow("44 powering on") << 44u << (rvqU16(1) + QByteArray(1, 2)) << "distanceLaserState"
                                    << QVariant::fromValue(SystemTypes::DistanceLaserStatePoweringOn);
    QTest::newRow("44 not available") << 44u << (rvqU16(1) + QByteArray(1, char(-1))) << "distanceLaserState"
                                      << QVariant::fromValue(SystemTypes::DistanceLaserStateNotAvailable);
    QTest::newRow("44 unknown is off") << 44u << (rvqU16(1) + QByteArray(1, 9)) << "distanceLaserState"
                                       << QVariant::fromValue(SystemTypes::DistanceLaserStateOff);
    QTest::newRow("49 hours") << 49u << rvqF32(123.5f) << "hourCounter" << QVariant(123.5);
    QTest::newRow("52 distance") << 52u << rvqF32(12.25f) << "distanceCounter" << QVariant(12.25);
    QTest::newRow("52 noise is zero") << 52u << rvqF32(1e-13f) << "distanceCounter" << QVariant(0.0);
    QTest::newRow("85 512 Hz") << 85u << QByteArray(1, 5) << "locatorState"
                               << QVariant::fromValue(SystemTypes::LocatorState512Hz);
    QTest::newRow("85 640 Hz") << 85u << QByteArray(1, 6) << "locatorState"
                               << QVariant::fromValue(SystemTypes::LocatorState640Hz);
    QTest::newRow("85 33 kHz") << 85u << QByteArray(1, 33) << "locatorState"
                               << QVariant::fromValue(SystemTypes::LocatorState33kHz);
    QTest::newRow("251 inclination") << 251u << rvqF32(-4.5f) << "inclination" << QVariant(-4.5f);
    QTest::newRow("251 noise is zero") << 251u << rvqF32(5e-6f) << "inclination" << QVariant(0.0f);
}

void tst_CRVQSystemQueryLogic::commonReplies()
{
    QFETCH(quint32, id);
    QFETCH(QByteArray, payload);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);

    // Values that differ from every expected one, so that each write is seen.
    CSystemDataStorage& data = m_storages->data;
    data.setLocatorState(SystemTypes::LocatorState640Hz);
    if (id == 85 && payload.at(0) == 6)
        data.setLocatorState(SystemTypes::LocatorStateOff);
    data.setDistanceCounter(99.0);
    data.setInclination(99.0f);
    data.setActiveCamera(id == 16 && payload.at(0) == 0 ? SystemTypes::Camera2 : SystemTypes::Camera1);

    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CRVQMessage message = reply(id, payload);
    logic.processMessage(&message);

    const QByteArray name = property.toLatin1();
    const int index = data.metaObject()->indexOfMethod(QByteArray(name + "Changed()").constData());
    QVERIFY2(index >= 0, name.constData());
    // Read through the getter of the same name.
    QVariant actual;
    if (property == "activeCamera")
        actual = QVariant::fromValue(data.activeCamera());
    else if (property == "cameraPowerOnline")
        actual = data.cameraPowerOnline();
    else if (property == "digitalZoomEnabled")
        actual = data.digitalZoomEnabled();
    else if (property == "rawFocusPosition")
        actual = QVariant(data.rawFocusPosition());
    else if (property == "autoFocusEnabled")
        actual = data.autoFocusEnabled();
    else if (property == "shutterPosition")
        actual = data.shutterPosition();
    else if (property == "defogModeEnabled")
        actual = data.defogModeEnabled();
    else if (property == "pictureFlipEnabled")
        actual = data.pictureFlipEnabled();
    else if (property == "pictureStabilizerEnabled")
        actual = data.pictureStabilizerEnabled();
    else if (property == "cameraPanPosition")
        actual = QVariant(data.cameraPanPosition());
    else if (property == "cameraPanMotorCurrent")
        actual = data.cameraPanMotorCurrent();
    else if (property == "cameraTiltPosition")
        actual = QVariant(data.cameraTiltPosition());
    else if (property == "cameraTiltMotorCurrent")
        actual = data.cameraTiltMotorCurrent();
    else if (property == "lightIntensity")
        actual = QVariant(data.lightIntensity());
    else if (property == "lightBoosterEnabled")
        actual = data.lightBoosterEnabled();
    else if (property == "cameraTemperature")
        actual = QVariant(data.cameraTemperature());
    else if (property == "cameraHumidity")
        actual = data.cameraHumidity();
    else if (property == "cameraPressure")
        actual = QVariant(data.cameraPressure());
    else if (property == "cameraPressureState")
        actual = QVariant::fromValue(data.cameraPressureState());
    else if (property == "batteryPower")
        actual = QVariant(data.batteryPower());
    else if (property == "pictureEnhancementEnabled")
        actual = data.pictureEnhancementEnabled();
    else if (property == "distanceLaserReadout")
        actual = data.distanceLaserReadout();
    else if (property == "distanceLaserState")
        actual = QVariant::fromValue(data.distanceLaserState());
    else if (property == "hourCounter")
        actual = data.hourCounter();
    else if (property == "distanceCounter")
        actual = data.distanceCounter();
    else if (property == "locatorState")
        actual = QVariant::fromValue(data.locatorState());
    else if (property == "inclination")
        actual = QVariant(data.inclination());
    else
        QFAIL("no getter for the property");
    QCOMPARE(actual, expected);
}

void tst_CRVQSystemQueryLogic::shortRepliesKeepWhatFits()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CSystemDataStorage& data = m_storages->data;

    // A climate reply of one byte: the temperature only.
    CRVQMessage climate = reply(40, QByteArray(1, 25));
    logic.processMessage(&climate);
    QCOMPARE(data.cameraTemperature(), qint16(25));
    QCOMPARE(data.cameraHumidity(), 0);
    QCOMPARE(data.cameraTemperatureState(), SystemTypes::TemperatureStateNotAvailable);

    // A laser reply of two bytes: the distance, not the state.
    data.setDistanceLaserState(SystemTypes::DistanceLaserStatePoweringOn);
    CRVQMessage laser = reply(44, rvqU16(250));
    logic.processMessage(&laser);
    QCOMPARE(data.distanceLaserReadout(), 2.5);
    QCOMPARE(data.distanceLaserState(), SystemTypes::DistanceLaserStatePoweringOn);

    // Empty and one-byte-short replies of every id change nothing.
    QSignalSpy anyChange(&data, &CSystemDataStorage::batteryPowerChanged);
    const QList<quint32> ids = {16, 17, 18, 19, 20, 23, 24, 34, 35, 36, 37, 38, 42, 49, 52, 85, 251};
    for (quint32 id : ids) {
        CRVQMessage empty = reply(id, QByteArray());
        logic.processMessage(&empty);
    }
    CRVQMessage shortFloat = reply(49, QByteArray::fromHex("414000"));
    logic.processMessage(&shortFloat);
    QCOMPARE(data.hourCounter(), 0.0);
    QCOMPARE(anyChange.count(), 0);

    // A float that is not a number is not stored.
    CRVQMessage notANumber = reply(251, rvqF32(std::numeric_limits<float>::quiet_NaN()));
    logic.processMessage(&notANumber);
    QCOMPARE(data.inclination(), 0.0f);

    // Unknown ids are ignored.
    CRVQMessage unknown = reply(99, QByteArray(8, 1));
    logic.processMessage(&unknown);
}

void tst_CRVQSystemQueryLogic::arbitraryRepliesAreReadSafely()
{
    // Replies of every id the program knows and some it does not, with payloads of any length
    // and content: read within bounds (the sanitizers watch), never a crash.
    CZPXSystemQueryLogic zpx(m_sender, m_storages);
    CZPHSystemQueryLogic zph(m_sender, m_storages);
    CBVSystemQueryLogic bv(m_sender, m_storages);
    m_storages->data.setCameraDistanceMeasurementEnabled(true);
    QRandomGenerator random(6);
    const QList<quint32> ids = {0,  16, 17, 18, 19, 20, 23,  24,  25,  26,  27,  34,  35,  36,  37,  38,
                                39, 40, 41, 42, 43, 44, 49,  50,  51,  52,  85,  99,  251, 252, 253, 255};
    for (int round = 0; round < 3000; ++round) {
        CRVQMessage message(ids.at(int(random.bounded(ids.size()))), int(random.bounded(3)));
        QByteArray payload(int(random.bounded(14)), Qt::Uninitialized);
        for (char& byte : payload)
            byte = char(random.bounded(256));
        message.setPayload(payload);
        CRVQSystemQueryLogic* logic = round % 3 == 0 ? static_cast<CRVQSystemQueryLogic*>(&zpx)
                                      : round % 3 == 1 ? static_cast<CRVQSystemQueryLogic*>(&zph)
                                                       : static_cast<CRVQSystemQueryLogic*>(&bv);
        logic->processMessage(&message);
    }
    QVERIFY(m_storages->data.zoomPosition() <= 100);
    QVERIFY(std::isfinite(m_storages->data.inclination()));
    QVERIFY(std::isfinite(m_storages->data.hourCounter()));
    QVERIFY(std::isfinite(m_storages->data.distanceCounter()));
    zpx.processMessage(nullptr);
}

void tst_CRVQSystemQueryLogic::climateStatesRuleTheBooster()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CSystemDataStorage& data = m_storages->data;
    data.setLightBoosterEnabled(true);

    CRVQMessage hot = reply(40, QByteArray::fromHex("3C1402"));
    logic.processMessage(&hot);
    QCOMPARE(data.cameraTemperatureState(), SystemTypes::TemperatureStateTooHigh);
    QVERIFY(!data.lightBoosterAvailable());
    QVERIFY(!data.lightBoosterEnabled());

    CRVQMessage cold = reply(40, QByteArray::fromHex("F01401"));
    logic.processMessage(&cold);
    QCOMPARE(data.cameraTemperatureState(), SystemTypes::TemperatureStateTooLow);
    QVERIFY(data.lightBoosterAvailable());

    data.setLightBoosterAvailable(false);
    CRVQMessage fine = reply(40, QByteArray::fromHex("141400"));
    logic.processMessage(&fine);
    QCOMPARE(data.cameraTemperatureState(), SystemTypes::TemperatureStateOK);
    QVERIFY(data.lightBoosterAvailable());
    QVERIFY(!data.lightBoosterEnabled());
}

void tst_CRVQSystemQueryLogic::errorLogReplacesTheList()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CSystemDataStorage& data = m_storages->data;
    QSignalSpy listSpy(&data, &CSystemDataStorage::errorRecordListChanged);

    // Two whole records and one byte too many; a record of an unknown code is skipped.
    CRVQMessage first = reply(252,
        QByteArray::fromHex("0010000B"
                            "00200063"
                            "00300015"
                            "FF"));
    logic.processMessage(&first);
    QCOMPARE(listSpy.count(), 1);
    SystemTypes::ErrorRecordList expected;
    expected.append(qMakePair(quint16(0x0010), SystemTypes::LoggedErrorPressureLow));
    expected.append(qMakePair(quint16(0x0030), SystemTypes::LoggedErrorLightTempHigh));
    QCOMPARE(data.errorRecordList(), expected);

    // The next reply replaces the list, also when it is empty; the signal comes every time.
    CRVQMessage empty = reply(252, QByteArray());
    logic.processMessage(&empty);
    QCOMPARE(listSpy.count(), 2);
    QVERIFY(data.errorRecordList().isEmpty());
}

void tst_CRVQSystemQueryLogic::zoomReplyGivesZoomControlBackOnlyAtTheTarget()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CSystemDataStorage& data = m_storages->data;
    data.setZoomControlAvailable(false);
    data.setPendingRawZoomPosition(16384);

    CRVQMessage onTheWay = reply(17, rvqU16(9000));
    logic.processMessage(&onTheWay);
    QVERIFY(!data.zoomControlAvailable());
    QCOMPARE(data.pendingRawZoomPosition(), quint16(16384));
    QCOMPARE(data.rawZoomPosition(), quint16(9000));

    CRVQMessage arrived = reply(17, rvqU16(16384));
    logic.processMessage(&arrived);
    QVERIFY(data.zoomControlAvailable());
    QCOMPARE(data.pendingRawZoomPosition(), CSystemDataStorage::NoPendingRawZoomPosition);
    QCOMPARE(data.zoomPosition(), quint8(52));
    QCOMPARE(data.zoomFactor(), 30.0f);

    CRVQMessage end = reply(17, rvqU16(31424));
    logic.processMessage(&end);
    QCOMPARE(data.zoomPosition(), quint8(100));
    QCOMPARE(data.zoomFactor(), 360.0f);

    // Beyond the end of the range the position stays at its end.
    CRVQMessage beyond = reply(17, rvqU16(65535));
    logic.processMessage(&beyond);
    QCOMPARE(data.zoomPosition(), quint8(100));
}

void tst_CRVQSystemQueryLogic::zoomReplyUsesTheTableOfTheSystemType()
{
    CZPHSystemQueryLogic zph(m_sender, m_storages);
    CRVQMessage end = reply(17, rvqU16(31424));
    zph.processMessage(&end);
    QCOMPARE(m_storages->data.zoomFactor(), 432.0f);

    // The Gullyrover has no zoom: its logic leaves a 17 reply alone.
    CBVSystemQueryLogic bv(m_sender, m_storages);
    CRVQMessage other = reply(17, rvqU16(5793));
    bv.processMessage(&other);
    QCOMPARE(m_storages->data.zoomFactor(), 432.0f);
    QCOMPARE(m_storages->data.rawZoomPosition(), quint16(31424));
}

void tst_CRVQSystemQueryLogic::zpxDistanceRangeFollowsZoomAndFocus()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    CSystemDataStorage& data = m_storages->data;

    // Not enabled: nothing valid, whatever the positions.
    CRVQMessage focus = reply(19, rvqU16(4804));
    logic.processMessage(&focus);
    QVERIFY(!data.cameraDistanceRangesValid());

    data.setCameraDistanceMeasurementEnabled(true);
    QVERIFY(data.cameraDistanceRangesValid());
    QCOMPARE(data.cameraLowerDistanceRange(), 5.0);
    QCOMPARE(data.cameraUpperDistanceRange(), 30.0);

    // Into the digital range: no estimate, the ranges go to 0.
    CRVQMessage digital = reply(17, rvqU16(20000));
    logic.processMessage(&digital);
    QVERIFY(!data.cameraDistanceRangesValid());
    QCOMPARE(data.cameraLowerDistanceRange(), 0.0);
    QCOMPARE(data.cameraUpperDistanceRange(), 0.0);

    // Back and switched off.
    CRVQMessage wide = reply(17, rvqU16(0));
    logic.processMessage(&wide);
    QVERIFY(data.cameraDistanceRangesValid());
    data.setCameraDistanceMeasurementEnabled(false);
    QVERIFY(!data.cameraDistanceRangesValid());
    QCOMPARE(data.cameraLowerDistanceRange(), 0.0);
}

void tst_CRVQSystemQueryLogic::zpxFastPollFollowsWhatMoves()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    logic.setPollIntervals(fastPolls());
    logic.start();
    CSystemDataStorage& data = m_storages->data;

    // Nothing moves: two slow polls go by without a zoom, focus or tilt query.
    int from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).count(49) >= 2);
    QList<quint32> polled = idsOf(m_sender->sent, from);
    QVERIFY(!polled.contains(17));
    QVERIFY(!polled.contains(19));
    QVERIFY(!polled.contains(36));
    QVERIFY(!polled.contains(44));

    data.setCameraTiltSpeed(20);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(36));
    QVERIFY(!idsOf(m_sender->sent, from).contains(17));
    data.setCameraTiltSpeed(0);

    data.setFocusSpeed(-5);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(19));
    QVERIFY(!idsOf(m_sender->sent, from).contains(17));
    data.setFocusSpeed(0);

    data.setZoomSpeed(30);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(17));
    QVERIFY(idsOf(m_sender->sent, from).contains(19));
    data.setZoomSpeed(0);

    data.setZoomControlAvailable(false);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(17));
    for (const SentMessage& message : m_sender->sent.mid(from)) {
        if (message.id == 17)
            QCOMPARE(message.priority, 0);
    }
}

void tst_CRVQSystemQueryLogic::zphFastPollAsksZoomOnlyWhileItMoves()
{
    CZPHSystemQueryLogic logic(m_sender, m_storages);
    logic.setPollIntervals(fastPolls());
    logic.start();
    CSystemDataStorage& data = m_storages->data;

    int from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).count(49) >= 2);
    QList<quint32> polled = idsOf(m_sender->sent, from);
    QVERIFY(!polled.contains(17));
    QVERIFY(polled.contains(40));
    QVERIFY(polled.contains(42));
    // The ZPH has none of the ZPX's sensors.
    QVERIFY(!polled.contains(251));
    QVERIFY(!polled.contains(41));

    data.setZoomSpeed(-10);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(17));
    QVERIFY(!idsOf(m_sender->sent, from).contains(19));
}

void tst_CRVQSystemQueryLogic::zpxSlowPollAsksTheLaserOnlyWhileItIsOn()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    logic.setPollIntervals(fastPolls());
    logic.start();
    CSystemDataStorage& data = m_storages->data;

    int from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).count(49) >= 2);
    const QList<quint32> polled = idsOf(m_sender->sent, from);
    for (quint32 id : {40u, 42u, 49u, 37u, 41u, 251u})
        QVERIFY2(polled.contains(id), QByteArray::number(id).constData());

    data.setDistanceLaserState(SystemTypes::DistanceLaserStatePoweringOn);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(44));
    data.setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).contains(44));

    // The focus is read in the slow poll while the auto focus moves it and a range is wanted.
    data.setDistanceLaserState(SystemTypes::DistanceLaserStateOff);
    data.setAutoFocusEnabled(true);
    data.setCameraDistanceMeasurementEnabled(true);
    from = m_sender->sent.size();
    QTRY_VERIFY(idsOf(m_sender->sent, from).count(49) >= 2);
    QVERIFY(idsOf(m_sender->sent, from).contains(19));
}

void tst_CRVQSystemQueryLogic::bvPollsDistanceAndBattery()
{
    CBVSystemQueryLogic logic(m_sender, m_storages);
    logic.setPollIntervals(fastPolls());
    logic.start();
    const int from = m_sender->sent.size();
    QTRY_VERIFY(m_sender->sent.size() >= from + 4);
    const QList<quint32> ids = idsOf(m_sender->sent, from).mid(0, 4);
    QCOMPARE(ids, (QList<quint32>{52, 42, 52, 42}));
}

void tst_CRVQSystemQueryLogic::stoppedLogicWritesNothingMore()
{
    CZPXSystemQueryLogic logic(m_sender, m_storages);
    logic.setPollIntervals(fastPolls());
    logic.setReadyDelay(5);
    QSignalSpy readySpy(&logic, &CRVQSystemQueryLogic::logicReady);
    logic.start();
    logic.stop();
    const int sent = m_sender->sent.size();
    CRVQMessage battery = reply(42, QByteArray(1, 50));
    logic.processMessage(&battery);
    QCOMPARE(m_storages->data.batteryPower(), quint8(0));

    // A round of the slow poll's worth of time, measured by a second logic that still runs.
    RecordingRVQSender otherSender;
    RVQTestStorageProvider otherStorages;
    CZPXSystemQueryLogic other(&otherSender, &otherStorages);
    other.setPollIntervals(fastPolls());
    other.setReadyDelay(5);
    QSignalSpy otherReady(&other, &CRVQSystemQueryLogic::logicReady);
    other.start();
    QTRY_VERIFY(idsOf(otherSender.sent).count(49) >= 2);
    QCOMPARE(otherReady.count(), 1);
    QCOMPARE(readySpy.count(), 0);
    QCOMPARE(m_sender->sent.size(), sent);
}

void tst_CRVQSystemQueryLogic::linkEndedByAStorageSignalMidReply()
{
    // A receiver of the first value of a reply ends the link: the controller lets go of its
    // query logic while that logic is still parsing. Nothing more may be written, and nothing
    // may touch the logic once it is gone.
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(200, 1000, 10);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE(controller.state(), CAbstractConnectionController::StateConnected);
    QPointer<CRVQSystemQueryLogic> logic = controller.queryLogic();
    QVERIFY(logic);

    int humidityWrites = 0;
    connect(&storages.data, &CSystemDataStorage::cameraHumidityChanged, this, [&]() { ++humidityWrites; });
    connect(&storages.data, &CSystemDataStorage::cameraTemperatureChanged, this, [&]() {
        if (storages.data.cameraTemperature() == 77)
            controller.disconnectFromSystem(CAbstractConnectionController::DisconnectTypeForced);
    });
    simulator.setValue(40, QByteArray::fromHex("4D3C02"));
    simulator.sendRaw(CRVQLinkSimulator::buildFrame(40, 1, QByteArray::fromHex("4D3C02")));
    QTRY_COMPARE(controller.state(), CAbstractConnectionController::StateDisconnected);
    QTRY_VERIFY(!logic);
    QCOMPARE(humidityWrites, 0);
    QCOMPARE(storages.data.cameraHumidity(), 0);
    QCOMPARE(storages.data.cameraTemperatureState(), SystemTypes::TemperatureStateNotAvailable);
}

void tst_CRVQSystemQueryLogic::readoutsFillTheStoragesOverTheLink()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    simulator.setValue(42, QByteArray(1, 64));
    simulator.setValue(251, rvqF32(-2.5f));
    simulator.setValue(49, rvqF32(1500.0f));
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(200, 1000, 10);
    controller.setQueryLogicPollIntervals(fastPolls());
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE(controller.state(), CAbstractConnectionController::StateConnected);

    const CSystemDataStorage& data = storages.data;
    QTRY_COMPARE(data.batteryPower(), quint8(64));
    QTRY_COMPARE(data.inclination(), -2.5f);
    QTRY_COMPARE(data.hourCounter(), 1500.0);
    QTRY_COMPARE(data.cameraTemperature(), qint16(30));
    QTRY_COMPARE(data.cameraPressure(), quint16(1000));
    QTRY_COMPARE(data.rawFocusPosition(), quint16(4804));
    QTRY_COMPARE(data.lightIntensity(), quint8(50));
    QTRY_COMPARE(data.shutterPosition(), 10); // read after the automatic exposure
    QVERIFY(data.aeAutoModeEnabled());
    QVERIFY(data.cameraPowerOnline());
    QVERIFY(storages.caps.cameraTiltAvailable());

    // A readout that changes on the system reaches the storage with the next slow poll.
    simulator.setValue(42, QByteArray(1, 12));
    QTRY_COMPARE(data.batteryPower(), quint8(12));
}

void tst_CRVQSystemQueryLogic::movingHeadAndFocusAreFollowedOverTheLink()
{
    CRVQLinkSimulator simulator;
    QVERIFY(simulator.listen());
    simulator.setHeadMotorInterval(5);
    simulator.setValue(36, rvqU16(1000));
    RVQTestStorageProvider storages;
    CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.setTimerIntervals(200, 1000, 10);
    // Room on the link for every query of a fast poll, as at the program's own intervals: a
    // poll faster than the queue drains would starve the lower priorities.
    CRVQSystemQueryLogic::PollIntervals polls;
    polls.fast = 40;
    polls.slow = 1000;
    controller.setQueryLogicPollIntervals(polls);
    controller.communicator()->setTickInterval(5);
    controller.connectToSystem(CAbstractConnectionController::AccessModeWriteWhenFree);
    QTRY_COMPARE(controller.state(), CAbstractConnectionController::StateConnected);
    const CSystemDataStorage& data = storages.data;
    QTRY_COMPARE(data.cameraTiltPosition(), qint16(1000));
    QTRY_COMPARE(data.rawFocusPosition(), quint16(4804));
    QTRY_VERIFY(data.autoFocusEnabled());

    CZPXCommandFactory factory(&controller, &storages);
    // The fast poll follows the tilt while the head moves, and the focus while it is driven.
    factory.createSetCameraTiltSpeedCommand(20)->execute();
    QTRY_VERIFY(data.cameraTiltPosition() > 1100);
    factory.createSetFocusSpeedCommand(-10)->execute();
    QVERIFY(!data.autoFocusEnabled());
    QTRY_VERIFY(data.rawFocusPosition() < 4700);
    QCOMPARE(simulator.focusSpeed(), -10);

    factory.createStopMovementCommand()->execute();
    factory.createSetFocusSpeedCommand(0)->execute();
    QTRY_COMPARE(simulator.tiltSpeed(), 0);
    QTRY_COMPARE(simulator.focusSpeed(), 0);
    QCOMPARE(simulator.receivedFrames(20, 2).size(), 1);
}

QTEST_GUILESS_MAIN(tst_CRVQSystemQueryLogic)
#include "tst_CRVQSystemQueryLogic.moc"
