#include "helpers/DistanceUnits.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The inspection systems' fixed measuring ranges and the feet values printed on their
// documentation and housings; the exact product would show 9.8 ft for 3 m.
constexpr std::pair<double, double> DisplayFeetPresets[] = {
    {3.0, 10.0},  {5.0, 16.5},  {10.0, 33.0},  {15.0, 50.0},  {20.0, 65.0},  {25.0, 82.0},
    {30.0, 100.0}, {35.0, 115.0}, {45.0, 150.0}, {53.0, 175.0}, {62.0, 205.0},
};

constexpr double NearZero = 1e-12;

} // namespace

double convertMetersToFeet(double meters)
{
    return meters * MetersToFeetFactor;
}

double convertFeetToMeters(double feet)
{
    return feet / MetersToFeetFactor;
}

double convertMetersToDisplayFeet(double meters)
{
    if (std::fabs(meters) <= NearZero)
        return 0.0;
    for (const auto& preset : DisplayFeetPresets) {
        if (fuzzyEqual(preset.first, meters))
            return preset.second;
    }
    // std::round rounds halves away from zero, for negative values too.
    return std::round(meters * MetersToFeetFactor);
}

double ceilToSignificantDigits(double value)
{
    if (!std::isfinite(value) || value == 0.0)
        return value;
    if (value < 0.0)
        return -ceilToSignificantDigits(-value);

    const int magnitude = static_cast<int>(std::floor(std::log10(value)));
    const int exponent = magnitude <= 1 ? magnitude : magnitude - 1;
    const double step = std::pow(10.0, exponent);
    const double rounded = std::ceil(value / step) * step;
    // At the ends of the double range the step underflows to 0 or the result overflows:
    // such values are returned as they are.
    return step > 0.0 && std::isfinite(rounded) ? rounded : value;
}

bool fuzzyEqual(double a, double b)
{
    const bool aNearZero = std::fabs(a) <= NearZero;
    const bool bNearZero = std::fabs(b) <= NearZero;
    if (aNearZero && bNearZero)
        return true;
    if (aNearZero || bNearZero) {
        a += 1.0;
        b += 1.0;
    }
    return std::fabs(a - b) * 1e12 <= std::min(std::fabs(a), std::fabs(b));
}
