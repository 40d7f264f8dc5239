#include "SignalRecorder.h"

#include "systemcontrol/CSystemCapsStorage.h"

#include <QtTest>

using Ulx::SystemTypes;
using Ulx::SystemControl::CSystemCapsStorage;

class tst_CSystemCapsStorage : public QObject
{
    Q_OBJECT

private slots:
    void freshStorageHoldsDefaults();
    void declaresItsSignalsInOrder();
    void settersSignalOnlyRealChanges();
    void nanRangeDoesNotResignal();
    void resetAtDefaultsSignalsNothing();
    void resetSignalsChangedValuesInOrder();
};

namespace {

QList<QByteArray> names(const char* text)
{
    QList<QByteArray> result;
    for (const QByteArray& name : QByteArray(text).simplified().split(' '))
        result.append(name + "Changed");
    return result;
}

void fillStorage(CSystemCapsStorage& storage)
{
    storage.setCameraDistanceMeasurementRange(10.0);
    storage.setLaserDistanceMeasurementRange(20.0);
    storage.setCameraLightControlType(SystemTypes::LightControlTypeRange);
    storage.setCameraPanAvailable(true);
    storage.setCameraTiltAvailable(true);
    storage.setInclinationSensorAvailable(true);
    storage.setCamera1Available(true);
    storage.setCamera2Available(true);
    storage.setDistanceLaserAvailable(true);
    storage.setCameraDistanceMeasurementAvailable(true);
    storage.setCameraLightBoostAvailable(true);
    storage.setErrorLoggingAvailable(true);
    storage.setPictureEnhancementAvailable(true);
    storage.setPictureDefogModeAvailable(true);
    storage.setPictureFlipAvailable(true);
    storage.setShutterAvailable(true);
    storage.setCameraZoomAvailable(true);
    storage.setCameraAutoFocusAvailable(true);
    storage.setCameraManualFocusAvailable(true);
    storage.setDistanceCounterAvailable(true);
    storage.setLocator512HzAvailable(true);
    storage.setLocator640HzAvailable(true);
    storage.setLocator33kHzAvailable(true);
    storage.setRemoteShutdownAvailable(true);
}

} // namespace

void tst_CSystemCapsStorage::freshStorageHoldsDefaults()
{
    CSystemCapsStorage storage;
    QCOMPARE(storage.cameraDistanceMeasurementRange(), 0.0);
    QCOMPARE(storage.laserDistanceMeasurementRange(), 0.0);
    QCOMPARE(storage.cameraLightControlType(), SystemTypes::LightControlTypeNone);
    QCOMPARE(storage.cameraPanAvailable(), false);
    QCOMPARE(storage.cameraTiltAvailable(), false);
    QCOMPARE(storage.camera1Available(), false);
    QCOMPARE(storage.locator33kHzAvailable(), false);
    QCOMPARE(storage.remoteShutdownAvailable(), false);
    // Every boolean capability starts off.
    const QMetaObject& meta = CSystemCapsStorage::staticMetaObject;
    int signalCount = 0;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        signalCount += meta.method(i).methodType() == QMetaMethod::Signal ? 1 : 0;
    QCOMPARE(signalCount, 24);
}

void tst_CSystemCapsStorage::declaresItsSignalsInOrder()
{
    const QMetaObject& meta = CSystemCapsStorage::staticMetaObject;
    QList<QByteArray> declared;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            declared.append(meta.method(i).name());
    }
    QCOMPARE(declared,
             names("cameraTiltAvailable cameraPanAvailable cameraLightControlType inclinationSensorAvailable "
                   "camera1Available camera2Available distanceLaserAvailable cameraDistanceMeasurementAvailable "
                   "cameraDistanceMeasurementRange laserDistanceMeasurementRange cameraLightBoostAvailable "
                   "errorLoggingAvailable pictureEnhancementAvailable pictureDefogModeAvailable "
                   "distanceCounterAvailable locator512HzAvailable locator640HzAvailable locator33kHzAvailable "
                   "pictureFlipAvailable shutterAvailable cameraZoomAvailable cameraAutoFocusAvailable "
                   "cameraManualFocusAvailable remoteShutdownAvailable"));
}

void tst_CSystemCapsStorage::settersSignalOnlyRealChanges()
{
    CSystemCapsStorage storage;
    SignalRecorder recorder(&storage);
    storage.setCameraDistanceMeasurementRange(0.0);
    storage.setCameraLightControlType(SystemTypes::LightControlTypeNone);
    storage.setShutterAvailable(false);
    QVERIFY(recorder.names.isEmpty());

    storage.setCameraLightControlType(SystemTypes::LightControlTypeOnOff);
    storage.setCameraLightControlType(SystemTypes::LightControlTypeOnOff);
    storage.setShutterAvailable(true);
    storage.setShutterAvailable(true);
    storage.setLaserDistanceMeasurementRange(25.5);
    storage.setLaserDistanceMeasurementRange(25.5);
    QCOMPARE(recorder.names, names("cameraLightControlType shutterAvailable laserDistanceMeasurementRange"));
}

void tst_CSystemCapsStorage::nanRangeDoesNotResignal()
{
    CSystemCapsStorage storage;
    QSignalSpy changed(&storage, &CSystemCapsStorage::cameraDistanceMeasurementRangeChanged);
    storage.setCameraDistanceMeasurementRange(std::numeric_limits<double>::quiet_NaN());
    storage.setCameraDistanceMeasurementRange(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(changed.count(), 1);
}

void tst_CSystemCapsStorage::resetAtDefaultsSignalsNothing()
{
    CSystemCapsStorage storage;
    SignalRecorder recorder(&storage);
    storage.reset();
    QVERIFY(recorder.names.isEmpty());
}

void tst_CSystemCapsStorage::resetSignalsChangedValuesInOrder()
{
    CSystemCapsStorage storage;
    fillStorage(storage);
    SignalRecorder recorder(&storage);
    storage.reset();
    QCOMPARE(recorder.names,
             names("cameraTiltAvailable cameraPanAvailable cameraLightControlType inclinationSensorAvailable "
                   "camera1Available camera2Available distanceLaserAvailable cameraDistanceMeasurementAvailable "
                   "cameraDistanceMeasurementRange laserDistanceMeasurementRange cameraLightBoostAvailable "
                   "errorLoggingAvailable pictureEnhancementAvailable pictureDefogModeAvailable pictureFlipAvailable "
                   "shutterAvailable cameraZoomAvailable cameraAutoFocusAvailable cameraManualFocusAvailable "
                   "distanceCounterAvailable locator33kHzAvailable locator512HzAvailable locator640HzAvailable "
                   "remoteShutdownAvailable"));
    QCOMPARE(storage.cameraLightControlType(), SystemTypes::LightControlTypeNone);
    QCOMPARE(storage.laserDistanceMeasurementRange(), 0.0);
    QCOMPARE(storage.remoteShutdownAvailable(), false);

    // Only what differs from the default signals.
    recorder.clear();
    storage.setCamera2Available(true);
    storage.setLaserDistanceMeasurementRange(1.0);
    recorder.clear();
    storage.reset();
    QCOMPARE(recorder.names, names("camera2Available laserDistanceMeasurementRange"));
}

QTEST_GUILESS_MAIN(tst_CSystemCapsStorage)
#include "tst_CSystemCapsStorage.moc"
