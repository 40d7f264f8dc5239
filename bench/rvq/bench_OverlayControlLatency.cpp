// Control latency on the command link with and without the camera overlay refreshing. A ZPX
// system on the link simulator (127.0.0.1) is connected with write access; its query logic
// polls at the program's own intervals. Each round calls a light-intensity setter and measures
// the time until the simulator has received its frame. The baseline run has no overlay; the
// next runs redraw the ZPX grid once a second the way the overlay manager does, first with
// three rows changed per refresh (readouts that move), then with every row changed (the worst
// case: a full rewrite), after a first paint of all rows. For the overlay runs it also reports
// the longest time a row's change took to reach the simulator (its text, or a newer one).
// Prints the program path, each run's median and 99th percentile beside the baseline, their
// factors, and the overlay's lag; asserts nothing.
//
//   bench_OverlayControlLatency [rounds] [port]   (default 200 per run; port 0: any free one)

#include "LatencyBenchSupport.h"

#include "videooverlay/CVideoOverlayText.h"
#include "videooverlay/CZPXVideoOverlayLogic.h"

#include "CLogger.h"

#include <QMap>
#include <QRegularExpression>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

// When each row's changes were drawn and not yet seen at the simulator, and the longest wait
// of a change until its row's text (or a newer one) arrived.
class OverlayLag
{
public:
    void drawn(int row, int generation, qint64 atMs) { m_pending[row].insert(generation, atMs); }
    void arrived(int row, int generation, qint64 atMs)
    {
        QMap<int, qint64>& pending = m_pending[row];
        while (!pending.isEmpty() && pending.firstKey() <= generation) {
            m_maximum = qMax(m_maximum, atMs - pending.first());
            pending.erase(pending.begin());
        }
    }
    // Changes still waiting count with their age so far.
    qint64 maximum(qint64 nowMs) const
    {
        qint64 maximum = m_maximum;
        for (const QMap<int, qint64>& pending : m_pending) {
            if (!pending.isEmpty())
                maximum = qMax(maximum, nowMs - pending.first());
        }
        return maximum;
    }
    void reset()
    {
        m_pending.clear();
        m_maximum = 0;
    }

private:
    QMap<int, QMap<int, qint64>> m_pending;
    qint64 m_maximum = 0;
};

} // namespace

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
    QElapsedTimer clock;
    clock.start();
    OverlayLag lag;
    const QRegularExpression rowText(QStringLiteral("^ROW (\\d+) VALUE (\\d+)$"));
    QObject::connect(&simulator, &CRVQLinkSimulator::frameReceived, [&](quint8 id, quint8) {
        if (id != 152)
            return;
        const QByteArray payload = simulator.receivedFrames().constLast().payload;
        const QRegularExpressionMatch match =
            rowText.match(QString::fromLatin1(payload.mid(1, payload.indexOf('\0', 1) - 1)));
        if (match.hasMatch())
            lag.arrived(match.captured(1).toInt(), match.captured(2).toInt(), clock.elapsed());
    });
    QTimer refreshTimer;
    QObject::connect(&refreshTimer, &QTimer::timeout, [&]() {
        ++refresh;
        overlay.beginUpdate();
        for (int row = 0; row < int(rows.size()); ++row) {
            Ulx::VideoOverlay::CVideoOverlayText& item = rows[size_t(row)];
            item.setRow(row);
            item.setVisible(true);
            const int generation = row < changingRows ? refresh : 0;
            const QString text = QStringLiteral("ROW %1 VALUE %2").arg(row).arg(generation);
            if (item.text() != text)
                lag.drawn(row, generation, clock.elapsed());
            item.setText(text);
            overlay.drawText(item);
        }
        overlay.endUpdate();
    });
    // The first paint writes every row and its place at once, as an activation does; the runs
    // measure the refresh after it.
    refreshTimer.start(1000);
    spinUntil([&]() { return simulator.receivedFrames(152).size() >= int(rows.size()); }, 10000);
    changingRows = 3;
    lag.reset();
    const LatencyFigures typical = measureSetterLatency(simulator, factory, rounds, 3000);
    const qint64 typicalLag = lag.maximum(clock.elapsed());
    changingRows = int(rows.size());
    lag.reset();
    const LatencyFigures full = measureSetterLatency(simulator, factory, rounds, 3000);
    const qint64 fullLag = lag.maximum(clock.elapsed());
    refreshTimer.stop();

    std::printf("%s\n", qPrintable(QCoreApplication::applicationFilePath()));
    std::printf("ZPX control latency, setter call to frame at the simulator, %d rounds per run\n", rounds);
    std::printf("  %-34s %10s %10s %8s %6s %8s %8s %12s\n", "", "median ms", "p99 ms", "arrived", "lost",
        "x median", "x p99", "row lag ms");
    std::printf("  %-34s %10.1f %10.1f %8d %6d %8s %8s %12s\n", "baseline (no overlay)", baseline.median,
        baseline.p99, baseline.arrived, baseline.lost, "1.00", "1.00", "-");
    std::printf("  %-34s %10.1f %10.1f %8d %6d %8.2f %8.2f %12lld\n", "overlay refreshing, 3 rows change",
        typical.median, typical.p99, typical.arrived, typical.lost, factor(typical.median, baseline.median),
        factor(typical.p99, baseline.p99), static_cast<long long>(typicalLag));
    std::printf("  %-34s %10.1f %10.1f %8d %6d %8.2f %8.2f %12lld\n", "overlay refreshing, all 11 change",
        full.median, full.p99, full.arrived, full.lost, factor(full.median, baseline.median),
        factor(full.p99, baseline.p99), static_cast<long long>(fullLag));
    return 0;
}
