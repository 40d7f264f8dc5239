// Times the manhole map's first full screen: from the screen's opening until every pixel of the
// map, apart from the markers, shows a tile of the local tile peer (its palette, below). Once
// with an empty tile cache, then once more with the tiles cached, for the given number of
// rounds (each with a tile peer of its own); prints the median of each.
//
// Run it isolated, so that every run starts with empty caches:
//   tests/tools/run-isolated.sh build/test/bin/bench_ManholeMap [rounds]
// (one round per run compares fairly with a tile cache that keys tiles without their server).
#include "surveyprojects/ProjectScreenServices.h"

#include "application/CAppRuntimeData.h"
#include "uiengine/CUiEngine.h"

#include "peers/tile-server/TilePeer.h"
#include "support/QuickScreenDriver.h"

#include "ProjectScreenFixture.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The colours of the peer's tiles: two grounds, streets and the tile edge.
bool tileColour(QRgb pixel)
{
    static const QRgb Palette[] = {qRgb(236, 232, 222), qRgb(226, 222, 212), qRgb(255, 255, 255), qRgb(180, 176, 168)};
    return std::find(std::begin(Palette), std::end(Palette), (pixel & 0xffffff) | 0xff000000) != std::end(Palette);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

class MapBench : private ProjectScreenFixture, private QuickScreenDriver
{
public:
    MapBench() : QuickScreenDriver(Lookup::VisibleItems) {}

    bool start()
    {
        if (!makeSettings() || !startServices())
            return false;
        ProjectScreenServices::install(services());
        m_runtimeData->setManholeList(std::make_shared<ManholeList>(ManholeList{CGeoManhole("MH 1", QGeoCoordinate(47.5, 8.25))}));
        CUiEngine::create();
        QSignalSpy created(CUiEngine::instance()->qmlEngine(), &QQmlApplicationEngine::objectCreated);
        if (!created.wait(20000))
            return false;
        setWindow(qobject_cast<QQuickWindow*>(CUiEngine::instance()->qmlEngine()->rootObjects().first()));
        window()->resize(1280, 800);
        return QTest::qWaitForWindowExposed(window(), 20000);
    }

    void stop()
    {
        CUiEngine::destroy();
        ProjectScreenServices::uninstall();
        stopServices();
    }

    // Milliseconds until the map is full of tiles; -1 when it does not fill within a minute.
    double firstFullScreen()
    {
        closeToStartScreen();
        waitForFrame();
        QElapsedTimer clock;
        clock.start();
        evaluate("ScreenManager.show('ManholeMapScreen', { manholeName: 'MH 1' })");
        QQuickItem* map = topScreenItem("manholeMap");
        if (!map)
            return -1;
        while (clock.elapsed() < 60000) {
            const QRectF area = map->mapRectToScene(QRectF(0, 0, map->width(), map->height()));
            // What the screen shows, as the operator sees it.
            const QImage screen = grab();
            const qreal scale = screen.width() / qMax<qreal>(1, window()->width());
            const QImage shot = screen.copy(QRectF(area.topLeft() * scale, area.size() * scale).toRect());
            int tiled = 0;
            for (int y = 0; y < shot.height(); y += 4) {
                for (int x = 0; x < shot.width(); x += 4)
                    tiled += tileColour(shot.pixel(x, y)) ? 1 : 0;
            }
            const int samples = ((shot.width() + 3) / 4) * ((shot.height() + 3) / 4);
            // The marker and the filtered edges of the streets take some 6 % of the samples.
            if (samples > 0 && tiled >= samples * 90 / 100)
                return clock.nsecsElapsed() / 1e6;
        }
        return -1;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    MapBench bench;
    if (!bench.start()) {
        std::fprintf(stderr, "the UI engine did not start\n");
        return 1;
    }
    std::vector<double> cold;
    std::vector<double> warm;
    for (int round = 0; round < rounds; ++round) {
        TilePeer peer;
        if (!peer.start())
            return 1;
        qputenv("CX_MAP_TILE_URL", peer.url().toUtf8());
        cold.push_back(bench.firstFullScreen());
        warm.push_back(bench.firstFullScreen());
        std::printf("round %d: first full screen %.0f ms, again from the cache %.0f ms\n", round + 1, cold.back(), warm.back());
    }
    std::printf("median of %d: first full screen %.0f ms, again from the cache %.0f ms\n", rounds, median(cold), median(warm));
    bench.stop();
    return 0;
}
