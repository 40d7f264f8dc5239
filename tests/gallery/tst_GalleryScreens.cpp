// The survey and camera galleries in the whole application, against the camera simulator and
// the application's project and drawing-template services: file states, download into the
// project, deletion and save, a template applied to ticked photos, the day sections and
// camera deletions after a removal that empties a day. With CX_SHOTS_DIR set, screenshots are
// written there.
#include "gallery/CGalleryModel.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CRemoteGalleryScreenController.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "gallery/CSurveyGalleryScreenController.h"
#include "gallery/CThumbnailManager.h"
#include "gallery/GalleryTypes.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/PathHelpers.h"
#include "surveyprojects/CProjectService.h"
#include "uiengine/CUiEngine.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "CameraSimulator.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "multimedia/CRemoteMediaStorage.h"

#include "support/ApplicationScreenTest.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Ulx::Multimedia::CRemoteFileInfo;

namespace {

constexpr int WaitMs = 60000;
const QString Today = QDate::currentDate().toString(Qt::ISODate);

QJsonObject simFile(const QString& name, const QString& time)
{
    const bool video = name.endsWith(QLatin1String(".MP4"));
    return QJsonObject{{"path", "/SD/DCIM/100MEDIA/" + name}, {"format", video ? "MP4" : "jpeg"},
                       {"size", video ? 65536 : 4096}, {"time", time}};
}

bool writeJpeg(const QString& path, const QColor& colour)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(colour);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && image.save(path, "JPG", 95);
}

} // namespace

class tst_GalleryScreens : public QObject, private QuickScreenDriver
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<Ulx::Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<Ulx::Multimedia::CHXRemoteMediaStorageLogic> m_logic;
    SurveyProjectPtr m_project;
    QString m_projectPath;

    // Holds a press on the item until the screen reacts with a message (or opens the screen
    // named), then lets go.
    void pressAndHold(const QString& name, const QString& opens = QString())
    {
        QVERIFY(waitForFrame());
        QQuickItem* target = item(name);
        QVERIFY2(target, qPrintable(name));
        const QPointF centre = centreOf(target);
        const QPointF global = window()->mapToGlobal(centre.toPoint());
        QMouseEvent press(QEvent::MouseButtonPress, centre, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &press);
        QTRY_VERIFY_WITH_TIMEOUT(opens.isEmpty() ? evaluate(QStringLiteral("MessageBox.isOpen")).toBool()
                                                 : topScreenName() == opens,
                                 WaitMs);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, centre, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &release);
    }

    void shot(const QString& name)
    {
        QTRY_VERIFY_WITH_TIMEOUT(thumbnailsSettled(), WaitMs);
        QVERIFY(waitForFrame());
        shoot(name);
    }

    static void collect(QQuickItem* item, const QString& name, QList<QQuickItem*>& found)
    {
        if (!item)
            return;
        if (item->objectName() == name)
            found.append(item);
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children)
            collect(child, name, found);
    }

    // Thumbnails come asynchronously: a screenshot waits until none is loading any more.
    bool thumbnailsSettled()
    {
        QList<QQuickItem*> images;
        collect(window()->contentItem(), QStringLiteral("galleryThumbnail"), images);
        for (QQuickItem* image : qAsConst(images)) {
            if (image->property("status").toInt() == 2)
                return false;
        }
        return true;
    }

    template <typename T>
    T* showScreen(const QString& key)
    {
        evaluate(QStringLiteral("ScreenManager.show('%1')").arg(key));
        QQuickItem* screen = item(key);
        return screen ? screen->findChild<T*>() : nullptr;
    }

    Ulx::Multimedia::CRemoteMediaStorage* storage() { return Ulx::CUlxSystemsLibrary::remoteMediaStorage(); }

    QStringList simFileNames()
    {
        QStringList names;
        const QJsonArray files = m_sim->state().value(QStringLiteral("files")).toArray();
        for (const QJsonValue& file : files)
            names << QFileInfo(file.toObject().value(QStringLiteral("path")).toString()).fileName();
        names.sort();
        return names;
    }

    QString projectFile(const QString& relative) const { return m_projectPath + relative; }

    // The file names that project.xml lists as photos or videos.
    QStringList listedMedia()
    {
        QFile file(projectFile(QStringLiteral("project.xml")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QString text = QString::fromUtf8(file.readAll());
        QStringList names;
        QRegularExpression pattern(QStringLiteral("(Photos|Videos)/([^<\"]+)"));
        auto it = pattern.globalMatch(text);
        while (it.hasNext())
            names << it.next().captured(2);
        names.sort();
        return names;
    }

    int row(CGalleryModel* model, const QString& name)
    {
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r).data(CGalleryModel::FileNameRole).toString() == name)
                return r;
        }
        return -1;
    }

    int state(CGalleryModel* model, const QString& name)
    {
        return model->index(row(model, name)).data(CGalleryModel::FileStateRole).toInt();
    }

    // The camera-only photo as the survey gallery's download leaves it on the tablet; put there
    // when a check runs alone.
    void photoDownloadedBefore()
    {
        const QString photo = projectFile("Photos/IMG0001.JPG");
        if (!QFile::exists(photo)) {
            QFile file(photo);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write(m_sim->content(QStringLiteral("/SD/DCIM/100MEDIA/IMG0001.JPG"))) > 0);
        }
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
        const QJsonArray files{simFile("T0001.JPG", Today + " 09:00:00"), simFile("T0002.MP4", Today + " 09:10:00"),
                               simFile("Y0001.JPG", "2026-03-02 11:00:00"), simFile("IMG0001.JPG", "2026-03-01 10:00:00"),
                               simFile("MOV0001.MP4", "2026-03-01 10:05:00")};
        if (!m_sim->start(QJsonObject{{"files", files}}))
            QSKIP("python3 could not start the camera simulator");
        m_runner = std::make_unique<Ulx::Communication::CTetronCommandRunner>();
        m_logic = std::make_unique<Ulx::Multimedia::CHXRemoteMediaStorageLogic>(Ulx::CUlxSystemsLibraryPrivate::instance(),
                                                                                 m_runner.get());
        Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, m_logic.get(), nullptr, nullptr, nullptr);
        storage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileList().size(), 5, WaitMs);

        // A project with two surveys: the first with photos on the tablet, one only on the
        // camera, one nowhere, and a video; the second lists today's camera files.
        CProjectService* service = CApplication::instance()->projectService();
        QSignalSpy created(service, &CProjectService::projectCreated);
        service->createProject(QStringLiteral("Culvert"), QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric,
                               m_dir.filePath(QStringLiteral("projects")));
        QVERIFY(created.wait(WaitMs));
        QCOMPARE(created.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        m_projectPath = ensureTrailingSlash(created.at(0).at(1).toString());
        m_project = created.at(0).at(2).value<SurveyProjectPtr>();
        QVERIFY(writeJpeg(projectFile("Photos/LOCAL1.JPG"), QColor(90, 90, 90)));
        QVERIFY(writeJpeg(projectFile("Photos/LOCAL2.JPG"), QColor(40, 120, 40)));
        QVERIFY(QDir().mkpath(projectFile("Videos")));
        QFile video(projectFile("Videos/LOCALV.MP4"));
        QVERIFY(video.open(QIODevice::WriteOnly) && video.write("not really a video") > 0);
        video.close();

        auto first = std::make_shared<CSurvey>();
        first->setOperatorName(QStringLiteral("Olga"));
        for (const char* name : {"LOCAL1.JPG", "LOCAL2.JPG", "IMG0001.JPG", "GONE.JPG"})
            first->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/") + name, QString(), 0.0, 0.0, 0.0));
        first->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/LOCALV.MP4"), QString()));
        auto second = std::make_shared<CSurvey>();
        second->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/T0001.JPG"), QString(), 0.0, 0.0, 0.0));
        second->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/T0002.MP4"), QString()));
        m_project->addSurvey(first);
        m_project->addSurvey(second);
        QSignalSpy saved(service, &CProjectService::projectSaved);
        service->saveProject(m_project);
        QVERIFY(saved.wait(WaitMs));
        CApplication::instance()->appRuntimeData()->setCurrentProject(m_project, m_projectPath);
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void cleanupTestCase()
    {
        closeToStartScreen();
        if (CApplication::instance())
            CApplication::instance()->appRuntimeData()->setCurrentProject(nullptr, QString());
        if (Ulx::CUlxSystemsLibraryPrivate::instance())
            Ulx::CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
        m_logic.reset();
        m_runner.reset();
        m_sim.reset();
    }

    void surveyGalleryStatesAndDownload()
    {
        auto* controller = showScreen<CSurveyGalleryScreenController>(QStringLiteral("SurveyGalleryScreen"));
        QVERIFY(controller);
        auto* model = qobject_cast<CGalleryModel*>(controller->surveyMediaListModel());
        QTRY_COMPARE(model->rowCount(), 5);
        QCOMPARE(model->index(0).data(CGalleryModel::FileNameRole).toString(), QStringLiteral("LOCALV.MP4"));
        QCOMPARE(state(model, "LOCAL1.JPG"), int(GalleryTypes::FileStateStoredLocally));
        QCOMPARE(state(model, "IMG0001.JPG"), int(GalleryTypes::FileStateStoredRemotely));
        QCOMPARE(state(model, "GONE.JPG"), int(GalleryTypes::FileStateNotAvailable));
        QVERIFY(item("galleryTile_GONE.JPG"));
        QVERIFY(waitForFrame());
        shot(QStringLiteral("survey-gallery-states"));

        // The same surveys again change nothing, not even the ticks.
        click(QStringLiteral("galleryTile_LOCAL1.JPG"));
        QCOMPARE(controller->selectionCount(), 1);
        QSignalSpy listChanged(controller, &CSurveyGalleryScreenController::surveyListChanged);
        controller->setSurveyList(controller->surveyList());
        QCOMPARE(listChanged.count(), 0);
        QCOMPARE(controller->selectionCount(), 1);
        // A script array of surveys from QML works as well.
        evaluate(QStringLiteral("var l = appRuntimeData.querySurveyList(); "
                                "ScreenManager.currentScreen.controller.surveyList = [l[1]]"));
        QCOMPARE(controller->surveyListModel()->rowCount(), 1);
        QCOMPARE(model->rowCount(), 2);
        evaluate(QStringLiteral("ScreenManager.currentScreen.controller.surveyList = appRuntimeData.querySurveyList()"));
        QCOMPARE(controller->surveyListModel()->rowCount(), 2);
        controller->setCurrentSurveyIndex(-1);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(controller->selectionCount(), 0);
        controller->setCurrentSurveyIndex(0);

        // The second survey: today's files, both only on the camera.
        click(QStringLiteral("surveyGallerySurvey_1"));
        QCOMPARE(controller->currentSurveyIndex(), 1);
        QTRY_COMPARE(model->rowCount(), 2);
        QCOMPARE(state(model, "T0001.JPG"), int(GalleryTypes::FileStateStoredRemotely));
        click(QStringLiteral("surveyGallerySurvey_0"));
        QTRY_COMPARE(model->rowCount(), 5);

        // The camera-only photo comes into the project's own folder, the runtime photo folder
        // being empty now that no inspection screen is open.
        CApplication::instance()->appRuntimeData()->setPhotoDirectory(QString());
        QSignalSpy started(controller, &CBaseGalleryScreenController::downloadStarted);
        pressAndHold(QStringLiteral("galleryTile_IMG0001.JPG"));
        answerMessage();
        QVERIFY(started.count() > 0 || started.wait(WaitMs));
        QCOMPARE(controller->selectionCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(state(model, "IMG0001.JPG"), int(GalleryTypes::FileStateStoredLocally), WaitMs);
        QVERIFY(QFile::exists(projectFile("Photos/IMG0001.JPG")));
        answerMessage();
        QTRY_VERIFY(item(QStringLiteral("SurveyGalleryScreen")) && !item(QStringLiteral("MediaDownloadScreen")));
        closeToStartScreen();
    }

    void templateChangesTickedPhotos()
    {
        auto* controller = showScreen<CSurveyGalleryScreenController>(QStringLiteral("SurveyGalleryScreen"));
        QVERIFY(controller);
        auto* model = qobject_cast<CGalleryModel*>(controller->surveyMediaListModel());
        QTRY_COMPARE(model->rowCount(), 5);
        QTRY_VERIFY_WITH_TIMEOUT(!controller->loadingTemplateList(), WaitMs);
        QVERIFY(!controller->templateList().isEmpty());
        const QImage before(projectFile("Photos/LOCAL1.JPG"));
        const QImage otherBefore(projectFile("Photos/LOCAL2.JPG"));
        QTRY_VERIFY_WITH_TIMEOUT(thumbnailsSettled(), WaitMs);
        QVERIFY(text(QStringLiteral("noticeText")).isEmpty());

        click(QStringLiteral("galleryTile_LOCAL1.JPG"));
        click(QStringLiteral("galleryTile_LOCALV.MP4"));
        QCOMPARE(controller->selectionCount(), 2);
        QSignalSpy rowsChanged(model, &QAbstractItemModel::dataChanged);
        QSignalSpy thumbnailsMade(CUiEngine::instance()->thumbnailManager(), &CThumbnailManager::thumbnailRequested);
        QSignalSpy processing(controller, &CBaseGalleryScreenController::processingChanged);
        controller->applyDrawingTemplateToSelectedPhotos(controller->templateList().first());
        QCOMPARE(controller->selectionCount(), 0);
        QVERIFY(controller->processing());
        QTRY_VERIFY_WITH_TIMEOUT(!controller->processing(), WaitMs);
        const QImage after(projectFile("Photos/LOCAL1.JPG"));
        QCOMPARE(after.size(), before.size());
        QVERIFY(after != before);
        QCOMPARE(QImage(projectFile("Photos/LOCAL2.JPG")), otherBefore);
        // Every row is read again, so the views ask for new thumbnails.
        QVERIFY(!rowsChanged.isEmpty());
        QCOMPARE(rowsChanged.last().at(1).toModelIndex().row(), model->rowCount() - 1);
        // The tile on screen asks for the changed photo's thumbnail again and gets a new one, not
        // the one it had: the operator sees the template there, and is told it was applied.
        const QString changedUrl = CThumbnailManager::normalizedUrl(
            QUrl::fromLocalFile(projectFile("Photos/LOCAL1.JPG")).toString());
        const auto madeAgain = [&] {
            for (const QList<QVariant>& request : qAsConst(thumbnailsMade)) {
                if (request.first().toString() == changedUrl)
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(madeAgain(), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(thumbnailsSettled(), WaitMs);
        QCOMPARE(text(QStringLiteral("noticeText")), QStringLiteral("The drawing template was applied to the photo."));
        shot(QStringLiteral("survey-gallery-template-applied"));
        closeToStartScreen();
    }

    void deleteAndSaveLeavesTheRest()
    {
        photoDownloadedBefore();
        auto* controller = showScreen<CSurveyGalleryScreenController>(QStringLiteral("SurveyGalleryScreen"));
        QVERIFY(controller);
        auto* model = qobject_cast<CGalleryModel*>(controller->surveyMediaListModel());
        QTRY_COMPARE(model->rowCount(), 5);
        const QStringList listedBefore = listedMedia();
        QVERIFY(listedBefore.contains("LOCAL2.JPG"));

        // A photo taken from a video over LOCAL1.JPG: the old entry goes, a new one with the
        // same path comes (what the media view does); the file must survive the save.
        auto provider = controller->dataProvider();
        provider->removeFile(QStringLiteral("Photos/LOCAL1.JPG"));
        provider->addPhoto(QStringLiteral("Photos/LOCAL1.JPG"));
        QVERIFY(controller->projectModified());
        QTRY_VERIFY(item("galleryTile_LOCAL2.JPG"));

        click(QStringLiteral("galleryTile_LOCAL2.JPG"));
        click(QStringLiteral("galleryTile_GONE.JPG"));
        click(QStringLiteral("surveyGalleryDelete"));
        answerMessage();
        QTRY_COMPARE(model->rowCount(), 3);
        QVERIFY(controller->projectModified());
        // Nothing leaves the disk before the save.
        QVERIFY(QFile::exists(projectFile("Photos/LOCAL2.JPG")));
        QVERIFY(waitForFrame());
        shot(QStringLiteral("survey-gallery-after-delete"));

        QSignalSpy saved(controller, &CBaseGalleryScreenController::changesSaved);
        click(QStringLiteral("surveyGallerySave"));
        QVERIFY(saved.wait(WaitMs));
        QTRY_VERIFY(!item(QStringLiteral("SurveyGalleryScreen")));

        QStringList expected = listedBefore;
        expected.removeAll("LOCAL2.JPG");
        expected.removeAll("GONE.JPG");
        QCOMPARE(listedMedia(), expected);
        QVERIFY(!QFile::exists(projectFile("Photos/LOCAL2.JPG")));
        QVERIFY(QFile::exists(projectFile("Photos/LOCAL1.JPG")));
        QVERIFY(QFile::exists(projectFile("Photos/IMG0001.JPG")));
        QVERIFY(QFile::exists(projectFile("Videos/LOCALV.MP4")));
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (!xmllint.isEmpty())
            QCOMPARE(QProcess::execute(xmllint, {"--noout", projectFile("project.xml")}), 0);
    }

    void cameraGalleryTodayDownload()
    {
        photoDownloadedBefore();
        auto* controller = showScreen<CRemoteGalleryScreenController>(QStringLiteral("RemoteGalleryScreen"));
        QVERIFY(controller);
        CRemoteGallerySectionModel* sections = controller->sectionModel();
        QTRY_COMPARE_WITH_TIMEOUT(sections->rowCount(), 3, WaitMs);
        auto provider = controller->dataProvider();
        QCOMPARE(provider->sectionTitle(0), QLocale().toString(QDate::currentDate(), QLocale::LongFormat));
        QCOMPARE(provider->fileName(0, 0), QStringLiteral("T0001.JPG"));
        QCOMPARE(provider->fileName(2, 0), QStringLiteral("IMG0001.JPG"));
        // Downloaded by the survey gallery before: on the tablet.
        QCOMPARE(provider->fileState(2, 0), int(GalleryTypes::FileStateStoredLocally));
        QCOMPARE(provider->fileState(0, 0), int(GalleryTypes::FileStateStoredRemotely));
        QVERIFY(waitForFrame());
        shot(QStringLiteral("camera-gallery-by-day"));

        click(QStringLiteral("remoteGallerySelectToday"));
        QCOMPARE(controller->selectionCount(), 2);
        QVERIFY(!controller->queryForeignFilesSelected());
        QVERIFY(waitForFrame());
        shot(QStringLiteral("camera-gallery-today-selected"));

        CApplication::instance()->appRuntimeData()->setPhotoDirectory(QString());
        CApplication::instance()->appRuntimeData()->setVideoDirectory(QString());
        const int listRequests = m_sim->requestsTo(QStringLiteral("dir")).size();
        QSignalSpy started(controller, &CBaseGalleryScreenController::downloadStarted);
        click(QStringLiteral("remoteGalleryDownload"));
        QVERIFY(started.wait(WaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(provider->fileState(0, 0) == GalleryTypes::FileStateStoredLocally
                                     && provider->fileState(0, 1) == GalleryTypes::FileStateStoredLocally,
                                 WaitMs);
        QVERIFY(QFile::exists(projectFile("Photos/T0001.JPG")));
        QVERIFY(QFile::exists(projectFile("Videos/T0002.MP4")));
        QCOMPARE(m_sim->requestsTo(QStringLiteral("dir")).size(), listRequests);
        answerMessage();
        QTRY_VERIFY(!item(QStringLiteral("MediaDownloadScreen")));
        closeToStartScreen();
    }

    void cameraDeletionsAfterAnEmptiedDay()
    {
        auto* controller = showScreen<CRemoteGalleryScreenController>(QStringLiteral("RemoteGalleryScreen"));
        QVERIFY(controller);
        CRemoteGallerySectionModel* sections = controller->sectionModel();
        QTRY_COMPARE_WITH_TIMEOUT(sections->rowCount(), 3, WaitMs);
        auto provider = controller->dataProvider();

        // The media view removes Y0001.JPG, the only file of its day: the day stays, empty.
        QString removedUrl;
        for (const CRemoteFileInfo& file : provider->files()) {
            if (file.fileName() == QLatin1String("Y0001.JPG"))
                removedUrl = file.fileUrl();
        }
        provider->removeFileByUrl(removedUrl);
        QCOMPARE(sections->rowCount(), 3);
        QCOMPARE(provider->rowCount(1), 0);

        // The project's files are ticked where they are shown, also behind the emptied day.
        click(QStringLiteral("remoteGallerySelectProject"));
        QStringList ticked;
        for (const CRemoteFileInfo& file : provider->selectedFiles())
            ticked << file.fileName();
        ticked.sort();
        QCOMPARE(ticked, QStringList({"IMG0001.JPG", "T0001.JPG", "T0002.MP4"}));
        QCOMPARE(sections->galleryModel(2)->selection(), QSet<int>({0}));

        // Back from the media view: the file it removed goes on the camera.
        controller->deletePendingFiles();
        QTRY_VERIFY_WITH_TIMEOUT(!simFileNames().contains("Y0001.JPG"), WaitMs);
        // The program has the camera's answer too: its list takes the next deletion.
        QTRY_COMPARE_WITH_TIMEOUT(storage()->fileListState(), Ulx::RemoteMediaTypes::FileListStateReady, WaitMs);

        click(QStringLiteral("remoteGallerySelectToday"));
        QCOMPARE(controller->selectionCount(), 2);
        click(QStringLiteral("remoteGalleryDelete"));
        answerMessage();
        QTRY_COMPARE_WITH_TIMEOUT(simFileNames(), QStringList({"IMG0001.JPG", "MOV0001.MP4"}), WaitMs);
        storage()->requestFileList();
        QTRY_COMPARE_WITH_TIMEOUT(sections->rowCount(), 1, WaitMs);
        closeToStartScreen();
    }

    // Survey records, as a project from the web service may hold them, that lead out of the
    // project folder (by "..", or through a link in the photo folder) to files that must stay
    // untouched whatever the operator does with them in the galleries.
    void recordsLeadingOutOfTheProjectReachNoFile()
    {
        const QString outside = m_dir.filePath(QStringLiteral("outside/"));
        QVERIFY(writeJpeg(outside + QStringLiteral("victim.jpg"), QColor(200, 30, 30)));
        QVERIFY(writeJpeg(outside + QStringLiteral("linked.jpg"), QColor(30, 30, 200)));
        QVERIFY(QFile::link(outside + QStringLiteral("linked.jpg"), projectFile("Photos/LINKED.JPG")));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("escape"))));
        const auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray victim = bytes(outside + QStringLiteral("victim.jpg"));
        const QByteArray linked = bytes(outside + QStringLiteral("linked.jpg"));
        QVERIFY(!victim.isEmpty() && !linked.isEmpty());
        const auto untouched = [&] {
            return bytes(outside + QStringLiteral("victim.jpg")) == victim
                && bytes(outside + QStringLiteral("linked.jpg")) == linked
                && QDir(m_dir.filePath(QStringLiteral("escape"))).isEmpty();
        };

        auto escaping = std::make_shared<CSurvey>();
        escaping->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/../../../escape/MOV0001.MP4"), QString()));
        for (const char* path : {"Photos/LOCAL1.JPG", "Photos/../../../outside/victim.jpg", "Photos/LINKED.JPG"})
            escaping->addPicture(std::make_shared<CSurveyPhoto>(QLatin1String(path), QString(), 0.0, 0.0, 0.0));
        m_project->addSurvey(escaping);
        auto* controller = showScreen<CSurveyGalleryScreenController>(QStringLiteral("SurveyGalleryScreen"));
        QVERIFY(controller);
        auto* model = qobject_cast<CGalleryModel*>(controller->surveyMediaListModel());
        const int index = controller->surveyListModel()->rowCount() - 1;
        click(QStringLiteral("surveyGallerySurvey_%1").arg(index));
        QCOMPARE(controller->currentSurveyIndex(), index);
        QTRY_COMPARE(model->rowCount(), 4);

        // Thumbnails: no file, so nothing to show; the state does not claim the file is here.
        for (const QString& name : {QStringLiteral("victim.jpg"), QStringLiteral("LINKED.JPG")}) {
            QVERIFY(model->index(row(model, name)).data(CGalleryModel::FileUrlRole).toUrl().isEmpty());
            QCOMPARE(state(model, name), int(GalleryTypes::FileStateNotAvailable));
            QQuickItem* thumbnail = findVisualItem(item("galleryTile_" + name), QStringLiteral("galleryThumbnail"));
            QVERIFY(thumbnail);
            QVERIFY(thumbnail->property("source").toUrl().isEmpty());
        }
        QCOMPARE(state(model, "LOCAL1.JPG"), int(GalleryTypes::FileStateStoredLocally));

        // Opening one offers a download instead of the media view.
        pressAndHold(QStringLiteral("galleryTile_victim.jpg"));
        answerMessage();
        QCOMPARE(topScreenName(), QStringLiteral("SurveyGalleryScreen"));

        // The media view opened on the photo beside it and walked over to the record shows
        // nothing, and neither edits nor deletes it.
        pressAndHold(QStringLiteral("galleryTile_LOCAL1.JPG"), QStringLiteral("MediaViewScreen"));
        QVERIFY(item(QStringLiteral("mediaViewEdit"))->isVisible());
        click(QStringLiteral("mediaViewStripItem_%1").arg(row(model, "victim.jpg")));
        QTRY_VERIFY(evaluate(QStringLiteral("ScreenManager.currentScreen.controller.fileUrl.toString()")).toString().isEmpty());
        QVERIFY(!item(QStringLiteral("mediaViewEdit"))->isVisible());
        QVERIFY(!item(QStringLiteral("mediaViewDelete"))->isEnabled());
        QVERIFY(item(QStringLiteral("mediaViewPhoto"))->property("source").toUrl().isEmpty());
        evaluate(QStringLiteral("ScreenManager.currentScreen.back()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyGalleryScreen"));
        QCOMPARE(model->rowCount(), 4);

        // A template on either is refused before anything is written.
        QTRY_VERIFY_WITH_TIMEOUT(!controller->loadingTemplateList(), WaitMs);
        QSignalSpy errors(controller, &CBaseGalleryScreenController::errorOccurred);
        for (const QString& name : {QStringLiteral("victim.jpg"), QStringLiteral("LINKED.JPG")}) {
            click("galleryTile_" + name);
            QCOMPARE(controller->selectionCount(), 1);
            controller->applyDrawingTemplateToSelectedPhotos(controller->templateList().first());
            QVERIFY(!controller->processing());
            QVERIFY(errors.last().first().toString().contains(name));
            answerMessage();
            controller->clearSelection();
        }
        QCOMPARE(errors.count(), 2);

        // A camera download into the video's place is refused.
        QVERIFY(storage()->fileList().size() > 0);
        controller->downloadFile(QStringLiteral("MOV0001.MP4"));
        QCOMPARE(errors.count(), 3);
        QVERIFY(errors.last().first().toString().contains(QLatin1String("MOV0001.MP4")));
        QVERIFY(!storage()->activeDownload());
        answerMessage();

        // Removed from the survey and saved: the records go, the files they named stay.
        for (const QString& name : {QStringLiteral("victim.jpg"), QStringLiteral("LINKED.JPG"), QStringLiteral("MOV0001.MP4")})
            click("galleryTile_" + name);
        QCOMPARE(controller->selectionCount(), 3);
        click(QStringLiteral("surveyGalleryDelete"));
        answerMessage();
        QTRY_COMPARE(model->rowCount(), 1);
        QSignalSpy saved(controller, &CBaseGalleryScreenController::changesSaved);
        click(QStringLiteral("surveyGallerySave"));
        QVERIFY(saved.wait(WaitMs));
        QVERIFY(!listedMedia().contains(QStringLiteral("../../../outside/victim.jpg")));
        QVERIFY(QFile::exists(projectFile("Photos/LOCAL1.JPG")));
        QVERIFY(untouched());
        closeToStartScreen();
    }
};

int main(int argc, char** argv)
{
    return ApplicationScreenTest::runInApplication<tst_GalleryScreens>(argc, argv);
}

#include "tst_GalleryScreens.moc"
