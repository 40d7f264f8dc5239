#include "CGstMultimediaLibrary.h"
#include "CRTSPVideoStreamerLogic.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "RtspPeer.h"
#include "multimedia/CVideoStreamer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;
using Ulx::Multimedia::CVideoStreamer;

// The facade holds nothing of its own: it forwards to the library's streamer logic and relays
// each of its signals once.
class tst_CVideoStreamer : public QObject
{
    Q_OBJECT

private:
    CVideoStreamer* m_streamer = nullptr;
    CRTSPVideoStreamerLogic* m_logic = nullptr;

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        Ulx::CUlxSystemsLibrary::initialize();
        m_streamer = Ulx::CUlxSystemsLibrary::videoStreamer();
        QVERIFY(m_streamer);
        m_logic = Ulx::CUlxSystemsLibraryPrivate::instance()->videoStreamerLogic();
        QVERIFY(m_logic);
    }

    void cleanupTestCase() { Ulx::CUlxSystemsLibrary::finalize(); }

    void forwardsToTheLogic()
    {
        QCOMPARE(m_streamer->videoSurfaceSink(), m_logic->videoSurfaceSink());
        QCOMPARE(m_streamer->state(), MultimediaTypes::StreamingStopped);

        QSignalSpy outputChanged(m_streamer, &CVideoStreamer::videoOutputEnabledChanged);
        m_streamer->setVideoOutputEnabled(false);
        QVERIFY(!m_logic->videoOutputEnabled());
        QVERIFY(!m_streamer->videoOutputEnabled());
        m_streamer->setVideoOutputEnabled(true);
        QCOMPARE(outputChanged.count(), 2);

        QSignalSpy anySignal(m_streamer, &CVideoStreamer::stateChanged);
        m_streamer->setImageOutputFormat(MultimediaTypes::ImageOutputFormatJPEG);
        QCOMPARE(m_logic->imageOutputFormat(), MultimediaTypes::ImageOutputFormatJPEG);
        QCOMPARE(m_streamer->imageOutputFormat(), MultimediaTypes::ImageOutputFormatJPEG);
        QCOMPARE(anySignal.count(), 0);
        m_streamer->cancelImageCapture();
        m_streamer->setImageOutputFormat(MultimediaTypes::ImageOutputFormatPNG);
    }

    void relaysEachSignalOnce()
    {
        QSignalSpy errors(m_streamer, &CVideoStreamer::errorOccurred);
        m_logic->setStreamUrl(QString());
        m_streamer->start();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).value<MultimediaTypes::StreamingError>(), MultimediaTypes::StreamingErrorInternal);

        RtspPeer peer({ "--width", "160", "--height", "120" });
        QVERIFY(peer.start());
        m_logic->setStreamUrl(peer.url("/stream"));
        m_logic->setStreamCaps("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");
        QList<MultimediaTypes::StreamingState> states;
        connect(m_streamer, &CVideoStreamer::stateChanged, this, [&] { states << m_streamer->state(); });
        m_streamer->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_streamer->state(), MultimediaTypes::StreamingRunning, 20000);
        m_streamer->pause();
        QCOMPARE(m_logic->state(), MultimediaTypes::StreamingPaused);
        m_streamer->resume();
        QTRY_COMPARE_WITH_TIMEOUT(m_streamer->state(), MultimediaTypes::StreamingRunning, 20000);

        // Wait for a frame through a surface-less sink: none is kept, so the still fails at once.
        QSignalSpy captured(m_streamer, &CVideoStreamer::imageCaptured);
        QTemporaryDir dir;
        m_streamer->captureImage(dir.filePath("still.png"), Ulx::Multimedia::CImageMetaData());
        QCOMPARE(errors.count(), 2);
        QCOMPARE(captured.count(), 0);

        m_streamer->stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_streamer->state(), MultimediaTypes::StreamingStopped, 20000);
        QCOMPARE(states,
                 (QList<MultimediaTypes::StreamingState> {
                     MultimediaTypes::StreamingStarting, MultimediaTypes::StreamingRunning,
                     MultimediaTypes::StreamingPaused, MultimediaTypes::StreamingResuming,
                     MultimediaTypes::StreamingRunning, MultimediaTypes::StreamingStopping,
                     MultimediaTypes::StreamingStopped }));
    }
};

QTEST_MAIN(tst_CVideoStreamer)
#include "tst_CVideoStreamer.moc"
