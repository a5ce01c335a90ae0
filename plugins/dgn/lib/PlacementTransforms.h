#pragma once
// Element placements (text, ellipse and arc parameters) carried through a matrix: the
// characteristic points are transformed and the parameters measured again from them.
#include "GeometryTypes.h"

namespace dgn {

// Height h and angle a of a text at origin o.
void TransformPlacement2d(const double m[16], double& height, double& angle, Point2d& origin);
void TransformPlacement3d(const double m[16], double& height, double q[4], Point3d& origin);
// The secondary-axis point is taken at rotation + pi/4, as the files' producers did.
void TransformEllipse2d(const double m[16], Ellipse2d& ellipse);
void TransformEllipse3d(const double m[16], Ellipse3d& ellipse);
// Also carries the start and end points, so start and sweep follow; the sweep keeps its turning
// direction (reversed by a mirroring matrix).
void TransformArc2d(const double m[16], Arc2d& arc);
// The arc's angles stay.
void TransformArc3d(const double m[16], Arc3d& arc);

} // namespace dgn
