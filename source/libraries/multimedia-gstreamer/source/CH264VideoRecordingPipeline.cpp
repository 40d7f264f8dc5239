#include "CH264VideoRecordingPipeline.h"

#include "CGstBufferDistributionSink.h"
#include "CTimestampRebaser.h"
#include "GstErrorMapping.h"

#include <CLogger.h>

#include <QFile>

#include <gst/app/gstappsrc.h>

using Tovrin::Logging::CLogger;

namespace Ulx {
namespace GStreamer {

namespace {

// The pipeline's own error codes: -1 linking, -2 element creation, -3 backlog over the limit,
// -4 a start that failed.
const int BacklogErrorCode = -3;
const int StartErrorCode = -4;

} // namespace

CH264VideoRecordingPipeline::CH264VideoRecordingPipeline(QObject* parent)
    : CAbstractPipeline(parent)
    , m_rebaser(new CTimestampRebaser)
{
    m_stateWorker.setMaxThreadCount(1);
}

CH264VideoRecordingPipeline::~CH264VideoRecordingPipeline()
{
    release();
}

bool CH264VideoRecordingPipeline::start(const QString& fileName)
{
    if (state() != GST_STATE_NULL)
        return false;
    m_fileName = fileName;
    m_rebaser->reset();
    m_pushedBuffers = 0;
    m_receivedBuffers = 0;
    m_ending = false;
    m_awaitingKeyFrame = false;
    m_active = changeState(GST_STATE_PLAYING);
    return m_active;
}

void CH264VideoRecordingPipeline::stop()
{
    if (!m_built)
        return;
    if (m_active && !m_ending) {
        endStream();
    } else if (!m_active) {
        changeState(GST_STATE_NULL);
    }
}

void CH264VideoRecordingPipeline::abort()
{
    m_active = false;
    changeState(GST_STATE_NULL);
}

void CH264VideoRecordingPipeline::discard()
{
    m_discarding = true;
    abort();
}

void CH264VideoRecordingPipeline::pause()
{
    m_awaitingKeyFrame = false;
    m_rebaser->pause();
}

void CH264VideoRecordingPipeline::resume()
{
    if (m_rebaser->state() == CTimestampRebaser::Paused)
        m_awaitingKeyFrame = true;
}

bool CH264VideoRecordingPipeline::finishBlocking(int timeoutMs)
{
    if (!m_built || !m_pipeline || !m_active)
        return false;
    if (!m_ending)
        endStream();
    bool finished = false;
    m_stateWorker.waitForDone();
    GstBus* bus = gst_element_get_bus(m_pipeline);
    if (bus) {
        // The sync handler passes every message on, so the end of stream also lands in the
        // bus queue where it can be waited for without an event loop.
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, static_cast<GstClockTime>(timeoutMs) * GST_MSECOND,
            static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (message) {
            finished = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
            gst_message_unref(message);
        }
        gst_object_unref(bus);
    }
    m_active = false;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    return finished;
}

void CH264VideoRecordingPipeline::processBuffer(GstBuffer* buffer)
{
    if (!buffer)
        return;
    if (!m_active || m_ending) {
        gst_buffer_unref(buffer);
        return;
    }
    ++m_receivedBuffers;
    if (m_awaitingKeyFrame && isKeyFrame(buffer)) {
        m_awaitingKeyFrame = false;
        m_rebaser->resume();
    }
    QVector<GstBuffer*> ready;
    m_rebaser->process(gst_buffer_make_writable(buffer), ready);
    pushBuffers(ready);
}

bool CH264VideoRecordingPipeline::isKeyFrame(GstBuffer* buffer)
{
    static const QByteArrayMatcher startCode(QByteArray("\0\0\0\1", 4));
    GstMapInfo info = GST_MAP_INFO_INIT;
    if (!gst_buffer_map(buffer, &info, GST_MAP_READ))
        return false;
    const bool keyFrame = CGstBufferDistributionSink::isKeyFrame(startCode, reinterpret_cast<const char*>(info.data),
                                                                 int(info.size));
    gst_buffer_unmap(buffer, &info);
    return keyFrame;
}

quint64 CH264VideoRecordingPipeline::joinedBufferCount() const
{
    return quint64(m_rebaser->joinedBufferCount());
}

bool CH264VideoRecordingPipeline::hasPictures() const
{
    return m_pushedBuffers > 0 || m_rebaser->heldBufferCount() > 0;
}

void CH264VideoRecordingPipeline::bufferQueueOverflowed()
{
    if (m_active && !m_ending)
        endWithError(QStringLiteral("Buffers for the recording piled up past their limit."));
}

qint64 CH264VideoRecordingPipeline::backlogBytes() const
{
    return m_appSource ? qint64(gst_app_src_get_current_level_bytes(GST_APP_SRC(m_appSource))) : 0;
}

void CH264VideoRecordingPipeline::pushBuffers(const QVector<GstBuffer*>& buffers)
{
    for (GstBuffer* ready : buffers) {
        if (gst_app_src_push_buffer(GST_APP_SRC(m_appSource), ready) == GST_FLOW_OK)
            ++m_pushedBuffers;
    }
    if (!m_ending && backlogBytes() > m_backlogLimit)
        endWithError(QStringLiteral("The recording could not be written fast enough."));
}

// Ends the file with what it has (so it plays) and reports the error; the end of stream then
// takes the pipeline to NULL. Buffers handed in meanwhile are released, not queued.
void CH264VideoRecordingPipeline::endWithError(const QString& reason)
{
    CLogger::logMessage(CLogger::LogLevelError, "H264VideoRecordingPipeline", "Ending the recording",
                        { m_fileName, reason, QString::number(backlogBytes()) });
    endStream();
    emit pipelineErrorOccurred(OwnErrorDomain, BacklogErrorCode, reason);
}

void CH264VideoRecordingPipeline::endStream()
{
    m_ending = true;
    m_awaitingKeyFrame = false;
    m_rebaser->resume();
    QVector<GstBuffer*> ready;
    m_rebaser->flush(ready);
    pushBuffers(ready);
    if (m_rebaser->droppedBufferCount() > 0)
        CLogger::logMessage(CLogger::LogLevelWarning, "H264VideoRecordingPipeline", "Buffers left out of the recording",
                            { m_fileName, QString::number(m_rebaser->droppedBufferCount()) });
    gst_app_src_end_of_stream(GST_APP_SRC(m_appSource));
}

void CH264VideoRecordingPipeline::notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage)
{
    m_active = false;
    emit pipelineErrorOccurred(errorDomain, errorCode, errorMessage);
    changeState(GST_STATE_NULL);
}

// A start that failed (the file could not be opened) never left NULL as far as the bus told:
// the end of its way back to NULL is reported all the same, so the recording ends.
void CH264VideoRecordingPipeline::notifyStateChanged(int newState)
{
    if (newState == GST_STATE_NULL && state() == GST_STATE_NULL)
        emit stateChanged(newState);
    else
        CAbstractPipeline::notifyStateChanged(newState);
}

void CH264VideoRecordingPipeline::notifyEndOfStream()
{
    m_active = false;
    emit streamEnded();
    changeState(GST_STATE_NULL);
}

// State changes wait for the streaming thread (held in a write to a slow disk, say) and open
// the file: they run in order on a worker thread of the object's own. Buffers pushed meanwhile
// wait in the appsrc, which keeps them from NULL on.
bool CH264VideoRecordingPipeline::changeState(GstState target)
{
    if (!prepareStateChange(target) || !m_pipeline)
        return false;
    auto* element = GST_ELEMENT(gst_object_ref(m_pipeline));
    ++m_pendingChanges;
    // The object outlives the task: release() waits for the worker.
    const QString removal = target == GST_STATE_NULL && m_discarding ? m_fileName : QString();
    m_stateWorker.start([this, element, target, removal] {
        const GstStateChangeReturn result = gst_element_set_state(element, target);
        gst_object_unref(element);
        // Only once the file is closed: the start that creates it may have run just before.
        if (!removal.isEmpty() && QFile::exists(removal) && !QFile::remove(removal))
            QMetaObject::invokeMethod(this, [removal] {
                CLogger::logMessage(CLogger::LogLevelError, "H264VideoRecordingPipeline", "Cannot remove the file",
                                    { removal });
            }, Qt::QueuedConnection);
        --m_pendingChanges;
        // The pipeline flushes its bus on the way to NULL, so its last state may never be
        // reported there; the change has ended here, so report it instead.
        if (target == GST_STATE_NULL)
            QMetaObject::invokeMethod(this, "asyncNotifyStateChanged", Qt::QueuedConnection, Q_ARG(int, GST_STATE_NULL));
        else if (result == GST_STATE_CHANGE_FAILURE)
            QMetaObject::invokeMethod(this, "asyncNotifyErrorOccurred", Qt::QueuedConnection,
                                      Q_ARG(uint, OwnErrorDomain), Q_ARG(int, StartErrorCode),
                                      Q_ARG(QString, QStringLiteral("Internal error.")));
    });
    return true;
}

bool CH264VideoRecordingPipeline::prepareStateChange(GstState target)
{
    if (target != GST_STATE_NULL && state() == GST_STATE_NULL) {
        if (m_fileName.isEmpty())
            return false;
        build();
        if (m_built)
            g_object_set(G_OBJECT(m_fileSink), "location", m_fileName.toUtf8().constData(), nullptr);
    }
    return m_built;
}

void CH264VideoRecordingPipeline::build()
{
    if (m_built)
        return;

    m_pipeline = gst_pipeline_new("pipeline");
    if (m_pipeline)
        gst_object_ref_sink(m_pipeline);
    m_appSource = gst_element_factory_make("appsrc", "appsrc0");
    m_videoParser = gst_element_factory_make("h264parse", "videoparser0");
    m_muxer = gst_element_factory_make("mp4mux", "muxer0");
    m_fileSink = gst_element_factory_make("filesink", "filesink0");

    GstElement** elements[] = { &m_appSource, &m_videoParser, &m_muxer, &m_fileSink };
    bool allCreated = m_pipeline != nullptr;
    for (GstElement** element : elements)
        allCreated = allCreated && *element != nullptr;
    if (!allCreated) {
        for (GstElement** element : elements) {
            if (*element)
                gst_object_ref_sink(*element);
            releaseElement(*element);
        }
        releaseElement(m_pipeline);
        CLogger::logMessage(CLogger::LogLevelError, "H264VideoRecordingPipeline", "Element creation failed");
        emit pipelineErrorOccurred(OwnErrorDomain, -2, QStringLiteral("Internal error."));
        return;
    }

    GstCaps* caps = gst_caps_from_string(m_streamCaps.constData());
    g_object_set(G_OBJECT(m_appSource), "caps", caps, "stream-type", 0, "format", GST_FORMAT_TIME, "max-bytes",
                 guint64(m_backlogLimit), nullptr);
    if (caps)
        gst_caps_unref(caps);
    g_object_set(G_OBJECT(m_videoParser), "disable-passthrough", TRUE, nullptr);
    // A fragmented file: one cut by a kill, a dead battery or a full drive plays up to its last
    // whole fragment. (Finalised into one index at the end, a cut file puts each fragment's
    // data before its header, which GStreamer's demuxer often reads only in part.)
    g_object_set(G_OBJECT(m_muxer), "fragment-duration", guint(FragmentMs), nullptr);

    gst_bin_add_many(GST_BIN(m_pipeline), m_appSource, m_videoParser, m_muxer, m_fileSink, nullptr);
    if (!gst_element_link_many(m_appSource, m_videoParser, m_muxer, m_fileSink, nullptr)) {
        release();
        CLogger::logMessage(CLogger::LogLevelError, "H264VideoRecordingPipeline", "Linking failed",
                            { QString::fromUtf8(m_streamCaps) });
        emit pipelineErrorOccurred(OwnErrorDomain, -1, QStringLiteral("Internal error."));
        return;
    }

    installBusHandler(m_pipeline);
    m_built = true;
}

void CH264VideoRecordingPipeline::release()
{
    m_stateWorker.waitForDone();
    releasePipeline();
    m_appSource = m_videoParser = m_muxer = m_fileSink = nullptr;
    m_built = false;
}

} // namespace GStreamer
} // namespace Ulx
