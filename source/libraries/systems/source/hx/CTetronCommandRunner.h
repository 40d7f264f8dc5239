#pragma once

#include "hx/ITetronCommandHook.h"
#include "hx/ITetronCommandRunner.h"

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
    // A request that transfers nothing for this long ends as a network error: a camera that
    // stops answering must not freeze the queue.
    static constexpr int DefaultTransferTimeoutMs = 10000;

    CTetronCommandRunner();
    ~CTetronCommandRunner() override;

    bool commandFinished(CAbstractTetronCommand* command) override;
    void enqueueCommand(CAbstractTetronCommand* command) override;

    // Every running and queued command ends with Aborted, also those that listeners enqueue
    // while the abort runs.
    void abortAllCommands();

    int transferTimeout() const { return m_transferTimeout; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

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
    int m_transferTimeout = DefaultTransferTimeoutMs;
};

} // namespace Communication
} // namespace Ulx
