#include "CAccessUnitAssembler.h"

namespace Ulx {
namespace GStreamer {

namespace {

// A stream that neither marks nor time-stamps its pictures must not make the assembler hold
// units without bound: this many are let go as one access unit.
const guint MaxUnitsPerAccessUnit = 256;

enum NalUnitType { CodedSlice = 1, IdrSlice = 5, SequenceParameterSet = 7, PictureParameterSet = 8 };

// The type of a byte-stream NAL unit (after its 3- or 4-byte start code), or 0.
int nalUnitType(GstBuffer* unit)
{
    guint8 head[5] = {};
    const gsize size = gst_buffer_extract(unit, 0, head, sizeof head);
    if (size >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 1)
        return head[3] & 0x1f;
    if (size >= 5 && head[0] == 0 && head[1] == 0 && head[2] == 0 && head[3] == 1)
        return head[4] & 0x1f;
    return 0;
}

} // namespace

bool CAccessUnitAssembler::isNalAligned(const GstCaps* caps)
{
    if (!caps || gst_caps_get_size(caps) != 1)
        return false;
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    return gst_structure_has_name(structure, "video/x-h264")
           && g_strcmp0(gst_structure_get_string(structure, "stream-format"), "byte-stream") == 0
           && g_strcmp0(gst_structure_get_string(structure, "alignment"), "nal") == 0;
}

bool CAccessUnitAssembler::install(GstPad* pad)
{
    if (!pad)
        return false;
    auto* assembler = new CAccessUnitAssembler;
    const auto mask = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST
                                      | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH);
    return gst_pad_add_probe(pad, mask, &CAccessUnitAssembler::onProbe, assembler, &CAccessUnitAssembler::destroy)
           != 0;
}

CAccessUnitAssembler::~CAccessUnitAssembler()
{
    dropHeld();
}

void CAccessUnitAssembler::destroy(gpointer userData)
{
    delete static_cast<CAccessUnitAssembler*>(userData);
}

// Streaming thread of the pad (flush events: the upstream thread).
GstPadProbeReturn CAccessUnitAssembler::onProbe(GstPad* pad, GstPadProbeInfo* info, gpointer userData)
{
    auto* self = static_cast<CAccessUnitAssembler*>(userData);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_BOTH)
        return self->takeEvent(info);
    // An access unit this assembler pushes itself passes as it is.
    if (self->m_forwarding)
        return GST_PAD_PROBE_OK;
    GstFlowReturn flow = GST_FLOW_OK;
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        flow = self->takeBuffer(pad, GST_PAD_PROBE_INFO_BUFFER(info));
    } else {
        GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info);
        const guint length = gst_buffer_list_length(list);
        for (guint i = 0; i < length && flow == GST_FLOW_OK; ++i)
            flow = self->takeBuffer(pad, gst_buffer_ref(gst_buffer_list_get(list, i)));
        gst_buffer_list_unref(list);
    }
    GST_PAD_PROBE_INFO_FLOW_RETURN(info) = flow;
    return GST_PAD_PROBE_HANDLED;
}

GstPadProbeReturn CAccessUnitAssembler::takeEvent(GstPadProbeInfo* info)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_CAPS: {
        // Only the link behind this pad sees whole access units; the pad's own caps stay.
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        if (isNalAligned(caps)) {
            GstCaps* assembled = gst_caps_copy(caps);
            gst_caps_set_simple(assembled, "alignment", G_TYPE_STRING, "au", nullptr);
            GstEvent* replacement = gst_event_new_caps(assembled);
            gst_caps_unref(assembled);
            gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = replacement;
        }
        break;
    }
    case GST_EVENT_EOS:
        // The pad takes no data after its end of stream; with markers only a partial picture
        // can be held here.
    case GST_EVENT_FLUSH_STOP:
    case GST_EVENT_STREAM_START:
        dropHeld();
        break;
    default:
        break;
    }
    return GST_PAD_PROBE_OK;
}

// Takes the buffer; returns the flow of what was pushed on.
GstFlowReturn CAccessUnitAssembler::takeBuffer(GstPad* pad, GstBuffer* buffer)
{
    const GstClockTime timestamp = GST_BUFFER_PTS(buffer);
    const bool last = GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_MARKER);
    const bool delta = GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
    GstBuffer* previous = nullptr;
    GstBuffer* complete = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_held && (GST_BUFFER_PTS(m_held) != timestamp || m_heldUnits >= MaxUnitsPerAccessUnit)) {
            previous = m_held;
            m_held = nullptr;
            forgetHeldLocked();
        }
        if (!last && repeatsHeldParameterSet(buffer)) {
            gst_buffer_unref(buffer);
        } else if (m_held) {
            // Appending made the held buffer this assembler's own, so its flags may change.
            m_held = gst_buffer_append(m_held, buffer);
            if (!delta)
                GST_BUFFER_FLAG_UNSET(m_held, GST_BUFFER_FLAG_DELTA_UNIT);
            if (last)
                GST_BUFFER_FLAG_SET(m_held, GST_BUFFER_FLAG_MARKER);
        } else {
            m_held = buffer;
        }
        ++m_heldUnits;
        if (last) {
            complete = m_held;
            m_held = nullptr;
            forgetHeldLocked();
        }
    }
    GstFlowReturn flow = GST_FLOW_OK;
    if (previous)
        flow = forward(pad, previous);
    if (complete) {
        if (flow == GST_FLOW_OK)
            flow = forward(pad, complete);
        else
            gst_buffer_unref(complete);
    }
    return flow;
}

GstFlowReturn CAccessUnitAssembler::forward(GstPad* pad, GstBuffer* accessUnit)
{
    m_forwarding = true;
    const GstFlowReturn flow = gst_pad_push(pad, accessUnit);
    m_forwarding = false;
    return flow;
}

void CAccessUnitAssembler::dropHeld()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_held)
        gst_buffer_unref(m_held);
    m_held = nullptr;
    forgetHeldLocked();
}

void CAccessUnitAssembler::forgetHeldLocked()
{
    m_heldUnits = 0;
    m_heldHasSlice = false;
    m_heldParameterSets.clear();
}

bool CAccessUnitAssembler::repeatsHeldParameterSet(GstBuffer* unit)
{
    const int type = nalUnitType(unit);
    if (type >= CodedSlice && type <= IdrSlice) {
        m_heldHasSlice = true;
        return false;
    }
    if (type != SequenceParameterSet && type != PictureParameterSet)
        return false;
    // Parameter sets are a few bytes and come with key frames only.
    QByteArray bytes(int(gst_buffer_get_size(unit)), '\0');
    gst_buffer_extract(unit, 0, bytes.data(), gsize(bytes.size()));
    if (m_heldHasSlice && m_heldParameterSets.contains(bytes))
        return true;
    m_heldParameterSets << bytes;
    return false;
}

} // namespace GStreamer
} // namespace Ulx
