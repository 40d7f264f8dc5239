// The scan and import screens in the whole application: a generated media tree is scanned and
// imported through the QML screens, without a current project (destination folders) and with
// one (files matched by name), with a cancel in the middle of a large file. With CX_SHOTS_DIR
// set, screenshots of selection, progress and result are written there.
#include "mediaimport/CMediaImportScreenController.h"
#include "mediaimport/CMediaScanScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "surveyprojects/CSurvey.h"
#include "surveyprojects/CSurveyPhoto.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/CSurveyVideo.h"
#include "uiengine/CUiEngine.h"

#include "MediaTree.h"
#include "support/ApplicationScreenTest.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"
#include "support/TestVolume.h"

#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace MediaTree;

namespace {

constexpr int WaitMs = 60000;
constexpr qint64 MiB = 1048576;

} // namespace

class tst_MediaImportScreens : public QObject, private QuickScreenDriver
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

    // Scans with the screen's button and waits for the end of the scan.
    void scan(CMediaScanScreenController* controller)
    {
        QSignalSpy running(controller, &CMediaScanScreenController::operationInProgressChanged);
        click(QStringLiteral("mediaScanStart"));
        QTRY_VERIFY_WITH_TIMEOUT(running.size() >= 2 && !controller->operationInProgress(), WaitMs);
    }

    // Opens the import screen with the ticked files and waits for its outcome signal.
    CMediaImportScreenController* startImport(const char* outcome, QSignalSpy*& spy)
    {
        click(QStringLiteral("mediaScanImport"));
        auto* controller = controllerOf<CMediaImportScreenController>(QStringLiteral("MediaImportScreen"));
        if (controller)
            spy = new QSignalSpy(controller, outcome);
        return controller;
    }

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        QVERIFY(m_dir.isValid());
        setWindow(ApplicationScreenTest::waitForMainWindow(WaitMs));
        QVERIFY2(window(), "the main window did not load");
        window()->resize(1280, 800);
        // The start-up screens on top are not this test's business.
        QTRY_VERIFY_WITH_TIMEOUT(depth() >= 1, WaitMs);
        closeToStartScreen();

        m_hasVideo = writeVideo(path("card/DCIM/101/VID_0001.MP4")) && rotateVideo(path("card/DCIM/101/VID_0001.MP4"));
        QVERIFY(writePhoto(path("card/DCIM/100/IMG_0001.JPG"), 1));
        QVERIFY(writePhoto(path("card/DCIM/100/IMG_0002.JPG"), 2));
        QVERIFY(writePhoto(path("card/DCIM/101/img_0002.jpg"), 3));
        QVERIFY(writePhoto(path("card/Misc/sketch.png"), 4));
        QVERIFY(writeBytes(path("card/Misc/LARGE_0001.JPG"), noise(24 * MiB, 5)));
        QVERIFY(writeBytes(path("card/Misc/readme.txt"), "not media"));
        QVERIFY(writePhoto(path("card/.thumbs/IMG_0009.JPG"), 6));
        QVERIFY(writeSparse(path("card/Misc/ZHUGE_0001.MP4"), 1024 * MiB));
    }

    void init() { QmlWarningGuard::skipAfterAFailure(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void destinationModeImportsTheTickedFiles()
    {
        QVERIFY(!CApplication::instance()->appRuntimeData()->projectSelected());
        QVERIFY(QDir().mkpath(path("tablet/photos")));
        QVERIFY(QDir().mkpath(path("tablet/videos")));
        QVERIFY(writeBytes(path("tablet/photos/IMG_0002.JPG"), "older copy"));

        // Working with plain folders, the start screen opens the scan.
        QVERIFY(!CApplication::instance()->settings()->projectMode());
        click(QStringLiteral("startScreenImportButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("MediaScanScreen"));
        auto* scanner = controllerOf<CMediaScanScreenController>(QStringLiteral("MediaScanScreen"));
        QVERIFY(scanner);
        QVERIFY(item("mediaScanPhotoFolder")->isVisible());
        QVERIFY(!item("mediaScanStart")->isEnabled());
        QCOMPARE(scanner->scanResultText(), QStringLiteral("No media to import found."));
        scanner->setSearchFolder(path("card"));
        scanner->setPhotoFolder(path("tablet/photos"));
        scanner->setVideoFolder(path("tablet/videos"));
        scan(scanner);
        QCOMPARE(scanner->scanResultText(), QString());
        const int rows = scanner->selectionModel()->rowCount();
        QCOMPARE(rows, m_hasVideo ? 7 : 6);
        // The one whose destination exists starts unticked.
        QCOMPARE(scanner->selectionCount(), rows - 1);
        shoot(QStringLiteral("scan-destination-selection"));

        // The row whose file is on the tablet says so, and says that ticking it replaces that
        // file: "Select all" makes the choice to replace a seen one.
        QQuickItem* existing = item(QStringLiteral("mediaScanExisting_IMG_0002.JPG"));
        QVERIFY(existing && existing->isVisible());
        QCOMPARE(existing->property("text").toString(), QStringLiteral("Already on the tablet"));
        QVERIFY(!item(QStringLiteral("mediaScanExisting_IMG_0001.JPG"))->isVisible());
        QVERIFY(!item(QStringLiteral("mediaScanExisting_img_0002.jpg"))->isVisible());
        QVERIFY(!item(QStringLiteral("mediaScanReplaceCount"))->isVisible());
        click(QStringLiteral("mediaScanSelectAll"));
        QCOMPARE(scanner->selectionCount(), rows);
        QCOMPARE(existing->property("text").toString(), QStringLiteral("Replaces the file on the tablet"));
        QVERIFY(item(QStringLiteral("mediaScanReplaceCount"))->isVisible());
        QCOMPARE(text(QStringLiteral("mediaScanReplaceCount")), QStringLiteral("Files replaced on the tablet: 1"));
        shoot(QStringLiteral("scan-destination-replacing"));

        // Leave the huge file out; the existing one stays ticked, so it is overwritten.
        QAbstractListModel* model = scanner->selectionModel();
        for (int row = 0; row < rows; ++row) {
            const QString name = model->data(model->index(row), Qt::UserRole + 1).toString();
            if (name == QLatin1String("ZHUGE_0001.MP4"))
                QVERIFY(model->setData(model->index(row), false, Qt::UserRole));
        }
        QCOMPARE(scanner->queryOverwriteableFiles(), QStringList({path("tablet/photos/IMG_0002.JPG")}));
        const QStringList sources = scanner->querySourceFiles();
        const QStringList destinations = scanner->queryDestFiles();
        QCOMPARE(sources.size(), destinations.size());

        QSignalSpy* finished = nullptr;
        auto* importer = startImport(SIGNAL(operationFinished()), finished);
        QVERIFY(importer);
        std::unique_ptr<QSignalSpy> finishedOwner(finished);
        bool progressShot = false;
        connect(importer, &CMediaIOScreenController::overallProgressChanged, this, [&] {
            if (!progressShot && importer->overallProgress() > 5 && importer->overallProgress() < 95) {
                progressShot = true;
                shoot(QStringLiteral("import-destination-progress"));
            }
        });
        QVERIFY(finished->wait(WaitMs));
        QVERIFY(!importer->operationInProgress());
        answerMessage();
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("import-destination-result-rescanned"));
        for (int i = 0; i < sources.size(); ++i) {
            QCOMPARE(QFileInfo(destinations.at(i)).fileName(), QFileInfo(sources.at(i)).fileName());
            if (destinations.at(i).endsWith(QLatin1String(".MP4"))) {
                QCOMPARE(trackMatrix(destinations.at(i)), identityMatrix());
                QCOMPARE(QFileInfo(destinations.at(i)).size(), QFileInfo(sources.at(i)).size());
            }
            else
                QVERIFY2(sameContent(sources.at(i), destinations.at(i)), qPrintable(destinations.at(i)));
        }
        QVERIFY(sameContent(path("card/DCIM/100/IMG_0002.JPG"), path("tablet/photos/IMG_0002.JPG")));
        QVERIFY(!QFile::exists(path("tablet/videos/ZHUGE_0001.MP4")));
        QVERIFY(temporaryLeftovers(path("tablet")).isEmpty());

        // Back on the scan screen, which scanned again: everything is there now.
        QTRY_COMPARE_WITH_TIMEOUT(scanner->selectionCount(), 1, WaitMs);
        evaluate(QStringLiteral("ScreenManager.close()"));
    }

    void overwriteReplacesOnlyCompletedFiles()
    {
        // Three old copies to overwrite; the second source is gone, so the import fails there
        // and never reaches the third.
        QVERIFY(writeBytes(path("over/src/A.JPG"), noise(MiB, 11)));
        QVERIFY(writeBytes(path("over/src/C.JPG"), noise(MiB, 13)));
        const QStringList sources{path("over/src/A.JPG"), path("over/src/B.JPG"), path("over/src/C.JPG")};
        const QStringList destinations{path("over/dst/A.JPG"), path("over/dst/B.JPG"), path("over/dst/C.JPG")};
        for (const QString& destination : destinations)
            QVERIFY(writeBytes(destination, "old copy"));
        CMediaImportScreenController controller;
        QSignalSpy errors(&controller, &CMediaIOScreenController::operationErrorOccurred);
        controller.startImport(sources, destinations, destinations);
        QVERIFY(errors.wait(WaitMs));
        // The source is gone: the operator is sent to the source, not to a write-protected folder.
        QVERIFY2(errors.last().first().toString().startsWith(QLatin1String(
                     "Failed to import the file B.JPG.\n\nPlease check whether the media source is still connected"))
                     && errors.last().first().toString().endsWith(QLatin1String("0x90004")),
                 qPrintable(errors.last().first().toString()));
        QCOMPARE(controller.queryProcessedFiles(), QStringList{sources.at(0)});
        QVERIFY(sameContent(sources.at(0), destinations.at(0)));
        QCOMPARE(readBytes(destinations.at(1)), QByteArray("old copy"));
        QCOMPARE(readBytes(destinations.at(2)), QByteArray("old copy"));
        QVERIFY(temporaryLeftovers(path("over/dst")).isEmpty());

        // A start refused for the last file to overwrite (a folder has its name) leaves the
        // old copies of the files before it.
        QVERIFY(QDir().mkpath(path("over/dst/D.JPG")));
        const QStringList refused{destinations.at(1), destinations.at(2), path("over/dst/D.JPG")};
        controller.startImport({sources.at(0), sources.at(2), sources.at(2)}, refused, refused);
        QVERIFY(errors.wait(WaitMs));
        QVERIFY(errors.last().first().toString().contains(QLatin1String("the file D.JPG on your tablet")));
        QVERIFY(!controller.operationInProgress());
        QCOMPARE(readBytes(destinations.at(1)), QByteArray("old copy"));
        QCOMPARE(readBytes(destinations.at(2)), QByteArray("old copy"));
    }

    // A drive that fills during the import: the screen names the full drive and the file, not a
    // folder that cannot be written, and the old copy stays whole. The drive has room when the
    // import starts; it fills while the import waits on its first source (a pipe).
    void aFullDriveIsToldOnTheScreen()
    {
        const QString card = path("fullcard");
        QVERIFY(QDir().mkpath(card) && QDir().mkpath(path("fullsrc")));
        TestVolume volume;
        if (!volume.mountTmpfs(card, 4096))
            QSKIP("mounting a tmpfs needs the right to mount (root in CI)");
        const QString pipe = path("fullsrc/first.jpg");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(writeBytes(path("fullsrc/big.jpg"), noise(3 * MiB, 9)) && writeBytes(card + "/big.jpg", "old copy"));
        evaluate(QStringLiteral("ScreenManager.show('MediaImportScreen', {sourceFiles: ['%1', '%2'], "
                                "destFiles: ['%3/first.jpg', '%3/big.jpg'], overwriteFiles: ['%3/big.jpg']})")
                     .arg(pipe, path("fullsrc/big.jpg"), card));
        QTRY_COMPARE(topScreenName(), QStringLiteral("MediaImportScreen"));
        QVERIFY(TestVolume::fill(card));
        {
            // Opened once the import opens its end: the first source is empty.
            QFile writer(pipe);
            QVERIFY(writer.open(QIODevice::WriteOnly));
        }
        const QString message = answerMessageText();
        QVERIFY2(message.startsWith(QStringLiteral("Failed to import the file big.jpg - there is not enough free storage "
                                                   "space on your tablet."))
                     && message.endsWith(QLatin1String("0x90006")),
                 qPrintable(message));
        QTRY_VERIFY(topScreenName() != QStringLiteral("MediaImportScreen"));
        QCOMPARE(readBytes(card + "/big.jpg"), QByteArray("old copy"));
    }

    void cancelMidFileKeepsCompletedFiles()
    {
        QVERIFY(QDir().mkpath(path("cancel/photos")));
        QVERIFY(QDir().mkpath(path("cancel/videos")));
        evaluate(QStringLiteral("ScreenManager.show('MediaScanScreen')"));
        auto* scanner = controllerOf<CMediaScanScreenController>(QStringLiteral("MediaScanScreen"));
        QVERIFY(scanner);
        scanner->setSearchFolder(path("card/Misc"));
        scanner->setPhotoFolder(path("cancel/photos"));
        scanner->setVideoFolder(path("cancel/videos"));
        scan(scanner);
        QCOMPARE(scanner->querySourceFiles().size(), 3);

        QSignalSpy* cancelled = nullptr;
        auto* importer = startImport(SIGNAL(operationCancelled()), cancelled);
        QVERIFY(importer);
        std::unique_ptr<QSignalSpy> cancelledOwner(cancelled);
        bool clicked = false;
        connect(importer, &CMediaIOScreenController::currentFileProgressChanged, this, [&] {
            if (!clicked && importer->currentFileName() == QLatin1String("ZHUGE_0001.MP4")
                && importer->currentFileProgress() >= 1) {
                clicked = true;
                // Before the cancel: taking the shot runs the event loop, which must not end the
                // job while its signal is still being emitted.
                shoot(QStringLiteral("import-cancel-progress"));
                // What the Cancel button calls (the button itself is driven on the download screen).
                importer->cancelOperation();
            }
        });
        QVERIFY(cancelled->wait(WaitMs));
        QVERIFY(!importer->cancelInProgress());
        answerMessage();
        // Sorted by name: the large photo came first and stays; sketch.png was still to come.
        QVERIFY(sameContent(path("card/Misc/LARGE_0001.JPG"), path("cancel/photos/LARGE_0001.JPG")));
        QVERIFY(!QFile::exists(path("cancel/photos/sketch.png")));
        QVERIFY(!QFile::exists(path("cancel/videos/ZHUGE_0001.MP4")));
        QVERIFY(temporaryLeftovers(path("cancel")).isEmpty());
        evaluate(QStringLiteral("ScreenManager.close()"));
    }

    void projectModeMatchesByName()
    {
        const QString project = path("projects/Culvert/");
        QVERIFY(QDir().mkpath(project + QStringLiteral("Photos")));
        QVERIFY(QDir().mkpath(project + QStringLiteral("Videos")));
        QVERIFY(writeBytes(project + QStringLiteral("Photos/IMG_0002.JPG"), "already imported"));
        auto survey = std::make_shared<CSurvey>();
        survey->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/IMG_0001.JPG"), QString(), 0.0, 0.0, 0.0));
        survey->addPicture(std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/IMG_0002.JPG"), QString(), 0.0, 0.0, 0.0));
        survey->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/VID_0001.MP4"), QString()));
        // A record leading out of the project folder to a name the card holds.
        survey->addPicture(
            std::make_shared<CSurveyPhoto>(QStringLiteral("Photos/../../../LARGE_0001.JPG"), QString(), 0.0, 0.0, 0.0));
        auto surveyProject = std::make_shared<CSurveyProject>(QStringLiteral("Culvert"), QStringLiteral("en_US"),
                                                               ProjectTypes::DistanceUnitMetric);
        surveyProject->addSurvey(survey);
        CApplication::instance()->appRuntimeData()->setCurrentProject(surveyProject, project);

        // The open project's survey list opens the scan into the project's folders.
        evaluate(QStringLiteral("ScreenManager.show('SurveyListScreen')"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyListScreen"));
        click(QStringLiteral("surveyImportButton"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("MediaScanScreen"));
        auto* scanner = controllerOf<CMediaScanScreenController>(QStringLiteral("MediaScanScreen"));
        QVERIFY(scanner);
        QVERIFY(!item("mediaScanPhotoFolder")->isVisible());
        scanner->setSearchFolder(path("card"));
        scan(scanner);
        const int expected = m_hasVideo ? 3 : 2;
        QCOMPARE(scanner->selectionModel()->rowCount(), expected);
        QCOMPARE(scanner->selectionCount(), expected - 1);
        QVERIFY(item(QStringLiteral("mediaScanExisting_IMG_0002.JPG"))->isVisible());
        QVERIFY(!item(QStringLiteral("mediaScanExisting_IMG_0001.JPG"))->isVisible());
        QVERIFY(!scanner->queryDestFiles().contains(path("LARGE_0001.JPG")));
        QCOMPARE(scanner->scanResultText(),
                 QStringLiteral("Some photos or videos of the project lie outside the project folder.\nThey are not imported."));
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("scan-project-selection"));

        QSignalSpy* finished = nullptr;
        auto* importer = startImport(SIGNAL(operationFinished()), finished);
        QVERIFY(importer);
        std::unique_ptr<QSignalSpy> finishedOwner(finished);
        QVERIFY(finished->wait(WaitMs));
        QVERIFY(waitForFrame());
        shoot(QStringLiteral("import-project-result"));
        answerMessage();
        QVERIFY(sameContent(path("card/DCIM/100/IMG_0001.JPG"), project + QStringLiteral("Photos/IMG_0001.JPG")));
        QCOMPARE(readBytes(project + QStringLiteral("Photos/IMG_0002.JPG")), QByteArray("already imported"));
        QVERIFY(!QFile::exists(path("LARGE_0001.JPG")));
        if (m_hasVideo)
            QCOMPARE(trackMatrix(project + QStringLiteral("Videos/VID_0001.MP4")), identityMatrix());
        evaluate(QStringLiteral("ScreenManager.close()"));
        QTRY_COMPARE(topScreenName(), QStringLiteral("SurveyListScreen"));
        evaluate(QStringLiteral("ScreenManager.close()"));
        CApplication::instance()->appRuntimeData()->setCurrentProject(nullptr, QString());
    }
};

int main(int argc, char** argv)
{
    return ApplicationScreenTest::runInApplication<tst_MediaImportScreens>(argc, argv);
}

#include "tst_MediaImportScreens.moc"
