#pragma once

// Shared by the command-link latency benches: the storages a ZPX connection writes, a bounded
// wait on the event loop, the connection to the link simulator with write access, and the measuring
// loop that times light-intensity setters from the call to their frame at the simulator.

#include "CRVQLinkSimulator.h"

#include "IStorageProvider.h"
#include "rvq/CRVQConnectionController.h"
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

struct LatencyFigures
{
    double median = 0;
    double p99 = 0;
    double max = 0;
    int arrived = 0;
    int lost = 0;
};

// Calls the light-intensity setter `rounds` times, each after a pause of its own so that the
// calls fall anywhere in the queue's tick, and times each until the simulator has received its
// frame; a frame that takes longer than frameTimeoutMs counts as lost.
inline LatencyFigures measureSetterLatency(CRVQLinkSimulator& simulator, Ulx::SystemControl::CZPXCommandFactory& factory,
                                           int rounds, int frameTimeoutMs)
{
    std::vector<double> latencies;
    latencies.reserve(size_t(rounds));
    LatencyFigures figures;
    bool arrived = false;
    const QMetaObject::Connection connection = QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived,
        [&](quint8 id, quint8 kind) {
            if (id == 38 && kind == 0)
                arrived = true;
        });
    QRandomGenerator random(20261207);
    QElapsedTimer call;
    for (int round = 0; round < rounds; ++round) {
        spinUntil([]() { return false; }, int(random.bounded(0, 120)));
        arrived = false;
        const quint8 intensity = quint8(10 + round % 2 * 10 + (round / 2) % 50);
        call.start();
        factory.createSetLightIntensityCommand(intensity)->execute();
        if (spinUntil([&]() { return arrived; }, frameTimeoutMs))
            latencies.push_back(double(call.nsecsElapsed()) / 1e6);
        else
            ++figures.lost;
    }
    QObject::disconnect(connection);
    figures.arrived = int(latencies.size());
    if (!latencies.empty()) {
        figures.median = percentile(latencies, 0.5);
        figures.p99 = percentile(latencies, 0.99);
        figures.max = *std::max_element(latencies.begin(), latencies.end());
    }
    return figures;
}
