// The error log screen's controller against a ZPX of the link simulator, reached the way the
// program reaches it: simulated Wi-Fi, session manager, installed logics, readouts facade.
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "communication/CRVQSystemSession.h"
#include "communication/CSessionManager.h"
#include "communication/CWindowsNetworkManager.h"
#include "errorlog/CErrorLogScreenController.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "systemcontrol/CSystemReadouts.h"
#include "wlan/CSimulatedWlan.h"
#include "wlan/PlatformWlan.h"

#include "CRVQLinkSimulator.h"
#include "EncoderBoardSimulator.h"
#include "fakes/CStubSessionStreamer.h"

#include "CLogger.h"

#include <QtTest>

#include <memory>

using namespace Ulx;
using Ulx::Wlan::CSimulatedWlan;

namespace {

const QString kZephira = QStringLiteral("Zephira_SN12345");

// The RVQ session without live video, its link pointed at the simulator.
class SimulatedRVQSession : public Communication::CRVQSystemSession
{
public:
    SimulatedRVQSession(Communication::CAbstractNetworkManager* networkManager,
                        Communication::CAbstractPermissionChecker* permissionChecker, IStorageProvider* storages,
                        CStubSessionStreamer* streamer, quint16 port)
        : CRVQSystemSession(networkManager, permissionChecker, nullptr, storages, streamer)
    {
        Communication::CRVQConnectionController* controller = rvqConnectionController();
        controller->setLinkEndpoint(QStringLiteral("127.0.0.1"), port);
        controller->setTimerIntervals(200, 1000, 10);
        controller->communicator()->setTickInterval(5);
        setReconnectInterval(50);
    }
};

QByteArray record(quint16 time, quint8 code)
{
    return CRVQLinkSimulator::errorRecord(time, code);
}

} // namespace

class tst_ErrorLogScreenController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsTheSystemsErrorsInOrder();

private:
    std::unique_ptr<CRVQLinkSimulator> m_simulator;
    // The ZPX asks its encoder board for the stream mode before it goes online.
    std::unique_ptr<EncoderBoardSimulator> m_board;
    std::unique_ptr<CStubSessionStreamer> m_streamer;
    std::shared_ptr<CSimulatedWlan> m_wlan;
};

void tst_ErrorLogScreenController::init()
{
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    m_simulator = std::make_unique<CRVQLinkSimulator>();
    QVERIFY(m_simulator->listen());
    m_streamer = std::make_unique<CStubSessionStreamer>();
    m_board = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::ZPX);
    if (!m_board->start())
        QSKIP("python3 could not start the encoder board simulator");
    CUlxSystemsLibrary::initialize();
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    m_wlan = Wlan::sharedSimulatedWlan();
    CSimulatedWlan::Network network;
    network.ssid = kZephira.toUtf8();
    m_wlan->setNetwork(network);
    static_cast<Communication::CWindowsNetworkManager*>(library->networkManager())->setScanInterval(10);
    const quint16 port = m_simulator->port();
    library->setSessionFactory([this, library, port](CommunicationTypes::SystemFamily family)
                                   -> Communication::CAbstractSystemSession* {
        if (family != CommunicationTypes::SystemFamilyZephira)
            return nullptr;
        return new SimulatedRVQSession(library->networkManager(), library->permissionChecker(), library,
                                       m_streamer.get(), port);
    });
}

void tst_ErrorLogScreenController::cleanup()
{
    CUlxSystemsLibrary::finalize();
    m_wlan.reset();
    m_streamer.reset();
    m_board.reset();
    m_simulator.reset();
}

void tst_ErrorLogScreenController::listsTheSystemsErrorsInOrder()
{
    m_simulator->setErrorRecords(record(300, 11) + record(12, 94) + record(65535, 21) + record(5, 10));
    CErrorLogScreenController controller;
    QAbstractListModel* model = controller.errorLogModel();
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    // Asked while offline: nothing reaches a system, nothing breaks.
    controller.requestErrorLog();
    QCOMPARE(model->rowCount(), 0);

    Communication::CSessionManager* manager = CUlxSystemsLibrary::sessionManager();
    manager->setNetworkScanEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(!manager->availableSystems().isEmpty(), 10000);
    manager->connectToSystem(kZephira, false);
    QTRY_COMPARE_WITH_TIMEOUT(manager->state(), CommunicationTypes::ConnectionOnline, 20000);

    const int requestsBefore = m_simulator->receivedFrames(252).size();
    controller.requestErrorLog();
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator->receivedFrames(252).size() > requestsBefore, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 4, 10000);
    const QList<QPair<int, QString>> expected = {{300, QStringLiteral("Pressure Too Low")},
                                                 {12, QStringLiteral("Uart Communication Error 4")},
                                                 {65535, QStringLiteral("Light Temperature Too High")},
                                                 {5, QStringLiteral("Pressure OK")}};
    for (int row = 0; row < expected.size(); ++row) {
        QCOMPARE(model->data(model->index(row), 256).toInt(), expected.at(row).first);
        QCOMPARE(model->data(model->index(row), 258).toString(), expected.at(row).second);
    }

    // Every later answer resets the list, an identical one too, whoever asked for it.
    const int resets = reset.count();
    CUlxSystemsLibrary::systemReadouts()->requestErrorLog();
    QTRY_VERIFY_WITH_TIMEOUT(reset.count() > resets, 10000);
    QCOMPARE(model->rowCount(), 4);

    // A code the program does not know still makes a row.
    SystemTypes::ErrorRecordList withUnknown{{1, static_cast<SystemTypes::LoggedError>(77)}};
    CUlxSystemsLibraryPrivate::instance()->systemDataStorage()->setErrorRecordList(withUnknown);
    QTRY_COMPARE(model->rowCount(), 1);
    QCOMPARE(model->data(model->index(0), 257).toInt(), 77);
    QVERIFY(model->data(model->index(0), 258).toString().isEmpty());

    // An empty log gives no rows.
    m_simulator->setErrorRecords(QByteArray());
    controller.requestErrorLog();
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 0, 10000);
}

QTEST_GUILESS_MAIN(tst_ErrorLogScreenController)
#include "tst_ErrorLogScreenController.moc"
