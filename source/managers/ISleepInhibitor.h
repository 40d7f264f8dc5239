#pragma once

// Holds or releases the desktop's "do not sleep" request. The platform power manager owns
// one; tests hand in their own to see the calls without a real bus.
class ISleepInhibitor
{
public:
    virtual ~ISleepInhibitor() = default;

    // Asks for the request and returns at once: the state is recorded now, and the platform's
    // lock arrives when it answers (or never, where nothing answers).
    virtual void acquire() = 0;
    // Gives the request back, also one still on its way; harmless when none is held.
    virtual void release() = 0;
    virtual bool isHeld() const = 0;
};
