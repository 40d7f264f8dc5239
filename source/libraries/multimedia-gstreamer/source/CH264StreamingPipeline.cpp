#include "CH264StreamingPipeline.h"

#include "CAccessUnitAssembler.h"
#include "CGstBufferDistributionSink.h"
#include "CGstVideoSurfaceSink.h"
#include "GstErrorMapping.h"

#include <CLogger.h>
#include <PeerConnections.h>

#include <QTimerEvent>
#include <QUrl>

#include <gst/app/gstappsink.h>

using Tovrin::Logging::CLogger;
using Tovrin::Shared::PeerConnections;

namespace Ulx {
namespace GStreamer {

namespace {

const char RecordingCaps[] = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)au";
// RTSP lower transport restricted to TCP (GST_RTSP_LOWER_TRANS_TCP).
const guint RtspLowerTransportTcp = 4;
const quint16 DefaultRtspPort = 554;

} // namespace

CH264StreamingPipeline::CH264StreamingPipeline(QObject* parent)
    : CAbstractPipeline(parent)
{
    m_stateWorker.setMaxThreadCount(1);
}

CH264StreamingPipeline::~CH264StreamingPipeline()
{
    release();
}

void CH264StreamingPipeline::setLocation(const QString& location)
{
    m_location = location;
    const QUrl url(location);
    m_peerPort = quint16(url.port(DefaultRtspPort));
    // A name rather than an address: the port alone tells the RTSP connection.
    const QHostAddress host(url.host());
    m_peerAddresses = host.isNull() ? QList<QHostAddress>() : QList<QHostAddress>{host};
}

bool CH264StreamingPipeline::start()
{
    return changeState(GST_STATE_PLAYING);
}

bool CH264StreamingPipeline::stop()
{
    return changeState(GST_STATE_NULL);
}

bool CH264StreamingPipeline::pause()
{
    return changeState(m_stopStreamOnPause ? GST_STATE_NULL : GST_STATE_PAUSED);
}

bool CH264StreamingPipeline::resume()
{
    return changeState(GST_STATE_PLAYING);
}

void CH264StreamingPipeline::notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage)
{
    if (m_stopCutConnections) {
        CLogger::logMessage(CLogger::LogLevelInfo, "H264StreamingPipeline",
                            "An error after the stop cut the camera's connections is not reported",
                            { errorDomain, errorCode, errorMessage });
        return;
    }
    emit pipelineErrorOccurred(errorDomain, errorCode, errorMessage);
    changeState(GST_STATE_NULL);
}

void CH264StreamingPipeline::notifyEndOfStream()
{
    emit streamEnded();
    changeState(GST_STATE_NULL);
}

bool CH264StreamingPipeline::prepareStateChange(GstState target)
{
    // The state last asked for, not the last reported: a retry may come before the stop's NULL
    // is reported, and its attempt needs its watch as much as the first.
    if (target != GST_STATE_NULL && m_requestedState == GST_STATE_NULL) {
        if (m_location.isEmpty())
            return false;
        build();
        if (m_built)
            g_object_set(G_OBJECT(m_rtspSource), "location", m_location.toUtf8().constData(), nullptr);
        m_depayloaderHeldBytes = 0;
        m_unitLimitReported = false;
        m_sourcePadAdded = false;
        m_interleavedBytes = 0;
        m_requestsSent = 0;
        m_answerLimitReported = false;
        if (m_built)
            m_answerWatchTimer.start(AnswerWatchMs, this);
    }
    return m_built;
}

bool CH264StreamingPipeline::changeState(GstState target)
{
    if (!prepareStateChange(target) || !m_pipeline)
        return false;
    m_requestedState = target;
    if (target != GST_STATE_NULL)
        m_stopCutConnections = false;
    auto* element = GST_ELEMENT(gst_object_ref(m_pipeline));
    ++m_pendingChanges;
    // The object outlives the task: release() waits for the worker.
    m_stateWorker.start([this, element, target] {
        const GstStateChangeReturn result = gst_element_set_state(element, target);
        gst_object_unref(element);
        --m_pendingChanges;
        if (result == GST_STATE_CHANGE_FAILURE) {
            QMetaObject::invokeMethod(this, [target] {
                CLogger::logMessage(CLogger::LogLevelWarning, "H264StreamingPipeline", "State change failed",
                                    { int(target) });
            }, Qt::QueuedConnection);
        } else if (target == GST_STATE_NULL) {
            // The pipeline flushes its bus on the way to NULL, so the last state-changed message
            // may never be delivered; the change to NULL has ended here, so report it instead.
            QMetaObject::invokeMethod(this, "asyncNotifyStateChanged", Qt::QueuedConnection,
                                      Q_ARG(int, GST_STATE_NULL));
        }
    });
    // The answer watch goes on through the stop: the source reads on until the stop has ended.
    if (target == GST_STATE_NULL)
        m_stopGraceTimer.start(StopGraceMs, this);
    return true;
}

void CH264StreamingPipeline::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_answerWatchTimer.timerId()) {
        if (m_requestedState == GST_STATE_NULL && !isChangingState()) {
            m_answerWatchTimer.stop();
            return;
        }
        // The source may try again on a connection of its own (another RTSP version, TCP after
        // UDP): the watch goes on until the end of the stop.
        const qint64 received = PeerConnections::mostBytesReceived(m_peerPort, m_peerAddresses);
        const qint64 messages = received - m_interleavedBytes;
        const qint64 allowed = m_answerLimitBytes + m_requestsSent * AnswerAllowanceBytes;
        if (messages <= allowed || !PeerConnections::endSoleConnection(m_peerPort, m_peerAddresses))
            return;
        // While stopping, the read error that follows is the stop's, as after its own cut.
        if (m_requestedState == GST_STATE_NULL)
            m_stopCutConnections = true;
        if (m_answerLimitReported)
            return;
        m_answerLimitReported = true;
        CLogger::logMessage(CLogger::LogLevelError, "H264StreamingPipeline",
                            QStringLiteral("The camera's RTSP messages exceed %1 bytes; connections cut").arg(allowed),
                            { messages, m_sourcePadAdded.load() });
        // Once streaming, the source takes a cut connection for a server's and reconnects
        // (UDP), or its error may come after the picture watch's: the stream ends here, and
        // the source's error that follows is the cut's own.
        if (m_sourcePadAdded && m_requestedState != GST_STATE_NULL) {
            notifyErrorOccurred(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
                                QStringLiteral("The camera sent more than %1 bytes of RTSP messages.").arg(allowed));
            m_stopCutConnections = true;
        }
        return;
    }
    if (event->timerId() != m_stopGraceTimer.timerId()) {
        CAbstractPipeline::timerEvent(event);
        return;
    }
    if (!isChangingState()) {
        m_stopGraceTimer.stop();
        return;
    }
    const int cut = PeerConnections::endSoleConnection(m_peerPort, m_peerAddresses) ? 1 : 0;
    m_stopCutConnections = m_stopCutConnections || cut > 0;
    CLogger::logMessage(CLogger::LogLevelWarning, "H264StreamingPipeline",
                        QStringLiteral("The stop did not end within %1 ms; connections to the camera cut").arg(StopGraceMs),
                        { cut });
}

void CH264StreamingPipeline::build()
{
    if (m_built || !m_videoOutputSink || !m_recordingSink)
        return;

    m_pipeline = gst_pipeline_new("pipeline");
    if (m_pipeline)
        gst_object_ref_sink(m_pipeline);
    m_rtspSource = gst_element_factory_make("rtspsrc", "rtspsrc0");
    m_depayloader = gst_element_factory_make("rtph264depay", "rtph264depay0");
    m_tee = gst_element_factory_make("tee", "tee0");
    m_decodeQueue = gst_element_factory_make("queue", "queue0");
    m_decoder = gst_element_factory_make("decodebin", "decodebin0");
    m_videoConvert = gst_element_factory_make("videoconvert", "videoconvert0");
    m_videoOutputAppSink = gst_element_factory_make("appsink", "videooutputsink");
    m_recordingQueue = gst_element_factory_make("queue", "queue1");
    m_recordingParser = gst_element_factory_make("h264parse", "recordingparser");
    m_recordingAppSink = gst_element_factory_make("appsink", "recordingsink");

    GstElement** elements[] = { &m_rtspSource,   &m_depayloader,        &m_tee,
                                &m_decodeQueue,  &m_decoder,            &m_videoConvert,
                                &m_videoOutputAppSink, &m_recordingQueue, &m_recordingParser,
                                &m_recordingAppSink };
    bool allCreated = m_pipeline != nullptr;
    for (GstElement** element : elements)
        allCreated = allCreated && *element != nullptr;
    if (!allCreated) {
        // Nothing is in the bin yet, so each element is released on its own.
        for (GstElement** element : elements) {
            if (*element)
                gst_object_ref_sink(*element);
            releaseElement(*element);
        }
        releaseElement(m_pipeline);
        forgetSinkElements();
        CLogger::logMessage(CLogger::LogLevelError, "H264StreamingPipeline", "Element creation failed");
        emit pipelineErrorOccurred(OwnErrorDomain, -2, QStringLiteral("Internal error."));
        return;
    }

    g_object_set(G_OBJECT(m_rtspSource), "latency", m_latency, nullptr);
    if (m_rtspOverTcp)
        g_object_set(G_OBJECT(m_rtspSource), "protocols", RtspLowerTransportTcp, nullptr);
    g_object_set(G_OBJECT(m_recordingParser), "disable-passthrough", TRUE, nullptr);
    // The RTSP source stops the camera's stream when paused, so a sink waiting for a preroll
    // buffer would hold the pipeline between PLAYING and PAUSED for good, and resume() would
    // find it still "playing" and do nothing. The live sinks therefore do not preroll.
    g_object_set(G_OBJECT(m_videoOutputAppSink), "async", FALSE, nullptr);
    g_object_set(G_OBJECT(m_recordingAppSink), "async", FALSE, nullptr);

    g_signal_connect(m_rtspSource, "pad-added", G_CALLBACK(&CH264StreamingPipeline::onSourcePadAdded), this);
    g_signal_connect(m_rtspSource, "before-send", G_CALLBACK(&CH264StreamingPipeline::onBeforeSend), this);
    g_signal_connect(m_rtspSource, "new-manager", G_CALLBACK(&CH264StreamingPipeline::onNewManager), this);
    g_signal_connect(m_decoder, "pad-added", G_CALLBACK(&CH264StreamingPipeline::onDecoderPadAdded), m_videoConvert);
    if (m_preferSoftwareDecoding)
        g_signal_connect(m_decoder, "autoplug-sort", G_CALLBACK(&CH264StreamingPipeline::onAutoplugSort), nullptr);

    gst_bin_add_many(GST_BIN(m_pipeline), m_rtspSource, m_depayloader, m_tee, m_decodeQueue, m_decoder,
                     m_videoConvert, m_videoOutputAppSink, m_recordingQueue, m_recordingParser, m_recordingAppSink,
                     nullptr);

    GstCaps* streamCaps = gst_caps_from_string(m_streamCaps.constData());
    GstCaps* recordingCaps = gst_caps_from_string(RecordingCaps);
    bool linked = streamCaps && recordingCaps
                  && gst_element_link_filtered(m_depayloader, m_tee, streamCaps)
                  && gst_element_link(m_decodeQueue, m_decoder)
                  && gst_element_link(m_videoConvert, m_videoOutputAppSink)
                  && gst_element_link(m_recordingQueue, m_recordingParser)
                  && gst_element_link_filtered(m_recordingParser, m_recordingAppSink, recordingCaps);
    if (linked) {
        GstPadTemplate* teeTemplate =
            gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(m_tee), "src_%u");
        GstPad* teeDecodePad = gst_element_request_pad(m_tee, teeTemplate, nullptr, nullptr);
        GstPad* teeRecordingPad = gst_element_request_pad(m_tee, teeTemplate, nullptr, nullptr);
        GstPad* decodeSink = gst_element_get_static_pad(m_decodeQueue, "sink");
        GstPad* recordingSink = gst_element_get_static_pad(m_recordingQueue, "sink");
        linked = teeDecodePad && teeRecordingPad && decodeSink && recordingSink
                 && gst_pad_link(teeDecodePad, decodeSink) == GST_PAD_LINK_OK
                 && gst_pad_link(teeRecordingPad, recordingSink) == GST_PAD_LINK_OK;
        // The tee keeps its request pads; only our references go.
        for (GstPad* pad : { teeDecodePad, teeRecordingPad, decodeSink, recordingSink }) {
            if (pad)
                gst_object_unref(pad);
        }
    }
    if (linked && CAccessUnitAssembler::isNalAligned(streamCaps)) {
        // The decode branch alone gets whole pictures, so a picture is decoded when its last
        // unit arrives rather than when the next picture begins; the recording branch keeps
        // the depayloader's units as they are.
        GstPad* decodeSource = gst_element_get_static_pad(m_decodeQueue, "src");
        linked = CAccessUnitAssembler::install(decodeSource);
        if (decodeSource)
            gst_object_unref(decodeSource);
    }
    if (streamCaps)
        gst_caps_unref(streamCaps);
    if (recordingCaps)
        gst_caps_unref(recordingCaps);

    if (!linked) {
        release();
        CLogger::logMessage(CLogger::LogLevelError, "H264StreamingPipeline", "Linking failed",
                            { QString::fromUtf8(m_streamCaps) });
        emit pipelineErrorOccurred(OwnErrorDomain, -1, QStringLiteral("Internal error."));
        return;
    }

    GstPad* depayloaderInput = gst_element_get_static_pad(m_depayloader, "sink");
    GstPad* depayloaderOutput = gst_element_get_static_pad(m_depayloader, "src");
    const auto buffers = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST);
    gst_pad_add_probe(depayloaderInput, buffers, &CH264StreamingPipeline::onDepayloaderInput, this, nullptr);
    gst_pad_add_probe(depayloaderOutput, buffers, &CH264StreamingPipeline::onDepayloaderOutput, this, nullptr);
    gst_object_unref(depayloaderInput);
    gst_object_unref(depayloaderOutput);

    installBusHandler(m_pipeline);
    m_videoOutputSink->setAppSinkElement(GST_APP_SINK(m_videoOutputAppSink));
    m_recordingSink->setAppSinkElement(GST_APP_SINK(m_recordingAppSink));
    m_built = true;
}

void CH264StreamingPipeline::forgetSinkElements()
{
    if (m_videoOutputSink && m_videoOutputSink->appSinkElement() == GST_APP_SINK_CAST(m_videoOutputAppSink))
        m_videoOutputSink->setAppSinkElement(nullptr);
    if (m_recordingSink && m_recordingSink->appSinkElement() == GST_APP_SINK_CAST(m_recordingAppSink))
        m_recordingSink->setAppSinkElement(nullptr);
}

void CH264StreamingPipeline::release()
{
    if (m_pipeline) {
        // Stop every streaming thread first, so no callback can run during the tear-down; a
        // peer that holds the stop gets its connection cut rather than the caller held.
        if (m_built)
            changeState(GST_STATE_NULL);
        if (!m_stateWorker.waitForDone(StopGraceMs)) {
            PeerConnections::endSoleConnection(m_peerPort, m_peerAddresses);
            m_stateWorker.waitForDone();
        }
        m_stopGraceTimer.stop();
        m_answerWatchTimer.stop();
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        removeBusHandler(m_pipeline);
        if (m_rtspSource)
            g_signal_handlers_disconnect_by_data(m_rtspSource, this);
        if (m_decoder) {
            g_signal_handlers_disconnect_by_func(m_decoder,
                                                 reinterpret_cast<gpointer>(&CH264StreamingPipeline::onDecoderPadAdded),
                                                 m_videoConvert);
            g_signal_handlers_disconnect_by_func(m_decoder,
                                                 reinterpret_cast<gpointer>(&CH264StreamingPipeline::onAutoplugSort),
                                                 nullptr);
        }
    }
    forgetSinkElements();
    // The bin owns the elements; dropping the pipeline releases them all.
    releaseElement(m_pipeline);
    m_rtspSource = m_depayloader = m_tee = m_decodeQueue = m_decoder = m_videoConvert = nullptr;
    m_videoOutputAppSink = m_recordingQueue = m_recordingParser = m_recordingAppSink = nullptr;
    m_built = false;
}

// Streaming thread: counts what the depayloader takes in until it gives a unit out, and
// refuses the rest of a unit past the limit with a stream error, which stops the pipeline.
GstPadProbeReturn CH264StreamingPipeline::onDepayloaderInput(GstPad* pad, GstPadProbeInfo* info, gpointer userData)
{
    auto* self = static_cast<CH264StreamingPipeline*>(userData);
    const qint64 size = (info->type & GST_PAD_PROBE_TYPE_BUFFER)
        ? qint64(gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info)))
        : qint64(gst_buffer_list_calculate_size(GST_PAD_PROBE_INFO_BUFFER_LIST(info)));
    if (self->m_depayloaderHeldBytes.fetch_add(size) + size <= self->m_unitLimitBytes)
        return GST_PAD_PROBE_OK;
    if (!self->m_unitLimitReported.exchange(true)) {
        GstObject* depayloader = gst_pad_get_parent(pad);
        GError* error = g_error_new(GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE,
                                    "The camera sent more than %lld bytes of one picture without its end.",
                                    static_cast<long long>(self->m_unitLimitBytes));
        gst_element_post_message(GST_ELEMENT(depayloader), gst_message_new_error(depayloader, error, nullptr));
        g_error_free(error);
        gst_object_unref(depayloader);
    }
    return GST_PAD_PROBE_DROP;
}

GstPadProbeReturn CH264StreamingPipeline::onDepayloaderOutput(GstPad* pad, GstPadProbeInfo* info, gpointer userData)
{
    Q_UNUSED(pad)
    Q_UNUSED(info)
    static_cast<CH264StreamingPipeline*>(userData)->m_depayloaderHeldBytes = 0;
    return GST_PAD_PROBE_OK;
}

// Streaming thread: links the video pad of the RTSP source to the depayloader, once.
void CH264StreamingPipeline::onSourcePadAdded(GstElement* source, GstPad* pad, gpointer userData)
{
    Q_UNUSED(source)
    auto* self = static_cast<CH264StreamingPipeline*>(userData);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    if (!caps)
        return;
    const GstStructure* structure = gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    const gchar* media = structure ? gst_structure_get_string(structure, "media") : nullptr;
    self->m_sourcePadAdded = true;
    if (media && g_strcmp0(media, "video") == 0) {
        GstPad* sinkPad = gst_element_get_static_pad(self->m_depayloader, "sink");
        if (sinkPad) {
            if (!gst_pad_is_linked(sinkPad))
                gst_pad_link(pad, sinkPad);
            gst_object_unref(sinkPad);
        }
    }
    gst_caps_unref(caps);
}

// Source's thread: each request may bring an answer (a keep-alive's too).
gboolean CH264StreamingPipeline::onBeforeSend(GstElement* source, GstRTSPMessage* message, gpointer userData)
{
    Q_UNUSED(source)
    if (message && message->type == GST_RTSP_MESSAGE_REQUEST)
        ++static_cast<CH264StreamingPipeline*>(userData)->m_requestsSent;
    return TRUE;
}

void CH264StreamingPipeline::onNewManager(GstElement* source, GstElement* manager, gpointer userData)
{
    Q_UNUSED(source)
    g_signal_connect(manager, "pad-added", G_CALLBACK(&CH264StreamingPipeline::onManagerPadAdded), userData);
}

// The RTP manager's inputs: what the RTSP connection interleaves reaches them from the
// source's own pads, what comes over UDP from a UDP source; only the former is counted.
void CH264StreamingPipeline::onManagerPadAdded(GstElement* manager, GstPad* pad, gpointer userData)
{
    Q_UNUSED(manager)
    const gchar* name = GST_PAD_NAME(pad);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SINK
        || !(g_str_has_prefix(name, "recv_rtp_sink") || g_str_has_prefix(name, "recv_rtcp_sink")))
        return;
    g_signal_connect(pad, "linked", G_CALLBACK(&CH264StreamingPipeline::onManagerPadLinked), userData);
    GstPad* peer = gst_pad_get_peer(pad);
    if (peer) {
        onManagerPadLinked(pad, peer, userData);
        gst_object_unref(peer);
    }
}

void CH264StreamingPipeline::onManagerPadLinked(GstPad* pad, GstPad* peer, gpointer userData)
{
    GstElement* from = gst_pad_get_parent_element(peer);
    GstElementFactory* factory = from ? gst_element_get_factory(from) : nullptr;
    const bool overUdp = factory && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "udpsrc") == 0;
    if (from)
        gst_object_unref(from);
    if (overUdp || g_object_get_data(G_OBJECT(pad), "cx-interleaved-counted"))
        return;
    g_object_set_data(G_OBJECT(pad), "cx-interleaved-counted", pad);
    gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                      &CH264StreamingPipeline::onInterleavedData, userData, nullptr);
}

// Source's thread: each interleaved packet came with four bytes of framing.
GstPadProbeReturn CH264StreamingPipeline::onInterleavedData(GstPad* pad, GstPadProbeInfo* info, gpointer userData)
{
    Q_UNUSED(pad)
    qint64 bytes = 0;
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        bytes = 4 + qint64(gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info)));
    } else {
        GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info);
        bytes = 4 * qint64(gst_buffer_list_length(list)) + qint64(gst_buffer_list_calculate_size(list));
    }
    static_cast<CH264StreamingPipeline*>(userData)->m_interleavedBytes += bytes;
    return GST_PAD_PROBE_OK;
}

// Streaming thread: links the decoded pad to the converter, once.
void CH264StreamingPipeline::onDecoderPadAdded(GstElement* decoder, GstPad* pad, gpointer userData)
{
    Q_UNUSED(decoder)
    auto* converter = static_cast<GstElement*>(userData);
    GstPad* sinkPad = gst_element_get_static_pad(converter, "sink");
    if (!sinkPad)
        return;
    if (!gst_pad_is_linked(sinkPad))
        gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);
}

G_GNUC_BEGIN_IGNORE_DEPRECATIONS
// Streaming thread: moves the software decoder to the front of decodebin's candidates.
GValueArray* CH264StreamingPipeline::onAutoplugSort(GstElement* bin, GstPad* pad, GstCaps* caps,
                                                    GValueArray* factories, gpointer userData)
{
    Q_UNUSED(bin)
    Q_UNUSED(pad)
    Q_UNUSED(caps)
    Q_UNUSED(userData)
    GstElementFactory* softwareDecoder = gst_element_factory_find("avdec_h264");
    if (!softwareDecoder)
        return nullptr;
    GValueArray* result = nullptr;
    for (guint i = 1; i < factories->n_values; ++i) {
        if (g_value_get_object(g_value_array_get_nth(factories, i)) == softwareDecoder) {
            result = g_value_array_copy(factories);
            GValue entry = G_VALUE_INIT;
            g_value_init(&entry, G_VALUE_TYPE(g_value_array_get_nth(factories, i)));
            g_value_copy(g_value_array_get_nth(factories, i), &entry);
            g_value_array_prepend(result, &entry);
            g_value_unset(&entry);
            g_value_array_remove(result, i + 1);
            break;
        }
    }
    gst_object_unref(softwareDecoder);
    return result;
}
G_GNUC_END_IGNORE_DEPRECATIONS

} // namespace GStreamer
} // namespace Ulx
