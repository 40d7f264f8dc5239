#include "CGstMultimediaLibrary.h"
#include "CH264VideoRecordingPipeline.h"
#include "EncodedStream.h"
#include "GstErrorMapping.h"
#include "Mp4Probe.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::GStreamer::CH264VideoRecordingPipeline;

// The recording pipeline fed with an H.264 stream encoded in the test: stream time comes from
// the buffers, so pauses of several seconds cost no wall-clock time.
class tst_CH264VideoRecordingPipeline : public QObject
{
    Q_OBJECT

private:
    static constexpr int Fps = 30;
    EncodedStream m_stream;
    QTemporaryDir m_dir;

    // Waits until the pipeline has finished the file and gone back to NULL.
    static bool waitForNull(CH264VideoRecordingPipeline& pipeline, QSignalSpy& states)
    {
        for (int i = 0; i < 50; ++i) {
            for (const QList<QVariant>& arguments : qAsConst(states)) {
                if (arguments.at(0).toInt() == GST_STATE_NULL)
                    return true;
            }
            if (!states.wait(30000))
                return false;
        }
        Q_UNUSED(pipeline)
        return false;
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_stream.encode(10 * Fps, 160, 120, Fps), "the test stream could not be encoded");
    }

    void startWithoutFileNameFails()
    {
        CH264VideoRecordingPipeline pipeline;
        QSignalSpy errors(&pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred);
        QVERIFY(!pipeline.start(QString()));
        QVERIFY(!pipeline.isBuilt());
        QCOMPARE(errors.count(), 0);
        // Nothing built: stop and buffers are harmless.
        pipeline.stop();
        pipeline.processBuffer(m_stream.copy(0));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(0));
    }

    void recordsEveryAccessUnit()
    {
        const QString fileName = m_dir.filePath("whole.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QSignalSpy ended(&pipeline, &CH264VideoRecordingPipeline::streamEnded);
        QVERIFY(pipeline.start(fileName));
        for (int i = 0; i < 3 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QCOMPARE(pipeline.pushedBufferCount(), quint64(3 * Fps));
        QVERIFY(waitForNull(pipeline, states));
        QCOMPARE(ended.count(), 1);

        // Late buffers after the end are released, not pushed.
        pipeline.processBuffer(m_stream.copy(3 * Fps));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(3 * Fps));

        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY(probe.isH264);
        QCOMPARE(probe.width, 160);
        QCOMPARE(probe.height, 120);
        QVERIFY2(qAbs(probe.durationMs - 3000) <= 100, qPrintable(QString::number(probe.durationMs)));
        QCOMPARE(probe.decodedFrames, 3 * Fps);
    }

    // Ten seconds of stream with three of them paused: the file holds seven, without a gap.
    void pauseIsCutOutOfTheFile()
    {
        const QString fileName = m_dir.filePath("paused.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QVERIFY(pipeline.start(fileName));
        int i = 0;
        for (; i < 4 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.pause();
        for (; i < 7 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.resume();
        for (; i < 10 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QCOMPARE(pipeline.pushedBufferCount(), quint64(7 * Fps));
        QVERIFY(waitForNull(pipeline, states));

        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QVERIFY2(qAbs(probe.durationMs - 7000) <= 150, qPrintable(QString::number(probe.durationMs)));
        QCOMPARE(probe.decodedFrames, 7 * Fps);
    }

    void stopWhilePausedFinishesTheFile()
    {
        const QString fileName = m_dir.filePath("stoppedpaused.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy states(&pipeline, &CH264VideoRecordingPipeline::stateChanged);
        QVERIFY(pipeline.start(fileName));
        int i = 0;
        for (; i < 2 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.pause();
        for (; i < 3 * Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        pipeline.stop();
        QVERIFY(waitForNull(pipeline, states));
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, 2 * Fps);
    }

    void finishBlockingEndsTheFileWithoutEventLoop()
    {
        const QString fileName = m_dir.filePath("blocking.mp4");
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QVERIFY(pipeline.start(fileName));
        for (int i = 0; i < Fps; ++i)
            pipeline.processBuffer(m_stream.copy(i));
        QVERIFY(pipeline.finishBlocking(20000));
        QVERIFY(!pipeline.isActive());
        const Mp4Probe probe = Mp4Probe::inspect(fileName);
        QVERIFY(probe.discovered);
        QCOMPARE(probe.decodedFrames, Fps);
    }

    void unwritableFileReportsAccessError()
    {
        CH264VideoRecordingPipeline pipeline;
        pipeline.setStreamCaps(m_stream.caps);
        QSignalSpy errors(&pipeline, &CH264VideoRecordingPipeline::pipelineErrorOccurred);
        QVERIFY(!pipeline.start(m_dir.filePath("missing/folder/file.mp4")));
        QVERIFY(errors.count() > 0 || errors.wait(20000));
        const QList<QVariant> error = errors.first();
        QCOMPARE(Ulx::GStreamer::recordingErrorFromGstError(error.at(0).toUInt(), error.at(1).toInt()),
                 Ulx::MultimediaTypes::RecordingErrorFileAccess);
        pipeline.processBuffer(m_stream.copy(0));
        QCOMPARE(pipeline.pushedBufferCount(), quint64(0));
    }
};

QTEST_GUILESS_MAIN(tst_CH264VideoRecordingPipeline)
#include "tst_CH264VideoRecordingPipeline.moc"
