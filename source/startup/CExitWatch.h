#pragma once

#include <QString>

// The program's exit, watched: each step of it that can wait is logged with the time since the
// exit began, and a step that runs past its allowance ends the process at once, its log closed.
// The settings are saved before the exit begins (CApplication::terminate); the steps that wait
// on our own work on the disk (a project save) get the time their services give it, those that
// wait on another process (NetworkManager, the web service) or on Qt's own teardown a few
// seconds, so that the exit ends within a bounded time whatever another process does.
//
// The watch runs on a plain thread of its own (no QThread: it must outlive Qt's teardown and
// never wait for it), started by the first step and left to the end of the process. Its state
// is never freed, so that nothing of it is destroyed while the process ends. Any thread.
class CExitWatch
{
public:
    // Starts the step (and, with the first one, the watch): logged now, and the process is
    // ended when the step has not given way to the next one within the allowance.
    static void step(const QString& name, int allowanceMs);
    // The last step, once the program's own exit is done and its log closed: the process's exit
    // handlers. Nothing is logged from then on; an overrun is told on the standard error.
    static void lastStep(int allowanceMs);
    // The program's status, which the process ends with when the watch ends it; a forced end
    // never says 0, so 1 stands in for 0 and for a status not given yet.
    static void setStatus(int status);
    // Milliseconds since the first step; -1 before it.
    static qint64 elapsedMs();
};
