#include "CAbstractAppSink.h"

namespace Ulx {
namespace GStreamer {

CAbstractAppSink::CAbstractAppSink(QObject* parent)
    : QObject(parent)
{
}

CAbstractAppSink::~CAbstractAppSink()
{
    setAppSinkElement(nullptr);
}

void CAbstractAppSink::notifyEndOfStream()
{
}

GstFlowReturn CAbstractAppSink::newPreroll()
{
    return GST_FLOW_OK;
}

GstFlowReturn CAbstractAppSink::newSample()
{
    return GST_FLOW_OK;
}

void CAbstractAppSink::setAppSinkElement(GstAppSink* element)
{
    if (m_appSink) {
        GstAppSinkCallbacks empty = {};
        gst_app_sink_set_callbacks(m_appSink, &empty, nullptr, nullptr);
    }
    m_appSink = element;
    if (m_appSink) {
        GstAppSinkCallbacks callbacks = {};
        callbacks.eos = &CAbstractAppSink::callbackEOS;
        callbacks.new_preroll = &CAbstractAppSink::callbackNewPreroll;
        callbacks.new_sample = &CAbstractAppSink::callbackNewSample;
        gst_app_sink_set_callbacks(m_appSink, &callbacks, this, nullptr);
    }
}

void CAbstractAppSink::callbackEOS(GstAppSink* sink, gpointer userData)
{
    Q_UNUSED(sink)
    auto* self = static_cast<CAbstractAppSink*>(userData);
    if (self->handlesEndOfStream())
        self->notifyEndOfStream();
}

GstFlowReturn CAbstractAppSink::callbackNewPreroll(GstAppSink* sink, gpointer userData)
{
    Q_UNUSED(sink)
    return static_cast<CAbstractAppSink*>(userData)->newPreroll();
}

GstFlowReturn CAbstractAppSink::callbackNewSample(GstAppSink* sink, gpointer userData)
{
    Q_UNUSED(sink)
    return static_cast<CAbstractAppSink*>(userData)->newSample();
}

} // namespace GStreamer
} // namespace Ulx
