// The thumbnail manager behind the image provider, with real photo and video files in a temp
// folder and a stand-in for the camera's storage.
#include "gallery/CImageResponse.h"
#include "gallery/CThumbnailImageProvider.h"
#include "gallery/CThumbnailManager.h"

#include "CGstMultimediaLibrary.h"

#include "support/GiantImages.h"
#include "support/LogText.h"
#include "support/PeakMemory.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// Stands in for the camera's storage: records the requests and answers only when told.
class CCameraThumbnailManager : public CThumbnailManager
{
public:
    QStringList remoteRequests;

protected:
    void requestRemoteThumbnail(const QString& fileUrl) override { remoteRequests.append(fileUrl); }
};

bool writePhoto(const QString& path, int width, int height, QColor colour = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path);
}

// An H.264 MP4 of vertical colour bars; false when GStreamer's tools or x264enc are missing.
bool writeVideo(const QString& path, int width, int height, int seconds)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        return false;
    QProcess process;
    process.start(launcher, {QStringLiteral("-q"), QStringLiteral("videotestsrc"), QStringLiteral("pattern=smpte100"),
                             QStringLiteral("num-buffers=%1").arg(seconds * 10), QStringLiteral("!"),
                             QStringLiteral("video/x-raw,format=I420,framerate=10/1,width=%1,height=%2")
                                 .arg(width)
                                 .arg(height),
                             QStringLiteral("!"), QStringLiteral("x264enc"), QStringLiteral("speed-preset=ultrafast"),
                             QStringLiteral("key-int-max=10"), QStringLiteral("!"), QStringLiteral("mp4mux"),
                             QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
    return process.waitForFinished(60000) && process.exitCode() == 0 && QFileInfo(path).size() > 0;
}

QString urlOf(const QString& path)
{
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class tst_Thumbnails : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Requests through the provider as QML does and waits for the answer.
    std::unique_ptr<CImageResponse> request(CThumbnailImageProvider& provider, const QString& id,
                                            const QSize& size = QSize(-1, -1))
    {
        std::unique_ptr<CImageResponse> response(
            static_cast<CImageResponse*>(provider.requestImageResponse(id, size)));
        QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
        if (!finished.wait(20000))
            return nullptr;
        return response;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void photosAreScaledCachedAndShared()
    {
        CThumbnailManager manager;
        CThumbnailImageProvider provider(&manager);
        QSignalSpy jobs(&manager, &CThumbnailManager::thumbnailRequested);
        const QString big = m_dir.filePath(QStringLiteral("big.jpg"));
        const QString small = m_dir.filePath(QStringLiteral("small.png"));
        QVERIFY(writePhoto(big, 4000, 3000));
        QVERIFY(writePhoto(small, 300, 200));

        // Three gallery items asking for the same new photo: one job, three answers.
        std::vector<std::unique_ptr<CImageResponse>> responses;
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const QSize& size : {QSize(-1, -1), QSize(160, 90), QSize(0, 90)}) {
            responses.emplace_back(static_cast<CImageResponse*>(provider.requestImageResponse(urlOf(big), size)));
            spies.emplace_back(std::make_unique<QSignalSpy>(responses.back().get(), &QQuickImageResponse::finished));
        }
        // A receiver connected directly may read the image while the answer is being given.
        QSize seenInSignal;
        connect(responses[1].get(), &QQuickImageResponse::finished, this,
                [&] { seenInSignal = responses[1]->image().size(); }, Qt::DirectConnection);
        for (auto& spy : spies)
            QVERIFY(spy->count() == 1 || spy->wait(20000));
        QCOMPARE(seenInSignal, QSize(120, 90));
        QCOMPARE(jobs.count(), 1);
        QCOMPARE(responses[0]->image().size(), QSize(480, 360));
        QCOMPARE(responses[1]->image().size(), QSize(120, 90));
        // A zero or negative dimension asks for no scaling, never for a null image.
        QCOMPARE(responses[2]->image().size(), QSize(480, 360));
        QVERIFY(responses[0]->textureFactory() != nullptr);
        delete responses[0]->textureFactory();

        // Cached: answered without a job.
        auto again = request(provider, urlOf(big), QSize(-5, 40));
        QVERIFY(again);
        QCOMPARE(again->image().size(), QSize(480, 360));
        QCOMPARE(jobs.count(), 1);

        auto smaller = request(provider, urlOf(small));
        QVERIFY(smaller);
        QCOMPARE(smaller->image().size(), QSize(300, 200));
        QCOMPARE(jobs.count(), 2);

        // Within the width but too high: bounded by the height.
        const QString tall = m_dir.filePath(QStringLiteral("tall.png"));
        QVERIFY(writePhoto(tall, 300, 1000));
        auto bounded = request(provider, urlOf(tall));
        QVERIFY(bounded);
        QCOMPARE(bounded->image().size(), QSize(108, 360));
    }

    void missingFilesGetTheirPlaceholders()
    {
        // The placeholders come with the program's resources.
        const QImage missingPhoto(QStringLiteral(":/graphics/missing_photo.png"));
        const QImage missingVideo(QStringLiteral(":/graphics/missing_video.png"));
        QVERIFY(!missingPhoto.isNull());
        QVERIFY(!missingVideo.isNull());
        QVERIFY(missingPhoto != missingVideo);

        CThumbnailManager manager;
        manager.setMissingPhotoImage(missingPhoto);
        manager.setMissingVideoImage(missingVideo);
        CThumbnailImageProvider provider(&manager);
        auto photo = request(provider, urlOf(m_dir.filePath(QStringLiteral("gone.JPG"))));
        auto video = request(provider, urlOf(m_dir.filePath(QStringLiteral("gone.mp4"))));
        const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        auto other = request(provider, urlOf(text));
        const QString broken = m_dir.filePath(QStringLiteral("broken.png"));
        QFile brokenFile(broken);
        QVERIFY(brokenFile.open(QIODevice::WriteOnly));
        brokenFile.write("not a picture");
        brokenFile.close();
        auto corrupt = request(provider, urlOf(broken));
        QVERIFY(photo && video && other && corrupt);
        QCOMPARE(photo->image(), missingPhoto);
        QCOMPARE(video->image(), missingVideo);
        QVERIFY(other->image().isNull());
        QCOMPARE(corrupt->image(), missingPhoto);

        // Photos whose files claim 30,000 x 30,000 or 20,000 x 20,000 pixels are not decoded,
        // not even scaled: a progressive JPEG's decoder would hold the whole claimed size. Nor
        // is the same claim in any other container, named as a photo, nor a 16-bit PNG that
        // decodes into twice what its pixels say; asked for again, each is refused again from
        // its header: the placeholder and a log line each time.
        QStringList giants{m_dir.filePath(QStringLiteral("giant.jpg")), m_dir.filePath(QStringLiteral("giant.png"))};
        QVERIFY(GiantImages::write(giants[0], GiantImages::jpeg(30000, 30000)));
        QVERIFY(GiantImages::write(giants[1], GiantImages::png(20000, 20000)));
        const auto containers = GiantImages::containers();
        for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
            giants.append(m_dir.filePath(it.key()));
            QVERIFY(GiantImages::write(giants.last(), it.value()));
        }
        // Every format a reader here takes has its file among them.
        const auto readable = [&](const QByteArray& format) {
            return std::any_of(giants.cbegin(), giants.cend(), [&](const QString& giant) {
                QImageReader reader(giant, format);
                reader.setAutoDetectImageFormat(false);
                return reader.canRead();
            });
        };
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            QVERIFY2(readable(format), format.constData());
        const QString logPath = m_dir.filePath(QStringLiteral("thumbnails.log"));
        Tovrin::Logging::CLogger::setOutputFileName(logPath);
        const bool peakKnown = PeakMemory::resetPeak() && PeakMemory::peakBytes() > 0;
        const qint64 before = PeakMemory::residentBytes();
        for (int round = 0; round < 2; ++round) {
            for (const QString& giant : qAsConst(giants)) {
                auto refused = request(provider, urlOf(giant));
                QVERIFY(refused);
                QCOMPARE(refused->image(), missingPhoto);
                const QString log = takeLogText(logPath);
                QVERIFY2(log.contains(QStringLiteral("No thumbnail for photo %1: it").arg(giant)), qPrintable(log));
            }
        }
        Tovrin::Logging::CLogger::setOutputFileName(QString());
        if (peakKnown) {
            const qint64 grown = PeakMemory::peakBytes() - before;
            qInfo("peak %lld KiB above the start", grown / 1024);
            QVERIFY2(grown < 64 * 1024 * 1024, qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown >> 20)));
        }
        for (const QString& giant : qAsConst(giants))
            QFile::remove(giant);
        // Failures are not cached: the next request tries again.
        QVERIFY(!manager.isCached(urlOf(broken)));
        QCOMPARE(manager.cachedCount(), 0);
    }

    void theCacheEvictsTheLeastRecentlyUsed()
    {
        CThumbnailManager manager;
        CThumbnailImageProvider provider(&manager);
        QStringList urls;
        for (int i = 0; i < CThumbnailManager::CacheCapacity + 1; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("cache/%1.png").arg(i));
            QVERIFY(writePhoto(path, 8, 6));
            urls.append(urlOf(path));
        }
        for (int i = 0; i < CThumbnailManager::CacheCapacity; ++i)
            QVERIFY(request(provider, urls.at(i)));
        QCOMPARE(manager.cachedCount(), CThumbnailManager::CacheCapacity);
        // Using the oldest makes the second the least recently used.
        QVERIFY(request(provider, urls.at(0)));
        QVERIFY(request(provider, urls.last()));
        QCOMPARE(manager.cachedCount(), CThumbnailManager::CacheCapacity);
        QVERIFY(manager.isCached(urls.at(0)));
        QVERIFY(!manager.isCached(urls.at(1)));
        QVERIFY(manager.isCached(urls.last()));
    }

    void anEditedPhotoIsMadeAgainWhateverItsName()
    {
        CThumbnailManager manager;
        CThumbnailImageProvider provider(&manager);
        QSignalSpy jobs(&manager, &CThumbnailManager::thumbnailRequested);
        const QString path = m_dir.filePath(QStringLiteral("Fotos 1/Straße ä 100%.png"));
        QVERIFY(writePhoto(path, 64, 48, Qt::red));

        // QML hands over the id as it prints a URL: decoded spaces and letters.
        const QString qmlId = QUrl::fromLocalFile(path).toString(QUrl::PrettyDecoded);
        auto first = request(provider, qmlId);
        QVERIFY(first);
        QCOMPARE(first->image().pixelColor(1, 1), QColor(Qt::red));
        QVERIFY(request(provider, QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)));
        QCOMPARE(jobs.count(), 1);

        QVERIFY(writePhoto(path, 64, 48, Qt::blue));
        // The photo editor's way of naming the file drops the cached image.
        manager.removeThumbnail(QUrl::fromLocalFile(path).toString());
        QVERIFY(!manager.isCached(qmlId));
        auto second = request(provider, qmlId);
        QVERIFY(second);
        QCOMPARE(jobs.count(), 2);
        QCOMPARE(second->image().pixelColor(1, 1), QColor(Qt::blue));

        // Written anew by anyone else (an import, a download): its new time is enough.
        QVERIFY(writePhoto(path, 64, 48, Qt::green));
        QFile rewritten(path);
        QVERIFY(rewritten.open(QIODevice::ReadWrite));
        QVERIFY(rewritten.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        rewritten.close();
        auto third = request(provider, qmlId);
        QVERIFY(third);
        QCOMPARE(jobs.count(), 3);
        QCOMPARE(third->image().pixelColor(1, 1), QColor(Qt::green));
        QVERIFY(request(provider, qmlId));
        QCOMPARE(jobs.count(), 3);
    }

    void cameraThumbnailsNeverBlockTheirUrl()
    {
        CCameraThumbnailManager manager;
        const QImage missingPhoto(QStringLiteral(":/graphics/missing_photo.png"));
        manager.setMissingPhotoImage(missingPhoto);
        manager.setRemoteRequestTimeout(50);
        CThumbnailImageProvider provider(&manager);
        const QString silent = QStringLiteral("http://127.0.0.1:21300/DCIM/100/silent photo.jpg");

        // Nobody answers: every waiting item gets the placeholder once the request times out.
        auto first = request(provider, silent);
        QVERIFY(first);
        QCOMPARE(first->image(), missingPhoto);
        QCOMPARE(manager.remoteRequests, QStringList{silent});
        QCOMPARE(manager.waitingCount(silent), 0);
        // A late answer is for nobody and is not cached; the next request asks again.
        manager.onThumbnailReady(silent, QImage(32, 18, QImage::Format_RGB32));
        QVERIFY(!manager.isCached(silent));

        // The camera goes away while requests wait: they are answered, and they do not wait
        // for the time-out.
        manager.setRemoteRequestTimeout(3600000);
        std::unique_ptr<CImageResponse> waiting(
            static_cast<CImageResponse*>(provider.requestImageResponse(silent, QSize(-1, -1))));
        QSignalSpy waitingFinished(waiting.get(), &QQuickImageResponse::finished);
        QTRY_COMPARE(manager.remoteRequests.size(), 2);
        QCOMPARE(waitingFinished.count(), 0);

        // An answered camera thumbnail is bounded and cached until the camera goes.
        const QString answered = QStringLiteral("http://127.0.0.1:21300/DCIM/100/answered.jpg");
        std::unique_ptr<CImageResponse> big(
            static_cast<CImageResponse*>(provider.requestImageResponse(answered, QSize(-1, -1))));
        QSignalSpy bigFinished(big.get(), &QQuickImageResponse::finished);
        QTRY_COMPARE(manager.remoteRequests.size(), 3);
        QImage frame(1280, 720, QImage::Format_RGB32);
        frame.fill(Qt::green);
        manager.onThumbnailReady(answered, frame);
        QCOMPARE(bigFinished.count(), 1);
        QCOMPARE(big->image().size(), QSize(640, 360));
        QVERIFY(manager.isCached(answered));
        // Too large in one dimension only is too large as well.
        for (const QSize& size : {QSize(1000, 200), QSize(200, 1000)}) {
            const QString url = QStringLiteral("http://127.0.0.1:21300/DCIM/100/%1x%2.jpg").arg(size.width()).arg(size.height());
            std::unique_ptr<CImageResponse> narrow(
                static_cast<CImageResponse*>(provider.requestImageResponse(url, QSize(-1, -1))));
            QSignalSpy narrowFinished(narrow.get(), &QQuickImageResponse::finished);
            QTRY_VERIFY(manager.remoteRequests.contains(url));
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::blue);
            manager.onThumbnailReady(url, image);
            QCOMPARE(narrowFinished.count(), 1);
            QCOMPARE(narrow->image().size(), size.scaled(640, 360, Qt::KeepAspectRatio));
        }

        manager.removeRemoteThumbnails();
        QCOMPARE(waitingFinished.count(), 1);
        QCOMPARE(waiting->image(), missingPhoto);
        QVERIFY(!manager.isCached(answered));
        QCOMPARE(manager.waitingCount(silent), 0);
    }

    void videoFramesKeepTheirRows()
    {
        // 318 pixels of RGB make rows of 954 bytes that GStreamer pads to 956.
        const QString path = m_dir.filePath(QStringLiteral("bars.mp4"));
        if (!writeVideo(path, 318, 180, 7))
            QSKIP("gst-launch-1.0 with x264enc and mp4mux is needed to make a video");
        CThumbnailManager manager;
        manager.setMissingVideoImage(QImage(QStringLiteral(":/graphics/missing_video.png")));
        CThumbnailImageProvider provider(&manager);
        auto response = request(provider, urlOf(path));
        QVERIFY(response);
        const QImage image = response->image();
        QCOMPARE(image.size(), QSize(318, 180));
        // Colour bars run from top to bottom: a sheared copy would move them sideways row by row.
        int differing = 0;
        for (int x = 4; x < image.width() - 4; ++x) {
            const QColor top = image.pixelColor(x, 10);
            const QColor bottom = image.pixelColor(x, image.height() - 10);
            if (qAbs(top.red() - bottom.red()) + qAbs(top.green() - bottom.green()) + qAbs(top.blue() - bottom.blue())
                > 60)
                ++differing;
        }
        QVERIFY2(differing < 12, qPrintable(QStringLiteral("%1 columns differ").arg(differing)));

        // A video that ends before the frame position shows the key frame before its end, and
        // the one pipeline serves the next video after it.
        const QString shortPath = m_dir.filePath(QStringLiteral("short clip.mp4"));
        QVERIFY(writeVideo(shortPath, 160, 120, 1));
        auto shortResponse = request(provider, urlOf(shortPath));
        QVERIFY(shortResponse);
        QCOMPARE(shortResponse->image().size(), QSize(160, 120));

        // A file that only claims to be a video gets the video placeholder.
        const QString fake = m_dir.filePath(QStringLiteral("fake.mp4"));
        QFile fakeFile(fake);
        QVERIFY(fakeFile.open(QIODevice::WriteOnly));
        fakeFile.write(QByteArray(4096, 'x'));
        fakeFile.close();
        auto fakeResponse = request(provider, urlOf(fake));
        QVERIFY(fakeResponse);
        QCOMPARE(fakeResponse->image(), manager.missingVideoImage());
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    tst_Thumbnails test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Thumbnails.moc"
