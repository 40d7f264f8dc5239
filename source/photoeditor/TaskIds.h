#pragma once

#include <QtGlobal>

// The id after lastTaskId: counts up, wraps at 2^32 and skips 0, which callers use to mean
// that nothing is pending.
inline uint nextTaskId(uint lastTaskId)
{
    const uint next = lastTaskId + 1u;
    return next == 0u ? 1u : next;
}
