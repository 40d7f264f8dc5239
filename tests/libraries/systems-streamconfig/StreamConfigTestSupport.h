#pragma once

// Shared by the stream-configuration tests: a live stream from the RTSP test peer whose
// picture follows the board simulator's mode file, played by a real streamer logic.

#include "CGstMultimediaLibrary.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CGstVideoSurfaceSink.h"
#include "EncoderBoardSimulator.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"
#include "flavors/Flavors.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"

#include <QJsonObject>
#include <QSize>
#include <QtTest>

#include <memory>

constexpr int kStreamWait = 60000;
constexpr int kBoardWait = 20000;

class LiveStream
{
public:
    // Starts the RTSP peer on the mode file and configures the streamer for its "/stream".
    bool start(const QString& modeFile)
    {
        peer = std::make_unique<RtspPeer>(QStringList{QStringLiteral("--mode-file"), modeFile,
                                                      QStringLiteral("--fps"), QStringLiteral("15")});
        if (!peer->start())
            return false;
        streamer = std::make_unique<Ulx::Multimedia::CRTSPVideoStreamerLogic>();
        streamer->videoSurfaceSink()->setVideoSurface(&surface);
        streamer->setStreamUrl(peer->url(QStringLiteral("/stream")));
        streamer->setStreamCaps(Ulx::Flavors::h264Caps(Ulx::CommunicationTypes::SystemTypeZPX2));
        streamer->setLatency(10);
        streamer->setRetryInterval(50);
        return true;
    }

    bool run()
    {
        streamer->start();
        return QTest::qWaitFor([&]() { return state() == Ulx::MultimediaTypes::StreamingRunning; }, kStreamWait);
    }

    // Whether frames of this size reach the surface (waited for, bounded).
    bool showsPicture(const QSize& size)
    {
        const int before = surface.frameCount;
        return QTest::qWaitFor(
            [&]() { return surface.frameCount > before + 1 && surface.lastFrame.size() == size; }, kStreamWait);
    }

    // Points the next start at a port where nothing listens: the streamer retries and gives up.
    void breakNextStart() { streamer->setStreamUrl(QStringLiteral("rtsp://127.0.0.1:%1/stream").arg(RtspPeer::refusedPort())); }

    Ulx::MultimediaTypes::StreamingState state() const { return streamer->state(); }

    std::unique_ptr<RtspPeer> peer;
    TestVideoSurface surface;
    std::unique_ptr<Ulx::Multimedia::CRTSPVideoStreamerLogic> streamer;
};

inline Ulx::MultimediaTypes::StreamConfigError errorAt(const QSignalSpy& spy, int index)
{
    return spy.at(index).at(0).value<Ulx::MultimediaTypes::StreamConfigError>();
}

// What a board's stream-configuration test runs against: the board simulator, the live stream
// whose picture follows the board's mode, and a fresh logic of the board for every test
// function. The test object derives from it and calls these from its own slots.
template <typename Logic>
class BoardStreamFixture
{
protected:
    std::unique_ptr<EncoderBoardSimulator> m_board;
    LiveStream m_stream;
    std::unique_ptr<Logic> m_logic;

    // For initTestCase: skips the test when python3 or the RTSP test peer cannot start.
    void startPeers(EncoderBoardSimulator::Kind kind, const char* boardName)
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        Ulx::MultimediaTypes::registerMetaTypes();
        m_board = std::make_unique<EncoderBoardSimulator>(kind);
        if (!m_board->start())
            QSKIP(qPrintable(QStringLiteral("python3 could not start the %1 board simulator").arg(QLatin1String(boardName))));
        if (!m_stream.start(m_board->modeFile()))
            QSKIP("the RTSP test peer did not start");
    }

    // For init: the board in that state, without faults and log, and a new logic on the stream.
    void resetBoard(const QJsonObject& state)
    {
        QVERIFY(m_board->setState(state));
        QVERIFY(m_board->clearFaults());
        QVERIFY(m_board->clearLog());
        m_logic = std::make_unique<Logic>(m_stream.streamer.get());
        m_logic->setRestartDelay(300);
        m_logic->setTransferTimeout(1500);
        m_stream.streamer->setStreamUrl(m_stream.peer->url(QStringLiteral("/stream")));
    }

    // For cleanup: the logic goes and the stream has stopped.
    void dropLogic()
    {
        m_logic.reset();
        m_stream.streamer->stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_stream.state(), Ulx::MultimediaTypes::StreamingStopped, kStreamWait);
    }

    // For cleanupTestCase.
    void stopPeers()
    {
        m_stream.streamer.reset();
        m_stream.peer.reset();
        m_board.reset();
    }

    // Queries the board and waits for the answer; true when the query succeeded.
    bool query()
    {
        QSignalSpy succeeded(m_logic.get(), &Ulx::Multimedia::CAbstractVideoStreamConfigLogic::configQuerySucceeded);
        QSignalSpy errors(m_logic.get(), &Ulx::Multimedia::CAbstractVideoStreamConfigLogic::errorOccurred);
        m_logic->queryActiveConfig();
        if (!QTest::qWaitFor([&]() { return succeeded.count() + errors.count() > 0; }, kBoardWait))
            return false;
        return succeeded.count() == 1 && errors.isEmpty();
    }
};
