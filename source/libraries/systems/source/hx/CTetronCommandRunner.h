#pragma once

#include "hx/ITetronCommandHook.h"
#include "hx/ITetronCommandRunner.h"

#include "TransferWatchdog.h"

#include <QEvent>
#include <QObject>
#include <QVector>

class QNetworkAccessManager;

namespace Ulx {
namespace Communication {

class CAbstractTetronCommand;

// Posted by the runner to itself to start the next command, so that no command starts inside
// enqueueCommand() or inside the end of another command.
class CRunCommandEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = static_cast<QEvent::Type>(1000);
    CRunCommandEvent()
        : QEvent(EventType)
    {
    }
};

// Runs camera commands strictly one after the other from a first-in, first-out queue, on its
// own network access manager (whose cookie jar keeps the camera's session). A command refused
// with "log-in required" is repeated once behind one automatic log-in. Owns every queued and
// the running command; releases each finished command with deleteLater. Created and owned by
// the HX connection controller; GUI thread only.
class CTetronCommandRunner : public QObject, public ITetronCommandRunner, public ITetronCommandHook
{
    Q_OBJECT

public:
    // A camera that stops answering, or answers at a trickle, must not hold the queue: a
    // request ends as a network error when its answer has not begun 10 s after it was sent,
    // stalls for 10 s, or brings less than 16 KiB/s over 10 s. The camera is reached over its
    // own Wi-Fi, many times faster than that floor; and as the floor over the window exceeds
    // what a status answer may bring, such an answer never holds the queue much beyond 10 s.
    static Tovrin::Shared::TransferLimits defaultTransferLimits() { return {10000, 10000, 16 * 1024, 10000}; }

    CTetronCommandRunner();
    ~CTetronCommandRunner() override;

    bool commandFinished(CAbstractTetronCommand* command) override;
    void enqueueCommand(CAbstractTetronCommand* command) override;

    // Every running and queued command ends with Aborted, also those that listeners enqueue
    // while the abort runs.
    void abortAllCommands();

    Tovrin::Shared::TransferLimits transferLimits() const { return m_transferLimits; }
    void setTransferLimits(const Tovrin::Shared::TransferLimits& limits) { m_transferLimits = limits; }

    int queuedCommandCount() const { return m_queue.size(); }
    bool isIdle() const { return m_current == nullptr && m_queue.isEmpty(); }

protected:
    void customEvent(QEvent* event) override;

private:
    void releaseCurrent();
    void postRun();

    QVector<CAbstractTetronCommand*> m_queue;
    CAbstractTetronCommand* m_current = nullptr;
    QNetworkAccessManager* m_networkAccessManager = nullptr;
    bool m_repeatInProgress = false;
    // The log-in inserted for a repeat, and the command that waits behind it. Tracked so that
    // only that log-in's refusal fails the waiting command, and so that a repeated command
    // refused again is not repeated a second time.
    CAbstractTetronCommand* m_repeatLogin = nullptr;
    CAbstractTetronCommand* m_repeatedCommand = nullptr;
    bool m_aborting = false;
    Tovrin::Shared::TransferLimits m_transferLimits = defaultTransferLimits();
};

} // namespace Communication
} // namespace Ulx
