// Camera downloads in the whole application, in simple mode from a fresh start: the camera
// gallery asks for the folder, the download handler starts them on the camera simulator through
// the remote media storage, the download screen follows them with pause, resume and cancel.
// Free-space, overwrite, missing-folder and same-name refusals, camera names that are not plain
// file names or hold "%", and links in a target's place. With CX_SHOTS_DIR set, screenshots are
// written there.
#include "mediaimport/CMediaDownloadHandler.h"
#include "mediaimport/CMediaDownloadScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CRemoteGalleryScreenController.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "gallery/GalleryTypes.h"
#include "inspection/CHXInspectionScreenController.h"
#include "uiengine/CUiEngine.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "CameraSimulator.h"
#include "hx/CHXMediaDownload.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "hx/TetronCameraUrls.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include "FileReplacement.h"

#include "MediaTree.h"
#include "support/ApplicationScreenTest.h"
#include "support/KilledWriter.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/TestVolume.h"

#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace MediaTree;
using Ulx::Multimedia::CRemoteFileInfo;

namespace {

constexpr int WaitMs = 60000;
const char* const PhotoPath = "/SD/DCIM/100MEDIA/IMG0001.JPG";
const char* const VideoPath = "/SD/DCIM/100MEDIA/MOV0001.MP4";

} // namespace

class tst_MediaDownloadScreen : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<Ulx::Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<Ulx::Multimedia::CHXRemoteMediaStorageLogic> m_logic;

    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    Ulx::Multimedia::CRemoteMediaStorage* storage() { return Ulx::CUlxSystemsLibrary::remoteMediaStorage(); }

    CMediaDownloadScreenController* showDownloadScreen()
    {
        evaluate(QStringLiteral("ScreenManager.show('MediaDownloadScreen')"));
        QQuickItem* screen = item(QStringLiteral("MediaDownloadScreen"));
        return screen ? screen->findChild<CMediaDownloadScreenController*>() : nullptr;
    }

    // Adds files to the camera and waits until its list, read anew, holds them and the screens
    // were told (a read tells twice: the emptied list, then the new one).
    bool addCameraFiles(const QList<QJsonObject>& entries)
    {
        const int listed = storage()->fileList().size();
        for (const QJsonObject& entry : entries) {
            if (!m_sim->addFile(entry))
                return false;
        }
        QSignalSpy told(storage(), &Ulx::Multimedia::CRemoteMediaStorage::fileListChanged);
        m_logic->markFileListOutdated();
        storage()->requestFileList();
        return QTest::qWaitFor([&] { return told.size() == 2; }, WaitMs)
               && storage()->fileList().size() == listed + entries.size();
    }

    // Deletes the camera's files whose addresses hold part, and waits until its list no longer does.
    void removeCameraFiles(const QString& part)
    {
        QStringList urls;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileUrl().contains(part))
                urls.append(file.fileUrl());
        }
        const int listed = storage()->fileList().size();
        QVERIFY(storage()->deleteFiles(urls));
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), listed - urls.size(), WaitMs);
    }

    static QString photos(const QString& folder) { return folder + QStringLiteral("/photos/"); }
    static QString videos(const QString& folder) { return folder + QStringLiteral("/videos/"); }

    // The camera gallery on top, with the files whose addresses end in one of endings ticked.
    CRemoteGalleryScreenController* showGalleryWith(const QStringList& endings)
    {
        evaluate(QStringLiteral("ScreenManager.show('RemoteGalleryScreen')"));
        if (!QTest::qWaitFor([this] { return topScreenName() == QLatin1String("RemoteGalleryScreen"); }, WaitMs))
            return nullptr;
        auto* gallery = topScreen()->findChild<CRemoteGalleryScreenController*>();
        if (!gallery || !QTest::qWaitFor([&] { return gallery->dataProvider()->files().size() == storage()->fileList().size(); }, WaitMs))
            return nullptr;
        QSet<int> ticked;
        const QVector<CRemoteFileInfo> files = gallery->dataProvider()->files();
        for (int i = 0; i < files.size(); ++i) {
            for (const QString& ending : endings) {
                if (files.at(i).fileUrl().endsWith(ending))
                    ticked.insert(i);
            }
        }
        gallery->sectionModel()->setSelectedFileIndices(ticked);
        return gallery->selectionCount() == ticked.size() ? gallery : nullptr;
    }

    // The state the gallery shows for the file whose address ends in ending.
    static int stateOf(CRemoteGalleryScreenController* gallery, const QString& ending)
    {
        const QVector<CRemoteFileInfo> files = gallery->dataProvider()->files();
        for (int i = 0; i < files.size(); ++i) {
            if (files.at(i).fileUrl().endsWith(ending))
                return gallery->dataProvider()->fileStates().value(i, -1);
        }
        return -1;
    }

    // Picks the entry name in the folder selection screen, and applies it.
    void chooseFolder(const QString& name, const QString& expected)
    {
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("FileSelectionScreen"), WaitMs);
        click(QStringLiteral("fileSelectionEntry_") + name);
        QTRY_COMPARE(text(QStringLiteral("fileSelectionPath")), expected);
        click(QStringLiteral("fileSelectionApply"));
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

        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        // A bigger video, so that a transfer lasts long enough to be paused and cancelled.
        QVERIFY(m_sim->addFile(QJsonObject{{"path", "/SD/DCIM/100MEDIA/MOV0002.MP4"}, {"format", "MP4"}, {"size", 3000000}}));
        m_runner = std::make_unique<Ulx::Communication::CTetronCommandRunner>();
        m_logic = std::make_unique<Ulx::Multimedia::CHXRemoteMediaStorageLogic>(Ulx::CUlxSystemsLibraryPrivate::instance(),
                                                                                 m_runner.get());
        Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, m_logic.get(), nullptr, nullptr, nullptr);
        storage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), 3, WaitMs);
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        if (Ulx::CUlxSystemsLibraryPrivate::instance())
            Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        m_logic.reset();
        m_runner.reset();
        m_sim.reset();
    }

    void nothingToFollow()
    {
        QVERIFY(!storage()->activeDownload());
        CMediaDownloadScreenController* controller = showDownloadScreen();
        QVERIFY(controller);
        QVERIFY(!controller->operationInProgress());
        QCOMPARE(controller->overallSize(), QString());
        QCOMPARE(controller->currentFileName(), QString());
        QVERIFY(item("mediaDownloadNothing")->isVisible());
        evaluate(QStringLiteral("ScreenManager.close()"));
    }

    // Simple mode, the work type of a fresh start, and a camera that takes the photos itself:
    // no folder is set for a download. The camera gallery asks for one as photos made on the
    // tablet do in this mode, and the download lands there.
    void simpleModeDownloadAsksForItsFolder()
    {
        QCOMPARE(CApplication::instance()->settings()->workType(), CSettings::WorkWithDefaultDirectories);
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        QCOMPARE(runtime->photoDirectory(), QString());
        const QString folder = QDir::home().filePath(QStringLiteral("Culvertix-Projects/From the camera/"));
        QVERIFY(QDir().mkpath(folder));
        evaluate(QStringLiteral("ScreenManager.show('RemoteGalleryScreen')"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        auto* gallery = topScreen()->findChild<CRemoteGalleryScreenController*>();
        QVERIFY(gallery);
        QTRY_COMPARE(gallery->dataProvider()->files().size(), 3);
        click(QStringLiteral("remoteGallerySelectAll"));
        click(QStringLiteral("remoteGalleryDownload"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("FileSelectionScreen"));
        click(QStringLiteral("fileSelectionEntry_From the camera"));
        QTRY_COMPARE(text(QStringLiteral("fileSelectionPath")), folder);
        click(QStringLiteral("fileSelectionApply"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("MediaDownloadScreen"));
        QCOMPARE(answerMessageText(), QStringLiteral("3 files downloaded."));
        for (const QString& file : {QString::fromLatin1(PhotoPath), QString::fromLatin1(VideoPath),
                                    QStringLiteral("/SD/DCIM/100MEDIA/MOV0002.MP4")})
            QCOMPARE(readBytes(folder + QFileInfo(file).fileName()), m_sim->content(file));
        QCOMPARE(runtime->lastDownloadFolder(), folder);
        // Back in the gallery, the files show as on the tablet.
        QTRY_COMPARE(topScreenName(), QStringLiteral("RemoteGalleryScreen"));
        QTRY_COMPARE(gallery->dataProvider()->fileState(0, 0), int(GalleryTypes::FileStateStoredLocally));
        closeToStartScreen();

        // A lost link closes the inspection screen, which clears the session's folders: at the
        // reconnect the files the download brought still show as on the tablet.
        { CHXInspectionScreenController closedWithTheLink; }
        QCOMPARE(runtime->photoDirectory(), QString());
        gallery = showGalleryWith({});
        QVERIFY(gallery);
        for (const char* name : {"/IMG0001.JPG", "/MOV0001.MP4", "/MOV0002.MP4"})
            QCOMPARE(stateOf(gallery, QLatin1String(name)), int(GalleryTypes::FileStateStoredLocally));
        closeToStartScreen();
    }

    // With photos made on the tablet going to a folder already, a video has none: the gallery
    // asks for the folder instead of refusing the download.
    void aVideoWithoutItsFolderAsksForOne()
    {
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setPhotoDirectory(QDir::homePath());
        runtime->setVideoDirectory(QString());
        QVERIFY(showGalleryWith({"/MOV0001.MP4"}));
        click(QStringLiteral("remoteGalleryDownload"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QStringLiteral("FileSelectionScreen"), WaitMs);
        closeToStartScreen();
        runtime->setPhotoDirectory(QString());
    }

    // Working with projects, none open: the folder asked for may be a project's. The files go
    // where the project keeps its media, not loose beside its project file.
    void projectModeWithoutAProjectKeepsDownloadsInTheProjectsMediaFolders()
    {
        CSettings* settings = CApplication::instance()->settings();
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        settings->setWorkType(CSettings::WorkWithProjects);
        const auto simpleAgain = qScopeGuard([&] {
            settings->setWorkType(CSettings::WorkWithDefaultDirectories);
            runtime->setPhotoDirectory(QString());
            runtime->setVideoDirectory(QString());
        });
        QVERIFY(!runtime->currentProject());
        const QString root = QDir::home().filePath(QStringLiteral("Culvertix-Projects/"));
        QVERIFY(writeBytes(root + "Job 7/project.xml", "<Project/>"));
        runtime->setLastDownloadFolder(root);
        QVERIFY(showGalleryWith({"/IMG0001.JPG", "/MOV0001.MP4"}));
        click(QStringLiteral("remoteGalleryDownload"));
        chooseFolder(QStringLiteral("Job 7"), root + "Job 7/");
        QCOMPARE(answerMessageText(), QStringLiteral("2 files downloaded."));
        QCOMPARE(readBytes(root + "Job 7/Photos/IMG0001.JPG"), m_sim->content(PhotoPath));
        QCOMPARE(readBytes(root + "Job 7/Videos/MOV0001.MP4"), m_sim->content(VideoPath));
        QCOMPARE(QDir(root + "Job 7").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"Photos", "Videos", "project.xml"}));
        closeToStartScreen();

        // A project file above a folder of the user's own, outside the projects, makes no project.
        const QString own = path("own/");
        QVERIFY(writeBytes(own + "project.xml", "<Project/>") && QDir().mkpath(own + "Camera"));
        runtime->setPhotoDirectory(QString());
        runtime->setVideoDirectory(QString());
        runtime->setLastDownloadFolder(own);
        QVERIFY(showGalleryWith({"/IMG0001.JPG", "/MOV0001.MP4"}));
        click(QStringLiteral("remoteGalleryDownload"));
        chooseFolder(QStringLiteral("Camera"), own + "Camera/");
        QCOMPARE(answerMessageText(), QStringLiteral("2 files downloaded."));
        QCOMPARE(QDir(own + "Camera").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"IMG0001.JPG", "MOV0001.MP4"}));
        QCOMPARE(QDir(own).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"Camera", "project.xml"}));
        closeToStartScreen();
    }

    void downloadWithPauseAndResume()
    {
        // The third file stops after a quarter until the client lets go: the pause comes in the
        // middle of it, whatever the load.
        QVERIFY(m_sim->setFaults(QJsonObject{
            {"file", QJsonArray{QJsonObject{{"fault", "slow"}, {"count", 2}}, QJsonObject{{"fault", "stall"}, {"count", 1}}}}}));
        CMediaDownloadHandler handler;
        QSignalSpy started(&handler, &CMediaDownloadHandler::downloadStarted);
        const QString folder = path("all");
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        auto download = handler.startDownload(storage()->fileList(), {}, {}, photos(folder), videos(folder));
        QVERIFY(download);
        QCOMPARE(started.size(), 0);
        QVERIFY(started.wait(WaitMs));

        CMediaDownloadScreenController* controller = showDownloadScreen();
        QVERIFY(controller);
        QVERIFY(controller->operationInProgress());
        QSignalSpy finished(controller, &CMediaIOScreenController::operationFinished);
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentFileName() == QLatin1String("MOV0002.MP4")
                                     && controller->currentFileProgress() > 0, WaitMs);
        click(QStringLiteral("transferPause"));
        QVERIFY(evaluate(QStringLiteral("ScreenManager.currentScreen.paused")).toBool());
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("download-paused"));
        click(QStringLiteral("transferPause"));
        QVERIFY(!evaluate(QStringLiteral("ScreenManager.currentScreen.paused")).toBool());
        shoot(QStringLiteral("download-progress"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, WaitMs);
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("download-result"));
        answerMessage();
        QCOMPARE(controller->queryProcessedFiles().size(), 3);
        QCOMPARE(readBytes(photos(folder) + "IMG0001.JPG"), m_sim->content(PhotoPath));
        QCOMPARE(readBytes(videos(folder) + "MOV0001.MP4"), m_sim->content(VideoPath));
        QCOMPARE(readBytes(videos(folder) + "MOV0002.MP4"), m_sim->content("/SD/DCIM/100MEDIA/MOV0002.MP4"));
        // Resumed with a range: the camera sent the rest, not the file again.
        bool ranged = false;
        for (const QJsonObject& request : m_sim->requestsTo(QStringLiteral("file")))
            ranged = ranged || !request.value(QStringLiteral("range")).toString().isEmpty();
        QVERIFY(ranged);
    }

    void cancelThroughTheScreen()
    {
        // The second file stops after a quarter until the client lets go: the cancel comes in
        // the middle of it, whatever the load.
        QVERIFY(m_sim->setFaults(QJsonObject{
            {"file", QJsonArray{QJsonObject{{"fault", "slow"}, {"count", 1}}, QJsonObject{{"fault", "stall"}, {"count", 1}}}}}));
        CMediaDownloadHandler handler;
        const QString folder = path("cancel");
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        // The photo is left out by its address.
        QString photoUrl;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileName() == QLatin1String("IMG0001.JPG"))
                photoUrl = file.fileUrl();
        }
        auto download = handler.startDownload(storage()->fileList(), {}, {photoUrl}, photos(folder), videos(folder));
        QVERIFY(download);
        CMediaDownloadScreenController* controller = showDownloadScreen();
        QVERIFY(controller);
        QSignalSpy cancelled(controller, &CMediaIOScreenController::operationCancelled);
        QTRY_VERIFY_WITH_TIMEOUT(controller->currentFileName() == QLatin1String("MOV0002.MP4"), WaitMs);
        click(QStringLiteral("transferCancel"));
        QVERIFY(controller->cancelInProgress());
        QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, WaitMs);
        QVERIFY(!controller->cancelInProgress());
        answerMessage();
        QCOMPARE(readBytes(videos(folder) + "MOV0001.MP4"), m_sim->content(VideoPath));
        QVERIFY(!QFile::exists(photos(folder) + "IMG0001.JPG"));
        QVERIFY(!QFile::exists(videos(folder) + "MOV0002.MP4"));
        // The cut copy goes on a disk thread after the cancel is told.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(videos(folder)).entryList(QDir::Files | QDir::Hidden).size(), 1, WaitMs);
    }

    void overwriteReplacesOnlyCompletedFiles()
    {
        // The camera sends the first file, then fails every further one.
        QVERIFY(m_sim->setFaults(QJsonObject{
            {"file", QJsonArray{QJsonObject{{"fault", "slow"}, {"count", 1}}, QJsonObject{{"fault", "404"}, {"count", -1}}}}}));
        const QString folder = path("overwrite");
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        const QStringList names{"IMG0001.JPG", "MOV0001.MP4", "MOV0002.MP4"};
        QStringList targets;
        for (const QString& name : names) {
            targets.append((name.endsWith(QLatin1String(".JPG")) ? photos(folder) : videos(folder)) + name);
            QVERIFY(writeBytes(targets.last(), "old copy"));
        }
        CMediaDownloadHandler handler;
        auto download = handler.startDownload(storage()->fileList(), names, {}, photos(folder), videos(folder));
        QVERIFY(download);
        for (const QString& target : qAsConst(targets))
            QCOMPARE(readBytes(target), QByteArray("old copy"));
        CMediaDownloadScreenController controller;
        QVERIFY(controller.operationInProgress());
        QSignalSpy errors(&controller, &CMediaIOScreenController::operationErrorOccurred);
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(m_sim->clearFaults());

        // The completed file replaced its old copy under its own name; the others kept theirs.
        const QStringList processed = controller.queryProcessedFiles();
        QCOMPARE(processed.size(), 1);
        for (int i = 0; i < names.size(); ++i) {
            if (processed.contains(targets.at(i)))
                QCOMPARE(readBytes(targets.at(i)), m_sim->content("/SD/DCIM/100MEDIA/" + names.at(i)));
            else
                QCOMPARE(readBytes(targets.at(i)), QByteArray("old copy"));
        }
        // The broken copies go on a disk thread after the failure is told.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(photos(folder)).entryList(QDir::Files | QDir::Hidden).size()
                                      + QDir(videos(folder)).entryList(QDir::Files | QDir::Hidden).size(),
                                  3, WaitMs);

        // Again with nobody but the storage holding the download, which lets go of it as it
        // ends: the last file is still replaced.
        for (const QString& target : qAsConst(targets))
            QVERIFY(writeBytes(target, "old copy"));
        QVERIFY(handler.startDownload(storage()->fileList(), names, {}, photos(folder), videos(folder)));
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(readBytes(targets.at(i)), m_sim->content("/SD/DCIM/100MEDIA/" + names.at(i)));
        QCOMPARE(QDir(photos(folder)).entryList(QDir::Files | QDir::Hidden).size()
                     + QDir(videos(folder)).entryList(QDir::Files | QDir::Hidden).size(),
                 3);
    }

    void refusalsBeforeAnyTransfer()
    {
        const int fileRequests = m_sim->requestsTo(QStringLiteral("file")).size();
        CMediaDownloadHandler handler;
        QSignalSpy errors(&handler, &CMediaDownloadHandler::errorOccurred);

        // Only files of unknown type: nothing starts, nothing is said.
        const CRemoteFileInfo unknown(QStringLiteral("LOG.TXT"), Ulx::Communication::cameraFileUrl("/SD/LOG.TXT"),
                                      QDateTime::currentDateTime(), 10, Ulx::RemoteMediaTypes::FileTypeUnknown);
        QVERIFY(!handler.startDownload({unknown}, {}, {}, path("x/"), path("y/")));

        // A small volume: a 1 MiB tmpfs where one can be mounted, else a file larger than any disk.
        const QString small = path("small");
        QVERIFY(QDir().mkpath(small));
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=1m", "tmpfs", small});
        const bool mounted = mount.waitForFinished(10000) && mount.exitCode() == 0;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                QProcess::execute(QStringLiteral("umount"), {small});
        });
        const qint64 tooLarge = mounted ? 2 * 1048576 : (qint64(1) << 60);
        QVERIFY(QDir().mkpath(photos(small)) && QDir().mkpath(videos(small)));
        const CRemoteFileInfo big(QStringLiteral("MOV0001.MP4"), Ulx::Communication::cameraFileUrl(VideoPath),
                                  QDateTime::currentDateTime(), tooLarge, Ulx::RemoteMediaTypes::FileTypeVideo);
        QVERIFY(!handler.startDownload({big}, {}, {}, photos(small), videos(small)));
        QCOMPARE(errors.size(), 0);
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70002")));
        // An old copy stays until its new one is complete, so it gives up its room only after the
        // new copy took its own: with 600 KiB of the 1 MiB taken by the old copy, a new copy of
        // 600 KiB does not fit beside it, and the order of the files counts.
        if (mounted) {
            const QString old = photos(small) + "IMG0001.JPG";
            QVERIFY(writeBytes(old, QByteArray(600 * 1024, 'o')));
            auto photo = [](const char* name, qint64 size) {
                return CRemoteFileInfo(QString::fromLatin1(name),
                                       Ulx::Communication::cameraFileUrl(QStringLiteral("/SD/DCIM/100MEDIA/") + name),
                                       QDateTime::currentDateTime(), size, Ulx::RemoteMediaTypes::FileTypePhoto);
            };
            const CRemoteFileInfo replacement = photo("IMG0001.JPG", 600 * 1024);
            QVERIFY(!CMediaDownloadHandler::hasEnoughFreeSpace({replacement}, {old}, photos(small), videos(small)));
            const CRemoteFileInfo smaller = photo("IMG0001.JPG", 100 * 1024);
            const CRemoteFileInfo fresh = photo("IMG0002.JPG", 450 * 1024);
            QVERIFY(CMediaDownloadHandler::hasEnoughFreeSpace({smaller, fresh}, {old}, photos(small), videos(small)));
            QVERIFY(!CMediaDownloadHandler::hasEnoughFreeSpace({fresh, smaller}, {old}, photos(small), videos(small)));
            // Refused before anything starts, instead of failing half-way with a full volume.
            QVERIFY(!handler.startDownload({replacement}, {"IMG0001.JPG"}, {}, photos(small), videos(small)));
            QVERIFY(errors.wait(WaitMs));
            QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70002")));
            QCOMPARE(readBytes(old), QByteArray(600 * 1024, 'o'));
        }

        // A file to overwrite that cannot be replaced (a folder has its name).
        const QString folder = path("locked");
        QVERIFY(QDir().mkpath(photos(folder) + "IMG0001.JPG") && QDir().mkpath(videos(folder)));
        QVERIFY(!handler.startDownload(storage()->fileList(), {"IMG0001.JPG"}, {}, photos(folder), videos(folder)));
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(errors.last().first().toString().contains(QLatin1String("the file IMG0001.JPG on your tablet")));
        // Refused so, it leaves the old copy of a file listed before it.
        const QString partly = path("partly");
        QVERIFY(QDir().mkpath(photos(partly) + "IMG0001.JPG") && QDir().mkpath(videos(partly)));
        QVERIFY(writeBytes(videos(partly) + "MOV0001.MP4", "old copy"));
        QVERIFY(!handler.startDownload(storage()->fileList(), {"MOV0001.MP4", "IMG0001.JPG"}, {}, photos(partly),
                                       videos(partly)));
        QVERIFY(errors.wait(WaitMs));
        QCOMPARE(readBytes(videos(partly) + "MOV0001.MP4"), QByteArray("old copy"));
        QCOMPARE(handler.queryExistingFiles({"MOV0001.MP4", "IMG0001.JPG"}, photos(folder), videos(folder)),
                 QStringList({"IMG0001.JPG"}));

        // Camera names that are not one plain file name are never written (an address that
        // the file list did not make, decoding to a backslash).
        const QString canary = path("canary.jpg");
        QVERIFY(writeBytes(canary, "canary"));
        const CRemoteFileInfo hostile(QStringLiteral("..\\canary.jpg"),
                                      Ulx::Communication::cameraBaseUrl() + "/SD/DCIM/..%5Ccanary.jpg",
                                      QDateTime::currentDateTime(), 10, Ulx::RemoteMediaTypes::FileTypePhoto);
        QVERIFY(!handler.startDownload({hostile}, {}, {}, path("h/photos/"), path("h/videos/")));
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70001")));
        QCOMPARE(readBytes(canary), QByteArray("canary"));
        QCOMPARE(CMediaDownloadHandler::targetPath(QStringLiteral(".."), path("p/"), path("v/")), QString());
        QCOMPARE(CMediaDownloadHandler::targetPath(QStringLiteral("A.PNG"), path("p"), path("v")), path("p/A.PNG"));

        // No folder to go to (a work type without projects before one was chosen): said so.
        const int refusals = errors.size();
        QVERIFY(!handler.startDownload(storage()->fileList(), {}, {}, photos(folder), QString()));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), refusals + 1, WaitMs);
        QVERIFY2(errors.last().first().toString().startsWith(QLatin1String(
                     "The download could not be started because no folder on your tablet is set")),
                 qPrintable(errors.last().first().toString()));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70006")));
        QVERIFY(!handler.startDownload(storage()->fileList(), {}, {}, QString(), QString()));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), refusals + 2, WaitMs);
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70006")));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("file")).size(), fileRequests);
    }

    // Three camera folders hold a photo of one name, and the tablet's copy is to be
    // overwritten: only one could stay on the tablet, so nothing starts, before any transfer.
    // Names that differ in letter case only are two files where the folder tells them apart.
    void cameraFilesOfOneNameAreRefused()
    {
        for (const char* path : {"/SD/DCIM/101MEDIA/IMG0001.JPG", "/SD/DCIM/102MEDIA/IMG0001.JPG",
                                 "/SD/DCIM/103MEDIA/img0001.jpg"})
            QVERIFY(m_sim->addFile(QJsonObject{{"path", path}, {"format", "jpeg"}, {"size", 6000}}));
        const int listed = storage()->fileList().size();
        m_logic->markFileListOutdated();
        storage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), listed + 3, WaitMs);
        QVector<CRemoteFileInfo> sameName;
        CRemoteFileInfo lowerCase;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileName() == QLatin1String("IMG0001.JPG"))
                sameName.append(file);
            if (file.fileName() == QLatin1String("img0001.jpg"))
                lowerCase = file;
        }
        QCOMPARE(sameName.size(), 3);
        const QString folder = path("same-name");
        const QString target = photos(folder) + "IMG0001.JPG";
        QVERIFY(QDir().mkpath(videos(folder)) && writeBytes(target, "old copy"));
        const int fileRequests = m_sim->requestsTo(QStringLiteral("file")).size();

        CMediaDownloadHandler handler;
        QSignalSpy errors(&handler, &CMediaDownloadHandler::errorOccurred);
        QVERIFY(!handler.startDownload(sameName, {"IMG0001.JPG"}, {}, photos(folder), videos(folder)));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, WaitMs);
        QVERIFY2(errors.last().first().toString().contains(QLatin1String("would be saved as IMG0001.JPG on your tablet")),
                 qPrintable(errors.last().first().toString()));
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70007")));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("file")).size(), fileRequests);
        QCOMPARE(readBytes(target), QByteArray("old copy"));
        // The same name twice after the name in another case (the order the gallery may hand them
        // over in): refused as well.
        QVERIFY(!handler.startDownload({lowerCase, sameName.at(0), sameName.at(1)}, {}, {}, photos(folder), videos(folder)));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 2, WaitMs);
        QVERIFY(errors.last().first().toString().endsWith(QLatin1String("0x70007")));
        // Two cases of one name are two files in a folder of this disk that is still to be made.
        QCOMPARE(CMediaDownloadHandler::refusalMessage({lowerCase, sameName.first()}, {}, photos(path("later")),
                                                       videos(path("later"))),
                 QString());

        auto download = handler.startDownload({sameName.first(), lowerCase}, {"IMG0001.JPG"}, {}, photos(folder),
                                              videos(folder));
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QCOMPARE(download->result(), int(Ulx::Multimedia::CHXMediaDownload::ResultCompleted));
        QCOMPARE(readBytes(target), m_sim->content(Ulx::Communication::cameraFilePath(sameName.first().fileUrl())));
        QCOMPARE(readBytes(photos(folder) + "img0001.jpg"), m_sim->content("/SD/DCIM/103MEDIA/img0001.jpg"));
    }

    // Files bound for one name are refused as soon as the operator asks for the download, before
    // the question whether to overwrite: also the same name after one in another letter case.
    void oneNameIsRefusedBeforeAnyQuestion()
    {
        QVERIFY(addCameraFiles({QJsonObject{{"path", "/SD/DCIM/105MEDIA/pic0001.jpg"}},
                                QJsonObject{{"path", "/SD/DCIM/106MEDIA/PIC0001.JPG"}},
                                QJsonObject{{"path", "/SD/DCIM/107MEDIA/PIC0001.JPG"}}}));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        const QString folder = path("asked/");
        QVERIFY(writeBytes(folder + "PIC0001.JPG", "old copy"));
        runtime->setPhotoDirectory(folder);
        runtime->setVideoDirectory(folder);
        const int fileRequests = m_sim->requestsTo(QStringLiteral("file")).size();
        QVERIFY(showGalleryWith({"/pic0001.jpg", "/PIC0001.JPG"}));
        click(QStringLiteral("remoteGalleryDownload"));
        const QString said = answerMessageText();
        QVERIFY2(said.contains(QLatin1String("would be saved as PIC0001.JPG")) && said.endsWith(QLatin1String("0x70007")),
                 qPrintable(said));
        QVERIFY(!evaluate(QStringLiteral("MessageBox.isOpen")).toBool());
        QCOMPARE(m_sim->requestsTo(QStringLiteral("file")).size(), fileRequests);
        QCOMPARE(readBytes(folder + "PIC0001.JPG"), QByteArray("old copy"));
        closeToStartScreen();
        runtime->setPhotoDirectory(QString());
        runtime->setVideoDirectory(QString());
    }

    // A camera may list any size: one that no volume could hold is refused, not added up into
    // a number that passes for room; nor is one beyond any 64-bit number taken as 0.
    void aSizeNoVolumeCanHoldIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("listedSize");
        QTest::newRow("the largest size") << "HUGE1.MP4" << "9223372036854775807";
        QTest::newRow("one beyond it") << "HUGE2.MP4" << "9223372036854775808";
        QTest::newRow("beyond an unsigned size") << "HUGE3.MP4" << "18446744073709551615";
    }

    void aSizeNoVolumeCanHoldIsRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, listedSize);
        QVERIFY(addCameraFiles({QJsonObject{{"path", "/SD/DCIM/108MEDIA/" + name}, {"format", "MP4"},
                                            {"listedSize", listedSize}}}));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setPhotoDirectory(path("huge/"));
        runtime->setVideoDirectory(path("huge/"));
        QVERIFY(QDir().mkpath(path("huge")) && showGalleryWith({"/" + name, "/100MEDIA/MOV0002.MP4"}));
        click(QStringLiteral("remoteGalleryDownload"));
        const QString said = answerMessageText();
        QVERIFY2(said.contains(QLatin1String("insufficient free space")) && said.endsWith(QLatin1String("0x70002")),
                 qPrintable(said));
        QCOMPARE(QDir(path("huge")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        closeToStartScreen();
        runtime->setPhotoDirectory(QString());
        runtime->setVideoDirectory(QString());
        const QVector<CRemoteFileInfo> files = storage()->fileList();
        QVERIFY(storage()->deleteFiles({files.last().fileUrl()}));
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), files.size() - 1, WaitMs);
    }

    // A camera may list a size that is no number (the camera serves the file whole, 26,874
    // bytes) or none at all: beside files of known size, both are downloaded.
    void filesOfUnknownSizeAreDownloaded()
    {
        QVERIFY(m_sim->clearFaults());
        QVERIFY(addCameraFiles({QJsonObject{{"path", "/SD/DCIM/109MEDIA/KB.JPG"}, {"format", "jpeg"}, {"size", 26874},
                                            {"listedSize", "12kB"}},
                                QJsonObject{{"path", "/SD/DCIM/109MEDIA/NOSIZE.MP4"}, {"format", "MP4"}, {"size", 30000},
                                            {"listedSize", QJsonValue::Null}}}));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        const QString folder = path("unknown/");
        QVERIFY(QDir().mkpath(folder));
        runtime->setPhotoDirectory(folder);
        runtime->setVideoDirectory(folder);
        QVERIFY(showGalleryWith({"/109MEDIA/KB.JPG", "/109MEDIA/NOSIZE.MP4", "/100MEDIA/IMG0001.JPG"}));
        click(QStringLiteral("remoteGalleryDownload"));
        const QString said = answerMessageText();
        QCOMPARE(said, QStringLiteral("3 files downloaded."));
        QCOMPARE(readBytes(folder + "KB.JPG"), m_sim->content("/SD/DCIM/109MEDIA/KB.JPG"));
        QCOMPARE(readBytes(folder + "NOSIZE.MP4"), m_sim->content("/SD/DCIM/109MEDIA/NOSIZE.MP4"));
        QCOMPARE(readBytes(folder + "IMG0001.JPG"), m_sim->content(PhotoPath));
        closeToStartScreen();
        runtime->setPhotoDirectory(QString());
        runtime->setVideoDirectory(QString());
        removeCameraFiles(QStringLiteral("/109MEDIA/"));
    }

    // While a file the camera listed without a size arrives, the screen shows how much has come,
    // for the file and the whole, and no bar fills before the download has ended.
    void aFileWithoutASizeShowsWhatHasArrived()
    {
        QVERIFY(addCameraFiles({QJsonObject{{"path", "/SD/DCIM/111MEDIA/NOSIZE.MP4"}, {"format", "MP4"},
                                            {"size", 8 * 1048576}, {"listedSize", QJsonValue::Null}}}));
        // A quarter of it, then nothing until the client lets go.
        QVERIFY(m_sim->fault(QStringLiteral("file"), QStringLiteral("stall"), 1));
        QVector<CRemoteFileInfo> records;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileName() == QLatin1String("NOSIZE.MP4"))
                records.prepend(file);
            else if (file.fileName() == QLatin1String("IMG0001.JPG") && file.fileUrl().contains(QLatin1String("/100MEDIA/")))
                records.append(file);
        }
        QCOMPARE(records.size(), 2);
        const QString folder = path("arriving/");
        QVERIFY(QDir().mkpath(folder));
        CMediaDownloadHandler handler;
        auto download = handler.startDownload(records, {}, {}, folder, folder);
        QVERIFY(download);
        CMediaDownloadScreenController* controller = showDownloadScreen();
        QVERIFY(controller);
        QSignalSpy cancelled(controller, &CMediaIOScreenController::operationCancelled);
        const auto text = [this](const char* name) { return item(QString::fromLatin1(name))->property("text").toString(); };
        QTRY_COMPARE_WITH_TIMEOUT(text("transferFileInfo").simplified(), QStringLiteral("2 MB 0 %"), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(text("transferOverallInfo").simplified(), QStringLiteral("Overall: 2 MB 0 %"), WaitMs);
        QCOMPARE(item(QStringLiteral("transferOverallBar"))->property("value").toInt(), 0);
        QCOMPARE(item(QStringLiteral("transferFileBar"))->property("value").toInt(), 0);
        click(QStringLiteral("transferCancel"));
        QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, WaitMs);
        answerMessage();
        removeCameraFiles(QStringLiteral("/111MEDIA/"));
    }

    // A drive that fills during the download is named as full, not as write-protected: the
    // camera lists no size and sends 6 MB onto a 4 MiB volume.
    void aDriveThatFillsIsNamedFull()
    {
        QVERIFY(m_sim->clearFaults());
        const QString folder = path("full");
        QVERIFY(QDir().mkpath(folder));
        TestVolume card;
        if (!card.mountTmpfs(folder, 4096))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        QVERIFY(addCameraFiles({QJsonObject{{"path", "/SD/DCIM/110MEDIA/BIG.MP4"}, {"format", "MP4"}, {"size", 6000000},
                                            {"listedSize", 0}}}));
        CAppRuntimeData* runtime = CApplication::instance()->appRuntimeData();
        runtime->setPhotoDirectory(folder + "/");
        runtime->setVideoDirectory(folder + "/");
        QVERIFY(showGalleryWith({"/110MEDIA/BIG.MP4"}));
        click(QStringLiteral("remoteGalleryDownload"));
        const QString said = answerMessageText();
        QVERIFY2(said.startsWith(QLatin1String("Failed to save the file BIG.MP4 to your tablet - there is not enough free "
                                               "storage space on your tablet."))
                     && said.endsWith(QLatin1String("0x70009")),
                 qPrintable(said));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                                  QStringList(), WaitMs);
        closeToStartScreen();
        runtime->setPhotoDirectory(QString());
        runtime->setVideoDirectory(QString());
        removeCameraFiles(QStringLiteral("/110MEDIA/"));
    }

    // A camera name holding "%" is that very name: "A%20B.JPG" and "A B.JPG" side by side are
    // listed, fetched and deleted each as itself.
    void cameraNamesAreTakenAsTheyAre()
    {
        const QString escaped = QStringLiteral("/SD/DCIM/104MEDIA/A%20B.JPG");
        const QString spaced = QStringLiteral("/SD/DCIM/104MEDIA/A B.JPG");
        QVERIFY(m_sim->addFile(QJsonObject{{"path", escaped}, {"format", "jpeg"}, {"size", 5000}}));
        QVERIFY(m_sim->addFile(QJsonObject{{"path", spaced}, {"format", "jpeg"}, {"size", 7000}}));
        const int listed = storage()->fileList().size();
        m_logic->markFileListOutdated();
        storage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), listed + 2, WaitMs);
        QVector<CRemoteFileInfo> pair;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileName().startsWith(QLatin1String("A")) && file.fileName().contains(QLatin1String("B.JPG")))
                pair.append(file);
        }
        QCOMPARE(pair.size(), 2);
        QCOMPARE(pair.at(0).fileName(), QStringLiteral("A%20B.JPG"));
        QCOMPARE(pair.at(1).fileName(), QStringLiteral("A B.JPG"));

        const QString folder = path("names");
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        CMediaDownloadHandler handler;
        // Asked by name, "A%20B.JPG" is not the tablet's "A B.JPG".
        const QString other = path("names-other");
        QVERIFY(writeBytes(photos(other) + "A B.JPG", "another file"));
        QCOMPARE(handler.queryExistingFiles({"A%20B.JPG"}, photos(other), videos(other)), QStringList());
        auto download = handler.startDownload(pair, {}, {}, photos(folder), videos(folder));
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QCOMPARE(download->result(), int(Ulx::Multimedia::CHXMediaDownload::ResultCompleted));
        QCOMPARE(readBytes(photos(folder) + "A%20B.JPG"), m_sim->content(escaped));
        QCOMPARE(readBytes(photos(folder) + "A B.JPG"), m_sim->content(spaced));
        QCOMPARE(handler.queryExistingFiles({"A%20B.JPG", pair.at(1).fileUrl()}, photos(folder), videos(folder)),
                 QStringList({"A%20B.JPG", pair.at(1).fileUrl()}));

        QVERIFY(storage()->deleteFiles({pair.at(0).fileUrl()}));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->content(escaped).isEmpty(), WaitMs);
        QCOMPARE(m_sim->content(spaced).size(), 7000);
    }

    // A link standing in a target's place (to a file outside the folder) is replaced by the
    // complete download once the operator chose to overwrite it, and left as it was by a
    // download that breaks off: the file it leads to keeps its bytes either way.
    void aLinkInTheTargetsPlaceIsNeverWrittenThrough()
    {
        const QString outside = path("outside.jpg");
        const QByteArray canary = noise(300000, 3);
        QVERIFY(writeBytes(outside, canary));
        const QString folder = path("linked");
        const QString target = photos(folder) + "IMG0001.JPG";
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        QVERIFY(QFile::link(outside, target));
        QVERIFY(QFile::link(path("nowhere.mp4"), videos(folder) + "MOV0001.MP4"));
        QVector<CRemoteFileInfo> files;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileUrl() == Ulx::Communication::cameraFileUrl(PhotoPath)
                || file.fileUrl() == Ulx::Communication::cameraFileUrl(VideoPath))
                files.append(file);
        }
        QCOMPARE(files.size(), 2);
        CMediaDownloadHandler handler;
        // Both are asked about, the link to nothing too.
        const QStringList existing = handler.queryExistingFiles({files.at(0).fileUrl(), files.at(1).fileUrl()},
                                                                photos(folder), videos(folder));
        QCOMPARE(existing.size(), 2);

        QVERIFY(m_sim->fault(QStringLiteral("file"), QStringLiteral("close-mid-body"), -1));
        auto cut = handler.startDownload(files, existing, {}, photos(folder), videos(folder));
        QVERIFY(cut);
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QVERIFY(m_sim->clearFaults());
        QVERIFY(cut->result() != int(Ulx::Multimedia::CHXMediaDownload::ResultCompleted));
        QCOMPARE(readBytes(outside), canary);
        QCOMPARE(QFileInfo(target).symLinkTarget(), outside);
        QVERIFY(!QFile::exists(path("nowhere.mp4")));

        auto whole = handler.startDownload(files, existing, {}, photos(folder), videos(folder));
        QVERIFY(whole);
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QCOMPARE(whole->result(), int(Ulx::Multimedia::CHXMediaDownload::ResultCompleted));
        QCOMPARE(readBytes(outside), canary);
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(readBytes(target), m_sim->content(PhotoPath));
        QCOMPARE(readBytes(videos(folder) + "MOV0001.MP4"), m_sim->content(VideoPath));
        QVERIFY(!QFile::exists(path("nowhere.mp4")));
        // The copies of the cut download go on a disk thread, beside the whole one's.
        const QDir::Filters everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        QTRY_COMPARE_WITH_TIMEOUT(QDir(photos(folder)).entryList(everything), QStringList({"IMG0001.JPG"}), WaitMs);
    }

    // A download running into a folder keeps the hidden files it writes there (on a memory
    // card each has a name from the start) when another download is asked for meanwhile.
    void aRunningDownloadKeepsItsHiddenFiles()
    {
        QVERIFY(m_sim->fault(QStringLiteral("file"), QStringLiteral("slow"), -1));
        const QString folder = path("running");
        QVERIFY(QDir().mkpath(photos(folder)) && QDir().mkpath(videos(folder)));
        QVector<CRemoteFileInfo> files;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileUrl().contains(QLatin1String("/100MEDIA/")))
                files.append(file);
        }
        QCOMPARE(files.size(), 3);
        CMediaDownloadHandler handler;
        QSignalSpy errors(&handler, &CMediaDownloadHandler::errorOccurred);
        auto running = handler.startDownload(files, {}, {}, photos(folder), videos(folder));
        QVERIFY(running);
        QTRY_VERIFY_WITH_TIMEOUT(running->currentFileProgress() > 0, WaitMs);
        const QString inFlight = videos(folder) + ".MOV0002.MP4.replacing.aBcDeF";
        QVERIFY(writeBytes(inFlight, "being written"));
        QVERIFY(!handler.startDownload(files, {}, {}, photos(folder), videos(folder)));
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, WaitMs);
        QVERIFY(QFile::exists(inFlight));
        running->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QVERIFY(m_sim->clearFaults());
    }

    // Killed between naming its copy and renaming it, a download leaves the copy under a hidden
    // name, which no gallery lists; the next download into its folder removes it.
    void aCopyLeftByAKilledDownloadGoesWithTheNextOne()
    {
        const CRemoteFileInfo photo = storage()->fileList().first();
        QCOMPARE(photo.fileUrl(), Ulx::Communication::cameraFileUrl(PhotoPath));
        const QString target = photos(path("killed")) + "IMG0001.JPG";
        QVERIFY(QDir().mkpath(photos(path("killed"))));
        const QString stray = KilledWriter::runUntilTheSyncAndKill(
            {QString::number(m_sim->port()), photo.fileUrl(), QString::number(photo.fileSize()), target});
        QVERIFY(QFileInfo(stray).isHidden() && FileReplacement::isNewCopyName(QFileInfo(stray).fileName()));
        QCOMPARE(QFileInfo(stray).absolutePath() + "/IMG0001.JPG", target);
        QCOMPARE(readBytes(stray), m_sim->content(PhotoPath));
        CMediaDownloadHandler handler;
        QVERIFY(handler.startDownload({photo}, {}, {}, photos(path("killed")), videos(path("killed"))));
        QVERIFY(!QFile::exists(stray));
        QTRY_VERIFY_WITH_TIMEOUT(!storage()->activeDownload(), WaitMs);
        QCOMPARE(QDir(photos(path("killed"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"IMG0001.JPG"}));
    }

    // A file that overwrites its old copy is on the disk under its name before the screen says
    // the download finished: renamed, then its folder synced, both off the GUI thread.
    void anOverwriteIsDurableBeforeTheDownloadFinished()
    {
        const QString folder = path("durable");
        const QString target = photos(folder) + "IMG0001.JPG";
        QVERIFY(writeBytes(target, "old copy") && QDir().mkpath(videos(folder)));
        CRemoteFileInfo photo;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileUrl() == Ulx::Communication::cameraFileUrl(PhotoPath))
                photo = file;
        }
        QVERIFY(!photo.fileUrl().isEmpty());
        QMutex mutex;
        QStringList steps;
        const auto note = [&](const QString& step) {
            QMutexLocker locker(&mutex);
            steps.append(step);
        };
        FileReplacement::setSyncObserver([&](const QString& synced) {
            if (!synced.startsWith(folder))
                return;
            note(QString(QFileInfo(synced).isDir() ? "folder" : "copy") + (QThread::currentThread() == thread() ? " here" : "")
                 + (readBytes(target) == "old copy" ? " old" : " new"));
        });
        const auto stopWatching = qScopeGuard([] { FileReplacement::setSyncObserver(nullptr); });
        CMediaDownloadHandler handler;
        QVERIFY(handler.startDownload({photo}, {"IMG0001.JPG"}, {}, photos(folder), videos(folder)));
        CMediaDownloadScreenController controller;
        QSignalSpy finished(&controller, &CMediaIOScreenController::operationFinished);
        connect(&controller, &CMediaIOScreenController::operationFinished, this, [&] { note("finished"); });
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, WaitMs);
        QCOMPARE(steps, QStringList({"copy old", "folder new", "finished"}));
        QCOMPARE(readBytes(target), m_sim->content(PhotoPath));
        QCOMPARE(controller.queryProcessedFiles(), QStringList({target}));
    }

    // Hidden copies that a download left when the program ended before renaming them go at the
    // next download into their folder; a replacement whose rename fails leaves none either.
    void noHiddenCopyOutlivesItsDownload()
    {
        const QString folder = path("leftovers");
        const QString target = photos(folder) + "IMG0001.JPG";
        QVERIFY(writeBytes(target, "old copy"));
        QVERIFY(QDir().mkpath(videos(folder)));
        QVERIFY(!KilledWriter::leftCopy(videos(folder) + "MOV0001.MP4", "partial").isEmpty());
        // Not the program's own: not of its form, or not made by it.
        QVERIFY(writeBytes(photos(folder) + ".IMG0001.JPG.replacing", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".IMG0001.JPG.1.replacing", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".photo.jpg.replacing.abc123", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".my photo.replacing.MYCOPY", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".keep", "kept"));
        QVERIFY(writeBytes(photos(folder) + "notes.replacing", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".holiday.replacing", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".notes.replacing.backup1", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".IMG0001.JPG.01.replacing", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".IMG0001.JPG.replacing.bak", "kept"));
        QVERIFY(writeBytes(photos(folder) + ".IMG0001.JPG.replacing.ab-cd1", "kept"));
        CRemoteFileInfo photo;
        for (const CRemoteFileInfo& file : storage()->fileList()) {
            if (file.fileUrl() == Ulx::Communication::cameraFileUrl(PhotoPath))
                photo = file;
        }
        QVERIFY(!photo.fileUrl().isEmpty());

        CMediaDownloadHandler handler;
        QVERIFY(handler.startDownload({photo}, {"IMG0001.JPG"}, {}, photos(folder), videos(folder)));
        // Passed the start check, and before the copy arrives a folder with content takes the
        // target's place: the complete copy cannot be renamed over it.
        QVERIFY(QFile::remove(target));
        QVERIFY(writeBytes(target + "/inside.txt", "kept"));
        CMediaDownloadScreenController controller;
        QSignalSpy finished(&controller, &CMediaIOScreenController::operationFinished);
        QSignalSpy errors(&controller, &CMediaIOScreenController::operationErrorOccurred);
        QVERIFY(errors.wait(WaitMs));
        QCOMPARE(finished.size(), 0);
        QVERIFY(errors.first().first().toString().contains(QLatin1String("IMG0001.JPG")));
        QVERIFY(errors.first().first().toString().endsWith(QLatin1String("0x70005")));
        const QDir::Filters everything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        // The copy that could not take its name goes on a disk thread.
        QTRY_COMPARE_WITH_TIMEOUT(QDir(photos(folder)).entryList(everything, QDir::Name),
                                  QStringList({".IMG0001.JPG.01.replacing", ".IMG0001.JPG.1.replacing",
                                               ".IMG0001.JPG.replacing", ".IMG0001.JPG.replacing.ab-cd1",
                                               ".IMG0001.JPG.replacing.bak", ".holiday.replacing", ".keep",
                                               ".my photo.replacing.MYCOPY", ".notes.replacing.backup1",
                                               ".photo.jpg.replacing.abc123", "IMG0001.JPG", "notes.replacing"}),
                                  WaitMs);
        QCOMPARE(QDir(videos(folder)).entryList(everything), QStringList());
        QCOMPARE(readBytes(target + "/inside.txt"), QByteArray("kept"));
    }
};

int main(int argc, char** argv)
{
    if (KilledWriter::isChild(argc, argv)) {
        // Downloads one photo from the camera simulator and is killed at its sync.
        QCoreApplication app(argc, argv);
        const QStringList arguments = KilledWriter::childArguments(argc, argv);
        Ulx::Communication::setCameraHttpPort(static_cast<quint16>(arguments.value(0).toUInt()));
        KilledWriter::stopAtTheSync();
        const QString url = arguments.value(1);
        Ulx::Multimedia::CHXMediaDownload download(
            {CRemoteFileInfo(QFileInfo(url).fileName(), url, QDateTime::currentDateTime(), arguments.value(2).toLongLong(),
                             Ulx::RemoteMediaTypes::FileTypePhoto)},
            {arguments.value(3)});
        QObject::connect(&download, &Ulx::Multimedia::CAbstractMediaDownload::finished, &app, &QCoreApplication::quit);
        download.start();
        return app.exec();
    }
    return ApplicationScreenTest::runInApplication<tst_MediaDownloadScreen>(argc, argv);
}

#include "tst_MediaDownloadScreen.moc"
