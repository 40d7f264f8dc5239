// The simple gallery and media view screens in the whole application: a generated folder is
// browsed with real thumbnails, items are ticked and deleted through the screen, and a video
// is opened, played and deleted from the media view. With CX_SHOTS_DIR set, screenshots are
// written there (run under xvfb-run with QT_QPA_PLATFORM=xcb and QT_QUICK_BACKEND=opengl to see
// the video itself: the software scene graph paints no video).
#include "gallery/CSimpleGalleryScreenController.h"
#include "gallery/CThumbnailManager.h"
#include "inspection/CMediaViewScreenController.h"
#include "inspection/CVideoPlayer.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "uiengine/CUiEngine.h"

#include "support/ApplicationScreenTest.h"
#include "support/GiantImages.h"
#include "support/LogText.h"
#include "support/PeakMemory.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include "FileReplacement.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int WaitMs = 60000;

bool writePhoto(const QString& path, QColor colour, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    painter.fillRect(width / 4, height / 4, width / 2, height / 2, colour.darker(200));
    painter.end();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path);
}

bool writeVideo(const QString& path)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        return false;
    QProcess process;
    process.start(launcher, {QStringLiteral("-q"), QStringLiteral("videotestsrc"), QStringLiteral("num-buffers=150"),
                             QStringLiteral("!"), QStringLiteral("video/x-raw,framerate=25/1,width=640,height=360"),
                             QStringLiteral("!"), QStringLiteral("x264enc"), QStringLiteral("speed-preset=ultrafast"),
                             QStringLiteral("key-int-max=25"), QStringLiteral("!"), QStringLiteral("mp4mux"),
                             QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
    return process.waitForFinished(60000) && process.exitCode() == 0 && QFileInfo(path).size() > 0;
}

} // namespace

class tst_SimpleGalleryAndMediaView : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    bool m_hasVideo = false;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    template <typename T>
    T* controllerOf(const QString& screenName)
    {
        QQuickItem* screen = item(screenName);
        return screen ? screen->findChild<T*>() : nullptr;
    }

    static QString urlOf(const QString& file) { return QUrl::fromLocalFile(file).toString(); }

    // The thumbnail image of a gallery tile, once the tile is there.
    QQuickItem* thumbnailOf(const QString& tileName)
    {
        QQuickItem* tile = item(tileName);
        if (!tile)
            return nullptr;
        const auto children = tile->findChildren<QQuickItem*>();
        for (QQuickItem* child : children) {
            if (child->property("fileUrl").isValid() && child->property("status").isValid())
                return child;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY(m_dir.isValid());
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY2(window(), "the main window did not load");
        window()->resize(1280, 800);
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1, WaitMs);
        closeToStartScreen();

        QVERIFY(writePhoto(path("Inspection 7/Schacht 1.jpg"), QColor(40, 120, 200), 1600, 1200));
        QVERIFY(writePhoto(path("Inspection 7/Rohr ä.png"), QColor(200, 120, 40), 800, 600));
        QVERIFY(writePhoto(path("Inspection 7/Abzweig.jpg"), QColor(60, 160, 90), 1200, 900));
        QVERIFY(writePhoto(path("Inspection 7/Haltung 2/inner.jpg"), Qt::gray, 64, 48));
        QVERIFY(QDir().mkpath(path("Inspection 7/Leer")));
        m_hasVideo = writeVideo(path("Inspection 7/Befahrung.mp4"));
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void browseTickAndDeleteInTheSimpleGallery()
    {
        const QString root = path("Inspection 7");
        evaluate(QStringLiteral("ScreenManager.show('SimpleGalleryScreen', { 'directory': '%1', "
                                "'topLevelDirectory': '%2' })")
                     .arg(root + QStringLiteral("/Haltung 2"), m_dir.path()));
        auto* controller = controllerOf<CSimpleGalleryScreenController>(QStringLiteral("SimpleGalleryScreen"));
        QVERIFY(controller);
        QCOMPARE(controller->directory(), root + QStringLiteral("/Haltung 2/"));

        // The link-up tile leads up, also in selection mode.
        click(QStringLiteral("simpleGallerySelectMode"));
        click(QStringLiteral("simpleGalleryTile_.."));
        QCOMPARE(controller->directory(), root + QLatin1Char('/'));
        QCOMPARE(controller->selectionCount(), 0);
        click(QStringLiteral("simpleGallerySelectMode"));

        const int media = m_hasVideo ? 4 : 3;
        QTRY_COMPARE_WITH_TIMEOUT(controller->galleryModel()->rowCount(), 3 + media, WaitMs);
        CThumbnailManager* thumbnails = CUiEngine::instance()->thumbnailManager();
        for (const char* name : {"Schacht 1.jpg", "Rohr ä.png", "Abzweig.jpg"})
            QTRY_VERIFY_WITH_TIMEOUT(thumbnails->isCached(urlOf(root + QLatin1Char('/') + QString::fromUtf8(name))),
                                     WaitMs);
        if (m_hasVideo)
            QTRY_VERIFY_WITH_TIMEOUT(thumbnails->isCached(urlOf(root + QStringLiteral("/Befahrung.mp4"))), WaitMs);
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("simple-gallery"));

        // Tick a folder and a photo, confirm, and only those go.
        click(QStringLiteral("simpleGallerySelectMode"));
        click(QStringLiteral("simpleGalleryTile_Haltung 2"));
        click(QStringLiteral("simpleGalleryTile_Rohr ä.png"));
        QCOMPARE(controller->selectionCount(), 2);
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("simple-gallery-selection"));
        QSignalSpy processing(controller, &CSimpleGalleryScreenController::processingChanged);
        click(QStringLiteral("simpleGalleryDelete"));
        answerMessage(true);
        QTRY_VERIFY_WITH_TIMEOUT(processing.count() == 2 && !controller->processing(), WaitMs);
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Haltung 2")));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Rohr ä.png")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Schacht 1.jpg")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Leer")));
        QCOMPARE(controller->galleryModel()->rowCount(), 1 + media);
        QCOMPARE(controller->selectionCount(), 0);
        click(QStringLiteral("simpleGallerySelectMode"));
    }

    void playAndDeleteAVideoInTheMediaView()
    {
        if (!m_hasVideo)
            QSKIP("gst-launch-1.0 with x264enc and mp4mux is needed to make a video");
        // The gallery the check before left open, or the folder's.
        if (!item(QStringLiteral("SimpleGalleryScreen")))
            evaluate(QStringLiteral("ScreenManager.show('SimpleGalleryScreen', { 'directory': '%1', "
                                    "'topLevelDirectory': '%2' })")
                         .arg(path("Inspection 7"), m_dir.path()));
        auto* gallery = controllerOf<CSimpleGalleryScreenController>(QStringLiteral("SimpleGalleryScreen"));
        QVERIFY(gallery);
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("simpleGalleryTile_Befahrung.mp4")), WaitMs);
        const int rows = gallery->galleryModel()->rowCount();

        click(QStringLiteral("simpleGalleryTile_Befahrung.mp4"));
        auto* view = controllerOf<CMediaViewScreenController>(QStringLiteral("MediaViewScreen"));
        QVERIFY(view);
        QCOMPARE(view->videoUrl(), QUrl::fromLocalFile(path("Inspection 7/Befahrung.mp4")));
        QVERIFY(!view->remoteMediaDisplayed());
        QVERIFY(view->photoCaptureAllowed());
        CVideoPlayer* player = CApplication::instance()->videoPlayer();
        QVERIFY(player);
        QTRY_COMPARE_WITH_TIMEOUT(view->videoDurationText(), QStringLiteral("00:06"), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1500, WaitMs);
        QVERIFY(item(QStringLiteral("mediaViewVideo"))->isVisible());
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("media-view-video"));

        // A photo from the video is stored off the GUI thread: until it is, the button says so
        // and takes no tap.
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        const QString photoFolder = runtime->photoDirectory();
        QVERIFY(QDir().mkpath(path("stills")));
        runtime->setPhotoDirectory(path("stills") + QLatin1Char('/'));
        {
            QSemaphore held;
            QAtomicInt syncs;
            // The photo's new copy (".<name>.replacing.<six>"), not its folder.
            FileReplacement::setSyncObserver([&](const QString& path) {
                if (path.contains(QLatin1String(".replacing.")) && syncs.fetchAndAddOrdered(1) == 0)
                    held.tryAcquire(1, WaitMs);
            });
            const auto release = qScopeGuard([&held] {
                held.release(10);
                FileReplacement::setSyncObserver(nullptr);
            });
            QQuickItem* takePhoto = item(QStringLiteral("mediaViewTakePhoto"));
            QCOMPARE(takePhoto->property("text").toString(), QStringLiteral("Take photo"));
            click(QStringLiteral("mediaViewTakePhoto"));
            QTRY_COMPARE_WITH_TIMEOUT(syncs.loadAcquire(), 1, WaitMs);
            QTRY_VERIFY(!takePhoto->isEnabled());
            QCOMPARE(takePhoto->property("text").toString(), QStringLiteral("Storing photo..."));
            player->captureImage(path("stills/refused.png"));
            held.release();
            QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), WaitMs);
            QVERIFY2(messageText().startsWith(QStringLiteral("Saved photo to: ")), qPrintable(messageText()));
            answerMessage(true);
            QVERIFY(takePhoto->isEnabled());
            QCOMPARE(takePhoto->property("text").toString(), QStringLiteral("Take photo"));
            QCOMPARE(QDir(path("stills")).entryList(QDir::Files | QDir::Hidden).size(), 1);
            QCOMPARE(syncs.loadAcquire(), 1);
        }

        // A photo from the video that cannot be written (its folder is a file) is said, and
        // no file appears.
        QFile blocker(path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        runtime->setPhotoDirectory(path("blocker") + QLatin1Char('/'));
        click(QStringLiteral("mediaViewTakePhoto"));
        QTRY_VERIFY_WITH_TIMEOUT(messageOpen(), WaitMs);
        QVERIFY2(messageText().contains(QStringLiteral("capture an image"))
                     || messageText().contains(QStringLiteral("could not write to the image output file")),
                 qPrintable(messageText()));
        shoot(QStringLiteral("media-view-photo-from-video-failed"));
        answerMessage(true);
        runtime->setPhotoDirectory(photoFolder);
        QCOMPARE(QFileInfo(path("blocker")).size(), 0);

        // Deleting the only file of a plain folder view ends the view; the folder is read again.
        click(QStringLiteral("mediaViewDelete"));
        answerMessage(true);
        QTRY_VERIFY_WITH_TIMEOUT(!item(QStringLiteral("MediaViewScreen")), WaitMs);
        QVERIFY(!QFileInfo::exists(path("Inspection 7/Befahrung.mp4")));
        QCOMPARE(gallery->galleryModel()->rowCount(), rows - 1);

        // A photo opens as a photo.
        click(QStringLiteral("simpleGalleryTile_Schacht 1.jpg"));
        view = controllerOf<CMediaViewScreenController>(QStringLiteral("MediaViewScreen"));
        QVERIFY(view);
        QVERIFY(view->videoUrl().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(item(QStringLiteral("mediaViewPhoto"))->property("status").toInt() == 1, WaitMs);
        QVERIFY(item(QStringLiteral("mediaViewEdit"))->isVisible());
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("media-view-photo"));

        // The photo changes while it is open (as the photo editor writes it): back in the
        // gallery its thumbnail is made again from the new content.
        const QString photo = path("Inspection 7/Schacht 1.jpg");
        QVERIFY(writePhoto(path("Inspection 7/edited.tmp.jpg"), QColor(220, 30, 30), 1600, 1200));
        QFile edited(path("Inspection 7/edited.tmp.jpg"));
        QVERIFY(edited.open(QIODevice::ReadWrite));
        QVERIFY(edited.setFileTime(QFileInfo(photo).lastModified().addSecs(2), QFileDevice::FileModificationTime));
        edited.close();
        QVERIFY(QFile::remove(photo) && QFile::rename(edited.fileName(), photo));
        CThumbnailManager* thumbnails = CUiEngine::instance()->thumbnailManager();
        QSignalSpy asked(thumbnails, &CThumbnailManager::thumbnailRequested);
        evaluate(QStringLiteral("ScreenManager.close()"));
        QTRY_VERIFY_WITH_TIMEOUT(asked.contains(QVariantList{CThumbnailManager::normalizedUrl(urlOf(photo))}), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(thumbnails->isCached(urlOf(photo)), WaitMs);
        evaluate(QStringLiteral("ScreenManager.close()"));
    }

    // Files named as photos that hold a giant PNG in an icon, a top-down bitmap or a 16-bit PNG
    // show as refused (the photo placeholder) with a log line, when the gallery opens and when
    // it opens again, and none is decoded: the process's peak stays low.
    void refusedPhotosInTheSimpleGallery()
    {
        const QString folder = path("Fremd");
        QVERIFY(QDir().mkpath(folder));
        const auto containers = GiantImages::containers();
        QStringList names;
        for (const char* name : {"ico-png.png", "ico-png.jpg", "bmp-top-down.png", "png-16-bit.png"}) {
            names.append(QLatin1String(name));
            QVERIFY(GiantImages::write(folder + QLatin1Char('/') + names.last(), containers.value(names.last())));
        }
        const QString logPath = path("gallery.log");
        Tovrin::Logging::CLogger::setOutputFileName(logPath);
        const auto restoreLog = qScopeGuard([] { Tovrin::Logging::CLogger::setOutputFileName(QString()); });
        CThumbnailManager* thumbnails = CUiEngine::instance()->thumbnailManager();
        const int placeholderWidth = thumbnails->missingPhotoImage().width();
        QVERIFY(placeholderWidth > 0);
        const bool peakKnown = PeakMemory::resetPeak() && PeakMemory::peakBytes() > 0;
        const qint64 before = PeakMemory::residentBytes();
        for (int opening = 0; opening < 2; ++opening) {
            evaluate(QStringLiteral("ScreenManager.show('SimpleGalleryScreen', { 'directory': '%1', "
                                    "'topLevelDirectory': '%2' })")
                         .arg(folder, m_dir.path()));
            for (const QString& name : qAsConst(names)) {
                const QString file = folder + QLatin1Char('/') + name;
                QQuickItem* image = nullptr;
                QTRY_VERIFY_WITH_TIMEOUT((image = thumbnailOf(QStringLiteral("simpleGalleryTile_") + name)), WaitMs);
                QTRY_COMPARE_WITH_TIMEOUT(image->property("status").toInt(), 1, WaitMs);
                QCOMPARE(image->property("implicitWidth").toInt(), placeholderWidth);
                QTRY_VERIFY_WITH_TIMEOUT(
                    readLogText(logPath).contains(QStringLiteral("No thumbnail for photo %1: it").arg(file)), WaitMs);
                QVERIFY(!thumbnails->isCached(urlOf(file)));
            }
            takeLogText(logPath);
            closeToStartScreen();
        }
        if (peakKnown) {
            const qint64 grown = PeakMemory::peakBytes() - before;
            qInfo("peak %lld KiB above the start", grown / 1024);
            QVERIFY2(grown < 128 * 1024 * 1024,
                     qPrintable(QStringLiteral("peak %1 MiB above the start").arg(grown >> 20)));
        }
    }
};

int main(int argc, char** argv)
{
    return ApplicationScreenTest::runInApplication<tst_SimpleGalleryAndMediaView>(argc, argv);
}

#include "tst_SimpleGalleryAndMediaView.moc"
