#pragma once

#include <cmath>

namespace Ulx {
namespace SystemControl {

// The change test of the state storages: a setter signals only when this returns false.
template <typename T>
inline bool sameStoredValue(const T& stored, const T& incoming)
{
    return stored == incoming;
}

// A readout that keeps reporting NaN is not a change: NaN compares unequal to itself, and the
// plain test would re-signal it on every poll.
inline bool sameStoredValue(const float& stored, const float& incoming)
{
    return stored == incoming || (std::isnan(stored) && std::isnan(incoming));
}

inline bool sameStoredValue(const double& stored, const double& incoming)
{
    return stored == incoming || (std::isnan(stored) && std::isnan(incoming));
}

} // namespace SystemControl
} // namespace Ulx
