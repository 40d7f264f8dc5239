#pragma once

// Holds or releases the desktop's "do not sleep" request. The platform power manager owns
// one; tests hand in their own to see the calls without a real bus.
class ISleepInhibitor
{
public:
    virtual ~ISleepInhibitor() = default;

    // Takes the request; true when the platform accepted it.
    virtual bool acquire() = 0;
    // Gives the request back; harmless when none is held.
    virtual void release() = 0;
    virtual bool isHeld() const = 0;
};
