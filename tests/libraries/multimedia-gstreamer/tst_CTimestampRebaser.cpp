#include "CTimestampRebaser.h"

#include <QtTest>

using Ulx::GStreamer::CTimestampRebaser;

namespace {

constexpr GstClockTime Frame = GST_SECOND / 30;
constexpr GstClockTime None = GST_CLOCK_TIME_NONE;

struct Result
{
    bool accepted;
    GstClockTime pts;
    GstClockTime dts;
};

// An IDR slice; with first_mb_in_slice 0 it starts a picture, otherwise it continues one.
GstBuffer* slice(bool firstOfPicture)
{
    static const guint8 first[] = { 0, 0, 0, 1, 0x65, 0x88, 0x84 };
    static const guint8 further[] = { 0, 0, 0, 1, 0x65, 0x01, 0x84 };
    const guint8* data = firstOfPicture ? first : further;
    return gst_buffer_new_memdup(data, sizeof(first));
}

GstBuffer* buffer(GstClockTime pts, GstClockTime dts, bool firstOfPicture = true)
{
    GstBuffer* buffer = slice(firstOfPicture);
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DTS(buffer) = dts;
    return buffer;
}

void release(QVector<GstBuffer*>& buffers)
{
    for (GstBuffer* buffer : qAsConst(buffers))
        gst_buffer_unref(buffer);
    buffers.clear();
}

Result feed(CTimestampRebaser& rebaser, GstClockTime pts, GstClockTime dts)
{
    GstBuffer* buffer = gst_buffer_new();
    GST_BUFFER_PTS(buffer) = pts;
    GST_BUFFER_DTS(buffer) = dts;
    const bool accepted = rebaser.rebase(buffer);
    const Result result { accepted, GST_BUFFER_PTS(buffer), GST_BUFFER_DTS(buffer) };
    gst_buffer_unref(buffer);
    return result;
}

} // namespace

// The rebaser decides what time a recorded frame gets in the file and whether it is there at
// all; its faults show as jumps, gaps or missing frames in the recording.
class tst_CTimestampRebaser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { gst_init(nullptr, nullptr); }

    void firstTimestampsBecomeZero()
    {
        CTimestampRebaser rebaser;
        const GstClockTime start = 12 * GST_SECOND;
        Result first = feed(rebaser, start + 2 * Frame, start);
        QVERIFY(first.accepted);
        QCOMPARE(first.pts, GstClockTime(0));
        QCOMPARE(first.dts, GstClockTime(0));
        Result second = feed(rebaser, start + 3 * Frame, start + Frame);
        QVERIFY(second.accepted);
        QCOMPARE(second.pts, Frame);
        QCOMPARE(second.dts, Frame);
    }

    void repeatedOrEarlierTimestampsAreDropped()
    {
        CTimestampRebaser rebaser;
        QVERIFY(feed(rebaser, 10 * Frame, 10 * Frame).accepted);
        QVERIFY(feed(rebaser, 11 * Frame, 11 * Frame).accepted);
        QVERIFY(!feed(rebaser, 11 * Frame, 11 * Frame).accepted);
        QVERIFY(!feed(rebaser, 12 * Frame, 11 * Frame).accepted); // same DTS
        QVERIFY(!feed(rebaser, 5 * Frame, 5 * Frame).accepted);   // before the first buffer
        QVERIFY(!feed(rebaser, 11 * Frame + 1, 10 * Frame + 1).accepted); // decoding time backwards
        QVERIFY(feed(rebaser, 12 * Frame, 12 * Frame).accepted);

        QVector<GstBuffer*> ready;
        rebaser.process(buffer(12 * Frame, 12 * Frame), ready);
        QCOMPARE(rebaser.droppedBufferCount(), 1);
        release(ready);
    }

    void streamWithoutDtsRecordsDtsFromPts()
    {
        CTimestampRebaser rebaser;
        for (int i = 0; i < 5; ++i) {
            const Result result = feed(rebaser, GST_SECOND + i * Frame, None);
            QVERIFY(result.accepted);
            QCOMPARE(result.pts, GstClockTime(i * Frame));
            QCOMPARE(result.dts, result.pts);
        }
    }

    void streamWithoutPtsRecordsPtsFromDts()
    {
        CTimestampRebaser rebaser;
        for (int i = 0; i < 5; ++i) {
            const Result result = feed(rebaser, None, GST_SECOND + i * Frame);
            QVERIFY(result.accepted);
            QCOMPARE(result.dts, GstClockTime(i * Frame));
            QCOMPARE(result.pts, result.dts);
        }
    }

    // Low-latency encoders leave access units without a PTS, or without any time stamp; each
    // one still belongs in the file, at its place in the timeline.
    void laterBufferWithoutPtsIsKept()
    {
        CTimestampRebaser rebaser;
        QVERIFY(feed(rebaser, 2 * GST_SECOND, 2 * GST_SECOND).accepted);
        const Result noPts = feed(rebaser, None, 2 * GST_SECOND + Frame);
        QVERIFY(noPts.accepted);
        QCOMPARE(noPts.pts, Frame);
        QCOMPARE(noPts.dts, Frame);
    }

    void buffersWithoutTimestampsArePlacedBetweenTheirNeighbours()
    {
        CTimestampRebaser rebaser;
        QVector<GstBuffer*> ready;
        rebaser.process(buffer(GST_SECOND, GST_SECOND), ready);
        rebaser.process(buffer(None, None), ready);
        rebaser.process(buffer(None, None), ready);
        // The last ready picture is kept back for slices that may follow.
        QCOMPARE(ready.size(), 0);
        QCOMPARE(rebaser.heldBufferCount(), 3);
        rebaser.process(buffer(GST_SECOND + 3 * Frame, GST_SECOND + 3 * Frame), ready);
        QCOMPARE(ready.size(), 3);
        rebaser.flush(ready);
        QCOMPARE(ready.size(), 4);
        for (int i = 0; i < ready.size(); ++i) {
            QCOMPARE(GST_BUFFER_PTS(ready.at(i)), GstClockTime(i) * Frame);
            QCOMPARE(GST_BUFFER_DTS(ready.at(i)), GstClockTime(i) * Frame);
        }
        release(ready);
    }

    void heldAtTheEndArePlacedAtTheStreamsPace()
    {
        CTimestampRebaser rebaser;
        QVector<GstBuffer*> ready;
        rebaser.process(buffer(GST_SECOND, GST_SECOND), ready);
        rebaser.process(buffer(GST_SECOND + Frame, GST_SECOND + Frame), ready);
        rebaser.process(buffer(None, None), ready);
        rebaser.flush(ready);
        QCOMPARE(ready.size(), 3);
        QCOMPARE(GST_BUFFER_PTS(ready.at(2)), 2 * Frame);
        release(ready);
    }

    // Untimed buffers that carry only further slices of a picture are part of that picture.
    void furtherSlicesJoinTheirPicture()
    {
        CTimestampRebaser rebaser;
        QVector<GstBuffer*> ready;
        rebaser.process(buffer(GST_SECOND, GST_SECOND), ready);
        rebaser.process(buffer(None, None, false), ready);
        rebaser.process(buffer(None, None, false), ready);
        rebaser.process(buffer(GST_SECOND + Frame, GST_SECOND + Frame), ready);
        rebaser.flush(ready);
        QCOMPARE(ready.size(), 2);
        QCOMPARE(rebaser.joinedBufferCount(), 2);
        QCOMPARE(gst_buffer_get_size(ready.at(0)), gsize(3 * 7));

        // Delimiters and parameter sets of a joining buffer are left out, its slices kept.
        CTimestampRebaser second;
        QVector<GstBuffer*> out;
        second.process(buffer(GST_SECOND, GST_SECOND), out);
        static const guint8 withHeaders[] = { 0, 0, 0, 1, 0x09, 0xf0, 0, 0, 0, 1, 0x67, 0x42, 0, 0, 1, 0x68, 0xce,
                                              0, 0, 0, 1, 0x65, 0x01, 0x84 };
        second.process(gst_buffer_new_memdup(withHeaders, sizeof(withHeaders)), out);
        second.flush(out);
        QCOMPARE(out.size(), 1);
        QCOMPARE(gst_buffer_get_size(out.at(0)), gsize(7 + 7));
        release(out);
        QCOMPARE(GST_BUFFER_PTS(ready.at(1)), Frame);
        release(ready);
    }

    void pictureStartIsReadFromTheSliceHeader()
    {
        const guint8 sps[] = { 0, 0, 0, 1, 0x67, 0x42, 0, 0, 0, 1, 0x65, 0x88 };
        QVERIFY(!CTimestampRebaser::startsPicture(sps, 6)); // parameter set only
        // The slice's header byte lies past the end: not a picture start.
        QVERIFY(!CTimestampRebaser::startsPicture(sps, sizeof(sps) - 1));
        const guint8 idr[] = { 0, 0, 1, 0x65, 0x88, 0x80 };
        QVERIFY(CTimestampRebaser::startsPicture(idr, sizeof(idr)));
        const guint8 second[] = { 0, 0, 1, 0x41, 0x7f, 0x80 };
        QVERIFY(!CTimestampRebaser::startsPicture(second, sizeof(second)));
        QVERIFY(!CTimestampRebaser::startsPicture(nullptr, 0));
    }

    void leadingBuffersWithoutTimestampsStartTheTimeline()
    {
        CTimestampRebaser rebaser;
        QVector<GstBuffer*> ready;
        rebaser.process(buffer(None, None), ready);
        QVERIFY(ready.isEmpty());
        rebaser.process(buffer(7 * GST_SECOND, 7 * GST_SECOND), ready);
        rebaser.process(buffer(7 * GST_SECOND + Frame, 7 * GST_SECOND + Frame), ready);
        rebaser.flush(ready);
        QCOMPARE(ready.size(), 3);
        QCOMPARE(GST_BUFFER_PTS(ready.at(0)), GstClockTime(0));
        QCOMPARE(GST_BUFFER_PTS(ready.at(1)), Frame);
        QCOMPARE(GST_BUFFER_PTS(ready.at(2)), 2 * Frame);
        release(ready);
    }

    void buffersWithoutTimestampsDuringPauseAreLeftOut()
    {
        CTimestampRebaser rebaser;
        QVector<GstBuffer*> ready;
        rebaser.process(buffer(GST_SECOND, GST_SECOND), ready);
        rebaser.process(buffer(None, None), ready);
        rebaser.pause();
        // The picture before the pause stays; the untimed one has no successor before it.
        QCOMPARE(rebaser.heldBufferCount(), 1);
        rebaser.process(buffer(None, None), ready);
        rebaser.process(buffer(GST_SECOND + 5 * Frame, GST_SECOND + 5 * Frame), ready);
        rebaser.resume();
        rebaser.flush(ready);
        QCOMPARE(ready.size(), 1);
        QCOMPARE(GST_BUFFER_PTS(ready.at(0)), GstClockTime(0));
        release(ready);
    }

    void pauseIsCutOut()
    {
        CTimestampRebaser rebaser;
        int frame = 0;
        for (; frame < 30; ++frame)
            QVERIFY(feed(rebaser, frame * Frame, frame * Frame).accepted);
        rebaser.pause();
        // Ten seconds of stream while paused: seen, not taken.
        for (; frame < 330; ++frame)
            QVERIFY(!feed(rebaser, frame * Frame, frame * Frame).accepted);
        rebaser.resume();
        const Result afterPause = feed(rebaser, frame * Frame, frame * Frame);
        QVERIFY(afterPause.accepted);
        QVERIFY2(afterPause.pts > 29 * Frame && afterPause.pts <= 31 * Frame,
                 qPrintable(QString::number(afterPause.pts)));
        QCOMPARE(afterPause.dts, afterPause.pts);
        // The next buffer follows one frame later.
        ++frame;
        QCOMPARE(feed(rebaser, frame * Frame, frame * Frame).pts, afterPause.pts + Frame);
    }

    // A pause during which no buffer arrived has nothing to cut out: the timeline must not
    // move back.
    void resumeWithoutBufferDuringPauseChangesNothing()
    {
        CTimestampRebaser rebaser;
        QVERIFY(feed(rebaser, GST_SECOND, GST_SECOND).accepted);
        QVERIFY(feed(rebaser, GST_SECOND + Frame, GST_SECOND + Frame).accepted);
        rebaser.pause();
        rebaser.resume();
        QCOMPARE(rebaser.pausedPts(), GstClockTime(0));
        QCOMPARE(rebaser.pausedDts(), GstClockTime(0));
        const Result next = feed(rebaser, GST_SECOND + 2 * Frame, GST_SECOND + 2 * Frame);
        QVERIFY(next.accepted);
        QCOMPARE(next.pts, 2 * Frame);
    }

    void resumeWhenNotPausedDoesNothing()
    {
        CTimestampRebaser rebaser;
        rebaser.resume();
        QCOMPARE(rebaser.state(), CTimestampRebaser::NotStarted);
        QVERIFY(feed(rebaser, GST_SECOND, GST_SECOND).accepted);
        rebaser.resume();
        QCOMPARE(rebaser.state(), CTimestampRebaser::Running);
        QCOMPARE(feed(rebaser, GST_SECOND + Frame, GST_SECOND + Frame).pts, Frame);
    }

    void resetStartsOver()
    {
        CTimestampRebaser rebaser;
        QVERIFY(feed(rebaser, GST_SECOND, GST_SECOND).accepted);
        rebaser.pause();
        QVERIFY(!feed(rebaser, 2 * GST_SECOND, 2 * GST_SECOND).accepted);
        rebaser.reset();
        QCOMPARE(rebaser.state(), CTimestampRebaser::NotStarted);
        QCOMPARE(feed(rebaser, 5 * GST_SECOND, 5 * GST_SECOND).pts, GstClockTime(0));
    }
};

QTEST_GUILESS_MAIN(tst_CTimestampRebaser)
#include "tst_CTimestampRebaser.moc"
