// What local recording costs on top of the live stream: CPU time per frame of the program's
// streamer with and without a recording running (each run in its own process, best of three),
// the time from stop() to the finished file and the file's size per recorded minute. 720p,
// 30 fps from the RTSP test peer. Build it optimised (CMAKE_BUILD_TYPE=Release) for figures
// that mean anything.
//
//   bench_recording [frames]                       run the comparison (default 300 frames per run)
//   bench_recording --stalls [runs]                the GUI thread's longest stall per run while a
//                                                  recording starts and stops during a starting
//                                                  stream, which is then restarted (default 20)
//   bench_recording --child URL N RECORD FILE      internal: stream URL for N frames, recording
//                                                  into FILE when RECORD is 1
#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"

#include <QAbstractVideoSurface>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoSurfaceFormat>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoRecorderLogic;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

namespace {

const char StreamCaps[] = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
const int WaitMs = 60000;

class CountingSurface : public QAbstractVideoSurface
{
public:
    QList<QVideoFrame::PixelFormat> supportedPixelFormats(QAbstractVideoBuffer::HandleType type) const override
    {
        return type == QAbstractVideoBuffer::NoHandle ? QList<QVideoFrame::PixelFormat> { QVideoFrame::Format_YUV420P }
                                                      : QList<QVideoFrame::PixelFormat> {};
    }
    bool present(const QVideoFrame&) override
    {
        ++frames;
        if (frames == target && onTarget)
            onTarget();
        return true;
    }
    int frames = 0;
    int target = 0;
    std::function<void()> onTarget;
};

double childCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int runChild(const QString& url, int frames, bool record, const QString& fileName)
{
    CRTSPVideoStreamerLogic streamer;
    CRTSPVideoRecorderLogic recorder(&streamer);
    CountingSurface surface;
    surface.target = frames;
    QElapsedTimer stopClock;
    surface.onTarget = [&] {
        if (!record) {
            QCoreApplication::exit(0);
            return;
        }
        stopClock.start();
        recorder.stop();
    };
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::stateChanged, [&] {
        if (recorder.state() == MultimediaTypes::RecordingStopped && stopClock.isValid()) {
            std::printf("FINISH_MS %.2f\n", stopClock.nsecsElapsed() / 1e6);
            std::printf("FILE_BYTES %lld\n", QFileInfo(fileName).size());
            std::fflush(stdout);
            QCoreApplication::exit(QFileInfo(fileName).size() > 0 ? 0 : 4);
        }
    });
    QObject::connect(&streamer, &CRTSPVideoStreamerLogic::stateChanged, [&] {
        if (record && streamer.state() == MultimediaTypes::StreamingRunning
            && recorder.state() == MultimediaTypes::RecordingStopped && !stopClock.isValid()) {
            recorder.setFileName(fileName);
            recorder.start();
        }
    });
    QObject::connect(&streamer, &CRTSPVideoStreamerLogic::errorOccurred, [] { QCoreApplication::exit(2); });
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::errorOccurred, [] { QCoreApplication::exit(5); });
    QTimer::singleShot(WaitMs * 2, [] { QCoreApplication::exit(3); });
    streamer.videoSurfaceSink()->setVideoSurface(&surface);
    streamer.setStreamUrl(url);
    streamer.setStreamCaps(StreamCaps);
    streamer.start();
    const int result = QCoreApplication::exec();
    streamer.videoSurfaceSink()->setVideoSurface(nullptr);
    return result;
}

struct ChildResult
{
    double cpuSeconds = -1;
    double finishMs = -1;
    qint64 fileBytes = -1;
};

ChildResult runChildProcess(const QString& url, int frames, bool record, const QString& fileName)
{
    ChildResult result;
    const double before = childCpuSeconds();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(),
                  { "--child", url, QString::number(frames), record ? "1" : "0", fileName });
    if (!process.waitForStarted(WaitMs) || !process.waitForFinished(WaitMs * 3) || process.exitCode() != 0)
        return result;
    result.cpuSeconds = childCpuSeconds() - before;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("FINISH_MS "))
            result.finishMs = line.mid(10).toDouble();
        if (line.startsWith("FILE_BYTES "))
            result.fileBytes = line.mid(11).toLongLong();
    }
    return result;
}

// One run: the stream starts, a recording starts at once (the stream still starting) and stops
// after `pictures` shown pictures, the stream stops and starts again (a fresh pipeline), and a
// second recording starts and stops the same way. A 5 ms timer on the GUI thread measures the
// longest time it was held.
double stallRun(const QString& url, const QString& dir, int run, int pictures)
{
    CRTSPVideoStreamerLogic streamer;
    CRTSPVideoRecorderLogic recorder(&streamer);
    CountingSurface surface;
    streamer.videoSurfaceSink()->setVideoSurface(&surface);
    streamer.setStreamUrl(url);
    streamer.setStreamCaps(StreamCaps);
    QElapsedTimer tick;
    qint64 longestNs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestNs = std::max(longestNs, tick.nsecsElapsed() - 5000000);
        tick.restart();
    });
    int round = 0;
    auto startRound = [&] {
        surface.frames = 0;
        surface.target = pictures;
        streamer.start();
        recorder.setFileName(QStringLiteral("%1/stall%2-%3.mp4").arg(dir).arg(run).arg(round));
        recorder.start();
    };
    surface.onTarget = [&] {
        if (recorder.state() == MultimediaTypes::RecordingStopped)
            streamer.stop();
        else
            recorder.stop();
    };
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::stateChanged, [&] {
        if (recorder.state() == MultimediaTypes::RecordingStopped && surface.frames >= pictures)
            streamer.stop();
    });
    QObject::connect(&streamer, &CRTSPVideoStreamerLogic::stateChanged, [&] {
        if (streamer.state() != MultimediaTypes::StreamingStopped)
            return;
        if (++round < 2)
            startRound();
        else
            QCoreApplication::exit(0);
    });
    QObject::connect(&streamer, &CRTSPVideoStreamerLogic::errorOccurred, [] { QCoreApplication::exit(2); });
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::errorOccurred, [&](MultimediaTypes::RecordingError error) {
        std::fprintf(stderr, "run %d: recording %d failed (%d)\n", run, round, int(error));
    });
    QTimer::singleShot(WaitMs * 2, [] { QCoreApplication::exit(3); });
    tick.start();
    ticker.start(5);
    startRound();
    const int result = QCoreApplication::exec();
    streamer.videoSurfaceSink()->setVideoSurface(nullptr);
    return result == 0 ? longestNs / 1e6 : -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, &argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 6 && arguments.at(1) == "--child")
        return runChild(arguments.at(2), arguments.at(3).toInt(), arguments.at(4) == "1", arguments.at(5));

    const bool stalls = arguments.size() > 1 && arguments.at(1) == "--stalls";
    const int frames = stalls ? 0 : arguments.size() > 1 ? qMax(30, arguments.at(1).toInt()) : 300;
    QProcess peer;
    peer.start(QStringLiteral(CX_RTSP_PEER_PATH), { "--width", "1280", "--height", "720", "--fps", "30" });
    int port = 0;
    QDeadlineTimer deadline(WaitMs);
    while (port == 0 && !deadline.hasExpired() && peer.waitForReadyRead(int(deadline.remainingTime()))) {
        while (peer.canReadLine()) {
            const QList<QByteArray> words = peer.readLine().trimmed().split(' ');
            if (words.size() == 2 && words.at(0) == "READY")
                port = words.at(1).toInt();
        }
    }
    if (port == 0) {
        std::fprintf(stderr, "the RTSP peer did not start\n");
        return 1;
    }
    const QString url = QStringLiteral("rtsp://127.0.0.1:%1/stream").arg(port);
    QTemporaryDir dir;
    if (stalls) {
        const int runs = arguments.size() > 2 ? qMax(1, arguments.at(2).toInt()) : 20;
        QList<double> longest;
        for (int run = 0; run < runs; ++run) {
            const double ms = stallRun(url, dir.path(), run, 45);
            if (ms < 0)
                std::fprintf(stderr, "run %d failed\n", run);
            else
                longest << ms;
        }
        peer.kill();
        peer.waitForFinished(10000);
        if (longest.isEmpty())
            return 1;
        std::sort(longest.begin(), longest.end());
        std::printf("GUI thread's longest stall per run, %lld runs: %.1f ms median, %.1f ms worst\n",
                    qint64(longest.size()), longest.at(longest.size() / 2), longest.last());
        return 0;
    }

    double streamingBest = -1;
    double recordingBest = -1;
    QList<double> finishTimes;
    qint64 fileBytes = -1;
    for (int run = 0; run < 3; ++run) {
        const ChildResult streaming = runChildProcess(url, frames, false, QString());
        const ChildResult recording =
            runChildProcess(url, frames, true, dir.filePath(QStringLiteral("run%1.mp4").arg(run)));
        if (streaming.cpuSeconds < 0 || recording.cpuSeconds < 0) {
            std::fprintf(stderr, "run %d failed\n", run);
            continue;
        }
        streamingBest = streamingBest < 0 ? streaming.cpuSeconds : std::min(streamingBest, streaming.cpuSeconds);
        recordingBest = recordingBest < 0 ? recording.cpuSeconds : std::min(recordingBest, recording.cpuSeconds);
        if (recording.finishMs >= 0)
            finishTimes << recording.finishMs;
        fileBytes = std::max(fileBytes, recording.fileBytes);
    }
    peer.kill();
    peer.waitForFinished(10000);
    if (streamingBest < 0 || recordingBest < 0)
        return 1;
    std::sort(finishTimes.begin(), finishTimes.end());
    std::printf("720p30, %d frames per run, best of 3\n", frames);
    std::printf("streaming only:        %.3f ms CPU per frame\n", streamingBest * 1000 / frames);
    std::printf("streaming + recording: %.3f ms CPU per frame (%+.1f %%)\n", recordingBest * 1000 / frames,
                (recordingBest / streamingBest - 1) * 100);
    const double minutes = frames / 30.0 / 60.0;
    std::printf("per recorded minute:   %.2f s CPU with the stream, %.2f s for the recording, %.2f MiB file\n",
                recordingBest / minutes, (recordingBest - streamingBest) / minutes,
                fileBytes / minutes / 1048576.0);
    if (!finishTimes.isEmpty())
        std::printf("stop to finished file: %.2f ms median, %.2f ms worst\n", finishTimes.at(finishTimes.size() / 2),
                    finishTimes.last());
    return 0;
}
