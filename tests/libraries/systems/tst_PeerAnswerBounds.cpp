// Peers of a camera system whose answers never end, measured as the process's peak resident
// memory: the camera's status answers, file list and thumbnail, the encoder boards' answers to a
// read, a change and an overlay update, each endless (in chunks, with a length, closed by the
// peer), trickling, compressed, nested without end or claiming a picture of billions of
// pixels; and a command link that sends bytes making no answer, fast or at a trickle. Each
// request ends as the failure it is and the camera's command queue goes on, each link is ended,
// a few MiB above where it began.

#include "CameraSimulator.h"
#include "EncoderBoardSimulator.h"

#include "hx/CAbstractTetronCommand.h"
#include "hx/CGetCameraAlertCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CGetFileInfoCommand.h"
#include "hx/CGetThumbnailCommand.h"
#include "hx/CLoginCommand.h"
#include "hx/CTetronCommandRunner.h"
#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"
#include "multimedia/CBrennicVideoStreamConfigLogic.h"
#include "multimedia/CZPXVideoStreamConfigLogic.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/RVQMessages.h"
#include "videooverlay/CBrennicOverlayLayout.h"
#include "videooverlay/CBrennicOverlayUpdate.h"
#include "videooverlay/IOverlayObjectStore.h"

#include "CLogger.h"
#include "support/PeakMemory.h"

#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Communication;

namespace {
const qint64 kMiB = 1024 * 1024;
const qint64 kAllowedGrowth = 64 * kMiB;
// The peers send for longer than a test waits: an answer that is not given up fails it.
const int kWaitMs = 30000;
// Short enough that a trickle ends within seconds, long enough that an endless answer the
// program took in whole would show.
const int kBoardDeadlineMs = 3000;
// As many files as a large card holds: the list may take 10 MiB.
const int kListedFiles = 10000;

// Overlay updates here change the board's state only: nothing is looked up or confirmed.
class NoObjects : public VideoOverlay::IOverlayObjectStore
{
public:
    quint64 imageHandle(const void*) const override { return 0; }
    void storeImage(const void*, quint64, const VideoOverlay::CVideoOverlayImage&) override {}
    void updateImage(const void*, const VideoOverlay::CVideoOverlayImage&) override {}
    quint64 textHandle(const void*) const override { return 0; }
    void storeText(const void*, quint64, const VideoOverlay::CVideoOverlayText&) override {}
    void updateText(const void*, const VideoOverlay::CVideoOverlayText&) override {}
    void clear() override {}
    std::shared_ptr<const VideoOverlay::CVideoOverlayImage> confirmedImage(const void*) const override { return {}; }
    std::shared_ptr<const VideoOverlay::CVideoOverlayText> confirmedText(const void*) const override { return {}; }
};

QString keyOf(MultimediaTypes::StreamConfigError error)
{
    return QString::fromLatin1(QMetaEnum::fromType<MultimediaTypes::StreamConfigError>().valueToKey(error));
}
} // namespace

class tst_PeerAnswerBounds : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_camera;
    std::unique_ptr<EncoderBoardSimulator> m_brennic;
    std::unique_ptr<EncoderBoardSimulator> m_zpx;

    // The result of a command whose answer has the fault, then that of the next command.
    // With the runner's shipped limits unless told otherwise. "dir" lists the files of a large
    // card, "dir of a million" those of a camera that claims a million.
    QString cameraOutcome(const QString& route, const QString& fault, bool shippedLimits = false)
    {
        const bool million = route == QLatin1String("dir of a million");
        if (!m_camera->fault(million ? QStringLiteral("dir") : route, fault))
            return QStringLiteral("peer not steered");
        CTetronCommandRunner runner;
        // The camera's own limits, with a window of a second: a trickle ends within seconds.
        if (!shippedLimits)
            runner.setTransferLimits({5000, 5000, 16 * 1024, 1000});
        CAbstractTetronCommand* command = nullptr;
        if (route == QLatin1String("login"))
            command = new CLoginCommand();
        else if (route == QLatin1String("alert"))
            command = new CGetCameraAlertCommand();
        else if (route == QLatin1String("get"))
            command = new CGetCameraInfoCommand({TetronTables::ParameterBatteryLevel});
        else if (route == QLatin1String("dir"))
            command = new CGetFileInfoCommand(0, kListedFiles);
        else if (million)
            command = new CGetFileInfoCommand(0, 1000000);
        else
            command = new CGetThumbnailCommand(cameraFileUrl(QStringLiteral("/SD/DCIM/100MEDIA/IMG0001.JPG")));
        QStringList results;
        auto record = [&results](CAbstractTetronCommand* finished) {
            results.append(CAbstractTetronCommand::resultName(finished->result()));
        };
        connect(command, &CAbstractTetronCommand::finished, this, [command, record] { record(command); });
        auto* next = new CGetCameraAlertCommand();
        connect(next, &CAbstractTetronCommand::finished, this, [next, record] { record(next); });
        // Logged in, the camera answers every route with what it keeps, not with a refusal.
        if (route != QLatin1String("login"))
            runner.enqueueCommand(new CLoginCommand());
        runner.enqueueCommand(command);
        runner.enqueueCommand(next);
        if (!QTest::qWaitFor([&] { return results.size() == 2; }, kWaitMs))
            results.append(QStringLiteral("still running"));
        runner.abortAllCommands();
        return results.join(QStringLiteral(", then "));
    }

    // The error a board's stream configuration reports for a query or change whose answer has
    // the fault, or "finished" for an overlay update that ended.
    QString boardOutcome(EncoderBoardSimulator& board, const QString& route, const QString& fault)
    {
        if (!board.fault(route, fault))
            return QStringLiteral("peer not steered");
        if (route == QLatin1String("overlay")) {
            QNetworkAccessManager manager;
            NoObjects store;
            VideoOverlay::CBrennicOverlayLayout layout;
            VideoOverlay::CBrennicOverlayUpdate update(&store, &layout, &manager);
            update.setTransferTimeout(kBoardDeadlineMs);
            update.addClearChange();
            QSignalSpy finished(&update, &VideoOverlay::CBrennicOverlayUpdate::finished);
            update.send();
            return QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs) ? QStringLiteral("finished")
                                                                                 : QStringLiteral("still running");
        }
        std::unique_ptr<Multimedia::CEncoderBoardStreamConfigLogic> logic;
        if (board.host() == Flavors::SystemHost::BrennicEncoderBoard)
            logic = std::make_unique<Multimedia::CBrennicVideoStreamConfigLogic>(nullptr);
        else
            logic = std::make_unique<Multimedia::CZPXVideoStreamConfigLogic>(nullptr);
        logic->setTransferTimeout(kBoardDeadlineMs);
        QSignalSpy errors(logic.get(), &Multimedia::CAbstractVideoStreamConfigLogic::errorOccurred);
        if (route == QLatin1String("change") || route == QLatin1String("form"))
            logic->changeActiveConfig(MultimediaTypes::VideoConfig720P30FPS);
        else
            logic->queryActiveConfig();
        if (!QTest::qWaitFor([&] { return !errors.isEmpty(); }, kWaitMs))
            return QStringLiteral("no error");
        return keyOf(errors.first().first().value<MultimediaTypes::StreamConfigError>());
    }

    // Whether a link to a peer that sends the shape is ended.
    QString linkOutcome(const QString& shape)
    {
        PeerProcess peer;
        const int port = peer.start(QStringLiteral("python3"),
                                    {QStringLiteral(CX_SOURCE_ROOT "/tests/peers/hostile_answers.py"),
                                     QStringLiteral("--link"), shape});
        if (port <= 0)
            return QStringLiteral("peer not started");
        bool connected = false;
        CRVQNetworkCommunicator link;
        link.setHost(QStringLiteral("127.0.0.1"));
        link.setPort(quint16(port));
        QSignalSpy errors(&link, &CAbstractRVQCommunicator::communicationErrorOccurred);
        connect(&link, &CAbstractRVQCommunicator::stateChanged, this, [&] {
            if (link.state() != CAbstractRVQCommunicator::StateConnected)
                return;
            connected = true;
            // Something in flight: the link waits for its answer.
            link.sendMessage(createRVQBatteryQueryMessage());
        });
        link.connectToSystem();
        const bool ended = QTest::qWaitFor(
            [&] { return connected && link.state() == CAbstractRVQCommunicator::StateDisconnected; }, kWaitMs);
        if (!ended)
            return connected ? QStringLiteral("still connected") : QStringLiteral("never connected");
        if (errors.isEmpty())
            return QStringLiteral("ended without an error");
        return QString::fromLatin1(QMetaEnum::fromType<CAbstractRVQCommunicator::Error>().valueToKey(
            errors.first().first().value<CAbstractRVQCommunicator::Error>()));
    }

private slots:
    void initTestCase()
    {
        Tovrin::Logging::CLogger::setPrintToConsole(false);
        CAbstractRVQCommunicator::registerMetaTypes();
        qRegisterMetaType<MultimediaTypes::StreamConfigError>();
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        m_camera = std::make_unique<CameraSimulator>();
        m_brennic = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::Brennic);
        m_zpx = std::make_unique<EncoderBoardSimulator>(EncoderBoardSimulator::ZPX);
        QVERIFY(m_camera->start());
        QVERIFY(m_brennic->start());
        QVERIFY(m_zpx->start());
    }

    void cleanupTestCase()
    {
        m_camera.reset();
        m_brennic.reset();
        m_zpx.reset();
    }

    // A status answer trickling at 320 B/s, met with the limits the program ships with: given
    // up within the rate's window, and the camera's queue goes on.
    void theShippedLimitsEndATricklingCamera()
    {
        QCOMPARE(cameraOutcome(QStringLiteral("alert"), QStringLiteral("trickle"), true), QStringLiteral("NetworkError, then Success"));
    }

    void answersWithoutEndEndInBoundedMemory_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("expected");
        const QString failed = QStringLiteral("NetworkError, then Success");
        const QString unreadable = QStringLiteral("InternalError, then Success");
        const QString timeOut = QStringLiteral("StreamConfigErrorTimeOut");
        const QString ended = QStringLiteral("ErrorConnection");
        QTest::newRow("camera status poll, endless in chunks") << "camera" << "alert" << "endless" << failed;
        QTest::newRow("camera status poll, endless with a length") << "camera" << "alert" << "endless-length" << failed;
        QTest::newRow("camera status poll, endless until closed") << "camera" << "alert" << "endless-close" << failed;
        QTest::newRow("camera status poll, trickling") << "camera" << "alert" << "trickle" << failed;
        QTest::newRow("camera status poll, unpacking to 256 MiB") << "camera" << "alert" << "gzip-bomb" << failed;
        QTest::newRow("camera status poll, status line without end") << "camera" << "alert" << "endless-status" << failed;
        QTest::newRow("camera status poll, header lines without end") << "camera" << "alert" << "endless-headers" << failed;
        QTest::newRow("camera settings, endless in chunks") << "camera" << "get" << "endless" << failed;
        QTest::newRow("camera log-in, endless in chunks") << "camera" << "login" << "endless" << failed;
        QTest::newRow("camera file list, endless in chunks") << "camera" << "dir" << "endless" << failed;
        QTest::newRow("camera file list of a million files, endless in chunks") << "camera" << "dir of a million" << "endless" << failed;
        QTest::newRow("camera file list, trickling") << "camera" << "dir" << "trickle" << failed;
        QTest::newRow("camera file list, nested 3 million deep") << "camera" << "dir" << "nested" << unreadable;
        QTest::newRow("camera thumbnail, endless until closed") << "camera" << "thumb" << "endless-close" << failed;
        QTest::newRow("camera thumbnail, trickling") << "camera" << "thumb" << "trickle" << failed;
        QTest::newRow("camera thumbnail, 20000 x 20000 pixels") << "camera" << "thumb" << "pixel-bomb" << unreadable;
        QTest::newRow("Brennic version, endless in chunks") << "brennic" << "version" << "endless" << timeOut;
        QTest::newRow("Brennic settings, endless with a length") << "brennic" << "settings" << "endless-length" << timeOut;
        QTest::newRow("Brennic settings, header lines without end") << "brennic" << "settings" << "endless-headers" << timeOut;
        QTest::newRow("Brennic settings, trickling") << "brennic" << "settings" << "trickle" << timeOut;
        QTest::newRow("Brennic change (PUT), endless in chunks") << "brennic" << "change" << "endless" << timeOut;
        QTest::newRow("Brennic overlay (POST), endless in chunks") << "brennic" << "overlay" << "endless" << "finished";
        QTest::newRow("Brennic overlay (POST), unpacking to 256 MiB") << "brennic" << "overlay" << "gzip-bomb" << "finished";
        QTest::newRow("Brennic overlay (POST), status line without end") << "brennic" << "overlay" << "endless-status" << "finished";
        QTest::newRow("ZPX index page, endless until closed") << "zpx" << "index" << "endless-close" << timeOut;
        // Given up for its size, which is no refusal of the credentials.
        QTest::newRow("ZPX form (POST), endless in chunks") << "zpx" << "form" << "endless" << timeOut;
        QTest::newRow("link, bytes that start no frame") << "link" << "" << "garbage" << ended;
        QTest::newRow("link, frame starts never ended") << "link" << "" << "open-frame" << ended;
        QTest::newRow("link, acknowledgements of nothing") << "link" << "" << "stray-acks" << ended;
        QTest::newRow("link, a frame start and then a trickle") << "link" << "" << "trickle" << ended;
    }

    void answersWithoutEndEndInBoundedMemory()
    {
        QFETCH(QString, peer);
        QFETCH(QString, route);
        QFETCH(QString, fault);
        QFETCH(QString, expected);
        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        QString outcome;
        int port = 0;
        if (peer == QLatin1String("camera")) {
            outcome = cameraOutcome(route, fault);
            port = m_camera->port();
        } else if (peer == QLatin1String("brennic")) {
            outcome = boardOutcome(*m_brennic, route, fault);
            port = m_brennic->port();
        } else if (peer == QLatin1String("zpx")) {
            outcome = boardOutcome(*m_zpx, route, fault);
            port = m_zpx->port();
        } else {
            outcome = linkOutcome(fault);
        }
        // Whatever ended the request ended the reading of its connection as well.
        if (port > 0)
            QVERIFY(QTest::qWaitFor([port] { return PeakMemory::unreadBytesFrom(port) == 0; }, kWaitMs));
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak %lld KiB above the start", grown / 1024);
        QCOMPARE(outcome, expected);
        // A list held to its cap of 32 MiB is there twice for a moment, as it crosses from Qt's
        // network thread; one that took what a million files may claim would hold a GiB.
        const qint64 allowed = route == QLatin1String("dir of a million") ? 2 * kAllowedGrowth : kAllowedGrowth;
        QVERIFY2(grown < allowed, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown / kMiB)));
    }
};

QTEST_GUILESS_MAIN(tst_PeerAnswerBounds)
#include "tst_PeerAnswerBounds.moc"
