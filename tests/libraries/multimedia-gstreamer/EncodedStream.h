#pragma once

#include <QByteArray>
#include <QVector>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

// A short H.264 stream encoded in the test (not live, so as fast as the encoder runs), as
// the buffer distribution sink would hand it on: byte-stream access units with in-band
// parameter sets, starting at a key frame.
struct EncodedStream
{
    QVector<GstBuffer*> buffers;
    QByteArray caps;

    EncodedStream() = default;
    EncodedStream(const EncodedStream&) = delete;
    EncodedStream& operator=(const EncodedStream&) = delete;
    ~EncodedStream()
    {
        for (GstBuffer* buffer : buffers)
            gst_buffer_unref(buffer);
    }

    // A copy of buffer i, to hand over to a processor that takes ownership.
    GstBuffer* copy(int i) const { return gst_buffer_copy(buffers.at(i)); }

    bool encode(int frames, int width, int height, int fps)
    {
        gchar* description = g_strdup_printf(
            "videotestsrc num-buffers=%d pattern=ball ! video/x-raw,format=I420,width=%d,height=%d,framerate=%d/1 "
            "! x264enc tune=zerolatency speed-preset=ultrafast bframes=0 key-int-max=%d "
            "! h264parse config-interval=-1 "
            "! video/x-h264,stream-format=byte-stream,alignment=au ! appsink name=sink sync=false",
            frames, width, height, fps, fps);
        GError* error = nullptr;
        GstElement* pipeline = gst_parse_launch(description, &error);
        g_free(description);
        if (!pipeline || error) {
            g_clear_error(&error);
            return false;
        }
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        bool ok = true;
        while (true) {
            GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 30 * GST_SECOND);
            if (!sample) {
                ok = gst_app_sink_is_eos(GST_APP_SINK(sink));
                break;
            }
            if (caps.isEmpty()) {
                gchar* text = gst_caps_to_string(gst_sample_get_caps(sample));
                caps = QByteArray(text, int(qstrlen(text)) + 1);
                g_free(text);
            }
            buffers.append(gst_buffer_ref(gst_sample_get_buffer(sample)));
            gst_sample_unref(sample);
        }
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(sink);
        gst_object_unref(pipeline);
        return ok && buffers.size() == frames;
    }
};
