#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CH264VideoRecordingPipeline.h"
#include "inspection/CVideoPlayer.h"
#include "libraries/multimedia-gstreamer/EncodedStream.h"
#include "libraries/multimedia-gstreamer/TestVideoSurface.h"

#include <QDir>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::MultimediaTypes;

namespace {

const int PlaybackWait = 60000;

// True when every quantisation table of the JPEG is all ones, as libjpeg writes them at
// quality 100; any lower quality scales them up.
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool jpegHasFullQuality(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    int tables = 0;
    int at = 2;
    while (at + 4 <= data.size() && quint8(data[at]) == 0xFF) {
        const quint8 marker = quint8(data[at + 1]);
        const int length = (quint8(data[at + 2]) << 8) | quint8(data[at + 3]);
        if (marker == 0xDA)
            break;
        if (marker == 0xDB) {
            int table = at + 4;
            while (table < at + 2 + length) {
                const bool wide = (quint8(data[table]) >> 4) != 0;
                const int entries = 64 * (wide ? 2 : 1);
                for (int i = 1; i <= entries; ++i) {
                    if (i % (wide ? 2 : 1) == 0 && quint8(data[table + i]) != 1)
                        return false;
                }
                table += 1 + entries;
                ++tables;
            }
        }
        at += 2 + length;
    }
    return tables > 0;
}

} // namespace

// The player on a file recorded by the recording pipeline, shown on a test surface.
class tst_CVideoPlayer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_video;

    static bool waitForState(CVideoPlayer& player, MultimediaTypes::PlaybackState state)
    {
        QSignalSpy spy(&player, &CVideoPlayer::stateChanged);
        QDeadlineTimer deadline(PlaybackWait);
        while (player.state() != state && !deadline.hasExpired())
            spy.wait(int(qMax<qint64>(1, deadline.remainingTime())));
        return player.state() == state;
    }

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        QVERIFY(m_dir.isValid());
        EncodedStream stream;
        QVERIFY(stream.encode(90, 320, 240, 30));
        m_video = m_dir.filePath("recorded.mp4");
        Ulx::GStreamer::CH264VideoRecordingPipeline recording;
        recording.setStreamCaps(stream.caps);
        QVERIFY(recording.start(m_video));
        for (int i = 0; i < stream.buffers.size(); ++i)
            recording.processBuffer(stream.copy(i));
        QVERIFY(recording.finishBlocking(30000));
    }

    void unknownTimesAreNotHugeNumbers()
    {
        QCOMPARE(CVideoPlayer::millisecondsFromClockTime(GST_CLOCK_TIME_NONE), CVideoPlayer::UnknownTime);
        QCOMPARE(CVideoPlayer::millisecondsFromClockTime(1500000000), qlonglong(1500));
        QCOMPARE(CVideoPlayer::millisecondsFromClockTime(0), qlonglong(0));
    }

    void withoutSourceNothingHappens()
    {
        CVideoPlayer player;
        QSignalSpy states(&player, &CVideoPlayer::stateChanged);
        QSignalSpy errors(&player, &CVideoPlayer::errorOccurred);
        player.play();
        player.pause();
        player.seek(1000);
        player.stop();
        player.captureImage(m_dir.filePath("never.png"));
        QCoreApplication::processEvents();
        QCOMPARE(states.count(), 0);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(player.state(), MultimediaTypes::PlaybackStopped);
        QCOMPARE(player.imageOutputFormat(), MultimediaTypes::ImageOutputFormatPNG);
        QVERIFY(player.videoSurfaceSink());
    }

    void playsPausesSeeksAndCaptures()
    {
        CVideoPlayer player;
        TestVideoSurface surface;
        player.surfaceSink()->setVideoSurface(&surface);
        QSignalSpy frames(&surface, &TestVideoSurface::framePresented);
        QSignalSpy captured(&player, &CVideoPlayer::imageCaptured);
        QSignalSpy errors(&player, &CVideoPlayer::errorOccurred);

        player.setSourceUrl(QUrl::fromLocalFile(m_video));
        player.play();
        QVERIFY(waitForState(player, MultimediaTypes::PlaybackRunning));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(player.duration() - 3000) <= 100, PlaybackWait);
        QVERIFY(frames.count() > 0 || frames.wait(PlaybackWait));
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0, PlaybackWait);
        QCOMPARE(surface.startedFormat.frameSize(), QSize(320, 240));

        // Positions come while playing; a seek moves them on.
        player.seek(2000);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= 2000, PlaybackWait);
        QVERIFY(player.position() <= 3000);
        player.pause();
        QVERIFY(waitForState(player, MultimediaTypes::PlaybackPaused));

        const QString png = m_dir.filePath("still.png");
        player.captureImage(png);
        QVERIFY(captured.count() > 0 || captured.wait(PlaybackWait));
        QCOMPARE(captured.count(), 1);
        QCOMPARE(captured.first().at(0).toString(), png);
        QCOMPARE(QImageReader(png).size(), QSize(320, 240));

        // A folder that does not exist: file access error, and the next capture still works.
        // A capture asked for while that one is still pending (here by whoever hears its
        // error) is refused: nothing is written for it.
        const QString retry = m_dir.filePath("retry.png");
        const QMetaObject::Connection retrying =
            connect(&player, &CVideoPlayer::errorOccurred, &player, [&player, retry]() { player.captureImage(retry); });
        player.captureImage(m_dir.filePath("missing/still.png"));
        QVERIFY(errors.count() > 0 || errors.wait(PlaybackWait));
        disconnect(retrying);
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::PlaybackError>(),
                 MultimediaTypes::PlaybackErrorImageCaptureFileAccess);
        QVERIFY(!QFile::exists(retry));
        QCOMPARE(captured.count(), 1);

        player.setImageOutputFormat(MultimediaTypes::ImageOutputFormatJPEG);
        const QString jpeg = m_dir.filePath("still.jpg");
        const int capturedBefore = captured.count();
        player.captureImage(jpeg);
        QTRY_COMPARE_WITH_TIMEOUT(captured.count(), capturedBefore + 1, PlaybackWait);
        QCOMPARE(captured.last().at(0).toString(), jpeg);
        QCOMPARE(QImageReader(jpeg).size(), QSize(320, 240));
        // A photo from a video keeps all the video shows: JPEG at full quality.
        QVERIFY(jpegHasFullQuality(jpeg));
        // A name that holds a photo already is refused, and the photo stays as it was.
        const QByteArray before = readAll(png);
        const int errorsBefore = errors.count();
        player.captureImage(png);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), errorsBefore + 1, PlaybackWait);
        QCOMPARE(errors.last().at(0).value<MultimediaTypes::PlaybackError>(),
                 MultimediaTypes::PlaybackErrorImageCaptureFileAccess);
        QCOMPARE(readAll(png), before);
        QCOMPARE(captured.count(), capturedBefore + 1);

        // A new source starts from zero.
        QSignalSpy positions(&player, &CVideoPlayer::positionChanged);
        QSignalSpy durations(&player, &CVideoPlayer::durationChanged);
        player.setSourceUrl(QUrl::fromLocalFile(m_dir.filePath("other.mp4")));
        QVERIFY(!positions.isEmpty());
        QCOMPARE(positions.first().at(0).toLongLong(), qlonglong(0));
        QCOMPARE(player.position(), qlonglong(0));
        QCOMPARE(durations.count(), 1);
        QCOMPARE(player.duration(), qlonglong(0));
    }

    void playsToTheEndAndStops()
    {
        CVideoPlayer player;
        TestVideoSurface surface;
        player.surfaceSink()->setVideoSurface(&surface);
        QSignalSpy frames(&surface, &TestVideoSurface::framePresented);
        player.setSourceUrl(QUrl::fromLocalFile(m_video));
        player.play();
        QVERIFY(waitForState(player, MultimediaTypes::PlaybackRunning));
        QVERIFY(frames.count() > 0 || frames.wait(PlaybackWait));
        QTRY_VERIFY_WITH_TIMEOUT(player.surfaceSink()->hasFrame(), PlaybackWait);
        player.seek(2500);
        // The player reports the end as stopped (not paused) and clears the last frame.
        QVERIFY(waitForState(player, MultimediaTypes::PlaybackStopped));
        QTRY_VERIFY(!player.surfaceSink()->hasFrame());
        player.stop();
        QCOMPARE(player.state(), MultimediaTypes::PlaybackStopped);
        player.captureImage(m_dir.filePath("stopped.png"));
        QVERIFY(!QFile::exists(m_dir.filePath("stopped.png")));
    }

    // Without a shown frame (no surface) the sink would never answer: the capture fails at
    // once instead of blocking every later one.
    void captureWithoutFrameFailsAtOnce()
    {
        CVideoPlayer player;
        QSignalSpy errors(&player, &CVideoPlayer::errorOccurred);
        player.setSourceUrl(QUrl::fromLocalFile(m_video));
        player.play();
        QVERIFY(waitForState(player, MultimediaTypes::PlaybackRunning));
        player.captureImage(m_dir.filePath("noframe.png"));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::PlaybackError>(),
                 MultimediaTypes::PlaybackErrorImageCaptureInternal);
        player.captureImage(m_dir.filePath("noframe.png"));
        QCOMPARE(errors.count(), 2);
    }
};

QTEST_MAIN(tst_CVideoPlayer)
#include "tst_CVideoPlayer.moc"
