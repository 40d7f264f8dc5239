#include "CGstBufferDistributionSink.h"
#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CH264StreamingPipeline.h"
#include "PeerConnections.h"
#include "RtspPeer.h"
#include "TestVideoSurface.h"

#include <QSignalSpy>
#include <QtTest>

#include <gst/gst.h>

using Ulx::GStreamer::CGstBufferDistributionSink;
using Ulx::GStreamer::CGstMultimediaLibrary;
using Ulx::GStreamer::CGstVideoSurfaceSink;
using Ulx::GStreamer::CH264StreamingPipeline;
using Tovrin::Shared::PeerConnections;

namespace {

const QByteArray ByteStreamCaps = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";
const QByteArray AvcCaps = "video/x-h264, stream-format=(string)avc, alignment=(string)au";
const int Wait = 20000;

GstElement* child(CH264StreamingPipeline& pipeline, const char* name)
{
    GstElement* element = gst_bin_get_by_name(GST_BIN(pipeline.pipelineElement()), name);
    if (element)
        gst_object_unref(element); // the bin keeps it
    return element;
}

QByteArray factoryName(GstElement* element)
{
    GstElementFactory* factory = element ? gst_element_get_factory(element) : nullptr;
    return factory ? QByteArray(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory))) : QByteArray();
}

// The factory names of the elements that decodebin plugged in.
QList<QByteArray> decoderChildren(GstElement* decodebin)
{
    QList<QByteArray> names;
    GstIterator* iterator = gst_bin_iterate_recurse(GST_BIN(decodebin));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(iterator, &item) == GST_ITERATOR_OK) {
        names << factoryName(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(iterator);
    return names;
}

struct Rig
{
    CGstVideoSurfaceSink videoSink;
    CGstBufferDistributionSink recordingSink;
    TestVideoSurface surface;
    CH264StreamingPipeline pipeline;

    Rig(const QString& location, const QByteArray& caps = ByteStreamCaps)
    {
        videoSink.setVideoSurface(&surface);
        pipeline.setVideoOutputSink(&videoSink);
        pipeline.setRecordingSink(&recordingSink);
        pipeline.setLocation(location);
        pipeline.setStreamCaps(caps);
        pipeline.setLatency(50);
    }
    ~Rig() { videoSink.setVideoSurface(nullptr); }
};

// Lets the camera's RTP packets into the depayloader until a number of pictures have ended
// (the packet with the marker bit), and nothing after them: from then on the camera sends
// nothing, as far as the pipeline can tell. Notes which pictures reach the video sink. Filled on
// the streaming threads; it outlives the pipeline, whose threads end before it goes.
struct PictureGate
{
    QMutex mutex;
    int picturesLetIn = 0;
    int pictureLimit = 0;
    QList<GstClockTime> begun;
    QList<GstClockTime> shown;

    static GstPadProbeReturn onPacket(GstPad*, GstPadProbeInfo* info, gpointer data)
    {
        auto* self = static_cast<PictureGate*>(data);
        QMutexLocker lock(&self->mutex);
        if (self->picturesLetIn >= self->pictureLimit)
            return GST_PAD_PROBE_DROP;
        GstMapInfo map;
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            if (map.size > 1 && (map.data[1] & 0x80))
                ++self->picturesLetIn;
            gst_buffer_unmap(buffer, &map);
        }
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn onDepayed(GstPad*, GstPadProbeInfo* info, gpointer data)
    {
        auto* self = static_cast<PictureGate*>(data);
        const GstClockTime timestamp = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
        QMutexLocker lock(&self->mutex);
        if (self->begun.isEmpty() || self->begun.last() != timestamp)
            self->begun << timestamp;
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn onShown(GstPad*, GstPadProbeInfo* info, gpointer data)
    {
        auto* self = static_cast<PictureGate*>(data);
        QMutexLocker lock(&self->mutex);
        self->shown << GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }
    // Whether the last picture let in has reached the video sink.
    bool lastShown()
    {
        QMutexLocker lock(&mutex);
        return picturesLetIn >= pictureLimit && begun.size() == pictureLimit && shown.contains(begun.last());
    }
    void watch(GstElement* depayloader, GstElement* videoSink)
    {
        GstPad* packets = gst_element_get_static_pad(depayloader, "sink");
        GstPad* depayed = gst_element_get_static_pad(depayloader, "src");
        GstPad* toSurface = gst_element_get_static_pad(videoSink, "sink");
        gst_pad_add_probe(packets, GST_PAD_PROBE_TYPE_BUFFER, &PictureGate::onPacket, this, nullptr);
        gst_pad_add_probe(depayed, GST_PAD_PROBE_TYPE_BUFFER, &PictureGate::onDepayed, this, nullptr);
        gst_pad_add_probe(toSurface, GST_PAD_PROBE_TYPE_BUFFER, &PictureGate::onShown, this, nullptr);
        gst_object_unref(packets);
        gst_object_unref(depayed);
        gst_object_unref(toSurface);
    }
};

QByteArray currentCaps(GstElement* element, const char* padName)
{
    GstPad* pad = gst_element_get_static_pad(element, padName);
    GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
    gchar* text = caps ? gst_caps_to_string(caps) : nullptr;
    const QByteArray result(text);
    g_free(text);
    if (caps)
        gst_caps_unref(caps);
    if (pad)
        gst_object_unref(pad);
    return result;
}

} // namespace

class tst_CH264StreamingPipeline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void softwareDecoderRank()
    {
        GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), "avdec_h264");
        if (!feature)
            QSKIP("avdec_h264 is not installed; nothing to rank");
        CGstMultimediaLibrary::setAlwaysUseSoftwareDecoding(true);
        QCOMPARE(gst_plugin_feature_get_rank(feature), guint(512));
        CGstMultimediaLibrary::setAlwaysUseSoftwareDecoding(false);
        QCOMPARE(gst_plugin_feature_get_rank(feature), guint(GST_RANK_SECONDARY));
        gst_plugin_feature_set_rank(feature, GST_RANK_PRIMARY);
        gst_object_unref(feature);
        CGstMultimediaLibrary::finalize();
    }

    void emptyLocationNeverBuilds()
    {
        Rig rig { QString() };
        QSignalSpy errors(&rig.pipeline, &CH264StreamingPipeline::pipelineErrorOccurred);
        QSignalSpy states(&rig.pipeline, &CH264StreamingPipeline::stateChanged);
        QVERIFY(!rig.pipeline.start());
        QVERIFY(!rig.pipeline.pause());
        QVERIFY(!rig.pipeline.stop());
        QCoreApplication::processEvents();
        QCOMPARE(errors.count(), 0);
        QCOMPARE(states.count(), 0);
        QVERIFY(!rig.pipeline.isBuilt());
        QVERIFY(rig.pipeline.pipelineElement() == nullptr);
    }

    void repeatedStateReportsAreSignalledOnce()
    {
        CH264StreamingPipeline pipeline;
        QSignalSpy states(&pipeline, &CH264StreamingPipeline::stateChanged);
        QMetaObject::invokeMethod(&pipeline, "asyncNotifyStateChanged", Q_ARG(int, GST_STATE_PAUSED));
        QMetaObject::invokeMethod(&pipeline, "asyncNotifyStateChanged", Q_ARG(int, GST_STATE_PAUSED));
        QCOMPARE(states.count(), 1);
        QCOMPARE(pipeline.state(), int(GST_STATE_PAUSED));
        QMetaObject::invokeMethod(&pipeline, "asyncNotifyStateChanged", Q_ARG(int, GST_STATE_NULL));
        QCOMPARE(states.count(), 2);
    }

    void missingSinkObjectsNeverBuild()
    {
        CH264StreamingPipeline pipeline;
        pipeline.setLocation(QStringLiteral("rtsp://127.0.0.1:1/stream"));
        pipeline.setStreamCaps(ByteStreamCaps);
        QVERIFY(!pipeline.start());
        QVERIFY(!pipeline.isBuilt());
    }

    void unparsableCapsFailToLink()
    {
        Rig rig(QStringLiteral("rtsp://127.0.0.1:1/stream"), "this is not a caps string (");
        QSignalSpy errors(&rig.pipeline, &CH264StreamingPipeline::pipelineErrorOccurred);
        QVERIFY(!rig.pipeline.start());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toUInt(), uint(-1));
        QCOMPARE(errors.at(0).at(1).toInt(), -1);
        QCOMPARE(errors.at(0).at(2).toString(), QStringLiteral("Internal error."));
        QVERIFY(!rig.pipeline.isBuilt());
        QVERIFY(rig.videoSink.appSinkElement() == nullptr);
        QVERIFY(rig.recordingSink.appSinkElement() == nullptr);
    }

    void buildsTheNamedGraphOnceAndPlays()
    {
        RtspPeer peer({ "--width", "160", "--height", "120" });
        QVERIFY(peer.start());
        Rig rig(peer.url("/cam0_0"));
        QSignalSpy states(&rig.pipeline, &CH264StreamingPipeline::stateChanged);
        QVERIFY(rig.pipeline.start());
        QVERIFY(rig.pipeline.isBuilt());
        GstElement* top = rig.pipeline.pipelineElement();
        QCOMPARE(QByteArray(GST_OBJECT_NAME(top)), QByteArray("pipeline"));
        const QList<QPair<const char*, const char*>> graph {
            { "rtspsrc0", "rtspsrc" },           { "rtph264depay0", "rtph264depay" }, { "tee0", "tee" },
            { "queue0", "queue" },               { "decodebin0", "decodebin" },       { "videoconvert0", "videoconvert" },
            { "videooutputsink", "appsink" },    { "queue1", "queue" },               { "recordingparser", "h264parse" },
            { "recordingsink", "appsink" } };
        for (const auto& entry : graph)
            QCOMPARE(factoryName(child(rig.pipeline, entry.first)), QByteArray(entry.second));
        guint latency = 0;
        gchar* location = nullptr;
        g_object_get(G_OBJECT(child(rig.pipeline, "rtspsrc0")), "latency", &latency, "location", &location, nullptr);
        QCOMPARE(latency, 50u);
        QCOMPARE(QString::fromUtf8(location), peer.url("/cam0_0"));
        g_free(location);
        gboolean disablePassthrough = FALSE;
        g_object_get(G_OBJECT(child(rig.pipeline, "recordingparser")), "disable-passthrough", &disablePassthrough,
                     nullptr);
        QVERIFY(disablePassthrough);
        QCOMPARE(rig.videoSink.appSinkElement(), GST_APP_SINK(child(rig.pipeline, "videooutputsink")));
        QCOMPARE(rig.recordingSink.appSinkElement(), GST_APP_SINK(child(rig.pipeline, "recordingsink")));

        QTRY_VERIFY_WITH_TIMEOUT(rig.surface.frameCount >= 3, Wait);
        QCOMPARE(rig.videoSink.frameSize(), QSize(160, 120));
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_PLAYING), Wait);
        // Only the pipeline's own states are reported, each once.
        QList<int> reported;
        for (const QList<QVariant>& args : qAsConst(states))
            reported << args.at(0).toInt();
        QCOMPARE(reported, (QList<int> { GST_STATE_READY, GST_STATE_PAUSED, GST_STATE_PLAYING }));

        QVERIFY(rig.pipeline.start());
        QCOMPARE(rig.pipeline.pipelineElement(), top);

        QSignalSpy stopped(&rig.pipeline, &CH264StreamingPipeline::stateChanged);
        QVERIFY(rig.pipeline.stop());
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_NULL), Wait);
        QCOMPARE(stopped.last().at(0).toInt(), int(GST_STATE_NULL));
    }

    // Over TCP the video comes on the RTSP connection: it is not taken for RTSP messages, however
    // much of it comes, where the messages are bounded.
    void avcStreamOverTcpWithTheSoftwareDecoder()
    {
        RtspPeer peer({ "--pattern", "snow" });
        QVERIFY(peer.start());
        Rig rig(peer.url("/liveRTSP/av2"), AvcCaps);
        rig.pipeline.setRtspOverTcp(true);
        rig.pipeline.setPreferSoftwareDecoding(true);
        const qint64 messageLimit = 64 * 1024;
        rig.pipeline.setAnswerLimitBytes(messageLimit);
        QSignalSpy errors(&rig.pipeline, &CH264StreamingPipeline::pipelineErrorOccurred);
        QVERIFY(rig.pipeline.start());
        guint protocols = 0;
        g_object_get(G_OBJECT(child(rig.pipeline, "rtspsrc0")), "protocols", &protocols, nullptr);
        QCOMPARE(protocols, 4u);
        QTRY_VERIFY_WITH_TIMEOUT(rig.surface.frameCount >= 3, Wait);
        GstPad* teeSink = gst_element_get_static_pad(child(rig.pipeline, "tee0"), "sink");
        GstCaps* caps = gst_pad_get_current_caps(teeSink);
        QVERIFY(caps);
        gchar* text = gst_caps_to_string(caps);
        QVERIFY2(QByteArray(text).contains("stream-format=(string)avc"), text);
        g_free(text);
        gst_caps_unref(caps);
        gst_object_unref(teeSink);
        const QList<QByteArray> decoders = decoderChildren(child(rig.pipeline, "decodebin0"));
        if (gst_registry_lookup_feature(gst_registry_get(), "avdec_h264"))
            QVERIFY2(decoders.contains("avdec_h264"), decoders.join(' ').constData());
        QVERIFY(rig.recordingSink.capsString().contains("stream-format=(string)byte-stream"));
        QVERIFY(rig.recordingSink.capsString().contains("alignment=(string)au"));

        // Well past the bound with what the session's requests may bring.
        const qint64 enough = 4 * (messageLimit + 8 * CH264StreamingPipeline::AnswerAllowanceBytes);
        QTRY_VERIFY_WITH_TIMEOUT(PeerConnections::mostBytesReceived(quint16(peer.port()), {}) > enough || !errors.isEmpty(),
                                 Wait);
        QCOMPARE(errors.count(), 0);
        const int frames = rig.surface.frameCount;
        QTRY_VERIFY_WITH_TIMEOUT(rig.surface.frameCount > frames, Wait);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rig.pipeline.state(), int(GST_STATE_PLAYING));
    }

    // A picture is shown while the camera sends nothing after it: the decode branch does not
    // wait for the next picture to learn that one has ended, nor holds pictures of its own.
    // Several slices a picture are joined as well; the first picture, while the decoder
    // starts, is no exception. The recording branch still gets the depayloader's units as
    // they are.
    void aPictureIsShownWhileNothingFollows_data()
    {
        QTest::addColumn<QStringList>("peerOptions");
        QTest::addColumn<int>("pictures");
        QTest::newRow("one slice, first picture") << QStringList {} << 1;
        QTest::newRow("one slice, fourth picture") << QStringList {} << 4;
        QTest::newRow("four slices, fourth picture") << QStringList { "--low-latency" } << 4;
    }

    void aPictureIsShownWhileNothingFollows()
    {
        QFETCH(QStringList, peerOptions);
        QFETCH(int, pictures);
        RtspPeer peer(QStringList { "--width", "320", "--height", "240" } + peerOptions);
        QVERIFY(peer.start());
        PictureGate gate;
        gate.pictureLimit = pictures;
        Rig rig(peer.url("/stream"));
        QVERIFY(rig.pipeline.start());
        gate.watch(child(rig.pipeline, "rtph264depay0"), child(rig.pipeline, "videooutputsink"));
        QTRY_VERIFY_WITH_TIMEOUT(gate.lastShown(), Wait);
        // The surface gets the newest picture; one that a newer replaced before the GUI thread
        // came to it is let go (under load), never the last.
        const auto allDelivered = [&rig, pictures] {
            const CGstVideoSurfaceSink::DeliveryStatistics statistics = rig.videoSink.deliveryStatistics();
            return statistics.received == quint64(pictures) && !rig.videoSink.hasPendingSample()
                   && statistics.shown >= 1 && statistics.shown + statistics.dropped == statistics.received
                   && quint64(rig.surface.frameCount) == statistics.shown;
        };
        QTRY_VERIFY_WITH_TIMEOUT(allDelivered(), Wait);
        QVERIFY(currentCaps(child(rig.pipeline, "recordingparser"), "sink").contains("alignment=(string)nal"));
        QVERIFY(currentCaps(child(rig.pipeline, "decodebin0"), "sink").contains("alignment=(string)au"));
        // The recording parser learns of a picture's end from the next one's start.
        if (pictures > 1)
            QVERIFY(rig.recordingSink.capsString().contains("alignment=(string)au"));
        QVERIFY(rig.pipeline.stop());
    }

    void onlyTheVideoPadOfTheSourceIsLinked()
    {
        RtspPeer peer({ "--audio" });
        QVERIFY(peer.start());
        Rig rig(peer.url("/stream"));
        QSignalSpy errors(&rig.pipeline, &CH264StreamingPipeline::pipelineErrorOccurred);
        QVERIFY(rig.pipeline.start());
        QTRY_VERIFY_WITH_TIMEOUT(rig.surface.frameCount >= 3, Wait);
        GstElement* source = child(rig.pipeline, "rtspsrc0");
        auto countPads = [source](bool linkedOnly) {
            int count = 0;
            GstIterator* iterator = gst_element_iterate_src_pads(source);
            GValue item = G_VALUE_INIT;
            while (gst_iterator_next(iterator, &item) == GST_ITERATOR_OK) {
                if (!linkedOnly || gst_pad_is_linked(GST_PAD(g_value_get_object(&item))))
                    ++count;
                g_value_reset(&item);
            }
            g_value_unset(&item);
            gst_iterator_free(iterator);
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(countPads(false), 2, Wait);
        QCOMPARE(countPads(true), 1);
        QCOMPARE(errors.count(), 0);
    }

    void pauseStopsTheSessionWhenAsked()
    {
        RtspPeer peer;
        QVERIFY(peer.start());
        Rig rig(peer.url("/stream"));
        rig.pipeline.setStopStreamOnPause(true);
        QVERIFY(rig.pipeline.start());
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_PLAYING), Wait);
        QVERIFY(rig.pipeline.pause());
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_NULL), Wait);
        const int frames = rig.surface.frameCount;
        QVERIFY(rig.pipeline.resume());
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_PLAYING), Wait);
        QTRY_VERIFY_WITH_TIMEOUT(rig.surface.frameCount > frames, Wait);
    }

    void destroyingAPlayingPipelineReleasesEverything()
    {
        RtspPeer peer;
        QVERIFY(peer.start());
        CGstVideoSurfaceSink videoSink;
        CGstBufferDistributionSink recordingSink;
        TestVideoSurface surface;
        videoSink.setVideoSurface(&surface);
        auto* pipeline = new CH264StreamingPipeline;
        pipeline->setVideoOutputSink(&videoSink);
        pipeline->setRecordingSink(&recordingSink);
        pipeline->setLocation(peer.url("/stream"));
        pipeline->setStreamCaps(ByteStreamCaps);
        QVERIFY(pipeline->start());
        QTRY_VERIFY_WITH_TIMEOUT(surface.frameCount >= 3, Wait);
        GstElement* top = pipeline->pipelineElement();
        gst_object_ref(top);
        delete pipeline;
        GstState current = GST_STATE_VOID_PENDING;
        gst_element_get_state(top, &current, nullptr, 0);
        QCOMPARE(current, GST_STATE_NULL);
        // A bin continues an asynchronous state change in a call queued to GStreamer's own
        // thread pool, which holds the pipeline until it has run (and found the state changed
        // since): under load that can be after the stop, so the last reference is waited for.
        QTRY_COMPARE_WITH_TIMEOUT(GST_OBJECT_REFCOUNT_VALUE(top), 1, Wait);
        gst_object_unref(top);
        QVERIFY(videoSink.appSinkElement() == nullptr);
        QVERIFY(recordingSink.appSinkElement() == nullptr);
        QCoreApplication::processEvents();
        videoSink.setVideoSurface(nullptr);
    }

    void endOfStreamTakesThePipelineToNull()
    {
        RtspPeer peer;
        QVERIFY(peer.start());
        Rig rig(peer.url("/stream"));
        QSignalSpy ended(&rig.pipeline, &CH264StreamingPipeline::streamEnded);
        QVERIFY(rig.pipeline.start());
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_PLAYING), Wait);
        gst_element_send_event(rig.pipeline.pipelineElement(), gst_event_new_eos());
        QVERIFY(ended.wait(Wait));
        QTRY_COMPARE_WITH_TIMEOUT(rig.pipeline.state(), int(GST_STATE_NULL), Wait);
    }
};

QTEST_MAIN(tst_CH264StreamingPipeline)
#include "tst_CH264StreamingPipeline.moc"
