#include "CRecordingCommandFactory.h"
#include "SignalRecorder.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "systemcontrol/CDefaultCommandFactory.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/CSystemReadouts.h"

#include <QtTest>

#include <limits>

using namespace Ulx;
using SystemControl::CSystemCaps;
using SystemControl::CSystemControl;
using SystemControl::CSystemReadouts;

namespace {

QList<QByteArray> names(const char* text)
{
    QList<QByteArray> result;
    for (const QByteArray& name : QByteArray(text).simplified().split(' '))
        result.append(name + "Changed");
    return result;
}

QList<QByteArray> declaredSignals(const QMetaObject& meta)
{
    QList<QByteArray> declared;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            declared.append(meta.method(i).name());
    }
    return declared;
}

SystemControl::CSystemDataStorage* dataStorage()
{
    return CUlxSystemsLibraryPrivate::instance()->systemDataStorage();
}

SystemControl::CSystemCapsStorage* capsStorage()
{
    return CUlxSystemsLibraryPrivate::instance()->systemCapsStorage();
}

// Calls every control write of the facades once, with values away from the defaults.
void writeEverything(CSystemControl* control, CSystemReadouts* readouts)
{
    control->setAutoFocusEnabled(true);
    control->setZoomSpeed(-5);
    control->setZoomPosition(200);
    control->setFocusSpeed(6);
    control->setCameraTiltSpeed(-7);
    control->setCameraPanSpeed(8);
    control->setLightIntensity(255);
    control->setActiveCamera(SystemTypes::Camera2);
    control->setDistanceLaserEnabled(true);
    control->setCameraDistanceMeasurementEnabled(true);
    control->setCameraPowerOnline(true);
    control->setDigitalZoomEnabled(true);
    control->setAEAutoModeEnabled(true);
    control->setDefogModeEnabled(true);
    control->setPictureFlipEnabled(true);
    control->setPictureStabilizerEnabled(true);
    control->setPictureEnhancementEnabled(true);
    control->setLightBoosterEnabled(true);
    control->setShutterPosition(-3);
    control->setCameraTiltPosition(-300);
    control->setCameraPanPosition(300);
    control->setDistanceCounter(12.5);
    control->setLocatorState(SystemTypes::LocatorState640Hz);
    control->stopMovement();
    readouts->requestErrorLog();
}

} // namespace

class tst_SystemFacades : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gettersShowStorageDefaultsBeforeAnyConnection();
    void facadesDeclareTheirSignalsInOrder();
    void capsRelayEveryStorageSignal();
    void controlRelaysItsSettings();
    void laserStateChangeRelaysEvenWhenEnabledStaysTrue();
    void readoutsRelayWithRenamedSignals();
    void gettersReadTheStorageOnEveryCall();
    void systemStatesAreNeverAvailable();
    void errorLogDataIsACopy();
    void defaultFactoryWritesChangeNothingAndEmitNothing();
    void defaultFactoryMakesACommandForEveryOperation();
    void writesRunTheInstalledFactorysCommands();
    void writeOfTheStoredValueStillRunsACommand();
    void throwingCommandIsDestroyedBeforeTheExceptionLeaves();
};

void tst_SystemFacades::init()
{
    CUlxSystemsLibrary::initialize();
}

void tst_SystemFacades::cleanup()
{
    CUlxSystemsLibrary::finalize();
}

void tst_SystemFacades::gettersShowStorageDefaultsBeforeAnyConnection()
{
    CSystemControl* control = CUlxSystemsLibrary::systemControl();
    CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    CSystemCaps* caps = CUlxSystemsLibrary::systemCaps();
    QCOMPARE(control->activeCamera(), SystemTypes::Camera1);
    QCOMPARE(control->distanceLaserEnabled(), false);
    QCOMPARE(control->zoomPosition(), quint8(0));
    QCOMPARE(control->cameraPanPosition(), qint16(0));
    QCOMPARE(control->locatorState(), SystemTypes::LocatorStateOff);
    QVERIFY(readouts->softwareVersion().isEmpty());
    QVERIFY(readouts->hardwareId().isEmpty());
    QCOMPARE(readouts->laserDistance(), 0.0);
    QCOMPARE(readouts->zoomFactor(), 0.0f);
    QCOMPARE(readouts->distanceLaserState(), SystemTypes::DistanceLaserStateOff);
    QCOMPARE(readouts->powerSupplyType(), SystemTypes::PowerSupplyTypeUnknown);
    QVERIFY(readouts->errorLogData().isEmpty());
    QCOMPARE(caps->cameraLightControlType(), SystemTypes::LightControlTypeNone);
    QCOMPARE(caps->cameraTiltAvailable(), false);
    QCOMPARE(caps->laserDistanceMeasurementRange(), 0.0);
}

void tst_SystemFacades::facadesDeclareTheirSignalsInOrder()
{
    QCOMPARE(declaredSignals(CSystemCaps::staticMetaObject),
             names("cameraTiltAvailable cameraPanAvailable cameraLightControlType inclinationSensorAvailable "
                   "camera1Available camera2Available distanceLaserAvailable cameraDistanceMeasurementAvailable "
                   "cameraDistanceMeasurementRange laserDistanceMeasurementRange cameraLightBoostAvailable "
                   "errorLoggingAvailable pictureEnhancementAvailable pictureDefogModeAvailable "
                   "distanceCounterAvailable locator512HzAvailable locator640HzAvailable locator33kHzAvailable "
                   "pictureFlipAvailable shutterAvailable cameraZoomAvailable cameraAutoFocusAvailable "
                   "cameraManualFocusAvailable remoteShutdownAvailable"));
    QCOMPARE(declaredSignals(CSystemControl::staticMetaObject),
             names("autoFocusEnabled zoomSpeed zoomPosition focusSpeed cameraTiltSpeed cameraPanSpeed "
                   "cameraTiltPosition cameraPanPosition lightIntensity activeCamera distanceLaserEnabled "
                   "cameraDistanceMeasurementEnabled cameraPowerOnline digitalZoomEnabled aeAutoModeEnabled "
                   "defogModeEnabled pictureFlipEnabled pictureStabilizerEnabled pictureEnhancementEnabled "
                   "lightBoosterEnabled shutterPosition distanceCounter locatorState"));
    QCOMPARE(declaredSignals(CSystemReadouts::staticMetaObject),
             names("softwareVersion hardwareId cameraDistanceRangesValid cameraLowerDistanceRange "
                   "cameraUpperDistanceRange laserDistance distanceLaserState cameraHumidity hourCounter "
                   "cameraTiltMotorCurrent cameraPanMotorCurrent lightBoosterAvailable zoomFactor cameraTemperature "
                   "cameraPressure batteryPower inclination cameraPressureState cameraTemperatureState "
                   "zoomControlAvailable powerSupplyType systemPressureState systemTemperatureState errorLogData"));
}

void tst_SystemFacades::capsRelayEveryStorageSignal()
{
    SignalRecorder storageSignals(capsStorage());
    SignalRecorder facadeSignals(CUlxSystemsLibrary::systemCaps());
    capsStorage()->setCameraTiltAvailable(true);
    capsStorage()->setCameraLightControlType(SystemTypes::LightControlTypeOnOff);
    capsStorage()->setCameraDistanceMeasurementRange(30.0);
    capsStorage()->setLocator33kHzAvailable(true);
    capsStorage()->setRemoteShutdownAvailable(true);
    capsStorage()->reset();
    QVERIFY(!storageSignals.names.isEmpty());
    QCOMPARE(facadeSignals.names, storageSignals.names);
    QCOMPARE(CUlxSystemsLibrary::systemCaps()->remoteShutdownAvailable(), false);
}

void tst_SystemFacades::controlRelaysItsSettings()
{
    SystemControl::CSystemDataStorage* storage = dataStorage();
    SignalRecorder facadeSignals(CUlxSystemsLibrary::systemControl());
    storage->setZoomPosition(17);
    storage->setCameraTiltPosition(-4);
    storage->setActiveCamera(SystemTypes::Camera3);
    storage->setAeAutoModeEnabled(true);
    storage->setLocatorState(SystemTypes::LocatorState512Hz);
    storage->setDistanceCounter(3.5);
    // Readouts and the zoom handling's raw values are not control settings.
    storage->setBatteryPower(99);
    storage->setRawZoomPosition(1234);
    storage->setRawFocusPosition(4321);
    storage->setPendingRawZoomPosition(5);
    QCOMPARE(facadeSignals.names,
             names("zoomPosition cameraTiltPosition activeCamera aeAutoModeEnabled locatorState distanceCounter"));
    QCOMPARE(CUlxSystemsLibrary::systemControl()->zoomPosition(), quint8(17));
    QCOMPARE(CUlxSystemsLibrary::systemControl()->activeCamera(), SystemTypes::Camera3);
    QCOMPARE(CUlxSystemsLibrary::systemControl()->aeAutoModeEnabled(), true);
}

void tst_SystemFacades::laserStateChangeRelaysEvenWhenEnabledStaysTrue()
{
    CSystemControl* control = CUlxSystemsLibrary::systemControl();
    QSignalSpy enabledChanged(control, &CSystemControl::distanceLaserEnabledChanged);
    dataStorage()->setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    QCOMPARE(control->distanceLaserEnabled(), true);
    dataStorage()->setDistanceLaserState(SystemTypes::DistanceLaserStatePoweringOn);
    QCOMPARE(control->distanceLaserEnabled(), true);
    QCOMPARE(enabledChanged.count(), 2);
    dataStorage()->setDistanceLaserState(SystemTypes::DistanceLaserStateNotAvailable);
    QCOMPARE(control->distanceLaserEnabled(), false);
    dataStorage()->setDistanceLaserState(SystemTypes::DistanceLaserStateOff);
    QCOMPARE(control->distanceLaserEnabled(), false);
    QCOMPARE(enabledChanged.count(), 4);
}

void tst_SystemFacades::readoutsRelayWithRenamedSignals()
{
    SystemControl::CSystemDataStorage* storage = dataStorage();
    SignalRecorder facadeSignals(CUlxSystemsLibrary::systemReadouts());
    storage->setDistanceLaserReadout(4.25);
    storage->setErrorRecordList({{1, SystemTypes::LoggedErrorPressureHigh}});
    storage->setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    storage->setSoftwareVersion(QStringLiteral("3.1"));
    storage->setCameraUpperDistanceRange(8.0);
    storage->setCameraPressureState(SystemTypes::PressureStateTooLow);
    // Control settings are not readouts.
    storage->setZoomPosition(9);
    storage->setAutoFocusEnabled(true);
    QCOMPARE(facadeSignals.names, names("laserDistance errorLogData distanceLaserState softwareVersion "
                                        "cameraUpperDistanceRange cameraPressureState"));
    QCOMPARE(CUlxSystemsLibrary::systemReadouts()->laserDistance(), 4.25);
    QCOMPARE(CUlxSystemsLibrary::systemReadouts()->cameraPressureState(), SystemTypes::PressureStateTooLow);
}

void tst_SystemFacades::gettersReadTheStorageOnEveryCall()
{
    CSystemControl* control = CUlxSystemsLibrary::systemControl();
    dataStorage()->setCameraPanPosition(120);
    dataStorage()->setCameraTiltPosition(-45);
    QCOMPARE(control->cameraPanPosition(), qint16(120));
    QCOMPARE(control->cameraTiltPosition(), qint16(-45));
    dataStorage()->setCameraPanPosition(-120);
    QCOMPARE(control->cameraPanPosition(), qint16(-120));
    QCOMPARE(control->cameraTiltPosition(), qint16(-45));
    dataStorage()->setInclination(std::numeric_limits<float>::quiet_NaN());
    QVERIFY(std::isnan(CUlxSystemsLibrary::systemReadouts()->inclination()));
}

void tst_SystemFacades::systemStatesAreNeverAvailable()
{
    CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    dataStorage()->setCameraPressureState(SystemTypes::PressureStateTooHigh);
    dataStorage()->setCameraTemperatureState(SystemTypes::TemperatureStateTooHigh);
    QCOMPARE(readouts->systemPressureState(), SystemTypes::PressureStateNotAvailable);
    QCOMPARE(readouts->systemTemperatureState(), SystemTypes::TemperatureStateNotAvailable);
}

void tst_SystemFacades::errorLogDataIsACopy()
{
    CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    dataStorage()->setErrorRecordList({{3, SystemTypes::LoggedErrorLightTempOK}});
    SystemTypes::ErrorRecordList copy = readouts->errorLogData();
    copy.clear();
    QCOMPARE(readouts->errorLogData().size(), 1);
    QCOMPARE(dataStorage()->errorRecordList().size(), 1);
}

void tst_SystemFacades::defaultFactoryWritesChangeNothingAndEmitNothing()
{
    CSystemControl* control = CUlxSystemsLibrary::systemControl();
    CSystemReadouts* readouts = CUlxSystemsLibrary::systemReadouts();
    QList<QByteArray> emitted;
    SignalRecorder controlSignals(control, &emitted);
    SignalRecorder readoutSignals(readouts, &emitted);
    SignalRecorder capsSignals(CUlxSystemsLibrary::systemCaps(), &emitted);
    SignalRecorder storageSignals(dataStorage(), &emitted);

    writeEverything(control, readouts);

    QCOMPARE(emitted, QList<QByteArray>());
    QCOMPARE(control->zoomPosition(), quint8(0));
    QCOMPARE(control->activeCamera(), SystemTypes::Camera1);
    QCOMPARE(control->distanceLaserEnabled(), false);
    QCOMPARE(control->distanceCounter(), 0.0);
    QVERIFY(readouts->errorLogData().isEmpty());
}

void tst_SystemFacades::defaultFactoryMakesACommandForEveryOperation()
{
    SystemControl::CDefaultCommandFactory factory;
    std::vector<std::unique_ptr<SystemControl::CControlCommand>> commands;
    commands.push_back(factory.createSetDistanceLaserEnabledCommand(true));
    commands.push_back(factory.createSetCameraDistanceMeasurementEnabledCommand(true));
    commands.push_back(factory.createSetAutoFocusEnabledCommand(true));
    commands.push_back(factory.createSetPictureStabilizerEnabledCommand(true));
    commands.push_back(factory.createSetPictureEnhancementEnabledCommand(true));
    commands.push_back(factory.createSetDefogModeEnabledCommand(true));
    commands.push_back(factory.createSetPictureFlipEnabledCommand(true));
    commands.push_back(factory.createSetLightBoosterEnabledCommand(true));
    commands.push_back(factory.createSetDigitalZoomEnabledCommand(true));
    commands.push_back(factory.createSetAEAutoModeEnabledCommand(true));
    commands.push_back(factory.createSetCameraPowerOnlineCommand(true));
    commands.push_back(factory.createSetFocusSpeedCommand(-128));
    commands.push_back(factory.createSetZoomSpeedCommand(127));
    commands.push_back(factory.createSetZoomPositionCommand(255));
    commands.push_back(factory.createSetLightIntensityCommand(0));
    commands.push_back(factory.createSetCameraTiltSpeedCommand(1));
    commands.push_back(factory.createSetCameraPanSpeedCommand(-1));
    commands.push_back(factory.createSetCameraTiltPositionCommand(-32768));
    commands.push_back(factory.createSetCameraPanPositionCommand(32767));
    commands.push_back(factory.createSetActiveCameraCommand(SystemTypes::Camera3));
    commands.push_back(factory.createSetShutterPositionCommand(-1));
    commands.push_back(factory.createStopMovementCommand());
    commands.push_back(factory.createRequestErrorLogCommand());
    commands.push_back(factory.createSetDistanceCounterCommand(std::numeric_limits<double>::quiet_NaN()));
    commands.push_back(factory.createSetLocatorStateCommand(SystemTypes::LocatorState33kHz));
    QCOMPARE(int(commands.size()), 25);
    QSignalSpy anyData(dataStorage(), &SystemControl::CSystemDataStorage::zoomPositionChanged);
    for (const auto& command : commands) {
        QVERIFY(command);
        command->execute();
    }
    QCOMPARE(anyData.count(), 0);
}

void tst_SystemFacades::writesRunTheInstalledFactorysCommands()
{
    CRecordingCommandFactory factory;
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, &factory, nullptr);
    CSystemControl* control = CUlxSystemsLibrary::systemControl();
    control->setZoomPosition(200);
    control->setCameraPanPosition(-300);
    control->setActiveCamera(SystemTypes::Camera2);
    control->setDistanceCounter(12.5);
    control->stopMovement();
    CUlxSystemsLibrary::systemReadouts()->requestErrorLog();
    QCOMPARE(factory.log, (QStringList{
                              "created SetZoomPosition 200", "executed SetZoomPosition 200",
                              "destroyed SetZoomPosition 200", "created SetCameraPanPosition -300",
                              "executed SetCameraPanPosition -300", "destroyed SetCameraPanPosition -300",
                              "created SetActiveCamera 2", "executed SetActiveCamera 2", "destroyed SetActiveCamera 2",
                              "created SetDistanceCounter 12.5", "executed SetDistanceCounter 12.5",
                              "destroyed SetDistanceCounter 12.5", "created StopMovement", "executed StopMovement",
                              "destroyed StopMovement", "created RequestErrorLog", "executed RequestErrorLog",
                              "destroyed RequestErrorLog"}));

    // Every write reaches the factory, once.
    factory.log.clear();
    writeEverything(control, CUlxSystemsLibrary::systemReadouts());
    QCOMPARE(factory.log.filter(QStringLiteral("created ")).size(), 25);
    QCOMPARE(factory.log.filter(QStringLiteral("destroyed ")).size(), 25);
    QVERIFY(factory.log.contains(QStringLiteral("created SetAEAutoModeEnabled true")));
    QVERIFY(factory.log.contains(QStringLiteral("created SetLocatorState 2")));
    QVERIFY(factory.log.contains(QStringLiteral("created SetFocusSpeed 6")));
    // The facade never writes the storage itself.
    QCOMPARE(control->zoomPosition(), quint8(0));

    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    factory.log.clear();
    control->setZoomPosition(1);
    QVERIFY(factory.log.isEmpty());
}

void tst_SystemFacades::writeOfTheStoredValueStillRunsACommand()
{
    CRecordingCommandFactory factory;
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, &factory, nullptr);
    dataStorage()->setLightIntensity(80);
    CUlxSystemsLibrary::systemControl()->setLightIntensity(80);
    QCOMPARE(factory.log, (QStringList{"created SetLightIntensity 80", "executed SetLightIntensity 80",
                                       "destroyed SetLightIntensity 80"}));
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
}

void tst_SystemFacades::throwingCommandIsDestroyedBeforeTheExceptionLeaves()
{
    CRecordingCommandFactory factory;
    factory.throwOnExecute = true;
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, &factory, nullptr);
    bool thrown = false;
    try {
        CUlxSystemsLibrary::systemControl()->setFocusSpeed(-2);
    } catch (const std::runtime_error&) {
        thrown = true;
        QCOMPARE(factory.log.last(), QStringLiteral("destroyed SetFocusSpeed -2"));
    }
    QVERIFY(thrown);
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
}

QTEST_GUILESS_MAIN(tst_SystemFacades)
#include "tst_SystemFacades.moc"
