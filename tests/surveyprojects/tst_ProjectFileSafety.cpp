#include "surveyprojects/CProjectServiceWorker.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include "support/KilledWriter.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <limits>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The operator's photos must survive a crash or a full disk at any moment of a save. The
// child processes are this executable started again with "--child".

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const int BasePhotoCount = 10000;

SurveyProjectPtr loadOpen(CProjectServiceWorker& worker, const QString& path)
{
    SurveyProjectPtr project;
    QObject::connect(&worker, &CProjectServiceWorker::projectLoaded, &worker,
                     [&project](uint, const QString&, const SurveyProjectPtr& loaded, ProjectTypes::ProjectError) {
                         project = loaded;
                     });
    worker.loadProject(1, path);
    return project;
}

// Adds photos for ever, reporting each one whose result signal came; the parent kills it.
int runAddingChild(const QString& path, int start)
{
    CProjectServiceWorker worker;
    const SurveyProjectPtr project = loadOpen(worker, path);
    if (!project || project->surveys().isEmpty())
        return 3;
    int failed = 0;
    QObject::connect(&worker, &CProjectServiceWorker::surveyPhotoCreated, &worker,
                     [&failed](uint, const QString& fileName, const SurveyPhotoPtr&, ProjectTypes::ProjectError error) {
                         if (error != ProjectTypes::ProjectErrorNone) {
                             failed = error;
                             return;
                         }
                         std::printf("OK %s\n", qPrintable(fileName));
                         std::fflush(stdout);
                     });
    for (int i = start; failed == 0; ++i)
        worker.createSurveyPhoto(static_cast<uint>(i), project, project->surveys().first(),
                                 QString("crash-%1.jpg").arg(i), QString(), NaN, NaN, NaN);
    return 2;
}

// Saves once with the file size limited below the project file's size.
int runFullDiskChild(const QString& path, qint64 limit)
{
    CProjectServiceWorker worker;
    const SurveyProjectPtr project = loadOpen(worker, path);
    if (!project)
        return 3;
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl;
    rl.rlim_cur = static_cast<rlim_t>(limit);
    rl.rlim_max = static_cast<rlim_t>(limit);
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
        return 4;
    int result = -1;
    QObject::connect(&worker, &CProjectServiceWorker::surveyPhotoCreated, &worker,
                     [&result](uint, const QString&, const SurveyPhotoPtr&, ProjectTypes::ProjectError error) {
                         result = error;
                     });
    worker.createSurveyPhoto(2, project, project->surveys().first(), "full.jpg", QString(), NaN, NaN, NaN);
    std::printf("RESULT %d\n", result);
    std::fflush(stdout);
    return 0;
}

SurveyProjectPtr makeProject(int photos)
{
    auto project = std::make_shared<CSurveyProject>("Safety", "en", ProjectTypes::DistanceUnitMetric);
    auto survey = std::make_shared<CSurvey>();
    QVector<SurveyPhotoPtr> pictures;
    pictures.reserve(photos);
    for (int i = 0; i < photos; ++i)
        pictures.append(std::make_shared<CSurveyPhoto>(QString("Photos/base-%1.jpg").arg(i), QString(), 8.5, 47.25, NaN));
    survey->setPictures(pictures);
    project->addSurvey(survey);
    return project;
}

} // namespace

class tst_ProjectFileSafety : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QString program()
    {
        return QCoreApplication::applicationFilePath();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qRegisterMetaType<SurveyProjectPtr>("SurveyProjectPtr");
    }

    void everyReportedPhotoSurvivesSigkill()
    {
        const QString path = m_dir.path() + "/crash/";
        QVERIFY(QDir().mkpath(path + "Photos"));
        QVERIFY(CProjectXmlWriter().write(makeProject(BasePhotoCount), path + "project.xml"));

        QStringList confirmed;
        int next = 0;
        const int rounds = 10;
        for (int round = 0; round < rounds; ++round) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(program(), {"--child", "add", path, QString::number(next)});
            QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
            // Kill after a random number of confirmations, right when the next save runs.
            const int wanted = 1 + QRandomGenerator::global()->bounded(5);
            int got = 0;
            QByteArray buffer;
            while (got < wanted) {
                if (!child.canReadLine()) {
                    QVERIFY2(child.waitForReadyRead(30000), "child stopped reporting");
                    continue;
                }
                const QByteArray line = child.readLine().trimmed();
                QVERIFY2(line.startsWith("OK "), line.constData());
                confirmed.append(QString::fromUtf8(line.mid(3)));
                ++got;
            }
            // The kill lands somewhere inside the next save: a random number of looks at the
            // project folder stands in for a random delay.
            const int looks = QRandomGenerator::global()->bounded(30000);
            for (int i = 0; i < looks; ++i)
                QFileInfo(path + "project.xml").size();
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            // Lines that arrived between the last read and the kill count as well.
            const QList<QByteArray> rest = child.readAllStandardOutput().split('\n');
            for (const QByteArray& line : rest) {
                if (line.trimmed().startsWith("OK "))
                    confirmed.append(QString::fromUtf8(line.trimmed().mid(3)));
            }
            next += 1000;

            // The project file itself reads after every kill, not only its backup.
            CProjectXmlReader reader;
            const SurveyProjectPtr project = reader.read(path + "project.xml", false);
            QVERIFY2(project, qPrintable(QString("round %1: error %2").arg(round).arg(reader.error())));
            QStringList stored;
            for (const SurveyPhotoPtr& photo : project->surveys().first()->pictures())
                stored.append(photo->path());
            QVERIFY(stored.size() >= BasePhotoCount + confirmed.size());
            for (const QString& name : qAsConst(confirmed))
                QVERIFY2(stored.contains("Photos/" + name), qPrintable(name));
        }
        QVERIFY(confirmed.size() >= rounds);
    }

    void theNewFileIsSyncedBeforeItTakesTheName()
    {
        // Each sync as the writer asks for it: what was synced, and which file held the name then.
        struct Sync
        {
            bool folder = false;
            ino_t synced = 0;
            qint64 syncedSize = 0;
            ino_t named = 0;
        };
        const QString path = m_dir.path() + "/synced/";
        QVERIFY(QDir().mkpath(path));
        const QString target = path + "project.xml";
        QVERIFY(CProjectXmlWriter().write(makeProject(1), target));
        const auto inode = [](const QString& file) {
            struct stat status;
            return ::stat(QFile::encodeName(file).constData(), &status) == 0 ? status.st_ino : ino_t(0);
        };
        const ino_t oldFile = inode(target);

        QList<Sync> syncs;
        FileReplacement::setSyncObserver([&](const QString& synced) {
            Sync sync;
            sync.folder = QFileInfo(synced).isDir();
            sync.synced = inode(synced);
            sync.syncedSize = QFileInfo(synced).size();
            sync.named = inode(target);
            syncs.append(sync);
        });
        const bool written = CProjectXmlWriter().write(makeProject(300), target);
        FileReplacement::setSyncObserver(nullptr);
        QVERIFY(written);

        const ino_t newFile = inode(target);
        QVERIFY(newFile != oldFile);
        QCOMPARE(syncs.size(), 2);
        // First the new content, complete, while the old file still had the name ...
        QVERIFY(!syncs.at(0).folder);
        QCOMPARE(syncs.at(0).synced, newFile);
        QCOMPARE(syncs.at(0).syncedSize, QFileInfo(target).size());
        QCOMPARE(syncs.at(0).named, oldFile);
        // ... then the folder, once the rename was done, so that the new name lasts too.
        QVERIFY(syncs.at(1).folder);
        QCOMPARE(syncs.at(1).named, newFile);
    }

    // A kill between naming the new project file and renaming it keeps the project as it was
    // and leaves a hidden copy only, which the next save removes; that save finds the backup
    // already made. A kill between the backup's link and its rename leaves a hidden second
    // name of the project file, which the next save takes for the backup. Nothing is left for
    // an upload to send.
    void aSaveKilledAtItsSyncLeavesNoCopyBehind()
    {
        const QString path = m_dir.path() + "/killed/";
        QVERIFY(QDir().mkpath(path + "Photos"));
        QVERIFY(CProjectXmlWriter().write(makeProject(3), path + "project.xml"));
        const QString stray = KilledWriter::runUntilTheSyncAndKill({path});
        QVERIFY(QFileInfo(stray).isFile());
        QCOMPARE(QFileInfo(stray).path() + "/", path);
        QVERIFY(QFileInfo(stray).fileName().startsWith('.'));
        const SurveyProjectPtr before = CProjectXmlReader().read(path + "project.xml", false);
        QVERIFY(before);
        QCOMPARE(before->surveys().first()->pictures().size(), 3);

        QCOMPARE(::link(QFile::encodeName(path + "project.xml").constData(),
                        QFile::encodeName(path + ".project.xml_bak.new").constData()),
                 0);

        CProjectServiceWorker worker;
        const SurveyProjectPtr project = loadOpen(worker, path);
        QVERIFY(project);
        worker.createSurveyPhoto(1, project, project->surveys().first(), "after.jpg", QString(), NaN, NaN, NaN);
        QCOMPARE(CProjectXmlReader().read(path + "project.xml", false)->surveys().first()->pictures().size(), 4);
        QCOMPARE(CProjectXmlReader().read(path + "project.xml_bak", false)->surveys().first()->pictures().size(), 3);
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{"Photos", "project.xml", "project.xml_bak"}));
    }

    void fullDiskReportsWriteErrorAndKeepsTheProject()
    {
        const QString path = m_dir.path() + "/full/";
        QVERIFY(QDir().mkpath(path + "Photos"));
        QVERIFY(CProjectXmlWriter().write(makeProject(200), path + "project.xml"));
        const qint64 size = QFileInfo(path + "project.xml").size();

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program(), {"--child", "full", path, QString::number(size / 2)});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray output = child.readAllStandardOutput().trimmed();
        if (child.exitCode() == 4)
            QSKIP("The file-size limit cannot be set here.");
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(output, QByteArray("RESULT 4"));

        const SurveyProjectPtr project = CProjectXmlReader().read(path + "project.xml", false);
        QVERIFY(project);
        QCOMPARE(project->surveys().first()->pictures().size(), 200);
        const QStringList leftovers = QDir(path).entryList({"project.xml?*"}, QDir::Files);
        QVERIFY2(leftovers.isEmpty() || leftovers == QStringList{"project.xml_bak"}, qPrintable(leftovers.join(',')));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 5 && qstrcmp(argv[1], "--child") == 0) {
        const QString mode = QString::fromLocal8Bit(argv[2]);
        const QString path = QString::fromLocal8Bit(argv[3]);
        if (mode == QLatin1String("add"))
            return runAddingChild(path, QString::fromLocal8Bit(argv[4]).toInt());
        if (mode == QLatin1String("full"))
            return runFullDiskChild(path, QString::fromLocal8Bit(argv[4]).toLongLong());
        return 5;
    }
    if (KilledWriter::isChild(argc, argv)) {
        // Adds a photo to the project and is killed at the sync of its save.
        QCoreApplication app(argc, argv);
        CProjectServiceWorker worker;
        const SurveyProjectPtr project = loadOpen(worker, KilledWriter::childArguments(argc, argv).value(0));
        if (!project || project->surveys().isEmpty())
            return 3;
        KilledWriter::stopAtTheSync();
        worker.createSurveyPhoto(1, project, project->surveys().first(), "killed.jpg", QString(), NaN, NaN, NaN);
        return 2;
    }
    tst_ProjectFileSafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ProjectFileSafety.moc"
