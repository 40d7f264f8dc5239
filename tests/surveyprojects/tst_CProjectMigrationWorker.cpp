#include "surveyprojects/CProjectMigrationWorker.h"
#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_CProjectMigrationWorker : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProjectMigrationWorker> m_worker;
    QString m_old;
    QString m_new;

    SurveyProjectPtr makeProject(const QString& root, const QString& name, const QUuid& id = QUuid())
    {
        auto project = std::make_shared<CSurveyProject>(id.isNull() ? QUuid::createUuid() : id,
                                                        QVector<SurveyPtr>{}, name, QString(), "en",
                                                        QDateTime::currentDateTimeUtc(),
                                                        ProjectTypes::DistanceUnitMetric);
        QDir().mkpath(root + name);
        if (!CProjectXmlWriter().write(project, root + name + "/project.xml"))
            return {};
        return project;
    }

    QString nameIn(const QString& folder)
    {
        const SurveyProjectPtr project = CProjectXmlReader().read(folder + "/project.xml", true);
        return project ? project->name() : QString();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_old = m_dir->path() + "/old/";
        m_new = m_dir->path() + "/new/";
        QDir().mkpath(m_old);
        QDir().mkpath(m_new);
        m_worker = std::make_unique<CProjectMigrationWorker>();
        m_worker->init(m_old, m_new);
    }

    void cleanup()
    {
        m_worker.reset();
        m_dir.reset();
    }

    void nothingReadableFinishesAtOnce()
    {
        QDir().mkpath(m_old + "no-project");
        QSignalSpy done(m_worker.get(), &CProjectMigrationWorker::migrationDone);
        QSignalSpy progress(m_worker.get(), &CProjectMigrationWorker::migrationProgress);
        m_worker->start();
        QCOMPARE(done.size(), 1);
        QVERIFY(progress.isEmpty());
        QVERIFY(QFileInfo(m_old + "no-project").isDir());
    }

    void movesProjectsWithProgress()
    {
        QVERIFY(makeProject(m_old, "A"));
        QVERIFY(makeProject(m_old, "B"));
        QVERIFY(makeProject(m_old, "C"));
        QSignalSpy done(m_worker.get(), &CProjectMigrationWorker::migrationDone);
        QSignalSpy progress(m_worker.get(), &CProjectMigrationWorker::migrationProgress);
        m_worker->start();
        QVERIFY(done.wait(10000));
        QList<int> values;
        for (const QList<QVariant>& args : progress)
            values.append(args.at(0).toInt());
        QCOMPARE(values, (QList<int>{0, 33, 66, 100}));
        QCOMPARE(nameIn(m_new + "A"), QString("A"));
        QCOMPARE(nameIn(m_new + "C"), QString("C"));
        QVERIFY(!QFileInfo::exists(m_old + "B"));
    }

    void idCollisionOverwritesTheOtherFolder()
    {
        const QUuid id = QUuid::createUuid();
        QVERIFY(makeProject(m_old, "Mine", id));
        QVERIFY(makeProject(m_new, "Theirs", id));
        QSignalSpy collision(m_worker.get(), &CProjectMigrationWorker::idCollision);
        QSignalSpy done(m_worker.get(), &CProjectMigrationWorker::migrationDone);
        m_worker->start();
        QVERIFY(collision.wait(10000));
        QCOMPARE(collision.at(0).at(1).toString(), QString("Mine"));
        QCOMPARE(collision.at(0).at(2).toString(), QString("Theirs"));
        m_worker->overwrite(collision.at(0).at(0).toInt());
        QVERIFY(done.wait(10000));
        QCOMPARE(nameIn(m_new + "Theirs"), QString("Mine"));
        QVERIFY(!QFileInfo::exists(m_old + "Mine"));
    }

    void renamingToAnExistingFolderAsksAgain()
    {
        QVERIFY(makeProject(m_old, "Same"));
        QVERIFY(makeProject(m_new, "Same"));
        QDir().mkpath(m_new + "Busy");
        QSignalSpy collision(m_worker.get(), &CProjectMigrationWorker::nameCollision);
        QSignalSpy done(m_worker.get(), &CProjectMigrationWorker::migrationDone);
        m_worker->start();
        QVERIFY(collision.wait(10000));
        const int taskId = collision.at(0).at(0).toInt();
        m_worker->rename(taskId, "Busy");
        QVERIFY(collision.wait(10000));
        QCOMPARE(collision.at(1).at(0).toInt(), taskId);
        // A name that would leave the new root is asked again as well.
        m_worker->rename(taskId, "../escape");
        QVERIFY(collision.wait(10000));
        QVERIFY(!QFileInfo::exists(m_dir->path() + "/escape"));
        m_worker->rename(taskId, "Same 2");
        QVERIFY(done.wait(10000));
        QCOMPARE(nameIn(m_new + "Same 2"), QString("Same"));
        QCOMPARE(nameIn(m_new + "Same"), QString("Same"));
    }

    void removeDropsTheOldProject()
    {
        QVERIFY(makeProject(m_old, "Twice"));
        QVERIFY(makeProject(m_new, "Twice"));
        QSignalSpy collision(m_worker.get(), &CProjectMigrationWorker::nameCollision);
        QSignalSpy done(m_worker.get(), &CProjectMigrationWorker::migrationDone);
        m_worker->start();
        QVERIFY(collision.wait(10000));
        m_worker->remove(collision.at(0).at(0).toInt());
        QVERIFY(done.wait(10000));
        QVERIFY(!QFileInfo::exists(m_old + "Twice"));
        QVERIFY(QFileInfo::exists(m_new + "Twice/project.xml"));
    }

    void aFolderWithoutProjectTurnsTheMoveIntoACollision()
    {
        QVERIFY(makeProject(m_old, "Plain"));
        QDir().mkpath(m_new + "Plain");
        QSignalSpy collision(m_worker.get(), &CProjectMigrationWorker::nameCollision);
        m_worker->start();
        QVERIFY(collision.wait(10000));
        QCOMPARE(collision.at(0).at(1).toString(), QString("Plain"));
        QVERIFY(QFileInfo::exists(m_old + "Plain/project.xml"));
    }
};

QTEST_GUILESS_MAIN(tst_CProjectMigrationWorker)
#include "tst_CProjectMigrationWorker.moc"
