#include "CAccessUnitAssembler.h"
#include "CGstMultimediaLibrary.h"

#include <QtTest>

#include <gst/gst.h>

using Ulx::GStreamer::CAccessUnitAssembler;

namespace {

const char NalCaps[] = "video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal";

GstBuffer* unit(const QByteArray& bytes, GstClockTime timestamp, bool marker = false, bool delta = false)
{
    GstBuffer* buffer = gst_buffer_new_memdup(bytes.constData(), gsize(bytes.size()));
    GST_BUFFER_PTS(buffer) = timestamp;
    if (marker)
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_MARKER);
    if (delta)
        GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
    return buffer;
}

// A unit from a string literal, zero bytes included.
template <int N>
GstBuffer* unit(const char (&literal)[N], GstClockTime timestamp, bool marker = false, bool delta = false)
{
    return unit(QByteArray(literal, N - 1), timestamp, marker, delta);
}

QByteArray bytesOf(GstBuffer* buffer)
{
    QByteArray bytes(int(gst_buffer_get_size(buffer)), '\0');
    gst_buffer_extract(buffer, 0, bytes.data(), gsize(bytes.size()));
    return bytes;
}

// A source pad with the assembler on it, linked to a sink pad that keeps what reaches it.
struct Link
{
    GstPad* source = gst_pad_new("src", GST_PAD_SRC);
    GstPad* sink = gst_pad_new("sink", GST_PAD_SINK);
    QList<QByteArray> received;
    QList<GstClockTime> timestamps;
    QList<bool> deltaUnits;
    QByteArray sinkCaps;

    Link()
    {
        gst_pad_set_element_private(sink, this);
        gst_pad_set_chain_function(sink, [](GstPad* pad, GstObject*, GstBuffer* buffer) {
            auto* self = static_cast<Link*>(gst_pad_get_element_private(pad));
            self->received << bytesOf(buffer);
            self->timestamps << GST_BUFFER_PTS(buffer);
            self->deltaUnits << GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
            gst_buffer_unref(buffer);
            return GST_FLOW_OK;
        });
        gst_pad_set_event_function(sink, [](GstPad* pad, GstObject*, GstEvent* event) {
            auto* self = static_cast<Link*>(gst_pad_get_element_private(pad));
            if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
                GstCaps* caps = nullptr;
                gst_event_parse_caps(event, &caps);
                gchar* text = gst_caps_to_string(caps);
                self->sinkCaps = text;
                g_free(text);
            }
            gst_event_unref(event);
            return gboolean(TRUE);
        });
        gst_pad_link(source, sink);
        gst_pad_set_active(sink, TRUE);
        gst_pad_set_active(source, TRUE);
        CAccessUnitAssembler::install(source);
        gst_pad_push_event(source, gst_event_new_stream_start("assembler"));
        GstCaps* caps = gst_caps_from_string(NalCaps);
        gst_pad_push_event(source, gst_event_new_caps(caps));
        gst_caps_unref(caps);
        startSegment();
    }
    void startSegment()
    {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        gst_pad_push_event(source, gst_event_new_segment(&segment));
    }
    ~Link()
    {
        gst_pad_set_active(source, FALSE);
        gst_pad_set_active(sink, FALSE);
        gst_object_unref(source);
        gst_object_unref(sink);
    }
    GstFlowReturn push(GstBuffer* buffer) { return gst_pad_push(source, buffer); }
};

} // namespace

class tst_CAccessUnitAssembler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void recognisesOnlyNalAlignedByteStreams()
    {
        for (const char* text : { "video/x-h264, stream-format=(string)avc, alignment=(string)au",
                                  "video/x-h264, stream-format=(string)byte-stream, alignment=(string)au",
                                  "video/x-h265, stream-format=(string)byte-stream, alignment=(string)nal" }) {
            GstCaps* caps = gst_caps_from_string(text);
            QVERIFY2(!CAccessUnitAssembler::isNalAligned(caps), text);
            gst_caps_unref(caps);
        }
        GstCaps* caps = gst_caps_from_string(NalCaps);
        QVERIFY(CAccessUnitAssembler::isNalAligned(caps));
        gst_caps_unref(caps);
    }

    // The marker completes a picture at once; units are joined in order, and what the sender
    // still holds of them (the tee's other branch) is left as it was.
    void markedUnitsGoOnAsOnePictureAtOnce()
    {
        Link link;
        QVERIFY(link.sinkCaps.contains("alignment=(string)au"));
        GstCaps* ownCaps = gst_pad_get_current_caps(link.source);
        QVERIFY(CAccessUnitAssembler::isNalAligned(ownCaps));
        gst_caps_unref(ownCaps);

        GstBuffer* shared = unit("\0\0\0\1\x09", 0);
        gst_buffer_ref(shared);
        QCOMPARE(link.push(shared), GST_FLOW_OK);
        QCOMPARE(link.push(unit("\0\0\0\1\x67sps", 0)), GST_FLOW_OK);
        QVERIFY(link.received.isEmpty());
        QCOMPARE(link.push(unit("\0\0\0\1\x65slice", 0, true)), GST_FLOW_OK);
        QCOMPARE(link.received, (QList<QByteArray> { QByteArray("\0\0\0\1\x09\0\0\0\1\x67sps\0\0\0\1\x65slice", 23) }));
        QCOMPARE(bytesOf(shared), QByteArray("\0\0\0\1\x09", 5));
        gst_buffer_unref(shared);

        // A parameter set repeated before each slice of a key frame is left out after the first
        // slice; a changed one is kept.
        link.push(unit("\0\0\0\1\x67sps", 20));
        link.push(unit("\0\0\0\1\x68pps", 20));
        link.push(unit("\0\0\0\1\x65top", 20));
        link.push(unit("\0\0\0\1\x67sps", 20));
        link.push(unit("\0\0\1\x68pps", 20));
        link.push(unit("\0\0\0\1\x68pps", 20));
        link.push(unit("\0\0\0\1\x68new", 20));
        link.push(unit("\0\0\0\1\x65low", 20, true));
        QCOMPARE(link.received.size(), 2);
        QCOMPARE(link.received.last(), QByteArray("\0\0\0\1\x67sps\0\0\0\1\x68pps\0\0\0\1\x65top"
                                                  "\0\0\1\x68pps\0\0\0\1\x68new\0\0\0\1\x65low", 47));

        // A buffer list is taken unit by unit.
        GstBufferList* list = gst_buffer_list_new();
        gst_buffer_list_add(list, unit("\0\0\0\1\x41one", 40));
        gst_buffer_list_add(list, unit("\0\0\0\1\x41two", 40, true));
        QCOMPARE(gst_pad_push_list(link.source, list), GST_FLOW_OK);
        QCOMPARE(link.received.size(), 3);
        QCOMPARE(link.received.last(), QByteArray("\0\0\0\1\x41one\0\0\0\1\x41two", 16));
        QCOMPARE(link.timestamps.last(), GstClockTime(40));
    }

    // Without markers a new time stamp completes the picture before; a flush, a new stream or
    // the end of the stream drop what is held.
    void unmarkedStreamsFlushesAndNewStreams()
    {
        Link link;
        link.push(unit("a", 0));
        link.push(unit("b", 0));
        link.push(unit("c", 33));
        QCOMPARE(link.received, (QList<QByteArray> { "ab" }));
        gst_pad_push_event(link.source, gst_event_new_flush_start());
        gst_pad_push_event(link.source, gst_event_new_flush_stop(TRUE));
        link.startSegment();
        link.push(unit("d", 66));
        gst_pad_push_event(link.source, gst_event_new_stream_start("again"));
        link.startSegment();
        link.push(unit("e", 99, true));
        QCOMPARE(link.received, (QList<QByteArray> { "ab", "e" }));
        link.push(unit("f", 133));
        gst_pad_push_event(link.source, gst_event_new_eos());
        QCOMPARE(link.received, (QList<QByteArray> { "ab", "e" }));
    }

    // A picture is a key frame when any of its units is not a delta unit, whichever comes
    // first; the decoder and the recording start on such pictures only.
    void joinedPictureIsAKeyFrameWhenAnyUnitIs()
    {
        Link link;
        link.push(unit("\0\0\0\1\x09", 0, false, true));
        link.push(unit("\0\0\0\1\x67sps", 0));
        link.push(unit("\0\0\0\1\x68pps", 0));
        link.push(unit("\0\0\0\1\x65idr", 0, true));
        link.push(unit("\0\0\0\1\x65top", 33));
        link.push(unit("\0\0\0\1\x65low", 33, true, true));
        link.push(unit("\0\0\0\1\x41top", 66, false, true));
        link.push(unit("\0\0\0\1\x41low", 66, true, true));
        QCOMPARE(link.received.size(), 3);
        QCOMPARE(link.deltaUnits, (QList<bool> { false, false, true }));
    }

    // A stream that neither marks nor time-stamps its pictures: units go on in access units of
    // at most 256, none held back beyond that.
    void heldUnitsAreCapped()
    {
        Link link;
        const int units = 2 * 256 + 10;
        for (int i = 0; i < units; ++i)
            QCOMPARE(link.push(unit("\0\0\1\x41s", 0)), GST_FLOW_OK);
        QCOMPARE(link.received.size(), 2);
        for (const QByteArray& accessUnit : qAsConst(link.received))
            QCOMPARE(accessUnit, QByteArray("\0\0\1\x41s", 5).repeated(256));
        // The rest goes on with the next picture.
        link.push(unit("\0\0\1\x41n", 33, true));
        QCOMPARE(link.received.size(), 4);
        QCOMPARE(link.received.at(2), QByteArray("\0\0\1\x41s", 5).repeated(units - 2 * 256));
    }
};

QTEST_GUILESS_MAIN(tst_CAccessUnitAssembler)
#include "tst_CAccessUnitAssembler.moc"
