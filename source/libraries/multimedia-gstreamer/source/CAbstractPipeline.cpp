#include "CAbstractPipeline.h"

#include <QMetaObject>
#include <QThread>

namespace Ulx {
namespace GStreamer {

namespace {

class CTeardownThread : public QThread
{
public:
    CTeardownThread()
    {
        setObjectName(QStringLiteral("PipelineTeardown"));
        start();
    }
    // Objects still waiting are deleted as the thread ends.
    ~CTeardownThread() override
    {
        quit();
        wait();
    }
};

Q_GLOBAL_STATIC(CTeardownThread, teardownThread)

} // namespace

CAbstractPipeline::CAbstractPipeline(QObject* parent)
    : QObject(parent)
{
}

CAbstractPipeline::~CAbstractPipeline()
{
    releasePipeline();
}

void CAbstractPipeline::retire(CAbstractPipeline* pipeline)
{
    if (!pipeline)
        return;
    pipeline->setParent(nullptr);
    pipeline->moveToThread(teardownThread());
    pipeline->deleteLater();
}

void CAbstractPipeline::asyncNotifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage)
{
    notifyErrorOccurred(errorDomain, errorCode, errorMessage);
}

void CAbstractPipeline::asyncNotifyStateChanged(int newState)
{
    notifyStateChanged(newState);
}

void CAbstractPipeline::asyncNotifyEndOfStream()
{
    notifyEndOfStream();
}

void CAbstractPipeline::notifyErrorOccurred(uint errorDomain, int errorCode, QString errorMessage)
{
    emit pipelineErrorOccurred(errorDomain, errorCode, errorMessage);
}

void CAbstractPipeline::notifyStateChanged(int newState)
{
    if (newState == m_state)
        return;
    m_state = newState;
    emit stateChanged(newState);
}

void CAbstractPipeline::notifyEndOfStream()
{
    emit streamEnded();
}

bool CAbstractPipeline::changeState(GstState target)
{
    if (!prepareStateChange(target) || !m_pipeline)
        return false;
    const GstStateChangeReturn result = gst_element_set_state(m_pipeline, target);
    if (result == GST_STATE_CHANGE_FAILURE)
        return false;
    // The pipeline flushes its bus on the way to NULL, so the last state-changed message may
    // never be delivered; the change to NULL is synchronous, so report it here instead.
    if (target == GST_STATE_NULL)
        QMetaObject::invokeMethod(this, "asyncNotifyStateChanged", Qt::QueuedConnection,
                                  Q_ARG(int, GST_STATE_NULL));
    return true;
}

void CAbstractPipeline::installBusHandler(GstElement* element)
{
    if (!element)
        return;
    GstBus* bus = gst_element_get_bus(element);
    if (!bus)
        return;
    gst_bus_set_sync_handler(bus, &CAbstractPipeline::busSyncHandler, this, nullptr);
    gst_object_unref(bus);
}

void CAbstractPipeline::removeBusHandler(GstElement* element)
{
    if (!element)
        return;
    GstBus* bus = gst_element_get_bus(element);
    if (!bus)
        return;
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
}

void CAbstractPipeline::releaseElement(GstElement*& element)
{
    if (element)
        gst_object_unref(element);
    element = nullptr;
}

void CAbstractPipeline::releasePipeline()
{
    if (!m_pipeline)
        return;
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    removeBusHandler(m_pipeline);
    releaseElement(m_pipeline);
}

GstBusSyncReply CAbstractPipeline::busSyncHandler(GstBus* bus, GstMessage* message, gpointer userData)
{
    Q_UNUSED(bus)
    auto* self = static_cast<CAbstractPipeline*>(userData);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        if (error) {
            // The debug text carries the system's reason (a write's errno text, for one).
            QString text = QString::fromUtf8(error->message);
            if (debug && *debug)
                text += QStringLiteral(" (%1)").arg(QString::fromUtf8(debug));
            QMetaObject::invokeMethod(self, "asyncNotifyErrorOccurred", Qt::QueuedConnection,
                                      Q_ARG(uint, static_cast<uint>(error->domain)), Q_ARG(int, error->code),
                                      Q_ARG(QString, text));
            g_error_free(error);
        }
        g_free(debug);
        break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
        // Only the pipeline's own state counts: a child reaching PLAYING says nothing about
        // whether the stream as a whole is up (the camera may still refuse the connection).
        GstObject* source = GST_MESSAGE_SRC(message);
        if (source && GST_OBJECT_PARENT(source) == nullptr) {
            GstState newState = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
            QMetaObject::invokeMethod(self, "asyncNotifyStateChanged", Qt::QueuedConnection,
                                      Q_ARG(int, static_cast<int>(newState)));
        }
        break;
    }
    case GST_MESSAGE_EOS:
        QMetaObject::invokeMethod(self, "asyncNotifyEndOfStream", Qt::QueuedConnection);
        break;
    default:
        break;
    }
    // Nothing pops this bus while the pipeline runs: a message passed on would stay queued for
    // the pipeline's whole life (every QoS, stream-status and element message of every
    // element). Only the end of stream and errors go on, for a bounded wait without an event
    // loop (finishing a recording at exit); there are at most a few of them before the
    // pipeline goes to NULL, which flushes the bus.
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR)
        return GST_BUS_PASS;
    // A sync handler that drops a message owns it.
    gst_message_unref(message);
    return GST_BUS_DROP;
}

} // namespace GStreamer
} // namespace Ulx
