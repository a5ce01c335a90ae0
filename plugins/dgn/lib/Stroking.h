#pragma once
// Ellipses and arcs as point lists. Each result is a new array owned by the caller, null when
// memory runs out.
#include "GeometryTypes.h"

namespace dgn {

class CPoint2dArray;
class CPoint3dArray;

// segments + 1 points around the ellipse, the last on the first (0 segments: 64; fewer than
// 16: 16).
CPoint2dArray* StrokeEllipse2d(const Ellipse2d& ellipse, int segments);
// 64 segments a turn of sweep, at least 16; a sweep beyond a turn counts as one turn for the
// count, and a NaN sweep strokes nothing (an empty array).
CPoint2dArray* StrokeArc2d(const Arc2d& arc);
CPoint3dArray* StrokeEllipse3d(const Ellipse3d& ellipse, int segments);
CPoint3dArray* StrokeArc3d(const Arc3d& arc);

} // namespace dgn
