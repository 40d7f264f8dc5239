// The project, survey and manhole screens in the real QML world: the UI engine with its main
// window, real services on a temporary project root, a simulated NMEA position and the local
// tile peer. Each screen's main path is driven through its buttons. With CX_SHOTS_DIR set
// (by hand, under Xvfb) every step leaves a screenshot there.
#include "surveyprojects/CManholeXmlWriter.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/ProjectScreenServices.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "managers/CGeoPositionSourceManager.h"
#include "managers/CMediaDirectoryHandler.h"
#include "uiengine/CUiEngine.h"

#include "peers/tile-server/TilePeer.h"
#include "support/QmlWarningCollector.h"
#include "support/QmlWarningGuard.h"
#include "support/QuickScreenDriver.h"

#include "ProjectScreenFixture.h"

#include <QDir>
#include <QNmeaPositionInfoSource>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

namespace {

QByteArray nmea(const QByteArray& body)
{
    quint8 checksum = 0;
    for (char c : body)
        checksum ^= static_cast<quint8>(c);
    return "$" + body + "*" + QByteArray::number(checksum, 16).rightJustified(2, '0').toUpper() + "\r\n";
}

// The simulated receiver stands at 47 deg 30' N, 8 deg 15' E.
const QGeoCoordinate Here(47.5, 8.25);

} // namespace

class tst_ProjectScreensQml : public QObject, private ProjectScreenFixture, private QuickScreenDriver
{
    Q_OBJECT

public:
    tst_ProjectScreensQml() : QuickScreenDriver(Lookup::VisibleItems) {}

private:
    QTemporaryFile m_nmea;
    TilePeer m_tiles;
    std::unique_ptr<CGeoPositionSourceManager> m_positions;
    int m_shot = 0;

    // Clicks the list row that shows the text (rows are ListRow items of the top screen).
    bool clickRow(const QString& text)
    {
        if (!waitForFrame())
            return false;
        return tryClick(findRow(topScreen(), text));
    }

    static QQuickItem* findRow(QQuickItem* item, const QString& text)
    {
        if (!item || !item->isVisible())
            return nullptr;
        if (item->metaObject()->indexOfSignal("tapped()") >= 0) {
            if (item->property("text").toString() == text)
                return item;
        }
        const QList<QQuickItem*> children = item->childItems();
        for (QQuickItem* child : children) {
            if (QQuickItem* found = findRow(child, text))
                return found;
        }
        return nullptr;
    }

    void shot(const QString& name) { shoot(QStringLiteral("%1-%2").arg(++m_shot, 2, 10, QLatin1Char('0')).arg(name)); }

    // Types a value into the value input screen on top and applies it.
    bool enterValue(const QString& text)
    {
        if (topScreenName() != QLatin1String("ValueInputScreen"))
            return false;
        QQuickItem* field = topScreenItem("valueInputField");
        if (!field)
            return false;
        field->setProperty("text", text);
        return tryClick("valueInputApply");
    }

    // A project the earlier checks made through the screens, made here when a check runs alone.
    bool ensureProject(const QString& name)
    {
        if (QFile::exists(m_root + name + "/project.xml"))
            return true;
        QSignalSpy created(m_service.get(), &CProjectService::projectCreated);
        m_service->createProject(name, "en_US", ProjectTypes::DistanceUnitMetric, m_root);
        return QTest::qWaitFor([&created] { return !created.isEmpty(); }, 10000) && created.at(0).at(3).value<ProjectTypes::ProjectError>() == ProjectTypes::ProjectErrorNone;
    }

    QByteArray projectFile(const QString& name) const
    {
        QFile file(m_root + name + "/project.xml");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

        QVERIFY(m_tiles.start());
        qputenv("CX_MAP_TILE_URL", m_tiles.url().toUtf8());

        // Ten minutes of fixes at one place, a second apart.
        QVERIFY(m_nmea.open());
        for (int second = 0; second < 600; ++second) {
            const QByteArray time = QStringLiteral("12%1%2.00")
                                        .arg(second / 60, 2, 10, QLatin1Char('0'))
                                        .arg(second % 60, 2, 10, QLatin1Char('0'))
                                        .toLatin1();
            m_nmea.write(nmea("GPRMC," + time + ",A,4730.000,N,00815.000,E,0.0,0.0,050324,,,A"));
        }
        m_nmea.flush();
        m_nmea.seek(0);

        QVERIFY(makeSettings());
        m_settings->setDefaultOperatorName("Olga");
        m_settings->setUseImperialUnits(false);
        QVERIFY(startServices());
        auto* source = new QNmeaPositionInfoSource(QNmeaPositionInfoSource::SimulationMode);
        source->setDevice(&m_nmea);
        m_positions = std::make_unique<CGeoPositionSourceManager>(m_settings.get(), source, nullptr);
        QSignalSpy fix(m_positions.get(), &CGeoPositionSourceManager::geoPositionUpdated);
        m_positions->updatePositionSourceActiveStatus();
        QVERIFY(fix.count() > 0 || fix.wait(10000));

        ProjectScreenServices withPositions = services();
        withPositions.geoPositionSourceManager = m_positions.get();
        ProjectScreenServices::install(withPositions);

        QmlWarningCollector::install();
        CUiEngine::create();
        QSignalSpy created(CUiEngine::instance()->qmlEngine(), &QQmlApplicationEngine::objectCreated);
        QVERIFY(created.wait(20000));
        setWindow(qobject_cast<QQuickWindow*>(CUiEngine::instance()->qmlEngine()->rootObjects().first()));
        QVERIFY(window());
        // The screens read the runtime data and the settings through the QML context.
        window()->resize(1280, 800);
        QQmlContext* root = CUiEngine::instance()->qmlEngine()->rootContext();
        root->setContextProperty("appRuntimeData", m_runtimeData.get());
        root->setContextProperty("settings", m_settings.get());
        QVERIFY(QTest::qWaitForWindowExposed(window(), 20000));
        window()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window(), 20000));
        closeToStartScreen();
    }

    void cleanupTestCase()
    {
        CUiEngine::destroy();
        ProjectScreenServices::uninstall();
        QmlWarningCollector::uninstall();
        m_positions.reset();
        stopServices();
    }

    // After a failed check the rest are skipped: what it left open would fail them too.
    void init() { QmlWarningGuard::skipAfterAFailure(); }

    void cleanup()
    {
        QmlWarningGuard::checkFunction();
        closeToStartScreen();
        const QStringList warnings = QmlWarningCollector::warnings();
        QmlWarningCollector::warnings().clear();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void projectListCreatesSortsAndFilters()
    {
        evaluate("ScreenManager.show('ProjectListScreen')");
        QCOMPARE(topScreenName(), QString("ProjectListScreen"));

        for (const QString& name : {QString("Harbour Road"), QString("abbey lane"), QString("Mill Street")}) {
            QVERIFY(tryClick("projectNewButton"));
            // The name input refuses markup characters and says why.
            QQuickItem* field = topScreenItem("valueInputField");
            QVERIFY(field);
            field->forceActiveFocus();
            QTest::keyClick(window(), '<');
            QCOMPARE(field->property("text").toString(), QString());
            QVERIFY(evaluate("ScreenManager.currentScreen.description").toString().contains("&, < and >"));
            QVERIFY(enterValue(name));
            // A created project is opened and goes on to its survey list.
            QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("SurveyListScreen"), 10000);
            QVERIFY(tryClick("surveyApplyButton"));
            QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("ProjectListScreen"), 10000);
            QVERIFY(QDir(m_root + name).exists("Photos"));
            QVERIFY(QDir(m_root + name).exists("Videos"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(evaluate("ScreenManager.currentScreen.controller.projectListProxyModel.rowCount()").toInt(), 3, 10000);
        // An empty name makes no project, and says so.
        QVERIFY(tryClick("projectNewButton"));
        QVERIFY(enterValue("  "));
        QTRY_VERIFY(messageOpen());
        QVERIFY2(messageText().contains("needs a name"), qPrintable(messageText()));
        shot("project-empty-name");
        click("messageBoxOk");
        QTRY_VERIFY(!messageOpen());
        QCOMPARE(topScreenName(), QString("ProjectListScreen"));
        QCOMPARE(QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 3);
        shot("project-list-by-name");
        QVERIFY(tryClick("projectSortName"));
        QTRY_COMPARE(evaluate("ScreenManager.currentScreen.controller.queryProjectProxyIndex('Mill Street')").toInt(), 0);
        shot("project-list-by-name-descending");
        QVERIFY(tryClick("projectSortSize"));
        shot("project-list-by-size");
        QVERIFY(tryClick("projectSortDate"));
        shot("project-list-by-date");

        QQuickItem* search = topScreenItem("projectSearchField");
        QVERIFY(search);
        search->setProperty("text", "STREET");
        QCOMPARE(evaluate("ScreenManager.currentScreen.controller.projectListProxyModel.rowCount()").toInt(), 1);
        shot("project-list-filtered");
        search->setProperty("text", "");

        // Deleting asks first, then removes the selected project.
        QVERIFY(clickRow("abbey lane"));
        QVERIFY(tryClick("projectDeleteButton"));
        QTRY_VERIFY(evaluate("MessageBox.isOpen").toBool());
        QVERIFY2(messageText().contains("\"abbey lane\""), qPrintable(messageText()));
        shot("project-delete-question");
        evaluate("MessageBox.view.answer(true)");
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_root + "abbey lane").exists(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate("ScreenManager.currentScreen.controller.projectListProxyModel.rowCount()").toInt(), 2, 10000);
    }

    void surveyListEditsAreSaved()
    {
        auto manholes = std::make_shared<ManholeList>(ManholeList{
            CGeoManhole("MH 300", Here.atDistanceAndAzimuth(300, 90)), CGeoManhole("MH 40", Here.atDistanceAndAzimuth(40, 0)),
            CGeoManhole("MH 120", Here.atDistanceAndAzimuth(120, 200)), CGeoManhole("MH 75", Here.atDistanceAndAzimuth(75, 300)),
            CGeoManhole("MH far", Here.atDistanceAndAzimuth(2500, 45))});

        evaluate("ScreenManager.show('ProjectListScreen')");
        QVERIFY(tryClick("projectNewButton"));
        QVERIFY(enterValue("Canal Walk"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("SurveyListScreen"), 10000);
        QVERIFY(CManholeXmlWriter().write(manholes, m_runtimeData->currentProjectPath()));

        // A section survey: upstream manhole picked from the list nearest first.
        QVERIFY(tryClick("surveyNewButton"));
        QVERIFY(clickRow("Remarks"));
        QVERIFY(enterValue("roots at 12 m"));
        QVERIFY(clickRow("Upstream Manhole"));
        QTRY_COMPARE(topScreenName(), QString("ManholeListScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!evaluate("ScreenManager.currentScreen.controller.loadingManholeList").toBool(), 10000);
        QCOMPARE(evaluate("ScreenManager.currentScreen.controller.manholeDistanceModel.rowCount()").toInt(), 5);
        QCOMPARE(evaluate("var m = ScreenManager.currentScreen.controller.manholeDistanceModel;"
                          " m.data(m.index(0, 0), 256) + '|' + m.data(m.index(0, 0), 257)").toString(),
                 QString("MH 40|40.00m"));
        shot("manhole-list-by-distance");
        QVERIFY(clickRow("MH 120"));
        QVERIFY(tryClick("manholeApplyButton"));
        QTRY_COMPARE(topScreenName(), QString("SurveyListScreen"));
        shot("survey-list-section");

        // A manhole survey in a second survey.
        QVERIFY(tryClick("surveyNewButton"));
        QVERIFY(clickRow("Survey type"));
        QTRY_COMPARE(topScreenName(), QString("ItemSelectionScreen"));
        QVERIFY(evaluate("ScreenManager.currentScreen.selectedIndex = 2; true").toBool());
        QVERIFY(tryClick("itemSelectionApply"));
        QTRY_COMPARE(topScreenName(), QString("SurveyListScreen"));
        QVERIFY(clickRow("Manhole Name"));
        QTRY_COMPARE(topScreenName(), QString("ManholeListScreen"));
        QVERIFY(clickRow("MH 75"));
        QVERIFY(tryClick("manholeApplyButton"));
        QTRY_COMPARE(topScreenName(), QString("SurveyListScreen"));
        shot("survey-list-manhole");

        QVERIFY(tryClick("surveyApplyButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("ProjectListScreen"), 10000);
        const QByteArray xml = projectFile("Canal Walk");
        QVERIFY(xml.contains("<upstream-manhole>MH 120</upstream-manhole>"));
        QVERIFY(xml.contains("<manhole-name>MH 75</manhole-name>") || xml.contains(">MH 75<"));
        QVERIFY(xml.contains("roots at 12 m"));
        QVERIFY(!m_runtimeData->currentProject());
    }

    void closingAModifiedSurveyListAsksFirst()
    {
        QVERIFY(ensureProject("Harbour Road"));
        evaluate("ScreenManager.show('ProjectListScreen')");
        QTRY_VERIFY_WITH_TIMEOUT(clickRow("Harbour Road"), 10000);
        QVERIFY(tryClick("projectOpenButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("SurveyListScreen"), 10000);
        QVERIFY(tryClick("surveyNewButton"));
        evaluate("ScreenManager.back()");
        QTRY_VERIFY(evaluate("MessageBox.isOpen").toBool());
        shot("survey-list-discard-question");
        evaluate("MessageBox.view.answer(false)");
        QCOMPARE(topScreenName(), QString("SurveyListScreen"));
        evaluate("ScreenManager.back()");
        QTRY_VERIFY(evaluate("MessageBox.isOpen").toBool());
        evaluate("MessageBox.view.answer(true)");
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("ProjectListScreen"), 10000);
        QVERIFY(!m_runtimeData->currentProject());
        QVERIFY(!projectFile("Harbour Road").contains("<survey-id>"));
    }

    void mapShowsManholesOnLocalTiles()
    {
        m_runtimeData->setManholeList(std::make_shared<ManholeList>(ManholeList{
            CGeoManhole("MH 40", Here.atDistanceAndAzimuth(40, 0)), CGeoManhole("MH 75", Here.atDistanceAndAzimuth(75, 300)),
            CGeoManhole("MH 120", Here.atDistanceAndAzimuth(120, 200))}));
        evaluate("ScreenManager.show('ManholeMapScreen', { manholeName: 'MH 75' }, function(result) {"
                 " mainWindow.title = result ? result.manholeName : 'none' })");
        QCOMPARE(topScreenName(), QString("ManholeMapScreen"));
        QCOMPARE(evaluate("ScreenManager.currentScreen.controller.currentManholeIndex").toInt(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate("ScreenManager.currentScreen.localTiles").toBool(), 10000);
        // The visible area takes a few dozen tiles; let them arrive and be drawn.
        QTRY_VERIFY_WITH_TIMEOUT(m_tiles.log().size() >= 40, 20000);
        QVERIFY(waitForFrame());
        shot("manhole-map");
        for (const QJsonObject& entry : m_tiles.log()) {
            QCOMPARE(entry.value("client").toString(), QString("127.0.0.1"));
            QVERIFY2(entry.value("path").toString().startsWith("/18/"), qPrintable(entry.value("path").toString()));
        }
        QVERIFY(tryClick("manholeMapApplyButton"));
        QTRY_COMPARE(window()->title(), QString("MH 75"));
        m_runtimeData->setManholeList(ManholeListPtr());
    }

    void startUpProjectIsCreatedWithItsSurvey()
    {
        StartUpSurveyParameters parameters;
        parameters.text1 = "S 1";
        parameters.text2 = "S 2";
        parameters.text3 = "from the office";
        m_runtimeData->setStartUpProjectName("Station Square");
        m_runtimeData->setStartUpSurveyParams(parameters);
        evaluate("ScreenManager.show('StartUpProjectSetupScreen')");
        shot("start-up-project");
        QVERIFY(tryClick("startUpProjectOpenButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("SurveyListScreen"), 10000);
        const QByteArray xml = projectFile("Station Square");
        QVERIFY(xml.contains("<upstream-manhole>S 1</upstream-manhole>"));
        QVERIFY(xml.contains("<downstream-manhole>S 2</downstream-manhole>"));
        QVERIFY(xml.contains("from the office"));
        QVERIFY(m_runtimeData->currentSurvey());
        QCOMPARE(m_runtimeData->currentSurvey()->upstreamManhole(), QString("S 1"));
        shot("start-up-survey-list");
        // Not opened from the project list: apply keeps the project open.
        QVERIFY(tryClick("surveyApplyButton"));
        QTRY_COMPARE(topScreenName(), QString("StartScreen"));
        QVERIFY(m_runtimeData->currentProject());
        m_runtimeData->setStartUpProjectName(QString());
        m_runtimeData->setStartUpSurveyParams(StartUpSurveyParameters());
    }

    // Runs after the start-up project was left open: its manholes are loaded, then another
    // project (one made on the tablet, without manholes.xml) is opened from the list.
    void manholesFollowTheOpenedProjectAndAreTypedWithoutAList()
    {
        if (!m_runtimeData->currentProject())
            startUpProjectIsCreatedWithItsSurvey();
        QVERIFY(ensureProject("Harbour Road"));
        QVERIFY(m_runtimeData->currentProject());
        auto square = std::make_shared<ManholeList>(ManholeList{CGeoManhole("SQ 1", Here.atDistanceAndAzimuth(20, 0)),
                                                                CGeoManhole("SQ 2", Here.atDistanceAndAzimuth(60, 90))});
        QVERIFY(CManholeXmlWriter().write(square, m_runtimeData->currentProjectPath()));
        evaluate("ScreenManager.show('ManholeListScreen', { manholeName: '' })");
        QTRY_COMPARE(topScreenName(), QString("ManholeListScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!evaluate("ScreenManager.currentScreen.controller.loadingManholeList").toBool(), 10000);
        QCOMPARE(evaluate("ScreenManager.currentScreen.controller.manholeDistanceModel.rowCount()").toInt(), 2);
        QVERIFY(!evaluate("ScreenManager.currentScreen.typedName").toBool());
        evaluate("ScreenManager.close(undefined)");
        QVERIFY(m_runtimeData->manholeList() && m_runtimeData->manholeList()->size() == 2);

        evaluate("ScreenManager.show('ProjectListScreen')");
        QTRY_VERIFY_WITH_TIMEOUT(clickRow("Harbour Road"), 10000);
        QVERIFY(tryClick("projectOpenButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("SurveyListScreen"), 10000);
        QVERIFY(tryClick("surveyNewButton"));
        QVERIFY(clickRow("Upstream Manhole"));
        QTRY_COMPARE(topScreenName(), QString("ManholeListScreen"));
        QTRY_VERIFY_WITH_TIMEOUT(!evaluate("ScreenManager.currentScreen.controller.loadingManholeList").toBool(), 10000);
        QCOMPARE(evaluate("ScreenManager.currentScreen.controller.manholeDistanceModel.rowCount()").toInt(), 0);
        QTRY_VERIFY(evaluate("ScreenManager.currentScreen.typedName").toBool());
        QQuickItem* field = topScreenItem("manholeNameField");
        QVERIFY(field);
        field->setProperty("text", "HR 7");
        shot("manhole-typed");
        QVERIFY(tryClick("manholeApplyButton"));
        QTRY_COMPARE(topScreenName(), QString("SurveyListScreen"));
        QVERIFY(tryClick("surveyApplyButton"));
        QTRY_COMPARE_WITH_TIMEOUT(topScreenName(), QString("ProjectListScreen"), 10000);
        QVERIFY(projectFile("Harbour Road").contains("<upstream-manhole>HR 7</upstream-manhole>"));
    }
};

QTEST_MAIN(tst_ProjectScreensQml)
#include "tst_ProjectScreensQml.moc"
