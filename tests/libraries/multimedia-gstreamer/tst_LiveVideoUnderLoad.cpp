#include "CGstBufferDistributionSink.h"
#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CH264VideoRecordingPipeline.h"
#include "CRTSPVideoStreamerLogic.h"
#include "Mp4Probe.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

#include <algorithm>

using Ulx::GStreamer::CGstVideoSurfaceSink;
using Ulx::GStreamer::CH264VideoRecordingPipeline;
using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

namespace {

double residentMiB()
{
    long pages = 0, resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return -1;
    const int read = std::fscanf(file, "%ld %ld", &pages, &resident);
    std::fclose(file);
    return read == 2 ? double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : -1;
}

} // namespace

// The live stream for a minute while recording, with the GUI thread blocked for half a second
// every three seconds as a heavy screen would: what the process holds stays bounded. Only
// boundedness is asserted here; the timings are the benchmarks' business.
class tst_LiveVideoUnderLoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void aMinuteOfStreamingAndRecordingWithAStallingGuiStaysBounded()
    {
        const int stalls = 20;
        RtspPeer peer({ "--width", "640", "--height", "360", "--fps", "30" });
        QVERIFY(peer.start());
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CRTSPVideoStreamerLogic logic;
        TestVideoSurface surface;
        logic.videoSurfaceSink()->setVideoSurface(&surface);
        logic.setStreamUrl(peer.url("/stream"));
        logic.setStreamCaps("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");
        logic.setLatency(10);
        logic.start();
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount >= 30, 20000);

        const QString fileName = folder.filePath("minute.mp4");
        CH264VideoRecordingPipeline recording;
        recording.setStreamCaps(logic.streamCapsString());
        QVERIFY(recording.start(fileName));
        logic.setBufferProcessor(&recording);

        QTimer stallTimer;
        stallTimer.setInterval(3000);
        connect(&stallTimer, &QTimer::timeout, this, [] { QThread::msleep(500); });
        QSignalSpy stalled(&stallTimer, &QTimer::timeout);
        stallTimer.start();
        QList<double> resident;
        qint64 largestBacklog = 0;
        for (int i = 0; i < stalls; ++i) {
            QVERIFY(stalled.wait(20000));
            resident << residentMiB();
            largestBacklog = std::max(largestBacklog, recording.backlogBytes());
        }
        stallTimer.stop();
        logic.setBufferProcessor(nullptr);
        QVERIFY(recording.finishBlocking(30000));

        // The stalls made the mailbox replace frames rather than queue them, and every frame
        // that arrived was shown or replaced (at most one waits).
        const CGstVideoSurfaceSink::DeliveryStatistics statistics = logic.videoSurfaceSink()->deliveryStatistics();
        QVERIFY(statistics.dropped > 0);
        QVERIFY(statistics.received - statistics.shown - statistics.dropped <= 1);
        QVERIFY(statistics.shown > quint64(stalls));

        // The encoded stream waited for the GUI thread about half a second at a time, never
        // anywhere near the limit, and was not lost.
        QVERIFY(recording.pushedBufferCount() > 0);
        QVERIFY(largestBacklog < CH264VideoRecordingPipeline::DefaultBacklogLimit / 16);

        // Resident memory: the second half does not grow beyond noise over the first half's
        // settled level (the first quarter fills pools and caches).
        const double settled = *std::max_element(resident.begin() + stalls / 4, resident.begin() + stalls / 2);
        const double late = *std::max_element(resident.begin() + stalls / 2, resident.end());
        QVERIFY2(late - settled < 24.0, qPrintable(QStringLiteral("resident %1 MiB, then %2 MiB").arg(settled).arg(late)));

        logic.stop();
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingStopped, 20000);
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.durationMs > 30000);
        logic.videoSurfaceSink()->setVideoSurface(nullptr);
    }
};

QTEST_GUILESS_MAIN(tst_LiveVideoUnderLoad)
#include "tst_LiveVideoUnderLoad.moc"
