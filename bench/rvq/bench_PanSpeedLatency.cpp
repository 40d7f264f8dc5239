// Pan speed latency on the command link while the operator's setters flood it and during a
// steering session, beside a bare link. A ZPX system on the link simulator (127.0.0.1) is
// reached through the program's connection controller with write access while its query logic
// polls at the program's own intervals; the baseline is the communicator alone on a simulator of
// its own. Runs:
//   - setter flood: the light slider moves every 50 ms and one of flip, stabiliser, digital zoom
//     and focus speed changes every 200 ms; each round calls a pan speed after a pause of its own
//     and times it to its frame at the simulator, as on the bare link;
//   - steering session: a new pan or tilt speed every 50 ms, the zoom moving, the overlay
//     refreshed every second with three rows changing, and a light setter every second, on a
//     link that answers at once and on one that answers late. A speed counts as arrived when it,
//     or a newer one, is at the simulator. Reports the pan and light latencies, the share of the
//     link that the steering kept and how many of the program's polls went while it steered.
// Prints medians and 99th percentiles beside the bare link's pan speed, with their factors;
// asserts nothing.
//
//   bench_PanSpeedLatency [rounds] [seconds] [lateMs]
// (default 300 pan calls per run, 30 s per steering session, a late link answering 120 ms late)

#include "LatencyBenchSupport.h"

#include "videooverlay/CVideoOverlayText.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"

#include "CLogger.h"

#include <QTimer>

#include <array>
#include <cstdio>
#include <deque>

namespace {

// Calls of one speed setter not yet seen at the simulator: a frame with a value arrives for its
// call and for every earlier call that the queue merged into it.
class SpeedCalls
{
public:
    qint8 call(qint64 atNs)
    {
        m_next = m_next % 100 + 1;
        m_pending.push_back({atNs, qint8(m_next)});
        return qint8(m_next);
    }
    void arrived(qint8 value, qint64 atNs)
    {
        for (auto found = m_pending.rbegin(); found != m_pending.rend(); ++found) {
            if (found->value != value)
                continue;
            const auto last = found.base();
            for (auto it = m_pending.begin(); it != last; ++it)
                m_latencies.push_back(double(atNs - it->atNs) / 1e6);
            m_pending.erase(m_pending.begin(), last);
            return;
        }
    }
    LatencyFigures figures() const
    {
        LatencyFigures figures;
        figures.arrived = int(m_latencies.size());
        figures.lost = int(m_pending.size());
        if (!m_latencies.empty()) {
            figures.median = percentile(m_latencies, 0.5);
            figures.p99 = percentile(m_latencies, 0.99);
            figures.max = *std::max_element(m_latencies.begin(), m_latencies.end());
        }
        return figures;
    }

private:
    struct Call
    {
        qint64 atNs;
        qint8 value;
    };
    std::deque<Call> m_pending;
    std::vector<double> m_latencies;
    int m_next = 0;
};

LatencyFigures measurePan(CRVQLinkSimulator& simulator, Ulx::SystemControl::CZPXCommandFactory& factory, int rounds)
{
    bool arrived = false;
    const QMetaObject::Connection connection =
        QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8 kind) {
            if (id == 35 && kind == 0)
                arrived = true;
        });
    const LatencyFigures figures = measureLatency(
        rounds, 3000,
        [&](int round) {
            arrived = false;
            factory.createSetCameraPanSpeedCommand(qint8(round % 2 ? 20 : -20))->execute();
        },
        [&]() { return arrived; });
    QObject::disconnect(connection);
    return figures;
}

struct SessionFigures
{
    LatencyFigures pan;
    LatencyFigures light;
    int messages = 0;
    int steeringMessages = 0;
    int polls = 0;
};

SessionFigures steeringSession(ProgramLink& link, int seconds)
{
    SessionFigures session;
    CRVQLinkSimulator& simulator = link.simulator;
    Ulx::SystemControl::CZPXCommandFactory& factory = link.factory;
    simulator.setZoomMotorInterval(1000000); // the motor stands, the speed stays set
    factory.createSetZoomSpeedCommand(10)->execute();

    Ulx::VideoOverlay::CZPXVideoOverlayLogic overlay(&link.controller, &link.storages);
    overlay.initialize();
    std::array<Ulx::VideoOverlay::CVideoOverlayText, 11> rows;
    int refresh = 0;
    const auto redraw = [&]() {
        ++refresh;
        overlay.beginUpdate();
        for (int row = 0; row < int(rows.size()); ++row) {
            Ulx::VideoOverlay::CVideoOverlayText& item = rows[size_t(row)];
            item.setRow(row);
            item.setVisible(true);
            item.setText(QStringLiteral("ROW %1 VALUE %2").arg(row).arg(row < 3 ? refresh : 0));
            overlay.drawText(item);
        }
        overlay.endUpdate();
    };

    QElapsedTimer clock;
    clock.start();
    SpeedCalls pan;
    SpeedCalls tilt;
    std::vector<double> lightLatencies;
    qint64 lightCalledAt = -1;
    int lights = 0;
    const int firstFrame = simulator.receivedFrames().size();
    const QMetaObject::Connection connection =
        QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8 kind) {
            if (kind != 0)
                return;
            const QByteArray payload = simulator.receivedFrames().constLast().payload;
            if (id == 35 && !payload.isEmpty())
                pan.arrived(qint8(payload.at(0)), clock.nsecsElapsed());
            else if (id == 37 && !payload.isEmpty())
                tilt.arrived(qint8(payload.at(0)), clock.nsecsElapsed());
            else if (id == 38 && lightCalledAt >= 0) {
                lightLatencies.push_back(double(clock.nsecsElapsed() - lightCalledAt) / 1e6);
                lightCalledAt = -1;
            }
        });
    bool panNext = true;
    QTimer steer;
    steer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&steer, &QTimer::timeout, [&]() {
        if (panNext)
            factory.createSetCameraPanSpeedCommand(pan.call(clock.nsecsElapsed()))->execute();
        else
            factory.createSetCameraTiltSpeedCommand(tilt.call(clock.nsecsElapsed()))->execute();
        panNext = !panNext;
    });
    QTimer everySecond;
    QObject::connect(&everySecond, &QTimer::timeout, [&]() {
        redraw();
        // A light that has not arrived yet counts from its first call.
        if (lightCalledAt < 0)
            lightCalledAt = clock.nsecsElapsed();
        factory.createSetLightIntensityCommand(quint8(30 + ++lights % 2 * 10))->execute();
    });
    redraw();
    steer.start(50);
    everySecond.start(1000);
    spinUntil([]() { return false; }, seconds * 1000);
    steer.stop();
    everySecond.stop();
    QObject::disconnect(connection);

    const auto frames = simulator.receivedFrames();
    for (int i = firstFrame; i < frames.size(); ++i) {
        ++session.messages;
        const auto& frame = frames.at(i);
        if (frame.kind == 0 && (frame.id == 35 || frame.id == 37))
            ++session.steeringMessages;
        else if (frame.kind == 1 && frame.id != 17)
            ++session.polls;
    }
    session.pan = pan.figures();
    LatencyFigures light;
    light.arrived = int(lightLatencies.size());
    light.lost = lights - light.arrived;
    if (!lightLatencies.empty()) {
        light.median = percentile(lightLatencies, 0.5);
        light.p99 = percentile(lightLatencies, 0.99);
        light.max = *std::max_element(lightLatencies.begin(), lightLatencies.end());
    }
    session.light = light;
    return session;
}

void printSession(const char* name, const SessionFigures& session, const LatencyFigures& bare)
{
    std::printf("  %-44s pan %7.1f / %7.1f ms (x %.2f / %.2f), light %7.1f / %7.1f ms, steering %4.1f %% of %d "
                "messages, %d polls\n",
        name, session.pan.median, session.pan.p99, factor(session.pan.median, bare.median),
        factor(session.pan.p99, bare.p99), session.light.median, session.light.p99,
        session.messages > 0 ? 100.0 * session.steeringMessages / session.messages : 0.0, session.messages,
        session.polls);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Tovrin::Logging::CLogger::setPrintToConsole(false);
    const QStringList arguments = app.arguments();
    const int rounds = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 300;
    const int seconds = arguments.size() > 2 ? qMax(1, arguments.at(2).toInt()) : 30;
    const int lateMs = arguments.size() > 3 ? qMax(0, arguments.at(3).toInt()) : 120;

    LatencyFigures bare;
    LatencyFigures bareLate;
    for (const bool late : {false, true}) {
        BareLink link;
        if (!link.start()) {
            std::fprintf(stderr, "the bare link did not come up\n");
            return 1;
        }
        link.simulator.setResponseDelay(late ? lateMs : 0);
        (late ? bareLate : bare) = measurePan(link.simulator, link.factory, rounds);
    }

    LatencyFigures flood;
    {
        ProgramLink link;
        if (!link.start()) {
            std::fprintf(stderr, "the link did not come up\n");
            return 1;
        }
        int slider = 0;
        int toggle = 0;
        QTimer sliderTimer;
        QObject::connect(&sliderTimer, &QTimer::timeout, [&]() {
            slider = (slider + 1) % 160;
            link.factory.createSetLightIntensityCommand(quint8(10 + (slider < 80 ? slider : 160 - slider)))->execute();
        });
        QTimer toggleTimer;
        QObject::connect(&toggleTimer, &QTimer::timeout, [&]() {
            const Ulx::SystemControl::CSystemDataStorage& data = link.storages.data;
            switch (toggle++ % 4) {
            case 0:
                link.factory.createSetPictureFlipEnabledCommand(!data.pictureFlipEnabled())->execute();
                break;
            case 1:
                link.factory.createSetPictureStabilizerEnabledCommand(!data.pictureStabilizerEnabled())->execute();
                break;
            case 2:
                link.factory.createSetDigitalZoomEnabledCommand(!data.digitalZoomEnabled())->execute();
                break;
            default:
                link.factory.createSetFocusSpeedCommand(qint8(data.focusSpeed() == 0 ? 10 : 0))->execute();
                break;
            }
        });
        sliderTimer.start(50);
        toggleTimer.start(200);
        flood = measurePan(link.simulator, link.factory, rounds);
    }

    SessionFigures session;
    SessionFigures lateSession;
    for (const bool late : {false, true}) {
        ProgramLink link;
        if (!link.start()) {
            std::fprintf(stderr, "the link did not come up\n");
            return 1;
        }
        link.simulator.setResponseDelay(late ? lateMs : 0);
        (late ? lateSession : session) = steeringSession(link, seconds);
    }

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("Pan speed call to its frame at the simulator, %d rounds per run\n", rounds);
    printLatencyHeader();
    printLatencyRow("bare link (baseline)", bare, bare);
    printLatencyRow("program's link, setters flooding", flood, bare);
    std::printf("Steering sessions of %d s, median / p99, factors against the bare link's pan speed\n", seconds);
    printSession("link answering at once", session, bare);
    const QByteArray lateName = QStringLiteral("link answering %1 ms late").arg(lateMs).toLatin1();
    printSession(lateName.constData(), lateSession, bareLate);
    std::printf("  (bare link answering %d ms late: pan %.1f / %.1f ms)\n", lateMs, bareLate.median, bareLate.p99);
    return 0;
}
