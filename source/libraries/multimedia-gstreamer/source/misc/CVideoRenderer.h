#pragma once

#include <gst/gst.h>
#include <gst/player/player.h>

namespace Ulx {
namespace GStreamer {

// Supplies the GStreamer player with its video sink: a GObject of type
// "GstPlayerQtVideoRenderer" implementing GstPlayerVideoRenderer, whose video sink is an
// appsink that the local video player drives with a CGstVideoSurfaceSink. The object owns one
// reference to the renderer instance and one to the appsink.
class CVideoRenderer
{
public:
    CVideoRenderer();
    ~CVideoRenderer();
    CVideoRenderer(const CVideoRenderer&) = delete;
    CVideoRenderer& operator=(const CVideoRenderer&) = delete;

    // A new reference; the caller (normally gst_player_new) takes it over.
    GstPlayerVideoRenderer* renderer() const;
    // Without a new reference.
    GstElement* videoSink() const { return m_videoSink; }

    // The registered GObject type, registered once on first use.
    static GType rendererType();

private:
    GObject* m_renderer = nullptr;
    GstElement* m_videoSink = nullptr;
};

} // namespace GStreamer
} // namespace Ulx
