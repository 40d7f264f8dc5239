#include "SignalRecorder.h"

#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CAbstractNetworkManager.h"
#include "communication/CAbstractPermissionChecker.h"
#include "communication/CAbstractSystemSession.h"
#include "communication/CSessionManager.h"
#include "flavors/VendorData.h"
#include "multimedia/CDefaultRemoteMediaCaptureLogic.h"
#include "multimedia/CDefaultRemoteMediaStorageLogic.h"
#include "multimedia/CDefaultVideoStreamConfigLogic.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"
#include "multimedia/CRemoteMediaCapture.h"
#include "multimedia/CRemoteMediaDataStorage.h"
#include "multimedia/CRemoteMediaStorage.h"
#include "multimedia/CVideoRecorder.h"
#include "multimedia/CVideoStreamConfig.h"
#include "multimedia/CVideoStreamer.h"
#include "systemcontrol/CDefaultCommandFactory.h"
#include "systemcontrol/CSystemCaps.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemControl.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/CSystemReadouts.h"
#include "videooverlay/CDefaultVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCaps.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayControl.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

#include <QtTest>

using namespace Ulx;
using CommunicationTypes::SystemFamily;

Q_DECLARE_METATYPE(Ulx::CommunicationTypes::SystemFamily)

namespace {

// What a session saw of the library while it was being deleted.
struct SessionEnd
{
    bool deleted = false;
    bool libraryPublished = false;
    bool networkManagerAlive = false;
    bool streamerLogicAlive = false;
    bool storagesAlive = false;
    bool ownFactoryStillInstalled = false;
};

// A family session that the test moves between states, with a factory of its own that the
// library installs while the session is online.
class CFakeSession : public Communication::CAbstractSystemSession
{
    Q_OBJECT

public:
    CFakeSession(SessionEnd* end)
        : CAbstractSystemSession(CUlxSystemsLibraryPrivate::instance()->networkManager(),
                                 CUlxSystemsLibraryPrivate::instance()->permissionChecker(),
                                 CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic())
        , m_end(end)
        , m_networkManager(networkManager())
        , m_streamerLogic(videoStreamerLogic())
    {
    }

    ~CFakeSession() override
    {
        CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
        m_end->deleted = true;
        m_end->libraryPublished = library != nullptr;
        m_end->networkManagerAlive = !m_networkManager.isNull();
        m_end->streamerLogicAlive = !m_streamerLogic.isNull();
        m_end->storagesAlive = library && library->systemDataStorage() && library->remoteMediaDataStorage();
        m_end->ownFactoryStillInstalled = library && library->commandFactory() == &m_factory;
    }

    void moveTo(CommunicationTypes::ConnectionState state) { setState(state); }

    void createLogics() override {}
    Communication::CAbstractConnectionController* connectionController() const override { return nullptr; }
    Multimedia::CAbstractRemoteMediaCaptureLogic* remoteMediaCaptureLogic() const override { return nullptr; }
    Multimedia::CAbstractRemoteMediaStorageLogic* remoteMediaStorageLogic() const override { return nullptr; }
    Multimedia::CAbstractVideoStreamConfigLogic* videoStreamConfigLogic() const override { return nullptr; }
    SystemControl::CAbstractCommandFactory* commandFactory() const override
    {
        return const_cast<SystemControl::CDefaultCommandFactory*>(&m_factory);
    }
    VideoOverlay::CAbstractVideoOverlayLogic* videoOverlayLogic() const override { return nullptr; }

private:
    SessionEnd* m_end;
    QPointer<Communication::CAbstractNetworkManager> m_networkManager;
    QPointer<Multimedia::CRTSPVideoStreamerLogic> m_streamerLogic;
    SystemControl::CDefaultCommandFactory m_factory;
};

class CFakeStreamConfigLogic : public Multimedia::CDefaultVideoStreamConfigLogic
{
    Q_OBJECT
};

} // namespace

class tst_CUlxSystemsLibrary : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void accessorsAreNullBeforeInitialisation();
    void initialisationBuildsTheWholeGraph();
    void secondInitialisationCreatesNothing();
    void finalisationDeletesTheGraphAndNullsTheAccessors();
    void initialiseAndFinaliseTwice();
    void metaTypesAreRegisteredByName();
    void logicProviderFallsBackToDefaults();
    void installedLogicsReplaceAndClear();
    void sessionFactoryByFamily_data();
    void sessionFactoryByFamily();
    void resetStoragesInOrder();
    void unknownNetworkNameMakesNoSession();
    void onlineSessionInstallsAndOfflineSessionClears();
    void finalisationWhileConnectedDeletesTheSessionFirst();
    void finalisationDeletesASessionAwaitingDeletion();

private:
    CFakeSession* connectFakeSession(SessionEnd* end);
};

void tst_CUlxSystemsLibrary::cleanup()
{
    CUlxSystemsLibrary::finalize();
    QVERIFY(!CUlxSystemsLibraryPrivate::instance());
}

CFakeSession* tst_CUlxSystemsLibrary::connectFakeSession(SessionEnd* end)
{
    CFakeSession* created = nullptr;
    CUlxSystemsLibraryPrivate::instance()->setSessionFactory([end, &created](SystemFamily) {
        created = new CFakeSession(end);
        return created;
    });
    CUlxSystemsLibrary::sessionManager()->connectToSystem(QStringLiteral("Zephira_SN12345"), false);
    return created;
}

void tst_CUlxSystemsLibrary::accessorsAreNullBeforeInitialisation()
{
    QVERIFY(!CUlxSystemsLibraryPrivate::instance());
    QVERIFY(!CUlxSystemsLibrary::sessionManager());
    QVERIFY(!CUlxSystemsLibrary::remoteMediaCapture());
    QVERIFY(!CUlxSystemsLibrary::remoteMediaStorage());
    QVERIFY(!CUlxSystemsLibrary::videoStreamConfig());
    QVERIFY(!CUlxSystemsLibrary::videoStreamer());
    QVERIFY(!CUlxSystemsLibrary::videoRecorder());
    QVERIFY(!CUlxSystemsLibrary::systemCaps());
    QVERIFY(!CUlxSystemsLibrary::systemControl());
    QVERIFY(!CUlxSystemsLibrary::systemReadouts());
    QVERIFY(!CUlxSystemsLibrary::videoOverlayCaps());
    QVERIFY(!CUlxSystemsLibrary::videoOverlayControl());
    QVERIFY(!CUlxSystemsLibrary::vendorData());
    // Finalising what does not exist does nothing.
    CUlxSystemsLibrary::finalize();
    CUlxSystemsLibrary::platformInit(nullptr);
}

void tst_CUlxSystemsLibrary::initialisationBuildsTheWholeGraph()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    QVERIFY(library);
    QVERIFY(CUlxSystemsLibrary::sessionManager());
    QVERIFY(CUlxSystemsLibrary::remoteMediaCapture());
    QVERIFY(CUlxSystemsLibrary::remoteMediaStorage());
    QVERIFY(CUlxSystemsLibrary::videoStreamConfig());
    QVERIFY(CUlxSystemsLibrary::videoStreamer());
    QVERIFY(CUlxSystemsLibrary::videoRecorder());
    QVERIFY(CUlxSystemsLibrary::systemCaps());
    QVERIFY(CUlxSystemsLibrary::systemControl());
    QVERIFY(CUlxSystemsLibrary::systemReadouts());
    QVERIFY(CUlxSystemsLibrary::videoOverlayCaps());
    QVERIFY(CUlxSystemsLibrary::videoOverlayControl());
    QVERIFY(CUlxSystemsLibrary::vendorData());
    QVERIFY(library->networkManager());
    QVERIFY(library->permissionChecker());
    QVERIFY(library->remoteMediaDataStorage());
    QVERIFY(library->systemCapsStorage());
    QVERIFY(library->systemDataStorage());
    QVERIFY(library->videoOverlayCapsStorage());
    QVERIFY(library->videoOverlayDataStorage());
    QVERIFY(library->videoStreamerLogic());
    QVERIFY(library->videoRecorderLogic());
    // Everything is a parentless object of the GUI thread.
    QVERIFY(!CUlxSystemsLibrary::systemControl()->parent());
    QCOMPARE(CUlxSystemsLibrary::sessionManager()->thread(), QThread::currentThread());
    QCOMPARE(CUlxSystemsLibrary::sessionManager()->state(), CommunicationTypes::ConnectionOffline);
}

void tst_CUlxSystemsLibrary::secondInitialisationCreatesNothing()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    Communication::CSessionManager* manager = CUlxSystemsLibrary::sessionManager();
    SystemControl::CSystemControl* control = CUlxSystemsLibrary::systemControl();
    SystemControl::CSystemDataStorage* storage = library->systemDataStorage();

    CUlxSystemsLibrary::initialize();
    QCOMPARE(CUlxSystemsLibraryPrivate::instance(), library);
    QCOMPARE(CUlxSystemsLibrary::sessionManager(), manager);
    QCOMPARE(CUlxSystemsLibrary::systemControl(), control);
    QCOMPARE(library->systemDataStorage(), storage);
}

void tst_CUlxSystemsLibrary::finalisationDeletesTheGraphAndNullsTheAccessors()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    QList<QPointer<QObject>> objects = {
        CUlxSystemsLibrary::sessionManager(),     CUlxSystemsLibrary::remoteMediaCapture(),
        CUlxSystemsLibrary::remoteMediaStorage(), CUlxSystemsLibrary::videoStreamConfig(),
        CUlxSystemsLibrary::videoStreamer(),      CUlxSystemsLibrary::videoRecorder(),
        CUlxSystemsLibrary::systemCaps(),         CUlxSystemsLibrary::systemControl(),
        CUlxSystemsLibrary::systemReadouts(),     CUlxSystemsLibrary::videoOverlayCaps(),
        CUlxSystemsLibrary::videoOverlayControl(), CUlxSystemsLibrary::vendorData(),
        library->networkManager(),                library->permissionChecker(),
        library->remoteMediaDataStorage(),        library->systemCapsStorage(),
        library->systemDataStorage(),             library->videoOverlayCapsStorage(),
        library->videoOverlayDataStorage(),       library->videoStreamerLogic(),
        library->videoRecorderLogic(),            library->remoteMediaCaptureLogic(),
        library->remoteMediaStorageLogic(),       library->videoStreamConfigLogic(),
        library->videoOverlayLogic()};

    CUlxSystemsLibrary::finalize();
    for (int i = 0; i < objects.size(); ++i)
        QVERIFY2(objects.at(i).isNull(), qPrintable(QStringLiteral("object %1 outlived finalize()").arg(i)));
    QVERIFY(!CUlxSystemsLibraryPrivate::instance());
    QVERIFY(!CUlxSystemsLibrary::sessionManager());
    QVERIFY(!CUlxSystemsLibrary::systemControl());
    QVERIFY(!CUlxSystemsLibrary::vendorData());
    CUlxSystemsLibrary::finalize();
}

void tst_CUlxSystemsLibrary::initialiseAndFinaliseTwice()
{
    for (int round = 0; round < 2; ++round) {
        CUlxSystemsLibrary::initialize();
        QVERIFY(CUlxSystemsLibrary::systemReadouts());
        // The facades work against the new graph, not a stale one.
        CUlxSystemsLibraryPrivate::instance()->systemDataStorage()->setSoftwareVersion(QStringLiteral("7.1"));
        QCOMPARE(CUlxSystemsLibrary::systemReadouts()->softwareVersion(), QStringLiteral("7.1"));
        CUlxSystemsLibrary::sessionManager()->setNetworkScanEnabled(true);
        CUlxSystemsLibrary::finalize();
        QVERIFY(!CUlxSystemsLibrary::systemReadouts());
    }
}

void tst_CUlxSystemsLibrary::metaTypesAreRegisteredByName()
{
    CUlxSystemsLibrary::initialize();
    QVERIFY(QMetaType::type("Ulx::Communication::CAbstractConnectionController::Error") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("Ulx::RemoteMediaTypes::CaptureError") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("Ulx::SystemTypes::ErrorRecordList") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("Ulx::CommunicationTypes::CommunicationError") != QMetaType::UnknownType);
}

void tst_CUlxSystemsLibrary::logicProviderFallsBackToDefaults()
{
    CUlxSystemsLibrary::initialize();
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    QVERIFY(dynamic_cast<SystemControl::CDefaultCommandFactory*>(provider->commandFactory()));
    QVERIFY(qobject_cast<Multimedia::CDefaultVideoStreamConfigLogic*>(provider->videoStreamConfigLogic()));
    QVERIFY(qobject_cast<Multimedia::CDefaultRemoteMediaCaptureLogic*>(provider->remoteMediaCaptureLogic()));
    QVERIFY(qobject_cast<Multimedia::CDefaultRemoteMediaStorageLogic*>(provider->remoteMediaStorageLogic()));
    QVERIFY(qobject_cast<VideoOverlay::CDefaultVideoOverlayLogic*>(provider->videoOverlayLogic()));
    QVERIFY(provider->videoStreamerLogic());
    QVERIFY(provider->videoRecorderLogic());
}

void tst_CUlxSystemsLibrary::installedLogicsReplaceAndClear()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    SystemControl::CDefaultCommandFactory factory;
    CFakeStreamConfigLogic streamConfig;
    QSignalSpy rebound(CUlxSystemsLibrary::videoStreamConfig(), &Multimedia::CVideoStreamConfig::activeConfigChanged);
    QSignalSpy captureRebound(CUlxSystemsLibrary::remoteMediaCapture(),
                              &Multimedia::CRemoteMediaCapture::configChangeInProgressChanged);

    library->installLogics(nullptr, nullptr, &streamConfig, &factory, nullptr);
    QCOMPARE(library->commandFactory(), &factory);
    QCOMPARE(library->videoStreamConfigLogic(), &streamConfig);
    // Slots left empty still answer with the defaults.
    QVERIFY(qobject_cast<Multimedia::CDefaultRemoteMediaCaptureLogic*>(library->remoteMediaCaptureLogic()));
    QVERIFY(qobject_cast<VideoOverlay::CDefaultVideoOverlayLogic*>(library->videoOverlayLogic()));
    QCOMPARE(rebound.count(), 1);
    QCOMPARE(captureRebound.count(), 1);

    library->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    QVERIFY(library->commandFactory() != &factory);
    QVERIFY(library->commandFactory());
    QVERIFY(library->videoStreamConfigLogic() != &streamConfig);
    QCOMPARE(rebound.count(), 2);
}

void tst_CUlxSystemsLibrary::sessionFactoryByFamily_data()
{
    QTest::addColumn<SystemFamily>("family");
    QTest::addColumn<QByteArray>("className");

    QTest::newRow("zephira") << CommunicationTypes::SystemFamilyZephira
                             << QByteArray("Ulx::Communication::CRVQSystemSession");
    QTest::newRow("gullyrover") << CommunicationTypes::SystemFamilyGullyrover
                                << QByteArray("Ulx::Communication::CRVQSystemSession");
    QTest::newRow("hoselux") << CommunicationTypes::SystemFamilyHoselux
                             << QByteArray("Ulx::Communication::CHXSystemSession");
    QTest::newRow("pelkom") << CommunicationTypes::SystemFamilyPelkom
                            << QByteArray("Ulx::Communication::CPelkomSystemSession");
    QTest::newRow("unknown") << CommunicationTypes::SystemFamilyUnknown << QByteArray();
    QTest::newRow("out of range") << static_cast<SystemFamily>(17) << QByteArray();
}

void tst_CUlxSystemsLibrary::sessionFactoryByFamily()
{
    QFETCH(SystemFamily, family);
    QFETCH(QByteArray, className);

    CUlxSystemsLibrary::initialize();
    std::unique_ptr<Communication::CAbstractSystemSession> session(
        CUlxSystemsLibraryPrivate::instance()->createSystemSession(family));
    if (className.isEmpty()) {
        QVERIFY(!session);
        return;
    }
    QVERIFY(session);
    QCOMPARE(QByteArray(session->metaObject()->className()), className);
    QCOMPARE(session->state(), CommunicationTypes::ConnectionOffline);
    QVERIFY(!session->parent());
}

void tst_CUlxSystemsLibrary::resetStoragesInOrder()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    library->remoteMediaDataStorage()->setAvailableSize(100);
    library->systemDataStorage()->setBatteryPower(50);
    library->systemCapsStorage()->setShutterAvailable(true);
    library->videoOverlayDataStorage()->setVideoOverlayEnabled(true);
    library->videoOverlayCapsStorage()->setMaximumRowCount(12);

    QList<QByteArray> sequence;
    SignalRecorder media(library->remoteMediaDataStorage(), &sequence);
    SignalRecorder data(library->systemDataStorage(), &sequence);
    SignalRecorder caps(library->systemCapsStorage(), &sequence);
    SignalRecorder overlayData(library->videoOverlayDataStorage(), &sequence);
    SignalRecorder overlayCaps(library->videoOverlayCapsStorage(), &sequence);
    library->resetStorages();

    const QList<QByteArray> expected = {"CRemoteMediaDataStorage::availableSizeChanged",
                                        "CSystemDataStorage::batteryPowerChanged",
                                        "CSystemDataStorage::pendingRawZoomPositionChanged",
                                        "CSystemDataStorage::errorRecordListChanged",
                                        "CSystemCapsStorage::shutterAvailableChanged",
                                        "CVideoOverlayDataStorage::videoOverlayEnabledChanged",
                                        "CVideoOverlayCapsStorage::maximumRowCountChanged"};
    QCOMPARE(sequence, expected);
    QCOMPARE(library->systemDataStorage()->batteryPower(), quint8(0));
    QCOMPARE(library->videoOverlayCapsStorage()->maximumRowCount(), 0);
}

void tst_CUlxSystemsLibrary::unknownNetworkNameMakesNoSession()
{
    CUlxSystemsLibrary::initialize();
    Communication::CSessionManager* manager = CUlxSystemsLibrary::sessionManager();
    QSignalSpy state(manager, &Communication::CSessionManager::stateChanged);
    manager->connectToSystem(QStringLiteral("Office"), false);
    QCOMPARE(manager->state(), CommunicationTypes::ConnectionOffline);
    QCOMPARE(manager->controlOnline(), false);
    QCOMPARE(state.count(), 0);
    manager->disconnectFromSystem(false);
}

void tst_CUlxSystemsLibrary::onlineSessionInstallsAndOfflineSessionClears()
{
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    Communication::CSessionManager* manager = CUlxSystemsLibrary::sessionManager();
    SessionEnd end;
    QPointer<CFakeSession> session = connectFakeSession(&end);
    QVERIFY(session);

    QSignalSpy control(manager, &Communication::CSessionManager::controlOnlineChanged);
    session->moveTo(CommunicationTypes::ConnectionOnline);
    QCOMPARE(library->commandFactory(), session->commandFactory());
    QCOMPARE(manager->state(), CommunicationTypes::ConnectionOnline);
    QVERIFY(manager->controlOnline());
    QCOMPARE(control.count(), 1);

    library->systemDataStorage()->setZoomPosition(42);
    session->moveTo(CommunicationTypes::ConnectionOffline);
    QVERIFY(dynamic_cast<SystemControl::CDefaultCommandFactory*>(library->commandFactory()));
    QVERIFY(library->commandFactory() != session->commandFactory());
    QCOMPARE(library->systemDataStorage()->zoomPosition(), quint8(0));
    QCOMPARE(manager->state(), CommunicationTypes::ConnectionOffline);
    // The finished session goes on the next event-loop turn.
    QTRY_VERIFY_WITH_TIMEOUT(session.isNull(), 5000);
    QVERIFY(end.deleted);
    QVERIFY(end.networkManagerAlive);
}

void tst_CUlxSystemsLibrary::finalisationWhileConnectedDeletesTheSessionFirst()
{
    CUlxSystemsLibrary::initialize();
    SessionEnd end;
    CFakeSession* session = connectFakeSession(&end);
    QVERIFY(session);
    session->moveTo(CommunicationTypes::ConnectionOnline);
    QCOMPARE(CUlxSystemsLibraryPrivate::instance()->commandFactory(), session->commandFactory());

    // Program exit while connected.
    CUlxSystemsLibrary::finalize();
    QVERIFY(end.deleted);
    QVERIFY(end.libraryPublished);
    QVERIFY(end.networkManagerAlive);
    QVERIFY(end.streamerLogicAlive);
    QVERIFY(end.storagesAlive);
    // Its logics were taken out of the library before the session went.
    QVERIFY(!end.ownFactoryStillInstalled);
}

void tst_CUlxSystemsLibrary::finalisationDeletesASessionAwaitingDeletion()
{
    CUlxSystemsLibrary::initialize();
    SessionEnd end;
    CFakeSession* session = connectFakeSession(&end);
    QVERIFY(session);
    session->moveTo(CommunicationTypes::ConnectionOnline);
    session->moveTo(CommunicationTypes::ConnectionOffline);
    QVERIFY(!end.deleted); // released with deleteLater, no event-loop turn yet

    CUlxSystemsLibrary::finalize();
    QVERIFY(end.deleted);
    QVERIFY(end.networkManagerAlive);
    QVERIFY(end.streamerLogicAlive);
    // Nothing is left for a later turn to delete twice.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QTEST_GUILESS_MAIN(tst_CUlxSystemsLibrary)
#include "tst_CUlxSystemsLibrary.moc"
