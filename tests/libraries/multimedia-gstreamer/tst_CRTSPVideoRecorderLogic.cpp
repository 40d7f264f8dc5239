#include "CGstBufferDistributionSink.h"
#include "CGstMultimediaLibrary.h"
#include "CH264VideoRecordingPipeline.h"
#include "CMP4VideoOrientationPatcher.h"
#include "CRTSPVideoStreamerLogic.h"
#include "Mp4Probe.h"
#include "RtspPeer.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <memory>

#include <signal.h>
#include <sys/resource.h>

using Ulx::MultimediaTypes;
using Ulx::GStreamer::CH264VideoRecordingPipeline;
using Ulx::Multimedia::CRTSPVideoRecorderLogic;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

namespace {

const QByteArray ByteStreamCaps = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
// Generous: the first frames come late under the sanitizers on a busy machine.
const int FirstFrameWait = 60000;
const int Fps = 30;

// Stands between the streamer and the recording pipeline, tells key frames apart and counts
// which pictures belong in the file. Armed, it resumes the paused recorder at the worst moment:
// on the first picture after a key frame, a whole group of pictures away from the next one.
class KeyFrameTap : public Ulx::GStreamer::IGstBufferProcessor
{
public:
    explicit KeyFrameTap(CRTSPVideoRecorderLogic& recorder)
        : m_recorder(recorder)
        , m_startCode(QByteArray("\0\0\0\1", 4))
    {
    }

    quint64 resumeAfterPausedPictures = 0;
    quint64 inFile = 0;
    quint64 paused = 0;
    quint64 skipped = 0;
    quint64 afterResume = 0;
    // Stream time between pictures that follow each other in the file, the pause left out. A
    // loaded machine may lose a picture now and then; the file's time line still follows it.
    GstClockTime inFileSpan = 0;

    void processBuffer(GstBuffer* buffer) override
    {
        const bool keyFrame = isKeyFrame(buffer);
        if (m_recorder.state() == MultimediaTypes::RecordingPaused && resumeAfterPausedPictures > 0
            && paused >= resumeAfterPausedPictures && m_previousWasKeyFrame && !keyFrame) {
            m_recorder.resume();
            m_awaitingKeyFrame = true;
        }
        m_previousWasKeyFrame = keyFrame;
        if (m_awaitingKeyFrame && keyFrame)
            m_awaitingKeyFrame = false;
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        const bool follows = m_previousInFile;
        m_previousInFile = false;
        if (m_recorder.state() == MultimediaTypes::RecordingPaused) {
            ++paused;
        } else if (m_awaitingKeyFrame) {
            ++skipped;
        } else {
            ++inFile;
            if (skipped > 0)
                ++afterResume;
            if (follows && pts > m_previousPts)
                inFileSpan += pts - m_previousPts;
            m_previousPts = pts;
            m_previousInFile = GST_CLOCK_TIME_IS_VALID(pts);
        }
        m_recorder.recordingPipeline()->processBuffer(buffer);
    }
    void bufferQueueOverflowed() override { m_recorder.recordingPipeline()->bufferQueueOverflowed(); }

private:
    bool isKeyFrame(GstBuffer* buffer) const
    {
        GstMapInfo info = GST_MAP_INFO_INIT;
        if (!gst_buffer_map(buffer, &info, GST_MAP_READ))
            return false;
        const bool keyFrame = Ulx::GStreamer::CGstBufferDistributionSink::isKeyFrame(
            m_startCode, reinterpret_cast<const char*>(info.data), int(info.size));
        gst_buffer_unmap(buffer, &info);
        return keyFrame;
    }

    CRTSPVideoRecorderLogic& m_recorder;
    QByteArrayMatcher m_startCode;
    bool m_previousWasKeyFrame = false;
    bool m_awaitingKeyFrame = false;
    bool m_previousInFile = false;
    GstClockTime m_previousPts = GST_CLOCK_TIME_NONE;
};

// A recording in a process of its own, for the endings the program does not see: it records the
// given stream into the file and tells on standard output every picture that reached the muxer
// ("MUXED n"), every error told ("ERROR code") and the end of the recording ("STOPPED bus-errors").
// A file size limit stands for a drive that fills: writes past it fail with EFBIG.
int recordInChild(const QString& url, const QString& fileName, qint64 fileSizeLimit)
{
    if (fileSizeLimit > 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { rlim_t(fileSizeLimit), rlim_t(fileSizeLimit) };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 6;
    }
    int argc = 0;
    if (!Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr))
        return 7;
    CRTSPVideoStreamerLogic streamer;
    CRTSPVideoRecorderLogic recorder(&streamer);
    static std::atomic<int> muxed { 0 };
    int busErrors = 0;
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::errorOccurred, [](MultimediaTypes::RecordingError error) {
        std::printf("ERROR %d\n", int(error));
        std::fflush(stdout);
    });
    QObject::connect(&recorder, &CRTSPVideoRecorderLogic::stateChanged, [&] {
        if (recorder.state() == MultimediaTypes::RecordingStopped) {
            std::printf("STOPPED %d\n", busErrors);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
    QObject::connect(&streamer, &CRTSPVideoStreamerLogic::stateChanged, [&] {
        if (streamer.state() != MultimediaTypes::StreamingRunning || recorder.recordingPipeline())
            return;
        recorder.setFileName(fileName);
        recorder.start();
        CH264VideoRecordingPipeline* pipeline = recorder.recordingPipeline();
        QObject::connect(pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred, [&] { ++busErrors; });
        GstElement* muxer = gst_bin_get_by_name(GST_BIN(pipeline->pipelineElement()), "muxer0");
        // Made when the parser was linked to it.
        GstPad* pad = gst_element_get_static_pad(muxer, "video_0");
        gst_object_unref(muxer);
        if (!pad)
            return;
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, +[](GstPad*, GstPadProbeInfo*, gpointer) {
            std::printf("MUXED %d\n", ++muxed);
            std::fflush(stdout);
            return GST_PAD_PROBE_OK;
        }, nullptr, nullptr);
        gst_object_unref(pad);
    });
    streamer.setStreamUrl(url);
    streamer.setStreamCaps(ByteStreamCaps);
    streamer.setRtspOverTcp(true);
    streamer.start();
    return QCoreApplication::exec();
}

} // namespace

// The recorder against the RTSP peer: what it writes is read back with the discoverer and a
// decoder. Pauses are measured in received access units, not on the clock.
class tst_CRTSPVideoRecorderLogic : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    bool startStreaming(RtspPeer& peer, CRTSPVideoStreamerLogic& streamer)
    {
        if (!peer.start())
            return false;
        streamer.setStreamUrl(peer.url("/stream"));
        streamer.setStreamCaps(ByteStreamCaps);
        streamer.setLatency(100);
        // Over UDP a loaded machine loses packets even on the loopback, and a damaged access
        // unit decodes to fewer frames; the count check wants every packet delivered.
        streamer.setRtspOverTcp(true);
        streamer.start();
        QSignalSpy spy(&streamer, &CRTSPVideoStreamerLogic::stateChanged);
        for (int i = 0; i < 20 && streamer.state() != MultimediaTypes::StreamingRunning; ++i)
            spy.wait(FirstFrameWait / 20);
        return streamer.state() == MultimediaTypes::StreamingRunning;
    }

    static bool waitForState(CRTSPVideoRecorderLogic& recorder, MultimediaTypes::RecordingState state,
                             int timeout = FirstFrameWait)
    {
        QSignalSpy spy(&recorder, &CRTSPVideoRecorderLogic::stateChanged);
        QDeadlineTimer deadline(timeout);
        while (recorder.state() != state && !deadline.hasExpired())
            spy.wait(int(qMax<qint64>(1, deadline.remainingTime())));
        return recorder.state() == state;
    }

    static quint64 received(const CRTSPVideoRecorderLogic& recorder)
    {
        return recorder.recordingPipeline() ? recorder.recordingPipeline()->receivedBufferCount() : 0;
    }

    struct ChildRecording
    {
        int muxed = 0;
        QList<int> errors;
        int busErrors = -1;
    };

    // Runs recordInChild on the peer and reads its report until it stops, or until `killAt`
    // pictures reached its muxer, when it is killed (SIGKILL) on the spot.
    static ChildRecording recordInChildProcess(RtspPeer& peer, const QString& fileName, int killAt,
                                               qint64 fileSizeLimit = 0)
    {
        ChildRecording result;
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    { "--record-child", peer.url("/stream"), fileName, QString::number(fileSizeLimit) });
        QDeadlineTimer deadline(FirstFrameWait * 2);
        while (child.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (!child.canReadLine() && !child.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
                continue;
            while (child.canReadLine()) {
                const QList<QByteArray> words = child.readLine().trimmed().split(' ');
                if (words.size() != 2)
                    continue;
                if (words.at(0) == "MUXED")
                    result.muxed = words.at(1).toInt();
                else if (words.at(0) == "ERROR")
                    result.errors << words.at(1).toInt();
                else if (words.at(0) == "STOPPED")
                    result.busErrors = words.at(1).toInt();
            }
            if (killAt > 0 && result.muxed >= killAt) {
                child.kill();
                break;
            }
        }
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished(10000);
        }
        return result;
    }

    // What a cut recording must still be: found by the discoverer, decoding up to within a
    // fragment and a second of the cut, and taken by the orientation patcher.
    static void verifyCutRecording(const QString& fileName, int muxedAtCut)
    {
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.isH264);
        QVERIFY2(probe.decodedFrames >= muxedAtCut - Fps - Fps * CH264VideoRecordingPipeline::FragmentMs / 1000,
                 qPrintable(QStringLiteral("%1 of %2").arg(probe.decodedFrames).arg(muxedAtCut)));
        QVERIFY(probe.decodedFrames > 0 && probe.decodedFrames <= muxedAtCut);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(Ulx::Multimedia::CMP4VideoOrientationPatcher(file).run());
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        QVERIFY(m_dir.isValid());
    }

    void controlsOutsideTheirStatesDoNothing()
    {
        CRTSPVideoStreamerLogic streamer;
        CRTSPVideoRecorderLogic recorder(&streamer);
        QSignalSpy states(&recorder, &CRTSPVideoRecorderLogic::stateChanged);
        QSignalSpy names(&recorder, &CRTSPVideoRecorderLogic::fileNameChanged);
        recorder.start(); // no file name
        recorder.stop();
        recorder.pause();
        recorder.resume();
        QCOMPARE(states.count(), 0);
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingStopped);
        QCOMPARE(recorder.duration(), 0);

        recorder.setFileName(m_dir.filePath("a.mp4"));
        recorder.setFileName(m_dir.filePath("a.mp4"));
        QCOMPARE(names.count(), 1);
    }

    // No key frame reached the file (stopped at once, a camera still in its first group of
    // pictures, or one whose key frames lack their parameter sets): no unplayable stub stays.
    void stopBeforeTheFirstKeyFrameLeavesNoFile()
    {
        RtspPeer peer({ "--width", "160", "--height", "120", "--fps", QString::number(Fps), "--low-latency" });
        CRTSPVideoStreamerLogic streamer;
        QVERIFY(startStreaming(peer, streamer));
        CRTSPVideoRecorderLogic recorder(&streamer);
        QSignalSpy errors(&recorder, &CRTSPVideoRecorderLogic::errorOccurred);
        const QString fileName = m_dir.filePath("nokeyframe.mp4");
        recorder.setFileName(fileName);
        recorder.start();
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingStarting);
        recorder.pause(); // only from Running
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingStarting);
        recorder.stop();
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingStopped);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::RecordingError>(), MultimediaTypes::RecordingErrorInternal);
        // The pipeline's worker opens and removes the file.
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.recordingPipeline()->isChangingState(), FirstFrameWait);
        QVERIFY(!QFileInfo::exists(fileName));

        // Nothing comes back later, and the next recording works.
        QVERIFY(!errors.wait(500) || errors.count() == 1);
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingStopped);
        QVERIFY(!QFileInfo::exists(fileName));
    }

    // Seven seconds of stream around a three-second pause. The recording resumes on the picture
    // after a key frame: it goes on at the next key frame, every picture in the file decodes and
    // the file's time line has no gap where the pictures before that key frame were left out.
    void recordingWithPauseGivesAFileWithoutThePause()
    {
        RtspPeer peer({ "--width", "160", "--height", "120", "--fps", QString::number(Fps) });
        CRTSPVideoStreamerLogic streamer;
        QVERIFY(startStreaming(peer, streamer));
        CRTSPVideoRecorderLogic recorder(&streamer);
        QSignalSpy errors(&recorder, &CRTSPVideoRecorderLogic::errorOccurred);
        const QString fileName = m_dir.filePath("paused.mp4");
        recorder.setFileName(fileName);
        recorder.start();
        KeyFrameTap tap(recorder);
        streamer.setBufferProcessor(&tap);
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingRunning));

        QTRY_VERIFY_WITH_TIMEOUT(tap.inFile >= quint64(3.5 * Fps), FirstFrameWait);
        recorder.pause();
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingPaused);
        const int durationAtPause = recorder.duration();
        tap.resumeAfterPausedPictures = quint64(3 * Fps);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.state() == MultimediaTypes::RecordingRunning, FirstFrameWait);
        // The running duration counts paused time.
        QVERIFY(recorder.duration() > durationAtPause);
        QTRY_VERIFY_WITH_TIMEOUT(tap.afterResume >= quint64(3.5 * Fps), FirstFrameWait);
        recorder.stop();
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingEnding);
        // A late PLAYING report must not bring the ending recording back.
        recorder.onVideoRecordingPipelineStateChanged(GST_STATE_PLAYING);
        QCOMPARE(recorder.state(), MultimediaTypes::RecordingEnding);
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingStopped));
        QCOMPARE(recorder.duration(), 0);
        QCOMPARE(errors.count(), 0);

        QVERIFY(tap.skipped > 0);
        const CH264VideoRecordingPipeline* pipeline = recorder.recordingPipeline();
        QCOMPARE(pipeline->receivedBufferCount(), tap.inFile + tap.paused + tap.skipped);
        const quint64 pushed = pipeline->pushedBufferCount();
        QCOMPARE(pushed + pipeline->joinedBufferCount(), tap.inFile);
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.isH264);
        QCOMPARE(probe.width, 160);
        QCOMPARE(probe.height, 120);
        // The two runs of pictures, each with its last picture's frame.
        const qint64 expectedMs = qint64(tap.inFileSpan / GST_MSECOND) + 2 * 1000 / Fps;
        QVERIFY2(qAbs(probe.durationMs - expectedMs) <= 200,
                 qPrintable(QStringLiteral("%1 ms for %2 frames over %3 ms of stream")
                                .arg(probe.durationMs).arg(pushed).arg(expectedMs)));
        QCOMPARE(probe.decodedFrames, int(pushed));
    }

    // Low-latency encoders: several slices per frame and long groups of pictures. Every access
    // unit received from the first key frame on is in the file and decodes.
    void lowLatencyStreamKeepsEveryFrame()
    {
        RtspPeer peer({ "--width", "320", "--height", "240", "--fps", QString::number(Fps), "--low-latency" });
        CRTSPVideoStreamerLogic streamer;
        QVERIFY(startStreaming(peer, streamer));
        CRTSPVideoRecorderLogic recorder(&streamer);
        const QString fileName = m_dir.filePath("lowlatency.mp4");
        recorder.setFileName(fileName);
        recorder.start();
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingRunning));
        QTRY_VERIFY_WITH_TIMEOUT(received(recorder) >= quint64(2 * Fps), FirstFrameWait);
        recorder.stop();
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingStopped));

        // Buffers that only carried further slices of a picture joined it; every other
        // received buffer is a picture in the file.
        const quint64 pushed = recorder.recordingPipeline()->pushedBufferCount();
        QCOMPARE(pushed + recorder.recordingPipeline()->joinedBufferCount(), received(recorder));
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.width, 320);
        QCOMPARE(probe.height, 240);
        QCOMPARE(probe.decodedFrames, int(pushed));
    }

    void streamerStopFinishesTheFile()
    {
        RtspPeer peer({ "--width", "160", "--height", "120", "--fps", QString::number(Fps) });
        CRTSPVideoStreamerLogic streamer;
        QVERIFY(startStreaming(peer, streamer));
        CRTSPVideoRecorderLogic recorder(&streamer);
        const QString fileName = m_dir.filePath("streamerstopped.mp4");
        recorder.setFileName(fileName);
        recorder.start();
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingRunning));
        QTRY_VERIFY_WITH_TIMEOUT(received(recorder) >= quint64(Fps), FirstFrameWait);
        streamer.stop();
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingStopped));
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, int(recorder.recordingPipeline()->pushedBufferCount()));
    }

    // At program exit the recorder is deleted while recording: the file is finished first.
    void destructionWhileRecordingFinishesTheFile()
    {
        RtspPeer peer({ "--width", "160", "--height", "120", "--fps", QString::number(Fps) });
        CRTSPVideoStreamerLogic streamer;
        QVERIFY(startStreaming(peer, streamer));
        auto recorder = std::make_unique<CRTSPVideoRecorderLogic>(&streamer);
        const QString fileName = m_dir.filePath("atexit.mp4");
        recorder->setFileName(fileName);
        recorder->start();
        QVERIFY(waitForState(*recorder, MultimediaTypes::RecordingRunning));
        QTRY_VERIFY_WITH_TIMEOUT(received(*recorder) >= quint64(Fps), FirstFrameWait);
        // Every picture handed in so far must be in the file.
        const quint64 pushed = received(*recorder) - recorder->recordingPipeline()->joinedBufferCount();
        recorder.reset();
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, int(pushed));
    }

    // A recording killed (a dead battery, the program killed for memory) plays up to the cut.
    void killedRecordingPlaysUpToTheCut_data()
    {
        QTest::addColumn<int>("killAt");
        QTest::newRow("after a second") << Fps;
        QTest::newRow("after four seconds") << 4 * Fps + 7;
    }

    void killedRecordingPlaysUpToTheCut()
    {
        QFETCH(int, killAt);
        RtspPeer peer({ "--width", "320", "--height", "240", "--fps", QString::number(Fps) });
        QVERIFY(peer.start());
        const QString fileName = m_dir.filePath(QStringLiteral("killed%1.mp4").arg(killAt));
        const ChildRecording recording = recordInChildProcess(peer, fileName, killAt);
        QVERIFY(recording.muxed >= killAt);
        QVERIFY(recording.errors.isEmpty());
        verifyCutRecording(fileName, recording.muxed);
    }

    // A drive that fills mid-recording: the operator is told once that the file could not be
    // written, though the file sink and the muxer both fail, and what was written plays.
    void fullDriveEndsTheRecordingPlayableAndToldOnce()
    {
        RtspPeer peer({ "--width", "320", "--height", "240", "--fps", QString::number(Fps) });
        QVERIFY(peer.start());
        const QString fileName = m_dir.filePath("fulldrive.mp4");
        const ChildRecording recording = recordInChildProcess(peer, fileName, 0, 512 * 1024);
        QCOMPARE(QFileInfo(fileName).size(), 512 * 1024);
        QVERIFY(recording.busErrors >= 2);
        QCOMPARE(recording.errors, QList<int>{ int(MultimediaTypes::RecordingErrorFileAccess) });
        QVERIFY(recording.muxed > 2 * Fps);
        verifyCutRecording(fileName, recording.muxed);
    }

    void unwritableFileReportsFileAccess()
    {
        CRTSPVideoStreamerLogic streamer;
        CRTSPVideoRecorderLogic recorder(&streamer);
        QSignalSpy errors(&recorder, &CRTSPVideoRecorderLogic::errorOccurred);
        recorder.setFileName(m_dir.filePath("missing/folder/file.mp4"));
        recorder.start();
        QVERIFY(waitForState(recorder, MultimediaTypes::RecordingStopped, 20000));
        QVERIFY(errors.count() > 0 || errors.wait(20000));
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::RecordingError>(),
                 MultimediaTypes::RecordingErrorFileAccess);
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--record-child") == 0)
        return recordInChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toLongLong());
    tst_CRTSPVideoRecorderLogic test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_CRTSPVideoRecorderLogic.moc"
