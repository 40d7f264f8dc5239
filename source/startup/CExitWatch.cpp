#include "startup/CExitWatch.h"

#include "CLogger.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include <unistd.h>

using Tovrin::Logging::CLogger;

namespace {

using Clock = std::chrono::steady_clock;

const QString kCategory = QStringLiteral("CulvertixApplication");
constexpr int kLogLineMs = 1000;

struct WatchState
{
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    Clock::time_point began;
    Clock::time_point deadline;
    QString step;
    bool logged = true;
    int allowanceMs = 0;
    int status = 1; // the program's status, once it has given one
};

// Never freed: the watch thread may still read it while the process's exit handlers run.
WatchState& state()
{
    static WatchState* const watch = new WatchState;
    return *watch;
}

qint64 millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void runWatch()
{
    WatchState& watch = state();
    std::unique_lock<std::mutex> lock(watch.mutex);
    while (Clock::now() < watch.deadline)
        watch.changed.wait_until(lock, watch.deadline);
    const QString step = watch.step;
    const int allowanceMs = watch.allowanceMs;
    const qint64 elapsed = millisecondsSince(watch.began);
    // However well the program ended before, an end forced now is not a normal one.
    const int status = watch.status != 0 ? watch.status : 1;
    const QString text = QStringLiteral("Exit: %1 did not end within %2 ms (%3 ms after the exit began). Ending the "
                                        "process at once.")
                             .arg(step)
                             .arg(allowanceMs)
                             .arg(elapsed);
    const bool logged = watch.logged;
    lock.unlock();
    // The stuck step may be inside the logger itself (a write the disk holds up): the line gets
    // a moment on a thread of its own, and the process ends whether or not it was written.
    bool written = false;
    if (logged) {
        auto lineWritten = std::make_shared<std::promise<void>>();
        std::future<void> done = lineWritten->get_future();
        std::thread([text, lineWritten]() {
            CLogger::logMessage(CLogger::LogLevelError, kCategory, text);
            CLogger::setOutputFileName(QString());
            lineWritten->set_value();
        }).detach();
        written = done.wait_for(std::chrono::milliseconds(kLogLineMs)) == std::future_status::ready;
    }
    // Past the stdio locks, which the stuck step may hold.
    if (!written) {
        const QByteArray line = text.toUtf8() + '\n';
        const ssize_t ignored = ::write(STDERR_FILENO, line.constData(), size_t(line.size()));
        Q_UNUSED(ignored)
    }
    ::_exit(status);
}

// Moves the watch on to the step (starting it with the first one); the milliseconds since the
// exit began.
qint64 enterStep(const QString& name, int allowanceMs, bool logged)
{
    WatchState& watch = state();
    std::lock_guard<std::mutex> lock(watch.mutex);
    const bool first = !watch.started;
    if (first) {
        watch.started = true;
        watch.began = Clock::now();
    }
    watch.step = name;
    watch.logged = logged;
    watch.allowanceMs = allowanceMs;
    watch.deadline = Clock::now() + std::chrono::milliseconds(allowanceMs);
    if (first)
        std::thread(runWatch).detach();
    else
        watch.changed.notify_one();
    return millisecondsSince(watch.began);
}

} // namespace

void CExitWatch::step(const QString& name, int allowanceMs)
{
    const qint64 elapsed = enterStep(name, allowanceMs, true);
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                        QStringLiteral("Exit: %1 (%2 ms after the exit began, at most %3 ms)...")
                            .arg(name)
                            .arg(elapsed)
                            .arg(allowanceMs));
}

void CExitWatch::lastStep(int allowanceMs)
{
    enterStep(QStringLiteral("the process's exit handlers"), allowanceMs, false);
}

void CExitWatch::setStatus(int status)
{
    WatchState& watch = state();
    std::lock_guard<std::mutex> lock(watch.mutex);
    watch.status = status;
}

qint64 CExitWatch::elapsedMs()
{
    WatchState& watch = state();
    std::lock_guard<std::mutex> lock(watch.mutex);
    return watch.started ? millisecondsSince(watch.began) : -1;
}
