// The media view's controller: the neighbour rule over a survey's media, photos taken from a
// video, deletions by kind of gallery, project membership, the time texts, and a camera photo
// held and checked before the view decodes it.
#include "inspection/CMediaViewScreenController.h"

#include "application/CAppRuntimeData.h"
#include "gallery/CGalleryModel.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/CSurveyVideo.h"

#include "CameraSimulator.h"
#include "support/GiantImages.h"
#include "support/LogText.h"
#include "support/PeakMemory.h"

#include "CLogger.h"

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QTemporaryDir>

#include <QSignalSpy>
#include <QtTest>

namespace {

// Local files of a plain folder: a provider of no gallery kind the controller edits.
class CFolderProvider : public CAbstractGalleryModelDataProvider
{
public:
    QStringList paths;
    int rowCount(int) const override { return paths.size(); }
    QUrl fileUrl(int, int row) const override { return QUrl::fromLocalFile(paths.value(row)); }
    QString fileName(int, int row) const override { return QFileInfo(paths.value(row)).fileName(); }
    int fileType(int, int) const override { return 1; }
    int fileState(int, int) const override { return 0; }
};

bool touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

class tst_CMediaViewScreenController : public QObject
{
    Q_OBJECT

private slots:
    void timeTexts()
    {
        QCOMPARE(CMediaViewScreenController::timeText(0), QStringLiteral("00:00"));
        QCOMPARE(CMediaViewScreenController::timeText(75 * 60000 + 3000), QStringLiteral("75:03"));
        QCOMPARE(CMediaViewScreenController::timeText(61499), QStringLiteral("01:01"));
        QCOMPARE(CMediaViewScreenController::timeText(9500), QStringLiteral("00:10"));
        // Rounding up into the next minute carries.
        QCOMPARE(CMediaViewScreenController::timeText(59500), QStringLiteral("01:00"));
        QCOMPARE(CMediaViewScreenController::timeText(60 * 60000 - 400), QStringLiteral("60:00"));
        CMediaViewScreenController controller(CMediaViewScreenController::Services(), nullptr);
        QSignalSpy position(&controller, &CMediaViewScreenController::videoPositionTextChanged);
        controller.updateVideoPositionText(3000);
        controller.updateVideoPositionText(3200);
        QCOMPARE(position.count(), 1);
        QCOMPARE(controller.videoPositionText(), QStringLiteral("00:03"));
    }

    void deletingMovesToTheNeighbour()
    {
        QTemporaryDir dir;
        CAppRuntimeData runtime;
        CMediaViewScreenController::Services services;
        services.appRuntimeData = &runtime;
        auto provider = std::make_shared<CFolderProvider>();
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            provider->paths << dir.filePath(QLatin1String(name));
            QVERIFY(touch(provider->paths.last()));
        }
        const auto urlOf = [&](int row) { return provider->fileUrl(-1, row); };

        CMediaViewScreenController controller(services, nullptr);
        QSignalSpy providerChanged(&controller, &CMediaViewScreenController::modelDataProviderChanged);
        controller.setModelDataProvider(QVariant::fromValue(GalleryModelDataProviderPtr(provider)));
        controller.setModelDataProvider(QVariant::fromValue(GalleryModelDataProviderPtr(provider)));
        QCOMPARE(providerChanged.count(), 1);
        QCOMPARE(controller.galleryModel()->rowCount(), 3);
        QCOMPARE(controller.modelDataProvider().value<GalleryModelDataProviderPtr>(), GalleryModelDataProviderPtr(provider));

        // The last of three: the view shows the second, index 1. Without a project the file goes.
        controller.setCurrentMediaIndex(2);
        controller.setFileUrl(urlOf(2));
        QSignalSpy index(&controller, &CMediaViewScreenController::currentMediaIndexChanged);
        controller.deleteFile();
        QCOMPARE(controller.currentMediaIndex(), 1);
        QCOMPARE(index.count(), 1);
        QCOMPARE(controller.fileUrl(), urlOf(1));
        QVERIFY(!QFileInfo::exists(provider->paths.at(2)));
        provider->paths.removeLast();

        // The first of two: the index stays and the next item shows.
        controller.setCurrentMediaIndex(0);
        controller.setFileUrl(urlOf(0));
        index.clear();
        controller.deleteFile();
        QCOMPARE(controller.currentMediaIndex(), 0);
        QCOMPARE(index.count(), 0);
        QCOMPARE(controller.fileUrl(), urlOf(1));
        provider->paths.removeFirst();

        // The only one: nothing left to show.
        controller.deleteFile();
        QCOMPARE(controller.currentMediaIndex(), -1);
        QVERIFY(controller.fileUrl().isEmpty());
        QVERIFY(!QFileInfo::exists(provider->paths.first()));
        // Nothing shown: nothing to delete.
        controller.deleteFile();

        // Anything that is not a provider is taken as none.
        controller.setModelDataProvider(QVariant(42));
        QVERIFY(!controller.dataProvider());
        QCOMPARE(controller.galleryModel()->rowCount(), 0);
    }

    void surveyMediaFollowTheView()
    {
        QTemporaryDir dir;
        const QString projectPath = dir.path() + QLatin1Char('/');
        auto project = std::make_shared<CSurveyProject>(QStringLiteral("Ring Road"), QStringLiteral("en_US"),
                                                        ProjectTypes::DistanceUnitMetric);
        auto survey = std::make_shared<CSurvey>();
        survey->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/v0.mp4"), QString()));
        for (const char* path : {"Photos/p0.png", "Photos/p1.png", "Photos/grab.png"}) {
            auto photo = std::make_shared<CSurveyPhoto>();
            photo->setPath(QLatin1String(path));
            survey->addPicture(photo);
        }
        project->addSurvey(survey);
        CAppRuntimeData runtime;
        runtime.setCurrentProject(project, projectPath);
        auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
        auto provider = std::make_shared<CSurveyGalleryModelDataProvider>();
        provider->setProjectPath(projectPath);
        provider->setSurveyMedia(changeSet, survey, {0, 0, 0}, {0});

        CMediaViewScreenController::Services services;
        services.appRuntimeData = &runtime;
        CMediaViewScreenController controller(services, nullptr);
        controller.setModelDataProvider(QVariant::fromValue(GalleryModelDataProviderPtr(provider)));

        // A file of the project may be grabbed from and downloaded; a stranger may not.
        controller.setFileUrl(provider->fileUrl(-1, 0));
        QVERIFY(controller.photoCaptureAllowed());
        QCOMPARE(controller.videoUrl(), provider->fileUrl(-1, 0));
        QVERIFY(controller.photoUrl().isEmpty());
        controller.setFileUrl(QUrl::fromLocalFile(projectPath + QStringLiteral("Photos/stranger.png")));
        QVERIFY(!controller.photoCaptureAllowed());
        QVERIFY(!controller.fileDownloadAllowed());

        // A photo whose file claims more pixels than a photo may have is not handed to the view.
        QVERIFY(QDir().mkpath(projectPath + QStringLiteral("Photos")));
        const QString giant = projectPath + QStringLiteral("Photos/giant.jpg");
        QVERIFY(GiantImages::write(giant, GiantImages::jpeg(30000, 30000)));
        QList<QUrl> sources;
        connect(&controller, &CMediaViewScreenController::photoSourceChanged, this,
                [&] { sources.append(controller.photoSource()); });
        // Nor one claiming as much in any other container, named as a photo, nor a 16-bit PNG
        // that decodes into twice what its pixels say: each with a log line.
        QStringList giants{giant};
        const auto containers = GiantImages::containers();
        for (auto it = containers.cbegin(); it != containers.cend(); ++it) {
            giants.append(projectPath + QStringLiteral("Photos/") + it.key());
            QVERIFY(GiantImages::write(giants.last(), it.value()));
        }
        const QString logPath = dir.filePath(QStringLiteral("view.log"));
        Tovrin::Logging::CLogger::setOutputFileName(logPath);
        for (const QString& path : qAsConst(giants)) {
            controller.setFileUrl(QUrl::fromLocalFile(path));
            QVERIFY(controller.photoUrl().isEmpty());
            // Not even for a moment: the view would start decoding it.
            QVERIFY(!sources.contains(QUrl::fromLocalFile(path)));
            const QString log = takeLogText(logPath);
            QVERIFY2(log.contains(QStringLiteral("Not showing the photo %1: it").arg(path)), qPrintable(log));
        }
        Tovrin::Logging::CLogger::setOutputFileName(QString());
        const QString ordinary = projectPath + QStringLiteral("Photos/ordinary.jpg");
        QVERIFY(GiantImages::write(ordinary, GiantImages::jpeg(640, 480)));
        controller.setFileUrl(QUrl::fromLocalFile(ordinary));
        QCOMPARE(controller.photoUrl(), QUrl::fromLocalFile(ordinary));
        QCOMPARE(controller.photoSource(), QUrl::fromLocalFile(ordinary));
        disconnect(&controller, &CMediaViewScreenController::photoSourceChanged, this, nullptr);

        // A photo taken from the video over an existing one replaces its entry, at the end.
        QSignalSpy created(&controller, &CMediaViewScreenController::photoCreated);
        controller.onVideoPlayerImageCaptured(projectPath + QStringLiteral("Photos/grab.png"));
        QCOMPARE(created.count(), 1);
        QCOMPARE(provider->rowCount(-1), 4);
        QCOMPARE(provider->fileName(-1, 3), QStringLiteral("grab.png"));
        QCOMPARE(provider->fileName(-1, 2), QStringLiteral("p1.png"));
        // One saved outside the project only says so.
        controller.onVideoPlayerImageCaptured(dir.path() + QStringLiteral("-elsewhere/x.png"));
        QCOMPARE(created.count(), 2);
        QCOMPARE(provider->rowCount(-1), 4);

        // Deleting the second photo removes it from the survey only, and shows the next one.
        const QString onDisk = projectPath + QStringLiteral("Photos/p0.png");
        QVERIFY(touch(onDisk));
        controller.setCurrentMediaIndex(1);
        controller.setFileUrl(provider->fileUrl(-1, 1));
        controller.deleteFile();
        QCOMPARE(controller.currentMediaIndex(), 1);
        QCOMPARE(provider->rowCount(-1), 3);
        QCOMPARE(provider->fileName(-1, 1), QStringLiteral("p1.png"));
        QCOMPARE(controller.fileUrl(), provider->fileUrl(-1, 1));
        QVERIFY(QFileInfo::exists(onDisk));

        // With the runtime folders emptied, a download goes into the project's own folders.
        const QString existing = projectPath + QStringLiteral("Photos/IMG_1.JPG");
        QVERIFY(touch(existing));
        controller.setFileUrl(QUrl(QStringLiteral("http://127.0.0.1:21300/SD/IMG_1.JPG")));
        QCOMPARE(controller.queryFilesToBeOverwrittenByDownload(QString()), QStringList{controller.fileUrl().toString()});

        // A camera file is no local file and is not deleted through a survey.
        controller.setFileUrl(QUrl(QStringLiteral("http://127.0.0.1:21300/SD/IMG_1.JPG")));
        QVERIFY(controller.remoteMediaDisplayed());
        QCOMPARE(controller.photoUrl(), QUrl(QStringLiteral("http://127.0.0.1:21300/SD/IMG_1.JPG")));
        controller.deleteFile();
        QCOMPARE(provider->rowCount(-1), 3);
    }

    void cameraFilesGoThroughTheCameraProvider()
    {
        using Ulx::Multimedia::CRemoteFileInfo;
        const QString base = QStringLiteral("http://127.0.0.1:21300/SD/");
        const QDateTime day(QDate(2026, 5, 3), QTime(10, 0));
        QVector<CRemoteFileInfo> files;
        for (const char* name : {"A.JPG", "B.JPG", "C.MP4"})
            files.append(CRemoteFileInfo(QLatin1String(name), base + QLatin1String(name), day, 100,
                                         QByteArray(name).endsWith("MP4") ? Ulx::RemoteMediaTypes::FileTypeVideo
                                                                          : Ulx::RemoteMediaTypes::FileTypePhoto));
        auto provider = std::make_shared<CRemoteGalleryModelDataProvider>();
        provider->setFiles(files, {1, 1, 1});
        QCOMPARE(provider->rowCount(0), 3);

        CMediaViewScreenController controller(CMediaViewScreenController::Services(), nullptr);
        controller.setModelDataProvider(QVariant::fromValue(GalleryModelDataProviderPtr(provider)));
        controller.setModelId(0);
        controller.setCurrentMediaIndex(1);
        controller.setFileUrl(provider->fileUrl(0, 1));
        QVERIFY(controller.remoteMediaDisplayed());
        controller.deleteFile();
        // The camera provider keeps the file for deletion on the camera; the view shows the next.
        QCOMPARE(provider->removedFileUrls(), QStringList{base + QStringLiteral("B.JPG")});
        QCOMPARE(provider->rowCount(0), 2);
        QCOMPARE(controller.currentMediaIndex(), 1);
        QCOMPARE(controller.fileUrl(), QUrl(base + QStringLiteral("C.MP4")));
        QCOMPARE(controller.videoUrl(), controller.fileUrl());

        // A name with "%": the shown URL's text differs from the camera's, the camera's own
        // entry is still the one deleted.
        const QString percent = base + QStringLiteral("100%.JPG");
        files.append(CRemoteFileInfo(QStringLiteral("100%.JPG"), percent, day, 100, Ulx::RemoteMediaTypes::FileTypePhoto));
        provider->setFiles(files, {1, 1, 1, 1});
        controller.setCurrentMediaIndex(0);
        controller.setFileUrl(provider->fileUrl(0, 0));
        QVERIFY(controller.fileUrl().toString() != percent);
        QSignalSpy errors(&controller, &CMediaViewScreenController::errorOccurred);
        controller.deleteFile();
        QCOMPARE(errors.count(), 0);
        QVERIFY(provider->removedFileUrls().contains(percent));
        QCOMPARE(provider->rowCount(0), 3);
        QCOMPARE(controller.fileUrl(), provider->fileUrl(0, 0));

        // "A B.JPG" and "A%20B.JPG" give one QUrl: the shown row's own entry goes, not the
        // other one that the camera lists first.
        const QString spaced = base + QStringLiteral("A B.JPG");
        const QString escaped = base + QStringLiteral("A%20B.JPG");
        QVector<CRemoteFileInfo> twins{
            CRemoteFileInfo(QStringLiteral("A B.JPG"), spaced, day, 100, Ulx::RemoteMediaTypes::FileTypePhoto),
            CRemoteFileInfo(QStringLiteral("A%20B.JPG"), escaped, day, 100, Ulx::RemoteMediaTypes::FileTypePhoto),
            CRemoteFileInfo(QStringLiteral("Z.JPG"), base + QStringLiteral("Z.JPG"), day, 100,
                            Ulx::RemoteMediaTypes::FileTypePhoto)};
        provider->setFiles(twins, {1, 1, 1});
        QCOMPARE(provider->fileName(0, 1), QStringLiteral("A%20B.JPG"));
        QCOMPARE(provider->fileUrl(0, 0), provider->fileUrl(0, 1));
        controller.setCurrentMediaIndex(1);
        controller.setFileUrl(provider->fileUrl(0, 1));
        controller.deleteFile();
        QCOMPARE(errors.count(), 0);
        QCOMPARE(provider->removedFileUrls(), QStringList{escaped});
        QCOMPARE(provider->fileName(0, 0), QStringLiteral("A B.JPG"));
        // Shown at a row that is not its own, the address fits both: nothing is deleted.
        provider->setFiles(twins, {1, 1, 1});
        controller.setCurrentMediaIndex(2);
        controller.setFileUrl(provider->fileUrl(0, 0));
        controller.deleteFile();
        QCOMPARE(errors.count(), 1);
        QVERIFY(provider->removedFileUrls().isEmpty());
        QCOMPARE(provider->rowCount(0), 3);

        // A file the camera gallery does not hold: a failure, and the view stays on it.
        provider->setFiles(files, {1, 1, 1, 1});
        provider->removeFileByUrl(percent);
        controller.setCurrentMediaIndex(0);
        const QUrl unknown(base + QStringLiteral("GONE.JPG"));
        controller.setFileUrl(unknown);
        controller.deleteFile();
        QCOMPARE(errors.count(), 2);
        QVERIFY(errors.last().first().toString().contains(QLatin1String("GONE.JPG")));
        QCOMPARE(controller.fileUrl(), unknown);
        QCOMPARE(controller.currentMediaIndex(), 0);
        QCOMPARE(provider->rowCount(0), 3);
    }

    // A camera photo reaches the view's Image only once it has arrived whole within the size
    // of an answer held in memory and its header claims no more than a photo may have: an
    // answer without end and a JPEG of a few hundred bytes claiming 30,000 x 30,000 pixels
    // are refused with a log line and "no preview", and the process's peak stays far below
    // what either would take; an ordinary camera photo still shows.
    void cameraPhotosAreHeldAndCheckedBeforeTheViewDecodesThem()
    {
        QTemporaryDir dir;
        const QByteArray giant = GiantImages::jpeg(30000, 30000);
        QImage picture(640, 480, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QBuffer ordinary;
        ordinary.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&ordinary, "JPEG"));
        CameraSimulator camera;
        QVERIFY(camera.start());
        const QString folder = QStringLiteral("/SD/DCIM/100MEDIA/");
        QVERIFY(camera.addFile({{QStringLiteral("path"), folder + QStringLiteral("GIANT.JPG")},
                                {QStringLiteral("contentBase64"), QString::fromLatin1(giant.toBase64())}}));
        const auto containers = GiantImages::containers();
        const QByteArray icon = containers.value(QStringLiteral("ico-png.jpg"));
        const QByteArray topDown = containers.value(QStringLiteral("bmp-top-down.png"));
        const QByteArray deep = containers.value(QStringLiteral("png-16-bit.png"));
        QVERIFY(camera.addFile({{QStringLiteral("path"), folder + QStringLiteral("ICON.JPG")},
                                {QStringLiteral("contentBase64"), QString::fromLatin1(icon.toBase64())}}));
        QVERIFY(camera.addFile({{QStringLiteral("path"), folder + QStringLiteral("TOPDOWN.JPG")},
                                {QStringLiteral("contentBase64"), QString::fromLatin1(topDown.toBase64())}}));
        QVERIFY(camera.addFile({{QStringLiteral("path"), folder + QStringLiteral("DEEP.PNG")},
                                {QStringLiteral("contentBase64"), QString::fromLatin1(deep.toBase64())}}));
        QVERIFY(camera.addFile({{QStringLiteral("path"), folder + QStringLiteral("PLAIN.JPG")},
                                {QStringLiteral("contentBase64"), QString::fromLatin1(ordinary.data().toBase64())}}));

        CMediaViewScreenController controller(CMediaViewScreenController::Services(), nullptr);
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("controller"), &controller);
        QQmlComponent component(&engine);
        component.setData("import QtQuick 2.15\n"
                          "Image { asynchronous: true; cache: false; sourceSize.width: 2560;"
                          " sourceSize.height: 1600; source: controller.photoSource }",
                          QUrl());
        std::unique_ptr<QObject> image(component.create());
        QVERIFY2(image, qPrintable(component.errorString()));
        // QML's Image.status: Null, Ready.
        constexpr int ImageNull = 0;
        constexpr int ImageReady = 1;
        const auto status = [&] { return QQmlProperty::read(image.get(), QStringLiteral("status")).toInt(); };

        const QString logPath = dir.filePath(QStringLiteral("view.log"));
        Tovrin::Logging::CLogger::setOutputFileName(logPath);
        if (!PeakMemory::resetPeak() || PeakMemory::peakBytes() <= 0)
            QSKIP("this kernel offers no resettable peak of a process's resident memory");
        const qint64 before = PeakMemory::residentBytes();
        // Answers without end, chunked and announced, then the giant photo as it is. Qt may
        // stop taking a chunked answer a little short of the read buffer's size, where only
        // the stall limit ends it.
        const QString tooLarge = QStringLiteral("the camera's answer (is larger than a photo may be|did not come in time)");
        const struct
        {
            QString fault;
            QString name;
            QString logged;
        } refused[] = {{QStringLiteral("endless"), QStringLiteral("PLAIN.JPG"), tooLarge},
                       {QStringLiteral("endless-length"), QStringLiteral("PLAIN.JPG"),
                        QStringLiteral("the camera's answer is larger than a photo may be")},
                       {QString(), QStringLiteral("GIANT.JPG"), QStringLiteral("it claims 30000 x 30000 pixels")},
                       {QString(), QStringLiteral("ICON.JPG"), QStringLiteral("it is not a PNG or JPEG image")},
                       {QString(), QStringLiteral("TOPDOWN.JPG"), QStringLiteral("it is not a PNG or JPEG image")},
                       {QString(), QStringLiteral("DEEP.PNG"), QStringLiteral("decode into 512 MB")}};
        for (const auto& photo : refused) {
            QVERIFY(photo.fault.isEmpty() ? camera.clearFaults() : camera.fault(QStringLiteral("file"), photo.fault));
            const QUrl url(camera.baseUrl() + folder + photo.name);
            controller.setFileUrl(url);
            QCOMPARE(controller.photoUrl(), url);
            QTRY_VERIFY_WITH_TIMEOUT(controller.photoUrl().isEmpty(), 30000);
            QVERIFY(controller.photoSource().isEmpty());
            QCOMPARE(status(), ImageNull);
            const QString log = takeLogText(logPath);
            QVERIFY2(log.contains(QStringLiteral("Not showing the photo %1: ").arg(url.toString()))
                         && log.contains(QRegularExpression(photo.logged)),
                     qPrintable(log));
            controller.setFileUrl(QUrl());
        }
        const qint64 grown = PeakMemory::peakBytes() - before;
        qInfo("peak growth while refusing: %lld MiB", grown / (1024 * 1024));
        QVERIFY2(grown < 96 * 1024 * 1024, qPrintable(QString::number(grown)));

        const QUrl plain(camera.baseUrl() + folder + QStringLiteral("PLAIN.JPG"));
        controller.setFileUrl(plain);
        QTRY_COMPARE_WITH_TIMEOUT(status(), ImageReady, 30000);
        QCOMPARE(controller.photoUrl(), plain);
        QCOMPARE(QQmlProperty::read(image.get(), QStringLiteral("implicitWidth")).toInt(), 640);
        Tovrin::Logging::CLogger::setOutputFileName(QString());
    }
};

QTEST_MAIN(tst_CMediaViewScreenController)
#include "tst_CMediaViewScreenController.moc"
