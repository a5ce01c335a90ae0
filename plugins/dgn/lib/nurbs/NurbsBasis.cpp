#include "NurbsBasis.h"

#include "Geometry.h"

#include <cmath>
#include <vector>

namespace dgn {

bool IsEvaluableNurbs(int degree, bool closed, std::int64_t poles)
{
    if (degree < 1 || degree > kMaxNurbsDegree || poles < degree + 1 || poles > 0x1000000)
        return false;
    return !closed || poles >= 4;
}

void FillClampedKnots(double* knots, int degree, int poles)
{
    const int count = poles + degree + 1;
    const int interior = poles - degree - 1;
    for (int i = 0; i <= degree; ++i)
        knots[i] = 0.0;
    double k = 0.0;
    const double step = 1.0 / (interior + 1);
    for (int i = 1; i <= interior; ++i) {
        k += step;
        knots[degree + i] = k;
    }
    for (int i = count - degree - 1; i < count; ++i)
        knots[i] = 1.0;
}

void FillPeriodicKnots(double* knots, int degree, int poles, double step)
{
    const int count = poles + degree + 1;
    for (int i = 0; i < count; ++i)
        knots[i] = (i - degree) * step;
}

int FindNurbsSpan(int count, const double* knots, int degree, double t)
{
    // The search starts at the degree: an earlier span would take pole -1.
    for (int i = degree; i < count - degree - 2; ++i) {
        if (knots[i] <= t && t < knots[i + 1])
            return i;
    }
    return count - degree - 2;
}

void NurbsBasisFunctions(int span, double t, int degree, const double* knots, double* n, bool unitTemp)
{
    double left[kMaxNurbsDegree + 2];
    double right[kMaxNurbsDegree + 2];
    n[0] = 1.0;
    for (int j = 1; j <= degree; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double d = right[r + 1] + left[j - r];
            const double temp = IsNearZero(d) ? (unitTemp ? 1.0 : n[r]) : n[r] / d;
            n[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        n[j] = saved;
    }
}

} // namespace dgn
