// Thumbnails of 12-megapixel JPEG photos and of MP4 videos, requested through the image
// provider "Thumbnail" by an offscreen GridView (as the galleries do), against a bare loop that
// loads and scales the same files one after the other (QImage::load and QImage::scaled for the
// photos, one playbin frame grab per video).
//   bench_Thumbnails [--full] [work folder]
// (In the sanitizer build run it with ASAN_OPTIONS=detect_leaks=0, as the tests run.)
// The default uses 20 photos and 4 videos; --full uses 200 photos and 20 videos. Prints each
// measurement beside its baseline and the ratio (baseline time divided by ours: 1.0 is as fast
// as the bare loop, higher is faster).
#include "gallery/CThumbnailImageProvider.h"
#include "gallery/CThumbnailManager.h"
#include "gallery/CVideoThumbnailWorker.h"

#include "CGstMultimediaLibrary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

const QSize PhotoSize(4000, 3000);
const QSize MaxThumbnail(CThumbnailManager::MaxThumbnailWidth, CThumbnailManager::MaxThumbnailHeight);
constexpr int DistinctPhotos = 4;

// A photo with detail everywhere, so that the JPEG is as costly to decode as a real one.
bool writePhoto(const QString& path, int seed)
{
    QImage image(PhotoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, PhotoSize.width(), PhotoSize.height());
    gradient.setColorAt(0, QColor::fromHsv((seed * 70) % 360, 180, 200));
    gradient.setColorAt(1, QColor::fromHsv((seed * 70 + 150) % 360, 160, 90));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(Qt::white, 3));
    for (int i = 0; i < 400; ++i)
        painter.drawLine((i * 97 + seed) % 4000, (i * 53) % 3000, (i * 31) % 4000, (i * 71 + seed) % 3000);
    painter.end();
    return image.save(path, "JPEG", 90);
}

bool writeVideo(const QString& path)
{
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty())
        return false;
    QProcess process;
    process.start(launcher, {QStringLiteral("-q"), QStringLiteral("videotestsrc"), QStringLiteral("pattern=ball"),
                             QStringLiteral("num-buffers=200"), QStringLiteral("!"),
                             QStringLiteral("video/x-raw,framerate=25/1,width=1280,height=720"), QStringLiteral("!"),
                             QStringLiteral("x264enc"), QStringLiteral("speed-preset=ultrafast"),
                             QStringLiteral("key-int-max=25"), QStringLiteral("!"), QStringLiteral("mp4mux"),
                             QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
    return process.waitForFinished(120000) && process.exitCode() == 0 && QFileInfo(path).size() > 0;
}

// Makes count files named <prefix><n>.<suffix>: a few distinct ones, the rest copies. A work
// folder given again still holds the files of the run before: they are made anew (a copy does
// not replace a file).
QStringList makeFiles(const QString& folder, const QString& prefix, const QString& suffix, int count, int distinct,
                      const std::function<bool(const QString&, int)>& write)
{
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/%2%3.%4").arg(folder, prefix).arg(i, 3, 10, QLatin1Char('0')).arg(suffix);
        QFile::remove(path);
        const bool ok = i < distinct ? write(path, i) : QFile::copy(files.at(i % distinct), path);
        if (!ok)
            return {};
        files.append(path);
    }
    return files;
}

const char* GridQml = R"(
import QtQuick 2.15
GridView {
    id: grid
    property int finished: 0
    width: 1280; height: 800
    cellWidth: 32; cellHeight: 24
    delegate: Image {
        width: 32; height: 24
        asynchronous: true
        cache: false
        source: "image://Thumbnail/" + modelData
        onStatusChanged: if (status === Image.Ready || status === Image.Error) grid.finished++
    }
}
)";

// Shows every file in a fresh GridView with a fresh manager; milliseconds until every tile
// has its image, -1 on time-out.
double loadThroughProvider(QQmlEngine& engine, const QStringList& files)
{
    // A new manager each time: nothing cached from an earlier run.
    CThumbnailManager manager;
    engine.removeImageProvider(QStringLiteral("Thumbnail"));
    engine.addImageProvider(QStringLiteral("Thumbnail"), new CThumbnailImageProvider(&manager));
    QQuickView view(&engine, nullptr);
    QStringList urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file).toString());
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    QQmlComponent component(&engine);
    component.setData(GridQml, QUrl());
    auto* grid = qobject_cast<QQuickItem*>(component.create());
    if (!grid) {
        std::printf("%s\n", qPrintable(component.errorString()));
        return -1;
    }
    grid->setParentItem(view.contentItem());
    view.resize(1280, 800);
    view.show();

    QElapsedTimer timer;
    timer.start();
    grid->setProperty("model", urls);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (grid->property("finished").toInt() >= urls.size() || timer.elapsed() > 600000)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const bool complete = grid->property("finished").toInt() >= urls.size();
    delete grid;
    return complete ? elapsed : -1;
}

double barePhotoLoop(const QStringList& files)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& file : files) {
        QImage image;
        if (!image.load(file))
            return -1;
        image = image.scaled(MaxThumbnail, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    return timer.nsecsElapsed() / 1e6;
}

double bareVideoLoop(const QStringList& files)
{
    CVideoThumbnailWorker worker(MaxThumbnail.width(), MaxThumbnail.height());
    worker.init();
    int failures = 0;
    QObject::connect(&worker, &CVideoThumbnailWorker::thumbnailCreationFailed, [&] { ++failures; });
    QElapsedTimer timer;
    timer.start();
    for (const QString& file : files)
        worker.generateThumbnail(QUrl::fromLocalFile(file).toString());
    return failures == 0 ? timer.nsecsElapsed() / 1e6 : -1;
}

void report(const char* label, int count, double ours, const char* baselineName, double baseline)
{
    if (ours < 0 || baseline < 0) {
        std::printf("%-8s %4d files: failed (ours %.0f ms, %s %.0f ms)\n", label, count, ours, baselineName, baseline);
        return;
    }
    std::printf("%-8s %4d files | provider + GridView %9.0f ms %7.1f ms/file | %s %9.0f ms %7.1f ms/file | ratio %.2f\n",
                label, count, ours, ours / count, baselineName, baseline, baseline / count, baseline / ours);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform has no OpenGL; the grid is drawn by the software scene graph.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication app(argc, argv);
    int gstArgc = 0;
    Ulx::GStreamer::CGstMultimediaLibrary::initialize(&gstArgc, nullptr);
    const QStringList args = app.arguments().mid(1);
    const bool full = args.contains(QStringLiteral("--full"));
    const int photoCount = full ? 200 : 20;
    const int videoCount = full ? 20 : 4;
    QString root;
    for (const QString& arg : args) {
        if (!arg.startsWith(QLatin1String("--")))
            root = arg;
    }
    std::unique_ptr<QTemporaryDir> temp;
    if (root.isEmpty()) {
        temp = std::make_unique<QTemporaryDir>();
        root = temp->path();
    }
    std::printf("program %s\nwork folder %s\n", qPrintable(app.applicationFilePath()), qPrintable(root));

    QDir().mkpath(root);
    const QStringList photos = makeFiles(root, QStringLiteral("IMG_"), QStringLiteral("jpg"), photoCount, DistinctPhotos,
                                         [](const QString& path, int seed) { return writePhoto(path, seed); });
    const QStringList videos = makeFiles(root, QStringLiteral("VID_"), QStringLiteral("mp4"), videoCount, 1,
                                         [](const QString& path, int) { return writeVideo(path); });
    if (photos.isEmpty()) {
        std::printf("could not write the photos\n");
        return 1;
    }
    std::printf("%d photos of %dx%d, %d videos of 1280x720 (8 s)%s\n\n", int(photos.size()), PhotoSize.width(),
                PhotoSize.height(), int(videos.size()), videos.isEmpty() ? " (no gst-launch-1.0/x264enc)" : "");

    QQmlEngine engine;
    // Warm both paths up once (decoder libraries, plugin registry), then measure.
    loadThroughProvider(engine, photos.mid(0, 1));
    barePhotoLoop(photos.mid(0, 1));

    const double ourPhotos = loadThroughProvider(engine, photos);
    const double barePhotos = barePhotoLoop(photos);
    report("photos", photos.size(), ourPhotos, "bare load+scale loop", barePhotos);
    if (!videos.isEmpty()) {
        const double ourVideos = loadThroughProvider(engine, videos);
        const double bareVideos = bareVideoLoop(videos);
        report("videos", videos.size(), ourVideos, "bare frame-grab loop", bareVideos);
        const QStringList all = photos + videos;
        const double ourAll = loadThroughProvider(engine, all);
        const double bareAll = barePhotoLoop(photos) + bareVideoLoop(videos);
        report("mixed", all.size(), ourAll, "bare loops together ", bareAll);
    }
    return 0;
}
