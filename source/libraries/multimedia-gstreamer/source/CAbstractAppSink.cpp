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
    if (GstAppSink* previous = m_appSink.exchange(element)) {
        GstAppSinkCallbacks empty = {};
        gst_app_sink_set_callbacks(previous, &empty, nullptr, nullptr);
    }
    if (element) {
        GstAppSinkCallbacks callbacks = {};
        callbacks.eos = &CAbstractAppSink::callbackEOS;
        callbacks.new_preroll = &CAbstractAppSink::callbackNewPreroll;
        callbacks.new_sample = &CAbstractAppSink::callbackNewSample;
        gst_app_sink_set_callbacks(element, &callbacks, this, nullptr);
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
