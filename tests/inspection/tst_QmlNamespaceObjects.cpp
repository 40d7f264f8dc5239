#include "libraries/systems/CRecordingCommandFactory.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CSessionManager.h"
#include "inspection/CLiveVideoQmlNamespaceObject.h"
#include "inspection/CRemoteMediaQmlNamespaceObject.h"
#include "inspection/CSystemQmlNamespaceObject.h"
#include "multimedia/CRemoteMediaCapture.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "multimedia/CVideoRecorder.h"
#include "multimedia/CVideoStreamConfig.h"
#include "multimedia/CVideoStreamer.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/CSystemReadouts.h"

#include "support/QmlWarningGuard.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace Ulx;

namespace {

// The QML-facing signals of each wrapper, as the screens use them, with the facade behind it.
struct WrapperTable
{
    const char* path;
    QObject* (*facade)();
    QList<QByteArray> signalNames;
};

QList<QByteArray> words(const char* text)
{
    return QByteArray(text).simplified().split(' ');
}

QList<WrapperTable> wrapperTables()
{
    return {
        {"system.connection", [] { return static_cast<QObject*>(CUlxSystemsLibrary::sessionManager()); },
            words("stateChanged errorOccurred connectedSystemTypeChanged "
                  "controlOnlineChanged wifiSignalStrengthChanged "
                  "permissionAccessLocationChanged "
                  "permissionWriteExternalStorageChanged")},
        {"system.control", [] { return static_cast<QObject*>(CUlxSystemsLibrary::systemControl()); },
            words("autoFocusEnabledChanged zoomSpeedChanged zoomPositionChanged "
                  "focusSpeedChanged cameraTiltSpeedChanged "
                  "cameraPanSpeedChanged lightIntensityChanged activeCameraChanged "
                  "distanceLaserEnabledChanged "
                  "cameraDistanceMeasurementEnabledChanged cameraPowerOnlineChanged "
                  "digitalZoomEnabledChanged "
                  "aeAutoModeEnabledChanged defogModeEnabledChanged "
                  "pictureFlipEnabledChanged "
                  "pictureStabilizerEnabledChanged pictureEnhancementEnabledChanged "
                  "lightBoosterEnabledChanged "
                  "shutterPositionChanged cameraTiltPositionChanged "
                  "cameraPanPositionChanged distanceCounterChanged "
                  "locatorStateChanged")},
        {"system.caps", [] { return static_cast<QObject*>(CUlxSystemsLibrary::systemCaps()); },
            words("cameraTiltAvailableChanged cameraPanAvailableChanged "
                  "cameraLightControlTypeChanged "
                  "inclinationSensorAvailableChanged camera1AvailableChanged "
                  "camera2AvailableChanged "
                  "distanceLaserAvailableChanged "
                  "cameraDistanceMeasurementAvailableChanged "
                  "cameraDistanceMeasurementRangeChanged "
                  "laserDistanceMeasurementRangeChanged "
                  "cameraLightBoostAvailableChanged errorLoggingAvailableChanged "
                  "pictureEnhancementAvailableChanged "
                  "pictureDefogModeAvailableChanged pictureFlipAvailableChanged "
                  "shutterAvailableChanged "
                  "cameraZoomAvailableChanged cameraAutoFocusAvailableChanged "
                  "cameraManualFocusAvailableChanged "
                  "distanceCounterAvailableChanged locator512HzAvailableChanged "
                  "locator640HzAvailableChanged "
                  "locator33kHzAvailableChanged remoteShutdownAvailableChanged")},
        {"system.readouts", [] { return static_cast<QObject*>(CUlxSystemsLibrary::systemReadouts()); },
            words("softwareVersionChanged hardwareIdChanged "
                  "cameraDistanceRangesValidChanged "
                  "cameraLowerDistanceRangeChanged cameraUpperDistanceRangeChanged "
                  "laserDistanceChanged "
                  "distanceLaserStateChanged cameraHumidityChanged "
                  "hourCounterChanged cameraTiltMotorCurrentChanged "
                  "cameraPanMotorCurrentChanged lightBoosterAvailableChanged "
                  "zoomFactorChanged cameraTemperatureChanged "
                  "cameraPressureChanged batteryPowerChanged inclinationChanged "
                  "cameraPressureStateChanged "
                  "cameraTemperatureStateChanged zoomControlAvailableChanged "
                  "powerSupplyTypeChanged "
                  "systemPressureStateChanged systemTemperatureStateChanged "
                  "errorLogDataChanged")},
        {"remoteMedia.capture", [] { return static_cast<QObject*>(CUlxSystemsLibrary::remoteMediaCapture()); },
            words("captureStateChanged captureModeChanged videoRecordingTimeChanged "
                  "videoCaptureConfigChanged "
                  "configChangeInProgressChanged")},
        {"remoteMedia.storage", [] { return static_cast<QObject*>(CUlxSystemsLibrary::remoteMediaStorage()); },
            words("storageStateChanged remainingSizeChanged "
                  "remainingVideoRecordingTimeChanged fileListStateChanged")},
        {"liveVideo.config", [] { return static_cast<QObject*>(CUlxSystemsLibrary::videoStreamConfig()); },
            words("errorOccurred configChangeInProgressChanged activeConfigChanged "
                  "supportsConfigChangeChanged")},
        {"liveVideo.stream", [] { return static_cast<QObject*>(CUlxSystemsLibrary::videoStreamer()); },
            words("videoSurfaceSinkChanged videoOutputEnabledChanged stateChanged "
                  "imageCaptured")},
        {"liveVideo.recorder", [] { return static_cast<QObject*>(CUlxSystemsLibrary::videoRecorder()); },
            words("stateChanged")},
    };
}

// Records every signal any of the watched objects emits, as "path.name", in order.
class EmissionLog : public QObject
{
    Q_OBJECT

public:
    void watch(QObject* source, const QByteArray& path)
    {
        const QMetaObject* meta = source->metaObject();
        const int recordIndex = metaObject()->indexOfSlot("record()");
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                QMetaObject::connect(source, i, this, recordIndex, Qt::DirectConnection);
        }
        m_paths.insert(source, path);
    }

    QList<QByteArray> names;

public slots:
    void record()
    {
        names.append(m_paths.value(sender()) + '.' + sender()->metaObject()->method(senderSignalIndex()).name());
    }

private:
    QHash<QObject*, QByteArray> m_paths;
};

} // namespace

class tst_QmlNamespaceObjects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QmlWarningGuard::install(); }
    void init();
    void cleanup();

    void everyFacadeSignalOfTheTablesIsRelayedOnceWithItsArgument();
    void qmlFollowsTheFacadesAndWritesReachTheSystemClamped();
    void wrappersWithoutALibraryGiveDefaultsAndIgnoreWrites();

private:
    QObject* wrapper(const QByteArray& path) const;

    std::unique_ptr<CSystemQmlNamespaceObject> m_system;
    std::unique_ptr<CRemoteMediaQmlNamespaceObject> m_remoteMedia;
    std::unique_ptr<CLiveVideoQmlNamespaceObject> m_liveVideo;
};

void tst_QmlNamespaceObjects::init()
{
    CUlxSystemsLibrary::initialize();
    m_remoteMedia = std::make_unique<CRemoteMediaQmlNamespaceObject>();
    m_system = std::make_unique<CSystemQmlNamespaceObject>();
    m_liveVideo = std::make_unique<CLiveVideoQmlNamespaceObject>();
}

void tst_QmlNamespaceObjects::cleanup()
{
    QmlWarningGuard::checkFunction();
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    m_liveVideo.reset();
    m_system.reset();
    m_remoteMedia.reset();
    CUlxSystemsLibrary::finalize();
}

QObject* tst_QmlNamespaceObjects::wrapper(const QByteArray& path) const
{
    const QList<QByteArray> parts = path.split('.');
    QObject* root = parts[0] == "system" ? static_cast<QObject*>(m_system.get())
        : parts[0] == "remoteMedia"      ? static_cast<QObject*>(m_remoteMedia.get())
                                         : static_cast<QObject*>(m_liveVideo.get());
    return root->property(parts[1].constData()).value<QObject*>();
}

void tst_QmlNamespaceObjects::everyFacadeSignalOfTheTablesIsRelayedOnceWithItsArgument()
{
    EmissionLog log;
    for (const WrapperTable& table : wrapperTables()) {
        QObject* relay = wrapper(table.path);
        QVERIFY2(relay, table.path);
        log.watch(relay, table.path);
    }

    for (const WrapperTable& table : wrapperTables()) {
        QObject* relay = wrapper(table.path);
        QObject* facade = table.facade();
        for (const QByteArray& name : table.signalNames) {
            const QByteArray label = QByteArray(table.path) + '.' + name;
            const QMetaObject* relayMeta = relay->metaObject();
            int relayIndex = -1;
            for (int i = relayMeta->methodOffset(); i < relayMeta->methodCount(); ++i) {
                if (relayMeta->method(i).methodType() == QMetaMethod::Signal && relayMeta->method(i).name() == name)
                    relayIndex = i;
            }
            QVERIFY2(relayIndex >= 0, label.constData());
            const QMetaMethod relaySignal = relayMeta->method(relayIndex);

            // The session manager reports its errors under a longer name.
            const QByteArray facadeName = (QByteArray(table.path) == "system.connection" && name == "errorOccurred")
                ? QByteArray("communicationErrorOccurred")
                : name;
            const QByteArray facadeSignature = facadeName + '(' + relaySignal.parameterTypes().join(',') + ')';
            const int facadeIndex = facade->metaObject()->indexOfSignal(facadeSignature.constData());
            QVERIFY2(facadeIndex >= 0, facadeSignature.constData());
            const QMetaMethod facadeSignal = facade->metaObject()->method(facadeIndex);

            QSignalSpy spy(relay, relaySignal);
            log.names.clear();
            // Enumerations go over as 2 (a value every enumeration here has), texts as a file name.
            int enumValue = 2;
            QString text = QStringLiteral("IMG_0002.JPG");
            bool emitted = false;
            if (relaySignal.parameterCount() == 0) {
                emitted = facadeSignal.invoke(facade, Qt::DirectConnection);
            } else if (relaySignal.parameterType(0) == QMetaType::QString) {
                emitted = facadeSignal.invoke(facade, Qt::DirectConnection, Q_ARG(QString, text));
            } else {
                emitted = facadeSignal.invoke(facade, Qt::DirectConnection,
                    QGenericArgument(relaySignal.parameterTypes().at(0).constData(), &enumValue));
            }
            QVERIFY2(emitted, label.constData());

            QCOMPARE(log.names, QList<QByteArray> {label});
            QCOMPARE(spy.count(), 1);
            if (relaySignal.parameterCount() == 1) {
                const QVariant argument = spy.at(0).at(0);
                if (relaySignal.parameterType(0) == QMetaType::QString)
                    QCOMPARE(argument.toString(), text);
                else
                    QCOMPARE(*static_cast<const int*>(argument.constData()), enumValue);
            }
        }
    }

    // The two properties that a differently named signal notifies.
    const QMetaObject* storageMeta = wrapper("remoteMedia.storage")->metaObject();
    QCOMPARE(storageMeta->property(storageMeta->indexOfProperty("storageReady")).notifySignal().name(),
        QByteArray("storageStateChanged"));
    const QMetaObject* configMeta = wrapper("liveVideo.config")->metaObject();
    QCOMPARE(configMeta->property(configMeta->indexOfProperty("activeResolution")).notifySignal().name(),
        QByteArray("activeConfigChanged"));
}

void tst_QmlNamespaceObjects::qmlFollowsTheFacadesAndWritesReachTheSystemClamped()
{
    QQmlEngine engine;
    QList<QQmlError> warnings;
    connect(&engine, &QQmlEngine::warnings, this, [&warnings](const QList<QQmlError>& list) { warnings += list; });
    engine.rootContext()->setContextProperty(QStringLiteral("system"), m_system.get());
    engine.rootContext()->setContextProperty(QStringLiteral("remoteMedia"), m_remoteMedia.get());
    engine.rootContext()->setContextProperty(QStringLiteral("liveVideo"), m_liveVideo.get());

    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQml 2.15
        QtObject {
            property string softwareVersion: system.readouts.softwareVersion
            property int batteryPower: system.readouts.batteryPower
            property bool storageReady: remoteMedia.storage.storageReady
            property int storageState: remoteMedia.storage.storageState
            property real remainingSize: remoteMedia.storage.remainingSize
            property int connectionState: system.connection.state
            property bool wifiAvailable: system.connection.wifiSignalStrengthAvailable
            property int activeResolution: liveVideo.config.activeResolution
            property bool hasSurfaceSink: liveVideo.stream.videoSurfaceSink !== null
            function write(name, value) { system.control[name] = value }
            function close() { system.connection.close(false) }
        })",
        QUrl(QStringLiteral("qrc:/tst_QmlNamespaceObjects.qml")));
    std::unique_ptr<QObject> item(component.create());
    QVERIFY2(item, qPrintable(component.errorString()));
    QVERIFY(item->property("hasSurfaceSink").toBool());
    QCOMPARE(item->property("wifiAvailable").toBool(),
        CUlxSystemsLibrary::sessionManager()->isWifiSignalStrengthAvailable());

    // A version that arrives after the screen was shown still reaches it.
    auto* dataStorage = CUlxSystemsLibraryPrivate::instance()->systemDataStorage();
    dataStorage->setSoftwareVersion(QStringLiteral("4.2.1"));
    QTRY_COMPARE(item->property("softwareVersion").toString(), QStringLiteral("4.2.1"));
    dataStorage->setBatteryPower(87);
    QTRY_COMPARE(item->property("batteryPower").toInt(), 87);

    // Photos and videos can be stored on a ready card and on an almost full one only.
    auto* mediaStorage = CUlxSystemsLibraryPrivate::instance()->remoteMediaDataStorage();
    const QList<QPair<RemoteMediaTypes::MediaStorageState, bool>> cards
        = {{RemoteMediaTypes::MediaStorageAlmostFull, true}, {RemoteMediaTypes::MediaStorageFull, false},
            {RemoteMediaTypes::MediaStorageReady, true}, {RemoteMediaTypes::MediaStorageNotAvailable, false},
            {RemoteMediaTypes::MediaStorageAlmostFull, true}, {RemoteMediaTypes::MediaStorageError, false}};
    for (const auto& card : cards) {
        mediaStorage->setMediaStorageState(card.first);
        QTRY_COMPARE(item->property("storageState").toInt(), int(card.first));
        QCOMPARE(item->property("storageReady").toBool(), card.second);
    }
    const qint64 bigCard = qint64(200) * 1024 * 1024 * 1024;
    mediaStorage->setAvailableSize(bigCard);
    QTRY_COMPARE(item->property("remainingSize").toDouble(), double(bigCard));

    // QML integers go to the system within the range the system takes, never wrapped around.
    CRecordingCommandFactory factory;
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, &factory, nullptr);
    const QList<std::tuple<QString, int, QString>> writes = {{"lightIntensity", 300, "SetLightIntensity 255"},
        {"lightIntensity", -5, "SetLightIntensity 0"}, {"lightIntensity", 44, "SetLightIntensity 44"},
        {"zoomPosition", 256, "SetZoomPosition 255"}, {"zoomSpeed", -200, "SetZoomSpeed -128"},
        {"focusSpeed", 128, "SetFocusSpeed 127"}, {"cameraTiltSpeed", -3, "SetCameraTiltSpeed -3"},
        {"cameraPanSpeed", 1000, "SetCameraPanSpeed 127"}, {"cameraTiltPosition", 40000, "SetCameraTiltPosition 32767"},
        {"cameraPanPosition", -40000, "SetCameraPanPosition -32768"},
        {"shutterPosition", 70000, "SetShutterPosition 70000"}, {"aeAutoModeEnabled", 1, "SetAEAutoModeEnabled true"}};
    for (const auto& write : writes) {
        factory.log.clear();
        QMetaObject::invokeMethod(item.get(), "write", Q_ARG(QVariant, std::get<0>(write)),
            Q_ARG(QVariant,
                std::get<0>(write) == QLatin1String("aeAutoModeEnabled") ? QVariant(true)
                                                                         : QVariant(std::get<1>(write))));
        QVERIFY2(factory.log.contains(QStringLiteral("created ") + std::get<2>(write)),
            qPrintable(std::get<0>(write) + ": " + factory.log.join(", ")));
    }

    // Closing without a session leaves the connection offline.
    QMetaObject::invokeMethod(item.get(), "close");
    QCOMPARE(item->property("connectionState").toInt(), int(CUlxSystemsLibrary::sessionManager()->state()));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.isEmpty() ? QString() : warnings.first().toString()));
}

void tst_QmlNamespaceObjects::wrappersWithoutALibraryGiveDefaultsAndIgnoreWrites()
{
    // Library gone while the wrappers still exist (the order at exit must not matter), and wrappers
    // made before the library exists.
    CUlxSystemsLibraryPrivate::instance()->systemDataStorage()->setSoftwareVersion(QStringLiteral("1.0"));
    CUlxSystemsLibrary::finalize();
    CSystemQmlNamespaceObject early;
    for (QObject* readouts : {wrapper("system.readouts"), early.readouts()}) {
        QVERIFY(readouts->property("softwareVersion").toString().isEmpty());
        QCOMPARE(readouts->property("inclination").toFloat(), 0.0f);
    }
    QVERIFY(early.control()->setProperty("lightIntensity", 300));
    QCOMPARE(early.control()->property("lightIntensity").toInt(), 0);
    QCOMPARE(wrapper("remoteMedia.storage")->property("storageReady").toBool(), false);
    QCOMPARE(wrapper("liveVideo.stream")->property("videoSurfaceSink").value<QObject*>(), nullptr);
    QVERIFY(QMetaObject::invokeMethod(wrapper("system.connection"), "close", Q_ARG(bool, true)));
    CUlxSystemsLibrary::initialize();
}

QTEST_GUILESS_MAIN(tst_QmlNamespaceObjects)
#include "tst_QmlNamespaceObjects.moc"
