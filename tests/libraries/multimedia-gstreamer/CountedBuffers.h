#pragma once

#include <QByteArray>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <atomic>

// Buffers whose final release is counted (a weak reference on each), and a local pipeline that
// hands them to an appsink: "appsrc ! appsink" with the given caps. The test thread pushes
// buffers and can wait for the end of stream on the bus without turning the event loop, which
// stalls the GUI thread as a long QML load would.
struct CountedBuffers
{
    std::atomic<int> made { 0 };
    std::atomic<int> released { 0 };

    GstBuffer* make(const QByteArray& data)
    {
        GstBuffer* buffer = gst_buffer_new_memdup(data.constData(), gsize(data.size()));
        gst_mini_object_weak_ref(GST_MINI_OBJECT(buffer), &CountedBuffers::onReleased, this);
        ++made;
        return buffer;
    }

private:
    static void onReleased(gpointer data, GstMiniObject*) { ++static_cast<CountedBuffers*>(data)->released; }
};

class PushPipeline
{
public:
    explicit PushPipeline(const char* caps)
    {
        GError* error = nullptr;
        m_pipeline = gst_parse_launch("appsrc name=src is-live=true format=time ! appsink name=sink", &error);
        g_clear_error(&error);
        if (!m_pipeline)
            return;
        gst_object_ref_sink(m_pipeline);
        m_source = gst_bin_get_by_name(GST_BIN(m_pipeline), "src");
        m_sink = gst_bin_get_by_name(GST_BIN(m_pipeline), "sink");
        GstCaps* parsed = gst_caps_from_string(caps);
        g_object_set(m_source, "caps", parsed, nullptr);
        gst_caps_unref(parsed);
    }
    ~PushPipeline()
    {
        if (!m_pipeline)
            return;
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_source);
        gst_object_unref(m_sink);
        gst_object_unref(m_pipeline);
    }
    bool isValid() const { return m_source && m_sink; }
    GstAppSink* sink() const { return GST_APP_SINK(m_sink); }
    void stop() { gst_element_set_state(m_pipeline, GST_STATE_NULL); }
    bool play() { return gst_element_set_state(m_pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE; }
    // Takes the buffer's reference.
    bool push(GstBuffer* buffer)
    {
        GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) = m_next;
        GST_BUFFER_DURATION(buffer) = GST_SECOND / 30;
        m_next += GST_SECOND / 30;
        GstFlowReturn result = GST_FLOW_ERROR;
        g_signal_emit_by_name(m_source, "push-buffer", buffer, &result);
        gst_buffer_unref(buffer);
        return result == GST_FLOW_OK;
    }
    // Ends the stream and blocks this thread until the appsink has taken everything (bounded).
    bool finishWithoutEventLoop()
    {
        GstFlowReturn result = GST_FLOW_ERROR;
        g_signal_emit_by_name(m_source, "end-of-stream", &result);
        GstBus* bus = gst_element_get_bus(m_pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                         GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        const bool ended = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message)
            gst_message_unref(message);
        gst_object_unref(bus);
        return ended;
    }

private:
    GstElement* m_pipeline = nullptr;
    GstElement* m_source = nullptr;
    GstElement* m_sink = nullptr;
    GstClockTime m_next = 0;
};
