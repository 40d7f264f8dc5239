#pragma once

#include <QObject>

#include <atomic>
#include <functional>

// The run control the media import workers share. Their work runs in a loop on the media
// import thread, one step (a folder, a block) per turn, polling the thread's events between
// steps so that queued pause, resume and cancel calls take effect at the next step. The job
// that owns a worker lets go of it with release(); a worker released while its loop runs is
// deleted on its thread once that loop is off the stack.
class CMediaWorkerLoop : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        StateIdle = 0,
        StateRunning = 1,
        StatePaused = 2,
        StateCancelled = 3,
        StateFailed = 4
    };

    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void cancel();
    // The job lets go: cancels, and deletes this worker once its loop is off the stack.
    Q_INVOKABLE void release();

    // Thread-safe: the job raises these beside its queued calls, so a loop sees them at its
    // next step even when the thread's queue is not delivered inside the loop.
    void requestPause() { m_pauseRequested = true; }
    void requestCancel() { m_cancelRequested = true; }

protected:
    // Runs step() until it returns false, the worker pauses or it is cancelled.
    void runLoop();
    // One step of the work; false once the work has ended and its end has been reported.
    virtual bool step() = 0;
    // Reports the cancelled work and lets go of what it held; leaves StateCancelled.
    virtual void endCancelled() = 0;
    // Turns this thread's events until done() holds, for work that waits on other threads (each
    // wait ends when that work does). A job that lets go meanwhile has this worker deleted only
    // once it is off the stack.
    void turnEventsUntil(const std::function<bool()>& done);

    State m_state = StateIdle;

private:
    void takeRequests();

    bool m_loopRunning = false;
    bool m_releaseRequested = false;
    std::atomic_bool m_pauseRequested{false};
    std::atomic_bool m_cancelRequested{false};
};
