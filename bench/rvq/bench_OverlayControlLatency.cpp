// Control latency on the command link with and without the camera overlay refreshing. A ZPX
// system on the link simulator (127.0.0.1) is connected with write access; its query logic
// polls at the program's own intervals. Overlay messages share send priority 1 with the control
// commands, so a refresh that rewrites rows queues beside the setters. Each round calls a
// light-intensity setter and measures the time until the simulator has received its frame.
// The baseline run has no overlay; the next runs redraw the ZPX grid once a second the way the
// overlay manager does, first with three rows changed per refresh (readouts that move), then
// with every row changed (the worst case: a full rewrite).
// Prints the program path, both runs' median and 99th percentile, and their ratio; asserts
// nothing.
//
//   bench_OverlayControlLatency [rounds] [port]   (default 200 per run; port 0: any free one)

#include "LatencyBenchSupport.h"

#include "videooverlay/CVideoOverlayText.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"

#include "CLogger.h"

#include <QTimer>

#include <array>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const QStringList arguments = app.arguments();
    const int rounds = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 200;
    const quint16 port = arguments.size() > 2 ? quint16(arguments.at(2).toUInt()) : 0;

    CRVQLinkSimulator simulator;
    if (!simulator.listen(port)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    BenchStorages storages;
    Ulx::Communication::CRVQConnectionController controller(&storages);
    if (!connectWithWriteAccess(controller, simulator)) {
        std::fprintf(stderr, "the link did not come up\n");
        return 1;
    }
    Ulx::SystemControl::CZPXCommandFactory factory(&controller, &storages);

    const LatencyFigures baseline = measureSetterLatency(simulator, factory, rounds, 3000);

    Ulx::VideoOverlay::CZPXVideoOverlayLogic overlay(&controller, &storages);
    overlay.initialize();
    std::array<Ulx::VideoOverlay::CVideoOverlayText, 11> rows;
    int refresh = 0;
    int changingRows = 0;
    QTimer refreshTimer;
    QObject::connect(&refreshTimer, &QTimer::timeout, [&]() {
        ++refresh;
        overlay.beginUpdate();
        for (int row = 0; row < int(rows.size()); ++row) {
            rows[size_t(row)].setRow(row);
            rows[size_t(row)].setVisible(true);
            const int generation = row < changingRows ? refresh : 0;
            rows[size_t(row)].setText(QStringLiteral("ROW %1 VALUE %2").arg(row).arg(generation));
            overlay.drawText(rows[size_t(row)]);
        }
        overlay.endUpdate();
    });
    refreshTimer.start(1000);
    changingRows = 3;
    const LatencyFigures typical = measureSetterLatency(simulator, factory, rounds, 3000);
    changingRows = int(rows.size());
    const LatencyFigures withOverlay = measureSetterLatency(simulator, factory, rounds, 3000);
    refreshTimer.stop();

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("ZPX control latency, setter call to frame at the simulator, %d rounds per run\n", rounds);
    std::printf("  %-34s %10s %10s %8s %6s\n", "", "median ms", "p99 ms", "arrived", "lost");
    std::printf("  %-34s %10.1f %10.1f %8d %6d\n", "baseline (no overlay)", baseline.median, baseline.p99,
        baseline.arrived, baseline.lost);
    std::printf("  %-34s %10.1f %10.1f %8d %6d\n", "overlay refreshing, 3 rows change", typical.median,
        typical.p99, typical.arrived, typical.lost);
    std::printf("  %-34s %10.1f %10.1f %8d %6d\n", "overlay refreshing, all 11 change", withOverlay.median,
        withOverlay.p99, withOverlay.arrived, withOverlay.lost);
    if (baseline.median > 0 && baseline.p99 > 0) {
        std::printf("  ratio 3 rows/baseline:  median %.2f, p99 %.2f\n", typical.median / baseline.median,
            typical.p99 / baseline.p99);
        std::printf("  ratio 11 rows/baseline: median %.2f, p99 %.2f\n", withOverlay.median / baseline.median,
            withOverlay.p99 / baseline.p99);
    }
    return 0;
}
