// The project list: size texts, model updates, the sorting proxy, and the screen controller
// against a real project service on a temporary project root.
#include "surveyprojects/CProjectFilterProxyModel.h"
#include "surveyprojects/CProjectListModel.h"
#include "surveyprojects/CProjectListScreenController.h"
#include "surveyprojects/CProjectService.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/CMediaDirectoryHandler.h"

#include "ProjectScreenFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

CLocalProjectInfo info(const QString& name, const QString& path, qint64 size, const QDateTime& date = QDateTime())
{
    return CLocalProjectInfo(QUuid::createUuid(), name, path, date.isValid() ? date : QDateTime::currentDateTimeUtc(),
                             size);
}

QStringList proxyNames(const QAbstractItemModel* proxy)
{
    QStringList names;
    for (int row = 0; row < proxy->rowCount(); ++row)
        names << proxy->index(row, 0).data(CProjectItemRolesModel::RoleProjectName).toString();
    return names;
}

bool copyFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QFileInfoList entries = QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() ? !copyFolder(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

class tst_ProjectListScreen : public QObject, private ProjectScreenFixture
{
    Q_OBJECT

private:
    // Creates a project through the controller and waits for it to be open and listed.
    bool createThrough(CProjectListScreenController& controller, const QString& name)
    {
        QSignalSpy opened(&controller, &CProjectListScreenController::projectOpened);
        controller.createProject(name);
        if (!opened.wait(10000))
            return false;
        return QTest::qWaitFor([&] { return controller.queryProjectProxyIndex(name) >= 0; }, 10000);
    }

private slots:
    void init()
    {
        QVERIFY(makeSettings());
        m_settings->setLocaleName("de_CH");
        m_settings->setUseImperialUnits(false);
        QVERIFY(startServices());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void cleanup()
    {
        stopServices();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void sizeTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown") << "en_US" << qint64(-1) << "...";
        QTest::newRow("empty") << "en_US" << qint64(0) << "0 kB";
        QTest::newRow("half") << "en_US" << qint64(512) << "0.5 kB";
        QTest::newRow("1000") << "en_US" << qint64(1000) << "0.977 kB";
        QTest::newRow("four digits") << "en_US" << qint64(150000) << "146.5 kB";
        QTest::newRow("just under") << "en_US" << qint64(1048575) << "1024 kB";
        QTest::newRow("one MB") << "en_US" << qint64(1048576) << "1 MB";
        QTest::newRow("still one") << "en_US" << qint64(2047 * 1024) << "1 MB";
        QTest::newRow("five") << "en_US" << qint64(5767168) << "5 MB";
        // kB always with a point; MB with the operator's digit grouping.
        QTest::newRow("german kB") << "de_DE" << qint64(150000) << "146.5 kB";
        QTest::newRow("german MB") << "de_DE" << qint64(1500) * 1048576 << "1.500 MB";
    }

    void sizeTexts()
    {
        QFETCH(QString, locale);
        QFETCH(qint64, size);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(CProjectListModel::sizeText(size), text);
        CProjectListModel model;
        model.setProjectList({info("P", "/p/", size)});
        QCOMPARE(model.index(0).data(CProjectItemRolesModel::RoleProjectSizeString).toString(), text);
        QCOMPARE(model.index(0).data(CProjectItemRolesModel::RoleProjectSize).toLongLong(), size);
    }

    void modelResetsOnlyWhenRowsChange()
    {
        CProjectListModel model;
        QCOMPARE(model.roleNames().size(), 3);
        QCOMPARE(model.roleNames().value(257), QByteArray("modelData_ProjectSize"));
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setProjectList({info("A", "/a/", -1), info("B", "/b/", -1)});
        QCOMPARE(reset.count(), 1);

        // Sizes measured: same folders in the same places, values only.
        model.setProjectList({info("A", "/a/", 10), info("B", "/b/", 20)});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), 0);
        QCOMPARE(changed.at(0).at(1).value<QModelIndex>().row(), 1);
        QVERIFY(changed.at(0).at(2).value<QVector<int>>().isEmpty());

        // Reordered, added, removed: a reset each.
        model.setProjectList({info("B", "/b/", 20), info("A", "/a/", 10)});
        model.setProjectList({info("B", "/b/", 20), info("A", "/a/", 10), info("C", "/c/", 1)});
        model.setProjectList({info("C", "/c/", 1)});
        QCOMPARE(reset.count(), 4);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!model.index(0).data(CProjectItemRolesModel::RoleIsImportedByWeb).isValid());
        QVERIFY(!model.index(5).data(CProjectItemRolesModel::RoleProjectName).isValid());
    }

    void proxyFlipsOrderAndFilters()
    {
        CProjectListModel model;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        model.setProjectList({info("beta", "/b/", 300, now.addDays(-1)), info("Alpha", "/a/", -1, now),
                              info("gamma", "/g/", 5, now.addDays(-3))});
        CProjectFilterProxyModel proxy;
        proxy.setSourceModel(&model);

        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectName);
        QCOMPARE(proxyNames(&proxy), QStringList({"Alpha", "beta", "gamma"}));
        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectName);
        QCOMPARE(proxyNames(&proxy), QStringList({"gamma", "beta", "Alpha"}));
        // A new role starts ascending again; an unknown size sorts as -1.
        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectSize);
        QCOMPARE(proxyNames(&proxy), QStringList({"Alpha", "gamma", "beta"}));
        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectCreationDate);
        QCOMPARE(proxyNames(&proxy), QStringList({"gamma", "beta", "Alpha"}));
        proxy.setSortFilterRole(CProjectItemRolesModel::RoleProjectCreationDate);
        QCOMPARE(proxyNames(&proxy), QStringList({"Alpha", "beta", "gamma"}));

        proxy.setFilterString("A");
        QCOMPARE(proxyNames(&proxy), QStringList({"Alpha", "beta", "gamma"}));
        proxy.setFilterString("ALP");
        QCOMPARE(proxyNames(&proxy), QStringList({"Alpha"}));
        // Fixed text, not a pattern.
        proxy.setFilterString("a.*");
        QVERIFY(proxyNames(&proxy).isEmpty());
        proxy.setFilterString("");
        QCOMPARE(proxy.rowCount(), 3);
    }

    void createOpenRenameDeleteThroughTheService()
    {
        CProjectListScreenController controller(services(), nullptr);
        QVERIFY(!controller.loadingProjectList());
        QCOMPARE(controller.currentProjectProxyIndex(), -1);

        // Without a selection nothing is asked and nothing is processing.
        controller.openProject();
        controller.deleteProject();
        controller.renameProject("x");
        QCOMPARE(controller.pendingTaskId(), 0u);
        QVERIFY(!controller.processing());

        QSignalSpy opened(&controller, &CProjectListScreenController::projectOpened);
        QSignalSpy errors(&controller, &CProjectListScreenController::projectErrorOccurred);
        controller.createProject("Main Street");
        QVERIFY(controller.processing());
        QVERIFY(opened.wait(10000));
        QVERIFY(!controller.processing());
        const QString path = m_runtimeData->currentProjectPath();
        QVERIFY(QDir(path).exists("Photos"));
        QVERIFY(QDir(path).exists("Videos"));
        QVERIFY(QFile::exists(path + "project.xml"));
        QCOMPARE(m_runtimeData->currentProject()->name(), QString("Main Street"));
        QCOMPARE(m_runtimeData->currentProject()->locale(), QString("de_CH"));
        QCOMPARE(m_runtimeData->currentProject()->distanceUnit(), ProjectTypes::DistanceUnitMetric);
        QCOMPARE(m_runtimeData->lastProjectPath(), path);
        QCOMPARE(m_runtimeData->photoDirectory(), path + "Photos/");
        QTRY_COMPARE_WITH_TIMEOUT(controller.queryCurrentProjectName(), QString("Main Street"), 10000);
        if (QStandardPaths::findExecutable("xmllint").isEmpty())
            qWarning("xmllint not installed: project.xml only checked by the reader");
        else
            QCOMPARE(QProcess::execute("xmllint", {"--noout", path + "project.xml"}), 0);

        // Close it, so that it can be renamed.
        QSignalSpy closed(m_service.get(), &CProjectService::projectClosed);
        m_service->closeProject(m_runtimeData->currentProject());
        QVERIFY(closed.wait(10000));
        const QUuid oldId = m_runtimeData->currentProject()->id();
        m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());

        QSignalSpy renamed(m_service.get(), &CProjectService::projectRenamed);
        controller.renameProject("Side Street");
        QVERIFY(renamed.wait(10000));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(controller.currentProjectProxyIndex(), -1);
        QVERIFY(!QDir(path).exists());
        QVERIFY(m_runtimeData->lastProjectPath().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(controller.queryProjectProxyIndex("Side Street") >= 0, 10000);

        controller.setCurrentProjectProxyIndex(controller.queryProjectProxyIndex("Side Street"));
        controller.openProject();
        QVERIFY(opened.wait(10000));
        QCOMPARE(m_runtimeData->currentProject()->name(), QString("Side Street"));
        QVERIFY(m_runtimeData->currentProject()->id() != oldId);
        const QString newPath = m_runtimeData->currentProjectPath();
        QVERIFY(newPath.endsWith("/Side Street/"));
        QVERIFY(m_service->closeProject(m_runtimeData->currentProject()) != 0);
        QVERIFY(closed.wait(10000));
        m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());

        QSignalSpy deleted(m_service.get(), &CProjectService::projectDeleted);
        controller.deleteProject();
        QVERIFY(deleted.wait(10000));
        QCOMPARE(errors.count(), 0);
        QVERIFY(!QDir(newPath).exists());
        QVERIFY(m_runtimeData->lastProjectPath().isEmpty());
        QCOMPARE(controller.currentProjectProxyIndex(), -1);
    }

    void answersOfOtherRequestsAreIgnored()
    {
        CProjectListScreenController first(services(), nullptr);
        CProjectListScreenController second(services(), nullptr);
        QSignalSpy firstOpened(&first, &CProjectListScreenController::projectOpened);
        QSignalSpy secondOpened(&second, &CProjectListScreenController::projectOpened);
        QSignalSpy created(m_service.get(), &CProjectService::projectCreated);
        first.createProject("One");
        QVERIFY(created.wait(10000));
        QCOMPARE(firstOpened.count(), 1);
        QCOMPARE(secondOpened.count(), 0);
        QVERIFY(!second.processing());

        // Only the latest request counts: the earlier answer is dropped.
        second.createProject("Two");
        m_settings->setUseImperialUnits(true);
        second.createProject("Three");
        QTRY_COMPARE_WITH_TIMEOUT(created.count(), 3, 10000);
        QCOMPARE(secondOpened.count(), 1);
        QVERIFY(m_runtimeData->currentProjectPath().endsWith("/Three/"));
        QCOMPARE(m_runtimeData->currentProject()->distanceUnit(), ProjectTypes::DistanceUnitUS);
        QCOMPARE(firstOpened.count(), 1);
    }

    void badNamesAndFilesGiveTheirMessages()
    {
        CProjectListScreenController controller(services(), nullptr);
        QSignalSpy errors(&controller, &CProjectListScreenController::projectErrorOccurred);
        QSignalSpy opened(&controller, &CProjectListScreenController::projectOpened);

        controller.createProject("   ");
        QVERIFY(errors.wait(10000));
        QVERIFY(errors.last().at(0).toString().contains("0x60007"));
        QVERIFY(createThrough(controller, "Taken"));
        controller.createProject("taken");
        QVERIFY(errors.wait(10000));
        QVERIFY(errors.last().at(0).toString().contains("0x60008"));
        QDir().mkpath(m_root + "Plain folder");
        controller.createProject("Plain folder");
        QVERIFY(errors.wait(10000));
        QVERIFY(errors.last().at(0).toString().contains("0x60009"));
        QVERIFY(!controller.processing());
        QCOMPARE(opened.count(), 1);

        // A project file damaged after it was listed: its message, and nothing opens.
        QSignalSpy closed(m_service.get(), &CProjectService::projectClosed);
        m_service->closeProject(m_runtimeData->currentProject());
        QVERIFY(closed.wait(10000));
        m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());
        QFile broken(m_root + "Taken/project.xml");
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("<project version=\"2\"><name>Taken</name><surveys><survey>");
        broken.close();
        controller.setCurrentProjectProxyIndex(controller.queryProjectProxyIndex("Taken"));
        controller.openProject();
        QVERIFY(errors.wait(10000));
        QVERIFY(errors.last().at(0).toString().contains("0x60005"));
        QVERIFY(!m_runtimeData->currentProject());
        QCOMPARE(opened.count(), 1);
    }

    void newerProjectOpensWithWarning()
    {
        QDir().mkpath(m_root + "Future/Photos");
        QDir().mkpath(m_root + "Future/Videos");
        QFile file(m_root + "Future/project.xml");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project version=\"9\"><name>Future</name>"
                   "<date>2024-03-01T08:15:30Z</date><locale>en</locale><distance-unit>m</distance-unit>"
                   "<surveys/></project>\n");
        file.close();
        CProjectListScreenController controller(services(), nullptr);
        m_service->addProjectAtPathToTheProjectList(m_root + "Future/");
        QTRY_VERIFY_WITH_TIMEOUT(controller.queryProjectProxyIndex("Future") >= 0, 10000);
        controller.setCurrentProjectProxyIndex(controller.queryProjectProxyIndex("Future"));

        QStringList order;
        connect(&controller, &CProjectListScreenController::projectOpened, this, [&] { order << "opened"; });
        connect(&controller, &CProjectListScreenController::projectErrorOccurred, this,
                [&](const QString& message) { order << message; });
        controller.openProject();
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 10000);
        QCOMPARE(order.at(0), QString("opened"));
        QVERIFY(order.at(1).startsWith("Some of the project's details might be lost"));
        QVERIFY(order.at(1).contains("0x60006"));
        QVERIFY(m_runtimeData->currentProject());
    }

    void selectionStaysOnItsProjectAcrossListUpdates()
    {
        CProjectListScreenController controller(services(), nullptr);
        QVERIFY(createThrough(controller, "Bravo"));
        QVERIFY(createThrough(controller, "Delta"));
        QSignalSpy closed(m_service.get(), &CProjectService::projectClosed);
        m_service->closeProject(m_runtimeData->currentProject());
        QVERIFY(closed.wait(10000));
        m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());

        controller.setCurrentProjectProxyIndex(controller.queryProjectProxyIndex("Delta"));
        QCOMPARE(controller.currentProjectProxyIndex(), 1);

        // Another project folder, made ready elsewhere, lands in the root before the selected one.
        const QString staging = m_dir->path() + "/staging/Alpha";
        QVERIFY(copyFolder(m_root + "Bravo", staging));
        QFile xml(staging + "/project.xml");
        QVERIFY(xml.open(QIODevice::ReadOnly));
        QByteArray content = xml.readAll();
        xml.close();
        content.replace("<name>Bravo</name>", "<name>Alpha</name>");
        // A project of its own, not a second copy of the same one.
        const int idStart = content.indexOf("<project-id>") + 12;
        content.replace(idStart, 36, QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1());
        QVERIFY(xml.open(QIODevice::WriteOnly | QIODevice::Truncate));
        xml.write(content);
        xml.close();
        QVERIFY(QDir().rename(staging, m_root + "Alpha"));
        QTRY_VERIFY_WITH_TIMEOUT(controller.queryProjectProxyIndex("Alpha") >= 0, 15000);
        QCOMPARE(controller.currentProjectProxyIndex(), 2);
        QCOMPARE(controller.queryCurrentProjectName(), QString("Delta"));

        // Re-sorting keeps it as well.
        controller.changeFilterRole(CProjectItemRolesModel::RoleProjectName);
        QCOMPARE(controller.currentProjectProxyIndex(), 0);
        QCOMPARE(controller.queryCurrentProjectName(), QString("Delta"));

        QSignalSpy deleted(m_service.get(), &CProjectService::projectDeleted);
        controller.deleteProject();
        QVERIFY(deleted.wait(10000));
        QVERIFY(!QDir(m_root + "Delta").exists());
        QVERIFY(QDir(m_root + "Alpha").exists());
        QVERIFY(QDir(m_root + "Bravo").exists());
    }
};

QTEST_GUILESS_MAIN(tst_ProjectListScreen)
#include "tst_ProjectListScreen.moc"
