#include "misc/CVideoRenderer.h"

namespace Ulx {
namespace GStreamer {

namespace {

enum { PropertyRenderer = 1 };

struct QtVideoRendererInstance
{
    GObject parent;
    CVideoRenderer* renderer;
};

struct QtVideoRendererClass
{
    GObjectClass parentClass;
};

gpointer s_parentClass = nullptr;

void setProperty(GObject* object, guint propertyId, const GValue* value, GParamSpec* spec)
{
    auto* self = reinterpret_cast<QtVideoRendererInstance*>(object);
    if (propertyId == PropertyRenderer)
        self->renderer = static_cast<CVideoRenderer*>(g_value_get_pointer(value));
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, propertyId, spec);
}

void getProperty(GObject* object, guint propertyId, GValue* value, GParamSpec* spec)
{
    auto* self = reinterpret_cast<QtVideoRendererInstance*>(object);
    if (propertyId == PropertyRenderer)
        g_value_set_pointer(value, self->renderer);
    else
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, propertyId, spec);
}

void finalize(GObject* object)
{
    G_OBJECT_CLASS(s_parentClass)->finalize(object);
}

void classInit(gpointer klass, gpointer)
{
    s_parentClass = g_type_class_peek_parent(klass);
    GObjectClass* objectClass = G_OBJECT_CLASS(klass);
    objectClass->set_property = &setProperty;
    objectClass->get_property = &getProperty;
    objectClass->finalize = &finalize;
    g_object_class_install_property(
        objectClass, PropertyRenderer,
        g_param_spec_pointer("renderer", "Qt Renderer", "",
                             static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS)));
}

void instanceInit(GTypeInstance* instance, gpointer)
{
    reinterpret_cast<QtVideoRendererInstance*>(instance)->renderer = nullptr;
}

GstElement* createVideoSink(GstPlayerVideoRenderer* self, GstPlayer*)
{
    auto* instance = reinterpret_cast<QtVideoRendererInstance*>(self);
    return instance->renderer ? instance->renderer->videoSink() : nullptr;
}

void interfaceInit(gpointer iface, gpointer)
{
    static_cast<GstPlayerVideoRendererInterface*>(iface)->create_video_sink = &createVideoSink;
}

} // namespace

GType CVideoRenderer::rendererType()
{
    static gsize type = 0;
    if (g_once_init_enter(&type)) {
        const GTypeInfo info = { sizeof(QtVideoRendererClass),
                                 nullptr,
                                 nullptr,
                                 &classInit,
                                 nullptr,
                                 nullptr,
                                 sizeof(QtVideoRendererInstance),
                                 0,
                                 &instanceInit,
                                 nullptr };
        const GType registered =
            g_type_register_static(G_TYPE_OBJECT, "GstPlayerQtVideoRenderer", &info, static_cast<GTypeFlags>(0));
        const GInterfaceInfo interfaceInfo = { &interfaceInit, nullptr, nullptr };
        g_type_add_interface_static(registered, GST_TYPE_PLAYER_VIDEO_RENDERER, &interfaceInfo);
        g_once_init_leave(&type, registered);
    }
    return static_cast<GType>(type);
}

CVideoRenderer::CVideoRenderer()
{
    m_renderer = G_OBJECT(g_object_new(rendererType(), "renderer", this, nullptr));
    m_videoSink = gst_element_factory_make("appsink", nullptr);
    if (m_videoSink)
        gst_object_ref_sink(m_videoSink);
}

CVideoRenderer::~CVideoRenderer()
{
    if (m_renderer)
        g_object_unref(m_renderer);
    if (m_videoSink)
        gst_object_unref(m_videoSink);
}

GstPlayerVideoRenderer* CVideoRenderer::renderer() const
{
    return m_renderer ? GST_PLAYER_VIDEO_RENDERER(g_object_ref(m_renderer)) : nullptr;
}

} // namespace GStreamer
} // namespace Ulx
