#pragma once

#include <QtGlobal>

#include <array>

namespace Ulx {

// The cameras of the ZPH and ZPX systems report and take their zoom as a raw position:
// 0 is the widest angle, 16384 the end of the optical zoom, 31424 the end of the digital zoom.
// Constant tables and pure functions over them; no state.
constexpr int RVQMaximumRawZoom = 31424;
constexpr int RVQMaximumOpticalRawZoom = 16384;

struct RVQFocusCurvePoint
{
    quint16 focus;
    quint16 distance;
};

constexpr int RVQFocusCurveSize = 13;
using RVQFocusCurveTable = std::array<RVQFocusCurvePoint, RVQFocusCurveSize>;

// Zoom factor of a raw position; between two table points the fraction of the way (at most
// 0.9) is added to the lower point's factor.
float zoomFactorZPX(quint16 raw);
float zoomFactorZPH(quint16 raw);

// The raw position of the table point at or below percent of the zoom range (the optical
// range, or the whole range with digital zoom). Percent is held to 0..100.
int zoomPositionToRawZPX(int percent, bool digitalZoomEnabled);
int zoomPositionToRawZPH(int percent, bool digitalZoomEnabled);

// A raw position in percent of the whole range, rounded half away from zero.
int zoomPercentFromRaw(quint16 raw);

// The focus curve of a key (1 or an even optical zoom factor up to 30), or null.
const RVQFocusCurveTable* focusCurveTable(int key);

// The range of distances in focus at a raw zoom and raw focus position of a ZPX camera. On
// failure (digital zoom range, no curve, focus beyond the table) lower and upper are 0.
bool cameraDistanceRange(quint16 rawZoom, quint16 rawFocus, int& lower, int& upper);

} // namespace Ulx
