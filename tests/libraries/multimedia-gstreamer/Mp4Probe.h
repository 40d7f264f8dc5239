#pragma once

#include <QString>

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <atomic>

// Reads back an MP4 file the way a player would: the discoverer for duration and video
// format, a decoding pipeline for the number of frames that really decode. Every wait is
// bounded.
struct Mp4Probe
{
    bool discovered = false;
    bool isH264 = false;
    int width = 0;
    int height = 0;
    qint64 durationMs = -1;
    int decodedFrames = -1;

    static Mp4Probe inspect(const QString& fileName, int timeoutSeconds = 60)
    {
        Mp4Probe probe;
        GError* error = nullptr;
        GstDiscoverer* discoverer = gst_discoverer_new(GstClockTime(timeoutSeconds) * GST_SECOND, &error);
        if (!discoverer) {
            g_clear_error(&error);
            return probe;
        }
        gchar* uri = gst_filename_to_uri(fileName.toUtf8().constData(), nullptr);
        GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, &error);
        g_clear_error(&error);
        if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
            probe.discovered = true;
            probe.durationMs = qint64(gst_discoverer_info_get_duration(info) / GST_MSECOND);
            GList* streams = gst_discoverer_info_get_video_streams(info);
            if (streams) {
                auto* video = GST_DISCOVERER_VIDEO_INFO(streams->data);
                probe.width = int(gst_discoverer_video_info_get_width(video));
                probe.height = int(gst_discoverer_video_info_get_height(video));
                GstCaps* caps = gst_discoverer_stream_info_get_caps(GST_DISCOVERER_STREAM_INFO(video));
                if (caps) {
                    probe.isH264 = gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-h264");
                    gst_caps_unref(caps);
                }
            }
            gst_discoverer_stream_info_list_free(streams);
        }
        if (info)
            g_object_unref(info);
        g_free(uri);
        g_object_unref(discoverer);
        probe.decodedFrames = countDecodedFrames(fileName, timeoutSeconds);
        return probe;
    }

    static int countDecodedFrames(const QString& fileName, int timeoutSeconds)
    {
        gchar* location = g_strescape(fileName.toUtf8().constData(), nullptr);
        gchar* description = g_strdup_printf(
            "filesrc location=\"%s\" ! qtdemux ! h264parse ! avdec_h264 ! fakesink name=sink sync=false "
            "signal-handoffs=true",
            location);
        g_free(location);
        GError* error = nullptr;
        GstElement* pipeline = gst_parse_launch(description, &error);
        g_free(description);
        if (!pipeline || error) {
            g_clear_error(&error);
            if (pipeline)
                gst_object_unref(pipeline);
            return -1;
        }
        std::atomic<int> frames { 0 };
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer*, GstPad*, gpointer data) {
                             ++*static_cast<std::atomic<int>*>(data);
                         }),
                         &frames);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, GstClockTime(timeoutSeconds) * GST_SECOND,
            static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (message)
            gst_message_unref(message);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        g_signal_handlers_disconnect_matched(sink, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &frames);
        gst_object_unref(sink);
        gst_object_unref(pipeline);
        return ok ? frames.load() : -1;
    }
};
