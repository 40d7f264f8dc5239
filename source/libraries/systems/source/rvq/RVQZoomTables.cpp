#include "rvq/RVQZoomTables.h"

#include <cmath>
#include <cstdlib>

namespace Ulx {

namespace {

struct ZoomPoint
{
    quint16 raw;
    quint16 factor;
};

constexpr std::array<ZoomPoint, 41> ZoomTableZPX = {{
    {0, 1},        {5793, 2},     {8291, 3},     {9768, 4},     {10781, 5},    {11539, 6},    {12141, 7},
    {12641, 8},    {13069, 9},    {13446, 10},   {13783, 11},   {14089, 12},   {14368, 13},   {14624, 14},
    {14858, 15},   {15069, 16},   {15260, 17},   {15430, 18},   {15580, 19},   {15712, 20},   {15828, 21},
    {15929, 22},   {16016, 23},   {16092, 24},   {16158, 25},   {16215, 26},   {16266, 27},   {16310, 28},
    {16348, 29},   {16384, 30},   {24576, 60},   {27264, 90},   {28672, 120},  {29440, 150},  {30016, 180},
    {30400, 210},  {30720, 240},  {30912, 270},  {31104, 300},  {31232, 330},  {31424, 360},
}};

constexpr std::array<ZoomPoint, 47> ZoomTableZPH = {{
    {0, 1},        {5743, 2},     {8176, 3},     {9597, 4},     {10560, 5},    {11266, 6},    {11819, 7},
    {12270, 8},    {12650, 9},    {12978, 10},   {13268, 11},   {13529, 12},   {13768, 13},   {13988, 14},
    {14195, 15},   {14390, 16},   {14576, 17},   {14752, 18},   {14921, 19},   {15080, 20},   {15231, 21},
    {15372, 22},   {15502, 23},   {15622, 24},   {15731, 25},   {15828, 26},   {15916, 27},   {15996, 28},
    {16066, 29},   {16128, 30},   {16184, 31},   {16232, 32},   {16276, 33},   {16317, 34},   {16351, 35},
    {16384, 36},   {24576, 72},   {27264, 108},  {28672, 144},  {29440, 180},  {30016, 216},  {30400, 252},
    {30720, 288},  {30912, 324},  {31104, 360},  {31232, 396},  {31424, 432},
}};

constexpr std::array<quint16, RVQFocusCurveSize> CurveDistances = {0, 3, 5, 10, 15, 20, 25, 30, 35, 45, 53, 62, 65535};

struct FocusCurveRow
{
    int key;
    std::array<quint16, RVQFocusCurveSize> focus;
};

constexpr std::array<FocusCurveRow, 16> FocusCurveRows = {{
    {1, {61440, 22528, 4804, 12288, 4883, 4450, 4804, 4804, 4844, 4923, 5100, 4864, 4096}},
    {2, {61440, 24576, 23756, 23756, 12288, 4675, 4714, 4907, 4907, 4888, 5004, 4830, 4096}},
    {4, {61440, 27989, 14938, 15902, 9557, 6144, 4937, 6144, 11605, 8533, 4937, 4937, 4096}},
    {6, {61440, 26428, 19429, 13727, 13062, 10971, 5389, 11995, 10386, 5820, 5103, 4888, 4096}},
    {8, {61440, 25995, 17749, 13839, 11972, 8349, 9294, 9767, 8664, 7199, 5957, 6392, 4096}},
    {10, {61440, 25882, 17463, 13981, 11562, 7876, 8762, 7640, 9021, 6340, 6222, 6813, 4096}},
    {12, {61440, 25217, 17923, 11739, 11556, 8740, 8137, 7532, 7229, 6680, 6322, 6267, 4096}},
    {14, {61440, 25406, 17358, 11347, 7983, 8358, 6708, 6896, 6729, 6436, 6081, 6541, 4096}},
    {16, {61440, 25084, 17791, 11253, 7883, 8094, 6517, 6956, 6826, 6631, 6062, 6631, 4096}},
    {18, {61440, 24985, 17792, 11570, 8402, 7396, 6965, 6665, 6822, 6313, 6000, 6496, 4096}},
    {20, {61440, 24901, 17394, 11317, 8491, 8160, 6413, 6731, 6445, 6784, 6106, 6837, 4096}},
    {22, {61440, 25028, 17884, 11745, 8935, 7794, 7068, 6576, 6411, 6368, 6308, 7034, 4096}},
    {24, {61440, 24751, 17842, 11164, 8480, 7991, 6867, 6759, 6380, 6494, 6158, 7146, 4096}},
    {26, {61440, 24818, 17965, 8412, 8594, 7301, 7081, 6559, 6690, 6470, 6268, 7182, 4096}},
    {28, {61440, 24975, 17871, 11274, 8440, 7456, 6887, 6617, 6926, 6234, 7029, 7029, 4096}},
    {30, {61440, 25084, 17480, 11383, 8319, 7774, 6723, 6630, 6518, 6702, 6943, 7181, 4096}},
}};

// Built once from the rows above, in the same order.
const std::array<RVQFocusCurveTable, 16>& focusCurveTables()
{
    static const std::array<RVQFocusCurveTable, 16> tables = [] {
        std::array<RVQFocusCurveTable, 16> result{};
        for (size_t row = 0; row < FocusCurveRows.size(); ++row) {
            for (int i = 0; i < RVQFocusCurveSize; ++i)
                result[row][i] = {FocusCurveRows[row].focus[i], CurveDistances[i]};
        }
        return result;
    }();
    return tables;
}

template <size_t N>
float zoomFactor(const std::array<ZoomPoint, N>& table, quint16 raw)
{
    for (size_t i = 1; i < N; ++i) {
        if (table[i].raw > raw) {
            const ZoomPoint& below = table[i - 1];
            float fraction = float(raw - below.raw) / float(table[i].raw - below.raw);
            if (fraction > 0.9f)
                fraction = 0.9f;
            return float(below.factor) + fraction;
        }
    }
    return float(table[N - 1].factor);
}

template <size_t N>
int zoomPositionToRaw(const std::array<ZoomPoint, N>& table, int percent, bool digitalZoomEnabled)
{
    const int range = digitalZoomEnabled ? RVQMaximumRawZoom : RVQMaximumOpticalRawZoom;
    const long x = std::lround(double(qBound(0, percent, 100)) * range / 100.0);
    int result = 0;
    for (const ZoomPoint& point : table) {
        if (point.raw <= x)
            result = point.raw;
        else
            break;
    }
    return result;
}

int roundedKey(float factor)
{
    int key = int(std::lround(factor));
    if (key >= 2)
        key &= ~1;
    return key;
}

} // namespace

float zoomFactorZPX(quint16 raw)
{
    return zoomFactor(ZoomTableZPX, raw);
}

float zoomFactorZPH(quint16 raw)
{
    return zoomFactor(ZoomTableZPH, raw);
}

int zoomPositionToRawZPX(int percent, bool digitalZoomEnabled)
{
    return zoomPositionToRaw(ZoomTableZPX, percent, digitalZoomEnabled);
}

int zoomPositionToRawZPH(int percent, bool digitalZoomEnabled)
{
    return zoomPositionToRaw(ZoomTableZPH, percent, digitalZoomEnabled);
}

int zoomPercentFromRaw(quint16 raw)
{
    return int(std::lround(double(raw) / RVQMaximumRawZoom * 100.0));
}

const RVQFocusCurveTable* focusCurveTable(int key)
{
    const auto& tables = focusCurveTables();
    for (size_t row = 0; row < FocusCurveRows.size(); ++row) {
        if (FocusCurveRows[row].key == key)
            return &tables[row];
    }
    return nullptr;
}

bool cameraDistanceRange(quint16 rawZoom, quint16 rawFocus, int& lower, int& upper)
{
    lower = 0;
    upper = 0;
    if (rawZoom > RVQMaximumOpticalRawZoom)
        return false;
    const int key = roundedKey(zoomFactorZPX(rawZoom));
    if (key > 30)
        return false;
    const RVQFocusCurveTable* table = focusCurveTable(key);
    if (!table)
        return false;
    const auto& curve = *table;
    const int last = RVQFocusCurveSize - 1;

    auto difference = [&curve](int a, int b) { return std::abs(int(curve[a].focus) - int(curve[b].focus)); };

    int k = 0;
    int best = std::abs(int(curve[0].focus) - int(rawFocus));
    for (int i = 1; i < RVQFocusCurveSize; ++i) {
        const int d = std::abs(int(curve[i].focus) - int(rawFocus));
        if (d < best) {
            best = d;
            k = i;
        }
    }
    if (k == last)
        return false;

    int lowerIndex = k;
    int dL = best;
    if (k > 0) {
        lowerIndex = k - 1;
        dL = difference(k, k - 1);
        for (int j = k - 2; j >= 0; --j) {
            if (difference(k, j) <= best) {
                lowerIndex = j;
                dL = difference(k, j);
            }
        }
    }

    int upperIndex = k;
    int dU = best;
    if (k + 1 < last) {
        upperIndex = k + 1;
        dU = difference(k, k + 1);
        for (int j = k + 2; j < last; ++j) {
            if (difference(k, j) <= best) {
                upperIndex = j;
                dU = difference(k, j);
            }
        }
    }

    int first = 0;
    int second = 0;
    if (dL < dU) {
        first = curve[lowerIndex].distance;
        second = curve[k].distance;
    } else if (dU < dL) {
        first = curve[upperIndex].distance;
        second = curve[k].distance;
    } else {
        first = curve[lowerIndex].distance;
        second = curve[upperIndex].distance;
    }
    lower = qMin(first, second);
    upper = qMax(first, second);
    return true;
}

} // namespace Ulx
