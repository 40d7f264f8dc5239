// The interface thread while the map's 256 tiles wait for their heads: a tile server that takes
// every request and answers none (slow to answer, as one under load is), and a map panned by a
// few pixels every 100 ms, which drops the tiles that leave and asks for those that come. Prints
// the interface thread's CPU seconds per second (and the whole process's) and how late a 10 ms
// timer fires on it (median and p99), over the given seconds (default 20).
//   build/test/bin/bench_WaitingTiles [seconds]
#include "surveyprojects/CMapTileModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGeoCoordinate>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Takes every request and reads it, on a thread of its own; answers nothing.
class SilentServer : public QTcpServer
{
protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    }
};

double cpuSeconds(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QThread serverThread;
    SilentServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    server.moveToThread(&serverThread);
    serverThread.start();

    QTemporaryDir cache;
    CMapTileModel model(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()), cache.path());
    // 16 x 16 tiles at zoom 16 (a tile spans about 0.0055 degrees); each pan moves by a tenth of one.
    const double tile = 360.0 / 65536.0;
    double left = 8.25;
    const double top = 47.5;
    const auto show = [&] {
        model.showArea(QGeoCoordinate(top, left), QGeoCoordinate(top - 9.5 * tile, left + 15.5 * tile), 16.0);
    };
    show();
    QTimer pan;
    QObject::connect(&pan, &QTimer::timeout, [&] {
        left += tile / 10;
        show();
    });
    pan.start(100);

    std::vector<double> lateMs;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    const int tickMs = 10;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (sinceTick.isValid())
            lateMs.push_back(std::max(0.0, double(sinceTick.nsecsElapsed()) / 1e6 - tickMs));
        sinceTick.restart();
    });
    // The first second sets up the connections; measured from then.
    double cpuStart = 0;
    double processCpuStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, [&] {
        lateMs.clear();
        cpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        processCpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        wall.start();
        tick.start(tickMs);
    });
    QTimer::singleShot(1000 + seconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    const double measured = double(wall.elapsed()) / 1000.0;
    const double cpu = (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart) / measured;
    const double processCpu = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpuStart) / measured;
    std::printf("tiles %d, interface thread CPU %.3f s/s (process %.3f s/s), 10 ms timer late: median %.2f ms, p99 %.2f ms "
                "(%zu ticks)\n",
                model.rowCount(), cpu, processCpu, percentile(lateMs, 0.5), percentile(lateMs, 0.99), lateMs.size());
    pan.stop();
    serverThread.quit();
    serverThread.wait();
    return 0;
}
