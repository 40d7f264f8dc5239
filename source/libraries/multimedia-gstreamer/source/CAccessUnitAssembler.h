#pragma once

#include <gst/gst.h>

#include <QByteArrayList>

#include <mutex>

namespace Ulx {
namespace GStreamer {

// Joins the NAL units a depayloader hands out one by one (byte-stream, nal alignment) into whole
// access units on one pad, and tells the element behind that pad the stream is au-aligned.
// The H.264 parser in front of the decoder cannot know from nal-aligned input where a picture
// ends before the first unit of the next one arrives, which holds every picture back one frame
// interval; the RTP marker on the last unit of a picture says it at once.
//
// A unit with the marker flag completes the access unit it belongs to; for a stream without
// markers a unit with a new time stamp completes the one before (no later than the parser would).
// What is held is dropped on flush, on a new stream and at the end of the stream.
// A parameter set repeated after a slice of the same picture (some payloaders send one before
// every slice of a key frame) is left out: the parser would take it for the start of a new
// picture and the decoder would show each slice of the key frame on its own, leaving the upper
// slices stale until the next key frame.
// Buffers are joined by reference (gst_buffer_append), never copied while an access unit has
// fewer than the buffer's limit of memory blocks.
//
// Ownership: install() attaches an assembler to a pad as a probe; the pad owns it and deletes it
// when the probe goes (with the pad at the latest). Its callbacks run on the pad's streaming
// thread, the flush events also on the upstream thread, hence the mutex.
class CAccessUnitAssembler
{
public:
    // True for H.264 byte-stream caps with nal alignment, the only input this assembler is for.
    static bool isNalAligned(const GstCaps* caps);
    // Attaches a new assembler to the source pad; false when the probe cannot be added.
    static bool install(GstPad* pad);

    ~CAccessUnitAssembler();

private:
    CAccessUnitAssembler() = default;

    static GstPadProbeReturn onProbe(GstPad* pad, GstPadProbeInfo* info, gpointer userData);
    static void destroy(gpointer userData);

    GstPadProbeReturn takeEvent(GstPadProbeInfo* info);
    GstFlowReturn takeBuffer(GstPad* pad, GstBuffer* buffer);
    GstFlowReturn forward(GstPad* pad, GstBuffer* accessUnit);
    void dropHeld();
    // Under the mutex: true when the unit only repeats a parameter set of the held picture.
    bool repeatsHeldParameterSet(GstBuffer* unit);
    void forgetHeldLocked();

    std::mutex m_mutex;
    // The access unit being assembled, or null.
    GstBuffer* m_held = nullptr;
    guint m_heldUnits = 0;
    bool m_heldHasSlice = false;
    QByteArrayList m_heldParameterSets;
    // Set while this assembler pushes an access unit through its own pad.
    bool m_forwarding = false;
};

} // namespace GStreamer
} // namespace Ulx
