#pragma once

// Metre/foot conversions for display and round scale values. Lengths are held in metres
// everywhere; feet exist only on screen and in the overlay.

// One metre in feet, as the inspection systems' documentation rounds it.
constexpr double MetersToFeetFactor = 3.2808;

double convertMetersToFeet(double meters);
double convertFeetToMeters(double feet);

// Feet as shown to the operator: the customary values of the systems' fixed measuring ranges
// where a range matches, else the rounded product (halves away from zero).
double convertMetersToDisplayFeet(double meters);

// Rounds a positive value up to one significant digit below 100 and two from 100 on
// (7.2 -> 8, 123 -> 130). Zero gives 0; a negative value is mirrored (-7.2 -> -8) so that a
// scale built from it keeps its sign; NaN, infinities and values too close to the ends of
// the double range to be rounded come back unchanged.
double ceilToSignificantDigits(double value);

// Relative comparison with a tolerance of 1e-12; values near zero are compared after adding 1.
bool fuzzyEqual(double a, double b);
