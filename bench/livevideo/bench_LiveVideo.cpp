// Live video under load, against the RTSP test peer on 127.0.0.1 with frame stamps (--stamp):
// the peer draws each frame's capture time (monotonic clock) into the picture and this program
// reads it back where the frame arrives, so every delay below is capture to display on one
// clock. Build it optimised (CMAKE_BUILD_TYPE=Release) for figures that mean anything.
//
//   bench_LiveVideo glass [seconds] [latency]   glass-to-glass at 720p30 and 1080p30 (and 720p30
//                                               with four slices a picture): the program's surface
//                                               against bare gst-launch lines ending in fakesink
//                                               (default 20 s, latency 10 ms)
//   bench_LiveVideo stall                       block the GUI thread for 2 s while streaming and
//                                               recording at 720p30: memory growth and recovery
//   bench_LiveVideo soak [minutes]              stream and record (10-minute files) at 720p30:
//                                               RSS, delay p99 and dropped frames per minute
#include "CGstMultimediaLibrary.h"
#include "CGstBufferDistributionSink.h"
#include "CGstVideoSurfaceSink.h"
#include "CH264StreamingPipeline.h"
#include "CH264VideoRecordingPipeline.h"
#include "CRTSPVideoStreamerLogic.h"
#include "FrameStamp.h"

#include <CLogger.h>

#include <QAbstractVideoSurface>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVideoSurfaceFormat>

#include <gst/video/video.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

namespace {

const QByteArray NalCaps = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
const QByteArray AuCaps = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)au";
const QByteArray AvcCaps = "video/x-h264, stream-format=(string)avc, alignment=(string)au";
const int WaitMs = 60000;
// Frames of the first two seconds are left out: session set-up and the first key frame.
const qint64 WarmUpUs = 2000000;

qint64 nowUs()
{
    return g_get_monotonic_time();
}

double rssMiB()
{
    long pages = 0, resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return -1;
    const int read = std::fscanf(file, "%ld %ld", &pages, &resident);
    std::fclose(file);
    return read == 2 ? double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : -1;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

// Delays in milliseconds of the frames whose stamp could be read, taken after the warm-up.
struct Delays
{
    QMutex mutex;
    std::vector<double> values;
    qint64 startUs = 0;
    int unreadable = 0;
    // Frames whose stamp is not newer than the one before: a picture decoded from stale slices.
    int stale = 0;
    uint64_t lastStampUs = 0;

    void add(uint64_t stampUs, qint64 atUs)
    {
        QMutexLocker lock(&mutex);
        if (atUs - startUs < WarmUpUs)
            return;
        if (stampUs <= lastStampUs)
            ++stale;
        lastStampUs = stampUs;
        values.push_back(double(atUs - qint64(stampUs)) / 1000.0);
    }
    void unreadableFrame()
    {
        QMutexLocker lock(&mutex);
        ++unreadable;
    }
    std::vector<double> take()
    {
        QMutexLocker lock(&mutex);
        std::vector<double> result;
        result.swap(values);
        return result;
    }
};

// Stands in for the QML video output: reads each presented frame's stamp.
class StampSurface : public QAbstractVideoSurface
{
public:
    QList<QVideoFrame::PixelFormat> supportedPixelFormats(QAbstractVideoBuffer::HandleType type) const override
    {
        return type == QAbstractVideoBuffer::NoHandle ? QList<QVideoFrame::PixelFormat> { QVideoFrame::Format_YUV420P }
                                                      : QList<QVideoFrame::PixelFormat> {};
    }
    bool present(const QVideoFrame& frame) override
    {
        const qint64 at = nowUs();
        ++frames;
        QVideoFrame mapped(frame);
        uint64_t stamp = 0;
        if (mapped.map(QAbstractVideoBuffer::ReadOnly)) {
            const bool read = FrameStamp::read(mapped.bits(), mapped.bytesPerLine(), mapped.width(), mapped.height(), &stamp);
            mapped.unmap();
            if (read && frames < 4 && qEnvironmentVariableIsSet("CX_BENCH_DEBUG"))
                std::printf("  stamp %llu at %lld\n", (unsigned long long)stamp, (long long)at);
            if (read) {
                lastDelayMs = double(at - qint64(stamp)) / 1000.0;
                delays.add(stamp, at);
                if (onFrame)
                    onFrame(at, lastDelayMs);
                return true;
            }
        }
        delays.unreadableFrame();
        return true;
    }
    Delays delays;
    int frames = 0;
    double lastDelayMs = -1;
    std::function<void(qint64, double)> onFrame;
};

struct Peer
{
    QProcess process;
    int port = 0;
    bool start(int width, int height, const QStringList& more = {})
    {
        process.start(QStringLiteral(CX_RTSP_PEER_PATH), QStringList { "--width", QString::number(width), "--height",
                                                                       QString::number(height), "--fps", "30",
                                                                       "--stamp" } + more);
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
    QString url(const char* path) const { return QStringLiteral("rtsp://127.0.0.1:%1%2").arg(port).arg(path); }
    ~Peer()
    {
        process.kill();
        process.waitForFinished(10000);
    }
};

void configure(CRTSPVideoStreamerLogic& logic, const QString& url, const QByteArray& caps, int latency, bool tcp)
{
    logic.setStreamUrl(url);
    logic.setStreamCaps(caps);
    logic.setLatency(uint(latency));
    logic.setRtspOverTcp(tcp);
    logic.setPreferSoftwareDecoding(tcp);
    logic.setStopStreamOnPause(tcp);
}

void spin(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program's streamer logic showing the stream on a surface for the given time.
std::vector<double> programDelays(const QString& url, const QByteArray& caps, int latency, bool tcp, int seconds)
{
    CRTSPVideoStreamerLogic logic;
    StampSurface surface;
    logic.videoSurfaceSink()->setVideoSurface(&surface);
    configure(logic, url, caps, latency, tcp);
    surface.delays.startUs = nowUs();
    logic.start();
    spin(seconds * 1000 + int(WarmUpUs / 1000));
    logic.stop();
    spin(200);
    logic.videoSurfaceSink()->setVideoSurface(nullptr);
    if (surface.delays.unreadable > 0 || surface.delays.stale > 0)
        std::printf("  (program: %d frames without a readable stamp, %d stale)\n", surface.delays.unreadable,
                    surface.delays.stale);
    return surface.delays.take();
}

// The bare line's text: the program's decode chain up to a fakesink that syncs to the clock.
// With sync=false the line shows what the chain itself costs without the clock wait, the way
// the program's surface sink runs.
QByteArray bareLine(const QString& url, const QByteArray& caps, int latency, bool tcp, bool sync = true)
{
    return "rtspsrc location=" + url.toUtf8() + " latency=" + QByteArray::number(latency)
           + (tcp ? " protocols=tcp" : "") + " ! rtph264depay ! " + QByteArray(caps).replace(" ", "")
           + " ! queue ! decodebin ! videoconvert ! video/x-raw,format=I420"
             " ! fakesink name=sink sync="
           + (sync ? "true" : "false") + " signal-handoffs=true";
}

void onBareHandoff(GstElement*, GstBuffer* buffer, GstPad* pad, gpointer data)
{
    auto* delays = static_cast<Delays*>(data);
    const qint64 at = nowUs();
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    const bool known = caps && gst_video_info_from_caps(&info, caps);
    if (caps)
        gst_caps_unref(caps);
    GstVideoFrame frame;
    if (!known || !gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        delays->unreadableFrame();
        return;
    }
    uint64_t stamp = 0;
    if (FrameStamp::read(static_cast<const unsigned char*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                         GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), GST_VIDEO_FRAME_WIDTH(&frame),
                         GST_VIDEO_FRAME_HEIGHT(&frame), &stamp))
        delays->add(stamp, at);
    else
        delays->unreadableFrame();
    gst_video_frame_unmap(&frame);
}

std::vector<double> bareDelays(const QByteArray& line, int seconds)
{
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(line.constData(), &error);
    if (error) {
        std::printf("  bare line failed: %s\n", error->message);
        g_error_free(error);
        return {};
    }
    Delays delays;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_signal_connect(sink, "handoff", G_CALLBACK(onBareHandoff), &delays);
    delays.startUs = nowUs();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    QThread::msleep(ulong(seconds * 1000 + WarmUpUs / 1000));
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    if (delays.unreadable > 0 || delays.stale > 0)
        std::printf("  (bare line: %d frames without a readable stamp, %d stale)\n", delays.unreadable,
                    delays.stale);
    return delays.take();
}

void printRow(const char* label, const char* what, const std::vector<double>& program, const char* baselineName,
              const std::vector<double>& baseline)
{
    const double pm = percentile(program, 0.5), p99 = percentile(program, 0.99);
    const double bm = percentile(baseline, 0.5), b99 = percentile(baseline, 0.99);
    std::printf("%-6s %-34s %8.1f %8.1f | %-22s %8.1f %8.1f | %6.3f %+7.1f  (n=%zu/%zu)\n", label, what, pm, p99,
                baselineName, bm, b99, (p99 > 0 && b99 > 0) ? p99 / b99 : 0.0, p99 - b99, program.size(),
                baseline.size());
    std::fflush(stdout);
}

int glass(int seconds, int latency)
{
    std::printf("Glass-to-glass, capture to surface, ms; %d s per run after 2 s warm-up, rtspsrc latency %d ms\n",
                seconds, latency);
    std::printf("%-6s %-34s %8s %8s | %-22s %8s %8s | %6s %7s\n", "size", "program", "median", "p99", "baseline",
                "median", "p99", "ratio", "p99 diff");
    const QList<QPair<int, int>> sizes { { 1280, 720 }, { 1920, 1080 } };
    for (const auto& size : sizes) {
        Peer peer;
        if (!peer.start(size.first, size.second)) {
            std::printf("%dp: the RTSP peer did not start\n", size.second);
            return 1;
        }
        const QByteArray label = QByteArray::number(size.second) + "p30";
        const QString url = peer.url("/stream");
        const QString tcpUrl = peer.url("/liveRTSP/av2");
        const QByteArray nalLine = bareLine(url, NalCaps, latency, false);
        const QByteArray auLine = bareLine(url, AuCaps, latency, false);
        std::printf("  bare nal: gst-launch-1.0 %s\n  bare au:  gst-launch-1.0 %s\n", nalLine.constData(),
                    auLine.constData());
        const std::vector<double> programNal = programDelays(url, NalCaps, latency, false, seconds);
        const std::vector<double> bareNal = bareDelays(nalLine, seconds);
        const std::vector<double> bareAu = bareDelays(auLine, seconds);
        const std::vector<double> programAvc = programDelays(tcpUrl, AvcCaps, latency, true, seconds);
        const std::vector<double> bareNalFree = bareDelays(bareLine(url, NalCaps, latency, false, false), seconds);
        const std::vector<double> bareAuFree = bareDelays(bareLine(url, AuCaps, latency, false, false), seconds);
        printRow(label.constData(), "byte-stream/nal", programNal, "bare nal sync=true", bareNal);
        printRow(label.constData(), "byte-stream/nal", programNal, "bare nal sync=false", bareNalFree);
        printRow(label.constData(), "byte-stream/nal", programNal, "bare au sync=true", bareAu);
        printRow(label.constData(), "byte-stream/nal", programNal, "bare au sync=false", bareAuFree);
        printRow(label.constData(), "avc/au over TCP (Hoselux)", programAvc, "bare au sync=true", bareAu);
        printRow(label.constData(), "avc/au over TCP (Hoselux)", programAvc, "bare au sync=false", bareAuFree);
    }
    // Several slices per picture (the peer's low-latency encoder): every slice of a picture must
    // be in it when it is shown, on the nal path too.
    Peer sliced;
    if (!sliced.start(1280, 720, { "--low-latency" })) {
        std::printf("sliced: the RTSP peer did not start\n");
        return 1;
    }
    const QString url = sliced.url("/stream");
    const std::vector<double> programNal = programDelays(url, NalCaps, latency, false, seconds);
    // The peer's payloader repeats the parameter sets before every slice of a key frame, which a
    // bare byte-stream line shows as stale upper slices; the avc form leaves them out.
    const std::vector<double> bareAvcFree = bareDelays(bareLine(url, AvcCaps, latency, false, false), seconds);
    const std::vector<double> programAvc = programDelays(sliced.url("/liveRTSP/av2"), AvcCaps, latency, true, seconds);
    printRow("720p30", "byte-stream/nal, 4 slices", programNal, "bare avc/au sync=false", bareAvcFree);
    printRow("720p30", "avc/au over TCP, 4 slices", programAvc, "bare avc/au sync=false", bareAvcFree);
    return 0;
}

// Samples this process's resident size every 10 ms on its own thread, so a blocked GUI thread
// does not hide the growth.
class RssSampler
{
public:
    RssSampler()
        : m_thread([this] {
            while (!m_stop.load()) {
                const double rss = rssMiB();
                double peak = m_peak.load();
                while (rss > peak && !m_peak.compare_exchange_weak(peak, rss)) {
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        })
    {
    }
    ~RssSampler()
    {
        m_stop.store(true);
        m_thread.join();
    }
    double takePeak()
    {
        const double rss = rssMiB();
        return std::max(m_peak.exchange(rss), rss);
    }

private:
    std::atomic<bool> m_stop { false };
    std::atomic<double> m_peak { 0 };
    std::thread m_thread;
};

// A recording into the folder, fed by the streamer's distribution sink.
class Recording
{
public:
    Recording(CRTSPVideoStreamerLogic& logic, const QString& fileName)
        : m_logic(logic)
    {
        m_pipeline.setStreamCaps(logic.streamCapsString());
        m_pipeline.start(fileName);
        m_logic.setBufferProcessor(&m_pipeline);
    }
    ~Recording()
    {
        m_logic.setBufferProcessor(nullptr);
        m_pipeline.finishBlocking(WaitMs);
    }
    qint64 backlogBytes() const { return m_pipeline.backlogBytes(); }

private:
    CRTSPVideoStreamerLogic& m_logic;
    Ulx::GStreamer::CH264VideoRecordingPipeline m_pipeline;
};

bool waitForFrames(StampSurface& surface, int frames)
{
    QDeadlineTimer deadline(WaitMs);
    while (surface.frames < frames && !deadline.hasExpired())
        spin(50);
    return surface.frames >= frames;
}

int stall()
{
    const int stallMs = 2000;
    Peer peer;
    if (!peer.start(1280, 720)) {
        std::printf("the RTSP peer did not start\n");
        return 1;
    }
    QTemporaryDir folder;
    CRTSPVideoStreamerLogic logic;
    StampSurface surface;
    logic.videoSurfaceSink()->setVideoSurface(&surface);
    configure(logic, peer.url("/stream"), NalCaps, 10, false);
    surface.delays.startUs = nowUs();
    logic.start();
    if (!waitForFrames(surface, 60)) {
        std::printf("no frames\n");
        return 1;
    }
    Recording recording(logic, folder.filePath("stall.mp4"));
    spin(3000);
    RssSampler sampler;
    spin(2000);
    const double before = sampler.takePeak();
    const auto statisticsBefore = logic.videoSurfaceSink()->deliveryStatistics();

    qint64 stallEnd = 0;
    qint64 recoveredAt = 0;
    int lateFrames = 0;
    surface.onFrame = [&](qint64 at, double delayMs) {
        if (stallEnd == 0 || recoveredAt != 0)
            return;
        if (delayMs < 100)
            recoveredAt = at;
        else
            ++lateFrames;
    };
    QTimer::singleShot(0, [&] {
        QThread::msleep(ulong(stallMs));
        stallEnd = nowUs();
    });
    spin(2000);
    const double peak = sampler.takePeak();
    const auto statisticsAfter = logic.videoSurfaceSink()->deliveryStatistics();
    const double growth = peak - before;
    const double recoveryMs = recoveredAt ? double(recoveredAt - stallEnd) / 1000.0 : -1;
    const double frameIntervalMs = 1000.0 / 30.0;
    std::printf("Stalled GUI thread: %d ms block while streaming and recording 720p30\n", stallMs);
    std::printf("%-44s %10s %10s %8s\n", "figure", "program", "goal", "ratio");
    std::printf("%-44s %10.1f %10.1f %8.3f\n", "peak memory growth, MiB", growth, 10.0, growth / 10.0);
    std::printf("%-44s %10.1f %10.1f %8.3f\n", "delay under 100 ms again after, ms", recoveryMs, frameIntervalMs,
                recoveryMs / frameIntervalMs);
    std::printf("%-44s %10d %10d\n", "late frames shown after the stall (backlog)", lateFrames, 0);
    std::printf("%-44s %10llu\n", "frames dropped by the mailbox in the stall",
                (unsigned long long)(statisticsAfter.dropped - statisticsBefore.dropped));
    std::printf("%-44s %10.1f\n", "RSS before the stall, MiB", before);
    logic.stop();
    spin(500);
    logic.videoSurfaceSink()->setVideoSurface(nullptr);
    return 0;
}

double slopePerTenMinutes(const std::vector<double>& perMinute, size_t from)
{
    // Least squares over minute index.
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = from; i < perMinute.size(); ++i) {
        n += 1;
        sx += double(i);
        sy += perMinute[i];
        sxx += double(i) * double(i);
        sxy += double(i) * perMinute[i];
    }
    const double denominator = n * sxx - sx * sx;
    return denominator > 0 ? 10.0 * (n * sxy - sx * sy) / denominator : 0;
}

int soak(int minutes)
{
    Peer peer;
    if (!peer.start(1280, 720)) {
        std::printf("the RTSP peer did not start\n");
        return 1;
    }
    QTemporaryDir folder;
    CRTSPVideoStreamerLogic logic;
    StampSurface surface;
    logic.videoSurfaceSink()->setVideoSurface(&surface);
    configure(logic, peer.url("/stream"), NalCaps, 10, false);
    surface.delays.startUs = nowUs();
    logic.start();
    if (!waitForFrames(surface, 60)) {
        std::printf("no frames\n");
        return 1;
    }
    std::printf("Soak: %d minutes streaming and recording 720p30 in 10-minute files\n", minutes);
    std::printf("%6s %10s %10s %10s %10s %14s\n", "minute", "RSS MiB", "p50 ms", "p99 ms", "dropped", "rec queue B");
    std::vector<double> rss, p99s;
    quint64 droppedBefore = logic.videoSurfaceSink()->deliveryStatistics().dropped;
    std::unique_ptr<Recording> recording;
    int fileIndex = 0;
    for (int minute = 0; minute < minutes; ++minute) {
        if (minute % 10 == 0) {
            recording.reset();
            recording.reset(new Recording(logic, folder.filePath(QStringLiteral("soak%1.mp4").arg(fileIndex++))));
        }
        spin(60000);
        const std::vector<double> delays = surface.delays.take();
        const auto statistics = logic.videoSurfaceSink()->deliveryStatistics();
        rss.push_back(rssMiB());
        p99s.push_back(percentile(delays, 0.99));
        std::printf("%6d %10.1f %10.1f %10.1f %10llu %14lld\n", minute + 1, rss.back(), percentile(delays, 0.5),
                    p99s.back(), (unsigned long long)(statistics.dropped - droppedBefore),
                    (long long)recording->backlogBytes());
        std::fflush(stdout);
        droppedBefore = statistics.dropped;
    }
    recording.reset();
    logic.stop();
    spin(500);
    logic.videoSurfaceSink()->setVideoSurface(nullptr);
    // The first minutes fill caches and pools; the slope is taken from minute 3 on.
    const double slope = slopePerTenMinutes(rss, std::min<size_t>(2, rss.size() > 3 ? 2 : 0));
    const int window = std::min(5, minutes / 2);
    std::vector<double> first(p99s.begin(), p99s.begin() + window), last(p99s.end() - window, p99s.end());
    const double firstP99 = percentile(first, 0.5), lastP99 = percentile(last, 0.5);
    std::printf("%-44s %10s %10s %8s\n", "figure", "program", "goal", "ratio");
    std::printf("%-44s %10.2f %10.2f %8.3f\n", "RSS slope, MiB per 10 minutes", slope, 1.0, slope / 1.0);
    std::printf("%-44s %10.1f %10.1f %8.3f\n", "p99 of the last minutes against the first", lastP99, firstP99 * 1.1,
                firstP99 > 0 ? lastP99 / firstP99 : 0.0);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, &argv);
    Tovrin::Logging::CLogger::setLogLevel(Tovrin::Logging::CLogger::LogLevelWarning);
    const QStringList args = app.arguments();
    std::printf("program: %s\n", qPrintable(app.applicationFilePath()));
    const QString mode = args.value(1, QStringLiteral("glass"));
    if (mode == "glass")
        return glass(args.size() > 2 ? qMax(5, args[2].toInt()) : 20, args.size() > 3 ? args[3].toInt() : 10);
    if (mode == "stall")
        return stall();
    if (mode == "soak")
        return soak(args.size() > 2 ? qMax(2, args[2].toInt()) : 30);
    std::printf("usage: bench_LiveVideo glass [seconds] [latency] | stall | soak [minutes]\n");
    return 2;
}
