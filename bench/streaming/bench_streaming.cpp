// Compares the program's live-video pipeline with the bare decode chain on the same stream:
// CPU time per decoded frame and time to first frame (in this process, best of three), at 720p
// and 1080p, 30 fps. Each side runs in its own process, once for N frames and once for 2N (best
// of three each); the CPU per frame is the difference over the N more frames, so that neither
// side's process start-up, plug-in loading and RTSP set-up counts as frame work.
// Build it optimised (CMAKE_BUILD_TYPE=Release) for figures that mean anything.
//
//   bench_streaming [frames]          run the comparison (default 300 frames per run)
//   bench_streaming --program URL N   internal: play URL with the program's logic until N frames
#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"

#include <QAbstractVideoSurface>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QVideoSurfaceFormat>

#include <gst/gst.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

const char StreamCaps[] = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
const int Latency = 100;
const int WaitMs = 60000;

// Counts frames; stands in for the QML video output without painting.
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
        if (frames == 1 && onFirst)
            onFirst();
        if (frames == target && onTarget)
            onTarget();
        return true;
    }
    int frames = 0;
    int target = 0;
    std::function<void()> onFirst;
    std::function<void()> onTarget;
};

// The bare chain: what the program decodes, without the recording branch and the sinks' objects.
QByteArray bareLine(const QString& url, const QByteArray& sink)
{
    return "rtspsrc location=" + url.toUtf8() + " latency=" + QByteArray::number(Latency)
           + " ! rtph264depay ! " + QByteArray(StreamCaps).replace(" ", "")
           + " ! queue ! decodebin ! videoconvert ! video/x-raw,format=I420 ! " + sink;
}

// The same graph as the program's pipeline, recording branch included, for telling the cost of
// the branch from the cost of the program's own hand-overs.
QByteArray bareLineWithRecordingBranch(const QString& url, int frames)
{
    return "rtspsrc location=" + url.toUtf8() + " latency=" + QByteArray::number(Latency)
           + " ! rtph264depay ! " + QByteArray(StreamCaps).replace(" ", "")
           + " ! tee name=t ! queue ! decodebin ! videoconvert ! video/x-raw,format=I420 ! fakesink num-buffers="
           + QByteArray::number(frames)
           + " t. ! queue ! h264parse disable-passthrough=true"
             " ! video/x-h264,stream-format=byte-stream,alignment=au ! fakesink";
}

double childCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds that one child process used until it exited; negative when it failed.
double runChild(const QString& program, const QStringList& arguments)
{
    const double before = childCpuSeconds();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(WaitMs) || !process.waitForFinished(WaitMs * 2) || process.exitCode() != 0)
        return -1;
    return childCpuSeconds() - before;
}

int runProgramChild(const QString& url, int frames)
{
    Ulx::Multimedia::CRTSPVideoStreamerLogic logic;
    CountingSurface surface;
    surface.target = frames;
    surface.onTarget = [] { QCoreApplication::exit(0); };
    logic.videoSurfaceSink()->setVideoSurface(&surface);
    logic.setStreamUrl(url);
    logic.setStreamCaps(StreamCaps);
    logic.setLatency(Latency);
    QObject::connect(&logic, &Ulx::Multimedia::CRTSPVideoStreamerLogic::errorOccurred, [] { QCoreApplication::exit(2); });
    QTimer::singleShot(WaitMs * 2, [] { QCoreApplication::exit(3); });
    logic.start();
    const int result = QCoreApplication::exec();
    logic.videoSurfaceSink()->setVideoSurface(nullptr);
    return result;
}

// Milliseconds from start() to the first frame at the surface.
double programFirstFrame(const QString& url)
{
    Ulx::Multimedia::CRTSPVideoStreamerLogic logic;
    CountingSurface surface;
    QElapsedTimer clock;
    double result = -1;
    QEventLoop loop;
    surface.onFirst = [&] {
        result = clock.nsecsElapsed() / 1e6;
        loop.quit();
    };
    logic.videoSurfaceSink()->setVideoSurface(&surface);
    logic.setStreamUrl(url);
    logic.setStreamCaps(StreamCaps);
    logic.setLatency(Latency);
    QTimer::singleShot(WaitMs, &loop, &QEventLoop::quit);
    clock.start();
    logic.start();
    loop.exec();
    logic.videoSurfaceSink()->setVideoSurface(nullptr);
    return result;
}

// Milliseconds from PLAYING to the first decoded buffer at the bare chain's sink.
double bareFirstFrame(const QString& url)
{
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(bareLine(url, "fakesink name=sink").constData(), &error);
    if (error) {
        g_error_free(error);
        return -1;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    struct Probe { GMutex mutex; GCond cond; gint64 at = 0; } probe;
    g_mutex_init(&probe.mutex);
    g_cond_init(&probe.cond);
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER,
                      [](GstPad*, GstPadProbeInfo*, gpointer data) {
                          auto* p = static_cast<Probe*>(data);
                          g_mutex_lock(&p->mutex);
                          if (p->at == 0) {
                              p->at = g_get_monotonic_time();
                              g_cond_signal(&p->cond);
                          }
                          g_mutex_unlock(&p->mutex);
                          return GST_PAD_PROBE_REMOVE;
                      },
                      &probe, nullptr);
    const gint64 start = g_get_monotonic_time();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    g_mutex_lock(&probe.mutex);
    const gint64 deadline = start + gint64(WaitMs) * 1000;
    while (probe.at == 0 && g_cond_wait_until(&probe.cond, &probe.mutex, deadline)) {
    }
    const gint64 at = probe.at;
    g_mutex_unlock(&probe.mutex);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pad);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    g_cond_clear(&probe.cond);
    g_mutex_clear(&probe.mutex);
    return at ? (at - start) / 1000.0 : -1;
}

struct Peer
{
    QProcess process;
    int port = 0;
    bool start(int width, int height)
    {
        process.start(QStringLiteral(CX_RTSP_PEER_PATH),
                      { "--width", QString::number(width), "--height", QString::number(height), "--fps", "30" });
        QDeadlineTimer deadline(WaitMs);
        while (port == 0 && !deadline.hasExpired() && process.waitForReadyRead(int(deadline.remainingTime()))) {
            while (process.canReadLine()) {
                const QList<QByteArray> words = process.readLine().trimmed().split(' ');
                if (words.size() == 2 && words[0] == "READY")
                    port = words[1].toInt();
            }
        }
        return port > 0;
    }
    ~Peer()
    {
        process.kill();
        process.waitForFinished(10000);
    }
};

double best(QList<double> values)
{
    values.removeAll(-1);
    return values.isEmpty() ? -1 : *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, &argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--program")
        return runProgramChild(args[2], args[3].toInt());
    const int frames = args.size() > 1 ? qMax(30, args[1].toInt()) : 300;

    std::printf("Live stream, %d and %d frames per run, 30 fps, latency %d ms\n", frames, 2 * frames, Latency);
    std::printf("%-6s %-26s %12s %12s %8s\n", "size", "figure", "program", "bare", "ratio");
    const QList<QPair<int, int>> sizes { { 1280, 720 }, { 1920, 1080 } };
    for (const auto& size : sizes) {
        Peer peer;
        if (!peer.start(size.first, size.second)) {
            std::printf("%dp: the RTSP peer did not start\n", size.second);
            return 1;
        }
        const QString url = QStringLiteral("rtsp://127.0.0.1:%1/stream").arg(peer.port);
        const auto bare = [&url](int count) {
            return QStringList { "-q" }
                   + QString::fromUtf8(bareLine(url, "fakesink num-buffers=" + QByteArray::number(count))).split(' ');
        };
        const auto branched = [&url](int count) {
            return QStringList { "-q" } + QString::fromUtf8(bareLineWithRecordingBranch(url, count)).split(' ');
        };
        // Alternate the sides and keep the best of three: the machine is shared.
        QList<double> programCpus[2], bareCpus[2], branchedCpus[2];
        for (int run = 0; run < 3; ++run) {
            for (int twice = 0; twice < 2; ++twice) {
                const int count = frames * (twice + 1);
                programCpus[twice] << runChild(app.applicationFilePath(), { "--program", url, QString::number(count) });
                bareCpus[twice] << runChild(QStringLiteral("gst-launch-1.0"), bare(count));
                branchedCpus[twice] << runChild(QStringLiteral("gst-launch-1.0"), branched(count));
            }
        }
        // CPU seconds of the N frames the longer run decoded more.
        const auto framesOnly = [](const QList<double> (&cpus)[2]) {
            const double once = best(cpus[0]);
            const double twice = best(cpus[1]);
            return once < 0 || twice < 0 || twice <= once ? -1 : twice - once;
        };
        const double programCpu = framesOnly(programCpus);
        const double bareCpu = framesOnly(bareCpus);
        const double branchedCpu = framesOnly(branchedCpus);
        QList<double> programFirst, bareFirst;
        for (int run = 0; run < 3; ++run) {
            programFirst << programFirstFrame(url);
            bareFirst << bareFirstFrame(url);
        }
        const double pf = best(programFirst);
        const double bf = best(bareFirst);
        const double pc = programCpu < 0 ? -1 : programCpu * 1000 / frames;
        const double bc = bareCpu < 0 ? -1 : bareCpu * 1000 / frames;
        const QByteArray label = QByteArray::number(size.second) + "p";
        std::printf("%-6s %-26s %12.3f %12.3f %8.3f\n", label.constData(), "CPU ms per frame", pc, bc,
                    (pc > 0 && bc > 0) ? pc / bc : 0.0);
        std::printf("%-6s %-26s %12.1f %12.1f %8.3f\n", label.constData(), "first frame ms (best of 3)", pf, bf,
                    (pf > 0 && bf > 0) ? pf / bf : 0.0);
        const double rc = branchedCpu < 0 ? -1 : branchedCpu * 1000 / frames;
        std::printf("%-6s %-26s %12.3f %12.3f %8.3f   (bare with the recording branch)\n", label.constData(),
                    "CPU ms per frame", pc, rc, (pc > 0 && rc > 0) ? pc / rc : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
