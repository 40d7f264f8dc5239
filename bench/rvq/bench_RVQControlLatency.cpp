// Control latency on the command link. A ZPX system on the link simulator (127.0.0.1) is
// connected with write access and its query logic polls at the program's own intervals (queue
// tick 50 ms, fast poll 100 ms, slow poll 1000 ms). Each round calls a light-intensity setter
// through the ZPX command factory and measures the time until the simulator has received the
// frame it puts on the wire. Prints the median and the 99th percentile; asserts nothing.
//
//   bench_RVQControlLatency [rounds] [zoom]
// rounds: number of setter calls (default 300); "zoom" keeps the zoom moving, so that the fast
// poll queries the zoom and focus all the time as well.

#include "CRVQLinkSimulator.h"

#include "IStorageProvider.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CZPXCommandFactory.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"

#include "CLogger.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class BenchStorages : public Ulx::IStorageProvider
{
public:
    Ulx::Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return nullptr; }
    Ulx::SystemControl::CSystemCapsStorage* systemCapsStorage() override { return &caps; }
    Ulx::SystemControl::CSystemDataStorage* systemDataStorage() override { return &data; }
    Ulx::VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return nullptr; }
    Ulx::VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return nullptr; }

    Ulx::SystemControl::CSystemCapsStorage caps;
    Ulx::SystemControl::CSystemDataStorage data;
};

// Runs the event loop until the condition holds or the time is up; returns the condition.
template <typename Condition> bool spinUntil(Condition condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const QStringList arguments = app.arguments();
    const int rounds = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 300;
    const bool zoomMoving = arguments.contains(QStringLiteral("zoom"));

    CRVQLinkSimulator simulator;
    if (!simulator.listen()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    BenchStorages storages;
    Ulx::Communication::CRVQConnectionController controller(&storages);
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.connectToSystem(Ulx::Communication::CAbstractConnectionController::AccessModeWriteWhenFree);
    if (!spinUntil(
            [&]() { return controller.state() == Ulx::Communication::CAbstractConnectionController::StateConnected; },
            10000)) {
        std::fprintf(stderr, "the link did not come up\n");
        return 1;
    }
    Ulx::SystemControl::CZPXCommandFactory factory(&controller, &storages);
    if (zoomMoving) {
        simulator.setZoomMotorInterval(1000000); // the motor stands, the speed stays set
        factory.createSetZoomSpeedCommand(10)->execute();
    }

    std::vector<double> latencies;
    latencies.reserve(size_t(rounds));
    int lost = 0;
    QElapsedTimer call;
    bool arrived = false;
    QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, &app, [&](quint8 id, quint8 kind) {
        if (id == 38 && kind == 0)
            arrived = true;
    });
    QRandomGenerator random(20261207);
    for (int round = 0; round < rounds; ++round) {
        // A pause of its own before each call, so that the calls fall anywhere in the tick.
        const int pause = int(random.bounded(0, 120));
        spinUntil([]() { return false; }, pause);
        arrived = false;
        const quint8 intensity = quint8(10 + round % 2 * 10 + (round / 2) % 50);
        call.start();
        factory.createSetLightIntensityCommand(intensity)->execute();
        if (spinUntil([&]() { return arrived; }, 2000))
            latencies.push_back(double(call.nsecsElapsed()) / 1e6);
        else
            ++lost;
    }

    const int polls = simulator.receivedFrames().size();
    if (latencies.empty()) {
        std::printf("no setter frame arrived (%d lost)\n", lost);
        return 0;
    }
    std::printf("RVQ control latency, setter call to frame at the simulator (%s)\n",
        zoomMoving ? "zoom moving, fast poll busy" : "readout polls only");
    std::printf(
        "  rounds %d, arrived %zu, lost %d, frames seen by the simulator %d\n", rounds, latencies.size(), lost, polls);
    std::printf("  median %.1f ms\n", percentile(latencies, 0.5));
    std::printf("  p99    %.1f ms\n", percentile(latencies, 0.99));
    std::printf("  max    %.1f ms\n", *std::max_element(latencies.begin(), latencies.end()));
    return 0;
}
