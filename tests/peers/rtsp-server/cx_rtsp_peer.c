/*
 * Stands in for a camera system's RTSP server: serves live test video encoded with x264enc
 * (no B-frames, a key frame every second, parameter sets with every key frame) on 127.0.0.1.
 *
 * Mounts, as the system types address them:
 *   /stream         port-9001 style encoder boards
 *   /cam0_0         camera path of the binary-link systems
 *   /               the address without a path, for user "ZP", password "9274" only: on the main
 *                   listener (anonymous requests for it are challenged, so a client sends the
 *                   credentials of its address), and on a second listener without anonymous
 *                   access at all, whose port is printed as "AUTH <port>"
 *   /0              the open form "rtsp://:@host/0"
 *   /liveRTSP/av2   the HTTP-CGI camera's path, TCP transport only
 *
 * Every family's address thus answers on one port, as the systems' own servers do.
 *
 * Options: --port N (0: any free port), --address A (a loopback address, 127.0.0.1 by default;
 *          several simulated systems each get their own), --width W, --height H, --fps F,
 *          --pattern NAME (videotestsrc pattern), --audio (add an audio stream to every mount),
 *          --low-latency (the encoder of low-latency cameras: sliced threads, so several slices
 *          make up each frame, and a key frame every two seconds),
 *          --mode-file PATH (a file holding "width height fps", written by an encoder-board
 *          simulator: every new client gets the picture size and rate the file names then, so a
 *          mode change on the board shows in the picture),
 *          --stamp (draw each frame's capture time into the picture, see below; without
 *          --low-latency the encoder then runs on one thread, so that it does not hold frames of
 *          its own for frame-parallel encoding and the measured delay is the receiver's).
 * Frame stamps: with --stamp, the time of the monotonic clock (g_get_monotonic_time, in
 * microseconds) at which a raw frame leaves the test source is drawn into its top left corner
 * before encoding, as 64 bits, most significant first, in two rows of 32 blocks of 16x16 luma
 * pixels (235 for a one, 16 for a zero). A receiver on the same machine reads the blocks back
 * after decoding and so measures the delay from capture to display on one clock.
 * Prints "AUTH <port>" and then "READY <port>" on stdout once it listens; runs until killed.
 */
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>
#include <gst/video/video.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct {
    const char* address;
    const char* port;
    int width;
    int height;
    int fps;
    const char* pattern;
    gboolean audio;
    gboolean lowLatency;
    gboolean stamp;
} PeerOptions;

enum { StampBlock = 16, StampBlocksPerRow = 32, StampRows = 2 };

/* Draws the capture time into the frame (see the header comment). */
static GstPadProbeReturn stamp_frame(GstPad* pad, GstPadProbeInfo* info, gpointer userData)
{
    (void)userData;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo video;
    const gboolean known = caps && gst_video_info_from_caps(&video, caps);
    if (caps)
        gst_caps_unref(caps);
    if (!known || GST_VIDEO_INFO_WIDTH(&video) < StampBlock * StampBlocksPerRow
        || GST_VIDEO_INFO_HEIGHT(&video) < StampBlock * StampRows)
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &video, buffer, GST_MAP_WRITE))
        return GST_PAD_PROBE_OK;
    const guint64 stamp = (guint64)g_get_monotonic_time();
    guint8* luma = GST_VIDEO_FRAME_PLANE_DATA(&frame, 0);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    for (int bit = 0; bit < StampBlocksPerRow * StampRows; ++bit) {
        const guint8 value = ((stamp >> (63 - bit)) & 1) ? 235 : 16;
        const int left = (bit % StampBlocksPerRow) * StampBlock;
        const int top = (bit / StampBlocksPerRow) * StampBlock;
        for (int row = 0; row < StampBlock; ++row)
            memset(luma + (gsize)(top + row) * stride + left, value, StampBlock);
    }
    gst_video_frame_unmap(&frame);
    return GST_PAD_PROBE_OK;
}

/* Hooks the stamp probe into a new client's pipeline (only a --stamp line has a stamper). */
static void on_media_configure_stamp(GstRTSPMediaFactory* factory, GstRTSPMedia* media, gpointer userData)
{
    (void)factory;
    (void)userData;
    GstElement* element = gst_rtsp_media_get_element(media);
    GstElement* stamper = gst_bin_get_by_name_recurse_up(GST_BIN(element), "stamper");
    if (stamper) {
        GstPad* pad = gst_element_get_static_pad(stamper, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, stamp_frame, NULL, NULL);
        gst_object_unref(pad);
        gst_object_unref(stamper);
    }
    gst_object_unref(element);
}

static gchar* build_launch_line(const PeerOptions* options)
{
    gchar* video = g_strdup_printf(
        "videotestsrc is-live=true pattern=%s ! video/x-raw,format=I420,width=%d,height=%d,framerate=%d/1 "
        "%s! x264enc tune=zerolatency sliced-threads=%s threads=%d speed-preset=ultrafast bframes=0 key-int-max=%d "
        "! video/x-h264,profile=constrained-baseline ! rtph264pay name=pay0 pt=96 config-interval=-1",
        options->pattern, options->width, options->height, options->fps,
        options->stamp ? "! identity name=stamper " : "", options->lowLatency ? "true" : "false",
        options->lowLatency ? 4 : (options->stamp ? 1 : 0), options->lowLatency ? 2 * options->fps : options->fps);
    gchar* line;
    if (options->audio)
        line = g_strdup_printf("( %s audiotestsrc is-live=true wave=sine ! audioconvert ! audioresample "
                               "! alawenc ! rtppcmapay name=pay1 pt=8 )",
                               video);
    else
        line = g_strdup_printf("( %s )", video);
    g_free(video);
    return line;
}

/*
 * The main listener's authenticator: like the default one, except that a request for the root
 * address without the right credentials loses its anonymous token, which makes the server
 * challenge it (401) instead of denying the path (404). A client then sends the credentials of
 * its address, as it does with the systems' own servers.
 */
typedef struct {
    GstRTSPAuth parent;
} PeerAuth;

typedef struct {
    GstRTSPAuthClass parent_class;
} PeerAuthClass;

G_DEFINE_TYPE(PeerAuth, peer_auth, GST_TYPE_RTSP_AUTH)

static gboolean is_root_path(const GstRTSPUrl* uri)
{
    return uri && (!uri->abspath || uri->abspath[0] == '\0' || strcmp(uri->abspath, "/") == 0);
}

static gboolean peer_auth_authenticate(GstRTSPAuth* auth, GstRTSPContext* ctx)
{
    GstRTSPAuthClass* parent = GST_RTSP_AUTH_CLASS(peer_auth_parent_class);
    if (parent->authenticate && !parent->authenticate(auth, ctx))
        return FALSE;
    if (ctx->token && is_root_path(ctx->uri)) {
        const gchar* role = gst_rtsp_token_get_string(ctx->token, GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE);
        if (!role || strcmp(role, "user") != 0)
            ctx->token = NULL;
    }
    return TRUE;
}

static void peer_auth_class_init(PeerAuthClass* klass)
{
    GST_RTSP_AUTH_CLASS(klass)->authenticate = peer_auth_authenticate;
}

static void peer_auth_init(PeerAuth* self)
{
    (void)self;
}

static const char* g_modeFile = NULL;

/* Reads "width height fps" from the mode file; FALSE when it is missing or unreadable. */
static gboolean read_mode_file(int* width, int* height, int* fps)
{
    gchar* text = NULL;
    if (!g_modeFile || !g_file_get_contents(g_modeFile, &text, NULL, NULL))
        return FALSE;
    int w = 0, h = 0, f = 0;
    const gboolean ok = sscanf(text, "%d %d %d", &w, &h, &f) == 3 && w > 0 && w <= 4096 && h > 0 && h <= 4096
                        && f > 0 && f <= 120;
    g_free(text);
    if (ok) {
        *width = w;
        *height = h;
        *fps = f;
    }
    return ok;
}

/* Points the first raw-video caps filter of a new client's pipeline at the board's mode. */
static void on_media_configure(GstRTSPMediaFactory* factory, GstRTSPMedia* media, gpointer user_data)
{
    (void)factory;
    (void)user_data;
    int width = 0, height = 0, fps = 0;
    if (!read_mode_file(&width, &height, &fps))
        return;
    GstElement* bin = gst_rtsp_media_get_element(media);
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(bin));
    GValue item = G_VALUE_INIT;
    gboolean done = FALSE;
    while (!done && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElement* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* kind = gst_element_get_factory(element);
        if (kind && strcmp(GST_OBJECT_NAME(kind), "capsfilter") == 0) {
            GstCaps* caps = NULL;
            g_object_get(element, "caps", &caps, NULL);
            if (caps && gst_caps_get_size(caps) > 0
                && gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-raw")) {
                GstCaps* changed = gst_caps_copy(caps);
                gst_caps_set_simple(changed, "width", G_TYPE_INT, width, "height", G_TYPE_INT, height, "framerate",
                                    GST_TYPE_FRACTION, fps, 1, NULL);
                g_object_set(element, "caps", changed, NULL);
                gst_caps_unref(changed);
                done = TRUE;
            }
            if (caps)
                gst_caps_unref(caps);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    gst_object_unref(bin);
}

static GstRTSPMediaFactory* add_mount(GstRTSPMountPoints* mounts, const char* path, const gchar* launch,
                                      gboolean anonymous, gboolean tcpOnly)
{
    GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, launch);
    g_signal_connect(factory, "media-configure", G_CALLBACK(on_media_configure_stamp), NULL);
    gst_rtsp_media_factory_set_shared(factory, FALSE);
    if (tcpOnly)
        gst_rtsp_media_factory_set_protocols(factory, GST_RTSP_LOWER_TRANS_TCP);
    gst_rtsp_media_factory_add_role(factory, "user", GST_RTSP_PERM_MEDIA_FACTORY_ACCESS, G_TYPE_BOOLEAN, TRUE,
                                    GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, NULL);
    if (anonymous)
        gst_rtsp_media_factory_add_role(factory, "anonymous", GST_RTSP_PERM_MEDIA_FACTORY_ACCESS, G_TYPE_BOOLEAN,
                                        TRUE, GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, NULL);
    if (g_modeFile)
        g_signal_connect(factory, "media-configure", G_CALLBACK(on_media_configure), NULL);
    gst_rtsp_mount_points_add_factory(mounts, path, factory);
    return factory;
}

static int parse_int(const char* text, int fallback)
{
    char* end = NULL;
    long value = strtol(text, &end, 10);
    if (!end || *end != '\0' || value <= 0 || value > 10000)
        return fallback;
    return (int)value;
}

int main(int argc, char* argv[])
{
    PeerOptions options = { "127.0.0.1", "0", 640, 360, 30, "smpte", FALSE, FALSE, FALSE };
    gst_init(&argc, &argv);
    for (int i = 1; i < argc; ++i) {
        const gboolean hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--port") == 0 && hasValue)
            options.port = argv[++i];
        else if (strcmp(argv[i], "--address") == 0 && hasValue)
            options.address = argv[++i];
        else if (strcmp(argv[i], "--width") == 0 && hasValue)
            options.width = parse_int(argv[++i], options.width);
        else if (strcmp(argv[i], "--height") == 0 && hasValue)
            options.height = parse_int(argv[++i], options.height);
        else if (strcmp(argv[i], "--fps") == 0 && hasValue)
            options.fps = parse_int(argv[++i], options.fps);
        else if (strcmp(argv[i], "--pattern") == 0 && hasValue)
            options.pattern = argv[++i];
        else if (strcmp(argv[i], "--audio") == 0)
            options.audio = TRUE;
        else if (strcmp(argv[i], "--low-latency") == 0)
            options.lowLatency = TRUE;
        else if (strcmp(argv[i], "--mode-file") == 0 && hasValue)
            g_modeFile = argv[++i];
        else if (strcmp(argv[i], "--stamp") == 0)
            options.stamp = TRUE;
        else {
            fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }

    if (strncmp(options.address, "127.", 4) != 0) {
        fprintf(stderr, "only loopback addresses: %s\n", options.address);
        return 2;
    }

    GMainLoop* loop = g_main_loop_new(NULL, FALSE);
    gchar* launch = build_launch_line(&options);

    GstRTSPServer* server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, options.address);
    gst_rtsp_server_set_service(server, options.port);
    GstRTSPAuth* openAuth = g_object_new(peer_auth_get_type(), NULL);
    GstRTSPToken* anonymous = gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, "anonymous", NULL);
    gst_rtsp_auth_set_default_token(openAuth, anonymous);
    gst_rtsp_token_unref(anonymous);
    GstRTSPToken* openUser = gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, "user", NULL);
    gchar* openBasic = gst_rtsp_auth_make_basic("ZP", "9274");
    gst_rtsp_auth_add_basic(openAuth, openBasic, openUser);
    g_free(openBasic);
    gst_rtsp_token_unref(openUser);
    gst_rtsp_server_set_auth(server, openAuth);
    g_object_unref(openAuth);
    GstRTSPMountPoints* mounts = gst_rtsp_server_get_mount_points(server);
    add_mount(mounts, "/stream", launch, TRUE, FALSE);
    add_mount(mounts, "/cam0_0", launch, TRUE, FALSE);
    add_mount(mounts, "/0", launch, TRUE, FALSE);
    add_mount(mounts, "/liveRTSP/av2", launch, TRUE, TRUE);
    add_mount(mounts, "/", launch, FALSE, FALSE);
    g_object_unref(mounts);

    /* No default token: anonymous requests are challenged, "ZP" with "9274" is let in. */
    GstRTSPServer* authServer = gst_rtsp_server_new();
    gst_rtsp_server_set_address(authServer, options.address);
    gst_rtsp_server_set_service(authServer, "0");
    GstRTSPAuth* auth = gst_rtsp_auth_new();
    GstRTSPToken* user = gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, "user", NULL);
    gchar* basic = gst_rtsp_auth_make_basic("ZP", "9274");
    gst_rtsp_auth_add_basic(auth, basic, user);
    g_free(basic);
    gst_rtsp_token_unref(user);
    gst_rtsp_server_set_auth(authServer, auth);
    g_object_unref(auth);
    GstRTSPMountPoints* authMounts = gst_rtsp_server_get_mount_points(authServer);
    add_mount(authMounts, "/", launch, FALSE, FALSE);
    g_object_unref(authMounts);
    g_free(launch);

    if (gst_rtsp_server_attach(server, NULL) == 0 || gst_rtsp_server_attach(authServer, NULL) == 0) {
        fprintf(stderr, "cannot listen on %s:%s\n", options.address, options.port);
        return 1;
    }
    printf("AUTH %d\n", gst_rtsp_server_get_bound_port(authServer));
    printf("READY %d\n", gst_rtsp_server_get_bound_port(server));
    fflush(stdout);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    g_object_unref(authServer);
    g_object_unref(server);
    return 0;
}
