// Cameras whose RTSP server never ends what it sends (tests/peers/rtsp-server/
// hostile_rtsp_peer.py): an answer's head or body without end, or one H.264 unit whose
// fragments keep coming. Each start ends in one error the operator sees, what the process
// holds meanwhile stays bounded (its peak resident size), and a stop while the source reads
// leaves the GUI thread turning.
#include "CGstMultimediaLibrary.h"
#include "CH264StreamingPipeline.h"
#include "CRTSPVideoStreamerLogic.h"
#include "PeerConnections.h"
#include "PeerProcess.h"

#include "support/PeakMemory.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <csignal>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

namespace {

const QByteArray ByteStreamCaps = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
const qint64 MiB = 1024 * 1024;
// Far below what any of the peers sends in the time the test takes (gigabytes on loopback);
// the answer limit is watched at an interval, so on loopback some tens of megabytes arrive
// before the cut.
const qint64 AllowedGrowth = 384 * MiB;
const int Wait = 60000;

// The source may or may not fail its read once the stop has cut its connection, and that error
// may reach the logic before or after the stop's end: here it fails at the cut, every time (the
// stop's end comes only once the source has seen the cut; the logger is not re-entered).
QtMessageHandler previousHandler = nullptr;
QPointer<Ulx::GStreamer::CH264StreamingPipeline> failAtTheCut;
void failReadAtTheCut(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    previousHandler(type, context, message);
    if (failAtTheCut && message.contains(QLatin1String("connections to the camera cut")))
        QMetaObject::invokeMethod(failAtTheCut, "asyncNotifyErrorOccurred", Qt::QueuedConnection,
                                  Q_ARG(uint, GST_RESOURCE_ERROR), Q_ARG(int, GST_RESOURCE_ERROR_READ),
                                  Q_ARG(QString, QStringLiteral("Could not read from resource.")));
}

} // namespace

class tst_LiveVideoHostileCamera : public QObject
{
    Q_OBJECT

    // Starts the peer with the shape and points the logic at it.
    static bool pointAtPeer(PeerProcess& peer, const QString& shape, CRTSPVideoStreamerLogic& logic)
    {
        const int port = peer.start(QStringLiteral("python3"),
                                    { QStringLiteral(CX_SOURCE_ROOT "/tests/peers/rtsp-server/hostile_rtsp_peer.py"),
                                      shape });
        logic.setStreamUrl(QStringLiteral("rtsp://127.0.0.1:%1/stream").arg(port));
        logic.setStreamCaps(ByteStreamCaps);
        return port > 0;
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
    }

    void anEndlessAnswerEndsInOneErrorAndABoundedPeak_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("overTcp");
        QTest::newRow("answer body without end") << QStringLiteral("endless-body") << false;
        QTest::newRow("answer head without end") << QStringLiteral("endless-head") << false;
        QTest::newRow("unit without end, UDP") << QStringLiteral("endless-unit") << false;
        QTest::newRow("unit without end, TCP") << QStringLiteral("endless-unit") << true;
    }

    // The camera's answer never ends: the start ends, with at most one error (a cut connection
    // may end as the camera's end of stream; a session still establishing tells the operator
    // either way), and the process never holds much of what the camera sent.
    void anEndlessAnswerEndsInOneErrorAndABoundedPeak()
    {
        QFETCH(QString, shape);
        QFETCH(bool, overTcp);
        PeerProcess peer;
        CRTSPVideoStreamerLogic logic;
        QVERIFY(pointAtPeer(peer, shape, logic));
        logic.setRtspOverTcp(overTcp);
        // Each retry comes before the attempt it follows has been reported stopped: every
        // attempt is bounded, not only the first.
        logic.setRetryInterval(0);
        logic.setPictureDeadlines(6000, 6000);
        QSignalSpy errors(&logic, &CRTSPVideoStreamerLogic::errorOccurred);

        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        logic.start();
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingStopped, Wait);
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("%s: peak %lld MiB above the start", qPrintable(shape), grown / MiB);
        QVERIFY2(grown < AllowedGrowth, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown / MiB)));
        QVERIFY2(errors.count() <= 1, qPrintable(QString::number(errors.count())));
    }

    void aLongMessageAfterTheFirstPictureEndsInOneErrorAndABoundedPeak_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("overTcp");
        QTest::newRow("answer without request, UDP") << QStringLiteral("body-after-picture") << false;
        QTest::newRow("answer without request, TCP") << QStringLiteral("body-after-picture") << true;
        QTest::newRow("ANNOUNCE, UDP") << QStringLiteral("announce-after-picture") << false;
        QTest::newRow("ANNOUNCE, TCP") << QStringLiteral("announce-after-picture") << true;
        // Over TCP the source sends no keep-alive while the video comes.
        QTest::newRow("answer to the keep-alive, UDP") << QStringLiteral("keepalive-after-picture") << false;
    }

    // Once the picture runs, the camera sends one RTSP message of 1.9 GB without end: the
    // stream ends in one error, and the process never holds much of the message.
    void aLongMessageAfterTheFirstPictureEndsInOneErrorAndABoundedPeak()
    {
        QFETCH(QString, shape);
        QFETCH(bool, overTcp);
        PeerProcess peer;
        CRTSPVideoStreamerLogic logic;
        QVERIFY(pointAtPeer(peer, shape, logic));
        logic.setRtspOverTcp(overTcp);
        // Only the bound may end it: over TCP the message holds the pictures back, which the
        // picture watch would notice in the end.
        logic.setPictureDeadlines(10 * Wait, 10 * Wait);
        QSignalSpy errors(&logic, &CRTSPVideoStreamerLogic::errorOccurred);
        logic.start();
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingRunning, Wait);

        QVERIFY(PeakMemory::resetPeak());
        const qint64 before = PeakMemory::residentBytes();
        QCOMPARE(::kill(pid_t(peer.processId()), SIGUSR1), 0);
        const auto grown = [before] { return PeakMemory::peakBytes() - before; };
        QTRY_VERIFY_WITH_TIMEOUT(logic.state() == MultimediaTypes::StreamingStopped || grown() >= AllowedGrowth, Wait);
        qInfo("%s: peak %lld MiB above the first picture", qPrintable(shape), grown() / MiB);
        QVERIFY2(grown() < AllowedGrowth, qPrintable(QStringLiteral("peak %1 MiB above the first picture").arg(grown() / MiB)));
        QCOMPARE(logic.state(), MultimediaTypes::StreamingStopped);
        QCOMPARE(errors.count(), 1);
    }

    void aStopWhileTheSourceReadsLeavesTheGuiThreadTurning_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::newRow("answer head held") << QStringLiteral("trickle-head");
    }

    // A disconnect while the source reads an answer the camera holds: the stop returns at once,
    // the GUI thread keeps turning while the pipeline goes down, and the source's reading ends
    // (the pipeline reaches NULL and the process lets go of what it read).
    void aStopWhileTheSourceReadsLeavesTheGuiThreadTurning()
    {
        QFETCH(QString, shape);
        PeerProcess peer;
        CRTSPVideoStreamerLogic logic;
        QVERIFY(pointAtPeer(peer, shape, logic));
        const QString url = logic.streamUrl();
        QSignalSpy errors(&logic, &CRTSPVideoStreamerLogic::errorOccurred);
        logic.start();
        // The source is reading the answer (the start itself holds in the source until the
        // answer is complete).
        QTRY_VERIFY_WITH_TIMEOUT(Tovrin::Shared::PeerConnections::mostBytesReceived(quint16(QUrl(url).port()), {QHostAddress(QUrl(url).host())}) > 0,
                                 Wait);
        QCOMPARE(logic.state(), MultimediaTypes::StreamingStarting);

        int ticksWhileStopping = 0;
        QTimer heartbeat;
        heartbeat.setInterval(5);
        connect(&heartbeat, &QTimer::timeout, this, [&] {
            if (logic.state() == MultimediaTypes::StreamingStopping)
                ++ticksWhileStopping;
        });
        heartbeat.start();
        failAtTheCut = logic.pipeline();
        previousHandler = qInstallMessageHandler(failReadAtTheCut);
        logic.stop();
        QCOMPARE(logic.state(), MultimediaTypes::StreamingStopping);
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingStopped, Wait);
        heartbeat.stop();
        qInstallMessageHandler(previousHandler);
        QCOMPARE(logic.pipeline()->state(), int(GST_STATE_NULL));
        QVERIFY(!logic.pipeline()->isChangingState());
        // The peer was still sending when the stop began: the stop took the grace before the
        // connection was cut, and the GUI thread turned all along. What the cut made fail is
        // no error of the camera's.
        QVERIFY2(ticksWhileStopping >= 10, qPrintable(QString::number(ticksWhileStopping)));
        QCOMPARE(errors.count(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_LiveVideoHostileCamera)
#include "tst_LiveVideoHostileCamera.moc"
