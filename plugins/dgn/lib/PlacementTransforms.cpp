#include "PlacementTransforms.h"

#include "Geometry.h"

#include <cmath>

namespace dgn {

namespace {

// c + (dx, dy, 0) in the frame that q orients.
Point3d LocalOffset(const double q[4], const Point3d& c, double dx, double dy)
{
    Point3d p = c;
    RotateByInverseQuaternion(q, p);
    p.x += dx;
    p.y += dy;
    RotateByQuaternion(q, p);
    return p;
}

// Centre, primary-axis point and secondary-axis point of a 2-D ellipse, transformed; the new
// rotation and semi-axes.
void TransformAxes2d(const double m[16], double& primary, double& secondary, double& rotation, double& cx, double& cy)
{
    Point2d c = {cx, cy};
    Point2d a, b;
    PolarPoint2d(cx, cy, rotation, primary, a);
    PolarPoint2d(cx, cy, rotation + kQuarterPi, secondary, b);
    TransformPoint2d(m, c);
    TransformPoint2d(m, a);
    TransformPoint2d(m, b);
    rotation = AngleOfVector(c, a);
    primary = Distance2d(c, a);
    secondary = Distance2d(c, b);
    cx = c.x;
    cy = c.y;
}

void TransformAxes3d(const double m[16], double& primary, double& secondary, double q[4], double& cx, double& cy, double& cz)
{
    Point3d c = {cx, cy, cz};
    Point3d a = LocalOffset(q, c, primary, 0.0);
    Point3d b = LocalOffset(q, c, 0.0, secondary);
    TransformPoint3d(m, c);
    TransformPoint3d(m, a);
    TransformPoint3d(m, b);
    primary = Distance3d(c, a);
    secondary = Distance3d(c, b);
    TransformQuaternion(m, q);
    cx = c.x;
    cy = c.y;
    cz = c.z;
}

} // namespace

void TransformPlacement2d(const double m[16], double& height, double& angle, Point2d& origin)
{
    Point2d o = origin;
    Point2d up, along;
    PolarPoint2d(o.x, o.y, angle + kHalfPi, height, up);
    PolarPoint2d(o.x, o.y, angle, height, along);
    TransformPoint2d(m, o);
    TransformPoint2d(m, up);
    TransformPoint2d(m, along);
    height = Distance2d(o, up);
    angle = AngleOfVector(o, along);
    origin = o;
}

void TransformPlacement3d(const double m[16], double& height, double q[4], Point3d& origin)
{
    Point3d o = origin;
    Point3d up = LocalOffset(q, o, 0.0, height);
    TransformPoint3d(m, o);
    TransformPoint3d(m, up);
    height = Distance3d(o, up);
    TransformQuaternion(m, q);
    origin = o;
}

void TransformEllipse2d(const double m[16], Ellipse2d& e) { TransformAxes2d(m, e.primary, e.secondary, e.rotation, e.cx, e.cy); }

void TransformEllipse3d(const double m[16], Ellipse3d& e) { TransformAxes3d(m, e.primary, e.secondary, e.q, e.cx, e.cy, e.cz); }

void TransformArc2d(const double m[16], Arc2d& arc)
{
    Point2d start, end;
    PolarPoint2d(arc.cx, arc.cy, arc.rotation + arc.start, arc.primary, start);
    PolarPoint2d(arc.cx, arc.cy, arc.rotation + arc.start + arc.sweep, arc.primary, end);
    TransformPoint2d(m, start);
    TransformPoint2d(m, end);
    const double oldSweep = arc.sweep;
    TransformAxes2d(m, arc.primary, arc.secondary, arc.rotation, arc.cx, arc.cy);
    const Point2d c = {arc.cx, arc.cy};
    arc.start = AngleOfVector(c, start) - arc.rotation;
    // The counter-clockwise run from the new start to the new end is the arc only while the
    // arc turns counter-clockwise: a clockwise arc (negative sweep), or any arc through a
    // mirroring matrix, runs the other way round, and a full turn stays a full turn.
    const double det = m[0] * m[5] - m[1] * m[4];
    const bool reverse = (oldSweep < 0) != (det < 0);
    double sweep = NormalizeAngle2Pi(AngleOfVector(c, end) - arc.rotation - arc.start);
    if (std::fabs(oldSweep) >= kTwoPi)
        sweep = reverse ? -kTwoPi : kTwoPi;
    else if (reverse && sweep > 0)
        sweep -= kTwoPi;
    arc.sweep = sweep;
}

void TransformArc3d(const double m[16], Arc3d& arc) { TransformAxes3d(m, arc.primary, arc.secondary, arc.q, arc.cx, arc.cy, arc.cz); }

} // namespace dgn
