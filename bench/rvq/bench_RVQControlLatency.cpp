// Control latency on the command link, beside a bare link. A ZPX system on the link simulator
// (127.0.0.1) is reached through the program's connection controller with write access while
// its query logic polls at the program's own intervals (queue tick 50 ms, fast poll 100 ms, slow
// poll 1000 ms); the baseline is the communicator alone on a simulator of its own, with nothing
// else on the link. Each round calls a light-intensity setter through the ZPX command factory
// and measures the time until the simulator has received its frame: with the polls only, with
// the zoom moving (the fast poll asks zoom and focus all the time), and with the operator
// steering (each pan or tilt frame brings the next speed, so that a more urgent message always
// waits beside the setter). Then a shutter move of 200 steps is timed from the call to its last
// step at the simulator, on both links. Prints medians and 99th percentiles beside the bare
// link, with their factors; asserts nothing. The steering run makes a third of the rounds.
//
//   bench_RVQControlLatency [rounds] [moves]   (default 300 setter calls per run, 2 moves per link)

#include "LatencyBenchSupport.h"

#include "CLogger.h"

#include <cstdio>
#include <memory>

namespace {

// Time from the call of a move of `steps` steps to its last step at the simulator, in ms; 0
// when it did not arrive in time. The shutter starts near one end of its range and moves
// towards the other, so that every step is sent.
double timeShutterMove(CRVQLinkSimulator& simulator, Ulx::SystemControl::CZPXCommandFactory& factory,
                       const BenchStorages& storages, int steps)
{
    int received = 0;
    const QMetaObject::Connection connection =
        QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8 kind) {
            if (id == 24 && kind == 0)
                ++received;
        });
    QElapsedTimer clock;
    clock.start();
    const int from = storages.data.shutterPosition();
    factory.createSetShutterPositionCommand(from < 128 ? from + steps : from - steps)->execute();
    const bool arrived = spinUntil([&]() { return received >= steps; }, steps * 250);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(connection);
    return arrived ? elapsed : 0.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const QStringList arguments = app.arguments();
    const int rounds = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 300;
    const int moves = arguments.size() > 2 ? qMax(0, arguments.at(2).toInt()) : 2;
    constexpr int MoveSteps = 200; // of the 256 positions

    LatencyFigures bare;
    std::vector<double> bareMoves;
    {
        BareLink link;
        if (!link.start()) {
            std::fprintf(stderr, "the bare link did not come up\n");
            return 1;
        }
        bare = measureSetterLatency(link.simulator, link.factory, rounds, 3000);
        for (int move = 0; move < moves; ++move)
            bareMoves.push_back(timeShutterMove(link.simulator, link.factory, link.storages, MoveSteps));
    }

    // Each run on a link of its own, so that none inherits another's queue.
    enum Traffic { PollsOnly, ZoomMoving, Steering };
    const auto runSetters = [&](Traffic traffic, LatencyFigures& figures) {
        ProgramLink link;
        if (!link.start())
            return false;
        if (traffic == ZoomMoving) {
            link.simulator.setZoomMotorInterval(1000000); // the motor stands, the speed stays set
            link.factory.createSetZoomSpeedCommand(10)->execute();
        }
        if (traffic == Steering) {
            // Each new speed differs from the last one, so that the command sends it.
            QObject::connect(&link.simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8 kind) {
                if (id == 35 && kind == 0)
                    link.factory.createSetCameraPanSpeedCommand(qint8(3 - link.storages.data.cameraPanSpeed()))->execute();
                else if (id == 37 && kind == 0)
                    link.factory.createSetCameraTiltSpeedCommand(qint8(3 - link.storages.data.cameraTiltSpeed()))->execute();
            });
            link.factory.createSetCameraPanSpeedCommand(1)->execute();
            link.factory.createSetCameraTiltSpeedCommand(1)->execute();
        }
        // A queue that lets no setter through while the operator steers loses every round: fewer
        // rounds keep such a run short.
        figures = traffic == Steering ? measureSetterLatency(link.simulator, link.factory, qMax(1, rounds / 3), 2000)
                                      : measureSetterLatency(link.simulator, link.factory, rounds, 3000);
        return true;
    };
    LatencyFigures polls;
    LatencyFigures zoom;
    LatencyFigures steering;
    if (!runSetters(PollsOnly, polls) || !runSetters(ZoomMoving, zoom) || !runSetters(Steering, steering)) {
        std::fprintf(stderr, "the link did not come up\n");
        return 1;
    }
    std::vector<double> programMoves;
    {
        ProgramLink link;
        if (!link.start()) {
            std::fprintf(stderr, "the link did not come up\n");
            return 1;
        }
        for (int move = 0; move < moves; ++move)
            programMoves.push_back(timeShutterMove(link.simulator, link.factory, link.storages, MoveSteps));
    }

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("RVQ control latency, light setter call to its frame at the simulator, %d rounds per run\n", rounds);
    printLatencyHeader();
    printLatencyRow("bare link (baseline)", bare, bare);
    printLatencyRow("program's link, readout polls only", polls, bare);
    printLatencyRow("program's link, zoom moving, fast poll busy", zoom, bare);
    printLatencyRow("program's link, pan and tilt speeds steady", steering, bare);
    std::printf("Shutter move of %d steps, call to its last step at the simulator\n", MoveSteps);
    for (int move = 0; move < moves; ++move) {
        std::printf("  move %d: bare link %8.0f ms, program's link %8.0f ms, x %.3f\n", move + 1,
            bareMoves[size_t(move)], programMoves[size_t(move)],
            factor(programMoves[size_t(move)], bareMoves[size_t(move)]));
    }
    return 0;
}
