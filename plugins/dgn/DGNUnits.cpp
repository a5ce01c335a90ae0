#include "DGNUnits.h"
#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

const double kInch = 2.54;

struct UnitSize {
    double centimetres;
    int metric;
};

// By code, 0 (unitless) to 20 (parsecs). A mile here is 63346.46 inches (1609.000084 m), the size
// files written with earlier versions used; kept so that their units still convert the same.
const UnitSize kUnits[] = {
    {1.0, -1},                  // unitless
    {1.0 * kInch, 0},           // inch
    {12.0 * kInch, 0},          // foot
    {63346.46 * kInch, 0},      // mile
    {0.1, 1},                   // millimetre
    {1.0, 1},                   // centimetre
    {100.0, 1},                 // metre
    {100000.0, 1},              // kilometre
    {1e-6 * kInch, -1},         // microinch
    {0.001 * kInch, 0},         // mil
    {36.0 * kInch, 0},          // yard
    {1e-8, -1},                 // angstrom
    {1e-7, 1},                  // nanometre
    {1e-4, 1},                  // micron
    {10.0, 1},                  // decimetre
    {1000.0, 1},                // decametre
    {10000.0, 1},               // hectometre
    {1e11, 1},                  // gigametre
    {1.495979e13, -1},          // astronomical unit
    {9.460528405e17, -1},       // light year
    {3.085678186e18, -1},       // parsec
};
const int kUnitCount = static_cast<int>(std::size(kUnits));

// Each in ascending size.
const int kMetricLadder[] = {11, 12, 13, 4, 5, 14, 6, 15, 16, 7, 17, 18, 19, 20};
const int kImperialLadder[] = {8, 9, 1, 2, 10, 3};

const int kParsecs = 20;

} // namespace

int IsMetricUnit(int unit) { return unit >= 0 && unit < kUnitCount ? kUnits[unit].metric : -1; }

double GetUnitCentimeters(int unit) { return unit >= 0 && unit < kUnitCount ? kUnits[unit].centimetres : 1.0; }

double UnitConversionFactor(int unitA, int unitB)
{
    if (unitA == 0 || unitB == 0)
        return 1.0;
    return GetUnitCentimeters(unitB) / GetUnitCentimeters(unitA);
}

int NextUnit(int unit, bool larger)
{
    // Unitless steps into the smallest metric unit, either way.
    if (unit == 0)
        return 11;
    // The ladder the unit stands on: microinches are unclassified but are the imperial ladder's
    // first step, and a step up from them is a mil, not "no unit".
    const bool imperial = std::find(std::begin(kImperialLadder), std::end(kImperialLadder), unit) != std::end(kImperialLadder);
    const int* ladder = imperial ? kImperialLadder : kMetricLadder;
    const int count = imperial ? static_cast<int>(std::size(kImperialLadder)) : static_cast<int>(std::size(kMetricLadder));
    if (larger) {
        for (int i = 0; i < count - 1; ++i)
            if (ladder[i] == unit)
                return ladder[i + 1];
    } else {
        for (int i = count - 1; i > 0; --i)
            if (ladder[i] == unit)
                return ladder[i - 1];
    }
    return 0;
}

int UnitFromRatio(double unitsPerMetre, double* match)
{
    if (unitsPerMetre == 0.0)
        return 0;
    const double a = std::fabs(unitsPerMetre);
    double best = -1.0;
    int result = 0;
    for (int u = 1; u < kParsecs; ++u) {
        // 1 when there are exactly `a` units u in a metre.
        const double q = a / (100.0 / GetUnitCentimeters(u));
        if (result == 0 || std::fabs(q - 1.0) < std::fabs(1.0 - best)) {
            best = q;
            result = u;
            if (q == 1.0)
                break;
        }
    }
    if (match)
        *match = best;
    return result;
}
