#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CountedBuffers.h"
#include "TestVideoSurface.h"

#include <QSignalSpy>
#include <QtTest>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>
#include <memory>

using Ulx::GStreamer::CGstVideoSurfaceSink;

namespace {

// A local test pipeline that ends in an appsink called "sink"; set to NULL and released on scope exit.
class LocalPipeline
{
public:
    explicit LocalPipeline(const QByteArray& description)
    {
        GError* error = nullptr;
        m_pipeline = gst_parse_launch(description.constData(), &error);
        if (error)
            g_error_free(error);
        if (m_pipeline)
            gst_object_ref_sink(m_pipeline);
    }
    ~LocalPipeline()
    {
        if (!m_pipeline)
            return;
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
    GstAppSink* sink() const
    {
        GstElement* element = gst_bin_get_by_name(GST_BIN(m_pipeline), "sink");
        if (element)
            gst_object_unref(element); // the bin keeps it alive
        return GST_APP_SINK(element);
    }
    bool play() const { return gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE; }
    void stop() const { gst_element_set_state(m_pipeline, GST_STATE_NULL); }
    bool isValid() const { return m_pipeline != nullptr; }

private:
    GstElement* m_pipeline = nullptr;
};

QByteArray testSource(int width, int height, int buffers = -1)
{
    return QByteArrayLiteral("videotestsrc pattern=smpte num-buffers=") + QByteArray::number(buffers)
           + " ! video/x-raw,format=I420,width=" + QByteArray::number(width) + ",height=" + QByteArray::number(height)
           + ",framerate=30/1 ! appsink name=sink";
}

// One planar 4:2:0 frame with a solid colour, in memory.
QVideoFrame solidFrame(int width, int height, uchar y, uchar u, uchar v, int* uOffset, int* vOffset, int* yStride,
                       int* cStride)
{
    *yStride = width;
    *cStride = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    *uOffset = width * height;
    *vOffset = *uOffset + *cStride * chromaHeight;
    QVideoFrame frame(*vOffset + *cStride * chromaHeight, QSize(width, height), width, QVideoFrame::Format_YUV420P);
    frame.map(QAbstractVideoBuffer::WriteOnly);
    uchar* bits = frame.bits();
    memset(bits, y, size_t(*uOffset));
    memset(bits + *uOffset, u, size_t(*vOffset - *uOffset));
    memset(bits + *vOffset, v, size_t(*cStride * chromaHeight));
    frame.unmap();
    return frame;
}

} // namespace

class tst_CGstVideoSurfaceSink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void conversionUsesIntegerBt601_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("u");
        QTest::addColumn<int>("v");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("black") << 16 << 128 << 128 << QColor(0, 0, 0);
        QTest::newRow("white") << 235 << 128 << 128 << QColor(255, 255, 255);
        QTest::newRow("red") << 81 << 90 << 240 << QColor(255, 0, 0);
        QTest::newRow("green") << 145 << 54 << 34 << QColor(0, 255, 1);
        QTest::newRow("below black clamps") << 0 << 128 << 128 << QColor(0, 0, 0);
    }

    void conversionUsesIntegerBt601()
    {
        QFETCH(int, y);
        QFETCH(int, u);
        QFETCH(int, v);
        QFETCH(QColor, expected);
        int uOffset, vOffset, yStride, cStride;
        const QVideoFrame frame = solidFrame(5, 3, uchar(y), uchar(u), uchar(v), &uOffset, &vOffset, &yStride, &cStride);
        const QImage image = CGstVideoSurfaceSink::imageFromVideoFrame(frame, uOffset, vOffset, yStride, cStride, cStride);
        QCOMPARE(image.size(), QSize(5, 3));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.pixelColor(0, 0), expected);
        QCOMPARE(image.pixelColor(4, 2), expected); // odd last column and row
    }

    void conversionRefusesOtherFormatsAndBadLayouts()
    {
        QVideoFrame rgb(64 * 4, QSize(8, 8), 32, QVideoFrame::Format_RGB32);
        QVERIFY(CGstVideoSurfaceSink::imageFromVideoFrame(rgb, 0, 0, 8, 4, 4).isNull());
        int uOffset, vOffset, yStride, cStride;
        const QVideoFrame frame = solidFrame(8, 8, 100, 100, 100, &uOffset, &vOffset, &yStride, &cStride);
        // A V plane said to lie past the end of the data must not be read.
        QVERIFY(CGstVideoSurfaceSink::imageFromVideoFrame(frame, uOffset, vOffset + 1000, yStride, cStride, cStride).isNull());
        QVERIFY(CGstVideoSurfaceSink::imageFromVideoFrame(QVideoFrame(), 0, 0, 0, 0, 0).isNull());
    }

    void framesReachTheSurfaceWithTheirSize()
    {
        LocalPipeline pipeline(testSource(64, 48));
        QVERIFY(pipeline.isValid());
        CGstVideoSurfaceSink sink;
        sink.setMeasurementInterval(200);
        TestVideoSurface surface;
        sink.setVideoSurface(&surface);
        QSignalSpy sizeChanged(&sink, &CGstVideoSurfaceSink::frameSizeChanged);
        sink.setAppSinkElement(pipeline.sink());
        QVERIFY(pipeline.play());
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount >= 5, 20000);
        QCOMPARE(sizeChanged.count(), 1);
        QCOMPARE(sink.frameSize(), QSize(64, 48));
        QVERIFY(surface.isActive());
        QCOMPARE(surface.startedFormat.pixelFormat(), QVideoFrame::Format_YUV420P);
        QCOMPARE(surface.startedFormat.yCbCrColorSpace(), QVideoSurfaceFormat::YCbCr_BT601);
        QCOMPARE(surface.lastFrame.size(), QSize(64, 48));
        QTRY_VERIFY_WITH_TIMEOUT(sink.measuredFrameRate() > 0, 20000);

        // The appsink was configured as the surface expects.
        gint maxBuffers = 0;
        gboolean drop = FALSE;
        gboolean lastSample = TRUE;
        g_object_get(G_OBJECT(pipeline.sink()), "max-buffers", &maxBuffers, "drop", &drop, "enable-last-sample",
                     &lastSample, nullptr);
        QCOMPARE(maxBuffers, 8);
        QVERIFY(drop);
        QVERIFY(!lastSample);

        // The still is the frame shown, converted.
        QSignalSpy captured(&sink, &CGstVideoSurfaceSink::imageCaptured);
        sink.captureImage();
        QCOMPARE(captured.count(), 1);
        const QImage image = captured.at(0).at(0).value<QImage>();
        QCOMPARE(image.size(), QSize(64, 48));
        // The SMPTE bars: white, then yellow.
        const QColor firstBar = image.pixelColor(2, 2);
        QVERIFY2(firstBar.red() > 180 && firstBar.green() > 180 && firstBar.blue() > 180, qPrintable(firstBar.name()));
        const QColor secondBar = image.pixelColor(13, 2);
        QVERIFY2(secondBar.red() > 150 && secondBar.green() > 150 && secondBar.blue() < 60, qPrintable(secondBar.name()));
        pipeline.stop();
        sink.setAppSinkElement(nullptr);
    }

    // The GUI thread is blocked while the stream delivers 60 frames: the sink holds one frame,
    // not a backlog, and shows the newest once the GUI thread runs again. Destroying a sink
    // with a frame still waiting releases it: every sample is accounted for.
    void stalledGuiShowsOnlyTheNewestFrameAndTeardownReleasesIt()
    {
        const int frames = 60;
        const int frameBytes = 64 * 48 * 3 / 2;
        // Static: an appsink may release its last sample from a GStreamer thread after the
        // pipeline object is gone.
        static CountedBuffers counted;
        const char caps[] = "video/x-raw,format=I420,width=64,height=48,framerate=30/1";
        std::unique_ptr<PushPipeline> pipeline(new PushPipeline(caps));
        std::unique_ptr<PushPipeline> second(new PushPipeline(caps));
        QVERIFY(pipeline->isValid() && second->isValid());
        auto* sink = new CGstVideoSurfaceSink;
        TestVideoSurface surface;
        sink->setVideoSurface(&surface);
        sink->setAppSinkElement(pipeline->sink());
        QVERIFY(pipeline->play());
        for (int i = 0; i < frames; ++i)
            QVERIFY(pipeline->push(counted.make(QByteArray(frameBytes, char(i)))));
        QVERIFY(pipeline->finishWithoutEventLoop());

        CGstVideoSurfaceSink::DeliveryStatistics statistics = sink->deliveryStatistics();
        QCOMPARE(statistics.received, quint64(frames));
        QCOMPARE(statistics.dropped, quint64(frames - 1));
        QVERIFY(sink->hasPendingSample());
        QCOMPARE(counted.released.load(), frames - 1);
        QCOMPARE(surface.frameCount, 0);

        QTRY_COMPARE_WITH_TIMEOUT(surface.frameCount, 1, 20000);
        QVERIFY(!sink->hasPendingSample());
        QVideoFrame shown(surface.lastFrame);
        QVERIFY(shown.map(QAbstractVideoBuffer::ReadOnly));
        QCOMPARE(int(shown.bits()[0]), frames - 1);
        shown.unmap();
        shown = QVideoFrame();
        surface.lastFrame = QVideoFrame();

        // Another frame arrives and waits while the GUI thread is busy; then the sink goes.
        sink->setAppSinkElement(second->sink());
        QVERIFY(second->play());
        QVERIFY(second->push(counted.make(QByteArray(frameBytes, char(1)))));
        QVERIFY(second->finishWithoutEventLoop());
        QVERIFY(sink->hasPendingSample());
        delete sink;
        // An appsink keeps its last sample until it goes: count once both pipelines are gone.
        pipeline.reset();
        second.reset();
        QTRY_COMPARE_WITH_TIMEOUT(counted.released.load(), counted.made.load(), 20000);
    }

    void disabledOutputDropsFramesButKeepsTheLastForStills()
    {
        // Outlives the pipeline, whose streaming thread counts into it until it stops.
        std::atomic<int> countedBuffers { 0 };
        LocalPipeline pipeline(testSource(32, 32));
        CGstVideoSurfaceSink sink;
        TestVideoSurface surface;
        sink.setVideoSurface(&surface);
        sink.setAppSinkElement(pipeline.sink());
        GstPad* sinkPad = gst_element_get_static_pad(GST_ELEMENT(pipeline.sink()), "sink");
        gst_pad_add_probe(sinkPad, GST_PAD_PROBE_TYPE_BUFFER,
                          [](GstPad*, GstPadProbeInfo*, gpointer counter) {
                              ++*static_cast<std::atomic<int>*>(counter);
                              return GST_PAD_PROBE_OK;
                          },
                          &countedBuffers, nullptr);
        gst_object_unref(sinkPad);
        QVERIFY(pipeline.play());
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount >= 2, 20000);

        QSignalSpy enabledChanged(&sink, &CGstVideoSurfaceSink::videoOutputEnabledChanged);
        sink.setVideoOutputEnabled(false);
        sink.setVideoOutputEnabled(false);
        QCOMPARE(enabledChanged.count(), 1);
        // Samples keep passing the appsink, but none reaches the surface any more.
        const int frames = surface.frameCount;
        const int passed = countedBuffers.load();
        QTRY_VERIFY_WITH_TIMEOUT(countedBuffers.load() >= passed + 5, 20000);
        QCoreApplication::processEvents();
        QCOMPARE(surface.frameCount, frames);
        QSignalSpy captured(&sink, &CGstVideoSurfaceSink::imageCaptured);
        sink.captureImage();
        QCOMPARE(captured.count(), 1);

        const int starts = surface.startCount;
        sink.setVideoOutputEnabled(true);
        QCOMPARE(surface.startCount, starts + 1);
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount > frames, 20000);
        pipeline.stop();
        sink.setAppSinkElement(nullptr);
    }

    void noStillBeforeTheFirstFrameAndAfterReset()
    {
        CGstVideoSurfaceSink sink;
        QSignalSpy captured(&sink, &CGstVideoSurfaceSink::imageCaptured);
        QSignalSpy failed(&sink, &CGstVideoSurfaceSink::imageCaptureFailed);
        sink.captureImage();
        QCOMPARE(captured.count() + failed.count(), 0);
        QVERIFY(!sink.hasFrame());

        LocalPipeline pipeline(testSource(16, 16));
        TestVideoSurface surface;
        sink.setVideoSurface(&surface);
        sink.setAppSinkElement(pipeline.sink());
        QVERIFY(pipeline.play());
        QTRY_VERIFY_WITH_TIMEOUT(sink.hasFrame(), 20000);
        pipeline.stop();
        sink.setAppSinkElement(nullptr);
        sink.reset();
        QVERIFY(!surface.isActive());
        QVERIFY(!sink.hasFrame());
        QCOMPARE(sink.frameSize(), QSize());
        sink.captureImage();
        QCOMPARE(captured.count() + failed.count(), 0);
    }

    void newNegotiationRestartsTheSurfaceWithTheNewSize()
    {
        CGstVideoSurfaceSink sink;
        TestVideoSurface surface;
        sink.setVideoSurface(&surface);
        QSignalSpy sizeChanged(&sink, &CGstVideoSurfaceSink::frameSizeChanged);
        {
            LocalPipeline first(testSource(32, 24));
            sink.setAppSinkElement(first.sink());
            QVERIFY(first.play());
            QTRY_VERIFY_WITH_TIMEOUT(sink.frameSize() == QSize(32, 24), 20000);
            first.stop();
            sink.setAppSinkElement(nullptr);
        }
        QCoreApplication::processEvents(); // samples of the first pipeline still queued
        LocalPipeline second(testSource(48, 40));
        sink.setAppSinkElement(second.sink());
        QVERIFY(second.play());
        QTRY_COMPARE_WITH_TIMEOUT(sink.frameSize(), QSize(48, 40), 20000);
        QCOMPARE(surface.startedFormat.frameSize(), QSize(48, 40));
        QCOMPARE(sizeChanged.count(), 2);
        second.stop();
        sink.setAppSinkElement(nullptr);
    }

    void endOfStreamResetsTheSink()
    {
        LocalPipeline pipeline(testSource(16, 16, 5));
        CGstVideoSurfaceSink sink;
        TestVideoSurface surface;
        sink.setVideoSurface(&surface);
        sink.setAppSinkElement(pipeline.sink());
        QVERIFY(pipeline.play());
        // The source runs faster than the GUI thread takes frames, so some are replaced by newer
        // ones before they are shown; the last one always is.
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount >= 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!sink.hasFrame() && !surface.isActive(), 20000);
        QCOMPARE(sink.deliveryStatistics().received, quint64(0)); // counters start again after the reset
        pipeline.stop();
        sink.setAppSinkElement(nullptr);
    }

    void replacingTheSurfaceStopsTheOldOne()
    {
        LocalPipeline pipeline(testSource(16, 16));
        CGstVideoSurfaceSink sink;
        TestVideoSurface first;
        TestVideoSurface second;
        sink.setVideoSurface(&first);
        sink.setAppSinkElement(pipeline.sink());
        QVERIFY(pipeline.play());
        QTRY_VERIFY_WITH_TIMEOUT(first.frameCount > 0, 20000);
        sink.setVideoSurface(&second);
        QVERIFY(!first.isActive());
        QVERIFY(second.isActive());
        QTRY_VERIFY_WITH_TIMEOUT(second.frameCount > 0, 20000);
        pipeline.stop();
        sink.setAppSinkElement(nullptr);
    }
};

QTEST_MAIN(tst_CGstVideoSurfaceSink)
#include "tst_CGstVideoSurfaceSink.moc"
