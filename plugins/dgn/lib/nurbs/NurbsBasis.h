#pragma once
// What the NURBS evaluators share: the knot vectors they make, the span search and the basis
// functions (the Cox-de Boor recurrence, one degree at a time).
//
// An evaluator is built only for data it can evaluate without reading outside its poles and
// knots: a degree from 1 to kMaxNurbsDegree, at least degree + 1 poles (a closed direction at
// least 4, its periodic step being 1 / (poles - 3)), and a knot vector of exactly
// poles + degree + 1 values (any other length is replaced by the vector made when none is
// given). The factories answer null for anything else, and the elements then draw nothing.
#include <cstdint>

namespace dgn {

// The basis buffer of the curves holds 34 values.
constexpr int kMaxNurbsDegree = 33;
// Knots closer than this are separated by it (the surface), and the weight sums below
// IsNearZero are not divided by.
constexpr double kKnotSeparation = 1e-5;

// Whether degree, closed and poles describe an evaluable direction (see above).
bool IsEvaluableNurbs(int degree, bool closed, std::int64_t poles);
// n + p + 1 knots: p + 1 zeros, the m = n - p - 1 interior knots k / (m + 1) (accumulated),
// p + 1 ones.
void FillClampedKnots(double* knots, int degree, int poles);
// n + p + 1 knots (i - p) x step.
void FillPeriodicKnots(double* knots, int degree, int poles, double step);
// From i = degree while i < count - degree - 2: the first i with knot[i] <= t < knot[i + 1];
// otherwise count - degree - 2 (the last span).
int FindNurbsSpan(int count, const double* knots, int degree, double t);
// N[0..degree] at t in span. A near-zero denominator divides by nothing: temp is 1.0 when
// unitTemp (the surface), else N[r] undivided (the curves).
void NurbsBasisFunctions(int span, double t, int degree, const double* knots, double* n, bool unitTemp);

} // namespace dgn
