#include "surveyprojects/CManholeXmlReader.h"
#include "surveyprojects/CProjectServiceWorker.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"
#include "surveyprojects/CSurveyChangeSet.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"
#include "surveyprojects/WebDownloadMarker.h"

#include "ProjectSamples.h"

#include "FileReplacement.h"

#include <QBuffer>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

bool writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeProject(const QString& folder, const QString& name)
{
    auto project = std::make_shared<CSurveyProject>(name, "en", ProjectTypes::DistanceUnitMetric);
    return CProjectXmlWriter().write(project, folder + "project.xml");
}

QStringList listedNames(const CProjectServiceWorker& worker)
{
    QStringList listed;
    for (const CLocalProjectInfo& info : worker.projectList())
        listed << info.name();
    listed.sort();
    return listed;
}

// Lands something (a project file, a whole project folder) right after the worker's n-th look
// into a folder, as a copy running beside the program would between two of the worker's steps.
class LateArrivalWorker : public CProjectServiceWorker
{
public:
    void arriveAfterLook(const QString& folder, int look, std::function<void()> arrival)
    {
        m_arrivals.insert(QDir::cleanPath(folder), { look, std::move(arrival) });
    }

protected:
    CLocalProjectInfo readProjectInfo(const QString& projectPath) const override
    {
        const CLocalProjectInfo info = CProjectServiceWorker::readProjectInfo(projectPath);
        const QString key = QDir::cleanPath(projectPath);
        const int look = ++m_looks[key];
        const auto arrival = m_arrivals.constFind(key);
        if (arrival != m_arrivals.cend() && arrival->first == look)
            arrival->second();
        return info;
    }

private:
    QHash<QString, QPair<int, std::function<void()>>> m_arrivals;
    mutable QHash<QString, int> m_looks;
};

} // namespace

class tst_CProjectServiceWorker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProjectServiceWorker> m_worker;
    QString m_root;

    bool listed(const QString& name) const
    {
        const QVector<CLocalProjectInfo> list = m_worker->projectList();
        return std::any_of(list.cbegin(), list.cend(), [&name](const CLocalProjectInfo& i) { return i.name() == name; });
    }

    int listCount(const QString& name) const
    {
        const QVector<CLocalProjectInfo> list = m_worker->projectList();
        return static_cast<int>(
            std::count_if(list.cbegin(), list.cend(), [&name](const CLocalProjectInfo& i) { return i.name() == name; }));
    }

    // Creates a project through the worker and returns it (open), with its folder path.
    SurveyProjectPtr create(const QString& name, QString* path = nullptr)
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createProject(7, name, "en", ProjectTypes::DistanceUnitMetric, m_root);
        if (spy.size() != 1)
            return {};
        if (path)
            *path = spy.at(0).at(1).toString();
        return spy.at(0).at(2).value<SurveyProjectPtr>();
    }

    ProjectTypes::ProjectError createError(const QString& name)
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createProject(8, name, "en", ProjectTypes::DistanceUnitMetric, m_root);
        return spy.size() == 1 ? spy.at(0).at(3).value<ProjectTypes::ProjectError>() : ProjectTypes::ProjectErrorInternal;
    }

    ProjectTypes::ProjectError renameError(const QString& path, const QString& newName, QString* newPath = nullptr)
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectRenamed);
        m_worker->renameProject(9, path, newName);
        if (spy.size() != 1)
            return ProjectTypes::ProjectErrorInternal;
        if (newPath)
            *newPath = spy.at(0).at(2).toString();
        return spy.at(0).at(3).value<ProjectTypes::ProjectError>();
    }

    ProjectTypes::ProjectError apply(const AbstractChangeSetPtr& changeSet)
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::changeSetApplied);
        m_worker->applyChangeSet(10, changeSet);
        return spy.size() == 1 ? spy.at(0).at(2).value<ProjectTypes::ProjectError>() : ProjectTypes::ProjectErrorInternal;
    }

    SurveyProjectPtr load(const QString& path, ProjectTypes::ProjectError* error = nullptr)
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectLoaded);
        m_worker->loadProject(11, path);
        if (spy.size() != 1)
            return {};
        if (error)
            *error = spy.at(0).at(3).value<ProjectTypes::ProjectError>();
        return spy.at(0).at(2).value<SurveyProjectPtr>();
    }

    SurveyProjectPtr withSurvey(const QString& name, QString& path)
    {
        SurveyProjectPtr project = create(name, &path);
        if (project)
            project->addSurvey(std::make_shared<CSurvey>());
        return project;
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<SurveyProjectPtr>("SurveyProjectPtr");
        qRegisterMetaType<ProjectTypes::ProjectError>("ProjectTypes::ProjectError");
        qRegisterMetaType<AbstractChangeSetPtr>("AbstractChangeSetPtr");
        qRegisterMetaType<SurveyPhotoPtr>("SurveyPhotoPtr");
        qRegisterMetaType<SurveyVideoPtr>("SurveyVideoPtr");
        qRegisterMetaType<ManholeListPtr>("ManholeListPtr");
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_root = m_dir->path() + "/root/";
        QVERIFY(QDir().mkpath(m_root));
        m_worker = std::make_unique<CProjectServiceWorker>();
        QSignalSpy ready(m_worker.get(), &CProjectServiceWorker::projectListReadyChanged);
        m_worker->init(m_root);
        QCOMPARE(ready.size(), 1);
        QCOMPARE(ready.at(0).at(0).toBool(), true);
    }

    void cleanup()
    {
        m_worker.reset();
        m_dir.reset();
    }

    void unsetRootListsNothing()
    {
        QVERIFY(create("Here"));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_root));
        m_worker->init(QString());
        QDir::setCurrent(before);
        QVERIFY(m_worker->projectList().isEmpty());
    }

    void createMakesAListedOpenProject()
    {
        QString path;
        const SurveyProjectPtr project = create("Main Street", &path);
        QVERIFY(project);
        QCOMPARE(path, m_root + "Main Street/");
        QVERIFY(QFileInfo(path + "Photos").isDir());
        QVERIFY(QFileInfo(path + "Videos").isDir());
        QVERIFY(CProjectXmlReader().read(path + "project.xml", false));
        QCOMPARE(listCount("Main Street"), 1);
        QSignalSpy saved(m_worker.get(), &CProjectServiceWorker::projectSaved);
        m_worker->saveProject(1, project);
        QCOMPARE(saved.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
    }

    void createRefusals()
    {
        QVERIFY(create("Alpha"));
        QCOMPARE(createError("ALPHA"), ProjectTypes::ProjectErrorCreateTakenProjectName);
        QDir().mkpath(m_root + "Stray");
        QCOMPARE(createError("stray"), ProjectTypes::ProjectErrorCreateFolderExists);
        QCOMPARE(createError("   "), ProjectTypes::ProjectErrorCreateInvalidProjectName);
        QCOMPARE(createError(".."), ProjectTypes::ProjectErrorCreateInvalidProjectName);
        QCOMPARE(createError(QString(QChar(0x01))), ProjectTypes::ProjectErrorCreateInvalidProjectName);
        QVERIFY(!QFile::exists(m_dir->path() + "/project.xml"));
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createProject(3, "Nowhere", "en", ProjectTypes::DistanceUnitMetric, "/proc/no-such-place/");
        QCOMPARE(spy.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorCreateFileAccess);
        QVERIFY(!spy.at(0).at(2).value<SurveyProjectPtr>());
    }

    void placeholderStaysUnlistedUntilAdded()
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createPlaceholderProject(4, "Web", m_root);
        const QString path = spy.at(0).at(1).toString();
        QCOMPARE(spy.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QVERIFY(!spy.at(0).at(2).value<SurveyProjectPtr>());
        QVERIFY(QFileInfo(path + "Photos").isDir());
        QVERIFY(!listed("Web"));
        auto project = std::make_shared<CSurveyProject>("Web", "en", ProjectTypes::DistanceUnitMetric);
        QVERIFY(CProjectXmlWriter().write(project, path + "project.xml"));
        m_worker->addProjectAtPathToTheProjectList(path);
        QCOMPARE(listCount("Web"), 1);
        m_worker->addProjectAtPathToTheProjectList(path);
        QCOMPARE(listCount("Web"), 1);
    }

    // A web download fills its placeholder with project.xml long before the media are in:
    // the watcher must not list it before the downloader says it is complete.
    void placeholderBeingFilledIsLeftAloneByTheWatcher()
    {
        QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createPlaceholderProject(5, "Downloading", m_root);
        const QString path = spy.at(0).at(1).toString();
        auto project = std::make_shared<CSurveyProject>("Downloading", "en", ProjectTypes::DistanceUnitMetric);
        QVERIFY(CProjectXmlWriter().write(project, path + "project.xml"));
        QVERIFY(writeAll(path + "Photos/half.jpg", "partial"));
        // The watcher reports in order: once the later folder is listed, the placeholder's
        // reports have been handled too.
        auto marker = std::make_shared<CSurveyProject>("Zed", "en", ProjectTypes::DistanceUnitMetric);
        const QString staging = m_dir->path() + "/staging/";
        QDir().mkpath(staging);
        QVERIFY(CProjectXmlWriter().write(marker, staging + "project.xml"));
        QVERIFY(QDir().rename(staging, m_root + "Zed"));
        QTRY_VERIFY(listed("Zed"));
        QVERIFY(!listed("Downloading"));
        // A new start of the list (another root and back) does not list it either.
        m_worker->init(m_root);
        QVERIFY(listed("Zed"));
        QVERIFY(!listed("Downloading"));

        m_worker->addProjectAtPathToTheProjectList(path);
        QCOMPARE(listCount("Downloading"), 1);

        // A failed download removes its placeholder; a folder copied in later under that
        // name is an ordinary project again.
        QSignalSpy second(m_worker.get(), &CProjectServiceWorker::projectCreated);
        m_worker->createPlaceholderProject(6, "Failed", m_root);
        const QString failed = second.at(0).at(1).toString();
        QVERIFY(QDir(failed).removeRecursively());
        auto yak = std::make_shared<CSurveyProject>("Yak", "en", ProjectTypes::DistanceUnitMetric);
        const QString yakStaging = m_dir->path() + "/yak/";
        QDir().mkpath(yakStaging);
        QVERIFY(CProjectXmlWriter().write(yak, yakStaging + "project.xml"));
        QVERIFY(QDir().rename(yakStaging, m_root + "Yak"));
        QTRY_VERIFY(listed("Yak"));
        auto copied = std::make_shared<CSurveyProject>("Failed", "en", ProjectTypes::DistanceUnitMetric);
        const QString again = m_dir->path() + "/again/";
        QDir().mkpath(again);
        QVERIFY(CProjectXmlWriter().write(copied, again + "project.xml"));
        QVERIFY(QDir().rename(again, failed));
        QTRY_VERIFY(listed("Failed"));
    }

    // What an interrupted web download left blocks nothing: the same web project goes on in it
    // as it is, files of the operator's in it included; a download whose folder has no mark (of
    // a build that did not mark its folders, or killed as it wrote the mark), when it left
    // nothing but its data files under their download names and copies of the mark, gets the
    // folder with them fetched anew and the copies swept. A folder marked for another web
    // project or with a mark that cannot be read, one holding what no download wrote (the
    // operator's manholes.xml among them), a project, or a folder that a download of this run
    // still fills stay as they are, and the download is refused.
    void leftoverOfAnInterruptedDownloadIsTakenOver()
    {
        const auto placeholder = [this](const QString& name, const QString& source, ProjectTypes::ProjectError* error) {
            QSignalSpy spy(m_worker.get(), &CProjectServiceWorker::projectCreated);
            m_worker->createPlaceholderProject(20, name, m_root, source);
            *error = spy.size() == 1 ? spy.at(0).at(3).value<ProjectTypes::ProjectError>() : ProjectTypes::ProjectErrorInternal;
            return spy.size() == 1 ? spy.at(0).at(1).toString() : QString();
        };
        ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorInternal;
        // Left by downloads that were killed, as a new start finds them, some with files of the
        // operator's put in afterwards.
        const QString same = placeholder("Same", "p-same", &error);
        QVERIFY(writeAll(same + "project.xml.download", "<survey data/>") && writeAll(same + "Photos/A.JPG", "a"));
        QVERIFY(WebDownloadMarker::addCompletedFile(same, "Photos/A.JPG"));
        QVERIFY(writeAll(same + "Photos/own.jpg", "own") && writeAll(same + "notes.txt", "n"));
        QMap<QString, QByteArray> refused;
        refused.insert("Other", "p-old\n");
        refused.insert("Garbage", "garbage");
        refused.insert("Empty", QByteArray());
        for (auto it = refused.cbegin(); it != refused.cend(); ++it) {
            const QString folder = placeholder(it.key(), "p-" + it.key().toLower(), &error);
            QVERIFY(writeAll(folder + "project.xml.download", "<old/>") && writeAll(folder + "Photos/OLD.JPG", "old"));
            QVERIFY(writeAll(folder + "Photos/own.jpg", "own") && writeAll(folder + ".webdownload", it.value()));
        }
        const QString unmarked = m_root + "Unmarked/";
        QVERIFY(QDir().mkpath(unmarked + "Photos") && writeAll(unmarked + "project.xml.download", "<old/>"));
        QVERIFY(writeAll(unmarked + "manholes.xml.download", "<old/>"));
        // Killed while its mark took its name: empty media folders and the mark's new copy.
        const QString killed = m_root + "Killed/";
        QVERIFY(QDir().mkpath(killed + "Photos") && QDir().mkpath(killed + "Videos"));
        QString markCopy;
        {
            std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(killed + ".webdownload");
            QVERIFY(copy && copy->write("p-killed\n") > 0);
            copy->setAutoRemove(false);
            markCopy = copy->fileName();
        }
        // The operator's own manholes, alone or beside empty media folders: no download names a
        // file so before it has finished.
        const QByteArray operatorManholes(72, 'm');
        const QString manholesOnly = m_root + "ManholesOnly/";
        QVERIFY(QDir().mkpath(manholesOnly) && writeAll(manholesOnly + "manholes.xml", operatorManholes));
        const QString manholesAndMedia = m_root + "ManholesAndMedia/";
        QVERIFY(QDir().mkpath(manholesAndMedia + "Photos") && QDir().mkpath(manholesAndMedia + "Videos"));
        QVERIFY(writeAll(manholesAndMedia + "manholes.xml", operatorManholes));
        const QString stray = m_root + "Stray/";
        QVERIFY(QDir().mkpath(stray + "Photos") && writeAll(stray + "project.xml.download", "<old/>"));
        QVERIFY(writeAll(stray + "Photos/X.JPG", "x"));
        const QString lower = placeholder("harbour road", "p-harbour", &error);
        const QString mine = m_root + "Mine/";
        QVERIFY(QDir().mkpath(mine + "Photos") && writeAll(mine + "Photos/own.jpg", "own") && writeAll(mine + "notes.txt", "n"));
        const QString busy = placeholder("Busy", "p-busy", &error);
        QVERIFY(!busy.isEmpty());
        m_worker = std::make_unique<CProjectServiceWorker>();
        m_worker->init(m_root);
        for (const char* name : {"Same", "Other", "Garbage", "Empty", "Unmarked", "Killed", "ManholesOnly",
                                 "ManholesAndMedia", "Stray", "harbour road", "Mine"})
            QVERIFY2(!listed(name), name);

        QCOMPARE(placeholder("Same", "p-same", &error), same);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(readAll(same + "Photos/A.JPG"), QByteArray("a"));
        QCOMPARE(readAll(same + "Photos/own.jpg"), QByteArray("own"));
        QCOMPARE(readAll(same + "notes.txt"), QByteArray("n"));
        QCOMPARE(WebDownloadMarker::completedFiles(same), QSet<QString>{"Photos/A.JPG"});

        for (auto it = refused.cbegin(); it != refused.cend(); ++it) {
            const QString folder = m_root + it.key() + "/";
            QCOMPARE(placeholder(it.key(), "p-new", &error), it.key() + "/");
            QCOMPARE(error, ProjectTypes::ProjectErrorCreateFolderExists);
            QCOMPARE(readAll(folder + "Photos/OLD.JPG"), QByteArray("old"));
            QCOMPARE(readAll(folder + "Photos/own.jpg"), QByteArray("own"));
            QCOMPARE(readAll(folder + "project.xml.download"), QByteArray("<old/>"));
            QCOMPARE(readAll(folder + ".webdownload"), it.value());
        }

        QCOMPARE(placeholder("Unmarked", "p-unmarked", &error), unmarked);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(WebDownloadMarker::leftoverIn(unmarked, "p-unmarked"), WebDownloadMarker::Leftover::SameDownload);
        QVERIFY(WebDownloadMarker::completedFiles(unmarked).isEmpty());

        QCOMPARE(placeholder("Killed", "p-killed", &error), killed);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(WebDownloadMarker::leftoverIn(killed, "p-killed"), WebDownloadMarker::Leftover::SameDownload);
        QVERIFY2(!QFileInfo::exists(markCopy), qPrintable(markCopy));

        for (const QString& folder : {manholesOnly, manholesAndMedia}) {
            QCOMPARE(placeholder(QDir(folder).dirName(), "p-manholes", &error), QDir(folder).dirName() + "/");
            QCOMPARE(error, ProjectTypes::ProjectErrorCreateFolderExists);
            QCOMPARE(readAll(folder + "manholes.xml"), operatorManholes);
            QVERIFY(!QFileInfo::exists(folder + ".webdownload"));
        }

        QCOMPARE(placeholder("Stray", "p-stray", &error), QString("Stray/"));
        QCOMPARE(error, ProjectTypes::ProjectErrorCreateFolderExists);
        QCOMPARE(readAll(stray + "Photos/X.JPG"), QByteArray("x"));
        QVERIFY(!QFileInfo::exists(stray + ".webdownload"));

        QCOMPARE(placeholder("Harbour Road", "p-harbour", &error), lower);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);

        QCOMPARE(placeholder("Mine", "p-mine", &error), QString("Mine/"));
        QCOMPARE(error, ProjectTypes::ProjectErrorCreateFolderExists);
        QCOMPARE(readAll(mine + "notes.txt"), QByteArray("n"));
        QVERIFY(!QFileInfo::exists(mine + ".webdownload"));

        // Taken over, the folder is this run's download's: a second download of it is refused.
        QCOMPARE(placeholder("Same", "p-same", &error), QString("Same/"));
        QCOMPARE(error, ProjectTypes::ProjectErrorCreateFolderExists);
        // A listed project of the name is no leftover.
        create("Listed");
        placeholder("Listed", "p-listed", &error);
        QCOMPARE(error, ProjectTypes::ProjectErrorCreateTakenProjectName);
    }

    void savesKeepThePreviousFileAsBackup()
    {
        QString path;
        const SurveyProjectPtr project = create("Backup", &path);
        QVERIFY(project);
        QSignalSpy saved(m_worker.get(), &CProjectServiceWorker::projectSaved);
        project->setDescription("first");
        m_worker->saveProject(1, project);
        const QByteArray first = readAll(path + "project.xml");
        project->setDescription("second");
        m_worker->saveProject(2, project);
        QCOMPARE(saved.size(), 2);
        QCOMPARE(readAll(path + "project.xml_bak"), first);
        QVERIFY(readAll(path + "project.xml").contains("second"));

        // A project file deleted behind the program's back is written anew.
        QFile::remove(path + "project.xml");
        m_worker->saveProject(3, project);
        QCOMPARE(saved.last().at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QVERIFY(CProjectXmlReader().read(path + "project.xml", false));
    }

    void saveAndCloseOfUnknownProjects()
    {
        auto stranger = std::make_shared<CSurveyProject>("x", "en", ProjectTypes::DistanceUnitMetric);
        QSignalSpy saved(m_worker.get(), &CProjectServiceWorker::projectSaved);
        QSignalSpy closed(m_worker.get(), &CProjectServiceWorker::projectClosed);
        m_worker->saveProject(1, stranger);
        m_worker->closeProject(2, stranger);
        QCOMPARE(saved.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
        QCOMPARE(closed.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);

        const SurveyProjectPtr project = create("Open");
        m_worker->closeProject(3, project);
        m_worker->closeProject(4, project);
        QCOMPARE(closed.at(1).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(closed.at(2).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
    }

    void damagedProjectFileFallsBackToTheBackup()
    {
        QString path;
        SurveyProjectPtr project = withSurvey("Damaged", path);
        QSignalSpy saved(m_worker.get(), &CProjectServiceWorker::projectSaved);
        m_worker->saveProject(1, project);
        m_worker->saveProject(2, project);
        const QByteArray good = readAll(path + "project.xml_bak");
        m_worker->closeProject(3, project);
        QVERIFY(writeAll(path + "project.xml", "<project version=\"1\"><name>trunc"));

        // The list still shows it after a restart, and it loads from the backup.
        m_worker->init(m_root);
        QVERIFY(listed("Damaged"));
        ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorInternal;
        const SurveyProjectPtr loaded = load(path, &error);
        QVERIFY(loaded);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(loaded->surveys().size(), 1);

        // Saving must not replace the good backup by the damaged file.
        m_worker->saveProject(4, loaded);
        QCOMPARE(saved.last().at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(readAll(path + "project.xml_bak"), good);
        QVERIFY(CProjectXmlReader().read(path + "project.xml", false));
    }

    void missingBothFilesIsAnAccessError()
    {
        QDir().mkpath(m_root + "Empty");
        ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorNone;
        QVERIFY(!load(m_root + "Empty/", &error));
        QCOMPARE(error, ProjectTypes::ProjectErrorLoadFileAccess);
    }

    void photosAndVideosAreStored()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Media", path);
        const SurveyPtr survey = project->surveys().first();
        QSignalSpy photos(m_worker.get(), &CProjectServiceWorker::surveyPhotoCreated);
        QSignalSpy videos(m_worker.get(), &CProjectServiceWorker::surveyVideoCreated);
        m_worker->createSurveyPhoto(1, project, survey, "p1.jpg", "c", 8.5, 47.25, NaN);
        m_worker->createSurveyVideo(2, project, survey, "v1.mp4", QString());
        QCOMPARE(photos.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(photos.at(0).at(1).toString(), QString("p1.jpg"));
        QCOMPARE(photos.at(0).at(2).value<SurveyPhotoPtr>()->path(), QString("Photos/p1.jpg"));
        QCOMPARE(videos.at(0).at(2).value<SurveyVideoPtr>()->path(), QString("Videos/v1.mp4"));

        const SurveyProjectPtr stored = CProjectXmlReader().read(path + "project.xml", false);
        QCOMPARE(stored->surveys().first()->pictures().first()->latitude(), 47.25);
        QCOMPARE(stored->surveys().first()->videos().size(), 1);

        auto stranger = std::make_shared<CSurveyProject>("x", "en", ProjectTypes::DistanceUnitMetric);
        m_worker->createSurveyPhoto(3, stranger, survey, "p2.jpg", QString(), NaN, NaN, NaN);
        QCOMPARE(photos.at(1).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
        QVERIFY(!photos.at(1).at(2).value<SurveyPhotoPtr>());

        // A survey that a change set removed meanwhile cannot take the photo: no false success.
        auto removed = std::make_shared<CSurvey>();
        m_worker->createSurveyPhoto(4, project, removed, "p3.jpg", QString(), NaN, NaN, NaN);
        QCOMPARE(photos.at(2).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
        m_worker->createSurveyVideo(5, project, removed, "v3.mp4", QString());
        QCOMPARE(videos.at(1).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
        QVERIFY(removed->pictures().isEmpty());
    }

    // The worker encodes only new and changed records; whatever happened to the records
    // between two writes, the file it leaves is the one a full encoding gives.
    void projectFileAfterEachRecordMatchesTheFullEncoding()
    {
        const QString path = m_root + "Texts/";
        QVERIFY(QDir().mkpath(path + "Photos") && QDir().mkpath(path + "Videos"));
        QVERIFY(CProjectXmlWriter().write(ProjectSamples::projectWithEveryKindOfText(), path + "project.xml"));
        const SurveyProjectPtr project = load(path);
        QVERIFY(project);
        const auto fullEncoding = [&project]() {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            return CProjectXmlWriter().writeToDevice(project, &buffer) ? bytes : QByteArray("failed");
        };
        const auto stored = [&](const char* step) {
            const QByteArray file = readAll(path + "project.xml");
            if (file != fullEncoding())
                qWarning("project.xml differs from the full encoding after: %s", step);
            return file == fullEncoding();
        };
        const QVector<SurveyPtr> surveys = project->surveys();
        QSignalSpy photos(m_worker.get(), &CProjectServiceWorker::surveyPhotoCreated);
        QSignalSpy videos(m_worker.get(), &CProjectServiceWorker::surveyVideoCreated);
        QSignalSpy saved(m_worker.get(), &CProjectServiceWorker::projectSaved);

        m_worker->createSurveyPhoto(1, project, surveys.at(0), "new <1>.jpg", "a & b", 8.5, NaN, 410.0);
        QVERIFY(stored("first photo"));
        m_worker->createSurveyPhoto(2, project, surveys.at(0), "new 2.jpg", QString(), NaN, NaN, NaN);
        m_worker->createSurveyVideo(3, project, surveys.at(1), "new \"1\".mp4", QString());
        QVERIFY(stored("a second photo and a video"));
        QCOMPARE(photos.size(), 2);
        QCOMPARE(videos.size(), 1);

        // Records changed in memory since the last write, by every setter, by taking another
        // record's content, and by being replaced with a new record of the old content.
        QVector<SurveyPhotoPtr> pictures = surveys.at(0)->pictures();
        pictures.at(0)->setComment("now with a comment");
        pictures.at(1)->setLongitude(NaN);
        pictures.at(2)->setLatitude(1.5);
        pictures.at(3)->setAltitude(NaN);
        pictures.at(4)->setPath("Photos/renamed.jpg");
        *pictures.at(5) = *pictures.at(6);
        pictures.replace(6, std::make_shared<CSurveyPhoto>(*pictures.at(6)));
        surveys.at(0)->setPictures(pictures);
        surveys.at(0)->videos().at(1)->setComment(QString());
        surveys.at(1)->videos().at(0)->setPath("Videos/renamed.mp4");
        m_worker->createSurveyPhoto(4, project, surveys.at(2), "after edits.jpg", "c", NaN, NaN, NaN);
        QVERIFY(stored("records edited in memory"));

        // Records removed and moved, between surveys and within one.
        auto media = std::make_shared<CSurveyMediaChangeSet>(project);
        media->removePhoto(surveys.at(0), pictures.at(1));
        media->removeVideo(surveys.at(0), surveys.at(0)->videos().at(0));
        QCOMPARE(apply(media), ProjectTypes::ProjectErrorNone);
        QVERIFY(stored("a media change set"));
        pictures = surveys.at(0)->pictures();
        std::reverse(pictures.begin(), pictures.end());
        surveys.at(0)->setPictures(pictures);
        surveys.at(2)->addPicture(pictures.at(2));
        m_worker->saveProject(5, project);
        QVERIFY(stored("photos reversed and one listed twice"));

        // Surveys removed, added and edited.
        auto changeSet = std::make_shared<CSurveyChangeSet>(project);
        changeSet->removeSurvey(surveys.at(1));
        changeSet->createSurvey()->addPicture(std::make_shared<CSurveyPhoto>("Photos/z.jpg", "z", 1, 2, 3));
        changeSet->editSurvey(surveys.at(0));
        surveys.at(0)->setComment("edited");
        QCOMPARE(apply(changeSet), ProjectTypes::ProjectErrorNone);
        QVERIFY(stored("a survey change set"));
        m_worker->createSurveyPhoto(6, project, project->surveys().last(), "last.jpg", QString(), NaN, NaN, NaN);
        QVERIFY(stored("a photo into the new survey"));
        QCOMPARE(saved.size(), 1);

        // Closed and opened again, the project starts from a full encoding of what it read.
        QSignalSpy closed(m_worker.get(), &CProjectServiceWorker::projectClosed);
        m_worker->closeProject(7, project);
        QCOMPARE(closed.size(), 1);
        const SurveyProjectPtr reopened = load(path);
        QVERIFY(reopened);
        m_worker->createSurveyPhoto(8, reopened, reopened->surveys().first(), "reopened.jpg", QString(), NaN, NaN,
                                    NaN);
        QByteArray full;
        QBuffer buffer(&full);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(CProjectXmlWriter().writeToDevice(reopened, &buffer));
        QCOMPARE(readAll(path + "project.xml"), full);

        // A text before every photo grows, so that each unchanged photo lies elsewhere in the
        // file than two writes before: the writes after it must copy from the newest one.
        const auto storedNow = [&](const char* step) {
            QByteArray bytes;
            QBuffer now(&bytes);
            now.open(QIODevice::WriteOnly);
            const bool same = CProjectXmlWriter().writeToDevice(reopened, &now) && readAll(path + "project.xml") == bytes;
            if (!same)
                qWarning("project.xml differs from the full encoding after: %s", step);
            return same;
        };
        const SurveyPtr first = reopened->surveys().first();
        first->setComment(first->comment() + " and a longer comment written before every photo");
        m_worker->saveProject(9, reopened);
        QVERIFY(storedNow("a longer survey comment"));
        m_worker->createSurveyPhoto(10, reopened, first, "after the comment 1.jpg", QString(), NaN, NaN, NaN);
        QVERIFY(storedNow("a photo after the comment"));
        m_worker->createSurveyPhoto(11, reopened, first, "after the comment 2.jpg", QString(), NaN, NaN, NaN);
        QVERIFY(storedNow("a second photo after the comment"));
        QVERIFY(load(path));
    }

    void unwritableProjectReportsWriteErrorWithTheRecord()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Blocked", path);
        const QByteArray before = readAll(path + "project.xml");
        // A folder in place of the file: the new file cannot take its name.
        QVERIFY(QFile::remove(path + "project.xml"));
        QVERIFY(QDir().mkpath(path + "project.xml/x"));
        QSignalSpy photos(m_worker.get(), &CProjectServiceWorker::surveyPhotoCreated);
        m_worker->createSurveyPhoto(1, project, project->surveys().first(), "p.jpg", QString(), NaN, NaN, NaN);
        QCOMPARE(photos.at(0).at(3).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorWriteFileAccess);
        QVERIFY(photos.at(0).at(2).value<SurveyPhotoPtr>());
        Q_UNUSED(before);
    }

    void mediaChangeSetDeletesOnlyUnreferencedFilesInsideTheProject()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Gallery", path);
        auto second = std::make_shared<CSurvey>();
        project->addSurvey(second);
        const SurveyPtr survey = project->surveys().first();
        const QString outside = m_dir->path() + "/outside.jpg";
        QVERIFY(writeAll(outside, "keep"));
        QVERIFY(writeAll(path + "Photos/own.jpg", "x"));
        QVERIFY(writeAll(path + "Photos/shared.jpg", "x"));
        QVERIFY(writeAll(path + "Videos/v.mp4", "x"));
        auto own = std::make_shared<CSurveyPhoto>("Photos/own.jpg", QString(), NaN, NaN, NaN);
        auto shared = std::make_shared<CSurveyPhoto>("Photos/shared.jpg", QString(), NaN, NaN, NaN);
        auto sharedElsewhere = std::make_shared<CSurveyPhoto>("Photos/./shared.jpg", QString(), NaN, NaN, NaN);
        auto escaping = std::make_shared<CSurveyPhoto>("Photos/../../../outside.jpg", QString(), NaN, NaN, NaN);
        auto video = std::make_shared<CSurveyVideo>("Videos/v.mp4", QString());
        survey->setPictures({own, shared, escaping});
        survey->addVideo(video);
        second->addPicture(sharedElsewhere);

        auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
        changeSet->removePhoto(survey, own);
        changeSet->removePhoto(survey, shared);
        changeSet->removePhoto(survey, escaping);
        changeSet->removeVideo(survey, video);
        QCOMPARE(apply(changeSet), ProjectTypes::ProjectErrorNone);
        QVERIFY(!QFile::exists(path + "Photos/own.jpg"));
        QVERIFY(!QFile::exists(path + "Videos/v.mp4"));
        QVERIFY(QFile::exists(path + "Photos/shared.jpg"));
        QVERIFY(QFile::exists(outside));
        QVERIFY(survey->pictures().isEmpty());
    }

    void filesStayWhenTheSaveFails()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Failing", path);
        const SurveyPtr survey = project->surveys().first();
        QVERIFY(writeAll(path + "Photos/a.jpg", "x"));
        auto photo = std::make_shared<CSurveyPhoto>("Photos/a.jpg", QString(), NaN, NaN, NaN);
        survey->addPicture(photo);
        QVERIFY(QFile::remove(path + "project.xml"));
        QVERIFY(QDir().mkpath(path + "project.xml/x"));
        auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
        changeSet->removePhoto(survey, photo);
        QCOMPARE(apply(changeSet), ProjectTypes::ProjectErrorWriteFileAccess);
        QVERIFY(QFile::exists(path + "Photos/a.jpg"));
    }

    void surveyChangeSetUpdatesSurveysAndManholes()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Surveys", path);
        const SurveyPtr old = project->surveys().first();
        QVERIFY(writeAll(path + "Photos/gone.jpg", "x"));
        old->addPicture(std::make_shared<CSurveyPhoto>("Photos/gone.jpg", QString(), NaN, NaN, NaN));

        auto changeSet = std::make_shared<CSurveyChangeSet>(project);
        const SurveyPtr created = changeSet->createSurvey();
        created->setUpstreamManhole("U1");
        created->setDownstreamManhole("D1");
        changeSet->removeSurvey(old);
        QCOMPARE(apply(changeSet), ProjectTypes::ProjectErrorNone);
        QCOMPARE(project->surveys(), QVector<SurveyPtr>{created});
        QVERIFY(!QFile::exists(path + "Photos/gone.jpg"));
        const ManholeListPtr manholes = CManholeXmlReader().read(path + "manholes.xml");
        QVERIFY(manholes);
        QCOMPARE(manholes->size(), 2);
        QCOMPARE(manholes->at(0).name(), QString("D1"));

        QSignalSpy loaded(m_worker.get(), &CProjectServiceWorker::manholeListLoaded);
        m_worker->loadManholeList(5, project);
        QCOMPARE(loaded.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(loaded.at(0).at(1).value<ManholeListPtr>()->size(), 2);

        auto stranger = std::make_shared<CSurveyProject>("x", "en", ProjectTypes::DistanceUnitMetric);
        QCOMPARE(apply(std::make_shared<CSurveyChangeSet>(stranger)), ProjectTypes::ProjectErrorInternal);
        m_worker->loadManholeList(6, stranger);
        QCOMPARE(loaded.at(1).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorInternal);
    }

    void deleteRefusesTheWorkingFolder()
    {
        // A working folder of this test's own: a copy of the suite running beside it keeps its own marker.
        const QString working = m_dir->path() + "/working";
        QVERIFY(QDir().mkpath(working));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working));
        const auto restore = qScopeGuard([&previous] { QDir::setCurrent(previous); });
        const QString marker = working + "/cx-delete-marker";
        QVERIFY(writeAll(marker, "x"));
        QSignalSpy deleted(m_worker.get(), &CProjectServiceWorker::projectDeleted);
        m_worker->deleteProject(1, QString());
        m_worker->deleteProject(2, m_root);
        QCOMPARE(deleted.at(0).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorDeleteFileAccess);
        QCOMPARE(deleted.at(1).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorDeleteFileAccess);
        QVERIFY(QFile::exists(marker));
        QFile::remove(marker);

        QString path;
        QVERIFY(create("Doomed", &path));
        m_worker->deleteProject(3, path);
        QCOMPARE(deleted.at(2).at(2).value<ProjectTypes::ProjectError>(), ProjectTypes::ProjectErrorNone);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!listed("Doomed"));
    }

    void renameRules()
    {
        QString path;
        const SurveyProjectPtr project = create("Old Name", &path);
        QVERIFY(create("Taken"));
        QCOMPARE(renameError(path, "Old Name"), ProjectTypes::ProjectErrorRenameProjectOpen);
        QSignalSpy closed(m_worker.get(), &CProjectServiceWorker::projectClosed);
        m_worker->closeProject(1, project);

        QCOMPARE(renameError(path, "taken"), ProjectTypes::ProjectErrorRenameTakenProjectName);
        QCOMPARE(renameError(path, " "), ProjectTypes::ProjectErrorRenameInvalidProjectName);
        QCOMPARE(renameError(path, ".."), ProjectTypes::ProjectErrorRenameInvalidProjectName);
        QDir().mkpath(m_root + "Busy");
        QCOMPARE(renameError(path, "Busy"), ProjectTypes::ProjectErrorRenameFolderExists);
        QCOMPARE(renameError(m_root + "nothing/", "Any"), ProjectTypes::ProjectErrorInternal);

        QString newPath;
        QCOMPARE(renameError(path, "old name", &newPath), ProjectTypes::ProjectErrorNone);
        QCOMPARE(newPath, m_root + "old name/");
        const SurveyProjectPtr renamed = CProjectXmlReader().read(newPath + "project.xml", false);
        QCOMPARE(renamed->name(), QString("old name"));
        QVERIFY(renamed->id() != project->id());
        QVERIFY(listed("old name"));
        QVERIFY(!listed("Old Name"));
        QVERIFY(!QFileInfo::exists(path));
    }

    void closingAfterChangesRefreshesTheSize()
    {
        QString path;
        const SurveyProjectPtr project = withSurvey("Sized", path);
        QVERIFY(writeAll(path + "Photos/big.jpg", QByteArray(100000, 'x')));
        m_worker->updateProjectSizeOnClose(project);
        QSignalSpy changed(m_worker.get(), &CProjectServiceWorker::projectListChanged);
        m_worker->closeProject(1, project);
        QCOMPARE(changed.size(), 1);
        const QVector<CLocalProjectInfo> list = m_worker->projectList();
        QVERIFY(list.first().size() >= 100000);
    }

    void watcherPicksUpFoldersCopiedIn()
    {
        auto project = std::make_shared<CSurveyProject>("Copied", "en", ProjectTypes::DistanceUnitMetric);
        const QString staging = m_dir->path() + "/staging/";
        QDir().mkpath(staging);
        QVERIFY(CProjectXmlWriter().write(project, staging + "project.xml"));
        // A file manager allows names that the program itself would have replaced.
        QVERIFY(QDir().rename(staging, m_root + "Copied: 1"));
        QTRY_VERIFY(listed("Copied"));
        QCOMPARE(m_worker->projectList().first().path(), m_root + "Copied: 1/");

        QVERIFY(QDir(m_root + "Copied: 1").removeRecursively());
        QTRY_VERIFY(!listed("Copied"));
    }

    // A file manager makes the folder first and copies project.xml into it afterwards.
    void watcherPicksUpProjectFilesThatArriveLater()
    {
        QVERIFY(QDir().mkpath(m_root + "Late"));
        m_worker->init(m_root);
        QVERIFY(!listed("Late"));

        // The copy starts with an incomplete file, which is not listed yet.
        QVERIFY(writeAll(m_root + "Late/project.xml", "<?xml version=\"1.0\"?><project version=\"1\">"));
        auto project = std::make_shared<CSurveyProject>("Late", "en", ProjectTypes::DistanceUnitMetric);
        QVERIFY(CProjectXmlWriter().write(project, m_root + "Late/project.xml"));
        QTRY_VERIFY(listed("Late"));
        QCOMPARE(listCount("Late"), 1);
    }

    // Folders made in a burst, each one's project.xml written just after the folder, while the
    // worker lists: the file lands after the worker's first or its second look into the folder,
    // before the list is read, while it is read, and while the burst is handled. A folder with
    // its project that appears while the list is read is found too. Every one is listed.
    void projectFilesArrivingWhileTheWorkerLooksAreAllListed()
    {
        const QString root = m_dir->path() + "/burst/";
        QVERIFY(QDir().mkpath(root));
        LateArrivalWorker worker;
        QStringList names;
        auto addFolder = [&](const QString& name) {
            names << name;
            const QString folder = root + name + "/";
            QVERIFY(QDir().mkpath(folder));
            worker.arriveAfterLook(folder, 1 + names.size() % 2,
                                   [folder, name] { QVERIFY(writeProject(folder, name)); });
        };
        for (int i = 0; i < 4; ++i)
            addFolder(QString("Early %1").arg(i));
        worker.arriveAfterLook(root + "Early 0/", 1, [&] {
            QVERIFY(QDir().mkpath(root + "Copied in"));
            QVERIFY(writeProject(root + "Copied in/", "Copied in"));
            QVERIFY(writeProject(root + "Early 0/", "Early 0"));
        });
        names << "Copied in";
        worker.init(root);
        for (int i = 0; i < 24; ++i)
            addFolder(QString("Burst %1").arg(i));

        names.sort();
        QTRY_COMPARE(listedNames(worker), names);
    }

    // One complete project folder copied in while the start-up listing reads another, and no
    // change after it: only a watch set before the listing reports it.
    void aProjectArrivingDuringTheStartUpListingIsListed()
    {
        const QString root = m_dir->path() + "/startup/";
        QVERIFY(QDir().mkpath(root + "Present"));
        QVERIFY(writeProject(root + "Present/", "Present"));
        const QString staging = m_dir->path() + "/startup-staging/";
        QVERIFY(QDir().mkpath(staging));
        QVERIFY(writeProject(staging, "Arrived"));
        LateArrivalWorker worker;
        worker.arriveAfterLook(root + "Present/", 1, [&] { QVERIFY(QDir().rename(staging, root + "Arrived")); });
        worker.init(root);
        QTRY_COMPARE(listedNames(worker), QStringList({ "Arrived", "Present" }));
    }

    void createdProjectsAreListedOnceDespiteTheWatcher()
    {
        QVERIFY(create("Once"));
        // The watcher reports the folders in order: once the later one is listed, the
        // report of the created project's folder has been handled as well.
        auto marker = std::make_shared<CSurveyProject>("Zed", "en", ProjectTypes::DistanceUnitMetric);
        const QString staging = m_dir->path() + "/staging/";
        QDir().mkpath(staging);
        QVERIFY(CProjectXmlWriter().write(marker, staging + "project.xml"));
        QVERIFY(QDir().rename(staging, m_root + "Zed"));
        QTRY_VERIFY(listed("Zed"));
        QCOMPARE(listCount("Once"), 1);
        QCOMPARE(m_worker->projectList().first().name(), QString("Once"));
    }
};

QTEST_GUILESS_MAIN(tst_CProjectServiceWorker)
#include "tst_CProjectServiceWorker.moc"
