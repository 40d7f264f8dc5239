// Control latency on the command link. A ZPX system on the link simulator (127.0.0.1) is
// connected with write access and its query logic polls at the program's own intervals (queue
// tick 50 ms, fast poll 100 ms, slow poll 1000 ms). Each round calls a light-intensity setter
// through the ZPX command factory and measures the time until the simulator has received the
// frame it puts on the wire. Prints the median and the 99th percentile; asserts nothing.
//
//   bench_RVQControlLatency [rounds] [zoom] [steer]
// rounds: number of setter calls (default 300); "zoom" keeps the zoom moving, so that the fast
// poll queries the zoom and focus all the time as well; "steer" keeps the operator steering:
// each pan or tilt frame at the simulator brings the next pan or tilt speed, so that a more
// urgent message always waits beside the setter.

#include "LatencyBenchSupport.h"

#include "CLogger.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const QStringList arguments = app.arguments();
    const int rounds = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 300;
    const bool zoomMoving = arguments.contains(QStringLiteral("zoom"));
    const bool steering = arguments.contains(QStringLiteral("steer"));

    CRVQLinkSimulator simulator;
    if (!simulator.listen()) {
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
    if (zoomMoving) {
        simulator.setZoomMotorInterval(1000000); // the motor stands, the speed stays set
        factory.createSetZoomSpeedCommand(10)->execute();
    }
    if (steering) {
        // Each new speed differs from the last one, so that the command sends it.
        QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8 kind) {
            if (id == 35 && kind == 0)
                factory.createSetCameraPanSpeedCommand(qint8(3 - storages.data.cameraPanSpeed()))->execute();
            else if (id == 37 && kind == 0)
                factory.createSetCameraTiltSpeedCommand(qint8(3 - storages.data.cameraTiltSpeed()))->execute();
        });
        factory.createSetCameraPanSpeedCommand(1)->execute();
        factory.createSetCameraTiltSpeedCommand(1)->execute();
    }

    const LatencyFigures figures = measureSetterLatency(simulator, factory, rounds, 2000);
    const int polls = simulator.receivedFrames().size();
    if (figures.arrived == 0) {
        std::printf("no setter frame arrived (%d lost)\n", figures.lost);
        return 0;
    }
    std::printf("RVQ control latency, setter call to frame at the simulator (%s)\n",
        steering ? "pan and tilt speeds steady" : zoomMoving ? "zoom moving, fast poll busy" : "readout polls only");
    std::printf(
        "  rounds %d, arrived %d, lost %d, frames seen by the simulator %d\n", rounds, figures.arrived, figures.lost, polls);
    std::printf("  median %.1f ms\n", figures.median);
    std::printf("  p99    %.1f ms\n", figures.p99);
    std::printf("  max    %.1f ms\n", figures.max);
    return 0;
}
