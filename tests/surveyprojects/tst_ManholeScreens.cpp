// The manhole list and map: distances and their order, selection across re-sorts, and the
// manhole list loaded through a real project service.
#include "surveyprojects/CManholeDistanceModel.h"
#include "surveyprojects/CManholeListScreenController.h"
#include "surveyprojects/CManholeMapModel.h"
#include "surveyprojects/CManholeMapScreenController.h"
#include "surveyprojects/CManholeXmlWriter.h"
#include "surveyprojects/CProjectService.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

namespace {

const QGeoCoordinate Here(47.5000, 8.2500);

// A manhole about `metres` north of Here.
CGeoManhole north(const QString& name, double metres)
{
    return CGeoManhole(name, Here.atDistanceAndAzimuth(metres, 0.0));
}

QStringList rowNames(const CManholeDistanceModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.nameAt(row);
    return names;
}

QGeoPositionInfo fixAt(const QGeoCoordinate& coordinate)
{
    return QGeoPositionInfo(coordinate, QDateTime::currentDateTimeUtc());
}

} // namespace

class tst_ManholeScreens : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void unknownDistancesSortLastAndOrderIsStable()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QVector<double> distances = {nan, 5.0, 2.0, nan, 5.0, 1.0};
        QVector<int> order = {0, 1, 2, 3, 4, 5};
        CManholeDistanceModel::sortByDistance(order, distances);
        QCOMPARE(order, QVector<int>({5, 2, 1, 4, 0, 3}));

        // Any starting order ends the same: a strict weak ordering even with NaN about.
        std::mt19937 random(7);
        QVector<double> many(2000);
        for (int i = 0; i < many.size(); ++i)
            many[i] = i % 7 == 0 ? nan : double(random() % 50);
        QVector<int> first(many.size());
        std::iota(first.begin(), first.end(), 0);
        QVector<int> second = first;
        std::shuffle(second.begin(), second.end(), random);
        CManholeDistanceModel::sortByDistance(first, many);
        CManholeDistanceModel::sortByDistance(second, many);
        QCOMPARE(first, second);
        for (int i = 1; i < first.size(); ++i) {
            const double a = many.at(first.at(i - 1));
            const double b = many.at(first.at(i));
            QVERIFY(std::isnan(b) || (!std::isnan(a) && a <= b));
        }
    }

    void distancesFollowThePosition()
    {
        auto list = std::make_shared<ManholeList>(ManholeList{
            north("Far", 300), north("Near", 20), CGeoManhole("Nowhere", QGeoCoordinate()), north("Mid", 100),
            CGeoManhole("Here", Here)});
        CManholeDistanceModel model;
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.nameAt(0).isEmpty());
        model.setManholeList(list);

        // No position fix: every distance unknown, list order kept.
        QCOMPARE(rowNames(model), QStringList({"Far", "Near", "Nowhere", "Mid", "Here"}));
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(model.index(row).data(Qt::UserRole + 1).toString(), QString());

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setCurrentPosition(Here);
        QCOMPARE(reset.count(), 1);
        model.setCurrentPosition(Here);
        QCOMPARE(reset.count(), 1);
        // A manhole exactly here counts as unknown, like one without a coordinate.
        QCOMPARE(rowNames(model), QStringList({"Near", "Mid", "Far", "Nowhere", "Here"}));
        QCOMPARE(model.index(0).data(Qt::UserRole + 1).toString(), QString("20.00m"));
        QCOMPARE(model.index(4).data(Qt::UserRole + 1).toString(), QString());
        model.setUseImperialUnits(true);
        QVERIFY(model.index(0).data(Qt::UserRole + 1).toString().endsWith("ft"));

        // Walking north past "Mid" re-sorts.
        model.setCurrentPosition(Here.atDistanceAndAzimuth(250, 0.0));
        QCOMPARE(rowNames(model).mid(0, 3), QStringList({"Far", "Mid", "Near"}));
    }

    void selectionStaysOnItsManholeAcrossPositionUpdates()
    {
        CAppRuntimeData runtimeData;
        runtimeData.setManholeList(std::make_shared<ManholeList>(
            ManholeList{north("A", 10), north("B", 200), north("B", 50), north("C", 400)}));
        ProjectScreenServices services;
        services.appRuntimeData = &runtimeData;
        CManholeListScreenController controller(services, nullptr);
        controller.onGeoPositionUpdated(fixAt(Here));
        QCOMPARE(rowNames(*controller.distanceModel()), QStringList({"A", "B", "B", "C"}));

        // Same names: the first in list order, which is the farther "B" here.
        controller.selectManholeByName("B");
        QCOMPARE(controller.currentManholeIndex(), 2);
        QCOMPARE(controller.currentManholeName(), QString("B"));

        controller.selectManholeByName("C");
        QCOMPARE(controller.currentManholeIndex(), 3);
        QSignalSpy changed(&controller, &CManholeListScreenController::currentManholeIndexChanged);
        // Standing at the far end, "C" becomes the nearest: the selection moves with it.
        controller.onGeoPositionUpdated(fixAt(Here.atDistanceAndAzimuth(390, 0.0)));
        QCOMPARE(controller.currentManholeIndex(), 0);
        QCOMPARE(controller.currentManholeName(), QString("C"));
        QCOMPARE(changed.count(), 1);

        // The fix lost: unknown distances, list order, still "C".
        controller.onGeoPositionUpdateTimeout();
        QCOMPARE(controller.currentManholeName(), QString("C"));
        QCOMPARE(controller.currentManholeIndex(), 3);
        controller.selectManholeByName("nothing");
        QCOMPARE(controller.currentManholeIndex(), -1);
        QVERIFY(controller.currentManholeName().isEmpty());
        controller.setCurrentManholeIndex(17);
        QCOMPARE(controller.currentManholeIndex(), -1);
    }

    void listsAreLoadedOnceThroughTheService()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/projects/";
        QDir().mkpath(root);
        CSettings settings;
        settings.setWorkType(CSettings::WorkWithProjectsCustomRoot);
        settings.setCustomProjectFolder(root);
        CAppRuntimeData runtimeData;
        CProjectService service(&settings);
        QSignalSpy created(&service, &CProjectService::projectCreated);
        service.createProject("Pipes", "en_US", ProjectTypes::DistanceUnitMetric, root);
        QVERIFY(created.wait(10000));
        const QString path = created.at(0).at(1).toString();
        runtimeData.setCurrentProject(created.at(0).at(2).value<SurveyProjectPtr>(), path);

        ProjectScreenServices services;
        services.settings = &settings;
        services.appRuntimeData = &runtimeData;
        services.projectService = &service;

        // No manholes.xml: an empty list, and no second request.
        {
            CManholeListScreenController controller(services, nullptr);
            QSignalSpy loading(&controller, &CManholeListScreenController::loadingManholeListChanged);
            controller.loadManholeList();
            QVERIFY(controller.loadingManholeList());
            QTRY_VERIFY_WITH_TIMEOUT(!controller.loadingManholeList(), 10000);
            QCOMPARE(loading.count(), 2);
            QVERIFY(runtimeData.manholeList());
            QCOMPARE(controller.manholeDistanceModel()->rowCount(), 0);
            controller.loadManholeList();
            QVERIFY(!controller.loadingManholeList());
        }

        auto list = std::make_shared<ManholeList>(ManholeList{north("S1", 30), north("S2", 5)});
        QVERIFY(CManholeXmlWriter().write(list, path));
        runtimeData.setManholeList(ManholeListPtr());
        CManholeListScreenController controller(services, nullptr);
        controller.loadManholeList();
        QTRY_VERIFY_WITH_TIMEOUT(!controller.loadingManholeList(), 10000);
        QCOMPARE(controller.manholeDistanceModel()->rowCount(), 2);
        QCOMPARE(runtimeData.manholeList()->size(), 2);

        // The map reads the same list.
        CManholeMapScreenController map(services, nullptr);
        QCOMPARE(map.manholeMapModel()->rowCount(), 2);
        const QModelIndex first = map.manholeMapModel()->index(0, 0);
        QCOMPARE(first.data(Qt::UserRole).toString(), QString("S1"));
        QVERIFY(first.data(Qt::UserRole + 1).value<QGeoCoordinate>().distanceTo(list->at(0).coordinate()) < 0.5);
        QSignalSpy mapChanged(&map, &CManholeMapScreenController::currentManholeIndexChanged);
        map.selectManholeByName("S2");
        QCOMPARE(map.currentManholeIndex(), 1);
        QCOMPARE(map.currentManholeName(), QString("S2"));
        map.selectManholeByName("S2");
        QCOMPARE(mapChanged.count(), 1);
        QVERIFY(!map.currentPosition().isValid());
        QVERIFY(map.tileServerUrl().startsWith("http://127.0.0.1:"));
    }
};

QTEST_GUILESS_MAIN(tst_ManholeScreens)
#include "tst_ManholeScreens.moc"
