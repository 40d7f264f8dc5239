#pragma once

// Shared by the command-link latency benches: the storages a ZPX connection writes, a bounded
// wait on the event loop, the connection to the link simulator with write access (the program's
// link, with its query logic polling) or a bare link (the communicator alone, nothing else on
// it), and the measuring loops that time setters from the call to their frame at the simulator.

#include "CRVQLinkSimulator.h"

#include "IStorageProvider.h"
#include "rvq/CRVQConnectionController.h"
#include "rvq/CRVQNetworkCommunicator.h"
#include "rvq/CZPXCommandFactory.h"
#include "systemcontrol/CSystemCapsStorage.h"
#include "systemcontrol/CSystemDataStorage.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

class BenchStorages : public Ulx::IStorageProvider
{
public:
    Ulx::Multimedia::CRemoteMediaDataStorage* remoteMediaDataStorage() override { return nullptr; }
    Ulx::SystemControl::CSystemCapsStorage* systemCapsStorage() override { return &caps; }
    Ulx::SystemControl::CSystemDataStorage* systemDataStorage() override { return &data; }
    Ulx::VideoOverlay::CVideoOverlayCapsStorage* videoOverlayCapsStorage() override { return &overlayCaps; }
    Ulx::VideoOverlay::CVideoOverlayDataStorage* videoOverlayDataStorage() override { return &overlayData; }

    Ulx::SystemControl::CSystemCapsStorage caps;
    Ulx::SystemControl::CSystemDataStorage data;
    Ulx::VideoOverlay::CVideoOverlayCapsStorage overlayCaps;
    Ulx::VideoOverlay::CVideoOverlayDataStorage overlayData;
};

// Runs the event loop until the condition holds or the time is up; returns the condition.
// Sleeps in the event loop between events (a deadline timer wakes it), so that the bench does
// not burn a core beside the link it measures.
template <typename Condition> bool spinUntil(Condition condition, int timeoutMs)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(qMax(0, timeoutMs));
    while (!condition()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

// Connects the controller to the simulator on 127.0.0.1 with write access; false when the
// link did not come up within 10 s.
inline bool connectWithWriteAccess(Ulx::Communication::CRVQConnectionController& controller,
                                   const CRVQLinkSimulator& simulator)
{
    using Controller = Ulx::Communication::CAbstractConnectionController;
    controller.setLinkEndpoint(QStringLiteral("127.0.0.1"), simulator.port());
    controller.connectToSystem(Controller::AccessModeWriteWhenFree);
    return spinUntil([&]() { return controller.state() == Controller::StateConnected; }, 10000);
}

// The communicator alone on the simulator: the link as fast as it gets, the baseline of the
// benches. False when it did not come up within 10 s.
inline bool connectBareLink(Ulx::Communication::CRVQNetworkCommunicator& communicator, const CRVQLinkSimulator& simulator)
{
    communicator.setHost(QStringLiteral("127.0.0.1"));
    communicator.setPort(simulator.port());
    communicator.connectToSystem();
    return spinUntil(
        [&]() { return communicator.state() == Ulx::Communication::CAbstractRVQCommunicator::StateConnected; }, 10000);
}

// A ZPX system on a simulator of its own, reached through the program's connection controller
// with write access while its query logic polls at the program's own intervals.
struct ProgramLink
{
    CRVQLinkSimulator simulator;
    BenchStorages storages;
    Ulx::Communication::CRVQConnectionController controller{&storages};
    Ulx::SystemControl::CZPXCommandFactory factory{&controller, &storages};

    bool start() { return simulator.listen() && connectWithWriteAccess(controller, simulator); }
};

// The same system with nothing on the link but what the bench sends.
struct BareLink
{
    CRVQLinkSimulator simulator;
    BenchStorages storages;
    Ulx::Communication::CRVQNetworkCommunicator communicator;
    Ulx::SystemControl::CZPXCommandFactory factory{&communicator, &storages};

    bool start() { return simulator.listen() && connectBareLink(communicator, simulator); }
};

struct LatencyFigures
{
    double median = 0;
    double p99 = 0;
    double max = 0;
    int arrived = 0;
    int lost = 0;
};

// Calls `call` `rounds` times, each after a pause of its own so that the calls fall anywhere in
// the queue's tick, and times each until `arrived` holds; one that takes longer than
// frameTimeoutMs counts as lost.
inline LatencyFigures measureLatency(int rounds, int frameTimeoutMs, const std::function<void(int round)>& call,
                                     const std::function<bool()>& arrived)
{
    std::vector<double> latencies;
    latencies.reserve(size_t(rounds));
    LatencyFigures figures;
    QRandomGenerator random(20261207);
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        spinUntil([]() { return false; }, int(random.bounded(0, 120)));
        clock.start();
        call(round);
        if (spinUntil(arrived, frameTimeoutMs))
            latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
        else
            ++figures.lost;
    }
    figures.arrived = int(latencies.size());
    if (!latencies.empty()) {
        figures.median = percentile(latencies, 0.5);
        figures.p99 = percentile(latencies, 0.99);
        figures.max = *std::max_element(latencies.begin(), latencies.end());
    }
    return figures;
}

inline double factor(double value, double base)
{
    return base > 0 ? value / base : 0.0;
}

// One line of a table: the run's figures beside the baseline's, and their factors.
inline void printLatencyRow(const char* name, const LatencyFigures& figures, const LatencyFigures& baseline)
{
    std::printf("  %-44s %10.1f %10.1f %8d %6d %8.2f %8.2f\n", name, figures.median, figures.p99, figures.arrived,
        figures.lost, factor(figures.median, baseline.median), factor(figures.p99, baseline.p99));
}

inline void printLatencyHeader()
{
    std::printf("  %-44s %10s %10s %8s %6s %8s %8s\n", "", "median ms", "p99 ms", "arrived", "lost", "x median",
        "x p99");
}

// Calls the light-intensity setter `rounds` times, each after a pause of its own so that the
// calls fall anywhere in the queue's tick, and times each until the simulator has received its
// frame; a frame that takes longer than frameTimeoutMs counts as lost.
inline LatencyFigures measureSetterLatency(CRVQLinkSimulator& simulator, Ulx::SystemControl::CZPXCommandFactory& factory,
                                           int rounds, int frameTimeoutMs)
{
    bool arrived = false;
    const QMetaObject::Connection connection = QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived,
        [&](quint8 id, quint8 kind) {
            if (id == 38 && kind == 0)
                arrived = true;
        });
    const LatencyFigures figures = measureLatency(
        rounds, frameTimeoutMs,
        [&](int round) {
            arrived = false;
            factory.createSetLightIntensityCommand(quint8(10 + round % 2 * 10 + (round / 2) % 50))->execute();
        },
        [&]() { return arrived; });
    QObject::disconnect(connection);
    return figures;
}
