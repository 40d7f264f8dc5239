#include "CGstMultimediaLibrary.h"
#include "CH264VideoRecordingPipeline.h"
#include "EncodedStream.h"
#include "GstErrorMapping.h"
#include "Mp4Probe.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::GStreamer::CH264VideoRecordingPipeline;

namespace {

// Holds a pad's streaming thread until opened (or for at most 30 s), as a stalled disk would.
struct Gate
{
    GMutex mutex;
    GCond cond;
    bool isOpen = false;
    Gate()
    {
        g_mutex_init(&mutex);
        g_cond_init(&cond);
    }
    ~Gate()
    {
        open();
        g_cond_clear(&cond);
        g_mutex_clear(&mutex);
    }
    void open()
    {
        g_mutex_lock(&mutex);
        isOpen = true;
        g_cond_broadcast(&cond);
        g_mutex_unlock(&mutex);
    }
    static GstPadProbeReturn wait(GstPad*, GstPadProbeInfo*, gpointer data)
    {
        auto* gate = static_cast<Gate*>(data);
        const gint64 deadline = g_get_monotonic_time() + 30 * G_TIME_SPAN_SECOND;
        g_mutex_lock(&gate->mutex);
        while (!gate->isOpen && g_cond_wait_until(&gate->cond, &gate->mutex, deadline)) {
        }
        g_mutex_unlock(&gate->mutex);
        return GST_PAD_PROBE_OK;
    }
};

} // namespace

// The recording pipeline fed with an H.264 stream encoded in the test: stream time comes from
// the buffers, so pauses of several seconds cost no wall-clock time.
class tst_CH264VideoRecordingPipeline : public QObject
{
    Q_OBJECT

private:
    static constexpr int Fps = 30;
    EncodedStream m_stream;
    QTemporaryDir m_dir;

    // Waits until the pipeline has finished the file and gone back to NULL.
    static bool waitForNull(CH264VideoRecordingPipeline& pipeline, QSignalSpy& states)
    {
        for (int i = 0; i < 50; ++i) {
            for (const QList<QVariant>& arguments : qAsConst(states)) {
                if (arguments.at(0).toInt() == GST_STATE_NULL)
                    return true;
            }
            if (!states.wait(30000))
                return false;
        }
        Q_UNUSED(pipeline)
        return false;
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_stream.encode(10 * Fps, 160, 120, Fps), "the test stream could not be encoded");
    }

    void startWithoutFileNameFails()
    {
        CH264VideoRecordingPipeline pipeline;
        QSignalSpy errors(&pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred);
        QVERIFY(!pipeline.start(QString()));
        QVERIFY(!pipeline.isBuilt());
        QCOMPARE(errors.count(), 0);
        // Nothing built: stop and buffers are harmless.
        pipeline.stop();
        pipeline.processBuffer(m_stream.copy(0));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(0));
    }

    void recordsEveryAccessUnit()
    {
        const QString fileName = m_dir.filePath("whole.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QSignalSpy ended(&pipeline, &CH264VideoRecordingPipeline::streamEnded);
        QVERIFY(pipeline.start(fileName));
        for (int i = 0; i < 3 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QCOMPARE(pipeline.pushedBufferCount(), quint64(3 * Fps));
        QVERIFY(waitForNull(pipeline, states));
        QCOMPARE(ended.count(), 1);

        // Late buffers after the end are released, not pushed.
        pipeline.processBuffer(m_stream.copy(3 * Fps));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(3 * Fps));

        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.isH264);
        QCOMPARE(probe.width, 160);
        QCOMPARE(probe.height, 120);
        QVERIFY2(qAbs(probe.durationMs - 3000) <= 100, qPrintable(QString::number(probe.durationMs)));
        QCOMPARE(probe.decodedFrames, 3 * Fps);
    }

    // Ten seconds of stream (a key frame every second), paused at 4 s, resumed half-way
    // through a group of pictures at 6.5 s, paused again at 6.8 s before the key frame that would
    // have let the file go on, and resumed at 8.5 s: the file goes on at 9 s and holds five
    // seconds, without a gap.
    void pauseIsCutOutOfTheFile()
    {
        const QString fileName = m_dir.filePath("paused.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QVERIFY(pipeline.start(fileName));
        int i = 0;
        for (; i < 4 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.pause();
        for (; i < 6.5 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.resume();
        for (; i < 6.8 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.pause();
        const quint64 atSecondPause = pipeline.pushedBufferCount();
        for (; i < 8.5 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        QCOMPARE(pipeline.pushedBufferCount(), atSecondPause);
        pipeline.resume();
        for (; i < 10 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QCOMPARE(pipeline.pushedBufferCount(), quint64(5 * Fps));
        QVERIFY(waitForNull(pipeline, states));

        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY2(qAbs(probe.durationMs - 5000) <= 150, qPrintable(QString::number(probe.durationMs)));
        QCOMPARE(probe.decodedFrames, 5 * Fps);
    }

    void stopWhilePausedFinishesTheFile()
    {
        const QString fileName = m_dir.filePath("stoppedpaused.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QVERIFY(pipeline.start(fileName));
        int i = 0;
        for (; i < 2 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.pause();
        for (; i < 3 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QVERIFY(waitForNull(pipeline, states));
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, 2 * Fps);
    }

    void finishBlockingEndsTheFileWithoutEventLoop()
    {
        const QString fileName = m_dir.filePath("blocking.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QVERIFY(pipeline.start(fileName));
        for (int i = 0; i < Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        QVERIFY(pipeline.finishBlocking(20000));
        QVERIFY(!pipeline.isActive());
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, Fps);
    }

    void unwritableFileReportsAccessError()
    {
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy errors(&pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred);
        // The file is opened on the pipeline's worker thread: its failure comes as an error.
        pipeline.start(m_dir.filePath("missing/folder/file.mp4"));
        QVERIFY(errors.count() > 0 || errors.wait(20000));
        const QList<QVariant> error = errors.first();
        QCOMPARE(Ulx::GStreamer::recordingErrorFromGstError(error.at(0).toUInt(), error.at(1).toInt()),
                 Ulx::MultimediaTypes::RecordingErrorFileAccess);
        pipeline.processBuffer(m_stream.copy(0));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(0));
    }

    // A disk slower than the stream: the file sink is held shut while the stream keeps coming.
    // Past the backlog limit the recording ends with an error, nothing more is queued, and once
    // the disk catches up the file is finished and plays every frame that was queued.
    void slowDiskEndsTheRecordingWithAPlayableFile()
    {
        const QString fileName = m_dir.filePath("slowdisk.mp4");
        const qint64 limit = 16 * 1024;
        Gate gate; // outlives the pipeline, whose streaming thread may be waiting in it
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        pipeline.setBacklogLimit(limit);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QSignalSpy errors(&pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred);
        QVERIFY(pipeline.start(fileName));

        GstElement* fileSink = gst_bin_get_by_name(GST_BIN(pipeline.pipelineElement()), "filesink0");
        QVERIFY(fileSink);
        GstPad* pad = gst_element_get_static_pad(fileSink, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &Gate::wait, &gate, nullptr);

        int handed = 0;
        while (errors.isEmpty() && handed < m_stream.buffers.size())
            pipeline.processBuffer(m_stream.copy(handed++));
        QCOMPARE(errors.count(), 1);
        QVERIFY(handed < m_stream.buffers.size());
        QCOMPARE(Ulx::GStreamer::recordingErrorFromGstError(errors.first().at(0).toUInt(), errors.first().at(1).toInt()),
                 Ulx::MultimediaTypes::RecordingErrorInternal);
        QVERIFY(pipeline.isEnding());
        // Bounded: what arrives after the error is released, not queued.
        const qint64 backlog = pipeline.backlogBytes();
        const quint64 pushed = pipeline.pushedBufferCount();
        QVERIFY(backlog <= limit + 64 * 1024);
        while (handed < m_stream.buffers.size())
            pipeline.processBuffer(m_stream.copy(handed++));
        QCOMPARE(pipeline.pushedBufferCount(), pushed);
        QVERIFY(pipeline.backlogBytes() <= backlog);

        gate.open();
        QVERIFY(waitForNull(pipeline, states));
        QCOMPARE(errors.count(), 1);
        gst_object_unref(pad);
        gst_object_unref(fileSink);
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.isH264);
        QCOMPARE(probe.decodedFrames, int(pushed));
    }
};

QTEST_GUILESS_MAIN(tst_CH264VideoRecordingPipeline)
#include "tst_CH264VideoRecordingPipeline.moc"
