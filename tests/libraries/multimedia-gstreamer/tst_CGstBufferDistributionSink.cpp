#include "CGstBufferDistributionSink.h"
#include "CGstMultimediaLibrary.h"
#include "CountedBuffers.h"
#include "IGstBufferProcessor.h"

#include <QSignalSpy>
#include <QtTest>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

using Ulx::GStreamer::CGstBufferDistributionSink;

namespace {

// Keeps what it was handed, as the recording pipeline would.
class RecordingProcessor : public Ulx::GStreamer::IGstBufferProcessor
{
public:
    ~RecordingProcessor() override { clear(); }
    void processBuffer(GstBuffer* buffer) override { buffers << buffer; }
    void bufferQueueOverflowed() override { ++overflows; }
    void clear()
    {
        for (GstBuffer* buffer : qAsConst(buffers))
            gst_buffer_unref(buffer);
        buffers.clear();
    }
    bool startsWithKeyFrame() const
    {
        if (buffers.isEmpty())
            return false;
        GstMapInfo info = GST_MAP_INFO_INIT;
        if (!gst_buffer_map(buffers.first(), &info, GST_MAP_READ))
            return false;
        const QByteArray start("\0\0\0\1", 4);
        const bool keyFrame = CGstBufferDistributionSink::isKeyFrame(QByteArrayMatcher(start),
                                                                     reinterpret_cast<const char*>(info.data),
                                                                     int(info.size));
        gst_buffer_unmap(buffers.first(), &info);
        return keyFrame;
    }
    QList<GstBuffer*> buffers;
    int overflows = 0;
};

QByteArray nal(int type, int payload = 3)
{
    QByteArray unit("\0\0\0\1", 4);
    unit.append(char(0x60 | type));
    unit.append(QByteArray(payload, char(0x55)));
    return unit;
}

bool keyFrame(const QByteArray& data)
{
    return CGstBufferDistributionSink::isKeyFrame(QByteArrayMatcher(QByteArray("\0\0\0\1", 4)), data.constData(),
                                                  data.size());
}

} // namespace

class tst_CGstBufferDistributionSink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void keyFrameNeedsBothParameterSetsAndAnIdrSlice()
    {
        QVERIFY(keyFrame(nal(7) + nal(8) + nal(5)));
        // Parameter sets after the IDR slice still make a key frame.
        QVERIFY(keyFrame(nal(5) + nal(7) + nal(8)));
        QVERIFY(keyFrame(nal(9) + nal(8) + nal(5) + nal(7)));
        QVERIFY(!keyFrame(nal(7) + nal(5)));
        QVERIFY(!keyFrame(nal(8) + nal(5)));
        QVERIFY(!keyFrame(nal(7) + nal(8) + nal(1)));
        QVERIFY(!keyFrame(nal(1)));
        QVERIFY(!keyFrame(QByteArray()));
        // The NAL type is the low five bits.
        QByteArray withPriorityBits = nal(7) + nal(8);
        withPriorityBits.append(QByteArray("\0\0\0\1", 4)).append(char(0x65));
        QVERIFY(keyFrame(withPriorityBits));
        // A start code with no type byte behind it ends the search.
        QVERIFY(!keyFrame(nal(7) + nal(8) + QByteArray("\0\0\0\1", 4)));
        // Three-byte start codes are not looked at.
        QVERIFY(!keyFrame(QByteArray("\0\0\1\x67\0\0\1\x68\0\0\1\x65", 12)));
    }

    // Every sample is kept while the GUI thread is busy, up to the queue's limit; past it the
    // queue lets go of what it holds, the processor is told once and gets nothing more until
    // the next key frame. Destroying the sink with samples queued releases them all.
    void queueKeepsEverySampleUpToItsLimitAndTeardownReleasesThem()
    {
        const char caps[] = "video/x-h264,stream-format=byte-stream,alignment=au";
        const QByteArray keyFrame = nal(7) + nal(8) + nal(5, 1000);
        const QByteArray frame = nal(1, 1000);
        // Static: an appsink may release its last sample from a GStreamer thread after the
        // pipeline object is gone.
        static CountedBuffers counted;
        RecordingProcessor processor;
        {
            // The pipelines outlive the sink, which drives their appsinks.
            PushPipeline pipeline(caps);
            PushPipeline second(caps);
            QVERIFY(pipeline.isValid() && second.isValid());
            CGstBufferDistributionSink sink;
            sink.setQueueLimit(5 * frame.size());
            sink.setAppSinkElement(pipeline.sink());
            sink.setBufferProcessor(&processor);
            QVERIFY(pipeline.play());
            QVERIFY(pipeline.push(counted.make(keyFrame)));
            QVERIFY(pipeline.push(counted.make(frame)));
            QTRY_COMPARE_WITH_TIMEOUT(processor.buffers.size(), 2, 20000);

            // A stall while ten frames arrive: the sixth takes the queue past its limit.
            for (int i = 0; i < 10; ++i)
                QVERIFY(pipeline.push(counted.make(frame)));
            QVERIFY(pipeline.finishWithoutEventLoop());
            QCOMPARE(sink.droppedSampleCount(), quint64(6));
            QCOMPARE(sink.queuedBytes(), qint64(4 * frame.size()));
            QCOMPARE(counted.released.load(), 2 + 6);
            QTRY_COMPARE_WITH_TIMEOUT(processor.overflows, 1, 20000);
            QCOMPARE(processor.buffers.size(), 2);

            // Queued and never processed: the sink's end releases them.
            sink.setAppSinkElement(second.sink());
            QVERIFY(second.play());
            for (int i = 0; i < 3; ++i)
                QVERIFY(second.push(counted.make(frame)));
            QVERIFY(second.finishWithoutEventLoop());
            QCOMPARE(sink.queuedBytes(), qint64(3 * frame.size()));

        }
        // The sink, and then the pipelines, are gone (an appsink keeps its last sample till then).
        QTRY_COMPARE_WITH_TIMEOUT(counted.released.load(), counted.made.load(), 20000);
        QCOMPARE(processor.overflows, 1);
    }

    void forwardsFromTheFirstKeyFrameOnly()
    {
        GError* error = nullptr;
        // Key frames every 10 frames, parameter sets in front of each.
        GstElement* pipeline = gst_parse_launch(
            "videotestsrc is-live=true num-buffers=600 ! video/x-raw,width=64,height=48,framerate=60/1 "
            "! x264enc bframes=0 key-int-max=10 speed-preset=ultrafast tune=zerolatency "
            "! h264parse config-interval=-1 ! video/x-h264,stream-format=byte-stream,alignment=au "
            "! appsink name=sink",
            &error);
        if (error) {
            g_error_free(error);
            QSKIP("x264enc is not installed");
        }
        gst_object_ref_sink(pipeline);
        GstElement* appSink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        CGstBufferDistributionSink sink;
        sink.setAppSinkElement(GST_APP_SINK(appSink));
        gint maxBuffers = 0;
        gboolean drop = TRUE;
        g_object_get(G_OBJECT(appSink), "max-buffers", &maxBuffers, "drop", &drop, nullptr);
        QCOMPARE(maxBuffers, 16);
        QVERIFY(!drop);

        RecordingProcessor processor;
        QSignalSpy samples(&sink, &CGstBufferDistributionSink::sampleReceived);
        QVERIFY(gst_element_set_state(pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE);
        // Attach in the middle of a group of pictures.
        QTRY_VERIFY_WITH_TIMEOUT(samples.count() >= 13, 20000);
        QVERIFY(sink.capsString().startsWith("video/x-h264"));
        QVERIFY(sink.capsString().endsWith('\0'));
        sink.setBufferProcessor(&processor);
        QTRY_VERIFY_WITH_TIMEOUT(processor.buffers.size() >= 15, 20000);
        QVERIFY(processor.startsWithKeyFrame());
        QVERIFY(processor.buffers.size() < samples.count());

        // Attaching again waits for the next key frame again.
        processor.clear();
        sink.setBufferProcessor(&processor);
        QTRY_VERIFY_WITH_TIMEOUT(processor.buffers.size() >= 5, 20000);
        QVERIFY(processor.startsWithKeyFrame());

        // Detached: nothing more is handed out.
        sink.setBufferProcessor(nullptr);
        QCoreApplication::processEvents();
        const int handed = processor.buffers.size();
        const int seen = samples.count();
        QTRY_VERIFY_WITH_TIMEOUT(samples.count() >= seen + 3, 20000);
        QCOMPARE(processor.buffers.size(), handed);

        gst_element_set_state(pipeline, GST_STATE_NULL);
        sink.setAppSinkElement(nullptr);
        gst_object_unref(appSink);
        gst_object_unref(pipeline);
        QCoreApplication::processEvents();

        sink.reset();
        QVERIFY(sink.capsString().isEmpty());
        QCOMPARE(sink.measuredSampleRate(), 0u);
    }
};

QTEST_GUILESS_MAIN(tst_CGstBufferDistributionSink)
#include "tst_CGstBufferDistributionSink.moc"
