#include "SignalRecorder.h"

#include "systemcontrol/CSystemDataStorage.h"

#include <QtTest>

#include <limits>

using Ulx::SystemTypes;
using Ulx::SystemControl::CSystemDataStorage;

class tst_CSystemDataStorage : public QObject
{
    Q_OBJECT

private slots:
    void freshStorageHoldsDefaults();
    void declaresItsSignalsInOrder();
    void settersSignalOnlyRealChanges();
    void nanReadoutsDoNotResignal();
    void errorRecordListSignalsOnEveryCall();
    void errorRecordListIsACopy();
    void resetAtDefaultsSignalsOnlyTheAlwaysSignals();
    void resetSignalsChangedValuesInOrder();
    void resetRestoresEveryDefault();
};

namespace {

// Moves every value away from its default.
void fillStorage(CSystemDataStorage& storage)
{
    storage.setErrorRecordList({{12, SystemTypes::LoggedErrorPressureLow}});
    storage.setSoftwareVersion(QStringLiteral("1.2.3"));
    storage.setHardwareId(QStringLiteral("ZPX_1.0 V01"));
    storage.setFocusSpeed(-3);
    storage.setZoomSpeed(4);
    storage.setZoomPosition(200);
    storage.setZoomFactor(2.5f);
    storage.setShutterPosition(7);
    storage.setCameraTiltSpeed(-8);
    storage.setCameraPanSpeed(9);
    storage.setLightIntensity(250);
    storage.setCameraTemperature(-12);
    storage.setCameraHumidity(55);
    storage.setCameraPressure(1013);
    storage.setBatteryPower(80);
    storage.setCameraTiltMotorCurrent(120);
    storage.setCameraPanMotorCurrent(130);
    storage.setActiveCamera(SystemTypes::Camera2);
    storage.setCameraTiltPosition(-90);
    storage.setCameraPanPosition(180);
    storage.setHourCounter(1234.5);
    storage.setInclination(-1.5f);
    storage.setDistanceCounter(12.75);
    storage.setDistanceLaserReadout(3.25);
    storage.setRawFocusPosition(1000);
    storage.setRawZoomPosition(2000);
    storage.setPendingRawZoomPosition(3000);
    storage.setCameraLowerDistanceRange(0.5);
    storage.setCameraUpperDistanceRange(9.5);
    storage.setCameraDistanceRangesValid(true);
    storage.setCameraPowerOnline(true);
    storage.setDigitalZoomEnabled(true);
    storage.setAeAutoModeEnabled(true);
    storage.setDefogModeEnabled(true);
    storage.setPictureFlipEnabled(true);
    storage.setPictureStabilizerEnabled(true);
    storage.setLightBoosterEnabled(true);
    storage.setAutoFocusEnabled(true);
    storage.setPictureEnhancementEnabled(true);
    storage.setLightBoosterAvailable(true);
    storage.setZoomControlAvailable(true);
    storage.setCameraDistanceMeasurementEnabled(true);
    storage.setDistanceLaserState(SystemTypes::DistanceLaserStateOn);
    storage.setCameraPressureState(SystemTypes::PressureStateTooHigh);
    storage.setCameraTemperatureState(SystemTypes::TemperatureStateOK);
    storage.setPowerSupplyType(SystemTypes::PowerSupplyTypeBattery);
    storage.setLocatorState(SystemTypes::LocatorState33kHz);
}

void verifyDefaults(const CSystemDataStorage& storage)
{
    QVERIFY(storage.errorRecordList().isEmpty());
    QVERIFY(storage.softwareVersion().isEmpty());
    QVERIFY(storage.hardwareId().isEmpty());
    QCOMPARE(storage.focusSpeed(), qint8(0));
    QCOMPARE(storage.zoomSpeed(), qint8(0));
    QCOMPARE(storage.zoomPosition(), quint8(0));
    QCOMPARE(storage.zoomFactor(), 0.0f);
    QCOMPARE(storage.shutterPosition(), 0);
    QCOMPARE(storage.cameraTiltSpeed(), qint8(0));
    QCOMPARE(storage.cameraPanSpeed(), qint8(0));
    QCOMPARE(storage.lightIntensity(), quint8(0));
    QCOMPARE(storage.cameraTemperature(), qint16(0));
    QCOMPARE(storage.cameraHumidity(), 0);
    QCOMPARE(storage.cameraPressure(), quint16(0));
    QCOMPARE(storage.batteryPower(), quint8(0));
    QCOMPARE(storage.cameraTiltMotorCurrent(), 0);
    QCOMPARE(storage.cameraPanMotorCurrent(), 0);
    QCOMPARE(storage.activeCamera(), SystemTypes::Camera1);
    QCOMPARE(storage.cameraTiltPosition(), qint16(0));
    QCOMPARE(storage.cameraPanPosition(), qint16(0));
    QCOMPARE(storage.hourCounter(), 0.0);
    QCOMPARE(storage.inclination(), 0.0f);
    QCOMPARE(storage.distanceCounter(), 0.0);
    QCOMPARE(storage.distanceLaserReadout(), 0.0);
    QCOMPARE(storage.rawFocusPosition(), quint16(0));
    QCOMPARE(storage.rawZoomPosition(), quint16(0));
    QCOMPARE(storage.pendingRawZoomPosition(), quint16(0xFFFF));
    QCOMPARE(storage.cameraLowerDistanceRange(), 0.0);
    QCOMPARE(storage.cameraUpperDistanceRange(), 0.0);
    QCOMPARE(storage.cameraDistanceRangesValid(), false);
    QCOMPARE(storage.cameraPowerOnline(), false);
    QCOMPARE(storage.digitalZoomEnabled(), false);
    QCOMPARE(storage.aeAutoModeEnabled(), false);
    QCOMPARE(storage.defogModeEnabled(), false);
    QCOMPARE(storage.pictureFlipEnabled(), false);
    QCOMPARE(storage.pictureStabilizerEnabled(), false);
    QCOMPARE(storage.lightBoosterEnabled(), false);
    QCOMPARE(storage.autoFocusEnabled(), false);
    QCOMPARE(storage.pictureEnhancementEnabled(), false);
    QCOMPARE(storage.lightBoosterAvailable(), false);
    QCOMPARE(storage.zoomControlAvailable(), false);
    QCOMPARE(storage.cameraDistanceMeasurementEnabled(), false);
    QCOMPARE(storage.distanceLaserState(), SystemTypes::DistanceLaserStateOff);
    QCOMPARE(storage.cameraPressureState(), SystemTypes::PressureStateNotAvailable);
    QCOMPARE(storage.cameraTemperatureState(), SystemTypes::TemperatureStateNotAvailable);
    QCOMPARE(storage.powerSupplyType(), SystemTypes::PowerSupplyTypeUnknown);
    QCOMPARE(storage.locatorState(), SystemTypes::LocatorStateOff);
}

QList<QByteArray> names(const char* text)
{
    QList<QByteArray> result;
    for (const QByteArray& name : QByteArray(text).simplified().split(' '))
        result.append(name + "Changed");
    return result;
}

} // namespace

void tst_CSystemDataStorage::freshStorageHoldsDefaults()
{
    CSystemDataStorage storage;
    verifyDefaults(storage);
}

void tst_CSystemDataStorage::declaresItsSignalsInOrder()
{
    const QMetaObject& meta = CSystemDataStorage::staticMetaObject;
    QList<QByteArray> declared;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            declared.append(meta.method(i).name());
    }
    QCOMPARE(declared,
             names("softwareVersion hardwareId cameraPowerOnline digitalZoomEnabled aeAutoModeEnabled defogModeEnabled "
                   "pictureFlipEnabled pictureStabilizerEnabled pictureEnhancementEnabled lightBoosterEnabled "
                   "autoFocusEnabled zoomSpeed zoomPosition zoomFactor focusSpeed shutterPosition cameraTiltSpeed "
                   "cameraPanSpeed cameraTiltMotorCurrent cameraPanMotorCurrent cameraTiltPosition cameraPanPosition "
                   "lightIntensity cameraTemperature cameraHumidity cameraPressure batteryPower hourCounter inclination "
                   "distanceCounter cameraPressureState cameraTemperatureState lightBoosterAvailable "
                   "zoomControlAvailable activeCamera powerSupplyType rawFocusPosition rawZoomPosition "
                   "pendingRawZoomPosition distanceLaserState distanceLaserReadout cameraDistanceMeasurementEnabled "
                   "cameraDistanceRangesValid cameraLowerDistanceRange cameraUpperDistanceRange errorRecordList "
                   "locatorState"));
}

void tst_CSystemDataStorage::settersSignalOnlyRealChanges()
{
    CSystemDataStorage storage;
    SignalRecorder recorder(&storage);

    // Values equal to the defaults: nothing (0.0 over 0.0 as well).
    storage.setZoomFactor(0.0f);
    storage.setHourCounter(0.0);
    storage.setSoftwareVersion(QString());
    storage.setActiveCamera(SystemTypes::Camera1);
    storage.setPendingRawZoomPosition(0xFFFF);
    storage.setCameraTiltPosition(0);
    QVERIFY(recorder.names.isEmpty());

    storage.setCameraPanPosition(-1);
    storage.setCameraPanPosition(-1);
    storage.setZoomFactor(1.5f);
    storage.setZoomFactor(1.5f);
    storage.setSoftwareVersion(QStringLiteral("2.0"));
    storage.setSoftwareVersion(QStringLiteral("2.0"));
    storage.setActiveCamera(SystemTypes::Camera3);
    storage.setActiveCamera(SystemTypes::Camera3);
    storage.setCameraHumidity(std::numeric_limits<qint32>::min());
    storage.setCameraHumidity(std::numeric_limits<qint32>::min());
    QCOMPARE(recorder.names, names("cameraPanPosition zoomFactor softwareVersion activeCamera cameraHumidity"));
    QCOMPARE(storage.cameraPanPosition(), qint16(-1));
    QCOMPARE(storage.cameraHumidity(), std::numeric_limits<qint32>::min());
}

void tst_CSystemDataStorage::nanReadoutsDoNotResignal()
{
    CSystemDataStorage storage;
    SignalRecorder recorder(&storage);
    const float floatNan = std::numeric_limits<float>::quiet_NaN();
    const double doubleNan = std::numeric_limits<double>::quiet_NaN();

    for (int poll = 0; poll < 3; ++poll) {
        storage.setInclination(floatNan);
        storage.setZoomFactor(floatNan);
        storage.setDistanceLaserReadout(doubleNan);
        storage.setHourCounter(doubleNan);
    }
    QCOMPARE(recorder.names, names("inclination zoomFactor distanceLaserReadout hourCounter"));
    QVERIFY(std::isnan(storage.inclination()));

    recorder.clear();
    storage.setInclination(1.0f);
    storage.setDistanceLaserReadout(2.0);
    QCOMPARE(recorder.names, names("inclination distanceLaserReadout"));
}

void tst_CSystemDataStorage::errorRecordListSignalsOnEveryCall()
{
    CSystemDataStorage storage;
    QSignalSpy changed(&storage, &CSystemDataStorage::errorRecordListChanged);
    const SystemTypes::ErrorRecordList list = {{1, SystemTypes::LoggedErrorLightTempHigh},
                                               {2, SystemTypes::LoggedErrorCommunicationUart4}};
    storage.setErrorRecordList(list);
    storage.setErrorRecordList(list);
    storage.setErrorRecordList(storage.errorRecordList());
    QCOMPARE(changed.count(), 3);
    QCOMPARE(storage.errorRecordList(), list);

    // Equal content in other shared data replaces the stored list as well.
    SystemTypes::ErrorRecordList equal;
    equal.append({1, SystemTypes::LoggedErrorLightTempHigh});
    equal.append({2, SystemTypes::LoggedErrorCommunicationUart4});
    storage.setErrorRecordList(equal);
    QCOMPARE(changed.count(), 4);
    QVERIFY(storage.errorRecordList().isSharedWith(equal));
}

void tst_CSystemDataStorage::errorRecordListIsACopy()
{
    CSystemDataStorage storage;
    storage.setErrorRecordList({{5, SystemTypes::LoggedErrorPressureOK}});
    SystemTypes::ErrorRecordList copy = storage.errorRecordList();
    copy.append({6, SystemTypes::LoggedErrorPressureHigh});
    copy[0].second = SystemTypes::LoggedErrorInvalid;
    QCOMPARE(storage.errorRecordList().size(), 1);
    QCOMPARE(storage.errorRecordList().at(0).second, SystemTypes::LoggedErrorPressureOK);
}

void tst_CSystemDataStorage::resetAtDefaultsSignalsOnlyTheAlwaysSignals()
{
    CSystemDataStorage storage;
    SignalRecorder recorder(&storage);
    storage.reset();
    QCOMPARE(recorder.names, names("pendingRawZoomPosition errorRecordList"));
}

void tst_CSystemDataStorage::resetSignalsChangedValuesInOrder()
{
    CSystemDataStorage storage;
    fillStorage(storage);
    SignalRecorder recorder(&storage);
    storage.reset();
    QCOMPARE(recorder.names,
             names("softwareVersion hardwareId cameraPowerOnline digitalZoomEnabled aeAutoModeEnabled defogModeEnabled "
                   "pictureFlipEnabled pictureStabilizerEnabled lightBoosterEnabled autoFocusEnabled "
                   "pictureEnhancementEnabled lightBoosterAvailable zoomControlAvailable "
                   "cameraDistanceMeasurementEnabled cameraDistanceRangesValid cameraLowerDistanceRange "
                   "cameraUpperDistanceRange distanceLaserState zoomSpeed zoomPosition zoomFactor focusSpeed "
                   "shutterPosition cameraTiltSpeed cameraPanSpeed cameraTiltMotorCurrent cameraPanMotorCurrent "
                   "cameraTiltPosition cameraPanPosition lightIntensity cameraTemperature cameraHumidity cameraPressure "
                   "batteryPower hourCounter inclination distanceCounter distanceLaserReadout rawFocusPosition "
                   "rawZoomPosition pendingRawZoomPosition cameraPressureState cameraTemperatureState powerSupplyType "
                   "locatorState activeCamera errorRecordList"));
}

void tst_CSystemDataStorage::resetRestoresEveryDefault()
{
    CSystemDataStorage storage;
    fillStorage(storage);
    storage.setInclination(std::numeric_limits<float>::quiet_NaN());
    storage.reset();
    verifyDefaults(storage);
}

QTEST_GUILESS_MAIN(tst_CSystemDataStorage)
#include "tst_CSystemDataStorage.moc"
