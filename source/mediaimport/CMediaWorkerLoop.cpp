#include "mediaimport/CMediaWorkerLoop.h"

#include <QAbstractEventDispatcher>
#include <QThread>

void CMediaWorkerLoop::pause()
{
    m_pauseRequested = false;
    if (m_state == StateRunning)
        m_state = StatePaused;
}

void CMediaWorkerLoop::resume()
{
    m_pauseRequested = false;
    if (m_state != StatePaused)
        return;
    m_state = StateRunning;
    // Delivered inside a running loop (pause and resume in one batch): that loop goes on.
    if (!m_loopRunning)
        runLoop();
}

void CMediaWorkerLoop::cancel()
{
    m_cancelRequested = false;
    if (m_state == StateRunning) {
        // The loop sees it at its next step.
        m_state = StateCancelled;
    } else if (m_state == StatePaused) {
        // No loop runs to notice it: report now, or the screen would wait for ever.
        endCancelled();
    }
}

void CMediaWorkerLoop::release()
{
    cancel();
    if (m_loopRunning)
        m_releaseRequested = true;
    else
        deleteLater();
}

void CMediaWorkerLoop::takeRequests()
{
    if (m_cancelRequested.exchange(false) && m_state == StateRunning)
        m_state = StateCancelled;
    if (m_pauseRequested.exchange(false) && m_state == StateRunning)
        m_state = StatePaused;
    if (QThread::currentThread()->isInterruptionRequested() && m_state == StateRunning)
        m_state = StateCancelled;
}

void CMediaWorkerLoop::turnEventsUntil(const std::function<bool()>& done)
{
    QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher();
    const bool inLoop = m_loopRunning;
    m_loopRunning = true;
    while (dispatcher && !done())
        dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
    m_loopRunning = inLoop;
    if (!inLoop && m_releaseRequested)
        deleteLater();
}

void CMediaWorkerLoop::runLoop()
{
    // The loop polls the thread's events, so the job may let go of this worker meanwhile:
    // then it is deleted only once the loop has returned.
    m_loopRunning = true;
    forever {
        if (QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher())
            dispatcher->processEvents(QEventLoop::AllEvents);
        takeRequests();
        if (m_state == StateCancelled) {
            endCancelled();
            break;
        }
        if (m_state != StateRunning || !step())
            break;
    }
    m_loopRunning = false;
    if (m_releaseRequested)
        deleteLater();
}
