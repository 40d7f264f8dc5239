#include "RVQTestSupport.h"

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

#include <QSignalSpy>
#include <QtTest>

#include <limits>

using namespace Ulx;
using namespace Ulx::SystemControl;

namespace {

QByteArray u8(quint8 value) { return QByteArray(1, char(value)); }

} // namespace

class tst_RVQControlCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void onOffSettingsSendOnceAndStore_data();
    void onOffSettingsSendOnceAndStore();
    void nothingIsSentWithoutWriteAccess();
    void distanceLaserFollowsItsState();
    void cameraDistanceMeasurementReadsTheFocusWhenSwitchedOn();
    void automaticExposureClearsWhatDependsOnIt();
    void cameraPowerAndActiveCamera();
    void zoomPositionTakesZoomControlUntilTheTarget();
    void zoomPositionWithDigitalZoomUsesTheWholeRange();
    void zoomSpeedIsClampedAndCompared();
    void stoppingTheZoomReadsItsPosition();
    void focusSpeedEndsTheAutoFocusFirst();
    void headSpeedsAndPositions();
    void stopMovementStopsTheTilt();
    void shutterStepsOnePerPosition();
    void shutterTargetIsClampedToItsRange();
    void errorLogIsAlwaysRequested();
    void distanceCounterAndLocator();
    void enhancementAndDefogNeedTheAutomaticExposure();
    void lightIntensityAndBooster();

private:
    RVQTestStorageProvider* m_storages = nullptr;
    RecordingRVQSender* m_sender = nullptr;
};

void tst_RVQControlCommands::init()
{
    m_storages = new RVQTestStorageProvider;
    m_sender = new RecordingRVQSender;
}

void tst_RVQControlCommands::cleanup()
{
    delete m_sender;
    m_sender = nullptr;
    delete m_storages;
    m_storages = nullptr;
}

void tst_RVQControlCommands::onOffSettingsSendOnceAndStore_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<quint32>("id");
    QTest::newRow("auto focus") << 0 << 20u;
    QTest::newRow("picture stabilizer") << 1 << 27u;
    QTest::newRow("picture flip") << 2 << 26u;
    QTest::newRow("digital zoom") << 3 << 18u;
}

void tst_RVQControlCommands::onOffSettingsSendOnceAndStore()
{
    QFETCH(int, which);
    QFETCH(quint32, id);
    CSystemDataStorage& data = m_storages->data;
    auto run = [&](bool value) {
        switch (which) {
        case 0:
            CSetAutoFocusEnabledCommand(m_sender, m_storages, value).execute();
            return data.autoFocusEnabled();
        case 1:
            CSetPictureStabilizerEnabledCommand(m_sender, m_storages, value).execute();
            return data.pictureStabilizerEnabled();
        case 2:
            CSetPictureFlipEnabledCommand(m_sender, m_storages, value).execute();
            return data.pictureFlipEnabled();
        default:
            CSetDigitalZoomEnabledCommand(m_sender, m_storages, value).execute();
            return data.digitalZoomEnabled();
        }
    };
    QVERIFY(run(true));
    QVERIFY(run(true));
    QVERIFY(!run(false));
    const QList<SentMessage> expected = {{id, 2, u8(1), 1}, {id, 2, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::nothingIsSentWithoutWriteAccess()
{
    // A spectator (or a link not yet connected) cannot send: no command sends, none stores.
    m_sender->ready = false;
    CSystemDataStorage& data = m_storages->data;
    data.setZoomControlAvailable(true);
    QSignalSpy anyZoom(&data, &CSystemDataStorage::zoomSpeedChanged);
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, true).execute();
    CSetCameraDistanceMeasurementEnabledCommand(m_sender, m_storages, true).execute();
    CSetAutoFocusEnabledCommand(m_sender, m_storages, true).execute();
    CSetAEAutoModeEnabledCommand(m_sender, m_storages, true).execute();
    CSetCameraPowerOnlineCommand(m_sender, m_storages, true).execute();
    CSetZoomPositionZPXCommand(m_sender, m_storages, 50).execute();
    CSetZoomSpeedCommand(m_sender, m_storages, 20).execute();
    CSetFocusSpeedCommand(m_sender, m_storages, 20).execute();
    CSetCameraTiltSpeedCommand(m_sender, m_storages, 20).execute();
    CSetActiveCameraCommand(m_sender, m_storages, SystemTypes::Camera2).execute();
    CSetShutterPositionCommand(m_sender, m_storages, 4).execute();
    CRequestErrorLogCommand(m_sender, m_storages).execute();
    CSetDistanceCounterCommand(m_sender, m_storages, 3.5).execute();
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorState640Hz).execute();
    CSetPictureEnhancementEnabledCommand(m_sender, m_storages, true).execute();
    CSetDefogModeEnabledCommand(m_sender, m_storages, true).execute();
    CSetLightIntensityCommand(m_sender, m_storages, 100).execute();
    CSetLightBoosterEnabledCommand(m_sender, m_storages, true).execute();
    CStopMovementZPXCommand(m_sender, m_storages).execute();
    QVERIFY(m_sender->sent.isEmpty());
    QCOMPARE(anyZoom.count(), 0);
    QCOMPARE(data.distanceLaserState(), SystemTypes::DistanceLaserStateOff);
    QVERIFY(!data.cameraDistanceMeasurementEnabled());
    QVERIFY(!data.aeAutoModeEnabled());
    QVERIFY(!data.cameraPowerOnline());
    QCOMPARE(data.pendingRawZoomPosition(), CSystemDataStorage::NoPendingRawZoomPosition);
    QCOMPARE(data.activeCamera(), SystemTypes::Camera1);
    QCOMPARE(data.shutterPosition(), 0);
    QCOMPARE(data.distanceCounter(), 0.0);
    QCOMPARE(data.lightIntensity(), quint8(0));
    QVERIFY(data.errorRecordList().isEmpty());

    // Nor does a command without a sender or storages.
    CSetAutoFocusEnabledCommand(nullptr, m_storages, true).execute();
    CSetAutoFocusEnabledCommand(m_sender, nullptr, true).execute();
    QVERIFY(!data.autoFocusEnabled());
}

void tst_RVQControlCommands::distanceLaserFollowsItsState()
{
    CSystemDataStorage& data = m_storages->data;
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, false).execute();
    QVERIFY(m_sender->sent.isEmpty());
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, true).execute();
    QCOMPARE(data.distanceLaserState(), SystemTypes::DistanceLaserStatePoweringOn);
    // Still powering on: switching on again asks again.
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, true).execute();
    data.setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, true).execute();
    CSetDistanceLaserEnabledCommand(m_sender, m_storages, false).execute();
    QCOMPARE(data.distanceLaserState(), SystemTypes::DistanceLaserStateOff);
    const QList<SentMessage> expected = {{44, 0, u8(1), 1}, {44, 0, u8(1), 1}, {44, 0, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::cameraDistanceMeasurementReadsTheFocusWhenSwitchedOn()
{
    CSystemDataStorage& data = m_storages->data;
    CSetCameraDistanceMeasurementEnabledCommand(m_sender, m_storages, true).execute();
    QVERIFY(data.cameraDistanceMeasurementEnabled());
    CSetCameraDistanceMeasurementEnabledCommand(m_sender, m_storages, true).execute();
    CSetCameraDistanceMeasurementEnabledCommand(m_sender, m_storages, false).execute();
    QVERIFY(!data.cameraDistanceMeasurementEnabled());
    const QList<SentMessage> expected = {{19, 1, {}, 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::automaticExposureClearsWhatDependsOnIt()
{
    CSystemDataStorage& data = m_storages->data;
    data.setShutterPosition(7);
    CSetAEAutoModeEnabledCommand(m_sender, m_storages, true).execute();
    QVERIFY(data.aeAutoModeEnabled());
    QCOMPARE(data.shutterPosition(), 0);

    data.setDefogModeEnabled(true);
    data.setPictureEnhancementEnabled(true);
    CSetAEAutoModeEnabledCommand(m_sender, m_storages, false).execute();
    QVERIFY(!data.aeAutoModeEnabled());
    QVERIFY(!data.defogModeEnabled());
    QVERIFY(!data.pictureEnhancementEnabled());
    const QList<SentMessage> expected = {{23, 2, u8(1), 1}, {23, 2, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::cameraPowerAndActiveCamera()
{
    CSystemDataStorage& data = m_storages->data;
    data.setActiveCamera(SystemTypes::Camera2);
    CSetCameraPowerOnlineCommand(m_sender, m_storages, true).execute();
    QVERIFY(data.cameraPowerOnline());
    QCOMPARE(data.activeCamera(), SystemTypes::Camera1);
    CSetCameraPowerOnlineCommand(m_sender, m_storages, false).execute();
    QVERIFY(!data.cameraPowerOnline());

    CSetActiveCameraCommand(m_sender, m_storages, SystemTypes::Camera2).execute();
    QVERIFY(data.cameraPowerOnline());
    QCOMPARE(data.activeCamera(), SystemTypes::Camera2);
    CSetActiveCameraCommand(m_sender, m_storages, SystemTypes::Camera2).execute();
    CSetActiveCameraCommand(m_sender, m_storages, SystemTypes::Camera3).execute();
    QCOMPARE(data.activeCamera(), SystemTypes::Camera3);
    const QList<SentMessage> expected = {{16, 0, u8(1), 1}, {16, 0, u8(0), 1}, {16, 0, u8(2), 1}, {16, 0, u8(1), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::zoomPositionTakesZoomControlUntilTheTarget()
{
    CSystemDataStorage& data = m_storages->data;
    // Before the query logic has started, zoom control is not available.
    CSetZoomPositionZPXCommand(m_sender, m_storages, 100).execute();
    QVERIFY(m_sender->sent.isEmpty());

    data.setZoomControlAvailable(true);
    data.setZoomSpeed(40);
    CSetZoomPositionZPXCommand(m_sender, m_storages, 100).execute();
    QVERIFY(!data.zoomControlAvailable());
    QCOMPARE(data.zoomSpeed(), qint8(0));
    QCOMPARE(data.pendingRawZoomPosition(), quint16(16384));
    // A second move while the first is pending does nothing.
    CSetZoomPositionZPXCommand(m_sender, m_storages, 50).execute();
    QCOMPARE(data.pendingRawZoomPosition(), quint16(16384));

    data.setZoomControlAvailable(true);
    data.setZoomPosition(50);
    CSetZoomPositionZPXCommand(m_sender, m_storages, 50).execute();
    CSetZoomPositionZPHCommand(m_sender, m_storages, 50).execute();
    QCOMPARE(data.pendingRawZoomPosition(), quint16(16384));

    // 50 percent of the optical range is raw 8192: the ZPX point at or below is 5793, the ZPH one 8176.
    CSetZoomPositionZPXCommand(m_sender, m_storages, 51).execute();
    QCOMPARE(data.pendingRawZoomPosition(), quint16(8291));
    data.setZoomControlAvailable(true);
    CSetZoomPositionZPHCommand(m_sender, m_storages, 49).execute();
    QCOMPARE(data.pendingRawZoomPosition(), quint16(5743));
    const QList<SentMessage> expected = {{17, 2, rvqU16(16384), 1}, {17, 2, rvqU16(8291), 1}, {17, 2, rvqU16(5743), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::zoomPositionWithDigitalZoomUsesTheWholeRange()
{
    CSystemDataStorage& data = m_storages->data;
    data.setZoomControlAvailable(true);
    data.setDigitalZoomEnabled(true);
    CSetZoomPositionZPXCommand(m_sender, m_storages, 100).execute();
    QCOMPARE(data.pendingRawZoomPosition(), quint16(31424));
    const QList<SentMessage> expected = {{17, 2, rvqU16(31424), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::zoomSpeedIsClampedAndCompared()
{
    CSystemDataStorage& data = m_storages->data;
    CSetZoomSpeedCommand(m_sender, m_storages, 50).execute();
    QVERIFY(m_sender->sent.isEmpty()); // no zoom control yet

    data.setZoomControlAvailable(true);
    CSetZoomSpeedCommand(m_sender, m_storages, 127).execute();
    QCOMPARE(data.zoomSpeed(), qint8(100));
    CSetZoomSpeedCommand(m_sender, m_storages, 120).execute();
    CSetZoomSpeedCommand(m_sender, m_storages, -128).execute();
    QCOMPARE(data.zoomSpeed(), qint8(-100));
    const QList<SentMessage> expected = {{17, 0, u8(100), 0}, {17, 0, u8(quint8(-100)), 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::stoppingTheZoomReadsItsPosition()
{
    CSystemDataStorage& data = m_storages->data;
    data.setZoomControlAvailable(true);
    data.setZoomSpeed(30);
    CSetZoomSpeedCommand(m_sender, m_storages, 0).execute();
    QCOMPARE(data.zoomSpeed(), qint8(0));
    const QList<SentMessage> expected = {{17, 0, u8(0), 0}, {17, 1, {}, 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::focusSpeedEndsTheAutoFocusFirst()
{
    CSystemDataStorage& data = m_storages->data;
    data.setAutoFocusEnabled(true);
    CSetFocusSpeedCommand(m_sender, m_storages, 110).execute();
    QVERIFY(!data.autoFocusEnabled());
    QCOMPARE(data.focusSpeed(), qint8(100));
    CSetFocusSpeedCommand(m_sender, m_storages, 100).execute();
    CSetFocusSpeedCommand(m_sender, m_storages, 0).execute();
    const QList<SentMessage> expected = {{20, 2, u8(0), 1}, {19, 0, u8(100), 1}, {19, 0, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::headSpeedsAndPositions()
{
    CSystemDataStorage& data = m_storages->data;
    CSetCameraTiltSpeedCommand(m_sender, m_storages, -20).execute();
    CSetCameraTiltSpeedCommand(m_sender, m_storages, -20).execute();
    CSetCameraPanSpeedCommand(m_sender, m_storages, 15).execute();
    CSetCameraTiltPositionCommand(m_sender, m_storages, 300).execute();
    CSetCameraPanPositionCommand(m_sender, m_storages, -2).execute();
    CSetCameraPanPositionCommand(m_sender, m_storages, -2).execute();
    QCOMPARE(data.cameraTiltSpeed(), qint8(-20));
    QCOMPARE(data.cameraPanSpeed(), qint8(15));
    QCOMPARE(data.cameraTiltPosition(), qint16(300));
    QCOMPARE(data.cameraPanPosition(), qint16(-2));
    const QList<SentMessage> expected
        = {{37, 0, u8(quint8(-20)), 0}, {35, 0, u8(15), 0}, {36, 2, rvqU16(300), 0}, {34, 2, rvqU16(0xFFFE), 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::stopMovementStopsTheTilt()
{
    CSystemDataStorage& data = m_storages->data;
    CStopMovementZPXCommand(m_sender, m_storages).execute();
    QVERIFY(m_sender->sent.isEmpty());
    data.setCameraTiltSpeed(12);
    CStopMovementZPXCommand(m_sender, m_storages).execute();
    QCOMPARE(data.cameraTiltSpeed(), qint8(0));
    const QList<SentMessage> expected = {{37, 0, u8(0), 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::shutterStepsOnePerPosition()
{
    CSystemDataStorage& data = m_storages->data;
    data.setShutterPosition(3);
    CSetShutterPositionCommand(m_sender, m_storages, 5).execute();
    QCOMPARE(data.shutterPosition(), 5);
    const QList<SentMessage> up = {{24, 0, u8(0x81), 1}, {24, 0, u8(0x81), 1}};
    QCOMPARE(m_sender->sent, up);
    m_sender->sent.clear();

    CSetShutterPositionCommand(m_sender, m_storages, 3).execute();
    QCOMPARE(data.shutterPosition(), 3);
    const QList<SentMessage> down = {{24, 0, u8(0x01), 1}, {24, 0, u8(0x01), 1}};
    QCOMPARE(m_sender->sent, down);
    m_sender->sent.clear();

    CSetShutterPositionCommand(m_sender, m_storages, 3).execute();
    QVERIFY(m_sender->sent.isEmpty());
}

void tst_RVQControlCommands::shutterTargetIsClampedToItsRange()
{
    // A far jump is sent whole, and a value beyond the range goes to its end: the storage holds
    // the target, never a position part of the way.
    CSystemDataStorage& data = m_storages->data;
    data.setShutterPosition(10);
    CSetShutterPositionCommand(m_sender, m_storages, 200).execute();
    QCOMPARE(m_sender->sent.size(), 190);
    QCOMPARE(data.shutterPosition(), 200);
    m_sender->sent.clear();

    CSetShutterPositionCommand(m_sender, m_storages, std::numeric_limits<int>::max()).execute();
    QCOMPARE(m_sender->sent.size(), 55);
    QCOMPARE(data.shutterPosition(), 255);
    for (const SentMessage& message : m_sender->sent)
        QCOMPARE(message.payload, u8(0x81));
    m_sender->sent.clear();

    // Already at the end: a larger value sends nothing.
    CSetShutterPositionCommand(m_sender, m_storages, 1000).execute();
    QVERIFY(m_sender->sent.isEmpty());

    CSetShutterPositionCommand(m_sender, m_storages, std::numeric_limits<int>::min()).execute();
    QCOMPARE(m_sender->sent.size(), 255);
    QCOMPARE(data.shutterPosition(), 0);
    for (const SentMessage& message : m_sender->sent)
        QCOMPARE(message.payload, u8(0x01));
}

void tst_RVQControlCommands::errorLogIsAlwaysRequested()
{
    CRequestErrorLogCommand(m_sender, m_storages).execute();
    CRequestErrorLogCommand(m_sender, m_storages).execute();
    const QList<SentMessage> expected = {{252, 1, {}, 0}, {252, 1, {}, 0}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::distanceCounterAndLocator()
{
    CSystemDataStorage& data = m_storages->data;
    CSetDistanceCounterCommand(m_sender, m_storages, 0.0).execute();
    CSetDistanceCounterCommand(m_sender, m_storages, 12.5).execute();
    QCOMPARE(data.distanceCounter(), 12.5);
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorStateOff).execute();
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorState512Hz).execute();
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorState640Hz).execute();
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorState33kHz).execute();
    CSetLocatorStateCommand(m_sender, m_storages, SystemTypes::LocatorStateOff).execute();
    QCOMPARE(data.locatorState(), SystemTypes::LocatorStateOff);
    const QList<SentMessage> expected
        = {{52, 2, rvqF32(12.5f), 1}, {85, 0, u8(5), 1}, {85, 0, u8(6), 1}, {85, 0, u8(33), 1}, {85, 0, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
}

void tst_RVQControlCommands::enhancementAndDefogNeedTheAutomaticExposure()
{
    CSystemDataStorage& data = m_storages->data;
    data.setShutterPosition(4);
    CSetPictureEnhancementEnabledCommand(m_sender, m_storages, true).execute();
    QVERIFY(data.aeAutoModeEnabled());
    QVERIFY(data.pictureEnhancementEnabled());
    QCOMPARE(data.shutterPosition(), 0);
    CSetDefogModeEnabledCommand(m_sender, m_storages, true).execute();
    QVERIFY(data.defogModeEnabled());
    CSetDefogModeEnabledCommand(m_sender, m_storages, false).execute();
    CSetPictureEnhancementEnabledCommand(m_sender, m_storages, false).execute();
    QVERIFY(data.aeAutoModeEnabled());
    const QList<SentMessage> expected
        = {{23, 2, u8(1), 1}, {43, 2, u8(1), 1}, {25, 2, u8(1), 1}, {25, 2, u8(0), 1}, {43, 2, u8(0), 1}};
    QCOMPARE(m_sender->sent, expected);
    m_sender->sent.clear();

    // Defog from manual exposure switches the automatic exposure on first.
    CSetAEAutoModeEnabledCommand(m_sender, m_storages, false).execute();
    CSetDefogModeEnabledCommand(m_sender, m_storages, true).execute();
    const QList<SentMessage> defog = {{23, 2, u8(0), 1}, {23, 2, u8(1), 1}, {25, 2, u8(1), 1}};
    QCOMPARE(m_sender->sent, defog);
}

void tst_RVQControlCommands::lightIntensityAndBooster()
{
    CSystemDataStorage& data = m_storages->data;
    CSetLightIntensityCommand(m_sender, m_storages, 100).execute();
    QVERIFY(data.lightBoosterEnabled());
    QCOMPARE(data.lightIntensity(), quint8(100));
    CSetLightIntensityCommand(m_sender, m_storages, 100).execute();
    CSetLightIntensityCommand(m_sender, m_storages, 60).execute();
    QVERIFY(!data.lightBoosterEnabled());
    CSetLightIntensityCommand(m_sender, m_storages, 40).execute();
    const QList<SentMessage> expected
        = {{39, 0, u8(1), 1}, {38, 0, u8(100), 1}, {39, 0, u8(0), 1}, {38, 0, u8(60), 1}, {38, 0, u8(40), 1}};
    QCOMPARE(m_sender->sent, expected);
    m_sender->sent.clear();

    CSetLightBoosterEnabledCommand(m_sender, m_storages, true).execute();
    QCOMPARE(data.lightIntensity(), quint8(100));
    QVERIFY(data.lightBoosterEnabled());
    CSetLightBoosterEnabledCommand(m_sender, m_storages, true).execute();
    CSetLightBoosterEnabledCommand(m_sender, m_storages, false).execute();
    QCOMPARE(data.lightIntensity(), quint8(100));
    const QList<SentMessage> booster = {{38, 0, u8(100), 1}, {39, 0, u8(1), 1}, {39, 0, u8(0), 1}};
    QCOMPARE(m_sender->sent, booster);
}

QTEST_GUILESS_MAIN(tst_RVQControlCommands)
#include "tst_RVQControlCommands.moc"
