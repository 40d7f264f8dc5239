#pragma once

// Shared by the stream-configuration tests: a live stream from the RTSP test peer whose
// picture follows the board simulator's mode file, played by a real streamer logic.

#include "CRTSPVideoStreamerLogic.h"
#include "CGstVideoSurfaceSink.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"
#include "flavors/Flavors.h"

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
