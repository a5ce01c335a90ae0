#pragma once
// Angles as they enter the drawing from files, records and hosts.
#include <cfloat>
#include <cmath>

// Whether an angle in degrees can be held: a finite number within the float range. NaN and the
// infinities have no direction; they are refused where angles enter, and the angle keeps the
// value it had.
inline bool IsUsableAngle(double degrees) { return std::isfinite(degrees) && std::fabs(degrees) <= FLT_MAX; }
